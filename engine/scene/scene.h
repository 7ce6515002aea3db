#pragma once
// Scenes: one world each, holding its dynamic objects, frame-animated objects, procedures,
// sprites, lights, terrain, spatial tree and tessellation pools; the light records and their
// glows; and the display callback that draws a scene's dynamic objects through the driver.
// Main thread only.
#include <cstdint>

#include "engine/display/display.h"
#include "engine/dobject/dobject.h"
#include "engine/math/vecmath.h"
#include "engine/memory/lists.h"
#include "engine/memory/memblock.h"

struct SPW_TERRAIN;
struct SPW_TREENODE;
struct SPW_LIGHT;

// Scene flags (SPW_SCENE::fFlags).
constexpr uint32_t SPW_SCENE_PERMANENT = 0x1;  // SPW_DestroyScene leaves it alone
constexpr uint32_t SPW_SCENE_FROZEN = 0x4;
constexpr uint32_t SPW_SCENE_NO_ANIMATION = 0x8;
constexpr uint32_t SPW_SCENE_NO_MOTION = 0x20;
constexpr uint32_t SPW_SCENE_LOD0 = 0x200;  // every dynamic object drawn at LOD 0

constexpr float SPW_SCENE_AMBIENT = 80.0f;

struct SPW_SCENE {
  SGE_SDLLNODE link;  // key: the priority, in SPW_SceneList
  SPW_SCENE* pSelf;
  uint32_t dwCreated;  // +1 for every dynamic object created in the scene
  uint32_t dwZero;
  SGE_DLLNODE general;
  SGE_DLLNODE objects;   // frame-animated objects
  SGE_DLLNODE dobjects;  // top-level SPW_DOBJECT
  SGE_DLLNODE further;
  SGE_DLLNODE events;    // SPW_BREAKPOINT copies, delivered by the events pass
  SGE_DLLNODE other;
  uint32_t adwZero[4];
  SGE_DLLNODE legacy;  // stays empty
  uint32_t adwZero2[2];
  float fSpeed;        // multiplies the time scale for this scene
  uint32_t fFlags;     // SPW_SCENE_*
  SGE_DLLNODE procedures;
  SGE_DLLNODE sprites;
  SGE_DLLNODE furtherLists[2];
  uint32_t dwValue;
  SPW_TERRAIN* pTerrain;  // none until a terrain is set up
  SPW_TREENODE* pTree;    // spatial tree root, none when empty
  SGE_DLLNODE lights;     // SPW_LIGHT
  SGE_DLLNODE freeLights;
  // Tessellation pools: the block they come from and their six lists.
  SGE_MEMBLOCK* pTessMem;
  SGE_DLLNODE tessFreeLinks;
  SGE_DLLNODE tessFree;
  SGE_DLLNODE tessFreePatchSides;
  SGE_DLLNODE tessFreeItemSides;
  SGE_DLLNODE tessFreeBuffers;
  SGE_DLLNODE tessLive;
  SPW_COLOUR ambient;      // 80, 80, 80, 255 at creation
  SPW_COLOUR sunColour;    // 255 each at creation
  SPW_VECTOR vSunDirection;  // (-1, 0, 0) at creation; the driver reads it
  // The tessellations' list of each terrain patch (SPW_TESSSIDE), one a patch, from pTessMem.
  SGE_DLLNODE* pTessPatchLists;
  uint32_t dwTessPatchCount;
};

// Light flags and kinds.
constexpr uint32_t SPW_LIGHT_GLOW = 0x2;
constexpr uint32_t SPW_LIGHT_TERRAIN = 0x4;
constexpr uint32_t SPW_LIGHT_POINT = 0;
constexpr uint32_t SPW_LIGHT_CONE = 3;

// Hides a light's glow when it returns non-zero: (light position, unit vector from the camera,
// distance).
using SPW_GLOWFN = int32_t (*)(const SPW_VECTOR* position, const SPW_VECTOR* fromCamera,
                               float distance);

struct SPW_LIGHT {
  SGE_DLLNODE link;
  SGE_DLLNODE terrainLinks;  // the terrain's light links of the patches it lights
  SPW_SCENE* pScene;
  uint32_t fFlags;  // SPW_LIGHT_GLOW, SPW_LIGHT_TERRAIN
  uint32_t dwDefault;
  SPW_VECTOR vDirection;  // cone lights and glows
  SPW_VECTOR vPos;
  // Renderer work for the object being drawn.
  SPW_VECTOR vToObject;
  SPW_VECTOR vViewDir;
  float fDistSq;
  float fIntensity;
  float fConeCos;
  float fConeFactor;
  float fRadius;
  float fRadiusSq;
  float fInvRadius;
  float fInvRadiusSq;
  float fGlowSize;
  SPW_GLOWFN pfnOcclusion;
  uint32_t dwValue;
  uint32_t dwKind;  // SPW_LIGHT_POINT or SPW_LIGHT_CONE
  uint32_t dwColour;
  SPW_COLOUR colour;
};

// The object renderer's limits.
constexpr int32_t SPW_MAX_OBJECT_LIGHTS = 100;  // collected for one object
constexpr int32_t SPW_MAX_DRIVER_LIGHTS = 4;    // passed to the driver
constexpr uint32_t SPW_DOBJRENDER_PRIORITY = 480;
constexpr const char SPW_GLOW_TEXTURE[] = "sprites/effects/generalGlow.ppm";

// Every scene, ascending by priority (equal keys in creation order).
extern SGE_DLLNODE SPW_SceneList;
// The word each new light copies.
extern uint32_t SPW_LightDefault;
// When 0 the object renderer evaluates nodes without drawing them.
extern int32_t SPW_DrawObjectNodes;

// The steps of scene destruction and the light query that other subsystems own; each runs when
// set and counts as done when not. Their owners set them at engine start.
struct SPW_SCENEHOOKS {
  int32_t (*pfnDestroyProcedures)(SPW_SCENE* scene);  // 1 when all succeeded
  int32_t (*pfnDestroyAnimObject)(void* object);      // one frame-animated object
  int32_t (*pfnDestroySprites)(SPW_SCENE* scene);
  int32_t (*pfnReleaseTerrain)(SPW_SCENE* scene);
  int32_t (*pfnFreeTree)(SPW_SCENE* scene);           // frees the tree and resets the features
  // The lights that reach a sphere, at most *count; *count becomes the number found. When not
  // set, every light of the scene is tested.
  int32_t (*pfnCollectLights)(SPW_SCENE* scene, const SPW_VECTOR* centre, float radius,
                              SPW_LIGHT** out, int32_t* count);
  // Gives the light's terrain links back to the terrain's free list.
  void (*pfnFreeLightLinks)(SPW_LIGHT* light);
};
extern SPW_SCENEHOOKS SPW_SceneHooks;

// A new scene in SPW_ObjsMem, or none.
SPW_SCENE* SPW_CreateScene(uint32_t flags, float speed, uint32_t priority, uint32_t value);
// 1 for none and for a permanent scene; else 1 when every step succeeded.
int32_t SPW_DestroyScene(SPW_SCENE* scene);

SPW_LIGHT* SPW_CreateLight(SPW_SCENE* scene, const SPW_VECTOR* position, float radius,
                           uint32_t colour, uint32_t value, uint32_t flags);
void SPW_SetLightColour(SPW_LIGHT* light, uint32_t colour);
void SPW_SetLightPosition(SPW_LIGHT* light, const SPW_VECTOR* position);
void SPW_SetLightRadius(SPW_LIGHT* light, float radius);
void SPW_SetLightCallback(SPW_LIGHT* light, float glowSize, SPW_GLOWFN callback);
void SPW_FreeLight(SPW_LIGHT* light);
// Every light of the scene that reaches the sphere (radius_l (radius_l + 2r) + r r > d^2), at
// most *count, in list order.
int32_t SPW_CollectSceneLights(SPW_SCENE* scene, const SPW_VECTOR* centre, float radius,
                               SPW_LIGHT** out, int32_t* count);

// The lights the renderer passes for an object at world centre C with the given radius and
// flags: at most SPW_MAX_DRIVER_LIGHTS in out, each with its intensity; view rotates the unit
// light vectors into view space (none: left in world space). The count.
int32_t SPW_SelectObjectLights(SPW_SCENE* scene, const SPW_VECTOR* centre, float radius,
                               uint32_t objectFlags, const SPW_MATRIX* view, SPW_LIGHT** out);

// The display callback under a virtual display (priority SPW_DOBJRENDER_PRIORITY) that draws
// the dynamic objects of the view's scene through the display's driver table; -1.
int32_t SPW_DObjectRenderTask(SPW_DISPLAYNODE* node, SPPD_VIEWPORT* vp, SGE_DATAREF* data);
// The profiler counter ("DORender") the callback counts its time in; none: not counted.
struct KOPROFILE_GROUP;
void SPW_SetDObjectProfiler(KOPROFILE_GROUP* group, int32_t counter);
// Queues the glows of the lights of a virtual display's scene; from the sprite display callback.
// 1, or 0 when the node is no virtual display or the driver gives no render state.
int32_t SPW_DrawLightGlows(SPW_DISPLAYNODE* node);

// Kept for the game; nothing else reads them. Each returns the previous value.
float SPW_SetFadeDistance(float distance);
float SPW_SetFadeValue(float value);
