#pragma once
// Smoke trails as the world framework starts them: a trail from a unit towards a point, drawn by
// the running mission's smoke-trail task.
#include <cstdint>

#include "engine/kernel/kernel.h"
#include "engine/math/vecmath.h"

struct VNUNIT;

constexpr int32_t SGM_SMOKETRAIL_START = 4883;  // p1 the trail record; non-zero when started

// The trail record: from the start towards the end, fading from the first colour to the second
// (ARGB).
struct VNSMOKETRAIL_RECORD {
  SPW_VECTOR vStart;
  SPW_VECTOR vEnd;
  uint32_t dwColourStart;
  uint32_t dwColourEnd;
};

// A running trail: the record shared with the trail task, which ends a trail once it holds the
// last reference.
using VNSMOKETRAIL = SGE_DATAREF;

// A trail from the unit towards the point in its side's colour; null when there is no trail task
// or it refused.
VNSMOKETRAIL* vnSmokeTrail_StartSideColoured(const VNUNIT* unit, const SPW_VECTOR* point);
// Gives up the starter's hold on the trail, which ends it.
void vnSmokeTrail_Release(VNSMOKETRAIL* trail);
