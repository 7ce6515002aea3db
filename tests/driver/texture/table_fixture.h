#pragma once
// A created display whose working folder is a fresh temporary folder, with helpers that write
// source images and look at the texture table.
#include <string>

#include "driver/texture/table.h"
#include "tests/driver/gldev_fixture.h"

namespace textabletest {

class TextureDisplay : public gldevtest::DriverDisplay {
 protected:
  void SetUp() override {
    DriverDisplay::SetUp();
    StorePrefs();
    ASSERT_EQ(SPPD_Create(&display, window), SPPD_OK);
    SPPD_EnableTexturePreLoad(0);
  }
  void TearDown() override {
    SPPD_EnableTexturePreLoad(1);
    SPPD_SetTextureComparisonExtension("");
    SPPD_SetTextureReplaceExtension("");
    SPPD_SetL4Path(&display, "");
    DriverDisplay::TearDown();
  }

  // A square image of one colour; "P7" sources carry alpha 128.
  std::string WriteImage(const std::string& relative, bool alpha = false, int side = 4,
                         const vntest::TempDir* where = nullptr) {
    std::string data = std::string(alpha ? "P7" : "P6") + "\n" + std::to_string(side) + " " +
                       std::to_string(side) + "\n255\n";
    for (int i = 0; i < side * side; ++i) {
      data += std::string("\xC0\x40\x20", 3);
      if (alpha) data += '\x80';
    }
    return (where ? *where : dir).write(relative, data);
  }

  int32_t Id(const char* name, int32_t create = 1) {
    int32_t id = -7;
    int32_t r = SPPD_TextureGetID(&display, name, &id, create);
    return r == SPPD_OK ? id : -1;
  }
  SPPD_TEXTURETABLE* Table() { return State()->pTextureTable; }
  SPPD_TEXTURESLOT* Slot(int32_t id) { return SPPD_TextureSlot(Table(), id); }
  std::string Leaf(int32_t id) {
    SPPD_TEXTURESLOT* s = Slot(id);
    return s ? s->pName->szLeaf : "";
  }
  uint32_t Level(int32_t id) { return Slot(id)->dwFlags & SPPD_TEXTURE_LEVEL_MASK; }

  vntest::TempDir dir;
  vntest::ScopedWorkingDir cwd{dir.path()};
};

}  // namespace textabletest
