// The texts are the ones the game's failure messages have always shown for these conditions,
// so reports read the same whichever device layer produced them.
#include "driver/core/deviceresult.h"

const char* SPPD_ErrorDescription(PLAT_GfxResult result) {
  switch (result) {
    case PLAT_GfxResult::Ok:
      return "No DirectX error.";
    case PLAT_GfxResult::Failed:
      return "Generic failure.";
    case PLAT_GfxResult::OutOfMemory:
      return "DirectDraw does not have enough memory to perform the operation.";
    case PLAT_GfxResult::SurfaceLost:
      return "Access to this surface is being refused because the surface memory is gone. The "
             "DirectDrawSurface object representing this surface should have Restore called on "
             "it.";
    case PLAT_GfxResult::BadArgument:
      return "One or more of the parameters passed to the method are incorrect.";
  }
  return "Unrecognized error value.";
}
