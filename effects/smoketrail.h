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
// p2 of SGM_SMOKETRAIL_START for a beam record (plain records go with 0).
constexpr int32_t VNSMOKETRAIL_FORM_BEAM = 2;
// Beams are raised this much off the points they join, clear of the ground.
constexpr float VNSMOKETRAIL_BEAM_RAISE = 0.2f;

// A straight beam between two points, each with its second vector and its two colours (ARGB);
// the trail task draws it once and ends it.
struct VNSMOKETRAIL_BEAMEND {
  SPW_VECTOR vPoint, vVector;
  uint32_t adwColours[2];
};
struct VNSMOKETRAIL_BEAM {
  VNSMOKETRAIL_BEAMEND aEnds[2];  // start, end
};

// A beam between the points, both raised by VNSMOKETRAIL_BEAM_RAISE; 1 when the trail task took
// it. The beam ends itself, so the starter keeps no hold on it.
int32_t vnSmokeTrail_StartBetween(const SPW_VECTOR* start, const SPW_VECTOR* startVector,
                                  uint32_t colour1Start, uint32_t colour2Start,
                                  const SPW_VECTOR* end, const SPW_VECTOR* endVector,
                                  uint32_t colour1End, uint32_t colour2End);
// Gives up the starter's hold on the trail, which ends it.
void vnSmokeTrail_Release(VNSMOKETRAIL* trail);
