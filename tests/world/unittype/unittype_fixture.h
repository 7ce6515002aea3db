#pragma once
// A working folder holding "units/", the unit manager's 214 rows and a pool of list nodes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/support.h"
#include "tools/writers/unitattr_writer.h"
#include "world/unittype/attributes.h"

class UnitFilesFixture : public ::testing::Test {
 protected:
  static constexpr int32_t kPoolSize = 512;  // room for every linked type of the demo tree

  UnitFilesFixture() : cwd_(dir_.path()), rows_(VN_UNIT_TYPE_COUNT) {
    SGE_ListInit(&freeNodes_);
    for (VNUNIT_LINKNODE& n : pool_) SGE_ListAddTail(&freeNodes_, &n.link);
  }
  ~UnitFilesFixture() override { vnUNITMAN_FreeAttributes(rows_.data(), &freeNodes_); }

  void WriteAttrs(const std::string& text) { dir_.write("units/vn_db_attr.txt", text); }
  void WriteMods(const std::string& text) { dir_.write("units/VN_WeaponMods.txt", text); }
  int32_t Load() { return vnUNITMAN_LoadAttributes(rows_.data(), &freeNodes_); }
  const VNUNIT_ATTR& Row(int32_t type) const { return rows_[static_cast<size_t>(type)]; }
  int32_t FreeCount() const { return SGE_ListCount(&freeNodes_); }
  // The types the row's linked list points at, in order.
  std::vector<int32_t> Linked(int32_t type) const {
    std::vector<int32_t> out;
    for (const VNUNIT_LINKNODE* node : SGE_ListRecords<VNUNIT_LINKNODE>(&Row(type).linked)) {
      const auto* row = static_cast<const VNUNIT_ATTR*>(node->pData);
      out.push_back(static_cast<int32_t>(row - rows_.data()));
    }
    return out;
  }

  // A line of the file for one type with recognisable values.
  static VNWRITE_UNITATTR Sample(int32_t type, float health, uint32_t flags,
                                 std::vector<int32_t> linked = {}) {
    VNWRITE_UNITATTR r;
    r.type = type;
    r.ints = {1, 2, 3, 4, 5, 6};
    r.supply = 0.25f;
    r.value10 = 10;
    for (size_t i = 0; i < r.floats.size(); ++i) r.floats[i] = 0.5f + static_cast<float>(i);
    r.floats[VN_ATTR_HEALTH - 11] = health;
    r.flags = flags;
    r.linked = std::move(linked);
    return r;
  }

  vntest::TempDir dir_;
  vntest::ScopedWorkingDir cwd_;
  std::vector<VNUNIT_ATTR> rows_;
  VNUNIT_LINKNODE pool_[kPoolSize] = {};
  SGE_DLLNODE freeNodes_;
};
