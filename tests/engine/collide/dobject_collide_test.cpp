// Rays against a dynamic object: the figure's body nodes in world space, its bounding sphere
// first.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "engine/collide/collide.h"
#include "engine/dobject/dobject.h"
#include "engine/scene/scene.h"
#include "platform/files.h"
#include "tests/engine/object/object_fixture.h"
#include "tools/models/models.h"

namespace {

class DObjectCollideTest : public ObjectFixture {};

TEST_F(DObjectCollideTest, RaysMeetTheBodyNodesWhereTheObjectStands) {
  PLAT_MakeDirectory("Export");
  ASSERT_TRUE(vnWRITE_POW("Export/Figure.pow", vnMODELS_Figure()));
  int32_t slot = -1;
  ASSERT_EQ(SPW_LoadObjectFile("Export/Figure.pow", nullptr, &slot, 1.0f, 0), 1);
  SPW_SCENE* scene = SPW_CreateScene(0, 1.0f, 0, 0);
  ASSERT_NE(scene, nullptr);
  SPW_TRANSFORM at{{10, 0, 0}, {0, 0, 0, 1}, 1};
  SPW_DOBJECT* figure = SPW_CreateDynamicObject(scene, slot, nullptr, 0, &at, 0);
  ASSERT_NE(figure, nullptr);
  int hits = 0;
  const SPW_VECTOR dirs[] = {{1, 0, 0}, {-1, 0, 0}, {0, 1, 0}, {0, -1, 0}};
  for (const SPW_VECTOR& d : dirs) {
    const SPW_VECTOR c{figure->t.vPos.x + figure->vCentre.x, figure->t.vPos.y + figure->vCentre.y,
                       figure->t.vPos.z + figure->vCentre.z};
    const SPW_VECTOR s{c.x - d.x * 20, c.y - d.y * 20, c.z - d.z * 20};
    float best = 1e6f;
    SPW_VECTOR hit{};
    tag_spw_dobjnode* node = nullptr;
    if (!SPW_CollideDynamicObject(figure, &s, &d, &best, &hit, &node)) continue;
    ++hits;
    ASSERT_NE(node, nullptr);
    EXPECT_NE(node->nIndex, 0);
    EXPECT_LT(best, 400.0f);
    EXPECT_NEAR(std::abs(hit.x - c.x) + std::abs(hit.y - c.y), 20 - std::sqrt(best), 1e-3f);
  }
  EXPECT_GT(hits, 0);
  // Beside its sphere, or pointing away: nothing.
  SPW_VECTOR s{10, 50, 0}, d{1, 0, 0};
  float best = 1e6f;
  EXPECT_EQ(SPW_CollideDynamicObject(figure, &s, &d, &best, nullptr, nullptr), nullptr);
  SPW_VECTOR behind{-10, 0, figure->vCentre.z}, away{-1, 0, 0};
  EXPECT_EQ(SPW_CollideDynamicObject(figure, &behind, &away, &best, nullptr, nullptr), nullptr);
  SPW_DestroyDynamicObject(figure);
  SPW_DestroyScene(scene);
}

}  // namespace
