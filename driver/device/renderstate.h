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

// Mode bits of the mask and of the state word.
constexpr uint32_t SPPD_RS_LOW_BITS = 0x7FFF;  // bits 0-14, kept once set
constexpr uint32_t SPPD_RS_MATRICES = 0x100;
constexpr uint32_t SPPD_RS_PLANES = 0x200;
constexpr uint32_t SPPD_RS_USER19 = 0x400;
constexpr uint32_t SPPD_RS_COLOUR_RGB = 0x800;
constexpr uint32_t SPPD_RS_COLOUR_ALPHA = 0x1000;
constexpr uint32_t SPPD_RS_FACTOR = 0x2000;
constexpr uint32_t SPPD_RS_CONST_RGB_KEPT = 0x4000;  // also: no fog colour from the record
constexpr uint32_t SPPD_RS_CONST_ALPHA_KEPT = 0x8000;
constexpr uint32_t SPPD_RS_CONST_RGB_WHITE = 0x10000;
constexpr uint32_t SPPD_RS_CONST_ALPHA_FULL = 0x20000;
constexpr uint32_t SPPD_RS_WIREFRAME = 0x40000;
constexpr uint32_t SPPD_RS_ALT = 0x80000;
constexpr uint32_t SPPD_RS_FACTOR_ZERO = 0x100000;
constexpr uint32_t SPPD_RS_FACTOR_ONE = 0x200000;
constexpr uint32_t SPPD_RS_FACTOR_DEFAULT = 0x400000;
constexpr float SPPD_RS_DEFAULT_FACTOR = 0.72f;
