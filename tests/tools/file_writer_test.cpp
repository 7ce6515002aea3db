#include "tools/writers/file_writer.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/support/support.h"

TEST(WholeFile, ReplacesTheFileWithExactlyTheBytes) {
  vntest::TempDir dir;
  const std::string path = dir.write("a.bin", "old and longer contents");
  const char bytes[] = {'n', 0, '\xFF'};
  ASSERT_TRUE(vnWRITE_WholeFile("test", path, bytes, sizeof bytes));
  EXPECT_EQ(vntest::readFile(path), std::string(bytes, sizeof bytes));
}

TEST(WholeFile, ABufferedWriteLostAtTheCloseIsAFailure) {
  vntest::TraceCapture trace;
  // /dev/full opens and takes the buffered write; the bytes are refused when it is closed.
  EXPECT_FALSE(vnWRITE_WholeFile("vnWRITE_Test", "/dev/full", "abc", 3));
  EXPECT_TRUE(trace.contains("vnWRITE_Test: cannot write /dev/full"));
}
