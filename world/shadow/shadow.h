#pragma once
// Ground shadows: a soft textured quad laid on the ground under each shadow-casting object,
// stretched along the light, fading with the object's height and its distance from the camera.
// Every frame each quad is rebuilt as a tessellation of the scene, which the scenery and the
// terrain draw on whatever lies beneath. One service for the running mission; main thread only.
#include <cstdint>

#include "engine/display/display.h"
#include "engine/math/vecmath.h"
#include "engine/memory/lists.h"
#include "engine/memory/memblock.h"

struct SPW_SCENE;
struct SPW_DOBJECT;
struct SPW_TESS;

constexpr int32_t VNSHADOW_NUM_TEXTURES = 10;
constexpr int32_t VNSHADOW_NAME_SIZE = 256;  // 255 characters and the terminator

// The textures the mission sets up, by slot.
inline constexpr const char* VNSHADOW_TEXTURE_FILES[VNSHADOW_NUM_TEXTURES] = {
    "sprites/effects/generic_shadow.ppm",  "sprites/effects/smallbug_shadow.ppm",
    "sprites/effects/largebug_shadow.ppm", "sprites/effects/ds10_shadow.ppm",
    "sprites/effects/ds9_shadow.ppm",      "sprites/effects/retboat_shadow.ppm",
    "sprites/effects/guy_shadow.ppm",      "sprites/effects/litesuit_shadow.ppm",
    "sprites/effects/suit_shadow.ppm",     "sprites/effects/tacfighter_shadow.ppm"};

// The defaults the mission passes: light height, minimum and maximum height, inner and outer
// radius.
constexpr float VNSHADOW_DEFAULT_LIGHT_HEIGHT = 1.0f;
constexpr float VNSHADOW_DEFAULT_MIN_HEIGHT = 4.0f;
constexpr float VNSHADOW_DEFAULT_MAX_HEIGHT = 10.0f;
constexpr float VNSHADOW_DEFAULT_INNER_RADIUS = 20.0f;
constexpr float VNSHADOW_DEFAULT_OUTER_RADIUS = 70.0f;
// The draw callback's priority on the mission's view.
constexpr uint32_t VNSHADOW_DRAW_PRIORITY = 440;

// Record flags (VNSHADOW::fFlags).
constexpr uint32_t VNSHADOW_FADE_HEIGHT = 0x1;
constexpr uint32_t VNSHADOW_FADE_DISTANCE = 0x2;
constexpr uint32_t VNSHADOW_SLANT = 0x4;          // stretch the length by the light's slant
constexpr uint32_t VNSHADOW_RAY = 0x8;            // measure the height with a ray into the scene
constexpr uint32_t VNSHADOW_DEFAULT_MIN = 0x10;   // these four take the service's defaults
constexpr uint32_t VNSHADOW_DEFAULT_MAX = 0x20;
constexpr uint32_t VNSHADOW_DEFAULT_INNER = 0x40;
constexpr uint32_t VNSHADOW_DEFAULT_OUTER = 0x80;
constexpr uint32_t VNSHADOW_ROTATE = 0x100;       // turn the texture by the record's rotation
constexpr uint32_t VNSHADOW_SHIFT = 0x200;        // shift the quad by the height along the light
constexpr uint32_t VNSHADOW_ALWAYS = 0x400;       // drawn even when the object is not in view
constexpr uint32_t VNSHADOW_STATIC = 0x800;       // built once
constexpr uint32_t VNSHADOW_BUILT = 0x1000;       // set by the service

// The texture's turn: cosine and sine.
struct VNSHADOW_ROTATION {
  float fCos;
  float fSin;
};
constexpr VNSHADOW_ROTATION VNSHADOW_NO_ROTATION = {0.0f, -1.0f};

struct VNSHADOW_TEXTURE {
  int32_t nSlot;  // -1 when free
  char szName[VNSHADOW_NAME_SIZE];
  int32_t nTexture;  // driver texture id
};

struct VNSHADOW {
  SGE_DLLNODE link;  // in the active or the free list
  SPW_DOBJECT* pObject;
  int32_t nTexture;  // texture slot; -1 after removal
  uint32_t fFlags;   // VNSHADOW_*
  float fSize;       // half-length along the light
  float fOffset;     // how far along the light the centre moves
  float fMinHeight;
  float fMaxHeight;
  float fFade;       // computed when added
  float fInnerRadius;
  float fOuterRadius;
  SPW_TESS* pTess;   // this frame's quad, none when it casts none
  VNSHADOW_ROTATION rotation;
};

// Sets the service up for a mission: the ten slots cleared, the defaults, the light direction
// (pointing towards the light), the scene the quads are laid in, the display whose driver gives
// the texture ids and the block the records come from; both lists emptied.
void vnShadow_Init(SGE_MEMBLOCK* block, SPW_SCENE* scene, SPW_DISPLAY* display,
                   const SPW_VECTOR* lightDirection, float lightHeight, float minHeight,
                   float maxHeight, float innerRadius, float outerRadius);
// Slots 0-9 only; others are ignored.
void vnShadow_SetTexture(int32_t slot, const char* fileName);
void vnShadow_ClearTexture(int32_t slot);
int32_t vnShadow_HasTexture(int32_t slot);
// A zero vector is refused (traced) and the light stays as it was.
void vnShadow_SetLightDirection(const SPW_VECTOR* direction);

// A record on the active list, none when no memory (the object goes without a shadow).
// rotation none: VNSHADOW_NO_ROTATION.
VNSHADOW* vnShadow_Add(int32_t slot, SPW_DOBJECT* object, uint32_t flags, float size,
                       float offset, float minHeight, float maxHeight, float innerRadius,
                       float outerRadius, const VNSHADOW_ROTATION* rotation);
void vnShadow_Remove(VNSHADOW* shadow);
VNSHADOW* vnShadow_Find(const SPW_DOBJECT* object);
// Turns the texture with the object's facing direction.
void vnShadow_SetFacing(VNSHADOW* shadow, const SPW_VECTOR* direction);
// Removes every active record and clears the texture slots.
void vnShadow_Shutdown();

// Rebuilds every record's quad for a camera at the position.
void vnShadow_Update(const SPW_VECTOR* camera);
// The display callback on the mission's view: the update for the view's camera. -1 when the
// node is no camera view.
int32_t vnShadow_Draw(SPW_DISPLAYNODE* node, SPPD_VIEWPORT* vp, SGE_DATAREF* data);
