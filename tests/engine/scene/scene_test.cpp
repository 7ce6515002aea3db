// Scenes and lights: creation, destruction, the scene list, light colours and the lights the
// renderer picks for an object.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/scene/scene.h"
#include "tests/engine/dobject/dobject_fixture.h"

namespace {

class SceneTest : public DObjectFixture {};

TEST_F(SceneTest, ANewSceneHasItsDefaultsAndTakesItsPlaceByPriority) {
  SPW_SCENE* b = SPW_CreateScene(0, 1.5f, 20, 9);
  SPW_SCENE* a = SPW_CreateScene(0x8, 1.0f, 10, 0);
  SPW_SCENE* c = SPW_CreateScene(0, 1.0f, 20, 0);
  ASSERT_TRUE(a && b && c);
  std::vector<SPW_SCENE*> order;
  for (SPW_SCENE* r : SGE_ListRecords<SPW_SCENE>(&SPW_SceneList))
    order.push_back(r);
  // The fixture's scene came first at priority 10.
  EXPECT_EQ(order, (std::vector<SPW_SCENE*>{scene, a, b, c}));
  EXPECT_EQ(b->pSelf, b);
  EXPECT_EQ(b->fSpeed, 1.5f);
  EXPECT_EQ(b->dwValue, 9u);
  EXPECT_EQ(a->fFlags, 0x8u);
  EXPECT_EQ(b->ambient.r, 80.0f);
  EXPECT_EQ(b->ambient.b, 80.0f);
  EXPECT_EQ(b->ambient.a, 255.0f);
  EXPECT_EQ(b->sunColour.g, 255.0f);
  EXPECT_EQ(b->vSunDirection.x, -1.0f);
  EXPECT_EQ(b->pTessMem, SPW_ObjsMem);
  EXPECT_TRUE(SGE_ListIsEmpty(&b->dobjects));
  for (SPW_SCENE* s : {a, b, c}) EXPECT_EQ(SPW_DestroyScene(s), 1);
  EXPECT_EQ(SGE_ListCount(&SPW_SceneList), 1);
}

TEST_F(SceneTest, DestructionFreesTheLightsAndSparesAPermanentScene) {
  const uint32_t before = Used(SPW_ObjsMem);
  SPW_SCENE* s = SPW_CreateScene(0, 1.0f, 1, 0);
  const SPW_VECTOR p = {1, 2, 3};
  for (int i = 0; i < 5; ++i) ASSERT_NE(SPW_CreateLight(s, &p, 4.0f, 0, 0, 0), nullptr);
  SPW_FreeLight(SGE_ListFirstRecord<SPW_LIGHT>(&s->lights));
  EXPECT_EQ(SPW_DestroyScene(s), 1);
  EXPECT_EQ(Used(SPW_ObjsMem), before);

  SPW_SCENE* kept = SPW_CreateScene(SPW_SCENE_PERMANENT, 1.0f, 1, 0);
  EXPECT_EQ(SPW_DestroyScene(kept), 1);
  EXPECT_EQ(kept->pSelf, kept);
  EXPECT_EQ(kept->link.link.pNext->pPrev, &kept->link.link);
  EXPECT_EQ(SPW_DestroyScene(nullptr), 1);
  kept->fFlags = 0;
  EXPECT_EQ(SPW_DestroyScene(kept), 1);
}

std::vector<std::string> g_steps;

TEST_F(SceneTest, DestructionRunsEveryStepInOrderAndReportsAFailingOne) {
  SPW_SCENEHOOKS saved = SPW_SceneHooks;
  g_steps.clear();
  SPW_SceneHooks.pfnDestroyProcedures = [](SPW_SCENE*) { g_steps.push_back("procedures"); return 1; };
  SPW_SceneHooks.pfnDestroyAnimObject = [](void* o) {
    g_steps.push_back("animobject");
    SGE_ListUnlink(static_cast<SGE_DLLNODE*>(o));
    return 1;
  };
  SPW_SceneHooks.pfnDestroySprites = [](SPW_SCENE*) { g_steps.push_back("sprites"); return 0; };
  SPW_SceneHooks.pfnReleaseTerrain = [](SPW_SCENE* s) {
    g_steps.push_back(SGE_ListIsEmpty(&s->dobjects) ? "terrain" : "terrain before objects");
    return 1;
  };
  SPW_SceneHooks.pfnFreeTree = [](SPW_SCENE*) { g_steps.push_back("tree"); return 1; };
  SPW_SCENE* s = SPW_CreateScene(0, 1.0f, 1, 0);
  SGE_DLLNODE animObject;
  SGE_ListAddTail(&s->objects, &animObject);
  Make(figure);
  const SPW_TRANSFORM t = {{0, 0, 0}, {0, 0, 0, 1}, 1};
  ASSERT_NE(SPW_CreateDynamicObject(s, figure, nullptr, 0, &t, 0), nullptr);
  static int terrain, tree;
  s->pTerrain = reinterpret_cast<SPW_TERRAIN*>(&terrain);
  s->pTree = reinterpret_cast<SPW_TREENODE*>(&tree);
  EXPECT_EQ(SPW_DestroyScene(s), 0);
  EXPECT_EQ(g_steps, (std::vector<std::string>{"procedures", "animobject", "sprites", "terrain", "tree"}));
  EXPECT_EQ(SGE_ListCount(&SPW_SceneList), 1);
  EXPECT_EQ(SPW_GetObjectType(figure)->dwNumInstances, 1u);
  SPW_SceneHooks = saved;
}

TEST_F(SceneTest, AFreedLightIsReusedByTheNextLightOfItsScene) {
  SPW_SCENE* s = SPW_CreateScene(0, 1.0f, 1, 0);
  const SPW_VECTOR p = {0, 0, 0};
  SPW_LIGHT* first = SPW_CreateLight(s, &p, 4.0f, 0, 0, SPW_LIGHT_GLOW);
  SPW_FreeLight(first);
  EXPECT_TRUE(SGE_ListIsEmpty(&s->lights));
  SPW_LIGHT* again = SPW_CreateLight(s, &p, 2.0f, 0, 0, 0);
  EXPECT_EQ(again, first);
  EXPECT_EQ(again->fFlags, 0u);
  EXPECT_EQ(again->fRadius, 2.0f);
  EXPECT_EQ(SPW_DestroyScene(s), 1);
}

TEST_F(SceneTest, LightFieldsFollowTheirSetters) {
  SPW_SCENE* s = SPW_CreateScene(0, 1.0f, 1, 0);
  const SPW_VECTOR p = {1, 2, 3};
  SPW_LIGHT* l = SPW_CreateLight(s, &p, 4.0f, 0x11223344u, 6, SPW_LIGHT_GLOW);
  ASSERT_NE(l, nullptr);
  EXPECT_EQ(l->pScene, s);
  EXPECT_EQ(l->dwKind, SPW_LIGHT_POINT);
  EXPECT_EQ(l->fGlowSize, 4.0f);
  EXPECT_EQ(l->fRadiusSq, 16.0f);
  EXPECT_EQ(l->fInvRadius, 0.25f);
  EXPECT_EQ(l->fInvRadiusSq, 0.0625f);
  EXPECT_EQ(l->dwValue, 6u);
  EXPECT_EQ(l->colour.r, 0x22);
  EXPECT_EQ(l->colour.g, 0x33);
  EXPECT_EQ(l->colour.b, 0x44);
  EXPECT_EQ(l->colour.a, 0x11);
  SPW_SetLightColour(l, 0x11223344u);
  EXPECT_EQ(l->dwColour, 0x11223344u);
  EXPECT_EQ(l->colour.r, 0x44);
  EXPECT_EQ(l->colour.g, 0x33);
  EXPECT_EQ(l->colour.b, 0x22);
  EXPECT_EQ(l->colour.a, 0x11);
  SPW_SetLightRadius(l, 0.0f);
  EXPECT_EQ(l->fInvRadius, 0.0f);
  const SPW_VECTOR q = {7, 8, 9};
  SPW_SetLightPosition(l, &q);
  EXPECT_EQ(l->vPos.z, 9.0f);
  SPW_SetLightCallback(l, 3.0f, nullptr);
  EXPECT_EQ(l->fGlowSize, 3.0f);
  EXPECT_EQ(SPW_DestroyScene(s), 1);
}

class LightChoice : public DObjectFixture {
 protected:
  SPW_LIGHT* At(float x, float radius) {
    const SPW_VECTOR p = {x, 0, 0};
    return SPW_CreateLight(scene, &p, radius, 0, 0, 0);
  }
  int32_t Pick(float radius, uint32_t flags) {
    return SPW_SelectObjectLights(scene, &centre, radius, flags, nullptr, out);
  }
  SPW_VECTOR centre = {0, 0, 0};
  SPW_LIGHT* out[SPW_MAX_DRIVER_LIGHTS] = {};
};

TEST_F(LightChoice, SortedLightsPassTheNearestFourThatShine) {
  SPW_LIGHT* far6 = At(6, 10);
  SPW_LIGHT* near2 = At(-2, 10);
  SPW_LIGHT* dim = At(2.5f, 2.2f);  // reaches the sphere but its own radius ends before it
  SPW_LIGHT* far5 = At(5, 10);
  SPW_LIGHT* near1 = At(1, 10);
  SPW_LIGHT* mid4 = At(4, 10);
  SPW_LIGHT* mid3 = At(3, 10);
  (void)far6;
  (void)far5;
  (void)dim;
  ASSERT_EQ(Pick(0.5f, SPW_DOBJ_LIT | SPW_DOBJ_SORT_LIGHTS), 4);
  EXPECT_EQ(out[0], near1);
  EXPECT_EQ(out[1], near2);
  EXPECT_EQ(out[2], mid3);
  EXPECT_EQ(out[3], mid4);
  EXPECT_NEAR(near1->fIntensity, 1.0f - 0.5f / 9.5f, 1e-6f);
  EXPECT_EQ(near2->vViewDir.x, 1.0f);
  // Unsorted, the list order decides.
  ASSERT_EQ(Pick(0.5f, SPW_DOBJ_LIT), 4);
  EXPECT_EQ(out[0], far6);
  EXPECT_EQ(out[1], near2);
  EXPECT_EQ(out[2], far5);
  EXPECT_EQ(Pick(0.5f, SPW_DOBJ_SORT_LIGHTS), 0);
}

TEST_F(LightChoice, IntensityFallsFromOneAtTheObjectsEdge) {
  SPW_LIGHT* l = At(2, 10);
  const struct {
    float objectRadius, lightRadius, intensity;
  } cases[] = {
      {2.0f, 10.0f, 1.0f},   // at exactly the object's radius
      {3.0f, 10.0f, 1.0f},   // inside the object
      {1.0f, 5.0f, 0.75f},   // 1 - (2 - 1) / (5 - 1)
      {1.5f, 1.0f, 0.5f},    // a light no larger than the object: 1 - (2 - 1.5) / 1
      {1.5f, 1.5f, 0.5f},
  };
  for (const auto& c : cases) {
    SPW_SetLightRadius(l, c.lightRadius);
    ASSERT_EQ(Pick(c.objectRadius, SPW_DOBJ_LIT), 1) << c.objectRadius << " " << c.lightRadius;
    EXPECT_NEAR(l->fIntensity, c.intensity, 1e-6f) << c.objectRadius << " " << c.lightRadius;
  }
}

TEST_F(LightChoice, AConeLightShinesOnlyInsideItsCone) {
  SPW_LIGHT* l = At(-5, 10);
  l->dwKind = SPW_LIGHT_CONE;
  l->fConeCos = 0.5f;
  l->fConeFactor = 2.0f;
  l->vDirection = {1, 0, 0};
  ASSERT_EQ(Pick(1.0f, SPW_DOBJ_LIT), 1);
  EXPECT_NEAR(l->fIntensity, (1.0f - 4.0f / 9.0f) * (1.0f - 0.5f) * 2.0f, 1e-6f);
  l->vDirection = {0, 1, 0};
  EXPECT_EQ(Pick(1.0f, SPW_DOBJ_LIT), 0);
}

TEST_F(LightChoice, AHookReplacesTheSceneWideCollection) {
  At(1, 10);
  SPW_SceneHooks.pfnCollectLights = [](SPW_SCENE*, const SPW_VECTOR*, float, SPW_LIGHT**,
                                       int32_t* count) {
    *count = 0;
    return 1;
  };
  EXPECT_EQ(Pick(1.0f, SPW_DOBJ_LIT), 0);
  SPW_SceneHooks.pfnCollectLights = nullptr;
  EXPECT_EQ(Pick(1.0f, SPW_DOBJ_LIT), 1);
}

}  // namespace
