#pragma once
// The headless test world with what the world's placed objects need around them: the unit
// classes, a marker service, a recording mission controller, scenery loaded into the scene, models
// in the content folder and a frame clock the test sets.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "engine/biff/biff.h"
#include "engine/collide/collide.h"
#include "engine/display/display.h"
#include "engine/driver/sppd.h"
#include "engine/feature/feature.h"
#include "engine/kernel/frametime.h"
#include "engine/kernel/tasktypes.h"
#include "engine/object/object.h"
#include "engine/scenepass/scenepass.h"
#include "missions/control/misscont.h"
#include "missions/control/overlay.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "tests/world/support/testworld.h"
#include "tools/models/features.h"
#include "tools/writers/feature_writer.h"
#include "tools/writers/pow_writer.h"
#include "world/marker/marker.h"

namespace featunittest {

inline uint32_t g_clockMs = 0;
inline uint32_t Clock() { return g_clockMs; }

inline int32_t NoTextures(SPW_DISPLAY*, const char*, int32_t* out, int32_t) {
  *out = 0;
  return SPPD_OK;
}

// A class of boxes with an instance at each place (metres, on the ground).
inline vnFEATURE_GROUP Boxes(const std::string& className,
                             const std::vector<SPW_VECTOR>& places) {
  vnFEATURE_GROUP g{vnMODELS_FeatureBox(className, 50, 50, 50), {}};
  for (const SPW_VECTOR& at : places) {
    vnFEATURE_INSTANCE inst;
    inst.name = className.substr(0, 12) + std::to_string(g.instances.size());
    vnFEATURE_Place(inst, at.x * 100, at.y * 100, at.z * 100);
    g.instances.push_back(inst);
  }
  return g;
}

// The mission controller's task type, taken by a recorder that logs the mission events.
constexpr int32_t kMissionController = 4;

class PlacedObjectTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_clockMs = 100000;
    PLAT_SetClockOverride(Clock);
    SGE_UpdateFrameTiming();  // the first step on this clock measures nothing
    SetFrameTime(0.1f);
  }
  void TearDown() override {
    if (markers) SGE_Send(markers, SGM_TASK_DESTROY, 0, 0);
    vnMISSCONT_SetOverlayTask(nullptr);
    w.Stop();
    SPW_FreeAllObjectTypes();
    SPW_ReleaseObjectTypes();
    // The table lives in the engine's blocks, which go with the world.
    SPW_FeatureObjects = nullptr;
    PLAT_SetClockOverride(nullptr);
  }

  // The attribute rows, then the world with the unit classes, the mission controller and the
  // marker service.
  void Start(const std::vector<VNWRITE_UNITATTR>& rows, const std::vector<int32_t>& recorders) {
    w.WriteAttrs(rows);
    w.RegisterRecorder(kMissionController);
    ASSERT_EQ(SPW_ResetObjectTypes(), 1);
    ASSERT_TRUE(w.Start());
    ASSERT_EQ(vnUNITMAN_RegisterUnitClasses(), 1);
    // The test's recorders stand in for the program's classes of the same ids.
    for (int32_t type : recorders) w.RegisterRecorder(type);
    mission = SGE_CreateTask(kMissionController, nullptr, nullptr, 0, 0);
    ASSERT_NE(mission, nullptr);
    const VNMISSION_WORLD world{mission, w.scene(), platoon};
    vnMISSCONT_SetWorld(&world);
    ASSERT_EQ(vnMARK_Register(), 1);
    VNMARKER_DEFAULTS defaults{};
    defaults.pBlock = w.block();
    defaults.data.fLevel = 1.0f;
    markers = SGE_CreateTask(VNTT_MARKERS, nullptr, nullptr, SGE_PtrParam(&defaults), 0);
    ASSERT_NE(markers, nullptr);
    vnMISSCONT_SetOverlayTask(markers);
  }

  // Every frame from now lasts `seconds` (the mean of the last three).
  static void SetFrameTime(float seconds) {
    const auto ms = static_cast<uint32_t>(std::lround(seconds * 1000.0f));
    for (int i = 0; i < 3; ++i) {
      g_clockMs += ms;
      SGE_UpdateFrameTiming();
    }
  }

  // Loads the classes and their instances into the scene as the mission does, and builds its tree.
  void LoadScenery(const vnFEATURE_SET& set) {
    SPPD_DRIVERTABLE table{};
    table.SPPD_TextureGetID = NoTextures;
    SGE_DATAREF ref{1, sizeof table, &table};
    SPW_DISPLAY display{};
    display.pDriver = &ref;
    ASSERT_EQ(SPW_ResetFeatureObjects(), 1);
    vnBIFF_FILE file;
    vnFEATURE_AppendTo(file, set);
    ASSERT_TRUE(vnWRITE_BIFF("scenery.ter", file));
    void* heap = nullptr;
    SPW_BIFF_FILE* reader = SPW_BIFF_OpenFile("scenery.ter", &heap, SPW_BIFF_LOD_HEAP);
    ASSERT_NE(reader, nullptr);
    ASSERT_EQ(SPW_LoadFeatureObject(reader, w.scene(), &display), 1);
    SPW_BIFF_CloseFile(reader, heap);
    ASSERT_EQ(SPW_BuildSceneTree(w.scene()), 1);
  }

  SPW_FEATUREINST* Feature(const char* className, SPW_VECTOR near) {
    SPW_TREENODE* node = nullptr;
    SPW_CollideNearestByName(w.scene(), className, &near, &node);
    return node ? node->pItem : nullptr;
  }
  static bool Hidden(const SPW_FEATUREINST* f) { return (f->dwFlags & 0x4) != 0; }

  void WriteModel(const std::string& path, const vnMODEL& model) {
    const std::string full = w.content().file(path);
    ASSERT_TRUE(PLAT_MakeDirectory(w.content().file("Export").c_str()));
    ASSERT_TRUE(PLAT_MakeDirectory(w.content().file("Export/Pows").c_str()));
    ASSERT_TRUE(vnWRITE_POW(full, model));
  }

  // Frames of the unit manager and of the scenes (animation, then events), n times.
  void RunFrames(int32_t n) {
    for (int32_t i = 0; i < n; ++i) {
      w.RunFrames(1);
      SPW_AnimatePass();
      SPW_EventPass();
    }
  }

  VNMARKERS* Markers() { return SGE_TaskData<VNMARKERS>(markers); }
  int32_t MissionEvents(int32_t msg) {
    int32_t n = 0;
    for (const vnworld::Event& e : w.events()) n += e.msg == msg;
    return n;
  }

  vnworld::TestWorld w;
  SGE_TASK* mission = nullptr;
  SGE_TASK* markers = nullptr;
  VNPLATOON* platoon = nullptr;
};

}  // namespace featunittest
