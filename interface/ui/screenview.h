#pragma once
// Screen points as directions in the mission view: the point on the view's near plane that a
// pixel shows, in view space (x right, y up, the view looking down -z).
#include <cstdint>

#include "engine/math/vecmath.h"

struct SPW_VDISPLAY;

// The point of the pixel (x, y) of a screen of that size on the view's near plane; 0 without
// a view or for an empty screen.
int32_t vnUI_ScreenToView(const SPW_VDISPLAY* view, float width, float height, float x, float y,
                          SPW_VECTOR* out);
// The same for the mission's view on the game's display.
int32_t vnUI_ScreenToViewVector(float x, float y, SPW_VECTOR* out);
