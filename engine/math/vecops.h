#pragma once
// Value-returning vector arithmetic, inline for inner loops. The pointer forms that write to
// an out argument are in vecmath.h.
#include <cmath>

#include "engine/math/vecmath.h"

inline SPW_VECTOR SPW_VAdd(const SPW_VECTOR& a, const SPW_VECTOR& b) {
  return {a.x + b.x, a.y + b.y, a.z + b.z};
}
inline SPW_VECTOR SPW_VSub(const SPW_VECTOR& a, const SPW_VECTOR& b) {
  return {a.x - b.x, a.y - b.y, a.z - b.z};
}
inline SPW_VECTOR SPW_VScale(const SPW_VECTOR& v, float s) { return {v.x * s, v.y * s, v.z * s}; }
inline float SPW_VDot(const SPW_VECTOR& a, const SPW_VECTOR& b) {
  return a.x * b.x + a.y * b.y + a.z * b.z;
}
inline SPW_VECTOR SPW_VCross(const SPW_VECTOR& a, const SPW_VECTOR& b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
inline float SPW_VLength(const SPW_VECTOR& v) { return std::sqrt(SPW_VDot(v, v)); }
