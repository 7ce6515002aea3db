#pragma once
// The game's sounds: 812 effects by id, tuned by "sound/sounddef.txt"; 56 channel slots that
// remember what plays on each channel of the sound layer and whom to tell when it ends; 30
// music streams; ten banks of 68 voice lines; the effects, music and dialogue volumes; and the
// 3D listener. With sound switched off on the command line ("sound 0") every call returns at
// once with its neutral result: 1 for loads and starts, -1 for plays, 0 or none otherwise.
#include <cstdint>

#include "engine/kernel/kernel.h"

constexpr int32_t VN_SOUND_NUM_EFFECTS = 812;
constexpr int32_t VN_SOUND_NUM_SLOTS = 56;
constexpr int32_t VN_SOUND_NUM_STREAMS = 30;
constexpr int32_t VN_SOUND_NUM_VOICE_TYPES = 10;
constexpr int32_t VN_SOUND_VOICE_LINES = 68;

// To the owner of a slot when its sound stops or ends: p1 the slot, p2 the effect id or voice type.
constexpr int32_t SGM_SOUND_FINISHED = 5139;

// Effect and stream modes, as the sound layer reads them.
constexpr uint32_t VN_SOUND_MODE_LOOP = 0x2;
constexpr uint32_t VN_SOUND_MODE_3D = 0x1000;
constexpr uint32_t VN_SOUND_MODE_2D = 0x2000;

// Slot flags.
constexpr uint32_t VN_SOUND_SLOT_PLAYING = 1;
constexpr uint32_t VN_SOUND_SLOT_DIALOGUE = 4;

// Effect groups (vnSOUND_LoadGroup): the front end's effects and those of every mission.
constexpr uint32_t VN_SOUND_GROUP_FRONTEND = 0x1;
constexpr uint32_t VN_SOUND_GROUP_GAME = 0x4;

constexpr const char* VN_SOUNDDEF_FILE = "sound/sounddef.txt";
constexpr const char* VN_SOUNDDEF_SECTION = "SoundEffectRunTimeBindingData";

// One effect or voice line. The program's table gives the first three fields; the rest come
// from "sound/sounddef.txt" (effects) or are fixed at start-up (voice lines).
struct VNSOUND_EFFECT {
  const char* pszFile;  // relative to the working directory
  uint32_t dwMode;
  uint32_t dwGroupMask;
  int32_t nPriority;    // 0..255
  int32_t nVolume;      // 0..255
  float fMinDistance;
  float fAudibleDistance;  // 0 = heard at any distance
  int32_t nMaxPlays;       // simultaneous plays of the id
};

struct VNSOUND_CHANNEL {
  int32_t hChannel;  // the layer's channel handle
  uint32_t dwFlags;
  int32_t nId;       // effect id or voice type, -1 when nothing is recorded
  float afPos[3];
  float afPrevPos[3];
  const VNSOUND_EFFECT* pSource;
  VNSOUND_EFFECT record;  // its volume is the slot's own
  SGE_TASK* pOwner;
};

// The listener's memory between frames, kept in SPW_ObjsMem while sound runs.
struct VNSOUND_STATE {
  int32_t bFirstUse;
  float afPrevPos[3];
};

// What the audible-distance check needs of a running mission: whether one runs, and the
// position of its camera (false when it has none). No function installed means no mission.
using VNSOUND_MISSIONVIEWFN = bool (*)(bool* missionRunning, float cameraPos[3]);
void vnSOUND_SetMissionView(VNSOUND_MISSIONVIEWFN fn);

// Channels asked of the sound layer at start-up: one per slot unless set before vnSOUND_Init.
void vnSOUND_SetLayerChannels(int32_t channels);

// Reads the five tuning values of one effect from a sounddef file into the last five fields;
// 0 (with a trace) when the key is missing, has fewer values or one out of range.
int32_t vnSOUND_ReadSoundDefEntry(const char* file, int32_t id, VNSOUND_EFFECT* effect);

// Start and stop. 1 on success (or with sound off), 0 on failure.
int32_t vnSOUND_Init();
void vnSOUND_Close();
int32_t vnSOUND_IsStarted();
const char* vnSOUND_ErrorText();
const char* vnSOUND_ErrorTextOf(int32_t code);

// The program's table; null for an id outside 0..811.
const VNSOUND_EFFECT* vnSOUND_GetEffect(int32_t id);
const VNSOUND_CHANNEL* vnSOUND_GetSlot(int32_t slot);
// File of a music stream; null for an index outside 0..29.
const char* vnSOUND_GetStreamFile(int32_t index);
int32_t vnSOUND_GetPlayCount(int32_t id);

// Effects.
int32_t vnSOUND_LoadEffect(int32_t id);
void vnSOUND_FreeEffect(int32_t id);
int32_t vnSOUND_LoadGroup(uint32_t mask);  // 0 when any effect of the group failed
void vnSOUND_FreeGroup(uint32_t mask);
// Slot or -1. PlayEffect skips sounds beyond their audible distance from a mission's camera.
int32_t vnSOUND_PlayEffect(int32_t id, const float* pos);
int32_t vnSOUND_PlayEffectAt(int32_t id, const float* pos);
int32_t vnSOUND_PlayEffectScaled(int32_t id, const float* pos, float volumeScale);
int32_t vnSOUND_PlayDialogue(int32_t id);
int32_t vnSOUND_StopChannel(int32_t slot);
void vnSOUND_StopAllChannels();
void vnSOUND_SetChannelOwner(int32_t slot, SGE_TASK* owner);
void vnSOUND_SetChannelPosition(int32_t slot, const float* pos);
int32_t vnSOUND_SetChannelVolume(int32_t slot, int32_t volume);
int32_t vnSOUND_GetChannelVolume(int32_t slot);

// Voices.
int32_t vnSOUND_LoadVoiceBank(int32_t type);
int32_t vnSOUND_LoadVoiceTypes();
void vnSOUND_FreeVoiceTypes();
int32_t vnSOUND_PlayVoice(int32_t type, int32_t line, const float* pos);

// Music.
int32_t vnSOUND_PlayStream(int32_t index);
void vnSOUND_CloseStream(int32_t index);
void vnSOUND_StopMusic();
int32_t vnSOUND_GetStreamChannel(int32_t index);

// Volumes, 0..1. The setters return the previous value.
float vnSOUND_SetSFXVolume(float volume);
float vnSOUND_SetMusicVolume(float volume);
float vnSOUND_SetDialogueVolume(float volume);
float vnSOUND_GetSFXVolume();
float vnSOUND_GetMusicVolume();
float vnSOUND_GetDialogueVolume();
void vnSOUND_SetMasterLevel(float level);
void vnSOUND_DuckVolumes();
void vnSOUND_RestoreVolumes();

// 3D and per frame.
VNSOUND_STATE* vnSOUND_GetStateRecord();
void vnSOUND_ResetStateRecord(VNSOUND_STATE* state);
// The camera matrix is row-major with the translation in the fourth row.
void vnSOUND_UpdateListener(VNSOUND_STATE* state, const float matrix[16], int32_t apply);
void vnSOUND_UpdateChannels(const float* listenerPos);
