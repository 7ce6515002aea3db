#pragma once
// Attachment nodes and draw lists: effects, markers and game objects that draw themselves in
// the 3D view without being scene objects hang a node on a draw list. A draw list is a render
// callback of a display node; each time the node is drawn every attachment node on the list is
// visited in order and either makes a task draw itself (SGM_TASK_DRAW) or calls a function.
// Nodes come from one fixed pool. Main thread only.
#include <cstdint>

#include "engine/display/display.h"
#include "engine/kernel/kernel.h"
#include "engine/memory/lists.h"
#include "engine/memory/memblock.h"

// The pool the root task makes.
constexpr int32_t VNFX_ATTACH_POOL_NODES = 500;

// Node kinds (VNFX_ATTACHNODE::fFlags).
constexpr int32_t VNFX_ATTACH_TASK = 1;      // data a task, extra its counted data record
constexpr int32_t VNFX_ATTACH_FUNCTION = 2;  // data a function, extra its user value

// What a function node answers to stay on its list; anything else drops it.
constexpr int32_t VNFX_ATTACH_KEEP = 1;

struct VNFX_ATTACHLIST;
struct VNFX_ATTACHNODE;

// Called on every draw of the list with the node and its user value.
using VNFX_ATTACHFN = int32_t (*)(VNFX_ATTACHNODE* node, SGE_PARAM user);

struct VNFX_ATTACHNODE {
  SGE_DLLNODE link;          // in the owner's list, or in the pool's free list
  VNFX_ATTACHLIST* pOwner;   // none while free
  int32_t fFlags;            // VNFX_ATTACH_TASK or VNFX_ATTACH_FUNCTION
  int32_t nValue;            // the caller's word
  union {
    SGE_TASK* pTask;
    VNFX_ATTACHFN pfnDraw;
  };
  union {
    SGE_DATAREF* pRecord;  // task nodes: may be none
    SGE_PARAM user;        // function nodes
  };
};

struct VNFX_ATTACHLIST {
  SGE_DLLNODE nodes;  // VNFX_ATTACHNODE in drawing order
  int32_t nCount;
  SPW_DISPLAYCB* pCallback;
  SPW_DISPLAYNODE* pNode;  // the display node the list hangs on
  // The node the draw in progress visits next; releasing it moves this on, so that a draw
  // survives any node being released while it runs. None outside a draw.
  VNFX_ATTACHNODE* pCursor;
};

// Resets both view matrix stacks to the identity. A null block or a count of 0 makes an empty
// pool and answers 0; else count nodes all free and 1 (0 when the allocation fails).
int32_t vnFX_AttachPoolInit(SGE_MEMBLOCK* block, int32_t count);
// Forgets the free list, pops both view matrix stacks and frees the nodes.
void vnFX_AttachPoolFree();
// Free nodes left in the pool.
int32_t vnFX_AttachPoolFreeCount();

// A node filled and appended to the list, or null when the pool is empty or there is no list.
// A task node holds a count of its data record when one is given.
VNFX_ATTACHNODE* vnFX_AttachNodeAcquire(VNFX_ATTACHLIST* list, void* data, SGE_PARAM extra,
                                        int32_t value, int32_t flags);
// Typed forms of the above.
VNFX_ATTACHNODE* vnFX_AttachTask(VNFX_ATTACHLIST* list, SGE_TASK* task, SGE_DATAREF* record,
                                 int32_t value);
VNFX_ATTACHNODE* vnFX_AttachFunction(VNFX_ATTACHLIST* list, VNFX_ATTACHFN fn, SGE_PARAM user,
                                     int32_t value);
// Unlinks the node, gives a task node's count of its record back and returns the node to the
// pool; 1, or 0 for a null node or one that is already free.
int32_t vnFX_AttachNodeRelease(VNFX_ATTACHNODE* node);

// A list hung on the display node as a render callback at the priority, or null (nothing left
// behind).
VNFX_ATTACHLIST* vnFX_AttachListCreate(SPW_DISPLAYNODE* node, uint32_t priority);
// Releases every node and removes the render callback; the list is gone afterwards (a draw
// under way finishes safely).
void vnFX_AttachListDestroy(VNFX_ATTACHLIST* list);
// The display node the node's list hangs on: the view the node draws into. Null when free.
SPW_DISPLAYNODE* vnFX_AttachNodeGetDrawRecord(const VNFX_ATTACHNODE* node);

// The render callback: pushes the view's matrices, visits the nodes, pops; 1, or -1 without
// its display, view or list.
int32_t vnFX_AttachListDraw(SPW_DISPLAYNODE* node, SPPD_VIEWPORT* vp, SGE_DATAREF* data);
