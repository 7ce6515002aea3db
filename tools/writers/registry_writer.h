#pragma once
// Writes values into the settings store: the game's options record and any other value.
#include <cstdint>
#include <vector>

// The options record as stored (60 bytes, little-endian); kept apart from the game's own
// record so that a round trip checks the layout from both sides.
struct VNWRITE_OPTIONS {
  uint8_t abStamp[16];
  int32_t dwTextureDetail;
  int32_t dwTerrainLOD;
  int32_t dwEffectsDetail;
  int32_t dwTerrainNoise;
  int32_t dwSoundQuality;
  int32_t dwHardwareSound;
  float fMasterVolume;
  float fSfxVolume;
  float fMusicVolume;
  float fDialogueVolume;
  int32_t dwReserved;
};

inline constexpr const char* VNWRITE_GAME_KEY = "software\\KOR\\Stuff";

// The game's stamp and default settings, reserved word 0.
VNWRITE_OPTIONS vnWRITE_DefaultOptions();
std::vector<uint8_t> vnWRITE_OptionsBytes(const VNWRITE_OPTIONS& options);
// Writes the record as the binary value "Options" of the game's key.
bool vnWRITE_RegistryOptions(const VNWRITE_OPTIONS& options);

// Any value under any key path (created when missing). False with a trace on failure.
bool vnWRITE_RegistryBinary(const char* keyPath, const char* name, const void* data,
                            uint32_t size);
bool vnWRITE_RegistryDword(const char* keyPath, const char* name, uint32_t value);
bool vnWRITE_RegistryString(const char* keyPath, const char* name, const char* value);
