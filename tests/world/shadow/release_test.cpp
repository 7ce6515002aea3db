// A unit's scene object gives up its ground shadow when its attachments are released.
#include <gtest/gtest.h>

#include "effects/unitattach.h"
#include "tests/world/shadow/shadow_fixture.h"

namespace {

using shadowtest::ShadowTest;

TEST_F(ShadowTest, ReleasingAnObjectsAttachmentRemovesItsShadowOnly) {
  SPW_DOBJECT* a = Object(0, 0, 0);
  SPW_DOBJECT* b = Object(1, 0, 0);
  Add(a, 0);
  VNSHADOW* sb = Add(b, 0);
  vnUnit_ReleaseAttachment(a);
  EXPECT_EQ(vnShadow_Find(a), nullptr);
  EXPECT_EQ(vnShadow_Find(b), sb);
  vnUnit_ReleaseAttachment(a);
  vnUnit_ReleaseAttachment(nullptr);
  EXPECT_EQ(vnShadow_Find(b), sb);
}

}  // namespace
