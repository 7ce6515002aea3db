#include "tests/driver/texture/convert_fixture.h"

#include <fstream>
#include <iterator>

#include "driver/texture/convert.h"
#include "platform/window/window.h"

namespace texconvtest {

namespace {
uint32_t Mask(int bits, int shift) { return bits ? ((1u << bits) - 1) << shift : 0; }
}  // namespace

SPPD_TEXFORMATENTRY Format(int r, int g, int b, int a, bool palettised) {
  SPPD_TEXFORMATENTRY e{};
  if (palettised) {
    e.format = PLAT_GfxFormatRecord(PLAT_GfxTexFormat::P8);
    e.paletteBits = 8;
    e.palettised = 1;
    return e;
  }
  e.rBits = r;
  e.gBits = g;
  e.bBits = b;
  e.aBits = a;
  e.format.flags = PLAT_GFX_PF_RGB | (a ? PLAT_GFX_PF_ALPHAPIXELS : 0);
  e.format.bitCount = static_cast<uint32_t>(r + g + b + a);
  e.format.bMask = Mask(b, 0);
  e.format.gMask = Mask(g, b);
  e.format.rMask = Mask(r, b + g);
  e.format.aMask = Mask(a, b + g + r);
  return e;
}

SPPD_TEXFORMATENTRY DeviceFormat(PLAT_GfxTexFormat f) {
  switch (f) {
    case PLAT_GfxTexFormat::R5G6B5: return Format(5, 6, 5, 0);
    case PLAT_GfxTexFormat::A1R5G5B5: return Format(5, 5, 5, 1);
    case PLAT_GfxTexFormat::A4R4G4B4: return Format(4, 4, 4, 4);
    case PLAT_GfxTexFormat::A8R8G8B8: return Format(8, 8, 8, 8);
    case PLAT_GfxTexFormat::P8: return Format(0, 0, 0, 0, true);
  }
  return {};
}

std::vector<uint8_t> Pattern(size_t n) {
  std::vector<uint8_t> v(n);
  for (size_t i = 0; i < n; ++i) v[i] = static_cast<uint8_t>((i * 37) ^ (i >> 5));
  return v;
}

std::vector<uint8_t> ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void TexconvTest::SetUp() {
  ASSERT_TRUE(PLAT_GfxInit());
  window = PLAT_CreateWindow("texconv", 64, 64, PLAT_WINDOW_OPENGL);
  ASSERT_NE(window, nullptr);
  PLAT_GfxResult why;
  state.pGfx = PLAT_GfxCreateDevice(window, {64, 64, 32, false}, &why);
  ASSERT_NE(state.pGfx, nullptr);
  SPPD_DEVICEENTRY dev{};
  dev.desc.guid = PLAT_GfxHardwareDeviceGuid();
  lists.devices.push_back(dev);
  lists.chosenDevice = 0;
  state.pLists = &lists;
  state.fAutoMipMap = 1;
  UseFormats(16);
}

void TexconvTest::TearDown() {
  PLAT_GfxDestroyDevice(state.pGfx);
  if (window) PLAT_DestroyWindow(window);
}

void TexconvTest::UseFormats(int tbpp) {
  lists.texFormats.clear();
  if (tbpp == 16) {
    for (auto f : {PLAT_GfxTexFormat::R5G6B5, PLAT_GfxTexFormat::A1R5G5B5,
                   PLAT_GfxTexFormat::A4R4G4B4})
      lists.texFormats.push_back(DeviceFormat(f));
  } else {
    lists.texFormats.push_back(DeviceFormat(PLAT_GfxTexFormat::A8R8G8B8));
  }
}

std::string TexconvTest::Source(const std::string& relative, int kind, uint32_t w, uint32_t h) {
  vnPPM_IMAGE image;
  image.kind = kind;
  image.width = w;
  image.height = h;
  image.pixels = Pattern(static_cast<size_t>(w) * h * (kind == 7 ? 4 : 3));
  const std::string path = dir.write(relative, "");
  EXPECT_TRUE(vnWRITE_PPMFile(path, image));
  return path;
}

std::string TexconvTest::Cache(const std::string& source) {
  return SPPD_TextureCachePathFor(source.c_str());
}

}  // namespace texconvtest
