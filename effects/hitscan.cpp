// The hit-scan gun classes.
#include "effects/hitscan.h"

#include <cmath>
#include <cstring>
#include <iterator>

#include "effects/weapon.h"
#include "engine/dobject/dobject.h"
#include "engine/kernel/frametime.h"
#include "engine/kernel/tasktypes.h"
#include "engine/math/vecops.h"
#include "engine/object/object.h"
#include "missions/control/misscont.h"
#include "platform/random.h"
#include "shell/sound/sound.h"
#include "world/combat/combat.h"
#include "world/unitman/unitman.h"
#include "world/unittype/unittype.h"

// What sets one hit-scan class apart from the others.
struct VNHITSCAN_CLASS {
  int32_t nTypeId;
  float fMinRange;
  int32_t nHoldKind;
  const char* pszLocator;      // the weapon's node hung on the holder's hand
  const char* pszPairLocator;  // the same as a gun of the double weapon
  int32_t anShotSounds[2];     // a random one of the range per shot
  int32_t nLoadSound;          // -1: none
  bool bRateIsInterval;        // the rate attribute holds the seconds between shots
  bool bKeepsRound;            // shots never use the round up
};

namespace {

constexpr const char* kMuzzleNode = "g";
// The holder's hand locators: single, then left and right of the double weapon.
constexpr const char* kHandLocators[3] = {"p", "pL", "pR"};
constexpr float kConeCosine = 0.98481f;      // 10 degrees
constexpr float kPairConeCosine = 0.86666f;  // about 30 degrees, a gun of the double weapon

constexpr VNHITSCAN_CLASS kClasses[] = {
    {VNTT_WEAPON_CHAINCANNON, 1.5f, VNWEAPON_HOLD_HEAVY, "h3", "h4", {707, 708}, 752, false, false},
    {VNTT_WEAPON_LIGHTRIFLE, 1.25f, VNWEAPON_HOLD_LIGHT, "h1", "h1", {725, 725}, -1, true, false},
    {VNTT_WEAPON_REVOLVER, 1.0f, VNWEAPON_HOLD_LIGHT, "h1", "h1", {709, 709}, -1, false, true},
    {VNTT_WEAPON_SMARTRIFLE, 1.5f, VNWEAPON_HOLD_LIGHT, "h1", "h1", {718, 722}, 753, false, false},
};

const VNHITSCAN_CLASS* ClassOf(int32_t typeId) {
  for (const VNHITSCAN_CLASS& c : kClasses)
    if (c.nTypeId == typeId) return &c;
  return nullptr;
}

float Interval(const VNHITSCAN* self) {
  const float rate = vnUNIT_AttrFloat(self->pUnit, VNWEAPON_ATTR_RATE);
  if (self->pClass->bRateIsInterval) return rate;
  return rate > 0.0f ? 1.0f / rate : 0.0f;
}

SPW_DOBJECT* ObjectOf(const VNUNIT* unit) {
  return unit && unit->pController ? SGE_Ask<SPW_DOBJECT>(unit->pController, SGM_UNIT_GET_OBJECT, 0, 0)
                                   : nullptr;
}

bool InPair(const VNHITSCAN* self) {
  const VNUNIT* parent = self->pUnit->pParent;
  return parent && parent->nType == VN_UNIT_TYPE_WEAPON_CLASS1DOUBLE;
}

// A gun of the double weapon is told its hand by the class word of its creation: the pair
// knows its second gun only once that gun is made.
int32_t HandOf(const VNHITSCAN* self, const VNUNIT_CREATE* create) {
  if (!InPair(self) || !create) return VNWEAPON_HAND_SINGLE;
  return create->nVariant == VNWEAPON_HAND_RIGHT ? VNWEAPON_HAND_RIGHT : VNWEAPON_HAND_LEFT;
}

void Create(VNHITSCAN* self, SGE_TASK* task, VNUNIT* unit, const VNUNIT_CREATE* create) {
  std::memset(static_cast<void*>(self), 0, sizeof *self);
  self->pUnit = unit;
  self->pClass = ClassOf(task->nTypeId);
  self->nRoundType = VNWEAPON_NO_ROUND;
  self->nLocator = -1;
  if (!unit || !self->pClass) return;
  self->fSinceShot = Interval(self);
  const int32_t slot = vnWEAPON_LoadModel(unit, HandOf(self, create), ObjectOf(vnWEAPON_GetHolder(unit)));
  SPW_SCENE* scene = vnMISSCONT_GetScene();
  if (slot < 0 || !scene) return;
  const SPW_TRANSFORM at{create ? create->vPos : unit->vPos, {0.0f, 0.0f, 0.0f, 1.0f}, 1.0f};
  SPW_DOBJECT* object = SPW_CreateDynamicObject(scene, slot, nullptr, 0, &at, 0);
  if (object && !vnUNIT_AddObject(unit, object)) {
    SPW_DestroyDynamicObject(object);
    object = nullptr;
  }
  self->pObject = object;
}

// The muzzle's position and aiming axis; false without a model or its muzzle node.
bool Muzzle(const VNHITSCAN* self, SPW_VECTOR* pos, SPW_VECTOR* axis) {
  SPW_MATRIX m{};
  float scale = 1.0f;
  if (!self->pObject || !SPW_GetNamedNodeTransform(self->pObject, kMuzzleNode, &m, &scale))
    return false;
  *pos = {m.m[3][0], m.m[3][1], m.m[3][2]};
  *axis = {m.m[0][0], m.m[0][1], m.m[0][2]};
  return true;
}

void PlayShot(const VNHITSCAN* self, const SPW_VECTOR& at) {
  const int32_t* range = self->pClass->anShotSounds;
  const float pos[3] = {at.x, at.y, at.z};
  vnSOUND_PlayEffect(range[0] + PLAT_Rand() % (range[1] - range[0] + 1), pos);
}

// The shot is taken: the round pays for it and the interval starts again.
void Spend(VNHITSCAN* self) {
  if (!self->pClass->bKeepsRound) vnWEAPON_UseRound(self->pUnit);
  self->fSinceShot = 0.0f;
}

struct SHOT {
  SPW_VECTOR vMuzzle;
  SPW_VECTOR vAxis;
  SPW_VECTOR vDir;
  float fDistance;
};

// The shot from the muzzle to the aim point, the check's answer; 0 when it may go.
int32_t Check(VNHITSCAN* self, const SPW_VECTOR& aim, VNUNIT* target, SHOT* shot) {
  VNUNIT* holder = vnWEAPON_GetHolder(self->pUnit);
  if (!holder || !Muzzle(self, &shot->vMuzzle, &shot->vAxis)) return VNWEAPON_CANNOT_FIRE;
  shot->vDir = SPW_VSub(aim, shot->vMuzzle);
  shot->fDistance = SPW_VecNormalise(&shot->vDir);
  if (!(shot->fDistance > 0.0f)) shot->vDir = shot->vAxis;
  SPW_VECTOR block{};
  VNUNIT* round = nullptr;
  return vnWEAPON_CheckFire(shot->fDistance, &shot->vDir, self->pUnit, &self->nRoundType, &round,
                            &shot->vMuzzle, &shot->vAxis, &block, target, self->fSinceShot,
                            Interval(self), InPair(self) ? kPairConeCosine : kConeCosine,
                            self->pClass->fMinRange,
                            vnUNIT_AttrFloat(holder, VNWEAPON_ATTR_ACCURACY), holder);
}

int32_t FireAtUnit(VNHITSCAN* self, VNUNIT* target, SGE_PARAM locator) {
  if (!target) return VNWEAPON_CANNOT_FIRE;
  self->nLocator = static_cast<int32_t>(locator);
  SPW_VECTOR aim{};
  vnWEAPON_GetLocator(target, &self->nLocator, &aim, nullptr);
  SHOT shot{};
  const int32_t reasons = Check(self, aim, target, &shot);
  // A missed roll still costs the round; nothing is hit.
  if (reasons == VNWEAPON_MISSED) Spend(self);
  if (reasons) return reasons;
  Spend(self);
  const bool wasAlive = !vnUNIT_IsDead(target->dwId);
  const uint32_t targetId = target->dwId;
  const int32_t targetType = target->nType;
  vnInflictDamage(self->pUnit, target, 0.0f, &aim, &shot.vAxis, nullptr);
  const bool killed = wasAlive && vnUNIT_IsDead(targetId);
  vnWEAPON_CreditKill(self->pUnit, killed ? target : nullptr, self->pUnit->nType, targetType,
                      VNWEAPON_CREDIT_HOLDER);
  PlayShot(self, shot.vMuzzle);
  return VNWEAPON_FIRED;
}

int32_t FireAtPoint(VNHITSCAN* self, const SPW_VECTOR* point) {
  if (!point) return VNWEAPON_CANNOT_FIRE;
  SHOT shot{};
  const int32_t reasons = Check(self, *point, nullptr, &shot);
  if (reasons == VNWEAPON_MISSED) Spend(self);
  if (reasons) return reasons;
  Spend(self);
  PlayShot(self, shot.vMuzzle);
  return VNWEAPON_FIRED;
}

SGE_RESULT LoadRound(VNHITSCAN* self, SGE_PARAM silent) {
  VNUNIT* round = vnWEAPON_LoadRound(self->pUnit);
  if (round && self->pObject && !silent && self->pClass->nLoadSound >= 0) {
    const SPW_VECTOR& p = self->pObject->t.vPos;
    const float pos[3] = {p.x, p.y, p.z};
    vnSOUND_PlayEffect(self->pClass->nLoadSound, pos);
  }
  return SGE_PtrResult(round);
}

// Hangs the model on the holder's hand; a single weapon only when the holder may use it there.
void Attach(VNHITSCAN* self, SGE_PARAM hand) {
  const VNUNIT* holder = vnWEAPON_GetHolder(self->pUnit);
  SPW_DOBJECT* holderObject = ObjectOf(holder);
  if (!holder || !holderObject || !self->pObject) return;
  const bool paired = hand == VNWEAPON_HAND_LEFT || hand == VNWEAPON_HAND_RIGHT;
  if (!paired && !vnWEAPON_UnitCanUse(holder->nType, 0, self->pUnit->nType)) return;
  SPW_AttachObjectName(holderObject, self->pObject, 0, 0, kHandLocators[paired ? hand : 0],
                       paired ? self->pClass->pszPairLocator : self->pClass->pszLocator);
}

SGE_RESULT Answer(VNHITSCAN* self, SGE_TASK* task, int32_t msg, SGE_PARAM p1, SGE_PARAM p2) {
  if (msg == SGM_TASK_CREATE) {
    Create(self, task, SGE_ParamPtr<VNUNIT>(p1), SGE_ParamPtr<const VNUNIT_CREATE>(p2));
    return 0;
  }
  if (!self->pUnit || !self->pClass) return 0;
  switch (msg) {
    case SGM_TASK_DESTROY: vnUNIT_DestroyObjects(self->pUnit); self->pObject = nullptr; return 0;
    case SGM_UNIT_UPDATE: self->fSinceShot += SGE_GetFrameTime(); return 0;
    case SGM_UNIT_GET_OBJECT: return SGE_PtrResult(self->pObject);
    case SGM_WEAPON_FIRE: return FireAtUnit(self, SGE_ParamPtr<VNUNIT>(p1), p2);
    case SGM_WEAPON_FIRE_AT_POINT:
    case SGM_WEAPON_FIRE_ALTERNATE: return FireAtPoint(self, SGE_ParamPtr<const SPW_VECTOR>(p1));
    case SGM_WEAPON_IN_RANGE: return VNWEAPON_FIRED;
    case SGM_WEAPON_GET_HOLD_KIND: return self->pClass->nHoldKind;
    case SGM_WEAPON_LOAD_ROUND: return LoadRound(self, p1);
    case SGM_WEAPON_GET_ROUND_TYPE: return self->nRoundType;
    case SGM_WEAPON_ATTACH: Attach(self, p1); return 0;
    case SGM_WEAPON_DETACH: if (self->pObject) SPW_DetachObject(self->pObject); return 0;
    case SGM_WEAPON_HAS_AMMO: return self->pClass->bKeepsRound || vnWEAPON_HasAmmo(self->pUnit);
    case SGM_UNIT_GET_CLASS: return 0;
    default: return 0;
  }
}

}  // namespace

SGE_RESULT vnHITSCAN_Handler(SGE_TASK* task, SGE_DATAREF* data, int32_t msg, SGE_PARAM p1,
                             SGE_PARAM p2) {
  return vnUNIT_ControllerHandler<VNHITSCAN, Answer>(task, data, msg, p1, p2);
}
