#pragma once
// Dynamic objects: instances of an object type in a scene, with their own transform, one node
// instance per node of the type and one animation slot per animation of the type; breakpoints
// on animation times, objects attached to each other at locator nodes, node world transforms.
// Main thread only.
#include <cstdint>

#include "engine/math/vecmath.h"
#include "engine/memory/lists.h"
#include "engine/memory/memblock.h"
#include "engine/object/object.h"

struct SPW_SCENE;
struct SPW_DOBJECT;
struct SPW_NODEINST;

constexpr int32_t SPW_DOBJECT_NAME_SIZE = 32;
// One 1/30-second frame in animation ticks (1/4800 second).
constexpr float SPW_TICKS_PER_FRAME = 160.0f;
// Objects attached at one object's locators that its destruction detaches.
constexpr int32_t SPW_MAX_DETACH_ON_DESTROY = 20;
// Locators listed per object and level of detail when attaching.
constexpr int32_t SPW_MAX_ATTACH_LOCATORS = 50;

// Object flags (SPW_DOBJECT::fFlags).
constexpr uint32_t SPW_DOBJ_KEEP_NEAR = 0x8;           // nodes get SPW_NODERENDER_KEEP_NEAR
constexpr uint32_t SPW_DOBJ_HIDDEN = 0x40;             // not drawn, nor its children
constexpr uint32_t SPW_DOBJ_NOT_ANIMATED = 0x200;
constexpr uint32_t SPW_DOBJ_IN_VIEW = 0x8000;          // set by the renderer
constexpr uint32_t SPW_DOBJ_CROSSFADE = 0x20000;       // cross-fade running
constexpr uint32_t SPW_DOBJ_ATTACHED = 0x100000;       // hangs at a locator of its parent
constexpr uint32_t SPW_DOBJ_CROSSFADE_DONE = 0x200000; // overrides become primaries next frame
constexpr uint32_t SPW_DOBJ_KEEP_LOD = 0x1000000;
constexpr uint32_t SPW_DOBJ_OWN_COLOUR = 0x2000000;
constexpr uint32_t SPW_DOBJ_CHAIN_DIRTY = 0x10000000;  // the active-slot chain is rebuilt
constexpr uint32_t SPW_DOBJ_LIT = 0x20000000;          // lit by the scene's lights
constexpr uint32_t SPW_DOBJ_SORT_LIGHTS = 0x40000000;  // nearest lights first
constexpr uint32_t SPW_DOBJ_COLOUR_AS_IS = 0x80000000u;

// Animation slot flags (SPW_ANIMSLOT::fFlags).
constexpr uint32_t SPW_ANIM_PLAYING = 0x1;
constexpr uint32_t SPW_ANIM_ONCE = 0x8;
constexpr uint32_t SPW_ANIM_IN_CHAIN = 0x20;
// The flags callers give SPW_PlayAnimation.
constexpr uint32_t SPW_ANIM_LOOP_FLAGS = SPW_ANIM_PLAYING;
constexpr uint32_t SPW_ANIM_ONCE_FLAGS = SPW_ANIM_PLAYING | SPW_ANIM_ONCE;

// Computes a node instance's transform: with a source transform it is copied, else evaluated
// from the node's animations; an offset transform, when given, is applied after. 1 or 0.
using SPW_NODEPROC = int32_t (*)(SPW_DOBJECT* object, SPW_NODEINST* node,
                                 const SPW_TRANSFORM* offset, const SPW_TRANSFORM* source);
// Called when a looping animation wraps or a play-once animation ends.
using SPW_OBJECTCALLBACK = void (*)(SPW_DOBJECT* object);
// An event's callback: the user data (the object, for a breakpoint of a dynamic object) and the
// event's two user words.
using SPW_EVENTFN = void (*)(void* user, uint32_t* values);

// A breakpoint on an animation time (SPW_BrkPtsMem). When it fires, a copy becomes an event in
// the scene's event list; the events pass calls pfnCallback(pUser, adwUser).
struct SPW_BREAKPOINT {
  SGE_DLLNODE link;
  float fTime;  // ticks
  uint32_t dwValue;
  void* pUser;  // the object
  int32_t nSlot;
  SPW_EVENTFN pfnCallback;
  uint32_t adwUser[2];
};

static_assert(sizeof(SPW_BREAKPOINT) == SPW_BREAKPOINT_SIZE);

struct SPW_ANIMSLOT {
  SPW_ANIMSLOT* pNext;         // in the object's active-slot chain
  SPW_ANIMATION** ppAnims;     // one per level of detail; only the first is set
  float fTime;                 // ticks
  float fSpeed;
  uint32_t fFlags;             // SPW_ANIM_*
};

struct SPW_NODEINST {
  int32_t nId;
  int32_t nPrimary;   // animation index, -1 none
  int32_t nOverride;  // animation index, -1 none
  uint32_t dwPrimaryCursor;
  uint32_t dwOverrideCursor;
  SPW_NODEPROC pfnProc;
  uint32_t dwProcValue;
  SPW_TRANSFORM t;
  SPW_NODEINST* pParent;  // none for the root
  // Attachment: on the object side nAttachIndex is this locator's own index and pAttached the
  // object hung here, nAttachedLocator that object's locator; on the attached object's locator
  // nAttachIndex is the parent's locator index.
  int32_t nAttachIndex;  // -1 none
  SPW_DOBJECT* pAttached;
  int32_t nAttachedLocator;
};

struct SPW_DOBJECT {
  SGE_SDLLNODE link;  // key: the priority; in the parent's child list or the scene's list
  uint32_t fFlags;    // SPW_DOBJ_*
  SPW_DOBJECT* pSelf;
  int32_t nType;
  SPW_TRANSFORM t;
  // Engine work words. vOffset is added to the bounding centre in the renderer's plane test.
  SPW_VECTOR vOffset;
  uint32_t adwWork[4];
  float fWorkOne;  // 1.0
  uint32_t dwUser;
  SPW_DOBJECT* pParent;
  int32_t nPriority;
  SGE_DLLNODE children;  // SPW_DOBJECT by key
  SPW_VECTOR vCentre;
  float fRadius;
  uint32_t dwZero;
  SGE_DLLNODE* pBreakpoints;            // one list head per animation, none without animations
  SPW_BREAKPOINT** ppCurrentBreakpoint; // one per animation
  SPW_SCENE* pScene;
  SPW_ANIMSLOT* pSlots;   // one per animation
  SPW_NODEINST* pNodes;   // one per node
  float fCrossFade;       // 0 to 1
  float fCrossFadeRate;   // per 1/30-second frame
  void* apLegacy[2];
  int32_t nOverrideNode;  // -1 none
  SPW_VECTOR vOverrideAngles;
  SPW_OBJECTCALLBACK pfnCallback;
  float fWork03;          // 0.3
  SPW_COLOUR colourA;
  SPW_COLOUR colourB;
  char szName[SPW_DOBJECT_NAME_SIZE];
  SPW_ANIMSLOT* pActive;  // head of the active-slot chain
};

// Nodes picked by name.
struct SPW_NODESELECTION {
  uint32_t dwCount;
  SPW_NODEINST** ppNodes;
};

// Frames of 1/30 second that the last frame lasted; 1.0 until the first frame ends. The scene
// passes set it; cross-fades advance by it.
extern float SPW_TimeScale;

// Creation: the object with animation 0 (or the given one) started on all nodes, none when the
// record cannot be allocated or the object cannot be made.
SPW_DOBJECT* SPW_CreateDynamicObject(SPW_SCENE* scene, int32_t type, SPW_DOBJECT* parent,
                                     int32_t priority, const SPW_TRANSFORM* transform,
                                     uint32_t user);
SPW_DOBJECT* SPW_CreateDynamicObjectEx(SPW_SCENE* scene, int32_t type, SPW_DOBJECT* parent,
                                       int32_t priority, const SPW_TRANSFORM* transform,
                                       uint32_t user, int32_t animation);
// Fills a zeroed record; 1, or 0 with a trace (what it allocated stays in the record).
int32_t SPW_CreateDynamicObjectData(SPW_SCENE* scene, SPW_DOBJECT* object, int32_t type,
                                    SPW_DOBJECT* parent, int32_t priority,
                                    const SPW_TRANSFORM* transform, uint32_t user);
// Detaches, frees, destroys the children and the record. 0 for none.
int32_t SPW_DestroyDynamicObject(SPW_DOBJECT* object);

// Animation index by name (20 characters, any case): 0 / -1 when absent.
int32_t SPW_FindAnimationByName(const SPW_DOBJECT* object, const char* name);
int32_t SPW_LookupAnimationByName(const SPW_DOBJECT* object, const char* name);

// Slot setters: 0 for none or a slot outside the type's animations, else 1.
int32_t SPW_SetAnimationTime(SPW_DOBJECT* object, int32_t slot, float ticks);
int32_t SPW_SetAnimationTimeFrames(SPW_DOBJECT* object, int32_t slot, float frames);
int32_t SPW_SetAnimationSpeed(SPW_DOBJECT* object, int32_t slot, float speed);
int32_t SPW_SetAnimationFlags(SPW_DOBJECT* object, int32_t slot, uint32_t bits);
int32_t SPW_ClearAnimationFlags(SPW_DOBJECT* object, int32_t slot, uint32_t bits);

int32_t SPW_SetNodeAnimation(SPW_DOBJECT* object, SPW_NODEINST* node, int32_t primary,
                             int32_t override, SPW_NODEPROC proc, uint32_t procValue);
int32_t SPW_SetAllNodesAnimation(SPW_DOBJECT* object, int32_t primary, int32_t override,
                                 SPW_NODEPROC proc, uint32_t procValue);
int32_t SPW_PlayAnimation(SPW_DOBJECT* object, int32_t primary, int32_t override,
                          SPW_NODEPROC proc, uint32_t procValue, uint32_t slotFlags, float speed);

// A selection in SPW_DObjectMem, none when nothing matches or memory fails.
SPW_NODESELECTION* SPW_SelectNodes(SPW_DOBJECT* object, uint32_t count, const char* const* names);
int32_t SPW_SetNodeListAnimation(SPW_DOBJECT* object, SPW_NODESELECTION* selection,
                                 int32_t primary, int32_t override, SPW_NODEPROC proc,
                                 uint32_t procValue);
void SPW_FreeNodeSelection(SPW_NODESELECTION* selection);
// Index of the first node whose name begins with the given one; -1 when none.
int32_t SPW_FindNodeByName(const SPW_DOBJECT* object, const char* name);

// Breakpoints: 1, or 0 when the record cannot be allocated (or the slot is out of range).
int32_t SPW_AddAnimBreakpoint(SPW_DOBJECT* object, float ticks, uint32_t value, int32_t slot,
                              SPW_EVENTFN callback, const uint32_t* user);
int32_t SPW_AddAnimBreakpointFrames(SPW_DOBJECT* object, float frames, uint32_t value,
                                    int32_t slot, SPW_EVENTFN callback, const uint32_t* user);
int32_t SPW_AddAnimEndBreakpoint(SPW_DOBJECT* object, uint32_t value, int32_t slot,
                                 SPW_EVENTFN callback, const uint32_t* user);
void SPW_ClearAnimBreakpoints(SPW_DOBJECT* object, int32_t slot);
void SPW_ClearAllAnimBreakpoints(SPW_DOBJECT* object);

// Attachment at locator nodes (kind SPW_NODEKIND_LOCATOR).
int32_t SPW_AttachObjectName(SPW_DOBJECT* object, SPW_DOBJECT* other, int32_t lod,
                             int32_t otherLod, const char* name, const char* otherName);
int32_t SPW_DetachObject(SPW_DOBJECT* object);
using SPW_FINDNODEFN = int32_t (*)(SPW_DOBJECT* object, int32_t index, void* data);
int32_t SPW_FindNamedNode(SPW_DOBJECT* object, const char* name, SPW_DOBJECT** outObject,
                          int32_t* outIndex);
int32_t SPW_FindNamedNodeEx(SPW_DOBJECT* object, const char* name, SPW_DOBJECT** outObject,
                            int32_t* outIndex, SPW_FINDNODEFN callback, void* data);

// World transforms: the composed matrix (scales left out) and the product of the scales.
int32_t SPW_GetNodeWorldTransform(SPW_DOBJECT* object, int32_t node, SPW_MATRIX* out,
                                  float* outScale);
int32_t SPW_GetNamedNodeTransform(SPW_DOBJECT* object, const char* name, SPW_MATRIX* out,
                                  float* outScale);

void SPW_SetObjectName(SPW_DOBJECT* object, const char* name);
SPW_DOBJECT* SPW_FindObjectByName(SPW_SCENE* scene, const char* name);

// One object's frame: cross-fade, active-slot chain, slot times and breakpoints. Children are
// the caller's to visit.
void SPW_AnimateObjects(SPW_DOBJECT* object);
int32_t SPW_DefaultNodeProc(SPW_DOBJECT* object, SPW_NODEINST* node, const SPW_TRANSFORM* offset,
                            const SPW_TRANSFORM* source);

// A transform as a matrix: rotation from the quaternion, translation row from the position,
// scale left out.
SPW_MATRIX* SPW_TransformToMatrix(const SPW_TRANSFORM* t, SPW_MATRIX* out);
// The inverse of that for a camera transform.
SPW_MATRIX* SPW_CameraMatrix(const SPW_TRANSFORM* t, SPW_MATRIX* out);
