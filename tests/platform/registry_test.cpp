#include "platform/registry.h"

#include <gtest/gtest.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <span>
#include <random>
#include <vector>

#include "tests/support/support.h"

namespace fs = std::filesystem;

namespace {

using Key = PLAT_RegKeyHandle;

Key Create(const char* path, bool* created = nullptr) {
  Key k;
  EXPECT_EQ(PLAT_RegCreateKey(path, &k, created), PLAT_RegResult::Ok) << path;
  return k;
}

Key Open(const char* path, PLAT_RegResult* result = nullptr) {
  Key k;
  PLAT_RegResult r = PLAT_RegOpenKey(path, &k);
  if (result) *result = r;
  return k;
}

std::span<const uint8_t> Bytes(std::string_view text) {
  return {reinterpret_cast<const uint8_t*>(text.data()), text.size()};
}

std::vector<std::string> SetAsideFiles(const std::string& store) {
  std::vector<std::string> found;
  fs::path p(store);
  for (const auto& e : fs::directory_iterator(p.parent_path()))
    if (e.path().filename().string().rfind(p.filename().string() + ".corrupt-", 0) == 0)
      found.push_back(e.path().string());
  return found;
}

// Files beside the store left by writers: "registry.txt.tmp-*".
std::vector<std::string> TemporaryFiles(const std::string& store) {
  std::vector<std::string> found;
  fs::path p(store);
  for (const auto& e : fs::directory_iterator(p.parent_path()))
    if (e.path().filename().string().rfind(p.filename().string() + ".tmp-", 0) == 0)
      found.push_back(e.path().filename().string());
  std::sort(found.begin(), found.end());
  return found;
}

// Runs body in a child process, which ends with body's result, and returns the child's id once
// body has called the ready function it is given; -1 when the child ended before that.
pid_t StartChild(const std::function<int(const std::function<void()>& ready)>& body) {
  int fds[2];
  if (pipe(fds) != 0) return -1;
  pid_t child = fork();
  if (child == 0) {
    close(fds[0]);
    int fd = fds[1];
    _exit(body([&fd] {
      if (fd >= 0 && write(fd, "x", 1) == 1) {
        close(fd);
        fd = -1;
      }
    }));
  }
  close(fds[1]);
  char byte = 0;
  const bool ready = child > 0 && read(fds[0], &byte, 1) == 1;
  close(fds[0]);
  if (!ready && child > 0) waitpid(child, nullptr, 0);
  return ready ? child : -1;
}

}  // namespace

TEST(Registry, CreateReportsWhetherTheKeyIsNewAndPathsIgnoreCase) {
  vntest::ScopedRegistry reg;
  PLAT_RegResult r;
  EXPECT_FALSE(Open("software\\KOR\\SPPD\\v1.00.000\\Display\\General", &r));
  EXPECT_EQ(r, PLAT_RegResult::NotFound);

  bool created = false;
  Create("software\\KOR\\SPPD\\v1.00.000\\Display\\General", &created);
  EXPECT_TRUE(created);
  Create("SOFTWARE\\kor\\sppd\\V1.00.000\\display\\general", &created);
  EXPECT_FALSE(created);
  EXPECT_TRUE(Open("Software\\Kor", &r));

  Key display = Open("software\\KOR\\SPPD\\v1.00.000\\Display");
  Key sub;
  ASSERT_EQ(PLAT_RegCreateSubKey(display.get(), "{5D81DC88-A7D2-4BFE-AF63-9CA4C08B4BEE}\\Preferences",
                                 &sub, &created),
            PLAT_RegResult::Ok);
  EXPECT_TRUE(created);
  ASSERT_EQ(PLAT_RegOpenSubKey(display.get(), "general", &sub), PLAT_RegResult::Ok);
  EXPECT_TRUE(sub);

  // An empty key survives a fresh read of the store, spelled as first written.
  PLAT_RegReload();
  EXPECT_TRUE(Open("software\\kor\\sppd\\v1.00.000\\display\\GENERAL", &r));
  std::string text = vntest::readFile(reg.storePath());
  EXPECT_NE(text.find("[software\\KOR\\SPPD\\v1.00.000\\Display\\General]\n"), std::string::npos);
}

TEST(Registry, ValuesOfEveryTypeSurviveAFreshRead) {
  vntest::ScopedRegistry reg;
  std::vector<uint8_t> bytes(256);
  for (int i = 0; i < 256; ++i) bytes[i] = static_cast<uint8_t>(i);
  const std::string awkward = "quote\" back\\slash\nnew line\ttab \x01 high \xe9\xff end";
  {
    Key k = Create("software\\KOR\\Stuff");
    ASSERT_EQ(PLAT_RegSetDword(k.get(), "ObjectCull", 30), PLAT_RegResult::Ok);
    ASSERT_EQ(PLAT_RegSetBinary(k.get(), "Options", bytes), PLAT_RegResult::Ok);
    ASSERT_EQ(PLAT_RegSetString(k.get(), "Text", awkward), PLAT_RegResult::Ok);
    ASSERT_EQ(PLAT_RegSetString(k.get(), "Raw", std::string_view("ab\0cd", 5)), PLAT_RegResult::Ok);
    ASSERT_EQ(PLAT_RegSetBinary(k.get(), "Nothing", {}), PLAT_RegResult::Ok);
  }
  std::string text = vntest::readFile(reg.storePath());
  EXPECT_NE(text.find("\"ObjectCull\"=dword:0000001e\n"), std::string::npos);
  EXPECT_NE(text.find("\"Options\"=hex:00,01,02,"), std::string::npos);

  PLAT_RegReload();
  Key k = Open("SOFTWARE\\kor\\stuff");
  ASSERT_TRUE(k);
  uint32_t dword = 0;
  EXPECT_EQ(PLAT_RegGetDword(k.get(), "objectcull", &dword), PLAT_RegResult::Ok);
  EXPECT_EQ(dword, 30u);
  std::vector<uint8_t> back;
  EXPECT_EQ(PLAT_RegGetBinary(k.get(), "OPTIONS", &back), PLAT_RegResult::Ok);
  EXPECT_EQ(back, bytes);
  std::string s;
  EXPECT_EQ(PLAT_RegGetString(k.get(), "Text", &s), PLAT_RegResult::Ok);
  EXPECT_EQ(s, awkward);
  EXPECT_EQ(PLAT_RegGetString(k.get(), "Raw", &s), PLAT_RegResult::Ok);
  EXPECT_EQ(s, std::string("ab\0cd", 5));
  back.assign(8, 1);
  EXPECT_EQ(PLAT_RegGetBinary(k.get(), "Nothing", &back), PLAT_RegResult::Ok);
  EXPECT_TRUE(back.empty());
}

// Each value reads back only through the getter of its own type.
TEST(Registry, EachValueReadsOnlyAsItsOwnType) {
  vntest::ScopedRegistry reg;
  Key k = Create("software\\KOR\\SPPD\\v1.00.000\\Display\\General");
  const char* guid = "{5D81DC88-A7D2-4BFE-AF63-9CA4C08B4BEE}";
  const std::vector<uint8_t> record(61, 7);
  ASSERT_EQ(PLAT_RegSetString(k.get(), "Driver", guid), PLAT_RegResult::Ok);
  ASSERT_EQ(PLAT_RegSetDword(k.get(), "Width", 640), PLAT_RegResult::Ok);
  ASSERT_EQ(PLAT_RegSetBinary(k.get(), "Options", record), PLAT_RegResult::Ok);
  PLAT_RegReload();
  k = Open("software\\KOR\\SPPD\\v1.00.000\\Display\\General");
  ASSERT_TRUE(k);

  struct Case {
    const char* name;
    PLAT_RegResult asString, asDword, asBinary;
  } const cases[] = {
      {"driver", PLAT_RegResult::Ok, PLAT_RegResult::WrongType, PLAT_RegResult::WrongType},
      {"WIDTH", PLAT_RegResult::WrongType, PLAT_RegResult::Ok, PLAT_RegResult::WrongType},
      {"options", PLAT_RegResult::WrongType, PLAT_RegResult::WrongType, PLAT_RegResult::Ok},
      {"absent", PLAT_RegResult::NotFound, PLAT_RegResult::NotFound, PLAT_RegResult::NotFound},
  };
  for (const Case& c : cases) {
    std::string text = "untouched";
    uint32_t word = 99;
    std::vector<uint8_t> bytes{1};
    EXPECT_EQ(PLAT_RegGetString(k.get(), c.name, &text), c.asString) << c.name;
    EXPECT_EQ(PLAT_RegGetDword(k.get(), c.name, &word), c.asDword) << c.name;
    EXPECT_EQ(PLAT_RegGetBinary(k.get(), c.name, &bytes), c.asBinary) << c.name;
    if (c.asString != PLAT_RegResult::Ok) {
      EXPECT_EQ(text, "untouched") << c.name;
    }
    if (c.asDword != PLAT_RegResult::Ok) {
      EXPECT_EQ(word, 99u) << c.name;
    }
  }
  std::string text;
  uint32_t word = 0;
  std::vector<uint8_t> bytes;
  PLAT_RegGetString(k.get(), "Driver", &text);
  PLAT_RegGetDword(k.get(), "Width", &word);
  PLAT_RegGetBinary(k.get(), "Options", &bytes);
  EXPECT_EQ(text, guid);
  EXPECT_EQ(word, 640u);
  EXPECT_EQ(bytes, record);
}

TEST(Registry, NamesKeepTheirFirstSpellingAndTypesAreChecked) {
  vntest::ScopedRegistry reg;
  Key k = Create("software\\KOR\\Stuff");
  ASSERT_EQ(PLAT_RegSetDword(k.get(), "Width", 640), PLAT_RegResult::Ok);
  ASSERT_EQ(PLAT_RegSetDword(k.get(), "WIDTH", 800), PLAT_RegResult::Ok);
  std::string text = vntest::readFile(reg.storePath());
  EXPECT_NE(text.find("\"Width\"=dword:00000320"), std::string::npos);
  EXPECT_EQ(text.find("WIDTH"), std::string::npos);

  std::string s;
  uint32_t v = 0;
  EXPECT_EQ(PLAT_RegGetString(k.get(), "width", &s), PLAT_RegResult::WrongType);
  ASSERT_EQ(PLAT_RegSetString(k.get(), "Name", "x"), PLAT_RegResult::Ok);
  EXPECT_EQ(PLAT_RegGetDword(k.get(), "name", &v), PLAT_RegResult::WrongType);
  EXPECT_EQ(PLAT_RegGetDword(k.get(), "absent", &v), PLAT_RegResult::NotFound);

  vntest::TraceCapture trace;
  const std::vector<uint8_t> tooLarge(1024 * 1024 + 1);
  EXPECT_EQ(PLAT_RegSetBinary(k.get(), "Big", tooLarge), PLAT_RegResult::InvalidArgument);
  EXPECT_EQ(PLAT_RegSetDword(k.get(), "new\nline", 1), PLAT_RegResult::InvalidArgument);
  EXPECT_EQ(PLAT_RegSetDword(nullptr, "Width", 1), PLAT_RegResult::InvalidArgument);
  EXPECT_EQ(PLAT_RegGetDword(k.get(), "Width", nullptr), PLAT_RegResult::InvalidArgument);
  Key out;
  EXPECT_EQ(PLAT_RegCreateKey("software\\bad\x01name", &out), PLAT_RegResult::InvalidArgument);
  EXPECT_FALSE(out);
  EXPECT_EQ(trace.lines().size(), 5u);
}

TEST(Registry, ABatchReachesTheStoreInOneWriteAndNotBefore) {
  vntest::ScopedRegistry reg;
  Key prefs = Create("software\\KOR\\SPPD\\Prefs");
  Key stuff = Create("software\\KOR\\Stuff");
  ASSERT_EQ(PLAT_RegSetDword(prefs.get(), "Width", 640), PLAT_RegResult::Ok);
  PLAT_RegBatchHandle batch = PLAT_RegBeginBatch();
  EXPECT_EQ(vntest::countStoreWrites(reg.storePath(), [&] {
              EXPECT_EQ(PLAT_RegSetDword(prefs.get(), "Width", 1024, batch.get()), PLAT_RegResult::Ok);
              EXPECT_EQ(PLAT_RegSetDword(prefs.get(), "Height", 768, batch.get()), PLAT_RegResult::Ok);
              EXPECT_EQ(PLAT_RegSetString(prefs.get(), "Device", "{X}", batch.get()), PLAT_RegResult::Ok);
              EXPECT_EQ(PLAT_RegSetBinary(stuff.get(), "Options", Bytes("abc"), batch.get()),
                        PLAT_RegResult::Ok);
              EXPECT_EQ(PLAT_RegSetDword(prefs.get(), "Width", 800, batch.get()), PLAT_RegResult::Ok);
            }),
            0);
  uint32_t width = 0, height = 0;
  EXPECT_EQ(PLAT_RegGetDword(prefs.get(), "Width", &width), PLAT_RegResult::Ok);
  EXPECT_EQ(width, 640u);  // queued values are not read back before the commit
  EXPECT_EQ(PLAT_RegGetDword(prefs.get(), "Height", &height), PLAT_RegResult::NotFound);

  EXPECT_EQ(vntest::countStoreWrites(reg.storePath(),
                        [&] { EXPECT_EQ(PLAT_RegCommitBatch(batch.get()), PLAT_RegResult::Ok); }),
            1);
  // The batch is empty afterwards: committing again writes nothing.
  EXPECT_EQ(vntest::countStoreWrites(reg.storePath(),
                        [&] { EXPECT_EQ(PLAT_RegCommitBatch(batch.get()), PLAT_RegResult::Ok); }),
            0);
  PLAT_RegReload();
  std::string device;
  std::vector<uint8_t> options;
  EXPECT_EQ(PLAT_RegGetDword(prefs.get(), "Width", &width), PLAT_RegResult::Ok);
  EXPECT_EQ(PLAT_RegGetDword(prefs.get(), "Height", &height), PLAT_RegResult::Ok);
  EXPECT_EQ(PLAT_RegGetString(prefs.get(), "Device", &device), PLAT_RegResult::Ok);
  EXPECT_EQ(PLAT_RegGetBinary(stuff.get(), "Options", &options), PLAT_RegResult::Ok);
  EXPECT_EQ(width, 800u);  // the last queued value of a name wins
  EXPECT_EQ(height, 768u);
  EXPECT_EQ(device, "{X}");
  EXPECT_EQ(options, (std::vector<uint8_t>{'a', 'b', 'c'}));
}

TEST(Registry, ABatchThatCannotBeWhollyWrittenWritesNothing) {
  vntest::ScopedRegistry reg;
  Key prefs = Create("software\\KOR\\Prefs");
  Key gone = Create("software\\KOR\\Gone");
  {
    PLAT_RegBatchHandle batch = PLAT_RegBeginBatch();
    ASSERT_EQ(PLAT_RegSetDword(prefs.get(), "Width", 1024, batch.get()), PLAT_RegResult::Ok);
    ASSERT_EQ(PLAT_RegSetDword(gone.get(), "Height", 768, batch.get()), PLAT_RegResult::Ok);
    ASSERT_EQ(PLAT_RegDeleteKey("software\\KOR\\Gone"), PLAT_RegResult::Ok);
    EXPECT_EQ(vntest::countStoreWrites(reg.storePath(),
                          [&] { EXPECT_EQ(PLAT_RegCommitBatch(batch.get()), PLAT_RegResult::NotFound); }),
              0);
    // Dropped without a commit: nothing is written either.
    ASSERT_EQ(PLAT_RegSetDword(prefs.get(), "Depth", 16, batch.get()), PLAT_RegResult::Ok);
  }
  PLAT_RegReload();
  uint32_t value = 0;
  EXPECT_EQ(PLAT_RegGetDword(prefs.get(), "Width", &value), PLAT_RegResult::NotFound);
  EXPECT_EQ(PLAT_RegGetDword(prefs.get(), "Depth", &value), PLAT_RegResult::NotFound);
  EXPECT_FALSE(Open("software\\KOR\\Gone"));
  EXPECT_EQ(PLAT_RegCommitBatch(nullptr), PLAT_RegResult::InvalidArgument);
}

TEST(Registry, DeletingRemovesKeysWithEverythingUnder) {
  vntest::ScopedRegistry reg;
  Key stuff = Create("software\\KOR\\Stuff");
  Key deep = Create("software\\KOR\\Stuff\\Deep\\Deeper");
  ASSERT_EQ(PLAT_RegSetDword(stuff.get(), "A", 1), PLAT_RegResult::Ok);
  EXPECT_EQ(PLAT_RegDeleteValue(stuff.get(), "a"), PLAT_RegResult::Ok);
  EXPECT_EQ(PLAT_RegDeleteValue(stuff.get(), "a"), PLAT_RegResult::NotFound);

  EXPECT_EQ(PLAT_RegDeleteKey("SOFTWARE\\kor\\stuff"), PLAT_RegResult::Ok);
  PLAT_RegResult r;
  EXPECT_FALSE(Open("software\\KOR\\Stuff\\Deep", &r));
  EXPECT_EQ(r, PLAT_RegResult::NotFound);
  EXPECT_TRUE(Open("software\\KOR"));
  // A handle to a deleted key does not bring the key back.
  EXPECT_EQ(PLAT_RegSetDword(deep.get(), "B", 2), PLAT_RegResult::NotFound);
  Key sub;
  EXPECT_EQ(PLAT_RegCreateSubKey(deep.get(), "X", &sub), PLAT_RegResult::NotFound);
  EXPECT_EQ(PLAT_RegDeleteKey("software\\KOR\\Stuff"), PLAT_RegResult::NotFound);
}

TEST(Registry, StoreFollowsTheEnvironmentOnReload) {
  vntest::TempDir dir;
  std::string nested = dir.file("a/b/registry.txt");
  setenv("VANTORIA_REGISTRY", nested.c_str(), 1);
  PLAT_RegReload();
  EXPECT_EQ(PLAT_RegStorePath(), nested);
  {
    Key k = Create("software");  // the store's folders are made on first write
    EXPECT_TRUE(fs::exists(nested));
  }
  vntest::ScopedRegistry reg;  // restores the previous store on exit
  EXPECT_EQ(PLAT_RegStorePath(), reg.storePath());
  EXPECT_FALSE(Open("software"));
}

TEST(Registry, UnwritableStoreFailsAndKeepsMemoryUnchanged) {
  vntest::ScopedRegistry reg;
  vntest::TempDir dir;
  std::string blocker = dir.write("file", "not a folder");
  setenv("VANTORIA_REGISTRY", (blocker + "/registry.txt").c_str(), 1);
  PLAT_RegReload();
  vntest::TraceCapture trace;
  Key k;
  EXPECT_EQ(PLAT_RegCreateKey("software\\KOR", &k), PLAT_RegResult::IoError);
  EXPECT_TRUE(trace.contains("cannot write store"));
  PLAT_RegResult r;
  EXPECT_FALSE(Open("software", &r));
  EXPECT_EQ(r, PLAT_RegResult::NotFound);
}

TEST(Registry, StoreThatCannotBeReadIsNeverOverwritten) {
  vntest::ScopedRegistry reg;
  // A folder where the store file should be opens but does not read.
  fs::create_directories(reg.storePath());
  fs::path marker = fs::path(reg.storePath()) / "keep.txt";
  std::ofstream(marker) << "settings of another run";
  PLAT_RegReload();
  vntest::TraceCapture trace;
  Key k;
  EXPECT_EQ(PLAT_RegCreateKey("software\\KOR", &k), PLAT_RegResult::IoError);
  EXPECT_TRUE(trace.contains("cannot read store"));
  EXPECT_TRUE(trace.contains("refusing to overwrite"));
  EXPECT_TRUE(fs::is_directory(reg.storePath()));
  EXPECT_TRUE(fs::exists(marker));
  EXPECT_TRUE(SetAsideFiles(reg.storePath()).empty());
}

// A named pipe in the store's place blocked the start for ever; a folder would not read either.
TEST(Registry, AStoreThatIsNoRegularFileIsRefusedAtOnce) {
  vntest::ScopedRegistry reg;
  ASSERT_EQ(mkfifo(reg.storePath().c_str(), 0600), 0);
  PLAT_RegReload();
  vntest::TraceCapture trace;
  PLAT_RegResult r;
  EXPECT_FALSE(Open("software", &r));  // returns instead of waiting for a writer on the pipe
  EXPECT_EQ(r, PLAT_RegResult::NotFound);
  EXPECT_TRUE(trace.contains("not a regular file"));
  Key k;
  EXPECT_EQ(PLAT_RegCreateKey("software\\KOR", &k), PLAT_RegResult::IoError);
  EXPECT_TRUE(trace.contains("refusing to overwrite"));
  struct stat st {};
  ASSERT_EQ(stat(reg.storePath().c_str(), &st), 0);
  EXPECT_TRUE(S_ISFIFO(st.st_mode));
  EXPECT_TRUE(SetAsideFiles(reg.storePath()).empty());
}

TEST(Registry, TemporaryFilesOfDeadWritersGoAtTheNextWrite) {
  vntest::ScopedRegistry reg;
  { Key k = Create("software"); }
  const fs::path folder = fs::path(reg.storePath()).parent_path();
  for (const char* name : {"registry.txt.tmp-Ab12Cd", "registry.txt.tmp-zzzzzz"})
    std::ofstream(folder / name) << "VANTORIA-REGISTRY 1\n[half";
  // Not the store's, not mkstemp's shape, or not a file: left alone.
  const char* kept[] = {"other.txt.tmp-Ab12Cd", "registry.txt.tmp-short", "registry.txt.bak"};
  for (const char* name : kept) std::ofstream(folder / name) << "x";
  fs::create_directory(folder / "registry.txt.tmp-folder");

  ASSERT_EQ(TemporaryFiles(reg.storePath()).size(), 4u);
  vntest::TraceCapture trace;
  Key k = Open("software");
  ASSERT_EQ(PLAT_RegSetDword(k.get(), "A", 1), PLAT_RegResult::Ok);
  EXPECT_EQ(TemporaryFiles(reg.storePath()),
            (std::vector<std::string>{"registry.txt.tmp-folder", "registry.txt.tmp-short"}));
  EXPECT_TRUE(trace.contains("registry.txt.tmp-Ab12Cd"));
  for (const char* name : kept) EXPECT_TRUE(fs::exists(folder / name)) << name;
}

// A writer alive in another process holds the store's folder while its temporary file exists:
// the next writer waits for it instead of taking the file away.
TEST(Registry, ALiveWritersTemporaryFileIsLeftAlone) {
  vntest::ScopedRegistry reg;
  { Key k = Create("software"); }
  const fs::path folder = fs::path(reg.storePath()).parent_path();
  const fs::path temp = folder / "registry.txt.tmp-Live01";
  pid_t child = StartChild([&](const std::function<void()>& ready) {
    int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd < 0 || flock(fd, LOCK_EX) != 0) return 2;
    std::ofstream(temp) << "being written";
    ready();
    usleep(300000);  // the other writer is waiting meanwhile
    if (!fs::exists(temp)) return 4;
    fs::remove(temp);
    return 0;
  });
  ASSERT_GT(child, 0);
  Key k = Open("software");
  EXPECT_EQ(PLAT_RegSetDword(k.get(), "A", 1), PLAT_RegResult::Ok);
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;
  EXPECT_TRUE(TemporaryFiles(reg.storePath()).empty());
}

TEST(Registry, CorruptStoreIsSetAsideReportedAndStartedAnew) {
  const std::string good =
      "VANTORIA-REGISTRY 1\n[software\\KOR\\Stuff]\n\"Options\"=hex:58,4f,a6,ea\n"
      "\"Name\"=\"abc\"\nEND\n";
  const std::string cases[] = {
      std::string("\x7f" "ELF\x02\x01\x01\0\0\0garbage", 16),
      good.substr(0, good.size() / 2),                 // cut in the middle of a line
      good.substr(0, good.find("END")),                // cut at a line boundary
      "",                                              // cut to nothing
      "VANTORIA-REGISTRY 1\n[software]\n\"A\"=hex:5g\nEND\n",
      "VANTORIA-REGISTRY 1\n[software]\n\"A\"=hex:5\nEND\n",
      "VANTORIA-REGISTRY 1\n[software]\n\"A\"=dword:1234\nEND\n",
      "VANTORIA-REGISTRY 1\n[software]\n\"A\"=\"open\nEND\n",
      "VANTORIA-REGISTRY 1\n[software]\n\"A\"=\"bad \\q escape\"\nEND\n",
      "VANTORIA-REGISTRY 1\n\"A\"=dword:00000001\nEND\n",
      "VANTORIA-REGISTRY 1\n[software\\\\KOR]\nEND\n",
      "VANTORIA-REGISTRY 1\n[software]\n\"A\"=dword:00000001\n\"a\"=dword:00000002\nEND\n",
      "VANTORIA-REGISTRY 1\n[software]\nEND\n[more]\n",
      "[software]\n\"A\"=dword:00000001\nEND\n",
  };
  for (const std::string& bad : cases) {
    vntest::ScopedRegistry reg;
    std::string store = reg.storePath();
    { FILE* f = std::fopen(store.c_str(), "wb"); std::fwrite(bad.data(), 1, bad.size(), f); std::fclose(f); }
    PLAT_RegReload();
    vntest::TraceCapture trace;
    PLAT_RegResult r;
    EXPECT_FALSE(Open("software", &r)) << bad;
    EXPECT_EQ(r, PLAT_RegResult::NotFound);
    EXPECT_TRUE(trace.contains("corrupt")) << bad;
    std::vector<std::string> aside = SetAsideFiles(store);
    ASSERT_EQ(aside.size(), 1u) << bad;
    EXPECT_EQ(vntest::readFile(aside[0]), bad);
    EXPECT_FALSE(fs::exists(store));
    // The new store is usable at once.
    Key k = Create("software");
    EXPECT_EQ(PLAT_RegSetDword(k.get(), "A", 1), PLAT_RegResult::Ok);
  }

  // The well-formed text itself loads, with comments, blank lines and CRLF.
  vntest::ScopedRegistry reg;
  std::string crlf = "VANTORIA-REGISTRY 1\r\n; note\r\n\r\n[software\\KOR\\Stuff]\r\n"
                     "\"Name\"=\"abc\"\r\nEND\r\n";
  vntest::TempDir unused;
  { FILE* f = std::fopen(reg.storePath().c_str(), "wb"); std::fwrite(crlf.data(), 1, crlf.size(), f); std::fclose(f); }
  PLAT_RegReload();
  Key k = Open("software\\kor\\stuff");
  ASSERT_TRUE(k);
  std::string s;
  EXPECT_EQ(PLAT_RegGetString(k.get(), "name", &s), PLAT_RegResult::Ok);
  EXPECT_EQ(s, "abc");
}

TEST(Registry, KilledWriterNeverLeavesABrokenStore) {
  vntest::ScopedRegistry reg;
  {
    Key k = Create("software\\KOR\\Stuff");
    ASSERT_EQ(PLAT_RegSetDword(k.get(), "Counter", 0), PLAT_RegResult::Ok);
  }
  std::mt19937 rng(20240611);
  uint32_t lastSeen = 0;
  for (int round = 0; round < 30; ++round) {
    // Rewrites the store as fast as it can, with enough data to make each write take a while.
    pid_t child = StartChild([](const std::function<void()>& ready) {
      PLAT_RegReload();
      Key k;
      if (PLAT_RegCreateKey("software\\KOR\\Stuff", &k) != PLAT_RegResult::Ok) return 2;
      uint32_t counter = 0;
      PLAT_RegGetDword(k.get(), "Counter", &counter);
      std::vector<uint8_t> blob(512 * 1024);
      for (;;) {
        ++counter;
        blob.assign(blob.size(), static_cast<uint8_t>(counter));
        PLAT_RegSetBinary(k.get(), "Blob", blob);
        if (PLAT_RegSetDword(k.get(), "Counter", counter) != PLAT_RegResult::Ok) return 3;
        ready();
      }
    });
    // Kill at a random point once the writer has made progress, however loaded the machine is.
    ASSERT_GT(child, 0) << "writer failed";
    usleep(std::uniform_int_distribution<int>(0, 30000)(rng));
    ASSERT_EQ(kill(child, SIGKILL), 0);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status)) << "writer stopped by itself, status " << status;

    vntest::TraceCapture trace;
    PLAT_RegReload();
    Key k = Open("software\\KOR\\Stuff");
    ASSERT_TRUE(k) << "round " << round;
    uint32_t counter = 0;
    ASSERT_EQ(PLAT_RegGetDword(k.get(), "Counter", &counter), PLAT_RegResult::Ok);
    EXPECT_GE(counter, lastSeen) << "round " << round;
    EXPECT_GT(counter, 0u) << "round " << round;
    lastSeen = counter;
    EXPECT_FALSE(trace.contains("corrupt")) << "round " << round;
    EXPECT_TRUE(SetAsideFiles(reg.storePath()).empty());
    // The next write clears what the killed writer left behind.
    ASSERT_EQ(PLAT_RegSetDword(k.get(), "Counter", counter), PLAT_RegResult::Ok);
    EXPECT_TRUE(TemporaryFiles(reg.storePath()).empty()) << "round " << round;
  }
}
