#pragma once
// The program's shell: engine start and stop, game start and stop, and the hand-over to Setup.
#include <cstdint>

#include "engine/driver/sppd.h"

struct PLAT_Library;
struct KOPROFILE_GROUP;

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

// Profile group 0 "System" (whole frame, "FSyncs", "Anim", "PDisplays", "DORender").
KOPROFILE_GROUP* vnMAIN_GetProfileGroup(int32_t index);

// Front-end display mode: 640 by 480 for the device, while the player's stored mode stays.
constexpr int32_t VN_FRONTEND_WIDTH = 640;
constexpr int32_t VN_FRONTEND_HEIGHT = 480;
constexpr uint32_t VN_FRONTEND_MODE_MASK =
    SPPD_MODIFY_WIDTH | SPPD_MODIFY_HEIGHT | SPPD_MODIFY_RESTORE_PREFS;  // 0x83
