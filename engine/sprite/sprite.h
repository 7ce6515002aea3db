#pragma once
// Sprite sets and sprites. A set lays frames out as a grid in one driver texture, walked left
// to right and top to bottom; a sprite shows one frame of its set in a scene, steps through the
// frames in the sprite pass and is drawn by the priority-540 callback of a 3D view: a world
// sprite faces the camera at a scene position, a screen sprite sits at a view depth. Records
// live in SPW_SpritesMem. Main thread only.
#include <cstdint>

#include "engine/display/display.h"
#include "engine/memory/lists.h"

struct SPW_SCENE;

constexpr uint32_t SPW_SPRITE_RENDER_PRIORITY = 540;
constexpr uint32_t SPW_SPRITE_WHITE = 0xFFFFFFFFu;

// Sprite flags.
constexpr uint32_t SPW_SPRITE_ANIMATED = 0x8;
constexpr uint32_t SPW_SPRITE_MIRROR_U = 0x10;
constexpr uint32_t SPW_SPRITE_MIRROR_V = 0x20;
constexpr uint32_t SPW_SPRITE_LOOP = 0x40;
constexpr uint32_t SPW_SPRITE_COLOURED = 0x200;
constexpr uint32_t SPW_SPRITE_SCREEN = 0x400;
constexpr uint32_t SPW_SPRITE_HIDDEN = 0x1000;
constexpr uint32_t SPW_SPRITE_DISPLAY_COORDS = 0x4000;
constexpr uint32_t SPW_SPRITE_FOUR_COLOURS = 0x8000;
constexpr uint32_t SPW_SPRITE_DESTROY_AT_END = 0x80000;
constexpr uint32_t SPW_SPRITE_ADDITIVE = 0x100000;
constexpr uint32_t SPW_SPRITE_REAL_TIME = 0x400000;  // speed per 1/30 second
constexpr uint32_t SPW_SPRITE_ALPHA = 0x800000;

struct SPW_UV {
  float u, v;
};

struct SPW_SPRITESET {
  SGE_DLLNODE link;
  int32_t nTexture;
  uint32_t dwId;
  SPW_UV start;  // grid start, (0, 0) by default
  SPW_UV end;    // grid end, (1, 1)
  SPW_UV step;   // between neighbouring frames, (0, 0)
  SPW_UV size;   // of a frame, (1, 1)
  float fFrames;
};

// Seven words. The two spare floats are the caller's.
struct SPW_SPRITEPLACE {
  float x, y, z;
  float fRotation;  // radians, 0 = not rotated
  float fSpare[2];
  float fScale;     // screen sprites
};

struct SPW_SPRITE;
// Called after each animation step; 0 destroys the sprite.
using SPW_SPRITEFN = int32_t (*)(SPW_SPRITE* sprite, void* user);

struct SPW_SPRITE {
  SGE_DLLNODE link;  // in the scene's sprite list, newest first
  SPW_SPRITESET* pSet;
  SPW_SCENE* pScene;
  uint32_t fFlags;
  SPW_SPRITEPLACE place;
  SPW_UV origin;  // of the current frame in the texture
  float fFrame;
  float fSpeed;   // frames per step
  float fHalfWidth, fHalfHeight;
  uint32_t adwColour[4];  // ARGB: top left, top right, bottom right, bottom left
  SPW_SPRITEFN pfnCallback;
  void* pUser;
};

// Empties the set list and gives scenes their sprite hook; at engine start.
void SPW_InitSprites();

// Any of the four pairs may be null for its default. None when memory is short.
SPW_SPRITESET* SPW_CreateSpriteSet(int32_t texture, uint32_t id, const SPW_UV* start,
                                   const SPW_UV* end, const SPW_UV* step, const SPW_UV* size,
                                   float frames);
SPW_SPRITESET* SPW_FindSpriteSet(uint32_t id);
// Destroys every sprite of the set in every scene, then the first set with the id; 0 when none.
int32_t SPW_DestroySpriteSet(uint32_t id);
// 0 as soon as one set cannot be destroyed.
int32_t SPW_DestroyAllSpriteSets();

// colours: four with SPW_SPRITE_FOUR_COLOURS, else one for all corners; white when null.
SPW_SPRITE* SPW_CreateSprite(SPW_SCENE* scene, SPW_SPRITESET* set, const SPW_SPRITEPLACE* place,
                             float halfWidth, float halfHeight, float speed,
                             const uint32_t* colours, uint32_t flags);
int32_t SPW_DestroySprite(SPW_SPRITE* sprite);
// 1 when every sprite of the scene was destroyed.
int32_t SPW_DestroyAllSprites(SPW_SCENE* scene);
void SPW_SetSpriteUserData(SPW_SPRITE* sprite, SPW_SPRITEFN callback, void* user);

// The per-frame step of every animated sprite of every scene.
void SPW_SpritePass();
// The display callback of a virtual display's node: -1 without node or viewport, else 1.
int32_t SPW_RenderSprites(SPW_DISPLAYNODE* node, SPPD_VIEWPORT* vp, SGE_DATAREF* data);
