// The working directory, paths made against it, and the saved directory.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>

#include "shell/workdir.h"
#include "tests/support/support.h"

namespace {

namespace fs = std::filesystem;

class WorkDir : public ::testing::Test {
 protected:
  void SetUp() override {
    dir.write("Data/Maps/map.txt", "x");
    dir.write("Other/readme.txt", "x");
  }
  std::string Real(const std::string& relative) const {
    return fs::canonical(dir.file(relative)).string();
  }
  std::string Cwd() const { return fs::current_path().string(); }

  vntest::TempDir dir;
  vntest::ScopedWorkingDir wd{dir.path()};
};

TEST_F(WorkDir, LastComponentIsAFolderOnlyWithANameAndNoExtension) {
  struct Case {
    const char* path;
    const char* folder;  // relative to the test folder
  } cases[] = {
      {"data\\maps", "Data/Maps"},
      {"data\\map.txt", "Data"},
      {"data\\maps\\", "Data/Maps"},
      {"DATA/Maps/map.txt", "Data/Maps"},
      {"data/maps/.hidden", "Data/Maps"},
      {"data/maps/..", "Data"},
      {"readme.txt", "."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    fs::current_path(dir.path());
    EXPECT_EQ(SGE_SetWorkingDir(c.path), 1);
    EXPECT_EQ(Cwd(), Real(c.folder));
  }
  fs::current_path(dir.path());
  std::string absolute = dir.file("Other/readme.txt");
  EXPECT_EQ(SGE_SetWorkingDir(absolute.c_str()), 1);
  EXPECT_EQ(Cwd(), Real("Other"));
}

TEST_F(WorkDir, FolderThatCannotBeEnteredLeavesTheDirectoryAsItWas) {
  std::string tooLong(300, 'a');
  for (const char* path : {"missing/folder", tooLong.c_str()}) {
    SCOPED_TRACE(std::string(path).substr(0, 20));
    vntest::TraceCapture trace;
    EXPECT_EQ(SGE_SetWorkingDir(path), 0);
    EXPECT_TRUE(trace.contains("Unable to set working directory! ["));
    EXPECT_EQ(Cwd(), Real("."));
  }
  EXPECT_EQ(SGE_SetWorkingDir(nullptr), 0);
  EXPECT_EQ(Cwd(), Real("."));
}

TEST_F(WorkDir, MakePathIsAbsoluteFromTheWorkingOrTemporaryDirectory) {
  const std::string here = Real(".");
  struct Case {
    const char* temp;
    const char* name;
    std::string expected;
  } cases[] = {
      {nullptr, "Export\\Pows\\a.pow", here + "/Export/Pows/a.pow"},
      {nullptr, "a/../b/./c.txt", here + "/b/c.txt"},
      {"other", "x.txt", here + "/Other/x.txt"},
      {"data\\maps\\map.txt", "y.txt", here + "/Data/Maps/y.txt"},
      {nullptr, "/abs/z.txt", "/abs/z.txt"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    char out[VN_MAX_PATH];
    EXPECT_EQ(SGE_MakePath(out, c.temp, c.name), out);
    EXPECT_EQ(std::string(out), c.expected);
    EXPECT_EQ(Cwd(), here) << "the temporary directory is left again";
  }
}

TEST_F(WorkDir, MakePathWithoutDestinationUsesOneStaticBuffer) {
  char* first = SGE_MakePath(nullptr, nullptr, "one.txt");
  char* second = SGE_MakePath(nullptr, nullptr, "two.txt");
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first, second);
  EXPECT_EQ(std::string(second), Real(".") + "/two.txt");
}

TEST_F(WorkDir, MakePathRefusesWhatItCannotMake) {
  std::string longName(300, 'n');
  vntest::TraceCapture trace;
  char out[VN_MAX_PATH];
  EXPECT_EQ(SGE_MakePath(out, nullptr, longName.c_str()), nullptr);
  EXPECT_EQ(SGE_MakePath(out, "missing", "x.txt"), nullptr);
  EXPECT_EQ(SGE_MakePath(out, nullptr, nullptr), nullptr);
  EXPECT_EQ(Cwd(), Real("."));
  EXPECT_TRUE(trace.contains("SGE_MakePath"));
}

TEST_F(WorkDir, PopReturnsToThePushedDirectoryEvenAfterAPathInATemporaryOne) {
  SGE_PushWorkingDir();
  ASSERT_EQ(SGE_SetWorkingDir("data/maps"), 1);
  char out[VN_MAX_PATH];
  ASSERT_NE(SGE_MakePath(out, dir.file("Other").c_str(), "x.txt"), nullptr);
  EXPECT_EQ(Cwd(), Real("Data/Maps"));
  SGE_PopWorkingDir();
  EXPECT_EQ(Cwd(), Real("."));

  // Nothing saved any more: a second pop changes nothing.
  ASSERT_EQ(SGE_SetWorkingDir("other"), 1);
  vntest::TraceCapture trace;
  SGE_PopWorkingDir();
  EXPECT_EQ(Cwd(), Real("Other"));
  EXPECT_TRUE(trace.contains("SGE_PopWorkingDir"));
}

}  // namespace
