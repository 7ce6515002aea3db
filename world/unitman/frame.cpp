// The per-frame pass (SGM_TASK_FRAME): who sees whom, then every unit's update.
#include "editor/aiedit.h"
#include "world/grid/grid.h"
#include "world/unitman/internal.h"

namespace {

VNUNIT* g_current = nullptr;
int32_t g_suppressed = 0;
uint32_t g_observerMask = 0;  // the observing player's enemies

struct SIGHTING {
  VNUNIT** ppOut;
  int32_t nCapacity;
  int32_t nCount;
};

template <typename Fn>
void ForEachPlayer(VNUNITMAN* m, Fn fn) {
  for (VNPLAYER* player : SGE_ListRecords<VNPLAYER>(&m->players))
    fn(player);
}

void ResetSightings(VNUNITMAN* m) {
  m->nSightCount = 0;
  ForEachPlayer(m, [](VNPLAYER* player) {
    for (VNUNIT* u : SGE_ListRecords<VNUNIT>(&player->units)) {
      u->dwSeenBy = 0;
      u->ppSighted = nullptr;
      u->nSighted = 0;
    }
  });
}

int32_t SeeUnit(void* data, VNUNIT* seen, void* user) {
  const auto* observer = static_cast<const VNUNIT*>(data);
  auto* s = static_cast<SIGHTING*>(user);
  const float dx = seen->vPos.x - observer->vPos.x;
  const float dy = seen->vPos.y - observer->vPos.y;
  const float dz = seen->vPos.z - observer->vPos.z;
  const float reach = vnUNIT_AttrFloat(observer, VN_ATTR_RANGE) + vnUNIT_AttrFloat(seen, VN_ATTR_RADIUS);
  if (dx * dx + dy * dy + dz * dz >= reach * reach || reach <= 0.0f) return 1;
  if (g_suppressed && (seen->dwPlayer & g_observerMask)) return 1;
  seen->dwSeenBy |= observer->dwPlayer;
  if (s->nCount < s->nCapacity) s->ppOut[s->nCount++] = seen;
  return 1;
}

void Sight(VNUNITMAN* m, VNUNIT* observer) {
  const int32_t left = m->nSightCapacity - m->nSightCount;
  SIGHTING s{m->ppSightings + m->nSightCount, left < m->nSightPerUnit ? left : m->nSightPerUnit, 0};
  if (s.nCapacity <= 0) return;
  vnGrid_QueryRadius(SeeUnit, &s, m->pGrid, observer, &observer->vPos,
                     vnUNIT_AttrFloat(observer, VN_ATTR_RANGE), observer->dwIncludeMask,
                     observer->dwExcludeMask);
  if (!s.nCount) return;
  observer->ppSighted = s.ppOut;
  observer->nSighted = s.nCount;
  m->nSightCount += s.nCount;
}

void SightAll(VNUNITMAN* m) {
  if (!m->pGrid || !m->ppSightings) return;
  ForEachPlayer(m, [m](VNPLAYER* player) {
    g_observerMask = player->dwEnemyMask;
    for (VNUNIT* u : SGE_ListRecords<VNUNIT>(&player->units)) {
      if (u->dwFlags & VNUNIT_F_OBSERVER) Sight(m, u);
    }
  });
}

// After every call into a controller: the controller may have ended this unit (or reused its
// record for a new one), and then nothing more of it may be touched.
void UpdateUnit(VNUNITMAN* m, VNUNIT* u, VNPLAYER* player) {
  if (!(m->dwMode & VNUNITMAN_MODE_RUN)) return;
  g_current = u;
  const uint32_t id = u->dwId;
  const auto p1 = SGE_PtrParam(m);
  const auto p2 = SGE_PtrParam(player);
  int32_t result = 0;
  if (u->nState == 1 && u->pController) {
    result = SGE_Send(u->pController, SGM_UNIT_FRAME_FIRST, p1, p2);
    if (!vnUNITMAN_IsLive(u, id)) return;
  }
  if (u->dwFlags & VNUNIT_F_UPDATE) {
    if (!u->pController) return;
    result = SGE_Send(u->pController, SGM_UNIT_UPDATE, p1, p2);
    if (!vnUNITMAN_IsLive(u, id)) return;
  }
  if (result) return;
  if (u->pController && (u->dwFlags & VNUNIT_F_POSITION)) {
    const SPW_VECTOR* pos = SGE_Ask<SPW_VECTOR>(u->pController, SGM_UNIT_FRAME_POSITION, p1, p2);
    if (!vnUNITMAN_IsLive(u, id)) return;
    if (pos) {
      u->vPos = *pos;
      if (m->pGrid) vnGrid_UpdateUnit(m->pGrid, u);
    }
  }
  if (u->pController && (u->dwFlags & VNUNIT_F_FRAME_EXTRA)) {
    SGE_Send(u->pController, SGM_UNIT_FRAME_EXTRA, p1, p2);
    if (!vnUNITMAN_IsLive(u, id)) return;
  }
  for (VNUNIT_CHILDLIST list : VNUNIT_CHILD_VISIT_ORDER) {
    VNUNITMAN_WALK walk(m, &u->aChildren[list]);
    while (VNUNIT* child = walk.Next()) {
      UpdateUnit(m, child, player);
      if (!vnUNITMAN_IsLive(u, id)) return;
    }
  }
}

void UpdateAll(VNUNITMAN* m) {
  ForEachPlayer(m, [m](VNPLAYER* player) {
    VNUNITMAN_WALK walk(m, &player->units);
    while (VNUNIT* u = walk.Next())
      if (u->pController) UpdateUnit(m, u, player);
  });
}

}  // namespace

void vnUNITMAN_RunFrame(VNUNITMAN* m) {
  g_current = nullptr;
  if (vnAIEDIT_IsDisplayOn()) return;
  ResetSightings(m);
  SightAll(m);
  UpdateAll(m);
  g_current = nullptr;
}

VNUNIT* vnUNITMAN_GetCurrentUnit() { return g_current; }

int32_t vnUNITMAN_SetSightingSuppressed(int32_t on) {
  const int32_t old = g_suppressed;
  g_suppressed = on;
  return old;
}
