#include <gtest/gtest.h>

#include <vector>

#include "platform/window/window.h"
#include "tests/support/support.h"

namespace {

class WindowEvents : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(PLAT_InitVideo());
    window = PLAT_CreateWindow("test", 640, 480, 0);
    ASSERT_NE(window, nullptr);
    Drain();
  }
  void TearDown() override {
    PLAT_DestroyWindow(window);
    Drain();
  }
  std::vector<PLAT_Event> Drain() {
    std::vector<PLAT_Event> got;
    PLAT_Event ev;
    while (PLAT_PollEvent(&ev)) got.push_back(ev);
    return got;
  }
  PLAT_Window* window = nullptr;
};

TEST_F(WindowEvents, PostedEventsComeBackInOrderWithTheirFields) {
  PLAT_PostEvent(PLAT_Event{PLAT_EventType::Activate, 0, 0});
  PLAT_PostEvent(PLAT_Event{PLAT_EventType::Paint, 0, 0});
  PLAT_PostEvent(PLAT_Event{PLAT_EventType::Activate, 1, 0});
  PLAT_PostQuit(7);

  PLAT_Event ev;
  ASSERT_TRUE(PLAT_PollEvent(&ev));
  EXPECT_EQ(ev.type, PLAT_EventType::Activate);
  EXPECT_EQ(ev.active, 0);
  ASSERT_TRUE(PLAT_PollEvent(&ev));
  EXPECT_EQ(ev.type, PLAT_EventType::Paint);
  ASSERT_TRUE(PLAT_PollEvent(&ev));
  EXPECT_EQ(ev.type, PLAT_EventType::Activate);
  EXPECT_EQ(ev.active, 1);
  ASSERT_TRUE(PLAT_PollEvent(&ev));
  EXPECT_EQ(ev.type, PLAT_EventType::Quit);
  EXPECT_EQ(ev.code, 7);
}

TEST_F(WindowEvents, EmptyQueueReportsNothing) {
  PLAT_Event ev{PLAT_EventType::Paint, 5, 5};
  EXPECT_FALSE(PLAT_PollEvent(&ev));
}

TEST_F(WindowEvents, UnknownPostedTypeIsRefusedWithATrace) {
  vntest::TraceCapture trace;
  PLAT_PostEvent(PLAT_Event{static_cast<PLAT_EventType>(99), 0, 0});
  PLAT_PostEvent(PLAT_Event{PLAT_EventType::None, 0, 0});
  EXPECT_TRUE(Drain().empty());
  EXPECT_TRUE(trace.contains("unknown event type 99"));
}

TEST_F(WindowEvents, DestroyQueuesDestroyAndHandsOnTheMainWindow) {
  PLAT_Window* second = PLAT_CreateWindow("second", 100, 100, 0);
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(PLAT_MainWindow(), window);

  PLAT_DestroyWindow(window);
  window = nullptr;
  EXPECT_EQ(PLAT_MainWindow(), second);
  bool sawDestroy = false;
  for (const PLAT_Event& ev : Drain()) sawDestroy |= ev.type == PLAT_EventType::Destroy;
  EXPECT_TRUE(sawDestroy);

  PLAT_DestroyWindow(second);
  EXPECT_EQ(PLAT_MainWindow(), nullptr);
  // A window that is gone is ignored, not touched.
  PLAT_DestroyWindow(second);
  PLAT_ShowWindow(second, true);
  EXPECT_EQ(PLAT_NativeWindow(second), nullptr);
}

TEST_F(WindowEvents, QuitIsKeptWhenTheQueueOverflows) {
  vntest::TraceCapture trace;
  for (int i = 0; i < 5000; ++i) PLAT_PostEvent(PLAT_Event{PLAT_EventType::Paint, 0, 0});
  PLAT_PostQuit(2);
  std::vector<PLAT_Event> got = Drain();
  ASSERT_FALSE(got.empty());
  EXPECT_LT(got.size(), 5001u);
  EXPECT_EQ(got.back().type, PLAT_EventType::Quit);
  EXPECT_EQ(got.back().code, 2);
  EXPECT_TRUE(trace.contains("event queue full"));
}

TEST_F(WindowEvents, BadWindowSizesFailWithATrace) {
  vntest::TraceCapture trace;
  EXPECT_EQ(PLAT_CreateWindow("bad", 0, 480, 0), nullptr);
  EXPECT_EQ(PLAT_CreateWindow("bad", 640, -1, 0), nullptr);
  EXPECT_EQ(PLAT_CreateWindow("bad", 100000, 480, 0), nullptr);
  EXPECT_TRUE(trace.contains("bad size"));
}

TEST_F(WindowEvents, WindowGeometryFollowsRequests) {
  PLAT_SetWindowSize(window, 320, 200);
  PLAT_SetWindowPos(window, 10, 20);
  int x, y, w, h;
  PLAT_GetWindowRect(window, &x, &y, &w, &h);
  EXPECT_EQ(w, 320);
  EXPECT_EQ(h, 200);
  PLAT_GetWindowRect(nullptr, &x, &y, &w, &h);
  EXPECT_EQ(w, 0);
  EXPECT_EQ(h, 0);
}

TEST_F(WindowEvents, MouseCaptureBelongsToOneWindow) {
  // A real system grants the capture only to the focused window.
  if (!PLAT_IsHeadless()) GTEST_SKIP();
  PLAT_Window* other = PLAT_CreateWindow("other", 100, 100, 0);
  ASSERT_NE(other, nullptr);
  PLAT_CaptureMouse(window, true);
  EXPECT_TRUE(PLAT_HasMouseCapture(window));
  PLAT_CaptureMouse(other, true);
  EXPECT_FALSE(PLAT_HasMouseCapture(window));
  EXPECT_TRUE(PLAT_HasMouseCapture(other));
  PLAT_CaptureMouse(other, false);
  EXPECT_FALSE(PLAT_HasMouseCapture(other));
  PLAT_DestroyWindow(other);
}

}  // namespace
