#pragma once
// The splitting rock: a rolling boulder that hurts whatever it meets until it is let go and
// splits.
#include <cstdint>

#include "engine/kernel/kernel.h"
#include "engine/math/vecmath.h"
#include "world/unitman/unitclass.h"

struct SPW_DOBJECT;
struct VNUNIT;

constexpr char VNBIGROCK_NAME[] = "BIGROCK";
constexpr char VNBIGROCK_MODEL[] = "Export/Pows/SplittingRock.pow";
constexpr char VNBIGROCK_SPLIT_ANIM[] = "split";
constexpr int32_t SGM_BIGROCK_SPLIT = 571;
constexpr int32_t SGM_BIGROCK_HAS_SPLIT = 572;
// The scripted-sequence placement: p1 a transform.
constexpr int32_t SGM_UNIT_SEQUENCE_TRANSFORM = 3093;

struct VNBIGROCK {
  VNUNIT* pUnit;
  SPW_DOBJECT* pObject;
  SPW_TRANSFORM t;
  int32_t nSplitAnim;  // -1 when the model has none
  int32_t bSplit;
};

SGE_RESULT vnBIGROCK_Handler(SGE_TASK* task, SGE_DATAREF* data, int32_t msg, SGE_PARAM p1,
                             SGE_PARAM p2);

// The class's row of the unit class table.
inline constexpr VNUNIT_CLASSROW VNBIGROCK_CLASSROW{
    VNTT_BIGROCK, vnBIGROCK_Handler, sizeof(VNBIGROCK), VNBIGROCK_NAME};
