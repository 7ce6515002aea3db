#pragma once
// The camera's two matrices while a draw list of the 3D view is drawn: the list's render
// callback pushes them, and whatever draws from the list reads the tops. Main thread only.
#include "engine/math/vecmath.h"

// World points into view space: vertices for the driver's view-space polygon calls go
// through its top.
extern SPW_MATSTACK SPW_ViewStack;
// View space back into the world (the camera's own transform): the viewing direction and
// screen-facing axes come from its top.
extern SPW_MATSTACK SPW_CameraStack;
