// Start and stop, volumes and the 3D listener.
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "engine/kernel/frametime.h"
#include "engine/kernel/program.h"
#include "engine/memory/memblock.h"
#include "platform/files.h"
#include "platform/ini.h"
#include "platform/trace.h"
#include "platform/window/msgbox.h"
#include "shell/options.h"
#include "shell/sound/internal.h"
#include "shell/state.h"

VNSOUND_SYSTEM g_vnSound;

namespace {

constexpr float kRolloff = 4.0f;
constexpr float kDuckFactor = 0.1f;
constexpr int32_t kVoicePriority = 240;
constexpr int32_t kVoiceVolume = 220;
constexpr int32_t kVoiceMaxPlays = 3;
constexpr int32_t kSounddefValueSize = 128;

int32_t g_layerChannels = VN_SOUND_NUM_SLOTS;
VNSOUND_MISSIONVIEWFN g_missionView = nullptr;

int32_t MixRate(int32_t quality) {
  if (quality == 0) return 22000;
  if (quality == 2) return 48000;
  return 44100;
}

float Clamp01(float v) { return std::isnan(v) ? 0.0f : std::clamp(v, 0.0f, 1.0f); }

}  // namespace

int32_t vnSOUND_ReadSoundDefEntry(const char* file, int32_t id, VNSOUND_EFFECT* effect) {
  char key[16], value[kSounddefValueSize];
  std::snprintf(key, sizeof key, "File%d", id);
  PLAT_IniGetString(VN_SOUNDDEF_SECTION, key, "", value, sizeof value, file);
  int32_t priority = 0, volume = 0, maxPlays = 0;
  float minDistance = 0.0f, audible = 0.0f;
  if (std::sscanf(value, "%d,%d,%f,%f,%d", &priority, &volume, &minDistance, &audible, &maxPlays) != 5) {
    PLAT_Trace("VNSOUND: %s has no five values for %s\n", file, key);
    return 0;
  }
  if (priority < 0 || priority > 255 || volume < 0 || volume > 255 || !(minDistance >= 0.0f) ||
      !(audible >= 0.0f) || maxPlays < 0) {
    PLAT_Trace("VNSOUND: %s: %s out of range (\"%s\")\n", file, key, value);
    return 0;
  }
  effect->nPriority = priority;
  effect->nVolume = volume;
  effect->fMinDistance = minDistance;
  effect->fAudibleDistance = audible;
  effect->nMaxPlays = maxPlays;
  return 1;
}

namespace {

void ResetTables() {
  const VNSOUND_EFFECT* table = vnSOUND_EffectTable();
  std::copy(table, table + VN_SOUND_NUM_EFFECTS, g_vnSound.effects.begin());
  g_vnSound.samples.fill(nullptr);
  g_vnSound.plays.fill(0);
  for (VNSOUND_CHANNEL& s : g_vnSound.slots) s = VNSOUND_CHANNEL{-1, 0, -1, {}, {}, nullptr, {}, nullptr};
  g_vnSound.streams.fill(nullptr);
  g_vnSound.streamChannels.fill(-1);
  g_vnSound.streamVolumes.fill(255);
  for (int32_t t = 0; t < VN_SOUND_NUM_VOICE_TYPES; ++t) {
    g_vnSound.voiceSamples[t].fill(nullptr);
    for (int32_t l = 0; l < VN_SOUND_VOICE_LINES; ++l)
      g_vnSound.voices[t][l] = VNSOUND_EFFECT{vnSOUND_VoiceFile(t, l), VN_SOUND_MODE_3D, 0,
                                              kVoicePriority, kVoiceVolume, 0.0f, 0.0f, kVoiceMaxPlays};
  }
}

bool StartLayer() {
  const VNMAIN_SWITCHES* sw = vnMAIN_GetSwitches();
  const VNOPTIONS* options = vnOPTIONS_Get();
  const int32_t rate = MixRate(options ? options->dwSoundQuality : 1);
  if (!PLAT_SoundSetDriver(sw->nSoundDevice)) return false;
  if (sw->nSoundLatency != 0 && !PLAT_SoundSetBufferSize(sw->nSoundLatency)) return false;
  if (!PLAT_SoundInit(rate, g_layerChannels)) {
    char text[512];
    std::snprintf(text, sizeof text,
                  "Error Initialising FMOD Sound System! [%s]\nPlease install the latest sound "
                  "drivers for you sound card!",
                  vnSOUND_ErrorText());
    PLAT_MessageBox(SGE_GetWindow(), text, "Sound Error", PLAT_MsgBoxButtons::Ok,
                    PLAT_MsgBoxIcon::Warning);
    return false;
  }
  PLAT_SoundSetRolloff(kRolloff);
  return true;
}

int32_t Fail() {
  PLAT_SoundClose();
  g_vnSound.started = false;
  return 0;
}

// Without the effects' tuning the game does not start: the player is told which file is at
// fault and how, as for the other start-up failures.
void SoundDefFailure(const char* what) {
  char text[256];
  std::snprintf(text, sizeof text,
                "The sound definition file \"%s\" %s.\nVantoria cannot start without it and "
                "stops.",
                VN_SOUNDDEF_FILE, what);
  PLAT_Trace("vnSOUND_Init: %s\n", text);
  PLAT_MessageBox(SGE_GetWindow(), text, "Sound Error", PLAT_MsgBoxButtons::Ok,
                  PLAT_MsgBoxIcon::Warning);
}

bool ReadSoundDefs() {
  if (!PLAT_FileExists(VN_SOUNDDEF_FILE)) {
    SoundDefFailure("is missing");
    return false;
  }
  PLAT_IniHold hold(VN_SOUNDDEF_FILE);
  for (int32_t id = 0; id < VN_SOUND_NUM_EFFECTS; ++id) {
    if (vnSOUND_ReadSoundDefEntry(VN_SOUNDDEF_FILE, id, &g_vnSound.effects[id])) continue;
    char what[96];
    std::snprintf(what, sizeof what, "is damaged: the entry File%d is missing or wrong", id);
    SoundDefFailure(what);
    return false;
  }
  return true;
}

float SetVolume(float* slot, float volume, void (*apply)()) {
  if (vnSOUND_Off()) return 0.0f;
  float previous = *slot;
  *slot = Clamp01(volume);
  apply();
  return previous;
}

void ApplySlotVolumes(bool dialogue) {
  for (VNSOUND_CHANNEL& s : g_vnSound.slots) {
    if (!(s.dwFlags & VN_SOUND_SLOT_PLAYING)) continue;
    if (((s.dwFlags & VN_SOUND_SLOT_DIALOGUE) != 0) != dialogue) continue;
    PLAT_SoundSetVolume(s.hChannel, static_cast<int32_t>(s.record.nVolume * vnSOUND_SlotScale(s)));
  }
}

}  // namespace

bool vnSOUND_Off() { return vnMAIN_GetSwitches()->bSound == 0; }

float vnSOUND_SlotScale(const VNSOUND_CHANNEL& s) {
  return (s.dwFlags & VN_SOUND_SLOT_DIALOGUE) ? g_vnSound.dialogue : g_vnSound.sfx;
}

void vnSOUND_ApplyMusicVolume() {
  for (int32_t ch : g_vnSound.streamChannels)
    if (ch >= 0) PLAT_SoundSetVolume(ch, static_cast<int32_t>(g_vnSound.music * 255.0f));
}

void vnSOUND_SetMissionView(VNSOUND_MISSIONVIEWFN fn) { g_missionView = fn; }

// The audible-distance check: whether a mission runs, and its camera's position.
bool vnSOUND_MissionCamera(bool* running, float camera[3]) {
  *running = false;
  return g_missionView && g_missionView(running, camera);
}

void vnSOUND_SetLayerChannels(int32_t channels) {
  g_layerChannels = channels > 0 ? channels : VN_SOUND_NUM_SLOTS;
}

int32_t vnSOUND_Init() {
  if (vnSOUND_Off()) return 1;
  if (g_vnSound.started) {
    PLAT_Trace("vnSOUND_Init: sound already started\n");
    return 0;
  }
  if (!StartLayer()) return Fail();
  g_vnSound.started = true;
  ResetTables();
  if (!ReadSoundDefs()) return Fail();
  g_vnSound.state = SPW_ObjsMem ? static_cast<VNSOUND_STATE*>(
                                      SGE_MemAlloc(SPW_ObjsMem, sizeof(VNSOUND_STATE)))
                                : nullptr;
  if (!g_vnSound.state) {
    PLAT_Trace("vnSOUND_Init: no room for the listener state\n");
    return Fail();
  }
  vnSOUND_ResetStateRecord(g_vnSound.state);
  const VNOPTIONS* options = vnOPTIONS_Get();
  const VNOPTIONS_SOUND* sound = vnOPTIONS_GetSoundSettings();
  g_vnSound.master = Clamp01(options ? options->fMasterVolume : 1.0f);
  g_vnSound.sfx = Clamp01(sound->fSfxVolume);
  g_vnSound.music = Clamp01(sound->fMusicVolume);
  g_vnSound.dialogue = Clamp01(sound->fDialogueVolume);
  static const char* const kOutputs[] = {"device", "null", "manual"};
  PLAT_Trace("vnSOUND_Init: sound started at %d Hz, %d channels, %s output\n", PLAT_SoundGetMixRate(),
             PLAT_SoundGetNumChannels(), kOutputs[static_cast<int32_t>(PLAT_SoundGetOutput())]);
  return 1;
}

void vnSOUND_Close() {
  if (vnSOUND_Off() || !g_vnSound.started) return;
  if (g_vnSound.state) SGE_MemFree(g_vnSound.state);
  g_vnSound.state = nullptr;
  // The layer frees every sample and stream with its close.
  PLAT_SoundClose();
  vnSOUND_ForgetSamples();
  g_vnSound.started = false;
}

int32_t vnSOUND_IsStarted() { return g_vnSound.started ? 1 : 0; }

const char* vnSOUND_ErrorText() { return vnSOUND_ErrorTextOf(PLAT_SoundGetError()); }

float vnSOUND_SetSFXVolume(float volume) {
  return SetVolume(&g_vnSound.sfx, volume, [] { ApplySlotVolumes(false); });
}
float vnSOUND_SetMusicVolume(float volume) {
  return SetVolume(&g_vnSound.music, volume, vnSOUND_ApplyMusicVolume);
}
float vnSOUND_SetDialogueVolume(float volume) {
  return SetVolume(&g_vnSound.dialogue, volume, [] { ApplySlotVolumes(true); });
}
float vnSOUND_GetSFXVolume() { return vnSOUND_Off() ? 0.0f : g_vnSound.sfx; }
float vnSOUND_GetMusicVolume() { return vnSOUND_Off() ? 0.0f : g_vnSound.music; }
float vnSOUND_GetDialogueVolume() { return vnSOUND_Off() ? 0.0f : g_vnSound.dialogue; }

void vnSOUND_SetMasterLevel(float level) {
  if (vnSOUND_Off()) return;
  PLAT_SoundSetMasterVolume(static_cast<int32_t>(Clamp01(level) * g_vnSound.master * 255.0f));
}

void vnSOUND_DuckVolumes() {
  if (vnSOUND_Off()) return;
  g_vnSound.duckedSfx = g_vnSound.sfx;
  g_vnSound.duckedMusic = g_vnSound.music;
  vnSOUND_SetSFXVolume(g_vnSound.duckedSfx * kDuckFactor);
  vnSOUND_SetMusicVolume(g_vnSound.duckedMusic * kDuckFactor);
}

void vnSOUND_RestoreVolumes() {
  if (vnSOUND_Off()) return;
  vnSOUND_SetSFXVolume(g_vnSound.duckedSfx);
  vnSOUND_SetMusicVolume(g_vnSound.duckedMusic);
}

VNSOUND_STATE* vnSOUND_GetStateRecord() { return vnSOUND_Off() ? nullptr : g_vnSound.state; }

void vnSOUND_ResetStateRecord(VNSOUND_STATE* state) {
  if (!state) return;
  *state = VNSOUND_STATE{1, {0.0f, 0.0f, 0.0f}};
}

void vnSOUND_UpdateListener(VNSOUND_STATE* state, const float m[16], int32_t apply) {
  if (vnSOUND_Off() || !state || !m) return;
  // Row vectors times the matrix: forward is (0, 0, -1) and up (0, 1, 0) turned by its rotation.
  const float pos[3] = {m[12], m[13], m[14]};
  const float forward[3] = {-m[8], -m[9], -m[10]};
  const float up[3] = {m[4], m[5], m[6]};
  if (state->bFirstUse) {
    std::copy(pos, pos + 3, state->afPrevPos);
    state->bFirstUse = 0;
  }
  vnSOUND_UpdateChannels(pos);
  std::copy(pos, pos + 3, state->afPrevPos);
  if (apply == 1) {
    const float still[3] = {0.0f, 0.0f, 0.0f};
    PLAT_SoundSetListener(pos, still, forward, up);
  }
}

void vnSOUND_UpdateChannels(const float* listenerPos) {
  if (vnSOUND_Off() || !g_vnSound.started) return;
  const float delta = SGE_GetFrameDelta();
  for (int32_t i = 0; i < VN_SOUND_NUM_SLOTS; ++i) {
    VNSOUND_CHANNEL& s = g_vnSound.slots[i];
    if (!(s.dwFlags & VN_SOUND_SLOT_PLAYING)) continue;
    if (!PLAT_SoundIsPlaying(s.hChannel)) {
      vnSOUND_StopChannel(i);
      continue;
    }
    if (s.record.fAudibleDistance == 0.0f || !listenerPos) continue;
    float velocity[3];
    for (int k = 0; k < 3; ++k) velocity[k] = (s.afPos[k] - s.afPrevPos[k]) / delta;
    PLAT_SoundSet3DAttributes(s.hChannel, s.afPos, velocity);
    std::copy(s.afPos, s.afPos + 3, s.afPrevPos);
  }
}
