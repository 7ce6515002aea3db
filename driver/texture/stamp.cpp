// The stamp file: building the current stamp, its text in both directions, matching.
#include "driver/texture/stamp.h"

#include <cctype>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string_view>

#include "driver/core/pools.h"
#include "driver/device/device.h"
#include "driver/texture/convert.h"
#include "engine/driver/sppd.h"
#include "platform/bytes.h"
#include "platform/files.h"
#include "platform/trace.h"

namespace {

constexpr char kDriverKey[] = "KOGUID";
constexpr char kDisplayKey[] = "GFXDRVGUID";
constexpr char kCountKey[] = "GFXDRVPFSETSIZE";
constexpr char kFormatKey[] = "GFXDRVPFSET(%u)";
constexpr char kHexDigits[] = "0123456789ABCDEF";

SPPD_TEXSTAMP* NewStamp(SPPD_POOL* pool, uint32_t formats) {
  const uint32_t bytes = sizeof(SPPD_TEXSTAMP) + formats * SPPD_PIXELFORMAT_BYTES;
  auto* s = static_cast<SPPD_TEXSTAMP*>(SPPD_PoolCalloc(pool, bytes));
  if (!s) {
    PLAT_Trace("GFXDRV: no room for a texture stamp of %u formats\n", formats);
    return nullptr;
  }
  s->dwNumFormats = formats;
  s->pFormats = reinterpret_cast<uint8_t(*)[SPPD_PIXELFORMAT_BYTES]>(s + 1);
  return s;
}

// Appends "KEY = HEX\n"; false when the text would not fit.
bool AppendLine(char* out, size_t size, size_t* used, const char* key, const uint8_t* bytes,
                size_t count) {
  int n = std::snprintf(out + *used, size - *used, "%s = ", key);
  if (n < 0 || static_cast<size_t>(n) >= size - *used) return false;
  size_t at = *used + static_cast<size_t>(n);
  if (at + 2 * count + 1 >= size) return false;
  for (size_t i = 0; i < count; ++i) {
    out[at++] = kHexDigits[bytes[i] & 0xF];
    out[at++] = kHexDigits[bytes[i] >> 4];
  }
  out[at++] = '\n';
  out[at] = '\0';
  *used = at;
  return true;
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

bool IsSpace(char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; }

// The value of the first line that starts with the key and reads as "WORD = VALUE", decoded into
// exactly `expected` bytes. The text is terminated by the caller.
bool DecodeKey(const char* text, const char* key, uint8_t* out, size_t expected) {
  const char* p = std::strstr(text, key);
  if (!p) return false;
  while (*p && !IsSpace(*p)) ++p;  // the key's word
  while (IsSpace(*p)) ++p;
  if (*p != '=') return false;
  ++p;
  while (IsSpace(*p)) ++p;
  size_t count = 0;
  for (; *p && !IsSpace(*p); p += 2) {
    const int low = HexValue(p[0]);
    const int high = p[1] ? HexValue(p[1]) : -1;
    if (low < 0 || high < 0 || count == expected) return false;
    out[count++] = static_cast<uint8_t>(low | high << 4);
  }
  return count == expected;
}

}  // namespace

void SPPD_StampFree(SPPD_TEXSTAMP* s) {
  if (s) SPPD_PoolFree(s);
}

SPPD_TEXSTAMP* SPPD_StampCurrent(SPPD_DRIVERSTATE* state) {
  if (!state || !state->pGeneralPool || !state->pLists) {
    PLAT_Trace("GFXDRV: SPPD_PreCacheTextures: no device\n");
    return nullptr;
  }
  const SPPD_ENUMLISTS& L = *state->pLists;
  if (L.chosenDisplay < 0 || static_cast<size_t>(L.chosenDisplay) >= L.displays.size()) {
    PLAT_Trace("GFXDRV: SPPD_PreCacheTextures: no display device chosen\n");
    return nullptr;
  }
  const SPPD_TEXFORMATENTRY *opaque, *alpha;
  if (SPPD_TextureChooseFormats(L.texFormats, state->fPalette, &opaque, &alpha) != SPPD_OK) {
    PLAT_Trace("GFXDRV: SPPD_PreCacheTextures: the device has no texture formats to convert to\n");
    return nullptr;
  }
  SPPD_TEXSTAMP* s = NewStamp(state->pGeneralPool, 2);
  if (!s) return nullptr;
  s->guidDisplay = L.displays[static_cast<size_t>(L.chosenDisplay)].guid;
  s->guidDriver = SPPD_GUID;
  s->dwReadFormats = 2;
  SPPD_PixelFormatToBytes(alpha->format, s->pFormats[0]);
  SPPD_PixelFormatToBytes(opaque->format, s->pFormats[1]);
  return s;
}

SPPD_TEXSTAMP* SPPD_StampParse(SPPD_POOL* pool, const char* text, size_t size) {
  if (!text) return nullptr;
  // The file holds no terminator of its own that could be trusted: the copy gets one.
  auto* copy = static_cast<char*>(SPPD_PoolAlloc(pool, static_cast<uint32_t>(size) + 1));
  if (!copy) return nullptr;
  std::memcpy(copy, text, size);
  copy[size] = '\0';
  std::unique_ptr<char, decltype(&SPPD_PoolFree)> hold(copy, &SPPD_PoolFree);

  uint8_t countBytes[4], driver[16], display[16];
  if (!DecodeKey(copy, kCountKey, countBytes, 4) || !DecodeKey(copy, kDriverKey, driver, 16) ||
      !DecodeKey(copy, kDisplayKey, display, 16))
    return nullptr;
  const uint32_t count = PLAT_LoadLE32(countBytes);
  if (count > SPPD_STAMP_MAX_FORMATS) {
    PLAT_Trace("GFXDRV: texture stamp claims %u formats\n", count);
    return nullptr;
  }
  SPPD_StampHandle s(NewStamp(pool, count));
  if (!s) return nullptr;
  s->guidDriver = PLAT_GuidFromBytes(driver);
  s->guidDisplay = PLAT_GuidFromBytes(display);
  for (uint32_t i = 0; i < count; ++i) {
    char key[32];
    std::snprintf(key, sizeof key, kFormatKey, i);
    if (!DecodeKey(copy, key, s->pFormats[i], SPPD_PIXELFORMAT_BYTES)) break;
    s->dwReadFormats = i + 1;
  }
  return s.release();
}

SPPD_TEXSTAMP* SPPD_StampRead(SPPD_POOL* pool, const char* folder) {
  if (!folder) return nullptr;
  std::string path = folder;
  if (path.find(SPPD_STAMP_FILE) == std::string::npos) path += std::string("/") + SPPD_STAMP_FILE;
  PLAT_FileHandle f(PLAT_FOpen(path.c_str(), "rb"));
  uint64_t size = 0;
  if (!f || !PLAT_FileStat(path.c_str(), nullptr, &size)) return nullptr;
  // Far beyond any stamp this driver writes; the pool could not hold it anyway.
  if (size > SPPD_STAMP_TEXT_SIZE * 16u) {
    PLAT_Trace("GFXDRV: %s is %llu bytes, not a texture stamp\n", path.c_str(),
               static_cast<unsigned long long>(size));
    return nullptr;
  }
  auto* text = static_cast<char*>(SPPD_PoolAlloc(pool, static_cast<uint32_t>(size) + 1));
  if (!text) return nullptr;
  std::unique_ptr<char, decltype(&SPPD_PoolFree)> hold(text, &SPPD_PoolFree);
  const size_t got = std::fread(text, 1, static_cast<size_t>(size), f.get());
  if (got != size) {
    PLAT_Trace("GFXDRV: cannot read %s\n", path.c_str());
    return nullptr;
  }
  return SPPD_StampParse(pool, text, got);
}

bool SPPD_StampMatches(const SPPD_TEXSTAMP& current, const SPPD_TEXSTAMP& stored) {
  if (current.dwNumFormats != stored.dwNumFormats ||
      !PLAT_GuidEqual(current.guidDriver, stored.guidDriver) ||
      !PLAT_GuidEqual(current.guidDisplay, stored.guidDisplay))
    return false;
  for (uint32_t i = 0; i < current.dwReadFormats; ++i) {
    bool found = false;
    for (uint32_t j = 0; j < stored.dwReadFormats && !found; ++j)
      found = std::memcmp(current.pFormats[i], stored.pFormats[j], SPPD_PIXELFORMAT_BYTES) == 0;
    if (!found) return false;
  }
  return true;
}

size_t SPPD_StampFormat(const SPPD_TEXSTAMP& s, char* out, size_t size) {
  if (!out || size == 0) return 0;
  out[0] = '\0';
  size_t used = 0;
  uint8_t driver[16], display[16], count[4];
  PLAT_GuidToBytes(s.guidDriver, driver);
  PLAT_GuidToBytes(s.guidDisplay, display);
  PLAT_StoreLE32(count, s.dwNumFormats);
  bool ok = AppendLine(out, size, &used, kDriverKey, driver, 16) &&
            AppendLine(out, size, &used, kDisplayKey, display, 16) &&
            AppendLine(out, size, &used, kCountKey, count, 4);
  for (uint32_t i = 0; ok && i < s.dwReadFormats; ++i) {
    char key[32];
    std::snprintf(key, sizeof key, kFormatKey, i);
    ok = AppendLine(out, size, &used, key, s.pFormats[i], SPPD_PIXELFORMAT_BYTES);
  }
  return ok ? used : 0;
}

bool SPPD_StampWrite(const SPPD_TEXSTAMP& s, const char* path) {
  char text[SPPD_STAMP_TEXT_SIZE];
  const size_t length = SPPD_StampFormat(s, text, sizeof text);
  if (length == 0) {
    PLAT_Trace("GFXDRV: the texture stamp does not fit its %d-byte text\n", SPPD_STAMP_TEXT_SIZE);
    return false;
  }
  PLAT_FileHandle f(PLAT_FOpen(path, "wb"));
  const bool ok = f && std::fwrite(text, 1, length + 1, f.get()) == length + 1;
  if (!PLAT_CloseFile(f) || !ok) {
    PLAT_Trace("GFXDRV: cannot write the texture stamp %s\n", path);
    return false;
  }
  return true;
}
