// The user-plane clipper: plane selection, cuts with interpolated coordinates and colours,
// lines, and the bounds of its working buffers.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "driver/batch/clip.h"

namespace {

// A polygon vertex with one pair of texture coordinates, as the clipper reads it.
struct Vtx {
  uint32_t first;
  uint32_t colour;
  float x, y, z, u, v;
};
static_assert(sizeof(Vtx) == SPPD_ClipVertexStride(1));

Vtx Read(const uint8_t* p) {
  Vtx v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

// Plane 0: x >= 0. Plane 1: y >= 0. Plane 2: z >= 5 (normal +z, constant 5).
const float kNormals[SPPD_MAX_CLIP_PLANES][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
const float kConsts[SPPD_MAX_CLIP_PLANES] = {0, 0, 5};
SPPD_CLIPPLANES Planes(uint32_t count = 3) { return {count, kNormals, kConsts}; }

// A triangle with vertex 0 behind plane 0 (x = -1) and the others in front (x = 1).
std::vector<Vtx> OneBehind() {
  return {{7, 0xFF000000, -1, 0, 10, 0, 0},
          {7, 0xFFFFFFFF, 1, 0, 10, 1, 0},
          {7, 0xFFFFFFFF, 1, 1, 10, 1, 1}};
}

TEST(ClipPolygon, NoPlaneSelectedReturnsThePolygonUnchanged) {
  struct Case {
    uint32_t planeCount;
    uint32_t mask;
  } cases[] = {{3, 0}, {0, 0xFFFFFFFF}, {3, 0x8}};  // bit 3 lies beyond the plane count
  std::vector<Vtx> tri = OneBehind();
  for (const Case& c : cases) {
    uint32_t n = 3;
    const uint8_t* const* out = SPPD_ClipPolygon(Planes(c.planeCount), tri.data(), 1, &n, c.mask, 0);
    ASSERT_EQ(n, 3u) << c.planeCount << " " << c.mask;
    for (uint32_t i = 0; i < 3; ++i)
      EXPECT_EQ(out[i], reinterpret_cast<const uint8_t*>(&tri[i])) << "vertices are referenced";
  }
}

TEST(ClipPolygon, WhollyBehindOnePlaneGivesNothing) {
  std::vector<Vtx> tri = {{0, 0, 1, 1, 1, 0, 0}, {0, 0, 2, 1, 1, 0, 0}, {0, 0, 1, 2, 1, 0, 0}};
  uint32_t n = 3;
  SPPD_ClipPolygon(Planes(), tri.data(), 1, &n, 0x4, 0);  // z >= 5, all at z = 1
  EXPECT_EQ(n, 0u);
}

TEST(ClipPolygon, OneVertexBehindGivesAQuadWithCutsOnThePlane) {
  for (uint32_t flags : {0u, SPPD_CLIP_COLOURS}) {
    std::vector<Vtx> tri = OneBehind();
    uint32_t n = 3;
    const uint8_t* const* out = SPPD_ClipPolygon(Planes(), tri.data(), 1, &n, 0x1, flags);
    ASSERT_EQ(n, 4u);
    // Edges run from the last vertex: cut(2->0), cut(0->1), then vertices 1 and 2.
    Vtx b = Read(out[0]), a = Read(out[1]);
    EXPECT_EQ(out[2], reinterpret_cast<const uint8_t*>(&tri[1]));
    EXPECT_EQ(out[3], reinterpret_cast<const uint8_t*>(&tri[2]));
    EXPECT_FLOAT_EQ(a.x, 0.0f);
    EXPECT_FLOAT_EQ(a.u, 0.5f);  // halfway from u 0 to u 1
    EXPECT_FLOAT_EQ(a.v, 0.0f);
    EXPECT_FLOAT_EQ(b.x, 0.0f);
    EXPECT_FLOAT_EQ(b.y, 0.5f);
    EXPECT_FLOAT_EQ(b.u, 0.5f);
    EXPECT_FLOAT_EQ(b.v, 0.5f);
    if (flags & SPPD_CLIP_COLOURS) {
      EXPECT_EQ(a.colour, 0xFF808080u) << std::hex << a.colour;  // 127.5 rounds up
      EXPECT_EQ(b.colour, 0xFF808080u) << std::hex << b.colour;
    } else {
      EXPECT_EQ(a.colour, 0xFF000000u) << "edge 0->1 starts at vertex 0";
      EXPECT_EQ(b.colour, 0xFFFFFFFFu) << "edge 2->0 starts at vertex 2";
    }
  }
}

TEST(ClipPolygon, SuccessivePlanesWorkOnTheListJustMade) {
  // A square from -1 to 1 cut by x >= 0 and y >= 0 leaves the quarter square.
  std::vector<Vtx> sq = {{0, 0, -1, -1, 10, 0, 0}, {0, 0, 1, -1, 10, 1, 0},
                         {0, 0, 1, 1, 10, 1, 1}, {0, 0, -1, 1, 10, 0, 1}};
  uint32_t n = 4;
  const uint8_t* const* out = SPPD_ClipPolygon(Planes(), sq.data(), 1, &n, 0x3, 0);
  ASSERT_EQ(n, 4u);
  for (uint32_t i = 0; i < n; ++i) {
    Vtx v = Read(out[i]);
    EXPECT_GE(v.x, 0.0f);
    EXPECT_GE(v.y, 0.0f);
    EXPECT_FLOAT_EQ(v.u, (v.x + 1) / 2);
    EXPECT_FLOAT_EQ(v.v, (v.y + 1) / 2);
  }
}

TEST(ClipPolygon, PlaneCountAbove32ReadsOnly32Planes) {
  // Arrays of exactly 32 planes: a count of 40 must not read past them (ASan run).
  std::vector<float> normals(SPPD_MAX_CLIP_PLANES * 3, 0.0f), consts(SPPD_MAX_CLIP_PLANES, -1.0f);
  SPPD_CLIPPLANES planes{40, reinterpret_cast<const float(*)[3]>(normals.data()), consts.data()};
  std::vector<Vtx> tri = OneBehind();
  uint32_t n = 3;
  SPPD_ClipPolygon(planes, tri.data(), 1, &n, 0xFFFFFFFF, 0);
  EXPECT_EQ(n, 3u);  // 0 . x - (-1) >= 0 everywhere
}

TEST(ClipPolygon, InputBeyondTheBuffersIsRefused) {
  std::vector<Vtx> many(SPPD_CLIP_MAX_VERTICES + 1, Vtx{0, 0, 1, 1, 10, 0, 0});
  uint32_t n = static_cast<uint32_t>(many.size());
  EXPECT_EQ(SPPD_ClipPolygon(Planes(), many.data(), 1, &n, 1, 0), nullptr);
  EXPECT_EQ(n, 0u);
  std::vector<uint8_t> wide(3 * SPPD_ClipVertexStride(SPPD_CLIP_MAX_PAIRS + 1));
  n = 3;
  EXPECT_EQ(SPPD_ClipPolygon(Planes(), wide.data(), SPPD_CLIP_MAX_PAIRS + 1, &n, 1, 0), nullptr);
  EXPECT_EQ(n, 0u);
}

TEST(ClipPolygon, ASawtoothThatWouldOverflowTheListIsRefused) {
  // 256 vertices alternating across the plane: each pass nearly doubles the crossings.
  std::vector<Vtx> saw(SPPD_CLIP_MAX_VERTICES);
  for (size_t i = 0; i < saw.size(); ++i)
    saw[i] = {0, 0, (i % 2) ? 1.0f : -0.5f, static_cast<float>(i), 10, 0, 0};
  uint32_t n = static_cast<uint32_t>(saw.size());
  SPPD_ClipPolygon(Planes(), saw.data(), 1, &n, 0x1, 0);
  EXPECT_LE(n, static_cast<uint32_t>(SPPD_CLIP_MAX_VERTICES));
}

TEST(ClipLine, CrossingLineIsShortenedToThePlane) {
  const float a[3] = {-1, 0, 10}, b[3] = {3, 0, 10};
  uint32_t colours[2] = {};
  const float* p = SPPD_ClipLine(Planes(), a, b, 0x1, SPPD_CLIP_COLOURS, 0xFF000000, 0xFFFFFFFF,
                                 colours);
  ASSERT_NE(p, nullptr);
  EXPECT_FLOAT_EQ(p[0], 0.0f);
  EXPECT_FLOAT_EQ(p[3], 3.0f);
  EXPECT_EQ(colours[0], 0xFF404040u) << std::hex << colours[0];  // a quarter of the way
  EXPECT_EQ(colours[1], 0xFFFFFFFFu);
}

TEST(ClipLine, WhollyOutsideGivesNullAndColoursStayWithoutTheFlag) {
  const float a[3] = {-1, 0, 10}, b[3] = {-3, 0, 10};
  EXPECT_EQ(SPPD_ClipLine(Planes(), a, b, 0x1, 0, 0, 0, nullptr), nullptr);
  const float c[3] = {-1, 0, 10}, d[3] = {1, 0, 10};
  uint32_t colours[2] = {1, 2};
  ASSERT_NE(SPPD_ClipLine(Planes(), c, d, 0x1, 0, 0xFF000000, 0xFFFFFFFF, colours), nullptr);
  EXPECT_EQ(colours[0], 1u);
}

}  // namespace
