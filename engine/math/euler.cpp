// Euler angles from rotations. The order codes are Shoemake's (Graphics Gems IV); they
// describe the rotation acting on column vectors, the transpose of our row-vector matrices.
#include <cmath>

#include "engine/math/vecmath.h"

namespace {

// Rotation element as it acts on column vectors.
float R(const SPW_MATRIX* m, int i, int j) { return m->m[j][i]; }

constexpr float kSmall = 16.0f * 1.1920929e-7f;  // 16 float epsilons

}  // namespace

SPW_VECTOR* SPW_EulerFromMatrix(SPW_VECTOR* angles, const SPW_MATRIX* m, int32_t order) {
  static const int kSafe[4] = {0, 1, 2, 0};
  static const int kNext[4] = {1, 2, 0, 1};
  unsigned o = static_cast<unsigned>(order);
  const unsigned rotatingFrame = o & 1u;
  o >>= 1;
  const unsigned repeated = o & 1u;
  o >>= 1;
  const unsigned oddParity = o & 1u;
  o >>= 1;
  const int i = kSafe[o & 3u];
  const int j = kNext[i + oddParity];
  const int k = kNext[i + 1 - oddParity];

  float a, b, c;
  if (repeated) {
    const float sy = std::sqrt(R(m, i, j) * R(m, i, j) + R(m, i, k) * R(m, i, k));
    if (sy > kSmall) {
      a = std::atan2(R(m, i, j), R(m, i, k));
      b = std::atan2(sy, R(m, i, i));
      c = std::atan2(R(m, j, i), -R(m, k, i));
    } else {
      a = std::atan2(-R(m, j, k), R(m, j, j));
      b = std::atan2(sy, R(m, i, i));
      c = 0.0f;
    }
  } else {
    const float cy = std::sqrt(R(m, i, i) * R(m, i, i) + R(m, j, i) * R(m, j, i));
    if (cy > kSmall) {
      a = std::atan2(R(m, k, j), R(m, k, k));
      b = std::atan2(-R(m, k, i), cy);
      c = std::atan2(R(m, j, i), R(m, i, i));
    } else {
      a = std::atan2(-R(m, j, k), R(m, j, j));
      b = std::atan2(-R(m, k, i), cy);
      c = 0.0f;
    }
  }
  if (oddParity) {
    a = -a;
    b = -b;
    c = -c;
  }
  if (rotatingFrame) {
    const float t = a;
    a = c;
    c = t;
  }
  *angles = {a, b, c};
  return angles;
}

SPW_VECTOR* SPW_MatToEuler(const SPW_MATRIX* m, SPW_VECTOR* angles) {
  return SPW_EulerFromMatrix(angles, m, SPW_EULER_XYZS);
}

SPW_VECTOR* SPW_QuatToEuler(const SPW_QUAT* q, SPW_VECTOR* angles) {
  SPW_MATRIX m;
  SPW_QuatToMatrix(&m, q);
  // Rotation z(c) y(b) x(a): element (2,0) is -sin b. Rounding can push it past 1.
  float e = R(&m, 2, 0);
  if (e > 1.0f) e = 1.0f;
  if (e < -1.0f) e = -1.0f;
  const float cosB = std::sqrt(1.0f - e * e);
  if (cosB < 0.001f) {
    // Gimbal lock: only a - c (or a + c) is defined; put all of it in the first angle.
    *angles = {SPW_Atan2(-R(&m, 1, 2), R(&m, 1, 1)), -std::asin(e), 0.0f};
    return angles;
  }
  const float inv = 1.0f / cosB;
  *angles = {SPW_Atan2(R(&m, 2, 1) * inv, R(&m, 2, 2) * inv), SPW_Atan2(-e, cosB),
             SPW_Atan2(R(&m, 1, 0) * inv, R(&m, 0, 0) * inv)};
  return angles;
}
