#pragma once
// The status bar of a world object (a feature unit's health, an ammunition dump's supply): a
// marker record with a black frame, filled green and empty red, shown while something of
// interest is near and hidden once it has shown for a while with nothing to renew it.
#include <cstdint>

#include "engine/math/vecmath.h"

struct VNMARKER;

// How long a bar stays up after it was last shown; a bar timer starts here so that a new bar
// hides on its first update.
constexpr float VNFEATUNIT_BAR_SECONDS = 10.0f;
// The bar's colours: appearance words 1 to 5.
constexpr uint32_t VNFEATUNIT_BAR_BLACK = 0xff000000u;
constexpr uint32_t VNFEATUNIT_BAR_GREEN = 0xff00ff00u;
constexpr uint32_t VNFEATUNIT_BAR_RED = 0xffff0000u;

// A new bar at the point, or null without the marker service (or its memory).
VNMARKER* vnFEATUNIT_AddBar(const SPW_VECTOR* at);
// Removes the bar; the record becomes null.
void vnFEATUNIT_RemoveBar(VNMARKER** bar);
void vnFEATUNIT_ShowBar(VNMARKER* bar, float* timer);
void vnFEATUNIT_HideBar(VNMARKER* bar);
bool vnFEATUNIT_BarShown(const VNMARKER* bar);
// One frame of a shown bar: the timer grows by the frame time; at VNFEATUNIT_BAR_SECONDS the
// bar hides, otherwise its level becomes the value (truncated) over the maximum, 0 when the
// maximum is not above 0.
void vnFEATUNIT_UpdateBar(VNMARKER* bar, float* timer, float frameTime, float value,
                          float maximum);
