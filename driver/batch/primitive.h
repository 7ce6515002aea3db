#pragma once
// What the polygon and line primitives share: reading the caller's vertices (clipped when a
// mask asks), projection to the screen and the per-vertex fog factor.
#include <cstdint>

#include "engine/driver/sppd.h"

// View-space vertex between reading and projection.
struct SPPD_VIEWVERTEX {
  uint32_t dwColour;
  float x, y, z;
  float u, v;
};

constexpr uint32_t SPPD_PRIM_MAX_VERTICES = 4096;  // larger polygons are refused
constexpr int32_t SPPD_PRIM_MAX_PAIRS = 16;
constexpr uint32_t SPPD_SPECULAR_NO_FOG = 0xFF000000u;

// The arrays a polygon is gathered and projected in, one record for the whole driver (main
// thread only): a drawing call fills them and has queued what it made before it returns.
struct SPPD_SCRATCH {
  SPPD_VIEWVERTEX view[SPPD_PRIM_MAX_VERTICES];
  SPPD_TLVERTEX screen[SPPD_PRIM_MAX_VERTICES];
};
extern SPPD_SCRATCH SPPD_Scratch;

// Reads n vertices of the caller's layout (20 + 8 pairs bytes apart) into out, clipping them
// against the planes of the mask first. The count left; 0 when clipping leaves fewer than
// three vertices or the input is refused (traced, naming where).
uint32_t SPPD_PrimGather(const char* where, const SPPD_VERTEX* vertices, uint32_t n,
                         int32_t pairs, uint32_t clipMask, SPPD_VIEWVERTEX* out);
// Screen position, depth and 1/w of a view-space vertex; diffuse, u and v copied; specular
// left to the caller.
void SPPD_PrimProject(const SPPD_VIEWVERTEX& in, SPPD_TLVERTEX* out);
// The specular word for a depth: fog 255 up to 0.997, then fading to 0 at the far plane, held
// at 0 beyond it.
uint32_t SPPD_PrimFogSpecular(float sz);
// Depth of a polygon for the alpha buckets: mean distance past the near plane over the
// near-to-far span.
float SPPD_PrimAlphaDepth(const SPPD_VIEWVERTEX* v, uint32_t n);
// A float channel value rounded to nearest and held in 0..255.
uint32_t SPPD_PrimClampByte(float value);
