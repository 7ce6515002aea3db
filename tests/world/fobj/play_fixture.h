#pragma once
// The headless test world with what the feature objects in play need around them: their
// classes, a marker service, recording mission controller and mission script, the models they
// load in the content folder, movers that record what they are told, and a frame clock the test
// sets.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "engine/dobject/dobject.h"
#include "engine/kernel/frametime.h"
#include "engine/kernel/tasktypes.h"
#include "engine/object/object.h"
#include "engine/scenepass/scenepass.h"
#include "missions/control/misscont.h"
#include "missions/control/missiontasks.h"
#include "missions/control/overlay.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "tests/world/support/testworld.h"
#include "tools/models/models.h"
#include "tools/models/playobjects.h"
#include "world/marker/marker.h"
#include "world/mover/mover.h"
#include "world/unittype/unittype.h"

namespace playtest {

inline uint32_t g_clockMs = 0;
inline uint32_t Clock() { return g_clockMs; }

// The mission controller's task type, and a free one for the mission script: both recorders.
constexpr int32_t kMissionController = 4;
constexpr int32_t kMissionScript = 480;

// What the movers were told, by unit.
struct MoverCall {
  uint32_t unitId;
  int32_t msg;
};
inline std::vector<MoverCall> g_moverCalls;

struct RECORDING_MOVER {
  VNMOVER_RECORD record;
};

inline SGE_RESULT RecordingMover(SGE_TASK* task, SGE_DATAREF* data, int32_t msg, SGE_PARAM p1,
                                 SGE_PARAM p2) {
  auto* self = SGE_TaskData<RECORDING_MOVER>(task);
  if (msg >= SGM_KERNEL_BAND_END) g_moverCalls.push_back({self->record.dwUnitId, msg});
  if (msg == SGM_MOVER_GET_RECORD) {
    const auto* create = SGE_ParamPtr<const VNMOVER_CREATE>(p1);
    self->record.pOwner = task;
    SGE_ListInit(&self->record.link);
    SGE_ListInit(&self->record.requests);
    if (create) {
      self->record.vPos = self->record.vPrevPos = create->vPos;
      self->record.dwUnitId = create->dwUnitId;
      self->record.vHeading = create->vDir;
    }
    return SGE_PtrResult(&self->record);
  }
  if (msg >= SGM_KERNEL_BAND_END) return 0;
  return SGE_DefaultTaskHandler(task, data, msg, p1, p2);
}

inline vnworld::Options NoStandInMovers() {
  vnworld::Options o;
  o.standInMovers = false;
  return o;
}

class PlayTest : public ::testing::Test {
 protected:
  PlayTest() : w(NoStandInMovers()) {}
  explicit PlayTest(const vnworld::Options& options) : w(options) {}

  void SetUp() override {
    g_moverCalls.clear();
    g_clockMs = 100000;
    PLAT_SetClockOverride(Clock);
    SGE_UpdateFrameTiming();  // the first step on this clock measures nothing
    SetFrameTime(0.1f);
  }
  void TearDown() override {
    if (markers) SGE_Send(markers, SGM_TASK_DESTROY, 0, 0);
    vnMISSCONT_SetOverlayTask(nullptr);
    vnMISSCONT_SetMissionTask(nullptr);
    w.Stop();
    SPW_FreeAllObjectTypes();
    SPW_ReleaseObjectTypes();
    PLAT_SetClockOverride(nullptr);
  }

  // Models, attribute rows, then the world with the unit classes, the mission's tasks and the
  // marker service.
  void Start(const std::vector<VNWRITE_UNITATTR>& rows, const std::vector<int32_t>& recorders = {}) {
    WriteModels();
    w.WriteAttrs(rows);
    w.RegisterRecorder(kMissionController);
    w.RegisterRecorder(kMissionScript);
    ASSERT_EQ(SGE_RegisterTaskType(VNTT_VEHICLE_MOVER, RecordingMover, SGE_TTF_ZERO_DATA,
                                   sizeof(RECORDING_MOVER), "RecordingMover"), 1);
    ASSERT_EQ(SPW_ResetObjectTypes(), 1);
    ASSERT_TRUE(w.Start());
    ASSERT_EQ(vnUNITMAN_RegisterUnitClasses(), 1);
    // The test's recorders stand in for the program's classes of the same ids.
    for (int32_t type : recorders) w.RegisterRecorder(type);
    mission = SGE_CreateTask(kMissionController, nullptr, nullptr, 0, 0);
    script = SGE_CreateTask(kMissionScript, nullptr, nullptr, 0, 0);
    ASSERT_NE(mission, nullptr);
    ASSERT_NE(script, nullptr);
    const VNMISSION_WORLD world{mission, w.scene(), nullptr};
    vnMISSCONT_SetWorld(&world);
    vnMISSCONT_SetMissionTask(script);
    ASSERT_EQ(vnMARK_Register(), 1);
    VNMARKER_DEFAULTS defaults{};
    defaults.pBlock = w.block();
    defaults.data.fLevel = 1.0f;
    markers = SGE_CreateTask(VNTT_MARKERS, nullptr, nullptr, SGE_PtrParam(&defaults), 0);
    ASSERT_NE(markers, nullptr);
    vnMISSCONT_SetOverlayTask(markers);
  }

  void WriteModels() {
    ASSERT_TRUE(PLAT_MakeDirectory(w.content().file("Export").c_str()));
    ASSERT_TRUE(PLAT_MakeDirectory(w.content().file("Export/Pows").c_str()));
    for (const auto& [file, model] : vnMODELS_PlayObjects())
      ASSERT_TRUE(vnWRITE_POW(w.content().file("Export/Pows/" + file), model)) << file;
    vnMODEL sphere = vnMODELS_Sphere();
    sphere.name = "sphere";
    ASSERT_TRUE(vnWRITE_POW(w.content().file("Export/Pows/sphere.pow"), sphere));
  }

  // Every frame from now lasts `seconds` (the mean of the last three).
  static void SetFrameTime(float seconds) {
    const auto ms = static_cast<uint32_t>(std::lround(seconds * 1000.0f));
    for (int i = 0; i < 3; ++i) {
      g_clockMs += ms;
      SGE_UpdateFrameTiming();
    }
  }

  // A unit with the creation record's first trailing word (a door's kind).
  VNUNIT* Create(int32_t type, SPW_VECTOR pos, int32_t variant = 0,
                 SPW_VECTOR dir = {0.0f, 1.0f, 0.0f}, uint32_t player = 0) {
    VNUNIT_CREATE c{};
    c.nType = type;
    c.dwPlayer = player ? player : w.Human();
    c.vPos = pos;
    c.nBinding = 1;
    c.vDir = dir;
    c.nVariant = variant;
    return vnUNITMAN_CreateUnit(&c, nullptr);
  }

  // Frames of the unit manager and of the scenes (animation, then events), n times.
  void RunFrames(int32_t n) {
    for (int32_t i = 0; i < n; ++i) {
      w.RunFrames(1);
      SPW_AnimatePass();
      SPW_EventPass();
    }
  }

  std::vector<vnworld::Event> Sent(int32_t msg) { return w.EventsOf(msg); }

  vnworld::TestWorld w;
  SGE_TASK* mission = nullptr;
  SGE_TASK* script = nullptr;
  SGE_TASK* markers = nullptr;
};

template <typename T>
T* Instance(const VNUNIT* unit) {
  return unit ? SGE_TaskData<T>(unit->pController) : nullptr;
}

}  // namespace playtest
