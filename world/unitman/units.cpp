// Creating units (SGM_UNITMAN_CREATE_UNIT) and destroying them (SGM_UNITMAN_DESTROY_UNIT and
// SGM_UNITMAN_DESTROY_ALL).
#include <algorithm>
#include <cmath>
#include <cstring>

#include "engine/memory/memblock.h"
#include "frontend/platman.h"
#include "platform/trace.h"
#include "world/grid/grid.h"
#include "world/mover/mover.h"
#include "world/placement/placement.h"
#include "world/unitman/internal.h"
#include "world/unitman/unitclass.h"

namespace {

constexpr float kKmhToMs = 0.2777778f;
constexpr uint32_t kIncludeObservable = VNUNIT_F_OBSERVABLE;
constexpr uint32_t kExcludeNeverSighted = VNUNIT_F_NEVER_SIGHTED;
// Soldiers whose stats build on a base soldier's, and which base.
constexpr uint32_t kStatsOnBase = 0x04 | 0x10;
constexpr uint32_t kMaleBase = 0x02;
constexpr int32_t kMaleBaseType = VN_UNIT_TYPE_TERRAN_ZR_0;
constexpr int32_t kFemaleBaseType = VN_UNIT_TYPE_TERRAN_ZR_0_FEM;
uint32_t g_nextId = 1;  // process-wide: ids are never reused within a run

// The task memory one unit takes at most: its controller and mover tasks, their data records,
// their instances and a timer. The kernel's task memory keeps that room for the most units a
// manager holds.
constexpr uint64_t TaskChunk(uint64_t bytes) {
  return (bytes + SGE_MEM_GRANULE - 1) / SGE_MEM_GRANULE * SGE_MEM_GRANULE + SGE_MEMCHUNK_HEADER_SIZE;
}
constexpr uint64_t kTaskBytesPerUnit =
    2 * TaskChunk(sizeof(SGE_TASK)) + 2 * TaskChunk(sizeof(SGE_DATAREF)) +
    TaskChunk(std::max(sizeof(VNMOVER_GROUND), sizeof(VNMOVER_FLIGHT))) +
    TaskChunk(VNUNIT_MAX_CONTROLLER_BYTES) + TaskChunk(sizeof(SGE_TIMER));
static_assert(kTaskBytesPerUnit <= SGE_TASKMEM_ROOM_PER_UNIT && VNUNITMAN_MAX_UNITS <= SGE_TASKMEM_UNITS,
              "the kernel's task memory must hold the tasks of the most units a manager takes");

const VNUNIT_ATTR* RowOf(const VNUNITMAN* m, int32_t type) {
  return m->pAttrs ? &m->pAttrs[type] : nullptr;
}

// The pool ran dry: which types hold it.
void ReportPool(const VNUNITMAN* m, int32_t type) {
  PLAT_Trace("UNITMAN: unit of type %s not created: all %d units are in use\n",
             vnUNITMAN_GetTypeInfo(type)->pszName, m->nUnits);
  int32_t counts[VN_UNIT_TYPE_COUNT] = {};
  for (int32_t i = 0; i < m->nUnits; ++i) {
    const int32_t type = m->pUnitPool[i].nType;
    if (type >= 0 && type < VN_UNIT_TYPE_COUNT) ++counts[type];
  }
  PLAT_Trace("Get Unit Type Data\n");
  int32_t total = 0;
  for (int32_t type = 0; type < VN_UNIT_TYPE_COUNT; ++type) {
    if (!counts[type]) continue;
    total += counts[type];
    PLAT_Trace("Type[%s] = %d, total = %d\n", vnUNITMAN_GetTypeInfo(type)->pszName, counts[type], total);
  }
  PLAT_Trace("==End List==========\n");
}

void Fill(const VNUNITMAN* m, VNUNIT* u, const VNUNIT_CREATE* create) {
  *u = VNUNIT{};
  u->dwId = g_nextId++;
  u->dwPlayer = create->dwPlayer;
  u->fHitPointScale = 1.0f;
  u->nType = create->nType;
  const VNUNIT_ATTR* row = RowOf(m, create->nType);
  u->dwFlags = row ? row->dwFlags : 0;
  u->vPos = create->vPos;
  u->dwIncludeMask = (u->dwFlags & VNUNIT_F_OBSERVER) ? kIncludeObservable : 0;
  u->dwExcludeMask = kExcludeNeverSighted;
  SGE_ListInit(&u->link);
  SGE_ListInit(&u->orders);
  SGE_ListInit(&u->list);
  SGE_ListInit(&u->blocks);
  for (SGE_DLLNODE& l : u->aChildren) SGE_ListInit(&l);
  if (row) std::memcpy(u->adwAttr, row->adwValues.data(), sizeof u->adwAttr);
  u->fRadius = vnUNIT_AttrFloat(u, VN_ATTR_RADIUS);
  u->pParent = create->pParent;
}

SPW_VECTOR Normalised(SPW_VECTOR v) {
  const float len = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
  if (len > 0.0f) v = {v.x / len, v.y / len, v.z / len};
  return v;
}

void AttachMover(VNUNIT* u, const VNUNIT_CREATE* create) {
  const bool flight = (u->dwFlags & VNUNIT_F_FLIGHT) != 0;
  VNMOVER_CREATE mc{};
  mc.pPlanner = vnMOVER_GetPathPlanner();
  mc.dwUnitId = u->dwId;
  mc.fAccel = vnUNIT_AttrFloat(u, VN_ATTR_ACCEL);
  mc.fSpeed = vnUNIT_AttrFloat(u, VN_ATTR_SPEED) * kKmhToMs;
  mc.fGateReach = vnUNIT_AttrFloat(u, VN_ATTR_GATE_REACH);
  mc.fArrival = vnUNIT_AttrFloat(u, VN_ATTR_ARRIVAL);
  mc.fTurnRate = vnUNIT_AttrFloat(u, VN_ATTR_TURN_RATE);
  mc.fExtra = vnUNIT_AttrFloat(u, VN_ATTR_MOVER_EXTRA);
  mc.fStopValue = vnUNIT_AttrFloat(u, VN_ATTR_STOP_VALUE);
  mc.fStunResistance = vnUNIT_AttrFloat(u, VN_ATTR_STUN_RESISTANCE);
  mc.vDir = flight ? create->vDir : Normalised(create->vDir);
  mc.vPos = u->vPos;
  mc.fRadius = u->fRadius;
  u->pMover = SGE_CreateTask(flight ? VNTT_FLIGHT_MOVER : VNTT_VEHICLE_MOVER, nullptr, nullptr, 0, 0);
  if (!u->pMover) return;
  u->pMove = SGE_Ask<VNMOVER_RECORD>(u->pMover, SGM_MOVER_GET_RECORD,
                                           SGE_PtrParam(&mc), 0);
  if (!u->pMove || !u->pMove->pRegion)
    PLAT_Trace("*** WARNING : Unit type [%s] at (%f,%f,%f) OUTSIDE BSTAR network\n",
               vnUNITMAN_GetTypeInfo(u->nType)->pszName, static_cast<double>(u->vPos.x),
               static_cast<double>(u->vPos.y), static_cast<double>(u->vPos.z));
  if (u->pMove) {
    if (vnUNIT_AttrFloat(u, VN_ATTR_TURN_RATE) > 0.0f) u->pMove->dwFlags |= VNMOVER_F_TURNS;
    if (u->dwFlags & VNUNIT_F_STARTS_WITHDRAWN) u->pMove->dwFlags |= VNMOVER_F_WITHDRAWN;
    if (u->dwFlags & VNUNIT_F_STARTS_LIFTED) u->pMove->dwFlags |= VNMOVER_F_LIFTED;
  }
  const auto linkType = static_cast<int32_t>(vnUNIT_AttrFloat(u, VN_ATTR_LINK_TYPE));
  SGE_Send(u->pMover, SGM_MOVER_SET_LINK_TYPE, static_cast<SGE_PARAM>(linkType), 0);
}

// Weapons and items never bring their own linked types.
void CreateLinked(SGE_TASK* task, const VNUNITMAN* m, VNUNIT* u, const VNUNIT_CREATE* create,
                  const VNPLACE_COMMANDBLOCK* block) {
  const VNUNIT_ATTR* row = RowOf(m, u->nType);
  if (!row || (u->dwFlags & (VNUNIT_F_WEAPON | VNUNIT_F_ITEM))) return;
  for (const VNUNIT_LINKNODE* node : SGE_ListRecords<VNUNIT_LINKNODE>(&row->linked)) {
    const auto* linked = static_cast<const VNUNIT_ATTR*>(node->pData);
    VNUNIT_CREATE c{};
    c.nType = static_cast<int32_t>(linked - m->pAttrs);
    c.dwPlayer = create->dwPlayer;
    if (linked->dwFlags & VNUNIT_F_WEAPON)
      c.pTargetList = &u->aChildren[VNUNIT_CHILD_WEAPONS];
    else if (linked->dwFlags & VNUNIT_F_ITEM)
      c.pTargetList = &u->aChildren[VNUNIT_CHILD_ITEMS];
    else
      c.pTargetList = create->pTargetList;
    c.pParent = u;
    c.nBinding = 1;
    c.vDir = {0.0f, 1.0f, 0.0f};
    SGE_Send(task, SGM_UNITMAN_CREATE_UNIT, SGE_PtrParam(&c),
             SGE_PtrParam(block));
  }
}

void CreateController(SGE_TASK* task, const VNUNITMAN* m, VNUNIT* u, const VNUNIT_CREATE* create,
                      const VNPLACE_COMMANDBLOCK* block) {
  const VNUNIT_ATTR* row = RowOf(m, u->nType);
  if (!row || !row->nClassId) return;
  u->pController = SGE_CreateTask(row->nClassId, task, nullptr, SGE_PtrParam(u),
                                  SGE_PtrParam(create));
  if (!u->pController) return;
  if (u->pMover) SGE_ReparentTask(u->pMover, u->pController);
  if (block)
    SGE_Send(u->pController, SGM_UNIT_PLACEMENT, SGE_PtrParam(block),
             SGE_PtrParam(create));
}

void SendSoldierStats(const VNUNITMAN* m, const VNUNIT* u) {
  const VNUNIT_ATTR* row = RowOf(m, u->nType);
  if (!row || !(row->dwFlags & VNUNIT_F_SOLDIER) || !u->pController) return;
  VNPLATMAN_STATBLOCK stats;
  vnPLATMAN_StatsFromAttributes(&stats, row);
  if (row->dwFlags & kStatsOnBase) {
    VNPLATMAN_STATBLOCK base;
    vnPLATMAN_StatsFromAttributes(&base, RowOf(m, (row->dwFlags & kMaleBase) ? kMaleBaseType : kFemaleBaseType));
    vnPLATMAN_AddStats(&stats, &stats, &base);
  }
  SGE_Send(u->pController, SGM_UNIT_SOLDIER_PROFILE, SGE_PtrParam(&stats), 0);
}

SGE_DLLNODE* TargetList(SGE_TASK* task, const VNUNIT_CREATE* create) {
  if (create->pTargetList) return create->pTargetList;
  VNPLAYER* player = SGE_Ask<VNPLAYER>(task, SGM_UNITMAN_PLAYER_BY_ID,
                                             static_cast<SGE_PARAM>(create->dwPlayer), 0);
  if (!player) {
    PLAT_Trace("UNITMAN: no player %u for a unit of type %d\n", create->dwPlayer, create->nType);
    return nullptr;
  }
  return &player->units;
}

// Messages 535 to the children of a dying unit; a list's walk ends at a child without a
// controller.
void TellChildren(VNUNITMAN* m, VNUNIT* u) {
  for (VNUNIT_CHILDLIST list : VNUNIT_CHILD_VISIT_ORDER) {
    VNUNITMAN_WALK walk(m, &u->aChildren[list]);
    while (VNUNIT* child = walk.Next()) {
      if (!child->pController) break;
      SGE_Send(child->pController, SGM_UNIT_PARENT_DESTROYED, SGE_PtrParam(child), 0);
    }
  }
}

void ReturnBlocks(VNUNITMAN* m, VNUNIT* u) {
  while (SGE_DLLNODE* n = SGE_ListPopHead(&u->blocks)) SGE_ListAddHead(&m->freeDataBlocks, n);
  std::memset(u->adwAttr, 0, sizeof u->adwAttr);
}

void ReturnOrders(VNUNITMAN* m, VNUNIT* u) {
  while (SGE_DLLNODE* n = SGE_ListPopHead(&u->orders)) SGE_ListAddHead(&m->freeOrders, n);
}

void EndTasks(VNUNIT* u) {
  if (SGE_TASK* mover = u->pMover) {
    u->pMover = nullptr;
    u->pMove = nullptr;
    SGE_Send(mover, SGM_TASK_DESTROY, 0, 0);
  }
  if (SGE_TASK* controller = u->pController) {
    u->pController = nullptr;
    SGE_Send(controller, SGM_TASK_DESTROY, 0, 0);
  }
}

void DestroyChildren(VNUNITMAN* m, VNUNIT* u) {
  for (VNUNIT_CHILDLIST list : VNUNIT_CHILD_VISIT_ORDER) {
    while (VNUNIT* child = SGE_ListFirstRecord<VNUNIT>(&u->aChildren[list])) {
      if (child->nType == VN_UNIT_TYPE_FREE) {
        SGE_ListUnlink(&child->link);  // a pool record has no business here
        continue;
      }
      vnUNITMAN_FreeUnit(m, child);
    }
  }
}

// A unit whose controller or mover the program has but could not make (the task memory is
// full) would never be updated: it is not made at all.
VNUNIT* Refuse(VNUNITMAN* m, VNUNIT* u, const char* what) {
  PLAT_Trace("UNITMAN: unit of type %s not created: its %s cannot be made\n",
             vnUNITMAN_GetTypeInfo(u->nType)->pszName, what);
  vnUNITMAN_FreeUnit(m, u);
  return nullptr;
}

bool MoverMissing(const VNUNIT* u) {
  const int32_t type = (u->dwFlags & VNUNIT_F_FLIGHT) ? VNTT_FLIGHT_MOVER : VNTT_VEHICLE_MOVER;
  return (u->dwFlags & VNUNIT_F_MOVER) && !u->pMover && SGE_GetTaskType(type);
}

bool ControllerMissing(const VNUNITMAN* m, const VNUNIT* u) {
  const VNUNIT_ATTR* row = RowOf(m, u->nType);
  return row && row->nClassId && !u->pController && SGE_GetTaskType(row->nClassId);
}

}  // namespace

VNUNIT* vnUNITMAN_NewUnit(SGE_TASK* task, VNUNITMAN* m, const VNUNIT_CREATE* create,
                          const VNPLACE_COMMANDBLOCK* block) {
  if (!create || create->nType < 0 || create->nType >= VN_UNIT_TYPE_COUNT) {
    PLAT_Trace("UNITMAN: unit creation with no record or a type out of 0..%d\n", VN_UNIT_TYPE_COUNT - 1);
    return nullptr;
  }
  SGE_DLLNODE* target = TargetList(task, create);
  if (!target) return nullptr;
  VNUNIT* u = SGE_ListRecord<VNUNIT>(SGE_ListPopHead(&m->freeUnits));
  if (!u) {
    ReportPool(m, create->nType);
    return nullptr;
  }
  Fill(m, u, create);
  const uint32_t id = u->dwId;
  if (u->dwFlags & VNUNIT_F_MOVER) AttachMover(u, create);
  if (MoverMissing(u)) return Refuse(m, u, "mover");
  if (!create->nBinding) PLAT_Trace("No dynamic object binding from spreadsheet allow anymore!!!\n");
  CreateLinked(task, m, u, create, block);
  CreateController(task, m, u, create, block);
  // A controller may end its own unit while it is being created.
  if (!vnUNITMAN_IsLive(u, id)) return nullptr;
  if (ControllerMissing(m, u)) return Refuse(m, u, "controller");
  SGE_ListAddTail(target, &u->link);
  if (block) vnPLParser_ApplyCommands(block, u);
  if (!vnUNITMAN_IsLive(u, id)) return nullptr;
  SendSoldierStats(m, u);
  return vnUNITMAN_IsLive(u, id) ? u : nullptr;
}

void vnUNITMAN_FreeUnit(VNUNITMAN* m, VNUNIT* u) {
  if (!u || u->nType == VN_UNIT_TYPE_FREE) return;
  const uint32_t id = u->dwId;
  if (m->pGrid) vnGrid_UnlinkUnit(m->pGrid, u);
  TellChildren(m, u);
  // A child may have ended its parent on SGM_UNIT_PARENT_DESTROYED.
  if (!vnUNITMAN_IsLive(u, id)) return;
  vnUNITMAN_StepWalksOff(m, u);
  SGE_ListUnlink(&u->link);
  u->pParent = nullptr;
  ReturnBlocks(m, u);
  ReturnOrders(m, u);
  EndTasks(u);
  DestroyChildren(m, u);
  u->nType = VN_UNIT_TYPE_FREE;
  SGE_ListAddHead(&m->freeUnits, &u->link);
}

void vnUNITMAN_FreeAllUnits(VNUNITMAN* m) {
  for (VNPLAYER* player : SGE_ListRecords<VNPLAYER>(&m->players)) {
    while (VNUNIT* u = SGE_ListFirstRecord<VNUNIT>(&player->units)) {
      if (u->nType == VN_UNIT_TYPE_FREE)
        SGE_ListUnlink(&u->link);  // a pool record has no business here
      else
        vnUNITMAN_FreeUnit(m, u);
    }
  }
}
