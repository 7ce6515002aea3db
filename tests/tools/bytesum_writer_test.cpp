#include "tools/writers/bytesum_writer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/support.h"

TEST(ByteSumWriter, AppendsTheLittleEndianSumOfUnsignedBytes) {
  const std::vector<uint8_t> data = {0x01, 0x02, 0xFF};
  EXPECT_EQ(vnWRITE_WithByteSum(data), (std::vector<uint8_t>{0x01, 0x02, 0xFF, 0x02, 0x01, 0x00, 0x00}));
  EXPECT_EQ(vnWRITE_WithByteSum({}), (std::vector<uint8_t>{0, 0, 0, 0}));
  // Large enough for the sum to need its third byte.
  const std::vector<uint8_t> many(70000, 0xFF);  // 70000 * 255 = 0x0110 5E90
  const std::vector<uint8_t> out = vnWRITE_WithByteSum(many);
  ASSERT_EQ(out.size(), many.size() + 4);
  EXPECT_EQ(std::vector<uint8_t>(out.end() - 4, out.end()), (std::vector<uint8_t>{0x90, 0x5E, 0x10, 0x01}));
}

TEST(ByteSumWriter, FileHoldsExactlyTheBytes) {
  vntest::TempDir dir;
  const std::vector<uint8_t> data = {'P', 'L', 'T', 0x00, 0x80};
  ASSERT_TRUE(vnWRITE_ByteSumFile(dir.file("a.plt"), data));
  const std::string got = vntest::readFile(dir.file("a.plt"));
  const std::vector<uint8_t> expected = vnWRITE_WithByteSum(data);
  EXPECT_EQ(std::vector<uint8_t>(got.begin(), got.end()), expected);
}

TEST(ByteSumWriter, ReportsAFileItCannotCreate) {
  vntest::TempDir dir;
  vntest::TraceCapture trace;
  EXPECT_FALSE(vnWRITE_ByteSumFile(dir.file("missing/folder/a.plt"), std::vector<uint8_t>{1}));
  EXPECT_TRUE(trace.contains("cannot create"));
}
