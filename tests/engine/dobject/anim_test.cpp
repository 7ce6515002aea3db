// Animation of dynamic objects: slot times over loops and ends, breakpoints and their events,
// key evaluation by the default node procedure, cross-fades.
#include <cmath>
#include <vector>

#include "engine/dobject/dobject.h"
#include "engine/packed/packed.h"
#include "tests/engine/dobject/dobject_fixture.h"
#include "tools/writers/packed_writer.h"

namespace {

constexpr int32_t kWalk = 0;
constexpr int32_t kIdle = 1;
constexpr int32_t kLegL = 8;

int g_wraps = 0;
void CountWraps(SPW_DOBJECT*) { ++g_wraps; }

class AnimTest : public DObjectFixture {
 protected:
  void SetUp() override {
    DObjectFixture::SetUp();
    g_wraps = 0;
    o = Make(figure);
    ASSERT_NE(o, nullptr);
    o->pfnCallback = CountWraps;
  }
  // The times of the breakpoints fired since the last call, freeing their events.
  std::vector<float> Fired() {
    std::vector<float> out;
    for (SPW_BREAKPOINT* event : SGE_ListRecords<SPW_BREAKPOINT>(&scene->events)) {
      out.push_back(event->fTime);
      SGE_ListRemove(&event->link);
    }
    return out;
  }
  SPW_DOBJECT* o = nullptr;
};

TEST_F(AnimTest, ALoopNearItsEndWrapsOnceAndLandsAfterTheStart) {
  ASSERT_EQ(SPW_SetAnimationTime(o, kWalk, 4700.0f), 1);
  SPW_AnimateObjects(o);
  EXPECT_NEAR(o->pSlots[kWalk].fTime, 60.0f, 0.01f);
  EXPECT_EQ(g_wraps, 1);
  SPW_AnimateObjects(o);
  EXPECT_NEAR(o->pSlots[kWalk].fTime, 220.0f, 0.01f);
  EXPECT_EQ(g_wraps, 1);
}

TEST_F(AnimTest, PlayOnceStopsExactlyAtTheLengthAndCallsBackOnce) {
  ASSERT_EQ(SPW_PlayAnimation(o, kWalk, -1, nullptr, 0, SPW_ANIM_ONCE_FLAGS, 1.0f), 1);
  SPW_SetAnimationTime(o, kWalk, 4700.0f);
  for (int i = 0; i < 3; ++i) SPW_AnimateObjects(o);
  EXPECT_EQ(o->pSlots[kWalk].fTime, 4800.0f);
  EXPECT_EQ(o->pSlots[kWalk].fSpeed, 0.0f);
  EXPECT_EQ(g_wraps, 1);
}

TEST_F(AnimTest, ALoopOfLengthZeroStaysWhereItIs) {
  SPW_GetObjectType(figure)->pAnims[kWalk].dwLength = 0;
  SPW_SetAnimationTime(o, kWalk, 0.0f);
  SPW_AnimateObjects(o);
  EXPECT_EQ(o->pSlots[kWalk].fTime, 0.0f);
  EXPECT_EQ(g_wraps, 0);
}

TEST_F(AnimTest, OnlyTheSlotsOfTheActiveChainAdvance) {
  SPW_AnimateObjects(o);
  EXPECT_NEAR(o->pSlots[kWalk].fTime, 160.0f, 0.01f);
  EXPECT_EQ(o->pSlots[kIdle].fTime, 0.0f);
  EXPECT_EQ(o->pSlots[kIdle].fFlags & SPW_ANIM_IN_CHAIN, 0u);
  // A change of animation rebuilds the chain.
  SPW_SetAllNodesAnimation(o, kIdle, -1, nullptr, 0);
  SPW_AnimateObjects(o);
  EXPECT_NEAR(o->pSlots[kWalk].fTime, 160.0f, 0.01f);
  EXPECT_NEAR(o->pSlots[kIdle].fTime, 160.0f, 0.01f);
}

TEST_F(AnimTest, NotAnimatedObjectsAndStoppedSlotsKeepTheirTime) {
  o->fFlags |= SPW_DOBJ_NOT_ANIMATED;
  SPW_AnimateObjects(o);
  EXPECT_EQ(o->pSlots[kWalk].fTime, 0.0f);
  o->fFlags &= ~SPW_DOBJ_NOT_ANIMATED;
  SPW_ClearAnimationFlags(o, kWalk, SPW_ANIM_PLAYING);
  SPW_AnimateObjects(o);
  EXPECT_EQ(o->pSlots[kWalk].fTime, 0.0f);
}

TEST_F(AnimTest, BreakpointsFireOnceEachAlongTheLoopAndAcrossTheWrap) {
  const uint32_t user[2] = {7, 9};
  for (float t : {0.0f, 100.0f, 200.0f, 300.0f, 4750.0f, 4790.0f, 30.0f})
    ASSERT_EQ(SPW_AddAnimBreakpoint(o, t, 0, kWalk, nullptr, user), 1);
  // 0 to 160: the breakpoint at 0 fires on the first step from 0.
  SPW_AnimateObjects(o);
  EXPECT_EQ(Fired(), (std::vector<float>{0.0f, 30.0f, 100.0f}));
  // A step of 100 ticks from 150 to 250.
  SPW_SetAnimationTime(o, kWalk, 150.0f);
  SPW_SetAnimationSpeed(o, kWalk, 100.0f / 160.0f);
  SPW_AnimateObjects(o);
  EXPECT_EQ(Fired(), (std::vector<float>{200.0f}));
  // From 4700 to 60 across the wrap.
  SPW_SetAnimationSpeed(o, kWalk, 1.0f);
  SPW_SetAnimationTime(o, kWalk, 4700.0f);
  SPW_AnimateObjects(o);
  EXPECT_EQ(Fired(), (std::vector<float>{4750.0f, 4790.0f, 0.0f, 30.0f}));
  SPW_AnimateObjects(o);
  EXPECT_EQ(Fired(), (std::vector<float>{100.0f, 200.0f}));
}

TEST_F(AnimTest, AFiredBreakpointBecomesAnEventCarryingTheObjectAndUserWords) {
  const uint32_t user[2] = {0x11, 0x22};
  ASSERT_EQ(SPW_AddAnimEndBreakpoint(o, 5, kWalk, nullptr, user), 1);
  SPW_SetAnimationTime(o, kWalk, 4700.0f);
  SPW_AnimateObjects(o);
  ASSERT_EQ(SGE_ListCount(&scene->events), 1);
  auto* ev = SGE_ListFirstRecord<SPW_BREAKPOINT>(&scene->events);
  EXPECT_EQ(ev->pUser, o);
  EXPECT_EQ(ev->fTime, 4800.0f);
  EXPECT_EQ(ev->dwValue, 5u);
  EXPECT_EQ(ev->nSlot, kWalk);
  EXPECT_EQ(ev->adwUser[0], 0x11u);
  EXPECT_EQ(ev->adwUser[1], 0x22u);
  // The breakpoint stays with the slot.
  EXPECT_EQ(SGE_ListCount(&o->pBreakpoints[kWalk]), 1);
  SPW_ClearAllAnimBreakpoints(o);
  EXPECT_EQ(SGE_ListCount(&o->pBreakpoints[kWalk]), 0);
}

TEST_F(AnimTest, DestroyingAnObjectDropsItsPendingEvents) {
  SPW_DOBJECT* other = Make(figure);
  SPW_AddAnimBreakpoint(o, 50.0f, 0, kWalk, nullptr, nullptr);
  SPW_AddAnimBreakpoint(other, 50.0f, 0, kWalk, nullptr, nullptr);
  SPW_AnimateObjects(o);
  SPW_AnimateObjects(other);
  ASSERT_EQ(SGE_ListCount(&scene->events), 2);
  SPW_DestroyDynamicObject(o);
  ASSERT_EQ(SGE_ListCount(&scene->events), 1);
  EXPECT_EQ(SGE_ListFirstRecord<SPW_BREAKPOINT>(&scene->events)->pUser, other);
}

TEST_F(AnimTest, SettersRefuseSlotsOutsideTheAnimations) {
  for (int32_t slot : {-1, 2, 700}) {
    EXPECT_EQ(SPW_SetAnimationTime(o, slot, 1.0f), 0) << slot;
    EXPECT_EQ(SPW_SetAnimationSpeed(o, slot, 1.0f), 0) << slot;
    EXPECT_EQ(SPW_SetAnimationFlags(o, slot, 1), 0) << slot;
    EXPECT_EQ(SPW_ClearAnimationFlags(o, slot, 1), 0) << slot;
    EXPECT_EQ(SPW_AddAnimBreakpoint(o, 1.0f, 0, slot, nullptr, nullptr), 0) << slot;
  }
  EXPECT_EQ(SPW_SetAnimationTime(nullptr, 0, 1.0f), 0);
  EXPECT_EQ(SPW_SetAnimationTimeFrames(o, kWalk, 3.0f), 1);
  EXPECT_EQ(o->pSlots[kWalk].fTime, 480.0f);
}

// The pose of the walk's left leg at a time, from the model's own keys.
SPW_QUAT ModelLegRotation(float t) {
  const vnMODEL m = vnMODELS_Figure();
  for (const vnMODEL_CHANNEL& ch : m.anims[kWalk].channels) {
    if (ch.nodeId != kLegL) continue;
    for (size_t i = 0; i + 1 < ch.keys.size(); ++i) {
      const vnMODEL_KEY& a = ch.keys[i];
      const vnMODEL_KEY& b = ch.keys[i + 1];
      if (t < static_cast<float>(a.time) || t >= static_cast<float>(b.time)) continue;
      SPW_QUAT qa = {a.rot[0], a.rot[1], a.rot[2], a.rot[3]};
      SPW_QUAT qb = {b.rot[0], b.rot[1], b.rot[2], b.rot[3]};
      SPW_QUAT out;
      const float u = (t - static_cast<float>(a.time)) / static_cast<float>(b.time - a.time);
      return *SPW_QuatLerp(&qa, &qb, &out, u);
    }
  }
  return {0, 0, 0, 1};
}

void ExpectQuat(const SPW_QUAT& a, const SPW_QUAT& b, float t) {
  EXPECT_NEAR(a.x, b.x, 1e-5f) << t;
  EXPECT_NEAR(a.y, b.y, 1e-5f) << t;
  EXPECT_NEAR(a.z, b.z, 1e-5f) << t;
  EXPECT_NEAR(a.w, b.w, 1e-5f) << t;
}

TEST_F(AnimTest, NodesInterpolateBetweenKeysWhetherPlayedForwardOrSought) {
  SPW_NODEINST* leg = &o->pNodes[kLegL];
  for (float t : {0.0f, 600.0f, 1199.0f, 1200.0f, 3000.0f, 4799.0f, 300.0f, 0.0f}) {
    SPW_SetAnimationTime(o, kWalk, t);
    ASSERT_EQ(SPW_DefaultNodeProc(o, leg, nullptr, nullptr), 1);
    ExpectQuat(leg->t.qRot, ModelLegRotation(t), t);
    // The leg's hip stays where the model puts it (0.01 engine units a file unit).
    EXPECT_NEAR(leg->t.vPos.x, -0.12f, 1e-5f) << t;
    EXPECT_EQ(leg->t.fScale, 1.0f);
  }
}

TEST_F(AnimTest, AChannelOfOneKeyAlwaysShowsThatKey) {
  SPW_PlayAnimation(o, kIdle, -1, nullptr, 0, SPW_ANIM_LOOP_FLAGS, 1.0f);
  SPW_NODEINST* leg = &o->pNodes[kLegL];
  for (float t : {0.0f, 1000.0f, 4799.0f}) {
    SPW_SetAnimationTime(o, kIdle, t);
    SPW_DefaultNodeProc(o, leg, nullptr, nullptr);
    ExpectQuat(leg->t.qRot, {0, 0, 0, 1}, t);
    EXPECT_NEAR(leg->t.vPos.x, -0.12f, 1e-6f);
  }
}

TEST_F(AnimTest, SourceAndOffsetTransformsAndLocatorsAreHonoured) {
  SPW_NODEINST* leg = &o->pNodes[kLegL];
  const SPW_TRANSFORM source = {{1, 2, 3}, {0, 0, 0, 1}, 2};
  SPW_DefaultNodeProc(o, leg, nullptr, &source);
  EXPECT_EQ(leg->t.vPos.y, 2.0f);
  EXPECT_EQ(leg->t.fScale, 2.0f);
  SPW_SetAnimationTime(o, kWalk, 0.0f);
  const SPW_TRANSFORM offset = {{0, 1, 0}, {0, 0, 0, 1}, 3};
  SPW_DefaultNodeProc(o, leg, &offset, nullptr);
  EXPECT_NEAR(leg->t.vPos.y, 1.0f, 1e-6f);
  EXPECT_EQ(leg->t.fScale, 3.0f);
  // A locator keeps whatever it holds.
  SPW_NODEINST* hand = &o->pNodes[7];
  hand->t.vPos = {5, 5, 5};
  SPW_DefaultNodeProc(o, hand, nullptr, nullptr);
  EXPECT_EQ(hand->t.vPos.x, 5.0f);
}

TEST_F(AnimTest, ANodeIdBeyondTheChannelsLeavesTheNodeAlone) {
  SPW_NODEINST* leg = &o->pNodes[kLegL];
  leg->nId = 99;
  leg->t.vPos = {4, 4, 4};
  SPW_SetAnimationTime(o, kWalk, 600.0f);
  EXPECT_EQ(SPW_DefaultNodeProc(o, leg, nullptr, nullptr), 1);
  EXPECT_EQ(leg->t.vPos.x, 4.0f);
}

TEST_F(AnimTest, ACrossFadeRunsToOneThenHandsTheOverrideOverNextFrame) {
  SPW_PlayAnimation(o, kWalk, kIdle, nullptr, 0, SPW_ANIM_LOOP_FLAGS, 1.0f);
  o->fFlags |= SPW_DOBJ_CROSSFADE;
  o->fCrossFadeRate = 0.4f;
  SPW_TimeScale = 1.5f;
  SPW_AnimateObjects(o);
  EXPECT_NEAR(o->fCrossFade, 0.6f, 1e-6f);
  EXPECT_EQ(o->fFlags & SPW_DOBJ_CROSSFADE_DONE, 0u);
  SPW_AnimateObjects(o);
  EXPECT_EQ(o->fCrossFade, 1.0f);
  EXPECT_NE(o->fFlags & SPW_DOBJ_CROSSFADE_DONE, 0u);
  EXPECT_EQ(o->pNodes[kLegL].nPrimary, kWalk);
  // While both play, the override's pose replaces the primary's.
  SPW_SetAnimationTime(o, kWalk, 600.0f);
  SPW_DefaultNodeProc(o, &o->pNodes[kLegL], nullptr, nullptr);
  ExpectQuat(o->pNodes[kLegL].t.qRot, {0, 0, 0, 1}, 600.0f);
  SPW_AnimateObjects(o);
  EXPECT_EQ(o->fCrossFade, 0.0f);
  EXPECT_EQ(o->fFlags & (SPW_DOBJ_CROSSFADE | SPW_DOBJ_CROSSFADE_DONE), 0u);
  EXPECT_EQ(o->pNodes[kLegL].nPrimary, kIdle);
  // Switching made the chain hold the idle slot alone.
  EXPECT_EQ(o->pActive, &o->pSlots[kIdle]);
  EXPECT_EQ(o->pActive->pNext, nullptr);
}

TEST_F(AnimTest, AnOverrideThatStopsPlayingLetsThePrimaryShow) {
  SPW_PlayAnimation(o, kWalk, kIdle, nullptr, 0, SPW_ANIM_LOOP_FLAGS, 1.0f);
  SPW_ClearAnimationFlags(o, kIdle, SPW_ANIM_PLAYING);
  SPW_SetAnimationTime(o, kWalk, 600.0f);
  SPW_DefaultNodeProc(o, &o->pNodes[kLegL], nullptr, nullptr);
  ExpectQuat(o->pNodes[kLegL].t.qRot, ModelLegRotation(600.0f), 600.0f);
}

int32_t AnyTexture(SPW_DISPLAY*, const char*, int32_t* out, int32_t) {
  *out = 1;
  return SPPD_OK;
}

TEST_F(AnimTest, APackedFigureAnimatesLikeItsPowFile) {
  vnMODEL m = vnMODELS_Figure();
  m.name = "Packed";
  vnPACKED_TABLES tables;
  PLAT_MakeDirectory("Export");
  ASSERT_TRUE(vnWRITE_PDO("Export/Packed.pdo", m, tables));
  ASSERT_TRUE(vnWRITE_PackedTables("Export", tables));
  ASSERT_EQ(SPW_LoadPositionTable("Export/tset.dat"), 1);
  ASSERT_EQ(SPW_LoadRotationTable("Export/qtset.dat"), 1);
  SPPD_DRIVERTABLE table{};
  table.SPPD_TextureGetID = AnyTexture;
  SGE_DATAREF ref = {1, sizeof table, &table};
  SPW_DISPLAY display{};
  display.pDriver = &ref;
  int32_t slot = -1;
  ASSERT_EQ(SPW_PACKDOBJ_LoadObjectFile("Export/Packed.pow", &display, &slot, 1.0f), 1);
  ASSERT_NE(SPW_GetObjectType(slot)->pPacked, nullptr);
  SPW_DOBJECT* packed = Make(slot);
  ASSERT_NE(packed, nullptr);
  for (float t : {0.0f, 600.0f, 2500.0f, 4799.0f}) {
    SPW_SetAnimationTime(o, kWalk, t);
    SPW_SetAnimationTime(packed, kWalk, t);
    SPW_DefaultNodeProc(o, &o->pNodes[kLegL], nullptr, nullptr);
    SPW_DefaultNodeProc(packed, &packed->pNodes[kLegL], nullptr, nullptr);
    ExpectQuat(packed->pNodes[kLegL].t.qRot, o->pNodes[kLegL].t.qRot, t);
    EXPECT_NEAR(packed->pNodes[kLegL].t.vPos.x, o->pNodes[kLegL].t.vPos.x, 1e-6f) << t;
  }
  // Without the tables the keys point nowhere: the node keeps its pose.
  SPW_LoadPositionTable(nullptr);
  SPW_LoadRotationTable(nullptr);
  packed->pNodes[kLegL].t.vPos.x = 9.0f;
  SPW_SetAnimationTime(packed, kWalk, 600.0f);
  SPW_DefaultNodeProc(packed, &packed->pNodes[kLegL], nullptr, nullptr);
  EXPECT_EQ(packed->pNodes[kLegL].t.vPos.x, 9.0f);
  SPW_DestroyDynamicObject(packed);
}

}  // namespace
