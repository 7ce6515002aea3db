// Animation slots of the hold set in use.
#include "terran/terunit.h"

namespace {

int32_t Entry(const VNTERUNIT* record, int32_t slot) {
  if (!record->animMap || slot < 0 || slot >= VNTERUNIT_SET_SLOTS) return -1;
  return record->animMap[record->animSet + slot];
}

}  // namespace

int32_t vnTERUNIT_Anim(const VNTERUNIT* record, int32_t slot) {
  const int32_t anim = Entry(record, slot);
  if (anim != -1) return anim;
  // A model without the animation stands in its first idle, else its relaxed look-around.
  const int32_t idle = Entry(record, VNTERUNIT_SLOT_IDLE_LKAROUND);
  if (idle != -1) return idle;
  return Entry(record, VNTERUNIT_SLOT_RELAXEDLKARND);
}

int32_t vnTERUNIT_HasAnim(const VNTERUNIT* record, int32_t slot) {
  return Entry(record, slot) != -1 ? 1 : 0;
}
