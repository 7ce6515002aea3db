// Binding the driver table and making the display the driver draws on.
#include <cstring>

#include "engine/display/display.h"
#include "engine/driver/driverbind.h"
#include "engine/input/koinput.h"
#include "engine/kernel/kernel.h"
#include "engine/memory/memblock.h"
#include "platform/dynlib.h"
#include "platform/trace.h"

namespace {

// Used when the driver has no stored mode: the size the device would be created at.
constexpr SPPD_MODE kFallbackMode = {640, 480, 16, 16, 1};

}  // namespace

int32_t SPW_BindDriverTable(PLAT_Library* module, SPPD_DRIVERTABLE* out) {
  if (!out) {
    PLAT_Trace("VNMAIN: SPW_BindDriverTable: no table to fill\n");
    return 0;
  }
  *out = SPPD_DRIVERTABLE{};
  if (!module) {
    PLAT_Trace("VNMAIN: SPW_BindDriverTable: no driver library\n");
    return 0;
  }
  SPPD_DRIVERTABLE table{};
  const char* missing = nullptr;
#define VN_BIND_SLOT(slot, Name)                                                           \
  table.SPPD_##Name =                                                                      \
      reinterpret_cast<SPPD_PFN_##Name>(PLAT_FindSymbol(module, SPPD_SlotNames[slot]));    \
  if (!table.SPPD_##Name && !missing) missing = SPPD_SlotNames[slot];
  SPPD_TABLE_SLOTS(VN_BIND_SLOT)
#undef VN_BIND_SLOT
  if (missing) {
    PLAT_Trace("VNMAIN: the driver does not export %s\n", missing);
    return 0;
  }
  *out = table;
  return 1;
}

int32_t SPW_DisplayBeginFrame(SPW_DISPLAY* display, SGE_DATAREF* /*data*/) {
  SPPD_DRIVERTABLE* drv = SPW_GetDisplayDriver(display);
  if (!drv) return -1;
  drv->SPPD_EndScene(display);
  drv->SPPD_BeginScene(display);
  return 1;
}

int32_t SPW_DisplayCheckDriver(SPW_DISPLAY* display, SGE_DATAREF* /*data*/) {
  return SPW_GetDisplayDriver(display) ? 1 : -1;
}

SPW_DISPLAY* SPW_BindDriver(PLAT_Window* window, PLAT_Library* module) {
  SPPD_DRIVERTABLE table{};
  if (SPW_BindDriverTable(module, &table) != 1) return nullptr;

  const int32_t size = table.SPPD_GetRequirements();
  SPPD_MODE mode = kFallbackMode;
  if (table.SPPD_GetDefaultMode(&mode) != SPPD_OK || mode.Width <= 0 || mode.Height <= 0) {
    PLAT_Trace("VNMAIN: the driver has no stored mode, using %dx%d\n", kFallbackMode.Width,
               kFallbackMode.Height);
    mode = kFallbackMode;
  }
  // The table is copied to the start of the block: a smaller block would be overrun.
  if (size < static_cast<int32_t>(sizeof(SPPD_DRIVERTABLE))) {
    PLAT_Trace("VNMAIN: SPW_BindDriver: driver block of %d bytes cannot hold the table\n", size);
    return nullptr;
  }
  void* block = SGE_MemCalloc(SGE_TaskMem, static_cast<uint32_t>(size));
  if (!block) {
    PLAT_Trace("VNMAIN: SPW_BindDriver: no room for the %d-byte driver block\n", size);
    return nullptr;
  }
  SGE_DATAREF* ref = SGE_CreateDataRef(block, size);
  if (!ref) {
    SGE_MemFree(block);
    PLAT_Trace("VNMAIN: SPW_BindDriver: no data record for the driver block\n");
    return nullptr;
  }
  std::memcpy(block, &table, sizeof table);

  SPW_DISPLAY* display =
      SPW_CreateDisplay(0, static_cast<uint32_t>(mode.Width), static_cast<uint32_t>(mode.Height),
                        table.SPPD_VPGet, table.SPPD_VPSet, ref);
  SGE_ReleaseDataRef(ref);  // the display holds the block from here on, or nobody does
  if (!display) {
    PLAT_Trace("VNMAIN: SPW_BindDriver: cannot create the display\n");
    return nullptr;
  }
  display->hModule = module;
  if (!SPW_AddDisplayCallback(display, SPW_DisplayBeginFrame, 0, nullptr) ||
      !SPW_AddDisplayCallback(display, SPW_DisplayCheckDriver, SPW_DISPLAYCB_AFTER_NODES,
                              nullptr)) {
    PLAT_Trace("VNMAIN: SPW_BindDriver: cannot add the display callbacks\n");
    SPW_DestroyDisplay(display);
    return nullptr;
  }
  if (table.SPPD_Create(display, window) != SPPD_OK) {
    PLAT_Trace("VNMAIN: SPW_BindDriver: SPPD_Create failed: %s\n",
               table.SPPD_GetLastErrorString());
    SPW_DestroyDisplay(display);
    return nullptr;
  }
  SPW_FitMouseToDisplay(display);
  return display;
}

void SPW_FitMouseToDisplay(const SPW_DISPLAY* display) {
  KOINPUT_DEVICE* mouse = KOINPUT_FindDevice(KOINPUT_TYPE_MOUSE);
  if (!display || !mouse) return;
  KOINPUT_SetMouseRect(mouse, 0, 0, static_cast<int32_t>(display->fWidth),
                       static_cast<int32_t>(display->fHeight));
}

void SPW_DestroyDriverDisplay(SPW_DISPLAY* display) {
  SPPD_DRIVERTABLE* drv = SPW_GetDisplayDriver(display);
  if (!drv) return;
  drv->SPPD_Destroy(display);
  SPW_DestroyDisplay(display);
}
