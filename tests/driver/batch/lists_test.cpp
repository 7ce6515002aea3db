// Batch lists and alpha buckets with textures from the texture table, depth bias read back,
// the order of entries and buckets, clipping remnants, flush exports and list growth.
#include <algorithm>
#include <cstring>

#include "driver/texture/table.h"
#include "tests/driver/batch/draw_fixture.h"

namespace drawtest {
namespace {

TEST_F(DrawTest, TableTexturesDrawOpaqueAndP7ThroughTheBucketsAfterTheOpaqueLists) {
  int32_t red = TableTexture("red.ppm", 0xFFFF0000, false);
  int32_t glass = TableTexture("glass.ppm", 0x800000FF, true);
  ASSERT_GT(red, 0);
  ASSERT_GT(glass, 0);
  auto front = Quad(100, 100, 200, 200, 5, 0xFFFFFFFF);
  auto back = Quad(50, 50, 250, 250, 10, 0xFFFFFFFF);
  // The "P7" texture sends its polygon to the alpha list although it came through the
  // opaque call, and before the opaque polygon behind it.
  SPPD_RenderFVFPolygon(&display, front.data(), N(front, SPPD_VERTEX_NOFOG), 1, glass, 0, 0);
  EXPECT_TRUE(SPPD_LinkEmpty(&State()->apBatchLists[SPPD_LAYER_OPAQUE]->active));
  EXPECT_FALSE(SPPD_LinkEmpty(&State()->apBatchLists[SPPD_LAYER_ALPHA]->alphaBlocks));
  SPPD_RenderFVFPolygon(&display, back.data(), N(back, SPPD_VERTEX_NOFOG), 1, red, 0, 0);
  EndFrame();
  EXPECT_TRUE(Near(Pixel(60, 60), 0xFFFF0000));
  EXPECT_TRUE(Near(Pixel(240, 240), 0xFFFF0000));
  EXPECT_TRUE(Near(Pixel(150, 150), 0xFF7F0080));
  EXPECT_TRUE(Near(Pixel(30, 30), 0xFF000000));
}

// Each slot's list applies its state set: blend, addressing, filters, depth writes and bias,
// culling, and for set 6 the squared fog colour.
TEST_F(DrawTest, EachListAppliesItsStateSet) {
  SetView(0xFF808080);
  constexpr uint32_t ONE = PLAT_GFX_BLEND_ONE, ZERO = PLAT_GFX_BLEND_ZERO,
                     SA = PLAT_GFX_BLEND_SRCALPHA, ISA = PLAT_GFX_BLEND_INVSRCALPHA,
                     DC = PLAT_GFX_BLEND_DESTCOLOR, CL = PLAT_GFX_ADDRESS_CLAMP,
                     WR = PLAT_GFX_ADDRESS_WRAP, LI = PLAT_GFX_TEXF_LINEAR,
                     PO = PLAT_GFX_TEXF_POINT, NO = PLAT_GFX_TEXF_NONE, CW = PLAT_GFX_CULL_CW,
                     NC = PLAT_GFX_CULL_NONE;
  struct Case {
    int slot;
    uint32_t src, dest, address, minF, mipF, zWrite, zBias, cull, fog;
  };
  const Case cases[] = {
      {0, ONE, ZERO, CL, LI, LI, 1, 0, CW, 0x808080},  {1, ONE, ONE, CL, LI, LI, 0, 1, CW, 0x808080},
      {2, DC, ZERO, CL, LI, LI, 1, 0, CW, 0x808080},   {3, SA, ISA, WR, LI, LI, 0, 15, CW, 0x808080},
      {4, ONE, ONE, CL, LI, LI, 0, 16, CW, 0x808080},  {5, ONE, ZERO, CL, LI, LI, 1, 0, NC, 0x808080},
      {6, ONE, ONE, CL, LI, LI, 0, 1, NC, 0x808080},   {7, DC, ZERO, CL, LI, LI, 1, 0, NC, 0x808080},
      {8, ONE, ONE, CL, LI, LI, 0, 16, NC, 0x808080},  {9, SA, ISA, WR, LI, LI, 1, 0, NC, 0x404040},
      {10, SA, ISA, CL, PO, NO, 1, 0, NC, 0x808080},   {11, SA, ISA, WR, LI, LI, 0, 15, NC, 0x808080},
      {12, SA, ISA, WR, LI, LI, 1, 0, NC, 0x404040},
  };
  PLAT_GfxDevice* d = State()->pGfx;
  for (const Case& c : cases) {
    SPPD_BatchApplyStates(State()->apBatchLists[c.slot]);
    EXPECT_EQ(PLAT_GfxGetState(d, PLAT_GfxState::SrcBlend), c.src) << c.slot;
    EXPECT_EQ(PLAT_GfxGetState(d, PLAT_GfxState::DestBlend), c.dest) << c.slot;
    EXPECT_EQ(PLAT_GfxGetStageState(d, 0, PLAT_GfxStageState::AddressU), c.address) << c.slot;
    EXPECT_EQ(PLAT_GfxGetStageState(d, 0, PLAT_GfxStageState::MinFilter), c.minF) << c.slot;
    EXPECT_EQ(PLAT_GfxGetStageState(d, 0, PLAT_GfxStageState::MipFilter), c.mipF) << c.slot;
    EXPECT_EQ(PLAT_GfxGetState(d, PLAT_GfxState::ZWriteEnable), c.zWrite) << c.slot;
    EXPECT_EQ(PLAT_GfxGetState(d, PLAT_GfxState::ZBias), c.zBias) << c.slot;
    EXPECT_EQ(PLAT_GfxGetState(d, PLAT_GfxState::CullMode), c.cull) << c.slot;
    EXPECT_EQ(PLAT_GfxGetState(d, PLAT_GfxState::FogColor) & 0xFFFFFFu, c.fog) << c.slot;
    EXPECT_EQ(PLAT_GfxGetStageState(d, 1, PLAT_GfxStageState::ColorOp), PLAT_GFX_TOP_DISABLE);
  }
}

TEST_F(DrawTest, RenderLineMovesItsEndsByTheSecondMatrixRenderLineVDoesNot) {
  float first[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 3, 0, 1};   // up 3: not used
  float second[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 2, 0, 0, 1};  // right 2
  SetView(0xFF00FF00, 0, nullptr, nullptr, 0, first, second);
  const float a[3] = {-1.0f, 0.0f, -10.0f}, b[3] = {1.0f, 0.0f, -10.0f};
  const uint32_t white = 0xFFFFFFFF, red = 0xFFFF0000;
  EXPECT_EQ(SPPD_RenderLine(&display, a, b, &white, nullptr), SPPD_OK);  // x 352..416
  EXPECT_TRUE(Near(Pixel(400, 240), 0xFFFFFFFF));
  EXPECT_TRUE(Near(Pixel(320, 240), 0xFF000000));
  EXPECT_EQ(SPPD_RenderLineV(&display, a, b, &red, nullptr), SPPD_OK);  // x 288..352
  EXPECT_TRUE(Near(Pixel(300, 240), 0xFFFF0000));
  EXPECT_TRUE(Near(Pixel(300, 144), 0xFF000000));
}

TEST_F(DrawTest, WireframeStillCompletesTheTexturesPendingLoad) {
  int32_t id = TableTexture("wall.ppm", 0xFF00FF00, false);
  SPPD_TEXTURESLOT* slot = SPPD_TextureSlot(State()->pTextureTable, id);
  ASSERT_NE(slot, nullptr);
  ASSERT_EQ(slot->dwFlags & SPPD_TEXTURE_LEVEL_MASK, SPPD_TEXTURE_NAMED);
  SetView(0xFF00FF00, 0, nullptr, nullptr, SPPD_RS_WIREFRAME);
  auto q = Quad(100, 100, 200, 200, 10, 0xFFFFFFFF);
  SPPD_RenderFVFPolygon(&display, q.data(), N(q, SPPD_VERTEX_NOFOG), 1, id, 0, 0);
  EndFrame();
  EXPECT_EQ(slot->dwFlags & SPPD_TEXTURE_LEVEL_MASK, SPPD_TEXTURE_READY);
  EXPECT_NE(slot->pSurface, nullptr);
}

// A decal on the priority-100 list (state set 2) drawn over an opaque quad of the priority-50
// list: its 0.0003 pull wins the depth test only for decals less than that behind.
TEST_F(DrawTest, LayerBiasLetsADecalJustBehindItsSurfaceShowThrough) {
  constexpr int kBase = 5, kDecal = 6;
  auto base = Quad(100, 100, 300, 200, 10, 0xFFFF0000);
  auto justBehind = Quad(110, 110, 190, 190, Behind(10, 0.00015f), 0xFF00FF00);
  auto wellBehind = Quad(210, 110, 290, 190, Behind(10, 0.0006f), 0xFF00FF00);
  SPPD_RenderFVFPolygonLayer(&display, kDecal, justBehind.data(), N(justBehind), 1, 0, 0, 0);
  SPPD_RenderFVFPolygonLayer(&display, kDecal, wellBehind.data(), N(wellBehind), 1, 0, 0, 0);
  SPPD_RenderFVFPolygonLayer(&display, kBase, base.data(), N(base), 1, 0, 0, 0);
  EndFrame();
  EXPECT_TRUE(Near(Pixel(150, 150), 0xFFFFFF00));  // added over the red
  EXPECT_TRUE(Near(Pixel(250, 150), 0xFFFF0000));  // hidden
  EXPECT_TRUE(Near(Pixel(105, 150), 0xFFFF0000));
}

TEST_F(DrawTest, ATextureFirstUsedMidSceneIsDrawnAfterTheEarlierOnesOfItsList) {
  Texture(3, 0x80FF0000, false);
  Texture(1, 0x800000FF, false);
  auto q = Screen(100, 100, 200, 200, 0xFFFFFFFF);
  // Sent red, blue, red; the HUD list blends by texture alpha, so the order shows.
  for (int32_t id : {3, 1, 3}) SPPD_RenderFVFPolygonPhysical(&display, q.data(), N(q), 1, id);
  EndFrame();
  EXPECT_TRUE(Near(Pixel(150, 150), 0xFF5F0080, 4));  // red, red, then blue
}

TEST_F(DrawTest, NegativeDepthsFileNearestLastInTheFirstBucket) {
  SPPD_BATCHLIST* list = State()->apBatchLists[SPPD_LAYER_ALPHA];
  const float depths[] = {-0.5f, 0.0002f, -0.1f, 0.0f};
  for (float d : depths) {
    SPPD_ALPHAPOLY* p = SPPD_AlphaCarve(list, 3);
    ASSERT_NE(p, nullptr);
    p->dwTextureId = 0;
    p->fDepth = d;
    for (uint32_t i = 0; i < 3; ++i) p->v[i] = SPPD_TLVERTEX{};
    SPPD_AlphaFile(list, p);
  }
  std::vector<float> order;
  SPPD_BATCHENTRY* bucket = SPPD_BatchEntry(list, 0);
  for (SPPD_ALPHAPOLY* p : SPPD_LinkRecords<SPPD_ALPHAPOLY>(&bucket->bucket))
    order.push_back(p->fDepth);
  EXPECT_EQ(order, (std::vector<float>{0.0002f, 0.0f, -0.1f, -0.5f}));
}

TEST_F(DrawTest, ClippingThatLeavesFewerThanThreeVerticesAddsNothing) {
  const float n[3] = {0, 0, -1}, p[3] = {0, 0, -1};  // keeps everything past the eye
  SetView(0xFF00FF00, 1, n, p);
  auto q = Quad(100, 100, 200, 200, 10, 0xFFFFFFFF);
  SPPD_RenderFVFPolygon(&display, q.data(), 2, 1, 0, 0, 1);
  SPPD_RenderFVFPolygonLayer(&display, 7, q.data(), 2, 1, 0, 0, 1);
  SPPD_RenderFVFPolygonAlpha(&display, q.data(), 2, 1, 0, 0, 1);
  EXPECT_EQ(SPPD_BatchEntry(State()->apBatchLists[SPPD_LAYER_OPAQUE], 0)->pCurrent, nullptr);
  EXPECT_EQ(SPPD_BatchEntry(State()->apBatchLists[7], 0)->pCurrent, nullptr);
  EXPECT_TRUE(SPPD_LinkEmpty(&State()->apBatchLists[SPPD_LAYER_ALPHA]->alphaBlocks));
  // Without a mask a two-vertex polygon still takes room, as it always has.
  SPPD_RenderFVFPolygon(&display, q.data(), 2, 1, 0, 0, 0);
  SPPD_VBUFFER* b = SPPD_BatchEntry(State()->apBatchLists[SPPD_LAYER_OPAQUE], 0)->pCurrent;
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(b->dwVerticesUsed, 2u);
  EXPECT_EQ(b->dwIndicesUsed, 0u);
}

TEST_F(DrawTest, FlushExportsRefuseAMissingContextAndFlushNoHudLeavesTheHud) {
  SPW_DISPLAY bare{};
  for (auto flush : {SPPD_Flush, SPPD_FlushNoHud, SPPD_FlushAlpha, SPPD_FlushHUD}) {
    EXPECT_EQ(flush(nullptr), SPPD_FAIL);
    EXPECT_EQ(flush(&bare), SPPD_FAIL);
  }
  auto hud = Screen(10, 10, 60, 60, 0xFFFFFF00);
  auto q = Quad(100, 100, 200, 200, 10, 0xFFFFFFFF);
  SPPD_RenderFVFPolygonPhysical(&display, hud.data(), N(hud), 1, 0);
  SPPD_RenderFVFPolygon(&display, q.data(), N(q, SPPD_VERTEX_NOFOG), 1, 0, 0, 0);
  ASSERT_EQ(SPPD_FlushNoHud(&display), SPPD_OK);
  EXPECT_TRUE(Near(Pixel(150, 150), 0xFFFFFFFF));
  EXPECT_TRUE(Near(Pixel(30, 30), 0xFF000000));
  ASSERT_EQ(SPPD_Flush(&display), SPPD_OK);
  EXPECT_TRUE(Near(Pixel(30, 30), 0xFFFFFF00));
}

TEST_F(DrawTest, BuffersAreStampedFromOneSerialStartingAtOne) {
  EXPECT_EQ(SPPD_BatchSerial(), 1);
  SPPD_BATCHENTRY* a = SPPD_BatchEntry(State()->apBatchLists[7], 4);
  SPPD_BATCHENTRY* b = SPPD_BatchEntry(State()->apBatchLists[9], 4);
  SPPD_VBUFFER* first = SPPD_BatchGetBuffer(a, 1000, 3000, 3, 3);
  SPPD_VBUFFER* second = SPPD_BatchGetBuffer(b, 1000, 3000, 3, 3);
  SPPD_VBUFFER* third = SPPD_BatchGetBuffer(a, 1000, 3000, 3, 3);
  ASSERT_TRUE(first && second && third);
  EXPECT_EQ(first->wSerial, 1);
  EXPECT_EQ(second->wSerial, 2);
  EXPECT_EQ(third->wSerial, 3);
  EXPECT_EQ(a->pCurrent, third);
  EXPECT_EQ(first->pLockBase, nullptr);  // unlocked when replaced
}

TEST_F(DrawTest, ListsGrowWithATextureTableLargerThanTheirLimit) {
  SPPD_TEXTURETABLE* table = SPPD_TextureTableOf(State());
  ASSERT_NE(table, nullptr);
  const uint32_t slots = table->dwCapacity;
  const uint32_t id = SPPD_BATCH_MAX_ENTRIES + 500;
  table->dwCapacity = id + 1;  // stands for a table that grew that far
  Texture(id, 0xFF0000FF, false);
  auto q = Quad(100, 100, 200, 200, 10, 0xFFFFFFFF);
  SPPD_RenderFVFPolygon(&display, q.data(), N(q, SPPD_VERTEX_NOFOG), 1, static_cast<int32_t>(id),
                        0, 0);
  table->dwCapacity = slots;
  EXPECT_GT(State()->apBatchLists[SPPD_LAYER_OPAQUE]->dwCapacity, id);
  EndFrame();
  EXPECT_TRUE(Near(Pixel(150, 150), 0xFF0000FF));
}

TEST_F(DrawTest, FansCopyTheirVerticesAndIndexPastTheUsedOnesWrappingAt16Bits) {
  // Ids in the list's first entries and past them, triangles and quads on the inline path
  // and a pentagon out of line, at starts where some lanes of the index words wrap.
  SPPD_BATCHLIST* list = State()->apBatchLists[7];
  const uint32_t ids[] = {3, SPPD_BATCH_ENTRIES + 300};
  const uint32_t firsts[] = {0, 7, 0x7FFE, 0x7FFF, 0xFFFB, 0xFFFC, 0xFFFD, 0xFFFE};
  SPPD_TLVERTEX fan[5];
  for (uint32_t k = 0; k < 5; ++k)
    fan[k] = {1.0f + k, 2.0f + k, 0.5f, 1.0f, 0xFF000000u | k, 0xFF000000u, 0.25f * k, 0.5f};
  for (uint32_t id : ids) {
    SPPD_BATCHENTRY* e = SPPD_BatchEntry(list, id);
    ASSERT_NE(e, nullptr);
    SPPD_VBUFFER* b = SPPD_BatchGetBuffer(e, 0x10008, 16, 5, 9);
    ASSERT_NE(b, nullptr);
    for (uint32_t first : firsts) {
      for (uint32_t n = 3; n <= 5; ++n) {
        SCOPED_TRACE(testing::Message() << "id " << id << " first " << first << " n " << n);
        b->dwVerticesUsed = first;
        b->pCursor = b->pVertices + first;
        b->dwIndicesUsed = 1;
        std::fill(b->pIndices, b->pIndices + 16, uint16_t{0xABCD});
        ASSERT_TRUE(SPPD_BatchAppendFan(State(), list, id, fan, n));
        EXPECT_EQ(e->pCurrent, b);
        EXPECT_EQ(b->dwVerticesUsed, first + n);
        EXPECT_EQ(b->pCursor, b->pVertices + first + n);
        EXPECT_EQ(b->dwIndicesUsed, 1 + 3 * (n - 2));
        EXPECT_EQ(std::memcmp(b->pVertices + first, fan, n * sizeof(SPPD_TLVERTEX)), 0);
        const uint16_t* idx = b->pIndices + 1;
        for (uint32_t t = 0; t + 2 < n; ++t) {
          EXPECT_EQ(idx[3 * t], static_cast<uint16_t>(first));
          EXPECT_EQ(idx[3 * t + 1], static_cast<uint16_t>(first + t + 1));
          EXPECT_EQ(idx[3 * t + 2], static_cast<uint16_t>(first + t + 2));
        }
        EXPECT_EQ(b->pIndices[0], 0xABCD);
        EXPECT_EQ(idx[3 * (n - 2)], 0xABCD);  // nothing written past the fan
      }
    }
  }
}

}  // namespace
}  // namespace drawtest
