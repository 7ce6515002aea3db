#pragma once
// Binding the render driver library's table, and the display it draws on. The game never
// links the library: every entry, SPPD_GetDefaultMode included, is bound by name. Finding the
// library, and telling the player when it cannot be used, is the game's.
#include <cstdint>

#include "engine/driver/sppd.h"

struct PLAT_Library;
struct PLAT_Window;

// Binds the 60 slots by name, header words 0. 1, or 0 (table left zeroed, the missing name
// traced) when any name is missing: a null slot would be called later.
int32_t SPW_BindDriverTable(PLAT_Library* module, SPPD_DRIVERTABLE* out);

// Binds the table, allocates the driver block, creates the display and the device.
// The display, or none (nothing left behind).
SPW_DISPLAY* SPW_BindDriver(PLAT_Window* window, PLAT_Library* module);
// SPPD_Destroy through the display's table, then the display; nothing without a table.
void SPW_DestroyDriverDisplay(SPW_DISPLAY* display);
// The mouse moves over the whole display: its clamp rectangle becomes the display's size. Due
// whenever the display is made or changes mode.
void SPW_FitMouseToDisplay(const SPW_DISPLAY* display);

// Display-level callbacks hung on the driver's display: the first closes the driver's previous
// frame and opens the next; the last only checks that a driver is bound.
int32_t SPW_DisplayBeginFrame(SPW_DISPLAY* display, SGE_DATAREF* data);
int32_t SPW_DisplayCheckDriver(SPW_DISPLAY* display, SGE_DATAREF* data);
