// Quaternions (x, y, z, w) and their rotation matrices for row vectors.
#include <cmath>

#include "engine/math/vecmath.h"

SPW_MATRIX* SPW_QuatToMatrix(SPW_MATRIX* out, const SPW_QUAT* q) {
  const float x = q->x, y = q->y, z = q->z, w = q->w;
  SPW_MatIdentity(out);
  // The transpose of the column-vector form, since points multiply from the left.
  out->m[0][0] = 1.0f - 2.0f * (y * y + z * z);
  out->m[0][1] = 2.0f * (x * y + w * z);
  out->m[0][2] = 2.0f * (x * z - w * y);
  out->m[1][0] = 2.0f * (x * y - w * z);
  out->m[1][1] = 1.0f - 2.0f * (x * x + z * z);
  out->m[1][2] = 2.0f * (y * z + w * x);
  out->m[2][0] = 2.0f * (x * z + w * y);
  out->m[2][1] = 2.0f * (y * z - w * x);
  out->m[2][2] = 1.0f - 2.0f * (x * x + y * y);
  return out;
}

SPW_QUAT* SPW_MatToQuat(const SPW_MATRIX* mat, SPW_QUAT* out) {
  // r[i][j]: the rotation as it acts on column vectors.
  auto r = [mat](int i, int j) { return mat->m[j][i]; };
  const float trace = r(0, 0) + r(1, 1) + r(2, 2);
  SPW_QUAT q;
  if (trace > 0.0f) {
    const float s = std::sqrt(trace + 1.0f);
    q.w = 0.5f * s;
    const float f = 0.5f / s;
    q.x = (r(2, 1) - r(1, 2)) * f;
    q.y = (r(0, 2) - r(2, 0)) * f;
    q.z = (r(1, 0) - r(0, 1)) * f;
  } else {
    int i = 0;
    if (r(1, 1) > r(0, 0)) i = 1;
    if (r(2, 2) > r(i, i)) i = 2;
    const int j = (i + 1) % 3, k = (i + 2) % 3;
    float s = std::sqrt(r(i, i) - r(j, j) - r(k, k) + 1.0f);
    float v[3];
    v[i] = 0.5f * s;
    // s is at least 1 for a rotation; guard a degenerate (all-zero) matrix.
    const float f = s > 0.0f ? 0.5f / s : 0.0f;
    q.w = (r(k, j) - r(j, k)) * f;
    v[j] = (r(j, i) + r(i, j)) * f;
    v[k] = (r(k, i) + r(i, k)) * f;
    q.x = v[0];
    q.y = v[1];
    q.z = v[2];
  }
  *out = q;
  return out;
}

SPW_QUAT* SPW_QuatNormalise(SPW_QUAT* q) {
  const float len = std::sqrt(q->x * q->x + q->y * q->y + q->z * q->z + q->w * q->w);
  if (!(len > 0.0f)) {
    *q = {0.0f, 0.0f, 0.0f, 0.0f};
    return q;
  }
  const float inv = 1.0f / len;
  q->x *= inv;
  q->y *= inv;
  q->z *= inv;
  q->w *= inv;
  return q;
}

SPW_QUAT* SPW_QuatLerp(const SPW_QUAT* a, SPW_QUAT* b, SPW_QUAT* out, float t) {
  if (!(t > 0.0f)) t = 0.0f;
  if (t > 1.0f) t = 1.0f;
  const SPW_QUAT qa = *a;
  if (qa.x * b->x + qa.y * b->y + qa.z * b->z + qa.w * b->w < 0.0f) SPW_QuatNegate(b);
  const SPW_QUAT qb = *b;
  *out = {qa.x + t * (qb.x - qa.x), qa.y + t * (qb.y - qa.y), qa.z + t * (qb.z - qa.z),
          qa.w + t * (qb.w - qa.w)};
  SPW_QuatNormalise(out);
  return SPW_QuatCanonical(out);
}

SPW_QUAT* SPW_QuatMultiply(const SPW_QUAT* a, const SPW_QUAT* b, SPW_QUAT* out) {
  const SPW_QUAT p = *a, q = *b;
  *out = {p.w * q.x + p.x * q.w + p.y * q.z - p.z * q.y, p.w * q.y - p.x * q.z + p.y * q.w + p.z * q.x,
          p.w * q.z + p.x * q.y - p.y * q.x + p.z * q.w, p.w * q.w - p.x * q.x - p.y * q.y - p.z * q.z};
  return out;
}

SPW_QUAT* SPW_QuatNegate(SPW_QUAT* q) {
  *q = {-q->x, -q->y, -q->z, -q->w};
  return q;
}

SPW_QUAT* SPW_QuatCanonical(SPW_QUAT* q) {
  const float order[4] = {q->w, q->z, q->y, q->x};
  for (float c : order) {
    if (c < 0.0f) return SPW_QuatNegate(q);
    if (c > 0.0f) break;
  }
  return q;
}

SPW_VECTOR* SPW_QuatRotateVector(const SPW_QUAT* q, const SPW_VECTOR* v, SPW_VECTOR* out) {
  const SPW_QUAT p = {v->x, v->y, v->z, 0.0f};
  const SPW_QUAT conj = {-q->x, -q->y, -q->z, q->w};
  SPW_QUAT t;
  SPW_QuatMultiply(q, &p, &t);
  SPW_QuatMultiply(&t, &conj, &t);
  *out = {t.x, t.y, t.z};
  return out;
}

static SPW_QUAT AxisAngle(float x, float y, float z, float angle) {
  const float s = std::sin(angle * 0.5f);
  return {x * s, y * s, z * s, std::cos(angle * 0.5f)};
}

SPW_QUAT* SPW_QuatFromEuler(const SPW_VECTOR* angles, SPW_QUAT* out) {
  const SPW_QUAT qx = AxisAngle(1, 0, 0, angles->x);
  const SPW_QUAT qy = AxisAngle(0, 1, 0, angles->y);
  const SPW_QUAT qz = AxisAngle(0, 0, 1, angles->z);
  SPW_QUAT t;
  SPW_QuatMultiply(&qz, &qy, &t);
  SPW_QuatMultiply(&t, &qx, out);
  return out;
}

SPW_QUAT* SPW_QuatFromAnglesXZ(const SPW_VECTOR* angles, SPW_QUAT* out) {
  const SPW_QUAT qz = AxisAngle(0, 0, 1, angles->z);
  const SPW_QUAT qx = AxisAngle(1, 0, 0, -angles->x);
  return SPW_QuatMultiply(&qz, &qx, out);
}

static SPW_QUAT* FromVectors(const SPW_VECTOR* a, const SPW_VECTOR* b, const SPW_VECTOR* axis,
                             SPW_QUAT* out) {
  const float d = a->x * b->x + a->y * b->y + a->z * b->z;
  if (d > 0.9999f || (d < -0.9999f && !axis)) {
    *out = {0.0f, 0.0f, 0.0f, 1.0f};
    return out;
  }
  if (d < -0.9999f) {
    SPW_VECTOR n = *axis;
    // A zero axis names no half turn; identity beats a zero quaternion.
    if (SPW_VecNormalise(&n) == 0.0f) n = {0.0f, 0.0f, 0.0f};
    *out = n.x == 0.0f && n.y == 0.0f && n.z == 0.0f ? SPW_QUAT{0.0f, 0.0f, 0.0f, 1.0f}
                                                    : SPW_QUAT{n.x, n.y, n.z, 0.0f};  // half turn
    return out;
  }
  SPW_VECTOR n;
  SPW_VecCross(a, b, &n);
  SPW_VecNormalise(&n);
  *out = AxisAngle(n.x, n.y, n.z, std::acos(d));
  return out;
}

SPW_QUAT* SPW_QuatFromVectors(const SPW_VECTOR* a, const SPW_VECTOR* b, SPW_QUAT* out) {
  return FromVectors(a, b, nullptr, out);
}

SPW_QUAT* SPW_QuatFromVectorsAxis(const SPW_VECTOR* a, const SPW_VECTOR* b, const SPW_VECTOR* axis,
                                  SPW_QUAT* out) {
  return FromVectors(a, b, axis, out);
}
