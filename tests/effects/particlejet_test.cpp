// The particle-jet manager: emitters emit at their rate, scaled by the effects detail, the
// distance from the view and a ramp; particles live, move and end by their emitter's flags; a
// stopped emitter goes after its last particle.
#include <gtest/gtest.h>

#include "effects/particlejet.h"
#include "engine/dobject/dobject.h"
#include "engine/kernel/tasktypes.h"
#include "engine/scene/scene.h"
#include "engine/sprite/sprite.h"
#include "missions/control/missiontasks.h"
#include "shell/options.h"
#include "tests/world/support/testworld.h"

namespace {

constexpr float kFrame = 0.05f;  // 20 frames a second

class ParticleJetTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(w.Start());
    vnOPTIONS_SetDefaults(vnOPTIONS_Get());
    ASSERT_EQ(vnPARTICLEJET_Register(), 1);
    manager = SGE_CreateTask(VNTT_PARTICLEJET, nullptr, nullptr, 0, 0);
    ASSERT_NE(manager, nullptr);
    set = SPW_CreateSpriteSet(0, 7001, nullptr, nullptr, nullptr, nullptr, 16.0f);
    ASSERT_NE(set, nullptr);
  }
  void TearDown() override {
    if (manager) SGE_Send(manager, SGM_TASK_DESTROY, 0, 0);
    vnMISSCONT_SetCameraDObject(nullptr);
    SPW_DestroySpriteSet(7001);
    w.Stop();
  }
  VNJET_REQUEST Request(uint32_t flags, float rate, float life) const {
    VNJET_REQUEST r{};
    r.dwFlags = flags;
    r.vPos = {10.0f, 10.0f, 0.0f};
    r.vDir = {0.0f, 0.0f, 1.0f};
    r.fSpeed = 1.0f;
    r.fSize = 1.0f;
    r.pSet = set;
    r.nFrames = 16;
    r.fRate = rate;
    r.fLife = life;
    return r;
  }
  VNJET* Add(const VNJET_REQUEST& r) {
    return SGE_Ask<VNJET>(manager, SGM_EFFECT_ADD, SGE_PtrParam(&r), 0);
  }
  // The manager's frame, then the sprite pass that steps the particles.
  void Frames(int32_t n) {
    for (int32_t i = 0; i < n; ++i) {
      w.RunFrames(1);
      SPW_SpritePass();
    }
  }
  int32_t Emitters() const {
    return SGE_ListCount(&SGE_TaskData<VNJET_MANAGER>(manager)->emitters);
  }
  int32_t Sprites() const { return SGE_ListCount(&w.scene()->sprites); }

  vnworld::TestWorld w;
  vnworld::FrameClock clock{kFrame};
  SGE_TASK* manager = nullptr;
  SPW_SPRITESET* set = nullptr;
};

TEST_F(ParticleJetTest, AnEmitterEmitsAtItsRateScaledByTheEffectsDetail) {
  const struct {
    int32_t detail;
    int32_t particles;  // in one second at 20 a second
  } cases[] = {{2, 20}, {1, 12}, {0, 6}};
  for (const auto& c : cases) {
    vnOPTIONS_Get()->dwEffectsDetail = c.detail;
    VNJET* jet = Add(Request(VNJET_F_LIFE, 20.0f, 100.0f));
    ASSERT_NE(jet, nullptr);
    Frames(20);
    EXPECT_NEAR(vnPARTICLEJET_CountParticles(jet), c.particles, 1) << c.detail;
    SGE_Send(manager, SGM_EFFECT_REMOVE, SGE_PtrParam(jet), 1);
    EXPECT_EQ(Sprites(), 0) << "the particles' sprites go with the emitter";
  }
}

TEST_F(ParticleJetTest, AFarEmitterEmitsLess) {
  SPW_DOBJECT eye{};
  vnMISSCONT_SetCameraDObject(&eye);
  const struct {
    float distance;
    int32_t particles;  // in one second at 20 a second
  } cases[] = {{10.0f, 20}, {35.0f, 20}, {55.0f, 10}};
  for (const auto& c : cases) {
    VNJET_REQUEST r = Request(VNJET_F_LIFE, 20.0f, 100.0f);
    eye.t.vPos = {r.vPos.x + c.distance, r.vPos.y, r.vPos.z};
    VNJET* jet = Add(r);
    Frames(20);
    EXPECT_NEAR(vnPARTICLEJET_CountParticles(jet), c.particles, 1) << c.distance;
    SGE_Send(manager, SGM_EFFECT_REMOVE, SGE_PtrParam(jet), 1);
  }
}

TEST_F(ParticleJetTest, AStoppedEmitterGoesAfterItsLastParticle) {
  VNJET* jet = Add(Request(VNJET_F_LIFE, 10.0f, 0.5f));
  Frames(20);
  // Half a second of life at ten a second: about five live at a time.
  EXPECT_NEAR(vnPARTICLEJET_CountParticles(jet), 5, 1);
  jet->req.dwFlags |= VNJET_F_STOPPED;
  Frames(2);
  EXPECT_EQ(Emitters(), 1) << "its particles finish first";
  Frames(12);
  EXPECT_EQ(Emitters(), 0);
  EXPECT_EQ(Sprites(), 0);
}

TEST_F(ParticleJetTest, ARampedEmitterSpeedsUpThenStopsAndGoes) {
  VNJET_REQUEST r = Request(VNJET_F_LIFE | VNJET_F_RAMP, 20.0f, 100.0f);
  r.fRampTime = 2.0f;
  VNJET* jet = Add(r);
  Frames(20);
  const int32_t firstSecond = vnPARTICLEJET_CountParticles(jet);
  Frames(19);
  const int32_t secondSecond = vnPARTICLEJET_CountParticles(jet) - firstSecond;
  EXPECT_GT(secondSecond, 2 * firstSecond);
  Frames(2);
  EXPECT_NE(jet->req.dwFlags & VNJET_F_STOPPED, 0u);
  SGE_Send(manager, SGM_EFFECT_REMOVE, SGE_PtrParam(jet), 1);
}

TEST_F(ParticleJetTest, BoxParticlesStartOnTheDiagonalBetweenTheCorners) {
  VNJET_REQUEST r = Request(VNJET_F_LIFE | VNJET_F_BOX, 20.0f, 100.0f);
  r.fSpeed = 0.0f;
  r.vPos = {0.0f, 0.0f, 0.0f};
  r.vCorner = {10.0f, 20.0f, 30.0f};
  Add(r);
  w.RunFrames(10);
  ASSERT_GT(Sprites(), 5);
  for (const SPW_SPRITE* s : SGE_ListRecords<SPW_SPRITE>(&w.scene()->sprites)) {
    EXPECT_NEAR(s->place.y, 2.0f * s->place.x, 1e-4f);
    EXPECT_NEAR(s->place.z, 3.0f * s->place.x, 1e-4f);
  }
}

TEST_F(ParticleJetTest, GravityBendsAParticleDown) {
  // One particle launched up at 5 m/s, then a second's frames; with gravity it rises less.
  float heights[2] = {};
  for (int32_t g = 0; g < 2; ++g) {
    VNJET_REQUEST r = Request(VNJET_F_LIFE | (g ? VNJET_F_GRAVITY : 0u), 1.0f, 100.0f);
    r.fSpeed = 5.0f;
    VNJET* jet = Add(r);
    Frames(20);
    jet->req.dwFlags |= VNJET_F_STOPPED;
    Frames(20);
    ASSERT_EQ(Sprites(), 1) << g;
    heights[g] = SGE_ListFirstRecord<SPW_SPRITE>(&w.scene()->sprites)->place.z;
    SGE_Send(manager, SGM_EFFECT_REMOVE, SGE_PtrParam(jet), 1);
  }
  EXPECT_GT(heights[0], 3.0f);
  // 9.8 m/s2 over about a second's steps takes off about half of g.
  EXPECT_NEAR(heights[0] - heights[1], 0.5f * 9.8f, 1.0f);
}

TEST_F(ParticleJetTest, SceneryEmittersGoTogetherAndAStalePointerIsIgnored) {
  VNJET* scenery = Add(Request(VNJET_F_LIFE | VNJET_F_SCENERY, 20.0f, 100.0f));
  VNJET* other = Add(Request(VNJET_F_LIFE, 20.0f, 100.0f));
  ASSERT_NE(scenery, nullptr);
  Frames(5);
  SGE_Send(manager, SGM_EFFECT_REMOVE_SCENERY, 0, 0);
  EXPECT_EQ(Emitters(), 1);
  SGE_Send(manager, SGM_EFFECT_REMOVE, SGE_PtrParam(other), 1);
  SGE_Send(manager, SGM_EFFECT_REMOVE, SGE_PtrParam(other), 1);
  EXPECT_EQ(Emitters(), 0);
  EXPECT_EQ(Sprites(), 0);
  EXPECT_EQ(SGE_Ask<VNJET>(manager, SGM_EFFECT_ADD, 0, 0), nullptr);
}

TEST_F(ParticleJetTest, TheManagerIsTheMissionsWhileItLives) {
  EXPECT_EQ(vnMISSCONT_GetParticleJetTask(), manager);
  Add(Request(VNJET_F_LIFE, 20.0f, 100.0f));
  Frames(5);
  SGE_Send(manager, SGM_TASK_DESTROY, 0, 0);
  manager = nullptr;
  EXPECT_EQ(vnMISSCONT_GetParticleJetTask(), nullptr);
  EXPECT_EQ(Sprites(), 0);
}

}  // namespace
