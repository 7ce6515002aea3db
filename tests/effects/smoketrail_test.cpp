// Beams between two points, as the trail task is asked for them.
#include <gtest/gtest.h>

#include <vector>

#include "effects/smoketrail.h"
#include "missions/control/smoketrail.h"
#include "tests/world/support/testworld.h"

namespace {

constexpr int32_t kTrailType = 402;  // a recorder of the trail task

std::vector<VNSMOKETRAIL_BEAM> g_beams;
std::vector<SGE_PARAM> g_forms;
SGE_RESULT g_answer = 1;

SGE_RESULT TrailRecorder(SGE_TASK* task, SGE_DATAREF* data, int32_t msg, SGE_PARAM p1, SGE_PARAM p2) {
  if (msg == SGM_SMOKETRAIL_START) {
    g_beams.push_back(*SGE_ParamPtr<VNSMOKETRAIL_BEAM>(p1));
    g_forms.push_back(p2);
    return g_answer;
  }
  return SGE_DefaultTaskHandler(task, data, msg, p1, p2);
}

class BeamTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_beams.clear();
    g_forms.clear();
    g_answer = 1;
    ASSERT_TRUE(w.Start());
    ASSERT_NE(SGE_RegisterTaskType(kTrailType, TrailRecorder, 0, 0, ""), 0);
    trails = SGE_CreateTask(kTrailType, nullptr, nullptr, 0, 0);
    ASSERT_NE(trails, nullptr);
  }
  void TearDown() override {
    vnMISSCONT_SetSmokeTrailTask(nullptr);
    w.Stop();
  }
  int32_t Start() {
    return vnSmokeTrail_StartBetween(&a, &av, 0xff808080u, 0xffe1e1e1u, &b, &bv, 0xff6464cdu,
                                     0xffc4c4c4u);
  }
  vnworld::TestWorld w;
  SGE_TASK* trails = nullptr;
  const SPW_VECTOR a{1, 2, 3}, av{0, 0, 1}, b{11, 12, 13}, bv{0, 1, 0};
};

TEST_F(BeamTest, ABeamJoinsThePointsRaisedWithBothColourPairs) {
  vnMISSCONT_SetSmokeTrailTask(trails);
  ASSERT_EQ(Start(), 1);
  ASSERT_EQ(g_beams.size(), 1u);
  EXPECT_EQ(g_forms[0], VNSMOKETRAIL_FORM_BEAM);
  const VNSMOKETRAIL_BEAM& beam = g_beams[0];
  EXPECT_FLOAT_EQ(beam.aEnds[0].vPoint.z, 3.2f);
  EXPECT_FLOAT_EQ(beam.aEnds[1].vPoint.z, 13.2f);
  EXPECT_FLOAT_EQ(beam.aEnds[0].vPoint.x, 1.0f);
  EXPECT_FLOAT_EQ(beam.aEnds[1].vVector.y, 1.0f);
  EXPECT_EQ(beam.aEnds[0].adwColours[0], 0xff808080u);
  EXPECT_EQ(beam.aEnds[0].adwColours[1], 0xffe1e1e1u);
  EXPECT_EQ(beam.aEnds[1].adwColours[0], 0xff6464cdu);
  EXPECT_EQ(beam.aEnds[1].adwColours[1], 0xffc4c4c4u);
}

TEST_F(BeamTest, NoBeamWithoutATrailTaskOrWhenItRefuses) {
  EXPECT_EQ(Start(), 0);
  EXPECT_TRUE(g_beams.empty());
  vnMISSCONT_SetSmokeTrailTask(trails);
  g_answer = 0;
  EXPECT_EQ(Start(), 0);
  EXPECT_EQ(vnSmokeTrail_StartBetween(nullptr, &av, 0, 0, &b, &bv, 0, 0), 0);
}

}  // namespace
