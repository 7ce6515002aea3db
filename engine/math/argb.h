#pragma once
// 0xAARRGGBB colours, as the driver and the game pass them: packing, channels, and per-channel
// arithmetic that keeps every channel a byte.
#include <cstdint>

constexpr uint32_t SPW_ARGB_ALPHA = 0xFF000000u;  // the alpha byte of a colour
constexpr uint32_t SPW_ARGB_RGB = 0x00FFFFFFu;

// Each channel taken as a byte (only its low 8 bits count).
constexpr uint32_t SPW_Argb(uint32_t a, uint32_t r, uint32_t g, uint32_t b) {
  return (a & 0xFFu) << 24 | (r & 0xFFu) << 16 | (g & 0xFFu) << 8 | (b & 0xFFu);
}
constexpr uint32_t SPW_ArgbA(uint32_t argb) { return argb >> 24; }
constexpr uint32_t SPW_ArgbR(uint32_t argb) { return (argb >> 16) & 0xFFu; }
constexpr uint32_t SPW_ArgbG(uint32_t argb) { return (argb >> 8) & 0xFFu; }
constexpr uint32_t SPW_ArgbB(uint32_t argb) { return argb & 0xFFu; }
// The colour with another alpha byte.
constexpr uint32_t SPW_ArgbWithAlpha(uint32_t argb, uint32_t alpha) {
  return (argb & SPW_ARGB_RGB) | (alpha & 0xFFu) << 24;
}
// An integer channel value held in 0..255.
constexpr uint32_t SPW_ArgbClampByte(int32_t v) {
  return static_cast<uint32_t>(v < 0 ? 0 : (v > 255 ? 255 : v));
}

// Each colour channel (a byte in) through fn (a byte out, only its low 8 bits count); the
// alpha byte is kept, or goes through fn too.
template <class Fn>
uint32_t SPW_ArgbMap(uint32_t argb, Fn fn, bool alphaToo = false) {
  uint32_t out = alphaToo ? 0 : argb & SPW_ARGB_ALPHA;
  for (int shift = 0; shift < (alphaToo ? 32 : 24); shift += 8)
    out |= (static_cast<uint32_t>(fn((argb >> shift) & 0xFFu)) & 0xFFu) << shift;
  return out;
}
