#pragma once
// Memory, kernel, a path network from writer files, the path planner, a clock the test drives,
// and a recording controller task type that the movers answer to.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "engine/kernel/frametime.h"
#include "engine/kernel/kernel.h"
#include "engine/memory/memblock.h"
#include "platform/clock.h"
#include "tests/support/support.h"
#include "tools/writers/bstar_writer.h"
#include "world/bstar/bstar.h"
#include "world/bstar/search.h"
#include "world/mover/mover.h"
#include "world/unitman/unitman.h"

namespace movertest {

// A task type of the tests' own that logs every message it gets.
constexpr int32_t kRecorderType = 490;

struct Message {
  int32_t msg;
  SGE_PARAM p1, p2;
};

struct Recorder {
  std::vector<Message> log;
  std::map<int32_t, int32_t> answers;  // per message; 1 when not given
};

inline std::map<SGE_TASK*, Recorder>& Recorders() {
  static std::map<SGE_TASK*, Recorder> recorders;
  return recorders;
}

inline SGE_RESULT RecorderHandler(SGE_TASK* task, SGE_DATAREF* data, int32_t msg, SGE_PARAM p1,
                                  SGE_PARAM p2) {
  if (msg == SGM_TASK_CREATE) return 1;
  if (msg == SGM_TASK_DESTROY) {
    Recorders().erase(task);
    return SGE_DefaultTaskHandler(task, data, msg, p1, p2);
  }
  Recorder& r = Recorders()[task];
  r.log.push_back({msg, p1, p2});
  auto it = r.answers.find(msg);
  return it == r.answers.end() ? 1 : it->second;
}

inline uint32_t g_clockMs = 0;
inline uint32_t TestClock() { return g_clockMs; }

}  // namespace movertest

class MoverFixture : public ::testing::Test {
 protected:
  static constexpr uint32_t kMissionSize = 16u << 20;
  static constexpr uint32_t kNetworkSize = 4u << 20;
  static constexpr float kCell = 10.0f;

  void SetUp() override {
    ASSERT_EQ(SGE_InitMemoryAndKernel(0), 1);
    missionMem = std::malloc(kMissionSize);
    mission = SGE_FormatMemBlock(missionMem, kMissionSize, "mission");
    ASSERT_NE(mission, nullptr);
    movertest::g_clockMs = 100000;
    PLAT_SetClockOverride(&movertest::TestClock);
    SGE_InitFrameTiming();
    SetFrameTime(0.04f);
    ASSERT_EQ(vnMOVER_Register(), 1);
    ASSERT_EQ(SGE_RegisterTaskType(movertest::kRecorderType, movertest::RecorderHandler, 0, 0,
                                   "RECORDER"),
              1);
  }
  void TearDown() override {
    for (SGE_TASK* t : tasks) SGE_Send(t, SGM_TASK_DESTROY, 0, 0);
    movertest::Recorders().clear();
    vnMOVER_DestroyPathPlanner(planner);
    if (network) BSTAR_NetworkDestroy(network);
    SGE_ReleaseMemBlock(mission);
    std::free(missionMem);
    PLAT_SetClockOverride(nullptr);
    SGE_ShutdownKernelAndMemory();
  }

  // Every frame from now lasts `seconds` (the mean of the last three).
  static void SetFrameTime(float seconds) {
    const auto ms = static_cast<uint32_t>(std::lround(seconds * 1000.0f));
    for (int i = 0; i < 3; ++i) {
      movertest::g_clockMs += ms;
      SGE_UpdateFrameTiming();
    }
  }

  // The network and a planner over it (scale 1).
  BSTAR_Network* Build(const VNWRITE_BSTARNET& net) {
    EXPECT_TRUE(vnWRITE_BstarNetwork(dir.path(), "m", net));
    network = BSTAR_NetworkConstruct(mission, kNetworkSize, nullptr, "m");
    EXPECT_NE(network, nullptr);
    planner = vnMOVER_CreatePathPlanner(mission, nullptr, network, 1.0f);
    EXPECT_NE(planner, nullptr);
    return network;
  }
  // A grid of cols x rows regions of kCell; `edit` changes it before it is written.
  template <typename Edit>
  BSTAR_Network* BuildGrid(int32_t cols, int32_t rows, Edit edit) {
    VNWRITE_BSTARNET net = vnWRITE_BstarGrid(cols, rows, kCell, 0.0f);
    edit(net);
    return Build(net);
  }
  BSTAR_Network* BuildGrid(int32_t cols, int32_t rows) {
    return BuildGrid(cols, rows, [](VNWRITE_BSTARNET&) {});
  }
  static void RemoveLink(VNWRITE_BSTARNET& net, int32_t a, int32_t b) {
    std::erase_if(net.links, [&](const VNWRITE_BSTARLINK& l) {
      return (l.a == a && l.b == b) || (l.a == b && l.b == a);
    });
  }
  static VNWRITE_BSTARLINK& Link(VNWRITE_BSTARNET& net, int32_t a, int32_t b) {
    for (VNWRITE_BSTARLINK& l : net.links)
      if ((l.a == a && l.b == b) || (l.a == b && l.b == a)) return l;
    ADD_FAILURE() << "no link " << a << "-" << b;
    return net.links.front();
  }
  BSTAR_Node* Region(uint32_t id) { return BSTAR_FindNodeById(network, id); }

  SGE_TASK* Controller() {
    SGE_TASK* t = SGE_CreateTask(movertest::kRecorderType, nullptr, nullptr, 0, 0);
    EXPECT_NE(t, nullptr);
    tasks.push_back(t);
    return t;
  }
  std::vector<movertest::Message>& Log(SGE_TASK* t) { return movertest::Recorders()[t].log; }
  int32_t Count(SGE_TASK* t, int32_t msg) {
    int32_t n = 0;
    for (const movertest::Message& m : Log(t)) n += m.msg == msg;
    return n;
  }

  VNMOVER_CREATE Creation(const SPW_VECTOR& pos, float radius) {
    VNMOVER_CREATE c{};
    c.pPlanner = planner;
    c.vPos = pos;
    c.fRadius = radius;
    c.dwUnitId = 1;
    c.fAccel = 20.0f;
    c.fSpeed = 5.0f;
    c.fGateReach = 2.0f;
    c.fArrival = 1.0f;
    c.fTurnRate = 6.0f;
    c.vDir = {1.0f, 0.0f, 0.0f};
    return c;
  }
  // A mover of the type under a controller.
  SGE_TASK* Mover(int32_t type, SGE_TASK* controller, const VNMOVER_CREATE& c) {
    SGE_TASK* m = SGE_CreateTask(type, controller, nullptr, SGE_PtrParam(&c), 0);
    EXPECT_NE(m, nullptr);
    return m;
  }
  SGE_TASK* Ground(SGE_TASK* controller, const SPW_VECTOR& pos, float radius = 1.0f) {
    return Mover(VNTT_VEHICLE_MOVER, controller, Creation(pos, radius));
  }
  static VNMOVER_RECORD* Record(SGE_TASK* mover) {
    if (mover->nTypeId == VNTT_FLIGHT_MOVER) return SGE_TaskData<VNMOVER_FLIGHT>(mover)->pRecord;
    return SGE_TaskData<VNMOVER_GROUND>(mover)->pRecord;
  }
  static float Speed(const VNMOVER_RECORD* r) {
    return std::sqrt(r->vVel.x * r->vVel.x + r->vVel.y * r->vVel.y + r->vVel.z * r->vVel.z);
  }
  static int32_t GoTo(SGE_TASK* mover, const SPW_VECTOR& point) {
    return SGE_Send(mover, SGM_MOVER_GOTO, SGE_PtrParam(&point), 0);
  }
  // Steps the mover frame by frame until the controller hears of a new arrival; the frames
  // taken, or -1.
  int32_t RunUntilArrived(SGE_TASK* mover, SGE_TASK* controller, int32_t maxFrames = 3000) {
    const int32_t before = Count(controller, SGM_MOVER_ARRIVED);
    for (int32_t frame = 0; frame < maxFrames; ++frame) {
      SGE_Send(mover, SGM_MOVER_STEP, 0, 0);
      if (Count(controller, SGM_MOVER_ARRIVED) > before) return frame;
    }
    return -1;
  }

  vntest::TempDir dir;
  vntest::ScopedWorkingDir cwd{dir.path()};
  void* missionMem = nullptr;
  SGE_MEMBLOCK* mission = nullptr;
  BSTAR_Network* network = nullptr;
  VNMOVER_PLANNER* planner = nullptr;
  std::vector<SGE_TASK*> tasks;
};
