#pragma once
// driver/device: the OpenGL device, display modes and preferences, frames and render states.
//
// Device creation, destruction and the enumeration lists behind a display.
#include <cstdint>
#include <vector>

#include "driver/core/state.h"
#include "platform/gfx/gfx.h"

// The primary display is listed under this marker, since it is reported with no identity.
constexpr PLAT_GUID SPPD_PRIMARY_DISPLAY_GUID = {
    0x246C510F, 0x1813, 0x11D3, {0xA1, 0xCE, 0x00, 0x00, 0x01, 0x21, 0x97, 0x38}};

// Defaults put in the state before the preferences are read.
constexpr int32_t SPPD_DEFAULT_WIDTH = 640;
constexpr int32_t SPPD_DEFAULT_HEIGHT = 480;
constexpr int32_t SPPD_DEFAULT_BPP = 16;
constexpr int32_t SPPD_DEFAULT_TBPP = 16;
constexpr int32_t SPPD_DEFAULT_ZDEPTH = 32;
constexpr uint32_t SPPD_DEFAULT_FOG_COLOUR = 0xCA6138;

struct SPPD_DISPLAYENTRY {
  PLAT_GUID guid;  // SPPD_PRIMARY_DISPLAY_GUID for the primary display
  char description[128];
  char driverName[64];
};

struct SPPD_MODEENTRY {
  int32_t width, height, bpp;
  int32_t usable;
};

struct SPPD_DEVICEENTRY {
  PLAT_Gfx3DDevice desc;
  int32_t hwRasterization;
  int32_t hwTransformLight;
  int32_t zBuffer;
};

struct SPPD_ZFORMATENTRY {
  PLAT_GfxPixelFormat format;
  int32_t zBits;          // Z bit depth, stencil included
  int32_t stencilBits;
  int32_t depthNoStencil;
  int32_t usable;
};

struct SPPD_TEXFORMATENTRY {
  PLAT_GfxPixelFormat format;
  int32_t rBits, gBits, bBits, aBits;
  int32_t paletteBits;  // 8 for the palettised format
  int32_t palettised;
};

// Each list holds the reverse of the order its entries were reported in, except the display
// modes, which stay in reported order. Chosen entries are indices, -1 for none.
struct SPPD_ENUMLISTS {
  std::vector<SPPD_DISPLAYENTRY> displays;
  std::vector<SPPD_MODEENTRY> modes;
  std::vector<SPPD_DEVICEENTRY> devices;
  std::vector<SPPD_ZFORMATENTRY> zFormats;
  std::vector<SPPD_TEXFORMATENTRY> texFormats;
  int32_t chosenDisplay = -1;
  int32_t chosenMode = -1;
  int32_t chosenDevice = -1;
  int32_t chosenZFormat = -1;
};

// The whole device creation of a display's state; on -1 the last error says why and the caller
// runs SPPD_GFXDRV_Destroy.
int32_t SPPD_GFXDRV_Create(SPPD_DRIVERSTATE* state, PLAT_Window* window);
// Releases the device, the lists and the pools; 1, or -1 when giving the display back failed.
int32_t SPPD_GFXDRV_Destroy(SPPD_DRIVERSTATE* state);

// Sets the default render states of a new device.
void SPPD_GFXDRV_DefaultStates(SPPD_DRIVERSTATE* state);

// The enumeration steps of device creation, which the configuration wizard runs on lists of
// its own. Each fills its list afresh; -1 with the last error set when the layer refuses.
int32_t SPPD_GFXDRV_EnumDisplays(SPPD_ENUMLISTS* lists);
// The device layer's name of a listed display: the primary display marker is its no-GUID.
PLAT_GUID SPPD_GFXDRV_LayerDisplay(const PLAT_GUID& display);
int32_t SPPD_GFXDRV_EnumDisplayModes(SPPD_ENUMLISTS* lists, const PLAT_GUID& layerDisplay);
int32_t SPPD_GFXDRV_EnumDevices(SPPD_ENUMLISTS* lists, const PLAT_GUID& layerDisplay);
// Chooses the 3D device of state->guidDevice in state->pLists, or the list's head, whose GUID
// then becomes the preferred one.
void SPPD_GFXDRV_ChooseDevice(SPPD_DRIVERSTATE* state);
// Keeps the modes the device renders into, in reported order, and marks those of the depth
// bpp usable (every kept one for a depth other than 16 or 32).
void SPPD_GFXDRV_FilterModes(SPPD_ENUMLISTS* lists, const PLAT_Gfx3DDevice& device, int32_t bpp);
// Lists the device's Z formats, usable when the device takes their depth.
int32_t SPPD_GFXDRV_EnumZFormats(SPPD_ENUMLISTS* lists, const PLAT_Gfx3DDevice& device);
