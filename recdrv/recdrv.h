#pragma once
// The recording driver: a null render driver that exports every name the game binds, records
// each call with its arguments, and fails any one call on request. Tests load it by path
// (usually copied as libgfxdrv.so) and reach these through PLAT_FindSymbol.
//
// Build variants: RECDRV_NO_TERRAIN (no terrain entry points), RECDRV_OTHER_GUID (another
// identity), RECDRV_OMIT_SLOT (no SPPD_GetDebugInfo).

// {5D81DC88-A7D2-4BFE-AF63-9CA4C08B4BEE}, the real driver's identity; the other one:
// {0B0E7C1A-5D2E-4C6B-9F3A-2E8D7C6B5A41}.
constexpr const char RECDRV_GUID_TEXT[] = "{5D81DC88-A7D2-4BFE-AF63-9CA4C08B4BEE}";
constexpr const char RECDRV_OTHER_GUID_TEXT[] = "{0B0E7C1A-5D2E-4C6B-9F3A-2E8D7C6B5A41}";
// The mode SPPD_GetDefaultMode reports.
constexpr int RECDRV_MODE_WIDTH = 800;
constexpr int RECDRV_MODE_HEIGHT = 600;

// Calls recorded since the last reset, one "SPPD_Name(args)" line each, '\n'-terminated.
using RecDrv_GetLogFn = const char* (*)();
using RecDrv_ResetFn = void (*)();  // forgets the log and the failing call
// The named export returns its failure value (-1, 0 or none) from now on; null for none.
using RecDrv_FailCallFn = void (*)(const char* name);
