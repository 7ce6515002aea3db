#pragma once
// A display of the driver's own code over the null device, for benchmarks that measure the
// driver's work without a rasteriser: engine memory, a private settings store in a temporary
// folder with the preferences the wizard would save, and a display whose scene has begun.
#include <unistd.h>

#include <cstdlib>
#include <initializer_list>
#include <string>
#include <vector>

#include "driver/core/block.h"
#include "driver/device/device.h"
#include "driver/device/frame.h"
#include "driver/device/prefs.h"
#include "engine/display/display.h"
#include "engine/driver/sppd.h"
#include "engine/kernel/kernel.h"
#include "engine/memory/memblock.h"
#include "platform/files.h"
#include "platform/gfx/gfx.h"

struct vnBENCH_NULLDISPLAY {
  std::string folder;
  std::vector<uint8_t> block = std::vector<uint8_t>(sizeof(SPPD_DRIVERDATA), 0);
  SGE_DATAREF ref{1, static_cast<int32_t>(sizeof(SPPD_DRIVERDATA)), nullptr};
  SPW_DISPLAY display{};

  // tag names the temporary folder; bindTable fills the block's driver table with the
  // driver's own functions, for engine code that calls through it. False on any failure.
  bool Open(const char* tag, bool bindTable = false) {
    std::string pattern = std::string("/tmp/vn_") + tag + "_bench_XXXXXX";
    if (!mkdtemp(pattern.data())) return false;
    folder = pattern;
    setenv("VANTORIA_GFX", "null", 1);
    setenv("VANTORIA_HEADLESS", "1", 0);
    setenv("VANTORIA_REGISTRY", (folder + "/registry").c_str(), 1);
    if (!SGE_InitMemory(0) || !SPW_CreateEngineBlocks()) return false;
    ref.pData = block.data();
    display.pDriver = &ref;
    display.fWidth = 640;
    display.fHeight = 480;
    if (bindTable) {
      auto* table = reinterpret_cast<SPPD_DRIVERTABLE*>(block.data());
#define VNBENCH_BIND(slot, Name) table->SPPD_##Name = &SPPD_##Name;
      SPPD_TABLE_SLOTS(VNBENCH_BIND)
#undef VNBENCH_BIND
    }
    SPPD_DRIVERSTATE prefs{};
    prefs.fFullScreen = 1;
    prefs.nWidth = 640;
    prefs.nHeight = 480;
    prefs.nBPP = prefs.nTBPP = 32;
    prefs.nZDepth = 16;
    prefs.guidDisplay = SPPD_PRIMARY_DISPLAY_GUID;
    prefs.guidDevice = PLAT_GfxHardwareDeviceGuid();
    return PLAT_GfxInit() && SPPD_SavePreferences(&prefs) == SPPD_OK &&
           SPPD_Create(&display, nullptr) == SPPD_OK && SPPD_BeginScene(&display) == SPPD_OK;
  }

  // Destroys the display, stops the engine memory and removes the folder with the named files
  // the benchmark wrote into it.
  void Close(std::initializer_list<const char*> leaves = {}) {
    SPPD_Destroy(&display);
    SPW_ReleaseEngineBlocks();
    SGE_ShutdownMemory();
    if (folder.empty()) return;
    for (const char* leaf : leaves) PLAT_RemoveFile((folder + "/" + leaf).c_str());
    PLAT_RemoveFile((folder + "/registry").c_str());
    rmdir(folder.c_str());
  }
};
