#pragma once
// Screen quads: B2D frames drawn as textured quads in display pixels from a display node's
// callbacks, through the bound driver's SPPD_RenderFVFPolygonPhysical (the HUD list). Each
// drawer returns the driver's result, or 0 when it drew nothing (no frame, no driver, or
// clipped away). Depth is the caller's value for all four corners and must be above 0.
#include <cstdint>

#include "engine/b2d/b2d.h"
#include "engine/display/display.h"

// Top-left at the node's top-left (origin plus rectangle corner) + (x, y); the frame's size.
int32_t SPW_DrawFrame(SPW_DISPLAYNODE* node, const SPW_B2DFRAME* frame, float x, float y,
                      float depth, uint32_t colour);
// As SPW_DrawFrame, moved by the frame's offset.
int32_t SPW_DrawNodeItem(SPW_DISPLAYNODE* node, const SPW_B2DFRAME* frame, float x, float y,
                         float depth, uint32_t colour);
// From the node's origin alone (without its rectangle corner), moved by the frame's offset.
int32_t SPW_DrawFrameColoured(SPW_DISPLAYNODE* node, const SPW_B2DFRAME* frame, float x, float y,
                              float depth, uint32_t colour);
// Stretched to w x h over the whole texture rectangle.
int32_t SPW_DrawFrameAt(SPW_DISPLAYNODE* node, const SPW_B2DFRAME* frame, float x, float y,
                        float depth, float w, float h, uint32_t colour);
// The top-left part fx by fy of the frame at its own scale (bars that fill up).
int32_t SPW_DrawFramePart(SPW_DISPLAYNODE* node, const SPW_B2DFRAME* frame, float x, float y,
                          float depth, uint32_t colour, float fx, float fy);
// The quad of SPW_DrawFrame rotated about the display origin by angle (radians), then moved by
// (mx, my).
int32_t SPW_DrawFrameRotated(SPW_DISPLAYNODE* node, const SPW_B2DFRAME* frame, float x, float y,
                             float depth, uint32_t colour, float angle, float mx, float my);
// Every frame of the set that has a texture, as node items in the set's colour word.
int32_t SPW_DrawNodeItems(SPW_DISPLAYNODE* node, const SPW_B2DSET* set, float x, float y,
                          float depth);
// Every textured frame at ((x + offset x) sx, (y + offset y) sy), its size scaled likewise.
int32_t SPW_DrawSetScaled(SPW_DISPLAYNODE* node, const SPW_B2DSET* set, float x, float y,
                          float depth, float sx, float sy);

// The clipped drawers cut the quad to the clip rectangle (display pixels) and move the texture
// rectangle with the cut, so the visible part keeps its scale.
// Centred on the node's top-left + (cx, cy).
int32_t SPW_DrawFrameClipped(SPW_DISPLAYNODE* node, const SPW_B2DFRAME* frame, float cx, float cy,
                             float depth, uint32_t colour, const SPW_RECT* clip);
// Top-left at the node's top-left + (x, y).
int32_t SPW_DrawFrameClippedAt(SPW_DISPLAYNODE* node, const SPW_B2DFRAME* frame, float x, float y,
                               float depth, uint32_t colour, const SPW_RECT* clip);
// Centred, its size times scale.
int32_t SPW_DrawGlyph(SPW_DISPLAYNODE* node, const SPW_B2DFRAME* frame, float cx, float cy,
                      float depth, uint32_t colour, const SPW_RECT* clip, float scale);
// Centred on the point, its size times (scale.x, scale.y).
int32_t SPW_DrawFrameScaledClipped(SPW_DISPLAYNODE* node, const SPW_B2DFRAME* frame,
                                   const SPW_POINT* centre, float depth, uint32_t colour,
                                   const SPW_POINT* scale, const SPW_RECT* clip);
