#include <gtest/gtest.h>

#include "platform/window/window.h"

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  int rc = RUN_ALL_TESTS();
  PLAT_ShutdownVideo();
  return rc;
}
