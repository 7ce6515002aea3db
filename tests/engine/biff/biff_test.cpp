// The BIFF reader against files made by its writer: navigation by tag, lazy chunk data, and
// files cut short or damaged.
#include "engine/biff/biff.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "engine/memory/memblock.h"
#include "platform/bytes.h"
#include "tests/support/support.h"
#include "tools/writers/biff_writer.h"

namespace {

constexpr uint32_t kHeap = 100000;

std::vector<uint8_t> Bytes(const std::string& text) { return {text.begin(), text.end()}; }

// Blocks A, B, A, C: the two A blocks are linked across B.
vnBIFF_FILE Sample() {
  vnBIFF_FILE f;
  f.valueA = 7;
  f.valueB = 9;
  f.blocks.push_back({"DOBF", 1, 2, {{"LDOB", Bytes("header")}, {"LNOD", Bytes("n0")},
                                     {"MATS", Bytes("m")}, {"LNOD", Bytes("n1")}}});
  f.blocks.push_back({"MATF", 0, 0, {{"MATS", Bytes("mat")}}});
  f.blocks.push_back({"DOBF", 3, 4, {{"LNOD", Bytes("second")}}});
  f.blocks.push_back({"AB", 0, 0, {{"X", Bytes("short tag")}}});
  return f;
}

class BiffTest : public ::testing::Test {
 protected:
  std::string Write(const std::vector<uint8_t>& bytes) {
    return dir.write("sample.pow", std::string(bytes.begin(), bytes.end()));
  }
  SPW_BIFF_FILE* Open(const std::string& path) { return SPW_BIFF_OpenFile(path.c_str(), &heap, kHeap); }
  void TearDown() override {
    if (file) SPW_BIFF_CloseFile(file, heap);
    else SPW_BIFF_FreeHeap(heap);
  }
  vntest::TempDir dir;
  void* heap = nullptr;
  SPW_BIFF_FILE* file = nullptr;
};

TEST_F(BiffTest, OpensWithHeaderValuesAndLinksBlocksOfOneTagAcrossOthers) {
  file = Open(Write(vnWRITE_BIFFBytes(Sample())));
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(file->dwValueA, 7u);
  EXPECT_EQ(file->dwValueB, 9u);
  EXPECT_EQ(file->dwNumBlocks, 4u);
  SPW_BIFF_BLOCK* first = SPW_BIFF_FindBlock(file, "DOBF");
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first->dwValueA, 1u);
  SPW_BIFF_BLOCK* second = SPW_BIFF_NextBlock(file, first);
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(second->dwValueA, 3u);
  EXPECT_EQ(SPW_BIFF_NextBlock(file, second), nullptr);
  EXPECT_EQ(SPW_BIFF_NextBlock(file, nullptr), nullptr);
  EXPECT_EQ(SPW_BIFF_ChunkCount(first), 4u);
  EXPECT_EQ(SPW_BIFF_ChunkCount(nullptr), 0u);
  EXPECT_EQ(SPW_BIFF_FindBlock(file, "TERR"), nullptr);
}

TEST_F(BiffTest, ChunksOfOneTagChainInFileOrderAndDataLoadsOnce) {
  file = Open(Write(vnWRITE_BIFFBytes(Sample())));
  ASSERT_NE(file, nullptr);
  SPW_BIFF_BLOCK* block = SPW_BIFF_FindBlock(file, "DOBF");
  SPW_BIFF_CHUNK* n0 = SPW_BIFF_FindChunk(file, block, "LNOD");
  ASSERT_NE(n0, nullptr);
  SPW_BIFF_CHUNK* n1 = SPW_BIFF_NextChunk(file, n0);
  ASSERT_NE(n1, nullptr);
  EXPECT_EQ(SPW_BIFF_NextChunk(file, n1), nullptr);
  uint8_t* data = SPW_BIFF_ChunkData(file, n1);
  ASSERT_NE(data, nullptr);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(data), n1->dwSize), "n1");
  EXPECT_EQ(SPW_BIFF_ChunkData(file, n1), data);
  EXPECT_EQ(SPW_BIFF_ChunkData(file, nullptr), data) << "a null chunk reuses the current one";
  SPW_BIFF_CHUNK* header = SPW_BIFF_FindChunk(file, block, "LDOB");
  ASSERT_NE(header, nullptr);
  EXPECT_EQ(SPW_BIFF_NextChunk(file, header), nullptr);
  EXPECT_EQ(SPW_BIFF_FindChunk(file, nullptr, "LDOB"), nullptr);
}

TEST_F(BiffTest, ZeroBlocksOpenAndFindNothing) {
  file = Open(Write(vnWRITE_BIFFBytes(vnBIFF_FILE{})));
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(SPW_BIFF_FindBlock(file, "DOBF"), nullptr);
  EXPECT_EQ(SPW_BIFF_ChunkData(file, nullptr), nullptr) << "no chunk given and none current";
}

TEST_F(BiffTest, ShortTagsMatchOnlyTheSameCharactersThenZeros) {
  file = Open(Write(vnWRITE_BIFFBytes(Sample())));
  ASSERT_NE(file, nullptr);
  SPW_BIFF_BLOCK* block = SPW_BIFF_FindBlock(file, "AB");
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(SPW_BIFF_FindBlock(file, "ABC"), nullptr);
  EXPECT_EQ(SPW_BIFF_FindBlock(file, "A"), nullptr);
  EXPECT_NE(SPW_BIFF_FindChunk(file, block, "X"), nullptr);
  EXPECT_TRUE(SPW_BIFF_TagEquals("DOBF", "DOBFX"));
  EXPECT_FALSE(SPW_BIFF_TagEquals("dobf", "DOBF"));
}

TEST_F(BiffTest, FilesCutShortFailTheOpenAndCloseTheirStream) {
  const std::vector<uint8_t> whole = vnWRITE_BIFFBytes(Sample());
  const struct {
    const char* what;
    size_t keep;
  } kCases[] = {{"empty", 0},
                {"inside the file header", 200},
                {"inside the first block header", 304 + 20},
                {"inside the first chunk header", 304 + 32 + 10}};
  for (const auto& c : kCases) {
    std::vector<uint8_t> cut(whole.begin(), whole.begin() + static_cast<long>(c.keep));
    const std::string path = Write(cut);
    uint32_t closedBefore = SPW_BIFF_NumClosed;
    uint32_t openedBefore = SPW_BIFF_NumOpened;
    void* h = nullptr;
    EXPECT_EQ(SPW_BIFF_OpenFile(path.c_str(), &h, kHeap), nullptr) << c.what;
    EXPECT_NE(h, nullptr) << c.what;
    SPW_BIFF_FreeHeap(h);
    EXPECT_EQ(SPW_BIFF_NumOpened, openedBefore + 1) << c.what;
    EXPECT_EQ(SPW_BIFF_NumClosed, closedBefore) << c.what;
  }
  // A stream left open on every failed open would run the process out of descriptors.
  const std::string path = Write(std::vector<uint8_t>(whole.begin(), whole.begin() + 320));
  for (int i = 0; i < 2000; ++i) {
    void* h = nullptr;
    ASSERT_EQ(SPW_BIFF_OpenFile(path.c_str(), &h, kHeap), nullptr);
    SPW_BIFF_FreeHeap(h);
  }
  file = Open(Write(whole));
  EXPECT_NE(file, nullptr) << "descriptors are still free";
}

TEST_F(BiffTest, ChunkDataPastTheEndOrAtAWrongOffsetIsRefused) {
  std::vector<uint8_t> bytes = vnWRITE_BIFFBytes(Sample());
  const size_t firstChunk = 304 + 32;
  {
    std::vector<uint8_t> bad = bytes;
    PLAT_StoreLE32(bad.data() + firstChunk + 12, static_cast<uint32_t>(bad.size() - 2));
    file = Open(Write(bad));
    ASSERT_NE(file, nullptr);
    SPW_BIFF_CHUNK* c = SPW_BIFF_FindChunk(file, SPW_BIFF_FindBlock(file, "DOBF"), "LDOB");
    EXPECT_EQ(SPW_BIFF_ChunkData(file, c), nullptr);
    SPW_BIFF_CloseFile(file, heap);
    file = nullptr;
    heap = nullptr;
  }
  // The last chunk's data cut off: headers still read, its data does not.
  std::vector<uint8_t> cut(bytes.begin(), bytes.end() - 3);
  file = Open(Write(cut));
  ASSERT_NE(file, nullptr);
  SPW_BIFF_CHUNK* c = SPW_BIFF_FindChunk(file, SPW_BIFF_FindBlock(file, "AB"), "X");
  EXPECT_EQ(SPW_BIFF_ChunkData(file, c), nullptr);
}

TEST_F(BiffTest, AMissingFileFailsWithATrace) {
  vntest::TraceCapture trace;
  EXPECT_EQ(Open(dir.file("none.pow")), nullptr);
  EXPECT_TRUE(trace.contains("Fail to open POW file"));
}

}  // namespace
