#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

#include "engine/math/tqs.h"
#include "engine/math/vecmath.h"
#include "tests/support/support.h"

namespace {

constexpr float kEps = 1e-5f;

SPW_QUAT AxisAngle(SPW_VECTOR axis, float angle) {
  SPW_VecNormalise(&axis);
  const float s = std::sin(angle / 2);
  return {axis.x * s, axis.y * s, axis.z * s, std::cos(angle / 2)};
}

SPW_MATRIX RigidMatrix(const SPW_QUAT& q, SPW_VECTOR t) {
  SPW_MATRIX m;
  SPW_QuatToMatrix(&m, &q);
  m.m[3][0] = t.x;
  m.m[3][1] = t.y;
  m.m[3][2] = t.z;
  return m;
}

void ExpectVecNear(const SPW_VECTOR& a, const SPW_VECTOR& b, float eps = kEps) {
  EXPECT_NEAR(a.x, b.x, eps);
  EXPECT_NEAR(a.y, b.y, eps);
  EXPECT_NEAR(a.z, b.z, eps);
}

void ExpectMatNear(const SPW_MATRIX& a, const SPW_MATRIX& b, float eps = kEps) {
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c) EXPECT_NEAR(a.m[r][c], b.m[r][c], eps) << "at " << r << "," << c;
}

// Same rotation: q and -q.
void ExpectSameRotation(SPW_QUAT a, SPW_QUAT b, float eps = 1e-4f) {
  const float dot = a.x * b.x + a.y * b.y + a.z * b.z + a.w * b.w;
  EXPECT_NEAR(std::fabs(dot), 1.0f, eps);
}

const std::vector<SPW_QUAT>& SampleRotations() {
  static const std::vector<SPW_QUAT> quats = {
      {0, 0, 0, 1},
      AxisAngle({1, 0, 0}, 0.7f),
      AxisAngle({0, 1, 0}, -1.3f),
      AxisAngle({0, 0, 1}, 2.5f),
      AxisAngle({1, 2, 3}, 1.1f),
      AxisAngle({-3, 1, 0.5f}, 2.9f),
      AxisAngle({1, 0, 0}, SPW_PI),  // trace -1: the diagonal branches
      AxisAngle({0, 1, 0}, SPW_PI),
      AxisAngle({0, 0, 1}, SPW_PI),
      AxisAngle({1, 1, 0}, 3.0f),
  };
  return quats;
}

}  // namespace

TEST(VecMath, PointTransformsAsRowVectorWithTranslationInFourthRow) {
  SPW_MATRIX m;
  SPW_MatIdentity(&m);
  m.m[0][1] = 2.0f;  // x feeds y'
  m.m[3][0] = 10.0f;
  m.m[3][1] = 20.0f;
  m.m[3][2] = 30.0f;
  SPW_VECTOR p = {1, 2, 3}, out;
  SPW_MatTransformPoint(&m, &p, &out);
  ExpectVecNear(out, {11, 24, 33});
  SPW_MatRotateVector(&m, &p, &out);
  ExpectVecNear(out, {1, 4, 3});
}

TEST(VecMath, MatMultiplyGivesSecondTimesFirst) {
  const SPW_MATRIX a = RigidMatrix(AxisAngle({0, 0, 1}, 0.5f * SPW_PI), {5, 0, 0});
  const SPW_MATRIX b = RigidMatrix(AxisAngle({1, 0, 0}, 0.5f * SPW_PI), {0, 0, 7});
  SPW_MATRIX ab;
  SPW_MatMultiply(&a, &b, &ab);
  const SPW_VECTOR p = {1, 2, 3};
  SPW_VECTOR viaProduct, viaB, viaBThenA;
  SPW_MatTransformPoint(&ab, &p, &viaProduct);
  SPW_MatTransformPoint(&b, &p, &viaB);
  SPW_MatTransformPoint(&a, &viaB, &viaBThenA);
  ExpectVecNear(viaProduct, viaBThenA);
  // And explicitly not a then b.
  SPW_VECTOR viaA, viaAThenB;
  SPW_MatTransformPoint(&a, &p, &viaA);
  SPW_MatTransformPoint(&b, &viaA, &viaAThenB);
  EXPECT_GT(SPW_VecDist(&viaProduct, &viaAThenB), 1.0f);
}

TEST(VecMath, MatMultiplyAllowsOutputToAliasEitherInput) {
  const SPW_MATRIX a = RigidMatrix(AxisAngle({1, 2, 3}, 0.8f), {1, 2, 3});
  const SPW_MATRIX b = RigidMatrix(AxisAngle({3, -1, 2}, 1.9f), {-4, 0, 2});
  SPW_MATRIX expected, x = a, y = b;
  SPW_MatMultiply(&a, &b, &expected);
  SPW_MatMultiply(&x, &b, &x);
  SPW_MatMultiply(&a, &y, &y);
  ExpectMatNear(x, expected, 0);
  ExpectMatNear(y, expected, 0);
}

TEST(VecMath, IdentityIsNeutralOnBothSides) {
  const SPW_MATRIX a = RigidMatrix(AxisAngle({1, 2, 3}, 0.8f), {1, 2, 3});
  SPW_MATRIX id, out;
  SPW_MatIdentity(&id);
  ExpectMatNear(*SPW_MatMultiply(&a, &id, &out), a, 0);
  ExpectMatNear(*SPW_MatMultiply(&id, &a, &out), a, 0);
}

TEST(VecMath, RigidInverseFromTransposeAndInverseTranslate) {
  for (const SPW_QUAT& q : SampleRotations()) {
    const SPW_MATRIX m = RigidMatrix(q, {3, -7, 12});
    SPW_MATRIX inv;
    SPW_MatIdentity(&inv);
    for (int r = 0; r < 3; ++r)
      for (int c = 0; c < 3; ++c) inv.m[r][c] = m.m[c][r];
    const SPW_VECTOR t = {m.m[3][0], m.m[3][1], m.m[3][2]};
    SPW_VECTOR it;
    SPW_MatInverseTranslate(&m, &t, &it);
    inv.m[3][0] = it.x;
    inv.m[3][1] = it.y;
    inv.m[3][2] = it.z;
    SPW_MATRIX prod, id;
    SPW_MatIdentity(&id);
    ExpectMatNear(*SPW_MatMultiply(&m, &inv, &prod), id, 1e-5f);
    ExpectMatNear(*SPW_MatMultiply(&inv, &m, &prod), id, 1e-5f);
  }
}

TEST(VecMath, TransformVec4UsesAllFourRowsAndColumns) {
  SPW_MATRIX m;
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c) m.m[r][c] = static_cast<float>(r * 4 + c);
  const SPW_VECTOR4 v = {1, 2, 3, 4};
  SPW_VECTOR4 out;
  SPW_MatTransformVec4(&v, &m, &out);
  // Column c: sum of v[r] * (4r + c) = 4*(1*0+2*1+3*2+4*3) + c*(1+2+3+4) = 80 + 10c.
  EXPECT_FLOAT_EQ(out.x, 80);
  EXPECT_FLOAT_EQ(out.y, 90);
  EXPECT_FLOAT_EQ(out.z, 100);
  EXPECT_FLOAT_EQ(out.w, 110);
}

TEST(VecMath, QuaternionMatrixAndRotationAgree) {
  const SPW_VECTOR points[] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {1.5f, -2, 0.25f}};
  for (const SPW_QUAT& q : SampleRotations()) {
    SPW_MATRIX m;
    SPW_QuatToMatrix(&m, &q);
    EXPECT_EQ(SPW_MatIsOrthonormal(&m), 1);
    for (const SPW_VECTOR& p : points) {
      SPW_VECTOR byMatrix, byQuat;
      SPW_MatTransformPoint(&m, &p, &byMatrix);
      SPW_QuatRotateVector(&q, &p, &byQuat);
      ExpectVecNear(byMatrix, byQuat);
    }
    SPW_QUAT back;
    SPW_MatToQuat(&m, &back);
    ExpectSameRotation(back, q);
  }
}

TEST(VecMath, RotationsTurnCounterClockwiseAboutTheirAxis) {
  const SPW_QUAT qz = AxisAngle({0, 0, 1}, 0.5f * SPW_PI);
  SPW_VECTOR x = {1, 0, 0}, out;
  SPW_QuatRotateVector(&qz, &x, &out);
  ExpectVecNear(out, {0, 1, 0});
  SPW_MATRIX rz, fromQuat;
  SPW_MatRotationZ(0.9f, &rz);
  const SPW_QUAT q = AxisAngle({0, 0, 1}, 0.9f);
  ExpectMatNear(rz, *SPW_QuatToMatrix(&fromQuat, &q));
}

TEST(VecMath, QuatProductMatchesMatrixProduct) {
  const SPW_QUAT a = AxisAngle({1, 2, 3}, 0.8f), b = AxisAngle({-2, 0, 1}, 2.2f);
  SPW_QUAT ab;
  SPW_QuatMultiply(&a, &b, &ab);
  SPW_MATRIX ma, mb, mab, product;
  SPW_QuatToMatrix(&ma, &a);
  SPW_QuatToMatrix(&mb, &b);
  SPW_QuatToMatrix(&mab, &ab);
  // a * b rotates by b first: the matrix that applies mb then ma.
  ExpectMatNear(mab, *SPW_MatMultiply(&ma, &mb, &product));
}

TEST(VecMath, EulerAnglesRoundTripThroughQuaternionAndMatrix) {
  const SPW_VECTOR angles[] = {{0, 0, 0}, {0.3f, -0.5f, 1.2f}, {-2.8f, 1.2f, 3.0f}, {1.0f, -1.5f, -0.1f}};
  for (const SPW_VECTOR& a : angles) {
    SPW_QUAT q;
    SPW_QuatFromEuler(&a, &q);
    SPW_MATRIX m;
    SPW_QuatToMatrix(&m, &q);
    SPW_VECTOR fromMatrix, fromQuat;
    ExpectVecNear(*SPW_MatToEuler(&m, &fromMatrix), a, 1e-4f);
    ExpectVecNear(*SPW_QuatToEuler(&q, &fromQuat), a, 1e-4f);
  }
}

TEST(VecMath, QuatFromEulerAppliesXThenYThenZ) {
  const SPW_VECTOR a = {0.4f, -0.9f, 2.0f};
  SPW_QUAT q;
  SPW_QuatFromEuler(&a, &q);
  const SPW_QUAT qx = AxisAngle({1, 0, 0}, a.x), qy = AxisAngle({0, 1, 0}, a.y), qz = AxisAngle({0, 0, 1}, a.z);
  const SPW_VECTOR p = {1, 2, 3};
  SPW_VECTOR expected, out;
  SPW_QuatRotateVector(&qx, &p, &expected);
  SPW_QuatRotateVector(&qy, &expected, &expected);
  SPW_QuatRotateVector(&qz, &expected, &expected);
  ExpectVecNear(*SPW_QuatRotateVector(&q, &p, &out), expected);
}

TEST(VecMath, QuatToEulerAtGimbalLockKeepsTheRotation) {
  for (float middle : {0.5f * SPW_PI, -0.5f * SPW_PI}) {
    const SPW_VECTOR a = {0.7f, middle, -0.4f};
    SPW_QUAT q, back;
    SPW_QuatFromEuler(&a, &q);
    SPW_VECTOR angles;
    SPW_QuatToEuler(&q, &angles);
    EXPECT_FALSE(std::isnan(angles.x) || std::isnan(angles.y) || std::isnan(angles.z));
    EXPECT_EQ(angles.z, 0.0f);
    ExpectSameRotation(*SPW_QuatFromEuler(&angles, &back), q, 1e-3f);
  }
}

// Orders by axes and frame: a static order applies its axes first to last; a rotating one
// gives the matrix R(a1) R(a2) R(a3) for column vectors, i.e. applies the last axis first.
SPW_QUAT EulerRotation(const int (&axes)[3], bool rotating, const SPW_VECTOR& angles) {
  const SPW_VECTOR unit[3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
  const float t[3] = {angles.x, angles.y, angles.z};
  SPW_QUAT q[3], r;
  for (int n = 0; n < 3; ++n) q[n] = AxisAngle(unit[axes[n]], t[n]);
  if (rotating) {
    SPW_QuatMultiply(&q[0], &q[1], &r);
    SPW_QuatMultiply(&r, &q[2], &r);
  } else {
    SPW_QuatMultiply(&q[2], &q[1], &r);
    SPW_QuatMultiply(&r, &q[0], &r);
  }
  return r;
}

TEST(VecMath, EulerFromMatrixHonoursOrderCodes) {
  struct Case {
    int32_t order;
    int axes[3];
    bool rotating;
    bool sameAngles;  // odd repeated orders answer with the equivalent negative middle angle
  };
  const Case cases[] = {
      {0, {0, 1, 2}, false, true},    // XYZ static
      {1, {2, 1, 0}, true, true},     // ZYX rotating
      {2, {0, 1, 0}, false, true},    // XYX static
      {8, {1, 2, 0}, false, true},    // YZX static
      {10, {1, 2, 1}, false, true},   // YZY static
      {18, {2, 0, 2}, false, true},   // ZXZ static
      {20, {2, 1, 0}, false, true},   // ZYX static
      {21, {0, 1, 2}, true, true},    // XYZ rotating
      {22, {2, 1, 2}, false, false},  // ZYZ static
      {23, {2, 1, 2}, true, false},   // ZYZ rotating
  };
  const SPW_VECTOR given = {0.3f, 0.5f, -0.7f};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.order);
    const SPW_QUAT r = EulerRotation(c.axes, c.rotating, given);
    SPW_MATRIX m;
    SPW_QuatToMatrix(&m, &r);
    SPW_VECTOR angles;
    SPW_EulerFromMatrix(&angles, &m, c.order);
    if (c.sameAngles) ExpectVecNear(angles, given, 1e-4f);
    ExpectSameRotation(EulerRotation(c.axes, c.rotating, angles), r);
  }
}

TEST(VecMath, ScalarEdgeCases) {
  EXPECT_EQ(SPW_Sqrt(-4.0f), -1.0f);
  EXPECT_EQ(SPW_Sqrt(0.0f), 0.0f);
  EXPECT_EQ(SPW_Sqrt(9.0f), 3.0f);
  EXPECT_EQ(SPW_LowestBit(0x18), 3);
  EXPECT_EQ(SPW_LowestBit(0), -1);
  EXPECT_EQ(SPW_LowestBit(0x80000000u), 31);
  EXPECT_EQ(SPW_BitMask(0), 1u);
  EXPECT_EQ(SPW_BitMask(31), 0x80000000u);
  EXPECT_EQ(SPW_BitMask(32), 0u);
  EXPECT_EQ(SPW_BitMask(-1), 0u);
  EXPECT_FLOAT_EQ(SPW_Atan(1.0f), 0.25f * SPW_PI);
}

TEST(VecMath, ColourPacksAsArgbRoundedAndClamped) {
  struct Case {
    SPW_COLOUR c;
    uint32_t argb;
  };
  const Case cases[] = {
      {{255, 128, 0, 255}, 0xFFFF8000u},
      {{0.4f, 0.5f, 254.6f, 1}, 0x010001FFu},
      // Out of range and NaN stay inside their own byte.
      {{300, -5, NAN, 1000}, 0xFFFF0000u},
  };
  for (const Case& c : cases) {
    uint32_t out = 0;
    EXPECT_EQ(SPW_ColourToARGB(&c.c, &out), c.argb);
    EXPECT_EQ(out, c.argb);
  }
}

TEST(VecMath, NormalisingZeroLengthLeavesVectorsAlone) {
  SPW_VECTOR zero = {0, 0, 0};
  EXPECT_EQ(SPW_VecNormalise(&zero), 0.0f);
  ExpectVecNear(zero, {0, 0, 0}, 0);
  // So small that its square is 0: still no division.
  SPW_VECTOR tiny = {1e-30f, 0, 0};
  EXPECT_EQ(SPW_VecNormalise(&tiny), 0.0f);
  EXPECT_EQ(tiny.x, 1e-30f);
  SPW_VECTOR out = {7, 8, 9};
  EXPECT_EQ(SPW_VecNormaliseTo(&zero, &out), 0.0f);
  ExpectVecNear(out, {7, 8, 9}, 0);
  SPW_QUAT q = {0, 0, 0, 0};
  SPW_QuatNormalise(&q);
  EXPECT_TRUE(q.x == 0 && q.y == 0 && q.z == 0 && q.w == 0);

  SPW_VECTOR v = {3, 0, 4};
  EXPECT_FLOAT_EQ(SPW_VecNormaliseTo(&v, &out), 5.0f);
  ExpectVecNear(out, {0.6f, 0, 0.8f});
  EXPECT_FLOAT_EQ(SPW_VecNormalise(&v), 5.0f);
  ExpectVecNear(v, {0.6f, 0, 0.8f});
}

TEST(VecMath, CrossProductIsRightHandedAndReturnsFirstArgument) {
  const SPW_VECTOR x = {1, 0, 0}, y = {0, 1, 0};
  SPW_VECTOR out;
  EXPECT_EQ(SPW_VecCross(&x, &y, &out), &x);
  ExpectVecNear(out, {0, 0, 1}, 0);
}

TEST(VecMath, TurnTowardsStepsByAtMostTheAngle) {
  const SPW_VECTOR x = {1, 0, 0}, y = {0, 1, 0};
  SPW_VECTOR out;
  SPW_VecTurnTowards(&x, &y, 0.25f * SPW_PI, &out);
  ExpectVecNear(out, {std::sqrt(0.5f), std::sqrt(0.5f), 0});
  // Within the angle: the target itself.
  SPW_VecTurnTowards(&x, &y, 2.0f, &out);
  ExpectVecNear(out, y, 0);
  // Opposite vectors have no common perpendicular: any one will do, but no NaN.
  const SPW_VECTOR minusX = {-1, 0, 0};
  SPW_VecTurnTowards(&x, &minusX, 0.5f, &out);
  EXPECT_NEAR(std::sqrt(out.x * out.x + out.y * out.y + out.z * out.z), 1.0f, kEps);
  EXPECT_NEAR(out.x, std::cos(0.5f), kEps);
}

TEST(VecMath, QuatFromVectorsTurnsAOntoB) {
  SPW_VECTOR a = {1, 2, -1}, b = {-3, 0.5f, 2}, out;
  SPW_VecNormalise(&a);
  SPW_VecNormalise(&b);
  SPW_QUAT q;
  SPW_QuatFromVectors(&a, &b, &q);
  ExpectVecNear(*SPW_QuatRotateVector(&q, &a, &out), b);

  const SPW_VECTOR y = {0, 1, 0}, minusY = {0, -1, 0}, z = {0, 0, 1};
  SPW_QuatFromVectors(&y, &minusY, &q);
  EXPECT_TRUE(q.x == 0 && q.y == 0 && q.z == 0 && q.w == 1);
  SPW_QuatFromVectorsAxis(&y, &minusY, &z, &q);
  ExpectVecNear(*SPW_QuatRotateVector(&q, &y, &out), minusY);
  SPW_QuatFromVectorsAxis(&a, &b, &z, &q);
  ExpectVecNear(*SPW_QuatRotateVector(&q, &a, &out), b);
  // A zero axis cannot name a half turn: identity rather than a zero quaternion.
  const SPW_VECTOR none = {0, 0, 0};
  SPW_QuatFromVectorsAxis(&y, &minusY, &none, &q);
  EXPECT_EQ(q.w, 1.0f);
}

TEST(VecMath, QuatFromAnglesXZIgnoresTheMiddleAngle) {
  const SPW_VECTOR a = {0.6f, 1.4f, -1.1f};
  SPW_QUAT q;
  SPW_QuatFromAnglesXZ(&a, &q);
  const SPW_QUAT qx = AxisAngle({1, 0, 0}, -a.x), qz = AxisAngle({0, 0, 1}, a.z);
  const SPW_VECTOR p = {1, 2, 3};
  SPW_VECTOR expected, out;
  SPW_QuatRotateVector(&qx, &p, &expected);
  SPW_QuatRotateVector(&qz, &expected, &expected);
  ExpectVecNear(*SPW_QuatRotateVector(&q, &p, &out), expected);
}

TEST(VecMath, QuatCanonicalLooksFromWBackToX) {
  struct Case {
    SPW_QUAT in, out;
  };
  const Case cases[] = {
      {{1, 2, 3, -1}, {-1, -2, -3, 1}},
      {{1, 2, -3, 0}, {-1, -2, 3, 0}},
      {{1, -2, 0, 0}, {-1, 2, 0, 0}},
      {{-1, 2, 0, 0}, {-1, 2, 0, 0}},
      {{-1, 0, 0, 0}, {1, 0, 0, 0}},
      {{-1, -2, 3, 0}, {-1, -2, 3, 0}},
      {{0, 0, 0, 0}, {0, 0, 0, 0}},
  };
  for (Case c : cases) {
    SPW_QuatCanonical(&c.in);
    EXPECT_TRUE(c.in.x == c.out.x && c.in.y == c.out.y && c.in.z == c.out.z && c.in.w == c.out.w);
  }
}

TEST(VecMath, QuatLerpTakesTheShortWayAndFlipsTheCallersB) {
  const SPW_QUAT a = AxisAngle({0, 0, 1}, 0.2f);
  SPW_QUAT b = AxisAngle({0, 0, 1}, 1.0f);
  SPW_QuatNegate(&b);  // same rotation, opposite hemisphere
  const SPW_QUAT original = b;
  SPW_QUAT out;
  SPW_QuatLerp(&a, &b, &out, 0.5f);
  EXPECT_EQ(b.w, -original.w);
  ExpectSameRotation(out, AxisAngle({0, 0, 1}, 0.6f));
  EXPECT_GT(out.w, 0.0f);
  // t is clamped: beyond 1 is b (canonical), below 0 is a.
  SPW_QuatLerp(&a, &b, &out, 7.0f);
  ExpectSameRotation(out, b, 1e-6f);
  EXPECT_GT(out.w, 0.0f);
  SPW_QuatLerp(&a, &b, &out, -3.0f);
  EXPECT_NEAR(out.z, a.z, kEps);
  EXPECT_NEAR(out.w, a.w, kEps);
}

TEST(VecMath, OrthonormalCheck) {
  SPW_MATRIX m;
  SPW_MatRotationZ(0.3f, &m);
  m.m[3][0] = 500.0f;  // translation is not part of the check
  EXPECT_EQ(SPW_MatIsOrthonormal(&m), 1);
  SPW_MATRIX shear = m;
  shear.m[1][0] += 0.1f;
  EXPECT_EQ(SPW_MatIsOrthonormal(&shear), 0);
  SPW_MATRIX big;
  SPW_MatIdentity(&big);
  big.m[2][2] = 1.01f;
  EXPECT_EQ(SPW_MatIsOrthonormal(&big), 0);
}

TEST(VecMath, MatrixStackPushesOnTheLeftAndPops) {
  SPW_MATSTACK s;
  SPW_MatStackReset(&s);
  const SPW_MATRIX a = RigidMatrix(AxisAngle({0, 0, 1}, 0.5f), {1, 0, 0});
  const SPW_MATRIX b = RigidMatrix(AxisAngle({1, 0, 0}, 1.5f), {0, 2, 0});
  SPW_MatStackPush(&s, &a);
  SPW_MATRIX* top = SPW_MatStackPush(&s, &b);
  SPW_MATRIX ba;
  SPW_MatMultiply(&a, &b, &ba);  // b * a
  ExpectMatNear(*top, ba);
  EXPECT_EQ(top, SPW_MatStackTop(&s));
  ExpectMatNear(*SPW_MatStackPop(&s), a);

  SPW_MATRIX ab;
  SPW_MatMultiply(&b, &a, &ab);  // a * b
  ExpectMatNear(*SPW_MatStackPushPre(&s, &b), ab);
}

TEST(VecMath, StacksStayInsideTheirArrays) {
  SPW_MATSTACK s;
  SPW_MatStackReset(&s);
  SPW_MATRIX id;
  SPW_MatIdentity(&id);
  for (int i = 0; i < SPW_MATSTACK_SIZE + 20; ++i) SPW_MatStackPush(&s, &id);
  EXPECT_EQ(s.nTop, SPW_MATSTACK_SIZE - 1);
  for (int i = 0; i < SPW_MATSTACK_SIZE + 20; ++i) SPW_MatStackPop(&s);
  EXPECT_EQ(s.nTop, 0);
  ExpectMatNear(*SPW_MatStackTop(&s), id, 0);

  SPW_SCALESTACK sc;
  SPW_ScaleStackReset(&sc);
  EXPECT_EQ(SPW_ScaleStackTop(&sc), 1.0f);
  EXPECT_EQ(SPW_ScaleStackPush(&sc, 2.0f), 2.0f);
  EXPECT_EQ(SPW_ScaleStackPush(&sc, 0.25f), 0.5f);
  for (int i = 0; i < SPW_SCALESTACK_SIZE + 20; ++i) SPW_ScaleStackPush(&sc, 1.0f);
  EXPECT_EQ(sc.nTop, SPW_SCALESTACK_SIZE - 1);
  EXPECT_EQ(SPW_ScaleStackTop(&sc), 0.5f);
}

TEST(VecMath, TransformStackResetAndPopNeverGoesNegative) {
  auto stack = std::make_unique<SPW_TQSSTACK>();
  stack->nDepth = 5;
  stack->aEntry[0].fScale = 3.0f;
  SPW_TQSInit(stack.get());
  EXPECT_EQ(stack->nDepth, 0);
  EXPECT_EQ(stack->aEntry[0].fScale, 1.0f);
  EXPECT_EQ(stack->aEntry[0].qRot.w, 1.0f);
  SPW_MATRIX id;
  ExpectMatNear(stack->aEntry[0].mMatrix, *SPW_MatIdentity(&id), 0);
  {
    vntest::TraceCapture trace;
    EXPECT_EQ(SPW_TQSPop(stack.get()), 0);
    EXPECT_EQ(stack->nDepth, 0);
    EXPECT_TRUE(trace.contains("TQS stack underflow!\n"));
  }
  stack->nDepth = 2;
  EXPECT_EQ(SPW_TQSPop(stack.get()), 1);
  EXPECT_EQ(stack->nDepth, 1);
}
