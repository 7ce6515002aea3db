// The demo tree's shadow textures as mkcontent writes them: every slot's texture and its low
// variant read back as black images with alpha, dark in the middle and clear at the corners.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "driver/texture/ppm.h"
#include "tests/support/support.h"
#include "world/shadow/shadow.h"

namespace {

uint8_t AlphaAt(const SPPD_PPMIMAGE& image, uint32_t x, uint32_t y) {
  return image.pixels[(static_cast<size_t>(y) * image.width + x) * image.channels + 3];
}

TEST(DemoShadowsTest, EverySlotHasASoftBlackShapeInBothSizes) {
  vntest::TempDir dir;
  const std::string command = std::string(VN_MKCONTENT_PATH) + " '" + dir.path() + "' >/dev/null";
  ASSERT_EQ(std::system(command.c_str()), 0);
  for (const char* name : VNSHADOW_TEXTURE_FILES) {
    std::string low = name;
    low.insert(low.rfind('.'), "_l");
    for (const std::string& file : {std::string(name), low}) {
      SPPD_PPMIMAGE image;
      ASSERT_EQ(SPPD_ReadPPMFile(dir.file(file).c_str(), &image), SPPD_PPM_P7) << file;
      const uint32_t mid = image.width / 2, last = image.width - 1;
      EXPECT_GT(AlphaAt(image, mid, image.height / 2), 100) << file;
      EXPECT_EQ(AlphaAt(image, 0, 0), 0) << file;
      EXPECT_EQ(AlphaAt(image, last, image.height - 1), 0) << file;
      for (uint32_t i = 0; i < image.pixels.size(); i += image.channels)
        ASSERT_EQ(image.pixels[i] | image.pixels[i + 1] | image.pixels[i + 2], 0) << file;
    }
  }
}

}  // namespace
