// Formation nodes and the group orders that show them.
#include "world/formation/formnode.h"

#include <algorithm>
#include <cstring>
#include <span>

#include "engine/dobject/dobject.h"
#include "engine/memory/memblock.h"
#include "engine/math/vecops.h"
#include "engine/object/object.h"
#include "platform/trace.h"
#include "world/bstar/bstar.h"
#include "world/bstar/search.h"
#include "world/formation/rank.h"
#include "world/mover/mover.h"
#include "world/unitman/orders.h"
#include "world/unitman/unitmsg.h"
#include "world/unittype/attributes.h"

namespace {

constexpr SPW_VECTOR kUp = {0.0f, 0.0f, 1.0f};
constexpr SPW_VECTOR kMarkerFront = {0.0f, -1.0f, 0.0f};  // the way a marker model faces

// The group of a formation order: up to 24 selected units of the human player, the leader
// first, the others by falling rank.
struct Group {
  VNUNIT* apUnits[VNUNITMAN_MAX_SELECTED];
  int32_t nCount;
};

int32_t RankOf(const VNUNIT* unit) { return vnUNIT_AttrInt(unit, VN_ATTR_RANK); }

void ListSelected(SGE_TASK* task, Group* group) {
  const int32_t n = SGE_Send(task, SGM_UNITMAN_LIST_SELECTED,
                             SGE_PtrParam(group->apUnits), VNUNITMAN_MAX_SELECTED);
  group->nCount = std::clamp(n, 0, VNUNITMAN_MAX_SELECTED);
}

// The leader is the unit whose id is the key, else the first of the highest rank.
void OrderGroup(Group* group, int32_t key) {
  VNUNIT** units = group->apUnits;
  VNUNIT** end = units + group->nCount;
  VNUNIT** keyed = std::find_if(
      units, end, [key](const VNUNIT* u) { return static_cast<int32_t>(u->dwId) == key; });
  std::stable_sort(units, end,
                   [](const VNUNIT* a, const VNUNIT* b) { return RankOf(a) > RankOf(b); });
  if (keyed != end) {
    // Sorting moved it: find it again and bring it to the front, the rest keeping their order.
    VNUNIT** it = std::find_if(
        units, end, [key](const VNUNIT* u) { return static_cast<int32_t>(u->dwId) == key; });
    std::rotate(units, it, it + 1);
  }
}

// The scene the markers live in: the running mission's, through its path network.
SPW_SCENE* MarkerScene() { return BSTAR_CurrentNetwork ? BSTAR_CurrentNetwork->pScene : nullptr; }

BSTAR_Node* RegionAt(const SPW_VECTOR* point) {
  if (!BSTAR_CurrentNetwork) return nullptr;
  return BSTAR_FindNodeAtPoint(BSTAR_CurrentNetwork, point);
}

// A segment sweep from `start` along `delta` for the unit; 1 and the end point when the sweep
// found a region, else 0.
int32_t SweepFrom(const VNUNIT* unit, const SPW_VECTOR* start, const SPW_VECTOR* delta,
                  SPW_VECTOR* out) {
  BSTAR_Node* region = RegionAt(start);
  if (!region) return 0;
  int32_t blocked = 0;
  return vnMOVER_SweepSegment(BSTAR_CurrentNetwork, region, vnFORMNODE_UnitLinkType(unit), start,
                              delta, out, &blocked, VNMOVER_SWEEP_WALLS_AND_GATES) != nullptr;
}

// The unit's dynamic object, as its controller answers SGM_UNIT_GET_OBJECT.
SPW_DOBJECT* UnitObject(const VNUNIT* unit) {
  return SGE_Ask<SPW_DOBJECT>(unit->pController, SGM_UNIT_GET_OBJECT, 0, 0);
}

bool DiffersInPlane(const SPW_VECTOR& a, const SPW_VECTOR& b) { return a.x != b.x || a.y != b.y; }

void ShowMarker(VNUNITMAN* ctx, int32_t which, const SPW_VECTOR& at, const SPW_QUAT& rot) {
  const SPW_TRANSFORM t = {at, rot, 1.0f};
  vnFORMNODE_Create(ctx, vnFORMNODE_MarkerSlot(ctx, which), &t);
}

// The formation named for a 302 or 307 order and its group; 0 when either is missing.
int32_t FormationGroup(SGE_TASK* task, const char* name, int32_t key, VNRANK_PROGRAM** outFormation,
                       Group* group) {
  *outFormation = name ? SGE_Ask<VNRANK_PROGRAM>(task, SGM_UNITMAN_FIND_FORMATION,
                                                       SGE_PtrParam(name), 0)
                       : nullptr;
  if (!*outFormation) return 0;
  ListSelected(task, group);
  if (group->nCount == 0) return 0;
  OrderGroup(group, key);
  return 1;
}

// One slot of a formation order: facing f and offset o turned by q, and the unit's spot.
struct SlotPlace {
  SPW_VECTOR vFacing;
  SPW_VECTOR vWanted;
  SPW_VECTOR vSpot;
};

SlotPlace PlaceSlot(const VNRANK_SLOT& slot, const SPW_QUAT& q, const VNUNIT* unit,
                    const SPW_VECTOR& origin) {
  SlotPlace p;
  SPW_VECTOR o;
  SPW_QuatRotateVector(&q, &slot.vFacing, &p.vFacing);
  SPW_QuatRotateVector(&q, &slot.vOffset, &o);
  p.vWanted = SPW_VAdd(origin, o);
  if (!SweepFrom(unit, &origin, &o, &p.vSpot)) p.vSpot = p.vWanted;
  return p;
}

}  // namespace

uint32_t vnFORMNODE_UnitLinkType(const VNUNIT* unit) {
  return unit->pMover ? static_cast<uint32_t>(SGE_Send(unit->pMover, SGM_MOVER_GET_LINK_TYPE, 0, 0))
                      : 0u;
}

SPW_QUAT* vnFORMNODE_TurnBetween(const SPW_VECTOR* from, const SPW_VECTOR* to, SPW_QUAT* out) {
  SPW_VECTOR a = *from;
  SPW_VECTOR b = *to;
  if (SPW_VecNormalise(&a) == 0.0f || SPW_VecNormalise(&b) == 0.0f) {
    *out = {0.0f, 0.0f, 0.0f, 1.0f};
    return out;
  }
  // About z for opposite directions, so that turning a formation round is a half turn and
  // not no turn at all.
  return SPW_QuatFromVectorsAxis(&a, &b, &kUp, out);
}

int32_t vnFORMNODE_LoadMarkerTypes(VNUNITMAN* ctx) {
  int32_t loaded = 0;
  for (int32_t i = 0; i < VNUNITMAN_FORMATION_MARKERS; ++i) {
    int32_t slot = SPW_NO_OBJECT_TYPE;
    ctx->apFormationTypes[i] = nullptr;
    if (!SPW_LoadObject(VNFORMNODE_MARKER_FILES[i], nullptr, &slot, 1.0f)) {
      PLAT_Trace("VNUNITMAN Couldnt load formation marker %s\n", VNFORMNODE_MARKER_FILES[i]);
      continue;
    }
    ctx->apFormationTypes[i] = SPW_GetObjectType(slot);
    ++loaded;
  }
  return loaded;
}

int32_t vnFORMNODE_MarkerSlot(const VNUNITMAN* ctx, int32_t which) {
  if (!ctx || which < 0 || which >= VNUNITMAN_FORMATION_MARKERS) return -1;
  const SPW_DOBJTYPE* type = ctx->apFormationTypes[which];
  if (!type || !SPW_ObjectTypes) return -1;
  return static_cast<int32_t>(type - SPW_ObjectTypes);
}

VNFORMNODE* vnFORMNODE_Create(VNUNITMAN* ctx, int32_t markerType, const SPW_TRANSFORM* t) {
  auto* node = static_cast<VNFORMNODE*>(SGE_MemCalloc(ctx->pBlock, sizeof(VNFORMNODE)));
  if (!node) return nullptr;
  SPW_SCENE* scene = MarkerScene();
  node->pObject = (scene && markerType >= 0)
                      ? SPW_CreateDynamicObject(scene, markerType, nullptr, 0, t, 0)
                      : nullptr;
  if (!node->pObject) {
    PLAT_Trace("VNUNITMAN Couldnt create formation node\n");
    SGE_MemFree(node);
    return nullptr;
  }
  SGE_ListAddTail(&ctx->formNodes, &node->link);
  return node;
}

void vnFORMNODE_Free(VNFORMNODE* node) {
  if (!node) return;
  if (node->link.pNext) SGE_ListUnlink(&node->link);
  if (node->pObject) SPW_DestroyDynamicObject(node->pObject);
  SGE_MemFree(node);
}

void vnFORMNODE_Clear(VNUNITMAN* ctx, SGE_TASK*) {
  while (auto* node = SGE_ListRecord<VNFORMNODE>(SGE_ListPopHead(&ctx->formNodes))) {
    node->link = {};
    vnFORMNODE_Free(node);
  }
}

void vnFORMNODE_SetTimer(VNUNITMAN* ctx, SGE_TASK* task, int32_t kind, int32_t clear) {
  if (ctx->pFormNodeTimer) {
    if (clear) vnFORMNODE_Clear(ctx, task);
    SGE_KillTimer(ctx->pFormNodeTimer);
    ctx->pFormNodeTimer = nullptr;
  }
  if (kind == VNFORMNODE_TIMER_FORMATION || kind == VNFORMNODE_TIMER_GROUP)
    ctx->pFormNodeTimer = SGE_AddTimer(task, VNFORMNODE_TIMER_MS, nullptr, SGE_TIMER_REPEAT);
}

int32_t vnFORMNODE_OnTimer(VNUNITMAN* ctx, SGE_TASK* task, SGE_TIMER* timer) {
  if (!timer || timer != ctx->pFormNodeTimer) return 0;
  vnFORMNODE_SetTimer(ctx, task, VNFORMNODE_TIMER_NONE, 1);
  vnRANK_EndTrail();
  return 1;
}

void vnFORMNODE_Reset(VNUNITMAN* ctx, SGE_TASK* task) {
  vnFORMNODE_SetTimer(ctx, task, VNFORMNODE_TIMER_NONE, 0);
  vnFORMNODE_Clear(ctx, task);
}

int32_t vnFORMNODE_PlaceFormation(VNUNITMAN*, SGE_TASK* task, const char* name, int32_t key,
                                  const SPW_VECTOR* point, const SPW_VECTOR* direction) {
  VNRANK_PROGRAM* formation = nullptr;
  Group group;
  if (!point || !direction || !FormationGroup(task, name, key, &formation, &group)) return 0;
  VNUNIT* leader = group.apUnits[0];
  leader->vPos = *point;
  if (formation->nCount == 0) return 1;
  SPW_QUAT q;
  vnFORMNODE_TurnBetween(&formation->pSlots[0].vFacing, direction, &q);
  const int32_t n = std::min(formation->nCount, group.nCount);
  for (int32_t i = 0; i < n; ++i) {
    VNUNIT* unit = group.apUnits[i];
    SlotPlace p = PlaceSlot(formation->pSlots[i], q, unit, leader->vPos);
    if (unit->pController)
      SGE_Send(unit->pController, SGM_UNIT_SET_POSITION_FACING,
               SGE_PtrParam(&p.vSpot), SGE_PtrParam(&p.vFacing));
  }
  return 1;
}

int32_t vnFORMNODE_ShowFormation(VNUNITMAN* ctx, SGE_TASK* task, const char* name, int32_t key,
                                 const SPW_VECTOR*, const SPW_VECTOR* direction) {
  VNRANK_PROGRAM* formation = nullptr;
  Group group;
  if (!direction || !FormationGroup(task, name, key, &formation, &group)) return 0;
  vnFORMNODE_SetTimer(ctx, task, VNFORMNODE_TIMER_FORMATION, 0);
  if (formation->nCount == 0) return 1;
  const SPW_VECTOR origin = group.apUnits[0]->vPos;
  SPW_QUAT q;
  vnFORMNODE_TurnBetween(&formation->pSlots[0].vFacing, direction, &q);
  const int32_t n = std::min(formation->nCount, group.nCount);
  for (int32_t i = 0; i < n; ++i) {
    VNUNIT* unit = group.apUnits[i];
    SlotPlace p = PlaceSlot(formation->pSlots[i], q, unit, origin);
    if (unit->pMover)
      SGE_Send(unit->pMover, SGM_MOVER_SET_FACING, SGE_PtrParam(&p.vFacing), 0);
    if (unit->pController)
      SGE_Send(unit->pController, SGM_UNIT_GOTO_POINT, SGE_PtrParam(&p.vSpot), 0);
    const int32_t which =
        VNFORMNODE_FIRST_PAIR +
        (DiffersInPlane(p.vSpot, p.vWanted) ? VNFORMNODE_STOPPED : VNFORMNODE_REACHED);
    SPW_QUAT rot;
    vnFORMNODE_TurnBetween(&kMarkerFront, &p.vFacing, &rot);
    SPW_VECTOR at = p.vWanted;
    at.z += unit->fRadius * 0.5f;
    ShowMarker(ctx, which, at, rot);
  }
  return 1;
}

int32_t vnFORMNODE_MoveGroup(VNUNITMAN* ctx, SGE_TASK* task, const SPW_VECTOR* point,
                             const VNUNIT* reference, int32_t msg) {
  Group group;
  if (!point) return 0;
  ListSelected(task, &group);
  if (group.nCount == 0) return 0;
  vnFORMNODE_SetTimer(ctx, task, VNFORMNODE_TIMER_GROUP, 0);
  VNUNIT** end = group.apUnits + group.nCount;
  SPW_VECTOR ref = {0.0f, 0.0f, 0.0f};
  if (reference && std::find(group.apUnits, end, reference) != end) {
    ref = reference->vPos;
  } else {
    for (const VNUNIT* u : std::span(group.apUnits, group.nCount)) ref = SPW_VAdd(ref, u->vPos);
    const float inv = 1.0f / static_cast<float>(group.nCount);
    ref = {ref.x * inv, ref.y * inv, ref.z * inv};
  }
  for (VNUNIT* unit : std::span(group.apUnits, group.nCount)) {
    const SPW_VECTOR offset = SPW_VSub(unit->vPos, ref);
    const SPW_VECTOR wanted = SPW_VAdd(*point, offset);
    SPW_VECTOR dest;
    if (!SweepFrom(unit, point, &offset, &dest)) dest = *point;
    if (unit->pMover) SGE_Send(unit->pMover, SGM_MOVER_CLEAR_FACING, 0, 0);
    if (!unit->pController) continue;
    SGE_Send(unit->pController, msg, SGE_PtrParam(&dest), 0);
    SPW_DOBJECT* object = UnitObject(unit);
    if (!object) continue;
    const int32_t which = VNFORMNODE_SECOND_PAIR +
                          (DiffersInPlane(dest, wanted) ? VNFORMNODE_STOPPED : VNFORMNODE_REACHED);
    SPW_VECTOR at = wanted;
    at.z += unit->fRadius * 0.5f;
    ShowMarker(ctx, which, at, object->t.qRot);
  }
  return 1;
}
