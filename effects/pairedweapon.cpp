// The double weapon class.
#include "effects/pairedweapon.h"

#include <cstring>

#include "effects/weapon.h"
#include "engine/dobject/dobject.h"
#include "engine/math/vecops.h"
#include "platform/trace.h"
#include "world/unitman/unitman.h"
#include "world/unittype/unittype.h"

namespace {

constexpr const char* kMuzzleNode = "g";

SGE_RESULT Ask(const VNUNIT* gun, int32_t msg, SGE_PARAM p1, SGE_PARAM p2) {
  return gun && gun->pController ? SGE_Send(gun->pController, msg, p1, p2) : 0;
}

// The guns are the pair's own weapons; the class word of each creation tells a gun its hand.
VNUNIT* MakeGun(VNPAIREDWEAPON* self, int32_t hand) {
  VNUNIT_CREATE c{};
  c.nType = self->nGunType;
  c.dwPlayer = self->pUnit->dwPlayer;
  c.pTargetList = &self->pUnit->aChildren[VNUNIT_CHILD_WEAPONS];
  c.pParent = self->pUnit;
  c.nBinding = 1;
  c.vDir = {0.0f, 1.0f, 0.0f};
  c.nVariant = hand;
  return vnUNITMAN_CreateUnit(&c, nullptr);
}

void Create(VNPAIREDWEAPON* self, VNUNIT* unit, const VNUNIT_CREATE* create) {
  std::memset(static_cast<void*>(self), 0, sizeof *self);
  self->pUnit = unit;
  self->nRoundType = VNWEAPON_NO_ROUND;
  if (!unit) return;
  self->nGunType = create ? create->nVariant : 0;
  self->apGuns[0] = MakeGun(self, VNWEAPON_HAND_LEFT);
  self->apGuns[1] = MakeGun(self, VNWEAPON_HAND_RIGHT);
  if (!self->apGuns[0] || !self->apGuns[1]) {
    PLAT_Trace("WEAPON: double weapon %u lacks a gun of type %d\n", unit->dwId, self->nGunType);
    return;
  }
  // Range, rate and every other weapon value read from the pair are its guns'.
  std::memcpy(unit->adwAttr, self->apGuns[0]->adwAttr, sizeof unit->adwAttr);
}

// The pair stands where its holder stands, so that distances measured from it hold.
void FollowHolder(VNPAIREDWEAPON* self) {
  if (const VNUNIT* holder = self->pUnit->pParent) self->pUnit->vPos = holder->vPos;
}

// Either gun's success is the pair's; otherwise both guns' reasons.
int32_t Both(int32_t a, int32_t b) {
  return a == VNWEAPON_FIRED || b == VNWEAPON_FIRED ? VNWEAPON_FIRED : a | b;
}

int32_t Fire(VNPAIREDWEAPON* self, SGE_PARAM p1, SGE_PARAM p2) {
  FollowHolder(self);
  const int32_t first = Ask(self->apGuns[0], SGM_WEAPON_FIRE, p1, p2);
  // Capture guns take turns: the second fires only when the first did not.
  if (self->nGunType == VN_UNIT_TYPE_WEAPON_SPECIMENCAPTURE_0 && first == VNWEAPON_FIRED)
    return VNWEAPON_FIRED;
  return Both(first, Ask(self->apGuns[1], SGM_WEAPON_FIRE, p1, p2));
}

int32_t InRange(VNPAIREDWEAPON* self, SGE_PARAM p1, SGE_PARAM p2) {
  FollowHolder(self);
  return Both(Ask(self->apGuns[0], SGM_WEAPON_IN_RANGE, p1, p2),
              Ask(self->apGuns[1], SGM_WEAPON_IN_RANGE, p1, p2));
}

void ToBoth(VNPAIREDWEAPON* self, int32_t msg, SGE_PARAM p1, SGE_PARAM p2) {
  Ask(self->apGuns[0], msg, p1, p2);
  Ask(self->apGuns[1], msg, p1, p2);
}

void Attach(VNPAIREDWEAPON* self) {
  Ask(self->apGuns[0], SGM_WEAPON_ATTACH, VNWEAPON_HAND_LEFT, 0);
  Ask(self->apGuns[1], SGM_WEAPON_ATTACH, VNWEAPON_HAND_RIGHT, 0);
}

int32_t HasAmmo(const VNPAIREDWEAPON* self) {
  return vnWEAPON_HasAmmo(self->apGuns[0]) || vnWEAPON_HasAmmo(self->apGuns[1]) ? 1 : 0;
}

// The mean of the two muzzles and of their aiming axes; 0 when a gun lacks its model or muzzle.
int32_t MuzzlePoint(const VNPAIREDWEAPON* self, SPW_VECTOR* pos, SPW_VECTOR* axis) {
  SPW_VECTOR p[2]{}, a[2]{};
  for (int32_t i = 0; i < 2; ++i) {
    const VNUNIT* gun = self->apGuns[i];
    SPW_DOBJECT* model =
        gun && gun->pController ? SGE_Ask<SPW_DOBJECT>(gun->pController, SGM_UNIT_GET_OBJECT, 0, 0)
                                : nullptr;
    SPW_MATRIX m{};
    float scale = 1.0f;
    if (!model || !SPW_GetNamedNodeTransform(model, kMuzzleNode, &m, &scale)) return 0;
    p[i] = {m.m[3][0], m.m[3][1], m.m[3][2]};
    a[i] = {m.m[0][0], m.m[0][1], m.m[0][2]};
  }
  if (pos) *pos = SPW_VScale(SPW_VAdd(p[0], p[1]), 0.5f);
  if (axis) *axis = SPW_VScale(SPW_VAdd(a[0], a[1]), 0.5f);
  return 1;
}

SGE_RESULT Answer(VNPAIREDWEAPON* self, SGE_TASK*, int32_t msg, SGE_PARAM p1, SGE_PARAM p2) {
  if (msg == SGM_TASK_CREATE) {
    Create(self, SGE_ParamPtr<VNUNIT>(p1), SGE_ParamPtr<const VNUNIT_CREATE>(p2));
    return 1;
  }
  if (!self->pUnit) return 0;
  switch (msg) {
    // The unit manager destroys the guns with the pair's unit.
    case SGM_TASK_DESTROY: vnUNIT_DestroyObjects(self->pUnit); return 0;
    case SGM_WEAPON_FIRE: return Fire(self, p1, p2);
    case SGM_WEAPON_IN_RANGE: return InRange(self, p1, p2);
    case SGM_WEAPON_GET_HOLD_KIND: return VNWEAPON_HOLD_PAIRED;
    case SGM_WEAPON_LOAD_ROUND: ToBoth(self, msg, p1, p2); return 0;
    case SGM_WEAPON_GET_ROUND_TYPE: return Ask(self->apGuns[0], msg, p1, p2);
    case SGM_WEAPON_ATTACH: Attach(self); return 0;
    case SGM_WEAPON_DETACH: ToBoth(self, msg, 0, 0); return 0;
    case SGM_WEAPON_HAS_AMMO: return HasAmmo(self);
    case SGM_UNIT_GET_OBJECT: return SGE_PtrResult(self->pObject);
    case SGM_UNIT_GET_CLASS: return 0;
    case SGM_WEAPON_INNER_TYPE: return self->nGunType;
    case SGM_WEAPON_FIRST_GUN: return SGE_PtrResult(self->apGuns[0]);
    case SGM_WEAPON_SECOND_GUN: return SGE_PtrResult(self->apGuns[1]);
    case SGM_WEAPON_MUZZLE_POINT:
      return MuzzlePoint(self, SGE_ParamPtr<SPW_VECTOR>(p1), SGE_ParamPtr<SPW_VECTOR>(p2));
    default: return 0;
  }
}

}  // namespace

SGE_RESULT vnPAIREDWEAPON_Handler(SGE_TASK* task, SGE_DATAREF* data, int32_t msg, SGE_PARAM p1,
                                  SGE_PARAM p2) {
  return vnUNIT_ControllerHandler<VNPAIREDWEAPON, Answer>(task, data, msg, p1, p2);
}
