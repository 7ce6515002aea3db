// Reading source images, well-formed and not.
#include <gtest/gtest.h>

#include "driver/texture/ppm.h"
#include "tests/support/support.h"

namespace {

int32_t ReadText(const std::string& text, SPPD_PPMIMAGE* out) {
  vntest::TempDir dir;
  const std::string path = dir.write("x.ppm", text);
  return SPPD_ReadPPMFile(path.c_str(), out);
}

TEST(ReadPPM, HeaderWithCommentsBetweenTheNumbers) {
  SPPD_PPMIMAGE img;
  const std::string text =
      std::string("P6\n# made by hand\n2 # width\n# height next\n1\r255\n") + "ABCDEF";
  ASSERT_EQ(ReadText(text, &img), SPPD_PPM_P6);
  EXPECT_EQ(img.width, 2u);
  EXPECT_EQ(img.height, 1u);
  EXPECT_EQ(std::string(img.pixels.begin(), img.pixels.end()), "ABCDEF");
}

TEST(ReadPPM, P7AfterAFailedP6) {
  SPPD_PPMIMAGE img;
  ASSERT_EQ(ReadText(std::string("P7 1 1 255\n") + "wxyz", &img), SPPD_PPM_P7);
  EXPECT_EQ(img.channels, 4u);
  EXPECT_EQ(std::string(img.pixels.begin(), img.pixels.end()), "wxyz");
}

TEST(ReadPPM, RowsStayTopFirst) {
  SPPD_PPMIMAGE img;
  ASSERT_EQ(ReadText(std::string("P6 1 2 255\n") + "topbot", &img), SPPD_PPM_P6);
  EXPECT_EQ(std::string(img.pixels.begin(), img.pixels.begin() + 3), "top");
}

TEST(ReadPPM, SamplesScaleByTheMaximum) {
  struct Case {
    int maxval;
    uint8_t in, out;
  } cases[] = {{255, 77, 77}, {15, 15, 255}, {15, 7, 119}, {1, 1, 255}, {100, 50, 127},
               {15, 200, 255}};  // above the maximum: held at 255, never wrapped
  for (const Case& c : cases) {
    SCOPED_TRACE(c.maxval);
    SPPD_PPMIMAGE img;
    std::string text = "P6 1 1 " + std::to_string(c.maxval) + "\n";
    text += std::string(3, static_cast<char>(c.in));
    ASSERT_EQ(ReadText(text, &img), SPPD_PPM_P6);
    EXPECT_EQ(img.pixels[0], c.out);
  }
}

TEST(ReadPPM, RejectsMalformedHeadersAndShortFiles) {
  const std::string rows(12, 'x');
  const char* cases[] = {
      "P6 2 2 0\n",           // maximum 0
      "P6 2 2 256\n",         // maximum above a byte
      "P6 0 2 255\n",         // empty
      "P6 9000 1 255\n",      // side beyond the bound
      "P6 5000 5000 255\n",   // area beyond the bound
      "P6 4294967296 1 255\n",  // overflows 32 bits
      "P6 2 x 255\n",         // not a number
      "P62 2 255\n",          // digit where the separator goes
      "P5 2 2 255\n",         // another kind
      "P6 2 2 255",           // no line end: the terminator eats a pixel byte
  };
  for (const char* header : cases) {
    SCOPED_TRACE(header);
    SPPD_PPMIMAGE img;
    vntest::TraceCapture trace;
    EXPECT_EQ(ReadText(std::string(header) + rows, &img), SPPD_PPM_NONE);
    EXPECT_TRUE(img.pixels.empty());
  }
  SPPD_PPMIMAGE img;
  EXPECT_EQ(ReadText("P6 2 2 255\n" + rows.substr(0, 11), &img), SPPD_PPM_NONE);
  EXPECT_EQ(ReadText("P7 2 2 255\n" + rows, &img), SPPD_PPM_NONE);  // needs 16 bytes
}

TEST(ReadPPM, P7TestLooksAtTheHeaderOnly) {
  vntest::TempDir dir;
  EXPECT_TRUE(SPPD_PPMFileIsP7(dir.write("a.ppm", "P7 64 64 255\n").c_str()));
  EXPECT_FALSE(SPPD_PPMFileIsP7(dir.write("b.ppm", "P6 1 1 255\nabc").c_str()));
  EXPECT_FALSE(SPPD_PPMFileIsP7(dir.file("missing.ppm").c_str()));
}

}  // namespace
