// The polygon clipper: what is kept against one or several planes, cuts with their attributes,
// a vertex on a plane kept once, and the bounds of the caller's lists.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "engine/math/polyclip.h"

namespace {

// A vertex with one attribute, affine in the position so that a cut's value can be checked.
struct Vtx {
  float x, y, u;
};
float U(float x, float y) { return 10.0f + 2.0f * x + 3.0f * y; }
Vtx V(float x, float y) { return {x, y, U(x, y)}; }

// Plane 0: x >= 0. Plane 1: y >= 0. Plane 2: x <= 0.5.
float Distance(int plane, const Vtx& v) {
  switch (plane) {
    case 0: return v.x;
    case 1: return v.y;
    default: return 0.5f - v.x;
  }
}

bool Cut(const Vtx& a, const Vtx& b, float t, Vtx& out) {
  out = {a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t, a.u + (b.u - a.u) * t};
  return true;
}

constexpr uint32_t kCapacity = 16;

struct Clipped {
  const Vtx* out;
  uint32_t count;
};

Clipped Clip(const std::vector<Vtx>& in, uint32_t planes, Vtx (&work)[kCapacity],
             Vtx (&spare)[kCapacity], uint32_t capacity = kCapacity) {
  std::copy(in.begin(), in.end(), work);
  auto count = static_cast<uint32_t>(in.size());
  const Vtx* out = SPW_ClipPolygon(work, spare, capacity, &count, planes, Distance, Cut);
  return {out, count};
}

const std::vector<Vtx> kSquare = {V(-1, -1), V(1, -1), V(1, 1), V(-1, 1)};

TEST(ClipPolygon, KeepsWhatLiesInsideEveryPlaneOfTheMask) {
  struct Case {
    const char* name;
    std::vector<Vtx> in;
    uint32_t planes;
    std::vector<Vtx> out;  // in the order the clipper gives them
  } cases[] = {
      {"wholly inside", {V(1, 1), V(2, 1), V(1, 2)}, 0x1, {V(1, 1), V(2, 1), V(1, 2)}},
      {"wholly outside", {V(-1, -1), V(-2, -1), V(-1, -2)}, 0x1, {}},
      {"no plane selected", kSquare, 0x0, kSquare},
      {"straddling one plane", kSquare, 0x1, {V(0, -1), V(1, -1), V(1, 1), V(0, 1)}},
      {"straddling two planes", kSquare, 0x3, {V(0, 0), V(1, 0), V(1, 1), V(0, 1)}},
      {"between two facing planes", kSquare, 0x5, {V(0, -1), V(0.5f, -1), V(0.5f, 1), V(0, 1)}},
      {"a vertex on the plane is kept once", {V(0, 1), V(1, -1), V(-1, -1)}, 0x1,
       {V(0, 1), V(1, -1), V(0, -1)}},
      {"an edge on the plane is kept as it is", {V(0, 0), V(1, 0), V(1, 1), V(0, 1)}, 0x1,
       {V(0, 0), V(1, 0), V(1, 1), V(0, 1)}},
      {"touching the plane from outside leaves nothing", {V(0, 0), V(-1, 1), V(-1, -1)}, 0x1, {}},
      {"fewer than three vertices are nothing", {V(1, 1), V(2, 2)}, 0x0, {}},
  };
  for (const Case& c : cases) {
    Vtx work[kCapacity], spare[kCapacity];
    const Clipped r = Clip(c.in, c.planes, work, spare);
    ASSERT_NE(r.out, nullptr) << c.name;
    ASSERT_EQ(r.count, c.out.size()) << c.name;
    for (uint32_t i = 0; i < r.count; ++i) {
      EXPECT_FLOAT_EQ(r.out[i].x, c.out[i].x) << c.name << " vertex " << i;
      EXPECT_FLOAT_EQ(r.out[i].y, c.out[i].y) << c.name << " vertex " << i;
      EXPECT_FLOAT_EQ(r.out[i].u, U(r.out[i].x, r.out[i].y)) << c.name << " vertex " << i;
    }
  }
}

TEST(ClipPolygon, AListTooSmallForTheResultFailsTheClip) {
  // A triangle with one corner cut off becomes a quad: four vertices in lists of three.
  Vtx work[kCapacity], spare[kCapacity];
  const Clipped r = Clip({V(-1, 0), V(1, -1), V(1, 1)}, 0x1, work, spare, 3);
  EXPECT_EQ(r.out, nullptr);
  EXPECT_EQ(r.count, 0u);
}

TEST(ClipPolygon, ACutThatCannotBeMadeFailsTheClip) {
  Vtx work[kCapacity], spare[kCapacity];
  std::copy(kSquare.begin(), kSquare.end(), work);
  uint32_t count = 4;
  auto refuse = [](const Vtx&, const Vtx&, float, Vtx&) { return false; };
  EXPECT_EQ(SPW_ClipPolygon(work, spare, kCapacity, &count, 0x1, Distance, refuse), nullptr);
  EXPECT_EQ(count, 0u);
}

TEST(ClipPolygonToBoundary, EitherWindingKeepsTheInside) {
  struct Point {
    float x, y;
  };
  const Point ccw[3] = {{0, -5}, {5, 0}, {0, 5}};
  const Point cw[3] = {{0, 5}, {5, 0}, {0, -5}};
  for (const Point* boundary : {ccw, cw}) {
    Vtx work[kCapacity], spare[kCapacity];
    std::copy(kSquare.begin(), kSquare.end(), work);
    uint32_t count = 4;
    const Vtx* out = SPW_ClipPolygonToBoundary(work, spare, kCapacity, &count, boundary, 3, Cut);
    ASSERT_NE(out, nullptr);
    ASSERT_EQ(count, 4u);  // the square's right half: the boundary's other edges miss it
    for (uint32_t i = 0; i < count; ++i) {
      EXPECT_GE(out[i].x, 0.0f) << i;
      EXPECT_FLOAT_EQ(out[i].u, U(out[i].x, out[i].y)) << i;
    }
  }
}

}  // namespace
