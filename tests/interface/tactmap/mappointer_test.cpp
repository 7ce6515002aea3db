// Map pointers on the small map's list.
#include <gtest/gtest.h>

#include "interface/tactmap/mappointer.h"
#include "tests/world/support/testworld.h"

namespace {

class MapPointerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(w.Start());
    SGE_ListInit(&list.pointers);
    vnTactMap_SetPointerList(&list);
  }
  void TearDown() override {
    vnTactMap_FreePointers(&list);
    w.Stop();
  }
  vnworld::TestWorld w;
  VNTACTMAP_POINTERS list{};
  const SPW_VECTOR at{5, 6, 7};
};

TEST_F(MapPointerTest, APointerTakesItsKindFlagsAndANewId) {
  const struct {
    const char* what;
    int32_t key, kind;
    uint32_t flags;
    int32_t visible;
    int32_t id;
    int32_t storedKind;
    uint32_t storedFlags;
  } cases[] = {
      {"a bug hole, shown", 0, 5, 0, 1, 0, 5, 0x220},
      {"pulse kept, other bits dropped", 0, 1, 0x400 | 0x1, 1, 1, 1, 0x620},
      {"hidden, no kind", 0, -3, 0, 0, 2, -1, 0},
      {"kind 20 is none of the blips", 0, 20, 0, 1, -1, 0, 0},
      {"a keyed pointer", 77, 2, 0, 1, 3, 2, 0x220},
      {"the same key again: the same pointer", 77, 9, 0x400, 0, 3, 2, 0x220},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(vnTactMap_AddPointer(&at, c.key, c.kind, c.flags, 0xffffff00u, c.visible), c.id)
        << c.what;
    if (c.id < 0) continue;
    const VNTACTMAP_POINTER* p = vnTactMap_FindPointer(c.id);
    ASSERT_NE(p, nullptr) << c.what;
    EXPECT_EQ(p->nKind, c.storedKind) << c.what;
    EXPECT_EQ(p->dwFlags, c.storedFlags) << c.what;
  }
  EXPECT_EQ(vnTactMap_AddPointer(nullptr, 0, 1, 0, 0, 1), -1);
}

TEST_F(MapPointerTest, BlipsAndRingsSwitchAndARemovedIdIsGone) {
  const int32_t id = vnTactMap_AddPointer(&at, 0, 3, 0, 0, 0);
  vnTactMap_ShowPointerBlip(id);
  vnTactMap_SetPointerRing(id, 1);
  EXPECT_EQ(vnTactMap_FindPointer(id)->dwFlags, 0x220u);
  vnTactMap_HidePointerBlip(id);
  vnTactMap_SetPointerRing(id, 0);
  EXPECT_EQ(vnTactMap_FindPointer(id)->dwFlags, 0u);
  vnTactMap_RemovePointer(id);
  EXPECT_EQ(vnTactMap_FindPointer(id), nullptr);
  EXPECT_EQ(vnTactMap_AddPointer(&at, 0, 3, 0, 0, 1), id + 1);
}

TEST_F(MapPointerTest, NothingWithoutTheSmallMap) {
  vnTactMap_SetPointerList(nullptr);
  EXPECT_EQ(vnTactMap_AddPointer(&at, 0, 1, 0, 0, 1), -1);
  vnTactMap_RemovePointer(0);
  EXPECT_EQ(vnTactMap_FindPointer(0), nullptr);
}

}  // namespace
