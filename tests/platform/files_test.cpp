#include "platform/files.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "tests/support/support.h"

namespace fs = std::filesystem;

namespace {

class FilesTest : public testing::Test {
 protected:
  FilesTest() {
    dir_.write("Export/Pows/Trooper.pow", "pow");
    dir_.write("Export/Pows/Bug.POW", "bug!");
    dir_.write("Export/Pows/readme.txt", "");
    dir_.write("Data/Name.txt", "upper");
    dir_.write("Data/name.txt", "lower");
    fs::create_directories(dir_.file("Export/Pows/Sub.pow"));
  }
  std::string root(const std::string& rel) const { return dir_.file(rel); }
  vntest::TempDir dir_;
};

std::vector<std::string> Names(const std::vector<PLAT_FindEntry>& entries) {
  std::vector<std::string> names;
  for (const auto& e : entries) names.push_back(e.name);
  return names;
}

}  // namespace

TEST_F(FilesTest, ResolvesEveryComponentWithoutRegardToCase) {
  struct Case {
    const char* given;
    const char* real;
    bool exists;
  } cases[] = {
      {"EXPORT\\POWS\\trooper.POW", "Export/Pows/Trooper.pow", true},
      {"export/POWs/bug.pow", "Export/Pows/Bug.POW", true},
      {"Export\\\\Pows\\.\\Bug.pow", "Export/Pows/Bug.POW", true},
      // Missing parts keep their spelling so that a new file lands in the real folder.
      {"EXPORT\\NewDir\\New.txt", "Export/NewDir/New.txt", false},
      {"export\\pows\\missing.pow", "Export/Pows/missing.pow", false},
      // Two names that differ only in case: the exact one wins, then the smaller one.
      {"data/name.txt", "Data/name.txt", true},
      {"data/Name.txt", "Data/Name.txt", true},
      {"data/NAME.TXT", "Data/Name.txt", true},
  };
  for (const Case& c : cases) {
    bool exists = !c.exists;
    std::string real = PLAT_ResolvePath(root(c.given).c_str(), &exists);
    EXPECT_EQ(real, root(c.real)) << c.given;
    EXPECT_EQ(exists, c.exists) << c.given;
  }
}

TEST_F(FilesTest, RelativePathsResolveAgainstTheWorkingDirectory) {
  vntest::ScopedWorkingDir cwd(dir_.path());
  bool exists = false;
  EXPECT_EQ(PLAT_ResolvePath("export\\pows\\TROOPER.pow", &exists), "Export/Pows/Trooper.pow");
  EXPECT_TRUE(exists);

  FILE* f = PLAT_FOpen("EXPORT\\POWS\\bug.pow", "rb");
  ASSERT_NE(f, nullptr);
  char buf[8] = {};
  EXPECT_EQ(std::fread(buf, 1, sizeof buf, f), 4u);
  std::fclose(f);
  EXPECT_STREQ(buf, "bug!");

  FILE* out = PLAT_FOpen("EXPORT/pows/Created.txt", "wb");
  ASSERT_NE(out, nullptr);
  std::fclose(out);
  EXPECT_TRUE(fs::exists(dir_.file("Export/Pows/Created.txt")));
}

TEST_F(FilesTest, QueriesFollowTheResolvedPath) {
  EXPECT_TRUE(PLAT_FileExists(root("EXPORT/POWS/BUG.POW").c_str()));
  EXPECT_FALSE(PLAT_FileExists(root("export/pows").c_str()));
  EXPECT_TRUE(PLAT_IsDirectory(root("export/pows").c_str()));
  int64_t mtime = 0;
  uint64_t size = 0;
  ASSERT_TRUE(PLAT_FileStat(root("export/pows/bug.pow").c_str(), &mtime, &size));
  EXPECT_EQ(size, 4u);
  EXPECT_GT(mtime, 0);
  EXPECT_FALSE(PLAT_FileStat(root("export/pows/none.pow").c_str(), &mtime, &size));

  EXPECT_TRUE(PLAT_MakeDirectory(root("EXPORT/Fresh").c_str()));
  EXPECT_TRUE(fs::is_directory(dir_.file("Export/Fresh")));
  EXPECT_TRUE(PLAT_MakeDirectory(root("export/FRESH").c_str()));  // already there
  EXPECT_TRUE(PLAT_RemoveFile(root("EXPORT/POWS/README.TXT").c_str()));
  EXPECT_FALSE(fs::exists(dir_.file("Export/Pows/readme.txt")));
  EXPECT_FALSE(PLAT_RemoveFile(root("EXPORT/POWS/README.TXT").c_str()));
}

TEST_F(FilesTest, FindFilesMatchesWildcardsWithoutRegardToCase) {
  struct Case {
    const char* pattern;
    std::vector<std::string> names;
  } cases[] = {
      {"EXPORT/POWS/*.pow", {"Bug.POW", "Sub.pow", "Trooper.pow"}},
      {"export\\pows\\*.*", {"Bug.POW", "Sub.pow", "Trooper.pow", "readme.txt"}},
      {"export/pows/?UG.*", {"Bug.POW"}},
      {"export/pows/t*", {"Trooper.pow"}},
      {"export/pows/*.dll", {}},
      {"export/missing/*.*", {}},
  };
  for (const Case& c : cases)
    EXPECT_EQ(Names(PLAT_FindFiles(root(c.pattern).c_str())), c.names) << c.pattern;

  auto entries = PLAT_FindFiles(root("export/pows/*.pow").c_str());
  ASSERT_EQ(entries.size(), 3u);
  EXPECT_FALSE(entries[0].isDirectory);
  EXPECT_EQ(entries[0].size, 4u);
  EXPECT_TRUE(entries[1].isDirectory);
}

TEST_F(FilesTest, FindFilesMarksSymbolicLinksToFilesAndFolders) {
  fs::create_directory_symlink(root("Export"), root("Data/up"));
  fs::create_symlink(root("Data/Name.txt"), root("Data/alias.txt"));
  auto entries = PLAT_FindFiles(root("Data/*").c_str());
  ASSERT_EQ(Names(entries), (std::vector<std::string>{"Name.txt", "alias.txt", "name.txt", "up"}));
  EXPECT_FALSE(entries[0].isLink);
  EXPECT_TRUE(entries[1].isLink);
  EXPECT_FALSE(entries[1].isDirectory);
  EXPECT_TRUE(entries[3].isLink);
  EXPECT_TRUE(entries[3].isDirectory);
}

TEST(Wildcard, Patterns) {
  struct Case {
    const char* pattern;
    const char* name;
    bool match;
  } cases[] = {
      {"*.*", "noextension", true},  {"*.*", "a.b.c", true},
      {"*.dll", "GFXDRV.DLL", true}, {"*.dll", "gfxdrv.dll.bak", false},
      {"lib*.so", "libgfxdrv.so", true}, {"lib*.so", "gfxdrv.so", false},
      {"a?c", "abc", true},          {"a?c", "ac", false},
      {"*", "", true},               {"", "a", false},
      {"*a*b*c", "xaxxbxxcx", false}, {"*a*b*c", "xaxxbxxc", true},
      {"gfxdrv.*", "gfxdrv", true},   {"GFX*", "gfxdrv_debug.dll", true},
  };
  for (const Case& c : cases)
    EXPECT_EQ(PLAT_WildcardMatch(c.pattern, c.name), c.match) << c.pattern << " / " << c.name;
}

TEST_F(FilesTest, WorkingDirectoryFollowsResolvedPaths) {
  vntest::ScopedWorkingDir keep(dir_.path());
  ASSERT_TRUE(PLAT_SetWorkingDir("EXPORT\\pows"));
  EXPECT_EQ(fs::path(PLAT_GetWorkingDir()), fs::canonical(dir_.file("Export/Pows")));
  vntest::TraceCapture trace;
  EXPECT_FALSE(PLAT_SetWorkingDir("no/such/folder"));
  EXPECT_TRUE(trace.contains("PLAT_SetWorkingDir"));
}

TEST_F(FilesTest, AtomicWriteReplacesTheWholeFile) {
  std::string path = dir_.write("Data/store.bin", "old contents that are long");
  ASSERT_TRUE(PLAT_WriteFileAtomic(path.c_str(), "new", 3));
  EXPECT_EQ(vntest::readFile(path), "new");
  // Nothing but the target is left in the folder.
  EXPECT_EQ(Names(PLAT_FindFiles(root("Data/*").c_str())),
            (std::vector<std::string>{"Name.txt", "name.txt", "store.bin"}));
  vntest::TraceCapture trace;
  EXPECT_FALSE(PLAT_WriteFileAtomic(root("Nowhere/x/store.bin").c_str(), "x", 1));
  EXPECT_TRUE(trace.contains("PLAT_WriteFileAtomic"));
}

TEST_F(FilesTest, FileHandleClosesAndFlushesWhenItGoesOutOfScope) {
  const std::string path = root("Data/out.bin");
  {
    PLAT_FileHandle f(PLAT_FOpen(root("DATA/out.bin").c_str(), "wb"));
    ASSERT_TRUE(f);
    ASSERT_EQ(std::fwrite("abc", 1, 3, f.get()), 3u);
  }
  EXPECT_EQ(vntest::readFile(path), "abc");
}

TEST(FileHandle, CloseFileReportsWhetherTheBytesReachedTheFile) {
  PLAT_FileHandle none;
  EXPECT_FALSE(PLAT_CloseFile(none));
  // /dev/full takes the buffered write and refuses it at the close.
  PLAT_FileHandle full(PLAT_FOpen("/dev/full", "wb"));
  ASSERT_TRUE(full);
  ASSERT_EQ(std::fwrite("x", 1, 1, full.get()), 1u);
  EXPECT_FALSE(PLAT_CloseFile(full));
  EXPECT_FALSE(full);  // closed either way, never twice
  vntest::TempDir dir;
  PLAT_FileHandle ok(PLAT_FOpen(dir.file("ok.bin").c_str(), "wb"));
  ASSERT_TRUE(ok);
  EXPECT_TRUE(PLAT_CloseFile(ok));
  EXPECT_FALSE(ok);
}
