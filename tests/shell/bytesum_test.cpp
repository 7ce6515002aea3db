#include "shell/bytesum.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "engine/memory/memblock.h"
#include "platform/files.h"
#include "tests/support/support.h"
#include "tools/writers/bytesum_writer.h"

namespace {

std::vector<uint8_t> Bytes(const std::string& s) { return {s.begin(), s.end()}; }

// A private SPW_ObjsMem for the file buffers.
class ByteSum : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = SPW_ObjsMem;
    memory_.assign(256 * 1024 / sizeof(uint64_t), 0);
    SPW_ObjsMem = SGE_FormatMemBlock(memory_.data(), static_cast<uint32_t>(memory_.size() * sizeof(uint64_t)),
                                     "SPW_ObjsMem");
    ASSERT_NE(SPW_ObjsMem, nullptr);
  }
  void TearDown() override {
    SGE_ReleaseMemBlock(SPW_ObjsMem);
    SPW_ObjsMem = saved_;
  }
  // Every chunk taken must be given back.
  uint32_t UsedChunks() {
    SGE_MEMSTATS stats{};
    SGE_GetMemBlockStats(&stats, SPW_ObjsMem);
    return stats.dwUsedChunks;
  }

  vntest::TempDir dir_;
  std::vector<uint64_t> memory_;
  SGE_MEMBLOCK* saved_ = nullptr;
};

}  // namespace

TEST_F(ByteSum, AppendWritesTheSumAfterTheData) {
  const std::string path = dir_.write("p.plt", std::string("\x01\x02\xFF", 3));
  uint32_t sum = 0;
  ASSERT_TRUE(vnUTIL_AppendChecksum(path.c_str(), &sum));
  EXPECT_EQ(sum, 258u);
  EXPECT_EQ(vntest::readFile(path), std::string("\x01\x02\xFF\x02\x01\x00\x00", 7));
  EXPECT_EQ(vnUTIL_VerifyChecksum(path.c_str()), 1);
  EXPECT_EQ(UsedChunks(), 0u);
}

TEST_F(ByteSum, ZeroSumIsReportedApartFromFailure) {
  const std::string zeros = dir_.write("z.plt", std::string(5, '\0'));
  uint32_t sum = 99;
  EXPECT_TRUE(vnUTIL_AppendChecksum(zeros.c_str(), &sum));
  EXPECT_EQ(sum, 0u);
  EXPECT_EQ(vnUTIL_VerifyChecksum(zeros.c_str()), 1);

  vntest::TraceCapture trace;
  const std::string empty = dir_.write("e.plt", "");
  sum = 99;
  EXPECT_FALSE(vnUTIL_AppendChecksum(empty.c_str(), &sum));
  EXPECT_EQ(sum, 99u);
  EXPECT_EQ(vntest::readFile(empty), "");
  EXPECT_FALSE(vnUTIL_AppendChecksum(dir_.file("missing.plt").c_str(), &sum));
  EXPECT_GE(trace.lines().size(), 2u);
}

TEST_F(ByteSum, VerifyRejectsChangedShortEmptyAndMissingFiles) {
  vntest::TraceCapture trace;
  struct Case {
    std::string name, contents;
    int32_t valid;
  };
  const std::vector<Case> cases = {
      {"good", std::string("abc\x26\x01\x00\x00", 7), 1},   // 0x61+0x62+0x63 = 0x126
      {"changed", std::string("abd\x26\x01\x00\x00", 7), 0},
      {"sum changed", std::string("abc\x27\x01\x00\x00", 7), 0},
      {"only a sum", std::string(4, '\0'), 1},
      {"one byte", "\x01", 0},
      {"three bytes", std::string("\x00\x00\x00", 3), 0},
      {"empty", "", 0},
  };
  for (const Case& c : cases) {
    const std::string path = dir_.write(c.name + ".plt", c.contents);
    EXPECT_EQ(vnUTIL_VerifyChecksum(path.c_str()), c.valid) << c.name;
  }
  EXPECT_EQ(vnUTIL_VerifyChecksum(dir_.file("missing.plt").c_str()), 0);
  EXPECT_EQ(vnUTIL_VerifyChecksum(nullptr), 0);
  EXPECT_TRUE(trace.contains("too short"));
  EXPECT_TRUE(trace.contains("does not match"));
  EXPECT_EQ(UsedChunks(), 0u);
}

TEST_F(ByteSum, WriterOutputVerifiesAndAppendMatchesWriter) {
  std::vector<uint8_t> data(5000);
  for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<uint8_t>(i * 37 + 11);
  ASSERT_TRUE(vnWRITE_ByteSumFile(dir_.file("w.plt"), data));
  EXPECT_EQ(vnUTIL_VerifyChecksum(dir_.file("w.plt").c_str()), 1);

  const std::string appended = dir_.write("a.plt", std::string(data.begin(), data.end()));
  uint32_t sum = 0;
  ASSERT_TRUE(vnUTIL_AppendChecksum(appended.c_str(), &sum));
  EXPECT_EQ(vntest::readFile(appended), vntest::readFile(dir_.file("w.plt")));
  EXPECT_EQ(sum, vnUTIL_ByteSum(data));
}

TEST_F(ByteSum, PathsAreFoundWithoutRegardToCase) {
  const std::vector<uint8_t> file = vnWRITE_WithByteSum(Bytes("x"));
  dir_.write("Platoons/InPlay.plt", std::string(file.begin(), file.end()));
  EXPECT_EQ(vnUTIL_VerifyChecksum(dir_.file("platoons/inplay.PLT").c_str()), 1);
}

TEST_F(ByteSum, AppendMakesAReadOnlyFileWritable) {
  const std::string path = dir_.write("ro.plt", "data");
  ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
  uint32_t sum = 0;
  EXPECT_TRUE(vnUTIL_AppendChecksum(path.c_str(), &sum));
  EXPECT_EQ(vnUTIL_VerifyChecksum(path.c_str()), 1);
  struct stat st {};
  ASSERT_EQ(::stat(path.c_str(), &st), 0);
  EXPECT_TRUE(st.st_mode & S_IWUSR);
}

TEST_F(ByteSum, FileBiggerThanTheMemoryBlockFailsCleanly) {
  vntest::TraceCapture trace;
  const std::string path = dir_.write("big.plt", std::string(512 * 1024, 'x'));
  uint32_t sum = 0;
  EXPECT_FALSE(vnUTIL_AppendChecksum(path.c_str(), &sum));
  EXPECT_EQ(vntest::readFile(path).size(), 512u * 1024u);
  EXPECT_EQ(vnUTIL_VerifyChecksum(path.c_str()), 0);
  EXPECT_TRUE(trace.contains("no memory"));
}

TEST_F(ByteSum, FileSizeRestoresTheReadPosition) {
  const std::string path = dir_.write("s.bin", "0123456789");
  FILE* f = PLAT_FOpen(path.c_str(), "rb");
  ASSERT_NE(f, nullptr);
  ASSERT_EQ(std::fseek(f, 3, SEEK_SET), 0);
  EXPECT_EQ(vnUTIL_FileSize(f), 10);
  EXPECT_EQ(std::fgetc(f), '3');
  std::fclose(f);
  EXPECT_EQ(vnUTIL_FileSize(nullptr), -1);
}
