#include "shell/util.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>
#include <vector>

#include "platform/ini.h"
#include "platform/window/window.h"
#include "tests/support/support.h"

namespace {

struct Recorder {
  std::vector<std::string> values;
  std::vector<int> modes;
  int stopAfter = -1;  // return 0 on this call (1-based); -1 never
};

int Record(const char* value, void* output, void* /*user*/) {
  auto* r = static_cast<Recorder*>(output);
  r->values.emplace_back(value);
  r->modes.push_back(vnUTIL_GetIniReadMode());
  return static_cast<int>(r->values.size()) == r->stopAfter ? 0 : 1;
}

class UtilIni : public ::testing::Test {
 protected:
  void SetUp() override { PLAT_IniFlushCache(); }
  std::string Write(const std::string& body) { return dir.write("text.ini", "[Text]\r\n" + body); }
  vntest::TempDir dir;
};

TEST(UtilFileExists, TellsFilesFromFoldersAndMissingPaths) {
  vntest::TempDir dir;
  dir.write("Data/Some.TXT", "x");
  vntest::ScopedWorkingDir cwd(dir.path());
  const struct {
    const char* path;
    int expected;
  } cases[] = {{"Data/Some.TXT", 1}, {"data/some.txt", 1}, {"DATA\\SOME.txt", 1},
               {"Data/Other.txt", 0}, {"Data", 0}, {"", 0}};
  for (const auto& c : cases) EXPECT_EQ(vnUTIL_FileExists(c.path), c.expected) << c.path;
  EXPECT_EQ(vnUTIL_FileExists(nullptr), 0);
}

TEST_F(UtilIni, AppendLineBuildsTextUntilFirstEmptyValue) {
  // line2 is empty: the text ends after two lines; line3 is never read.
  const std::string file = Write("line0=First\r\nline1=Second\r\nline2=\r\nline3=Never\r\n");
  char buffer[256] = "";
  VNUTIL_TEXT text{buffer, sizeof buffer};
  vnUTIL_ReadIniLines(file.c_str(), "Text", vnUTIL_AppendLine, &text, nullptr, 0);
  EXPECT_STREQ(buffer, "\nFirst\nSecond");
}

TEST_F(UtilIni, DotLineMakesAnEmptyLine) {
  const std::string file = Write("line0=a\r\nline1=.\r\nline2=b\r\n");
  char buffer[64] = "";
  VNUTIL_TEXT text{buffer, sizeof buffer};
  vnUTIL_ReadIniLines(file.c_str(), "Text", vnUTIL_AppendLine, &text, nullptr, 0);
  EXPECT_STREQ(buffer, "\na\n\nb");
}

TEST_F(UtilIni, AppendLineCutsAFullTextAndStops) {
  const std::string file = Write("line0=abc\r\nline1=defgh\r\nline2=ijk\r\n");
  char buffer[8] = "";
  VNUTIL_TEXT text{buffer, sizeof buffer};
  vntest::TraceCapture trace;
  EXPECT_EQ(vnUTIL_ReadIniLines(file.c_str(), "Text", vnUTIL_AppendLine, &text, nullptr, 0), 2);
  EXPECT_STREQ(buffer, "\nabc\nde");
  EXPECT_TRUE(trace.contains("full"));
}

TEST_F(UtilIni, MissingKeysAreCountedOverTheWholeRead) {
  // Every odd key is missing: the eleventh missing one is line21, not a run of eleven.
  std::string body;
  for (int i = 0; i <= 40; i += 2) body += "line" + std::to_string(i) + "=v" + std::to_string(i) + "\r\n";
  const std::string file = Write(body);
  Recorder r;
  EXPECT_EQ(vnUTIL_ReadIniLines(file.c_str(), "Text", Record, &r, nullptr, 0), 21);
  ASSERT_EQ(r.values.size(), 21u);
  EXPECT_EQ(r.values[0], "v0");
  EXPECT_EQ(r.values[1], "");  // a missing key is passed on, empty
  EXPECT_EQ(r.values[20], "v20");
}

TEST_F(UtilIni, ModeIsVisibleToTheCallback) {
  const std::string file = Write("line0=a\r\n");
  for (int mode : {0, 3, VN_UTIL_INI_NO_LIMIT}) {
    Recorder r;
    r.stopAfter = 1;
    vnUTIL_ReadIniLines(file.c_str(), "Text", Record, &r, nullptr, mode);
    ASSERT_EQ(r.modes.size(), 1u);
    EXPECT_EQ(r.modes[0], mode);
  }
}

TEST_F(UtilIni, UnlimitedReadOfNothingStopsAtTheCallback) {
  char buffer[16] = "";
  VNUTIL_TEXT text{buffer, sizeof buffer};
  const std::string missing = dir.file("none.ini");
  EXPECT_EQ(vnUTIL_ReadIniLines(missing.c_str(), "Text", vnUTIL_AppendLine, &text, nullptr,
                                VN_UTIL_INI_NO_LIMIT),
            1);
  EXPECT_STREQ(buffer, "");
}

TEST_F(UtilIni, UnlimitedReadIsBoundedWhenTheCallbackNeverStops) {
  const std::string file = Write("line0=a\r\n");
  Recorder r;
  vntest::TraceCapture trace;
  EXPECT_EQ(vnUTIL_ReadIniLines(file.c_str(), "Text", Record, &r, nullptr, VN_UTIL_INI_NO_LIMIT),
            VN_UTIL_MAX_INI_LINES);
  EXPECT_TRUE(trace.contains("stopped"));
}

TEST_F(UtilIni, ValuesAreCutTo999Characters) {
  const std::string file = Write("line0=" + std::string(1500, 'x') + "\r\n");
  Recorder r;
  r.stopAfter = 1;
  vnUTIL_ReadIniLines(file.c_str(), "Text", Record, &r, nullptr, 0);
  ASSERT_EQ(r.values.size(), 1u);
  EXPECT_EQ(r.values[0].size(), 999u);
}

TEST(UtilLineKey, NamesALineByItsNumberInDecimal) {
  const struct {
    int32_t line;
    const char* key;
  } cases[] = {{0, "line0"},          {9, "line9"},
               {10, "line10"},        {1001, "line1001"},
               {-1, "line-1"},        {-1002, "line-1002"},
               {INT32_MAX, "line2147483647"}, {INT32_MIN, "line-2147483648"}};
  for (const auto& c : cases) {
    char key[VN_UTIL_LINE_KEY_SIZE];
    std::memset(key, 'x', sizeof key);
    vnUTIL_LineKey(c.line, key);
    EXPECT_STREQ(key, c.key) << c.line;
  }
}

TEST(UtilIniArgs, BadArgumentsReadNothing) {
  vntest::TraceCapture trace;
  Recorder r;
  EXPECT_EQ(vnUTIL_ReadIniLines(nullptr, "Text", Record, &r, nullptr, 0), 0);
  EXPECT_EQ(vnUTIL_ReadIniLines("x.ini", nullptr, Record, &r, nullptr, 0), 0);
  EXPECT_EQ(vnUTIL_ReadIniLines("x.ini", "Text", nullptr, &r, nullptr, 0), 0);
  EXPECT_TRUE(r.values.empty());
  EXPECT_FALSE(trace.lines().empty());
}

TEST(UtilGuid, TextRoundTripInTheBareForm) {
  const PLAT_GUID g{0xEAA64F58, 0x035E, 0x4EFA, {0x82, 0x4B, 0x90, 0x8D, 0xA8, 0xB8, 0xD9, 0x11}};
  const char* text = vnUTIL_GuidToString(&g);
  ASSERT_NE(text, nullptr);
  EXPECT_STREQ(text, "eaa64f58-035e-4efa-824b-908da8b8d911");
  PLAT_GUID back{};
  EXPECT_EQ(vnUTIL_StringToGuid("EAA64F58-035E-4EFA-824B-908DA8B8D911", &back), 1);
  EXPECT_EQ(vnUTIL_GuidEqual(&g, &back), 1);
}

TEST(UtilGuid, RejectsBracesAndGarbageLeavingTheOutputAlone) {
  vntest::TraceCapture trace;
  const PLAT_GUID marker{1, 2, 3, {4, 5, 6, 7, 8, 9, 10, 11}};
  for (const char* bad : {"{EAA64F58-035E-4EFA-824B-908DA8B8D911}", "EAA64F58-035E-4EFA-824B",
                          "not a guid", ""}) {
    PLAT_GUID out = marker;
    EXPECT_EQ(vnUTIL_StringToGuid(bad, &out), 0) << bad;
    EXPECT_EQ(vnUTIL_GuidEqual(&out, &marker), 1) << bad;
  }
  PLAT_GUID out{};
  EXPECT_EQ(vnUTIL_StringToGuid(nullptr, &out), 0);
}

TEST(UtilGuid, NullComparesAsTheZeroGuid) {
  const PLAT_GUID zero{};
  const PLAT_GUID one{1, 0, 0, {}};
  EXPECT_EQ(vnUTIL_GuidEqual(nullptr, &zero), 1);
  EXPECT_EQ(vnUTIL_GuidEqual(&one, nullptr), 0);
  EXPECT_EQ(vnUTIL_GuidEqual(&one, &zero), 0);
  EXPECT_EQ(vnUTIL_GuidToString(nullptr), nullptr);
}

TEST(UtilWindow, CentresTheMainWindowKeepingItsSize) {
  ASSERT_TRUE(PLAT_InitVideo());
  if (PLAT_MainWindow() == nullptr) {
    vntest::TraceCapture trace;
    EXPECT_EQ(vnUTIL_CentreWindow(), 0);
  }
  PLAT_Window* w = PLAT_CreateWindow("centre", 200, 100, 0);
  ASSERT_NE(w, nullptr);
  PLAT_SetWindowPos(w, 3, 5);
  EXPECT_EQ(vnUTIL_CentreWindow(), 1);
  int x, y, width, height, dw, dh;
  PLAT_GetWindowRect(w, &x, &y, &width, &height);
  PLAT_GetDesktopSize(&dw, &dh);
  EXPECT_EQ(width, 200);
  EXPECT_EQ(height, 100);
  EXPECT_EQ(x, (dw - 200) / 2);
  EXPECT_EQ(y, (dh - 100) / 2);
  PLAT_DestroyWindow(w);
}

}  // namespace
