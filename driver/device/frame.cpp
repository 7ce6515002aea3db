// The frame of a display: present and open, flush and close, viewports, the screen clear,
// the texture purge and the two statistics records.
#include "driver/device/frame.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <initializer_list>

#include "driver/batch/lists.h"
#include "driver/core/block.h"
#include "driver/core/pools.h"
#include "driver/texture/table.h"
#include "engine/display/display.h"
#include "platform/gfx/gfx.h"
#include "platform/trace.h"

namespace {

SPPD_FRAMECOUNTERS g_counters;
SPPD_DEBUGINFO g_stats[2];
int32_t g_frame;  // index of the record being filled
PLAT_GfxResult g_lastDeviceResult = PLAT_GfxResult::Ok;

void ClearRecord(SPPD_DEBUGINFO* r, int32_t index) {
  r->nFrame = index;
  SPPD_LinkInit(&r->lines);
  r->dwUsed = 0;
  r->dwStoreEnd = 0;
  SPPD_DriverInfo(r->szDescription, SPPD_DEBUG_DESCRIPTION_SIZE);
}

void SwitchRecords() {
  g_frame = (g_frame + 1) % 2;
  ClearRecord(&g_stats[g_frame], g_frame);
  g_counters.dwOpaqueTriangles = 0;
  g_counters.dwAlphaPolygons = 0;
}

// Appends a line to the current record when it fits its budget; otherwise it is dropped.
void AddStatLine(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
void AddStatLine(const char* fmt, ...) {
  char text[1024];
  va_list args;
  va_start(args, fmt);
  std::vsnprintf(text, sizeof text, fmt, args);
  va_end(args);
  SPPD_DEBUGINFO* r = &g_stats[g_frame];
  uint32_t len = static_cast<uint32_t>(std::strlen(text));
  if (r->dwUsed + len + SPPD_DEBUG_LINE_OVERHEAD > SPPD_DEBUG_STORE_BYTES) return;
  uint32_t need = (static_cast<uint32_t>(offsetof(SPPD_DEBUGLINE, szText)) + len + 1 + 7) & ~7u;
  if (r->dwStoreEnd + need > sizeof r->store) return;
  auto* line = reinterpret_cast<SPPD_DEBUGLINE*>(r->store + r->dwStoreEnd);
  std::memcpy(line->szText, text, len + 1);
  SPPD_LinkAppend(&r->lines, &line->link);
  r->dwStoreEnd += need;
  r->dwUsed += len + SPPD_DEBUG_LINE_OVERHEAD;
}

uint32_t ClearFlags(uint32_t nodeFlags) {
  uint32_t f = 0;
  if (nodeFlags & SPW_NODE_CLEAR_TARGET) f |= PLAT_GFX_CLEAR_TARGET;
  if (nodeFlags & SPW_NODE_CLEAR_DEPTH) f |= PLAT_GFX_CLEAR_ZBUFFER;
  if (nodeFlags & SPW_NODE_CLEAR_STENCIL) f |= PLAT_GFX_CLEAR_STENCIL;
  return f;
}

// Repairs the flipping pair in place: restored and black. Textures are the host's to reload.
void RestoreBuffers(PLAT_GfxDevice* dev) {
  PLAT_GfxRestore(dev, PLAT_GfxSurface::Front);
  PLAT_GfxRestore(dev, PLAT_GfxSurface::Back);
  PLAT_GfxFillBuffer(dev, PLAT_GfxSurface::Front, 0xFF000000);
  PLAT_GfxFillBuffer(dev, PLAT_GfxSurface::Back, 0xFF000000);
}

}  // namespace

SPPD_FRAMECOUNTERS* SPPD_GetFrameCounters() { return &g_counters; }

void SPPD_ResetFrameStats() {
  g_counters = SPPD_FRAMECOUNTERS{};
  g_frame = 0;
  ClearRecord(&g_stats[0], 0);
  ClearRecord(&g_stats[1], 1);
  SwitchRecords();
}

void SPPD_DrawQueuedLines(SPPD_DRIVERSTATE* s) {
  if (SPPD_LinkUnset(&s->lhQueuedLines)) return;  // a block that was never created
  if (s->pGfx) PLAT_GfxSetTexture(s->pGfx, 0, nullptr);
  for (SPPD_QUEUEDLINE* line : SPPD_LinkRecords<SPPD_QUEUEDLINE>(&s->lhQueuedLines)) {
    SPPD_LinkRemove(&line->link);
    if (s->pGfx) {
      static_assert(sizeof(SPPD_TLVERTEX) == sizeof(PLAT_GfxVertex));
      PLAT_GfxVertex v[2];
      std::memcpy(v, line->v, sizeof v);
      PLAT_GfxDraw(s->pGfx, PLAT_GfxPrimitive::LineStrip, v, 2);
    }
    SPPD_PoolFree(line);
  }
}

int32_t SPPD_BeginScene(SPW_DISPLAY* display) {
  SPPD_DRIVERSTATE* s = SPPD_GetDriverState(display);
  if (!s) {
    PLAT_Trace("GFXDRV: SPPD_BeginScene: no display, driver binding or driver block\n");
    return SPPD_FAIL;
  }
  bool ready = s->fDeviceReady && s->pGfx;
  if (ready) {
    for (auto surface : {PLAT_GfxSurface::Front, PLAT_GfxSurface::Back, PLAT_GfxSurface::ZBuffer})
      if (PLAT_GfxIsLost(s->pGfx, surface)) PLAT_GfxRestore(s->pGfx, surface);
    PLAT_GfxResult r = PLAT_GfxFlip(s->pGfx);
    if (r == PLAT_GfxResult::SurfaceLost) {
      RestoreBuffers(s->pGfx);
    } else if (r != PLAT_GfxResult::Ok) {
      PLAT_Trace("GFXDRV: SPPD_BeginScene: flip failed\n");
      return SPPD_FAIL;
    }
  }
  SPPD_BatchBeginScene(s);
  if (ready) {
    if (PLAT_GfxBeginScene(s->pGfx) != PLAT_GfxResult::Ok) {
      PLAT_Trace("GFXDRV: SPPD_BeginScene: the device refused to begin a scene\n");
      return SPPD_FAIL;
    }
    s->fInScene = 1;
  }
  return SPPD_OK;
}

int32_t SPPD_EndScene(SPW_DISPLAY* display) {
  SPPD_DRIVERSTATE* s = SPPD_GetDriverState(display);
  if (!s) {
    PLAT_Trace("GFXDRV: SPPD_EndScene: no display, driver binding or driver block\n");
    return SPPD_FAIL;
  }
  SPPD_Flush(display);
  SPPD_FlushAlpha(display);
  SPPD_FlushHUD(display);
  SPPD_DrawQueuedLines(s);
  SPPD_BatchEndScene(s);  // buffers drawn this scene are written to again from the next
  if (s->fDeviceReady && s->pGfx && s->fInScene) {
    PLAT_GfxResult r = PLAT_GfxEndScene(s->pGfx);
    s->fInScene = 0;
    if (r != PLAT_GfxResult::Ok) {
      PLAT_Trace("GFXDRV: SPPD_EndScene: the device refused to end the scene\n");
      return SPPD_FAIL;
    }
  }
  s->fInScene = 0;
  const SPPD_FRAMECOUNTERS& c = g_counters;
  AddStatLine("Driver: %s", g_stats[g_frame].szDescription);
  AddStatLine("nt:  %d", static_cast<int>(c.dwOpaqueTriangles));
  AddStatLine("nat: %d", static_cast<int>(c.dwAlphaPolygons));
  AddStatLine("tt:  %d", static_cast<int>(c.dwOpaqueTriangles + c.dwAlphaPolygons));
  AddStatLine("nab: %d", static_cast<int>(c.dwAlphaBlocks));
  AddStatLine("nvb: %d", static_cast<int>(c.dwVertexBuffers));
  SwitchRecords();
  return SPPD_OK;
}

SPPD_VIEWPORT* SPPD_VPGet(SPPD_VIEWPORT* vp, SPW_DISPLAYNODE* node, const float* rect,
                          const float* offset) {
  if (!vp) {
    PLAT_Trace("GFXDRV: SPPD_VPGet: no viewport record\n");
    return nullptr;
  }
  if (!node || !rect || !offset) {
    // Nothing to build from: the record says the node's callbacks do not run.
    PLAT_Trace("GFXDRV: SPPD_VPGet: no node, rectangle or offset\n");
    std::memset(static_cast<void*>(vp), 0, sizeof *vp);
    return vp;
  }
  vp->fWidth = rect[2] - rect[0];
  vp->fHeight = rect[3] - rect[1];
  vp->fX = rect[0] + offset[0];
  vp->fY = rect[1] + offset[1];
  vp->fOffsetX = offset[0];
  vp->fOffsetY = offset[1];
  vp->fLeft = rect[0];
  vp->fTop = rect[1];
  vp->fRight = rect[2];
  vp->fBottom = rect[3];
  vp->dwFlags = SPPD_VIEWPORT_RUN_CALLBACKS;
  vp->pDriverData = SPPD_GetDriverData(node->pDisplay);
  return vp;
}

int32_t SPPD_ClearScreen(SPW_DISPLAYNODE* node, SPPD_VIEWPORT* vp, SGE_DATAREF* /*data*/) {
  if (!node || !vp) return SPPD_FAIL;
  uint32_t flags = ClearFlags(node->fFlags);
  if (!flags) return SPPD_FAIL;
  SPPD_DRIVERDATA* block = vp->pDriverData;
  if (!block || !block->state.pGfx) {
    PLAT_Trace("GFXDRV: SPPD_ClearScreen: the viewport has no device\n");
    return SPPD_FAIL;
  }
  g_lastDeviceResult = PLAT_GfxClear(block->state.pGfx, flags, nullptr, 0, node->dwColour, 1.0f, 0);
  return g_lastDeviceResult == PLAT_GfxResult::Ok ? SPPD_OK : SPPD_FAIL;
}

SPPD_DEBUGINFO* SPPD_GetDebugInfo() { return &g_stats[(g_frame + 1) % 2]; }
