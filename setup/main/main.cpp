// Setup: one modal dialog, then the program ends.
#include "platform/window/window.h"
#include "setup/setup.h"

int main() {
  vnSETUP_Run();
  PLAT_ShutdownVideo();
  return 0;
}
