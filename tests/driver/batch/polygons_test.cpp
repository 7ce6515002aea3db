// The draw path read back from the device: batch lists, alpha buckets, primitives, lines.
#include "tests/driver/batch/draw_fixture.h"

namespace drawtest {
namespace {

TEST_F(DrawTest, OpaqueTexturedQuadIsDrawnAtTheEndOfTheScene) {
  Texture(1, 0xFFFF0000, false);
  auto q = Quad(100, 100, 200, 200, 10, 0xFFFFFFFF);
  SPPD_RenderFVFPolygon(&display, q.data(), N(q, SPPD_VERTEX_NOFOG), 1, 1, 0, 0);
  EXPECT_TRUE(Near(Pixel(150, 150), 0xFF000000));  // queued, not drawn yet
  EndFrame();
  EXPECT_TRUE(Near(Pixel(150, 150), 0xFFFF0000));
  EXPECT_TRUE(Near(Pixel(105, 195), 0xFFFF0000));
  EXPECT_TRUE(Near(Pixel(90, 150), 0xFF000000));
  EXPECT_TRUE(Near(Pixel(210, 150), 0xFF000000));
}

TEST_F(DrawTest, AlphaTextureGoesThroughTheBucketsAfterTheOpaqueLists) {
  Texture(2, 0x800000FF, true);
  auto front = Quad(100, 100, 200, 200, 5, 0xFFFFFFFF);
  auto back = Quad(50, 50, 250, 250, 10, 0xFFFF0000);
  // The translucent quad is sent first, yet it blends over what is drawn behind it.
  SPPD_RenderFVFPolygon(&display, front.data(), N(front, SPPD_VERTEX_NOFOG), 1, 2, 0, 0);
  EXPECT_TRUE(SPPD_LinkEmpty(&State()->apBatchLists[SPPD_LAYER_OPAQUE]->active));
  SPPD_RenderFVFPolygon(&display, back.data(), N(back, SPPD_VERTEX_NOFOG), 1, 0, 0, 0);
  EndFrame();
  EXPECT_TRUE(Near(Pixel(150, 150), 0xFF7F0080));
  EXPECT_TRUE(Near(Pixel(60, 60), 0xFFFF0000));
}

TEST_F(DrawTest, TranslucentPolygonsAreDrawnFarToNearEqualDepthsInOrder) {
  auto nearQ = Quad(100, 100, 200, 200, 5, 0x800000FF);
  auto midQ = Quad(100, 100, 200, 200, 20, 0x8000FF00);
  auto farQ = Quad(100, 100, 200, 200, 50, 0x80FF0000);
  for (auto* q : {&nearQ, &midQ, &farQ})
    SPPD_RenderFVFPolygonAlpha(&display, q->data(), N(*q, SPPD_VERTEX_NOFOG), 1, 0, 0, 0);
  auto first = Quad(300, 100, 400, 200, 20, 0x80FF0000);
  auto second = Quad(300, 100, 400, 200, 20, 0x8000FF00);
  SPPD_RenderFVFPolygonAlpha(&display, first.data(), N(first, SPPD_VERTEX_NOFOG), 1, 0, 0, 0);
  SPPD_RenderFVFPolygonAlpha(&display, second.data(), N(second, SPPD_VERTEX_NOFOG), 1, 0, 0, 0);
  EndFrame();
  EXPECT_TRUE(Near(Pixel(150, 150), 0xFF1F3F80, 4));  // red, then green, then blue on top
  EXPECT_TRUE(Near(Pixel(350, 150), 0xFF3F7F00, 4));  // red, then green
  EXPECT_EQ(SPPD_GetFrameCounters()->dwAlphaPolygons, 0u);  // counted, then reset by the frame
}

TEST_F(DrawTest, BucketOfADepth) {
  struct Case {
    float depth;
    uint32_t bucket;
  };
  const Case cases[] = {{0.0f, 0},      {0.5f, 512},   {0.9995f, 1023}, {1.0f, 1023},
                        {7.0f, 1023},   {-0.25f, 0},   {0.00048828125f, 0},  // 0.5 ties to even
                        {0.00146484375f, 2}};
  for (const Case& c : cases) EXPECT_EQ(SPPD_AlphaBucket(c.depth), c.bucket) << c.depth;
}

TEST_F(DrawTest, HudIsDrawnAtItsFlushAndLaterOnesAtTheEndAfterTheAlphaList) {
  auto hud = Screen(10, 10, 60, 60, 0xFFFFFF00);
  SPPD_RenderFVFPolygonPhysical(&display, hud.data(), N(hud), 1, 0);
  ASSERT_EQ(SPPD_FlushHUD(&display), SPPD_OK);
  EXPECT_TRUE(Near(Pixel(30, 30), 0xFFFFFF00));

  auto glass = Quad(300, 300, 400, 400, 2, 0x80FF0000);
  SPPD_RenderFVFPolygonAlpha(&display, glass.data(), N(glass, SPPD_VERTEX_NOFOG), 1, 0, 0, 0);
  auto late = Screen(320, 320, 380, 380, 0xFF00FFFF);
  SPPD_RenderFVFPolygonPhysical(&display, late.data(), N(late), 1, 0);
  EndFrame();
  EXPECT_TRUE(Near(Pixel(350, 350), 0xFF00FFFF));  // over the translucent quad
  EXPECT_TRUE(Near(Pixel(310, 310), 0xFF7F0000));
}

TEST_F(DrawTest, PhysicalPolygonsSnapToWholePixels) {
  auto q = Screen(10.7f, 10.7f, 20.7f, 20.7f, 0xFFFFFFFF);
  SPPD_RenderFVFPolygonPhysical(&display, q.data(), N(q), 1, 0);
  EndFrame();
  EXPECT_TRUE(Near(Pixel(10, 10), 0xFFFFFFFF));
  EXPECT_TRUE(Near(Pixel(19, 19), 0xFFFFFFFF));
  EXPECT_TRUE(Near(Pixel(9, 15), 0xFF000000));
  EXPECT_TRUE(Near(Pixel(20, 15), 0xFF000000));
}

TEST_F(DrawTest, LayerPolygonsArePulledTowardTheViewerByTheirStateSet) {
  auto q = Quad(100, 100, 200, 200, 10, 0xFFFFFFFF);
  auto depthOf = [&](int layer) {
    SPPD_BATCHLIST* list = State()->apBatchLists[layer];
    SPPD_RenderFVFPolygonLayer(&display, layer, q.data(), N(q), 1, 0, 0, 0);
    SPPD_VBUFFER* b = SPPD_BatchEntry(list, 0)->pCurrent;
    EXPECT_NE(b, nullptr);
    return b ? b->pVertices[b->dwVerticesUsed - 1] : PLAT_GfxVertex{};
  };
  PLAT_GfxVertex plain = depthOf(7), set2 = depthOf(1), set7 = depthOf(11);
  EXPECT_NEAR(plain.z - set2.z, 0.0003f, 1e-6f);
  EXPECT_NEAR(plain.z - set7.z, 0.0001f, 1e-6f);
  EXPECT_EQ(plain.specular, 0xFF000000u);  // layers never fog

  auto nearest = Quad(100, 100, 200, 200, 1.0002f, 0xFFFFFFFF);  // depth under the bias
  SPPD_RenderFVFPolygonLayer(&display, 1, nearest.data(), N(nearest), 1, 0, 0, 0);
  SPPD_VBUFFER* b = SPPD_BatchEntry(State()->apBatchLists[1], 0)->pCurrent;
  EXPECT_EQ(b->pVertices[b->dwVerticesUsed - 1].z, 0.0f);

  vntest::TraceCapture trace;
  EXPECT_EQ(SPPD_RenderFVFPolygonLayer(&display, 13, q.data(), N(q), 1, 0, 0, 0), SPPD_FAIL);
  EXPECT_EQ(SPPD_RenderFVFPolygonLayer(&display, SPPD_LAYER_ALPHA, q.data(), N(q), 1, 0, 0, 0),
            SPPD_FAIL);
  EXPECT_TRUE(trace.contains("takes no polygons"));
}

TEST_F(DrawTest, AdditivePolygonsAddTheirColour) {
  auto under = Quad(100, 100, 200, 200, 20, 0xFFFF0000);
  auto light = Quad(100, 100, 200, 200, 10, 0xFF000080);
  SPPD_RenderFVFPolygonAdditive(&display, light.data(), N(light), 1, 0, 0, 0);
  SPPD_RenderFVFPolygon(&display, under.data(), N(under, SPPD_VERTEX_NOFOG), 1, 0, 0, 0);
  EndFrame();
  EXPECT_TRUE(Near(Pixel(150, 150), 0xFFFF0080));
}

TEST_F(DrawTest, FogComesFromTheVertexSpecularAlpha) {
  auto far = Quad(100, 100, 200, 200, 99, 0xFFFFFFFF);
  auto clear = Quad(300, 100, 400, 200, 99, 0xFFFFFFFF);
  SPPD_RenderFVFPolygon(&display, far.data(), N(far), 1, 0, 0, 0);
  SPPD_RenderFVFPolygon(&display, clear.data(), N(clear, SPPD_VERTEX_NOFOG), 1, 0, 0, 0);
  EndFrame();
  EXPECT_TRUE(Near(Pixel(150, 150), 0xFF08FF08, 4));  // nearly all fog colour
  EXPECT_TRUE(Near(Pixel(350, 150), 0xFFFFFFFF));
}

TEST_F(DrawTest, FogAndFadeFactorsStayInTheirByte) {
  struct Case {
    float sz;
    uint32_t specular;
  };
  const Case cases[] = {{0.5f, 0xFF000000}, {0.997f, 0xFF000000}, {0.998f, 169u << 24},
                        {1.0f, 0}, {1.01f, 0}, {3.0f, 0}};
  for (const Case& c : cases) EXPECT_EQ(SPPD_PrimFogSpecular(c.sz), c.specular) << c.sz;

  // Beyond the far plane the additive fade and the near-blend alpha go to 0, not round.
  auto beyond = Quad(100, 100, 200, 200, 150, 0xFFFFFFFF);
  SPPD_RenderFVFPolygonAdditive(&display, beyond.data(), N(beyond), 1, 0, 0, 0);
  SPPD_VBUFFER* b = SPPD_BatchEntry(State()->apBatchLists[SPPD_LAYER_ADDITIVE], 0)->pCurrent;
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(b->pVertices[0].diffuse, 0u);

  auto blend = Quad(100, 100, 200, 200, 2, 0x80FFFFFF);
  SPPD_RenderFVFPolygonNearBlend(&display, blend.data(), N(blend), 1, 0, 0, 0, -3.0f, 100.0f);
  SPPD_RenderFVFPolygonNearBlend(&display, blend.data(), N(blend), 1, 0, 0, 0, -3.0f, -100.0f);
  SPPD_BATCHENTRY* bucket = SPPD_BatchEntry(State()->apBatchLists[SPPD_LAYER_ALPHA],
                                            SPPD_AlphaBucket((2.0f - kNear) / (kFar - kNear)));
  ASSERT_FALSE(SPPD_LinkEmpty(&bucket->bucket));
  std::vector<SPPD_ALPHAPOLY*> filed;
  for (SPPD_ALPHAPOLY* p : SPPD_LinkRecords<SPPD_ALPHAPOLY>(&bucket->bucket)) filed.push_back(p);
  ASSERT_EQ(filed.size(), 2u);
  SPPD_ALPHAPOLY* first = filed[0];
  SPPD_ALPHAPOLY* second = filed[1];
  EXPECT_EQ(first->v[0].dwDiffuse, 0x00FFFFFFu);   // 128 x -200 held at 0
  EXPECT_EQ(second->v[0].dwDiffuse, 0xFFFFFFFFu);  // 128 x 200 held at 255
}

TEST_F(DrawTest, LinesAreDrawnInTheSceneOrQueuedUntilAfterTheNextHud) {
  const float a[3] = {-5.0f, 0.0f, -10.0f}, b[3] = {5.0f, 0.0f, -10.0f};
  const uint32_t red = 0xFFFF0000, white = 0xFFFFFFFF;
  EXPECT_EQ(SPPD_RenderLineV(&display, a, b, &red, nullptr), SPPD_OK);
  EXPECT_TRUE(Near(Pixel(320, 240), 0xFFFF0000));  // drawn at once
  EndFrame();

  // Outside a scene: queued, then drawn over the next scene's HUD.
  EXPECT_EQ(SPPD_RenderLine(&display, a, b, &white, nullptr), SPPD_OK);
  ASSERT_EQ(SPPD_BeginScene(&display), SPPD_OK);
  Clear(0xFF000000);
  auto hud = Screen(300, 200, 340, 280, 0xFF0000FF, 50.0f);  // behind the line in depth
  SPPD_RenderFVFPolygonPhysical(&display, hud.data(), N(hud), 1, 0);
  EndFrame();
  EXPECT_TRUE(Near(Pixel(320, 240), 0xFFFFFFFF));
  EXPECT_TRUE(Near(Pixel(320, 220), 0xFF0000FF));

  // A line wholly behind a plane is dropped with 0.
  const float n[3] = {0, 0, -1}, p[3] = {0, 0, -20};
  SetView(0xFF00FF00, 1, n, p);
  EXPECT_EQ(SPPD_RenderLineV(&display, a, b, &red, nullptr), 0);
}

TEST_F(DrawTest, UserPlaneClipsPolygonsInterpolatingColourAndTexture) {
  const float n[3] = {1, 0, 0}, p[3] = {0, 0, 0};  // keeps x >= 0
  SetView(0xFF00FF00, 1, n, p);
  auto q = Quad(220, 100, 420, 200, 10, 0xFFFF0000);
  q[1].dwColour = q[2].dwColour = 0xFF00FF00;  // right side green
  SPPD_RenderFVFPolygon(&display, q.data(), N(q, SPPD_VERTEX_NOFOG), 1, 0, 0, 1);
  SPPD_VBUFFER* b = SPPD_BatchEntry(State()->apBatchLists[SPPD_LAYER_OPAQUE], 0)->pCurrent;
  ASSERT_NE(b, nullptr);
  ASSERT_EQ(b->dwVerticesUsed, 4u);
  int onPlane = 0;
  for (uint32_t i = 0; i < 4; ++i) {
    const PLAT_GfxVertex& v = b->pVertices[i];
    if (std::abs(v.x - 320.0f) > 0.01f) continue;
    ++onPlane;
    EXPECT_NEAR(v.u, 0.5f, 1e-5f);
    EXPECT_TRUE(Near(v.diffuse, 0xFF7F7F00, 1));
  }
  EXPECT_EQ(onPlane, 2);
  EndFrame();
  EXPECT_TRUE(Near(Pixel(300, 150), 0xFF000000));  // cut away
  EXPECT_TRUE(Near(Pixel(322, 150), 0xFF7F7F00, 6));
  EXPECT_TRUE(Near(Pixel(415, 150), 0xFF00FF00, 6));
}

TEST_F(DrawTest, DisabledLayerDrawsNothingAndGivesItsBuffersBack) {
  SPPD_EnableLayer(&display, SPPD_LAYER_OPAQUE, 0);
  SPPD_EnableLayer(&display, SPPD_LAYER_ALPHA, 0);
  auto q = Quad(100, 100, 200, 200, 10, 0xFFFFFFFF);
  auto g = Quad(300, 100, 400, 200, 10, 0x80FFFFFF);
  SPPD_RenderFVFPolygon(&display, q.data(), N(q), 1, 0, 0, 0);
  SPPD_RenderFVFPolygonAlpha(&display, g.data(), N(g), 1, 0, 0, 0);
  EndFrame();
  EXPECT_TRUE(Near(Pixel(150, 150), 0xFF000000));
  EXPECT_TRUE(Near(Pixel(350, 150), 0xFF000000));
  EXPECT_FALSE(SPPD_LinkEmpty(&State()->lhFreeBuffers));
  EXPECT_FALSE(SPPD_LinkEmpty(&State()->lhFreeAlphaBlocks));

  SPPD_EnableLayer(&display, SPPD_LAYER_OPAQUE, 1);
  ASSERT_EQ(SPPD_BeginScene(&display), SPPD_OK);
  SPPD_RenderFVFPolygon(&display, q.data(), N(q), 1, 0, 0, 0);
  EndFrame();
  EXPECT_TRUE(Near(Pixel(150, 150), 0xFFFFFFFF));
}

TEST_F(DrawTest, EnablingSlotFiveMakesStateSetZeroMultiply) {
  SPPD_BATCHLIST* list = State()->apBatchLists[2];
  SPPD_EnableLayer(&display, 5, 0);
  SPPD_BatchApplyStates(list);
  EXPECT_EQ(PLAT_GfxGetState(State()->pGfx, PLAT_GfxState::SrcBlend), PLAT_GFX_BLEND_ONE);
  SPPD_EnableLayer(&display, 5, 1);
  SPPD_BatchApplyStates(list);
  EXPECT_EQ(PLAT_GfxGetState(State()->pGfx, PLAT_GfxState::SrcBlend), PLAT_GFX_BLEND_DESTCOLOR);
  EXPECT_EQ(PLAT_GfxGetState(State()->pGfx, PLAT_GfxState::DestBlend), PLAT_GFX_BLEND_ZERO);
}

TEST_F(DrawTest, ListsRunByPriorityEqualOnesInCreationOrder) {
  SPPD_BATCHLIST* a = SPPD_BatchCreateList(State(), 400, 0, SPPD_BATCH_ENTRIES);
  SPPD_BATCHLIST* b = SPPD_BatchCreateList(State(), 400, 0, SPPD_BATCH_ENTRIES);
  std::vector<uint32_t> priorities;
  std::vector<SPPD_BATCHLIST*> order;
  for (SPPD_BATCHLIST* list : SPPD_LinkRecords<SPPD_BATCHLIST>(&State()->lhBatchLists)) {
    order.push_back(list);
    priorities.push_back(list->dwPriority);
  }
  EXPECT_EQ(priorities, (std::vector<uint32_t>{5, 10, 15, 20, 25, 50, 100, 200, 400, 400, 400,
                                               500, 600, 700, 800}));
  EXPECT_EQ(order[8], State()->apBatchLists[SPPD_LAYER_OPAQUE]);
  EXPECT_EQ(order[9], a);
  EXPECT_EQ(order[10], b);
}

TEST_F(DrawTest, TextureIdsPastTheFirstThousandGrowTheLists) {
  auto q = Quad(100, 100, 200, 200, 10, 0xFFFFFFFF);
  Texture(5000, 0xFF0000FF, false);
  SPPD_RenderFVFPolygon(&display, q.data(), N(q, SPPD_VERTEX_NOFOG), 1, 5000, 0, 0);
  EXPECT_GE(State()->apBatchLists[SPPD_LAYER_OPAQUE]->dwCapacity, 5001u);
  vntest::TraceCapture trace;
  auto r = Quad(300, 100, 400, 200, 10, 0xFFFFFFFF);
  SPPD_RenderFVFPolygon(&display, r.data(), N(r, SPPD_VERTEX_NOFOG), 1, 0x7FFFFFFF, 0, 0);
  EXPECT_TRUE(trace.contains("no entry for texture id"));
  EndFrame();
  EXPECT_TRUE(Near(Pixel(150, 150), 0xFF0000FF));
  EXPECT_TRUE(Near(Pixel(350, 150), 0xFF000000));
}

TEST_F(DrawTest, PooledBufferTooSmallForAPolygonIsPassedOver) {
  SPPD_BATCHENTRY* e = SPPD_BatchEntry(State()->apBatchLists[0], 3);
  ASSERT_NE(SPPD_BatchGetBuffer(e, 256, 768, 3, 3), nullptr);  // a terrain-sized buffer
  SPPD_Flush(&display);
  EndFrame();
  ASSERT_FALSE(SPPD_LinkEmpty(&State()->lhFreeBuffers));

  ASSERT_EQ(SPPD_BeginScene(&display), SPPD_OK);
  std::vector<SPPD_VERTEX> fan(1500, SPPD_VERTEX{0, 0xFFFFFFFF, 0, 0, -10, 0, 0});
  for (size_t i = 0; i < fan.size(); ++i) fan[i].x = static_cast<float>(i) * 0.001f;
  SPPD_RenderFVFPolygonLayer(&display, 7, fan.data(), N(fan), 1, 0, 0, 0);
  SPPD_VBUFFER* b = SPPD_BatchEntry(State()->apBatchLists[7], 0)->pCurrent;
  ASSERT_NE(b, nullptr);
  EXPECT_GE(b->dwVertexCapacity, 1500u);
  EXPECT_GE(b->dwIndexCapacity, 3u * 1498u);
  EXPECT_EQ(b->dwIndicesUsed, 3u * 1498u);
}

TEST_F(DrawTest, BuffersWithoutTrianglesGoBackUndrawn) {
  auto q = Quad(100, 100, 200, 200, 10, 0xFFFFFFFF);
  SPPD_RenderFVFPolygon(&display, q.data(), 2, 1, 0, 0, 0);
  SPPD_Flush(&display);
  EXPECT_EQ(SPPD_GetFrameCounters()->dwOpaqueTriangles, 0u);
  EXPECT_TRUE(SPPD_LinkEmpty(&State()->lhUsedBuffers));
  EXPECT_FALSE(SPPD_LinkEmpty(&State()->lhFreeBuffers));
  SPPD_RenderFVFPolygon(&display, q.data(), N(q), 1, 0, 0, 0);
  SPPD_Flush(&display);
  EXPECT_EQ(SPPD_GetFrameCounters()->dwOpaqueTriangles, 2u);
}

TEST_F(DrawTest, DrawWhenFullListDrawsAtOnce) {
  auto q = Quad(100, 100, 200, 200, 10, 0xFFFFFFFF);
  for (int i = 0; i < 251; ++i)  // 1004 vertices: the fourth buffer's worth spills over
    SPPD_RenderFVFPolygonLayer(&display, 5, q.data(), N(q), 1, 0, 0, 0);
  EXPECT_EQ(SPPD_GetFrameCounters()->dwOpaqueTriangles, 500u);
  EXPECT_TRUE(Near(Pixel(150, 150), 0xFFFFFFFF));
}

TEST_F(DrawTest, AlphaBlocksAreCarvedInOrderAndReusedNextScene) {
  SPPD_BATCHLIST* list = State()->apBatchLists[SPPD_LAYER_ALPHA];
  SPPD_ALPHAPOLY* big = SPPD_AlphaCarve(list, 1500);
  ASSERT_NE(big, nullptr);
  SPPD_ALPHAPOLY* second = SPPD_AlphaCarve(list, 400);  // does not fit: a new block
  ASSERT_NE(second, nullptr);
  SPPD_ALPHAPOLY* small = SPPD_AlphaCarve(list, 3);  // the newest block only
  EXPECT_EQ(reinterpret_cast<uint8_t*>(small),
            reinterpret_cast<uint8_t*>(second) + ((offsetof(SPPD_ALPHAPOLY, v) + 400 * 32 + 7) & ~7u));
  EXPECT_EQ(SPPD_AlphaCarve(list, SPPD_ALPHA_MAX_VERTICES + 1), nullptr);
  EXPECT_NE(SPPD_AlphaCarve(list, SPPD_ALPHA_MAX_VERTICES), nullptr);
  SPPD_ALPHABLOCK* newest = SPPD_LinkFirst<SPPD_ALPHABLOCK>(&list->alphaBlocks);
  uint32_t blocks = SPPD_GetFrameCounters()->dwAlphaBlocks;
  EndFrame();
  EXPECT_TRUE(SPPD_LinkEmpty(&list->alphaBlocks));
  EXPECT_EQ(SPPD_LinkFirst<SPPD_ALPHABLOCK>(&State()->lhFreeAlphaBlocks), newest);  // the list's order, newest first
  ASSERT_EQ(SPPD_BeginScene(&display), SPPD_OK);
  SPPD_ALPHAPOLY* reused = SPPD_AlphaCarve(list, 3);
  EXPECT_EQ(reinterpret_cast<uint8_t*>(reused), newest->data);
  EXPECT_EQ(SPPD_GetFrameCounters()->dwAlphaBlocks, blocks);  // no new block asked for
}

TEST_F(DrawTest, NullOrBadInputIsRefused) {
  vntest::TraceCapture trace;
  auto q = Quad(100, 100, 200, 200, 10, 0xFFFFFFFF);
  EXPECT_EQ(SPPD_RenderFVFPolygon(nullptr, q.data(), N(q), 1, 0, 0, 0), SPPD_FAIL);
  EXPECT_EQ(SPPD_RenderFVFPolygonPhysical(&display, q.data(), N(q, SPPD_VERTEX_NOFOG), 1, 0), SPPD_OK);
  EXPECT_EQ(SPPD_RenderFVFPolygonAlpha(&display, nullptr, 4, 1, 0, 0, 0), SPPD_OK);
  EXPECT_EQ(SPPD_RenderFVFPolygon(&display, q.data(), N(q), -1, 0, 0, 0), SPPD_OK);
  EXPECT_EQ(SPPD_RenderLine(&display, nullptr, nullptr, nullptr, nullptr), SPPD_FAIL);
  EXPECT_TRUE(trace.contains("refused"));
  SPPD_Flush(&display);
  EXPECT_EQ(SPPD_GetFrameCounters()->dwOpaqueTriangles, 0u);
}

}  // namespace
}  // namespace drawtest
