// The headless test world.
#include "tests/world/support/testworld.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <map>

#include "editor/aiedit.h"
#include "engine/biff/biff.h"
#include "engine/kernel/frametime.h"
#include "engine/scene/scene.h"
#include "engine/terrain/terrain.h"
#include "missions/control/misscont.h"
#include "world/bstar/bstar.h"
#include "world/mover/mover.h"
#include "world/shadow/shadow.h"
#include "platform/clock.h"
#include "world/unitman/orders.h"

namespace vnworld {
namespace {

constexpr const char* kMission = "test";
constexpr uint32_t kSlack = 1u << 20;  // formation programs, animation records, odd records
constexpr uint32_t kPlannerBytes = 1u << 20;

std::vector<Event> g_events;
Hook g_hook;
// The real handlers of the observed classes by task type, and the unit of each of their tasks.
std::map<int32_t, SGE_TASKHANDLER> g_observed;
std::map<const SGE_TASK*, uint32_t> g_observedUnits;

struct RECORDER {
  VNUNIT* pUnit;
};

SGE_RESULT Recorder(SGE_TASK* task, SGE_DATAREF* data, int32_t msg, SGE_PARAM p1, SGE_PARAM p2) {
  auto* self = SGE_TaskData<RECORDER>(task);
  if (msg == SGM_TASK_CREATE) self->pUnit = SGE_ParamPtr<VNUNIT>(p1);
  VNUNIT* unit = self ? self->pUnit : nullptr;
  g_events.push_back({unit ? unit->dwId : 0, msg, p1, p2});
  if (g_hook && msg != SGM_TASK_DESTROY) {
    const SGE_RESULT answer = g_hook(unit, msg, p1, p2);
    if (answer >= 0) return answer;
  }
  switch (msg) {
    case SGM_TASK_CREATE:
      return 1;
    case SGM_UNIT_GET_UNIT:
      return SGE_PtrResult(unit);
    case SGM_TASK_DESTROY:
      break;
    default:
      if (msg >= SGM_KERNEL_BAND_END) return 0;
  }
  return SGE_DefaultTaskHandler(task, data, msg, p1, p2);
}

SGE_RESULT Observed(SGE_TASK* task, SGE_DATAREF* data, int32_t msg, SGE_PARAM p1, SGE_PARAM p2) {
  if (msg == SGM_TASK_CREATE) {
    const auto* unit = SGE_ParamPtr<VNUNIT>(p1);
    g_observedUnits[task] = unit ? unit->dwId : 0;
  }
  const auto unit = g_observedUnits.find(task);
  g_events.push_back({unit == g_observedUnits.end() ? 0 : unit->second, msg, p1, p2});
  if (msg == SGM_TASK_DESTROY) g_observedUnits.erase(task);
  return g_observed.at(task->nTypeId)(task, data, msg, p1, p2);
}

struct STANDIN_MOVER {
  VNMOVER_RECORD record;
};

SGE_RESULT StandInMover(SGE_TASK* task, SGE_DATAREF* data, int32_t msg, SGE_PARAM p1,
                        SGE_PARAM p2) {
  auto* self = SGE_TaskData<STANDIN_MOVER>(task);
  switch (msg) {
    case SGM_MOVER_GET_RECORD: {
      const auto* create = SGE_ParamPtr<const VNMOVER_CREATE>(p1);
      self->record.pOwner = task;
      SGE_ListInit(&self->record.link);
      SGE_ListInit(&self->record.requests);
      if (create) {
        self->record.vPos = create->vPos;
        self->record.fRadius = create->fRadius;
        self->record.dwUnitId = create->dwUnitId;
        self->record.vHeading = create->vDir;
      }
      return SGE_PtrResult(&self->record);
    }
    case SGM_MOVER_SET_POSITION:
      if (p1) self->record.vPos = *SGE_ParamPtr<const SPW_VECTOR>(p1);
      return 1;
    default:
      break;
  }
  if (msg >= SGM_KERNEL_BAND_END) return 0;
  return SGE_DefaultTaskHandler(task, data, msg, p1, p2);
}

void WriteDefaultMods(const std::string& root) {
  VNWRITE_WEAPONMODS mods;
  for (auto& row : mods.matrix) row.fill(1.0f);
  mods.rowOfType.fill(-1);
  mods.colOfType.fill(-1);
  vnWRITE_WeaponMods(root, mods);
}

}  // namespace

VNWRITE_UNITATTR Row(int32_t type, uint32_t flags, std::vector<int32_t> linked, float radius,
                     float range, float health) {
  VNWRITE_UNITATTR r;
  r.type = type;
  r.flags = flags;
  r.linked = std::move(linked);
  r.floats[VN_ATTR_RADIUS - 11] = radius;
  r.floats[VN_ATTR_RANGE - 11] = range;
  r.floats[VN_ATTR_HEALTH - 11] = health;
  return r;
}

uint32_t MissionBlockBytes(const VNUNITMAN_CREATE& create, float terrainSide) {
  const auto cells = static_cast<uint64_t>(terrainSide / VNUNITMAN_GRID_CELL + 2.0f);
  const uint64_t bytes = uint64_t{vnUNITMAN_BlockBytes(&create)} + cells * cells * sizeof(SGE_DLLNODE) +
                         kSlack + SGE_MEMBLOCK_OVERHEAD;
  return static_cast<uint32_t>(bytes);
}

bool WriteDemoTree(const std::string& root) {
  const std::string command = std::string(VN_MKCONTENT_PATH) + " '" + root + "' >/dev/null 2>&1";
  return std::system(command.c_str()) == 0;
}

TestWorld::TestWorld(const Options& options) : options_(options), cwd_(dir_.path()) {
  g_events.clear();
  g_observed.clear();
  g_observedUnits.clear();
  g_hook = nullptr;
  vnAIEDIT_SetDisplayOn(0);
  kernel_ = SGE_InitMemoryAndKernel(0) == 1 && SPW_CreateEngineBlocks() == 1;
  EXPECT_TRUE(kernel_) << "memory and kernel start";
  WriteDefaultMods(dir_.path());
}

TestWorld::~TestWorld() {
  Stop();
  g_hook = nullptr;
  g_events.clear();
  vnAIEDIT_SetDisplayOn(0);
  if (kernel_) SGE_ShutdownKernelAndMemory();
}

void TestWorld::WriteAttrs(const std::vector<VNWRITE_UNITATTR>& rows) {
  EXPECT_TRUE(vnWRITE_UnitAttrs(dir_.path(), rows));
}

void TestWorld::WriteWeaponMods(const VNWRITE_WEAPONMODS& mods) {
  EXPECT_TRUE(vnWRITE_WeaponMods(dir_.path(), mods));
}

void TestWorld::WriteNetwork(const VNWRITE_BSTARNET& net) {
  EXPECT_TRUE(vnWRITE_BstarNetwork(dir_.path(), kMission, net));
  hasNetwork_ = true;
}

void TestWorld::RegisterRecorder(int32_t typeId, int32_t instanceBytes) {
  const int32_t bytes = std::max<int32_t>(instanceBytes, sizeof(RECORDER));
  EXPECT_EQ(SGE_RegisterTaskType(typeId, Recorder, SGE_TTF_ZERO_DATA, bytes, "Recorder"), 1);
}

void TestWorld::SetHook(Hook hook) { g_hook = std::move(hook); }

void TestWorld::RegisterObserved(const VNUNIT_CLASSROW& row) {
  g_observed[row.nTypeId] = row.pHandler;
  EXPECT_EQ(SGE_RegisterTaskType(row.nTypeId, Observed, row.fFlags, row.nInstanceBytes, row.pszName), 1);
}

const std::vector<Event>& TestWorld::events() const { return g_events; }

void TestWorld::ClearEvents() { g_events.clear(); }

std::vector<Event> TestWorld::EventsOf(int32_t msg) const {
  std::vector<Event> out;
  for (const Event& e : g_events)
    if (e.msg == msg) out.push_back(e);
  return out;
}

bool TestWorld::ReadDemoTerrain(SPW_TERRAINHEADER* header) {
  const std::string path = "EXPORT/Terrain/" + options_.demoMission + "/terrain.ter";
  void* heap = nullptr;
  SPW_BIFF_FILE* reader = SPW_BIFF_OpenFile(path.c_str(), &heap, SPW_BIFF_LOD_HEAP);
  if (!reader) return false;
  const bool loaded = SPW_LoadTerrainData(reader, path.c_str(), header, nullptr) == 1;
  SPW_BIFF_CloseFile(reader, heap);
  return loaded;
}

bool TestWorld::Start() {
  if (!kernel_ || manager_) return false;
  const bool demo = !options_.demoMission.empty();
  const std::string mission = demo ? options_.demoMission : kMission;
  SPW_TERRAINHEADER demoTerrain{};
  if (demo && !ReadDemoTerrain(&demoTerrain)) return false;
  struct FreeTables {
    SPW_TERRAINHEADER* header;
    ~FreeTables() { SPW_FreeTerrainData(header); }
  } freeTables{&demoTerrain};
  hasNetwork_ = hasNetwork_ || demo;
  const float side = demo ? static_cast<float>(demoTerrain.nPatchesX) * SPW_TERRAIN_PATCH_CELLS *
                                static_cast<float>(demoTerrain.nCellSize) * SPW_TERRAIN_FILE_SCALE
                          : static_cast<float>(options_.patches) * SPW_TERRAIN_PATCH_CELLS * options_.cellSize;
  uint32_t bytes = MissionBlockBytes(options_.manager, side);
  if (hasNetwork_) bytes += BSTAR_CONSTRUCT_SIZE;
  blockMemory_.assign(bytes, 0);
  block_ = SGE_FormatMemBlock(blockMemory_.data(), bytes, "TestMission");
  if (!block_) return false;
  scene_ = SPW_CreateScene(0, 1.0f, 1, 0);
  if (!scene_) return false;
  if (demo) {
    scene_->pTerrain = SPW_InitTerrain(&demoTerrain, nullptr, mission.c_str(), nullptr, 0, 0, 0);
    if (!scene_->pTerrain) return false;
  } else if (options_.patches > 0) {
    const int32_t verts = options_.patches * static_cast<int32_t>(SPW_TERRAIN_PATCH_CELLS) + 1;
    std::vector<int32_t> heights(static_cast<size_t>(verts * verts),
                                 static_cast<int32_t>(options_.height / SPW_TERRAIN_FILE_SCALE));
    std::vector<uint32_t> surfaces(static_cast<size_t>(options_.patches * options_.patches), 0);
    SPW_TERRAINHEADER header{};
    header.nCellShift = static_cast<int32_t>(SPW_TERRAIN_PATCH_SHIFT);
    header.nPatchesX = header.nPatchesY = options_.patches;
    header.nCellSize = static_cast<int32_t>(options_.cellSize / SPW_TERRAIN_FILE_SCALE);
    header.pHeights = heights.data();
    header.dwNumHeights = static_cast<uint32_t>(heights.size());
    header.pSurfaces = surfaces.data();
    header.dwNumSurfaces = static_cast<uint32_t>(surfaces.size());
    scene_->pTerrain = SPW_InitTerrain(&header, nullptr, kMission, nullptr, 0, 0, 0);
    if (!scene_->pTerrain) return false;
  }
  if (hasNetwork_) {
    network_ = BSTAR_NetworkConstruct(block_, BSTAR_CONSTRUCT_SIZE, scene_, mission.c_str());
    if (!network_) return false;
  }
  if (options_.planner) {
    if (!network_) return false;
    plannerMemory_.assign(kPlannerBytes, 0);
    plannerBlock_ = SGE_FormatMemBlock(plannerMemory_.data(), kPlannerBytes, "TestPlanner");
    planner_ = vnMOVER_CreatePathPlanner(plannerBlock_, scene_, network_, 1.0f);
    if (!planner_) return false;
  }
  const VNMISSION_WORLD world{nullptr, scene_, nullptr};
  vnMISSCONT_SetWorld(&world);
  if (options_.standInMovers) {
    EXPECT_EQ(SGE_RegisterTaskType(VNTT_VEHICLE_MOVER, StandInMover, SGE_TTF_ZERO_DATA,
                                   sizeof(STANDIN_MOVER), "StandInMover"), 1);
    EXPECT_EQ(SGE_RegisterTaskType(VNTT_FLIGHT_MOVER, StandInMover, SGE_TTF_ZERO_DATA,
                                   sizeof(STANDIN_MOVER), "StandInFlight"), 1);
  }
  if (!SGE_GetTaskType(VNTT_UNITMAN) && !vnUNITMAN_Register()) return false;
  VNUNITMAN_CREATE create = options_.manager;
  create.pBlock = block_;
  manager_ = SGE_CreateTask(VNTT_UNITMAN, nullptr, nullptr, SGE_PtrParam(&create), 0);
  if (!manager_) return false;
  if (options_.run) SGE_Send(manager_, SGM_UNITMAN_SET_RUN, 1, 0);
  if (options_.shadows) {
    const SPW_VECTOR light{0.0f, 0.0f, 1.0f};
    vnShadow_Init(block_, scene_, nullptr, &light, VNSHADOW_DEFAULT_LIGHT_HEIGHT,
                  VNSHADOW_DEFAULT_MIN_HEIGHT, VNSHADOW_DEFAULT_MAX_HEIGHT,
                  VNSHADOW_DEFAULT_INNER_RADIUS, VNSHADOW_DEFAULT_OUTER_RADIUS);
  }
  return true;
}

void TestWorld::Stop() {
  if (manager_) {
    SGE_Send(manager_, SGM_TASK_DESTROY, 0, 0);
    manager_ = nullptr;
  }
  SGE_DispatchMessages();
  if (options_.shadows && block_) vnShadow_Shutdown();
  // The movers gave their records back while the manager destroyed its units.
  if (planner_) vnMOVER_DestroyPathPlanner(planner_);
  planner_ = nullptr;
  if (plannerBlock_) SGE_ReleaseMemBlock(plannerBlock_);
  plannerBlock_ = nullptr;
  plannerMemory_.clear();
  vnMISSCONT_SetWorld(nullptr);
  if (network_) BSTAR_NetworkDestroy(network_);
  network_ = nullptr;
  if (scene_) {
    if (scene_->pTerrain) {
      scene_->pTerrain = nullptr;
      SPW_FreeTerrain(&SPW_Terrain);
    }
    SPW_DestroyScene(scene_);
    scene_ = nullptr;
  }
  if (block_) SGE_ReleaseMemBlock(block_);
  block_ = nullptr;
  blockMemory_.clear();
}

VNUNITMAN* TestWorld::state() const { return SGE_TaskData<VNUNITMAN>(manager_); }

uint32_t TestWorld::Human() const {
  VNPLAYER* p = manager_ ? SGE_Ask<VNPLAYER>(manager_, SGM_UNITMAN_HUMAN_PLAYER, 0, 0) : nullptr;
  return p ? p->dwId : 0;
}

uint32_t TestWorld::Computer() const { return vnUNITMAN_GetComputerPlayerId(); }

VNUNIT* TestWorld::Create(int32_t type, uint32_t player, SPW_VECTOR pos, SGE_DLLNODE* list,
                          VNUNIT* parent, const VNPLACE_COMMANDBLOCK* block) {
  VNUNIT_CREATE c{};
  c.nType = type;
  c.dwPlayer = player;
  c.vPos = pos;
  c.pTargetList = list;
  c.pParent = parent;
  c.nBinding = 1;
  c.vDir = {0.0f, 1.0f, 0.0f};
  return SGE_Ask<VNUNIT>(manager_, SGM_UNITMAN_CREATE_UNIT, SGE_PtrParam(&c),
                               SGE_PtrParam(block));
}

void TestWorld::Destroy(VNUNIT* unit) {
  SGE_Send(manager_, SGM_UNITMAN_DESTROY_UNIT, SGE_PtrParam(unit), 0);
}

void TestWorld::Place(VNUNIT* unit, SPW_VECTOR pos) { vnUNITMAN_SetUnitPosition(manager_, unit, &pos); }

void TestWorld::RunFrames(int32_t n) {
  for (int32_t i = 0; i < n; ++i) {
    SGE_UpdateFrameTimers();
    SGE_DispatchMessages();
  }
}

namespace {
uint32_t g_frameClockMs = 0;
uint32_t FrameClockNow() { return g_frameClockMs; }
}  // namespace

FrameClock::FrameClock(float seconds) {
  g_frameClockMs = 100000;
  PLAT_SetClockOverride(FrameClockNow);
  SGE_UpdateFrameTiming();  // the first step on this clock measures nothing
  Set(seconds);
}

FrameClock::~FrameClock() { PLAT_SetClockOverride(nullptr); }

void FrameClock::Set(float seconds) {
  const auto ms = static_cast<uint32_t>(std::lround(seconds * 1000.0f));
  for (int i = 0; i < 3; ++i) {
    g_frameClockMs += ms;
    SGE_UpdateFrameTiming();
  }
}

}  // namespace vnworld
