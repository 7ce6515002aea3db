#include "platform/guid.h"

#include <cstdio>
#include <cstring>

#include "platform/bytes.h"
#include "platform/trace.h"

namespace {

// Text length without braces: 8-4-4-4-12 hex digits and four dashes.
constexpr size_t kGuidTextLen = PLAT_GUID_TEXT_SIZE - 1;  // without braces

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Reads `digits` hex digits; false on any non-hex character.
bool ReadHex(const char* text, int digits, uint32_t* out) {
  uint32_t v = 0;
  for (int i = 0; i < digits; ++i) {
    int h = HexValue(text[i]);
    if (h < 0) return false;
    v = (v << 4) | static_cast<uint32_t>(h);
  }
  *out = v;
  return true;
}

void Format(const PLAT_GUID& g, const char* fmt, char* out, size_t size) {
  std::snprintf(out, size, fmt, static_cast<unsigned>(g.Data1), static_cast<unsigned>(g.Data2),
                static_cast<unsigned>(g.Data3), g.Data4[0], g.Data4[1], g.Data4[2], g.Data4[3],
                g.Data4[4], g.Data4[5], g.Data4[6], g.Data4[7]);
}

}  // namespace

bool PLAT_GuidEqual(const PLAT_GUID& a, const PLAT_GUID& b) {
  return a.Data1 == b.Data1 && a.Data2 == b.Data2 && a.Data3 == b.Data3 &&
         std::memcmp(a.Data4, b.Data4, sizeof a.Data4) == 0;
}

void PLAT_GuidToText(const PLAT_GUID& g, char out[PLAT_GUID_TEXT_SIZE]) {
  Format(g, "%08x-%04x-%04x-%02x%02x-%02x%02x%02x%02x%02x%02x", out, PLAT_GUID_TEXT_SIZE);
}

void PLAT_GuidToRegistryText(const PLAT_GUID& g, char out[PLAT_GUID_REGISTRY_TEXT_SIZE]) {
  Format(g, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}", out, PLAT_GUID_REGISTRY_TEXT_SIZE);
}

static bool ParseGuid(const char* text, PLAT_GUID* out) {
  size_t len = std::strlen(text);
  if (len == kGuidTextLen + 2) {
    if (text[0] != '{' || text[len - 1] != '}') return false;
    ++text;
  } else if (len != kGuidTextLen) {
    return false;
  }
  if (text[8] != '-' || text[13] != '-' || text[18] != '-' || text[23] != '-') return false;

  PLAT_GUID g{};
  uint32_t v = 0;
  if (!ReadHex(text, 8, &v)) return false;
  g.Data1 = v;
  if (!ReadHex(text + 9, 4, &v)) return false;
  g.Data2 = static_cast<uint16_t>(v);
  if (!ReadHex(text + 14, 4, &v)) return false;
  g.Data3 = static_cast<uint16_t>(v);
  // Data4: two bytes before the last dash, six after it.
  static constexpr int kByteOffsets[8] = {19, 21, 24, 26, 28, 30, 32, 34};
  for (int i = 0; i < 8; ++i) {
    if (!ReadHex(text + kByteOffsets[i], 2, &v)) return false;
    g.Data4[i] = static_cast<uint8_t>(v);
  }
  *out = g;
  return true;
}

bool PLAT_GuidFromText(const char* text, PLAT_GUID* out) {
  if (!text || !out) {
    PLAT_Trace("PLAT_GuidFromText: no text or no output\n");
    return false;
  }
  if (!ParseGuid(text, out)) {
    PLAT_Trace("PLAT_GuidFromText: not a GUID: \"%.64s\"\n", text);
    return false;
  }
  return true;
}

void PLAT_GuidToBytes(const PLAT_GUID& g, uint8_t out[16]) {
  PLAT_StoreLE32(out, g.Data1);
  PLAT_StoreLE16(out + 4, g.Data2);
  PLAT_StoreLE16(out + 6, g.Data3);
  std::memcpy(out + 8, g.Data4, 8);
}

PLAT_GUID PLAT_GuidFromBytes(const uint8_t in[16]) {
  PLAT_GUID g{};
  g.Data1 = PLAT_LoadLE32(in);
  g.Data2 = PLAT_LoadLE16(in + 4);
  g.Data3 = PLAT_LoadLE16(in + 6);
  std::memcpy(g.Data4, in + 8, 8);
  return g;
}
