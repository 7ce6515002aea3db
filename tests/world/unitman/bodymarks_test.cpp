// The two marks a controller puts on its unit's body (the movement record).
#include <gtest/gtest.h>

#include "tests/world/support/testworld.h"
#include "world/mover/mover.h"
#include "world/unitman/unitman.h"
#include "world/unittype/unittype.h"

namespace {

TEST(UnitBodyMarks, ZeroSetsOneClearsEachBitAndLeavesTheOthers) {
  vnworld::TestWorld w;
  w.WriteAttrs({vnworld::Row(VN_UNIT_TYPE_TERRAN_ZR_0, VNUNIT_F_SOLDIER | VNUNIT_F_MOVER)});
  w.RegisterRecorder(VNTT_TERRAN_INFANTRY);
  ASSERT_TRUE(w.Start());
  VNUNIT* unit = w.Create(VN_UNIT_TYPE_TERRAN_ZR_0, w.Human(), {10.0f, 10.0f, 0.0f});
  ASSERT_NE(unit, nullptr);
  ASSERT_NE(unit->pMove, nullptr);
  VNMOVER_RECORD* body = unit->pMove;
  const struct {
    const char* name;
    void (*set)(VNUNIT*, int32_t);
    int32_t clear;
    uint32_t before, after;
  } cases[] = {
      {"08 with 0 sets 0x08", vnUNIT_SetObjectFlag08, 0, VNMOVER_F_TURNS, VNMOVER_F_TURNS | 0x08},
      {"08 with 1 clears 0x08", vnUNIT_SetObjectFlag08, 1, 0x08 | 0x10, 0x10},
      {"10 with 0 sets 0x10", vnUNIT_SetObjectFlag10, 0, 0x08, 0x08 | 0x10},
      {"10 with 1 clears 0x10", vnUNIT_SetObjectFlag10, 1, 0x10 | VNMOVER_F_NOPUSH, VNMOVER_F_NOPUSH},
      {"clearing a clear bit changes nothing", vnUNIT_SetObjectFlag10, 1, 0x08, 0x08},
  };
  for (const auto& c : cases) {
    body->dwFlags = c.before;
    c.set(unit, c.clear);
    EXPECT_EQ(body->dwFlags, c.after) << c.name;
  }
  // A unit without a body, or none at all, is left alone.
  unit->pMove = nullptr;
  vnUNIT_SetObjectFlag08(unit, 0);
  vnUNIT_SetObjectFlag10(nullptr, 0);
  unit->pMove = body;
}

}  // namespace
