// The HUD task.
#include "interface/hud/hudtask.h"

#include "engine/kernel/frametime.h"
#include "engine/kernel/tasktypes.h"
#include "frontend/platman.h"
#include "interface/hud/hud.h"
#include "interface/hud/refresh.h"
#include "missions/control/misscont.h"
#include "world/mission/context.h"
#include "world/unitman/unitman.h"

namespace {

VNPLATOON_UNIT* Leader() {
  const VNPLATOON* platoon = vnMISSCONT_GetPlatoon();
  return platoon ? platoon->apUnits[VNPLATOON_FIRST_FIELDED] : nullptr;
}

VNUNIT* UnitOf(const VNPLATOON_UNIT* soldier) {
  return soldier ? vnUNITMAN_GetUnit(static_cast<uint32_t>(soldier->nRosterId)) : nullptr;
}

bool Selected(const VNUNIT* unit) { return unit && (unit->dwFlags & VNUNIT_F_SELECTED); }

void Rebuild(VNHUD_DATA* self) {
  ++self->nRebuilds;
  self->iSelectedCount = 0;
  const VNPLATOON* platoon = vnMISSCONT_GetPlatoon();
  if (!platoon) return;
  for (int32_t slot = VNPLATOON_FIRST_FIELDED; slot < VNPLATOON_FIRST_FIELDED + VNPLATOON_FIELDED;
       ++slot)
    if (Selected(UnitOf(platoon->apUnits[slot]))) ++self->iSelectedCount;
}

void Create(VNHUD_DATA* self, SGE_TASK* task) {
  *self = VNHUD_DATA{};
  self->pTask = task;
  self->bPanelShown = 1;
  self->iPressedCode = -1;
  self->pTimer = SGE_AddFrameTimer(task, 1, nullptr, SGE_TIMER_REPEAT);
  vnMISSION_Context().pHud = task;
  Rebuild(self);
}

void Destroy(VNHUD_DATA* self) {
  if (self->pTimer) SGE_KillTimer(self->pTimer);
  self->pTimer = nullptr;
  if (vnMISSION_Context().pHud == self->pTask) vnMISSION_Context().pHud = nullptr;
}

void Frame(VNHUD_DATA* self) {
  self->fTime += SGE_GetFrameTime();
  if (vnHUD_TakeRefresh() > 0) Rebuild(self);
}

void SetPanel(VNHUD_DATA* self, int32_t shown) {
  self->bPanelShown = shown;
  Rebuild(self);
}

void TechUsed(VNHUD_DATA* self, SGE_PARAM unitId, SGE_PARAM item) {
  VNPLATOON_UNIT* soldier =
      vnPLATMAN_FindStrikeTeamUnit(vnMISSCONT_GetPlatoon(), static_cast<int32_t>(unitId));
  if (soldier) {
    if (soldier->anEquipment[0] == item && !(soldier->dwFlags & VNPLATOON_UNIT_ITEM1_USED))
      soldier->dwFlags |= VNPLATOON_UNIT_ITEM1_USED;
    else if (soldier->anEquipment[1] == item)
      soldier->dwFlags |= VNPLATOON_UNIT_ITEM2_USED;
  }
  Rebuild(self);
}

SGE_RESULT Answer(VNHUD_DATA* self, SGE_TASK* task, int32_t msg, SGE_PARAM p1, SGE_PARAM p2) {
  switch (msg) {
    case SGM_TASK_CREATE: Create(self, task); return 0;
    case SGM_TASK_DESTROY: Destroy(self); return 0;
    case SGM_TASK_FRAME: Frame(self); return 0;
    case SGM_VN_HUD_SHOW_PANEL: SetPanel(self, 1); return 0;
    case SGM_VN_HUD_HIDE_PANEL: SetPanel(self, 0); return 0;
    case SGM_VN_HUD_TOGGLE_PANEL: SetPanel(self, !self->bPanelShown); return 0;
    case SGM_VN_HUD_PANEL_SHOWN: return self->bPanelShown;
    case SGM_VN_HUD_LEADER_ID: return UnitOf(Leader()) ? Leader()->nRosterId : 0;
    case SGM_VN_HUD_LEADER_SELECTED: return Selected(UnitOf(Leader()));
    case SGM_VN_HUD_LEADER_FLAG2: {
      const VNUNIT* leader = UnitOf(Leader());
      return leader ? static_cast<SGE_RESULT>(leader->dwFlags & VNHUD_LEADER_FLAG) : 0;
    }
    case SGM_VN_HUD_REBUILD: Rebuild(self); return 0;
    case SGM_VN_HUD_FORGET_COMMAND: self->iPressedCode = -1; return 0;
    case SGM_VN_HUD_SELECTED_COUNT: return self->iSelectedCount;
    case SGM_VN_HUD_TECH_USED: TechUsed(self, p1, p2); return 0;
    default: return 0;
  }
}

SGE_RESULT Send(int32_t msg, SGE_PARAM p1, SGE_PARAM p2) {
  SGE_TASK* hud = vnHUD_GetObject();
  return hud ? SGE_Send(hud, msg, p1, p2) : 0;
}

}  // namespace

SGE_RESULT vnHUD_Handler(SGE_TASK* task, SGE_DATAREF* data, int32_t msg, SGE_PARAM p1,
                         SGE_PARAM p2) {
  return vnUNIT_ControllerHandler<VNHUD_DATA, Answer>(task, data, msg, p1, p2);
}

int32_t vnHUD_Register() {
  return SGE_RegisterTaskType(VNTT_HUD, vnHUD_Handler, SGE_TTF_ZERO_DATA,
                              static_cast<int32_t>(sizeof(VNHUD_DATA)), "");
}

SGE_TASK* vnHUD_GetObject() { return vnMISSION_Context().pHud; }

int32_t vnHUD_GetState1846() { return static_cast<int32_t>(Send(SGM_VN_HUD_SELECTED_COUNT, 0, 0)); }

void vnHUD_ShowPanel() { Send(SGM_VN_HUD_SHOW_PANEL, 0, 0); }

void vnHUD_HidePanel() { Send(SGM_VN_HUD_HIDE_PANEL, 0, 0); }

void vnHUD_ReplaceUnit(uint32_t oldId, uint32_t newId) {
  SGE_TASK* hud = vnHUD_GetObject();
  VNHUD_DATA* self = SGE_TaskData<VNHUD_DATA>(hud);
  if (!self) return;
  VNPLATOON_UNIT* soldier =
      vnPLATMAN_FindStrikeTeamUnit(vnMISSCONT_GetPlatoon(), static_cast<int32_t>(oldId));
  if (soldier) soldier->nRosterId = static_cast<int32_t>(newId);
  if (self->dwCurrentUnit == oldId) self->dwCurrentUnit = newId;
  if (vnHUD_GetSelectedUnitID() == oldId) vnHUD_SetSelectedUnitID(newId);
  Rebuild(self);
}
