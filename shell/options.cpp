#include "shell/options.h"

#include <cmath>
#include <cstring>
#include <vector>

#include "platform/bytes.h"
#include "platform/registry.h"
#include "platform/trace.h"

namespace {

VNOPTIONS g_options{};
VNOPTIONS_SOUND g_sound{0, VN_OPTIONS_DEFAULT_SFX_VOLUME, VN_OPTIONS_DEFAULT_MUSIC_VOLUME,
                        VN_OPTIONS_DEFAULT_DIALOGUE_VOLUME};
int g_terrainNoise = 0;
int g_terrainLOD = 1;
VNOPTIONS_TERRAINLODHOOK g_terrainLODHook = nullptr;

void PutI32(uint8_t* p, int32_t v) { PLAT_StoreLE32(p, static_cast<uint32_t>(v)); }
int32_t GetI32(const uint8_t* p) { return static_cast<int32_t>(PLAT_LoadLE32(p)); }
void PutF32(uint8_t* p, float v) { PLAT_StoreLE32(p, PLAT_FloatBits(v)); }
float GetF32(const uint8_t* p) { return PLAT_FloatFromBits(PLAT_LoadLE32(p)); }

// The settings index tables elsewhere, so a bad stored value must not reach them.
void ClampLevel(int32_t* value, const char* what) {
  if (*value >= 0 && *value <= VN_OPTIONS_MAX_LEVEL) return;
  const int32_t clamped = *value < 0 ? 0 : VN_OPTIONS_MAX_LEVEL;
  PLAT_Trace("OPTIONS: %s %d out of range, using %d\n", what, *value, clamped);
  *value = clamped;
}

// Not a number falls back to the default; a finite value is clamped so that a volume stepped
// just past 1.0 keeps the player's choice.
void ClampVolume(float* value, float fallback, const char* what) {
  if (!std::isfinite(*value)) {
    PLAT_Trace("OPTIONS: %s volume is not a number, using %.2f\n", what, fallback);
    *value = fallback;
  } else if (*value < 0.0f || *value > 1.0f) {
    const float clamped = *value < 0.0f ? 0.0f : 1.0f;
    PLAT_Trace("OPTIONS: %s volume %g out of range, using %.1f\n", what, *value, clamped);
    *value = clamped;
  }
}

void Sanitise(VNOPTIONS* o) {
  ClampLevel(&o->dwTextureDetail, "texture detail");
  ClampLevel(&o->dwTerrainLOD, "terrain LOD");
  ClampLevel(&o->dwEffectsDetail, "effects detail");
  ClampLevel(&o->dwSoundQuality, "sound quality");
  ClampVolume(&o->fMasterVolume, VN_OPTIONS_DEFAULT_MASTER_VOLUME, "master");
  ClampVolume(&o->fSfxVolume, VN_OPTIONS_DEFAULT_SFX_VOLUME, "effects");
  ClampVolume(&o->fMusicVolume, VN_OPTIONS_DEFAULT_MUSIC_VOLUME, "music");
  ClampVolume(&o->fDialogueVolume, VN_OPTIONS_DEFAULT_DIALOGUE_VOLUME, "dialogue");
}

int WriteRecord(const VNOPTIONS& o) {
  uint8_t bytes[VN_OPTIONS_SIZE];
  vnOPTIONS_ToBytes(o, bytes);
  return SGE_WriteRegistryValue(VN_OPTIONS_VALUE, bytes, sizeof bytes);
}

}  // namespace

int SGE_WriteRegistryValue(const char* name, const void* data, uint32_t size) {
  if (!name || (!data && size > 0)) {
    PLAT_Trace("OPTIONS: SGE_WriteRegistryValue(): missing name or data\n");
    return -1;
  }
  PLAT_RegKeyHandle key;
  if (PLAT_RegCreateKey(VN_REGISTRY_KEY, &key) != PLAT_RegResult::Ok) {
    PLAT_Trace("OPTIONS: SGE_WriteRegistryValue(): cannot open %s\n", VN_REGISTRY_KEY);
    return -1;
  }
  if (PLAT_RegSetBinary(key.get(), name, {static_cast<const uint8_t*>(data), size}) !=
      PLAT_RegResult::Ok) {
    PLAT_Trace("OPTIONS: SGE_WriteRegistryValue(): cannot write %s\n", name);
    return -1;
  }
  return 1;
}

int SGE_ReadRegistryValue(const char* name, void* buffer, uint32_t size, uint32_t* read) {
  if (read) *read = 0;
  if (!name || (!buffer && size > 0)) {
    PLAT_Trace("OPTIONS: SGE_ReadRegistryValue(): missing name or buffer\n");
    return -1;
  }
  PLAT_RegKeyHandle key;
  if (PLAT_RegOpenKey(VN_REGISTRY_KEY, &key) != PLAT_RegResult::Ok) return -1;
  std::vector<uint8_t> value;
  PLAT_RegResult r = PLAT_RegGetBinary(key.get(), name, &value);
  if (r == PLAT_RegResult::WrongType) {
    // A 32-bit value reads as its four stored bytes, as any binary value would.
    uint32_t word = 0;
    r = PLAT_RegGetDword(key.get(), name, &word);
    value.resize(4);
    PLAT_StoreLE32(value.data(), word);
  }
  if (r != PLAT_RegResult::Ok) return -1;
  if (value.size() > size) {
    PLAT_Trace("OPTIONS: SGE_ReadRegistryValue(): %s holds %zu bytes, more than %u\n", name,
               value.size(), size);
    return -1;
  }
  if (!value.empty()) std::memcpy(buffer, value.data(), value.size());
  if (read) *read = static_cast<uint32_t>(value.size());
  return 1;
}

void vnOPTIONS_ToBytes(const VNOPTIONS& o, uint8_t out[VN_OPTIONS_SIZE]) {
  PLAT_GuidToBytes(o.guidStamp, out);
  PutI32(out + 16, o.dwTextureDetail);
  PutI32(out + 20, o.dwTerrainLOD);
  PutI32(out + 24, o.dwEffectsDetail);
  PutI32(out + 28, o.dwTerrainNoise);
  PutI32(out + 32, o.dwSoundQuality);
  PutI32(out + 36, o.dwHardwareSound);
  PutF32(out + 40, o.fMasterVolume);
  PutF32(out + 44, o.fSfxVolume);
  PutF32(out + 48, o.fMusicVolume);
  PutF32(out + 52, o.fDialogueVolume);
  PutI32(out + 56, o.dwReserved);
}

void vnOPTIONS_FromBytes(const uint8_t in[VN_OPTIONS_SIZE], VNOPTIONS* o) {
  o->guidStamp = PLAT_GuidFromBytes(in);
  o->dwTextureDetail = GetI32(in + 16);
  o->dwTerrainLOD = GetI32(in + 20);
  o->dwEffectsDetail = GetI32(in + 24);
  o->dwTerrainNoise = GetI32(in + 28);
  o->dwSoundQuality = GetI32(in + 32);
  o->dwHardwareSound = GetI32(in + 36);
  o->fMasterVolume = GetF32(in + 40);
  o->fSfxVolume = GetF32(in + 44);
  o->fMusicVolume = GetF32(in + 48);
  o->fDialogueVolume = GetF32(in + 52);
  o->dwReserved = GetI32(in + 56);
}

VNOPTIONS* vnOPTIONS_SetDefaults(VNOPTIONS* o) {
  if (!o) return nullptr;
  o->guidStamp = VN_OPTIONS_STAMP;
  o->dwTextureDetail = VN_OPTIONS_DEFAULT_TEXTURE_DETAIL;
  o->dwTerrainLOD = VN_OPTIONS_DEFAULT_TERRAIN_LOD;
  o->dwEffectsDetail = VN_OPTIONS_DEFAULT_EFFECTS_DETAIL;
  o->dwTerrainNoise = VN_OPTIONS_DEFAULT_TERRAIN_NOISE;
  o->dwSoundQuality = VN_OPTIONS_DEFAULT_SOUND_QUALITY;
  o->dwHardwareSound = VN_OPTIONS_DEFAULT_HARDWARE_SOUND;
  o->fMasterVolume = VN_OPTIONS_DEFAULT_MASTER_VOLUME;
  o->fSfxVolume = VN_OPTIONS_DEFAULT_SFX_VOLUME;
  o->fMusicVolume = VN_OPTIONS_DEFAULT_MUSIC_VOLUME;
  o->fDialogueVolume = VN_OPTIONS_DEFAULT_DIALOGUE_VOLUME;
  return o;
}

int vnOPTIONS_Load(VNOPTIONS* o) {
  if (!o) {
    PLAT_Trace("OPTIONS: vnOPTIONS_Load(): no record\n");
    return 0;
  }
  uint8_t bytes[VN_OPTIONS_SIZE] = {};
  uint32_t read = 0;
  const bool got = SGE_ReadRegistryValue(VN_OPTIONS_VALUE, bytes, sizeof bytes, &read) == 1;
  // A short value would leave fields unset; it is no record of ours either.
  if (got && read == VN_OPTIONS_SIZE &&
      PLAT_GuidEqual(PLAT_GuidFromBytes(bytes), VN_OPTIONS_STAMP)) {
    vnOPTIONS_FromBytes(bytes, o);
    Sanitise(o);
    return 1;
  }
  if (got) PLAT_Trace("OPTIONS: stored options are not ours, using defaults\n");
  vnOPTIONS_SetDefaults(o);
  WriteRecord(*o);
  return 0;
}

int vnOPTIONS_Save(const VNOPTIONS* o) {
  if (!o) {
    PLAT_Trace("OPTIONS: vnOPTIONS_Save(): no record\n");
    return -1;
  }
  // The options screen saves an edited copy; the run goes on with what was saved.
  if (o != &g_options) g_options = *o;
  return WriteRecord(*o);
}

VNOPTIONS* vnOPTIONS_Get() { return &g_options; }

void vnOPTIONS_ApplySound(const VNOPTIONS* o) {
  if (!o) {
    PLAT_Trace("OPTIONS: vnOPTIONS_ApplySound(): no record\n");
    return;
  }
  g_sound.bSoftwareOnly = o->dwHardwareSound == 0 ? 1 : 0;
  g_sound.fSfxVolume = o->fSfxVolume;
  g_sound.fMusicVolume = o->fMusicVolume;
  g_sound.fDialogueVolume = o->fDialogueVolume;
}

const VNOPTIONS_SOUND* vnOPTIONS_GetSoundSettings() { return &g_sound; }

void vnOPTIONS_ApplyTerrainNoise() { g_terrainNoise = g_options.dwTerrainNoise != 0 ? 1 : 0; }

int vnOPTIONS_GetTerrainNoise() { return g_terrainNoise; }

int vnOPTIONS_SetTerrainNoise(int flag) {
  const int previous = g_terrainNoise;
  g_terrainNoise = flag;
  return previous;
}

float vnOPTIONS_TerrainLODFactor(int level) {
  if (level == 0) return 0.64f;
  if (level == 2) return 0.83f;
  return 0.72f;
}

void vnOPTIONS_SetTerrainLODHook(VNOPTIONS_TERRAINLODHOOK hook) { g_terrainLODHook = hook; }

int vnOPTIONS_SetTerrainLOD(int level) {
  const int previous = g_terrainLOD;
  if (g_terrainLODHook && g_terrainLODHook(vnOPTIONS_TerrainLODFactor(level))) g_terrainLOD = level;
  return previous;
}
