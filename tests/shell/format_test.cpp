// The shared formatting buffer.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "shell/format.h"

TEST(Format, EachCallOverwritesTheSameBuffer) {
  const char* first = SGE_Format("Export/Terrain/%s", "moon");
  EXPECT_STREQ(first, "Export/Terrain/moon");
  const char* second = SGE_Format("%d-%d", 3, 4);
  EXPECT_EQ(first, second);
  EXPECT_STREQ(first, "3-4");
}

TEST(Format, LongResultsAreTruncatedToTheBuffer) {
  std::string text(3000, 'x');
  const char* out = SGE_Format("ab%s", text.c_str());
  ASSERT_EQ(std::strlen(out), static_cast<size_t>(VN_FORMAT_BUFFER_SIZE - 1));
  EXPECT_EQ(std::string(out, 3), "abx");
  EXPECT_STREQ(SGE_Format(nullptr), "");
}
