#pragma once
// A display over a fake driver table that logs flushes, viewports and node callbacks.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/display/display.h"
#include "engine/kernel/kernel.h"
#include "engine/memory/memblock.h"

namespace displaytest {

inline std::vector<std::string>& Log() {
  static std::vector<std::string> log;
  return log;
}

struct VpCall {
  SPW_DISPLAYNODE* node;
  SPW_RECT rect;
  SPW_POINT offset;
};
inline std::vector<VpCall>& VpCalls() {
  static std::vector<VpCall> calls;
  return calls;
}

inline int32_t FakeFlushNoHud(SPW_DISPLAY*) { return 1; }
inline int32_t FakeFlushAlpha(SPW_DISPLAY*) {
  Log().push_back("alpha");
  return 1;
}
inline int32_t FakeFlushHUD(SPW_DISPLAY*) {
  Log().push_back("hud");
  return 1;
}
inline SPPD_VIEWPORT* FakeVPGet(SPPD_VIEWPORT* vp, SPW_DISPLAYNODE* node, const float* rect,
                                const float* offset) {
  VpCalls().push_back({node, {rect[0], rect[1], rect[2], rect[3]}, {offset[0], offset[1]}});
  vp->fLeft = rect[0];
  vp->dwFlags = SPPD_VIEWPORT_RUN_CALLBACKS;
  return vp;
}
inline int32_t FakeVPSet(SPW_DISPLAYNODE*, SPPD_VIEWPORT*) {
  Log().push_back("commit");
  return 1;
}

// Node callback that logs the text its data record carries.
inline int32_t LogNode(SPW_DISPLAYNODE*, SPPD_VIEWPORT*, SGE_DATAREF* data) {
  Log().push_back(static_cast<const char*>(data->pData));
  return 1;
}
inline int32_t LogDisplay(SPW_DISPLAY*, SGE_DATAREF* data) {
  Log().push_back(static_cast<const char*>(data->pData));
  return 1;
}
inline int32_t StopDisplay(SPW_DISPLAY*, SGE_DATAREF*) {
  Log().push_back("stop");
  return -1;
}

class DisplayTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(SGE_InitMemoryAndKernel(0), 1);
    ASSERT_EQ(SPW_CreateEngineBlocks(), 1);
    Log().clear();
    VpCalls().clear();
    driver = SGE_CreateDataRef(nullptr, sizeof(SPPD_DRIVERTABLE));
    ASSERT_NE(driver, nullptr);
    auto* table = static_cast<SPPD_DRIVERTABLE*>(driver->pData);
    *table = SPPD_DRIVERTABLE{};
    table->SPPD_FlushNoHud = FakeFlushNoHud;
    table->SPPD_FlushAlpha = FakeFlushAlpha;
    table->SPPD_FlushHUD = FakeFlushHUD;
    display = SPW_CreateDisplay(0, 640, 480, FakeVPGet, FakeVPSet, driver);
    ASSERT_NE(display, nullptr);
  }
  void TearDown() override {
    SPW_DestroyDisplay(display);
    if (driver) SGE_ReleaseDataRef(driver);
    SPW_ReleaseEngineBlocks();
    SGE_ShutdownKernelAndMemory();
  }

  // A text data record; the caller's reference is dropped once something else holds it.
  SGE_DATAREF* Text(const char* text) {
    SGE_DATAREF* ref = SGE_CreateDataRef(nullptr, 32);
    snprintf(static_cast<char*>(ref->pData), 32, "%s", text);
    owned.push_back(ref);
    return ref;
  }
  void DropOwned() {
    for (SGE_DATAREF* r : owned) SGE_ReleaseDataRef(r);
    owned.clear();
  }

  SPW_DISPLAYNODE* Node(uint32_t key, SPW_RECT rect, SPW_POINT origin,
                        SPW_DISPLAYNODE* parent = nullptr, uint32_t flags = 0) {
    return SPW_CreateDisplayNode(key, 10.0f, &rect, &origin, 0, nullptr, display, parent, flags,
                                 nullptr);
  }
  // Adds a logging callback whose text is 'name'.
  void Cb(SPW_DISPLAYNODE* node, uint32_t key, const char* name) {
    ASSERT_NE(SPW_AddDisplayNode(node, LogNode, key, Text(name)), nullptr);
  }

  // Only the node callback lines, without flushes and commits.
  std::vector<std::string> Drawn() const {
    std::vector<std::string> out;
    for (const std::string& s : Log())
      if (s != "alpha" && s != "hud" && s != "commit") out.push_back(s);
    return out;
  }

  SGE_DATAREF* driver = nullptr;
  SPW_DISPLAY* display = nullptr;
  std::vector<SGE_DATAREF*> owned;
};

}  // namespace displaytest
