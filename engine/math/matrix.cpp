// 4x4 matrices over row vectors: p' = p * M, translation in the fourth row.
#include <cmath>

#include "engine/math/vecmath.h"

SPW_MATRIX* SPW_MatIdentity(SPW_MATRIX* m) {
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c) m->m[r][c] = (r == c) ? 1.0f : 0.0f;
  return m;
}

SPW_MATRIX* SPW_MatMultiply(const SPW_MATRIX* a, const SPW_MATRIX* b, SPW_MATRIX* out) {
  // out = b * a, built in a temporary so that out may be a or b.
  SPW_MATRIX t;
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c)
      t.m[r][c] = b->m[r][0] * a->m[0][c] + b->m[r][1] * a->m[1][c] + b->m[r][2] * a->m[2][c] +
                  b->m[r][3] * a->m[3][c];
  *out = t;
  return out;
}

SPW_VECTOR4* SPW_MatTransformVec4(const SPW_VECTOR4* v, const SPW_MATRIX* m, SPW_VECTOR4* out) {
  const float in[4] = {v->x, v->y, v->z, v->w};
  float r[4];
  for (int c = 0; c < 4; ++c)
    r[c] = in[0] * m->m[0][c] + in[1] * m->m[1][c] + in[2] * m->m[2][c] + in[3] * m->m[3][c];
  *out = {r[0], r[1], r[2], r[3]};
  return out;
}

SPW_VECTOR* SPW_MatTransformPoint(const SPW_MATRIX* m, const SPW_VECTOR* p, SPW_VECTOR* out) {
  const SPW_VECTOR v = *p;
  float r[3];
  for (int c = 0; c < 3; ++c) r[c] = v.x * m->m[0][c] + v.y * m->m[1][c] + v.z * m->m[2][c] + m->m[3][c];
  *out = {r[0], r[1], r[2]};
  return out;
}

SPW_VECTOR* SPW_MatRotateVector(const SPW_MATRIX* m, const SPW_VECTOR* v, SPW_VECTOR* out) {
  const SPW_VECTOR in = *v;
  float r[3];
  for (int c = 0; c < 3; ++c) r[c] = in.x * m->m[0][c] + in.y * m->m[1][c] + in.z * m->m[2][c];
  *out = {r[0], r[1], r[2]};
  return out;
}

SPW_VECTOR* SPW_MatInverseTranslate(const SPW_MATRIX* m, const SPW_VECTOR* v, SPW_VECTOR* out) {
  const SPW_VECTOR in = *v;
  *out = {-SPW_RowDot(m->m[0], &in), -SPW_RowDot(m->m[1], &in), -SPW_RowDot(m->m[2], &in)};
  return out;
}

SPW_MATRIX* SPW_MatRotationZ(float angle, SPW_MATRIX* out) {
  const float s = std::sin(angle), c = std::cos(angle);
  SPW_MatIdentity(out);
  // (1, 0, 0) turns to (c, s, 0): counter-clockwise seen from +z.
  out->m[0][0] = c;
  out->m[0][1] = s;
  out->m[1][0] = -s;
  out->m[1][1] = c;
  return out;
}

float SPW_RowDot(const float (&row)[4], const SPW_VECTOR* v) {
  return row[0] * v->x + row[1] * v->y + row[2] * v->z;
}

int32_t SPW_MatIsOrthonormal(const SPW_MATRIX* m) {
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 3; ++c)
      if (!(m->m[r][c] >= -1.0001f && m->m[r][c] <= 1.0001f)) return 0;
  for (int i = 0; i < 3; ++i)
    for (int j = i + 1; j < 3; ++j) {
      const float d = m->m[i][0] * m->m[j][0] + m->m[i][1] * m->m[j][1] + m->m[i][2] * m->m[j][2];
      if (!(std::fabs(d) <= 0.0001f)) return 0;
    }
  return 1;
}
