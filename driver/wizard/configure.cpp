// SPPD_Configure: the wizard's pages in order, then the chosen preferences saved.
#include <cstring>
#include <memory>
#include <new>

#include "driver/core/lasterror.h"
#include "driver/device/prefs.h"
#include "driver/wizard/wizard.h"
#include "engine/driver/sppd.h"

namespace {

int32_t RunPages(SPPD_WIZARD* w) {
  SPPD_ENUMLISTS* L = &w->lists;
  if (SPPD_WIZ_Options(w) != SPPD_OK) return SPPD_FAIL;
  if (SPPD_GFXDRV_EnumDisplays(L) != SPPD_OK) return SPPD_FAIL;
  if (SPPD_WIZ_VideoCard(w) != SPPD_OK) return SPPD_FAIL;
  const PLAT_GUID display = SPPD_GFXDRV_LayerDisplay(w->record.guidDisplay);
  if (SPPD_GFXDRV_EnumDisplayModes(L, display) != SPPD_OK) return SPPD_FAIL;
  if (SPPD_GFXDRV_EnumDevices(L, display) != SPPD_OK) return SPPD_FAIL;
  if (SPPD_WIZ_DriverMode(w) != SPPD_OK) return SPPD_FAIL;
  SPPD_GFXDRV_ChooseDevice(&w->record);
  const PLAT_Gfx3DDevice& device = L->devices[static_cast<size_t>(L->chosenDevice)].desc;
  SPPD_GFXDRV_FilterModes(L, device, w->record.nBPP);
  if (SPPD_WIZ_Resolution(w) != SPPD_OK) return SPPD_FAIL;
  if (SPPD_GFXDRV_EnumZFormats(L, device) != SPPD_OK) return SPPD_FAIL;
  return SPPD_WIZ_ZBuffer(w);
}

}  // namespace

int32_t SPPD_Configure(PLAT_Window* /*window*/, void* options) {
  // The caller's options record: only bit 0 of its second word is ours to clear.
  if (options) {
    uint32_t words[2];
    std::memcpy(words, options, sizeof words);
    if (words[1] & 1u) {
      words[1] &= ~1u;
      std::memcpy(options, words, sizeof words);
    }
  }
  std::unique_ptr<SPPD_WIZARD> w(new (std::nothrow) SPPD_WIZARD);
  if (!w) {
    SPPD_SetLastError("Out of memory for the wizard\nin(manage_gfxdrv:SPPD_Configure)");
    return SPPD_FAIL;
  }
  w->record.pLists = &w->lists;
  if (RunPages(w.get()) != SPPD_OK) {
    SPPD_SetLastError("The configuration was not completed\nin(manage_gfxdrv:SPPD_Configure)");
    return SPPD_FAIL;
  }
  // The stored preferences change only here, once every page has made its choice.
  return SPPD_SavePreferences(&w->record);
}
