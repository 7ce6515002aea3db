// A soldier's seven stats as the platoon keeps them.
#include "frontend/platman.h"

namespace {

// The attribute values that hold the stats, in the platoon's order.
constexpr int32_t kStatValues[VNPLATMAN_STATS] = {18, 11, 15, 14, 17, 16, 13};

}  // namespace

void vnPLATMAN_StatsFromAttributes(VNPLATMAN_STATBLOCK* out, const VNUNIT_ATTR* row) {
  for (int32_t i = 0; i < VNPLATMAN_STATS; ++i)
    out->afStats[i] = row ? vnUNITATTR_Float(*row, kStatValues[i]) : 0.0f;
}

void vnPLATMAN_AddStats(VNPLATMAN_STATBLOCK* out, const VNPLATMAN_STATBLOCK* a,
                        const VNPLATMAN_STATBLOCK* b) {
  for (int32_t i = 0; i < VNPLATMAN_STATS; ++i) out->afStats[i] = a->afStats[i] + b->afStats[i];
}
