#pragma once
// The driver-wide render state that the drawing and clipping code read.
#include "engine/driver/sppd.h"

struct SPW_VDISPLAY;

// The current state area, as SPPD_GetSystemRenderState hands it out.
const SPPD_SYSTEMRENDERSTATE* SPPD_CurrentRenderState();
// The scene's sun in view space (3 floats), kept apart from the state area.
const float* SPPD_GetSunDirection();
// The virtual display a node draws (its render target, recognised by the record's size),
// none for any other node.
const SPW_VDISPLAY* SPPD_ViewOfNode(const SPW_DISPLAYNODE* node);
// The virtual display of the node given to the last SPPD_SetRenderState, or none.
const SPW_VDISPLAY* SPPD_CurrentView();
// Starts the process-wide state over, zeroed (tests; the state survives Create and Destroy).
void SPPD_ResetRenderState();
