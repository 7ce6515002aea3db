// The drop capsule and door class.
#include "world/fobj/dropcapsule.h"

#include <cstring>

#include "engine/dobject/dobject.h"
#include "engine/kernel/frametime.h"
#include "engine/kernel/tasktypes.h"
#include "engine/object/object.h"
#include "engine/scene/scene.h"
#include "engine/terrain/terrain.h"
#include "missions/control/misscont.h"
#include "missions/control/missionevents.h"
#include "platform/trace.h"
#include "world/bstar/bstar.h"
#include "world/featunit/bar.h"
#include "world/fobj/common_play.h"
#include "world/fobj/common_scenery.h"
#include "world/marker/marker.h"
#include "world/unitman/unitman.h"
#include "world/unittype/unittype.h"

namespace {

constexpr int32_t kSequenceTransform = 3093;
constexpr const char* kDoorFiles[VNDOOR_KINDS] = {
    "Export/Pows/PodDoor_A.pow",      "Export/Pows/PodDoor_B.pow",
    "Export/Pows/FortDoor_A.pow",     "Export/Pows/BaseDoor.POW",
    "Export/Pows/GateUndamaged.POW",  "Export/Pows/c2m3powrstatndoor.pow",
    "Export/Pows/c2m3_baseDoor.pow"};
constexpr const char* kExplosionFile = "Export/Pows/bugholeexplode2.pow";
constexpr const char* kExplosionAnim = "bugholeexplode";
constexpr float kExplosionScale = 2.0f;
constexpr float kExplosionSpeed = 0.5f;
constexpr uint32_t kExplosionFlags =
    VNUNIT_WORLD_OBJECT | SPW_DOBJ_HIDDEN | SPW_DOBJ_NOT_ANIMATED | SPW_DOBJ_OWN_COLOUR;
constexpr float kBarLift = 11.0f;
constexpr float kBarLiftPlaced = 10.0f;
constexpr float kGateLocatorDrop = 1.0f;
constexpr float kPercent = 0.01f;
// A mirrored start: ticks of the new animation to its 1/30-second frames.
constexpr float kTicksToFrames = 0.00625f;

// Sound effects: the fort door's, the gate's and every other kind's.
struct DoorSounds {
  int32_t nOpen, nClose;
};
constexpr DoorSounds kFortSounds{795, 796};
constexpr DoorSounds kGateSounds{177, 178};
constexpr DoorSounds kOtherSounds{765, 766};
constexpr int32_t kDestroyedSound = 790;

// Answers of the class query.
constexpr int32_t kClassPlain = 1;
constexpr int32_t kClassValued = 4;
constexpr int32_t kClassBaseDoor = 9;

// What the end breakpoints say in their second word.
enum BreakpointKind : uint32_t { kOpenEnded, kCloseEnded, kExplosionEnded };

DoorSounds Sounds(int32_t kind) {
  if (kind == VNDOOR_KIND_FORT) return kFortSounds;
  if (kind == VNDOOR_KIND_GATE) return kGateSounds;
  return kOtherSounds;
}

bool IsBaseDoor(int32_t kind) { return kind == 3 || kind == 5 || kind == 6; }

float Health(const VNDOOR* self) { return vnUNIT_AttrFloat(self->pUnit, VN_ATTR_HEALTH); }

void Breakpoint(void*, uint32_t* values);

void AddEndBreakpoint(VNDOOR* self, SPW_DOBJECT* o, int32_t anim, BreakpointKind kind) {
  const uint32_t user[2] = {self->pUnit->dwId, kind};
  if (anim >= 0) SPW_AddAnimEndBreakpoint(o, 0, anim, Breakpoint, user);
}

void MakeModel(VNDOOR* self) {
  PLAT_Trace("Creating Door Type [%d]\n", self->nKind);
  if (self->nKind < 0 || self->nKind >= VNDOOR_KINDS) {
    PLAT_Trace("DOOR: no door of type %d; the unit has no model\n", self->nKind);
    return;
  }
  self->pModel = vnUNIT_CreateObject(self->pUnit, kDoorFiles[self->nKind], 1.0f, &self->t);
  if (!self->pModel) return;
  self->nOpenAnim = SPW_LookupAnimationByName(self->pModel, "open");
  self->nCloseAnim = SPW_LookupAnimationByName(self->pModel, "close");
  AddEndBreakpoint(self, self->pModel, self->nOpenAnim, kOpenEnded);
  AddEndBreakpoint(self, self->pModel, self->nCloseAnim, kCloseEnded);
  vnFOBJPLAY_EndPose(self->pModel, self->nCloseAnim);
}

void Create(VNDOOR* self, VNUNIT* unit, const VNUNIT_CREATE* create) {
  std::memset(static_cast<void*>(self), 0, sizeof *self);
  self->pUnit = unit;
  self->nOpenAnim = self->nCloseAnim = self->nRunning = self->nExplosionAnim = -1;
  self->t.fScale = 1.0f;
  self->t.qRot = {0.0f, 0.0f, 0.0f, 1.0f};
  if (!unit) return;
  self->t.vPos = create ? create->vPos : unit->vPos;
  if (create) self->t.qRot = vnFOBJPLAY_Facing(create->vDir);
  self->nKind = create ? create->nVariant : 0;
  self->fFullHealth = Health(self);
  if (self->nKind != VNDOOR_KIND_GATE) unit->dwFlags &= ~VNUNIT_F_OBSERVABLE;
  MakeModel(self);
  const SPW_VECTOR at{self->t.vPos.x, self->t.vPos.y, self->t.vPos.z + kBarLift};
  self->pBar = vnFEATUNIT_AddBar(&at);
  // The first frame's update hides the new bar.
  self->fBarTimer = VNFEATUNIT_BAR_SECONDS;
}

void SetLink(VNDOOR* self, bool enabled) {
  if (self->pLink) BSTAR_SetLinkEnabled(BSTAR_CurrentNetwork, self->pLink, enabled ? 1 : 0);
}

// The end of an opening or closing, played or set at once.
void Ended(VNDOOR* self, bool opened) {
  self->nRunning = -1;
  if (opened) SetLink(self, true);
  vnMISSCONT_RaiseEvent(SGM_VN_MISSCONT_EVENT_DOOR_DONE, static_cast<SGE_PARAM>(self->pUnit->dwId),
                        opened ? 1 : 0);
}

// Starts one of the two animations; one that reverses the other mid-way starts where the other
// stood, mirrored.
void Move(VNDOOR* self, int32_t anim, int32_t other, bool animate, bool opening) {
  if (!animate || !self->pModel || anim < 0) {
    vnFOBJPLAY_EndPose(self->pModel, anim);
    Ended(self, opening);
    return;
  }
  float frames = 0.0f;
  const float otherLength = vnFOBJPLAY_Length(self->pModel, other);
  if (self->nRunning == other && other >= 0 && otherLength > 0.0f) {
    const float done = self->pModel->pSlots[other].fTime / otherLength;
    frames = (1.0f - done) * vnFOBJPLAY_Length(self->pModel, anim) * kTicksToFrames;
  }
  vnFOBJPLAY_Play(self->pModel, anim, frames, 1.0f, true);
  self->nRunning = anim;
}

void Open(VNDOOR* self, SGE_PARAM animate) {
  self->dwFlags |= VNDOOR_F_OPEN;
  vnFOBJPLAY_Sound(Sounds(self->nKind).nOpen, self->t.vPos);
  Move(self, self->nOpenAnim, self->nCloseAnim, animate == 1, true);
}

void Close(VNDOOR* self, SGE_PARAM animate) {
  self->dwFlags &= ~VNDOOR_F_OPEN;
  SetLink(self, false);
  vnMISSCONT_RaiseEvent(SGM_VN_MISSCONT_EVENT_DOOR_CLOSING,
                        static_cast<SGE_PARAM>(self->pUnit->dwId), 0);
  vnFOBJPLAY_Sound(Sounds(self->nKind).nClose, self->t.vPos);
  Move(self, self->nCloseAnim, self->nOpenAnim, animate == 1, false);
}

void Toggle(VNDOOR* self, SGE_PARAM animate) {
  if (self->dwFlags & VNDOOR_F_OPEN)
    Close(self, animate);
  else
    Open(self, animate);
}

void MakeExplosion(VNDOOR* self) {
  SPW_SCENE* scene = vnMISSCONT_GetScene();
  int32_t slot = SPW_NO_OBJECT_TYPE;
  if (self->pExplosion || !scene || !SPW_LoadObject(kExplosionFile, nullptr, &slot, kExplosionScale)) {
    if (!self->pExplosion) PLAT_Trace("DOOR: explosion %s not loaded\n", kExplosionFile);
    return;
  }
  SPW_TRANSFORM at{self->pUnit->vPos, {0.0f, 0.0f, 1.0f, 0.0f}, 1.0f};
  SPW_GetTerrainHeight(scene, &at.vPos);
  SPW_DOBJECT* o = SPW_CreateDynamicObject(scene, slot, nullptr, 0, &at, 0);
  if (!o) return;
  self->pExplosion = o;
  self->nExplosionAnim = SPW_LookupAnimationByName(o, kExplosionAnim);
  AddEndBreakpoint(self, o, self->nExplosionAnim, kExplosionEnded);
  vnFOBJPLAY_Play(o, self->nExplosionAnim, 0.0f, 0.0f, true);
  o->fFlags |= kExplosionFlags;
  o->colourA = scene->ambient;
  self->fadeColour = o->colourA;
  self->fFadeLevel = VNDOOR_FADE_START;
}

// SGM_CAPSULE_RESET_PARTS (578): the model takes the unit's place, and the explosion is made ready.
void ResetParts(VNDOOR* self) {
  self->t.vPos = self->pUnit->vPos;
  if (self->pModel) self->pModel->t = self->t;
  const SPW_VECTOR at{self->pUnit->vPos.x, self->pUnit->vPos.y,
                      self->pUnit->vPos.z + kBarLiftPlaced};
  vnMARK_Send2585(self->pBar, &at);
  MakeExplosion(self);
}

void EndExplosion(VNDOOR* self) {
  SPW_DestroyDynamicObject(self->pExplosion);
  self->pExplosion = nullptr;
}

// A closed door at 0 health blows up; the explosion's end starts the fade, whose end removes
// the unit. Without an explosion there is nothing to wait for.
void Destroy(SGE_TASK* task, VNDOOR* self) {
  VNUNIT* unit = self->pUnit;
  self->bDestroyed = 1;
  unit->dwPlayer = 0;
  unit->dwFlags &= ~VNUNIT_F_OBSERVABLE;
  if (SPW_DOBJECT* o = self->pExplosion) {
    o->fFlags &= ~(SPW_DOBJ_HIDDEN | SPW_DOBJ_NOT_ANIMATED);
    vnFOBJPLAY_Play(o, self->nExplosionAnim, 0.0f, kExplosionSpeed, true);
  }
  vnFOBJPLAY_Sound(kDestroyedSound, unit->vPos);
  vnFEATUNIT_RemoveBar(&self->pBar);
  vnFOBJPLAY_Show(self->pModel, false);
  vnFOBJPLAY_ReportDestroyed(unit, static_cast<SGE_PARAM>(unit->nType));
  if (!self->pExplosion) SGE_Send(task, SGM_CAPSULE_REMOVE, 0, 0);
}

// The damage model has already taken the hit off the health.
void Damaged(SGE_TASK* task, VNDOOR* self) {
  if (!self->pUnit || self->bDestroyed) return;
  vnFEATUNIT_ShowBar(self->pBar, &self->fBarTimer);
  if (Health(self) > 0.0f) return;
  if (self->dwFlags & VNDOOR_F_OPEN)
    vnUNIT_SetAttrFloat(self->pUnit, VN_ATTR_HEALTH, self->fFullHealth);
  else
    Destroy(task, self);
}

void Fade(SGE_TASK* task, VNDOOR* self, float dt) {
  self->fFadeLevel -= VNDOOR_FADE_PER_SECOND * dt;
  if (self->fFadeLevel > 0.0f) {
    const float k = self->fFadeLevel * kPercent;
    const SPW_COLOUR& c = self->fadeColour;
    if (self->pExplosion) self->pExplosion->colourA = {k * c.r, k * c.g, k * c.b, k * c.a};
    return;
  }
  EndExplosion(self);
  self->dwFlags &= ~VNDOOR_F_FADING;
  self->fFadeLevel = 0.0f;
  SGE_Send(task, SGM_CAPSULE_REMOVE, 0, 0);
}

void Update(SGE_TASK* task, VNDOOR* self) {
  const float dt = SGE_GetFrameTime();
  vnFEATUNIT_UpdateBar(self->pBar, &self->fBarTimer, dt, Health(self), self->fFullHealth);
  if (self->dwFlags & VNDOOR_F_FADING) Fade(task, self, dt);
}

void Breakpoint(void*, uint32_t* values) {
  auto* self = static_cast<VNDOOR*>(vnFOBJPLAY_Controller(values[0], VNTT_DROPCAPSULE));
  if (!self) return;
  switch (values[1]) {
    case kOpenEnded:
      if (self->nRunning == self->nOpenAnim) Ended(self, true);
      break;
    case kCloseEnded:
      if (self->nRunning == self->nCloseAnim) Ended(self, false);
      break;
    case kExplosionEnded:
      if (self->bDestroyed) self->dwFlags |= VNDOOR_F_FADING;
      break;
    default: break;
  }
}

SPW_VECTOR Locator(const VNDOOR* self) {
  SPW_VECTOR at = self->pUnit->vPos;
  if (self->nKind == VNDOOR_KIND_GATE) at.z -= kGateLocatorDrop;
  return at;
}

int32_t ClassQuery(const VNDOOR* self) {
  if (IsBaseDoor(self->nKind)) return kClassBaseDoor;
  return self->nValue ? kClassValued : kClassPlain;
}

void End(VNDOOR* self) {
  vnFEATUNIT_RemoveBar(&self->pBar);
  EndExplosion(self);
  vnUNIT_DestroyObjects(self->pUnit);
  self->pModel = nullptr;
}

SGE_RESULT Answer(VNDOOR* self, SGE_TASK* task, int32_t msg, SGE_PARAM p1, SGE_PARAM) {
  switch (msg) {
    case SGM_TASK_DESTROY: End(self); return 0;
    case SGM_UNIT_GET_UNIT: return SGE_PtrResult(self->pUnit);
    case SGM_UNIT_UPDATE: Update(task, self); return 0;
    case SGM_UNIT_FRAME_POSITION: return SGE_PtrResult(&self->t.vPos);
    case SGM_UNIT_FRAME_EXTRA: if (self->pModel) self->pModel->t = self->t; return 0;
    case SGM_UNIT_GET_OBJECT: return SGE_PtrResult(self->pModel);
    case SGM_UNIT_GET_FACING: return vnFOBJPLAY_WriteVector(p1, vnFOBJPLAY_Forward(self->t.qRot));
    case SGM_UNIT_DAMAGED: Damaged(task, self); return 0;
    case SGM_UNIT_IS_DEAD: return Health(self) <= 0.0f ? 1 : 0;
    case SGM_CAPSULE_TOGGLE_DOOR: Toggle(self, p1); return 0;
    case SGM_CAPSULE_OPEN: Open(self, p1); return 0;
    case SGM_CAPSULE_CLOSE: Close(self, p1); return 0;
    case SGM_CAPSULE_SET_LINK: self->pLink = SGE_ParamPtr<BSTAR_Link>(p1); return 0;
    case SGM_CAPSULE_TOGGLE: vnFOBJPLAY_ToggleBar(self->pBar, &self->fBarTimer); return 0;
    case SGM_CAPSULE_REMOVE: vnFOBJ_RemoveUnit(self->pUnit); return 0;
    case SGM_CAPSULE_SET_VALUE: self->nValue = static_cast<int32_t>(p1); return 0;
    case SGM_CAPSULE_RESET_PARTS: ResetParts(self); return 0;
    case SGM_CAPSULE_IS_OPEN: return (self->dwFlags & VNDOOR_F_OPEN) ? 1 : 0;
    case SGM_UNIT_GET_LOCATOR: return vnFOBJPLAY_WriteVector(p1, Locator(self));
    case SGM_UNIT_GET_CLASS: return ClassQuery(self);
    case SGM_UNIT_GET_SCALE: return SGE_PtrResult(&self->t.fScale);
    case kSequenceTransform: vnFOBJPLAY_SequenceTransform(self->pUnit, &self->t, p1); return 0;
    default: return 0;
  }
}

}  // namespace

SGE_RESULT vnDOOR_Handler(SGE_TASK* task, SGE_DATAREF* data, int32_t msg, SGE_PARAM p1,
                          SGE_PARAM p2) {
  return vnUNIT_ControllerHandler<VNDOOR, vnFOBJPLAY_Answer<VNDOOR, Create, Answer>>(task, data, msg,
                                                                               p1, p2);
}
