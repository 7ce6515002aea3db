#pragma once
// The per-frame passes over every scene of SPW_SceneList, in its order: animate, update,
// procedures, (sprites,) events; then the time scale of the next frame. The frame-animated
// objects of a scene's object list and the procedures of its procedure list live here.
// Main thread only.
#include <cstdint>

#include "engine/dobject/dobject.h"
#include "engine/kernel/kernel.h"
#include "engine/math/vecmath.h"
#include "engine/memory/lists.h"
#include "engine/scene/scene.h"

// The time scale: frames of 1/30 second per millisecond of the last frame, and its ceiling.
constexpr float SPW_TIMESCALE_PER_MS = 0.03333f;
constexpr float SPW_MAX_TIMESCALE = 10.0f;

// Frame-animated object flags (SPW_ANIMOBJECT::fFlags).
constexpr uint32_t SPW_AOBJ_FRAME_LOCKED = 0x4;
constexpr uint32_t SPW_AOBJ_INACTIVE = 0x100;
constexpr uint32_t SPW_AOBJ_NO_FRAMES = 0x200;  // no frame animation; motion seeks the target
constexpr uint32_t SPW_AOBJ_ONCE = 0x1000;
constexpr uint32_t SPW_AOBJ_NO_CONST_ACCEL = 0x2000;
constexpr uint32_t SPW_AOBJ_NO_EVENTS = 0x20000;
constexpr uint32_t SPW_AOBJ_PAUSED = 0x80000;

// Motion flags (SPW_ANIMOBJECT::fMotion).
constexpr uint32_t SPW_MOTION_CAP_XY = 0x08;
constexpr uint32_t SPW_MOTION_CAP_Z = 0x10;
constexpr uint32_t SPW_MOTION_CAP_XYZ = 0x20;
constexpr uint32_t SPW_MOTION_CAP_ANGLE_X = 0x40;
constexpr uint32_t SPW_MOTION_CAP_ANGLE_Y = 0x80;
constexpr uint32_t SPW_MOTION_CAP_ANGLE_Z = 0x100;
constexpr uint32_t SPW_MOTION_SEEK_POSITION = 0x200;
constexpr uint32_t SPW_MOTION_SEEK_ANGLE = 0x400;
constexpr uint32_t SPW_MOTION_IN_BOX = 0x800;

// The message an owner task gets when its frame-animated object is destroyed (p1 the object).
constexpr int32_t SGM_SPW_ANIMOBJECT_DESTROYED = 9;

// An object of a scene's object list: frame animation over its class's animations (class slot
// in the object type table) and simple motion. Breakpoints are SPW_BREAKPOINT records with the
// time in frames and the user data handed to their callbacks.
struct SPW_ANIMOBJECT {
  SGE_SDLLNODE link;  // in the scene's object list, or its parent's children by key
  uint32_t fFlags;    // SPW_AOBJ_*
  int32_t nClass;
  int32_t nAnim;
  float fSpeed;  // frames per step
  float fFrame;
  uint32_t dwNumBreakpoints;
  SGE_DLLNODE* pBreakpoints;  // one list per animation of the class, ascending by frame
  SPW_BREAKPOINT* pCurrentBreakpoint;
  int32_t bNeedsPlacement;
  SPW_VECTOR vPos;     // local
  SPW_VECTOR vAngles;  // radians
  SPW_VECTOR vVelocity;
  SPW_VECTOR vAccel;
  SPW_VECTOR vConstAccel;
  SPW_VECTOR vAngVelocity;
  SPW_VECTOR vAngAccel;
  float fMaxSpeed;
  float fMaxVertSpeed;
  SPW_VECTOR vMaxAngSpeed;
  float fTargetX, fTargetY;
  float fTargetAngle;
  float fTimeFactor;
  uint32_t fMotion;  // SPW_MOTION_*
  SPW_VECTOR vBoxMin, vBoxMax;
  SPW_SCENE* pScene;
  SGE_DLLNODE children;  // SPW_ANIMOBJECT by key
  SPW_ANIMOBJECT* pParent;
  SPW_VECTOR vWorldPos;       // set by SPW_PlaceObjectInScene
  uint32_t* pKeyCursors;      // one per node of the class, none when not kept
  SGE_DLLNODE* pAttachment;   // a record linked elsewhere, freed with the object
  SGE_TASK* pOwner;           // told when the object is destroyed
};

// A procedure of a scene's procedure list: its functions run once per procedures pass and it
// lives until its member list is empty at a pass. Members are records that begin with their
// link. Its own functions may empty the member list but must not destroy the procedure.
struct SPW_PROCEDURE;
using SPW_PROCFN = void (*)(SPW_PROCEDURE* procedure);
using SPW_PROCMEMBERFN = void (*)(SPW_PROCEDURE* procedure, SGE_DLLNODE* member);
struct SPW_PROCEDURE {
  SGE_DLLNODE link;
  SGE_DLLNODE members;
  SGE_DATAREF* pData;
  SPW_PROCFN pfnDestroy;
  SPW_PROCFN pfnFrame;
  SPW_PROCMEMBERFN pfnMember;
  SPW_PROCFN pfnAfterMembers;
};

// Visits every scene of SPW_SceneList in order; the next scene is taken before the visit.
template <typename F>
void SPW_ForEachScene(F visit) {
  for (SPW_SCENE* scene : SGE_ListRecords<SPW_SCENE>(&SPW_SceneList)) visit(scene);
}

// Scale 1.0, an empty scene list and the scene's hooks for procedures and frame-animated
// objects; at engine start.
void SPW_InitScenePasses();

// Nothing for 0; else ms x SPW_TIMESCALE_PER_MS, at most SPW_MAX_TIMESCALE.
void SPW_SetTimeScale(uint32_t frameMs);

void SPW_AnimatePass();
void SPW_UpdatePass();
void SPW_ProcedurePass();
void SPW_EventPass();

// Calls its destroy function, frees its members, releases its data, unlinks and frees it; 0
// for none.
int32_t SPW_DestroyProcedure(SPW_PROCEDURE* procedure);
// 1 when every procedure of the scene was destroyed.
int32_t SPW_DestroyAllProcedures(SPW_SCENE* scene);

// Frames of an animation of a class (its length in whole frames), 0 when it has none.
uint32_t SPW_GetClassAnimFrames(int32_t classSlot, int32_t anim);
// 1 when the time was taken: not for none, a frame-locked object, the current time, a negative
// time or one not below the length of the current animation.
int32_t SPW_SetObjectTime(SPW_ANIMOBJECT* object, float frame);
// Stores the frame and moves the key cursors without the checks: a play-once animation comes
// to rest on its length, which SPW_SetObjectTime refuses.
void SPW_StoreObjectTime(SPW_ANIMOBJECT* object, float frame);
// The world position from the parent's placement; a parentless object is linked again into the
// scene's object list, a light at the head and any other object at the tail.
int32_t SPW_PlaceObjectInScene(SPW_SCENE* scene, SPW_ANIMOBJECT* object);
// Unlinks and frees the object, its children and its pending events; tells its owner. 0 for
// none.
int32_t SPW_DestroyAnimObject(SPW_ANIMOBJECT* object);
