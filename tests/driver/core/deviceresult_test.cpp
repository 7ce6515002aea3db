#include "driver/core/deviceresult.h"

#include <gtest/gtest.h>

namespace {

TEST(ErrorDescription, DeviceResultsGiveTheirTexts) {
  struct Case {
    PLAT_GfxResult result;
    const char* text;
  } cases[] = {
      {PLAT_GfxResult::Ok, "No DirectX error."},
      {PLAT_GfxResult::SurfaceLost,
       "Access to this surface is being refused because the surface memory is gone. The "
       "DirectDrawSurface object representing this surface should have Restore called on it."},
      {PLAT_GfxResult::Failed, "Generic failure."},
      {static_cast<PLAT_GfxResult>(0x887601C2), "Unrecognized error value."},
  };
  for (const Case& c : cases)
    EXPECT_STREQ(SPPD_ErrorDescription(c.result), c.text) << static_cast<int32_t>(c.result);
  EXPECT_NE(SPPD_ErrorDescription(PLAT_GfxResult::OutOfMemory), nullptr);
  EXPECT_NE(SPPD_ErrorDescription(PLAT_GfxResult::BadArgument), nullptr);
}

}  // namespace
