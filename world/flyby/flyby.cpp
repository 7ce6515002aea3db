// The fly-by task: creation, the pass, the frame and the end.
#include "world/flyby/flyby.h"

#include <cmath>
#include <cstring>

#include "effects/trailhead.h"
#include "effects/unitattach.h"
#include "engine/dobject/dobject.h"
#include "engine/kernel/frametime.h"
#include "engine/math/argb.h"
#include "engine/math/vecops.h"
#include "engine/scene/scene.h"
#include "missions/control/effecttexture.h"
#include "missions/control/misscont.h"
#include "missions/control/missiontasks.h"
#include "missions/control/overlay.h"
#include "missions/control/vehicleshadow.h"
#include "platform/random.h"
#include "platform/trace.h"
#include "shell/sound/sound.h"
#include "world/attach/attach.h"
#include "world/flyby/thrusters.h"
#include "world/shadow/shadow.h"

namespace {

struct KIND {
  const char* pszModel;  // none: no plane is seen
  float fSpeed;
  int32_t nShadowSlot;
  float fShadowSize;
};
constexpr KIND kKinds[] = {
    {"Export/Pows/tacfighter.pow", 80.0f, 9, 8.0f},
    {"Export/Pows/DS10.pow", 60.0f, 3, 12.0f},
    {nullptr, 40.0f, -1, 0.0f},
};
constexpr int32_t kKnownKinds = static_cast<int32_t>(sizeof kKinds / sizeof kKinds[0]);
constexpr KIND kUnknownKind = {nullptr, 40.0f, -1, 0.0f};

constexpr int32_t kFighterSound = 778;
constexpr int32_t kDS10Sound = 743;
constexpr int32_t kUnseenSoundFirst = 333;  // one of five
constexpr int32_t kUnseenSounds = 5;
constexpr int32_t kNoChannel = -1;

constexpr const char* kFlameTexture = "sprites/effects/thrusters2.ppm";
constexpr const char* kFlashTexture = "sprites/effects/fx_01.ppm";

// Entry: 500 before the reference point, 30 above it; the wing planes sit 10 to each side and
// 8 behind the leader.
constexpr float kLeadIn = 500.0f;
constexpr float kAltitude = 30.0f;
constexpr float kWingSide = 10.0f;
constexpr float kWingBack = 8.0f;

// Shadows: faded by height, turned with the plane, shifted along the light, drawn out of view.
constexpr uint32_t kShadowFlags =
    VNSHADOW_FADE_HEIGHT | VNSHADOW_ROTATE | VNSHADOW_SHIFT | VNSHADOW_ALWAYS;
constexpr float kShadowOffset = 0.1f;
constexpr float kShadowMinHeight = 15.0f;
constexpr float kShadowMaxHeight = 155.0f;

// Fighter engines: 0.325 to each side, 0.48 up; their trails are bound afresh every 0.6 s and
// move at 0.6 of the plane's velocity in between.
constexpr float kEngineSide = 0.325f;
constexpr float kEngineUp = 0.48f;
constexpr float kTrailRebind = 0.6f;
constexpr float kTrailDrag = 0.6f;
// The trail's colours: the scene's ambient light lifted towards white.
constexpr float kTrailLift = 510.0f;
constexpr float kTrailShare = 0.333f;
constexpr uint32_t kTrailAlphaHead = 0xDC;
constexpr VNSMOKETRAIL_HEADED kTrailSettings = {
    {}, 0, 0, 2, 4.0f, 0.075f, 0.4f, 0.67f, 3, 6, 49380, {}, {}};

constexpr float kThrusterFlicker = 0.15f;

const KIND& KindOf(int32_t kind) {
  return kind >= 0 && kind < kKnownKinds ? kKinds[kind] : kUnknownKind;
}

void TraceUnknown() { PLAT_Trace("Unknown plane type!\n"); }

// ---- Create ----

int32_t PlaneCount(int32_t kind) {
  return kind == VNFLYBY_FIGHTERS ? PLAT_Rand() % VNFLYBY_MAX_PLANES + 1 : 1;
}

int32_t SoundOf(int32_t kind) {
  switch (kind) {
    case VNFLYBY_FIGHTERS: return kFighterSound;
    case VNFLYBY_DS10: return kDS10Sound;
    case VNFLYBY_UNSEEN: return kUnseenSoundFirst + PLAT_Rand() % kUnseenSounds;
    default: return -1;
  }
}

int32_t LoadModel(const char* file) {
  int32_t slot = SPW_NO_OBJECT_TYPE;
  if (file && !SPW_LoadObject(file, nullptr, &slot, 1.0f)) {
    PLAT_Trace("FLYBY: %s did not load; the planes are not seen\n", file);
    slot = SPW_NO_OBJECT_TYPE;
  }
  return slot;
}

void OnCreate(SGE_TASK* task, VNFLYBY* self, const SPW_VECTOR* reference, int32_t kind) {
  std::memset(static_cast<void*>(self), 0, sizeof *self);
  self->nSoundChannel = kNoChannel;
  self->nKind = kind;
  if (kind < 0 || kind >= kKnownKinds) TraceUnknown();
  if (reference) self->vReference = *reference;
  self->nModelType = LoadModel(KindOf(kind).pszModel);
  self->nPlanes = PlaneCount(kind);
  self->fSpeed = KindOf(kind).fSpeed;
  self->pTimer = SGE_AddFrameTimer(task, 1, nullptr, SGE_TIMER_REPEAT);
  if (kind == VNFLYBY_DS10) {
    self->anThrusterTexture[0] = vnMISSCONT_GetEffectTextureID(kFlameTexture);
    self->anThrusterTexture[1] = vnMISSCONT_GetEffectTextureID(kFlashTexture);
  }
  SGE_Send(task, SGM_FLYBY_START, 0, 0);
  // Started once the planes are placed, so that it begins where the first plane is.
  const int32_t sound = SoundOf(kind);
  if (sound >= 0) self->nSoundChannel = vnSOUND_PlayEffectAt(sound, &self->aPlanes[0].vPos.x);
}

// ---- Start ----

SPW_VECTOR EntryCorner() {
  SPW_VECTOR lo{}, hi{};
  if (!vnMISSCONT_GetTerrainBounds(&lo, &hi))
    PLAT_Trace("FLYBY: no terrain; the planes enter from the origin\n");
  switch (PLAT_Rand() % 4) {
    case 0: return {lo.x, lo.y, 0.0f};
    case 1: return {hi.x, lo.y, 0.0f};
    case 2: return {lo.x, hi.y, 0.0f};
    default: return {hi.x, hi.y, 0.0f};
  }
}

// The horizontal unit vector from the corner to the point; along +y when they coincide.
SPW_VECTOR Heading(const SPW_VECTOR& from, const SPW_VECTOR& to) {
  SPW_VECTOR d = {to.x - from.x, to.y - from.y, 0.0f};
  if (SPW_VecNormalise(&d) == 0.0f) d = {0.0f, 1.0f, 0.0f};
  return d;
}

void PlaceObject(VNFLYBY* self, VNFLYBY_PLANE& plane, const SPW_VECTOR& d) {
  SPW_SCENE* scene = vnMISSCONT_GetScene();
  if (self->nModelType == SPW_NO_OBJECT_TYPE || !scene) return;
  // The model faces -y: turn it about z onto the heading.
  const float angle = std::atan2(d.x, -d.y);
  SPW_TRANSFORM t{plane.vPos, {0.0f, 0.0f, std::sin(angle / 2), std::cos(angle / 2)}, 1.0f};
  plane.pObject = SPW_CreateDynamicObject(scene, self->nModelType, nullptr, 0, &t, 0);
  if (!plane.pObject) PLAT_Trace("FLYBY: no object for a plane\n");
}

void AddShadow(const VNFLYBY* self, VNFLYBY_PLANE& plane) {
  const KIND& kind = KindOf(self->nKind);
  if (kind.nShadowSlot < 0) return TraceUnknown();
  if (!plane.pObject) return;
  if ((plane.pShadow = vnShadow_Find(plane.pObject))) return;
  plane.pShadow = vnShadow_Add(kind.nShadowSlot, plane.pObject, kShadowFlags, kind.fShadowSize,
                               kShadowOffset, kShadowMinHeight, kShadowMaxHeight, 0.0f, 0.0f,
                               &VNSHADOW_NO_ROTATION);
}

void HangThrusters(SGE_TASK* task, VNFLYBY* self) {
  if (!self->pThrusterNode)
    self->pThrusterNode =
        vnFX_AttachTask(vnMISSCONT_GetAttachDisplay(), task, nullptr, VNFLYBY_NODE_VALUE);
  self->fFlickerCountdown = kThrusterFlicker;
}

uint32_t TrailChannel(float ambient) {
  return static_cast<uint32_t>((ambient + kTrailLift) * kTrailShare) & 0xFFu;
}

uint32_t TrailColour(uint32_t alpha) {
  const SPW_SCENE* scene = vnMISSCONT_GetScene();
  const SPW_COLOUR a = scene ? scene->ambient : SPW_COLOUR{};
  return SPW_Argb(alpha, TrailChannel(a.r), TrailChannel(a.g), TrailChannel(a.b));
}

void StartTrails(VNFLYBY* self, int32_t i, const SPW_VECTOR& d) {
  const VNFLYBY_PLANE& plane = self->aPlanes[i];
  self->avEngineOffset[i][0] = {kEngineSide * d.y, -kEngineSide * d.x, kEngineUp};
  self->avEngineOffset[i][1] = {-kEngineSide * d.y, kEngineSide * d.x, kEngineUp};
  const SPW_VECTOR drag = SPW_VScale(plane.vVelocity, kTrailDrag);
  for (int32_t e = 0; e < VNFLYBY_ENGINES; ++e) {
    VNSMOKETRAIL_HEADED settings = kTrailSettings;
    settings.vStart = SPW_VAdd(plane.vPos, self->avEngineOffset[i][e]);
    settings.dwColourStart = TrailColour(kTrailAlphaHead);
    settings.dwColourEnd = TrailColour(0);
    self->apTrails[i][e] = vnSmokeTrail_StartHeaded(&settings);
    vnSmokeTrail_Attach(self->apTrails[i][e], &settings.vStart, &drag);
  }
}

void SetUpPlane(SGE_TASK* task, VNFLYBY* self, int32_t i) {
  VNFLYBY_PLANE& plane = self->aPlanes[i];
  const SPW_VECTOR& ref = self->vReference;
  const SPW_VECTOR d = Heading(EntryCorner(), ref);
  plane.vVelocity = SPW_VScale(d, self->fSpeed);
  const float height = self->nKind == VNFLYBY_UNSEEN ? ref.z : ref.z + kAltitude;
  plane.vPos = {ref.x - kLeadIn * d.x, ref.y - kLeadIn * d.y, height};
  if (i > 0) {
    const float side = i == 1 ? kWingSide : -kWingSide;
    plane.vPos.x += side * d.y - kWingBack * d.x;
    plane.vPos.y += -side * d.x - kWingBack * d.y;
  }
  if (self->nKind == VNFLYBY_UNSEEN) return;
  PlaceObject(self, plane, d);
  AddShadow(self, plane);
  if (self->nKind == VNFLYBY_DS10) HangThrusters(task, self);
  if (self->nKind == VNFLYBY_FIGHTERS) StartTrails(self, i, d);
}

void OnStart(SGE_TASK* task, VNFLYBY* self) {
  if (self->nPlanes > VNFLYBY_MAX_PLANES) return;
  self->bActive = 1;
  self->bDone = 0;
  self->fElapsed = 0.0f;
  self->fPassLength = VNFLYBY_PASS_DISTANCE / self->fSpeed;
  for (int32_t i = 0; i < self->nPlanes; ++i) SetUpPlane(task, self, i);
}

// ---- Frame ----

void FollowTrails(VNFLYBY* self, float dt) {
  if (self->nKind != VNFLYBY_FIGHTERS) return;
  self->fTrailTimer += dt;
  const bool rebind = self->fTrailTimer >= kTrailRebind;
  if (rebind) self->fTrailTimer -= kTrailRebind;
  for (int32_t i = 0; i < self->nPlanes; ++i) {
    const VNFLYBY_PLANE& plane = self->aPlanes[i];
    const SPW_VECTOR drag = SPW_VScale(plane.vVelocity, kTrailDrag);
    for (int32_t e = 0; e < VNFLYBY_ENGINES; ++e) {
      const SPW_VECTOR at = SPW_VAdd(plane.vPos, self->avEngineOffset[i][e]);
      if (rebind)
        vnSmokeTrail_Attach(self->apTrails[i][e], &at, &drag);
      else
        vnSmokeTrail_MoveHead(self->apTrails[i][e], &at);
    }
  }
}

void MovePlanes(VNFLYBY* self, float dt) {
  for (int32_t i = 0; i < self->nPlanes; ++i) {
    VNFLYBY_PLANE& plane = self->aPlanes[i];
    plane.vPos = SPW_VAdd(plane.vPos, SPW_VScale(plane.vVelocity, dt));
    if (!plane.pObject) continue;
    plane.pObject->t.vPos = plane.vPos;
    vnSS_UpdateVehicleShadow(plane.pObject, plane.pShadow);
  }
  FollowTrails(self, dt);
}

void StopSound(VNFLYBY* self) {
  if (self->nSoundChannel != kNoChannel) vnSOUND_StopChannel(self->nSoundChannel);
  self->nSoundChannel = kNoChannel;
}

void EndPass(SGE_TASK* task, VNFLYBY* self) {
  self->bDone = 1;
  for (int32_t i = 0; i < self->nPlanes; ++i)
    if (self->aPlanes[i].pObject) self->aPlanes[i].pObject->fFlags |= SPW_DOBJ_HIDDEN;
  StopSound(self);
  if (SGE_TASK* script = vnMISSCONT_GetMissionTask()) SGE_Send(script, SGM_VN_FLYBY_DONE, 0, 0);
  SGE_PostMessage(task, nullptr, SGM_TASK_DESTROY, 0, 0);
}

void OnFrame(SGE_TASK* task, VNFLYBY* self) {
  if (!self->bActive || self->bDone) return;
  const float dt = SGE_GetFrameTime();
  self->fElapsed += dt;
  if (self->nSoundChannel != kNoChannel)
    vnSOUND_SetChannelPosition(self->nSoundChannel, &self->aPlanes[0].vPos.x);
  if (self->fElapsed > self->fPassLength)
    EndPass(task, self);
  else
    MovePlanes(self, dt);
}

// ---- Destroy ----

void OnDestroy(VNFLYBY* self) {
  PLAT_Trace("[FlyBy Destroying] ... Destroying Objects Created\n");
  StopSound(self);
  for (int32_t i = 0; i < VNFLYBY_MAX_PLANES; ++i) {
    VNFLYBY_PLANE& plane = self->aPlanes[i];
    if (plane.pObject) {
      vnUnit_ReleaseAttachment(plane.pObject);
      SPW_DestroyDynamicObject(plane.pObject);
    }
    plane = {};
    for (VNSMOKETRAIL*& trail : self->apTrails[i]) {
      vnSmokeTrail_Release(trail);
      trail = nullptr;
    }
  }
  vnFX_AttachNodeRelease(self->pThrusterNode);
  self->pThrusterNode = nullptr;
  if (self->pTimer) SGE_KillTimer(self->pTimer);
  self->pTimer = nullptr;
}

}  // namespace

SGE_RESULT vnFlyBy_Handler(SGE_TASK* task, SGE_DATAREF* data, int32_t msg, SGE_PARAM p1,
                           SGE_PARAM p2) {
  VNFLYBY* self = SGE_TaskData<VNFLYBY>(task);
  if (!self) return SGE_DefaultTaskHandler(task, data, msg, p1, p2);
  switch (msg) {
    case SGM_TASK_CREATE:
      OnCreate(task, self, SGE_ParamPtr<const SPW_VECTOR>(p1), static_cast<int32_t>(p2));
      break;
    case SGM_TASK_DESTROY: OnDestroy(self); break;
    case SGM_TASK_FRAME: OnFrame(task, self); break;
    case SGM_TASK_DRAW:
      vnFlyBy_DrawThrusters(self, SGE_ParamPtr<const VNFX_ATTACHNODE>(p1));
      break;
    case SGM_FLYBY_START: OnStart(task, self); break;
    default: break;
  }
  return SGE_DefaultTaskHandler(task, data, msg, p1, p2);
}
