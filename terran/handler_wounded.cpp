// The soldier's second model: the wounded pose it lies in until it gets up, and the rope it pulls.
// The model is loaded the first time it is needed and kept as the second object of the unit.
#include <cmath>

#include "engine/dobject/dobject.h"
#include "engine/memory/memblock.h"
#include "platform/trace.h"
#include "terran/anim_internal.h"
#include "terran/behave.h"
#include "terran/handler.h"
#include "terran/orders.h"
#include "terran/update.h"
#include "world/fobj/common_play.h"
#include "world/mover/mover.h"
#include "world/unitman/orders.h"
#include "world/unittype/unittype.h"

namespace {

// The wounded model's animations, in woundedAnims order.
enum WOUNDED_ANIM : int32_t { WOUNDED_LIE, WOUNDED_HELP, WOUNDED_GETUP, WOUNDED_ROPE };
constexpr const char* kWoundedAnimNames[VNTERUNIT_WOUNDED_ANIMS] = {"wounded", "helpMe", "getup",
                                                                    "pullrope"};
constexpr const char* kWoundedMale = "Export/Pows/TCapMaMWounded.pow";
constexpr const char* kWoundedMedic = "Export/Pows/TMedicMaMWounded.pow";
constexpr const char* kWoundedFemale = "Export/Pows/TCapFeMWounded.pow";

const char* WoundedFile(int32_t type) {
  if (type == VN_UNIT_TYPE_TERRAN_MEDIC || type == VN_UNIT_TYPE_TERRAN_MEDIC_FEM) return kWoundedMedic;
  if (type == VN_UNIT_TYPE_TERRAN_ZR_0_FEM) return kWoundedFemale;
  return kWoundedMale;
}

// The unit's second object, or null.
SPW_DOBJECT* SecondObject(const VNUNIT* unit) {
  int32_t n = 0;
  for (const VNUNIT_LINKNODE* node : SGE_ListRecords<VNUNIT_LINKNODE>(&unit->list))
    if (n++ == 1) return static_cast<SPW_DOBJECT*>(node->pData);
  return nullptr;
}

SPW_TRANSFORM MainTransform(const VNTERUNIT* s) {
  if (s->model) return s->model->t;
  return {s->unit->vPos, {0.0f, 0.0f, 0.0f, 1.0f}, 1.0f};
}

// The animation of the wounded model from its start; the getup is played once.
void Play(SPW_DOBJECT* wounded, const VNTERUNIT* s, WOUNDED_ANIM which, uint32_t flags) {
  const int32_t anim = s->woundedAnims ? s->woundedAnims[which] : -1;
  if (anim < 0) return;
  SPW_PlayAnimation(wounded, anim, -1, nullptr, 0, flags, 1.0f);
  SPW_SetAnimationTime(wounded, anim, 0.0f);
}

void GetUpEnded(void* object, uint32_t* values) {
  VNUNIT* unit = vnUNITMAN_GetUnit(values[0]);
  VNTERUNIT* s = unit ? SGE_TaskData<VNTERUNIT>(unit->pController) : nullptr;
  if (!s || SecondObject(unit) != object) return;
  vnTERUNIT_WakeEvent(s, 2);
}

// Loads the wounded model behind the main one, with its four animations; 0 when it cannot be had.
SPW_DOBJECT* MakeWounded(VNTERUNIT* s) {
  if (SPW_DOBJECT* wounded = SecondObject(s->unit)) return wounded;
  const SPW_TRANSFORM at = MainTransform(s);
  const char* file = WoundedFile(s->unit->nType);
  SPW_DOBJECT* wounded = vnUNIT_CreateObject(s->unit, file, 1.0f, &at);
  if (!wounded) {
    PLAT_Trace("[TERUNIT] unit %u: no wounded model \"%s\"\n", s->unit->dwId, file);
    return nullptr;
  }
  if (!s->woundedAnims) {
    VNUNITMAN* manager = vnUNITMAN_Get();
    s->woundedAnims = manager ? static_cast<int32_t*>(SGE_MemAlloc(
                                    manager->pBlock, VNTERUNIT_WOUNDED_ANIMS * sizeof(int32_t)))
                              : nullptr;
  }
  for (int32_t i = 0; s->woundedAnims && i < VNTERUNIT_WOUNDED_ANIMS; ++i)
    s->woundedAnims[i] = SPW_FindAnimationByName(wounded, kWoundedAnimNames[i]);
  if (s->woundedAnims && s->woundedAnims[WOUNDED_GETUP] >= 0) {
    const uint32_t user[2] = {s->unit->dwId, 0};
    SPW_AddAnimEndBreakpoint(wounded, 0, s->woundedAnims[WOUNDED_GETUP], GetUpEnded, user);
  }
  vnFOBJPLAY_Show(wounded, false);
  return wounded;
}

// The wounded model in the main model's place, and the main model hidden.
SPW_DOBJECT* TakeOver(VNTERUNIT* s) {
  SPW_DOBJECT* wounded = MakeWounded(s);
  if (!wounded) return nullptr;
  wounded->t = MainTransform(s);
  vnFOBJPLAY_Show(wounded, true);
  vnFOBJPLAY_Show(s->model, false);
  return wounded;
}

void GiveBack(VNTERUNIT* s, SPW_DOBJECT* wounded) {
  if (s->model && wounded) s->model->t = wounded->t;
  vnFOBJPLAY_Show(wounded, false);
  vnFOBJPLAY_Show(s->model, true);
}

void BothAnims(VNTERUNIT* s, int32_t slot) {
  const int32_t anim = vnTERUNIT_Anim(s, slot);
  s->upperAnim = s->lowerAnim = anim;
}

}  // namespace

int32_t vnTERUNIT_ShowWounded(VNTERUNIT* s, int32_t show) {
  if (show) {
    if (s->modeFlags & VNTERUNIT_MF_WOUNDED) return 1;
    SPW_DOBJECT* wounded = TakeOver(s);
    if (!wounded) return 0;
    s->modeFlags |= VNTERUNIT_MF_WOUNDED | VNTERUNIT_MF_WOUNDED_ANIM;
    Play(wounded, s, WOUNDED_LIE, SPW_ANIM_LOOP_FLAGS);
    vnORDER_Clear(s->unit);
    return 1;
  }
  if (!(s->modeFlags & VNTERUNIT_MF_WOUNDED)) return 1;
  SPW_DOBJECT* wounded = SecondObject(s->unit);
  if (!wounded) {
    vnFOBJPLAY_Show(s->model, true);
    s->modeFlags &= ~(VNTERUNIT_MF_WOUNDED | VNTERUNIT_MF_WOUNDED_ANIM);
  } else if (s->modeFlags & VNTERUNIT_MF_WOUNDED_ANIM) {
    Play(wounded, s, WOUNDED_GETUP, SPW_ANIM_ONCE_FLAGS);
    s->modeFlags &= ~VNTERUNIT_MF_WOUNDED_ANIM;
  }
  return 1;
}

SPW_DOBJECT* vnTERUNIT_GetWoundedObject(const VNTERUNIT* s) { return SecondObject(s->unit); }

void vnTERUNIT_WakeEvent(VNTERUNIT* s, int32_t) {
  if (!(s->modeFlags & VNTERUNIT_MF_WOUNDED)) return;
  vnTERUNIT_Awaken(s, true);
  GiveBack(s, SecondObject(s->unit));
  s->modeFlags &= ~VNTERUNIT_MF_WOUNDED;
  vnTERUNIT_SetIdle(s);
  BothAnims(s, VNTERUNIT_SLOT_IDLE_LKAROUND);
}

int32_t vnTERUNIT_PullRope(VNTERUNIT* s, const SPW_VECTOR* direction) {
  if (!direction) {
    vnTERUNIT_RemoveOrders(s->unit, VNTERUNIT_ORDER_ROPE);
    GiveBack(s, SecondObject(s->unit));
    vnTERUNIT_SetIdle(s);
    BothAnims(s, VNTERUNIT_SLOT_IDLE_LKAROUND);
    s->idleTime = 0.0f;
    s->idlePeriods = 0;
    vnTERUNIT_SendSelf(s, SGM_TERUNIT_SET_DORMANT, 0, 0);
    s->unit->dwFlags |= VNUNIT_F_SELECTABLE;
    return 1;
  }
  if (vnORDER_FindById(s->unit, VNTERUNIT_ORDER_ROPE)) return 1;
  float length = std::sqrt(direction->x * direction->x + direction->y * direction->y);
  if (!(length > 0.0f)) length = 1.0f;
  const SPW_VECTOR dir{direction->x / length, direction->y / length, 0.0f};
  SPW_DOBJECT* wounded = TakeOver(s);
  if (!wounded) return 0;
  Play(wounded, s, WOUNDED_ROPE, SPW_ANIM_LOOP_FLAGS);
  vnORDER_Clear(s->unit);
  s->wanderPoint = nullptr;
  s->upperLocked = s->lowerLocked = 0;
  s->treating = 0;
  s->wasHit = 0;
  vnTERUNIT_StopMover(s, 0);
  VNORDER rope = vnTERUNIT_MakeOrder(VNTERUNIT_ORDER_ROPE);
  rope.anWord[VNTERUNIT_ORDER_WORD_STARTED] = 1;  // the wounded model pulls it
  vnTERUNIT_SetOrderPoint(&rope, dir);
  vnTERUNIT_SetOrderPoint(&rope, {-dir.x, -dir.y, 0.0f}, VNTERUNIT_ORDER_WORD_BACK);
  vnORDER_Push(s->unit, &rope);
  s->lowerState = VN_TERUNIT_LOWER_PULLROPE;
  s->upperState = VN_TERUNIT_UPPER_PULLROPE;
  vnTERUNIT_SendSelf(s, SGM_TERUNIT_SET_DORMANT, 1, 0);
  s->unit->dwFlags &= ~(VNUNIT_F_SELECTABLE | VNUNIT_F_NEVER_SIGHTED | VNUNIT_F_SELECTED);
  return 1;
}

void vnTERUNIT_CheckRopeDone(VNTERUNIT* s) {
  const VNORDER* rope = vnORDER_FindById(s->unit, VNTERUNIT_ORDER_ROPE);
  if (rope && rope->anWord[VNTERUNIT_ORDER_WORD_SECOND] == 0) vnTERUNIT_PullRope(s, nullptr);
}

void vnTERUNIT_Relax(VNTERUNIT* s) {
  s->idlePeriods = 3;
  BothAnims(s, VNTERUNIT_SLOT_GOTORELAXED);
  s->upperLocked = s->lowerLocked = 1;
  vnTERUNIT_PlayHalves(s, s->model, 1.0f);
}
