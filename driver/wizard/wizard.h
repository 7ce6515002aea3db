#pragma once
// driver/wizard: the configuration wizard behind SPPD_Configure. Five pages choose the display
// device, the 3D device, the display mode and the Z-buffer depth; each page but the video card
// page decides by itself when it can and is shown only when no suitable choice exists.
#include <cstddef>
#include <cstdint>

#include "driver/core/state.h"
#include "driver/device/device.h"

// Templates and their controls.
constexpr int32_t SPPD_WIZ_PAGE_OPTIONS = 101;
constexpr int32_t SPPD_WIZ_PAGE_VIDEOCARD = 102;
constexpr int32_t SPPD_WIZ_PAGE_DRIVERMODE = 103;
constexpr int32_t SPPD_WIZ_PAGE_RESOLUTION = 104;
constexpr int32_t SPPD_WIZ_PAGE_ZBUFFER = 105;
constexpr int32_t SPPD_WIZ_CHECK_AUTOMIPMAP = 1001;
constexpr int32_t SPPD_WIZ_CHECK_32BIT = 1008;
constexpr int32_t SPPD_WIZ_LIST_VIDEOCARD = 1004;
constexpr int32_t SPPD_WIZ_LIST_DRIVERMODE = 1005;
constexpr int32_t SPPD_WIZ_LIST_RESOLUTION = 1006;
constexpr int32_t SPPD_WIZ_LIST_ZBUFFER = 1007;

// The working record: preferences and enumeration lists of its own, never a display's.
struct SPPD_WIZARD {
  SPPD_DRIVERSTATE record{};
  SPPD_ENUMLISTS lists;
};

// Automatic choices; the index in the list, or -1 when the page must ask.
// The first 3D device that rasterises in hardware without transform-and-lighting hardware.
int32_t SPPD_WIZ_AutoDevice(const SPPD_ENUMLISTS& lists);
// The first 640 by 480 mode at tbpp bits, else the first at 16 bits.
int32_t SPPD_WIZ_AutoMode(const SPPD_ENUMLISTS& lists, int32_t tbpp);
// The usable Z format with the most depth bits besides stencil (the first of equals).
int32_t SPPD_WIZ_AutoZFormat(const SPPD_ENUMLISTS& lists);

// The list lines of the resolution and Z-buffer pages.
void SPPD_WIZ_ModeLine(const SPPD_MODEENTRY& mode, char* out, size_t size);
void SPPD_WIZ_ZFormatLine(const SPPD_ZFORMATENTRY& format, char* out, size_t size);

// The pages, in the order the wizard runs them: 1 with the choice in the record, -1 when the
// page was cancelled or closed without a choice.
int32_t SPPD_WIZ_Options(SPPD_WIZARD* w);
int32_t SPPD_WIZ_VideoCard(SPPD_WIZARD* w);
int32_t SPPD_WIZ_DriverMode(SPPD_WIZARD* w);
int32_t SPPD_WIZ_Resolution(SPPD_WIZARD* w);
int32_t SPPD_WIZ_ZBuffer(SPPD_WIZARD* w);
