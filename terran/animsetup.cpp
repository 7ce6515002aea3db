// Set-up of a soldier's animations: the shared animation map, the body-half node selections,
// the torso node, the end callbacks, the hold set; and placing the model.
#include <cmath>
#include <iterator>

#include "effects/weapon.h"
#include "engine/dobject/dobject.h"
#include "engine/object/object.h"
#include "platform/trace.h"
#include "terran/anim_internal.h"
#include "terran/terunit.h"
#include "world/mover/mover.h"
#include "world/unitman/unitman.h"
#include "world/unittype/unittype.h"

namespace {

constexpr float kTakeoffMarkFrames = 12.0f;  // bounce_takeoff also ends its climb here

struct NODENAMES {
  uint32_t count;
  const char* const* names;
};

template <size_t N>
constexpr NODENAMES Names(const char* const (&names)[N]) {
  return {static_cast<uint32_t>(N), names};
}

constexpr const char* kUpperSuit0[] = {"pelvis", "neck+torso+shoulderR+shoulderL", "bisepL",
                                       "forearmL", "bisepR", "forearmR"};
constexpr const char* kUpperBrakkar2Fem[] = {"pelvis", "torso+neck+shoulderR+shoulderL",
                                             "bisepL", "forearmL", "handL", "bisepR",
                                             "forearmR", "handR", "head"};
constexpr const char* kUpperScout0[] = {"pelvis", "neck+torso+shoulderR+shoulderL"};
constexpr const char* kUpperScout1[] = {"pelvis", "head+neck+torso+shoulderR+shoulderL",
                                        "bisepL", "forearmL", "handL", "bisepR", "forearmR",
                                        "handR"};
constexpr const char* kUpperScout2[] = {"pelvis", "neck+torso+shoulderR+shoulderL", "antena03",
                                        "antena02", "antena01", "bisepL", "forearmL", "handL",
                                        "bisepR", "forearmR", "handR"};
constexpr const char* kUpperEngineer[] = {"pelvis", "neck+torso+shoulderL+shoulderR", "clawarm",
                                          "claw_lower", "claw_upper"};
constexpr const char* kUpperOther[] = {"pelvis", "neck+torso+shoulderR+shoulderL", "bisepL",
                                       "forearmL", "handL", "bisepR", "forearmR", "handR", "head"};

constexpr const char* kLowerBrakkar0[] = {"thighL", "calfL", "footL01", "footL02",
                                          "thighR", "calfR", "footR01", "footR02"};
constexpr const char* kLowerDravik[] = {"thighL", "calfL", "footL", "coatskirt_left",
                                        "thighR", "calfR"};
constexpr const char* kLowerOther[] = {"thighL", "calfL", "footL", "thighR", "calfR", "footR"};

NODENAMES UpperNodes(int32_t type) {
  switch (type) {
    case VN_UNIT_TYPE_SUIT_COMMAND_0:
    case VN_UNIT_TYPE_SUIT_COMMAND_0_FEM:
    case VN_UNIT_TYPE_SUIT_BRAKKAR_0:
    case VN_UNIT_TYPE_SUIT_BRAKKAR_0_FEM:
      return Names(kUpperSuit0);
    case VN_UNIT_TYPE_SUIT_BRAKKAR_2_FEM:
      return Names(kUpperBrakkar2Fem);
    case VN_UNIT_TYPE_SUIT_SCOUT_0:
    case VN_UNIT_TYPE_SUIT_SCOUT_0_FEM:
      return Names(kUpperScout0);
    case VN_UNIT_TYPE_SUIT_SCOUT_1:
    case VN_UNIT_TYPE_SUIT_SCOUT_1_FEM:
      return Names(kUpperScout1);
    case VN_UNIT_TYPE_SUIT_SCOUT_2:
    case VN_UNIT_TYPE_SUIT_SCOUT_2_FEM:
      return Names(kUpperScout2);
    case VN_UNIT_TYPE_TERRAN_COMBATENG:
    case VN_UNIT_TYPE_TERRAN_COMBATENG_FEM:
      return Names(kUpperEngineer);
    default:
      return Names(kUpperOther);
  }
}

NODENAMES LowerNodes(int32_t type) {
  switch (type) {
    case VN_UNIT_TYPE_SUIT_BRAKKAR_0:
    case VN_UNIT_TYPE_SUIT_BRAKKAR_0_FEM:
      return Names(kLowerBrakkar0);
    case VN_UNIT_TYPE_TERRAN_ZR_DRAVIK:
      return Names(kLowerDravik);
    default:
      return Names(kLowerOther);
  }
}

const char* TorsoName(int32_t type) {
  switch (type) {
    case VN_UNIT_TYPE_SUIT_BRAKKAR_2_FEM:
      return "torso+neck+shoulderR+shoulderL";
    case VN_UNIT_TYPE_SUIT_SCOUT_1:
    case VN_UNIT_TYPE_SUIT_SCOUT_1_FEM:
      return "head+neck+torso+shoulderR+shoulderL";
    case VN_UNIT_TYPE_TERRAN_COMBATENG:
    case VN_UNIT_TYPE_TERRAN_COMBATENG_FEM:
      return "neck+torso+shoulderL+shoulderR";
    default:
      return "neck+torso+shoulderR+shoulderL";
  }
}

// The soldier is looked up by unit id at every callback: the unit may be gone, or its model
// replaced, by the time an animation of the old one ends.
void AnimationEndedEvent(void* object, uint32_t* values) {
  VNUNIT* unit = vnUNITMAN_GetUnit(values[0]);
  VNTERUNIT* record = unit ? SGE_TaskData<VNTERUNIT>(unit->pController) : nullptr;
  if (!record || record->model != object) return;
  vnTERUNIT_AnimationEnded(record, static_cast<int32_t>(values[1]));
}

bool IsTakeoff(int32_t nameIndex) {
  return nameIndex % VNTERUNIT_SET_SLOTS == VNTERUNIT_SLOT_BOUNCE_TAKEOFF;
}

}  // namespace

int32_t vnTERUNIT_MakeBoneSets(VNTERUNIT* record, int32_t type, SPW_DOBJECT* model) {
  SPW_FreeNodeSelection(record->upperBones);
  SPW_FreeNodeSelection(record->lowerBones);
  const NODENAMES upper = UpperNodes(type);
  const NODENAMES lower = LowerNodes(type);
  record->upperBones = SPW_SelectNodes(model, upper.count, upper.names);
  record->lowerBones = SPW_SelectNodes(model, lower.count, lower.names);
  return record->upperBones && record->lowerBones ? 1 : 0;
}

int32_t vnTERUNIT_FindTorsoNode(VNTERUNIT* record, int32_t type, SPW_DOBJECT* model) {
  record->torsoNode = SPW_FindNodeByName(model, TorsoName(type));
  return record->torsoNode;
}

void vnTERUNIT_BindAnimationEvents(VNTERUNIT* record, SPW_DOBJECT* model) {
  if (!record->animMap || !record->unit || !model) return;
  for (int32_t i = 0; i < VNTERUNIT_ANIM_NAMES; ++i) {
    const int32_t anim = record->animMap[i];
    if (anim < 0) continue;
    const uint32_t user[2] = {record->unit->dwId, static_cast<uint32_t>(i)};
    SPW_AddAnimEndBreakpoint(model, 0, anim, AnimationEndedEvent, user);
    SPW_SetAnimationFlags(model, anim, SPW_ANIM_ONCE);
    if (IsTakeoff(i))
      SPW_AddAnimBreakpointFrames(model, kTakeoffMarkFrames, 0, anim, AnimationEndedEvent, user);
  }
}

int32_t vnTERUNIT_SetUpAnimation(VNTERUNIT* record, SPW_DOBJECT* model) {
  if (!record || !record->unit || !model) return 0;
  const int32_t type = record->unit->nType;
  const VNUNITMAN_ANIMREQUEST request{type, VNTERUNIT_ANIM_NAMES, SPW_GetObjectType(model->nType),
                                      vnTERUNIT_GetAnimNames()};
  if (!vnUNITMAN_QueryRecord(&request, &record->animMap)) {
    PLAT_Trace("TERUNIT: no animation map for unit type %d\n", type);
    record->animMap = nullptr;
  }
  vnTERUNIT_MakeBoneSets(record, type, model);
  vnTERUNIT_FindTorsoNode(record, type, model);
  record->animSet = 0;
  record->upperAnim = record->lowerAnim = vnTERUNIT_Anim(record, VNTERUNIT_SLOT_IDLE_LKAROUND);
  for (int32_t i = 0; record->animMap && i < VNTERUNIT_ANIM_NAMES; ++i)
    if (record->animMap[i] >= 0) SPW_SetAnimationSpeed(model, record->animMap[i], 1.0f);
  vnTERUNIT_BindAnimationEvents(record, model);
  return record->animMap ? 1 : 0;
}

void vnTERUNIT_SelectHoldSet(VNTERUNIT* record) {
  VNUNIT* unit = record->unit;
  if (!unit || vnTERUNIT_IsTier0Suit(unit->nType)) {
    record->animSet = 0;
    return;
  }
  VNUNIT* weapon = SGE_ListFirstRecord<VNUNIT>(&unit->aChildren[VNUNIT_CHILD_WEAPONS]);
  if (!weapon || !weapon->pController) return;
  switch (SGE_Send(weapon->pController, SGM_WEAPON_GET_HOLD_KIND, 0, 0)) {
    case 1:
      record->animSet = VNTERUNIT_SET_SLOTS;
      break;
    case 2:
      record->animSet = 2 * VNTERUNIT_SET_SLOTS;
      break;
    default:
      record->animSet = 0;
      break;
  }
}

void vnTERUNIT_PlaceModel(VNTERUNIT* record, SPW_DOBJECT* model) {
  if (!record->unit || !model) return;
  const VNMOVER_RECORD* move = record->unit->pMove;
  const SPW_VECTOR facing = move ? move->vHeading : SPW_VECTOR{0.0f, 1.0f, 0.0f};
  const float half = 0.5f * (std::atan2(-facing.x, facing.y) + SPW_PI);
  model->t.vPos = record->unit->vPos;
  model->t.qRot = {0.0f, 0.0f, std::sin(half), std::cos(half)};
  model->t.fScale = 1.0f;
}

void vnTERUNIT_StopMover(VNTERUNIT* record, int32_t /*kind*/) {
  if (record->unit && record->unit->pMover)
    SGE_Send(record->unit->pMover, SGM_MOVER_STOP, 0, 0);
}

void vnTERUNIT_SetIdle(VNTERUNIT* record) {
  record->lowerState = VN_TERUNIT_LOWER_IDLE;
  record->upperState = VN_TERUNIT_UPPER_IDLE;
  record->lowerLocked = 0;
  record->upperLocked = 0;
  vnTERUNIT_StopMover(record, 0);
}
