// Shield domes in the headless world: raising and collapsing face by face, timed domes, the
// raise answers and the faces handed to the driver.
#include "world/dome/dome.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>

#include "engine/kernel/tasktypes.h"
#include "engine/object/object.h"
#include "engine/scene/scene.h"
#include "platform/files.h"
#include "platform/random.h"
#include "tests/world/dome/effectview.h"
#include "tests/world/support/testworld.h"
#include "tools/models/shields.h"
#include "world/unitman/unitmsg.h"
#include "world/unittype/unittype.h"

namespace {

using effectview::Drawn;

constexpr int32_t kFaces = VNMODELS_DOME_FACES;
constexpr int32_t kThird = kFaces / 3;  // 34
constexpr float kFrame = 0.25f;         // exact in binary: countdowns land on whole seconds

VNDOME_RAISE Raise(int32_t mode, uint32_t flags = 0, int32_t kind = 0, float time = 0.0f,
                   uint32_t unitId = 0) {
  return VNDOME_RAISE{2.0f, kind, mode, {10.0f, 20.0f, -30.0f}, 0, flags, unitId, time};
}

class DomeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(PLAT_MakeDirectory("Export") && PLAT_MakeDirectory("Export/Pows"));
    ASSERT_TRUE(vnWRITE_POW("Export/Pows/sphere.pow", vnMODELS_ShieldSphere()));
    w.WriteAttrs({vnworld::Row(VN_UNIT_TYPE_PE_DOME, VNUNIT_F_UPDATE),
                  vnworld::Row(VN_UNIT_TYPE_TERRAN_ZR_0, VNUNIT_F_SOLDIER),
                  vnworld::Row(VN_UNIT_TYPE_SUIT_COMMAND_0, VNUNIT_F_SOLDIER)});
    w.RegisterRecorder(VNTT_TERRAN_INFANTRY);
    w.RegisterRecorder(VNTT_SUIT_COMMAND);
    ASSERT_TRUE(w.Start());
    ASSERT_EQ(vnUNITMAN_RegisterClass(VNDOME_CLASSROW), 1);
    view.Start();
    effectview::SetFrameTime(kFrame);
    unit = w.Create(VN_UNIT_TYPE_PE_DOME, w.Human(), {});
    ASSERT_NE(unit, nullptr);
    ASSERT_NE(unit->pController, nullptr);
    id = unit->dwId;
  }
  void TearDown() override {
    w.Stop();
    view.Stop();
  }

  SGE_TASK* Controller() const {
    const VNUNIT* u = vnUNITMAN_GetUnit(id);
    return u ? u->pController : nullptr;
  }
  VNDOME* Dome() const { return SGE_TaskData<VNDOME>(Controller()); }
  int32_t Send(int32_t msg, const void* record = nullptr) {
    return SGE_Send(Controller(), msg, SGE_PtrParam(record), 0);
  }
  int32_t RaiseWith(const VNDOME_RAISE& r) { return Send(SGM_DOME_RAISE, &r); }
  void Collapse(int32_t mode, float time = 0.0f) {
    const VNDOME_COLLAPSE c{mode, time};
    Send(SGM_DOME_COLLAPSE, &c);
  }
  // The faces drawn: each face goes to the driver twice.
  int32_t DrawnFaces() { return static_cast<int32_t>(view.Draw().size()) / 2; }
  int32_t SparkCount() const {
    return SGE_ListCount(&w.scene()->sprites);
  }

  vnworld::TestWorld w;
  effectview::EffectView view;
  VNUNIT* unit = nullptr;
  uint32_t id = 0;
};

TEST_F(DomeTest, NothingIsDrawnBeforeTheFirstRaise) {
  EXPECT_EQ(view.Draw().size(), 0u);
  EXPECT_EQ(Send(SGM_DOME_IS_RAISED), 0);
  EXPECT_EQ(Dome()->nLoopChannel, -1);
  EXPECT_EQ(Dome()->pNode, nullptr);
}

TEST_F(DomeTest, RaisedUpwardsItGainsTwoFacesAStepAndIsWholeAfter51Steps) {
  ASSERT_EQ(RaiseWith(Raise(VNDOME_MODE_UP)), 1);
  EXPECT_EQ(Dome()->nFaces, kFaces);
  EXPECT_EQ(DrawnFaces(), 0);
  for (int32_t step = 1; step <= 51; ++step) {
    w.RunFrames(1);
    ASSERT_EQ(Dome()->nReveal, 2 * step) << step;
    ASSERT_EQ(DrawnFaces(), 2 * step) << step;
  }
  w.RunFrames(3);
  EXPECT_EQ(DrawnFaces(), kFaces);
  // The first step has no face behind it to spark from; every later one does.
  EXPECT_EQ(SparkCount(), 50);
}

TEST_F(DomeTest, CollapsedFromTheFrontItKeepsTheLastThirdAndThenItsUnitGoes) {
  ASSERT_EQ(RaiseWith(Raise(VNDOME_MODE_UP)), 1);
  w.RunFrames(51);
  Collapse(VNDOME_MODE_DOWN);
  EXPECT_EQ(Send(SGM_DOME_IS_RAISED), 0);
  EXPECT_EQ(DrawnFaces(), kFaces);
  for (int32_t step = 1; step <= (kFaces - kThird) / 2; ++step) {
    w.RunFrames(1);
    ASSERT_EQ(DrawnFaces(), kFaces - 2 * step) << step;
  }
  EXPECT_EQ(DrawnFaces(), kThird);
  w.RunFrames(1);  // finished
  ASSERT_NE(vnUNITMAN_GetUnit(id), nullptr);
  w.RunFrames(1);  // gone with its unit
  EXPECT_EQ(vnUNITMAN_GetUnit(id), nullptr);
  EXPECT_EQ(view.Draw().size(), 0u);
}

TEST_F(DomeTest, RaisedDownwardsItShowsTheLastThirdAtOnceAndGrowsBackwards) {
  ASSERT_EQ(RaiseWith(Raise(VNDOME_MODE_DOWN)), 1);
  EXPECT_EQ(DrawnFaces(), kThird);
  EXPECT_EQ(Dome()->nReveal, kFaces - kThird);
  w.RunFrames(1);
  EXPECT_EQ(Dome()->nReveal, kFaces - kThird - 2);
  EXPECT_EQ(DrawnFaces(), kThird + 2);
  w.RunFrames(40);
  EXPECT_EQ(Dome()->nReveal, 0);
  EXPECT_EQ(DrawnFaces(), kFaces);
  // Collapsed the other way round, it loses its faces from the back until none is left.
  Collapse(VNDOME_MODE_UP);
  EXPECT_EQ(DrawnFaces(), kFaces);
  w.RunFrames(1);
  EXPECT_EQ(DrawnFaces(), kFaces - 2);
  w.RunFrames(50);
  EXPECT_EQ(DrawnFaces(), 0);
  w.RunFrames(1);
  EXPECT_TRUE(Dome()->bFinished);
}

TEST_F(DomeTest, AWholeDomeCollapsesFromTheWholeSphere) {
  ASSERT_EQ(RaiseWith(Raise(VNDOME_MODE_UP)), 1);
  w.RunFrames(10);
  ASSERT_EQ(RaiseWith(Raise(0)), 1);  // shown whole, its count left where it was
  EXPECT_EQ(DrawnFaces(), kFaces);
  Collapse(VNDOME_MODE_UP);
  EXPECT_EQ(DrawnFaces(), kFaces);
  w.RunFrames(1);
  EXPECT_EQ(DrawnFaces(), kFaces - 2);
}

TEST_F(DomeTest, ATimedDomeThatCollapsesByItselfEndsAfterItsTimeAndTakesItsUnit) {
  ASSERT_EQ(RaiseWith(Raise(0, VNDOME_F_TIMED | VNDOME_F_SELF_COLLAPSE, 0, 5.0f)), 1);
  w.RunFrames(static_cast<int32_t>(5.0f / kFrame));  // exactly 5 s: not yet below 0
  EXPECT_EQ(Send(SGM_DOME_IS_RAISED), 1);
  w.RunFrames(1);
  EXPECT_EQ(Send(SGM_DOME_IS_RAISED), 0);
  ASSERT_NE(vnUNITMAN_GetUnit(id), nullptr);
  w.RunFrames(1);
  EXPECT_EQ(vnUNITMAN_GetUnit(id), nullptr);
}

TEST_F(DomeTest, AKeptDomeLeavesItsUnitAndCanBeRaisedAgain) {
  ASSERT_EQ(RaiseWith(Raise(0, VNDOME_F_TIMED | VNDOME_F_SELF_COLLAPSE | VNDOME_F_KEEP_UNIT, 0,
                            1.0f)),
            1);
  EXPECT_EQ(DrawnFaces(), kFaces);
  w.RunFrames(6);
  ASSERT_NE(vnUNITMAN_GetUnit(id), nullptr);
  EXPECT_EQ(Dome()->pNode, nullptr);
  EXPECT_EQ(Dome()->dwFlags, 0u);
  EXPECT_EQ(view.Draw().size(), 0u);
  ASSERT_EQ(RaiseWith(Raise(0)), 1);
  EXPECT_EQ(DrawnFaces(), kFaces);
}

TEST_F(DomeTest, ATimedDomeTellsItsUnitThatTheShieldRanOutByTheUnitsSuitTier) {
  struct Case {
    int32_t type;
    int32_t msg;
  } cases[] = {{VN_UNIT_TYPE_TERRAN_ZR_0, SGM_UNIT_SHIELD_EXPIRED},
               {VN_UNIT_TYPE_SUIT_COMMAND_0, SGM_SUIT_SHIELD_EXPIRED}};
  for (const Case& c : cases) {
    VNUNIT* soldier = w.Create(c.type, w.Human(), {});
    ASSERT_NE(soldier, nullptr) << c.type;
    w.ClearEvents();
    ASSERT_EQ(RaiseWith(Raise(0, VNDOME_F_TIMED, 0, 1.0f, soldier->dwId)), 1);
    w.RunFrames(10);
    std::vector<vnworld::Event> told;
    for (int32_t msg : {SGM_UNIT_SHIELD_EXPIRED, SGM_SUIT_SHIELD_EXPIRED})
      for (const vnworld::Event& e : w.EventsOf(msg)) told.push_back(e);
    ASSERT_EQ(told.size(), 1u) << c.type;
    EXPECT_EQ(told[0].msg, c.msg) << c.type;
    EXPECT_EQ(told[0].unitId, soldier->dwId) << c.type;
    // The dome itself stays up.
    EXPECT_EQ(Send(SGM_DOME_IS_RAISED), 1) << c.type;
  }
}

TEST_F(DomeTest, ItAnswersRaisedFromARaiseUntilTheNextCollapse) {
  EXPECT_EQ(Send(SGM_DOME_IS_RAISED), 0);
  ASSERT_EQ(RaiseWith(Raise(VNDOME_MODE_UP)), 1);
  EXPECT_EQ(Send(SGM_DOME_IS_RAISED), 1);
  w.RunFrames(3);
  EXPECT_EQ(Send(SGM_DOME_IS_RAISED), 1);
  Collapse(VNDOME_MODE_FLICKER, 1.0f);
  EXPECT_EQ(Send(SGM_DOME_IS_RAISED), 0);
  // Raised again while it still flickers: the collapse is over.
  ASSERT_EQ(RaiseWith(Raise(0, VNDOME_F_KEEP_UNIT)), 1);
  EXPECT_EQ(Send(SGM_DOME_IS_RAISED), 1);
  w.RunFrames(10);
  EXPECT_EQ(DrawnFaces(), kFaces);
}

TEST_F(DomeTest, AFlickeringCollapseHidesSomeFramesAndEndsAfterItsTime) {
  PLAT_SRand(1);
  ASSERT_EQ(RaiseWith(Raise(0)), 1);
  Collapse(VNDOME_MODE_FLICKER, 5.0f);
  int32_t hidden = 0, shown = 0;
  for (int32_t i = 0; i < 20; ++i) {
    w.RunFrames(1);
    const int32_t faces = DrawnFaces();
    ASSERT_TRUE(faces == 0 || faces == kFaces) << i;
    (faces == 0 ? hidden : shown)++;
    ASSERT_NE(vnUNITMAN_GetUnit(id), nullptr) << i;
  }
  EXPECT_GT(hidden, 0);
  EXPECT_GT(shown, hidden);
  w.RunFrames(1);  // below 0: finished
  w.RunFrames(1);
  EXPECT_EQ(vnUNITMAN_GetUnit(id), nullptr);
}

TEST_F(DomeTest, AKindBeyondTheFourthOrAMissingModelRaisesNothing) {
  EXPECT_EQ(RaiseWith(Raise(0, 0, VNDOME_KINDS)), 0);
  EXPECT_EQ(Send(SGM_DOME_IS_RAISED), 0);
  EXPECT_EQ(view.Draw().size(), 0u);
  // No command shield model in this folder.
  EXPECT_EQ(RaiseWith(Raise(0, 0, VNDOME_KIND_COMMAND)), 0);
  EXPECT_EQ(Dome()->nFaces, 0);
  EXPECT_EQ(Send(SGM_DOME_IS_RAISED), 0);
  EXPECT_EQ(view.Draw().size(), 0u);
  // A raise that works afterwards draws again.
  ASSERT_EQ(RaiseWith(Raise(0)), 1);
  EXPECT_EQ(DrawnFaces(), kFaces);
}

TEST_F(DomeTest, EachFaceIsDrawnFromBothSidesScaledAroundTheDomeInItsColour) {
  const VNDOME_RAISE r = Raise(0);
  ASSERT_EQ(RaiseWith(r), 1);
  EXPECT_FLOAT_EQ(unit->vPos.x, r.vPos.x);
  EXPECT_FLOAT_EQ(unit->vPos.y, r.vPos.y);
  const std::vector<Drawn> drawn = view.Draw();
  ASSERT_EQ(drawn.size(), static_cast<size_t>(2 * kFaces));
  const SPW_DOBJTYPE* type = SPW_GetObjectType(Dome()->nModelType);
  ASSERT_NE(type, nullptr);
  const SPW_DOBJNODE& mesh = type->pLods[0].pNodes[0];
  for (int32_t f = 0; f < kFaces; ++f) {
    const Drawn& front = drawn[2 * f];
    const Drawn& back = drawn[2 * f + 1];
    ASSERT_EQ(front.v.size(), 3u);
    ASSERT_EQ(back.v.size(), 3u);
    EXPECT_FALSE(front.additive);
    for (int32_t k = 0; k < 3; ++k) {
      const SPW_DOBJVERTEX& mv = mesh.pVertexSet[mesh.pFaceSet[f].adwIndex[k]];
      const SPPD_VERTEX& v = front.v[k];
      EXPECT_NEAR(v.x, r.fScale * mv.vPos.x + r.vPos.x, 1e-4f) << f;
      EXPECT_NEAR(v.y, r.fScale * mv.vPos.y + r.vPos.y, 1e-4f) << f;
      EXPECT_NEAR(v.z, r.fScale * mv.vPos.z + r.vPos.z, 1e-4f) << f;
      EXPECT_FLOAT_EQ(v.u, mv.fU + 63.0f) << f;
      EXPECT_FLOAT_EQ(v.v, mv.fV) << f;
      EXPECT_EQ(v.dwColour, 0x40FFFF00u) << f;
      EXPECT_EQ(std::memcmp(&back.v[2 - k], &v, sizeof v), 0) << f;
    }
  }
}

TEST_F(DomeTest, TheAdditiveFlagDrawsAdditivelyInTheSecondColour) {
  struct Case {
    int32_t kind;
    uint32_t colour;
  } cases[] = {{0, 0xFFFFFF00u}, {1, 0xFF4040FFu}, {2, 0x004000E0u}};
  for (const Case& c : cases) {
    ASSERT_EQ(RaiseWith(Raise(0, VNDOME_F_ADDITIVE, c.kind)), 1) << c.kind;
    const std::vector<Drawn> drawn = view.Draw();
    ASSERT_EQ(drawn.size(), static_cast<size_t>(2 * kFaces)) << c.kind;
    EXPECT_TRUE(std::all_of(drawn.begin(), drawn.end(), [&](const Drawn& d) {
      return d.additive && d.v[0].dwColour == c.colour;
    })) << c.kind;
  }
}

TEST_F(DomeTest, TheSurfaceSwingsScrollsOrPulses) {
  ASSERT_EQ(RaiseWith(Raise(0, VNDOME_F_SWING | VNDOME_F_SCROLL)), 1);
  // The swing wins over the scroll: up to 65 at 1 a second, then back down to 63.
  w.RunFrames(8);
  EXPECT_FLOAT_EQ(Dome()->fU, 65.0f);
  EXPECT_FLOAT_EQ(Dome()->fV, 2.0f);
  w.RunFrames(4);
  EXPECT_FLOAT_EQ(Dome()->fU, 64.0f);
  w.RunFrames(4);
  EXPECT_FLOAT_EQ(Dome()->fU, 63.0f);
  w.RunFrames(1);
  EXPECT_FLOAT_EQ(Dome()->fU, 63.25f);

  ASSERT_EQ(RaiseWith(Raise(0, VNDOME_F_SCROLL)), 1);
  w.RunFrames(1);
  EXPECT_FLOAT_EQ(Dome()->fU, 0.25f);
  EXPECT_FLOAT_EQ(Dome()->fV, -0.025f);

  // The pulse falls first by 30 a frame, turns below 48 at 96, and rises to 255.
  ASSERT_EQ(RaiseWith(Raise(0, VNDOME_F_PULSE, 1)), 1);
  ASSERT_EQ(Dome()->dwColour >> 24, 0x40u);
  w.RunFrames(1);
  EXPECT_EQ(Dome()->dwColour >> 24, 96u);
  w.RunFrames(1);
  EXPECT_EQ(Dome()->dwColour >> 24, 126u);
  w.RunFrames(5);
  EXPECT_EQ(Dome()->dwColour >> 24, 255u);
  w.RunFrames(1);
  EXPECT_EQ(Dome()->dwColour >> 24, 225u);
  EXPECT_EQ(Dome()->dwColour & 0xFFFFFFu, 0x4040FFu);
}

TEST_F(DomeTest, EveryKindRaisesTheModelOfTheDemoTree) {
  const std::string command =
      std::string(VN_MKCONTENT_PATH) + " '" + w.content().path() + "' >/dev/null";
  ASSERT_EQ(std::system(command.c_str()), 0);
  for (int32_t kind = 0; kind < VNDOME_KINDS; ++kind) {
    ASSERT_EQ(RaiseWith(Raise(0, 0, kind)), 1) << kind;
    EXPECT_EQ(Dome()->nFaces, kFaces) << kind;
    EXPECT_EQ(DrawnFaces(), kFaces) << kind;
  }
  EXPECT_GT(view.TextureId("sprites/effects/laserhits02.ppm"), 0);
  EXPECT_TRUE(PLAT_FileExists("sprites/effects/laserhits02.ppm"));
}

}  // namespace
