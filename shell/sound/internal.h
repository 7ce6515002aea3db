#pragma once
// State shared by the sound system's files.
#include <array>

#include "platform/sound/sound.h"
#include "shell/sound/sound.h"

struct VNSOUND_STREAMDEF {
  const char* pszFile;
  uint32_t dwMode;
  int32_t nType;  // 1 WAV, 2 MPEG
};

// The program's tables (tables.cpp).
const VNSOUND_EFFECT* vnSOUND_EffectTable();  // VN_SOUND_NUM_EFFECTS entries, tuning zeroed
const VNSOUND_STREAMDEF* vnSOUND_StreamTable();  // VN_SOUND_NUM_STREAMS entries
const char* vnSOUND_VoiceFile(int32_t type, int32_t line);
extern const int32_t VN_SOUND_VOICE_TYPE_TABLE[];
extern const int32_t VN_SOUND_VOICE_TYPE_TABLE_SIZE;

struct VNSOUND_SYSTEM {
  bool started = false;
  std::array<VNSOUND_EFFECT, VN_SOUND_NUM_EFFECTS> effects{};
  std::array<PLAT_Sample*, VN_SOUND_NUM_EFFECTS> samples{};
  std::array<int32_t, VN_SOUND_NUM_EFFECTS> plays{};
  std::array<VNSOUND_CHANNEL, VN_SOUND_NUM_SLOTS> slots{};
  std::array<PLAT_Stream*, VN_SOUND_NUM_STREAMS> streams{};
  std::array<int32_t, VN_SOUND_NUM_STREAMS> streamChannels{};
  std::array<int32_t, VN_SOUND_NUM_STREAMS> streamVolumes{};
  std::array<std::array<VNSOUND_EFFECT, VN_SOUND_VOICE_LINES>, VN_SOUND_NUM_VOICE_TYPES> voices{};
  std::array<std::array<PLAT_Sample*, VN_SOUND_VOICE_LINES>, VN_SOUND_NUM_VOICE_TYPES> voiceSamples{};
  VNSOUND_STATE* state = nullptr;
  float master = 1.0f;
  float sfx = 1.0f;
  float music = 1.0f;
  float dialogue = 1.0f;
  float duckedSfx = 1.0f;
  float duckedMusic = 1.0f;
};

extern VNSOUND_SYSTEM g_vnSound;

// Sound switched off on the command line.
bool vnSOUND_Off();
// Effects volume for ordinary slots, dialogue volume for dialogue slots.
float vnSOUND_SlotScale(const VNSOUND_CHANNEL& slot);
void vnSOUND_ApplyMusicVolume();
void vnSOUND_ForgetSamples();
// Whether a mission runs (into *running) and its camera's position (false without a camera).
bool vnSOUND_MissionCamera(bool* running, float camera[3]);
