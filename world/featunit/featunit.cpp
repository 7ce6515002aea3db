// The feature unit class: the unit-controller protocol, creation, the per-frame bar and fade, and
// destruction.
#include "world/featunit/featunit.h"

#include <cmath>
#include <cstring>

#include "engine/collide/collide.h"
#include "engine/dobject/dobject.h"
#include "engine/feature/feature.h"
#include "engine/kernel/frametime.h"
#include "engine/kernel/tasktypes.h"
#include "missions/control/misscont.h"
#include "platform/trace.h"
#include "world/featunit/bar.h"
#include "world/grid/grid.h"
#include "world/unitman/unitman.h"

namespace {

constexpr float kBarLift = 10.0f;
// A soldier this near shows the bar.
constexpr float kBarReach = 10.0f;
// Units with this flag are out of play and show nothing.
// The object flag the world's own objects carry.
constexpr float kFadeStart = 100.0f;
constexpr float kFadePerSecond = 40.0f;
constexpr float kFadeColour = 4293914880.0f;
constexpr float kPercent = 0.01f;
constexpr int32_t kFirstAnimation = 0;

SPW_VECTOR FeaturePosition(const SPW_FEATUREINST* f) {
  return {f->mObjectToWorld.m[3][0], f->mObjectToWorld.m[3][1], f->mObjectToWorld.m[3][2]};
}

// The instance's facing: its y axis, reversed.
SPW_VECTOR FeatureDirection(const SPW_FEATUREINST* f) {
  const float* y = f->mObjectToWorld.m[1];
  const float length = std::sqrt(y[0] * y[0] + y[1] * y[1] + y[2] * y[2]);
  if (!(length > 0.0f)) return {0.0f, -1.0f, 0.0f};
  return {-y[0] / length, -y[1] / length, -y[2] / length};
}

void ShowFeature(SPW_FEATUREINST* f, bool shown) {
  if (!f) return;
  if (shown)
    f->dwFlags &= ~VNFEATUNIT_FEATURE_HIDDEN;
  else
    f->dwFlags |= VNFEATUNIT_FEATURE_HIDDEN;
}

// A bound instance is out of the searches among active items, so that the next unit of the
// same class nearby binds its own.
void BindFeature(SPW_FEATUREINST* f, const VNUNIT* unit) {
  if (f) f->dwInactive = unit->dwId;
}

void UnbindFeature(SPW_FEATUREINST* f) {
  if (f) f->dwInactive = 0;
}

SPW_FEATUREINST* NearestFeature(const char* className, const SPW_VECTOR* at) {
  SPW_TREENODE* node = nullptr;
  if (!className || !SPW_CollideNearestItem(vnMISSCONT_GetScene(), className, at, &node) || !node)
    return nullptr;
  return node->pItem;
}

void BindFeatures(VNFEATUNIT* self, const VNFEATUNIT_TYPE* row) {
  self->pIntact = NearestFeature(row->pszIntact, &self->vPos);
  self->pDestroyed = NearestFeature(row->pszDestroyed, &self->vPos);
  if (self->pIntact) {
    ShowFeature(self->pIntact, true);
    BindFeature(self->pIntact, self->pUnit);
    self->vPos = FeaturePosition(self->pIntact);
    self->pUnit->vPos = self->vPos;
    self->vDir = FeatureDirection(self->pIntact);
  }
  if (self->pDestroyed) {
    ShowFeature(self->pDestroyed, false);
    BindFeature(self->pDestroyed, self->pUnit);
  }
}

SPW_TRANSFORM At(const SPW_VECTOR& pos, float turn) {
  return {pos, {0.0f, 0.0f, std::sin(turn * 0.5f), std::cos(turn * 0.5f)}, 1.0f};
}

void MakeDestruction(VNFEATUNIT* self, const VNFEATUNIT_TYPE* row) {
  const SPW_TRANSFORM at = At(self->vPos, 0.0f);
  self->pDestruction = vnUNIT_CreateObject(self->pUnit, row->pszDestruction, 1.0f, &at);
  if (!self->pDestruction) {
    PLAT_Trace("[FEATURE_UNIT] Failed to create destruction dynamic object: %s\n",
               row->pszDestruction);
    self->dwFlags &= ~VNFEATUNIT_F_DESTRUCTION_MODEL;
    return;
  }
  self->pDestruction->fFlags |= SPW_DOBJ_NOT_ANIMATED | SPW_DOBJ_HIDDEN | VNUNIT_WORLD_OBJECT;
  if (!(self->dwFlags & VNFEATUNIT_F_FADE)) return;
  self->fFadeLevel = kFadeStart;
  self->pDestruction->colourA = {kFadeColour, kFadeColour, kFadeColour, kFadeColour};
  self->fadeColour = self->pDestruction->colourA;
}

void MakeComponent(VNFEATUNIT* self, const VNFEATUNIT_TYPE* row) {
  PLAT_Trace("[FEATURE_UNIT] Loading component dynamic object: %s\n", row->pszComponent);
  const SPW_TRANSFORM at = At(self->vPos, std::atan2(-self->vDir.x, self->vDir.y) + SPW_PI);
  self->pComponent = vnUNIT_CreateObject(self->pUnit, row->pszComponent, 1.0f, &at);
  self->pComponentRef = self->pComponent;
  if (!self->pComponent) {
    PLAT_Trace("[FEATURE_UNIT] Failed to create component dynamic object: %s\n",
               row->pszComponent);
    self->dwFlags &= ~VNFEATUNIT_F_COMPONENT;
    return;
  }
  self->pComponent->fFlags |= VNUNIT_WORLD_OBJECT;
  SPW_PlayAnimation(self->pComponent, kFirstAnimation, -1, nullptr, 0, SPW_ANIM_LOOP_FLAGS, 1.0f);
}

void Create(VNFEATUNIT* self, VNUNIT* unit, const VNUNIT_CREATE* create) {
  std::memset(static_cast<void*>(self), 0, sizeof *self);
  self->pUnit = unit;
  self->fScale = 1.0f;
  if (!unit) return;
  self->vPos = create ? create->vPos : unit->vPos;
  self->vDir = create ? create->vDir : SPW_VECTOR{0.0f, 1.0f, 0.0f};
  self->fMaxHealth = vnUNIT_AttrFloat(unit, VN_ATTR_HEALTH);
  if (unit->nType == VN_UNIT_TYPE_PE_SNOW_MOUND)
    vnUNIT_SetAttrFloat(unit, VN_ATTR_HEALTH, self->fMaxHealth * 0.5f);
  const VNFEATUNIT_TYPE* row = vnFEATUNIT_GetType(unit->nType);
  if (row) {
    self->dwFlags = row->dwFlags;
    BindFeatures(self, row);
    if (self->dwFlags & VNFEATUNIT_F_DESTRUCTION_MODEL) MakeDestruction(self, row);
    if (self->dwFlags & VNFEATUNIT_F_COMPONENT) MakeComponent(self, row);
  } else {
    PLAT_Trace("[FEATURE_UNIT] Unit type %d is no feature unit\n", unit->nType);
  }
  if (self->dwFlags & VNFEATUNIT_F_STATUS_BAR) {
    const SPW_VECTOR at{self->vPos.x, self->vPos.y, self->vPos.z + kBarLift};
    self->pBar = vnFEATUNIT_AddBar(&at);
  }
  self->fBarTimer = VNFEATUNIT_BAR_SECONDS;
  vnUNITMAN_SetUnitPosition(vnUNITMAN_GetTask(), unit, &self->vPos);
}

void Swap(VNFEATUNIT* self) {
  self->nState = VNFEATUNIT_DESTROYED;
  ShowFeature(self->pIntact, false);
  UnbindFeature(self->pIntact);
  ShowFeature(self->pDestroyed, true);
  UnbindFeature(self->pDestroyed);
  vnFEATUNIT_RemoveBar(&self->pBar);
  vnUNIT_DestroyObjects(self->pUnit);
  self->pDestruction = nullptr;
  self->pComponent = self->pComponentRef = nullptr;
}

// The end of the destruction model's animation: the unit finishes its destruction.
void DestructionEnded(void*, uint32_t* values) {
  vnUNITMAN_SendToUnit(values[0], SGM_FEATUNIT_DESTROY, 0, 0);
}

// Starts the destruction model; false when it cannot play to an end.
bool Collapse(VNFEATUNIT* self) {
  SPW_DOBJECT* o = self->pDestruction;
  const uint32_t user[2] = {self->pUnit->dwId, 0};
  if (!SPW_AddAnimEndBreakpoint(o, 0, kFirstAnimation, DestructionEnded, user)) {
    PLAT_Trace("[FEATURE_UNIT] Destruction model of type %d has no animation to play\n",
               self->pUnit->nType);
    return false;
  }
  self->nState = VNFEATUNIT_COLLAPSING;
  ShowFeature(self->pIntact, false);
  ShowFeature(self->pDestroyed, false);
  SPW_SetAnimationTime(o, kFirstAnimation, 0.0f);
  SPW_PlayAnimation(o, kFirstAnimation, -1, nullptr, 0, SPW_ANIM_ONCE_FLAGS, 1.0f);
  o->fFlags &= ~(SPW_DOBJ_HIDDEN | SPW_DOBJ_NOT_ANIMATED);
  return true;
}

void Destroy(VNFEATUNIT* self) {
  if (!self->pUnit) return;
  self->pUnit->dwFlags &= ~VNUNIT_F_OBSERVABLE;
  if ((self->dwFlags & VNFEATUNIT_F_DESTRUCTION_MODEL) && self->pDestruction &&
      self->nState == VNFEATUNIT_INTACT && Collapse(self))
    return;
  // A fading type fades the played model out before the swap; the fade's end comes back here.
  if (self->nState == VNFEATUNIT_COLLAPSING && self->fFadeLevel > 0.0f) {
    self->bFading = 1;
    return;
  }
  if (self->nState != VNFEATUNIT_DESTROYED) Swap(self);
}

int32_t SoldierNear(void* data, VNUNIT* unit, void* user) {
  const auto* at = static_cast<const SPW_VECTOR*>(data);
  const float dx = unit->vPos.x - at->x, dy = unit->vPos.y - at->y, dz = unit->vPos.z - at->z;
  if (dx * dx + dy * dy + dz * dz <= kBarReach * kBarReach) *static_cast<bool*>(user) = true;
  return 1;
}

void ShowBarForSoldiers(VNFEATUNIT* self) {
  const VNUNITMAN* manager = vnUNITMAN_Get();
  if (!self->pBar || !manager || !manager->pGrid) return;
  bool near = false;
  vnGrid_QueryRadius(SoldierNear, &near, manager->pGrid, &self->vPos, &self->vPos, kBarReach,
                     VNUNIT_F_SOLDIER, VNUNIT_F_OUT_OF_PLAY);
  if (near) vnFEATUNIT_ShowBar(self->pBar, &self->fBarTimer);
}

void Fade(SGE_TASK* task, VNFEATUNIT* self, float dt) {
  self->fFadeLevel -= kFadePerSecond * dt;
  if (self->fFadeLevel <= 0.0f) {
    self->fFadeLevel = 0.0f;
    self->bFading = 0;
    SGE_Send(task, SGM_FEATUNIT_DESTROY, 0, 0);
    return;
  }
  if (SPW_DOBJECT* o = self->pDestruction) {
    const float k = self->fFadeLevel * kPercent;
    const SPW_COLOUR& c = self->fadeColour;
    o->colourA = {k * c.r, k * c.g, k * c.b, k * c.a};
  }
}

int32_t Update(SGE_TASK* task, VNFEATUNIT* self, SGE_PARAM p1, SGE_PARAM p2) {
  const float dt = SGE_GetFrameTime();
  ShowBarForSoldiers(self);
  if (self->pUnit)
    vnFEATUNIT_UpdateBar(self->pBar, &self->fBarTimer, dt,
                         vnUNIT_AttrFloat(self->pUnit, VN_ATTR_HEALTH), self->fMaxHealth);
  if (self->bFading) Fade(task, self, dt);
  return self->pfnUpdateHook ? self->pfnUpdateHook(task, p1, p2) : 0;
}

// Only the first lethal hit destroys the feature and reports it: later hits on the wreck
// must not count as further kills.
void Damaged(VNFEATUNIT* self) {
  VNUNIT* unit = self->pUnit;
  if (!unit || self->nState != VNFEATUNIT_INTACT || vnUNIT_AttrFloat(unit, VN_ATTR_HEALTH) > 0.0f)
    return;
  Destroy(self);
  vnFEATUNIT_RemoveBar(&self->pBar);
  if (SGE_TASK* mission = vnMISSCONT_GetTask())
    SGE_Send(mission, SGM_VN_MISSCONT_EVENT_FEATURE_KILLED, static_cast<SGE_PARAM>(unit->dwId),
             static_cast<SGE_PARAM>(unit->nType));
}

int32_t Locator(const VNFEATUNIT* self, SPW_VECTOR* out) {
  if (!out) return 0;
  const VNFEATUNIT_TYPE* row = self->pUnit ? vnFEATUNIT_GetType(self->pUnit->nType) : nullptr;
  if (self->pIntact)
    *out = FeaturePosition(self->pIntact);
  else if (self->pDestroyed)
    *out = FeaturePosition(self->pDestroyed);
  else if (self->pUnit)
    *out = self->pUnit->vPos;
  out->z += row ? row->fHeight : 0.0f;
  return 1;
}

void ShowBar(VNFEATUNIT* self, SGE_PARAM show) {
  if (show == 1)
    vnFEATUNIT_ShowBar(self->pBar, &self->fBarTimer);
  else
    vnFEATUNIT_HideBar(self->pBar);
}

void RunComponent(VNFEATUNIT* self, SGE_PARAM run) {
  SPW_SetAnimationSpeed(self->pComponent, kFirstAnimation, run == 1 ? 1.0f : 0.0f);
}

int32_t CallHook(VNFEATUNIT_HOOK hook, SGE_TASK* task, SGE_PARAM p1, SGE_PARAM p2) {
  return hook ? hook(task, p1, p2) : 0;
}

void End(VNFEATUNIT* self) {
  vnFEATUNIT_RemoveBar(&self->pBar);
  vnUNIT_DestroyObjects(self->pUnit);
  self->pDestruction = nullptr;
  self->pComponent = self->pComponentRef = nullptr;
}

SGE_RESULT Answer(VNFEATUNIT* self, SGE_TASK* task, int32_t msg, SGE_PARAM p1, SGE_PARAM p2) {
  switch (msg) {
    case SGM_UNIT_UPDATE: return Update(task, self, p1, p2);
    case SGM_UNIT_FRAME_EXTRA: return CallHook(self->pfnExtraHook, task, p1, p2);
    case SGM_TASK_DRAW: return CallHook(self->pfnDrawHook, task, p1, p2);
    case SGM_UNIT_DAMAGED: Damaged(self); return 0;
    case SGM_UNIT_IS_INVULNERABLE: return (self->dwFlags & VNFEATUNIT_F_DAMAGEABLE) ? 0 : 1;
    case SGM_UNIT_IS_DEAD: return self->nState != VNFEATUNIT_INTACT ? 1 : 0;
    case SGM_UNIT_GET_OBJECT: return 0;
    case SGM_UNIT_GET_CLASS: return 0;
    case SGM_UNIT_GET_LOCATOR: return Locator(self, SGE_ParamPtr<SPW_VECTOR>(p1));
    case SGM_UNIT_GET_SCALE: return SGE_PtrResult(&self->fScale);
    case SGM_FEATUNIT_DESTROY: Destroy(self); return 0;
    case SGM_FEATUNIT_HAS_COMPONENT: return self->pComponent ? 1 : 0;
    case SGM_FEATUNIT_SHOW_BAR: ShowBar(self, p1); return 0;
    case SGM_FEATUNIT_RUN_COMPONENT: RunComponent(self, p2); return 0;
    case SGM_FEATUNIT_GET_POSITION: return SGE_PtrResult(&self->vPos);
    default: return 0;
  }
}

}  // namespace

SGE_RESULT vnFEATUNIT_Handler(SGE_TASK* task, SGE_DATAREF* data, int32_t msg, SGE_PARAM p1,
                              SGE_PARAM p2) {
  return vnUNIT_ClassHandler<VNFEATUNIT, Create, End, Answer>(task, data, msg, p1, p2);
}
