#pragma once
// Setup: finds the render driver library in the working folder, runs its configuration
// wizard, records the chosen driver where the game reads it, and starts the game.
#include <cstdint>
#include <string>

#include "platform/guid.h"

// Dialog 102 (Setup's own), the About box and their controls.
constexpr int32_t SETUP_DLG_MAIN = 102;
constexpr int32_t SETUP_DLG_ABOUT = 100;
constexpr int32_t SETUP_ID_CONFIGURE = 1000;
constexpr int32_t SETUP_ID_PLAY = 1001;
constexpr int32_t SETUP_IDM_ABOUTBOX = 16;  // the window menu's "About Setup..."

// The driver choice: "Driver" under software\KOR\SPPD\v1.00.000\Display\General, the GUID in
// its registry text. Both create the key path when it is missing. 1, or -1 on any failure;
// reading also fails when "General" had to be created (*created then 1). A value that is not
// a GUID still counts as read (the GUID stays zero).
int32_t ReadDriverGuid(PLAT_GUID* guid, int32_t* created);
// 1 only when the value reached the store.
int32_t WriteDriverGuid(const PLAT_GUID* guid, int32_t* created);

// Runs Setup's dialog until it ends and returns its result: 0 when no driver was found, 1 when
// the game could not be started, 2 on Exit. Starting the game replaces the process.
int32_t vnSETUP_Run();
// The lower-cased file name of the driver library the probe chose; empty when none.
const std::string& vnSETUP_DriverFile();
