// The shield dome's controller: raise, collapse, the per-frame steps and the draw.
#include "world/dome/dome.h"

#include <cmath>
#include <cstring>

#include "engine/kernel/frametime.h"
#include "engine/kernel/tasktypes.h"
#include "engine/math/argb.h"
#include "engine/object/object.h"
#include "engine/sprite/sprite.h"
#include "missions/control/effecttexture.h"
#include "missions/control/misscont.h"
#include "missions/control/overlay.h"
#include "platform/random.h"
#include "platform/trace.h"
#include "shell/sound/sound.h"
#include "terran/terunit.h"
#include "world/attach/attach.h"
#include "world/dome/draw.h"
#include "world/unitman/unitman.h"

namespace {

struct KIND {
  const char* pszModel;
  uint32_t dwColour;
  uint32_t dwAdditiveColour;  // with VNDOME_F_ADDITIVE
};
constexpr KIND kKinds[VNDOME_KINDS] = {
    {"Export/Pows/sphere.pow", 0x40FFFF00u, 0xFFFFFF00u},
    {"Export/Pows/sphere.pow", 0x404040FFu, 0xFF4040FFu},
    {"Export/Pows/sphere.pow", 0x40A000E0u, 0x004000E0u},
    {"Export/Pows/commandsheild.pow", 0xFFFFFFFFu, 0xFFFFFFFFu},
    {"Export/Pows/psykersheild.pow", 0xFFFFFFFFu, 0xFFFFFFFFu},
};

constexpr int32_t kLoopSound = 208;
constexpr int32_t kCollapseSound = 209;
constexpr int32_t kNoChannel = -1;

// The texture offsets a raise starts from, and the swing between 63 and 65 at 1 per second.
constexpr float kStartU = 63.0f;
constexpr float kSwingLow = 63.0f;
constexpr float kSwingHigh = 65.0f;
constexpr float kSwingRate = 1.0f;
constexpr float kScrollV = 0.1f;  // v scrolls back at a tenth of u's rate
// The alpha pulse: 120 a second, turning at 255 and below 48 (where it restarts from 96).
constexpr float kPulseRate = 120.0f;
constexpr int32_t kPulseTop = 255;
constexpr int32_t kPulseFloor = 48;
constexpr int32_t kPulseRestart = 0x60;

// Faces appear or go two at a time once the step time passes a thousandth of a second; in
// practice one step a frame.
constexpr int32_t kFacesPerStep = 2;
constexpr float kStepTime = 0.001f;
// A third of the sphere stays when a collapse from the front ends.
constexpr int32_t kKeptShare = 3;
// The flicker hides the next frame one time in four.
constexpr int32_t kFlickerOdds = 4;

// Sparks: sixteen frames in a grid of laser hits.
constexpr const char* kSparkTexture = "sprites/effects/laserhits02.ppm";
constexpr uint32_t kSparkSetId = 1639;
constexpr SPW_UV kSparkStart = {0.0f, 0.0f};
constexpr SPW_UV kSparkEnd = {0.9375f, 1.0f};
constexpr SPW_UV kSparkCell = {0.1875f, 0.1875f};
constexpr float kSparkFrames = 16.0f;
constexpr float kSparkHalfSize = 1.0f;
constexpr float kSparkSpeed = 1.0f;
constexpr float kSparkDrop = 0.4f;
// Animated, vertex colours, destroyed after its last frame, additive.
constexpr uint32_t kSparkFlags = 0x180A88u;

// ---- Create and destroy ----

// Every dome shares one spark set: a set per dome would never be given back.
SPW_SPRITESET* SparkSet() {
  if (SPW_SPRITESET* set = SPW_FindSpriteSet(kSparkSetId)) return set;
  return SPW_CreateSpriteSet(vnMISSCONT_GetEffectTextureID(kSparkTexture), kSparkSetId,
                             &kSparkStart, &kSparkEnd, &kSparkCell, &kSparkCell, kSparkFrames);
}

void OnCreate(VNDOME* self, VNUNIT* unit) {
  std::memset(static_cast<void*>(self), 0, sizeof *self);
  self->pUnit = unit;
  self->nLoopChannel = kNoChannel;
  self->nModelType = SPW_NO_OBJECT_TYPE;
  self->pSparks = SparkSet();
}

void StopLoopSound(VNDOME* self) {
  if (self->nLoopChannel != kNoChannel) vnSOUND_StopChannel(self->nLoopChannel);
  self->nLoopChannel = kNoChannel;
}

void ReleaseNode(VNDOME* self) {
  vnFX_AttachNodeRelease(self->pNode);
  self->pNode = nullptr;
}

void OnDestroy(VNDOME* self) {
  StopLoopSound(self);
  ReleaseNode(self);
  if (self->pUnit) vnUNIT_DestroyObjects(self->pUnit);
}

// ---- Raise ----

// The first node of the model's finest level that has faces; its every index must name one of
// its vertices, or the dome would read past them.
const SPW_DOBJNODE* MeshNode(int32_t slot) {
  const SPW_DOBJTYPE* type = SPW_GetObjectType(slot);
  if (!type || !type->pLods || type->dwNumLods == 0) return nullptr;
  const SPW_DOBJLOD& lod = type->pLods[0];
  for (uint32_t n = 0; n < lod.dwNumNodes; ++n) {
    const SPW_DOBJNODE& node = lod.pNodes[n];
    if (node.dwNumFaces == 0 || !node.pFaceSet || !node.pVertexSet) continue;
    if (node.dwVertsPerFace == 0 || node.dwVertsPerFace > SPW_MAX_FACE_VERTICES) return nullptr;
    for (uint32_t f = 0; f < node.dwNumFaces; ++f)
      for (uint32_t k = 0; k < node.dwVertsPerFace; ++k)
        if (node.pFaceSet[f].adwIndex[k] >= node.dwNumVertices) return nullptr;
    return &node;
  }
  return nullptr;
}

int32_t LoadMesh(VNDOME* self, const char* file) {
  int32_t slot = SPW_NO_OBJECT_TYPE;
  const SPW_DOBJNODE* node = SPW_LoadObject(file, nullptr, &slot, 1.0f) ? MeshNode(slot) : nullptr;
  self->nModelType = slot;
  if (!node) {
    PLAT_Trace("DOME: no mesh in %s; the dome is not drawn\n", file);
    self->pVertices = nullptr;
    self->pFaces = nullptr;
    self->nFaces = 0;
    self->nVertsPerFace = 0;
    return 0;
  }
  self->pVertices = node->pVertexSet;
  self->pFaces = node->pFaceSet;
  self->nFaces = static_cast<int32_t>(node->dwNumFaces);
  self->nVertsPerFace = static_cast<int32_t>(node->dwVertsPerFace);
  return 1;
}

// The count at which a collapse from the front ends: a third of the faces stay hidden from it.
int32_t FrontEnd(const VNDOME* self) { return self->nFaces - self->nFaces / kKeptShare; }

void HangNode(SGE_TASK* task, VNDOME* self) {
  if (self->pNode) return;
  self->pNode = vnFX_AttachTask(vnMISSCONT_GetAttachDisplay(), task, nullptr, VNDOME_NODE_VALUE);
  if (!self->pNode) PLAT_Trace("DOME: not on a draw list; the dome is not drawn\n");
}

int32_t OnRaise(SGE_TASK* task, VNDOME* self, const VNDOME_RAISE* r) {
  if (!r || r->nKind < 0 || r->nKind >= VNDOME_KINDS) return 0;
  const KIND& kind = kKinds[r->nKind];
  self->nKind = r->nKind;
  self->dwColour = (r->dwFlags & VNDOME_F_ADDITIVE) ? kind.dwAdditiveColour : kind.dwColour;
  if (!LoadMesh(self, kind.pszModel)) return 0;
  self->fScale = r->fScale;
  self->vPos = r->vPos;
  if (self->pUnit) vnUNITMAN_SetUnitPosition(vnUNITMAN_GetTask(), self->pUnit, &r->vPos);
  self->nFlicker = VNDOME_FLICKER_OFF;
  self->fU = kStartU;
  self->fV = 0.0f;
  self->bCollapsing = 0;
  self->bFinished = 0;
  HangNode(task, self);
  // A loop from an earlier raise keeps playing: its channel stays the dome's to stop.
  if (r->bSound && self->nLoopChannel == kNoChannel)
    self->nLoopChannel = vnSOUND_PlayEffectAt(kLoopSound, &r->vPos.x);
  self->bRaised = 1;
  self->dwFlags = r->dwFlags;
  self->nMode = r->nMode;
  self->fStepTime = 0.0f;
  if (r->nMode == VNDOME_MODE_DOWN) self->nReveal = FrontEnd(self);
  if (r->nMode == VNDOME_MODE_UP) self->nReveal = 0;
  if (r->dwFlags & VNDOME_F_TIMED) {
    self->fCountdown = r->fTime;
    self->dwNotifyId = r->dwUnitId;
  }
  return 1;
}

// ---- Collapse ----

bool Stepped(int32_t mode) { return mode == VNDOME_MODE_DOWN || mode == VNDOME_MODE_UP; }

// The two stepped modes count from opposite ends: switching turns the count around. A dome shown
// whole starts its collapse from the whole sphere.
int32_t CollapseStart(const VNDOME* self, int32_t mode) {
  if (!Stepped(self->nMode)) return mode == VNDOME_MODE_UP ? self->nFaces : 0;
  if (mode != self->nMode) return self->nFaces - self->nReveal;
  return self->nReveal;
}

void OnCollapse(VNDOME* self, const VNDOME_COLLAPSE* c) {
  const int32_t mode = c ? c->nMode : 0;
  self->bCollapsing = 1;
  self->bRaised = 0;
  self->fStepTime = 0.0f;
  StopLoopSound(self);
  vnSOUND_PlayEffectAt(kCollapseSound, &self->vPos.x);
  if (mode == VNDOME_MODE_FLICKER) {
    self->nFlicker = VNDOME_FLICKER_SHOWN;
    self->fFlickerTime = c->fTime;
  } else if (Stepped(mode)) {
    self->nReveal = CollapseStart(self, mode);
    self->nFlicker = VNDOME_FLICKER_OFF;
  } else {
    self->nFlicker = VNDOME_FLICKER_OFF;
    self->bFinished = 1;
  }
  self->nMode = mode;
}

// ---- Per frame ----

void Finish(VNDOME* self) {
  if (self->dwFlags & VNDOME_F_KEEP_UNIT)
    ReleaseNode(self);
  else if (self->pUnit)
    SGE_PostMessage(vnUNITMAN_GetTask(), nullptr, SGM_UNITMAN_DESTROY_UNIT, SGE_PtrParam(self->pUnit), 0);
  self->bCollapsing = 0;
  self->bFinished = 0;
  self->nFlicker = VNDOME_FLICKER_OFF;
  self->nSwingDir = 0;
  self->dwFlags = 0;
}

void TellShieldExpired(uint32_t id) {
  const VNUNIT* unit = vnUNITMAN_GetUnit(id);
  if (!unit || !unit->pController) return;
  const int32_t msg = vnTERUNIT_GetSuitTier(unit->nType) == VNTERUNIT_TIER_OTHER
                          ? SGM_UNIT_SHIELD_EXPIRED
                          : SGM_SUIT_SHIELD_EXPIRED;
  SGE_Send(unit->pController, msg, 0, 0);
}

void RunCountdown(SGE_TASK* task, VNDOME* self, float dt) {
  if (!(self->dwFlags & VNDOME_F_TIMED)) return;
  self->fCountdown -= dt;
  if (self->fCountdown >= 0.0f) return;
  self->dwFlags &= ~VNDOME_F_TIMED;
  if (self->dwFlags & VNDOME_F_SELF_COLLAPSE) {
    const VNDOME_COLLAPSE end{0, 0.0f};
    SGE_Send(task, SGM_DOME_COLLAPSE, SGE_PtrParam(&end), 0);
  } else {
    TellShieldExpired(self->dwNotifyId);
  }
}

// A spark where the building edge is: the last vertex of the face at the count (counting down)
// or of the one before it (counting up); there is none before the first face.
void MakeSpark(const VNDOME* self, int32_t direction) {
  const int32_t face = direction < 0 ? self->nReveal : self->nReveal - 1;
  SPW_SCENE* scene = vnMISSCONT_GetScene();
  if (face < 0 || face >= self->nFaces || !self->pSparks || !scene) return;
  const SPW_DOBJFACE& f = self->pFaces[face];
  const SPW_VECTOR& v = self->pVertices[f.adwIndex[self->nVertsPerFace - 1]].vPos;
  const SPW_VECTOR at = self->pUnit ? self->pUnit->vPos : self->vPos;
  SPW_SPRITEPLACE place{};
  place.x = self->fScale * v.x + at.x;
  place.y = self->fScale * v.y + at.y;
  place.z = self->fScale * v.z + at.z - kSparkDrop;
  SPW_CreateSprite(scene, self->pSparks, &place, kSparkHalfSize, kSparkHalfSize, kSparkSpeed,
                   &self->dwColour, kSparkFlags);
}

// One step towards the end value, at most one a frame; the count never passes its end.
void Step(VNDOME* self, float dt, int32_t direction, int32_t end) {
  self->fStepTime += dt;
  if (!(self->fStepTime > kStepTime)) return;
  MakeSpark(self, direction);
  self->nReveal += direction * kFacesPerStep;
  if ((direction > 0 && self->nReveal > end) || (direction < 0 && self->nReveal < end))
    self->nReveal = end;
  self->fStepTime -= kStepTime;
}

void StepCollapse(VNDOME* self, float dt) {
  switch (self->nMode) {
    case VNDOME_MODE_FLICKER:
      self->fFlickerTime -= dt;
      if (self->fFlickerTime < 0.0f) self->bFinished = 1;
      break;
    case VNDOME_MODE_DOWN:
      if (self->nReveal == FrontEnd(self))
        self->bFinished = 1;
      else
        Step(self, dt, 1, FrontEnd(self));
      break;
    case VNDOME_MODE_UP:
      if (self->nReveal == 0)
        self->bFinished = 1;
      else
        Step(self, dt, -1, 0);
      break;
    default:
      break;
  }
}

void StepRaise(VNDOME* self, float dt) {
  if (self->nMode == VNDOME_MODE_DOWN && self->nReveal > 0) Step(self, dt, -1, 0);
  if (self->nMode == VNDOME_MODE_UP && self->nReveal < self->nFaces)
    Step(self, dt, 1, self->nFaces);
}

void Swing(VNDOME* self, float dt) {
  const float d = self->nSwingDir == 0 ? kSwingRate * dt : -kSwingRate * dt;
  self->fU += d;
  self->fV += d;
  if (self->nSwingDir == 0 && self->fU >= kSwingHigh) self->nSwingDir = 1;
  if (self->nSwingDir == 1 && self->fU <= kSwingLow) self->nSwingDir = 0;
}

void Scroll(VNDOME* self, float dt) {
  self->fU = std::fmod(self->fU + dt, 1.0f);
  self->fV = std::fmod(self->fV - kScrollV * dt, 1.0f);
}

void Pulse(VNDOME* self, float dt) {
  const auto step = static_cast<int32_t>(kPulseRate * dt);
  int32_t alpha = static_cast<int32_t>(self->dwColour >> 24);
  if (self->nAlphaDir == 1) {
    alpha += step;
    if (alpha >= kPulseTop) {
      alpha = kPulseTop;
      self->nAlphaDir = 0;
    }
  } else {
    alpha -= step;
    if (alpha < kPulseFloor) {
      alpha = kPulseRestart;
      self->nAlphaDir = 1;
    }
  }
  self->dwColour = SPW_ArgbWithAlpha(self->dwColour, static_cast<uint32_t>(alpha));
}

void AnimateSurface(VNDOME* self, float dt) {
  if (self->dwFlags & VNDOME_F_SWING)
    Swing(self, dt);
  else if (self->dwFlags & VNDOME_F_SCROLL)
    Scroll(self, dt);
  else if (self->dwFlags & VNDOME_F_PULSE)
    Pulse(self, dt);
}

void OnUpdate(SGE_TASK* task, VNDOME* self) {
  if (self->bFinished) return Finish(self);
  const float dt = SGE_GetFrameTime();
  RunCountdown(task, self, dt);
  if (self->bCollapsing)
    StepCollapse(self, dt);
  else if (self->bRaised)
    StepRaise(self, dt);
  AnimateSurface(self, dt);
  if (self->nFlicker != VNDOME_FLICKER_OFF)
    self->nFlicker = PLAT_Rand() % kFlickerOdds == 1 ? VNDOME_FLICKER_HIDDEN : VNDOME_FLICKER_SHOWN;
}

}  // namespace

SGE_RESULT vnDome_Handler(SGE_TASK* task, SGE_DATAREF* data, int32_t msg, SGE_PARAM p1,
                          SGE_PARAM p2) {
  VNDOME* self = SGE_TaskData<VNDOME>(task);
  if (!self) return SGE_DefaultTaskHandler(task, data, msg, p1, p2);
  switch (msg) {
    case SGM_TASK_CREATE: OnCreate(self, SGE_ParamPtr<VNUNIT>(p1)); break;
    case SGM_TASK_DESTROY: OnDestroy(self); break;
    case SGM_TASK_DRAW: vnDome_Draw(self, SGE_ParamPtr<const VNFX_ATTACHNODE>(p1)); break;
    case SGM_UNIT_UPDATE: OnUpdate(task, self); return 0;
    case SGM_DOME_RAISE: return OnRaise(task, self, SGE_ParamPtr<const VNDOME_RAISE>(p1));
    case SGM_DOME_COLLAPSE:
      OnCollapse(self, SGE_ParamPtr<const VNDOME_COLLAPSE>(p1));
      return 0;
    case SGM_DOME_IS_RAISED: return self->bRaised;
    default: break;
  }
  return SGE_DefaultTaskHandler(task, data, msg, p1, p2);
}
