#pragma once
// Writes "sound/sounddef.txt": the tuning of each sound effect as the game's INI reader reads it.
#include <cstdint>
#include <map>
#include <string>

struct vnSOUNDDEF_ENTRY {
  int32_t priority = 128;   // 0..255
  int32_t volume = 255;     // 0..255
  float minDistance = 1.0f;
  float audibleDistance = 0.0f;  // 0 = heard at any distance
  int32_t maxPlays = 4;
};

// The line after "File<id>=".
std::string vnWRITE_SoundDefValue(const vnSOUNDDEF_ENTRY& entry);
// Writes <root>/sound/sounddef.txt with a key for each given id only; false (with a trace)
// when it cannot.
bool vnWRITE_SoundDef(const std::string& root, const std::map<int32_t, vnSOUNDDEF_ENTRY>& entries);
