#pragma once
// Which driver Setup chose, and which library in the working directory is it: the game's two
// scans over the folder and the boxes that tell the player what went wrong. Reading the choice
// and probing a library are engine/driver/choice.h's, binding its table driverbind.h's.
#include <cstdint>

#include "engine/driver/sppd.h"
#include "platform/guid.h"

struct PLAT_Library;

// Finds, loads and checks the driver library (identity, terrain entries, all 60 table names).
// None after a message box (or silently when no driver was ever chosen).
PLAT_Library* vnMAIN_LoadDriver();
int32_t vnMAIN_UnloadDriver(PLAT_Library* module);  // 1

// The recorded driver GUID (zeroed first). 1, or -1 when the keys cannot be opened, when the
// "General" key had to be created (*created then 1) or the value is missing or malformed.
int32_t vnMAIN_ReadDriverGuid(PLAT_GUID* out, int32_t* created = nullptr);
// The identifying scan over the working directory: 1 with the GUID of the driver file, or -1
// after the "GFXDRV Driver not found" box. The game passes mode 0 and flag 0. A library that
// is not a whole shared object is skipped like any other non-driver.
int32_t vnMAIN_FindDriverFile(int32_t mode, int32_t flag, PLAT_GUID* out);
// The loading scan: the first library (directory order, no "_debug"/"_release" names) whose
// SPPD_GUID equals guid. 1 with the module kept loaded, or -1 after the "Driver File Load
// Error" box.
int32_t vnMAIN_LoadDriverByGuid(const PLAT_GUID* guid, PLAT_Library** out);

// The terrain entry points of the loaded driver (none before vnMAIN_LoadDriver succeeds).
SPPD_PFN_TERRAIN_RenderTerrainData vnMAIN_GetTerrainRenderFn();
SPPD_PFN_TERRAIN_RenderTerrainDataSetup vnMAIN_GetTerrainSetupFn();
