// Infantry models, animation sets, wounded and victim models, guns and effect textures.
#include "tools/mkcontent/soldiers.h"

#include <cstdio>
#include <iterator>
#include <set>
#include <vector>

#include "platform/files.h"
#include "platform/trace.h"
#include "shell/sound/sound.h"
#include "tools/models/soldiers.h"
#include "tools/writers/wav_writer.h"
#include "terran/infantry.h"
#include "terran/terunit.h"
#include "world/unittype/unittype.h"

namespace {

constexpr uint32_t kTicks = 4800;  // a second per animation

constexpr const char* kWounded[] = {"TCapMaMWounded", "TMedicMaMWounded", "TCapFeMWounded"};

std::vector<std::string> SoldierAnims() {
  const char* const* names = vnTERUNIT_GetAnimNames();
  return {names, names + VNTERUNIT_ANIM_NAMES};
}

// The soldiers' spoken lines, a short tone each, in every voice a profile can have; the sound
// system looks for "sound/profiles/Voice<type>/Line<line>.wav".
constexpr int32_t kVoiceLines = 58;
constexpr int32_t kVoiceRate = 22050;
constexpr float kVoiceSeconds = 0.2f;
constexpr int32_t kVoiceAmplitude = 9000;

bool WriteVoices(const std::string& root) {
  bool ok = true;
  for (int32_t type = 0; type < VN_SOUND_NUM_VOICE_TYPES; ++type) {
    for (int32_t line = 0; line < kVoiceLines; ++line) {
      char file[64];
      std::snprintf(file, sizeof file, "sound/profiles/Voice%d/Line%02d.wav", type, line);
      vnWAV_SOUND sound;
      sound.rate = kVoiceRate;
      const float hz = 300.0f + 60.0f * static_cast<float>(type) + 5.0f * static_cast<float>(line);
      sound.samples = vnWRITE_Tone(kVoiceRate, kVoiceSeconds, hz, kVoiceAmplitude);
      ok = vnWRITE_WavFile(root, file, sound) && ok;
    }
  }
  return ok;
}

bool WriteModel(const std::string& root, const std::string& path, vnMODEL model) {
  const size_t slash = path.find_last_of('/');
  model.name = path.substr(slash + 1, path.size() - slash - 5);  // without ".pow"
  return vnWRITE_POW(root + "/" + path, model);
}

}  // namespace

bool vnMKCONTENT_Soldiers(const std::string& root) {
  const vnMODEL soldier = vnMODELS_Soldier("soldier", SoldierAnims(), kTicks);
  bool ok = true;
  std::set<std::string> models, guns;
  for (const int32_t type : VNINFANTRY_TYPES) {
    for (const uint32_t rowFlags : {0u, VNINFANTRY_ROW_FEMALE}) {
      VNINFANTRY_MODEL model{};
      vnINFANTRY_ModelFor(type, rowFlags, &model);
      models.insert(model.path);
      models.insert(model.set);
    }
    const VNUNIT_TYPE* info = vnUNITMAN_GetTypeInfo(type);
    for (int32_t gun : {info ? info->anLinked[0] : -1, int32_t{VN_UNIT_TYPE_WEAPON_REVOLVER}}) {
      if (gun < 0) continue;
      guns.insert(vnUNITMAN_BuildPowName(gun, vnUNITTYPE_SharedFlags(type, gun), "m", ""));
    }
  }
  for (const std::string& path : models) ok = WriteModel(root, path, soldier) && ok;
  const vnMODEL wounded =
      vnMODELS_Soldier("wounded", {"wounded", "helpMe", "getup", "pullrope"}, kTicks);
  for (const char* file : kWounded)
    ok = WriteModel(root, std::string("Export/Pows/") + file + ".pow", wounded) && ok;
  const vnMODEL victim = vnMODELS_Soldier(
      "victim", {std::begin(VNINFANTRY_VICTIM_NAMES), std::end(VNINFANTRY_VICTIM_NAMES)}, kTicks);
  ok = WriteModel(root, VNINFANTRY_VICTIM_MODEL, victim) && ok;
  for (const std::string& gun : guns) ok = WriteModel(root, gun, vnMODELS_Gun("gun")) && ok;
  ok = WriteVoices(root) && ok;
  if (!ok) PLAT_Trace("mkcontent: the soldiers under %s are incomplete\n", root.c_str());
  return ok;
}
