// The damage model: a source's amounts turned into a target's health and armour deltas, the
// armour shielding the health, and area damage through the spatial grid.
#include <cmath>

#include "engine/kernel/frametime.h"
#include "engine/math/vecops.h"
#include "platform/trace.h"
#include "world/combat/combat.h"
#include "world/grid/grid.h"
#include "world/unitman/unitman.h"

namespace {

constexpr uint32_t kDamageDealers = VNUNIT_F_WEAPON | VNUNIT_F_PROJECTILE;
constexpr float kEffectValues[3] = {1.0f, 6.0f, 0.1f};
constexpr SPW_VECTOR kUp{0.0f, 0.0f, 1.0f};

// The effect messages and the flag both units must have for each, in the order they are sent.
struct GibEffect {
  uint32_t dwFlag;
  int32_t nMsg;
};
constexpr GibEffect kGibEffects[] = {
    {VNUNIT_F_HIT_BURNS, SGM_BUGGIBS_BURN},
    {VNUNIT_F_HIT_SMOKES, SGM_BUGGIBS_SMOKE},
    {VNUNIT_F_HIT_GIBS, SGM_BUGGIBS_GIBS},
};

bool BothHave(const VNUNIT* a, const VNUNIT* b, uint32_t flag) {
  return (a->dwFlags & flag) && (b->dwFlags & flag);
}

int32_t AskController(const VNUNIT* unit, int32_t msg) {
  return unit->pController ? SGE_Send(unit->pController, msg, 0, 0) : 0;
}

// 1 at the muzzle, half at full range; beyond the range counts as at it.
float DistanceFactor(const VNUNIT* source, float distance) {
  const float range = vnUNIT_AttrFloat(source, VN_ATTR_RANGE);
  if (!(range > 0.0f)) return 1.0f;
  if (distance > range) {
    PLAT_Trace("[InflictDamage] Distance %g beyond the range %g of type %d, taken as the range\n",
               distance, range, source->nType);
    distance = range;
  }
  return 1.0f - 0.5f * distance / range;
}

// A continuous weapon (no divisor) states per-second amounts: they become this frame's share.
float DeltaScale(const VNUNIT* source) {
  if (source->dwFlags & VNUNIT_F_NODAMAGE_STAMP) return 1.0f;
  const float divisor = vnUNIT_AttrFloat(source, VN_ATTR_DIVISOR);
  return divisor > 0.0f ? 1.0f / divisor : SGE_GetFrameTime();
}

bool IsImmune(const VNUNIT* target) {
  const VNUNITMAN* manager = vnUNITMAN_Get();
  const uint32_t mode = manager ? manager->dwMode : 0;
  return ((mode & VNUNITMAN_MODE_IMMUNE1) && (target->dwFlags & VNUNIT_F_SOLDIER)) ||
         ((mode & VNUNITMAN_MODE_IMMUNE2) && (target->dwFlags & VNUNIT_F_IMMUNE2));
}

SPW_VECTOR DirectionTo(const SPW_VECTOR& from, const SPW_VECTOR& to) {
  SPW_VECTOR d{to.x - from.x, to.y - from.y, to.z - from.z};
  SPW_VecNormalise(&d);
  return d;
}

void SendGibEffects(const VNUNIT* source, VNUNIT* target, const VNDAMAGE& damage,
                    const SPW_VECTOR& up) {
  SGE_TASK* gibs = vnUNITMAN_GetBugGibs();
  if (!gibs) return;
  VNDAMAGE_EFFECT effect{damage.vHit, damage.vDir, up, target,
                         {kEffectValues[0], kEffectValues[1], kEffectValues[2]}, damage};
  for (const GibEffect& e : kGibEffects)
    if (BothHave(source, target, e.dwFlag))
      SGE_Send(gibs, e.nMsg, SGE_PtrParam(&effect),
               SGE_PtrParam(&target->fRadius));
}

struct AreaHit {
  const VNAREA_DAMAGE* source;
  float fRadius;
  float fImpulseScale;
};

int32_t DamageInArea(void*, VNUNIT* unit, void* user) {
  const auto* area = static_cast<const AreaHit*>(user);
  const SPW_VECTOR& centre = area->source->vCentre;
  const float d = SPW_VecDist(&centre, &unit->vPos);
  if (d > area->fRadius || AskController(unit, SGM_UNIT_IS_DEAD) == 1) return 1;
  VNDAMAGE copy = area->source->damage;
  if (d > 0.0f) copy.vDir = {(unit->vPos.x - centre.x) / d, (unit->vPos.y - centre.y) / d, 1.0f};
  const float e = 1.0f - 0.5f * d / area->fRadius;
  copy.fHealth *= e;
  copy.fArmour *= e;
  copy.vImpulse = SPW_VScale(copy.vDir, e * area->fImpulseScale);
  copy.nSourceType = -1;
  vnUNIT_ApplyDamage(unit, &copy, 0);
  if (unit->pController)
    SGE_Send(unit->pController, SGM_UNIT_DAMAGED, 0, SGE_PtrParam(&copy));
  return 1;
}

struct TypeRemoval {
  SPW_VECTOR vPoint;
  float fRadius;
  const int32_t* pTypes;
  SGE_TASK* pManager;
};

bool Listed(const int32_t* types, int32_t type) {
  for (; *types; ++types)
    if (*types == type) return true;
  return false;
}

int32_t RemoveIfListed(void*, VNUNIT* unit, void* user) {
  const auto* removal = static_cast<const TypeRemoval*>(user);
  if (SPW_VecDist(&removal->vPoint, &unit->vPos) <= removal->fRadius &&
      Listed(removal->pTypes, unit->nType))
    SGE_Post(removal->pManager, SGM_UNITMAN_DESTROY_UNIT, SGE_PtrParam(unit), 0);
  return 1;
}

VNGRID* ManagerGrid() {
  const VNUNITMAN* manager = vnUNITMAN_Get();
  return manager ? manager->pGrid : nullptr;
}

}  // namespace

int32_t vnInflictDamage(VNUNIT* source, VNUNIT* target, float distance, const SPW_VECTOR* hit,
                        const SPW_VECTOR* dir, const SPW_VECTOR* up) {
  if (!target || !target->pController) return 0;
  if (!source || !(source->dwFlags & kDamageDealers)) {
    PLAT_Trace("[InflictDamage] Source unit is not a weapon or projectile [type->%d]\n",
               source ? source->nType : -1);
    return 0;
  }
  if ((target->dwFlags & kDamageDealers) || AskController(target, SGM_UNIT_IS_INVULNERABLE))
    return 0;

  const float factor = DistanceFactor(source, distance);
  const float m = vnUNITMAN_GetWeaponMod(source->nType, target->nType);
  const float scale = DeltaScale(source);
  VNDAMAGE damage{};
  damage.fHealth = m * vnUNIT_AttrFloat(source, VN_ATTR_HEALTH) * factor * scale;
  damage.fArmour = factor * m * vnUNIT_AttrFloat(source, VN_ATTR_ARMOUR) * scale;
  if (!IsImmune(target)) vnUNIT_ApplyDamage(target, &damage, 0);

  damage.vHit = hit ? *hit : target->vPos;
  damage.vDir = dir ? *dir : DirectionTo(source->vPos, damage.vHit);
  damage.vImpulse = SPW_VScale(damage.vDir, factor * vnUNIT_AttrFloat(source, VN_ATTR_IMPULSE));
  damage.nFlag = BothHave(source, target, VNUNIT_F_IMPULSE_PAIR) ? 1 : 0;
  damage.nSourceType = source->nType;
  damage.dwSourceFlags = source->dwFlags;
  SendGibEffects(source, target, damage, up ? *up : kUp);
  return SGE_Send(target->pController, SGM_UNIT_DAMAGED, static_cast<SGE_PARAM>(source->dwId),
                  SGE_PtrParam(&damage));
}

void vnUNIT_ApplyDamage(VNUNIT* unit, const VNDAMAGE* damage, int32_t flag) {
  if (!unit || !damage) return;
  const float a = vnUNIT_AttrFloat(unit, VN_ATTR_ARMOUR);
  const float b = damage->fArmour;
  float health = vnUNIT_AttrFloat(unit, VN_ATTR_HEALTH);
  float armour = a;
  if (a > 0.0f) {
    // Armour that takes no change shields the health from this hit altogether.
    if (b == 0.0f) return;
    armour = a + b;
    if (armour <= 0.0f) {
      health += damage->fHealth;
    } else if (flag == 0 && b > 0.0f) {
      // The share -(a / b) is negative for an armour gain and would turn a repair into damage
      // and damage into healing; a gain passes the health change on as it is.
      health += damage->fHealth;
    }
  } else {
    health += damage->fHealth;
  }
  vnUNIT_SetAttrFloat(unit, VN_ATTR_HEALTH, health < 0.0f ? 0.0f : health);
  vnUNIT_SetAttrFloat(unit, VN_ATTR_ARMOUR, armour < 0.0f ? 0.0f : armour);
}

void vnCOMBAT_AreaDamage(const VNAREA_DAMAGE* source, float radius, float impulseScale) {
  VNGRID* grid = ManagerGrid();
  if (!source || !grid || !(radius > 0.0f)) return;
  AreaHit area{source, radius, impulseScale};
  vnGrid_QueryRadius(&DamageInArea, &area, grid, nullptr, &source->vCentre, radius,
                     VNCOMBAT_AREA_INCLUDE, VNCOMBAT_AREA_EXCLUDE);
}

void vnCOMBAT_RemoveTypesInRadius(const SPW_VECTOR* point, float radius, const int32_t* types,
                                  uint32_t include, uint32_t exclude) {
  VNGRID* grid = ManagerGrid();
  SGE_TASK* manager = vnUNITMAN_GetTask();
  if (!point || !types || !grid || !manager) return;
  TypeRemoval removal{*point, radius, types, manager};
  vnGrid_QueryRadius(&RemoveIfListed, &removal, grid, nullptr, point, radius, include, exclude);
}

void vnCOMBAT_ApplyImpulse(SPW_VECTOR* velocity, const SPW_VECTOR* impulse, float divisor,
                           float maximum, float amount) {
  if (!velocity || !impulse) return;
  if (divisor == 0.0f) {
    PLAT_Trace("vnCOMBAT_ApplyImpulse: divisor 0, velocity unchanged\n");
    return;
  }
  const float k = amount / divisor;
  velocity->x += impulse->x * k;
  velocity->y += impulse->y * k;
  velocity->z += impulse->z * k;
  if (velocity->z < 0.0f) velocity->z = 0.0f;
  const float speed = std::sqrt(velocity->x * velocity->x + velocity->y * velocity->y +
                                velocity->z * velocity->z);
  if (speed > maximum && speed > 0.0f) *velocity = SPW_VScale(*velocity, maximum / speed);
  if (velocity->z > maximum) velocity->z = maximum;
}
