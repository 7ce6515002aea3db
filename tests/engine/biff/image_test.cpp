// The BIFF reader takes a small file whole into its block and reads a large one through its
// stream: both give the same headers and chunk data, and both refuse a file cut short.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "engine/biff/biff.h"
#include "tests/support/support.h"
#include "tools/writers/biff_writer.h"

namespace {

constexpr uint32_t kHeap = 100000;

// One block; its second chunk large or small against the heap.
vnBIFF_FILE File(size_t bigSize) {
  std::vector<uint8_t> big(bigSize);
  for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<uint8_t>(i * 7);
  vnBIFF_FILE f;
  f.blocks.push_back({"DOBF", 1, 2, {{"LDOB", {'h', 'e', 'a', 'd'}}, {"LNOD", big}, {"MATS", {'m'}}}});
  return f;
}

TEST(BiffImage, SmallAndLargeFilesReadAlike) {
  vntest::TempDir dir;
  for (size_t size : {size_t{1000}, size_t{60000}}) {
    const vnBIFF_FILE model = File(size);
    const std::string path = dir.file("f.pow");
    ASSERT_TRUE(vnWRITE_BIFF(path, model));
    void* heap = nullptr;
    SPW_BIFF_FILE* f = SPW_BIFF_OpenFile(path.c_str(), &heap, kHeap);
    ASSERT_NE(f, nullptr) << size;
    EXPECT_EQ(f->pImage != nullptr, size < kHeap / 8) << size;
    SPW_BIFF_BLOCK* b = SPW_BIFF_FindBlock(f, "DOBF");
    ASSERT_NE(b, nullptr);
    for (const char* tag : {"MATS", "LNOD", "LDOB"}) {
      SPW_BIFF_CHUNK* c = SPW_BIFF_FindChunk(f, b, tag);
      ASSERT_NE(c, nullptr) << tag;
      const vnBIFF_CHUNK* want = nullptr;
      for (const vnBIFF_CHUNK& m : model.blocks[0].chunks) want = m.tag == tag ? &m : want;
      ASSERT_EQ(c->dwSize, want->data.size()) << tag << " " << size;
      const uint8_t* data = SPW_BIFF_ChunkData(f, c);
      ASSERT_NE(data, nullptr) << tag << " " << size;
      EXPECT_EQ(std::memcmp(data, want->data.data(), want->data.size()), 0) << tag << " " << size;
    }
    SPW_BIFF_CloseFile(f, heap);
  }
}

TEST(BiffImage, AFileCutShortIsRefusedEitherWay) {
  vntest::TempDir dir;
  for (size_t size : {size_t{1000}, size_t{60000}}) {
    std::vector<uint8_t> bytes = vnWRITE_BIFFBytes(File(size));
    // The last chunk header goes, and with it the data after it.
    bytes.resize(bytes.size() - 1 - 10);
    const std::string path = dir.write("cut.pow", std::string(bytes.begin(), bytes.end()));
    void* heap = nullptr;
    vntest::TraceCapture trace;
    EXPECT_EQ(SPW_BIFF_OpenFile(path.c_str(), &heap, kHeap), nullptr) << size;
    SPW_BIFF_FreeHeap(heap);
  }
}

}  // namespace

namespace {

TEST(BiffImage, ASizedOpenFitsItsHeapToTheFileAndCountsAFailedOne) {
  vntest::TempDir dir;
  const std::string path = dir.file("sized.pow");
  ASSERT_TRUE(vnWRITE_BIFF(path, File(1000)));
  void* heap = nullptr;
  SPW_BIFF_FILE* f = SPW_BIFF_OpenFileSized(path.c_str(), &heap, 8, 4096, 3000000);
  ASSERT_NE(f, nullptr);
  EXPECT_NE(f->pImage, nullptr);
  SPW_BIFF_CHUNK* c = SPW_BIFF_FindChunk(f, SPW_BIFF_FindBlock(f, "DOBF"), "LNOD");
  ASSERT_NE(c, nullptr);
  const uint8_t* data = SPW_BIFF_ChunkData(f, c);
  ASSERT_NE(data, nullptr);
  EXPECT_EQ(data[999], static_cast<uint8_t>(999 * 7));
  SPW_BIFF_CloseFile(f, heap);

  const uint32_t opened = SPW_BIFF_NumOpened;
  vntest::TraceCapture trace;
  heap = &heap;
  EXPECT_EQ(SPW_BIFF_OpenFileSized(dir.file("none.pow").c_str(), &heap, 8, 4096, 3000000), nullptr);
  EXPECT_EQ(heap, nullptr);
  EXPECT_EQ(SPW_BIFF_NumOpened, opened + 1);
  EXPECT_TRUE(trace.contains("Fail to open POW file"));
}

}  // namespace
