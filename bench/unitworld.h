#pragma once
// What the unit manager's benchmarks share: a silent trace sink, a mission block with room for
// the manager's pools and its spatial grid, the manager started over a scene, the plain walker
// controllers that stand in for a unit class, and frames driven through the frame timers.
#include <algorithm>
#include <cstdint>
#include <vector>

#include "engine/kernel/kernel.h"
#include "engine/kernel/tasktypes.h"
#include "engine/math/vecmath.h"
#include "engine/memory/memblock.h"
#include "missions/control/misscont.h"
#include "world/unitman/unitman.h"

// The manager traces the content it finds missing; none matters to a benchmark.
inline void vnBENCH_Silent(const char*, void*) {}

// Formation programs, animation records and odd records beside the manager's own pools.
constexpr uint32_t vnBENCH_MISSION_SLACK = 1u << 20;

// The unit manager's pools for a mission of the usual size.
constexpr VNUNITMAN_CREATE vnBENCH_MISSION_POOLS{VNUNITMAN_MISSION_UNITS, VNUNITMAN_MISSION_DATABLOCKS,
                                                VNUNITMAN_MISSION_LINKNODES,
                                                VNUNITMAN_MISSION_PLAYERS, nullptr};

// A mission block in `memory` for a manager of those pools with a grid over a square terrain of
// that side, and `extra` bytes more (a path network's); null when it cannot be formatted.
inline SGE_MEMBLOCK* vnBENCH_MissionBlock(std::vector<uint8_t>* memory, float terrainSide,
                                          const VNUNITMAN_CREATE& pools = vnBENCH_MISSION_POOLS,
                                          uint32_t extra = 0) {
  const auto cells = static_cast<uint32_t>(terrainSide / VNUNITMAN_GRID_CELL + 2);
  const uint32_t bytes = vnUNITMAN_BlockBytes(&pools) + cells * cells * sizeof(SGE_DLLNODE) +
                         vnBENCH_MISSION_SLACK + extra + SGE_MEMBLOCK_OVERHEAD;
  memory->assign(bytes, 0);
  return SGE_FormatMemBlock(memory->data(), bytes, "BenchMission");
}

// The unit manager of those pools in the block, over the scene's terrain, running; null when it
// or its grid could not be made.
inline SGE_TASK* vnBENCH_StartUnitManager(SGE_MEMBLOCK* block, SPW_SCENE* scene,
                                          const VNUNITMAN_CREATE& pools = vnBENCH_MISSION_POOLS) {
  const VNMISSION_WORLD world{nullptr, scene, nullptr};
  vnMISSCONT_SetWorld(&world);
  VNUNITMAN_CREATE create = pools;
  create.pBlock = block;
  SGE_TASK* manager = SGE_CreateTask(VNTT_UNITMAN, nullptr, nullptr, SGE_PtrParam(&create), 0);
  if (!manager || !SGE_TaskData<VNUNITMAN>(manager)->pGrid) return nullptr;
  vnUNITMAN_SetFlagBit0(1);
  return manager;
}

// Where the walkers go: `step` metres along x each frame, turning back at x = lo and x = hi.
// Set before the walkers are made; a step of 0 leaves them standing.
struct vnBENCH_WALKLANE {
  float step = 0.05f;
  float lo = 0.0f;
  float hi = 0.0f;
};
inline vnBENCH_WALKLANE g_vnBenchWalkLane;

// A plain controller: it walks its unit along its lane and answers the new position.
struct vnBENCH_WALKER {
  VNUNIT* pUnit;
  SPW_VECTOR vPos;
  float fStep;
};

inline const SPW_VECTOR* vnBENCH_WalkerStep(vnBENCH_WALKER* w) {
  w->vPos.x += w->fStep;
  if (w->vPos.x < g_vnBenchWalkLane.lo || w->vPos.x > g_vnBenchWalkLane.hi) w->fStep = -w->fStep;
  return &w->vPos;
}

inline SGE_RESULT vnBENCH_Walker(SGE_TASK* task, SGE_DATAREF* data, int32_t msg, SGE_PARAM p1,
                                 SGE_PARAM p2) {
  auto* w = SGE_TaskData<vnBENCH_WALKER>(task);
  if (msg == SGM_TASK_CREATE) {
    VNUNIT* unit = SGE_ParamPtr<VNUNIT>(p1);
    *w = {unit, unit->vPos, g_vnBenchWalkLane.step};
    return 1;
  }
  if (msg == SGM_UNIT_FRAME_POSITION) return SGE_PtrResult(vnBENCH_WalkerStep(w));
  // SGM_UNIT_UPDATE and every other unit message: nothing to do.
  if (msg >= SGM_KERNEL_BAND_END) return 0;
  return SGE_DefaultTaskHandler(task, data, msg, p1, p2);
}

// Registers the walkers as the controllers of a unit class, their instances of the class's size
// when that is larger; 1 on success.
inline int32_t vnBENCH_RegisterWalkers(int32_t classId, int32_t instanceBytes = 0) {
  const int32_t bytes = std::max<int32_t>(instanceBytes, sizeof(vnBENCH_WALKER));
  return SGE_RegisterTaskType(classId, vnBENCH_Walker, SGE_TTF_ZERO_DATA, bytes, "");
}

// n frames: the frame timers tick and the posted messages are delivered.
inline void vnBENCH_RunFrames(int32_t n) {
  for (int32_t i = 0; i < n; ++i) {
    SGE_UpdateFrameTimers();
    SGE_DispatchMessages();
  }
}
