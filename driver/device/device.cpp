// Device creation and destruction behind a display, and the display-mode exports.
#include "driver/device/device.h"

#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <new>

#include "driver/batch/lists.h"
#include "driver/core/block.h"
#include "driver/core/deviceresult.h"
#include "driver/device/frame.h"
#include "driver/core/lasterror.h"
#include "driver/core/pools.h"
#include "driver/device/prefs.h"
#include "driver/node/node.h"
#include "driver/video/video.h"
#include "engine/display/display.h"
#include "platform/trace.h"

namespace {

using G = PLAT_GfxState;

bool IsZeroGuid(const PLAT_GUID& g) {
  static const PLAT_GUID zero{};
  return PLAT_GuidEqual(g, zero);
}

// Length of the run of one bits from the lowest set bit.
int32_t RunLength(uint32_t mask) {
  if (!mask) return 0;
  while (!(mask & 1)) mask >>= 1;
  int32_t n = 0;
  while (mask & 1) {
    ++n;
    mask >>= 1;
  }
  return n;
}

// Entries go in at the head, as the enumeration callbacks have always added them: a list
// holds the reverse of the reported order, and "the first" or "the head" of it means that.
template <typename T>
void PutAtHead(std::vector<T>* list, const T& entry) {
  list->insert(list->begin(), entry);
}

uint32_t DepthBit(int32_t bits) {
  switch (bits) {
    case 1: return PLAT_GFX_DEPTH_1;
    case 2: return PLAT_GFX_DEPTH_2;
    case 4: return PLAT_GFX_DEPTH_4;
    case 8: return PLAT_GFX_DEPTH_8;
    case 16: return PLAT_GFX_DEPTH_16;
    case 24: return PLAT_GFX_DEPTH_24;
    case 32: return PLAT_GFX_DEPTH_32;
    default: return 0;
  }
}

}  // namespace

int32_t SPPD_GFXDRV_EnumDisplays(SPPD_ENUMLISTS* lists) {
  lists->displays.clear();
  PLAT_GfxDisplayDevice devs[PLAT_GFX_MAX_DISPLAYS];
  int n = PLAT_GfxEnumDisplayDevices(devs, PLAT_GFX_MAX_DISPLAYS);
  if (n < 0) {
    SPPD_SetLastError("Installation or setup failure (%s)\nin(manage_gfxdrv:SPPD_GFXDRV_EnumDirectDraw)",
                      SPPD_ErrorDescription(PLAT_GfxResult::Failed));
    return SPPD_FAIL;
  }
  for (int i = 0; i < n && i < PLAT_GFX_MAX_DISPLAYS; ++i) {
    SPPD_DISPLAYENTRY e{};
    e.guid = IsZeroGuid(devs[i].guid) ? SPPD_PRIMARY_DISPLAY_GUID : devs[i].guid;
    std::snprintf(e.description, sizeof e.description, "%s", devs[i].description);
    std::snprintf(e.driverName, sizeof e.driverName, "%s", devs[i].driverName);
    PutAtHead(&lists->displays, e);
  }
  return SPPD_OK;
}

PLAT_GUID SPPD_GFXDRV_LayerDisplay(const PLAT_GUID& display) {
  return PLAT_GuidEqual(display, SPPD_PRIMARY_DISPLAY_GUID) ? PLAT_GUID{} : display;
}

int32_t SPPD_GFXDRV_EnumDisplayModes(SPPD_ENUMLISTS* lists, const PLAT_GUID& layerDisplay) {
  lists->modes.clear();
  PLAT_GfxDisplayMode modes[PLAT_GFX_MAX_MODES];
  int n = PLAT_GfxEnumDisplayModes(layerDisplay, modes, PLAT_GFX_MAX_MODES);
  if (n < 0) {
    SPPD_SetLastError("Display enumeration failed (%s)\nin(manage_gfxdrv:SPPD_GFXDRV_EnumDisplayModes)",
                      SPPD_ErrorDescription(PLAT_GfxResult::Failed));
    return SPPD_FAIL;
  }
  for (int i = 0; i < n && i < PLAT_GFX_MAX_MODES; ++i)
    lists->modes.push_back({modes[i].width, modes[i].height, modes[i].bpp, 0});
  return SPPD_OK;
}

int32_t SPPD_GFXDRV_EnumDevices(SPPD_ENUMLISTS* lists, const PLAT_GUID& layerDisplay) {
  lists->devices.clear();
  PLAT_Gfx3DDevice devs[PLAT_GFX_MAX_3D_DEVICES];
  int n = PLAT_GfxEnum3DDevices(layerDisplay, devs, PLAT_GFX_MAX_3D_DEVICES);
  for (int i = 0; i < n && i < PLAT_GFX_MAX_3D_DEVICES; ++i) {
    SPPD_DEVICEENTRY e{};
    e.desc = devs[i];
    e.hwRasterization = (devs[i].caps & PLAT_GFX_CAP_HWRASTERIZATION) ? 1 : 0;
    e.hwTransformLight = (devs[i].caps & PLAT_GFX_CAP_HWTRANSFORMLIGHT) ? 1 : 0;
    e.zBuffer = (devs[i].caps & PLAT_GFX_CAP_ZBUFFER) ? 1 : 0;
    PutAtHead(&lists->devices, e);
  }
  if (n < 0 || lists->devices.empty()) {
    SPPD_SetLastError("Unable to enumerate DX7 D3D devices, check DX7 installation.\n(%s)",
                      SPPD_ErrorDescription(PLAT_GfxResult::Failed));
    return SPPD_FAIL;
  }
  return SPPD_OK;
}

void SPPD_GFXDRV_ChooseDevice(SPPD_DRIVERSTATE* s) {
  SPPD_ENUMLISTS* L = s->pLists;
  L->chosenDevice = 0;
  for (size_t i = 0; i < L->devices.size(); ++i) {
    if (PLAT_GuidEqual(L->devices[i].desc.guid, s->guidDevice)) {
      L->chosenDevice = static_cast<int32_t>(i);
      return;
    }
  }
  if (!L->devices.empty()) s->guidDevice = L->devices[0].desc.guid;
}

namespace {

int32_t CurrentMode(PLAT_GfxDisplayMode* m) {
  if (PLAT_GfxGetCurrentMode(m)) return SPPD_OK;
  SPPD_SetLastError("Getting the current display mode failed (%s)\nin(manage_gfxdrv:SPPD_GFXDRV_RememberWindowsMode)",
                    SPPD_ErrorDescription(PLAT_GfxResult::Failed));
  return SPPD_FAIL;
}

}  // namespace

void SPPD_GFXDRV_FilterModes(SPPD_ENUMLISTS* lists, const PLAT_Gfx3DDevice& dev, int32_t bpp) {
  uint32_t depths = dev.renderBitDepths;
  uint32_t usableDepths = depths;
  if (bpp == 16) usableDepths &= PLAT_GFX_DEPTH_16;
  else if (bpp == 32) usableDepths &= PLAT_GFX_DEPTH_32;
  std::vector<SPPD_MODEENTRY> kept;
  for (SPPD_MODEENTRY m : lists->modes) {
    uint32_t bit = m.bpp == 32 ? PLAT_GFX_DEPTH_32 : m.bpp == 24 ? PLAT_GFX_DEPTH_24
                 : m.bpp == 16 ? PLAT_GFX_DEPTH_16 : 0;
    if (!(depths & bit)) continue;
    m.usable = (usableDepths & bit) ? 1 : 0;
    kept.push_back(m);
  }
  lists->modes.swap(kept);
}

int32_t SPPD_GFXDRV_EnumZFormats(SPPD_ENUMLISTS* lists, const PLAT_Gfx3DDevice& dev) {
  lists->zFormats.clear();
  PLAT_GfxPixelFormat f[PLAT_GFX_MAX_FORMATS];
  int n = PLAT_GfxEnumZFormats(dev.guid, f, PLAT_GFX_MAX_FORMATS);
  if (n < 0) {
    SPPD_SetLastError("Failure to enumerate z buffer formats (%s)\nin(manage_gfxdrv:SPPD_GFXDRV_EnumZFormats)",
                      SPPD_ErrorDescription(PLAT_GfxResult::Failed));
    return SPPD_FAIL;
  }
  for (int i = 0; i < n && i < PLAT_GFX_MAX_FORMATS; ++i) {
    SPPD_ZFORMATENTRY e{};
    e.format = f[i];
    e.zBits = static_cast<int32_t>(f[i].bitCount);
    e.stencilBits = static_cast<int32_t>(f[i].stencilBits);
    e.depthNoStencil = e.zBits - e.stencilBits;
    uint32_t bit = DepthBit(e.zBits);
    e.usable = bit && (dev.zBufferBitDepths & bit) ? 1 : 0;
    PutAtHead(&lists->zFormats, e);
  }
  return SPPD_OK;
}

namespace {

int32_t EnumTextureFormats(SPPD_DRIVERSTATE* s, const PLAT_Gfx3DDevice& dev) {
  SPPD_ENUMLISTS* lists = s->pLists;
  lists->texFormats.clear();
  PLAT_GfxPixelFormat f[PLAT_GFX_MAX_FORMATS];
  int n = PLAT_GfxEnumTextureFormats(dev.guid, f, PLAT_GFX_MAX_FORMATS);
  if (n < 0) {
    SPPD_SetLastError("Enumeration of texture formats failed (%s)\nin(manage_gfxdrv:SPPD_GFXDRV_CreateDevice)",
                      SPPD_ErrorDescription(PLAT_GfxResult::Failed));
    return SPPD_FAIL;
  }
  for (int i = 0; i < n && i < PLAT_GFX_MAX_FORMATS; ++i) {
    SPPD_TEXFORMATENTRY e{};
    e.format = f[i];
    bool palettised = (f[i].flags & PLAT_GFX_PF_PALETTEINDEXED8) != 0;
    if (s->fPalette == 1) {
      if (!palettised) continue;
      e.paletteBits = 8;
      e.palettised = 1;
    } else {
      if (palettised || !(f[i].flags & PLAT_GFX_PF_RGB) ||
          static_cast<int32_t>(f[i].bitCount) != s->nTBPP)
        continue;
      e.rBits = RunLength(f[i].rMask);
      e.gBits = RunLength(f[i].gMask);
      e.bBits = RunLength(f[i].bMask);
      e.aBits = (f[i].flags & PLAT_GFX_PF_ALPHAPIXELS) ? RunLength(f[i].aMask) : 0;
    }
    PutAtHead(&lists->texFormats, e);
  }
  return SPPD_OK;
}

bool Supports32BitTextures(const PLAT_GUID& device) {
  PLAT_GfxPixelFormat f[PLAT_GFX_MAX_FORMATS];
  int n = PLAT_GfxEnumTextureFormats(device, f, PLAT_GFX_MAX_FORMATS);
  if (n < 0) {
    SPPD_SetLastError("Enumeration of texture formats failed (%s)\nin(manage_gfxdrv:SPPD_GFXDRV_DoesSupport32BitTextures)",
                      SPPD_ErrorDescription(PLAT_GfxResult::Failed));
    return false;
  }
  for (int i = 0; i < n && i < PLAT_GFX_MAX_FORMATS; ++i)
    if (!(f[i].flags & PLAT_GFX_PF_PALETTEINDEXED8) && f[i].bitCount == 32) return true;
  return false;
}

int32_t CreateBuffers(SPPD_DRIVERSTATE* s) {
  PLAT_GfxResult why = PLAT_GfxResult::Failed;
  s->pGfx = PLAT_GfxCreateDevice(s->pWindow, {s->nWidth, s->nHeight, s->nBPP, true}, &why);
  if (s->pGfx) return SPPD_OK;
  if (why == PLAT_GfxResult::OutOfMemory)
    SPPD_SetLastError("There was not enough video memory to create the rendering surface.\n"
                      "Please restart the program and try another fullscreen mode with less "
                      "resolution or lower bit depth.");
  else
    SPPD_SetLastError("CreateSurface for fullscreen flipping surface failed (%s)\nin(manage_gfxdrv:SPPD_GFXDRV_CreateBuffers)",
                      SPPD_ErrorDescription(why));
  return SPPD_FAIL;
}

int32_t CreateZBuffer(SPPD_DRIVERSTATE* s) {
  const SPPD_DEVICEENTRY& dev = s->pLists->devices[s->pLists->chosenDevice];
  if (!dev.zBuffer) return SPPD_OK;
  PLAT_GfxResult r = PLAT_GfxCreateZBuffer(s->pGfx, s->pLists->zFormats[s->pLists->chosenZFormat].format);
  if (r == PLAT_GfxResult::Ok) return SPPD_OK;
  if (r == PLAT_GfxResult::OutOfMemory)
    SPPD_SetLastError("There was not enough video memory to create the Z-buffer surface.\n"
                      "To run this program in a window of this size, please adjust your display "
                      "settings for a smaller desktop area or a lower palette size and restart "
                      "the program");
  else
    SPPD_SetLastError("CreateSurface for Z-buffer failed (%s)\nin(manage_gfxdrv:SPPD_GFXDRV_CreateZBuffer)",
                      SPPD_ErrorDescription(r));
  return SPPD_FAIL;
}

}  // namespace

void SPPD_GFXDRV_DefaultStates(SPPD_DRIVERSTATE* s) {
  PLAT_GfxDevice* d = s->pGfx;
  PLAT_GfxSetState(d, G::FogEnable, 1);
  PLAT_GfxSetState(d, G::FogTableMode, PLAT_GFX_FOG_NONE);
  PLAT_GfxSetState(d, G::FogColor, SPPD_DEFAULT_FOG_COLOUR);
  PLAT_GfxSetState(d, G::FogStart, PLAT_FloatBits(0.0f));
  PLAT_GfxSetState(d, G::FogEnd, PLAT_FloatBits(0.3f));
  PLAT_GfxSetState(d, G::FogDensity, PLAT_FloatBits(0.3f));
  PLAT_GfxSetState(d, G::AlphaBlendEnable, 1);
  PLAT_GfxSetState(d, G::CullMode, PLAT_GFX_CULL_NONE);
  PLAT_GfxSetState(d, G::ZEnable, 0);
  if (s->pLists->devices[s->pLists->chosenDevice].zBuffer) PLAT_GfxSetState(d, G::ZEnable, 1);
  PLAT_GfxSetState(d, G::ZWriteEnable, 1);
  PLAT_GfxSetState(d, G::ZFunc, PLAT_GFX_CMP_LESSEQUAL);
  PLAT_GfxSetState(d, G::ZBias, 0);
  PLAT_GfxSetState(d, G::Lighting, 0);
  PLAT_GfxSetState(d, G::Extents, 0);
  PLAT_GfxSetState(d, G::Ambient, 0);
}

namespace {

// The cleared state with its pools, its window and the defaults the preferences then override.
int32_t InitState(SPPD_DRIVERSTATE* s, PLAT_Window* window) {
  std::memset(static_cast<void*>(s), 0, sizeof *s);
  if (SPPD_CreatePools(s) != SPPD_OK) return SPPD_FAIL;
  s->pWindow = window;
  s->fFullScreen = 1;
  s->nWidth = SPPD_DEFAULT_WIDTH;
  s->nHeight = SPPD_DEFAULT_HEIGHT;
  s->nBPP = SPPD_DEFAULT_BPP;
  s->nTBPP = SPPD_DEFAULT_TBPP;
  s->nZDepth = SPPD_DEFAULT_ZDEPTH;
  s->fAutoMipMap = 0;
  s->fInScene = 0;
  for (SPPD_LISTHEAD* h : {&s->lhBatchLists, &s->lhFreeBuffers, &s->lhUsedBuffers,
                           &s->lhFreeAlphaBlocks, &s->lhQueuedLines})
    SPPD_LinkInit(h);
  return SPPD_OK;
}

int32_t ReadPreferences(SPPD_DRIVERSTATE* s) {
  if (SPPD_ReadPreferences(s) == SPPD_OK) return SPPD_OK;
  PLAT_Trace("GFXDRV: SPPD_GFXDRV_Create: no stored preferences\n");
  return SPPD_FAIL;
}

int32_t MakeLists(SPPD_DRIVERSTATE* s) {
  s->pLists = new (std::nothrow) SPPD_ENUMLISTS;
  if (s->pLists) return SPPD_OK;
  SPPD_SetLastError("Out of memory for the device lists\nin(manage_gfxdrv:SPPD_GFXDRV_Create)");
  return SPPD_FAIL;
}

// The listed display of the preferred GUID; one that is not installed fails without a message.
int32_t ChooseDisplay(SPPD_DRIVERSTATE* s) {
  SPPD_ENUMLISTS* L = s->pLists;
  if (SPPD_GFXDRV_EnumDisplays(L) != SPPD_OK) return SPPD_FAIL;
  for (size_t i = 0; i < L->displays.size(); ++i)
    if (PLAT_GuidEqual(L->displays[i].guid, s->guidDisplay)) L->chosenDisplay = static_cast<int32_t>(i);
  if (L->chosenDisplay >= 0) return SPPD_OK;
  PLAT_Trace("GFXDRV: SPPD_GFXDRV_Create: the preferred display device is not installed\n");
  return SPPD_FAIL;
}

PLAT_GUID ChosenLayerDisplay(const SPPD_DRIVERSTATE* s) {
  return SPPD_GFXDRV_LayerDisplay(s->pLists->displays[s->pLists->chosenDisplay].guid);
}

// The listed mode of the stored width, height and depth; -1 for none.
int32_t StoredMode(const SPPD_DRIVERSTATE* s) {
  const std::vector<SPPD_MODEENTRY>& modes = s->pLists->modes;
  for (size_t i = 0; i < modes.size(); ++i)
    if (modes[i].width == s->nWidth && modes[i].height == s->nHeight && modes[i].bpp == s->nBPP)
      return static_cast<int32_t>(i);
  return -1;
}

// The display's modes, which must offer the stored one.
int32_t ListModes(SPPD_DRIVERSTATE* s) {
  if (SPPD_GFXDRV_EnumDisplayModes(s->pLists, ChosenLayerDisplay(s)) != SPPD_OK) return SPPD_FAIL;
  if (StoredMode(s) >= 0) return SPPD_OK;
  SPPD_SetLastError("The display does not offer the stored mode %dx%d at %d bits per pixel\n"
                    "in(manage_gfxdrv:SPPD_GFXDRV_Create)",
                    s->nWidth, s->nHeight, s->nBPP);
  return SPPD_FAIL;
}

const PLAT_Gfx3DDevice& ChosenDevice(const SPPD_DRIVERSTATE* s) {
  return s->pLists->devices[s->pLists->chosenDevice].desc;
}

// The preferred 3D device of the display, and the capabilities it reports.
int32_t ChooseDevice(SPPD_DRIVERSTATE* s) {
  if (SPPD_GFXDRV_EnumDevices(s->pLists, ChosenLayerDisplay(s)) != SPPD_OK) return SPPD_FAIL;
  SPPD_GFXDRV_ChooseDevice(s);
  const PLAT_Gfx3DDevice& dev = ChosenDevice(s);
  s->caps = {dev.caps, 0, dev.maxTextureWidth, dev.maxTextureHeight};
  return SPPD_OK;
}

// The stored mode among those the device renders into, which must be usable.
int32_t ChooseMode(SPPD_DRIVERSTATE* s) {
  SPPD_ENUMLISTS* L = s->pLists;
  SPPD_GFXDRV_FilterModes(L, ChosenDevice(s), s->nBPP);
  L->chosenMode = StoredMode(s);
  if (L->chosenMode >= 0 && L->modes[L->chosenMode].usable) return SPPD_OK;
  SPPD_SetLastError("The 3D device cannot draw in the stored mode %dx%d at %d bits per pixel\n"
                    "in(manage_gfxdrv:SPPD_GFXDRV_Create)",
                    s->nWidth, s->nHeight, s->nBPP);
  return SPPD_FAIL;
}

// The first usable Z format of the Z depth, lowered first to the display's depth.
int32_t ChooseZFormat(SPPD_DRIVERSTATE* s) {
  PLAT_GfxDisplayMode current;
  if (CurrentMode(&current) != SPPD_OK) return SPPD_FAIL;
  if (s->nZDepth > current.bpp) {
    PLAT_Trace("GFXDRV: Z depth %d lowered to the display's %d bits\n", s->nZDepth, current.bpp);
    s->nZDepth = current.bpp;
  }
  SPPD_ENUMLISTS* L = s->pLists;
  if (SPPD_GFXDRV_EnumZFormats(L, ChosenDevice(s)) != SPPD_OK) return SPPD_FAIL;
  for (size_t i = 0; i < L->zFormats.size() && L->chosenZFormat < 0; ++i)
    if (L->zFormats[i].usable && L->zFormats[i].zBits == s->nZDepth) L->chosenZFormat = static_cast<int32_t>(i);
  if (L->chosenZFormat >= 0) return SPPD_OK;
  PLAT_Trace("GFXDRV: SPPD_GFXDRV_Create: no usable %d-bit Z format\n", s->nZDepth);
  return SPPD_FAIL;
}

// The texture depth the device takes (16 bits without 32-bit textures, saved), and its formats.
int32_t ChooseTextureFormats(SPPD_DRIVERSTATE* s) {
  if (!Supports32BitTextures(s->guidDevice) && s->nTBPP >= 17) {
    s->nTBPP = 16;
    SPPD_SavePreferences(s);
  }
  return EnumTextureFormats(s, ChosenDevice(s));
}

void MakeReady(SPPD_DRIVERSTATE* s) {
  s->fDeviceReady = 1;
  PLAT_GfxSetViewport(s->pGfx, {0, 0, s->nWidth, s->nHeight, 0.0f, 1.0f});
  SPPD_GFXDRV_DefaultStates(s);
  SPPD_EnableTexturePreLoad(1);
}

}  // namespace

int32_t SPPD_GFXDRV_Create(SPPD_DRIVERSTATE* s, PLAT_Window* window) {
  PLAT_GfxDisplayMode desktop;
  if (InitState(s, window) != SPPD_OK) return SPPD_FAIL;
  if (ReadPreferences(s) != SPPD_OK) return SPPD_FAIL;
  if (MakeLists(s) != SPPD_OK) return SPPD_FAIL;
  if (ChooseDisplay(s) != SPPD_OK) return SPPD_FAIL;
  if (CurrentMode(&desktop) != SPPD_OK) return SPPD_FAIL;  // the display must report its mode
  if (ListModes(s) != SPPD_OK) return SPPD_FAIL;
  if (ChooseDevice(s) != SPPD_OK) return SPPD_FAIL;
  if (ChooseMode(s) != SPPD_OK) return SPPD_FAIL;
  if (CreateBuffers(s) != SPPD_OK) return SPPD_FAIL;
  if (ChooseZFormat(s) != SPPD_OK) return SPPD_FAIL;
  if (CreateZBuffer(s) != SPPD_OK) return SPPD_FAIL;
  if (ChooseTextureFormats(s) != SPPD_OK) return SPPD_FAIL;
  MakeReady(s);
  return SPPD_OK;
}

int32_t SPPD_GFXDRV_Destroy(SPPD_DRIVERSTATE* s) {
  int32_t result = SPPD_OK;
  if (s->pGfx) {
    PLAT_GfxEvictManagedTextures(s->pGfx);
    // Giving the window back restores the desktop's mode.
    PLAT_GfxDestroyDevice(s->pGfx);
    s->pGfx = nullptr;
  }
  delete s->pLists;
  s->pLists = nullptr;
  SPPD_ReleasePools(s);
  s->fDeviceReady = 0;
  s->fInScene = 0;
  return result;
}

int32_t SPPD_Create(SPW_DISPLAY* display, PLAT_Window* window) {
  SPPD_DRIVERSTATE* s = SPPD_GetDriverState(display);
  if (!s) {
    PLAT_Trace("GFXDRV: SPPD_Create: no display, driver binding or driver block\n");
    return SPPD_FAIL;
  }
  SPPD_ResetFrameStats();
  if (SPPD_GFXDRV_Create(s, window) != SPPD_OK) {
    SPPD_GFXDRV_Destroy(s);
    return SPPD_FAIL;
  }
  // The texture table is made on first use, from the pools made above.
  if (SPPD_BatchCreateLists(s) != SPPD_OK) {
    // The lists made so far live in the pools: unhook them before the pools go, or a later
    // destroy would walk freed memory.
    SPPD_BatchDestroy(s);
    SPPD_GFXDRV_Destroy(s);
    return SPPD_FAIL;
  }
  s->fLowResTextures = 0;
  s->fLowResEffectTextures = 1;
  SPPD_NodeReset();
  return SPPD_OK;
}

int32_t SPPD_Destroy(SPW_DISPLAY* display) {
  SPPD_DRIVERSTATE* s = SPPD_GetDriverState(display);
  if (!s) {
    PLAT_Trace("GFXDRV: SPPD_Destroy: no display, driver binding or driver block\n");
    return SPPD_FAIL;
  }
  SPPD_VideoDestroyAll(display);
  if (s->pGfx) SPPD_PurgeTextures(display);
  SPPD_NodeForget(s);
  SPPD_BatchDestroy(s);
  return SPPD_GFXDRV_Destroy(s);
}

int32_t SPPD_Modify(SPW_DISPLAY* display, SPPD_MODE* mode, PLAT_Window* window, uint32_t mask) {
  SPPD_DRIVERSTATE* s = SPPD_GetDriverState(display);
  if (!s) {
    PLAT_Trace("GFXDRV: SPPD_Modify: no display, driver binding or driver block\n");
    return SPPD_FAIL;
  }
  SPPD_MODE a{};
  int32_t r = SPPD_GetDefaultMode(&a);
  if (r != SPPD_OK) return r;
  SPPD_MODE b = a;
  if (!mode && !(mask & SPPD_MODIFY_STORED_MODE)) {
    PLAT_Trace("GFXDRV: SPPD_Modify: no mode record, and mask 0x%x does not ask for the stored "
               "mode\n", mask);
    return SPPD_FAIL;
  }
  if (mode) {
    if (mask & SPPD_MODIFY_WIDTH) b.Width = mode->Width;
    if (mask & SPPD_MODIFY_HEIGHT) b.Height = mode->Height;
    if (mask & SPPD_MODIFY_BPP) b.BPP = mode->BPP;
    if (mask & SPPD_MODIFY_TBPP) b.TBPP = mode->TBPP;
    if (mask & SPPD_MODIFY_FULLSCREEN) b.FullScreen = mode->FullScreen;
  }
  auto store = [s](const SPPD_MODE& m) {
    s->nWidth = m.Width;
    s->nHeight = m.Height;
    s->nBPP = m.BPP;
    s->nTBPP = m.TBPP;
    s->fFullScreen = m.FullScreen;
    SPPD_SavePreferences(s);
  };
  if (!(mask & SPPD_MODIFY_NO_SAVE)) store(b);
  int32_t result = SPPD_OK;
  if (!(mask & SPPD_MODIFY_NO_RECREATE)) {
    display->fWidth = static_cast<float>(b.Width);
    display->fHeight = static_cast<float>(b.Height);
    display->fInvWidth = b.Width ? 1.0f / static_cast<float>(b.Width) : 0.0f;
    display->fInvHeight = b.Height ? 1.0f / static_cast<float>(b.Height) : 0.0f;
    if (s->pGfx) PLAT_GfxEvictManagedTextures(s->pGfx);
    SPPD_Destroy(display);
    result = SPPD_Create(display, window);
    if (result != SPPD_OK) SPPD_Destroy(display);
  }
  if (mask & SPPD_MODIFY_RESTORE_PREFS) store(a);
  return result;
}

int32_t* SPPD_GetDisplayMode(SPW_DISPLAY* display, int32_t index, int32_t* out, int32_t usableOnly) {
  SPPD_DRIVERSTATE* s = SPPD_GetDriverState(display);
  if (!s || !s->pLists || !out || index < 0) return nullptr;
  int32_t n = 0;
  for (const SPPD_MODEENTRY& m : s->pLists->modes) {
    if (usableOnly == 1 && !m.usable) continue;
    if (n++ == index) {
      out[0] = m.width;
      out[1] = m.height;
      out[2] = m.bpp;
      out[3] = s->nTBPP;
      return out;
    }
  }
  return nullptr;
}

int32_t SPPD_DoesSupport32BitTextures(SPW_DISPLAY* display) {
  SPPD_DRIVERSTATE* s = SPPD_GetDriverState(display);
  if (!s) {
    PLAT_Trace("GFXDRV: SPPD_DoesSupport32BitTextures: no driver block\n");
    return 0;
  }
  return Supports32BitTextures(s->guidDevice) ? 1 : 0;
}
