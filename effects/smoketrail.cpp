// Smoke trails started by the world framework.
#include "effects/smoketrail.h"

#include "missions/control/misscont.h"
#include "world/unitman/unitman.h"

namespace {

// The human player is the first player, whose ID is the lowest bit.
constexpr uint32_t kHumanPlayer = 1;
constexpr uint32_t kHumanColour = 0xDC40C040u;
constexpr uint32_t kOtherColour = 0xDCC04040u;
constexpr uint32_t kFadedAlpha = 0x00FFFFFFu;

}  // namespace

VNSMOKETRAIL* vnSmokeTrail_StartSideColoured(const VNUNIT* unit, const SPW_VECTOR* point) {
  SGE_TASK* task = vnMISSCONT_GetSmokeTrailTask();
  if (!task || !unit || !point) return nullptr;
  SGE_DATAREF* ref = SGE_CreateDataRef(nullptr, sizeof(VNSMOKETRAIL_RECORD));
  if (!ref) return nullptr;
  auto* record = static_cast<VNSMOKETRAIL_RECORD*>(ref->pData);
  const uint32_t colour = unit->dwPlayer == kHumanPlayer ? kHumanColour : kOtherColour;
  *record = {unit->vPos, *point, colour, colour & kFadedAlpha};
  if (!SGE_SendMessage(task, ref, SGM_SMOKETRAIL_START, SGE_PtrParam(record), 0)) {
    SGE_ReleaseDataRef(ref);
    return nullptr;
  }
  return ref;
}

void vnSmokeTrail_Release(VNSMOKETRAIL* trail) {
  if (trail) SGE_ReleaseDataRef(trail);
}

int32_t vnSmokeTrail_StartBetween(const SPW_VECTOR* start, const SPW_VECTOR* startVector,
                                  uint32_t colour1Start, uint32_t colour2Start,
                                  const SPW_VECTOR* end, const SPW_VECTOR* endVector,
                                  uint32_t colour1End, uint32_t colour2End) {
  SGE_TASK* task = vnMISSCONT_GetSmokeTrailTask();
  if (!task || !start || !end) return 0;
  SGE_DATAREF* ref = SGE_CreateDataRef(nullptr, sizeof(VNSMOKETRAIL_BEAM));
  if (!ref) return 0;
  auto* beam = static_cast<VNSMOKETRAIL_BEAM*>(ref->pData);
  const SPW_VECTOR none{};
  beam->aEnds[0] = {*start, startVector ? *startVector : none, {colour1Start, colour2Start}};
  beam->aEnds[1] = {*end, endVector ? *endVector : none, {colour1End, colour2End}};
  for (VNSMOKETRAIL_BEAMEND& e : beam->aEnds) e.vPoint.z += VNSMOKETRAIL_BEAM_RAISE;
  const int32_t started =
      SGE_SendMessage(task, ref, SGM_SMOKETRAIL_START, SGE_PtrParam(beam), VNSMOKETRAIL_FORM_BEAM) ? 1 : 0;
  SGE_ReleaseDataRef(ref);
  return started;
}
