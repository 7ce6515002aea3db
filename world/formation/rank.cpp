// Rank programs: building a rank from units, placing it, and switching its shape.
#include "world/formation/rank.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <span>

#include "effects/smoketrail.h"
#include "engine/dobject/dobject.h"
#include "engine/memory/memblock.h"
#include "engine/terrain/terrain.h"
#include "frontend/platman.h"
#include "interface/hud/hud.h"
#include "platform/trace.h"
#include "world/bstar/bstar.h"
#include "world/bstar/search.h"
#include "world/formation/formnode.h"
#include "world/mover/mover.h"
#include "world/unitman/unitmsg.h"
#include "world/unittype/attributes.h"

namespace {

constexpr SPW_VECTOR kUp = {0.0f, 0.0f, 1.0f};
constexpr SPW_VECTOR kFront = {0.0f, 1.0f, 0.0f};        // the leader's facing in the frame
constexpr SPW_VECTOR kDefaultDir = {0.0f, -1.0f, 0.0f};  // the stored form of kFront
constexpr float kMarkerLift = 0.3f;
constexpr float kMinTiltNormalZ = 0.3f;  // steeper ground leaves the marker upright
constexpr float kTrailMinDistSq = 625.0f;
constexpr float kNoWeaponRange = 10000.0f;
constexpr int32_t kBounceGo = 0;
constexpr int32_t kBounceRefuse = 1;
constexpr int32_t kBounceGoAndEnd = 2;

// The rank's marked point and its running smoke trail.
SPW_VECTOR g_markedPoint = {0.0f, 0.0f, 0.0f};
VNSMOKETRAIL* g_trail = nullptr;

VNUNITMAN* Manager(SGE_TASK* ctx) { return SGE_TaskData<VNUNITMAN>(ctx); }

VNUNIT* FindUnit(SGE_TASK* ctx, int32_t id) {
  return SGE_Ask<VNUNIT>(ctx, SGM_UNITMAN_FIND_UNIT, id, 0);
}

bool IsDead(const VNUNIT* unit) {
  return unit->pController && SGE_Send(unit->pController, SGM_UNIT_IS_DEAD, 0, 0) != 0;
}

VNUNIT* LiveUnit(SGE_TASK* ctx, int32_t id) {
  VNUNIT* unit = FindUnit(ctx, id);
  return unit && !IsDead(unit) ? unit : nullptr;
}

VNRANK_PROGRAM* FreshPlayerRank(SGE_TASK* ctx) {
  VNRANK_PROGRAM* rank = vnRANK_Find(ctx, VNRANK_PLAYER_RANK);
  if (!rank) return nullptr;
  vnRANK_Refresh(ctx, rank, 0);
  vnRANK_Compact(rank);
  return rank;
}

// Leader order: the HUD's selected unit, then the lower rank value.
bool LeadsBefore(const VNUNIT* a, const VNUNIT* b, uint32_t hudId) {
  const bool aHud = hudId != 0 && a->dwId == hudId;
  const bool bHud = hudId != 0 && b->dwId == hudId;
  if (aHud != bHud) return aHud;
  return vnUNIT_AttrInt(a, VN_ATTR_RANK) < vnUNIT_AttrInt(b, VN_ATTR_RANK);
}

SPW_VECTOR MoverDir(const VNUNIT* unit) {
  return unit->pMove ? unit->pMove->vHeading : SPW_VECTOR{0.0f, 0.0f, 0.0f};
}

SPW_VECTOR MoverPos(const VNUNIT* unit) { return unit->pMove ? unit->pMove->vPos : unit->vPos; }

// The heading in the ground plane, unit length; zero when there is none.
SPW_VECTOR FlatHeading(const VNUNIT* unit) {
  SPW_VECTOR h = MoverDir(unit);
  h.z = 0.0f;
  SPW_VecNormalise(&h);
  return h;
}

bool IsZero(const SPW_VECTOR& v) { return v.x == 0.0f && v.y == 0.0f && v.z == 0.0f; }

SPW_VECTOR Rotate(const SPW_QUAT& q, const SPW_VECTOR& v) {
  SPW_VECTOR out;
  SPW_QuatRotateVector(&q, &v, &out);
  return out;
}

void StoreDirection(VNRANK_PROGRAM* program, const SPW_VECTOR& dir, float scale) {
  program->vDir = dir;
  program->fScale = scale;
  program->bDirSet = 1;
}

// ---- Placement ----

// The manager's nodes sorted for reuse: markers of the first pair's reached and stopped types,
// and the rest, whose markers go.
struct NodePools {
  SGE_DLLNODE reached;
  SGE_DLLNODE stopped;
  SGE_DLLNODE rest;
};

void TakeNodes(VNUNITMAN* m, NodePools* pools) {
  SGE_ListInit(&pools->reached);
  SGE_ListInit(&pools->stopped);
  SGE_ListInit(&pools->rest);
  const int32_t reachedType = vnFORMNODE_MarkerSlot(m, VNFORMNODE_FIRST_PAIR + VNFORMNODE_REACHED);
  const int32_t stoppedType = vnFORMNODE_MarkerSlot(m, VNFORMNODE_FIRST_PAIR + VNFORMNODE_STOPPED);
  while (SGE_DLLNODE* n = SGE_ListPopHead(&m->formNodes)) {
    auto* node = SGE_ListRecord<VNFORMNODE>(n);
    const int32_t type = node->pObject ? node->pObject->nType : -1;
    if (node->pObject && type == reachedType && reachedType >= 0) {
      SGE_ListAddTail(&pools->reached, n);
    } else if (node->pObject && type == stoppedType && stoppedType >= 0) {
      SGE_ListAddTail(&pools->stopped, n);
    } else {
      if (node->pObject) SPW_DestroyDynamicObject(node->pObject);
      node->pObject = nullptr;
      SGE_ListAddTail(&pools->rest, n);
    }
  }
}

void FreePool(SGE_DLLNODE* pool) {
  while (SGE_DLLNODE* n = SGE_ListPopHead(pool)) {
    auto* node = reinterpret_cast<VNFORMNODE*>(n);
    node->link = {};
    vnFORMNODE_Free(node);
  }
}

// Shows a marker at the destination: a node from the matching pool, else the rest, else new.
void PlaceNode(VNUNITMAN* m, NodePools* pools, bool reached, const SPW_VECTOR& at,
               const SPW_QUAT& rot) {
  SGE_DLLNODE* n = SGE_ListPopHead(reached ? &pools->reached : &pools->stopped);
  if (!n) n = SGE_ListPopHead(&pools->rest);
  const SPW_TRANSFORM t = {at, rot, 1.0f};
  if (!n) {
    const int32_t which =
        VNFORMNODE_SECOND_PAIR + (reached ? VNFORMNODE_REACHED : VNFORMNODE_STOPPED);
    vnFORMNODE_Create(m, vnFORMNODE_MarkerSlot(m, which), &t);
    return;
  }
  auto* node = SGE_ListRecord<VNFORMNODE>(n);
  if (node->pObject) {
    node->pObject->t.vPos = at;
    node->pObject->t.qRot = rot;
    SGE_ListAddTail(&m->formNodes, n);
    return;
  }
  node->link = {};
  vnFORMNODE_Free(node);
  const int32_t which =
      VNFORMNODE_SECOND_PAIR + (reached ? VNFORMNODE_REACHED : VNFORMNODE_STOPPED);
  vnFORMNODE_Create(m, vnFORMNODE_MarkerSlot(m, which), &t);
}

// Where a slot's unit can get: the disc swept from the point to its target. reached is 0 when
// the sweep was stopped or found no region.
struct SlotDest {
  SPW_VECTOR vDest;
  SPW_QUAT qTilt;
  bool bReached;
};

SlotDest SweepSlot(const VNUNIT* unit, const SPW_VECTOR& from, const SPW_VECTOR& target) {
  SlotDest d = {target, {0.0f, 0.0f, 0.0f, 1.0f}, false};
  BSTAR_Network* net = BSTAR_CurrentNetwork;
  BSTAR_Node* start = net ? BSTAR_FindNodeAtPoint(net, &from) : nullptr;
  if (!start) return d;
  const SPW_VECTOR vel = {target.x - from.x, target.y - from.y, 0.0f};
  SPW_VECTOR out = target;
  SPW_VECTOR outVel;
  int32_t blocked = 0;
  if (!vnMOVER_SweepDisc(net, start, unit->fRadius, vnFORMNODE_UnitLinkType(unit), &from, &target,
                         &vel, &out, &outVel, &blocked, VNMOVER_SWEEP_WALLS_AND_GATES))
    return d;
  d.vDest = {out.x, out.y, target.z};
  d.bReached = blocked == 0;
  SPW_VECTOR ground = d.vDest;
  SPW_VECTOR normal;
  if (SPW_GetTerrainHeightNormal(net->pScene, &ground, &normal) && normal.z >= kMinTiltNormalZ)
    vnFORMNODE_TurnBetween(&kUp, &normal, &d.qTilt);
  return d;
}

struct Launch {
  VNUNIT* pUnit;
  SPW_VECTOR vFacing;
  SPW_VECTOR vDest;
};

void SendFacingAndGo(VNUNIT* unit, int32_t msg, SPW_VECTOR* facing, SPW_VECTOR* dest) {
  if (unit->pMover)
    SGE_Send(unit->pMover, SGM_MOVER_SET_FACING, SGE_PtrParam(facing), 0);
  if (unit->pController) SGE_Send(unit->pController, msg, SGE_PtrParam(dest), 0);
}

// The answer of a jumper to SGM_UNIT_BOUNCE_CHECK for the distance to its destination.
int32_t BounceCheck(VNUNIT* unit, const SPW_VECTOR& dest) {
  float dist = SPW_VecDist(&unit->vPos, &dest);
  return unit->pController ? SGE_Send(unit->pController, SGM_UNIT_BOUNCE_CHECK,
                                      SGE_PtrParam(&dist), 0)
                           : kBounceGo;
}

// ---- Ordering ----

const VNUNIT* FirstWeapon(const VNUNIT* unit) {
  return SGE_ListFirstRecord<VNUNIT>(&unit->aChildren[VNUNIT_CHILD_WEAPONS]);
}

float WeaponRange(const VNUNIT* unit) {
  const VNUNIT* weapon = FirstWeapon(unit);
  return weapon ? vnUNIT_AttrFloat(weapon, VN_ATTR_RANGE) : kNoWeaponRange;
}

// After the leader: shorter weapon range first, ties by unit id, higher first.
bool FollowsBefore(const VNRANK_SLOT& a, const VNRANK_SLOT& b) {
  const float ra = WeaponRange(a.pUnit);
  const float rb = WeaponRange(b.pUnit);
  if (ra != rb) return ra < rb;
  return a.pUnit->dwId > b.pUnit->dwId;
}

bool SameUnits(const VNRANK_PROGRAM* a, const VNRANK_PROGRAM* b) {
  if (a->nCount != b->nCount) return false;
  int32_t ida[VNRANK_MAX_SLOTS];
  int32_t idb[VNRANK_MAX_SLOTS];
  const int32_t n = std::min(a->nCount, VNRANK_MAX_SLOTS);
  if (a->nCount > VNRANK_MAX_SLOTS) return false;
  for (int32_t i = 0; i < n; ++i) {
    ida[i] = a->pSlots[i].nUnitId;
    idb[i] = b->pSlots[i].nUnitId;
  }
  std::sort(ida, ida + n);
  std::sort(idb, idb + n);
  return std::equal(ida, ida + n, idb);
}

// The units of the platoon's slots that exist and live, at most max.
int32_t PlatoonUnits(SGE_TASK* ctx, const VNPLATOON* platoon, std::span<const int32_t> slots,
                     VNUNIT** out, int32_t max) {
  int32_t n = 0;
  for (int32_t slot : slots) {
    if (n >= max) break;
    const VNPLATOON_UNIT* pu = platoon->apUnits[slot];
    if (!pu) continue;
    if (VNUNIT* unit = LiveUnit(ctx, pu->nRosterId)) out[n++] = unit;
  }
  return n;
}

void BuildFromPlatoon(SGE_TASK* ctx, const VNPLATOON* platoon, const char* name,
                      std::span<const int32_t> slots) {
  VNRANK_PROGRAM* program = vnRANK_Find(ctx, name);
  if (!program) return;
  VNUNIT* units[VNRANK_MAX_SLOTS];
  const int32_t n = PlatoonUnits(ctx, platoon, slots, units, VNRANK_MAX_SLOTS);
  vnRANK_Build(ctx, program, units, n);
}

}  // namespace

VNRANK_PROGRAM* vnRANK_Find(SGE_TASK* ctx, const char* name) {
  return ctx && name ? SGE_Ask<VNRANK_PROGRAM>(ctx, SGM_UNITMAN_FIND_FORMATION,
                                                     SGE_PtrParam(name), 0)
                     : nullptr;
}

void vnRANK_Refresh(SGE_TASK* ctx, VNRANK_PROGRAM* program, int32_t clear) {
  if (!program) return;
  for (VNRANK_SLOT& slot : std::span(program->pSlots, program->nCount))
    slot.pUnit = clear ? nullptr : LiveUnit(ctx, slot.nUnitId);
}

void vnRANK_Compact(VNRANK_PROGRAM* program) {
  if (!program) return;
  VNRANK_SLOT* end = std::stable_partition(program->pSlots, program->pSlots + program->nCount,
                                           [](const VNRANK_SLOT& s) { return s.pUnit != nullptr; });
  program->nCount = static_cast<int32_t>(end - program->pSlots);
}

void vnRANK_CopySlots(VNRANK_PROGRAM* dst, const VNRANK_PROGRAM* src) {
  if (!dst || !src || dst == src) return;
  const int32_t n = std::min(src->nCount, dst->nCapacity);
  if (n > 0) std::memcpy(dst->pSlots, src->pSlots, sizeof(VNRANK_SLOT) * n);
  dst->nCount = std::max(n, 0);
}

VNUNIT* vnRANK_GetLeader(VNRANK_PROGRAM* program, int32_t* outIndex) {
  if (!program) return nullptr;
  const uint32_t hudId = vnHUD_GetSelectedUnitID();
  int32_t best = -1;
  for (int32_t i = 0; i < program->nCount; ++i) {
    const VNUNIT* unit = program->pSlots[i].pUnit;
    if (unit && (best < 0 || LeadsBefore(unit, program->pSlots[best].pUnit, hudId))) best = i;
  }
  if (outIndex) *outIndex = best;
  return best < 0 ? nullptr : program->pSlots[best].pUnit;
}

int32_t vnRANK_Build(SGE_TASK*, VNRANK_PROGRAM* program, VNUNIT* const* units, int32_t n) {
  if (!program || !units || n < 0) return 0;
  n = std::min(n, program->nCapacity);
  if (n == 0) {
    program->nCount = 0;
    return 1;
  }
  VNUNIT* sorted[VNRANK_MAX_SLOTS];
  n = std::min(n, VNRANK_MAX_SLOTS);
  std::copy(units, units + n, sorted);
  const uint32_t hudId = vnHUD_GetSelectedUnitID();
  std::stable_sort(sorted, sorted + n,
                   [hudId](const VNUNIT* a, const VNUNIT* b) { return LeadsBefore(a, b, hudId); });
  const VNUNIT* leader = sorted[0];
  const SPW_VECTOR heading = FlatHeading(leader);
  if (IsZero(heading)) return 0;
  SPW_QUAT r;
  vnFORMNODE_TurnBetween(&heading, &kFront, &r);
  const SPW_VECTOR origin = leader->vPos;
  for (int32_t k = 0; k < n; ++k) {
    VNUNIT* unit = sorted[k];
    VNRANK_SLOT& slot = program->pSlots[k];
    const SPW_VECTOR rel = {unit->vPos.x - origin.x, unit->vPos.y - origin.y, 0.0f};
    slot.vOffset = Rotate(r, rel);
    slot.vFacing = Rotate(r, MoverDir(unit));
    slot.nUnitId = static_cast<int32_t>(unit->dwId);
    slot.pUnit = unit;
  }
  StoreDirection(program, {-heading.x, -heading.y, 0.0f}, 1.0f);
  PLAT_Trace("RankU facing (%f,%f)\n", program->vDir.x, program->vDir.y);
  program->nCount = n;
  return 1;
}

int32_t vnRANK_Reset(SGE_TASK* ctx) {
  VNRANK_PROGRAM* rank = vnRANK_Find(ctx, VNRANK_PLAYER_RANK);
  if (!rank) return 0;
  VNUNIT* units[VNRANK_MAX_SLOTS];
  const int32_t n = SGE_Send(ctx, SGM_UNITMAN_LIST_SELECTED, SGE_PtrParam(units),
                             VNRANK_MAX_SLOTS);
  vnRANK_Build(ctx, rank, units, std::clamp(n, 0, VNRANK_MAX_SLOTS));
  rank->pSource = nullptr;
  return 1;
}

int32_t vnRANK_SelectRank(SGE_TASK* ctx) {
  VNRANK_PROGRAM* rank = FreshPlayerRank(ctx);
  if (!rank) return 0;
  SGE_Send(ctx, SGM_UNITMAN_CLEAR_SELECTION, 0, 0);
  for (const VNRANK_SLOT& slot : std::span(rank->pSlots, rank->nCount))
    SGE_Send(ctx, SGM_UNITMAN_SELECT, SGE_PtrParam(slot.pUnit), 0);
  return 1;
}

int32_t vnRANK_Store(SGE_TASK* ctx, const char* name) {
  VNRANK_PROGRAM* rank = FreshPlayerRank(ctx);
  VNRANK_PROGRAM* dst = vnRANK_Find(ctx, name);
  if (!rank || !dst) return 0;
  vnRANK_CopySlots(dst, rank);
  if (rank->bDirSet) {
    StoreDirection(dst, rank->vDir, rank->fScale);
    PLAT_Trace("Storing [%s], direction set (%f,%f)\n", dst->szName, dst->vDir.x, dst->vDir.y);
  } else {
    dst->bDirSet = 0;
  }
  return 1;
}

void vnRANK_Link(VNRANK_PROGRAM* dst, VNRANK_PROGRAM* src) {
  if (!dst || !src) return;
  if (src->bDirSet) StoreDirection(dst, src->vDir, src->fScale);
  dst->pSource = src;
}

void vnRANK_Unlink(VNRANK_PROGRAM* program, VNRANK_PROGRAM* newSource) {
  if (!program) return;
  VNRANK_PROGRAM* old = program->pSource;
  if (old && old != newSource && program->bDirSet)
    StoreDirection(old, program->vDir, program->fScale);
  program->pSource = nullptr;
}

int32_t vnRANK_Align(SGE_TASK* ctx, VNRANK_PROGRAM* program, int32_t msg, float scale,
                     int32_t send) {
  if (!program || program->nCount == 0) return 0;
  const VNUNIT* leader = vnRANK_GetLeader(program, nullptr);
  if (!leader) return 0;
  const SPW_VECTOR point = MoverPos(leader);
  if (program->bDirSet || !send) {
    PLAT_Trace("Aligning [%s], direction set (%f,%f)\n", program->szName, program->vDir.x,
               program->vDir.y);
  } else {
    StoreDirection(program, MoverDir(leader), scale);
    PLAT_Trace("Aligning [%s], no direction set (using (%f,%f))\n", program->szName,
               program->vDir.x, program->vDir.y);
  }
  const SPW_VECTOR dir = program->vDir;
  return vnRANK_Move(ctx, program, msg, &point, &dir, program->fScale, send);
}

int32_t vnRANK_Move(SGE_TASK* ctx, VNRANK_PROGRAM* program, int32_t msg, const SPW_VECTOR* point,
                    const SPW_VECTOR* direction, float scale, int32_t send) {
  VNUNITMAN* m = Manager(ctx);
  if (!m || !program || !point || !direction) return 0;
  NodePools pools;
  TakeNodes(m, &pools);
  vnFORMNODE_SetTimer(m, ctx, VNFORMNODE_TIMER_FORMATION, 0);
  SPW_QUAT q;
  vnFORMNODE_TurnBetween(&kDefaultDir, direction, &q);
  int32_t leaderIndex = -1;
  vnRANK_GetLeader(program, &leaderIndex);
  const bool bounce = msg == SGM_UNIT_BOUNCE_TO_POINT;
  bool refused = false;
  Launch launches[VNRANK_MAX_SLOTS];
  int32_t nLaunches = 0;
  for (int32_t i = 0; i < program->nCount && !refused; ++i) {
    VNRANK_SLOT& slot = program->pSlots[i];
    VNUNIT* unit = slot.pUnit;
    if (!unit) continue;
    SPW_VECTOR facing = Rotate(q, slot.vFacing);
    SPW_VECTOR o = Rotate(q, slot.vOffset);
    const SPW_VECTOR target = {point->x + o.x * scale, point->y + o.y * scale,
                               point->z + o.z * scale};
    SlotDest d = SweepSlot(unit, *point, target);
    bool last = false;
    if (bounce) {
      const int32_t answer = BounceCheck(unit, d.vDest);
      if (answer == kBounceRefuse) {
        refused = true;
        break;
      }
      if (nLaunches < VNRANK_MAX_SLOTS) launches[nLaunches++] = {unit, facing, d.vDest};
      last = answer == kBounceGoAndEnd;
    } else if (send) {
      SendFacingAndGo(unit, msg, &facing, &d.vDest);
    }
    if (i == leaderIndex) g_markedPoint = d.vDest;
    SPW_QUAT turn;
    SPW_QUAT rot;
    vnFORMNODE_TurnBetween(&kDefaultDir, &facing, &turn);
    SPW_QuatMultiply(&d.qTilt, &turn, &rot);
    const SPW_VECTOR at = {d.vDest.x, d.vDest.y, d.vDest.z + kMarkerLift};
    PlaceNode(m, &pools, d.bReached, at, rot);
    if (last) break;
  }
  if (bounce && !refused) {
    for (Launch& l : std::span(launches, nLaunches))
      SendFacingAndGo(l.pUnit, SGM_UNIT_BOUNCE_TO_POINT, &l.vFacing, &l.vDest);
  }
  FreePool(&pools.reached);
  FreePool(&pools.stopped);
  FreePool(&pools.rest);
  return refused ? 0 : 1;
}

int32_t vnRANK_MoveTo(SGE_TASK* ctx, int32_t msg, const SPW_VECTOR* point,
                      const SPW_VECTOR* direction, const float* scale, int32_t send,
                      int32_t trail) {
  VNRANK_PROGRAM* rank = FreshPlayerRank(ctx);
  if (!rank || !point) return 0;
  VNUNIT* leader = vnRANK_GetLeader(rank, nullptr);
  const float s = scale ? *scale : (rank->bDirSet ? rank->fScale : 1.0f);
  SPW_VECTOR dir = kDefaultDir;
  if (direction) {
    dir = *direction;
  } else if (rank->bDirSet) {
    dir = rank->vDir;
  } else if (leader) {
    const SPW_VECTOR h = FlatHeading(leader);
    if (!IsZero(h)) dir = {-h.x, -h.y, 0.0f};
  }
  vnRANK_Move(ctx, rank, msg, point, &dir, s, send);
  if (rank->pSource && send) {
    StoreDirection(rank->pSource, dir, s);
    PLAT_Trace("Moving [%s], setting direction (%f,%f)\n", rank->pSource->szName, dir.x, dir.y);
  }
  StoreDirection(rank, dir, s);
  if (trail && msg == SGM_UNIT_GOTO_POINT && leader && !g_trail &&
      SPW_VecDistSq(&leader->vPos, &g_markedPoint) > kTrailMinDistSq)
    g_trail = vnSmokeTrail_StartSideColoured(leader, &g_markedPoint);
  return 1;
}

int32_t vnRANK_ApplyFormation(SGE_TASK* ctx, const char* name) {
  VNRANK_PROGRAM* rank = FreshPlayerRank(ctx);
  VNRANK_PROGRAM* shape = vnRANK_Find(ctx, name);
  if (!rank || !shape) return 0;
  int32_t leaderIndex = -1;
  VNUNIT* leader = vnRANK_GetLeader(rank, &leaderIndex);
  if (!leader) return 0;
  std::swap(rank->pSlots[0], rank->pSlots[leaderIndex]);
  std::stable_sort(rank->pSlots + 1, rank->pSlots + rank->nCount, FollowsBefore);
  const int32_t n = std::min(rank->nCount, shape->nCount);
  for (int32_t i = 0; i < n; ++i) {
    rank->pSlots[i].vFacing = shape->pSlots[i].vFacing;
    rank->pSlots[i].vOffset = shape->pSlots[i].vOffset;
  }
  VNRANK_ORDER order = {};
  const int32_t answered = leader->pController ? SGE_Send(leader->pController, SGM_UNIT_GET_ORDER,
                                                          SGE_PtrParam(&order), 0)
                                               : 0;
  const SPW_VECTOR dir = rank->vDir;
  if (answered && (order.nKind == VNRANK_ORDER_WALK || order.nKind == VNRANK_ORDER_WALK_TO))
    return vnRANK_Move(ctx, rank, SGM_UNIT_GOTO_POINT, &order.vPoint, &dir, rank->fScale, 1);
  if (answered && order.nKind == VNRANK_ORDER_JUMP)
    return vnRANK_Move(ctx, rank, SGM_UNIT_BOUNCE_TO_POINT, &order.vPoint, &dir, rank->fScale, 1);
  return vnRANK_Align(ctx, rank, SGM_UNIT_GOTO_POINT, 1.0f, 1);
}

int32_t vnRANK_ChangeFormation(SGE_TASK* ctx, const char* name) {
  VNRANK_PROGRAM* rank = FreshPlayerRank(ctx);
  VNRANK_PROGRAM* formation = vnRANK_Find(ctx, name);
  if (!rank || !formation) return 0;
  vnRANK_Refresh(ctx, formation, 0);
  vnRANK_Compact(formation);
  vnRANK_Unlink(rank, formation);
  if (SameUnits(rank, formation)) {
    vnRANK_Align(ctx, formation, SGM_UNIT_GOTO_POINT, 1.0f, 1);
    vnRANK_CopySlots(rank, formation);
  } else {
    vnRANK_CopySlots(rank, formation);
    vnRANK_SelectRank(ctx);
  }
  vnRANK_Link(rank, formation);
  return 1;
}

int32_t vnRANK_SelectProgram(SGE_TASK* ctx, const VNPLATOON* platoon) {
  if (!platoon) return 0;
  // Squads of six with their specialist, each specialist alone, then the whole platoon.
  static constexpr int32_t kSquad1[] = {36, 37, 38, 39, 40, 41, 54};
  static constexpr int32_t kSquad2[] = {42, 43, 44, 45, 46, 47, 55};
  static constexpr int32_t kSquad3[] = {48, 49, 50, 51, 52, 53, 56};
  static constexpr int32_t kSpec1[] = {54};
  static constexpr int32_t kSpec2[] = {55};
  static constexpr int32_t kSpec3[] = {56};
  int32_t all[VNPLATOON_FIELDED];
  for (int32_t i = 0; i < VNPLATOON_FIELDED; ++i) all[i] = VNPLATOON_FIRST_FIELDED + i;
  BuildFromPlatoon(ctx, platoon, "Prog_1", kSquad1);
  BuildFromPlatoon(ctx, platoon, "Prog_2", kSquad2);
  BuildFromPlatoon(ctx, platoon, "Prog_3", kSquad3);
  BuildFromPlatoon(ctx, platoon, "Prog_4", kSpec1);
  BuildFromPlatoon(ctx, platoon, "Prog_5", kSpec2);
  BuildFromPlatoon(ctx, platoon, "Prog_6", kSpec3);
  BuildFromPlatoon(ctx, platoon, VNRANK_PLAYER_RANK, all);
  return 1;
}

SPW_VECTOR vnRANK_GetMarkedPoint() { return g_markedPoint; }

void vnRANK_EndTrail() {
  if (!g_trail) return;
  vnSmokeTrail_Release(g_trail);
  g_trail = nullptr;
}
