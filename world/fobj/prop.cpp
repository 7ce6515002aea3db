// The prop class: its model, flight under gravity with bounces and rest, riding a holder's
// locator, the smoke trail and the burst.
#include "world/fobj/prop.h"

#include <cmath>
#include <cstring>
#include <iterator>

#include "effects/smoketrail.h"
#include "effects/trailhead.h"
#include "effects/unitattach.h"
#include "engine/dobject/dobject.h"
#include "engine/kernel/frametime.h"
#include "engine/math/vecops.h"
#include "engine/terrain/terrain.h"
#include "missions/control/misscont.h"
#include "missions/control/missiontasks.h"
#include "platform/random.h"
#include "platform/trace.h"
#include "world/combat/combat.h"
#include "world/fobj/common_scenery.h"
#include "world/unitman/unitman.h"
#include "world/unittype/unittype.h"

namespace {

constexpr float kTwoPi = 2.0f * SPW_PI;
// A bounce leaves the surface by this much, so that the next sweep does not start inside it.
constexpr float kBounceLift = 0.01f;
constexpr float kBurstValue = -100.0f;
constexpr float kBurstSize = 3.0f;
constexpr int32_t kBurstSteps = 100;  // r in hundredths
// The look of a thrown prop's trail: grey smoke, thin at the prop and spreading behind it.
constexpr VNSMOKETRAIL_HEADED kTrail{
    {}, 0xDC808080u, 0x00808080u, 0, 1.0f, VNPROP_TRAIL_MS * 0.001f, 0.3f, 1.0f, 2, 16, 0, {}, {}};

struct PROPMODELS {
  int32_t nType;
  float fScale;
  const char* apszFiles[5];  // the variants, null after the last
};

constexpr PROPMODELS kModels[] = {
    {VN_UNIT_TYPE_PE_ROCK, VNPROP_ROCK_SCALE,
     {"Export/Pows/rock01.pow", "Export/Pows/rock02.pow", "Export/Pows/rock03.pow"}},
    {VN_UNIT_TYPE_PE_GIB_PLASMA, 1.0f,
     {"Export/Pows/plasmachunk.pow", "Export/Pows/plasmashell.pow"}},
    {VN_UNIT_TYPE_PE_GIB_TANKER, 1.0f, {"Export/Pows/tankerchunk.pow"}},
    {VN_UNIT_TYPE_PE_STATIONARY_VEHICLE, 1.0f,
     {"Export/Pows/genvehicle1.pow", "Export/Pows/genvehicle2.pow", "Export/Pows/genvehicle3.pow",
      "Export/Pows/genvehicle4.pow", "Export/Pows/genvehicle5.pow"}},
    {VN_UNIT_TYPE_PE_CONSTRUCTION_VEHICLE, 1.0f, {"Export/Pows/constructveh.pdo"}},
    {VN_UNIT_TYPE_PE_FARM_VEHICLE, 1.0f, {"Export/Pows/farmachine.pdo"}},
    {VN_UNIT_TYPE_PE_DRUM, 1.0f, {"Export/Pows/drumsingle.pow"}},
    {VN_UNIT_TYPE_PE_DRUM_GROUP, 1.0f, {"Export/Pows/drumcluster.pow"}},
    {VN_UNIT_TYPE_PE_FUNG, 1.0f, {"Export/Pows/mushroom1.pow", "Export/Pows/mushroom2.pow"}},
};

const PROPMODELS* Models(int32_t type) {
  for (const PROPMODELS& m : kModels)
    if (m.nType == type) return &m;
  return nullptr;
}

const char* PickModel(const PROPMODELS& m) {
  int32_t variants = 0;
  while (variants < static_cast<int32_t>(std::size(m.apszFiles)) && m.apszFiles[variants])
    ++variants;
  return variants > 1 ? m.apszFiles[PLAT_Rand() % variants] : m.apszFiles[0];
}

float RandomTurn() {
  return static_cast<float>(PLAT_Rand()) * kTwoPi / static_cast<float>(PLAT_RAND_MAX + 1);
}

// The creation turn about z, then the spin about its axis.
void Orient(VNPROP* self) {
  const SPW_QUAT turn = vnFOBJ_TurnZ(self->fTurn);
  SPW_VECTOR axis = self->vSpinAxis;
  if (SPW_VecNormalise(&axis) <= 0.0f) {
    self->t.qRot = turn;
    return;
  }
  const float s = std::sin(self->fAngle * 0.5f);
  const SPW_QUAT spin{axis.x * s, axis.y * s, axis.z * s, std::cos(self->fAngle * 0.5f)};
  SPW_QuatMultiply(&spin, &turn, &self->t.qRot);
}

void Place(VNPROP* self) {
  if (self->pObject) self->pObject->t = self->t;
  if (self->pUnit) vnUNITMAN_SetUnitPosition(vnUNITMAN_GetTask(), self->pUnit, &self->t.vPos);
}

void Create(VNPROP* self, VNUNIT* unit, const VNUNIT_CREATE* create) {
  std::memset(static_cast<void*>(self), 0, sizeof *self);
  self->pUnit = unit;
  self->t = {{}, {0.0f, 0.0f, 0.0f, 1.0f}, 1.0f};
  if (!unit) return;
  self->t.vPos = create ? create->vPos : unit->vPos;
  const PROPMODELS* models = Models(unit->nType);
  if (!models) {
    PLAT_Trace("PROP: Unit type %d is no prop\n", unit->nType);
    return;
  }
  const char* file = PickModel(*models);
  self->fTurn = RandomTurn();
  Orient(self);
  self->pObject = vnUNIT_CreateObject(unit, file, models->fScale, &self->t);
  if (!self->pObject)
    PLAT_Trace("PROP: Failed to create dynamic object: %s\n", file);
  else
    self->pObject->fFlags |= VNUNIT_WORLD_OBJECT;
  Place(self);
}

void StopTrail(VNPROP* self) {
  SGE_KillTimer(self->pTrailTimer);
  self->pTrailTimer = nullptr;
  vnSmokeTrail_Release(self->pTrail);
  self->pTrail = nullptr;
}

void StartTrail(SGE_TASK* task, VNPROP* self) {
  if (self->pTrail) return;
  VNSMOKETRAIL_HEADED settings = kTrail;
  settings.vStart = self->t.vPos;
  self->pTrail = vnSmokeTrail_StartHeaded(&settings);
  if (self->pTrail)
    self->pTrailTimer = SGE_AddTimer(task, VNPROP_TRAIL_MS, nullptr, SGE_TIMER_REPEAT);
}

// The trail's head goes where the prop is, moving on as it flies.
void TrailPoint(VNPROP* self) {
  vnSmokeTrail_Attach(self->pTrail, &self->t.vPos, &self->vVelocity);
}

void StopFlight(VNPROP* self) {
  SGE_KillTimer(self->pFlight);
  self->pFlight = nullptr;
  self->dwFlags &= ~VNPROP_F_FLYING;
}

void StartFlight(SGE_TASK* task, VNPROP* self) {
  self->dwFlags |= VNPROP_F_FLYING;
  if (!self->pFlight) self->pFlight = SGE_AddFrameTimer(task, 1, nullptr, SGE_TIMER_REPEAT);
}

int32_t Launch(SGE_TASK* task, VNPROP* self, const VNPROP_LAUNCH* launch) {
  if (!launch || !self->pUnit || (self->dwFlags & (VNPROP_F_HELD | VNPROP_F_BURST))) return 0;
  self->vVelocity = launch->vVelocity;
  self->vSpinAxis = launch->vSpinAxis;
  self->fSpin = launch->fSpin;
  self->dwFlags |= launch->dwFlags & VNPROP_LAUNCH_FLAGS;
  StartFlight(task, self);
  if (self->dwFlags & VNPROP_F_TRAIL) StartTrail(task, self);
  return 1;
}

void Rest(VNPROP* self, const SPW_VECTOR& at) {
  self->t.vPos = at;
  self->vVelocity = {};
  self->fSpin = 0.0f;
  StopFlight(self);
  StopTrail(self);
  vnUnit_ReleaseAttachment(self->pObject);
}

// v - 2 (v . n) n, keeping a quarter of the speed.
void Bounce(VNPROP* self, const SPW_VECTOR& at, const SPW_VECTOR& n) {
  SPW_VECTOR& v = self->vVelocity;
  const float d = 2.0f * (v.x * n.x + v.y * n.y + v.z * n.z);
  v = {(v.x - d * n.x) * VNPROP_BOUNCE, (v.y - d * n.y) * VNPROP_BOUNCE,
       (v.z - d * n.z) * VNPROP_BOUNCE};
  self->t.vPos = {at.x + n.x * kBounceLift, at.y + n.y * kBounceLift, at.z + n.z * kBounceLift};
}

// Moves by the frame's step unless the sweep along it meets a surface first.
void Sweep(VNPROP* self, float dt) {
  const SPW_VECTOR step{self->vVelocity.x * dt, self->vVelocity.y * dt, self->vVelocity.z * dt};
  const float length = SPW_VLength(step);
  if (!(length > 0.0f)) return;
  const SPW_VECTOR dir{step.x / length, step.y / length, step.z / length};
  SPW_VECTOR hit{}, normal{0.0f, 0.0f, 1.0f};
  if (!vnCOMBAT_TraceShot(&self->t.vPos, &dir, length, &hit, &normal, nullptr, 0, nullptr)) {
    self->t.vPos = {self->t.vPos.x + step.x, self->t.vPos.y + step.y, self->t.vPos.z + step.z};
    return;
  }
  if (SPW_VLength(self->vVelocity) <= VNPROP_REST_SPEED)
    Rest(self, hit);
  else
    Bounce(self, hit, normal);
}

void Spin(VNPROP* self, float dt) {
  self->fAngle = std::fmod(self->fAngle + self->fSpin * dt, kTwoPi);
  if (self->fAngle < 0.0f) self->fAngle += kTwoPi;
  Orient(self);
}

bool Lost(const VNPROP* self) {
  SPW_VECTOR ground = self->t.vPos;
  return SPW_GetTerrainHeight(vnMISSCONT_GetScene(), &ground) &&
         self->t.vPos.z < ground.z - VNPROP_LOST_DEPTH;
}

void Fly(VNPROP* self) {
  if (!(self->dwFlags & VNPROP_F_FLYING)) return;
  const float dt = SGE_GetFrameTime();
  self->vVelocity.z -= VNPROP_GRAVITY * dt;
  Sweep(self, dt);
  Spin(self, dt);
  if (Lost(self)) {
    StopFlight(self);
    StopTrail(self);
    vnFOBJ_RemoveUnit(self->pUnit);
    return;
  }
  Place(self);
}

SPW_DOBJECT* HolderObject(uint32_t id) {
  VNUNIT* holder = id ? vnUNITMAN_GetUnit(id) : nullptr;
  if (!holder || !holder->pController) return nullptr;
  return SGE_Ask<SPW_DOBJECT>(holder->pController, SGM_UNIT_GET_OBJECT, 0, 0);
}

int32_t Hold(VNPROP* self, uint32_t holderId) {
  SPW_DOBJECT* holder = HolderObject(holderId);
  if (!self->pUnit || (self->dwFlags & VNPROP_F_BURST) || !holder ||
      SPW_FindNodeByName(holder, VNPROP_HOLD_LOCATOR) < 0)
    return 0;
  StopFlight(self);
  StopTrail(self);
  self->vVelocity = {};
  self->fSpin = 0.0f;
  self->dwFlags |= VNPROP_F_HELD;
  self->dwHolder = holderId;
  return 1;
}

// A released prop drops from where it was held.
void Release(SGE_TASK* task, VNPROP* self) {
  if (!(self->dwFlags & VNPROP_F_HELD)) return;
  self->dwFlags &= ~VNPROP_F_HELD;
  self->dwHolder = 0;
  StartFlight(task, self);
}

void Ride(SGE_TASK* task, VNPROP* self) {
  SPW_MATRIX m{};
  float scale = 1.0f;
  SPW_DOBJECT* holder = HolderObject(self->dwHolder);
  if (!holder || !SPW_GetNamedNodeTransform(holder, VNPROP_HOLD_LOCATOR, &m, &scale)) {
    Release(task, self);
    return;
  }
  self->t.vPos = {m.m[3][0], m.m[3][1], m.m[3][2]};
  Place(self);
}

int32_t FrameExtra(SGE_TASK* task, VNPROP* self) {
  if (self->dwFlags & VNPROP_F_HELD) Ride(task, self);
  if (self->pObject) self->pObject->t = self->t;
  return 0;
}

void Burst(VNPROP* self) {
  VNUNIT* unit = self->pUnit;
  if (!unit || (self->dwFlags & VNPROP_F_BURST)) return;
  self->dwFlags |= VNPROP_F_BURST;
  vnUNIT_SetAttrFloat(unit, VN_ATTR_HEALTH, kBurstValue);
  vnUNIT_SetAttrFloat(unit, VN_ATTR_ARMOUR, kBurstValue);
  if (self->dwFlags & VNPROP_F_QUIET) return;
  SGE_TASK* explosions = vnMISSCONT_GetAirExplosionTask();
  if (!explosions) return;
  const float r = static_cast<float>(PLAT_Rand() % kBurstSteps) / static_cast<float>(kBurstSteps);
  const SPW_VECTOR& at = self->t.vPos;
  VNAIREXPLODE_REQUEST request{{0, 0}, kBurstSize * (1.0f + r), {at.x, at.y, at.z + 1.0f + r}};
  SGE_Send(explosions, SGM_AIREXPLODE_START, SGE_PtrParam(&request), 0);
}

void Damaged(VNPROP* self) {
  if (self->pUnit && vnUNIT_AttrFloat(self->pUnit, VN_ATTR_HEALTH) <= 0.0f) Burst(self);
}

int32_t IsDead(const VNPROP* self) {
  if (self->dwFlags & VNPROP_F_BURST) return 1;
  return self->pUnit && vnUNIT_AttrFloat(self->pUnit, VN_ATTR_HEALTH) <= 0.0f ? 1 : 0;
}

void End(VNPROP* self) {
  StopFlight(self);
  StopTrail(self);
  vnUNIT_DestroyObjects(self->pUnit);
  self->pObject = nullptr;
}

SGE_RESULT Answer(VNPROP* self, SGE_TASK* task, int32_t msg, SGE_PARAM p1, SGE_PARAM) {
  switch (msg) {
    case SGM_TASK_TIMER: TrailPoint(self); return 0;
    case SGM_TASK_FRAME: Fly(self); return 0;
    case SGM_UNIT_FRAME_EXTRA: return FrameExtra(task, self);
    case SGM_UNIT_GET_OBJECT: return SGE_PtrResult(self->pObject);
    case SGM_UNIT_GET_FACING:
      return vnFOBJ_WriteVector(SGE_ParamPtr<SPW_VECTOR>(p1), vnFOBJ_Ahead(self->t.qRot));
    case SGM_UNIT_DAMAGED: Damaged(self); return 0;
    case SGM_UNIT_IS_DEAD: return IsDead(self);
    case SGM_UNIT_GET_LOCATOR:
      return vnFOBJ_WriteVector(SGE_ParamPtr<SPW_VECTOR>(p1), self->t.vPos);
    case SGM_UNIT_GET_CLASS: return 0;
    case SGM_UNIT_GET_SCALE: return SGE_PtrResult(&self->t.fScale);
    case SGM_PROP_LAUNCH: return Launch(task, self, SGE_ParamPtr<const VNPROP_LAUNCH>(p1));
    case SGM_PROP_HOLD: return Hold(self, static_cast<uint32_t>(p1));
    case SGM_PROP_RELEASE: Release(task, self); return 0;
    case SGM_PROP_BURST: Burst(self); return 0;
    case SGM_PROP_COLLAPSE: self->dwFlags |= VNPROP_F_COLLAPSED; return 0;
    default: return 0;
  }
}

}  // namespace

SGE_RESULT vnPROP_Handler(SGE_TASK* task, SGE_DATAREF* data, int32_t msg, SGE_PARAM p1,
                          SGE_PARAM p2) {
  return vnUNIT_ClassHandler<VNPROP, Create, End, Answer>(task, data, msg, p1, p2);
}
