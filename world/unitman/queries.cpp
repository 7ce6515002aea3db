// The manager's queries over players and units (the region events SGM_UNITMAN_REGION_ENTERED
// and _LEFT, and SGM_UNITMAN_FIND_UNIT to SGM_UNITMAN_ANIM_INDEX).
#include <cstring>
#include <string_view>
#include <vector>

#include "editor/aiedit.h"
#include "engine/collide/collide.h"
#include "engine/object/object.h"
#include "missions/control/misscont.h"
#include "platform/text.h"
#include "world/grid/grid.h"
#include "world/mover/mover.h"
#include "world/unitman/internal.h"

namespace {

constexpr float kFarAway = 1e17f;  // squared distance that any bug hole beats
constexpr uint32_t kAreaInclude = VNUNIT_F_SELECTABLE | VNUNIT_F_OBSERVABLE;
constexpr uint32_t kAreaExclude =
    VNUNIT_F_WEAPON | VNUNIT_F_ITEM | VNUNIT_F_PROJECTILE | VNUNIT_F_OUT_OF_PLAY;

template <typename Fn>
void ForEachPlayer(VNUNITMAN* m, Fn fn) {
  for (VNPLAYER* player : SGE_ListRecords<VNPLAYER>(&m->players))
    fn(player);
}

// Calls fn(unit) for each unit of the list until it returns false; safe against fn ending
// units of the list.
template <typename Fn>
bool ForEachUnit(VNUNITMAN* m, const SGE_DLLNODE* units, Fn fn) {
  VNUNITMAN_WALK walk(m, units);
  while (VNUNIT* u = walk.Next())
    if (!fn(u)) return false;
  return true;
}

template <typename Fn>
bool ForEveryUnit(VNUNITMAN* m, Fn fn) {
  for (VNPLAYER* player : SGE_ListRecords<VNPLAYER>(&m->players))
    if (!ForEachUnit(m, &player->units, fn)) return false;
  return true;
}

int32_t Deliver(const VNUNIT* u, const VNUNITMAN_MSG* msg) {
  if (!u->pController) return 0;
  SGE_Send(u->pController, msg->nMsg, msg->a, msg->b);
  return 1;
}

// Animation names compare over at most their first 20 characters.
std::string_view AnimName(const char* name) {
  return {name, strnlen(name, SPW_ANIM_NAME_SIZE)};
}

struct AREA_HITS {
  const VNUNITMAN_AREA* pArea;
  std::vector<std::pair<VNUNIT*, uint32_t>> units;
};

int32_t CollectInArea(void*, VNUNIT* u, void* user) {
  auto* hits = static_cast<AREA_HITS*>(user);
  const SPW_VECTOR& p = hits->pArea->vPoint;
  const float dx = u->vPos.x - p.x, dy = u->vPos.y - p.y, dz = u->vPos.z - p.z;
  const float r = hits->pArea->fRadius;
  if (dx * dx + dy * dy + dz * dz <= r * r) hits->units.emplace_back(u, u->dwId);
  return 1;
}

}  // namespace

VNPLAYER* vnUNITMAN_FindPlayer(VNUNITMAN* m, uint32_t id) {
  for (VNPLAYER* player : SGE_ListRecords<VNPLAYER>(&m->players))
    if (player->dwId == id) return player;
  return nullptr;
}

VNPLAYER* vnUNITMAN_FindPlayerByName(VNUNITMAN* m, const char* name) {
  if (!name) return nullptr;
  for (VNPLAYER* player : SGE_ListRecords<VNPLAYER>(&m->players)) {
    if (PLAT_EqualNoCase(player->szName, name)) return player;
  }
  return nullptr;
}

VNPLAYER* vnUNITMAN_HumanPlayer(VNUNITMAN* m) {
  for (VNPLAYER* player : SGE_ListRecords<VNPLAYER>(&m->players))
    if (player->bControl) return player;
  return nullptr;
}

VNUNIT* vnUNITMAN_FindUnit(VNUNITMAN* m, uint32_t id, uint32_t player) {
  for (const VNPLAYER* owner : SGE_ListRecords<VNPLAYER>(&m->players)) {
    if (player && owner->dwId != player) continue;
    for (VNUNIT* u : SGE_ListRecords<VNUNIT>(&owner->units))
      if (u->dwId == id) return u;
  }
  return nullptr;
}

void vnUNITMAN_ClearSelection(VNUNITMAN* m) {
  for (VNPLAYER* player : {vnUNITMAN_HumanPlayer(m), vnUNITMAN_FindPlayer(m, vnUNITMAN_GetComputerPlayerId())}) {
    if (!player) continue;
    ForEachUnit(m, &player->units, [m](VNUNIT* u) {
      if (u->dwFlags & VNUNIT_F_SELECTED)
        SGE_Send(m->pTask, SGM_UNITMAN_DESELECT, SGE_PtrParam(u), 0);
      return true;
    });
  }
}

int32_t vnUNITMAN_Select(VNUNIT* u) {
  if (!u || (u->dwFlags & VNUNIT_F_SELECTED) || !(u->dwFlags & VNUNIT_F_SELECTABLE)) return 0;
  if (!u->pController || SGE_Send(u->pController, SGM_UNIT_IS_DEAD, 0, 0)) return 0;
  u->dwFlags |= VNUNIT_F_SELECTED;
  return 1;
}

int32_t vnUNITMAN_Deselect(VNUNIT* u) {
  if (!u) return 0;
  u->dwFlags &= ~VNUNIT_F_SELECTED;
  return 1;
}

VNUNIT* vnUNITMAN_Pick(VNUNITMAN* m, VNUNITMAN_PICK* ray) {
  if (!ray || !ray->pStart || !ray->pDirection || !ray->pBest) return nullptr;
  VNUNIT* hit = nullptr;
  ForEveryUnit(m, [&](VNUNIT* u) {
    if (!u->pController) return true;
    auto* object = SGE_Ask<SPW_DOBJECT>(u->pController, SGM_UNIT_GET_OBJECT, 0, 0);
    if (object && SPW_CollideDynamicObject(object, ray->pStart, ray->pDirection, ray->pBest,
                                           ray->pHit, nullptr))
      hit = u;
    return true;
  });
  ray->pUnit = hit;
  return hit;
}

int32_t vnUNITMAN_SendToSelected(VNUNITMAN* m, const VNUNITMAN_MSG* msg, uint32_t player) {
  VNPLAYER* owner = vnUNITMAN_FindPlayer(m, player);
  if (!msg || !owner) return 0;
  ForEachUnit(m, &owner->units, [msg](VNUNIT* u) {
    if (u->dwFlags & VNUNIT_F_SELECTED) Deliver(u, msg);
    return true;
  });
  return 1;
}

int32_t vnUNITMAN_SendToPlayer(VNUNITMAN* m, const VNUNITMAN_MSG* msg, uint32_t player) {
  VNPLAYER* owner = vnUNITMAN_FindPlayer(m, player);
  if (!msg || !owner) return 0;
  ForEachUnit(m, &owner->units, [msg](VNUNIT* u) {
    Deliver(u, msg);
    return true;
  });
  return 1;
}

int32_t vnUNITMAN_SendToType(VNUNITMAN* m, const VNUNITMAN_MSG* msg, const VNUNITMAN_PLAYERTYPE* which) {
  VNPLAYER* owner = which ? vnUNITMAN_FindPlayer(m, which->dwPlayer) : nullptr;
  if (!msg || !owner) return 0;
  ForEachUnit(m, &owner->units, [msg, which](VNUNIT* u) {
    if (u->nType == which->nType) Deliver(u, msg);
    return true;
  });
  return 1;
}

int32_t vnUNITMAN_ForEach(VNUNITMAN* m, VNUNIT_FUNC fn, SGE_PARAM user) {
  if (!fn) return 0;
  return ForEveryUnit(m, [fn, user](VNUNIT* u) { return fn(u, user) != 0; }) ? 1 : 0;
}

int32_t vnUNITMAN_ListSelected(VNUNITMAN* m, VNUNIT** out, int32_t capacity) {
  VNPLAYER* human = vnUNITMAN_HumanPlayer(m);
  int32_t count = 0;
  if (!human || !out) return 0;
  for (VNUNIT* u : SGE_ListRecords<VNUNIT>(&human->units)) {
    if (count >= capacity) break;
    if (u->dwFlags & VNUNIT_F_SELECTED) out[count++] = u;
  }
  return count;
}

int32_t vnUNITMAN_CountType(VNUNITMAN* m, int32_t type, int32_t liveOnly) {
  if (vnAIEDIT_IsDisplayOn()) return 0;
  int32_t count = 0;
  ForEachPlayer(m, [&](VNPLAYER* player) {
    for (const VNUNIT* u : SGE_ListRecords<VNUNIT>(&player->units)) {
      if (u->nType == type && (!liveOnly || vnUNIT_AttrFloat(u, VN_ATTR_HEALTH) > 0.0f)) ++count;
    }
  });
  return count;
}

uint32_t vnUNITMAN_NearestBugHole(VNUNITMAN* m, const VNUNIT* unit) {
  if (!unit || vnAIEDIT_IsDisplayOn()) return 0;
  float best = kFarAway;
  uint32_t id = 0;
  ForEachPlayer(m, [&](VNPLAYER* player) {
    for (const VNUNIT* u : SGE_ListRecords<VNUNIT>(&player->units)) {
      if (u->nType != VN_UNIT_TYPE_PE_BUGHOLE) continue;
      const float dx = u->vPos.x - unit->vPos.x, dy = u->vPos.y - unit->vPos.y;
      if (dx * dx + dy * dy < best) {
        best = dx * dx + dy * dy;
        id = u->dwId;
      }
    }
  });
  return id;
}

uint32_t vnUNITMAN_TopRank(VNUNITMAN* m) {
  VNUNIT* selected[VNUNITMAN_MAX_SELECTED];
  const int32_t count = vnUNITMAN_ListSelected(m, selected, VNUNITMAN_MAX_SELECTED);
  const VNUNIT* top = nullptr;
  for (int32_t i = 0; i < count; ++i)
    if (!top || vnUNIT_AttrInt(selected[i], VN_ATTR_RANK) > vnUNIT_AttrInt(top, VN_ATTR_RANK))
      top = selected[i];
  return top ? top->dwId : 0;
}

// The units are gathered first: a controller that ends units on SGM_UNIT_AREA_NOTIFY must not pull
// the cell lists from under the grid's walk.
void vnUNITMAN_NotifyArea(VNUNITMAN* m, const VNUNITMAN_AREA* area) {
  if (!area || !m->pGrid) return;
  AREA_HITS hits{area, {}};
  vnGrid_QueryRadius(CollectInArea, &hits, m->pGrid, nullptr, &area->vPoint, area->fRadius,
                     kAreaInclude, kAreaExclude);
  for (auto [u, id] : hits.units)
    if (vnUNITMAN_IsLive(u, id) && u->pController)
      SGE_Send(u->pController, SGM_UNIT_AREA_NOTIFY, SGE_PtrParam(area), 0);
}

VNUNITMAN_ANIMINDEX* vnUNITMAN_AnimIndex(VNUNITMAN* m, const VNUNITMAN_ANIMREQUEST* request) {
  if (!request || request->nCount < 0) return nullptr;
  for (VNUNITMAN_ANIMINDEX* record : SGE_ListRecords<VNUNITMAN_ANIMINDEX>(&m->animIndices)) {
    if (record->nKey == request->nKey) return record;
  }
  auto* record = static_cast<VNUNITMAN_ANIMINDEX*>(SGE_MemCalloc(m->pBlock, sizeof(VNUNITMAN_ANIMINDEX)));
  const uint32_t bytes = static_cast<uint32_t>(request->nCount) * sizeof(int32_t);
  auto* indices = record && bytes ? static_cast<int32_t*>(SGE_MemAlloc(m->pBlock, bytes)) : nullptr;
  if (!record || (bytes && !indices)) {
    if (record) SGE_MemFree(record);
    return nullptr;
  }
  record->nKey = request->nKey;
  record->nCount = request->nCount;
  record->pIndices = indices;
  for (int32_t k = 0; k < request->nCount; ++k) {
    indices[k] = -1;
    const SPW_DOBJTYPE* type = request->pType;
    const char* name = request->ppNames ? request->ppNames[k] : nullptr;
    for (uint32_t a = 0; type && name && a < type->dwNumAnims; ++a) {
      if (PLAT_EqualNoCase(AnimName(type->pAnims[a].szName), AnimName(name))) {
        indices[k] = static_cast<int32_t>(a);
        break;
      }
    }
  }
  SGE_ListAddTail(&m->animIndices, &record->link);
  return record;
}

void vnUNITMAN_FreeAnimIndices(VNUNITMAN* m) {
  while (auto* record = SGE_ListRecord<VNUNITMAN_ANIMINDEX>(SGE_ListPopHead(&m->animIndices))) {
    if (record->pIndices) SGE_MemFree(record->pIndices);
    SGE_MemFree(record);
  }
}

int32_t vnUNITMAN_RegionEvent(int32_t msg, SGE_PARAM region, const VNMOVER_RECORD* record) {
  SGE_TASK* controller = record && record->pOwner ? record->pOwner->pParent : nullptr;
  if (!controller) return 0;
  VNUNIT* unit = SGE_Ask<VNUNIT>(controller, SGM_UNIT_GET_UNIT, 0, 0);
  const int32_t event = msg == SGM_UNITMAN_REGION_ENTERED ? SGM_VN_MISSCONT_EVENT_AREA_ENTERED
                                                          : SGM_VN_MISSCONT_EVENT_AREA_LEFT;
  if (SGE_TASK* mission = vnMISSCONT_GetTask())
    SGE_Send(mission, event, region, SGE_PtrParam(unit));
  return 1;
}
