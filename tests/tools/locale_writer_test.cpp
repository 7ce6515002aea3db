#include "tools/writers/locale_writer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/files.h"
#include "platform/ini.h"
#include "tests/support/support.h"

namespace {

std::string ReadBack(const std::string& file, const std::string& key) {
  char buffer[4096];
  PLAT_IniGetString("LocaleStrings", key.c_str(), "<missing>", buffer, sizeof buffer, file.c_str());
  return buffer;
}

TEST(LocaleWriter, TextReadsBackAsWritten) {
  vntest::TempDir dir;
  PLAT_IniFlushCache();
  const std::vector<std::string> lines = {
      "plain text", "  leading", "trailing\t", "\"quoted\"", "'single'", "\"half",
      "a=b=c",      "; not a comment", "[not a section]", "", "%d %s", "caf\xe9"};
  ASSERT_TRUE(vnWRITE_LocaleFile(dir.path(), "eng", lines));
  const std::string file = dir.file("Locale/LocaleData.eng");
  for (size_t i = 0; i < lines.size(); ++i)
    EXPECT_EQ(ReadBack(file, "line" + std::to_string(i)), lines[i]) << i;
  EXPECT_EQ(ReadBack(file, "line" + std::to_string(lines.size())), "<missing>");
}

TEST(LocaleWriter, SparseKeysLeaveTheOthersMissing) {
  vntest::TempDir dir;
  PLAT_IniFlushCache();
  ASSERT_TRUE(vnWRITE_LocaleFileKeys(dir.path(), "ger", {{0, "null"}, {5, "fuenf"}}));
  const std::string file = dir.file("Locale/LocaleData.ger");
  EXPECT_EQ(ReadBack(file, "line0"), "null");
  EXPECT_EQ(ReadBack(file, "line1"), "<missing>");
  EXPECT_EQ(ReadBack(file, "line5"), "fuenf");
}

TEST(LocaleWriter, AllLanguagesGetAFile) {
  vntest::TempDir dir;
  ASSERT_TRUE(vnWRITE_LocaleAllLanguages(dir.path(), {"x"}));
  for (const char* code : VNWRITE_LOCALE_CODES)
    EXPECT_TRUE(PLAT_FileExists(dir.file(std::string("Locale/LocaleData.") + code).c_str())) << code;
}

TEST(LocaleWriter, WritesIntoAFolderSpelledInAnotherCase) {
  vntest::TempDir dir;
  dir.write("locale/keep.txt", "x");
  ASSERT_TRUE(vnWRITE_LocaleFile(dir.path(), "eng", {"x"}));
  EXPECT_TRUE(vntest::readFile(dir.file("locale/LocaleData.eng")).find("line0=x") != std::string::npos);
}

TEST(LocaleWriter, RefusesLineBreaks) {
  vntest::TempDir dir;
  vntest::TraceCapture trace;
  std::string out;
  EXPECT_FALSE(vnWRITE_IniValue("two\nlines", &out));
  EXPECT_FALSE(vnWRITE_LocaleFile(dir.path(), "eng", {"ok", "bad\nline"}));
  EXPECT_FALSE(trace.lines().empty());
}

}  // namespace
