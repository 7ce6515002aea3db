#include "platform/trace.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "tests/support/support.h"

TEST(Trace, SinkReceivesTheFormattedLine) {
  vntest::TraceCapture trace;
  PLAT_Trace("VNMAIN: %s %d %.1f\n", "Initialising", 7, 2.5);
  ASSERT_EQ(trace.lines().size(), 1u);
  EXPECT_EQ(trace.lines()[0], "VNMAIN: Initialising 7 2.5\n");
}

TEST(Trace, AnOverlongLineIsCutNotOverflowed) {
  vntest::TraceCapture trace;
  std::string huge(100000, 'x');
  PLAT_Trace("[TEST]: %s\n", huge.c_str());
  ASSERT_EQ(trace.lines().size(), 1u);
  const std::string& line = trace.lines()[0];
  EXPECT_LT(line.size(), 4096u);
  EXPECT_EQ(line.rfind("[TEST]: xxx", 0), 0u);
  EXPECT_EQ(line.back(), '\n');
}

TEST(Trace, StandardErrorUnlessSwitchedOff) {
  const char* prev = std::getenv("VANTORIA_TRACE");
  std::string saved = prev ? prev : "";

  unsetenv("VANTORIA_TRACE");
  testing::internal::CaptureStderr();
  PLAT_Trace("visible %d\n", 1);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "visible 1\n");

  setenv("VANTORIA_TRACE", "0", 1);
  testing::internal::CaptureStderr();
  PLAT_Trace("hidden %d\n", 2);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");

  if (prev)
    setenv("VANTORIA_TRACE", saved.c_str(), 1);
  else
    unsetenv("VANTORIA_TRACE");
}
