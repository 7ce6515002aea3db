// The twin-gun emplacement class.
#include "world/fobj/twingun.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "engine/dobject/dobject.h"
#include "engine/kernel/frametime.h"
#include "engine/kernel/tasktypes.h"
#include "engine/sprite/sprite.h"
#include "missions/control/effecttexture.h"
#include "missions/control/misscont.h"
#include "platform/random.h"
#include "world/combat/combat.h"
#include "world/fobj/common_play.h"
#include "world/fobj/common_scenery.h"
#include "world/grid/grid.h"
#include "world/unitman/unitman.h"
#include "world/unittype/unittype.h"

namespace {

constexpr const char* kTwin50File = "Export/Pows/Twin50.pow";
constexpr const char* kCanopyFile = "Export/Pows/twin80canopy.pow";
constexpr const char* kGunFiles[2] = {"Export/Pows/twin80leftgun.pow",
                                      "Export/Pows/twin80rightgun.pow"};
constexpr const char* kGunLocators[2] = {"PL", "PR"};
constexpr const char* kSwivelNode = "swivel";
constexpr float kCanopyScale = 4.0f;
// How far the guns swivel either way, sideways then up and down, in radians.
constexpr float kTwin50Sideways = 1.3962634f;  // 80 degrees
constexpr float kTwin50UpDown = 0.6981317f;    // 40 degrees
constexpr float kTwin80Sideways = 1.0471976f;  // 60 degrees
constexpr float kTwin80UpDown = 2.0943952f;    // 120 degrees
constexpr float kTwin50Limits[2] = {kTwin50Sideways, kTwin50UpDown};
constexpr float kTwin80Limits[2] = {kTwin80Sideways, kTwin80UpDown};
// The gunner sits this much above the emplacement's position.
constexpr float kTwin50Seat = 0.84f;
constexpr float kTwin80Seat = 1.2f;
// He gets off this far behind it.
constexpr float kExitBehind = 1.5f;
// How fast the guns swivel, and the time between shots.
constexpr float kSwivelRate = 2.0f;
constexpr float kShotSeconds = 0.1f;
// The shot sounds: a random one of the range.
constexpr int32_t kTwin50Sounds[2] = {735, 738};
constexpr int32_t kTwin80Sounds[2] = {707, 708};
// Muzzle flashes: a one-frame sprite at each muzzle locator, by kind (Twin50, Twin80).
constexpr const char* kFlashTextures[2] = {"sprites/effects/muzzlf02.ppm",
                                           "sprites/effects/lightcannon.ppm"};
constexpr uint32_t kFlashSetIds[2] = {2400, 2401};
constexpr const char* kTwin50Muzzles[1] = {"g"};
constexpr const char* kTwin80Muzzles[2] = {"gL", "gR"};
constexpr float kFlashHalfSize = 0.4f;
constexpr uint32_t kFlashFlags =
    SPW_SPRITE_ANIMATED | SPW_SPRITE_DESTROY_AT_END | SPW_SPRITE_ADDITIVE;
// What a target may not be: a weapon, an item, a projectile, or out of play.
constexpr uint32_t kNoTarget =
    VNUNIT_F_WEAPON | VNUNIT_F_ITEM | VNUNIT_F_PROJECTILE | VNUNIT_F_OUT_OF_PLAY;

float Wrap(float a) {
  while (a > SPW_PI) a -= 2.0f * SPW_PI;
  while (a < -SPW_PI) a += 2.0f * SPW_PI;
  return a;
}

// The aim at a point: the turn from the forward direction and the elevation.
void AimAt(const SPW_VECTOR& forward, const SPW_VECTOR& from, const SPW_VECTOR& to, float* yaw,
           float* pitch) {
  const SPW_VECTOR d{to.x - from.x, to.y - from.y, to.z - from.z};
  const float length = std::sqrt(d.x * d.x + d.y * d.y + d.z * d.z);
  *yaw = Wrap(std::atan2(d.y, d.x) - std::atan2(forward.y, forward.x));
  *pitch = length > 0.0f ? std::asin(std::clamp(d.z / length, -1.0f, 1.0f)) : 0.0f;
}

SPW_VECTOR Seat(const VNTWINGUN* self) {
  SPW_VECTOR p = self->pUnit->vPos;
  p.z += self->bTwin80 ? kTwin80Seat : kTwin50Seat;
  return p;
}

// Where the gunner gets off, and a Twin80's gets on: behind the gun on its ground.
SPW_VECTOR Behind(const VNTWINGUN* self) {
  const VNUNIT* unit = self->pUnit;
  return {unit->vPos.x - self->vForward.x * kExitBehind,
          unit->vPos.y - self->vForward.y * kExitBehind, unit->vPos.z};
}

// The rest direction turned by the swivel: the way the seat faces.
SPW_VECTOR SeatDirection(const VNTWINGUN* self) {
  const float c = std::cos(self->fYaw), s = std::sin(self->fYaw);
  const SPW_VECTOR& f = self->vForward;
  return {f.x * c - f.y * s, f.x * s + f.y * c, 0.0f};
}

void MakeModels(VNTWINGUN* self, const SPW_TRANSFORM& at) {
  if (!self->bTwin80) {
    self->pModel = vnUNIT_CreateObject(self->pUnit, kTwin50File, 1.0f, &at);
    if (self->pModel) self->pModel->nOverrideNode = SPW_FindNodeByName(self->pModel, kSwivelNode);
    return;
  }
  self->pModel = vnUNIT_CreateObject(self->pUnit, kCanopyFile, kCanopyScale, &at);
  for (int32_t i = 0; i < 2; ++i) self->apGuns[i] = vnUNIT_CreateObject(self->pUnit, kGunFiles[i], 1.0f, &at);
}

void Create(VNTWINGUN* self, VNUNIT* unit, const VNUNIT_CREATE* create) {
  std::memset(static_cast<void*>(self), 0, sizeof *self);
  self->pUnit = unit;
  if (!unit) return;
  self->bTwin80 = unit->nType == VN_UNIT_TYPE_WEAPON_TWIN80;
  const float* limits = self->bTwin80 ? kTwin80Limits : kTwin50Limits;
  self->afLimits[0] = limits[0];
  self->afLimits[1] = limits[1];
  self->vForward = create ? create->vDir : SPW_VECTOR{0.0f, 1.0f, 0.0f};
  self->vForward.z = 0.0f;
  if (!(SPW_VecNormalise(&self->vForward) > 0.0f)) self->vForward = {0.0f, 1.0f, 0.0f};
  const SPW_TRANSFORM at{unit->vPos, vnFOBJPLAY_Facing(self->vForward), 1.0f};
  MakeModels(self, at);
}

// The guns follow the aim: the Twin50's swivel node turns, the Twin80's guns hang at the
// canopy's locators turned as a whole.
void PoseGuns(VNTWINGUN* self) {
  const SPW_VECTOR angles{self->fPitch, 0.0f, self->fYaw};
  if (self->pModel) self->pModel->vOverrideAngles = angles;
  const SPW_QUAT base = vnFOBJPLAY_Facing(self->vForward);
  const SPW_QUAT turn = vnFOBJ_TurnZ(self->fYaw);
  for (int32_t i = 0; i < 2; ++i) {
    SPW_DOBJECT* gun = self->apGuns[i];
    if (!gun) continue;
    SPW_MATRIX m{};
    float scale = 1.0f;
    if (self->pModel && SPW_GetNamedNodeTransform(self->pModel, kGunLocators[i], &m, &scale))
      gun->t.vPos = {m.m[3][0], m.m[3][1], m.m[3][2]};
    SPW_QuatMultiply(&turn, &base, &gun->t.qRot);
  }
}

// An enemy of the side the gun fights for: its gunner's once he named it, else its own.
bool IsEnemy(const VNTWINGUN* self, const VNUNIT* other) {
  const VNUNIT* gun = self->pUnit;
  const VNUNITMAN* manager = vnUNITMAN_Get();
  if (!manager || other == gun || !other->dwPlayer) return false;
  const uint32_t side = self->dwSide ? self->dwSide : gun->dwPlayer;
  SGE_DLLNODE* head = const_cast<SGE_DLLNODE*>(&manager->players);
  for (const VNPLAYER* player : SGE_ListRecords<VNPLAYER>(head)) {
    if (player->dwId == side) return (player->dwEnemyMask & other->dwPlayer) != 0;
  }
  return false;
}

struct Search {
  const VNTWINGUN* pGun;
  float fBest;
  uint32_t dwFound;
};

int32_t ConsiderTarget(void*, VNUNIT* unit, void* user) {
  auto* s = static_cast<Search*>(user);
  const VNUNIT* gun = s->pGun->pUnit;
  const float d = SPW_VecDist(&gun->vPos, &unit->vPos);
  if (d >= s->fBest || !IsEnemy(s->pGun, unit) || vnUNIT_IsDeadUnit(unit) ||
      !vnTWINGUN_AcceptsTarget(s->pGun->vForward, gun->vPos, unit->vPos))
    return 1;
  s->fBest = d;
  s->dwFound = unit->dwId;
  return 1;
}

// The nearest living enemy within the arc and the gun's range, 0 for none.
uint32_t FindTarget(const VNTWINGUN* self) {
  const VNUNITMAN* manager = vnUNITMAN_Get();
  const float range = vnUNIT_AttrFloat(self->pUnit, VN_ATTR_RANGE);
  if (!manager || !manager->pGrid || !(range > 0.0f)) return 0;
  Search s{self, range, 0};
  VNUNIT* gun = self->pUnit;
  vnGrid_QueryRadius(ConsiderTarget, &s, manager->pGrid, nullptr, &gun->vPos, range,
                     VNUNIT_F_OBSERVABLE, kNoTarget);
  return s.dwFound;
}

bool StillTarget(const VNTWINGUN* self) {
  const VNUNIT* target = self->dwTarget ? vnUNITMAN_GetUnit(self->dwTarget) : nullptr;
  return target && !vnUNIT_IsDead(target->dwId) &&
         SPW_VecDist(&target->vPos, &self->pUnit->vPos) <= vnUNIT_AttrFloat(self->pUnit, VN_ATTR_RANGE) &&
         vnTWINGUN_AcceptsTarget(self->vForward, self->pUnit->vPos, target->vPos);
}

float Towards(float from, float to, float step) {
  return from + std::clamp(to - from, -step, step);
}

// Every emplacement of a kind shares one flash set: a set per gun would never be given back.
SPW_SPRITESET* FlashSet(int32_t kind) {
  if (SPW_SPRITESET* set = SPW_FindSpriteSet(kFlashSetIds[kind])) return set;
  return SPW_CreateSpriteSet(vnMISSCONT_GetEffectTextureID(kFlashTextures[kind]),
                             kFlashSetIds[kind], nullptr, nullptr, nullptr, nullptr, 1.0f);
}

void Flash(const VNTWINGUN* self) {
  SPW_SCENE* scene = vnMISSCONT_GetScene();
  SPW_SPRITESET* set = scene && self->pModel ? FlashSet(self->bTwin80) : nullptr;
  if (!set) return;
  const char* const* muzzles = self->bTwin80 ? kTwin80Muzzles : kTwin50Muzzles;
  const int32_t count = self->bTwin80 ? 2 : 1;
  for (int32_t i = 0; i < count; ++i) {
    SPW_MATRIX m{};
    float scale = 1.0f;
    if (!SPW_GetNamedNodeTransform(self->pModel, muzzles[i], &m, &scale)) continue;
    SPW_SPRITEPLACE place{};
    place.x = m.m[3][0];
    place.y = m.m[3][1];
    place.z = m.m[3][2];
    place.fScale = 1.0f;
    SPW_CreateSprite(scene, set, &place, kFlashHalfSize, kFlashHalfSize, 1.0f, nullptr, kFlashFlags);
  }
}

void Fire(VNTWINGUN* self, VNUNIT* target) {
  VNUNIT* gun = self->pUnit;
  Flash(self);
  const int32_t* range = self->bTwin80 ? kTwin80Sounds : kTwin50Sounds;
  vnFOBJPLAY_Sound(range[0] + PLAT_Rand() % (range[1] - range[0] + 1), gun->vPos);
  vnInflictDamage(gun, target, SPW_VecDist(&gun->vPos, &target->vPos), nullptr, nullptr, nullptr);
}

// Turns towards the target; fires when the aim is close and the last shot is long enough ago.
void Engage(VNTWINGUN* self, float dt) {
  VNUNIT* target = vnUNITMAN_GetUnit(self->dwTarget);
  float yaw = 0.0f, pitch = 0.0f;
  AimAt(self->vForward, self->pUnit->vPos, target->vPos, &yaw, &pitch);
  const float wantYaw = std::clamp(yaw, -self->afLimits[0], self->afLimits[0]);
  const float wantPitch = std::clamp(pitch, -self->afLimits[1], self->afLimits[1]);
  self->fYaw = Towards(self->fYaw, wantYaw, kSwivelRate * dt);
  self->fPitch = Towards(self->fPitch, wantPitch, kSwivelRate * dt);
  self->fFireTimer -= dt;
  const bool aimed = std::fabs(yaw - self->fYaw) < VNTWINGUN_FIRE_TOLERANCE &&
                     std::fabs(pitch - self->fPitch) < VNTWINGUN_FIRE_TOLERANCE;
  if (aimed && self->fFireTimer <= 0.0f) {
    self->fFireTimer = kShotSeconds;
    Fire(self, target);
  }
}

// A gunner who aims: the gun fires at his locked target whenever it is ready, turning no more.
void FireAtLock(VNTWINGUN* self, float dt) {
  self->fFireTimer -= dt;
  if (self->fFireTimer > 0.0f) return;
  self->fFireTimer = kShotSeconds;
  Fire(self, vnUNITMAN_GetUnit(self->dwTarget));
}

void Leave(VNTWINGUN* self) {
  const uint32_t gunner = self->dwGunner;
  self->dwGunner = 0;
  self->dwTarget = 0;
  self->bGunnerAims = 0;
  self->dwSide = 0;
  const SPW_VECTOR exit = Behind(self);
  if (gunner) vnUNITMAN_SendToUnit(gunner, SGM_TWINGUN_GET_OFF, SGE_PtrParam(&exit), 0);
}

void Occupy(VNTWINGUN* self, SGE_PARAM on, SGE_PARAM unitId) {
  if (on != 1) {
    Leave(self);
    return;
  }
  if (self->dwGunner) Leave(self);
  self->dwGunner = static_cast<uint32_t>(unitId);
  const SPW_VECTOR seat = Seat(self);
  vnUNITMAN_SendToUnit(self->dwGunner, SGM_TWINGUN_GET_ON, SGE_PtrParam(&seat),
                       static_cast<SGE_PARAM>(self->pUnit->dwId));
}

void Update(VNTWINGUN* self) {
  if (self->dwGunner && vnUNIT_IsDead(self->dwGunner)) Leave(self);
  if (self->dwGunner && self->bGunnerAims) {
    if (!StillTarget(self)) self->dwTarget = 0;
    if (self->dwTarget) FireAtLock(self, SGE_GetFrameTime());
  } else if (self->dwGunner) {
    if (!StillTarget(self)) self->dwTarget = FindTarget(self);
    if (self->dwTarget) Engage(self, SGE_GetFrameTime());
  }
  PoseGuns(self);
}

// The gunner turns the gun by the angle and tilts it towards the point; the target is dropped
// until he locks on again. 1 when the swivel stopped at its limit.
int32_t Turn(VNTWINGUN* self, const float* turn, const SPW_VECTOR* point) {
  if (!turn) return 0;
  self->bGunnerAims = 1;
  self->dwTarget = 0;
  const float wanted = self->fYaw + *turn;
  self->fYaw = std::clamp(wanted, -self->afLimits[0], self->afLimits[0]);
  if (point) {
    float yaw = 0.0f, pitch = 0.0f;
    AimAt(self->vForward, self->pUnit->vPos, *point, &yaw, &pitch);
    self->fPitch = std::clamp(pitch, -self->afLimits[1], self->afLimits[1]);
  }
  return self->fYaw != wanted ? 1 : 0;
}

// The gunner's aim is on the target: the gun points at its aim point and fires at it.
int32_t LockOn(VNTWINGUN* self, SGE_PARAM targetId, const SPW_VECTOR* point) {
  if (!point || !vnUNITMAN_GetUnit(static_cast<uint32_t>(targetId))) return 0;
  self->bGunnerAims = 1;
  float yaw = 0.0f, pitch = 0.0f;
  AimAt(self->vForward, self->pUnit->vPos, *point, &yaw, &pitch);
  self->fYaw = std::clamp(yaw, -self->afLimits[0], self->afLimits[0]);
  self->fPitch = std::clamp(pitch, -self->afLimits[1], self->afLimits[1]);
  self->dwTarget = static_cast<uint32_t>(targetId);
  return 1;
}

int32_t WriteFloat(SGE_PARAM out, float value) {
  float* p = SGE_ParamPtr<float>(out);
  if (!p) return 0;
  *p = value;
  return 1;
}

// A Twin80's gunner steps on and off behind it; a Twin50 has no such point.
SGE_RESULT StepPoint(VNTWINGUN* self) {
  if (!self->bTwin80) return 0;
  self->vStep = Behind(self);
  return SGE_PtrResult(&self->vStep);
}

int32_t CanSee(const VNTWINGUN* self, const SPW_VECTOR* point) {
  return point && vnTWINGUN_AcceptsTarget(self->vForward, self->pUnit->vPos, *point) ? 1 : 0;
}

void End(VNTWINGUN* self) {
  vnUNIT_DestroyObjects(self->pUnit);
  self->pModel = self->apGuns[0] = self->apGuns[1] = nullptr;
}

SGE_RESULT Answer(VNTWINGUN* self, SGE_TASK*, int32_t msg, SGE_PARAM p1, SGE_PARAM p2) {
  switch (msg) {
    case SGM_TASK_DESTROY: End(self); return 0;
    case SGM_UNIT_UPDATE: Update(self); return 0;
    case SGM_UNIT_GET_OBJECT: return SGE_PtrResult(self->pModel);
    case SGM_TWINGUN_GUNNER: return static_cast<int32_t>(self->dwGunner);
    case SGM_TWINGUN_OCCUPY: Occupy(self, p1, p2); return 1;
    case SGM_TWINGUN_MOUNT_POINT: return vnFOBJPLAY_WriteVector(p1, Seat(self));
    case SGM_TWINGUN_SEAT_DIRECTION: return vnFOBJPLAY_WriteVector(p1, SeatDirection(self));
    case SGM_TWINGUN_ANGLE: return WriteFloat(p1, self->fYaw);
    case SGM_TWINGUN_LOCK_ON: return LockOn(self, p1, SGE_ParamPtr<const SPW_VECTOR>(p2));
    case SGM_TWINGUN_TURN:
      return Turn(self, SGE_ParamPtr<const float>(p1), SGE_ParamPtr<const SPW_VECTOR>(p2));
    case SGM_TWINGUN_CAN_SEE: return CanSee(self, SGE_ParamPtr<const SPW_VECTOR>(p1));
    case SGM_TWINGUN_TWIN80_MOUNT:
    case SGM_TWINGUN_TWIN80_EXIT: return StepPoint(self);
    case SGM_TWINGUN_SIDE: self->dwSide = static_cast<uint32_t>(p1); return 1;
    default: return 0;
  }
}

}  // namespace

bool vnTWINGUN_AcceptsTarget(const SPW_VECTOR& forward, const SPW_VECTOR& from,
                             const SPW_VECTOR& to) {
  const SPW_VECTOR d{to.x - from.x, to.y - from.y, to.z - from.z};
  const float length = std::sqrt(d.x * d.x + d.y * d.y + d.z * d.z);
  if (!(length > 0.0f)) return false;
  float yaw = 0.0f, pitch = 0.0f;
  AimAt(forward, from, to, &yaw, &pitch);
  return std::fabs(yaw) <= VNTWINGUN_TARGET_ARC &&
         d.z / length < std::sin(VNTWINGUN_MAX_ELEVATION);
}

SGE_RESULT vnTWINGUN_Handler(SGE_TASK* task, SGE_DATAREF* data, int32_t msg, SGE_PARAM p1,
                             SGE_PARAM p2) {
  return vnUNIT_ControllerHandler<VNTWINGUN, vnFOBJPLAY_Answer<VNTWINGUN, Create, Answer>>(task, data, msg,
                                                                               p1, p2);
}
