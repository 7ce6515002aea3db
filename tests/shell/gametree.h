#pragma once
// What a folder needs before the game starts in it: a settings file for every sound effect, so
// that the start's sound trial passes.
#include <map>
#include <string>

#include "shell/sound/sound.h"
#include "tools/writers/sounddef_writer.h"

namespace vntest {

inline bool WriteCompleteSoundDef(const std::string& root) {
  std::map<int32_t, vnSOUNDDEF_ENTRY> entries;
  for (int32_t id = 0; id < VN_SOUND_NUM_EFFECTS; ++id) entries[id] = vnSOUNDDEF_ENTRY{};
  return vnWRITE_SoundDef(root, entries);
}

}  // namespace vntest
