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
#include <memory>
#include <random>
#include <vector>

#include "tests/support/support.h"

namespace fs = std::filesystem;

namespace {

struct KeyCloser {
  void operator()(PLAT_RegKey* k) const { PLAT_RegCloseKey(k); }
};
using Key = std::unique_ptr<PLAT_RegKey, KeyCloser>;

Key Create(const char* path, bool* created = nullptr) {
  PLAT_RegKey* k = nullptr;
  bool made = false;
  EXPECT_EQ(PLAT_RegCreateKey(path, &k, &made), PLAT_RegResult::Ok) << path;
  if (created) *created = made;
  return Key(k);
}

Key Open(const char* path, PLAT_RegResult* result = nullptr) {
  PLAT_RegKey* k = nullptr;
  PLAT_RegResult r = PLAT_RegOpenKey(path, &k);
  if (result) *result = r;
  return Key(k);
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
  PLAT_RegKey* sub = nullptr;
  ASSERT_EQ(PLAT_RegCreateSubKey(display.get(), "{5D81DC88-A7D2-4BFE-AF63-9CA4C08B4BEE}\\Preferences",
                                 &sub, &created),
            PLAT_RegResult::Ok);
  EXPECT_TRUE(created);
  PLAT_RegCloseKey(sub);
  ASSERT_EQ(PLAT_RegOpenSubKey(display.get(), "general", &sub), PLAT_RegResult::Ok);
  PLAT_RegCloseKey(sub);

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
    ASSERT_EQ(PLAT_RegSetValue(k.get(), "Options", PLAT_RegType::Binary, bytes.data(), 256),
              PLAT_RegResult::Ok);
    ASSERT_EQ(PLAT_RegSetString(k.get(), "Text", awkward.c_str()), PLAT_RegResult::Ok);
    ASSERT_EQ(PLAT_RegSetValue(k.get(), "Raw", PLAT_RegType::String, "ab\0cd", 5),
              PLAT_RegResult::Ok);
    ASSERT_EQ(PLAT_RegSetValue(k.get(), "Nothing", PLAT_RegType::Binary, nullptr, 0),
              PLAT_RegResult::Ok);
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
  std::vector<uint8_t> back(256);
  uint32_t size = 256;
  PLAT_RegType type = PLAT_RegType::None;
  EXPECT_EQ(PLAT_RegQueryValue(k.get(), "OPTIONS", &type, back.data(), &size), PLAT_RegResult::Ok);
  EXPECT_EQ(type, PLAT_RegType::Binary);
  EXPECT_EQ(back, bytes);
  std::string s;
  EXPECT_EQ(PLAT_RegGetString(k.get(), "Text", &s), PLAT_RegResult::Ok);
  EXPECT_EQ(s, awkward);
  EXPECT_EQ(PLAT_RegGetString(k.get(), "Raw", &s), PLAT_RegResult::Ok);
  EXPECT_EQ(s, std::string("ab\0cd", 5));
  size = 8;
  EXPECT_EQ(PLAT_RegQueryValue(k.get(), "Nothing", &type, back.data(), &size), PLAT_RegResult::Ok);
  EXPECT_EQ(size, 0u);
}

TEST(Registry, StringsComeBackTerminatedAndSmallBuffersAskForMore) {
  vntest::ScopedRegistry reg;
  Key k = Create("software\\KOR\\SPPD\\v1.00.000\\Display\\General");
  const char* guid = "{5D81DC88-A7D2-4BFE-AF63-9CA4C08B4BEE}";
  ASSERT_EQ(PLAT_RegSetValue(k.get(), "Driver", PLAT_RegType::String, guid, 39), PLAT_RegResult::Ok);

  PLAT_RegType type = PLAT_RegType::None;
  uint32_t size = 0;
  EXPECT_EQ(PLAT_RegQueryValue(k.get(), "driver", &type, nullptr, &size), PLAT_RegResult::Ok);
  EXPECT_EQ(size, 39u);
  EXPECT_EQ(type, PLAT_RegType::String);

  char small[38];
  std::memset(small, '#', sizeof small);
  size = sizeof small;
  EXPECT_EQ(PLAT_RegQueryValue(k.get(), "Driver", &type, small, &size), PLAT_RegResult::MoreData);
  EXPECT_EQ(size, 39u);
  EXPECT_EQ(small[0], '#');  // nothing copied

  char buf[2048];
  std::memset(buf, '#', sizeof buf);
  size = sizeof buf;
  EXPECT_EQ(PLAT_RegQueryValue(k.get(), "Driver", &type, buf, &size), PLAT_RegResult::Ok);
  EXPECT_EQ(size, 39u);
  EXPECT_STREQ(buf, guid);

  // A stored record longer than the caller's record is refused, not cut.
  uint8_t record[61] = {};
  ASSERT_EQ(PLAT_RegSetValue(k.get(), "Options", PLAT_RegType::Binary, record, 61), PLAT_RegResult::Ok);
  size = 60;
  EXPECT_EQ(PLAT_RegQueryValue(k.get(), "Options", &type, record, &size), PLAT_RegResult::MoreData);
  EXPECT_EQ(size, 61u);
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
  EXPECT_EQ(PLAT_RegSetValue(k.get(), "Bad", PLAT_RegType::Dword, "abc", 3),
            PLAT_RegResult::InvalidArgument);
  EXPECT_EQ(PLAT_RegSetValue(k.get(), "Bad", static_cast<PLAT_RegType>(7), "abc", 3),
            PLAT_RegResult::InvalidArgument);
  EXPECT_EQ(PLAT_RegSetDword(k.get(), "new\nline", 1), PLAT_RegResult::InvalidArgument);
  PLAT_RegKey* out = nullptr;
  EXPECT_EQ(PLAT_RegCreateKey("software\\bad\x01name", &out, nullptr), PLAT_RegResult::InvalidArgument);
  EXPECT_FALSE(trace.lines().empty());
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
  PLAT_RegKey* sub = nullptr;
  EXPECT_EQ(PLAT_RegCreateSubKey(deep.get(), "X", &sub, nullptr), PLAT_RegResult::NotFound);
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
  PLAT_RegKey* k = nullptr;
  EXPECT_EQ(PLAT_RegCreateKey("software\\KOR", &k, nullptr), PLAT_RegResult::IoError);
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
  PLAT_RegKey* k = nullptr;
  EXPECT_EQ(PLAT_RegCreateKey("software\\KOR", &k, nullptr), PLAT_RegResult::IoError);
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
  PLAT_RegKey* k = nullptr;
  EXPECT_EQ(PLAT_RegCreateKey("software\\KOR", &k, nullptr), PLAT_RegResult::IoError);
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
  int ready[2];
  ASSERT_EQ(pipe(ready), 0);
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    close(ready[0]);
    int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd < 0 || flock(fd, LOCK_EX) != 0) _exit(2);
    std::ofstream(temp) << "being written";
    if (write(ready[1], "x", 1) != 1) _exit(3);
    usleep(300000);  // the other writer is waiting meanwhile
    if (!fs::exists(temp)) _exit(4);
    fs::remove(temp);
    _exit(0);
  }
  close(ready[1]);
  char byte = 0;
  ASSERT_EQ(read(ready[0], &byte, 1), 1);
  close(ready[0]);
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
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      // Rewrites the store as fast as it can, with enough data to make each write take a while.
      close(ready[0]);
      PLAT_RegReload();
      PLAT_RegKey* k = nullptr;
      if (PLAT_RegCreateKey("software\\KOR\\Stuff", &k, nullptr) != PLAT_RegResult::Ok) _exit(2);
      uint32_t counter = 0;
      PLAT_RegGetDword(k, "Counter", &counter);
      std::vector<uint8_t> blob(512 * 1024);
      for (;;) {
        ++counter;
        blob.assign(blob.size(), static_cast<uint8_t>(counter));
        PLAT_RegSetValue(k, "Blob", PLAT_RegType::Binary, blob.data(), static_cast<uint32_t>(blob.size()));
        if (PLAT_RegSetDword(k, "Counter", counter) != PLAT_RegResult::Ok) _exit(3);
        if (ready[1] >= 0 && write(ready[1], "x", 1) == 1) {
          close(ready[1]);
          ready[1] = -1;
        }
      }
    }
    // Kill at a random point once the writer has made progress, however loaded the machine is.
    close(ready[1]);
    char byte = 0;
    ASSERT_EQ(read(ready[0], &byte, 1), 1) << "writer failed";
    close(ready[0]);
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
