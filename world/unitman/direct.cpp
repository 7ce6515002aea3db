// The manager's operations that need no message: positions, link nodes, a unit's label, total
// and ammunition, the platoon count and the bug holes by wave.
#include <cstring>

#include "frontend/platman.h"
#include "missions/control/misscont.h"
#include "platform/trace.h"
#include "world/grid/grid.h"
#include "world/mover/mover.h"
#include "world/unitman/internal.h"

namespace {

void MoveUnit(SGE_TASK* manager, VNUNIT* unit, const SPW_VECTOR* pos, const SPW_VECTOR* dir) {
  if (unit->pMover)
    SGE_Send(unit->pMover, SGM_MOVER_SET_POSITION, SGE_PtrParam(pos),
             SGE_PtrParam(dir));
  unit->vPos = *pos;
  const VNUNITMAN* m = SGE_TaskData<VNUNITMAN>(manager);
  if (m && m->pGrid) vnGrid_UpdateUnit(m->pGrid, unit);
}

}  // namespace

void vnUNITMAN_SetUnitPosition(SGE_TASK* manager, VNUNIT* unit, const SPW_VECTOR* pos) {
  if (!manager || !unit || !pos) {
    PLAT_Trace("Invalid position set params\n");
    return;
  }
  MoveUnit(manager, unit, pos, nullptr);
}

void vnUNITMAN_SetUnitPositionDirection(SGE_TASK* manager, VNUNIT* unit, const SPW_VECTOR* pos,
                                        const SPW_VECTOR* dir) {
  if (!manager || !unit || !pos || !dir) {
    PLAT_Trace("Invalid position & direction set params\n");
    return;
  }
  MoveUnit(manager, unit, pos, dir);
}

int32_t vnUNITMAN_CountLivePlatoonUnits(uint32_t exclude, uint32_t include) {
  const VNPLATOON* platoon = vnMISSCONT_GetPlatoon();
  if (!platoon) return 0;
  int32_t count = 0;
  for (int32_t slot = VNPLATOON_FIRST_FIELDED; slot < VNPLATOON_FIRST_FIELDED + VNPLATOON_FIELDED; ++slot) {
    const VNPLATOON_UNIT* soldier = platoon->apUnits[slot];
    if (!soldier) continue;
    const VNUNIT* unit = vnUNITMAN_GetUnit(static_cast<uint32_t>(soldier->nRosterId));
    if (!unit || !(unit->dwFlags & include) || (unit->dwFlags & exclude) || !unit->pController) continue;
    if (!SGE_Send(unit->pController, SGM_UNIT_IS_DEAD, 0, 0)) ++count;
  }
  return count;
}

VNUNIT_LINKNODE* vnUNITMAN_TakeLinkNode(VNUNITMAN* manager) {
  if (!manager) return nullptr;
  return SGE_ListRecord<VNUNIT_LINKNODE>(SGE_ListPopHead(&manager->freeLinkNodes));
}

int32_t vnUNITMAN_ReturnLinkNode(VNUNITMAN* manager, VNUNIT_LINKNODE* node) {
  if (!manager || !node) return 0;
  SGE_ListUnlink(&node->link);
  SGE_ListAddHead(&manager->freeLinkNodes, &node->link);
  return 1;
}

void* vnUNIT_GetObjectUserValue(const VNUNIT* unit) {
  if (!unit || !(unit->dwFlags & VNUNIT_F_MOVER) || !unit->pMove) return nullptr;
  return unit->pMove->pRegion;
}

int32_t vnUNIT_SetLabel(VNUNIT* unit, const char* text) {
  if (!unit || !text) return 0;
  const size_t length = strnlen(text, VNUNIT_LABEL_SIZE - 1);
  std::memcpy(unit->szLabel, text, length);
  unit->szLabel[length] = '\0';
  return static_cast<int32_t>(length + 1);
}

int32_t vnUNIT_AddToTotal(VNUNIT* unit, int32_t amount) {
  unit->nTotal += amount;
  return unit->nTotal;
}

int32_t vnUNITMAN_GetLinkedType(int32_t type) {
  const VNUNIT_ATTR* row = vnUNITATTR_LoadedRow(type);
  const auto* first = row ? SGE_ListFirstRecord<VNUNIT_LINKNODE>(&row->linked) : nullptr;
  if (!first) return -1;
  const auto* linked = static_cast<const VNUNIT_ATTR*>(first->pData);
  return static_cast<int32_t>(linked - vnUNITATTR_LoadedRow(0));
}

int32_t vnUNIT_AddAmmo(SGE_TASK* weapon, int32_t type, int32_t count) {
  const int32_t linked = vnUNITMAN_GetLinkedType(type);
  if (linked < 0) return 0;
  for (int32_t i = 0; i < count; ++i) SGE_Send(weapon, SGM_UNIT_ADD_AMMO, linked, 0);
  return 1;
}

void vnUNITMAN_CollectBugHoles(VNUNITMAN_BUGHOLES* record) {
  if (!record) return;
  *record = VNUNITMAN_BUGHOLES{};
  VNUNITMAN* m = vnUNITMAN_Get();
  VNPLAYER* computer = m ? vnUNITMAN_FindPlayer(m, vnUNITMAN_GetComputerPlayerId()) : nullptr;
  if (!computer) return;
  VNUNITMAN_WALK walk(m, &computer->units);
  while (VNUNIT* u = walk.Next()) {
    if (u->nType != VN_UNIT_TYPE_PE_BUGHOLE || record->nCount >= VNUNITMAN_MAX_BUGHOLES) continue;
    const int32_t wave = u->pController ? SGE_Send(u->pController, SGM_BUGHOLE_GET_WAVE, 0, 0) : 0;
    record->aHoles[record->nCount++] = {u->dwId, wave, 0};
    if (wave >= 0 && wave < VNUNITMAN_BUGHOLE_WAVES) ++record->anPerWave[wave];
  }
}

void vnUNITMAN_TriggerBugHoleWave(const VNUNITMAN_BUGHOLES* record, int32_t wave) {
  if (!record) return;
  for (int32_t i = 0; i < record->nCount && i < VNUNITMAN_MAX_BUGHOLES; ++i) {
    if (record->aHoles[i].nWave != wave) continue;
    vnUNITMAN_SendToUnit(record->aHoles[i].dwId, SGM_BUGHOLE_TRIGGER_A, 0, 0);
    vnUNITMAN_SendToUnit(record->aHoles[i].dwId, SGM_BUGHOLE_TRIGGER_B, 0, 0);
  }
}
