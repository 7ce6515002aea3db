// The animate and update passes and the time scale.
#include <cmath>
#include <cstring>

#include "engine/math/vecops.h"
#include "engine/memory/memblock.h"
#include "engine/object/object.h"
#include "engine/scenepass/scenepass.h"

namespace {

constexpr float kTwoPi = 2.0f * SPW_PI;
constexpr float kInvTwoPi = 0.15915494f;

// Visits each object of a list once. Placement moves objects to the tail of the scene's list,
// so the walk ends at the object that was last when it began.
template <typename F>
void ForEachObject(SGE_DLLNODE* head, F visit) {
  const SPW_ANIMOBJECT* last = SGE_ListLastRecord<SPW_ANIMOBJECT>(head);
  for (SPW_ANIMOBJECT* o : SGE_ListRecords<SPW_ANIMOBJECT>(head)) {
    visit(o);
    if (o == last) break;
  }
}

// Fires the breakpoints that the step from f0 to f1 passed, from the current one on.
void FireBreakpoints(SPW_SCENE* scene, SPW_ANIMOBJECT* o, float f0, float f1) {
  if (!o->dwNumBreakpoints || !o->pCurrentBreakpoint || !o->pBreakpoints) return;
  SGE_DLLNODE* head = &o->pBreakpoints[o->nAnim];
  SGE_DLLNODE* start = &o->pCurrentBreakpoint->link;
  SGE_DLLNODE* n = start;
  do {
    const auto* bp = SGE_ListRecord<SPW_BREAKPOINT>(n);
    const float b = bp->fTime;
    const bool fires = f1 >= f0 ? (f0 < b && b <= f1) : (b > f0 || b <= f1);
    if (!fires) break;
    // No room for an event: it is dropped.
    if (auto* e = static_cast<SPW_BREAKPOINT*>(SGE_MemAlloc(SPW_BrkPtsMem, sizeof(SPW_BREAKPOINT)))) {
      std::memcpy(static_cast<void*>(e), bp, sizeof *e);
      SGE_ListAddTail(&scene->events, &e->link);
    }
    n = SGE_ListNextWrap(head, n);
  } while (n && n != start);
  if (n) o->pCurrentBreakpoint = SGE_ListRecord<SPW_BREAKPOINT>(n);
}

float NextFrame(const SPW_ANIMOBJECT* o, float t) {
  const uint32_t frames = SPW_GetClassAnimFrames(o->nClass, o->nAnim);
  const float length = static_cast<float>(frames);
  float f = o->fFrame;
  if (!(o->fFlags & SPW_AOBJ_PAUSED)) f += t * o->fSpeed;
  if (o->fFlags & SPW_AOBJ_ONCE) return f > length ? length : f;
  // An animation without frames cannot wrap: the frame stays.
  if (frames == 0) return o->fFrame;
  if (f >= length) f = std::fmod(f, length);
  return f;
}

void AnimateObject(SPW_SCENE* scene, SPW_ANIMOBJECT* o, float t) {
  if (o->bNeedsPlacement) SPW_PlaceObjectInScene(scene, o);
  if (o->fFlags & SPW_AOBJ_NO_FRAMES) return;
  const float f0 = o->fFrame;
  const float f1 = NextFrame(o, t);
  const uint32_t locked = o->fFlags & SPW_AOBJ_FRAME_LOCKED;
  o->fFlags &= ~SPW_AOBJ_FRAME_LOCKED;
  if (!SPW_SetObjectTime(o, f1) && (o->fFlags & SPW_AOBJ_ONCE) && f1 != f0 &&
      f1 == static_cast<float>(SPW_GetClassAnimFrames(o->nClass, o->nAnim)))
    SPW_StoreObjectTime(o, f1);
  o->fFlags |= locked;
  if (!(o->fFlags & SPW_AOBJ_NO_EVENTS)) FireBreakpoints(scene, o, f0, f1);
  ForEachObject(&o->children, [&](SPW_ANIMOBJECT* c) { AnimateObject(scene, c, t); });
}

void AnimateDynamic(SGE_DLLNODE* head) {
  for (SPW_DOBJECT* o : SGE_ListRecords<SPW_DOBJECT>(head)) {
    SPW_AnimateObjects(o);
    AnimateDynamic(&o->children);
  }
}

void CapSpeed(SPW_ANIMOBJECT* o) {
  SPW_VECTOR& v = o->vVelocity;
  if (o->fMotion & SPW_MOTION_CAP_XYZ) {
    const float len = SPW_VLength(v);
    if (len > o->fMaxSpeed) {
      o->vAccel = {0.0f, 0.0f, 0.0f};
      const float k = o->fMaxSpeed / len;
      v = {v.x * k, v.y * k, v.z * k};
    }
  } else if (o->fMotion & SPW_MOTION_CAP_XY) {
    const float len = std::sqrt(v.x * v.x + v.y * v.y);
    if (len > o->fMaxSpeed) {
      o->vAccel.x = o->vAccel.y = 0.0f;
      const float k = o->fMaxSpeed / len;
      v.x *= k;
      v.y *= k;
    }
  }
  if (o->fMotion & SPW_MOTION_CAP_Z) {
    const float m = o->fMaxVertSpeed;
    if (v.z > m || v.z < -m) {
      v.z = v.z > m ? m : -m;
      o->vAccel.z = 0.0f;
    }
  }
}

void CapComponent(float& v, float& accel, float max) {
  if (v > max || v < -max) {
    v = v > max ? max : -max;
    accel = 0.0f;
  }
}

float WrapAngle(float a) {
  if (a > SPW_PI || a < -SPW_PI) a -= std::trunc(a * kInvTwoPi) * kTwoPi;
  return a;
}

float Clamp(float v, float lo, float hi) { return v <= lo ? lo : (v >= hi ? hi : v); }

void MoveObject(SPW_ANIMOBJECT* o, float t) {
  if (o->fFlags & SPW_AOBJ_INACTIVE) return;
  const float f = t * o->fTimeFactor;
  SPW_VECTOR& v = o->vVelocity;
  v = {v.x + o->vAccel.x, v.y + o->vAccel.y, v.z + o->vAccel.z};
  if (!(o->fFlags & SPW_AOBJ_NO_CONST_ACCEL))
    v = {v.x + o->vConstAccel.x, v.y + o->vConstAccel.y, v.z + o->vConstAccel.z};
  CapSpeed(o);

  SPW_VECTOR& w = o->vAngVelocity;
  w = {w.x + o->vAngAccel.x, w.y + o->vAngAccel.y, w.z + o->vAngAccel.z};
  if (o->fMotion & SPW_MOTION_CAP_ANGLE_X) CapComponent(w.x, o->vAngAccel.x, o->vMaxAngSpeed.x);
  if (o->fMotion & SPW_MOTION_CAP_ANGLE_Y) CapComponent(w.y, o->vAngAccel.y, o->vMaxAngSpeed.y);
  if (o->fMotion & SPW_MOTION_CAP_ANGLE_Z) CapComponent(w.z, o->vAngAccel.z, o->vMaxAngSpeed.z);

  if ((o->fFlags & SPW_AOBJ_NO_FRAMES) && std::fabs(o->fTargetX - o->vPos.x) < std::fabs(f * v.x) &&
      std::fabs(o->fTargetY - o->vPos.y) < std::fabs(f * v.y)) {
    o->vPos.x = o->fTargetX;
    o->vPos.y = o->fTargetY;
    v.x = v.y = 0.0f;
    o->fMotion &= ~SPW_MOTION_SEEK_POSITION;
  }
  if (o->fMotion & SPW_MOTION_SEEK_ANGLE) {
    float d = std::fabs(o->fTargetAngle - o->vAngles.z);
    if (d > SPW_PI) d = kTwoPi - d;
    if (std::fabs(f * w.z) > d) {
      o->vAngles.z = o->fTargetAngle;
      w.z = 0.0f;
      o->fMotion &= ~SPW_MOTION_SEEK_ANGLE;
    }
  }

  SPW_VECTOR& p = o->vPos;
  p = {p.x + f * v.x, p.y + f * v.y, p.z + f * v.z};
  if (o->fMotion & SPW_MOTION_IN_BOX) {
    p.x = Clamp(p.x, o->vBoxMin.x, o->vBoxMax.x);
    p.y = Clamp(p.y, o->vBoxMin.y, o->vBoxMax.y);
    p.z = Clamp(p.z, o->vBoxMin.z, o->vBoxMax.z);
  }
  SPW_VECTOR& a = o->vAngles;
  a = {WrapAngle(a.x + f * w.x), WrapAngle(a.y + f * w.y), WrapAngle(a.z + f * w.z)};
  ForEachObject(&o->children, [t](SPW_ANIMOBJECT* c) { MoveObject(c, t); });
}

void PlaceActive(SPW_SCENE* scene, SGE_DLLNODE* head) {
  ForEachObject(head, [scene](SPW_ANIMOBJECT* o) {
    if (o->fFlags & SPW_AOBJ_INACTIVE) return;
    SPW_PlaceObjectInScene(scene, o);
    PlaceActive(scene, &o->children);
  });
}

}  // namespace

void SPW_SetTimeScale(uint32_t frameMs) {
  if (frameMs == 0) return;
  const float scale = static_cast<float>(frameMs) * SPW_TIMESCALE_PER_MS;
  SPW_TimeScale = scale > SPW_MAX_TIMESCALE ? SPW_MAX_TIMESCALE : scale;
}

void SPW_AnimatePass() {
  SPW_ForEachScene([](SPW_SCENE* scene) {
    if (scene->fFlags & (SPW_SCENE_FROZEN | SPW_SCENE_NO_ANIMATION)) return;
    const float t = SPW_TimeScale * scene->fSpeed;
    ForEachObject(&scene->objects, [&](SPW_ANIMOBJECT* o) { AnimateObject(scene, o, t); });
    AnimateDynamic(&scene->dobjects);
  });
}

void SPW_UpdatePass() {
  SPW_ForEachScene([](SPW_SCENE* scene) {
    if (scene->fFlags & (SPW_SCENE_FROZEN | SPW_SCENE_NO_MOTION)) return;
    const float t = SPW_TimeScale * scene->fSpeed;
    ForEachObject(&scene->objects, [t](SPW_ANIMOBJECT* o) { MoveObject(o, t); });
    PlaceActive(scene, &scene->objects);
  });
}
