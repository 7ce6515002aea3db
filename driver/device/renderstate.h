#pragma once
// The driver-wide render state that the drawing and clipping code read.
#include "driver/device/sceneview.h"
#include "engine/driver/sppd.h"

struct SPW_VDISPLAY;

// The current state area, as SPPD_GetSystemRenderState hands it out.
const SPPD_SYSTEMRENDERSTATE* SPPD_CurrentRenderState();
// The scene's sun in view space (3 floats), kept apart from the state area.
const float* SPPD_GetSunDirection();
// The virtual display of the node given to the last SPPD_SetRenderState, or none.
const SPW_VDISPLAY* SPPD_CurrentView();
// Starts the process-wide state over, zeroed (tests; the state survives Create and Destroy).
void SPPD_ResetRenderState();
