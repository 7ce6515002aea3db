// The jump-jet ground effect and the shield dome in the headless world at a fixed frame time.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "engine/scene/scene.h"
#include "engine/sprite/sprite.h"
#include "terran/terunit.h"
#include "terran/unitfx.h"
#include "tests/world/support/testworld.h"
#include "world/dome/dome.h"
#include "world/unittype/unittype.h"

namespace {

class JetTest : public ::testing::Test {
 protected:
  void SetUp() override {
    w.WriteAttrs({vnworld::Row(VN_UNIT_TYPE_SUIT_BRAKKAR_0, VNUNIT_F_SOLDIER, {}, 0.6f)});
    w.RegisterRecorder(VNTT_SUIT_BRAKKAR);
    ASSERT_TRUE(w.Start());
    SPW_InitSprites();
    unit = w.Create(VN_UNIT_TYPE_SUIT_BRAKKAR_0, w.Human(), {10.0f, 10.0f, 0.0f});
    ASSERT_NE(unit, nullptr);
    ASSERT_EQ(vnFX_JetCreate(&jet), 1);
  }
  void TearDown() override {
    vnFX_JetFree(&jet);
    SPW_DestroyAllSpriteSets();
    w.Stop();
  }
  int32_t LivePuffs() const {
    int32_t n = 0;
    for (int32_t i = 0; jet.puffs && i < VNFX_JET_PUFFS; ++i) n += jet.puffs[i].live;
    return n;
  }
  int32_t Sprites() const { return SGE_ListCount(&w.scene()->sprites); }

  vnworld::TestWorld w;
  vnworld::FrameClock clock{0.06f};
  VNUNIT* unit = nullptr;
  VNFX_JET jet{};
};

TEST_F(JetTest, ASecondStartIsRefusedWhileActive) {
  EXPECT_EQ(vnFX_JetIsIdle(&jet), 1);
  EXPECT_EQ(vnFX_JetStart(&jet, unit->dwId, 7), 1);
  EXPECT_EQ(vnFX_JetIsIdle(&jet), 0);
  EXPECT_EQ(vnFX_JetStart(&jet, unit->dwId, 8), 0);
  EXPECT_EQ(jet.word, 7);
}

TEST_F(JetTest, OnePuffAFrameOnceATenthHasPassedAndNeverMoreThanTheSlots) {
  ASSERT_EQ(vnFX_JetStart(&jet, unit->dwId, 0), 1);
  EXPECT_EQ(vnFX_JetUpdate(&jet), 1);  // 0.06 s: too soon
  EXPECT_EQ(LivePuffs(), 0);
  EXPECT_NE(jet.glow, nullptr);
  EXPECT_EQ(vnFX_JetUpdate(&jet), 1);  // 0.12 s
  EXPECT_EQ(LivePuffs(), 1);
  EXPECT_EQ(Sprites(), 2);  // the glow and the puff
  clock.Set(0.5f);  // every frame past the spawn time: still one a frame
  int32_t before = LivePuffs();
  for (int32_t frame = 0; frame < 40; ++frame) {
    vnFX_JetUpdate(&jet);
    EXPECT_LE(LivePuffs(), before + 1);
    EXPECT_LE(LivePuffs(), VNFX_JET_PUFFS);
    before = LivePuffs();
  }
}

TEST_F(JetTest, AStopLetsThePuffsFinishBeforeTheEffectEnds) {
  ASSERT_EQ(vnFX_JetStart(&jet, unit->dwId, 0), 1);
  for (int32_t frame = 0; frame < 6; ++frame) vnFX_JetUpdate(&jet);
  ASSERT_GT(LivePuffs(), 1);
  vnFX_JetStop(&jet);
  EXPECT_EQ(jet.glow, nullptr);
  EXPECT_EQ(Sprites(), LivePuffs());
  int32_t frames = 0;
  while (!vnFX_JetIsIdle(&jet) && frames < 100) {
    const int32_t live = LivePuffs();
    vnFX_JetUpdate(&jet);
    EXPECT_LE(LivePuffs(), live);  // none new
    ++frames;
  }
  EXPECT_EQ(vnFX_JetIsIdle(&jet), 1);
  EXPECT_GT(frames, 1);
  EXPECT_EQ(Sprites(), 0);
  EXPECT_EQ(vnFX_JetUpdate(&jet), 0);
}

TEST_F(JetTest, TheEffectOfAUnitThatIsGoneEndsWithAllItsSprites) {
  ASSERT_EQ(vnFX_JetStart(&jet, unit->dwId, 0), 1);
  for (int32_t frame = 0; frame < 4; ++frame) vnFX_JetUpdate(&jet);
  ASSERT_GT(Sprites(), 1);
  w.Destroy(unit);
  EXPECT_EQ(vnFX_JetUpdate(&jet), 0);
  EXPECT_EQ(vnFX_JetIsIdle(&jet), 1);
  EXPECT_EQ(Sprites(), 0);
}

// Freeing the record used to free the puff block under live sprites whose callbacks read it.
TEST_F(JetTest, FreeingTheEffectDestroysTheSpritesThatReadIt) {
  ASSERT_EQ(vnFX_JetStart(&jet, unit->dwId, 0), 1);
  for (int32_t frame = 0; frame < 4; ++frame) vnFX_JetUpdate(&jet);
  ASSERT_GT(LivePuffs(), 0);
  vnFX_JetFree(&jet);
  EXPECT_EQ(jet.puffs, nullptr);
  EXPECT_EQ(Sprites(), 0);
  SPW_SpritePass();  // no callback left to run
}

TEST_F(JetTest, EveryJetSharesTheTwoSpriteSets) {
  VNFX_JET other{};
  ASSERT_EQ(vnFX_JetCreate(&other), 1);
  EXPECT_EQ(other.glowSet, jet.glowSet);
  EXPECT_EQ(other.puffSet, jet.puffSet);
  EXPECT_NE(jet.glowSet, jet.puffSet);
}

// The dome stands in as a recorder that raises when asked.
class DomeFxTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const uint32_t eyes = VNUNIT_F_SOLDIER | VNUNIT_F_OBSERVER | VNUNIT_F_OBSERVABLE;
    w.WriteAttrs({vnworld::Row(VN_UNIT_TYPE_PE_DOME, 0),
                  vnworld::Row(VN_UNIT_TYPE_SUIT_COMMAND_0, eyes, {}, 0.5f, 20.0f),
                  vnworld::Row(VN_UNIT_TYPE_TERRAN_PSYCHIC, VNUNIT_F_SOLDIER),
                  vnworld::Row(VN_UNIT_TYPE_TERRAN_ZR_0, eyes, {}, 0.5f, 20.0f),
                  vnworld::Row(VN_UNIT_TYPE_TERRAN_CIVILIAN, VNUNIT_F_SOLDIER)});
    for (int32_t type : {VNTT_DOME, VNTT_SUIT_COMMAND, VNTT_TERRAN_PSYCHIC,
                         VNTT_TERRAN_INFANTRY, VNTT_TERRAN_CIVILIAN})
      w.RegisterRecorder(type);
    w.SetHook([this](VNUNIT* u, int32_t msg, SGE_PARAM p1, SGE_PARAM) -> SGE_RESULT {
      if (!u || u->nType != VN_UNIT_TYPE_PE_DOME) return -1;
      if (msg == SGM_DOME_RAISE) {
        lastRaise = *SGE_ParamPtr<VNDOME_RAISE>(p1);
        return raised[u->dwId] = 1;
      }
      if (msg == SGM_DOME_COLLAPSE) return raised[u->dwId] = 0;
      if (msg == SGM_DOME_IS_RAISED) return raised[u->dwId];
      return -1;
    });
    ASSERT_TRUE(w.Start());
  }
  void TearDown() override {
    w.SetHook(nullptr);
    w.Stop();
  }
  std::vector<uint32_t> HoldsTo(int32_t what) const {
    std::vector<uint32_t> ids;
    for (const vnworld::Event& e : w.EventsOf(SGM_TERUNIT_HOLD))
      if (e.p1 == what) ids.push_back(e.unitId);
    return ids;
  }

  vnworld::TestWorld w;
  vnworld::FrameClock clock{0.1f};
  std::map<uint32_t, SGE_RESULT> raised;
  VNDOME_RAISE lastRaise{};
};

TEST_F(DomeFxTest, OnlyCommandSuitsAndPsychicsRaiseADomeAndOnlyOnce) {
  VNUNIT* dome = vnFX_DomeCreate();
  ASSERT_NE(dome, nullptr);
  EXPECT_EQ(dome->nType, VN_UNIT_TYPE_PE_DOME);
  EXPECT_EQ(dome->dwPlayer, w.Computer());
  VNUNIT* civilian = w.Create(VN_UNIT_TYPE_TERRAN_CIVILIAN, w.Human(), {5.0f, 5.0f, 0.0f});
  VNUNIT* psychic = w.Create(VN_UNIT_TYPE_TERRAN_PSYCHIC, w.Human(), {8.0f, 5.0f, 0.0f});
  BSTAR_Node* node = nullptr;
  EXPECT_EQ(vnFX_DomeRaise(dome, civilian, nullptr, &node), 0);
  EXPECT_EQ(vnFX_DomeState(dome), 0);
  EXPECT_EQ(vnFX_DomeLower(dome, civilian, &node), 0);
  w.ClearEvents();
  EXPECT_EQ(vnFX_DomeRaise(dome, psychic, nullptr, &node), 1);
  EXPECT_EQ(vnFX_DomeState(dome), 1);
  EXPECT_EQ(w.EventsOf(SGM_DOME_RAISE).size(), 1u);
  EXPECT_EQ(vnFX_DomeRaise(dome, psychic, nullptr, &node), 0);
  EXPECT_EQ(w.EventsOf(SGM_DOME_RAISE).size(), 1u);
  // It sees nobody: the psychic holds itself.
  EXPECT_EQ(HoldsTo(VNTERUNIT_HOLD), std::vector<uint32_t>{psychic->dwId});
  EXPECT_EQ(vnFX_DomeLower(dome, psychic, &node), 1);
  EXPECT_EQ(HoldsTo(VNTERUNIT_RELEASE), std::vector<uint32_t>{psychic->dwId});
  EXPECT_EQ(vnFX_DomeLower(dome, psychic, &node), 1);  // down already: nothing more
  EXPECT_EQ(w.EventsOf(SGM_DOME_COLLAPSE).size(), 1u);
  EXPECT_EQ(vnFX_DomeRaise(nullptr, psychic, nullptr, &node), 0);
}

TEST_F(DomeFxTest, TheRaiseHoldsTheFriendsTheSuitSeesWithinReach) {
  VNUNIT* dome = vnFX_DomeCreate();
  VNUNIT* suit = w.Create(VN_UNIT_TYPE_SUIT_COMMAND_0, w.Human(), {20.0f, 20.0f, 0.0f});
  VNUNIT* near = w.Create(VN_UNIT_TYPE_TERRAN_ZR_0, w.Human(), {24.0f, 20.0f, 0.0f});
  VNUNIT* edge = w.Create(VN_UNIT_TYPE_TERRAN_ZR_0, w.Human(), {20.0f, 25.5f, 0.0f});
  VNUNIT* far = w.Create(VN_UNIT_TYPE_TERRAN_ZR_0, w.Human(), {20.0f, 26.0f, 0.0f});
  VNUNIT* enemy = w.Create(VN_UNIT_TYPE_TERRAN_ZR_0, w.Computer(), {21.0f, 20.0f, 0.0f});
  for (VNUNIT* u : {suit, near, edge, far, enemy}) w.Place(u, u->vPos);
  w.RunFrames(1);
  ASSERT_GT(suit->nSighted, 0);
  w.ClearEvents();
  BSTAR_Node* node = nullptr;
  ASSERT_EQ(vnFX_DomeRaise(dome, suit, nullptr, &node), 1);
  std::vector<uint32_t> held = HoldsTo(VNTERUNIT_HOLD);
  std::sort(held.begin(), held.end());
  std::vector<uint32_t> expected{suit->dwId, near->dwId, edge->dwId};
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(held, expected);
  ASSERT_EQ(w.EventsOf(SGM_DOME_RAISE).size(), 1u);
  EXPECT_EQ(lastRaise.nKind, VNDOME_KIND_COMMAND);
  EXPECT_EQ(lastRaise.fScale, VNFX_DOME_RADIUS);
  EXPECT_EQ(lastRaise.nMode, VNDOME_MODE_DOWN);
  EXPECT_EQ(lastRaise.dwFlags, VNDOME_F_KEEP_UNIT | VNDOME_F_SCROLL);
  EXPECT_EQ(lastRaise.dwUnitId, suit->dwId);
}

}  // namespace
