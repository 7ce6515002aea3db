#pragma once
// Engine memory, an empty type table and a display whose driver records texture requests.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "engine/display/display.h"
#include "engine/driver/sppd.h"
#include "engine/kernel/kernel.h"
#include "engine/memory/memblock.h"
#include "engine/object/object.h"
#include "tests/support/support.h"

struct FakeTextureDriver {
  std::map<std::string, int32_t> ids;  // name to id, ids from 1 in order of first request
  int32_t lowRes = 0;
  int32_t lowResCalls = 0;
};
inline FakeTextureDriver g_fake;

inline int32_t FakeTextureGetID(SPW_DISPLAY*, const char* name, int32_t* out, int32_t) {
  auto [it, added] = g_fake.ids.emplace(name, static_cast<int32_t>(g_fake.ids.size() + 1));
  *out = it->second;
  return SPPD_OK;
}

inline int32_t FakeSetLowRes(SPW_DISPLAY*, int32_t flag) {
  ++g_fake.lowResCalls;
  int32_t previous = g_fake.lowRes;
  g_fake.lowRes = flag;
  return previous;
}

class ObjectFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(SGE_InitMemory(0), 1);
    ASSERT_EQ(SPW_CreateEngineBlocks(), 1);
    ASSERT_EQ(SPW_ResetObjectTypes(), 1);
    g_fake = FakeTextureDriver{};
    table.SPPD_TextureGetID = FakeTextureGetID;
    table.SPPD_SetLowResTextureState = FakeSetLowRes;
    ref = {1, sizeof table, &table};
    display.pDriver = &ref;
  }
  void TearDown() override {
    SPW_TextureHook = nullptr;
    SPW_ReleaseObjectTypes();
    SPW_ReleaseEngineBlocks();
    SGE_ShutdownMemory();
  }
  static uint32_t Used(SGE_MEMBLOCK* block) {
    SGE_MEMSTATS stats;
    SGE_GetMemBlockStats(&stats, block);
    return stats.dwUsedBytes;
  }

  vntest::TempDir dir;
  vntest::ScopedWorkingDir cwd{dir.path()};
  SPPD_DRIVERTABLE table{};
  SGE_DATAREF ref{};
  SPW_DISPLAY display{};
};
