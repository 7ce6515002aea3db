#pragma once
// Stored records are little-endian whatever the host: every packed field goes through these.
#include <bit>
#include <cstdint>
#include <vector>

constexpr uint16_t PLAT_LoadLE16(const uint8_t* p) {
  return static_cast<uint16_t>(p[0] | p[1] << 8);
}

constexpr uint32_t PLAT_LoadLE32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
         static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

constexpr void PLAT_StoreLE16(uint8_t* p, uint16_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
}

constexpr void PLAT_StoreLE32(uint8_t* p, uint32_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
  p[2] = static_cast<uint8_t>(v >> 16);
  p[3] = static_cast<uint8_t>(v >> 24);
}

// The low `count` bytes of v (up to 4), for fields whose width is only known at run time.
constexpr void PLAT_StoreLEBytes(uint8_t* p, uint32_t v, uint32_t count) {
  for (uint32_t k = 0; k < count && k < 4; ++k) p[k] = static_cast<uint8_t>(v >> (8 * k));
}

// Append the bytes of v, for writers that build a record front to back.
inline void PLAT_AppendLE16(std::vector<uint8_t>& out, uint16_t v) {
  uint8_t bytes[2];
  PLAT_StoreLE16(bytes, v);
  out.insert(out.end(), bytes, bytes + 2);
}

inline void PLAT_AppendLE32(std::vector<uint8_t>& out, uint32_t v) {
  uint8_t bytes[4];
  PLAT_StoreLE32(bytes, v);
  out.insert(out.end(), bytes, bytes + 4);
}

// A float's IEEE bits, as stored in records and passed in 32-bit state values.
constexpr uint32_t PLAT_FloatBits(float f) { return std::bit_cast<uint32_t>(f); }
constexpr float PLAT_FloatFromBits(uint32_t bits) { return std::bit_cast<float>(bits); }
