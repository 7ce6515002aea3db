// The shockwave pool: made once, waves in idle entries only, advanced to their end, freed.
#include "effects/shockwave.h"
#include "tests/world/fobj/play_fixture.h"

namespace playtest {
namespace {

constexpr int32_t kEntries = 2;

class ShockwaveTest : public PlayTest {};

TEST_F(ShockwaveTest, APoolIsMadeOnceStartsWavesInIdleEntriesAndIsFreed) {
  Start({});
  VNSHOCKWAVE_ENTRY* pool = nullptr;
  EXPECT_EQ(vnShockwave_Start(pool, nullptr, kEntries), 0);
  ASSERT_EQ(vnShockwave_CreatePool(&pool, kEntries), 1);
  VNSHOCKWAVE_ENTRY* const made = pool;
  EXPECT_EQ(vnShockwave_CreatePool(&pool, kEntries), 0);
  EXPECT_EQ(pool, made);
  ASSERT_NE(pool[0].pSphere, nullptr);
  ASSERT_NE(pool[0].pRing, nullptr);

  VNSHOCKWAVE wave{};
  wave.fRadius = 12.0f;
  wave.fStartScale = 1.0f;
  wave.fEndScale = 12.0f;
  wave.fGrowSeconds = 1.0f;
  wave.fFadeSeconds = 2.0f;
  wave.fFadeRate = 30.0f;
  wave.vPos = {5, 6, 0};
  for (int i = 0; i < 3; ++i) EXPECT_EQ(vnShockwave_Start(pool, &wave, kEntries), 1);
  EXPECT_TRUE(pool[0].bActive && pool[1].bActive);

  // Half-way through its growth.
  for (int i = 0; i < 5; ++i) vnShockwave_UpdatePool(pool, kEntries);
  EXPECT_NEAR(pool[0].pRing->t.fScale, 6.0f, 0.01f);
  EXPECT_NEAR(pool[0].pSphere->t.fScale, 6.5f, 0.01f);
  EXPECT_FLOAT_EQ(pool[0].pRing->t.vPos.x, 5.0f);
  vnShockwave_DrawPool(pool, kEntries);
  EXPECT_FALSE(pool[0].pRing->fFlags & SPW_DOBJ_HIDDEN);
  for (int i = 0; i < 16; ++i) vnShockwave_UpdatePool(pool, kEntries);
  EXPECT_FALSE(pool[0].bActive);
  EXPECT_TRUE(pool[0].pRing->fFlags & SPW_DOBJ_HIDDEN);

  EXPECT_EQ(vnShockwave_FreePool(&pool, kEntries), 1);
  EXPECT_EQ(pool, nullptr);
  EXPECT_EQ(vnShockwave_FreePool(&pool, kEntries), 0);
  EXPECT_EQ(vnShockwave_UpdatePool(pool, kEntries), 0);
}

}  // namespace
}  // namespace playtest
