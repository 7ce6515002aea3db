// POW files from their writer through the POW loader: what a loaded type holds, the old
// layout, and files that are damaged or cut short.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "engine/biff/biff.h"
#include "platform/bytes.h"
#include "platform/files.h"
#include "tests/engine/object/object_fixture.h"
#include "tools/models/models.h"
#include "tools/writers/pow_writer.h"

namespace {

class PowTest : public ObjectFixture {
 protected:
  std::string WritePow(const vnMODEL& model, vnPOW_LAYOUT layout = vnPOW_LAYOUT::Current) {
    std::string path = "Export/Pows/" + model.name + ".pow";
    PLAT_MakeDirectory("Export");
    PLAT_MakeDirectory("Export/Pows");
    EXPECT_TRUE(vnWRITE_POW(path, model, layout));
    return path;
  }
  std::string WriteBiff(const std::string& name, const vnBIFF_FILE& file) {
    PLAT_MakeDirectory("Export");
    PLAT_MakeDirectory("Export/Pows");
    std::string path = "Export/Pows/" + name + ".pow";
    EXPECT_TRUE(vnWRITE_BIFF(path, file));
    return path;
  }
  SPW_DOBJTYPE* Load(const std::string& path, float scale = 1.0f, SPW_DISPLAY* d = nullptr) {
    int32_t slot = -1;
    if (!SPW_LoadObjectFile(path.c_str(), d, &slot, scale, 0)) return nullptr;
    return SPW_GetObjectType(slot);
  }
};

// Checks a loaded figure against its model at a scale.
void ExpectFigure(const SPW_DOBJTYPE& t, const vnMODEL& m, float scale) {
  const float s = 0.01f * scale;
  EXPECT_STREQ(t.szName, "Figure");
  EXPECT_EQ(t.dwObjectId, m.id);
  EXPECT_EQ(t.nIndex, m.indexWord);
  EXPECT_EQ(t.dwNumLods, 1u);
  EXPECT_EQ(t.dwNumNodes, m.lods[0].nodes.size());
  EXPECT_EQ(t.dwNumAnims, 2u);
  EXPECT_EQ(t.pPacked, nullptr);
  EXPECT_EQ(t.dwLegacy, 1u);
  EXPECT_FLOAT_EQ(t.fRadius, m.radius * s);
  EXPECT_FLOAT_EQ(t.vCentre.y, m.centre[1] * s);
  ASSERT_NE(t.pBound, nullptr);
  EXPECT_EQ(t.pBound->dwKind, SPW_BOUND_SPHERE);
  EXPECT_FLOAT_EQ(t.pBound->fRadius, t.fRadius);
  const SPW_DOBJLOD& lod = t.pLods[0];
  EXPECT_EQ(lod.dwNumTextures, 2u);
  for (uint32_t n = 0; n < t.dwNumNodes; ++n) {
    const SPW_DOBJNODE& node = lod.pNodes[n];
    const vnMODEL_NODE& src = m.lods[0].nodes[n];
    EXPECT_EQ(node.nIndex, static_cast<int32_t>(n));
    EXPECT_EQ(node.nId, src.id) << src.name;
    EXPECT_EQ(node.szName, src.name);
    EXPECT_EQ(node.dwKind, src.kind) << src.name;
    EXPECT_EQ(node.nParentId, src.parentId) << src.name;
    EXPECT_EQ(node.dwNumChildren, src.childCount) << src.name;
    if (src.parentId < 0) {
      EXPECT_EQ(node.pParent, nullptr);
    } else {
      EXPECT_EQ(node.pParent, &lod.pNodes[src.parentId]) << src.name;
    }
    if (node.dwNumChildren) {
      EXPECT_EQ(node.pFirstChild->pParent, &node) << src.name;
    }
    EXPECT_FLOAT_EQ(node.tDefault.vPos.y, src.transform[1] * s) << src.name;
    EXPECT_FLOAT_EQ(node.tDefault.qRot.w, 1.0f);
    ASSERT_EQ(node.dwNumVertices, src.vertices.size()) << src.name;
    ASSERT_EQ(node.dwNumFaces, src.faces.size()) << src.name;
    float lo = 1e20f, hi = -1e20f;
    for (uint32_t v = 0; v < node.dwNumVertices; ++v) {
      EXPECT_FLOAT_EQ(node.pVertexSet[v].vPos.y, src.vertices[v].pos[1] * s);
      const SPW_VECTOR& nrm = node.pVertexSet[v].vNormal;
      EXPECT_NEAR(nrm.x * nrm.x + nrm.y * nrm.y + nrm.z * nrm.z, 1.0f, 1e-5f);
      lo = std::min(lo, node.pVertexSet[v].vPos.y);
      hi = std::max(hi, node.pVertexSet[v].vPos.y);
    }
    if (node.dwNumVertices) {
      EXPECT_FLOAT_EQ(node.vCentre.y, (lo + hi) / 2) << src.name;
    }
    for (uint32_t f = 0; f < node.dwNumFaces; ++f) EXPECT_NE(node.pFaceSet[f].nTexture, 0);
  }
  const SPW_ANIMATION& walk = t.pAnims[0];
  EXPECT_STREQ(walk.szName, "Walk");
  EXPECT_EQ(walk.dwLength, 4800u);
  const SPW_ANIMCHANNEL& leg = walk.pChannels[8];  // LegL
  ASSERT_EQ(leg.dwNumKeys, 5u);
  EXPECT_FLOAT_EQ(leg.pPowKeys[1].fTime, 1200.0f);
  EXPECT_FLOAT_EQ(leg.pPowKeys[0].fInvSpan, 1.0f / 1200);
  EXPECT_FLOAT_EQ(leg.pPowKeys[4].fInvSpan, 0.0f);
  EXPECT_FLOAT_EQ(leg.pPowKeys[0].vPos.x, -12 * s);
  EXPECT_EQ(walk.pChannels[4].dwNumKeys, 0u) << "the locator is not animated";
  EXPECT_STREQ(t.pAnims[1].szName, "Idle");
}

TEST_F(PowTest, TheFigureLoadsWithScaledPositionsTreeAndAnimationsAtEveryScale) {
  const vnMODEL m = vnMODELS_Figure();
  const std::string path = WritePow(m);
  for (float scale : {1.0f, 2.0f, 0.5f}) {
    SCOPED_TRACE(scale);
    SPW_FreeAllObjectTypes();
    SPW_DOBJTYPE* t = Load(path, scale, &display);
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t - SPW_GetObjectType(0), 697) << "new types fill the table from 697 down";
    ExpectFigure(*t, m, scale);
  }
  // Texture names are made full paths and given once per distinct name.
  EXPECT_EQ(g_fake.ids.size(), 2u);
  EXPECT_EQ(g_fake.ids.count(PLAT_GetWorkingDir() + "/sprites/editor/ball.ppm"), 1u);
}

TEST_F(PowTest, TheOldLayoutLoadsTheSameFigure) {
  const vnMODEL m = vnMODELS_Figure();
  vntest::TraceCapture trace;
  SPW_DOBJTYPE* t = Load(WritePow(m, vnPOW_LAYOUT::Old), 1.0f, &display);
  ASSERT_NE(t, nullptr);
  EXPECT_TRUE(trace.contains("OldLoading function on dobject [Figure]"));
  ExpectFigure(*t, m, 1.0f);
}

TEST_F(PowTest, LevelsOfDetailEachHoldTheirOwnNodesAndTextureCount) {
  const vnMODEL m = vnMODELS_Sphere();
  SPW_TextureHook = [](const char*) { return 5; };
  SPW_DOBJTYPE* t = Load(WritePow(m));
  ASSERT_NE(t, nullptr);
  ASSERT_EQ(t->dwNumLods, 2u);
  for (uint32_t l = 0; l < 2; ++l) {
    const SPW_DOBJLOD& lod = t->pLods[l];
    EXPECT_EQ(lod.dwNumNodes, 1u);
    EXPECT_EQ(lod.dwNumTextures, 1u);
    EXPECT_EQ(lod.pNodes[0].dwNumFaces, m.lods[l].nodes[0].faces.size());
    EXPECT_EQ(lod.pNodes[0].pFaceSet[0].nTexture, 5) << "the hook names textures without a display";
    EXPECT_NEAR(lod.pNodes[0].fRadius, 0.5f, 1e-4f);
  }
}

TEST_F(PowTest, NamesKeepAllTwentyCharactersOfTheirFields) {
  vnMODEL m = vnMODELS_Figure();
  m.lods[0].nodes[3].name = "neck+torso+shoulderR+shoulderL";  // longer than the field
  m.lods[0].nodes[4].name = "ExactlyTwentyLetters";
  m.anims[1].name = "IdleWithTwentyChars!";
  SPW_DOBJTYPE* t = Load(WritePow(m));
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(std::string(t->pLods[0].pNodes[3].szName, SPW_NODE_NAME_SIZE), "neck+torso+shoulderR");
  EXPECT_EQ(std::string(t->pLods[0].pNodes[4].szName, SPW_NODE_NAME_SIZE), "ExactlyTwentyLetters");
  EXPECT_EQ(std::string(t->pAnims[1].szName, SPW_ANIM_NAME_SIZE), "IdleWithTwentyChars!");
}

TEST_F(PowTest, ALoadedNameIsSharedInAnyCaseAndReadOnce) {
  const std::string path = WritePow(vnMODELS_Cube());
  int32_t first = -1, second = -1, third = -1;
  ASSERT_EQ(SPW_LoadObjectFile(path.c_str(), nullptr, &first, 1.0f, 0), 1);
  const uint32_t opened = SPW_BIFF_NumOpened;
  ASSERT_EQ(SPW_LoadObjectFile(path.c_str(), nullptr, &second, 1.0f, 0), 1);
  ASSERT_EQ(SPW_LoadObject("export/pows/CUBE.pow", nullptr, &third, 1.0f), 1);
  EXPECT_EQ(second, first);
  EXPECT_EQ(third, first);
  EXPECT_EQ(SPW_BIFF_NumOpened, opened);
  int32_t found = -1;
  EXPECT_EQ(SPW_FindObjectType("cube", &found), 1);
  EXPECT_EQ(found, first);
  EXPECT_EQ(SPW_FindObjectType("Sphere", &found), 0);
  EXPECT_EQ(found, SPW_NO_OBJECT_TYPE);
}

TEST_F(PowTest, TheResetTableHoldsOnlyTheBuiltIns) {
  EXPECT_STREQ(SPW_GetObjectType(SPW_CAMERA_TYPE)->szName, "Camera");
  EXPECT_EQ(SPW_GetObjectType(SPW_CAMERA_TYPE)->dwFlags, SPW_CAMERA_TYPE_FLAGS);
  EXPECT_EQ(SPW_GetObjectType(SPW_DLIGHT_TYPE)->dwFlags, SPW_DLIGHT_TYPE_FLAGS);
  EXPECT_EQ(SPW_GetObjectType(SPW_DLIGHT_TYPE)->nIndex, SPW_DLIGHT_TYPE);
  EXPECT_EQ(SPW_GetObjectType(700), nullptr);
  int32_t slot = -1;
  EXPECT_EQ(SPW_FindObjectType("dlight", &slot), 1);
  EXPECT_EQ(slot, SPW_DLIGHT_TYPE);
}

TEST_F(PowTest, AFullTableFailsWithNoType) {
  const std::string path = WritePow(vnMODELS_Cube());
  for (int32_t s = 0; s < SPW_DLIGHT_TYPE; ++s) SPW_GetObjectType(s)->dwFlags = SPW_OBJTYPE_IN_USE;
  int32_t slot = 0;
  EXPECT_EQ(SPW_LoadObjectFile(path.c_str(), nullptr, &slot, 1.0f, 0), 0);
  EXPECT_EQ(slot, SPW_NO_OBJECT_TYPE);
  for (int32_t s = 0; s < SPW_DLIGHT_TYPE; ++s) SPW_GetObjectType(s)->dwFlags = 0;
}

TEST_F(PowTest, FreeingAllKeepsTypesWithInstancesAndTheBuiltIns) {
  SPW_DOBJTYPE* cube = Load(WritePow(vnMODELS_Cube()));
  SPW_DOBJTYPE* sphere = Load(WritePow(vnMODELS_Sphere()));
  ASSERT_TRUE(cube && sphere);
  const uint32_t objsUsed = Used(SPW_ObjsMem);
  cube->dwNumInstances = 1;
  SPW_FreeAllObjectTypes();
  EXPECT_EQ(SPW_FindObjectType("Cube", nullptr), 1);
  EXPECT_EQ(SPW_FindObjectType("Sphere", nullptr), 0);
  EXPECT_EQ(SPW_FindObjectType("Camera", nullptr), 1);
  EXPECT_LT(Used(SPW_ObjsMem), objsUsed);
  cube->dwNumInstances = 0;
  SPW_FreeAllObjectTypes();
  EXPECT_EQ(SPW_FindObjectType("Cube", nullptr), 0);
}

TEST_F(PowTest, KeysOfEqualTimesHaveNoSpanAndTheRootChannelIsIgnored) {
  vnMODEL m = vnMODELS_Figure();
  m.anims.resize(1);
  vnMODEL_CHANNEL& ch = m.anims[0].channels[0];
  ch.keys.resize(3);
  ch.keys[0].time = 0;
  ch.keys[1].time = 160;
  ch.keys[2].time = 160;
  const int32_t nodeId = ch.nodeId;
  m.anims[0].channels.push_back({0, {vnMODEL_KEY{}}});
  SPW_DOBJTYPE* t = Load(WritePow(m));
  ASSERT_NE(t, nullptr);
  const SPW_ANIMCHANNEL& c = t->pAnims[0].pChannels[nodeId];
  ASSERT_EQ(c.dwNumKeys, 3u);
  EXPECT_FLOAT_EQ(c.pPowKeys[0].fInvSpan, 1.0f / 160);
  EXPECT_FLOAT_EQ(c.pPowKeys[1].fInvSpan, 0.0f);
  EXPECT_FLOAT_EQ(c.pPowKeys[2].fInvSpan, 0.0f);
  EXPECT_EQ(t->pAnims[0].pChannels[0].dwNumKeys, 0u);
}

TEST_F(PowTest, ANodeWhoseParentIsMissingIsLeftOut) {
  vnMODEL m = vnMODELS_Figure();
  m.lods[0].nodes[9].parentId = 42;  // LegR
  m.lods[0].nodes[1].childCount = 2;
  SPW_DOBJTYPE* t = Load(WritePow(m));
  ASSERT_NE(t, nullptr);
  for (uint32_t n = 0; n < 9; ++n) EXPECT_EQ(t->pLods[0].pNodes[n].nId, static_cast<int32_t>(n));
  EXPECT_STREQ(t->pLods[0].pNodes[9].szName, "") << "the slot past the placed nodes stays empty";
  EXPECT_EQ(t->pLods[0].pNodes[1].dwNumChildren, 2u);
}

// A damaged file fails, leaves no type behind, and the next request fails again.
struct Damage {
  const char* what;
  std::function<void(vnMODEL&)> model;       // applied before building
  std::function<void(vnBIFF_FILE&)> file;    // applied after building
};

void SetWord(std::vector<uint8_t>& d, size_t at, uint32_t v) { PLAT_StoreLE32(d.data() + at, v); }

TEST_F(PowTest, DamagedFilesFailAndFreeTheirSlot) {
  // Chunk positions in the figure's container: block 0 holds the header, then the nodes back
  // to front (chunk 1 is node 9 "LegR", which has vertices and faces); block 1 the materials,
  // block 2 "Walk" (its chunk 1 a channel with keys), block 3 "Idle".
  const Damage kCases[] = {
      {"fewer animations than the header says", {}, [](vnBIFF_FILE& f) { SetWord(f.blocks[0].chunks[0].data, 32, 3); }},
      {"a vertex count beyond the chunk", {}, [](vnBIFF_FILE& f) { SetWord(f.blocks[0].chunks[1].data, 40, 1000); }},
      {"a face count beyond the chunk", {}, [](vnBIFF_FILE& f) { SetWord(f.blocks[0].chunks[1].data, 44, 0x40000000); }},
      {"five vertices a face", {}, [](vnBIFF_FILE& f) { SetWord(f.blocks[0].chunks[1].data, 48, 5); }},
      {"a face naming a missing vertex", [](vnMODEL& m) { m.lods[0].nodes[9].faces[2].index[1] = 24; }, {}},
      {"a node id beyond the node count", {}, [](vnBIFF_FILE& f) { SetWord(f.blocks[0].chunks[1].data, 0, 10); }},
      {"a node id given twice", {}, [](vnBIFF_FILE& f) { SetWord(f.blocks[0].chunks[1].data, 0, 8); }},
      {"a node count beyond memory", {}, [](vnBIFF_FILE& f) { SetWord(f.blocks[0].chunks[0].data, 28, 0x7fffffff); }},
      {"no levels", {}, [](vnBIFF_FILE& f) { SetWord(f.blocks[0].chunks[0].data, 40, 0); }},
      {"an animation index beyond the count", {}, [](vnBIFF_FILE& f) { SetWord(f.blocks[2].chunks[0].data, 44, 2); }},
      {"an animation index given twice", {}, [](vnBIFF_FILE& f) { SetWord(f.blocks[3].chunks[0].data, 44, 0); }},
      {"a key count beyond the chunk", {}, [](vnBIFF_FILE& f) { SetWord(f.blocks[2].chunks[1].data, 24, 6); }},
      {"a texture count beyond the material", {}, [](vnBIFF_FILE& f) { SetWord(f.blocks[1].chunks[0].data, 92, 2); }},
      {"a node chunk cut short", {}, [](vnBIFF_FILE& f) { f.blocks[0].chunks[1].data.resize(60); }},
      {"an animation header cut short", {}, [](vnBIFF_FILE& f) { f.blocks[2].chunks[0].data.resize(50); }},
      {"a material cut short", {}, [](vnBIFF_FILE& f) { f.blocks[1].chunks[0].data.resize(90); }},
      {"a channel cut short", {}, [](vnBIFF_FILE& f) { f.blocks[2].chunks[1].data.resize(20); }},
  };
  for (const Damage& c : kCases) {
    vnMODEL m = vnMODELS_Figure();
    if (c.model) c.model(m);
    vnBIFF_FILE file = vnPOW_Build(m);
    if (c.file) c.file(file);
    const std::string path = WriteBiff("Figure", file);
    SPW_FreeAllObjectTypes();
    const uint32_t objs = Used(SPW_ObjsMem), dobj = Used(SPW_DObjectMem);
    int32_t slot = 0;
    EXPECT_EQ(SPW_LoadObjectFile(path.c_str(), nullptr, &slot, 1.0f, 0), 0) << c.what;
    EXPECT_EQ(SPW_FindObjectType("Figure", nullptr), 0) << c.what;
    EXPECT_EQ(SPW_LoadObjectFile(path.c_str(), nullptr, &slot, 1.0f, 0), 0)
        << c.what << ": a second request must not find a half-loaded type";
    EXPECT_EQ(Used(SPW_ObjsMem), objs) << c.what;
    EXPECT_EQ(Used(SPW_DObjectMem), dobj) << c.what;
  }
}

TEST_F(PowTest, FilesCutAnywhereFailWithoutLeavingATypeOrMemory) {
  const std::vector<uint8_t> whole = vnWRITE_BIFFBytes(vnPOW_Build(vnMODELS_Figure()));
  const uint32_t objs = Used(SPW_ObjsMem), dobj = Used(SPW_DObjectMem);
  for (size_t keep : {size_t{0}, size_t{100}, size_t{304}, size_t{340}, whole.size() / 3,
                      whole.size() / 2, whole.size() - 40, whole.size() - 1}) {
    FILE* f = std::fopen("cut.pow", "wb");
    std::fwrite(whole.data(), 1, keep, f);
    std::fclose(f);
    int32_t slot = 0;
    EXPECT_EQ(SPW_LoadObjectFile("cut.pow", nullptr, &slot, 1.0f, 0), 0) << keep;
    EXPECT_EQ(slot, SPW_NO_OBJECT_TYPE) << keep;
    EXPECT_EQ(Used(SPW_ObjsMem), objs) << keep;
    EXPECT_EQ(Used(SPW_DObjectMem), dobj) << keep;
  }
}

TEST_F(PowTest, AMissingFileIsTraced) {
  vntest::TraceCapture trace;
  int32_t slot = 0;
  EXPECT_EQ(SPW_LoadObject("Export/Pows/None.pow", nullptr, &slot, 1.0f), 0);
  EXPECT_TRUE(trace.contains("Fail to open file: Export/Pows/None.pow"));
}

}  // namespace
