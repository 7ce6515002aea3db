// What a soldier carries, asked by type or id: the main weapon, items shown or put away, unused
// tech items, the muzzle and named nodes of models, and the direction a model fires in.
#include <cmath>

#include "effects/weapon.h"
#include "engine/dobject/dobject.h"
#include "engine/math/vecops.h"
#include "terran/behave.h"
#include "terran/orders.h"
#include "world/mover/mover.h"
#include "world/unittype/unittype.h"

namespace {

SGE_DLLNODE* ListOf(const VNUNIT* unit, VNUNIT_CHILDLIST list) {
  return const_cast<SGE_DLLNODE*>(&unit->aChildren[list]);
}

// Carried beside the main weapon: the mine, the revolver, micro-rockets and the shock tool.
bool IsSideArm(int32_t type) {
  return type == VN_UNIT_TYPE_WEAPON_MINE || type == VN_UNIT_TYPE_WEAPON_REVOLVER ||
         type == VN_UNIT_TYPE_WEAPON_MICROROCKETS || type == VN_UNIT_TYPE_WEAPON_ENGSHOCK;
}

SPW_DOBJECT* ModelOf(const VNUNIT* unit) {
  return unit && unit->pController ? SGE_Ask<SPW_DOBJECT>(unit->pController, SGM_UNIT_GET_OBJECT, 0, 0)
                                   : nullptr;
}

SPW_VECTOR Position(const SPW_MATRIX& m) { return {m.m[3][0], m.m[3][1], m.m[3][2]}; }

}  // namespace

int32_t vnTERUNIT_TypeOfWeapon(const VNUNIT* weapon) {
  if (!weapon) return -1;
  if (weapon->nType != VN_UNIT_TYPE_WEAPON_CLASS1DOUBLE) return weapon->nType;
  return static_cast<int32_t>(vnTERUNIT_SendUnit(weapon, SGM_WEAPON_INNER_TYPE));
}

VNUNIT* vnTERUNIT_FirstMainWeapon(const VNUNIT* unit, int32_t type) {
  if (!unit || type == VN_UNIT_TYPE_WEAPON_CLASS1DOUBLE) return nullptr;
  for (VNUNIT* item : SGE_ListRecords<VNUNIT>(ListOf(unit, VNTERUNIT_WEAPON_LIST)))
    if (item->nType != type && !IsSideArm(item->nType)) return item;
  return nullptr;
}

int32_t vnTERUNIT_ItemIdOfType(const VNTERUNIT* record, int32_t type) {
  for (VNUNIT* item : SGE_ListRecords<VNUNIT>(ListOf(record->unit, VNTERUNIT_WEAPON_LIST)))
    if (vnTERUNIT_TypeOfWeapon(item) == type || item->nType == type)
      return static_cast<int32_t>(item->dwId);
  return -1;
}

int32_t vnTERUNIT_ShowItem(VNUNIT* unit, int32_t id, int32_t hide) {
  VNUNIT* item = unit ? vnTERUNIT_FindItem(unit, id, 0) : nullptr;
  SPW_DOBJECT* model = ModelOf(item);
  if (!model) return 0;
  if (hide) {
    vnTERUNIT_SendUnit(item, SGM_WEAPON_DETACH);
    model->fFlags |= SPW_DOBJ_HIDDEN;
  } else {
    vnTERUNIT_SendUnit(item, SGM_WEAPON_ATTACH, VNWEAPON_HAND_SINGLE);
    model->fFlags &= ~SPW_DOBJ_HIDDEN;
  }
  return 1;
}

VNUNIT* vnTERUNIT_FindTechItem(const VNUNIT* unit, int32_t type) {
  if (!unit) return nullptr;
  for (VNUNIT* item : SGE_ListRecords<VNUNIT>(ListOf(unit, VNTERUNIT_EQUIPMENT_LIST)))
    if (item->nType == type && vnTERUNIT_SendUnit(item, SGM_TECHITEM_IS_USED) == 0) return item;
  return nullptr;
}

int32_t vnTERUNIT_GetMuzzlePoint(VNUNIT* item, SPW_VECTOR* outPoint, SPW_VECTOR* outAxis) {
  if (!item || !outPoint) return 0;
  SPW_VECTOR axis{};
  int32_t found = 0;
  if (item->nType == VN_UNIT_TYPE_WEAPON_CLASS1DOUBLE) {
    found = vnTERUNIT_SendUnit(item, SGM_WEAPON_MUZZLE_POINT, SGE_PtrParam(outPoint),
                               SGE_PtrParam(&axis)) != 0;
  } else if (item->nType == VN_UNIT_TYPE_WEAPON_ENGSHOCK) {
    VNTERUNIT_MUZZLE muzzle{};
    found = vnTERUNIT_SendUnit(item, SGM_ENGSHOCK_MUZZLE, SGE_PtrParam(&muzzle)) != 0;
    if (found) *outPoint = muzzle.point, axis = muzzle.axis;
  } else {
    SPW_MATRIX m{};
    float scale = 1.0f;
    SPW_DOBJECT* model = ModelOf(item);
    found = model && SPW_GetNamedNodeTransform(model, VNTERUNIT_MUZZLE_NODE, &m, &scale);
    if (found) *outPoint = Position(m), axis = {m.m[0][0], m.m[0][1], m.m[0][2]};
  }
  if (found && outAxis) *outAxis = axis;
  return found ? 1 : 0;
}

int32_t vnTERUNIT_GetNodePoint(SPW_DOBJECT* model, SPW_VECTOR* out, const char* name) {
  SPW_MATRIX m{};
  float scale = 1.0f;
  if (!model || !name || !SPW_GetNamedNodeTransform(model, name, &m, &scale)) return 0;
  *out = Position(m);
  return 1;
}

void vnTERUNIT_FireDirection(const SPW_DOBJECT* model, const SPW_VECTOR* facing, SPW_VECTOR* out,
                             int32_t aim) {
  const float yaw = aim && model ? model->vOverrideAngles.z : 0.0f;
  const float pitch = aim && model ? model->vOverrideAngles.x : 0.0f;
  const float c = std::cos(yaw), s = std::sin(yaw);
  SPW_VECTOR d{facing->x * c - facing->y * s, facing->x * s + facing->y * c, std::tan(pitch)};
  const float length = SPW_VLength(d);
  *out = length > 0.0f ? SPW_VScale(d, 1.0f / length) : SPW_VECTOR{0.0f, 1.0f, 0.0f};
}

int32_t vnTERUNIT_CancelMoveOnClassChange(VNTERUNIT* record, int32_t oldType, int32_t newType) {
  if (record->modeFlags & VNTERUNIT_MF_WEAPON_STOWED) {
    if (VNUNIT* ready = vnTERUNIT_FindItem(record->unit, record->readyItemId, 0))
      oldType = vnTERUNIT_TypeOfWeapon(ready);
  }
  if (vnTERUNIT_IsGrenadeOrMissile(oldType) == vnTERUNIT_IsGrenadeOrMissile(newType)) return 0;
  const int32_t kind = vnTERUNIT_OrderKind(vnORDER_Current(record->unit));
  if (kind != VNTERUNIT_ORDER_ATTACK_UNIT && kind != VNTERUNIT_ORDER_ATTACK_POINT) return 0;
  vnORDER_Pop(record->unit);
  vnTERUNIT_SendMover(record, SGM_MOVER_STOP);
  return 1;
}
