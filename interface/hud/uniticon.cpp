// Unit icons and their flashes: an entry per icon and one per flashing icon, each kept by its
// unit's id.
#include "interface/hud/uniticon.h"

#include <algorithm>
#include <array>

#include "platform/trace.h"

namespace {

struct ICON {
  uint32_t dwUnitId;  // 0: a free entry
  uint32_t dwPlayer;
};

struct FLASH {
  uint32_t dwUnitId;  // 0: a free entry
  float fLeft;
};

std::array<ICON, VNUNITICON_MAX_ICONS> g_icons{};
std::array<FLASH, VNUNITICON_MAX_FLASHING> g_flashes{};

// The entry of the unit (0: a free one), or null.
template <typename T, size_t N>
T* Find(std::array<T, N>& entries, uint32_t unitId) {
  for (T& e : entries)
    if (e.dwUnitId == unitId) return &e;
  return nullptr;
}

FLASH* Find(uint32_t unitId) { return Find(g_flashes, unitId); }

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

void vnUnitIcon_StopFlash(uint32_t unitId) {
  if (FLASH* f = unitId ? Find(unitId) : nullptr) *f = {};
}

void vnUnitIcon_Advance(float seconds) {
  for (FLASH& f : g_flashes) {
    if (!f.dwUnitId) continue;
    f.fLeft -= seconds;
    if (f.fLeft <= 0.0f) f = {};
  }
}

void vnUnitIcon_ClearFlashes() { g_flashes.fill({}); }

int32_t vnUnitIcon_AddIcon(uint32_t unitId, uint32_t player) {
  if (!unitId || Find(g_icons, unitId)) return 0;
  ICON* free = Find(g_icons, 0);
  if (!free) {
    PLAT_Trace("UNITICON: no icon left for unit %u\n", unitId);
    return 0;
  }
  *free = {unitId, player};
  return 1;
}

void vnUnitIcon_Remove(uint32_t unitId) {
  if (ICON* icon = unitId ? Find(g_icons, unitId) : nullptr) *icon = {};
  vnUnitIcon_StopFlash(unitId);
}

uint32_t vnUnitIcon_GetPlayer(uint32_t unitId) {
  const ICON* icon = unitId ? Find(g_icons, unitId) : nullptr;
  return icon ? icon->dwPlayer : 0;
}

void vnUnitIcon_RemoveAll() { g_icons.fill({}); }
