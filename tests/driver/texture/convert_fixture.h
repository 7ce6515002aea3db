#pragma once
// A driver state with a real offscreen device and its texture formats, without the exports.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "driver/device/device.h"
#include "driver/core/state.h"
#include "platform/gfx/gfx.h"
#include "tests/support/support.h"
#include "tools/writers/ppm_writer.h"

namespace texconvtest {

// A format list entry as the device code builds it, from bit counts.
SPPD_TEXFORMATENTRY Format(int r, int g, int b, int a, bool palettised = false);
// The entry for one of the device layer's formats, masks and all.
SPPD_TEXFORMATENTRY DeviceFormat(PLAT_GfxTexFormat f);

class TexconvTest : public ::testing::Test {
 public:
  void SetUp() override;
  void TearDown() override;
  // The device's 16-bit formats (TBPP 16), or its 32-bit ones.
  void UseFormats(int tbpp);
  // A source image in the temporary folder; pixels follow a fixed pattern.
  std::string Source(const std::string& relative, int kind, uint32_t w, uint32_t h);
  std::string Cache(const std::string& source);

  vntest::TempDir dir;
  SPPD_ENUMLISTS lists;
  SPPD_DRIVERSTATE state{};
  PLAT_Window* window = nullptr;
};

std::vector<uint8_t> Pattern(size_t n);
std::vector<uint8_t> ReadAll(const std::string& path);

}  // namespace texconvtest
