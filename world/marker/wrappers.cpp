// The owners' side of the marker service: each wrapper finds the running mission's marker
// task and sends it one message.
#include <cmath>

#include "missions/control/overlay.h"
#include "world/marker/marker.h"
#include "world/unitman/unitman.h"

namespace {

void SendRecord(int32_t msg, VNMARKER* record, SGE_PARAM value) {
  if (SGE_TASK* task = vnMISSCONT_GetOverlayTask()) SGE_Send(task, msg, SGE_PtrParam(record), value);
}

}  // namespace

VNMARKER* vnMARK_Send2579(const SPW_VECTOR* position, uint32_t flags) {
  SGE_TASK* task = vnMISSCONT_GetOverlayTask();
  if (!task) return nullptr;
  return SGE_Ask<VNMARKER>(task, SGM_MARK_ADD, SGE_PtrParam(position),
                          static_cast<SGE_PARAM>(flags));
}

void vnMARK_Send2580(VNMARKER* record) { SendRecord(SGM_MARK_REMOVE, record, 0); }

void vnMARK_Send2581(VNMARKER* record, float level) {
  SendRecord(SGM_MARK_LEVEL, record, SGE_PtrParam(&level));
}

void vnMARK_Send2585(VNMARKER* record, const SPW_VECTOR* position) {
  SendRecord(SGM_MARK_POSITION, record, SGE_PtrParam(position));
}

void vnMARK_SetDefaults(VNMARKER* record) {
  for (int32_t msg : {SGM_MARK_PAIR_A, SGM_MARK_PAIR_B, SGM_MARK_PAIR_C})
    SendRecord(msg, record, SGE_PtrParam(VNMARKER_DEFAULT_PAIR));
}

void vnMARK_Send2586(VNMARKER* record, int32_t value) {
  SendRecord(SGM_MARK_WORD, record, static_cast<SGE_PARAM>(value));
}

float vnMARK_BarLevel(float value, float maximum) {
  if (!(maximum > 0.0f) || !std::isfinite(maximum) || std::isnan(value)) return 0.0f;
  const float level = value / maximum;
  if (!(level > 0.0f)) return 0.0f;
  return level > 1.0f ? 1.0f : level;
}

float vnMARK_UnitLevel(const VNUNIT* unit, int32_t attribute, float maximum) {
  if (!unit || attribute < 0 || attribute >= VN_ATTR_VALUES) return 0.0f;
  return vnMARK_BarLevel(vnUNIT_AttrFloat(unit, attribute), maximum);
}
