#pragma once
// The shell state that the frame loop, the root task and the services under them share: the
// command-line switches, the bound display, the pause flag and the root task's fonts.
#include <cstdint>

#include "engine/driver/sppd.h"

struct SPW_DISPLAY;
struct SPW_FONT;

// Switches read from the command line; the sound ones are read by the sound start-up.
struct VNMAIN_SWITCHES {
  int32_t bSound = 1;
  int32_t nSoundDevice = 0;
  int32_t bSoundSoftwareOnly = 0;
  int32_t nSoundLatency = 0;
  int32_t bNonExclusive = 0;  // input devices use shared background access
  int32_t bBugEye = 0;        // developer switch 4 of the front end
};

// Each switch is found by a plain substring search, first occurrence only.
void vnMAIN_ParseCommandLine(const char* cmdline, VNMAIN_SWITCHES* sw);
const VNMAIN_SWITCHES* vnMAIN_GetSwitches();
// The switches the command line is parsed into (tests reset them through this).
VNMAIN_SWITCHES* vnMAIN_MutableSwitches();

SPW_DISPLAY* vnMAIN_GetDisplay();
SPPD_DRIVERTABLE* vnMAIN_GetDriver();
void vnMAIN_SetDisplay(SPW_DISPLAY* display);  // the binding's display, none at shutdown
void vnMAIN_SetPaused(int32_t paused);
int32_t vnMAIN_IsPaused();

// The root task's eleven fonts by index; the text panel's font is index 8.
constexpr int32_t VN_NUM_FONTS = 11;
constexpr int32_t VN_TEXT_FONT = 8;
// The root task hands over its font table while it lives; none after.
void vnMAIN_SetFonts(SPW_FONT* const* fonts);
// None for an index outside 0..10, or while no font table is set.
SPW_FONT* vnMAIN_GetFont(int32_t index);
SPW_FONT* vnMAIN_GetTextFont();
