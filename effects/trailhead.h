#pragma once
// Smoke trails whose head follows a moving point, such as an aircraft's engine: the trail task
// reads the head from the record it shares with the starter each time it lays a point.
#include <cstdint>

#include "effects/smoketrail.h"
#include "engine/math/vecmath.h"

// p2 of SGM_SMOKETRAIL_START for a record of this kind (plain records go with 0).
constexpr int32_t VNSMOKETRAIL_FORM_HEADED = 1;

struct VNSMOKETRAIL_HEADED {
  SPW_VECTOR vStart;
  uint32_t dwColourStart;  // ARGB, at the head
  uint32_t dwColourEnd;    // at the tail
  int32_t nStyle;
  float fLifeSecs;         // how long a laid point lasts
  float fPointInterval;    // seconds between laid points
  float fStartWidth;
  float fEndWidth;
  int32_t nMinPoints;
  int32_t nMaxPoints;
  uint32_t dwSeed;         // of the puffs' jitter
  // Where the head is and how it moves between two attachments.
  SPW_VECTOR vHead;
  SPW_VECTOR vVelocity;
};

// A trail started from the settings (the head at the start, not moving); null when there is no
// trail task or it refused.
VNSMOKETRAIL* vnSmokeTrail_StartHeaded(const VNSMOKETRAIL_HEADED* settings);
// Binds the head to the point, moving on with the velocity from there.
void vnSmokeTrail_Attach(VNSMOKETRAIL* trail, const SPW_VECTOR* point, const SPW_VECTOR* velocity);
// Puts the head at the point and keeps its velocity.
void vnSmokeTrail_MoveHead(VNSMOKETRAIL* trail, const SPW_VECTOR* point);
// The trail's shared record, or null.
const VNSMOKETRAIL_HEADED* vnSmokeTrail_GetHeaded(const VNSMOKETRAIL* trail);
