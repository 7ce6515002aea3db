#pragma once
// Engine memory, a display whose driver records texture requests, a bare scene and its feature
// table; feature sets are written as terrain files and loaded back.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "engine/biff/biff.h"
#include "engine/feature/feature.h"
#include "engine/scene/scene.h"
#include "platform/files.h"
#include "tests/engine/object/object_fixture.h"
#include "tools/models/features.h"
#include "tools/writers/feature_writer.h"

class FeatureFixture : public ObjectFixture {
 protected:
  void SetUp() override {
    ObjectFixture::SetUp();
    ASSERT_EQ(SPW_ResetFeatureObjects(), 1);
    scene = std::make_unique<SPW_SCENE>();
    SGE_ListInit(SPW_SceneFeatureList(scene.get()));
    SGE_ListInit(&scene->lights);
    SGE_ListInit(&scene->freeLights);
    scene->ambient = {80, 80, 80, 255};
  }
  void TearDown() override {
    SPW_FeatureObjects = nullptr;
    ObjectFixture::TearDown();
  }

  // A fresh engine for the next case of a table.
  void Restart() {
    TearDown();
    SetUp();
  }

  int32_t LoadFile(const vnBIFF_FILE& file, const std::string& path = "terrain.ter") {
    EXPECT_TRUE(vnWRITE_BIFF(path, file));
    void* heap = nullptr;
    SPW_BIFF_FILE* reader = SPW_BIFF_OpenFile(path.c_str(), &heap, SPW_BIFF_LOD_HEAP);
    EXPECT_NE(reader, nullptr);
    if (!reader) {
      SPW_BIFF_FreeHeap(heap);
      return 0;
    }
    const int32_t result = SPW_LoadFeatureObject(reader, scene.get(), &display);
    SPW_BIFF_CloseFile(reader, heap);
    return result;
  }
  int32_t Load(const vnFEATURE_SET& set) {
    vnBIFF_FILE file;
    vnFEATURE_AppendTo(file, set);
    return LoadFile(file);
  }

  std::vector<SPW_FEATUREOBJ*> Classes() {
    std::vector<SPW_FEATUREOBJ*> out;
    SGE_DLLNODE* list = SPW_SceneFeatureList(scene.get());
    for (SPW_FEATUREOBJ* r : SGE_ListRecords<SPW_FEATUREOBJ>(list))
      out.push_back(r);
    return out;
  }
  static std::vector<SPW_FEATUREINST*> Instances(SPW_FEATUREOBJ* cls) {
    std::vector<SPW_FEATUREINST*> out;
    for (SPW_FEATUREINST* r : SGE_ListRecords<SPW_FEATUREINST>(&cls->instances))
      out.push_back(r);
    return out;
  }
  static int32_t InUse() {
    int32_t n = 0;
    for (int32_t i = 0; i < SPW_MAX_FEATURE_OBJECTS; ++i)
      n += (SPW_FeatureObjects[i].dwInUse & SPW_FEATURE_IN_USE) ? 1 : 0;
    return n;
  }
  // One instance of a class at a place (file units), white.
  static vnFEATURE_INSTANCE At(const vnFEATURE_CLASS& cls, const std::string& name, float x,
                               float y, float z, float angle = 0, float scale = 1) {
    vnFEATURE_INSTANCE inst;
    inst.name = name;
    vnFEATURE_Place(inst, x, y, z, angle, scale);
    inst.colours = vnMODELS_FeatureColours(cls, 0xFFFFFFFFu);
    return inst;
  }

  std::unique_ptr<SPW_SCENE> scene;
};
