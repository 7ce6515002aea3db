#pragma once
// 16-byte identities and their text forms. The byte layout is the stored one: Data1..Data3
// little-endian, then Data4 as it stands ({EAA64F58-...} is stored 58 4F A6 EA ...).
#include <cstdint>

struct PLAT_GUID {
  uint32_t Data1;
  uint16_t Data2;
  uint16_t Data3;
  uint8_t Data4[8];
};
static_assert(sizeof(PLAT_GUID) == 16);

// Characters of the two text forms below, the terminator included.
constexpr int PLAT_GUID_TEXT_SIZE = 37;
constexpr int PLAT_GUID_REGISTRY_TEXT_SIZE = 39;

bool PLAT_GuidEqual(const PLAT_GUID& a, const PLAT_GUID& b);
// Text without braces, lower case ("eaa64f58-035e-4efa-824b-908da8b8d911").
void PLAT_GuidToText(const PLAT_GUID& g, char out[PLAT_GUID_TEXT_SIZE]);
// Registry form with braces, upper case ("{EAA64F58-035E-4EFA-824B-908DA8B8D911}").
void PLAT_GuidToRegistryText(const PLAT_GUID& g, char out[PLAT_GUID_REGISTRY_TEXT_SIZE]);
// Accepts both forms, any letter case; false (out untouched) for anything else.
bool PLAT_GuidFromText(const char* text, PLAT_GUID* out);
// Raw 16 stored bytes to and from the record.
void PLAT_GuidToBytes(const PLAT_GUID& g, uint8_t out[16]);
PLAT_GUID PLAT_GuidFromBytes(const uint8_t in[16]);
