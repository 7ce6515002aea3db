#include "platform/text.h"

#include <gtest/gtest.h>

#include <string>

TEST(Text, EqualNoCaseFoldsOnlyAsciiLetters) {
  struct Case {
    std::string a, b;
    bool equal;
  };
  const Case cases[] = {
      {"LocaleStrings", "localestrings", true},
      {"Textures\\Sky.PPM", "textures\\sky.ppm", true},
      {"", "", true},
      {"A", "a", true},
      {"Z", "z", true},
      {"abc", "abcd", false},   // a prefix is not equal
      {"abcd", "abc", false},
      {"", "a", false},
      {"@", "`", false},        // one bit apart like letters, but not letters
      {"[", "{", false},
      {"]", "}", false},
      {"^", "~", false},
      {"1", "1", true},
      {"\xC4", "\xE4", false},  // Latin-1 capital and small A umlaut: not folded
      {"\xC4", "\xC4", true},
      {std::string("a\0b", 3), std::string("A\0B", 3), true},
      {std::string("a\0b", 3), "a", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(PLAT_EqualNoCase(c.a, c.b), c.equal) << '"' << c.a << "\" vs \"" << c.b << '"';
    EXPECT_EQ(PLAT_EqualNoCase(c.b, c.a), c.equal) << '"' << c.b << "\" vs \"" << c.a << '"';
  }
}

TEST(Text, LowerAsciiChangesOnlyCapitals) {
  for (int i = 0; i < 256; ++i) {
    const char c = static_cast<char>(i);
    const char want = (i >= 'A' && i <= 'Z') ? static_cast<char>(i + 32) : c;
    EXPECT_EQ(PLAT_LowerAscii(c), want) << i;
  }
  EXPECT_EQ(PLAT_LowerAsciiText("LibGFXDRV.SO \xC4"), "libgfxdrv.so \xC4");
}

TEST(Text, EndsWithNoCase) {
  struct Case {
    const char* s;
    const char* suffix;
    bool ends;
  };
  const Case cases[] = {{"Setup.EXE", ".exe", true}, {"gfxdrv.Dll", ".dll", true},
                        {"exe", ".exe", false},      {".exe", ".exe", true},
                        {"Setup.exe.bak", ".exe", false}, {"a", "", true},
                        {"", ".so", false}};
  for (const Case& c : cases)
    EXPECT_EQ(PLAT_EndsWithNoCase(c.s, c.suffix), c.ends) << c.s << " / " << c.suffix;
}
