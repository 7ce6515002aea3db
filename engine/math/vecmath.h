#pragma once
// Single-precision math shared by the engine, the game and the driver.
//
// Conventions:
// - Row vectors: a point p transforms as p * M, so x' = x*m[0][0] + y*m[1][0] + z*m[2][0] + m[3][0].
//   The translation lives in the fourth row; a 4x3 use reads the first three columns.
// - Quaternions are (x, y, z, w); a rotation of v is q v q*. For a unit quaternion q,
//   v * SPW_QuatToMatrix(q) == SPW_QuatRotateVector(q, v).
// - SPW_MatMultiply(a, b, out) gives b * a: transforming by the result applies b first, then a.
// - Output arguments may alias inputs. Nothing allocates.
#include <cstdint>

struct SPW_VECTOR {
  float x, y, z;
};

struct SPW_VECTOR4 {
  float x, y, z, w;
};

// Channels hold 0 to 255.
struct SPW_COLOUR {
  float r, g, b, a;
};

struct SPW_QUAT {
  float x, y, z, w;
};

// Row-major: m[row][column].
struct SPW_MATRIX {
  float m[4][4];
};

// The engine transform of 8 floats: position, rotation, uniform scale.
struct SPW_TRANSFORM {
  SPW_VECTOR vPos;
  SPW_QUAT qRot;
  float fScale;
};

constexpr int SPW_MATSTACK_SIZE = 100;
constexpr int SPW_SCALESTACK_SIZE = 100;

// A push on a full stack overwrites the top entry; a pop at the bottom keeps the bottom.
struct SPW_MATSTACK {
  SPW_MATRIX aMatrix[SPW_MATSTACK_SIZE];
  int32_t nTop;
};

struct SPW_SCALESTACK {
  float afScale[SPW_SCALESTACK_SIZE];
  int32_t nTop;
};

static_assert(sizeof(SPW_VECTOR) == 12 && sizeof(SPW_QUAT) == 16 && sizeof(SPW_MATRIX) == 64);
static_assert(sizeof(SPW_TRANSFORM) == 32);

constexpr float SPW_PI = 3.14159265358979f;

// Scalars.
float SPW_Sin(float a);
float SPW_Cos(float a);
float SPW_Tan(float a);
float SPW_Asin(float x);
float SPW_Acos(float x);
float SPW_Atan2(float y, float x);
float SPW_Atan(float y);  // atan2(y, 1)
float SPW_Sqrt(float x);  // -1.0 for a negative x
uint32_t SPW_BitMask(int32_t n);  // 1 << n for n in 0..31, else 0
int32_t SPW_LowestBit(uint32_t mask);  // -1 for 0

// Packs 0..255 channels (rounded to nearest, clamped) as 0xAARRGGBB; also returns the value.
uint32_t SPW_ColourToARGB(const SPW_COLOUR* colour, uint32_t* out);

// Matrices.
SPW_MATRIX* SPW_MatIdentity(SPW_MATRIX* m);
SPW_MATRIX* SPW_MatMultiply(const SPW_MATRIX* a, const SPW_MATRIX* b, SPW_MATRIX* out);  // b * a
SPW_VECTOR4* SPW_MatTransformVec4(const SPW_VECTOR4* v, const SPW_MATRIX* m, SPW_VECTOR4* out);
SPW_VECTOR* SPW_MatTransformPoint(const SPW_MATRIX* m, const SPW_VECTOR* p, SPW_VECTOR* out);
SPW_VECTOR* SPW_MatRotateVector(const SPW_MATRIX* m, const SPW_VECTOR* v, SPW_VECTOR* out);
// -(v * transpose(rotation)): with v the translation, the translation of the rigid inverse.
SPW_VECTOR* SPW_MatInverseTranslate(const SPW_MATRIX* m, const SPW_VECTOR* v, SPW_VECTOR* out);
SPW_MATRIX* SPW_MatRotationZ(float angle, SPW_MATRIX* out);
float SPW_RowDot(const float (&row)[4], const SPW_VECTOR* v);  // first three entries of the row
int32_t SPW_MatIsOrthonormal(const SPW_MATRIX* m);

// Matrix and scale stacks.
void SPW_MatStackReset(SPW_MATSTACK* s);
SPW_MATRIX* SPW_MatStackPush(SPW_MATSTACK* s, const SPW_MATRIX* m);     // m * top
SPW_MATRIX* SPW_MatStackPushPre(SPW_MATSTACK* s, const SPW_MATRIX* m);  // top * m
SPW_MATRIX* SPW_MatStackPop(SPW_MATSTACK* s);  // the top after popping
SPW_MATRIX* SPW_MatStackTop(SPW_MATSTACK* s);
void SPW_ScaleStackReset(SPW_SCALESTACK* s);
float SPW_ScaleStackPush(SPW_SCALESTACK* s, float factor);  // top * factor
float SPW_ScaleStackTop(const SPW_SCALESTACK* s);

// Vectors.
float SPW_VecDistSq(const SPW_VECTOR* a, const SPW_VECTOR* b);
float SPW_VecDist(const SPW_VECTOR* a, const SPW_VECTOR* b);
// Writes a x b to out; returns a (as the callers expect).
const SPW_VECTOR* SPW_VecCross(const SPW_VECTOR* a, const SPW_VECTOR* b, SPW_VECTOR* out);
// Both return the former length; a zero-length vector is left alone (and out untouched).
float SPW_VecNormalise(SPW_VECTOR* v);
float SPW_VecNormaliseTo(const SPW_VECTOR* v, SPW_VECTOR* out);
// Turns a unit direction toward a unit target by at most maxAngle (clamped to -pi..pi).
// Result is the target when it lies within the angle. Opposite vectors turn about an axis
// perpendicular to the direction.
SPW_VECTOR* SPW_VecTurnTowards(const SPW_VECTOR* direction, const SPW_VECTOR* target, float maxAngle,
                               SPW_VECTOR* out);

// Quaternions.
SPW_MATRIX* SPW_QuatToMatrix(SPW_MATRIX* out, const SPW_QUAT* q);
SPW_QUAT* SPW_MatToQuat(const SPW_MATRIX* m, SPW_QUAT* out);
SPW_QUAT* SPW_QuatNormalise(SPW_QUAT* q);  // all zero when the length is 0
// t clamped to 0..1; negates the caller's b when a . b < 0; result unit and canonical.
SPW_QUAT* SPW_QuatLerp(const SPW_QUAT* a, SPW_QUAT* b, SPW_QUAT* out, float t);
SPW_QUAT* SPW_QuatMultiply(const SPW_QUAT* a, const SPW_QUAT* b, SPW_QUAT* out);  // Hamilton a*b
SPW_QUAT* SPW_QuatNegate(SPW_QUAT* q);
SPW_QUAT* SPW_QuatCanonical(SPW_QUAT* q);  // first nonzero of w, z, y, x made positive
SPW_VECTOR* SPW_QuatRotateVector(const SPW_QUAT* q, const SPW_VECTOR* v, SPW_VECTOR* out);

// Angles are (about x, about y, about z) in radians, applied x first, then y, then z.
SPW_QUAT* SPW_QuatFromEuler(const SPW_VECTOR* angles, SPW_QUAT* out);
SPW_QUAT* SPW_QuatFromAnglesXZ(const SPW_VECTOR* angles, SPW_QUAT* out);  // z(angle 3) * x(-angle 1)
SPW_VECTOR* SPW_QuatToEuler(const SPW_QUAT* q, SPW_VECTOR* angles);
// Shortest arc from unit a to unit b; identity for (anti)parallel vectors within 0.9999.
SPW_QUAT* SPW_QuatFromVectors(const SPW_VECTOR* a, const SPW_VECTOR* b, SPW_QUAT* out);
// The same, but opposite vectors give a half turn about the axis.
SPW_QUAT* SPW_QuatFromVectorsAxis(const SPW_VECTOR* a, const SPW_VECTOR* b, const SPW_VECTOR* axis,
                                  SPW_QUAT* out);

// Euler angles of a rotation matrix (Shoemake's order code; 0 is static x-y-z, no repetition,
// even parity). The codes describe the rotation as it acts on column vectors, so order 0
// inverts SPW_QuatFromEuler: angles.x/y/z are the first, second and third angle.
constexpr int32_t SPW_EULER_XYZS = 0;
SPW_VECTOR* SPW_MatToEuler(const SPW_MATRIX* m, SPW_VECTOR* angles);
SPW_VECTOR* SPW_EulerFromMatrix(SPW_VECTOR* angles, const SPW_MATRIX* m, int32_t order);
