#pragma once
// The player's options record, stored as the binary registry value "Options", and the binary
// values of the game's registry key "software\KOR\Stuff".
#include <cstdint>

#include "platform/guid.h"

// Size of the stored record; the layout is written field by field (options.cpp).
constexpr uint32_t VN_OPTIONS_SIZE = 60;
constexpr const char* VN_OPTIONS_VALUE = "Options";
constexpr const char* VN_REGISTRY_KEY = "software\\KOR\\Stuff";

// Highest value of the three-step settings (texture detail, terrain LOD, effects detail,
// sound quality); readers use them as table indices.
constexpr int32_t VN_OPTIONS_MAX_LEVEL = 2;

constexpr int32_t VN_OPTIONS_DEFAULT_TEXTURE_DETAIL = 2;
constexpr int32_t VN_OPTIONS_DEFAULT_TERRAIN_LOD = 1;
constexpr int32_t VN_OPTIONS_DEFAULT_EFFECTS_DETAIL = 2;
constexpr int32_t VN_OPTIONS_DEFAULT_TERRAIN_NOISE = 2;
constexpr int32_t VN_OPTIONS_DEFAULT_SOUND_QUALITY = 1;
constexpr int32_t VN_OPTIONS_DEFAULT_HARDWARE_SOUND = 1;
constexpr float VN_OPTIONS_DEFAULT_MASTER_VOLUME = 1.0f;
constexpr float VN_OPTIONS_DEFAULT_SFX_VOLUME = 1.0f;
constexpr float VN_OPTIONS_DEFAULT_MUSIC_VOLUME = 0.3f;
constexpr float VN_OPTIONS_DEFAULT_DIALOGUE_VOLUME = 0.8f;

// {EAA64F58-035E-4EFA-824B-908DA8B8D911}: a stored record with another stamp is not ours.
constexpr PLAT_GUID VN_OPTIONS_STAMP = {
    0xEAA64F58, 0x035E, 0x4EFA, {0x82, 0x4B, 0x90, 0x8D, 0xA8, 0xB8, 0xD9, 0x11}};

struct VNOPTIONS {
  PLAT_GUID guidStamp;          // 0
  int32_t dwTextureDetail;      // 16: 0..2
  int32_t dwTerrainLOD;         // 20: 0..2
  int32_t dwEffectsDetail;      // 24: 0..2
  int32_t dwTerrainNoise;       // 28: nonzero turns the overlay on
  int32_t dwSoundQuality;       // 32: 0..2
  int32_t dwHardwareSound;      // 36: 0 = software-only
  float fMasterVolume;          // 40: 0..1
  float fSfxVolume;             // 44
  float fMusicVolume;           // 48
  float fDialogueVolume;        // 52
  int32_t dwReserved;           // 56: not touched by the defaults
};

// Sound settings handed over by vnOPTIONS_ApplySound; the sound system reads them when it
// starts and when they change.
struct VNOPTIONS_SOUND {
  int32_t bSoftwareOnly;
  float fSfxVolume;
  float fMusicVolume;
  float fDialogueVolume;
};

// Applies a terrain factor to the mission view; returns 0 when the display, its driver table
// or the mission view is missing. The display code installs it; none means "missing".
using VNOPTIONS_TERRAINLODHOOK = int (*)(float factor);

// Binary values of "software\KOR\Stuff" (created when missing). 1 on success, -1 on failure.
int SGE_WriteRegistryValue(const char* name, const void* data, uint32_t size);
// Reads at most size bytes; a larger value fails. *read (when given) gets the bytes read.
int SGE_ReadRegistryValue(const char* name, void* buffer, uint32_t size, uint32_t* read = nullptr);

// Field-by-field little-endian form of the stored record.
void vnOPTIONS_ToBytes(const VNOPTIONS& options, uint8_t out[VN_OPTIONS_SIZE]);
void vnOPTIONS_FromBytes(const uint8_t in[VN_OPTIONS_SIZE], VNOPTIONS* options);

VNOPTIONS* vnOPTIONS_SetDefaults(VNOPTIONS* options);
// Reads "Options"; a missing, short, oversized or foreign value is replaced by the defaults,
// which are saved. Out-of-range settings are clamped to 0..2; a volume that is not a number
// falls back to its default and one outside 0..1 is clamped.
// Result: 1 when the stored record was taken, 0 when the defaults were.
int vnOPTIONS_Load(VNOPTIONS* options);
// Copies the record into the run's record (when it is another) and writes it; 1 or -1.
int vnOPTIONS_Save(const VNOPTIONS* options);
VNOPTIONS* vnOPTIONS_Get();

void vnOPTIONS_ApplySound(const VNOPTIONS* options);
const VNOPTIONS_SOUND* vnOPTIONS_GetSoundSettings();

void vnOPTIONS_ApplyTerrainNoise();
int vnOPTIONS_GetTerrainNoise();
int vnOPTIONS_SetTerrainNoise(int flag);  // returns the previous flag

// 0.64 for level 0, 0.83 for level 2, 0.72 for any other.
float vnOPTIONS_TerrainLODFactor(int level);
void vnOPTIONS_SetTerrainLODHook(VNOPTIONS_TERRAINLODHOOK hook);
// Applies the level through the hook and remembers it; without a mission view nothing
// changes. Returns the previous level in every case.
int vnOPTIONS_SetTerrainLOD(int level);
