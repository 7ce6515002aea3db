#include "tools/writers/registry_writer.h"

#include "platform/bytes.h"
#include "platform/registry.h"
#include "platform/trace.h"

namespace {

PLAT_RegKeyHandle OpenKey(const char* keyPath) {
  PLAT_RegKeyHandle key;
  if (!keyPath || PLAT_RegCreateKey(keyPath, &key) != PLAT_RegResult::Ok) {
    PLAT_Trace("VNWRITE: cannot open key %s\n", keyPath ? keyPath : "(null)");
    return nullptr;
  }
  return key;
}

bool Check(PLAT_RegResult r, const char* name) {
  if (r == PLAT_RegResult::Ok) return true;
  PLAT_Trace("VNWRITE: cannot write value %s\n", name ? name : "(null)");
  return false;
}

}  // namespace

VNWRITE_OPTIONS vnWRITE_DefaultOptions() {
  // {EAA64F58-035E-4EFA-824B-908DA8B8D911} in its stored byte order.
  return VNWRITE_OPTIONS{{0x58, 0x4F, 0xA6, 0xEA, 0x5E, 0x03, 0xFA, 0x4E, 0x82, 0x4B, 0x90, 0x8D,
                          0xA8, 0xB8, 0xD9, 0x11},
                         2, 1, 2, 2, 1, 1, 1.0f, 1.0f, 0.3f, 0.8f, 0};
}

std::vector<uint8_t> vnWRITE_OptionsBytes(const VNWRITE_OPTIONS& o) {
  std::vector<uint8_t> out(o.abStamp, o.abStamp + 16);
  for (int32_t v : {o.dwTextureDetail, o.dwTerrainLOD, o.dwEffectsDetail, o.dwTerrainNoise,
                    o.dwSoundQuality, o.dwHardwareSound})
    PLAT_AppendLE32(out, static_cast<uint32_t>(v));
  for (float v : {o.fMasterVolume, o.fSfxVolume, o.fMusicVolume, o.fDialogueVolume})
    PLAT_AppendLE32(out, PLAT_FloatBits(v));
  PLAT_AppendLE32(out, static_cast<uint32_t>(o.dwReserved));
  return out;
}

bool vnWRITE_RegistryOptions(const VNWRITE_OPTIONS& options) {
  const std::vector<uint8_t> bytes = vnWRITE_OptionsBytes(options);
  return vnWRITE_RegistryBinary(VNWRITE_GAME_KEY, "Options", bytes.data(),
                                static_cast<uint32_t>(bytes.size()));
}

bool vnWRITE_RegistryBinary(const char* keyPath, const char* name, const void* data,
                            uint32_t size) {
  PLAT_RegKeyHandle key = OpenKey(keyPath);
  return key &&
         Check(PLAT_RegSetBinary(key.get(), name, {static_cast<const uint8_t*>(data), size}), name);
}

bool vnWRITE_RegistryDword(const char* keyPath, const char* name, uint32_t value) {
  PLAT_RegKeyHandle key = OpenKey(keyPath);
  return key && Check(PLAT_RegSetDword(key.get(), name, value), name);
}

bool vnWRITE_RegistryString(const char* keyPath, const char* name, const char* value) {
  PLAT_RegKeyHandle key = OpenKey(keyPath);
  return key && value && Check(PLAT_RegSetString(key.get(), name, value), name);
}
