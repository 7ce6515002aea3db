#pragma once
// Displays and their trees of display nodes. A display is the bound driver's output surface;
// under it hang top-level nodes, each a rectangle with an origin, a colour, child nodes and
// render callbacks. SPW_RenderDisplays walks them once per frame. Main thread only.
#include <cstdint>

#include "engine/driver/sppd.h"
#include "engine/kernel/kernel.h"
#include "engine/memory/lists.h"

struct PLAT_Library;
struct SPW_DISPLAY;
struct SPW_DISPLAYNODE;
struct SPW_RECT {
  float x0, y0, x1, y1;
};
struct SPW_POINT {
  float x, y;
};

// Display flags: rendered each frame / skipped. A new display has 0x600.
constexpr uint32_t SPW_DISPLAY_RENDER = 0x200;
constexpr uint32_t SPW_DISPLAY_SKIP = 0x4;
constexpr uint32_t SPW_DISPLAY_NEW_FLAGS = 0x600;

// Node flags. The clear bits are read only by the driver's screen clear.
constexpr uint32_t SPW_NODE_HIDDEN = 0x4;
constexpr uint32_t SPW_NODE_CLEAR_DEPTH = 0x10;
constexpr uint32_t SPW_NODE_CLEAR_TARGET = 0x20;
constexpr uint32_t SPW_NODE_CLEAR_STENCIL = 0x40;
constexpr uint32_t SPW_NODE_DEFAULT_COLOUR = 0xff000000u;

// Display callbacks with this key bit run after the node tree.
constexpr uint32_t SPW_DISPLAYCB_AFTER_NODES = 0x80000000u;

// Size of a virtual display's data record: the driver recognises a virtual display by it.
constexpr int32_t SPW_VDISPLAY_RECORD_SIZE = 188;

// Display-level callback: must return 1, anything else ends the render pass for this frame.
using SPW_DISPLAYFN = int32_t (*)(SPW_DISPLAY* display, SGE_DATAREF* data);
// Node-level callback, the driver's screen clear among them; the result is ignored. The
// viewport is the render pass's own copy of the record the driver's SPPD_VPGet filled.
using SPW_NODEFN = SPPD_NODECALLBACK;

struct SPW_DISPLAYCB {
  SGE_SDLLNODE link;  // key: the priority, lower first
  int32_t bEnabled;
  union {
    SPW_DISPLAYFN pfnDisplay;  // in a display's list
    SPW_NODEFN pfnNode;        // in a node's list
  };
  SGE_DATAREF* pData;
};

struct SPW_DISPLAY {
  SGE_SDLLNODE link;  // in the global display list
  SPW_DISPLAY* pSelf;
  float fWidth, fHeight;
  float fInvWidth, fInvHeight;
  uint32_t fFlags;
  SGE_DLLNODE callbacks;  // SPW_DISPLAYCB by key
  SGE_DLLNODE nodes;      // top-level SPW_DISPLAYNODE by key
  SPPD_PFN_VPGet pfnVPGet;  // either may be null
  SPPD_PFN_VPSet pfnVPSet;
  PLAT_Library* hModule;
  SGE_DATAREF* pDriver;  // data: the driver block (SPPD_DRIVERTABLE then the driver's state)
};

struct SPW_DISPLAYNODE {
  SGE_SDLLNODE link;  // key: drawing order among siblings
  SPW_DISPLAYNODE* pSelf;
  SPW_RECT rect;     // in the node's own coordinates
  SPW_POINT origin;  // in the parent's coordinates
  int32_t nValue;
  SGE_DATAREF* pShared;
  uint32_t fFlags;
  SGE_DLLNODE callbacks;  // SPW_DISPLAYCB by key
  SGE_DLLNODE children;   // SPW_DISPLAYNODE by key
  SPW_DISPLAYNODE* pParent;
  uint32_t dwSkip;  // frames still to skip
  SPW_DISPLAY* pDisplay;
  SGE_DATAREF* pTarget;  // render target, e.g. a virtual display record
  uint32_t dwColour;     // ARGB, the clear colour
  float fValue;
};

SPW_DISPLAY* SPW_CreateDisplay(uint32_t key, uint32_t width, uint32_t height,
                               SPPD_PFN_VPGet vpGet, SPPD_PFN_VPSet vpSet, SGE_DATAREF* driver);
int32_t SPW_DestroyDisplay(SPW_DISPLAY* display);

SPW_DISPLAYCB* SPW_AddDisplayCallback(SPW_DISPLAY* display, SPW_DISPLAYFN fn, uint32_t key,
                                      SGE_DATAREF* data);
SPW_DISPLAYCB* SPW_AddDisplayNode(SPW_DISPLAYNODE* node, SPW_NODEFN fn, uint32_t key,
                                  SGE_DATAREF* data);
// Releases the data reference, unlinks and frees.
int32_t SPW_FreeDisplayCallback(SPW_DISPLAYCB* cb);
// Unlinks and frees without touching the data.
int32_t SPW_RemoveDisplayNode(SPW_DISPLAYCB* cb);
SPW_DISPLAYCB* SPW_EnableDisplayNode(SPW_DISPLAYCB* cb);
SPW_DISPLAYCB* SPW_DisableDisplayNode(SPW_DISPLAYCB* cb);

SPW_DISPLAYNODE* SPW_CreateDisplayNode(uint32_t key, float fValue, const SPW_RECT* rect,
                                       const SPW_POINT* origin, int32_t value,
                                       SGE_DATAREF* shared, SPW_DISPLAY* display,
                                       SPW_DISPLAYNODE* parent, uint32_t flags,
                                       SGE_DATAREF* target);
int32_t SPW_DestroyDisplayNode(SPW_DISPLAYNODE* node);
uint32_t SPW_SetDisplayNodeColour(SPW_DISPLAYNODE* node, uint32_t colour);
uint32_t SPW_SetDisplayNodeKey(SPW_DISPLAYNODE* node, uint32_t key);

int32_t SPW_GetDisplayNodeVisibleRect(const SPW_DISPLAYNODE* node, SPW_RECT* out);
void SPW_DisplayNodeToScreen(const SPW_DISPLAYNODE* node, const SPW_POINT* p, SPW_POINT* out);
int32_t SPW_DisplayNodeHitTest(const SPW_DISPLAYNODE* node, const SPW_POINT* p, SPW_POINT* out);
int32_t SPW_IntersectRect(const SPW_RECT* a, const SPW_RECT* b, SPW_RECT* out);

// The render pass over every display, in key order.
void SPW_RenderDisplays();

// The bound driver table at the start of the display's driver block, or none.
SPPD_DRIVERTABLE* SPW_GetDisplayDriver(const SPW_DISPLAY* display);

// Display layers: depth slices and node keys of the 2D passes.
struct VNLAYER {
  float fNear, fFar;
  float fMinDepth, fMaxDepth;
  uint32_t dwKey;
};
constexpr int32_t VN_NUM_LAYERS = 10;
// None outside 0..9.
const VNLAYER* vnMAIN_GetLayer(int32_t index);
// Sets the layer's starting state (depth slice, projection, identity matrices, no clip planes)
// on the node's driver; 0 without a layer, node or driver.
int32_t SPW_SetLayerRenderState(SPW_DISPLAYNODE* node, int32_t layerIndex);
