#pragma once
// The driver's own state inside the per-display block, after the host's driver table.
// The host allocates the block at the size SPPD_GetRequirements reports and never reads past
// the table; only the driver touches what follows. Fields keep the order the block has always
// had so that every driver file agrees on it; the types other files own are opaque here.
#include <cstdint>

#include "driver/core/list.h"
#include "platform/guid.h"

struct PLAT_Window;
struct PLAT_GfxDevice;
struct SPPD_POOL;           // memory pools of the driver
struct SPPD_BATCHLIST;      // render batch lists
struct SPPD_TEXTURETABLE;   // texture table
struct SPPD_MATERIALTABLE;  // named material store
struct SPPD_ENUMLISTS;      // device, mode, 3D device, Z and texture format lists (device.h)

constexpr int SPPD_NUM_BATCHLISTS = 13;

// What the driver keeps of the chosen 3D device's capabilities.
struct SPPD_DEVICECAPS {
  uint32_t dwCaps;        // PLAT_GFX_CAP_ bits of the device layer
  uint32_t dwVidMemTotal; // bytes, 0 when unknown
  uint32_t dwMaxTextureWidth;
  uint32_t dwMaxTextureHeight;
};

struct SPPD_DRIVERSTATE {
  // Memory pools: driver, general, texture names, textures.
  SPPD_POOL* pDriverPool;
  SPPD_POOL* pGeneralPool;
  SPPD_POOL* pTextureNamePool;
  SPPD_POOL* pTexturePool;

  // Render batch code: list of batch lists, free buffers, buffers used this scene, free alpha
  // blocks, and its list pointer.
  SPPD_LISTHEAD lhBatchLists;
  SPPD_LISTHEAD lhFreeBuffers;
  SPPD_LISTHEAD lhUsedBuffers;
  SPPD_LISTHEAD lhFreeAlphaBlocks;
  void* pBatchCursor;
  SPPD_BATCHLIST* apBatchLists[SPPD_NUM_BATCHLISTS];

  SPPD_TEXTURETABLE* pTextureTable;
  SPPD_MATERIALTABLE* pMaterialTable;

  // Device preferences and device state.
  PLAT_GUID guidDevice;   // the 3D device (registry value "GFXDRV Driver")
  PLAT_GUID guidDisplay;  // the display device (registry value "DirectDraw")
  int32_t fFullScreen;
  int32_t fAutoMipMap;
  int32_t fDeviceReady;
  int32_t fPalette;
  int32_t fInScene;
  int32_t fLowResTextures;
  int32_t fLowResEffectTextures;
  int32_t nWidth;
  int32_t nHeight;
  int32_t nBPP;
  int32_t nZDepth;
  int32_t nTBPP;
  SPPD_DEVICECAPS caps;
  // Stands for the display, 3D and device interfaces, the clipper and the front, back and Z
  // surfaces: the device layer owns all of them.
  PLAT_GfxDevice* pGfx;
  PLAT_Window* pWindow;
  SPPD_ENUMLISTS* pLists;  // enumeration lists and their chosen entries

  // Screen lines queued outside a scene, drawn at the end of the next one.
  SPPD_LISTHEAD lhQueuedLines;
};
