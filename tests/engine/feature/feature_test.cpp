// Feature classes and instances written as terrain files and read back by the feature loader;
// damaged blocks fail and leave nothing behind.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <string>

#include "platform/bytes.h"
#include "tests/engine/feature/feature_fixture.h"

namespace {

vnMODEL_MATERIAL Material(const std::string& name, std::vector<vnMODEL_TEXTURE> textures) {
  vnMODEL_MATERIAL m;
  m.name = name;
  m.textures = std::move(textures);
  return m;
}

class FeatureTest : public FeatureFixture {
 protected:
  // A crate class (material 0, whose textures have kinds 0 and 1) with two instances, and a rock
  // class of two levels whose faces name no material, with one instance.
  vnFEATURE_SET Scenery() {
    vnFEATURE_SET set;
    set.materials.push_back(Material("wood", {{0, "textures/bump.ppm"}, {1, "textures/wood.ppm"}}));
    set.materials.push_back(Material("stone", {{0, "textures/stone.ppm"}, {0, "textures/moss.ppm"}}));
    vnFEATURE_GROUP crates{vnMODELS_FeatureBox("Crate", 50, 50, 50, 0), {}};
    crates.cls.valueA = 7;
    crates.cls.kept[3] = 9;
    crates.instances.push_back(At(crates.cls, "crate1", 1000, 2000, 50));
    crates.instances.push_back(At(crates.cls, "crate2", -500, 0, 50, 0.5f, 2.0f));
    crates.instances[1].colours[0][3] = 0xFF102030u;
    crates.instances[1].id = 42;
    vnFEATURE_GROUP rocks{vnMODELS_FeatureRock("Rock", 100, 3), {}};
    rocks.instances.push_back(At(rocks.cls, "rock1", 0, 0, 0));
    set.groups = {crates, rocks};
    return set;
  }
  vnBIFF_FILE SceneryFile() {
    vnBIFF_FILE file;
    vnFEATURE_AppendTo(file, Scenery());
    return file;
  }
};

TEST_F(FeatureTest, ClassesAndInstancesLoadFromATerrainFile) {
  const vnFEATURE_SET set = Scenery();
  ASSERT_EQ(Load(set), 1);
  auto classes = Classes();
  ASSERT_EQ(classes.size(), 2u);
  SPW_FEATUREOBJ& crate = *classes[0];
  vnFEATURE_CLASS src = set.groups[0].cls;
  vnFEATURE_PrepareClass(src);
  EXPECT_EQ(std::string(crate.szClassName), "Crate");
  EXPECT_EQ(crate.dwInUse, SPW_FEATURE_IN_USE);
  EXPECT_EQ(crate.dwAttributes, 0u);
  EXPECT_EQ(crate.dwValueA, 7u);
  EXPECT_EQ(crate.abKept[3], 9);
  EXPECT_FLOAT_EQ(crate.fRadius, src.radius * 0.01f);
  ASSERT_EQ(crate.dwNumMeshes, 1u);
  const SPW_FEATUREMESH& mesh = crate.pMeshes[0];
  ASSERT_EQ(mesh.dwNumVertices, 24u);
  ASSERT_EQ(mesh.dwNumFaces, 12u);
  EXPECT_EQ(mesh.dwVertsPerFace, 3u);
  EXPECT_EQ(mesh.dwNumNodes, src.meshes[0].nodes.size());
  EXPECT_GT(mesh.dwDepth, 1u);
  EXPECT_FLOAT_EQ(mesh.pVertices[5].vPos.z, src.meshes[0].vertices[5].pos[2] * 0.01f);
  EXPECT_FLOAT_EQ(mesh.pVertices[5].fU, src.meshes[0].vertices[5].u);
  EXPECT_FLOAT_EQ(mesh.pFaces[0].vNormal.z, -1.0f);
  const SPW_FEATURENODE& root = mesh.pNodes[mesh.dwNumNodes - 1];
  EXPECT_EQ(root.nFace, -1);
  EXPECT_FLOAT_EQ(root.fRadius, src.meshes[0].nodes.back().radius * 0.01f);
  // Kind 1 wins over the first texture; a class made of a material-less face gets 0.
  const int32_t wood = g_fake.ids.at(PLAT_GetWorkingDir() + "/textures/wood.ppm");
  for (uint32_t f = 0; f < mesh.dwNumFaces; ++f) EXPECT_EQ(mesh.pFaces[f].nTexture, wood) << f;
  EXPECT_EQ(classes[1]->pMeshes[1].pFaces[0].nTexture, 0);
  EXPECT_EQ(classes[1]->dwNumMeshes, 2u);

  auto crates = Instances(&crate);
  ASSERT_EQ(crates.size(), 2u);
  EXPECT_EQ(std::string(crates[1]->szName), "crate2");
  EXPECT_EQ(crates[1]->nId, 42);
  EXPECT_EQ(crates[1]->pClass, &crate);
  EXPECT_EQ(crates[1]->dwFlags, 0u);
  EXPECT_FLOAT_EQ(crates[1]->fScale, 2.0f);
  EXPECT_FLOAT_EQ(crates[1]->fInvScale, 0.5f);
  EXPECT_FLOAT_EQ(crates[1]->mObjectToWorld.m[3][0], -5.0f);
  EXPECT_FLOAT_EQ(crates[0]->mObjectToWorld.m[3][1], 20.0f);
  EXPECT_NEAR(crates[0]->mWorldToObject.m[3][1], -20.0f, 1e-4f);
  ASSERT_EQ(crates[1]->dwNumColours, 1u);
  EXPECT_EQ(crates[1]->ppColours[0][3], 0xFF102030u);
  EXPECT_EQ(crates[1]->ppColours[0][4], 0xFFFFFFFFu);
  EXPECT_TRUE(SGE_ListIsEmpty(&crates[1]->decals));
}

TEST_F(FeatureTest, ASecondChunkOfTheSameClassFillsAnotherMeshAndKeepsTheClassFields) {
  vnFEATURE_CLASS rock = vnMODELS_FeatureRock("Rock", 100, 3);
  vnFEATURE_CLASS other = rock;
  other.valueA = 99;
  other.radius = 12345;
  vnBIFF_BLOCK block{"FOBF", 0, 0, {}};
  block.chunks.push_back({"FOBJ", vnFEATURE_ClassChunk(rock, 0)});
  block.chunks.push_back({"FOBJ", vnFEATURE_ClassChunk(other, 1)});
  block.chunks.push_back({"FOBI", vnFEATURE_InstanceChunk(rock, At(rock, "r", 0, 0, 0))});
  vnBIFF_FILE file;
  file.blocks.push_back(block);
  ASSERT_EQ(LoadFile(file), 1);
  auto classes = Classes();
  ASSERT_EQ(classes.size(), 1u);
  EXPECT_EQ(classes[0]->dwValueA, rock.valueA);
  EXPECT_FLOAT_EQ(classes[0]->fRadius, rock.radius * 0.01f);
  EXPECT_EQ(classes[0]->pMeshes[1].dwNumFaces, rock.meshes[1].faces.size());
  EXPECT_EQ(classes[0]->pMeshes[0].dwNumFaces, rock.meshes[0].faces.size());
}

TEST_F(FeatureTest, TheLargestRowLengthIsTheScaleAndUnevenAxesAreTraced) {
  struct Case {
    float rows[3];
    float scale;
    bool traced;
  } cases[] = {{{2.0f, 2.0f, 2.05f}, 2.05f, false}, {{1.0f, 1.0f, 1.2f}, 1.2f, true},
               {{0, 0, 0}, 1.0f, false}};
  for (const Case& c : cases) {
    Restart();
    vnFEATURE_SET set;
    set.groups.push_back({vnMODELS_FeatureBox("Crate", 50, 50, 50), {}});
    vnFEATURE_INSTANCE inst = At(set.groups[0].cls, "c", 0, 0, 0);
    for (int r = 0; r < 3; ++r) inst.matrix[r * 5] = c.rows[r];
    set.groups[0].instances.push_back(inst);
    vntest::TraceCapture trace;
    ASSERT_EQ(Load(set), 1) << c.rows[2];
    SPW_FEATUREINST* loaded = Instances(Classes()[0])[0];
    EXPECT_FLOAT_EQ(loaded->fScale, c.scale) << c.rows[2];
    EXPECT_FLOAT_EQ(loaded->fInvScale, 1.0f / c.scale) << c.rows[2];
    EXPECT_EQ(trace.contains("independent axis scaling [c], class [Crate]"), c.traced) << c.rows[2];
  }
}

TEST_F(FeatureTest, LoadingIntoASceneThatHoldsFeaturesKeepsTheirTextures) {
  ASSERT_EQ(Load(Scenery()), 1);
  const int32_t wood = Classes()[0]->pMeshes[0].pFaces[0].nTexture;
  ASSERT_NE(wood, 0);
  vnFEATURE_SET more;
  more.groups.push_back({vnMODELS_FeatureBarrel("Barrel", 40, 100, 8), {}});
  more.groups[0].instances.push_back(At(more.groups[0].cls, "b", 0, 0, 0));
  ASSERT_EQ(Load(more), 1);
  ASSERT_EQ(Classes().size(), 3u);
  EXPECT_EQ(Classes()[0]->pMeshes[0].pFaces[0].nTexture, wood);
}

// Offsets into the chunks as the writer lays them out.
uint32_t FacesAt(const vnFEATURE_CLASS& c, uint32_t mesh = 0) {
  const vnFEATURE_MESH& m = c.meshes[mesh];
  return static_cast<uint32_t>(128 + m.vertices.size() * (12 + 8 * m.pairs) + m.vertices.size() * 12);
}
uint32_t NodesAt(const vnFEATURE_CLASS& c, uint32_t mesh = 0) {
  const vnFEATURE_MESH& m = c.meshes[mesh];
  return FacesAt(c, mesh) + static_cast<uint32_t>(m.faces.size() * (20 + 4 * m.vertsPerFace));
}

TEST_F(FeatureTest, DamagedBlocksFailAndLeaveNoFeatures) {
  const vnFEATURE_CLASS crate = [] {
    vnFEATURE_CLASS c = vnMODELS_FeatureBox("Crate", 50, 50, 50, 0);
    vnFEATURE_PrepareClass(c);
    return c;
  }();
  auto chunk = [](vnBIFF_FILE& f, size_t block, size_t i) -> std::vector<uint8_t>& {
    return f.blocks[block].chunks[i].data;
  };
  auto put = [](std::vector<uint8_t>& d, uint32_t at, uint32_t v) { PLAT_StoreLE32(d.data() + at, v); };
  // The crate block is block 1 (after the materials), its first chunk the class.
  struct Case {
    const char* name;
    std::function<void(vnBIFF_FILE&)> damage;
  } cases[] = {
      {"instance without a class", [&](vnBIFF_FILE& f) { f.blocks[1].chunks.erase(f.blocks[1].chunks.begin()); }},
      {"no mesh", [&](vnBIFF_FILE& f) { put(chunk(f, 1, 0), 44, 0); }},
      {"mesh index at the count", [&](vnBIFF_FILE& f) { put(chunk(f, 1, 0), 48, 1); }},
      {"no texture pair", [&](vnBIFF_FILE& f) { put(chunk(f, 1, 0), 88, 0); }},
      {"five indices per face", [&](vnBIFF_FILE& f) { put(chunk(f, 1, 0), 84, 5); }},
      {"two indices per face", [&](vnBIFF_FILE& f) { put(chunk(f, 1, 0), 84, 2); }},
      {"vertex index outside", [&](vnBIFF_FILE& f) { put(chunk(f, 1, 0), FacesAt(crate) + 20, 24); }},
      {"node child outside", [&](vnBIFF_FILE& f) {
         const uint32_t root = NodesAt(crate) + 36 * static_cast<uint32_t>(crate.meshes[0].nodes.size() - 1);
         put(chunk(f, 1, 0), root + 28, 9999);
       }},
      {"node reached twice", [&](vnBIFF_FILE& f) {
         const uint32_t root = NodesAt(crate) + 36 * static_cast<uint32_t>(crate.meshes[0].nodes.size() - 1);
         const uint32_t left = PLAT_LoadLE32(chunk(f, 1, 0).data() + root + 28);
         put(chunk(f, 1, 0), root + 32, left);
       }},
      {"node face outside", [&](vnBIFF_FILE& f) { put(chunk(f, 1, 0), NodesAt(crate) + 4, 12); }},
      {"class chunk cut", [&](vnBIFF_FILE& f) { chunk(f, 1, 0).resize(chunk(f, 1, 0).size() - 4); }},
      {"instance chunk cut", [&](vnBIFF_FILE& f) { chunk(f, 1, 1).resize(chunk(f, 1, 1).size() - 4); }},
      {"more colour arrays than meshes", [&](vnBIFF_FILE& f) { put(chunk(f, 1, 1), 44, 2); }},
      {"no colour arrays", [&](vnBIFF_FILE& f) { put(chunk(f, 1, 1), 44, 0); }},
      {"no instance at all", [&](vnBIFF_FILE& f) {
         for (vnBIFF_BLOCK& b : f.blocks)
           std::erase_if(b.chunks, [](const vnBIFF_CHUNK& c) { return c.tag == "FOBI"; });
       }},
      {"no feature block", [&](vnBIFF_FILE& f) { f.blocks.resize(1); }},
      {"empty material block", [&](vnBIFF_FILE& f) { f.blocks[0].chunks.clear(); }},
      {"face names a missing material", [&](vnBIFF_FILE& f) { put(chunk(f, 1, 0), FacesAt(crate), 2); }},
  };
  for (const Case& c : cases) {
    Restart();
    vnBIFF_FILE file = SceneryFile();
    c.damage(file);
    EXPECT_EQ(LoadFile(file), 0) << c.name;
    EXPECT_TRUE(Classes().empty()) << c.name;
    EXPECT_EQ(InUse(), 0) << c.name;
    EXPECT_EQ(scene->pTree, nullptr) << c.name;
  }
}

TEST_F(FeatureTest, AFailedLoadTakesBackOnlyWhatItRead) {
  ASSERT_EQ(Load(Scenery()), 1);
  const int32_t wood = Classes()[0]->pMeshes[0].pFaces[0].nTexture;
  // Something else kept in the block meanwhile, as the terrain's tables are.
  void* kept = SGE_MemAlloc(SPW_FObjsMem, 400);
  ASSERT_NE(kept, nullptr);
  const uint32_t used = Used(SPW_FObjsMem);
  // Two new classes with an instance each, the second's faces naming no material: the load
  // fails only as it resolves the textures, after everything was read.
  vnFEATURE_SET more = Scenery();
  more.groups.resize(1);
  more.groups[0].cls.className = "Crate2";
  more.groups.push_back({vnMODELS_FeatureBarrel("Barrel", 40, 100, 8, 5), {}});
  more.groups[1].instances.push_back(At(more.groups[1].cls, "b", 0, 0, 0));
  EXPECT_EQ(Load(more), 0);
  ASSERT_EQ(Classes().size(), 2u);
  EXPECT_EQ(InUse(), 2);
  EXPECT_EQ(Classes()[0]->pMeshes[0].pFaces[0].nTexture, wood);
  EXPECT_EQ(Instances(Classes()[0]).size(), 2u);
  EXPECT_EQ(SGE_MemSize(kept), 400u);
  EXPECT_EQ(Used(SPW_FObjsMem), used);
}

TEST_F(FeatureTest, ADisplayWithoutADriverIsRefused) {
  SPW_DISPLAY bare{};
  vnBIFF_FILE file = SceneryFile();
  ASSERT_TRUE(vnWRITE_BIFF("terrain.ter", file));
  void* heap = nullptr;
  SPW_BIFF_FILE* reader = SPW_BIFF_OpenFile("terrain.ter", &heap, SPW_BIFF_LOD_HEAP);
  ASSERT_NE(reader, nullptr);
  EXPECT_EQ(SPW_LoadFeatureObject(reader, scene.get(), &bare), 0);
  SPW_BIFF_CloseFile(reader, heap);
}

TEST_F(FeatureTest, AFullTableFailsTheLoad) {
  vnFEATURE_SET set;
  for (int i = 0; i <= SPW_MAX_FEATURE_OBJECTS; ++i) {
    vnFEATURE_GROUP g{vnMODELS_FeatureBox("C" + std::to_string(i), 10, 10, 10), {}};
    g.cls.meshes[0].faces.resize(1);
    g.cls.meshes[0].nodes.clear();
    vnFEATURE_PrepareClass(g.cls);
    g.instances.push_back(At(g.cls, "i", 0, 0, 0));
    set.groups.push_back(g);
  }
  vntest::TraceCapture trace;
  EXPECT_EQ(Load(set), 0);
  EXPECT_TRUE(trace.contains("feature table is full"));
  EXPECT_EQ(InUse(), 0);
}

}  // namespace
