// Packed object files from their writer: the loaded type matches the POW load of the same
// model, and damaged images fail without leaving memory, a type or a changed driver state.
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "engine/packed/packed.h"
#include "platform/bytes.h"
#include "platform/files.h"
#include "tests/engine/object/object_fixture.h"
#include "tools/models/models.h"
#include "tools/writers/packed_writer.h"

namespace {

class PdoTest : public ObjectFixture {
 protected:
  void SetUp() override {
    ObjectFixture::SetUp();
    PLAT_MakeDirectory("Export");
    PLAT_MakeDirectory("Export/Pows");
  }
  void TearDown() override {
    SPW_LoadMaterials(nullptr);
    SPW_SetPackedLowRes(0);
    ObjectFixture::TearDown();
  }
  // Writes the model's image and the tables it added to.
  std::vector<uint8_t> Build(const vnMODEL& m, vnPDO_LAYOUT* layout = nullptr) {
    std::vector<uint8_t> image = vnPDO_Build(m, tables, layout);
    EXPECT_TRUE(vnWRITE_PackedTables("Export/Pows", tables));
    EXPECT_EQ(SPW_LoadMaterials("Export/Pows/materials.dat"), 1);
    return image;
  }
  void WriteImage(const std::string& name, const std::vector<uint8_t>& image) {
    FILE* f = std::fopen(("Export/Pows/" + name + ".pdo").c_str(), "wb");
    std::fwrite(image.data(), 1, image.size(), f);
    std::fclose(f);
  }
  vnPACKED_TABLES tables;
};

TEST_F(PdoTest, TheFigureLoadsLikeItsPowAtEveryScale) {
  const vnMODEL m = vnMODELS_Figure();
  WriteImage("Figure", Build(m));
  for (float scale : {1.0f, 2.0f}) {
    SCOPED_TRACE(scale);
    SPW_FreeAllObjectTypes();
    int32_t slot = -1;
    ASSERT_EQ(SPW_LoadObject("Export/Pows/Figure.pow", &display, &slot, scale), 1);
    EXPECT_EQ(slot, 697) << "the highest free slot below the built-ins";
    const SPW_DOBJTYPE& t = *SPW_GetObjectType(slot);
    const float s = 0.01f * scale;
    EXPECT_STREQ(t.szName, "Figure");
    EXPECT_NE(t.pPacked, nullptr);
    EXPECT_EQ(t.dwObjectId, m.id);
    EXPECT_EQ(t.dwNumNodes, 10u);
    EXPECT_EQ(t.dwNumAnims, 2u);
    EXPECT_FLOAT_EQ(t.fRadius, m.radius * s);
    EXPECT_FLOAT_EQ(t.fKeyPosScale, scale);
    const SPW_DOBJLOD& lod = t.pLods[0];
    EXPECT_EQ(lod.dwNumTextures, 2u);
    for (uint32_t n = 0; n < 10; ++n) {
      const SPW_DOBJNODE& node = lod.pNodes[n];
      const vnMODEL_NODE& src = m.lods[0].nodes[n];
      EXPECT_EQ(node.szName, src.name);
      EXPECT_EQ(node.dwNumChildren, src.childCount) << src.name;
      if (src.parentId < 0) EXPECT_EQ(node.pParent, nullptr);
      else EXPECT_EQ(node.pParent, &lod.pNodes[src.parentId]) << src.name;
      EXPECT_FLOAT_EQ(node.tDefault.vPos.x, src.transform[0] * s) << src.name;
      for (uint32_t v = 0; v < node.dwNumVertices; ++v)
        EXPECT_FLOAT_EQ(node.pVertexSet[v].vPos.y, src.vertices[v].pos[1] * s);
      for (uint32_t f = 0; f < node.dwNumFaces; ++f) EXPECT_NE(node.pFaceSet[f].nTexture, 0);
    }
    // Packed keys index the global tables; positions there are taken at scale 1.
    const SPW_ANIMCHANNEL& leg = t.pAnims[0].pChannels[8];
    ASSERT_EQ(leg.dwNumKeys, 5u);
    EXPECT_EQ(SPW_PackedKeyPosition(leg.pPackedKeys[1]), SPW_PackedKeyPosition(leg.pPackedKeys[0]) + 1);
    const vnPACKED_ROTATION& r = tables.rotations[SPW_PackedKeyRotation(leg.pPackedKeys[1])];
    EXPECT_FLOAT_EQ(r.time, 1200.0f);
    EXPECT_FLOAT_EQ(tables.positions[SPW_PackedKeyPosition(leg.pPackedKeys[0])][0], -0.12f);
    EXPECT_EQ(t.pAnims[0].dwLength, 4800u);
  }
  EXPECT_EQ(g_fake.ids.count("sprites/editor/ball.ppm"), 1u);
}

TEST_F(PdoTest, NamesKeepAllTwentyCharactersOfTheirFields) {
  vnMODEL m = vnMODELS_Figure();
  m.lods[0].nodes[3].name = "neck+torso+shoulderR+shoulderL";  // longer than the field
  m.anims[1].name = "IdleWithTwentyChars!";
  WriteImage("Figure", Build(m));
  int32_t slot = -1;
  ASSERT_EQ(SPW_LoadObject("Export/Pows/Figure.pow", &display, &slot, 1.0f), 1);
  const SPW_DOBJTYPE& t = *SPW_GetObjectType(slot);
  EXPECT_EQ(std::string(t.pLods[0].pNodes[3].szName, SPW_NODE_NAME_SIZE), "neck+torso+shoulderR");
  EXPECT_EQ(std::string(t.pAnims[1].szName, SPW_ANIM_NAME_SIZE), "IdleWithTwentyChars!");
}

TEST_F(PdoTest, ATypeTakesTheNameOfItsFileAndLoadsOnceUnderIt) {
  // A cube's image saved under another name: the file's name is the one callers ask for.
  const std::vector<uint8_t> cube = Build(vnMODELS_Cube());
  WriteImage("Crate", cube);
  WriteImage("Cube", cube);
  const uint32_t before = Used(SPW_ObjsMem);
  int32_t crate = -1, again = -1, real = -1;
  ASSERT_EQ(SPW_LoadObject("Export/Pows/Crate.pow", &display, &crate, 1.0f), 1);
  const uint32_t once = Used(SPW_ObjsMem);
  ASSERT_EQ(SPW_LoadObject("Export/Pows/crate.pow", &display, &again, 1.0f), 1);
  EXPECT_EQ(again, crate);
  EXPECT_EQ(Used(SPW_ObjsMem), once) << "the second request loads no copy";
  EXPECT_GT(once, before);
  EXPECT_STREQ(SPW_GetObjectType(crate)->szName, "Crate");
  EXPECT_EQ(SPW_FindObjectType("Cube", nullptr), 0);
  ASSERT_EQ(SPW_LoadObject("Export/Pows/Cube.pow", &display, &real, 1.0f), 1);
  EXPECT_NE(real, crate);
  EXPECT_STREQ(SPW_GetObjectType(real)->szName, "Cube");
}

TEST_F(PdoTest, TheLowResolutionStateIsSetForTheLoadAndRestoredOnEveryExit) {
  WriteImage("Cube", Build(vnMODELS_Cube()));
  std::vector<uint8_t> bad = vnPDO_Build(vnMODELS_Sphere(), tables);
  PLAT_StoreLE32(bad.data() + 4 * 7, 1000);  // a level count beyond the image
  WriteImage("Sphere", bad);
  EXPECT_EQ(SPW_SetPackedLowRes(1), 0);
  int32_t slot = 0;
  for (const char* name : {"Export/Pows/Cube.pow", "Export/Pows/Sphere.pow", "Export/Pows/None.pow",
                           "Export/Pows/Cube.pow"}) {
    g_fake.lowResCalls = 0;
    SPW_LoadObject(name, &display, &slot, 1.0f);
    EXPECT_EQ(g_fake.lowRes, 0) << name;
    EXPECT_EQ(g_fake.lowResCalls, 2) << name;
  }
  EXPECT_EQ(SPW_SetPackedLowRes(0), 1);
  g_fake.lowResCalls = 0;
  SPW_LoadObject("Export/Pows/Cube.pow", &display, &slot, 1.0f);
  EXPECT_EQ(g_fake.lowResCalls, 0);
}

TEST_F(PdoTest, FreeingAPackedTypeReturnsItsMemoryAndSlot) {
  const uint32_t before = Used(SPW_ObjsMem);
  WriteImage("Sphere", Build(vnMODELS_Sphere()));
  const uint32_t withTables = Used(SPW_ObjsMem);
  int32_t slot = 0;
  ASSERT_EQ(SPW_LoadObject("Export/Pows/Sphere.pow", &display, &slot, 1.0f), 1);
  EXPECT_EQ(SPW_GetObjectType(slot)->dwNumLods, 2u);
  SPW_FreeAllObjectTypes();
  EXPECT_EQ(SPW_FindObjectType("Sphere", nullptr), 0);
  EXPECT_EQ(Used(SPW_ObjsMem), withTables);
  EXPECT_GT(withTables, before);
}

void Set(std::vector<uint8_t>& b, size_t at, uint32_t v) { PLAT_StoreLE32(b.data() + at, v); }

TEST_F(PdoTest, DamagedImagesFailWithNothingLeftBehind) {
  vnPDO_LAYOUT at;
  const std::vector<uint8_t> good = Build(vnMODELS_Figure(), &at);
  const uint32_t node0 = at.firstNodes, node1 = at.firstNodes + 31 * 4;
  const struct {
    const char* what;
    std::function<void(std::vector<uint8_t>&)> damage;
  } kCases[] = {
      {"a size word beyond the file", [&](auto& b) { Set(b, 0, at.size + 4); }},
      {"a size word below the header", [&](auto& b) { Set(b, 0, 16); }},
      {"a size word of 4 GB", [&](auto& b) { Set(b, 0, 0xffffffffu); }},
      {"an animation count beyond the image", [&](auto& b) { Set(b, 24, 0x10000000); }},
      {"a node count beyond the image", [&](auto& b) { Set(b, 32, 0x10000000); }},
      {"a channel table offset past the end", [&](auto& b) { Set(b, at.animTable + 32, at.size); }},
      {"a misaligned channel table", [&](auto& b) { Set(b, at.animTable + 32, at.firstPairs + 2); }},
      {"a key offset inside the header", [&](auto& b) { Set(b, at.firstPairs + 8 * 8 + 4, 8); }},
      {"a key count past the end", [&](auto& b) { Set(b, at.firstPairs + 8 * 8, 0x20000000); }},
      {"a node table offset past the end", [&](auto& b) { Set(b, at.lodTable + 12, at.size - 8); }},
      {"a level whose node count differs", [&](auto& b) { Set(b, at.lodTable, 3); }},
      {"a parent after its child", [&](auto& b) { Set(b, node1 + 9 * 4, 5); }},
      {"a parent outside the level", [&](auto& b) { Set(b, node1 + 9 * 4, 1000); }},
      {"five vertices a face", [&](auto& b) { Set(b, node1 + 15 * 4, 5); }},
      {"a vertex count past the end", [&](auto& b) { Set(b, node1 + 13 * 4, 0x10000000); }},
      {"vertices shared with the node records", [&](auto& b) { Set(b, node1 + 25 * 4, node0); }},
      {"a material outside the table", [&](auto& b) { Set(b, at.firstFaces, 99); }},
      {"a face naming a missing vertex", [&](auto& b) { Set(b, at.firstFaces + 5 * 4, 1000); }},
      {"cut after the header", [&](auto& b) { b.resize(17 * 4 + 8); }},
      {"cut in the node records", [&](auto& b) { b.resize(at.firstNodes + 40); }},
      {"cut before the last byte", [&](auto& b) { b.resize(b.size() - 1); }},
  };
  const uint32_t objs = Used(SPW_ObjsMem);
  ASSERT_EQ(SPW_SetPackedLowRes(1), 0);
  for (const auto& c : kCases) {
    std::vector<uint8_t> bad = good;
    c.damage(bad);
    WriteImage("Figure", bad);
    vntest::TraceCapture trace;
    int32_t slot = 0;
    EXPECT_EQ(SPW_PACKDOBJ_LoadObjectFile("Export/Pows/Figure.pow", &display, &slot, 1.0f), 0)
        << c.what;
    EXPECT_FALSE(trace.lines().empty()) << c.what;
    EXPECT_EQ(SPW_FindObjectType("Figure", nullptr), 0) << c.what;
    EXPECT_EQ(Used(SPW_ObjsMem), objs) << c.what;
    EXPECT_EQ(g_fake.lowRes, 0) << c.what;
  }
  WriteImage("Figure", good);
  int32_t slot = 0;
  EXPECT_EQ(SPW_PACKDOBJ_LoadObjectFile("Export/Pows/Figure.pow", &display, &slot, 1.0f), 1);
}

TEST_F(PdoTest, WithoutTheMaterialsTableFacesGetNoTexture) {
  WriteImage("Cube", Build(vnMODELS_Cube()));
  SPW_LoadMaterials(nullptr);
  int32_t slot = 0;
  ASSERT_EQ(SPW_LoadObject("Export/Pows/Cube.pow", &display, &slot, 1.0f), 1);
  EXPECT_EQ(SPW_GetObjectType(slot)->pLods[0].pNodes[0].pFaceSet[0].nTexture, 0);
  vntest::TraceCapture trace;
  EXPECT_EQ(SPW_LoadObject("Export/Pows/Sphere.pow", &display, &slot, 1.0f), 0);
  EXPECT_TRUE(trace.contains("SPW_PACKDOBJ_LoadObjectFile(): Fail to open file Export/Pows/Sphere.pdo"));
}

}  // namespace
