#include <gtest/gtest.h>

#include "platform/window/window.h"

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  const int rc = RUN_ALL_TESTS();
  // The window test brings up video; leave SDL cleanly.
  PLAT_ShutdownVideo();
  return rc;
}
