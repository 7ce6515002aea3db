// Scalar helpers and colour packing.
#include "engine/math/vecmath.h"

#include <cmath>

float SPW_Sin(float a) { return std::sin(a); }
float SPW_Cos(float a) { return std::cos(a); }
float SPW_Tan(float a) { return std::tan(a); }
float SPW_Asin(float x) { return std::asin(x); }
float SPW_Acos(float x) { return std::acos(x); }
float SPW_Atan2(float y, float x) { return std::atan2(y, x); }
float SPW_Atan(float y) { return std::atan2(y, 1.0f); }

float SPW_Sqrt(float x) {
  if (x < 0.0f) return -1.0f;
  return std::sqrt(x);
}

uint32_t SPW_BitMask(int32_t n) {
  if (n < 0 || n > 31) return 0;
  return 1u << n;
}

int32_t SPW_LowestBit(uint32_t mask) {
  if (mask == 0) return -1;
  int32_t bit = 0;
  while ((mask & 1u) == 0) {
    mask >>= 1;
    ++bit;
  }
  return bit;
}

// Out-of-range or NaN channels would spill into their neighbours (or be undefined to convert).
static uint32_t ChannelByte(float v) {
  if (!(v > 0.0f)) return 0;
  if (v >= 255.0f) return 255;
  return static_cast<uint32_t>(std::floor(v + 0.5f));
}

uint32_t SPW_ColourToARGB(const SPW_COLOUR* colour, uint32_t* out) {
  uint32_t argb = (ChannelByte(colour->a) << 24) | (ChannelByte(colour->r) << 16) |
                  (ChannelByte(colour->g) << 8) | ChannelByte(colour->b);
  if (out) *out = argb;
  return argb;
}
