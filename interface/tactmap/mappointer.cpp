// Map pointers.
#include "interface/tactmap/mappointer.h"

#include "engine/memory/memblock.h"
#include "platform/trace.h"
#include "world/mission/context.h"

namespace {

VNTACTMAP_POINTERS* List() { return vnMISSION_Context().pMapPointers; }

VNTACTMAP_POINTER* Find(int32_t id) {
  VNTACTMAP_POINTERS* list = List();
  if (!list) return nullptr;
  for (VNTACTMAP_POINTER* p : SGE_ListRecords<VNTACTMAP_POINTER>(&list->pointers))
    if (p->nId == id) return p;
  return nullptr;
}

VNTACTMAP_POINTER* FindKey(VNTACTMAP_POINTERS* list, int32_t key) {
  for (VNTACTMAP_POINTER* p : SGE_ListRecords<VNTACTMAP_POINTER>(&list->pointers))
    if (p->nKey == key) return p;
  return nullptr;
}

void SetFlag(int32_t id, uint32_t flag, bool on) {
  if (VNTACTMAP_POINTER* p = Find(id)) p->dwFlags = on ? p->dwFlags | flag : p->dwFlags & ~flag;
}

}  // namespace

void vnTactMap_SetPointerList(VNTACTMAP_POINTERS* list) { vnMISSION_Context().pMapPointers = list; }

void vnTactMap_FreePointers(VNTACTMAP_POINTERS* list) {
  if (!list) return;
  for (VNTACTMAP_POINTER* p : SGE_ListRecords<VNTACTMAP_POINTER>(&list->pointers)) {
    SGE_ListUnlink(&p->link);
    SGE_MemFree(p);
  }
  if (List() == list) vnTactMap_SetPointerList(nullptr);
}

int32_t vnTactMap_AddPointer(const SPW_VECTOR* position, int32_t key, int32_t kind, uint32_t flags,
                             uint32_t colour, int32_t visible) {
  VNTACTMAP_POINTERS* list = List();
  if (!list || !position || kind >= VNTACTMAP_BLIP_KINDS) return -1;
  if (key) {
    if (const VNTACTMAP_POINTER* same = FindKey(list, key)) return same->nId;
  }
  auto* p = static_cast<VNTACTMAP_POINTER*>(SGE_MemCalloc(SGE_GameMem, sizeof(VNTACTMAP_POINTER)));
  if (!p) {
    PLAT_Trace("Fail to allocate memory for pointer: %d (tactmap: vnTactMap_AddPointer)\n", kind);
    return -1;
  }
  p->nId = list->nNextId++;
  p->nKey = key;
  p->vPos = *position;
  p->nKind = kind < 0 ? -1 : kind;
  if (visible) p->dwFlags |= VNTACTMAP_POINTER_SHOWN | VNTACTMAP_POINTER_RING_ALLOWED;
  p->dwFlags |= flags & VNTACTMAP_POINTER_PULSE;
  p->dwColour = colour;
  SGE_ListAddTail(&list->pointers, &p->link);
  return p->nId;
}

void vnTactMap_RemovePointer(int32_t id) {
  if (VNTACTMAP_POINTER* p = Find(id)) {
    SGE_ListUnlink(&p->link);
    SGE_MemFree(p);
  }
}

void vnTactMap_ShowPointerBlip(int32_t id) { SetFlag(id, VNTACTMAP_POINTER_SHOWN, true); }
void vnTactMap_HidePointerBlip(int32_t id) { SetFlag(id, VNTACTMAP_POINTER_SHOWN, false); }
void vnTactMap_SetPointerRing(int32_t id, int32_t on) {
  SetFlag(id, VNTACTMAP_POINTER_RING_ALLOWED, on != 0);
}

const VNTACTMAP_POINTER* vnTactMap_FindPointer(int32_t id) { return Find(id); }
