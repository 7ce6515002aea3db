#pragma once
// Map pointers: places marked on the tactical maps, each a blip of a kind, perhaps ringed or
// following a unit. The small map enters its list; without one: nothing, or -1.
#include "engine/math/vecmath.h"
#include "engine/memory/lists.h"

constexpr int32_t VNTACTMAP_BLIP_KINDS = 20;

// Pointer flags: shown as a blip, a ring allowed, a pulse ring.
enum VNTACTMAP_POINTER_FLAG : uint32_t {
  VNTACTMAP_POINTER_SHOWN = 0x20, VNTACTMAP_POINTER_RING_ALLOWED = 0x200,
  VNTACTMAP_POINTER_PULSE = 0x400
};

struct VNTACTMAP_POINTER {
  SGE_DLLNODE link;
  int32_t nId;
  int32_t nKey;   // the unit followed, 0 none
  SPW_VECTOR vPos;
  int32_t nKind;  // a blip kind, -1 none
  uint32_t dwFlags;
  uint32_t dwColour;  // ARGB of the pulse ring
};

// The small map's pointers: ids count from 0 in each mission and never come back.
struct VNTACTMAP_POINTERS {
  SGE_DLLNODE pointers;
  int32_t nNextId;
};

// The map that owns the list enters it (null: none) and frees its pointers when it ends.
void vnTactMap_SetPointerList(VNTACTMAP_POINTERS* list);
void vnTactMap_FreePointers(VNTACTMAP_POINTERS* list);

// A pointer at the position; for a key that a pointer has already, that pointer's id. Kind
// below 20 (negative: none); visible shows it with a ring allowed; of the flags only the pulse
// counts. The id, or -1.
int32_t vnTactMap_AddPointer(const SPW_VECTOR* position, int32_t key, int32_t kind, uint32_t flags,
                             uint32_t colour, int32_t visible);
void vnTactMap_RemovePointer(int32_t id);
void vnTactMap_ShowPointerBlip(int32_t id);
void vnTactMap_HidePointerBlip(int32_t id);
void vnTactMap_SetPointerRing(int32_t id, int32_t on);
// The pointer of the id, or null.
const VNTACTMAP_POINTER* vnTactMap_FindPointer(int32_t id);
