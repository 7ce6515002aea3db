#pragma once
// The program's shell: engine start and stop, game start and stop, the shell state that the
// frame loop and the root task share, and the hand-over to Setup.
#include <cstdint>

#include "engine/driver/sppd.h"

struct PLAT_Window;
struct PLAT_Library;
struct SPW_DISPLAY;
struct KOPROFILE_GROUP;

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

// The program's exit status when start-up fails, so that scripts can tell it from a quit.
constexpr int VN_EXIT_START_FAILED = 1;

// The whole program: start, message loop, shutdown. The exit code of the last quit event, or
// VN_EXIT_START_FAILED when start-up fails.
int vnMAIN_Run(const char* cmdline);

int32_t SPW_InitEngine();
void SPW_ShutdownEngine();
int32_t vnMAIN_InitGame();
void vnMAIN_DeinitGame();
int32_t vnMAIN_CreateWindow();
void vnMAIN_DestroyWindow();
// Replaces the program with Setup; when that cannot be done, the reinstall box.
void vnMAIN_RunSetup();
void vnMAIN_ShowReinstallBox();
int32_t vnMAIN_PrecacheCommon();
int32_t vnMAIN_PrecacheTerrain(const char* terrainName);

// Shell state.
void SGE_RequestQuit();
int32_t SGE_QuitRequested();
void SGE_ClearQuit();
void SGE_SetWindow(PLAT_Window* window);
PLAT_Window* SGE_GetWindow();
void SGE_CaptureMouse();
int32_t SGE_HasCapture();
SPW_DISPLAY* vnMAIN_GetDisplay();
SPPD_DRIVERTABLE* vnMAIN_GetDriver();
void vnMAIN_SetDisplay(SPW_DISPLAY* display);  // the binding's display, none at shutdown
void vnMAIN_SetPaused(int32_t paused);
int32_t vnMAIN_IsPaused();
// Profile group 0 "System" (whole frame, "FSyncs", "Anim", "PDisplays", "DORender").
KOPROFILE_GROUP* vnMAIN_GetProfileGroup(int32_t index);

// Front-end display mode: 640 by 480 for the device, while the player's stored mode stays.
constexpr int32_t VN_FRONTEND_WIDTH = 640;
constexpr int32_t VN_FRONTEND_HEIGHT = 480;
constexpr uint32_t VN_FRONTEND_MODE_MASK =
    SPPD_MODIFY_WIDTH | SPPD_MODIFY_HEIGHT | SPPD_MODIFY_RESTORE_PREFS;  // 0x83
