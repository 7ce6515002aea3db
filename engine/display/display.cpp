// Displays, display nodes and their callback lists.
#include "engine/display/display.h"

#include "engine/memory/memblock.h"
#include "platform/trace.h"

namespace {

void ReleaseRef(SGE_DATAREF* ref) {
  if (ref) SGE_ReleaseDataRef(ref);
}

void RetainRef(SGE_DATAREF* ref) {
  if (ref) SGE_RetainDataRef(ref);
}

SPW_DISPLAYCB* NewCallback(SGE_DLLNODE* list, uint32_t key, SGE_DATAREF* data) {
  auto* cb = static_cast<SPW_DISPLAYCB*>(SGE_MemCalloc(SGE_TaskMem, sizeof(SPW_DISPLAYCB)));
  if (!cb) {
    PLAT_Trace("SPW: display callback: out of task memory\n");
    return nullptr;
  }
  cb->link.dwKey = key;
  cb->bEnabled = 1;
  cb->pData = data;
  RetainRef(data);
  SGE_ListInsertSorted(list, &cb->link);
  return cb;
}

void FreeCallbackList(SGE_DLLNODE* list) {
  while (SPW_DISPLAYCB* cb = SGE_ListFirstRecord<SPW_DISPLAYCB>(list)) SPW_FreeDisplayCallback(cb);
}

SGE_DLLNODE* SiblingList(SPW_DISPLAYNODE* node) {
  return node->pParent ? &node->pParent->children : &node->pDisplay->nodes;
}

}  // namespace

SPW_DISPLAY* SPW_CreateDisplay(uint32_t key, uint32_t width, uint32_t height, SPPD_PFN_VPGet vpGet,
                               SPPD_PFN_VPSet vpSet, SGE_DATAREF* driver) {
  SGE_DLLNODE* list = SGE_GetDisplayList();
  if (!list) {
    PLAT_Trace("SPW_CreateDisplay: the kernel is not started\n");
    return nullptr;
  }
  auto* d = static_cast<SPW_DISPLAY*>(SGE_MemCalloc(SGE_TaskMem, sizeof(SPW_DISPLAY)));
  if (!d) {
    PLAT_Trace("SPW_CreateDisplay: out of task memory\n");
    return nullptr;
  }
  d->link.dwKey = key;
  d->pSelf = d;
  d->fWidth = static_cast<float>(width);
  d->fHeight = static_cast<float>(height);
  // A zero-sized display keeps zero reciprocals rather than infinities.
  d->fInvWidth = width ? 1.0f / d->fWidth : 0.0f;
  d->fInvHeight = height ? 1.0f / d->fHeight : 0.0f;
  d->fFlags = SPW_DISPLAY_NEW_FLAGS;
  SGE_ListInit(&d->callbacks);
  SGE_ListInit(&d->nodes);
  d->pfnVPGet = vpGet;
  d->pfnVPSet = vpSet;
  d->pDriver = driver;
  RetainRef(driver);
  SGE_ListInsertSorted(list, &d->link);
  return d;
}

int32_t SPW_DestroyDisplay(SPW_DISPLAY* display) {
  if (!display) return 0;
  while (SPW_DISPLAYNODE* node = SGE_ListFirstRecord<SPW_DISPLAYNODE>(&display->nodes))
    SPW_DestroyDisplayNode(node);
  FreeCallbackList(&display->callbacks);
  ReleaseRef(display->pDriver);
  display->pDriver = nullptr;
  SGE_ListUnlink(&display->link.link);
  display->pSelf = nullptr;
  SGE_MemFree(display);
  return 0;
}

SPW_DISPLAYCB* SPW_AddDisplayCallback(SPW_DISPLAY* display, SPW_DISPLAYFN fn, uint32_t key,
                                      SGE_DATAREF* data) {
  if (!display) return nullptr;
  SPW_DISPLAYCB* cb = NewCallback(&display->callbacks, key, data);
  if (cb) cb->pfnDisplay = fn;
  return cb;
}

SPW_DISPLAYCB* SPW_AddDisplayNode(SPW_DISPLAYNODE* node, SPW_NODEFN fn, uint32_t key,
                                  SGE_DATAREF* data) {
  if (!node) return nullptr;
  SPW_DISPLAYCB* cb = NewCallback(&node->callbacks, key, data);
  if (cb) cb->pfnNode = fn;
  return cb;
}

int32_t SPW_FreeDisplayCallback(SPW_DISPLAYCB* cb) {
  if (!cb) return 0;
  ReleaseRef(cb->pData);
  cb->pData = nullptr;
  SGE_ListUnlink(&cb->link.link);
  return SGE_MemFree(cb);
}

int32_t SPW_RemoveDisplayNode(SPW_DISPLAYCB* cb) {
  if (!cb) return 0;
  SGE_ListUnlink(&cb->link.link);
  return SGE_MemFree(cb);
}

SPW_DISPLAYCB* SPW_EnableDisplayNode(SPW_DISPLAYCB* cb) {
  if (cb) cb->bEnabled = 1;
  return cb;
}

SPW_DISPLAYCB* SPW_DisableDisplayNode(SPW_DISPLAYCB* cb) {
  if (cb) cb->bEnabled = 0;
  return cb;
}

SPW_DISPLAYNODE* SPW_CreateDisplayNode(uint32_t key, float fValue, const SPW_RECT* rect,
                                       const SPW_POINT* origin, int32_t value,
                                       SGE_DATAREF* shared, SPW_DISPLAY* display,
                                       SPW_DISPLAYNODE* parent, uint32_t flags,
                                       SGE_DATAREF* target) {
  if (!display) {
    PLAT_Trace("SPW_CreateDisplayNode: no display\n");
    return nullptr;
  }
  if (value != 0 && !shared) {
    PLAT_Trace("SPW_CreateDisplayNode: value %d without a shared resource\n", value);
    return nullptr;
  }
  // A child on another display would be drawn through the wrong driver.
  if (parent && parent->pDisplay != display) {
    PLAT_Trace("SPW_CreateDisplayNode: parent belongs to another display\n");
    return nullptr;
  }
  auto* n = static_cast<SPW_DISPLAYNODE*>(SGE_MemCalloc(SGE_TaskMem, sizeof(SPW_DISPLAYNODE)));
  if (!n) {
    PLAT_Trace("SPW_CreateDisplayNode: out of task memory\n");
    return nullptr;
  }
  n->link.dwKey = key;
  n->pSelf = n;
  if (rect) n->rect = *rect;
  if (origin) n->origin = *origin;
  n->nValue = value;
  n->pShared = shared;
  RetainRef(shared);
  n->fFlags = flags;
  SGE_ListInit(&n->callbacks);
  SGE_ListInit(&n->children);
  n->pParent = parent;
  n->pDisplay = display;
  n->pTarget = target;
  RetainRef(target);
  n->dwColour = SPW_NODE_DEFAULT_COLOUR;
  n->fValue = fValue;
  SGE_ListInsertSorted(SiblingList(n), &n->link);
  return n;
}

int32_t SPW_DestroyDisplayNode(SPW_DISPLAYNODE* node) {
  if (!node) return 0;
  ReleaseRef(node->pShared);
  node->pShared = nullptr;
  ReleaseRef(node->pTarget);
  node->pTarget = nullptr;
  FreeCallbackList(&node->callbacks);
  while (SPW_DISPLAYNODE* child = SGE_ListFirstRecord<SPW_DISPLAYNODE>(&node->children))
    SPW_DestroyDisplayNode(child);
  SGE_ListUnlink(&node->link.link);
  node->pSelf = nullptr;
  SGE_MemFree(node);
  return 0;
}

uint32_t SPW_SetDisplayNodeColour(SPW_DISPLAYNODE* node, uint32_t colour) {
  if (!node) return 0;
  uint32_t old = node->dwColour;
  node->dwColour = colour;
  return old;
}

uint32_t SPW_SetDisplayNodeKey(SPW_DISPLAYNODE* node, uint32_t key) {
  if (!node) return 0;
  uint32_t old = node->link.dwKey;
  SGE_ListUnlink(&node->link.link);
  node->link.dwKey = key;
  SGE_ListInsertSorted(SiblingList(node), &node->link);
  return old;
}

SPPD_DRIVERTABLE* SPW_GetDisplayDriver(const SPW_DISPLAY* display) {
  if (!display || !display->pDriver) return nullptr;
  return static_cast<SPPD_DRIVERTABLE*>(display->pDriver->pData);
}
