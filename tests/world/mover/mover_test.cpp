// Ground and flight movers under a recording controller: planning, path following to arrival,
// region notifications and trigger listeners, the escape from marked regions, flight
// sub-steps, requests and the planner's pools.
#include <algorithm>

#include "mover_fixture.h"

namespace {

using movertest::Message;

class MoverTest : public MoverFixture {
 protected:
  // The regions of the 50 notifications, in order.
  std::vector<uint32_t> Entered(SGE_TASK* controller) {
    std::vector<uint32_t> ids;
    for (const Message& m : Log(controller))
      if (m.msg == SGM_MOVER_ENTERED_REGION)
        ids.push_back(reinterpret_cast<BSTAR_Node*>(m.p2)->dwId);
    return ids;
  }
};

TEST_F(MoverTest, CreationFillsTheRecordAndFindsTheRegion) {
  BuildGrid(2, 1);
  SGE_TASK* c = Controller();
  SGE_TASK* m = Ground(c, {15, 5, 0});
  VNMOVER_RECORD* r = Record(m);
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(r->pOwner, m);
  EXPECT_EQ(r->pRegion, Region(1));
  EXPECT_FLOAT_EQ(r->fMaxSpeed, 5.0f);
  EXPECT_FLOAT_EQ(r->fGateReach, 2.0f);
  EXPECT_FLOAT_EQ(r->fArrival, 1.0f);
  EXPECT_FLOAT_EQ(r->fSpeedParam, 1.0f);
  EXPECT_FLOAT_EQ(r->vHeading.x, 1.0f);
  // side = heading x up
  EXPECT_FLOAT_EQ(r->vSide.y, -1.0f);
  EXPECT_EQ(SGE_Send(m, SGM_MOVER_GET_LINK_TYPE, 0, 0), 1);
}

TEST_F(MoverTest, GoingToTheSamePointTwiceDoesNotPlanAgain) {
  BuildGrid(3, 1);
  SGE_TASK* m = Ground(Controller(), {5, 5, 0});
  const SPW_VECTOR target{25, 5, 0};
  ASSERT_EQ(GoTo(m, target), 1);
  // With the only way closed a new plan would fail; the same target keeps the path.
  BSTAR_SetLinkEnabled(network, BSTAR_FindLink(Region(1), Region(2)), 0);
  EXPECT_EQ(GoTo(m, target), 1);
  EXPECT_TRUE(SGE_TaskData<VNMOVER_GROUND>(m)->bActive);
  EXPECT_EQ(GoTo(m, {26, 5, 0}), 0);
  EXPECT_FALSE(SGE_TaskData<VNMOVER_GROUND>(m)->bActive);
}

TEST_F(MoverTest, ATargetOutsideTheNetworkIsRefused) {
  BuildGrid(2, 1);
  SGE_TASK* m = Ground(Controller(), {5, 5, 0});
  EXPECT_EQ(GoTo(m, {100, 100, 0}), 0);
  SGE_Send(m, SGM_MOVER_STEP, 0, 0);
  EXPECT_FLOAT_EQ(Record(m)->vPos.x, 5.0f);
}

TEST_F(MoverTest, AGroundUnitFollowsTheGatesAroundAWallAndArrives) {
  // Three rows of three; the walls between columns 0 and 1 on the two lower rows leave the way
  // up, across the top row and down again.
  BuildGrid(3, 3, [](VNWRITE_BSTARNET& net) {
    RemoveLink(net, 0, 1);
    RemoveLink(net, 3, 4);
  });
  SGE_TASK* c = Controller();
  SGE_TASK* m = Ground(c, {5, 5, 0});
  const SPW_VECTOR target{15, 5, 0};
  ASSERT_EQ(GoTo(m, target), 1);
  // About 50 m at 5 m/s, 25 frames a second.
  const int32_t frames = RunUntilArrived(m, c);
  ASSERT_GE(frames, 0);
  EXPECT_LT(frames, 400);
  const VNMOVER_RECORD* r = Record(m);
  EXPECT_LT(std::hypot(r->vPos.x - target.x, r->vPos.y - target.y), r->fArrival);
  EXPECT_EQ(Entered(c), (std::vector<uint32_t>{0, 3, 6, 7, 4, 1}));
  EXPECT_EQ(Count(c, SGM_MOVER_GATE), 5);
  // Arrival stops the unit.
  EXPECT_FLOAT_EQ(Speed(r), 0.0f);
  EXPECT_FALSE(SGE_TaskData<VNMOVER_GROUND>(m)->bActive);
}

TEST_F(MoverTest, WithEveryGateInSightNearerThanTheReachTheUnitStillKeepsToThePath) {
  // The gates are nearer than the reach distance and only one is looked at: heading straight
  // for the target would run the unit into the wall between it and the target.
  BuildGrid(3, 3, [](VNWRITE_BSTARNET& net) {
    RemoveLink(net, 0, 1);
    RemoveLink(net, 3, 4);
  });
  SGE_TASK* c = Controller();
  VNMOVER_CREATE create = Creation({5, 5, 0}, 1.0f);
  create.fGateReach = 25.0f;
  SGE_TASK* m = Mover(VNTT_VEHICLE_MOVER, c, create);
  SGE_Send(m, SGM_MOVER_SET_LOOKAHEAD, 1, 0);
  ASSERT_EQ(GoTo(m, {15, 5, 0}), 1);
  ASSERT_GE(RunUntilArrived(m, c), 0);
  EXPECT_EQ(Entered(c), (std::vector<uint32_t>{0, 3, 6, 7, 4, 1}));
}

TEST_F(MoverTest, APathThatCannotBePlannedAgainIsDroppedAndTheUnitStops) {
  BuildGrid(3, 1);
  SGE_TASK* c = Controller();
  SGE_TASK* m = Ground(c, {5, 5, 0});
  ASSERT_EQ(GoTo(m, {25, 5, 0}), 1);
  for (int32_t i = 0; i < 5; ++i) SGE_Send(m, SGM_MOVER_STEP, 0, 0);
  ASSERT_GT(Speed(Record(m)), 0.0f);
  BSTAR_SetLinkEnabled(network, BSTAR_FindLink(Region(0), Region(1)), 0);
  SGE_Send(m, SGM_MOVER_STEP, 0, 0);
  EXPECT_FALSE(SGE_TaskData<VNMOVER_GROUND>(m)->bActive);
  EXPECT_FLOAT_EQ(Speed(Record(m)), 0.0f);
  EXPECT_EQ(Count(c, SGM_MOVER_ARRIVED), 0);
}

TEST_F(MoverTest, AGateClosedOnTheWayIsGoneAroundAfterPlanningAgain) {
  BuildGrid(3, 2);
  SGE_TASK* c = Controller();
  SGE_TASK* m = Ground(c, {5, 5, 0});
  ASSERT_EQ(GoTo(m, {25, 5, 0}), 1);
  BSTAR_SetLinkEnabled(network, BSTAR_FindLink(Region(1), Region(2)), 0);
  ASSERT_GE(RunUntilArrived(m, c), 0);
  const std::vector<uint32_t> entered = Entered(c);
  EXPECT_EQ(entered.back(), 2u);
  EXPECT_NE(std::find(entered.begin(), entered.end(), 5u), entered.end());
}

TEST_F(MoverTest, TheStateAndTheCurrentNodeAreReadDirectly) {
  BuildGrid(2, 1);
  SGE_TASK* m = Ground(Controller(), {15, 5, 0});
  VNMOVER_RECORD copy{};
  ASSERT_EQ(vnMOVER_GetMovementState(m, &copy), 1);
  EXPECT_EQ(copy.pRegion, Region(1));
  SPW_VECTOR pos;
  float box[4];
  EXPECT_EQ(vnMOVER_GetCurrentNode(m, &pos, box), 0);
  EXPECT_FLOAT_EQ(pos.x, 15.0f);
  EXPECT_FLOAT_EQ(box[0], 10.0f);
  EXPECT_FLOAT_EQ(box[3], 10.0f);
  // A path under way steps first.
  ASSERT_EQ(GoTo(m, {5, 5, 0}), 1);
  EXPECT_EQ(vnMOVER_GetCurrentNode(m, &pos, box), 1);
  EXPECT_LT(pos.x, 15.0f);
  SGE_TASK* other = Controller();
  EXPECT_EQ(vnMOVER_GetMovementState(other, &copy), 0);
  EXPECT_EQ(vnMOVER_QueueRequest(other, VNMOVER_REQ_TURN, nullptr, 0.0f), nullptr);
}

TEST_F(MoverTest, LeavingARegionIsToldBeforeEnteringTheNext) {
  BuildGrid(3, 1);
  SGE_TASK* c = Controller();
  SGE_TASK* m = Ground(c, {5, 5, 0});
  ASSERT_EQ(GoTo(m, {25, 5, 0}), 1);
  ASSERT_GE(RunUntilArrived(m, c), 0);
  std::vector<int32_t> order;
  for (const Message& msg : Log(c))
    if (msg.msg == SGM_MOVER_LEFT_REGION || msg.msg == SGM_MOVER_ENTERED_REGION)
      order.push_back(msg.msg);
  // The first region was entered at creation; each change after it is a 49 then a 50.
  EXPECT_EQ(order, (std::vector<int32_t>{50, 49, 50, 49, 50}));
}

TEST_F(MoverTest, ListenersHearOfTriggerRegionsUntilOneSaysNo) {
  BuildGrid(3, 1, [](VNWRITE_BSTARNET& net) { net.nodes[1].flags |= VNMOVER_REGION_TRIGGER; });
  SGE_TASK* first = Controller();
  SGE_TASK* second = Controller();
  ASSERT_EQ(vnMOVER_AddListener(planner, first), 1);
  ASSERT_EQ(vnMOVER_AddListener(planner, second), 1);
  EXPECT_EQ(Count(first, SGM_MOVER_LISTENER_ADDED), 1);
  SGE_TASK* c = Controller();
  SGE_TASK* m = Ground(c, {5, 5, 0});
  ASSERT_EQ(GoTo(m, {25, 5, 0}), 1);
  ASSERT_GE(RunUntilArrived(m, c), 0);
  std::vector<Message> heard;
  for (const Message& msg : Log(first))
    if (msg.msg == SGM_MOVER_TRIGGER_ENTERED || msg.msg == SGM_MOVER_TRIGGER_LEFT)
      heard.push_back(msg);
  ASSERT_EQ(heard.size(), 2u);
  EXPECT_EQ(heard[0].msg, SGM_MOVER_TRIGGER_ENTERED);
  EXPECT_EQ(heard[0].p1, SGE_PtrParam(Region(1)));
  EXPECT_EQ(heard[0].p2, SGE_PtrParam(Record(m)));
  EXPECT_EQ(heard[1].msg, SGM_MOVER_TRIGGER_LEFT);
  EXPECT_EQ(Count(second, SGM_MOVER_TRIGGER_ENTERED), 1);

  // A first listener that answers 0 keeps the news from the second.
  movertest::Recorders()[first].answers[SGM_MOVER_TRIGGER_ENTERED] = 0;
  ASSERT_EQ(GoTo(m, {5, 5, 0}), 1);
  ASSERT_GE(RunUntilArrived(m, c), 0);
  EXPECT_EQ(Count(first, SGM_MOVER_TRIGGER_ENTERED), 2);
  EXPECT_EQ(Count(second, SGM_MOVER_TRIGGER_ENTERED), 1);

  EXPECT_EQ(vnMOVER_RemoveListener(planner, second), 1);
  EXPECT_EQ(Count(second, SGM_MOVER_LISTENER_REMOVED), 1);
  EXPECT_EQ(vnMOVER_RemoveListener(planner, second), 0);
}

TEST_F(MoverTest, AUnitInAMarkedRegionWalksOutThroughItsNearestGate) {
  BuildGrid(3, 1, [](VNWRITE_BSTARNET& net) { net.nodes[1].flags |= BSTAR_NODE_USERMARK; });
  SGE_TASK* c = Controller();
  SGE_TASK* m = Ground(c, {17, 5, 0});
  for (int32_t frame = 0; frame < 100 && Record(m)->pRegion == Region(1); ++frame)
    SGE_Send(m, SGM_MOVER_STEP, 0, 0);
  EXPECT_EQ(Record(m)->pRegion, Region(2));
  EXPECT_FLOAT_EQ(Speed(Record(m)), 0.0f);
  // Its links are closed behind it and the gate queries' mask is back.
  EXPECT_TRUE(BSTAR_FindLink(Region(1), Region(2))->dwFlags & BSTAR_LINK_DISABLED);
  EXPECT_EQ(BSTAR_GetGateMask(), 3u);
}

TEST_F(MoverTest, FlightFrameTimeIsEatenInSubSteps) {
  // Each sub-step adds acceleration x scale (1) to the speed, so the distance flown tells how
  // many sub-steps of what length were taken.
  struct Case {
    float frame;
    float distance;  // 0.04: two steps of 0.02; 0.1: two of 1/30 and the rest
  };
  const Case cases[] = {{0.04f, 0.02f * 1 + 0.02f * 2},
                        {0.1f, 0.033333335f * 1 + 0.033333335f * 2 + 0.03333333f * 3},
                        {0.02f, 0.02f}};
  BuildGrid(1, 1);
  for (const Case& k : cases) {
    SetFrameTime(k.frame);
    VNMOVER_CREATE create = Creation({0, 0, 10}, 1.0f);
    create.fAccel = 1.0f;
    create.fSpeed = 100.0f;
    SGE_TASK* m = Mover(VNTT_FLIGHT_MOVER, Controller(), create);
    const SPW_VECTOR target{1000, 0, 10};
    EXPECT_EQ(SGE_Send(m, SGM_MOVER_GOTO, SGE_PtrParam(&target), 0), 1);
    SGE_Send(m, SGM_MOVER_STEP, 0, 0);
    EXPECT_NEAR(Record(m)->vPos.x, k.distance, 1e-5f) << k.frame;
  }
}

TEST_F(MoverTest, AFlightMoverTurnsTowardsItsTargetAndTellsOfArrival) {
  BuildGrid(1, 1);
  SGE_TASK* c = Controller();
  VNMOVER_CREATE create = Creation({0, 0, 10}, 1.0f);
  create.fArrival = 2.0f;
  SGE_TASK* m = Mover(VNTT_FLIGHT_MOVER, c, create);
  const SPW_VECTOR target{0, 20, 10};
  SGE_Send(m, SGM_MOVER_GOTO, SGE_PtrParam(&target), 0);
  ASSERT_GE(RunUntilArrived(m, c), 0);
  const VNMOVER_RECORD* r = Record(m);
  EXPECT_LT(SPW_VecDist(&r->vPos, &target), 2.0f);
  EXPECT_GT(r->vHeading.y, 0.9f);
  float speeds[4];
  EXPECT_EQ(SGE_Send(m, SGM_MOVER_GET_SPEEDS, SGE_PtrParam(speeds), 0), 1);
  EXPECT_FLOAT_EQ(speeds[1], 5.0f);
  SGE_Send(m, SGM_MOVER_STOP, 0, 0);
  EXPECT_EQ(SGE_Send(m, SGM_MOVER_STEP, 0, 0), 0);
}

TEST_F(MoverTest, LinkTypeAndLookAheadSettingsAreBounded) {
  BuildGrid(1, 1);
  SGE_TASK* m = Ground(Controller(), {5, 5, 0});
  EXPECT_EQ(SGE_Send(m, SGM_MOVER_SET_LINK_TYPE, 3, 0), 1);
  EXPECT_EQ(SGE_Send(m, SGM_MOVER_SET_LINK_TYPE, 9, 0), 3);
  EXPECT_EQ(SGE_Send(m, SGM_MOVER_GET_LINK_TYPE, 0, 0), 4);
  SGE_Send(m, SGM_MOVER_SET_LOOKAHEAD, 25, 0);
  EXPECT_EQ(SGE_Send(m, SGM_MOVER_GET_LOOKAHEAD, 0, 0), 10);
  SGE_Send(m, SGM_MOVER_SET_LOOKAHEAD, -2, 0);
  EXPECT_EQ(SGE_Send(m, SGM_MOVER_GET_LOOKAHEAD, 0, 0), 0);
}

TEST_F(MoverTest, ATimedRequestRunsForItsTimeAndIsThenReturned) {
  BuildGrid(3, 1);
  SGE_TASK* c = Controller();
  SGE_TASK* m = Ground(c, {5, 5, 0});
  VNMOVER_REQUEST* q =
      vnMOVER_QueueRequest(m, VNMOVER_REQ_VELOCITY | VNMOVER_REQ_TIMED, nullptr, 0.1f);
  ASSERT_NE(q, nullptr);
  q->fSpeed = 2.0f;
  EXPECT_EQ(Count(c, SGM_MOVER_REQUEST_QUEUED), 1);
  for (int32_t i = 0; i < 5; ++i) SGE_Send(m, SGM_MOVER_STEP, 0, 0);
  EXPECT_EQ(Count(c, SGM_MOVER_REQUEST_DONE), 1);
  EXPECT_TRUE(SGE_ListIsEmpty(&Record(m)->requests));
  // Moved along the heading while it ran, and not by the controller's say (no 53 asked).
  EXPECT_GT(Record(m)->vPos.x, 5.1f);
  EXPECT_EQ(Count(c, SGM_MOVER_RUN_REQUEST), 0);
}

TEST_F(MoverTest, AnOpenRequestRunsWhileTheControllerSaysSoAndEndsWhenMarked) {
  BuildGrid(3, 1);
  SGE_TASK* c = Controller();
  SGE_TASK* m = Ground(c, {5, 5, 0});
  const SPW_VECTOR offset{0.5f, 0, 0};
  VNMOVER_REQUEST* q = vnMOVER_QueueRequest(m, VNMOVER_REQ_OFFSET, &offset, 0.0f);
  ASSERT_NE(q, nullptr);
  movertest::Recorders()[c].answers[SGM_MOVER_RUN_REQUEST] = VNMOVER_REQ_OFFSET;
  SGE_Send(m, SGM_MOVER_STEP, 0, 0);  // two sub-steps of 0.02
  EXPECT_FLOAT_EQ(Record(m)->vPos.x, 6.0f);
  vnMOVER_MarkRequest(q);
  SGE_Send(m, SGM_MOVER_STEP, 0, 0);
  EXPECT_FLOAT_EQ(Record(m)->vPos.x, 6.0f);
  EXPECT_EQ(Count(c, SGM_MOVER_REQUEST_DONE), 1);
}

TEST_F(MoverTest, DestroyedMoversGiveTheirRecordsBack) {
  BuildGrid(1, 1);
  SGE_TASK* c = Controller();
  SGE_TASK* m = Ground(c, {5, 5, 0});
  VNMOVER_RECORD* first = Record(m);
  EXPECT_EQ(vnMOVER_Destroy(m), 0);
  SGE_TASK* again = Ground(c, {5, 5, 0});
  EXPECT_EQ(Record(again), first);
}

TEST_F(MoverTest, WithoutAMovementRecordTheMoverIsInert) {
  BuildGrid(1, 1);
  // A planner in a block with room for nothing but itself.
  alignas(8) static uint8_t memory[SGE_MEMBLOCK_OVERHEAD + sizeof(VNMOVER_PLANNER)];
  SGE_MEMBLOCK* tiny = SGE_FormatMemBlock(memory, sizeof(memory), "tiny");
  VNMOVER_PLANNER* starved = vnMOVER_CreatePathPlanner(tiny, nullptr, network, 1.0f);
  ASSERT_NE(starved, nullptr);
  VNMOVER_CREATE create = Creation({5, 5, 0}, 1.0f);
  create.pPlanner = starved;
  SGE_TASK* m = Mover(VNTT_VEHICLE_MOVER, Controller(), create);
  EXPECT_EQ(SGE_Ask<VNMOVER_RECORD>(m, SGM_MOVER_GET_RECORD, SGE_PtrParam(&create), 0), nullptr);
  EXPECT_EQ(GoTo(m, {5, 5, 0}), 0);
  EXPECT_EQ(SGE_Send(m, SGM_MOVER_STEP, 0, 0), 0);
  EXPECT_EQ(vnMOVER_QueueRequest(m, VNMOVER_REQ_TURN, nullptr, 0.0f), nullptr);
  vnMOVER_DestroyPathPlanner(starved);
  SGE_ReleaseMemBlock(tiny);
}

TEST_F(MoverTest, RandomPointsComeFromTheKind32Nodes) {
  BuildGrid(1, 1, [](VNWRITE_BSTARNET& net) {
    VNWRITE_BSTARNODE p;
    p.id = 100;
    p.flags = BSTAR_KIND_PLANNER << BSTAR_KIND_SHIFT;
    p.x = 3;
    p.y = 4;
    p.z = 5;
    net.nodes.push_back(p);
  });
  ASSERT_EQ(planner->nPoints, 1);
  SGE_TASK* m = Ground(Controller(), {5, 5, 0});
  const auto* point = SGE_Ask<const float>(m, SGM_MOVER_RANDOM_POINT, 0, 0);
  ASSERT_NE(point, nullptr);
  EXPECT_FLOAT_EQ(point[0], 3.0f);
  EXPECT_FLOAT_EQ(point[2], 5.0f);
}

}  // namespace
