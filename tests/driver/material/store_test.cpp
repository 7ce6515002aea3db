// The named material store: lookups by name, the block header, destruction and the no-op
// touch calls.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "driver/core/pools.h"
#include "driver/material/store.h"
#include "tests/driver/gldev_fixture.h"

namespace {

class MaterialStore : public gldevtest::DriverDisplay {
 protected:
  void SetUp() override {
    DriverDisplay::SetUp();
    StorePrefs();
    ASSERT_EQ(SPPD_Create(&display, window), SPPD_OK);
  }
  void* Get(const char* name, uint32_t size = 64, int32_t* createdOut = nullptr) {
    int32_t created = 0;
    void* block = SPPD_MaterialGet(&display, name, &created, size);
    if (createdOut) *createdOut = created;
    return block;
  }
  void* Find(const char* name) { return SPPD_MaterialGet(&display, name, nullptr, 64); }
  SPPD_MATERIALTABLE* Table() { return State()->pMaterialTable; }
  uint32_t FreeBytes() {
    SGE_MEMSTATS stats{};
    SGE_GetMemBlockStats(&stats, SPPD_PoolBlock(State()->pGeneralPool));
    return stats.dwFreeBytes;
  }
  static const SPPD_MATERIALHEADER* Header(void* block) {
    return static_cast<const SPPD_MATERIALHEADER*>(block);
  }
};

TEST_F(MaterialStore, AFreshNameIsCreatedWithItsHeaderAndFoundAgain) {
  int32_t created = 0;
  void* block = Get("rock", 100, &created);
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(created, 1);
  const SPPD_MATERIALHEADER* h = Header(block);
  EXPECT_EQ(h->dwReserved0, 0u);
  EXPECT_EQ(h->dwSize, 100u);
  EXPECT_EQ(h->dwReserved1, 0u);
  EXPECT_EQ(h->dwReserved2, 0u);
  ASSERT_NE(h->pOwner, nullptr);
  EXPECT_EQ(std::string(h->pOwner->szName, 4), "rock");
  EXPECT_EQ(h->pOwner->pData, block);
  EXPECT_EQ(Find("rock"), block);
  EXPECT_EQ(Table()->dwCount, 1u);
}

TEST_F(MaterialStore, AnExistingNameGivesTheSameBlockAndLeavesTheCreatedFlag) {
  void* first = Get("rock");
  int32_t created = 7;
  EXPECT_EQ(SPPD_MaterialGet(&display, "rock", &created, 64), first);
  EXPECT_EQ(created, 7);
  EXPECT_EQ(Table()->dwCount, 1u);
}

TEST_F(MaterialStore, WithoutACreatedFlagAnUnknownNameIsNotCreated) {
  EXPECT_EQ(Find("nothing"), nullptr);
  EXPECT_EQ(Table()->dwCount, 0u);
}

TEST_F(MaterialStore, NamesOfTheSameSumShareABucketAndAreBothFound) {
  ASSERT_EQ(SPPD_MaterialHash("ab"), SPPD_MaterialHash("ba"));
  void* ab = Get("ab");
  void* ba = Get("ba");
  ASSERT_NE(ab, nullptr);
  ASSERT_NE(ba, nullptr);
  EXPECT_NE(ab, ba);
  EXPECT_EQ(Find("ab"), ab);
  EXPECT_EQ(Find("ba"), ba);
}

TEST_F(MaterialStore, LongNamesHashAndCompareOnTheirFirstSixteenCharacters) {
  EXPECT_EQ(SPPD_MaterialHash("abcdefghijklmnopXXXX"), SPPD_MaterialHash("abcdefghijklmnop"));
  void* block = Get("abcdefghijklmnopXXXX");
  EXPECT_EQ(Find("abcdefghijklmnopYYYY"), block);
  EXPECT_EQ(Find("abcdefghijklmnop"), block);
  EXPECT_EQ(Find("abcdefghijklmno"), nullptr);
}

TEST_F(MaterialStore, HashSumsSignedCharactersMaskedToTheBuckets) {
  struct Case {
    const char* name;
    uint32_t bucket;
  } cases[] = {
      {"", 0},
      {"a", 97},
      {"ab", 195},
      {"\xff", 0x7FF},  // -1 as a signed byte
      {"\x80\x80", static_cast<uint32_t>(-256) & 0x7FF},
      {"zzzzzzzzzzzzzzzzzzzz", (16 * 122) & 0x7FF},
  };
  for (const Case& c : cases) EXPECT_EQ(SPPD_MaterialHash(c.name), c.bucket) << c.name;
}

TEST_F(MaterialStore, DestroyRemovesTheMaterialAndEmptiesItsBucket) {
  void* ab = Get("ab");
  void* ba = Get("ba");
  SPPD_MaterialDestroy(&display, ab);
  EXPECT_EQ(Find("ab"), nullptr);
  EXPECT_EQ(Find("ba"), ba);
  SPPD_MaterialDestroyByName(&display, "ba");
  EXPECT_EQ(Find("ba"), nullptr);
  EXPECT_TRUE(SPPD_LinkEmpty(&Table()->lhUsedBuckets));
  EXPECT_EQ(Table()->dwCount, 0u);
  // The name can be made again afterwards.
  EXPECT_NE(Get("ab"), nullptr);
}

TEST_F(MaterialStore, DestroyingAnUnknownNameOrAForeignBlockChangesNothing) {
  void* rock = Get("rock");
  SPPD_MaterialDestroyByName(&display, "sand");
  uint8_t foreign[64] = {};
  SPPD_MaterialDestroy(&display, foreign);
  SPPD_MaterialDestroy(&display, nullptr);
  EXPECT_EQ(Find("rock"), rock);
  EXPECT_EQ(Table()->dwCount, 1u);
}

TEST_F(MaterialStore, DestroyAllEmptiesEveryBucketAndFreesTheMemory) {
  ASSERT_NE(Get("first"), nullptr);  // the table itself
  SPPD_MaterialDestroyByName(&display, "first");
  const uint32_t before = FreeBytes();
  for (const char* n : {"a", "b", "ab", "ba", "rock"}) ASSERT_NE(Get(n), nullptr) << n;
  SPPD_GFXDRV_DestroyAllMaterials(Table());
  EXPECT_EQ(Table()->dwCount, 0u);
  EXPECT_TRUE(SPPD_LinkEmpty(&Table()->lhUsedBuckets));
  for (const char* n : {"a", "b", "ab", "ba", "rock"}) EXPECT_EQ(Find(n), nullptr) << n;
  EXPECT_EQ(FreeBytes(), before);
  SPPD_GFXDRV_DestroyAllMaterials(nullptr);
}

TEST_F(MaterialStore, ABlockTooSmallForItsHeaderIsRefused) {
  int32_t created = 0;
  EXPECT_EQ(SPPD_MaterialGet(&display, "tiny", &created, 8), nullptr);
  EXPECT_EQ(created, 0);
  EXPECT_EQ(Find("tiny"), nullptr);
}

TEST_F(MaterialStore, AFullPoolGivesNoMaterialAndLeavesNothingBehind) {
  int32_t created = 0;
  EXPECT_EQ(SPPD_MaterialGet(&display, "huge", &created, 0x7FFFFFF0u), nullptr);
  EXPECT_EQ(created, 0);
  EXPECT_EQ(Find("huge"), nullptr);
  EXPECT_EQ(Table()->dwCount, 0u);
}

TEST_F(MaterialStore, TouchAndUntouchDoNothingAndFail) {
  void* rock = Get("rock");
  EXPECT_EQ(SPPD_MaterialTouch(&display, rock), SPPD_FAIL);
  EXPECT_EQ(SPPD_MaterialUntouch(&display, rock), SPPD_FAIL);
  EXPECT_EQ(SPPD_MaterialTouch(nullptr, nullptr), SPPD_FAIL);
  EXPECT_EQ(Find("rock"), rock);
  EXPECT_EQ(Header(rock)->dwSize, 64u);
}

TEST(MaterialStoreWithoutDevice, ExportsOnADisplayWithoutPoolsDoNothing) {
  std::vector<uint8_t> block(sizeof(SPPD_DRIVERDATA), 0);
  SGE_DATAREF ref{1, static_cast<int32_t>(block.size()), block.data()};
  SPW_DISPLAY display{};
  display.pDriver = &ref;
  int32_t created = 0;
  EXPECT_EQ(SPPD_MaterialGet(&display, "rock", &created, 64), nullptr);
  EXPECT_EQ(SPPD_MaterialGet(nullptr, "rock", &created, 64), nullptr);
  EXPECT_EQ(created, 0);
  SPPD_MaterialDestroyByName(&display, "rock");
  SPPD_MaterialDestroy(nullptr, nullptr);
}

}  // namespace
