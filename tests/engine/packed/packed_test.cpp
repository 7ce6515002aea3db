// The three packed tables from their writer, and table files that are damaged.
#include "engine/packed/packed.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "engine/memory/memblock.h"
#include "platform/bytes.h"
#include "tests/support/support.h"
#include "tools/writers/packed_writer.h"

namespace {

class PackedTableTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(SGE_InitMemory(0), 1);
    ASSERT_EQ(SPW_CreateEngineBlocks(), 1);
    tables.positions = {{1, 2, 3}, {4, 5, 6}};
    tables.rotations = {{{0, 0, 0, 1}, 0, 1.0f / 160}, {{0, 1, 0, 0}, 160, 0}};
    tables.materials = {"sprites/editor/ball.ppm", std::string(300, 'x')};
  }
  void TearDown() override {
    SPW_LoadPositionTable(nullptr);
    SPW_LoadRotationTable(nullptr);
    SPW_LoadMaterials(nullptr);
    SPW_ReleaseEngineBlocks();
    SGE_ShutdownMemory();
  }
  std::string Write(const char* name, const std::vector<uint8_t>& bytes) {
    return dir.write(name, std::string(bytes.begin(), bytes.end()));
  }
  static uint32_t ObjsUsed() {
    SGE_MEMSTATS s;
    SGE_GetMemBlockStats(&s, SPW_ObjsMem);
    return s.dwUsedBytes;
  }
  vntest::TempDir dir;
  vnPACKED_TABLES tables;
};

TEST_F(PackedTableTest, AllThreeTablesRoundTrip) {
  ASSERT_TRUE(vnWRITE_PackedTables(dir.path(), tables));
  ASSERT_EQ(SPW_LoadPositionTable(dir.file("TSET.DAT").c_str()), 1) << "any letter case";
  ASSERT_EQ(SPW_LoadRotationTable(dir.file("qtset.dat").c_str()), 1);
  ASSERT_EQ(SPW_LoadMaterials(dir.file("materials.dat").c_str()), 1);
  uint32_t n = 0;
  const SPW_POSITIONENTRY* pos = SPW_GetPositionTable(&n);
  ASSERT_EQ(n, 2u);
  EXPECT_FLOAT_EQ(pos[1].vPos.z, 6.0f);
  const SPW_ROTATIONENTRY* rot = SPW_GetRotationTable(&n);
  ASSERT_EQ(n, 2u);
  EXPECT_FLOAT_EQ(rot[0].fInvSpan, 1.0f / 160);
  EXPECT_FLOAT_EQ(rot[1].qRot.y, 1.0f);
  EXPECT_FLOAT_EQ(rot[1].fTime, 160.0f);
  ASSERT_EQ(SPW_GetMaterialCount(), 2u);
  EXPECT_STREQ(SPW_GetMaterialName(0), "sprites/editor/ball.ppm");
  EXPECT_EQ(std::string(SPW_GetMaterialName(1)), std::string(259, 'x'));
  EXPECT_EQ(SPW_GetMaterialName(2), nullptr);
}

TEST_F(PackedTableTest, NoPathFreesTheKeptImage) {
  ASSERT_TRUE(vnWRITE_PackedTables(dir.path(), tables));
  const uint32_t before = ObjsUsed();
  ASSERT_EQ(SPW_LoadMaterials(dir.file("materials.dat").c_str()), 1);
  EXPECT_GT(ObjsUsed(), before);
  EXPECT_EQ(SPW_LoadMaterials(nullptr), 1);
  EXPECT_EQ(ObjsUsed(), before);
  EXPECT_EQ(SPW_GetMaterialCount(), 0u);
}

TEST_F(PackedTableTest, BadTableFilesLeaveNoTable) {
  const std::vector<uint8_t> good = vnPACKED_PositionBytes(tables);
  auto withSize = [&](uint32_t size) {
    std::vector<uint8_t> b = good;
    PLAT_StoreLE32(b.data(), size);
    return b;
  };
  const struct {
    const char* what;
    std::vector<uint8_t> bytes;
  } kCases[] = {
      {"empty", {}},
      {"a size word cut short", {24, 0}},
      {"a size below its own four bytes", withSize(3)},
      {"a size beyond the file", withSize(static_cast<uint32_t>(good.size() + 1))},
      {"a huge size", withSize(0xfffffff0u)},
      {"no whole entries", withSize(static_cast<uint32_t>(good.size() - 4))},
  };
  const uint32_t before = ObjsUsed();
  for (const auto& c : kCases) {
    vntest::TraceCapture trace;
    EXPECT_EQ(SPW_LoadPositionTable(Write("tset.dat", c.bytes).c_str()), 0) << c.what;
    EXPECT_FALSE(trace.lines().empty()) << c.what;
    uint32_t n = 1;
    EXPECT_EQ(SPW_GetPositionTable(&n), nullptr) << c.what;
    EXPECT_EQ(n, 0u) << c.what;
    EXPECT_EQ(ObjsUsed(), before) << c.what;
  }
  vntest::TraceCapture trace;
  EXPECT_EQ(SPW_LoadMaterials(dir.file("missing.dat").c_str()), 0);
  EXPECT_TRUE(trace.contains("missing"));
}

}  // namespace
