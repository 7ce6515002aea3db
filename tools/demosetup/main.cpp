// demosetup: configures the render driver in the working folder as a player would in Setup,
// through the driver's own wizard with every page's first choice accepted, and records the
// choice where Setup does, so that a fresh demo tree starts without a dialog.
//
//   demosetup
#include <cstdio>
#include <string>

#include "engine/driver/choice.h"
#include "engine/driver/sppd.h"
#include "platform/dialog/dialog.h"
#include "platform/dynlib.h"
#include "platform/guid.h"
#include "platform/registry.h"

namespace {

// Stands in for the player on every page: Next (or Finish) with the page's first choice.
void AcceptPage(PLAT_Dialog* dlg, void*) { PLAT_DialogClick(dlg, PLAT_IDOK); }

int Fail(const char* what) {
  std::fprintf(stderr, "demosetup: %s\n", what);
  return 1;
}

}  // namespace

int main(int argc, char**) {
  if (argc != 1) {
    std::fprintf(stderr, "usage: demosetup\n");
    return 2;
  }
  char description[SPPD_DESCRIPTION_SIZE] = {};
  const std::string file = SPW_FindDriverLibrary(description);
  if (file.empty()) return Fail("no render driver library in the working folder");
  // Stays loaded to the end, so that a leak checker can name what the library allocated.
  PLAT_Library* lib = PLAT_LoadLibrary(file.c_str());
  PLAT_GUID guid{};
  auto configure =
      lib ? reinterpret_cast<decltype(&SPPD_Configure)>(PLAT_FindSymbol(lib, "SPPD_Configure"))
          : nullptr;
  if (!configure || !SPW_LibraryDriverGuid(lib, &guid))
    return Fail("the driver library cannot be loaded again");

  PLAT_DialogSetDriver(AcceptPage, nullptr);
  const int32_t configured = configure(nullptr, nullptr);
  PLAT_DialogSetDriver(nullptr, nullptr);
  if (configured != SPPD_OK) return Fail("the driver's wizard did not complete");
  if (SPW_WriteDriverChoice(guid, nullptr) != 1) {
    std::fprintf(stderr, "demosetup: cannot write the settings store %s\n",
                 PLAT_RegStorePath().c_str());
    return 1;
  }
  std::printf("demosetup: %s (%s) recorded in %s\n", file.c_str(), description,
              PLAT_RegStorePath().c_str());
  return 0;
}
