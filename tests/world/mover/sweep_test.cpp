// Disc and segment sweeps through the path network: walls, disabled gates under each mask,
// gate types, slides and the regions they end in.
#include "mover_fixture.h"

namespace {

class SweepTest : public MoverFixture {
 protected:
  struct Result {
    BSTAR_Node* region;
    SPW_VECTOR point;
    SPW_VECTOR vel;
    int32_t blocked;
  };
  Result Disc(const SPW_VECTOR& from, const SPW_VECTOR& to, float radius = 1.0f,
              uint32_t mask = VNMOVER_SWEEP_WALLS_AND_GATES, uint32_t type = 1) {
    Result r{};
    const SPW_VECTOR vel{to.x - from.x, to.y - from.y, 0.0f};
    r.region = vnMOVER_SweepDisc(network, BSTAR_FindNodeAtPoint(network, &from), radius, type,
                                 &from, &to, &vel, &r.point, &r.vel, &r.blocked, mask);
    return r;
  }
};

TEST_F(SweepTest, AnOpenCorridorIsCrossedToTheEnd) {
  BuildGrid(3, 1);
  const Result r = Disc({5, 5, 0}, {25, 5, 0});
  EXPECT_EQ(r.blocked, 0);
  EXPECT_FLOAT_EQ(r.point.x, 25.0f);
  EXPECT_EQ(r.region, Region(2));
}

TEST_F(SweepTest, AWallStopsTheDiscItsRadiusShortAndTheRestSlidesAlongIt) {
  BuildGrid(3, 1, [](VNWRITE_BSTARNET& net) { RemoveLink(net, 0, 1); });
  const Result straight = Disc({5, 5, 0}, {25, 5, 0});
  EXPECT_EQ(straight.blocked, 1);
  EXPECT_NEAR(straight.point.x, 9.0f, 0.002f);
  EXPECT_EQ(straight.region, Region(0));

  const Result slant = Disc({5, 5, 0}, {25, 8, 0});
  EXPECT_EQ(slant.blocked, 1);
  EXPECT_NEAR(slant.point.x, 9.0f - 0.001f, 1e-4f);
  EXPECT_FLOAT_EQ(slant.point.y, 8.0f);   // the motion along the wall is kept
  EXPECT_NEAR(slant.vel.x, 0.0f, 1e-5f);  // none of the velocity goes into the wall
  EXPECT_FLOAT_EQ(slant.vel.y, 3.0f);
}

TEST_F(SweepTest, ADisabledGateBlocksUnderMask3AndPassesUnderMask1) {
  BuildGrid(3, 1, [](VNWRITE_BSTARNET& net) { Link(net, 1, 2).disabled = true; });
  const Result closed = Disc({5, 5, 0}, {25, 5, 0}, 1.0f, VNMOVER_SWEEP_WALLS_AND_GATES);
  EXPECT_EQ(closed.blocked, 1);
  EXPECT_NEAR(closed.point.x, 19.0f, 0.002f);
  EXPECT_EQ(closed.region, Region(1));

  const Result open = Disc({5, 5, 0}, {25, 5, 0}, 1.0f, VNMOVER_SWEEP_WALLS);
  EXPECT_EQ(open.blocked, 0);
  EXPECT_FLOAT_EQ(open.point.x, 25.0f);
  EXPECT_EQ(open.region, Region(2));
}

TEST_F(SweepTest, AGateOfAHigherTypeThanAllowedBlocks) {
  BuildGrid(2, 1, [](VNWRITE_BSTARNET& net) { Link(net, 0, 1).type = 3; });
  EXPECT_EQ(Disc({5, 5, 0}, {15, 5, 0}, 1.0f, VNMOVER_SWEEP_WALLS_AND_GATES, 2).blocked, 1);
  EXPECT_EQ(Disc({5, 5, 0}, {15, 5, 0}, 1.0f, VNMOVER_SWEEP_WALLS_AND_GATES, 3).blocked, 0);
}

TEST_F(SweepTest, ADiscNearAGateTouchesTheWallBeyondIt) {
  // Region 3's lower edge is a wall (1 and 3 are not linked) that starts at the gate 2-3: a
  // disc passing through the gate just above it meets its end and slides up over it.
  BuildGrid(2, 2, [](VNWRITE_BSTARNET& net) { RemoveLink(net, 1, 3); });
  const Result r = Disc({5, 10.5f, 0}, {15, 10.5f, 0});
  EXPECT_EQ(r.blocked, 1);
  EXPECT_GE(r.point.y, 11.0f);
  EXPECT_LT(r.point.x, 15.0f);
  EXPECT_EQ(r.region, Region(3));
}

TEST_F(SweepTest, ASegmentStopsAtTheWallItselfAndHasNoRadius) {
  BuildGrid(3, 1, [](VNWRITE_BSTARNET& net) { RemoveLink(net, 1, 2); });
  const SPW_VECTOR start{5, 5, 0}, delta{20, 0, 0};
  SPW_VECTOR point;
  int32_t blocked = 0;
  BSTAR_Node* region = vnMOVER_SweepSegment(network, Region(0), 1, &start, &delta, &point, &blocked,
                                            VNMOVER_SWEEP_WALLS_AND_GATES);
  EXPECT_EQ(blocked, 1);
  EXPECT_NEAR(point.x, 20.0f - 0.001f, 1e-4f);
  EXPECT_EQ(region, Region(1));
}

TEST_F(SweepTest, ACornerTakesTwoContactsAndKeepsTheDiscInside) {
  BuildGrid(1, 1);
  const Result r = Disc({5, 5, 0}, {30, 30, 0});
  EXPECT_EQ(r.blocked, 1);
  EXPECT_NEAR(r.point.x, 9.0f, 0.01f);
  EXPECT_NEAR(r.point.y, 9.0f, 0.01f);
  EXPECT_EQ(r.region, Region(0));
}

TEST_F(SweepTest, ADiscDrivenIntoANarrowWedgeStopsClearOfBothWalls) {
  // One triangular region whose tip is too narrow for the disc: every slide along one wall
  // runs into the other, and the sweep gives up after its fourth contact.
  VNWRITE_BSTARNET net;
  VNWRITE_BSTARNODE region;
  region.x = 14;
  region.radius = 5;
  region.bValue = 1u << 16 | 2u;
  net.nodes.push_back(region);
  const float corners[3][2] = {{0, 0}, {20, -3}, {20, 3}};
  for (int32_t i = 0; i < 3; ++i) {
    VNWRITE_BSTARNODE v;
    v.id = i + 1;
    v.flags = BSTAR_KIND_VERTEX << BSTAR_KIND_SHIFT;
    v.x = corners[i][0];
    v.y = corners[i][1];
    net.nodes.push_back(v);
    net.links.push_back({i + 1, (i + 1) % 3 + 1, 1, 1, 1, false});
  }
  Build(net);
  ASSERT_EQ(Region(0)->nOutlineCount, 3);
  const Result r = Disc({16, 0.5f, 0}, {-10, -0.5f, 0});
  EXPECT_EQ(r.blocked, 1);
  EXPECT_EQ(r.region, Region(0));
  // Distance to each wall line through the tip: |cross| / length.
  const float len = std::sqrt(20.0f * 20.0f + 3.0f * 3.0f);
  EXPECT_GE(std::fabs(r.point.x * -3.0f - r.point.y * 20.0f) / len, 1.0f - 1e-3f);
  EXPECT_GE(std::fabs(r.point.x * 3.0f - r.point.y * 20.0f) / len, 1.0f - 1e-3f);
  EXPECT_GT(r.point.x, 6.0f);  // where the wedge is two radii wide
}

TEST_F(SweepTest, OutsideTheNetworkNothingBlocks) {
  BuildGrid(1, 1);
  const Result r = Disc({-50, -50, 0}, {-40, -50, 0});
  EXPECT_EQ(r.region, nullptr);
  EXPECT_EQ(r.blocked, 0);
  EXPECT_FLOAT_EQ(r.point.x, -40.0f);
}

}  // namespace
