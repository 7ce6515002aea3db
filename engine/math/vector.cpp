// 3-vectors.
#include <cmath>

#include "engine/math/vecmath.h"

static float Dot(const SPW_VECTOR& a, const SPW_VECTOR& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

static SPW_VECTOR Cross(const SPW_VECTOR& a, const SPW_VECTOR& b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

float SPW_VecDistSq(const SPW_VECTOR* a, const SPW_VECTOR* b) {
  const float dx = a->x - b->x, dy = a->y - b->y, dz = a->z - b->z;
  return dx * dx + dy * dy + dz * dz;
}

float SPW_VecDist(const SPW_VECTOR* a, const SPW_VECTOR* b) { return std::sqrt(SPW_VecDistSq(a, b)); }

const SPW_VECTOR* SPW_VecCross(const SPW_VECTOR* a, const SPW_VECTOR* b, SPW_VECTOR* out) {
  *out = Cross(*a, *b);
  return a;
}

float SPW_VecNormalise(SPW_VECTOR* v) {
  const float len = std::sqrt(Dot(*v, *v));
  // A length that squares to 0 would divide by 0; a NaN length has no direction either.
  if (!(len > 0.0f)) return 0.0f;
  const float inv = 1.0f / len;
  v->x *= inv;
  v->y *= inv;
  v->z *= inv;
  return len;
}

float SPW_VecNormaliseTo(const SPW_VECTOR* v, SPW_VECTOR* out) {
  SPW_VECTOR t = *v;
  const float len = SPW_VecNormalise(&t);
  if (len > 0.0f) *out = t;
  return len;
}

// Any unit vector perpendicular to v (v of unit length).
static SPW_VECTOR Perpendicular(const SPW_VECTOR& v) {
  const SPW_VECTOR other = std::fabs(v.x) < 0.9f ? SPW_VECTOR{1, 0, 0} : SPW_VECTOR{0, 1, 0};
  SPW_VECTOR p = Cross(v, other);
  SPW_VecNormalise(&p);
  return p;
}

SPW_VECTOR* SPW_VecTurnTowards(const SPW_VECTOR* direction, const SPW_VECTOR* target, float maxAngle,
                               SPW_VECTOR* out) {
  if (maxAngle > SPW_PI) maxAngle = SPW_PI;
  if (maxAngle < -SPW_PI) maxAngle = -SPW_PI;
  const SPW_VECTOR d = *direction, t = *target;
  float cosAngle = Dot(d, t);
  if (cosAngle > 1.0f) cosAngle = 1.0f;
  if (cosAngle < -1.0f) cosAngle = -1.0f;
  if (std::acos(cosAngle) <= maxAngle) {
    *out = t;
    return out;
  }
  SPW_VECTOR axis = Cross(d, t);
  if (SPW_VecNormalise(&axis) == 0.0f) {
    // Parallel: nothing to turn toward. Opposite: every perpendicular axis is as short.
    if (cosAngle > 0.0f) {
      *out = t;
      return out;
    }
    axis = Perpendicular(d);
  }
  // The axis is perpendicular to d, so the turned vector is d cos + (axis x d) sin.
  const SPW_VECTOR side = Cross(axis, d);
  const float s = std::sin(maxAngle), c = std::cos(maxAngle);
  SPW_VECTOR r = {d.x * c + side.x * s, d.y * c + side.y * s, d.z * c + side.z * s};
  SPW_VecNormalise(&r);
  *out = r;
  return out;
}
