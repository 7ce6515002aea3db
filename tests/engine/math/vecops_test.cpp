#include "engine/math/vecops.h"

#include <gtest/gtest.h>

namespace {

TEST(VecOps, ValueFormsAgreeWithThePointerForms) {
  const SPW_VECTOR a{1.0f, -2.0f, 3.0f}, b{-4.0f, 5.0f, 0.5f};
  SPW_VECTOR cross;
  SPW_VecCross(&a, &b, &cross);
  const SPW_VECTOR c = SPW_VCross(a, b);
  EXPECT_FLOAT_EQ(c.x, cross.x);
  EXPECT_FLOAT_EQ(c.y, cross.y);
  EXPECT_FLOAT_EQ(c.z, cross.z);
  const SPW_VECTOR d = SPW_VSub(SPW_VAdd(a, b), b);
  EXPECT_FLOAT_EQ(d.x, a.x);
  EXPECT_FLOAT_EQ(d.y, a.y);
  EXPECT_FLOAT_EQ(d.z, a.z);
  EXPECT_FLOAT_EQ(SPW_VLength(SPW_VSub(a, b)), SPW_VecDist(&a, &b));
  EXPECT_FLOAT_EQ(SPW_VDot(SPW_VScale(a, 2.0f), b), 2.0f * SPW_VDot(a, b));
}

}  // namespace
