#include "platform/ini.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>

#include "tests/support/support.h"

namespace {

const char* kSample =
    "; settings\r\n"
    "[General]\r\n"
    "Name = \"Quoted Value\"  \r\n"
    "name=second\r\n"
    "Count=  42\r\n"
    "Neg=-17\r\n"
    "Junk=12abc\r\n"
    "Huge=99999999999\r\n"
    "Word=abc\r\n"
    "a line without an equals sign\r\n"
    "Empty=\r\n"
    "  Spaces =   padded value   \r\n"
    "; Hidden=1\r\n"
    "[ Other ]\r\n"
    "Key='single'\r\n"
    "Half=\"open\r\n"
    "[general]\r\n"
    "Extra=yes\r\n"
    "Count=7\r\n";

class IniTest : public testing::Test {
 protected:
  void SetUp() override {
    PLAT_IniFlushCache();
    file_ = dir_.write("Settings.ini", kSample);
  }
  std::string get(const char* section, const char* key, const char* def = "DEF") {
    char buf[256];
    PLAT_IniGetString(section, key, def, buf, sizeof buf, file_.c_str());
    return buf;
  }
  vntest::TempDir dir_;
  std::string file_;
};

std::string List(const char* buf, uint32_t count) { return std::string(buf, count); }

}  // namespace

TEST_F(IniTest, ReadsValuesWithProfileSemantics) {
  struct Case {
    const char* section;
    const char* key;
    const char* expected;
  } cases[] = {
      {"general", "NAME", "Quoted Value"},  // quotes stripped, first duplicate wins
      {"General", "Count", "42"},           // only the first of repeated sections is read
      {"GENERAL", "Extra", "DEF"},
      {"General", "Spaces", "padded value"},
      {"General", "Empty", ""},
      {"General", "Hidden", "DEF"},  // comment line
      {"General", "a line without an equals sign", "DEF"},
      {"other", "key", "single"},
      {"Other", "Half", "\"open"},  // one quote alone stays
      {"Missing", "Key", "DEF"},
      {"General", "Missing", "DEF"},
  };
  for (const Case& c : cases) EXPECT_EQ(get(c.section, c.key), c.expected) << c.section << "/" << c.key;
}

TEST_F(IniTest, AByteOrderMarkDoesNotHideTheFirstSection) {
  const std::string file = dir_.write("bom.ini", "\xEF\xBB\xBF[LocaleStrings]\r\nline0=first\r\n");
  char buf[32];
  PLAT_IniGetString("LocaleStrings", "line0", "", buf, sizeof buf, file.c_str());
  EXPECT_STREQ(buf, "first");
}

TEST_F(IniTest, CutsToTheBufferAndCountsWhatWasCopied) {
  char buf[5];
  EXPECT_EQ(PLAT_IniGetString("General", "Name", "", buf, sizeof buf, file_.c_str()), 4u);
  EXPECT_STREQ(buf, "Quot");
  EXPECT_EQ(PLAT_IniGetString("General", "None", "default", buf, sizeof buf, file_.c_str()), 4u);
  EXPECT_STREQ(buf, "defa");
  char one[1] = {'x'};
  EXPECT_EQ(PLAT_IniGetString("General", "Name", "", one, 1, file_.c_str()), 0u);
  EXPECT_EQ(one[0], '\0');
}

TEST_F(IniTest, ListsSectionsAndKeysAsDoubleNulTerminatedTexts) {
  char buf[256];
  uint32_t n = PLAT_IniGetString(nullptr, nullptr, "", buf, sizeof buf, file_.c_str());
  EXPECT_EQ(List(buf, n + 1), std::string("General\0Other\0\0", 15));
  n = PLAT_IniGetString("other", nullptr, "", buf, sizeof buf, file_.c_str());
  EXPECT_EQ(List(buf, n + 1), std::string("Key\0Half\0\0", 10));
  // A list that does not fit is cut and still ends with two NULs.
  char small[10];
  n = PLAT_IniGetString("General", nullptr, "", small, sizeof small, file_.c_str());
  EXPECT_EQ(n, 8u);
  EXPECT_EQ(small[8], '\0');
  EXPECT_EQ(small[9], '\0');
  EXPECT_STREQ(small, "Name");
  EXPECT_STREQ(small + 5, "Cou");
}

TEST_F(IniTest, IntegersTakeTheLeadingNumber) {
  struct Case {
    const char* key;
    int expected;
  } cases[] = {
      {"Count", 42}, {"Neg", -17}, {"Junk", 12}, {"Huge", 1215752191},  // 99999999999 wrapped
      {"Word", 0},   {"Empty", 99}, {"Missing", 99},
  };
  for (const Case& c : cases)
    EXPECT_EQ(PLAT_IniGetInt("General", c.key, 99, file_.c_str()), c.expected) << c.key;
}

TEST_F(IniTest, FilesFromOtherEditorsReadAsTheProfileFunctionsReadThem) {
  // Lines ended by a CR alone, a section repeated, numbers past 32 bits and defaults with
  // trailing blanks.
  const std::string path = dir_.write(
      "mac.ini", "[A]\rKey=one\rBig=4294967297\rLow=-2147483649\rTop=2147483648\r[B]\rKey=two\r"
                 "[a]\rKey=three\rMore=yes\r");
  char buf[32];
  PLAT_IniGetString("A", "Key", "", buf, sizeof buf, path.c_str());
  EXPECT_STREQ(buf, "one");
  PLAT_IniGetString("B", "Key", "", buf, sizeof buf, path.c_str());
  EXPECT_STREQ(buf, "two");
  PLAT_IniGetString("A", "More", "none", buf, sizeof buf, path.c_str());
  EXPECT_STREQ(buf, "none");
  uint32_t n = PLAT_IniGetString(nullptr, nullptr, "", buf, sizeof buf, path.c_str());
  EXPECT_EQ(List(buf, n + 1), std::string("A\0B\0\0", 5));
  EXPECT_EQ(PLAT_IniGetInt("A", "Big", 0, path.c_str()), 1);
  EXPECT_EQ(PLAT_IniGetInt("A", "Low", 0, path.c_str()), INT_MAX);
  EXPECT_EQ(PLAT_IniGetInt("A", "Top", 0, path.c_str()), INT_MIN);
  EXPECT_EQ(PLAT_IniGetString("A", "None", "dflt  \t  ", buf, sizeof buf, path.c_str()), 7u);
  EXPECT_STREQ(buf, "dflt  \t");
  EXPECT_EQ(PLAT_IniGetString("A", "None", "   ", buf, sizeof buf, dir_.file("no.ini").c_str()), 0u);
  // A write keeps the CR line ends and lands in the first section.
  ASSERT_TRUE(PLAT_IniWriteString("a", "More", "added", path.c_str()));
  PLAT_IniGetString("A", "More", "none", buf, sizeof buf, path.c_str());
  EXPECT_STREQ(buf, "added");
  EXPECT_EQ(vntest::readFile(path).find('\n'), std::string::npos);
}

TEST_F(IniTest, EveryKindOfLineEndEndsALineInOneFile) {
  // LF, CR LF, a bare CR, an empty line between CR LF and a bare CR, CR CR LF, and no end.
  const std::string path =
      dir_.write("mixed.ini", "[A]\nOne=1\r\nTwo=2\rThree=3\r\n\rFour=4\r\r\nFive=5\n[B]\rSix=6");
  char buf[64];
  const uint32_t n = PLAT_IniGetString("A", nullptr, "", buf, sizeof buf, path.c_str());
  EXPECT_EQ(List(buf, n + 1), std::string("One\0Two\0Three\0Four\0Five\0\0", 25));
  const struct {
    const char* section;
    const char* key;
    const char* value;
  } cases[] = {{"A", "One", "1"},  {"A", "Two", "2"},  {"A", "Three", "3"},
               {"A", "Four", "4"}, {"A", "Five", "5"}, {"B", "Six", "6"}};
  for (const auto& c : cases) {
    PLAT_IniGetString(c.section, c.key, "", buf, sizeof buf, path.c_str());
    EXPECT_STREQ(buf, c.value) << c.key;
  }
}

TEST_F(IniTest, MissingFileGivesDefaults) {
  std::string missing = dir_.file("none.ini");
  char buf[16];
  EXPECT_EQ(PLAT_IniGetString("A", "B", "dflt", buf, sizeof buf, missing.c_str()), 4u);
  EXPECT_STREQ(buf, "dflt");
  EXPECT_EQ(PLAT_IniGetInt("A", "B", -5, missing.c_str()), -5);
}

TEST_F(IniTest, PathsResolveWithoutRegardToCase) {
  char buf[16];
  std::string upper = dir_.file("SETTINGS.INI");
  PLAT_IniGetString("other", "key", "", buf, sizeof buf, upper.c_str());
  EXPECT_STREQ(buf, "single");
}

TEST_F(IniTest, RewrittenFileIsReadAgain) {
  EXPECT_EQ(get("Other", "Key"), "single");
  dir_.write("Settings.ini", "[Other]\nKey=changed value\n");
  EXPECT_EQ(get("Other", "Key"), "changed value");
}

TEST_F(IniTest, OverlongLinesAreSkippedWithATrace) {
  std::string text = "[S]\nBefore=1\nLong=" + std::string(200000, 'x') + "\nAfter=2\n";
  std::string path = dir_.write("long.ini", text);
  vntest::TraceCapture trace;
  EXPECT_EQ(PLAT_IniGetInt("S", "Before", 0, path.c_str()), 1);
  EXPECT_EQ(PLAT_IniGetInt("S", "After", 0, path.c_str()), 2);
  char buf[8];
  PLAT_IniGetString("S", "Long", "none", buf, sizeof buf, path.c_str());
  EXPECT_STREQ(buf, "none");
  EXPECT_TRUE(trace.contains("longer than"));
}

TEST_F(IniTest, WritesUpdateInsertAndDeleteKeepingTheRest) {
  ASSERT_TRUE(PLAT_IniWriteString("GENERAL", "count", "5", file_.c_str()));
  ASSERT_TRUE(PLAT_IniWriteString("Other", "New", "added", file_.c_str()));
  ASSERT_TRUE(PLAT_IniWriteString("Fresh", "K", "v", file_.c_str()));
  ASSERT_TRUE(PLAT_IniWriteString("General", "Neg", nullptr, file_.c_str()));
  EXPECT_EQ(PLAT_IniGetInt("General", "Count", 0, file_.c_str()), 5);
  EXPECT_EQ(get("Other", "New"), "added");
  EXPECT_EQ(get("Other", "Key"), "single");
  EXPECT_EQ(get("Fresh", "K"), "v");
  EXPECT_EQ(get("General", "Neg"), "DEF");
  std::string text = vntest::readFile(file_);
  EXPECT_NE(text.find("; settings\r\n"), std::string::npos);
  EXPECT_NE(text.find("count=5\r\n"), std::string::npos);

  std::string created = dir_.file("created.ini");
  ASSERT_TRUE(PLAT_IniWriteString("S", "K", "1", created.c_str()));
  EXPECT_EQ(vntest::readFile(created), "[S]\nK=1\n");
  vntest::TraceCapture trace;
  EXPECT_FALSE(PLAT_IniWriteString("S", "K", "two\nlines", created.c_str()));
  EXPECT_TRUE(trace.contains("PLAT_IniWriteString"));
}

TEST_F(IniTest, ManyKeysAreFoundWithoutRegardToCaseAndTheFirstDuplicateWins) {
  std::string text = "[Big]\n";
  for (int i = 0; i < 500; ++i) text += "Key" + std::to_string(i) + "=v" + std::to_string(i) + "\n";
  text += "KEY7=late\n[big]\nkey8=later\n";
  std::string path = dir_.write("big.ini", text);
  char buf[16];
  for (int i = 0; i < 500; i += 37) {
    const std::string key = "kEY" + std::to_string(i);
    PLAT_IniGetString("BIG", key.c_str(), "", buf, sizeof buf, path.c_str());
    EXPECT_EQ(std::string(buf), "v" + std::to_string(i)) << key;
  }
  EXPECT_EQ(PLAT_IniGetString("Big", "key7", "", buf, sizeof buf, path.c_str()), 2u);
  EXPECT_STREQ(buf, "v7");
  PLAT_IniGetString("Big", "Key8", "", buf, sizeof buf, path.c_str());
  EXPECT_STREQ(buf, "v8");
  PLAT_IniGetString("Big", "Key500", "none", buf, sizeof buf, path.c_str());
  EXPECT_STREQ(buf, "none");
}

TEST_F(IniTest, AHeldFileAnswersFromOneParseByEitherName) {
  const std::string upper = dir_.file("SETTINGS.INI");
  PLAT_IniHold hold(upper.c_str());
  // A change behind the reader's back is not looked for while the file is held...
  dir_.write("Settings.ini", "[Other]\nKey=changed\n");
  EXPECT_EQ(get("Other", "Key"), "single");
  char buf[16];
  PLAT_IniGetString("other", "key", "", buf, sizeof buf, upper.c_str());
  EXPECT_STREQ(buf, "single");
  // ...but a flush reads the file again.
  PLAT_IniFlushCache();
  EXPECT_EQ(get("Other", "Key"), "changed");
}

TEST_F(IniTest, WritesAreSeenWhileTheFileIsHeldAndAfterTheHoldEnds) {
  {
    PLAT_IniHold hold(file_.c_str());
    EXPECT_EQ(get("Other", "Key"), "single");
    ASSERT_TRUE(PLAT_IniWriteString("Other", "Key", "written", file_.c_str()));
    EXPECT_EQ(get("Other", "Key"), "written");
    {
      PLAT_IniHold again(file_.c_str());  // holds nest
    }
    ASSERT_TRUE(PLAT_IniWriteString("Other", "Key", "twice", file_.c_str()));
    EXPECT_EQ(get("Other", "Key"), "twice");
  }
  dir_.write("Settings.ini", "[Other]\nKey=after the hold\n");
  EXPECT_EQ(get("Other", "Key"), "after the hold");
}

TEST_F(IniTest, AHeldFileThatIsMissingGivesDefaultsUntilItIsWritten) {
  const std::string missing = dir_.file("later.ini");
  PLAT_IniHold hold(missing.c_str());
  char buf[16];
  PLAT_IniGetString("S", "K", "dflt", buf, sizeof buf, missing.c_str());
  EXPECT_STREQ(buf, "dflt");
  ASSERT_TRUE(PLAT_IniWriteString("S", "K", "now", missing.c_str()));
  PLAT_IniGetString("S", "K", "dflt", buf, sizeof buf, missing.c_str());
  EXPECT_STREQ(buf, "now");
}

TEST_F(IniTest, AHeldFileAnswersEachSectionInTurn) {
  PLAT_IniHold hold(file_.c_str());
  EXPECT_EQ(get("Other", "Key"), "single");
  EXPECT_EQ(get("General", "Count"), "42");
  EXPECT_EQ(get("other", "KEY"), "single");
  EXPECT_EQ(get("Missing", "Key"), "DEF");
  EXPECT_EQ(get("Other", "Count"), "DEF");
  EXPECT_EQ(get("GENERAL", "Word"), "abc");
}
