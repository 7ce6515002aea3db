#pragma once
// One-line descriptions of the device layer's results for the driver's failure messages.
#include "platform/gfx/gfx.h"

// Never null; a value the device layer does not define gives "Unrecognized error value.".
const char* SPPD_ErrorDescription(PLAT_GfxResult result);
