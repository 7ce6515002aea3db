// The unit class table: each class of the program registered from its module's row, under the
// name scripts find it by, and nothing for the classes not in the program.
#include <gtest/gtest.h>

#include <cstring>

#include "tests/support/support.h"
#include "tests/world/support/testworld.h"
#include "world/dome/dome.h"
#include "world/fobj/bigrock.h"
#include "world/fobj/dropcapsule.h"
#include "world/fobj/gate.h"
#include "world/fobj/poptarget.h"
#include "world/fobj/prop.h"
#include "world/unitman/unitclass.h"

namespace {

struct Case {
  int32_t typeId;
  SGE_TASKHANDLER handler;
  int32_t flags;
  const char* name;
};

TEST(UnitClassTable, EachClassOfTheProgramIsRegisteredUnderItsName) {
  vnworld::TestWorld world;
  ASSERT_EQ(vnUNITMAN_RegisterUnitClasses(), 1);
  const Case cases[] = {
      {VNTT_BIGROCK, vnBIGROCK_Handler, SGE_TTF_ALLOC_DATA, "BIGROCK"},
      {VNTT_DROPCAPSULE, vnDOOR_Handler, SGE_TTF_ALLOC_DATA, "DROPCAPSULE"},
      {VNTT_POPTARGET, vnPOPTARGET_Handler, SGE_TTF_ALLOC_DATA, "POPTARGET"},
      {VNTT_DOME, vnDome_Handler, SGE_TTF_ALLOC_DATA, "Dome"},
      {VNTT_GATE, vnGATE_Handler, 0, "Gate"},  // a plain task without an instance
      {VNTT_PE_PROP, vnPROP_Handler, SGE_TTF_ALLOC_DATA, ""},
  };
  for (const Case& c : cases) {
    const SGE_TASKTYPE* type = SGE_GetTaskType(c.typeId);
    ASSERT_NE(type, nullptr) << c.typeId;
    EXPECT_EQ(type->pHandler, c.handler) << c.typeId;
    EXPECT_EQ(type->fFlags, c.flags) << c.typeId;
    EXPECT_STREQ(type->szName, c.name) << c.typeId;
    if (*c.name) {
      EXPECT_EQ(SGE_FindTaskType(c.name), type) << c.name;
    }
  }
  EXPECT_EQ(SGE_GetTaskType(VNTT_PE_PROP)->nInstanceSize, static_cast<int32_t>(sizeof(VNPROP)));
  EXPECT_EQ(SGE_GetTaskType(VNTT_BUG_WARRIOR), nullptr);  // its class is not in the program
}

TEST(UnitClassTable, AClassTheKernelRefusesIsNamedInTheTrace) {
  vnworld::TestWorld world;
  vntest::TraceCapture trace;
  VNUNIT_CLASSROW row = VNGATE_CLASSROW;
  row.nTypeId = SGE_MAX_TASKTYPES;
  EXPECT_EQ(vnUNITMAN_RegisterClass(row), 0);
  EXPECT_TRUE(trace.contains("unit class 500 not registered"));
}

}  // namespace
