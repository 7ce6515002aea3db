#include "shell/locale.h"

#include <gtest/gtest.h>

#include <climits>
#include <map>
#include <string>
#include <vector>

#include "engine/memory/memblock.h"
#include "platform/ini.h"
#include "tests/support/support.h"
#include "tools/writers/locale_writer.h"

namespace {

class Locale : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(SGE_InitMemory(0), 1);
    ASSERT_EQ(SPW_CreateEngineBlocks(), 1);
    PLAT_IniFlushCache();
  }
  void TearDown() override {
    vnLOCALE_Free();
    vnLOCALE_SetLanguage(0);  // leaves language 0 current for the next test
    vnLOCALE_Free();
    SPW_ReleaseEngineBlocks();
    SGE_ShutdownMemory();
  }
  uint32_t UsedBytes() {
    SGE_MEMSTATS stats{};
    SGE_GetMemBlockStats(&stats, SPW_ObjsMem);
    return stats.dwUsedBytes;
  }
  vntest::TempDir dir;
  vntest::ScopedWorkingDir cwd{dir.path()};
};

std::vector<std::string> Lines(const std::string& tag, int count) {
  std::vector<std::string> lines;
  for (int i = 0; i < count; ++i) lines.push_back(tag + " " + std::to_string(i));
  return lines;
}

TEST_F(Locale, EachLanguageReadsItsOwnFile) {
  for (const char* code : VNWRITE_LOCALE_CODES)
    ASSERT_TRUE(vnWRITE_LocaleFile(dir.path(), code, Lines(code, VN_LOCALE_NUM_LINES)));
  ASSERT_EQ(vnLOCALE_Init(), 1);
  EXPECT_EQ(vnLOCALE_GetLanguageIndex(), 0);
  const char* expectedNames[] = {"English", "Deutsche", "Espanol", "Francais"};
  int previous = 0;
  for (int i = 0; i < VN_LOCALE_NUM_LANGUAGES; ++i) {
    EXPECT_EQ(vnLOCALE_SetLanguage(i), previous);
    previous = i;
    const std::string code = VNWRITE_LOCALE_CODES[i];
    EXPECT_EQ(vnLOCALE_GetCurrent(), vnLOCALE_GetLanguage(i));
    EXPECT_EQ(code, vnLOCALE_GetCurrent()->pszCode);
    EXPECT_STREQ(vnLOCALE_GetLanguage(i)->pszName, expectedNames[i]);
    EXPECT_EQ(code + " 0", vnLOCALE_GetLine(0));
    EXPECT_EQ(code + " 517", vnLOCALE_GetLine(517));
    EXPECT_EQ(code + " 1001", vnLOCALE_GetLine(1001));
  }
}

TEST_F(Locale, MissingKeysAreEmptyLines) {
  ASSERT_TRUE(vnWRITE_LocaleFileKeys(dir.path(), "eng", {{0, "zero"}, {5, "five"}}));
  ASSERT_EQ(vnLOCALE_Init(), 1);
  EXPECT_STREQ(vnLOCALE_GetLine(0), "zero");
  for (int i : {1, 4, 6, 1001}) EXPECT_STREQ(vnLOCALE_GetLine(i), "") << i;
  EXPECT_STREQ(vnLOCALE_GetLine(5), "five");
}

TEST_F(Locale, LongLinesAreCutTo999AndTextKeepsItsBlanks) {
  ASSERT_TRUE(vnWRITE_LocaleFile(dir.path(), "eng",
                                 {std::string(1500, 'w'), "  padded  ", "\"quoted\"", "a=b"}));
  ASSERT_EQ(vnLOCALE_Init(), 1);
  EXPECT_EQ(std::string(vnLOCALE_GetLine(0)), std::string(VN_LOCALE_MAX_LINE_CHARS, 'w'));
  EXPECT_STREQ(vnLOCALE_GetLine(1), "  padded  ");
  EXPECT_STREQ(vnLOCALE_GetLine(2), "\"quoted\"");
  EXPECT_STREQ(vnLOCALE_GetLine(3), "a=b");
}

TEST_F(Locale, GetStringSkipsTheGroupHeading) {
  ASSERT_TRUE(vnWRITE_LocaleFile(dir.path(), "eng", Lines("l", 20)));
  ASSERT_EQ(vnLOCALE_Init(), 1);
  EXPECT_STREQ(vnLOCALE_GetString(10, 0), "l 11");
  EXPECT_STREQ(vnLOCALE_GetString(10, 3), "l 14");
}

TEST_F(Locale, IndicesOutOfRangeGiveEmptyLines) {
  ASSERT_TRUE(vnWRITE_LocaleFile(dir.path(), "eng", Lines("l", VN_LOCALE_NUM_LINES)));
  // Before any load.
  EXPECT_STREQ(vnLOCALE_GetLine(3), "");
  ASSERT_EQ(vnLOCALE_Init(), 1);
  for (int i : {-1, INT_MIN, VN_LOCALE_NUM_LINES, 5000, INT_MAX})
    EXPECT_STREQ(vnLOCALE_GetLine(i), "") << i;
  EXPECT_STREQ(vnLOCALE_GetString(1001, 0), "");
  EXPECT_STREQ(vnLOCALE_GetString(INT_MAX, 1), "");
  EXPECT_STREQ(vnLOCALE_GetString(-2, 0), "");
  EXPECT_EQ(vnLOCALE_GetLanguage(4), nullptr);
  EXPECT_EQ(vnLOCALE_GetLanguage(-1), nullptr);
  vntest::TraceCapture trace;
  EXPECT_EQ(vnLOCALE_SetLanguage(7), -1);
  EXPECT_EQ(vnLOCALE_GetLanguageIndex(), 0);
  EXPECT_STREQ(vnLOCALE_GetLine(2), "l 2");
}

TEST_F(Locale, MissingFileFailsAndLeavesNoLines) {
  ASSERT_TRUE(vnWRITE_LocaleFile(dir.path(), "eng", Lines("l", 10)));
  ASSERT_EQ(vnLOCALE_Init(), 1);
  vntest::TraceCapture trace;
  EXPECT_EQ(vnLOCALE_SetLanguage(2), -1);
  EXPECT_TRUE(trace.contains("Can't open locale file!!"));
  EXPECT_EQ(vnLOCALE_GetLanguageIndex(), 2);
  EXPECT_STREQ(vnLOCALE_GetLine(1), "");
}

TEST_F(Locale, InitReportsAMissingFile) {
  vntest::TraceCapture trace;
  EXPECT_EQ(vnLOCALE_Init(), 0);
  EXPECT_STREQ(vnLOCALE_GetLine(0), "");
}

TEST_F(Locale, FailedAllocationFailsTheLoad) {
  ASSERT_TRUE(vnWRITE_LocaleFile(dir.path(), "eng", Lines("l", VN_LOCALE_NUM_LINES)));
  // Fill the block so that not even the line array fits.
  std::vector<void*> hogs;
  for (uint32_t size = 1u << 20; size >= 8; size /= 2)
    while (void* p = SGE_MemAlloc(SPW_ObjsMem, size)) hogs.push_back(p);
  {
    vntest::TraceCapture trace;
    EXPECT_EQ(vnLOCALE_SetLanguage(0), -1);
    EXPECT_FALSE(trace.lines().empty());
    EXPECT_STREQ(vnLOCALE_GetLine(0), "");
    EXPECT_EQ(vnLOCALE_GetCurrent()->ppszLines, nullptr);
  }
  // Room for the array but not for every line: still a failed load, nothing left behind.
  bool freed = false;
  for (void*& p : hogs) {
    if (SGE_MemSize(p) != 8192) continue;
    SGE_MemFree(p);
    p = nullptr;
    freed = true;
    break;
  }
  ASSERT_TRUE(freed);
  const uint32_t before = UsedBytes();
  {
    vntest::TraceCapture trace;
    EXPECT_EQ(vnLOCALE_SetLanguage(0), -1);
    EXPECT_EQ(vnLOCALE_GetCurrent()->ppszLines, nullptr);
    EXPECT_EQ(UsedBytes(), before);
  }
  for (void* p : hogs)
    if (p) SGE_MemFree(p);
  EXPECT_EQ(vnLOCALE_SetLanguage(0), 0);
  EXPECT_STREQ(vnLOCALE_GetLine(1001), "l 1001");
}

TEST_F(Locale, SwitchingAndFreeingReturnTheMemory) {
  for (const char* code : VNWRITE_LOCALE_CODES)
    ASSERT_TRUE(vnWRITE_LocaleFile(dir.path(), code, Lines("xx", VN_LOCALE_NUM_LINES)));
  const uint32_t empty = UsedBytes();
  ASSERT_EQ(vnLOCALE_Init(), 1);
  const uint32_t one = UsedBytes();
  EXPECT_GT(one, empty);
  EXPECT_EQ(vnLOCALE_SetLanguage(1), 0);
  EXPECT_EQ(UsedBytes(), one);
  EXPECT_EQ(vnLOCALE_SetLanguage(1), 1);  // reloading the same language
  EXPECT_EQ(UsedBytes(), one);
  vnLOCALE_Free();
  EXPECT_EQ(UsedBytes(), empty);
  EXPECT_STREQ(vnLOCALE_GetLine(0), "");
}

}  // namespace
