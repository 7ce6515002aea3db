// The troop transport class.
#include "world/fobj/transport.h"

#include <cmath>
#include <cstring>

#include "effects/shockwave.h"
#include "engine/dobject/dobject.h"
#include "engine/kernel/frametime.h"
#include "engine/object/object.h"
#include "missions/control/misscont.h"
#include "missions/control/missionevents.h"
#include "missions/control/overlay.h"
#include "platform/trace.h"
#include "world/attach/attach.h"
#include "world/fobj/common_play.h"
#include "world/fobj/common_scenery.h"
#include "world/mover/mover.h"
#include "world/unitman/unitman.h"
#include "world/unittype/unittype.h"

namespace {

constexpr int32_t kSequenceTransform = 3093;
constexpr int32_t kSetVisible = 552;
constexpr int32_t kGoto = 614;
constexpr const char* kModelFile = "Export/Pows/ZrTransport.pow";
constexpr const char* kDeathFile = "Export/Pows/TMar1Explode.pow";
constexpr const char* kAnimNames[3] = {"go", "turnLeft", "turnRight"};
constexpr float kModelScale = 1.2f;
constexpr float kDeathLift = 0.45f;
// Headings this far along x pick a turn; between them the current animation goes on.
constexpr float kAxis = 0.7f;
const float kCosOneDegree = std::cos(SPW_PI / 180.0f);
// "turnLeft" started along +x runs mirrored from this frame.
constexpr float kTurnMirrorFrames = 90.0f;
constexpr float kGoSpeedScale = 0.125f;
constexpr int32_t kClassAlive = 8;

// The wave the wreck makes.
VNSHOCKWAVE Wave(SGE_TASK* owner, const SPW_VECTOR& at) {
  VNSHOCKWAVE w{};
  w.pOwner = owner;
  w.nKind = 3;
  w.fRadius = 12.0f;
  w.nSegments = 7;
  w.fStartScale = 1.0f;
  w.fEndScale = 12.0f;
  w.nDelayFrames = 0;
  w.dwFlags = 345;
  w.fGrowSeconds = 2.0f;
  w.fFadeSeconds = 3.0f;
  w.nRings = 1;
  w.fFadeRate = 30.0f;
  w.vPos = at;
  return w;
}

float Health(const VNTRANSPORT* self) { return vnUNIT_AttrFloat(self->pUnit, VN_ATTR_HEALTH); }

SPW_VECTOR Heading(const VNTRANSPORT* self) {
  const VNMOVER_RECORD* move = self->pUnit->pMove;
  return move ? move->vHeading : SPW_VECTOR{0.0f, 1.0f, 0.0f};
}

void Create(VNTRANSPORT* self, VNUNIT* unit, const VNUNIT_CREATE* create) {
  std::memset(static_cast<void*>(self), 0, sizeof *self);
  self->pUnit = unit;
  self->fScale = 1.0f;
  self->nDeathType = SPW_NO_OBJECT_TYPE;
  for (int32_t& a : self->anAnims) a = -1;
  if (!unit) return;
  const SPW_VECTOR dir = create ? create->vDir : SPW_VECTOR{0.0f, 1.0f, 0.0f};
  const SPW_TRANSFORM at{unit->vPos, vnFOBJPLAY_Facing(dir), 1.0f};
  self->pModel = vnUNIT_CreateObject(unit, kModelFile, kModelScale, &at);
  if (!SPW_LoadObject(kDeathFile, nullptr, &self->nDeathType, kModelScale)) {
    PLAT_Trace("TRANSPORT: death model %s not loaded\n", kDeathFile);
    self->nDeathType = SPW_NO_OBJECT_TYPE;
  }
  vnShockwave_CreatePool(&self->pShockwaves, VNTRANSPORT_SHOCKWAVES);
  for (int32_t i = 0; i < 3; ++i)
    self->anAnims[i] = SPW_LookupAnimationByName(self->pModel, kAnimNames[i]);
  vnFOBJPLAY_Play(self->pModel, self->anAnims[VNTRANSPORT_GO], 0.0f, 1.0f, false);
  self->vSampled = Heading(self);
}

// The model follows the movement record; then the mover takes its step.
const SPW_VECTOR* FramePosition(VNTRANSPORT* self) {
  VNUNIT* unit = self->pUnit;
  VNMOVER_RECORD* move = unit->pMove;
  if (!move) return &unit->vPos;
  if (!self->bDead) {
    if (SPW_DOBJECT* o = self->pModel) {
      const SPW_VECTOR& h = move->vHeading;
      o->t.qRot = vnFOBJ_TurnZ(std::atan2(h.x, -h.y));
      o->t.vPos = move->vPos;
      o->t.fScale = 1.0f;
    }
    if (unit->pMover) SGE_Send(unit->pMover, SGM_MOVER_STEP, 0, 0);
  }
  return &move->vPos;
}

void StartTurn(VNTRANSPORT* self, int32_t turn, const SPW_VECTOR& h) {
  SPW_DOBJECT* o = self->pModel;
  self->nTurn = turn;
  if (!o || !o->pSlots) return;
  // The first slot's time carries the stride over from the animation that ends.
  float frames = o->pSlots[0].fTime / SPW_TICKS_PER_FRAME;
  if (turn == VNTRANSPORT_TURN_LEFT && h.x > kAxis) frames = kTurnMirrorFrames - frames;
  vnFOBJPLAY_Play(o, self->anAnims[turn], frames, 1.0f, false);
}

void ChooseAnimation(VNTRANSPORT* self) {
  const SPW_VECTOR h = Heading(self);
  const int32_t turn = vnTRANSPORT_ChooseTurn(h, self->vSampled);
  if (turn >= 0 && turn != self->nTurn) StartTurn(self, turn, h);
  if (self->nTurn == VNTRANSPORT_GO && self->pUnit->pMove) {
    const VNMOVER_RECORD* m = self->pUnit->pMove;
    SPW_SetAnimationSpeed(self->pModel, self->anAnims[VNTRANSPORT_GO],
                          kGoSpeedScale * SGE_GetFrameRate() * SPW_VecDist(&m->vPrevPos, &m->vPos));
  }
}

void Update(VNTRANSPORT* self) {
  vnShockwave_UpdatePool(self->pShockwaves, VNTRANSPORT_SHOCKWAVES);
  if (self->bDead) return;
  const float dt = SGE_GetFrameTime();
  self->fStepTimer += dt;
  self->fSampleTimer += dt;
  if (self->fStepTimer >= VNTRANSPORT_STEP_SECONDS) {
    self->fStepTimer = 0.0f;
    ChooseAnimation(self);
  }
  if (self->fSampleTimer >= VNTRANSPORT_SAMPLE_SECONDS) {
    self->fSampleTimer = 0.0f;
    self->vSampled = Heading(self);
  }
  vnMISSCONT_RaiseEvent(SGM_VN_MISSCONT_EVENT_PASSENGER_PICKED_UP,
                        static_cast<SGE_PARAM>(self->pUnit->dwId), 0);
}

// The wreck joins the unit's objects; without a list node for it there is no wreck and no wave.
bool MakeWreck(VNTRANSPORT* self) {
  SPW_SCENE* scene = vnMISSCONT_GetScene();
  if (!scene || self->nDeathType == SPW_NO_OBJECT_TYPE) return false;
  const VNUNIT* unit = self->pUnit;
  const SPW_TRANSFORM at{{unit->vPos.x, unit->vPos.y, unit->vPos.z + kDeathLift},
                         {0.0f, 0.0f, 1.0f, 0.0f}, 1.0f};
  SPW_DOBJECT* wreck = SPW_CreateDynamicObject(scene, self->nDeathType, nullptr, 0, &at, 0);
  if (!wreck) return false;
  if (!vnUNIT_AddObject(self->pUnit, wreck)) {
    PLAT_Trace("TRANSPORT: no list node for the wreck of unit %u\n", unit->dwId);
    SPW_DestroyDynamicObject(wreck);
    return false;
  }
  vnFOBJPLAY_Show(wreck, true);
  vnFOBJPLAY_Play(wreck, 0, 0.0f, 1.0f, true);
  return true;
}

void Destroy(SGE_TASK* task, VNTRANSPORT* self) {
  VNUNIT* unit = self->pUnit;
  if (unit->pMover) SGE_Send(unit->pMover, SGM_MOVER_STOP, 0, 0);
  vnFOBJPLAY_Show(self->pModel, false);
  if (MakeWreck(self)) {
    const VNSHOCKWAVE wave = Wave(task, unit->vPos);
    vnShockwave_Start(self->pShockwaves, &wave, VNTRANSPORT_SHOCKWAVES);
    if (!self->pNode)
      self->pNode = vnFX_AttachTask(vnMISSCONT_GetAttachDisplay(), task, nullptr,
                                    VNTRANSPORT_NODE_VALUE);
  }
  vnMISSCONT_RaiseEvent(SGM_VN_MISSCONT_EVENT_TERRAN_KILLED, static_cast<SGE_PARAM>(unit->dwId),
                        static_cast<SGE_PARAM>(unit->nType));
  self->bDead = 1;
}

void Damaged(SGE_TASK* task, VNTRANSPORT* self) {
  if (!self->bDead && Health(self) <= 0.0f) Destroy(task, self);
}

void Drive(VNTRANSPORT* self, int32_t msg, SGE_PARAM p1, SGE_PARAM p2) {
  if (self->pUnit->pMover && !self->bDead) SGE_Send(self->pUnit->pMover, msg, p1, p2);
}

void Place(VNTRANSPORT* self, const SPW_TRANSFORM* t) {
  if (!t) return;
  const SPW_VECTOR facing = vnFOBJPLAY_Forward(t->qRot);
  Drive(self, SGM_MOVER_MOVE_TO, SGE_PtrParam(&t->vPos),
        SGE_PtrParam(&facing));
}

void End(VNTRANSPORT* self) {
  vnFX_AttachNodeRelease(self->pNode);
  self->pNode = nullptr;
  vnShockwave_FreePool(&self->pShockwaves, VNTRANSPORT_SHOCKWAVES);
  vnUNIT_DestroyObjects(self->pUnit);
  self->pModel = nullptr;
}

SGE_RESULT Answer(VNTRANSPORT* self, SGE_TASK* task, int32_t msg, SGE_PARAM p1, SGE_PARAM) {
  switch (msg) {
    case SGM_TASK_DESTROY: End(self); return 0;
    case SGM_TASK_DRAW: return vnShockwave_DrawPool(self->pShockwaves, VNTRANSPORT_SHOCKWAVES);
    case SGM_UNIT_GET_UNIT: return SGE_PtrResult(self->pUnit);
    case SGM_UNIT_UPDATE: Update(self); return 0;
    case SGM_UNIT_FRAME_POSITION: return SGE_PtrResult(FramePosition(self));
    case SGM_UNIT_GET_OBJECT: return SGE_PtrResult(self->pModel);
    case SGM_UNIT_DAMAGED: Damaged(task, self); return 0;
    case SGM_UNIT_IS_INVULNERABLE: return self->bDead;
    case SGM_UNIT_IS_DEAD: return Health(self) <= 0.0f ? 1 : 0;
    case kSetVisible: vnFOBJPLAY_Show(self->pModel, p1 != 0 && !self->bDead); return 0;
    case SGM_UNIT_GET_LOCATOR: return vnFOBJPLAY_WriteVector(p1, self->pUnit->vPos);
    case SGM_UNIT_GET_CLASS: return Health(self) > 0.0f ? kClassAlive : 0;
    case SGM_UNIT_GET_SCALE: return SGE_PtrResult(&self->fScale);
    case kGoto: Drive(self, SGM_MOVER_GOTO, p1, 0); return 0;
    case kSequenceTransform: Place(self, SGE_ParamPtr<const SPW_TRANSFORM>(p1)); return 0;
    default: return 0;
  }
}

}  // namespace

int32_t vnTRANSPORT_ChooseTurn(const SPW_VECTOR& h, const SPW_VECTOR& s) {
  const float dot = h.x * s.x + h.y * s.y + h.z * s.z;
  if (!(kCosOneDegree > dot)) return VNTRANSPORT_GO;
  if (h.x > kAxis) return s.y >= h.y ? VNTRANSPORT_TURN_RIGHT : VNTRANSPORT_TURN_LEFT;
  if (h.x < -kAxis) return s.y >= h.y ? VNTRANSPORT_TURN_LEFT : VNTRANSPORT_TURN_RIGHT;
  return -1;
}

SGE_RESULT vnTRANSPORT_Handler(SGE_TASK* task, SGE_DATAREF* data, int32_t msg, SGE_PARAM p1,
                               SGE_PARAM p2) {
  return vnUNIT_ControllerHandler<VNTRANSPORT, vnFOBJPLAY_Answer<VNTRANSPORT, Create, Answer>>(task, data, msg,
                                                                               p1, p2);
}
