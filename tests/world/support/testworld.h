#pragma once
// The headless test world of the unit framework: memory and kernel, a temporary content folder
// as the working directory, a mission memory block, a scene with a flat terrain, the unit
// attribute files, optionally a path network, and a running unit manager driven frame by frame.
//
//   vnworld::TestWorld w;                       // memory, kernel, empty content folder
//   w.WriteAttrs({vnworld::Row(VN_UNIT_TYPE_TERRAN_ZR_0, VNUNIT_F_SOLDIER)});
//   w.RegisterRecorder(VNTT_TERRAN_INFANTRY);   // a recording controller class
//   ASSERT_TRUE(w.Start());                     // scene, terrain, manager {2000, 600, 650, 2}
//   VNUNIT* u = w.Create(VN_UNIT_TYPE_TERRAN_ZR_0, w.Human(), {10, 10, 0});
//   w.RunFrames(3);                              // SGM_TASK_FRAME through the frame timer
//
// Everything goes when the object does. One TestWorld at a time.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "engine/kernel/kernel.h"
#include "engine/memory/memblock.h"
#include "tests/support/support.h"
#include "tools/writers/bstar_writer.h"
#include "tools/writers/unitattr_writer.h"
#include "world/unitman/unitclass.h"
#include "world/unitman/unitman.h"

struct SPW_SCENE;
struct SPW_TERRAINHEADER;
struct BSTAR_Network;
struct VNMOVER_PLANNER;

namespace vnworld {

struct Options {
  VNUNITMAN_CREATE manager{VNUNITMAN_MISSION_UNITS, VNUNITMAN_MISSION_DATABLOCKS,
                           VNUNITMAN_MISSION_LINKNODES, VNUNITMAN_MISSION_PLAYERS, nullptr};
  // Flat terrain of patches x patches patches of 4 cells of cellSize metres; 0: no terrain
  // (and then no spatial grid).
  int32_t patches = 16;
  float cellSize = 2.5f;
  float height = 0.0f;
  // Stand-in movers answer SGM_MOVER_GET_RECORD with a movement record of the mission block (region
  // none); off: the test registers VNTT_VEHICLE_MOVER and VNTT_FLIGHT_MOVER itself.
  bool standInMovers = true;
  // Sets the manager's mode bit 0 after creating it, as the mission does.
  bool run = true;
  // The path planner over the network (scale 1), made before the manager as the mission makes
  // it and freed after it; needs a network.
  bool planner = false;
  // Ground shadows of units under a light from straight above, started after the manager.
  bool shadows = false;
  // A mission of the demo tree, which the test writes into the content folder first
  // (WriteDemoTree): its terrain "EXPORT/Terrain/<name>/terrain.ter" and its path network in
  // place of the flat terrain and a written network. Empty: the flat terrain.
  std::string demoMission;
};

// Writes the demo tree into the folder as tools/mkcontent does; false when it fails.
bool WriteDemoTree(const std::string& root);

// What a recording controller received.
struct Event {
  uint32_t unitId;
  int32_t msg;
  SGE_PARAM p1;
  SGE_PARAM p2;
};

// A hook of the recording controllers, called first for every message; a result of 0 or more is
// the answer, -1 lets the recorder answer (280: its unit; 532: null; others 0).
using Hook = std::function<SGE_RESULT(VNUNIT* unit, int32_t msg, SGE_PARAM p1, SGE_PARAM p2)>;

class TestWorld {
 public:
  explicit TestWorld(const Options& options = {});
  ~TestWorld();
  TestWorld(const TestWorld&) = delete;
  TestWorld& operator=(const TestWorld&) = delete;

  // Content, written before Start.
  const vntest::TempDir& content() const { return dir_; }
  void WriteAttrs(const std::vector<VNWRITE_UNITATTR>& rows);
  void WriteWeaponMods(const VNWRITE_WEAPONMODS& mods);
  // "missions/test/bstarnetwork.txt"; Start then constructs the network over the scene.
  void WriteNetwork(const VNWRITE_BSTARNET& net);

  // A class of recording controllers at that task type id: every message is logged, the hook
  // answers first. Its instance may be given the size of a real class's.
  void RegisterRecorder(int32_t typeId, int32_t instanceBytes = 0);
  void SetHook(Hook hook);
  // A real class at its own task type whose messages are logged too, before its handler gets them.
  void RegisterObserved(const VNUNIT_CLASSROW& row);
  const std::vector<Event>& events() const;
  void ClearEvents();
  // The events of one message, in order.
  std::vector<Event> EventsOf(int32_t msg) const;

  // Mission block, scene, terrain, network, the mission world record, the manager.
  bool Start();
  // Destroys the manager (SGM_TASK_DESTROY) and the world; the destructor does it too.
  void Stop();

  SGE_TASK* manager() const { return manager_; }
  VNUNITMAN* state() const;
  SGE_MEMBLOCK* block() const { return block_; }
  SPW_SCENE* scene() const { return scene_; }
  BSTAR_Network* network() const { return network_; }
  VNMOVER_PLANNER* planner() const { return planner_; }
  uint32_t Human() const;
  uint32_t Computer() const;

  // Message 275 with a plain creation record (binding 1, direction (0, 1, 0)).
  VNUNIT* Create(int32_t type, uint32_t player, SPW_VECTOR pos = {}, SGE_DLLNODE* list = nullptr,
                 VNUNIT* parent = nullptr, const VNPLACE_COMMANDBLOCK* block = nullptr);
  void Destroy(VNUNIT* unit);
  // vnUNITMAN_SetUnitPosition: the unit joins the grid there.
  void Place(VNUNIT* unit, SPW_VECTOR pos);
  // Ticks the frame timers and delivers the posted messages, n times.
  void RunFrames(int32_t n = 1);

 private:
  Options options_;
  vntest::TempDir dir_;
  vntest::ScopedWorkingDir cwd_;
  std::vector<uint8_t> blockMemory_;
  SGE_MEMBLOCK* block_ = nullptr;
  SPW_SCENE* scene_ = nullptr;
  BSTAR_Network* network_ = nullptr;
  std::vector<uint8_t> plannerMemory_;
  SGE_MEMBLOCK* plannerBlock_ = nullptr;
  VNMOVER_PLANNER* planner_ = nullptr;
  SGE_TASK* manager_ = nullptr;
  bool ReadDemoTerrain(SPW_TERRAINHEADER* header);

  bool hasNetwork_ = false;
  bool kernel_ = false;
};

// A clock that the test moves: while one lives, every frame lasts the set time (the frame time is
// the mean of the last three deltas, so setting it steps three frames).
class FrameClock {
 public:
  explicit FrameClock(float seconds);
  ~FrameClock();
  FrameClock(const FrameClock&) = delete;
  FrameClock& operator=(const FrameClock&) = delete;
  void Set(float seconds);
};

// An attribute line: the type with its flag word, radius, range, health and linked types.
VNWRITE_UNITATTR Row(int32_t type, uint32_t flags, std::vector<int32_t> linked = {},
                     float radius = 0.5f, float range = 0.0f, float health = 100.0f);

// Mission block bytes for a manager of that size with a grid over a square terrain of the side.
uint32_t MissionBlockBytes(const VNUNITMAN_CREATE& create, float terrainSide);

}  // namespace vnworld
