#pragma once
// Event icons mark places in the world (a destination, a target, the bugs), kept by one task of
// the mission; an icon may follow a unit, hide, and time out. Without the task: nothing, or -1.
#include "engine/kernel/kernel.h"
#include "engine/math/vecmath.h"
#include "engine/memory/lists.h"

constexpr int32_t VNEVENTICON_KINDS = 8, VNEVENTICON_KIND_BUGS = 7;
enum VNEVENTICON_FLAG : uint32_t {
  VNEVENTICON_SHOWN = 0x1, VNEVENTICON_TIMED = 0x2, VNEVENTICON_ATTACHED = 0x4
};

struct VNEVENTICON {
  SGE_DLLNODE link;
  int32_t nTexture;  // the kind's picture, 0 when the driver has none
  int32_t nId;
  SPW_VECTOR vPos;
  SGE_TIMER* pTimer;
  int32_t nKey;      // the unit followed, -1 none
  uint32_t dwFlags;
  float afOrigin[2];  // where the picture starts in its texture
  float afScale[2];
};

struct VNEVENTICON_DATA {
  SGE_TASK* pTask;
  SGE_DLLNODE icons;
  int32_t nNextId;
};

int32_t vnEventIcon_Register();
// A new icon of the kind (0-7) at the position (origin, scale and position may be null: 0, 0;
// 1, 1; the origin); its id, never used again in the mission, or -1.
int32_t vnEventIcon_AddIcon(uint32_t kind, const float* origin, const float* scale,
                            const SPW_VECTOR* position, int32_t shown);
void vnEventIcon_Show(int32_t id);
void vnEventIcon_Hide(int32_t id);
void vnEventIcon_Remove(int32_t id);
// The icon goes by itself after the seconds.
void vnEventIcon_SetTimeout(int32_t id, int32_t seconds);
void vnEventIcon_AttachToObject(int32_t id, int32_t key);
// Removes every icon attached to the key; 0.
int32_t vnEventIcon_RemoveAttached(int32_t key);
// The icon of the id, or null.
const VNEVENTICON* vnEventIcon_Find(int32_t id);
