// Tessellations laid on a terrain's patches and on items, their pools, the polygon clip, the
// colour blend and the transform stack.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

#include "engine/memory/memblock.h"
#include "engine/scene/scene.h"
#include "engine/terrain/terrain.h"
#include "engine/tess/tess.h"
#include "tests/support/support.h"

namespace {

constexpr uint32_t kPatchesX = 4, kPatchesY = 3;

struct Item {
  SGE_DLLNODE decals;
};
std::vector<Item>* g_items = nullptr;
uint32_t g_searchMask = 0;

void ForItems(SPW_SCENE*, const SPW_VECTOR*, float, uint32_t mask, int32_t (*fn)(void*, void*),
              void* data) {
  g_searchMask = mask;
  for (Item& item : *g_items)
    if (!fn(&item, data)) return;
}
SGE_DLLNODE* ItemList(void* item) { return &static_cast<Item*>(item)->decals; }

class TessTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(SGE_InitMemory(0), 1);
    ASSERT_EQ(SPW_CreateEngineBlocks(), 1);
    scene = SPW_CreateScene(0, 1.0f, 1, 0);
    terrain = std::make_unique<SPW_TERRAIN>();
    terrain->dwPatchesX = kPatchesX;
    terrain->dwPatchesY = kPatchesY;
    terrain->fPatchSize = 10.0f;
    terrain->fInvPatchSize = 0.1f;
    patches.resize(kPatchesX * kPatchesY);
    for (SPW_TERRAINPATCH& p : patches) SGE_ListInit(&p.overlays);
    SGE_ListInit(&terrain->freePieces);
    terrain->pPatches = patches.data();
    scene->pTerrain = terrain.get();
    items.resize(5);
    for (Item& i : items) SGE_ListInit(&i.decals);
    g_items = &items;
    SPW_TessHooks = {ForItems, ItemList};
    static int tree;
    scene->pTree = reinterpret_cast<SPW_TREENODE*>(&tree);
  }
  void TearDown() override {
    scene->pTerrain = nullptr;
    scene->pTree = nullptr;
    SPW_DestroyScene(scene);
    SPW_TessHooks = {};
    SPW_ReleaseEngineBlocks();
    SGE_ShutdownMemory();
  }
  SPW_TESS* Lay(float x0, float y0, float x1, float y1, uint32_t flags, uint32_t limit = 0) {
    const SPPD_VERTEX pts[4] = {{0, 0, x0, y0, 0, 0, 0}, {0, 0, x1, y0, 0, 1, 0},
                                {0, 0, x1, y1, 0, 1, 1}, {0, 0, x0, y1, 0, 0, 1}};
    return SPW_CreateTessellation(scene, pts, 4, 1, 2, flags, 0, 0, nullptr, 0, limit, 0x30, 0, 0);
  }
  std::vector<uint32_t> LinkedPatches(const SPW_TESS* t) {
    std::vector<uint32_t> out;
    for (SPW_TESSLINK* r : SGE_ListRecords<SPW_TESSLINK>(&t->patchLinks))
      out.push_back(r->pSide->dwPatch);
    return out;
  }
  SPW_SCENE* scene = nullptr;
  std::unique_ptr<SPW_TERRAIN> terrain;
  std::vector<SPW_TERRAINPATCH> patches;
  std::vector<Item> items;
};

TEST_F(TessTest, ATessellationLinksThePatchesUnderItsBoxInsideTheTerrain) {
  SPW_TESS* t = Lay(-5, 5, 15, 12, SPW_TESS_NO_ITEMS);
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(LinkedPatches(t), (std::vector<uint32_t>{0, 1, 4, 5}));
  EXPECT_NEAR(t->vCentre.x, 5.0f, 1e-6f);
  EXPECT_NEAR(t->fRadius, std::sqrt(100.0f + 3.5f * 3.5f), 1e-5f);
  SPW_TESS* edge = Lay(25, -10, 45, 5, SPW_TESS_NO_ITEMS);
  EXPECT_EQ(LinkedPatches(edge), (std::vector<uint32_t>{2, 3}));
  EXPECT_NE(patches[5].dwFlags & SPW_PATCH_HAS_TESS, 0u);
  EXPECT_EQ(patches[6].dwFlags & SPW_PATCH_HAS_TESS, 0u);
  ASSERT_NE(SPW_TessPatchList(scene, 5), nullptr);
  EXPECT_EQ(SGE_ListCount(SPW_TessPatchList(scene, 5)), 1);
  // Far outside: nothing; told to leave the terrain alone: nothing.
  EXPECT_TRUE(LinkedPatches(Lay(500, 500, 600, 600, SPW_TESS_NO_ITEMS)).empty());
  EXPECT_TRUE(LinkedPatches(Lay(1, 1, 2, 2, SPW_TESS_NO_ITEMS | SPW_TESS_NO_TERRAIN)).empty());
  // Releasing clears the mark of the patches left without tessellations.
  EXPECT_EQ(SPW_ReleaseTessellation(t), 1);
  EXPECT_EQ(patches[5].dwFlags & SPW_PATCH_HAS_TESS, 0u);
  EXPECT_NE(patches[2].dwFlags & SPW_PATCH_HAS_TESS, 0u);
  EXPECT_EQ(SPW_ReleaseTessellation(nullptr), 0);
}

TEST_F(TessTest, EachLinkedPatchCarriesAnOverlayOfThePolygonWhosePiecesGoBackWithIt) {
  SPW_TESS* t = Lay(5, 5, 15, 8, SPW_TESS_NO_ITEMS);  // translucent kind 2 over patches 0 and 1
  t->nKind = 2;
  ASSERT_EQ(SPW_RelinkTessellation(t), 1);
  SPW_TESS* other = Lay(12, 2, 14, 4, SPW_TESS_NO_ITEMS);  // kind 1 on patch 1 only
  ASSERT_EQ(SGE_ListCount(&patches[1].overlays), 2);
  auto* o = SGE_ListFirstRecord<SPW_TERRAINOVERLAY>(&patches[1].overlays);
  EXPECT_EQ(o->pPoints, t->pPoints);
  EXPECT_EQ(o->dwNumPoints, 4u);
  EXPECT_EQ(o->nTexture, 2);
  EXPECT_EQ(o->nLayer, SPW_TESS_LAYER_TRANSLUCENT);
  EXPECT_EQ(o->nColourMode, SPW_TOVERLAY_OWN_COLOURS);
  EXPECT_TRUE(o->fFlags & SPW_TOVERLAY_REBUILD);
  EXPECT_EQ(SGE_ListLastRecord<SPW_TERRAINOVERLAY>(&patches[1].overlays)->nLayer,
            SPW_TESS_LAYER_OPAQUE);
  EXPECT_NE(patches[0].dwFlags & SPW_TPATCH_OVERLAYS, 0u);
  // Pieces the driver made go to the terrain's spare ones when the overlay is lifted.
  SPW_TERRAINPIECE piece{};
  SGE_ListInit(&piece.link);
  SGE_ListAddTail(&o->pieces, &piece.link);
  EXPECT_EQ(SPW_ReleaseTessellation(t), 1);
  EXPECT_EQ(SGE_ListFirst(&terrain->freePieces), &piece.link);
  EXPECT_EQ(patches[0].dwFlags & SPW_TPATCH_OVERLAYS, 0u);
  EXPECT_TRUE(SGE_ListIsEmpty(&patches[0].overlays));
  EXPECT_NE(patches[1].dwFlags & SPW_TPATCH_OVERLAYS, 0u);  // the other one is still there
  EXPECT_EQ(SGE_ListCount(&patches[1].overlays), 1);
  SPW_ReleaseTessellation(other);
  EXPECT_EQ(patches[1].dwFlags & SPW_TPATCH_OVERLAYS, 0u);
  SGE_ListUnlink(&piece.link);
}

TEST_F(TessTest, ItemsAreLinkedUpToTheLimitAndNotAtAllWithFlag0x10) {
  SPW_TESS* t = Lay(1, 1, 2, 2, SPW_TESS_NO_TERRAIN, 3);
  EXPECT_EQ(SGE_ListCount(&t->itemLinks), 3);
  EXPECT_EQ(g_searchMask, 0x30u);
  EXPECT_EQ(SGE_ListCount(&items[2].decals), 1);
  EXPECT_EQ(SGE_ListCount(&items[3].decals), 0);
  auto* side = SGE_ListFirstRecord<SPW_TESSSIDE>(&items[0].decals);
  EXPECT_EQ(side->pTess, t);
  EXPECT_EQ(side->pOwner, &items[0]);
  SPW_TESS* none = Lay(1, 1, 2, 2, SPW_TESS_NO_TERRAIN | SPW_TESS_NO_ITEMS, 50);
  EXPECT_EQ(SGE_ListCount(&none->itemLinks), 0);
  EXPECT_EQ(none->dwItemLimit, 0u);
  SPW_ReleaseTessellation(t);
  EXPECT_EQ(SGE_ListCount(&items[0].decals), 0);
}

TEST_F(TessTest, AReleasedRecordIsReusedAndPolygonBuffersGoBackToThePool) {
  SPW_TESS* t = Lay(1, 1, 2, 2, 0, 1);
  SGE_DLLNODE* decals = &SGE_ListFirstRecord<SPW_TESSSIDE>(&items[0].decals)->buffers;
  SPW_POLYBUFFER* b = SPW_TakePolygonBuffer(scene, decals);
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(b->dwCount, 0u);
  SPW_ReleaseTessellation(t);
  EXPECT_EQ(SGE_ListCount(&scene->tessFreeBuffers), 1);
  EXPECT_EQ(Lay(3, 3, 4, 4, 0, 1), t);
  SGE_DLLNODE list;
  SGE_ListInit(&list);
  EXPECT_EQ(SPW_TakePolygonBuffer(scene, &list), b);
  SPW_ReturnPolygonBuffer(scene, b);
  EXPECT_TRUE(SGE_ListIsEmpty(&list));
}

TEST_F(TessTest, ReleasingAllGivesTheSceneBlockBackWhateverWasLaid) {
  SGE_MEMSTATS before;
  SPW_SCENE* other = SPW_CreateScene(0, 1.0f, 1, 0);
  SGE_GetMemBlockStats(&before, SPW_ObjsMem);
  other->pTerrain = terrain.get();
  std::vector<SPPD_VERTEX> many(9, SPPD_VERTEX{0, 0, 1, 1, 0, 0, 0});
  for (int i = 0; i < 9; ++i) many[static_cast<size_t>(i)].x = static_cast<float>(i);
  SPW_TESS* big = SPW_CreateTessellation(other, many.data(), 9, 0, 0, 0, 0, 0, nullptr, 0, 0, 0, 0, 0);
  ASSERT_NE(big, nullptr);
  EXPECT_EQ(big->dwNumPoints, 9u);
  EXPECT_EQ(big->pPoints[8].x, 8.0f);
  SPW_ReleaseTessellation(big);
  SPPD_VERTEX tri[3] = {{0, 0, 1, 1, 0, 0, 0}, {0, 0, 5, 1, 0, 0, 0}, {0, 0, 1, 5, 0, 0, 0}};
  ASSERT_NE(SPW_CreateTessellation(other, tri, 3, 0, 0, 0, 0, 0, nullptr, 0, 2, 0, 0, 0), nullptr);
  EXPECT_EQ(SPW_ReleaseAllTessellations(other), 1);
  EXPECT_EQ(other->pTessMem, nullptr);
  SGE_MEMSTATS after;
  SGE_GetMemBlockStats(&after, SPW_ObjsMem);
  EXPECT_EQ(after.dwUsedBytes, before.dwUsedBytes);
  EXPECT_EQ(SPW_CreateTessellation(other, tri, 3, 0, 0, 0, 0, 0, nullptr, 0, 0, 0, 0, 0), nullptr);
  EXPECT_EQ(SPW_CreateTessellation(scene, tri, 2, 0, 0, 0, 0, 0, nullptr, 0, 0, 0, 0, 0), nullptr);
  other->pTerrain = nullptr;
  SPW_DestroyScene(other);
}

TEST_F(TessTest, AnObjectTessellationIsASquareTurnedWithTheObject) {
  const float h = std::sqrt(0.5f);
  const SPW_TRANSFORM at = {{20, 20, 3}, {0, 0, h, h}, 1};
  SPW_DOBJECT o{};
  o.t = at;
  o.pScene = scene;
  SPW_TESS* t = SPW_CreateObjectTessellation(&o, 2, 1, 0, 0, SPW_TESS_NO_ITEMS, 0, 0, nullptr, 0,
                                             0, 0, 0, 0);
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(t->pObject, &o);
  // A quarter turn: the corner (-2, -1) lies at (+1, -2) from the centre.
  EXPECT_NEAR(t->pPoints[0].x, 21.0f, 1e-5f);
  EXPECT_NEAR(t->pPoints[0].y, 18.0f, 1e-5f);
  EXPECT_EQ(t->pPoints[0].z, 3.0f);
  EXPECT_EQ(LinkedPatches(t), (std::vector<uint32_t>{5, 6, 9, 10}));
}

TEST_F(TessTest, PolygonsClipToConvexBoundariesOfEitherWinding) {
  const SPPD_VERTEX square[4] = {{0, 0xFF000000u, -1, -1, 0, 0, 0}, {0, 0xFF0000FFu, 1, -1, 0, 1, 0},
                                 {0, 0xFF0000FFu, 1, 1, 0, 1, 1}, {0, 0xFF000000u, -1, 1, 0, 0, 1}};
  const SPW_VECTOR half[4] = {{0, -5, 0}, {5, -5, 0}, {5, 5, 0}, {0, 5, 0}};
  const SPW_VECTOR halfCw[4] = {{0, 5, 0}, {5, 5, 0}, {5, -5, 0}, {0, -5, 0}};
  for (const SPW_VECTOR* b : {half, halfCw}) {
    SPPD_VERTEX out[16];
    const int32_t n = SPW_TessClipPolygon(square, 4, b, 4, out, 16);
    ASSERT_EQ(n, 4);
    float minX = 9;
    for (int32_t i = 0; i < n; ++i) minX = std::min(minX, out[i].x);
    EXPECT_EQ(minX, 0.0f);
    for (int32_t i = 0; i < n; ++i)
      if (out[i].x == 0.0f) {
        EXPECT_NEAR(out[i].u, 0.5f, 1e-6f);
        EXPECT_EQ(out[i].dwColour & 0xFFu, 0x80u);
      }
  }
  const SPW_VECTOR away[3] = {{10, 10, 0}, {20, 10, 0}, {10, 20, 0}};
  SPPD_VERTEX out[16];
  EXPECT_EQ(SPW_TessClipPolygon(square, 4, away, 3, out, 16), 0);
  std::vector<SPW_VECTOR> eleven(11, SPW_VECTOR{0, 0, 0});
  vntest::TraceCapture trace;
  EXPECT_EQ(SPW_TessClipPolygon(square, 4, eleven.data(), 11, out, 16), 0);
  EXPECT_TRUE(trace.contains("Cannot tessellate against a boundary of 11 (max=10)"));
}

TEST_F(TessTest, APolygonOfMorePointsThanTheClipTakesIsRefused) {
  std::vector<SPPD_VERTEX> many(SPW_TESS_CLIP_MAX_POINTS + 1, SPPD_VERTEX{0, 0, 1, 1, 0, 0, 0});
  const SPW_VECTOR around[3] = {{0, 0, 0}, {10, 0, 0}, {0, 10, 0}};
  SPPD_VERTEX out[16];
  vntest::TraceCapture trace;
  EXPECT_EQ(SPW_TessClipPolygon(many.data(), static_cast<int32_t>(many.size()), around, 3, out, 16), 0);
  EXPECT_TRUE(trace.contains("a polygon of 65 points (max=64)"));
}

TEST(TessHelpers, CeilAndColourBlend) {
  const struct {
    float x;
    int32_t ceil;
  } cases[] = {{0.0f, 0}, {0.1f, 1}, {1.0f, 1}, {2.5f, 3}, {7.999f, 8}};
  for (const auto& c : cases) EXPECT_EQ(SPW_CeilToInt(c.x), c.ceil) << c.x;
  EXPECT_EQ(SPW_BlendColour4(0x00FF0000u, 0x0000FF00u, 0x000000FFu, 0x00FFFFFFu, 0, 0), 0xFFFF0000u);
  EXPECT_EQ(SPW_BlendColour4(0x00FF0000u, 0x0000FF00u, 0x000000FFu, 0x00FFFFFFu, 1, 1), 0xFFFFFFFFu);
  EXPECT_EQ(SPW_BlendColour4(0x00000000u, 0x00C8C8C8u, 0x00000000u, 0x00C8C8C8u, 0.5f, 0.3f),
            0xFF646464u);
}

TEST(TransformStack, PushesComposeAndTheEndsHold) {
  SPW_TQSSTACK stack;
  SPW_TQSInit(&stack);
  const float h = std::sqrt(0.5f);
  const SPW_TRANSFORM turn = {{1, 0, 0}, {0, 0, h, h}, 2};
  const SPW_TRANSFORM step = {{1, 0, 0}, {0, 0, 0, 1}, 3};
  SPW_TQSPush(&stack, &turn);
  SPW_TQSENTRY* top = SPW_TQSPush(&stack, &step);
  EXPECT_EQ(stack.nDepth, 2);
  // The step is taken in the turned frame: x becomes y.
  EXPECT_NEAR(top->vPos.x, 1.0f, 1e-6f);
  EXPECT_NEAR(top->vPos.y, 1.0f, 1e-6f);
  EXPECT_NEAR(top->mMatrix.m[3][1], 1.0f, 1e-6f);
  EXPECT_NEAR(top->mMatrix.m[0][1], 1.0f, 1e-6f);
  EXPECT_EQ(top->fScale, 6.0f);
  {
    vntest::TraceCapture trace;
    for (int i = 0; i < 150; ++i) SPW_TQSPush(&stack, &step);
    EXPECT_EQ(stack.nDepth, SPW_TQSSTACK_SIZE - 1);
    EXPECT_TRUE(trace.contains("TQS stack overflow!"));
  }
  SPW_TQSInit(&stack);
  vntest::TraceCapture trace;
  EXPECT_EQ(SPW_TQSPop(&stack), 0);
  EXPECT_EQ(stack.nDepth, 0);
  EXPECT_TRUE(trace.contains("TQS stack underflow!"));
}

}  // namespace
