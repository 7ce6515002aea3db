// Unit icon flashes, one entry per flashing icon.
#include "interface/hud/uniticon.h"

#include <algorithm>
#include <array>

namespace {

struct FLASH {
  uint32_t dwUnitId;  // 0: a free entry
  float fLeft;
};

std::array<FLASH, VNUNITICON_MAX_FLASHING> g_flashes{};

FLASH* Find(uint32_t unitId) {
  for (FLASH& f : g_flashes)
    if (f.dwUnitId == unitId) return &f;
  return nullptr;
}

// A free entry, else the one nearest its end: a new flash matters more than an old one.
FLASH* Take() {
  if (FLASH* free = Find(0)) return free;
  return &*std::min_element(g_flashes.begin(), g_flashes.end(),
                            [](const FLASH& a, const FLASH& b) { return a.fLeft < b.fLeft; });
}

}  // namespace

void vnUnitIcon_Flash(uint32_t unitId) {
  if (!unitId) return;
  FLASH* f = Find(unitId);
  if (!f) f = Take();
  *f = {unitId, VNUNITICON_FLASH_SECONDS};
}

float vnUnitIcon_FlashLeft(uint32_t unitId) {
  const FLASH* f = unitId ? Find(unitId) : nullptr;
  return f ? f->fLeft : 0.0f;
}

void vnUnitIcon_Advance(float seconds) {
  for (FLASH& f : g_flashes) {
    if (!f.dwUnitId) continue;
    f.fLeft -= seconds;
    if (f.fLeft <= 0.0f) f = {};
  }
}

void vnUnitIcon_ClearFlashes() { g_flashes.fill({}); }
