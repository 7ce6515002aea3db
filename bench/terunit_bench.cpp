// The soldiers' frame: 1,000 infantry soldiers of the real class in the demo mission (its
// terrain, path network, unit rows, models and sounds as mkcontent writes them; the null
// display's driver and the null sound output), driven by the unit manager's frame through fixed
// frames of 33 ms. The goals compare the same frames with the plain walkers of the unit
// manager's benchmark registered in the infantry class instead: the same units at the same
// places, so the sighting, dispatch and movers' work is alike and what differs is the soldiers'.
//  - fight: 500 ZR soldiers walk over the network among 500 zombies of the computer player,
//    within their range (they fire);
//  - idle: the same 1,000 of one player, standing without orders.
// Every repetition makes its units afresh, so each one measures the same frames; after each goal's
// times a line tells what the soldiers did in their last frames (moved, fired, hit).
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/goal.h"
#include "bench/null_display.h"
#include "bench/unitworld.h"
#include "engine/biff/biff.h"
#include "engine/kernel/frametime.h"
#include "engine/object/object.h"
#include "engine/scene/scene.h"
#include "engine/sprite/sprite.h"
#include "engine/terrain/terrain.h"
#include "platform/clock.h"
#include "platform/trace.h"
#include "shell/sound/sound.h"
#include "terran/handler.h"
#include "terran/infantry.h"
#include "tools/models/terrain.h"
#include "world/bstar/bstar.h"
#include "world/mover/mover.h"
#include "world/shadow/shadow.h"
#include "world/unitman/unitclass.h"
#include "world/unitman/unitman.h"

namespace {

constexpr const char* kMission = "C1M1A";
constexpr int32_t kSoldiers = 1000;
constexpr int32_t kFrames = 40;
constexpr int32_t kReps = 7;
constexpr uint32_t kFrameMs = 33;
constexpr uint32_t kPlannerBytes = 1u << 20;
constexpr uint32_t kDObjectBytes = 48u << 20;
constexpr uint32_t kBreakpointBytes = 32u << 20;
constexpr double kFightTarget = 23.0;  // soldiers over walkers (about 9)
constexpr double kIdleTarget = 5.0;    // (about 1.2)
// The demo network: 12 x 12 regions of 8 m centred on the landing area. The soldiers stand on a
// lattice inside it, 3 m apart and never on a region's edge, and the walkers keep to it.
constexpr float kNetworkHalf = 48.0f;
constexpr float kMargin = 2.5f;  // off the regions' edges
constexpr float kWalk = 14.0f;
constexpr float kSpacing = 3.0f;
constexpr int32_t kLatticeSide = 32;

// A ZR soldier comes with two guns, a zombie with none: 500 of each fill the manager's 2,000
// units. Every model and gun takes a link node.
constexpr int32_t kLinkNodes = 3 * kSoldiers;
constexpr VNUNITMAN_CREATE kPools{VNUNITMAN_MISSION_UNITS, VNUNITMAN_MISSION_DATABLOCKS, kLinkNodes,
                                  VNUNITMAN_MISSION_PLAYERS, nullptr};

uint32_t g_clockMs = 0;
uint32_t FixedClock() { return g_clockMs; }

// One frame of the game's length: the clock steps, the timing reads it, the timers tick.
void Frame() {
  g_clockMs += kFrameMs;
  SGE_UpdateFrameTiming();
  vnBENCH_RunFrames(1);
}

// Who stands where and what they do.
struct Placed {
  int32_t type;
  bool enemy;   // of the computer player
  bool moving;  // ordered to the far side of the network
  SPW_VECTOR at;
  SPW_VECTOR goal;
};

// Half ZR soldiers and half zombies, alternating along rows and columns. Fighting, the zombies
// are the computer player's and the soldiers walk 14 m along x, away from the nearer edge (a
// path of at most three regions: the network's path cells hold 500 of them); idle, all are the
// human player's and stand.
std::vector<Placed> Layout(bool fight) {
  std::vector<Placed> out;
  const float x0 = vnMODELS_TERRAIN_PAD_X - kNetworkHalf + kMargin;
  const float y0 = vnMODELS_TERRAIN_PAD_Y - kNetworkHalf + kMargin;
  for (int32_t i = 0; i < kSoldiers; ++i) {
    const float x = x0 + static_cast<float>(i % kLatticeSide) * kSpacing;
    const float y = y0 + static_cast<float>(i / kLatticeSide) * kSpacing;
    const bool zombie = (i + i / kLatticeSide) & 1;
    const float gx = x + (x < vnMODELS_TERRAIN_PAD_X ? kWalk : -kWalk);
    out.push_back({zombie ? VN_UNIT_TYPE_TERRAN_ZOMBIE_ACTIVE : VN_UNIT_TYPE_TERRAN_ZR_0,
                   fight && zombie, fight && !zombie, {x, y, vnMODELS_TerrainHeight(x, y)},
                   {gx, y, vnMODELS_TerrainHeight(gx, y)}});
  }
  return out;
}

struct World {
  vnBENCH_NULLDISPLAY display;
  std::string dir;
  std::vector<uint8_t> memory, plannerMemory, dobjectMemory, breakpointMemory;
  SPW_SCENE* scene = nullptr;
  BSTAR_Network* network = nullptr;
  VNMOVER_PLANNER* planner = nullptr;
  SGE_TASK* manager = nullptr;
  std::vector<VNUNIT*> units;
  std::vector<float> firstHealth;

  World() {
    PLAT_SetTraceSink(vnBENCH_Silent, nullptr);
    // Sounds play over the null output however the program is started.
    setenv("VANTORIA_HEADLESS", "1", 0);
    std::string pattern = (std::filesystem::temp_directory_path() / "vn_terunit_bench_XXXXXX").string();
    if (!mkdtemp(pattern.data())) std::abort();
    dir = pattern;
    const std::string command = std::string(VN_MKCONTENT_PATH) + " '" + dir + "' >/dev/null 2>&1";
    if (std::system(command.c_str()) != 0) std::abort();
    std::filesystem::current_path(dir);
    PLAT_SetClockOverride(FixedClock);
    // The engine memory comes with the null display, whose driver gives the shadows' textures.
    if (!display.Open("terunit", true) || SGE_InitKernel() != 1) std::abort();
    WidenEngineBlocks();
    if (vnMOVER_Register() != 1 || SPW_ResetObjectTypes() != 1 || !vnUNITMAN_Register()) std::abort();
    MakeScene();
    SGE_MEMBLOCK* block = vnBENCH_MissionBlock(&memory, TerrainSide(), kPools, BSTAR_CONSTRUCT_SIZE);
    if (!block || !(network = BSTAR_NetworkConstruct(block, BSTAR_CONSTRUCT_SIZE, scene, kMission)))
      std::abort();
    plannerMemory.assign(kPlannerBytes, 0);
    SGE_MEMBLOCK* plannerBlock = SGE_FormatMemBlock(plannerMemory.data(), kPlannerBytes, "BenchPlanner");
    if (!plannerBlock || !(planner = vnMOVER_CreatePathPlanner(plannerBlock, scene, network, 1.0f)))
      std::abort();
    if (!(manager = vnBENCH_StartUnitManager(block, scene, kPools))) std::abort();
    const SPW_VECTOR light{0.0f, 0.0f, 1.0f};
    vnShadow_Init(block, scene, &display.display, &light, VNSHADOW_DEFAULT_LIGHT_HEIGHT,
                  VNSHADOW_DEFAULT_MIN_HEIGHT, VNSHADOW_DEFAULT_MAX_HEIGHT,
                  VNSHADOW_DEFAULT_INNER_RADIUS, VNSHADOW_DEFAULT_OUTER_RADIUS);
    SPW_InitSprites();
    if (vnSOUND_Init() != 1) std::abort();
    vnSOUND_LoadGroup(VN_SOUND_GROUP_GAME);
    vnSOUND_LoadVoiceTypes();
    if (vnUNITMAN_RegisterUnitClasses() != 1) std::abort();
    SGE_ResetFrameTiming();
  }
  // The kernel stays up to the end of the program; the sound thread and the folders go.
  ~World() {
    vnSOUND_Close();
    std::filesystem::remove_all(dir);
    std::filesystem::remove_all(display.folder);
  }

  // The engine's blocks for soldiers' models and for the breakpoints of their animations are
  // sized for a mission's few dozen soldiers (every soldier marks the ends of its 210
  // animations); a thousand soldiers get blocks of their own, empty and carved before anything
  // is made.
  void WidenEngineBlocks() {
    dobjectMemory.assign(kDObjectBytes, 0);
    breakpointMemory.assign(kBreakpointBytes, 0);
    SPW_DObjectMem = SGE_FormatMemBlock(dobjectMemory.data(), kDObjectBytes, "SPW_DObjectMem");
    SPW_BrkPtsMem = SGE_FormatMemBlock(breakpointMemory.data(), kBreakpointBytes, "SPW_BrkPtsMem");
    if (!SPW_DObjectMem || !SPW_BrkPtsMem) std::abort();
  }

  float TerrainSide() const {
    return static_cast<float>(vnMODELS_TERRAIN_PATCHES * SPW_TERRAIN_PATCH_CELLS) *
           static_cast<float>(vnMODELS_TERRAIN_CELL) * SPW_TERRAIN_FILE_SCALE;
  }

  void MakeScene() {
    const std::string path = std::string("EXPORT/Terrain/") + kMission + "/terrain.ter";
    SPW_TERRAINHEADER header{};
    void* heap = nullptr;
    SPW_BIFF_FILE* reader = SPW_BIFF_OpenFile(path.c_str(), &heap, SPW_BIFF_LOD_HEAP);
    if (!reader) std::abort();
    const bool loaded = SPW_LoadTerrainData(reader, path.c_str(), &header, nullptr) == 1;
    SPW_BIFF_CloseFile(reader, heap);
    scene = SPW_CreateScene(0, 1.0f, 1, 0);
    if (!loaded || !scene ||
        !(scene->pTerrain = SPW_InitTerrain(&header, nullptr, kMission, nullptr, 0, 0, 0)))
      std::abort();
    SPW_FreeTerrainData(&header);
  }

  // The units of the layout, controlled by whatever the infantry class is now; orders given.
  void Populate(const std::vector<Placed>& layout) {
    for (const Placed& p : layout) {
      VNUNIT_CREATE c{};
      c.nType = p.type;
      c.dwPlayer = p.enemy ? vnUNITMAN_GetComputerPlayerId() : vnUNITMAN_GetHumanPlayer()->dwId;
      c.vPos = p.at;
      c.vDir = {0.0f, 1.0f, 0.0f};
      c.nBinding = 1;
      VNUNIT* u = SGE_Ask<VNUNIT>(manager, SGM_UNITMAN_CREATE_UNIT, SGE_PtrParam(&c), 0);
      if (!u) std::abort();
      vnUNITMAN_SetUnitPosition(manager, u, &c.vPos);
      units.push_back(u);
      firstHealth.push_back(vnUNIT_AttrFloat(u, VN_ATTR_HEALTH));
    }
    for (size_t i = 0; i < layout.size(); ++i)
      if (layout[i].moving)
        SGE_Send(units[i]->pController, SGM_UNIT_GOTO_POINT, SGE_PtrParam(&layout[i].goal), 0);
  }

  // What the soldiers did in the frames just run.
  struct Tally {
    int32_t moved = 0;  // farther than a metre from where they stood
    int32_t fired = 0;  // during the frames
    int32_t hit = 0;    // zombies whose health changed
  };
  Tally Count(const std::vector<Placed>& layout) const {
    Tally t;
    const float frames = static_cast<float>(kFrames * kFrameMs) / 1000.0f;
    for (size_t i = 0; i < units.size(); ++i) {
      const VNUNIT* u = units[i];
      const float dx = u->vPos.x - layout[i].at.x, dy = u->vPos.y - layout[i].at.y;
      if (dx * dx + dy * dy > 1.0f) ++t.moved;
      if (layout[i].type == VN_UNIT_TYPE_TERRAN_ZOMBIE_ACTIVE) {
        if (vnUNIT_AttrFloat(u, VN_ATTR_HEALTH) != firstHealth[i]) ++t.hit;
      } else if (const auto* s = SGE_Ask<VNTERUNIT>(u->pController, SGM_TERUNIT_GET_INSTANCE, 0, 0)) {
        if (s->sinceShot < frames) ++t.fired;
      }
    }
    return t;
  }

  void Clear() {
    for (VNUNIT* u : units) SGE_Send(manager, SGM_UNITMAN_DESTROY_UNIT, SGE_PtrParam(u), 0);
    units.clear();
    firstHealth.clear();
    SGE_DispatchMessages();
  }
};

World& TheWorld() {
  static World world;
  return world;
}

enum class Controllers { kSoldiers, kWalkers };

void Register(Controllers c) {
  const int32_t ok = c == Controllers::kSoldiers
                         ? vnUNITMAN_RegisterClass(VNINFANTRY_CLASSROW)
                         : vnBENCH_RegisterWalkers(VNTT_TERRAN_INFANTRY, VNINFANTRY_CLASSROW.nInstanceBytes);
  if (ok != 1) std::abort();
}

// The walkers keep to the network: along x inside it, moving as far a frame as a soldier runs
// or standing still.
void SetWalkerLane(bool moving) {
  const float speed = 15.0f / 3.6f;  // the infantry rows' 15 km/h
  g_vnBenchWalkLane = {moving ? speed * static_cast<float>(kFrameMs) / 1000.0f : 0.0f,
                       vnMODELS_TERRAIN_PAD_X - kNetworkHalf + kMargin,
                       vnMODELS_TERRAIN_PAD_X + kNetworkHalf - kMargin};
}

World::Tally g_lastSoldiers;

// Seconds of kFrames frames of the layout under those controllers, set-up and clearing untimed;
// what the soldiers did is kept.
double TimeFrames(Controllers c, const std::vector<Placed>& layout, bool moving) {
  World& w = TheWorld();
  Register(c);
  SetWalkerLane(moving);
  w.Populate(layout);
  auto frames = [] {
    for (int32_t i = 0; i < kFrames; ++i) Frame();
  };
  const double seconds = vnBENCH_Seconds(frames);
  if (c == Controllers::kSoldiers) g_lastSoldiers = w.Count(layout);
  w.Clear();
  return seconds;
}

// Alternates soldiers and walkers, kReps times after one of each to warm up; the ratio of the
// minima, soldiers over walkers.
double Compare(const char* labelA, const char* labelB, bool fight) {
  const std::vector<Placed> layout = Layout(fight);
  TimeFrames(Controllers::kSoldiers, layout, fight);
  TimeFrames(Controllers::kWalkers, layout, fight);
  std::vector<double> ta, tb;
  for (int32_t i = 0; i < kReps; ++i) {
    ta.push_back(TimeFrames(Controllers::kSoldiers, layout, fight));
    tb.push_back(TimeFrames(Controllers::kWalkers, layout, fight));
  }
  const vnBENCH_TIMES sa = vnBENCH_Summary(ta), sb = vnBENCH_Summary(tb);
  vnBENCH_PrintTimes(labelA, sa);
  vnBENCH_PrintTimes(labelB, sb);
  std::printf("the soldiers' last frames: %d units moved over 1 m, %d ZR soldiers fired, %d zombies hit\n",
              g_lastSoldiers.moved, g_lastSoldiers.fired, g_lastSoldiers.hit);
  return sb.min > 0 ? sa.min / sb.min : 0;
}

void BM_Frame(benchmark::State& state, Controllers c, bool fight) {
  World& w = TheWorld();
  Register(c);
  SetWalkerLane(fight);
  w.Populate(Layout(fight));
  for (auto _ : state) Frame();
  w.Clear();
  state.SetItemsProcessed(state.iterations() * kSoldiers);
}
BENCHMARK_CAPTURE(BM_Frame, SoldiersFighting, Controllers::kSoldiers, true);
BENCHMARK_CAPTURE(BM_Frame, WalkersMoving, Controllers::kWalkers, true);
BENCHMARK_CAPTURE(BM_Frame, SoldiersIdle, Controllers::kSoldiers, false);
BENCHMARK_CAPTURE(BM_Frame, WalkersIdle, Controllers::kWalkers, false);

void PrintGoals() {
  const double fight = Compare("40 frames, 500 soldiers moving, 500 zombies",
                               "the same frames, walkers in the class", true);
  vnBENCH_GoalAtMost("soldier_frame_vs_walkers", fight, kFightTarget);
  const double idle = Compare("40 frames, 1,000 soldiers idle", "the same frames, walkers standing", false);
  vnBENCH_GoalAtMost("soldier_idle_vs_walkers", idle, kIdleTarget);
}

}  // namespace

int main(int argc, char** argv) { return vnBENCH_Main(argc, argv, PrintGoals); }
