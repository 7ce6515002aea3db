// The manager's start-up (SGM_TASK_CREATE) and destruction (SGM_TASK_DESTROY).
#include <algorithm>
#include <cstring>

#include "missions/control/misscont.h"
#include "platform/trace.h"
#include "world/formation/formnode.h"
#include "world/grid/grid.h"
#include "world/mover/mover.h"
#include "world/unitman/internal.h"
#include "world/unitman/orders.h"

namespace {

constexpr const char* kFormationFile = "formations.txt";
constexpr const char* kHumanName = "Human";
constexpr const char* kComputerName = "Computer";

uint32_t g_computerId = 0;

// The capacity the manager takes: what was asked, cut to what the task memory holds tasks for.
int32_t CappedUnits(const VNUNITMAN_CREATE* create, bool trace) {
  if (create->nUnits <= VNUNITMAN_MAX_UNITS) return create->nUnits;
  if (trace)
    PLAT_Trace("UNITMAN: %d units asked; the task memory holds the tasks of %d, the capacity\n",
               create->nUnits, VNUNITMAN_MAX_UNITS);
  return VNUNITMAN_MAX_UNITS;
}

template <typename T>
T* Carve(SGE_MEMBLOCK* block, int64_t count) {
  const int64_t bytes = count * static_cast<int64_t>(sizeof(T));
  if (count <= 0 || bytes > UINT32_MAX) return nullptr;
  return static_cast<T*>(SGE_MemCalloc(block, static_cast<uint32_t>(bytes)));
}

void Release(void* p) {
  if (p) SGE_MemFree(p);
}

void InitLists(VNUNITMAN* m) {
  for (SGE_DLLNODE* head : {&m->freeUnits, &m->players, &m->freeLinkNodes, &m->freeDataBlocks,
                            &m->freeOrders, &m->groups, &m->formations, &m->formNodes,
                            &m->animIndices})
    SGE_ListInit(head);
  SGE_ListInit(&m->defaultOrder.link);
  for (SGE_DLLNODE& l : m->defaultGoals.aLists) SGE_ListInit(&l);
  for (VNBUG_GOALTABLE& t : m->aClassGoals)
    for (SGE_DLLNODE& l : t.aLists) SGE_ListInit(&l);
}

void CreatePlayers(VNUNITMAN* m, int32_t count) {
  for (int32_t k = 0; k < count && k < 32; ++k) {
    auto* p = static_cast<VNPLAYER*>(SGE_MemCalloc(m->pBlock, sizeof(VNPLAYER)));
    if (!p) {
      PLAT_Trace("UNITMAN: no room for player %d\n", k);
      return;
    }
    p->dwId = 1u << k;
    SGE_ListInit(&p->units);
    SGE_ListAddTail(&m->players, &p->link);
  }
}

void FreePools(VNUNITMAN* m) {
  Release(m->pAttrs);
  Release(m->pUnitPool);
  Release(m->pLinkNodePool);
  Release(m->pDataBlockPool);
  Release(m->ppSightings);
  Release(m->pOrderPool);
  m->pAttrs = nullptr;
  m->pUnitPool = nullptr;
  m->pLinkNodePool = nullptr;
  m->pDataBlockPool = nullptr;
  m->ppSightings = nullptr;
  m->pOrderPool = nullptr;
  for (SGE_DLLNODE* head : {&m->freeUnits, &m->freeLinkNodes, &m->freeDataBlocks, &m->freeOrders})
    SGE_ListInit(head);
}

// Pushed at the head, so each free list hands out its last element first.
void AllocatePools(VNUNITMAN* m) {
  m->pAttrs = Carve<VNUNIT_ATTR>(m->pBlock, m->nTypes);
  m->pUnitPool = Carve<VNUNIT>(m->pBlock, m->nUnits);
  m->pLinkNodePool = Carve<VNUNIT_LINKNODE>(m->pBlock, m->nLinkNodes);
  m->pDataBlockPool = Carve<VNUNIT_DATABLOCK>(m->pBlock, m->nDataBlocks);
  m->ppSightings = Carve<VNUNIT*>(m->pBlock, m->nSightCapacity);
  m->pOrderPool = Carve<VNORDER_NODE>(m->pBlock, m->nOrders);
  if (!m->pAttrs || !m->pUnitPool || !m->pLinkNodePool || !m->pDataBlockPool ||
      !m->ppSightings || !m->pOrderPool) {
    PLAT_Trace("UNITMAN: no room for the pools of %d units; no unit can be created\n", m->nUnits);
    FreePools(m);
    m->nSightCapacity = 0;
    return;
  }
  for (int32_t i = 0; i < m->nOrders; ++i) SGE_ListAddHead(&m->freeOrders, &m->pOrderPool[i].link);
  for (int32_t i = 0; i < m->nUnits; ++i) {
    VNUNIT& u = m->pUnitPool[i];
    u.nType = VN_UNIT_TYPE_FREE;
    SGE_ListAddHead(&m->freeUnits, &u.link);
  }
  for (int32_t i = 0; i < m->nDataBlocks; ++i)
    SGE_ListAddHead(&m->freeDataBlocks, &m->pDataBlockPool[i].link);
  for (int32_t i = 0; i < m->nLinkNodes; ++i)
    SGE_ListAddHead(&m->freeLinkNodes, &m->pLinkNodePool[i].link);
}

void LoadTables(VNUNITMAN* m) {
  if (m->pAttrs) vnUNITMAN_LoadAttributes(m->pAttrs, &m->freeLinkNodes);
  if (!vnUNITMAN_LoadWeaponMods()) PLAT_Trace("Unable to load Weapon Damage Modifiers data file\n");
}

void NamePlayers(VNUNITMAN* m) {
  VNPLAYER* human = SGE_ListFirstRecord<VNPLAYER>(&m->players);
  VNPLAYER* computer = SGE_ListLastRecord<VNPLAYER>(&m->players);
  if (!human) return;
  human->bControl = 1;
  human->dwAllyMask = human->dwId;
  human->dwEnemyMask = ~human->dwId;
  std::strncpy(human->szName, kHumanName, VNPLAYER_NAME_SIZE - 1);
  computer->bControl = 0;
  computer->dwAllyMask = computer->dwId;
  computer->dwEnemyMask = ~computer->dwId;
  std::strncpy(computer->szName, kComputerName, VNPLAYER_NAME_SIZE - 1);
  g_computerId = computer->dwId;
}

void CreateGrid(VNUNITMAN* m) {
  SPW_VECTOR min, max;
  if (!vnMISSCONT_GetTerrainBounds(&min, &max)) {
    PLAT_Trace("UNITMAN: no terrain to lay the spatial grid over\n");
    return;
  }
  const SPW_VECTOR cell{VNUNITMAN_GRID_CELL, VNUNITMAN_GRID_CELL, VNUNITMAN_GRID_CELL};
  m->pGrid = vnGrid_Create(m->pBlock, &min, &max, &cell, VNUNITMAN_GRID_LINKS_PER_UNIT * m->nUnits);
}

// The creature services are children only where their classes exist in this program.
SGE_TASK* CreateService(SGE_TASK* task, int32_t type, const VNUNITMAN_CREATE* create) {
  const SGE_TASKTYPE* t = SGE_GetTaskType(type);
  if (!t || !t->pHandler) return nullptr;
  return SGE_CreateTask(type, task, nullptr, SGE_PtrParam(create), 0);
}

void FreeGoalTables(VNUNITMAN* m) {
  for (SGE_DLLNODE& l : m->defaultGoals.aLists) SGE_ListFreeAll(&l);
  for (VNBUG_GOALTABLE& t : m->aClassGoals)
    for (SGE_DLLNODE& l : t.aLists) SGE_ListFreeAll(&l);
}

// Controllers and their movers die with the task tree; a mover whose unit has no controller is
// a top-level task and would outlive the mission.
void DestroyOrphanMovers(VNUNITMAN* m) {
  for (int32_t i = 0; m->pUnitPool && i < m->nUnits; ++i) {
    VNUNIT& u = m->pUnitPool[i];
    if (u.nType == VN_UNIT_TYPE_FREE || !u.pMover || u.pController) continue;
    SGE_Send(u.pMover, SGM_TASK_DESTROY, 0, 0);
    u.pMover = nullptr;
    u.pMove = nullptr;
  }
}

void FreePlayers(VNUNITMAN* m) {
  while (SGE_DLLNODE* n = SGE_ListPopHead(&m->players)) SGE_MemFree(n);
}

void FreeFormationPrograms(VNUNITMAN* m) {
  vnUNITMAN_FreeFormations(m);
  SGE_ListInit(&m->formations);
}

}  // namespace

uint32_t vnUNITMAN_GetComputerPlayerId() { return g_computerId; }

void vnUNITMAN_StartUp(SGE_TASK* task, VNUNITMAN* m, const VNUNITMAN_CREATE* create) {
  const VNUNITMAN_CREATE none{};
  if (!create) create = &none;
  *m = VNUNITMAN{};
  m->pTask = task;
  m->pBlock = create->pBlock;
  m->dwMode = 0;
  InitLists(m);
  vnUNITMAN_SetTask(task);
  CreatePlayers(m, create->nPlayers);
  m->nTypes = VN_UNIT_TYPE_COUNT;
  m->nUnits = CappedUnits(create, true);
  m->nLinkNodes = create->nLinkNodes;
  m->nDataBlocks = create->nDataBlocks;
  m->nOrders = VNUNITMAN_ORDERS_PER_UNIT * m->nUnits;
  m->nSightPerUnit = VNUNITMAN_SIGHT_PER_UNIT;
  m->nSightCapacity = VNUNITMAN_SIGHT_PER_UNIT * m->nUnits;
  AllocatePools(m);
  LoadTables(m);
  m->pFrameTimer = SGE_AddFrameTimer(task, 1, nullptr, SGE_TIMER_REPEAT);
  NamePlayers(m);
  SGE_Send(task, SGM_UNITMAN_LOAD_FORMATIONS, SGE_PtrParam(kFormationFile), 0);
  vnFORMNODE_LoadMarkerTypes(m);
  if (VNMOVER_PLANNER* planner = vnMOVER_GetPathPlanner()) vnMOVER_AddListener(planner, task);
  CreateGrid(m);
  m->pBugGibs = CreateService(task, VNTT_BUGGIBS, create);
  m->pBugPath = CreateService(task, VNTT_BUGPATH, create);
}

void vnUNITMAN_ShutDown(SGE_TASK* task, VNUNITMAN* m) {
  if (m->pBugGibs) SGE_Send(m->pBugGibs, SGM_TASK_DESTROY, 0, 0);
  if (m->pBugPath) SGE_Send(m->pBugPath, SGM_TASK_DESTROY, 0, 0);
  m->pBugGibs = m->pBugPath = nullptr;
  vnGrid_Destroy(m->pGrid);
  m->pGrid = nullptr;
  FreeGoalTables(m);
  if (m->pFrameTimer) SGE_KillTimer(m->pFrameTimer);
  m->pFrameTimer = nullptr;
  vnUNITMAN_FreeGroups(m);
  vnFORMNODE_Reset(m, task);
  if (VNMOVER_PLANNER* planner = vnMOVER_GetPathPlanner()) vnMOVER_RemoveListener(planner, task);
  if (m->pAttrs) vnUNITMAN_FreeAttributes(m->pAttrs, &m->freeLinkNodes);
  DestroyOrphanMovers(m);
  FreePools(m);
  FreePlayers(m);
  FreeFormationPrograms(m);
  vnUNITMAN_FreeAnimIndices(m);
  SGE_PurgeTask(task);
  if (vnUNITMAN_GetTask() == task) vnUNITMAN_SetTask(nullptr);
  g_computerId = 0;
}

uint32_t vnUNITMAN_BlockBytes(const VNUNITMAN_CREATE* create) {
  const auto chunk = [](uint64_t count, uint64_t size) {
    const uint64_t bytes = (count * size + SGE_MEM_GRANULE - 1) / SGE_MEM_GRANULE * SGE_MEM_GRANULE;
    return bytes + SGE_MEMCHUNK_HEADER_SIZE;
  };
  const uint64_t units = static_cast<uint64_t>(std::max(CappedUnits(create, false), 0));
  uint64_t bytes = chunk(VN_UNIT_TYPE_COUNT, sizeof(VNUNIT_ATTR)) + chunk(units, sizeof(VNUNIT)) +
                   chunk(static_cast<uint64_t>(create->nLinkNodes), sizeof(VNUNIT_LINKNODE)) +
                   chunk(static_cast<uint64_t>(create->nDataBlocks), sizeof(VNUNIT_DATABLOCK)) +
                   chunk(units * VNUNITMAN_SIGHT_PER_UNIT, sizeof(VNUNIT*)) +
                   chunk(units * VNUNITMAN_ORDERS_PER_UNIT, sizeof(VNORDER_NODE)) +
                   static_cast<uint64_t>(create->nPlayers) * chunk(1, sizeof(VNPLAYER)) +
                   chunk(1, sizeof(VNGRID)) +
                   chunk(units * VNUNITMAN_GRID_LINKS_PER_UNIT, sizeof(VNGRID_LINK));
  return bytes > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(bytes);
}
