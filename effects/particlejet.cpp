// The particle-jet manager task.
#include "effects/particlejet.h"

#include <algorithm>
#include <cmath>

#include "engine/dobject/dobject.h"
#include "engine/kernel/frametime.h"
#include "engine/kernel/tasktypes.h"
#include "engine/math/vecops.h"
#include "engine/memory/memblock.h"
#include "engine/scene/scene.h"
#include "engine/sprite/sprite.h"
#include "missions/control/misscont.h"
#include "missions/control/missiontasks.h"
#include "platform/random.h"
#include "platform/trace.h"
#include "world/unitman/unitman.h"
#include "shell/options.h"

namespace {

// The share of the nominal rate by the effects detail setting (0, 1, 2).
constexpr float kQuality[3] = {0.3f, 0.6f, 1.0f};
// Emitters this far from the view emit at the full rate; the rate falls off beyond.
constexpr float kFullRateDistance = 15.0f;
constexpr float kFalloff = 0.05f;
constexpr uint32_t kParticleFlags = SPW_SPRITE_ANIMATED | SPW_SPRITE_LOOP | SPW_SPRITE_COLOURED;

struct PARTICLE {
  SGE_DLLNODE link;
  SPW_SPRITE* pSprite;
  SPW_VECTOR vVelocity;
  VNJET* pJet;
  float fAge;
  float fSpin;
};

float Random() { return static_cast<float>(PLAT_Rand()) / static_cast<float>(PLAT_RAND_MAX); }
// Uniform in [-1, 1].
float Signed() { return 2.0f * Random() - 1.0f; }

void FreeParticle(PARTICLE* p) {
  SGE_ListUnlink(&p->link);
  SGE_MemFree(p);
}

int32_t StepParticle(SPW_SPRITE*, void* user);

// The emitter and every particle go. The sprites go with them, since their step reads the
// particle; they are found in the scene, as a sprite set that went first took its sprites along.
void Remove(VNJET* jet) {
  if (SPW_SCENE* scene = vnMISSCONT_GetScene()) {
    for (SPW_SPRITE* sprite : SGE_ListRecords<SPW_SPRITE>(&scene->sprites))
      if (sprite->pfnCallback == StepParticle && static_cast<PARTICLE*>(sprite->pUser)->pJet == jet)
        SPW_DestroySprite(sprite);
  }
  for (PARTICLE* p : SGE_ListRecords<PARTICLE>(&jet->particles)) FreeParticle(p);
  SGE_ListUnlink(&jet->link);
  SGE_MemFree(jet);
}

void Fade(const VNJET* jet, const PARTICLE* p) {
  const VNJET_REQUEST& r = jet->req;
  float level = 255.0f;
  if ((r.dwFlags & VNJET_F_LIFE) && r.fLife > 0.0f)
    level = 255.0f - 255.0f / r.fLife * p->fAge;
  else if ((r.dwFlags & VNJET_F_FRAMES) && r.nFrames > 0)
    level = 255.0f - static_cast<float>(255 / r.nFrames) * std::floor(p->pSprite->fFrame);
  const auto byte = static_cast<uint32_t>(std::clamp(level, 0.0f, 255.0f));
  const uint32_t colour = byte * 0x01010101u;
  for (uint32_t& corner : p->pSprite->adwColour) corner = colour;
}

bool Ended(const VNJET* jet, const PARTICLE* p) {
  const VNJET_REQUEST& r = jet->req;
  if ((r.dwFlags & VNJET_F_LIFE) && p->fAge > r.fLife) return true;
  return (r.dwFlags & VNJET_F_FRAMES) &&
         p->pSprite->fFrame >= static_cast<float>(r.nFrames - 1);
}

// Still air: the mission has no wind, so the wind drag slows the particle down.
void Move(const VNJET* jet, PARTICLE* p, float dt) {
  const VNJET_REQUEST& r = jet->req;
  SPW_VECTOR& v = p->vVelocity;
  if (r.dwFlags & VNJET_F_GRAVITY) v.z -= vnMISSCONT_GetGravity() * dt;
  if (r.dwFlags & VNJET_F_FORCE) v = SPW_VAdd(v, SPW_VScale(r.vForce, dt));
  if (r.dwFlags & VNJET_F_WIND) v = SPW_VSub(v, SPW_VScale(v, r.fWindDrag * dt));
  if (r.dwFlags & VNJET_F_FORCE_DRAG)
    v = SPW_VAdd(v, SPW_VScale(SPW_VSub(r.vForce, v), r.fForceDrag * dt));
  SPW_SPRITEPLACE& place = p->pSprite->place;
  place.x += v.x * dt;
  place.y += v.y * dt;
  place.z += v.z * dt;
  if (p->fSpin != 0.0f) place.fRotation += p->fSpin * dt;
  if (r.dwFlags & VNJET_F_GROWTH) {
    const float g = r.fGrowth > 1.0f ? 1.0f + (r.fGrowth - 1.0f) * dt : 1.0f - (1.0f - r.fGrowth) * dt;
    p->pSprite->fHalfWidth *= g;
    p->pSprite->fHalfHeight *= g;
  }
}

// The sprite pass's step of a particle; 0 ends it with its sprite.
int32_t StepParticle(SPW_SPRITE*, void* user) {
  auto* p = static_cast<PARTICLE*>(user);
  const VNJET* jet = p->pJet;
  const float dt = SGE_GetFrameTime();
  p->fAge += dt;
  if (Ended(jet, p)) {
    FreeParticle(p);
    return 0;
  }
  if (jet->req.dwFlags & VNJET_F_FADE) Fade(jet, p);
  Move(jet, p, dt);
  return 1;
}

// The direction turned by up to the spread about x, then about y.
SPW_VECTOR Scatter(const VNJET_REQUEST& r) {
  if (!(r.fSpread > 0.0f)) return r.vDir;
  const float a = Signed() * r.fSpread * SPW_PI, b = Signed() * r.fSpread * SPW_PI;
  const SPW_VECTOR d = r.vDir;
  const SPW_VECTOR x{d.x, d.y * std::cos(a) - d.z * std::sin(a), d.y * std::sin(a) + d.z * std::cos(a)};
  return {x.x * std::cos(b) + x.z * std::sin(b), x.y, -x.x * std::sin(b) + x.z * std::cos(b)};
}

float Varied(float value, float variance) { return variance > 0.0f ? value + Signed() * variance : value; }

void Emit(VNJET* jet) {
  const VNJET_REQUEST& r = jet->req;
  SPW_SCENE* scene = vnMISSCONT_GetScene();
  if (!scene || !r.pSet) return;
  auto* p = static_cast<PARTICLE*>(SGE_MemCalloc(SGE_GameMem, sizeof(PARTICLE)));
  if (!p) return;
  SPW_VECTOR at = r.vPos;
  if (r.dwFlags & VNJET_F_BOX) at = SPW_VAdd(r.vPos, SPW_VScale(SPW_VSub(r.vCorner, r.vPos), Random()));
  const float width = Varied(r.fSize, r.fSizeVar);
  float height = r.fHeightVar > 0.0f ? width : r.fSize;
  if (r.dwFlags & VNJET_F_OWN_HEIGHT) height = Varied(r.fSize, r.fHeightVar);
  SPW_SPRITEPLACE place{};
  place.x = at.x;
  place.y = at.y;
  place.z = at.z;
  place.fScale = 1.0f;
  const uint32_t flags = kParticleFlags | ((r.dwFlags & VNJET_F_PLAIN) ? 0u : SPW_SPRITE_ADDITIVE);
  p->pSprite = SPW_CreateSprite(scene, r.pSet, &place, 0.5f * width, 0.5f * height, 1.0f, nullptr, flags);
  if (!p->pSprite) {
    SGE_MemFree(p);
    return;
  }
  p->pJet = jet;
  p->vVelocity = SPW_VScale(Scatter(r), Varied(r.fSpeed, r.fSpeedVar));
  if (r.dwFlags & VNJET_F_SPIN) p->fSpin = r.fSpinMin + Random() * (r.fSpinMax - r.fSpinMin);
  SGE_ListAddTail(&jet->particles, &p->link);
  SPW_SetSpriteUserData(p->pSprite, StepParticle, p);
}

// 1 up to the full-rate distance from the view, then falling off; 1 without a view.
float DistanceFactor(const VNJET* jet) {
  const SPW_DOBJECT* eye = vnMISSCONT_GetCameraDObject();
  if (!eye) return 1.0f;
  const float d = SPW_VecDist(&eye->t.vPos, &jet->req.vPos);
  return 1.0f / std::max(1.0f, (d - kFullRateDistance) * kFalloff);
}

void Run(VNJET_MANAGER* self, VNJET* jet, float dt) {
  VNJET_REQUEST& r = jet->req;
  if (r.dwFlags & VNJET_F_STOPPED) {
    if (SGE_ListIsEmpty(&jet->particles)) Remove(jet);
    return;
  }
  float factor = jet->fDistanceFactor = DistanceFactor(jet);
  if (!(r.fRate > 0.0f) || !(self->fQuality > 0.0f) || !(factor > 0.0f)) return;
  if (r.dwFlags & VNJET_F_RAMP) {
    jet->fRampElapsed += dt;
    if (jet->fRampElapsed >= r.fRampTime) {
      r.dwFlags |= VNJET_F_STOPPED;
      return;
    }
    factor *= jet->fRampElapsed / r.fRampTime;
    if (!(factor > 0.0f)) return;
  }
  jet->fAccumulator += dt;
  const float period = 1.0f / (factor * r.fRate * self->fQuality);
  while (jet->fAccumulator >= period) {
    Emit(jet);
    jet->fAccumulator -= period;
  }
}

void Frame(VNJET_MANAGER* self) {
  const VNOPTIONS* options = vnOPTIONS_Get();
  const int32_t detail = options ? options->dwEffectsDetail : 2;
  if (detail >= 0 && detail <= 2) self->fQuality = kQuality[detail];
  const float dt = SGE_GetFrameTime();
  for (VNJET* jet : SGE_ListRecords<VNJET>(&self->emitters)) Run(self, jet, dt);
}

SGE_RESULT Add(VNJET_MANAGER* self, const VNJET_REQUEST* request) {
  if (!request) return 0;
  auto* jet = static_cast<VNJET*>(SGE_MemCalloc(SGE_GameMem, sizeof(VNJET)));
  if (!jet) {
    PLAT_Trace("PARTICLEJET: no memory for an emitter\n");
    return 0;
  }
  SGE_ListInit(&jet->particles);
  jet->req = *request;
  jet->fDistanceFactor = 1.0f;
  jet->pManager = self;
  SGE_ListAddTail(&self->emitters, &jet->link);
  return SGE_PtrResult(jet);
}

// Only emitters of this manager are taken: a stale pointer is not freed twice.
VNJET* Find(VNJET_MANAGER* self, SGE_PARAM p) {
  for (VNJET* jet : SGE_ListRecords<VNJET>(&self->emitters))
    if (jet == SGE_ParamPtr<VNJET>(p)) return jet;
  return nullptr;
}

void RemoveScenery(VNJET_MANAGER* self) {
  for (VNJET* jet : SGE_ListRecords<VNJET>(&self->emitters))
    if (jet->req.dwFlags & VNJET_F_SCENERY) Remove(jet);
}

void Create(VNJET_MANAGER* self, SGE_TASK* task) {
  *self = VNJET_MANAGER{};
  self->pTask = task;
  self->fQuality = 1.0f;
  SGE_ListInit(&self->emitters);
  self->pTimer = SGE_AddFrameTimer(task, 1, nullptr, SGE_TIMER_REPEAT);
  vnMISSCONT_SetParticleJetTask(task);
}

void Destroy(VNJET_MANAGER* self) {
  for (VNJET* jet : SGE_ListRecords<VNJET>(&self->emitters)) Remove(jet);
  if (self->pTimer) SGE_KillTimer(self->pTimer);
  self->pTimer = nullptr;
  if (vnMISSCONT_GetParticleJetTask() == self->pTask) vnMISSCONT_SetParticleJetTask(nullptr);
}

SGE_RESULT Answer(VNJET_MANAGER* self, SGE_TASK* task, int32_t msg, SGE_PARAM p1, SGE_PARAM p2) {
  switch (msg) {
    case SGM_TASK_CREATE: Create(self, task); return 0;
    case SGM_TASK_DESTROY: Destroy(self); return 0;
    case SGM_TASK_FRAME: Frame(self); return 0;
    case SGM_EFFECT_ADD: return Add(self, SGE_ParamPtr<const VNJET_REQUEST>(p1));
    case SGM_EFFECT_REMOVE:
      if (VNJET* jet = Find(self, p1)) Remove(jet);
      return 0;
    case SGM_EFFECT_REMOVE_SCENERY: RemoveScenery(self); return 0;
    case SGM_EFFECT_MOVE: {
      VNJET* jet = Find(self, p1);
      const auto* to = SGE_ParamPtr<const SPW_VECTOR>(p2);
      if (jet && to) jet->req.vPos = *to;
      return 0;
    }
    default: return 0;
  }
}

}  // namespace

int32_t vnPARTICLEJET_Register() {
  return SGE_RegisterTaskType(VNTT_PARTICLEJET, vnUNIT_ControllerHandler<VNJET_MANAGER, Answer>,
                              SGE_TTF_ZERO_DATA, static_cast<int32_t>(sizeof(VNJET_MANAGER)),
                              "ParticleJet");
}

int32_t vnPARTICLEJET_CountParticles(const VNJET* jet) {
  return jet ? SGE_ListCount(&jet->particles) : 0;
}
