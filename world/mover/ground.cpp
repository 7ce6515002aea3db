// The ground mover (VNTT_VEHICLE_MOVER): plans a route over the path network's regions and
// follows it gate by gate, sweeping the unit's disc through the network at every move.
#include <cmath>

#include "engine/collide/collide.h"
#include "engine/dobject/dobject.h"
#include "engine/feature/feature.h"
#include "engine/kernel/frametime.h"
#include "engine/terrain/terrain.h"
#include "platform/random.h"
#include "world/bstar/bstar.h"
#include "world/bstar/search.h"
#include "world/mover/internal.h"
#include "world/unitman/unitman.h"

namespace {

constexpr uint32_t kDefaultLinkType = 1;
// Link types from 8 up are not gate types; they fall back to this one.
constexpr uint32_t kFirstBadLinkType = 8;
constexpr uint32_t kFallbackLinkType = 4;
constexpr int32_t kMaxLookAhead = 10;
constexpr int32_t kDefaultLookAhead = 3;
// Random points: picks made when the nearest of several is wanted.
constexpr int32_t kRandomPicks = 5;
// Feature surfaces are looked for from this far above the terrain.
constexpr float kFeatureProbeHeight = 1000.0f;
// A gate point the disc sweep gets this close to (or within its radius of) counts as reached.
constexpr float kReachSlack = 0.1f;

float Distance2D(const SPW_VECTOR& a, const SPW_VECTOR& b) {
  return std::hypot(a.x - b.x, a.y - b.y);
}

BSTAR_Network* Network(const VNMOVER_GROUND* g) { return vnMOVER_Network(g->pRecord); }
BSTAR_SearchSpace* Search(const VNMOVER_GROUND* g) { return g->pRecord->pPlanner->pSearch; }

// The mover was destroyed by the one it told: its record went back to the pool.
bool Gone(const VNMOVER_RECORD* r, const SGE_TASK* task) { return r->pOwner != task; }

void DropPath(VNMOVER_GROUND* g) {
  if (g->pRecord && Search(g)) BSTAR_FreePath(Search(g), &g->path);
  g->bActive = 0;
  g->bPlanned = 0;
}

void Stop(VNMOVER_GROUND* g) {
  VNMOVER_RECORD* r = g->pRecord;
  r->vVel = {};
  DropPath(g);
  g->vTarget = r->vPos;
}

uint32_t SweepMask(const VNMOVER_RECORD* r) {
  return r->pRegion && (r->pRegion->dwFlags & BSTAR_NODE_USERMARK) ? VNMOVER_SWEEP_WALLS
                                                                   : VNMOVER_SWEEP_WALLS_AND_GATES;
}

BSTAR_PATHCELL* FindCell(VNMOVER_GROUND* g, const BSTAR_Node* region) {
  for (BSTAR_PATHCELL* c : SGE_ListRecords<BSTAR_PATHCELL>(&g->path))
    if (c->pRegion == region) return c;
  return nullptr;
}

// Becomes the region at the point, telling whoever listens; the gate notification when the
// region is the next one of the path.
void Enter(VNMOVER_GROUND* g, BSTAR_Node* region) {
  VNMOVER_RECORD* r = g->pRecord;
  if (region == r->pRegion) return;
  const bool onPath = g->bActive && region && FindCell(g, region);
  vnMOVER_ChangeRegion(r, region);
  if (onPath && r->pRegion == region)
    vnMOVER_Notify(r, SGM_MOVER_GATE, SGE_PtrParam(r),
                   SGE_PtrParam(region));
}

// --- Positions -------------------------------------------------------------------------------

int32_t SetPosition(VNMOVER_GROUND* g, const SPW_VECTOR* pos, const SPW_VECTOR* dir, bool move) {
  if (!vnMOVER_Place(g->pRecord, pos, dir, move)) return 0;
  Enter(g, BSTAR_FindNodeNear(Network(g), g->pRecord->pRegion, pos));
  return 1;
}

// --- Planning --------------------------------------------------------------------------------

int32_t Plan(VNMOVER_GROUND* g, const SPW_VECTOR* target) {
  VNMOVER_RECORD* r = g->pRecord;
  BSTAR_Network* network = Network(g);
  if (!network || !Search(g)) return 0;
  if (!r->pRegion) Enter(g, BSTAR_FindNodeAtPoint(network, &r->vPos));
  BSTAR_Node* goal = BSTAR_FindNodeAtPoint(network, target);
  DropPath(g);
  if (!r->pRegion || !goal) return 0;
  if (!BSTAR_FindPath(Search(g), r->pRegion, goal, &g->path, g->dwLinkType, &r->vPos, target,
                      r->fRadius))
    return 0;
  g->vTarget = *target;
  g->bActive = 1;
  g->bPlanned = 1;
  return 1;
}

int32_t GoTo(VNMOVER_GROUND* g, const SPW_VECTOR* point) {
  if (!point) return 0;
  const SPW_VECTOR& t = g->vTarget;
  if (g->bActive && t.x == point->x && t.y == point->y && t.z == point->z) return 1;
  if (Plan(g, point)) return 1;
  Stop(g);
  return 0;
}

// --- Path following --------------------------------------------------------------------------

// The disc gets from the position to the gate point.
bool Reaches(VNMOVER_GROUND* g, const SPW_VECTOR& point) {
  VNMOVER_RECORD* r = g->pRecord;
  SPW_VECTOR reached;
  vnMOVER_SweepDisc(Network(g), r->pRegion, r->fRadius, g->dwLinkType, &r->vPos, &point, &r->vVel,
                    &reached, nullptr, nullptr, SweepMask(r));
  return Distance2D(reached, point) <= std::fmax(r->fRadius, kReachSlack);
}

struct Aim {
  bool found = false;    // a gate far enough away to aim at
  bool anyGate = false;  // the last gate looked at (all were near)
  bool atEnd = false;    // the look-ahead reached the path's last region
  bool blocked = false;
  SPW_VECTOR point{};
};

// The crossing point of the gate from a into b, level with the unit.
bool Crossing(VNMOVER_GROUND* g, BSTAR_PATHCELL* a, BSTAR_PATHCELL* b, SPW_VECTOR* out) {
  VNMOVER_RECORD* r = g->pRecord;
  const bool last = !BSTAR_PathNext(&g->path, b);
  const int32_t ok = last ? BSTAR_GateCrossingPointTo(Network(g), a->pRegion, b->pRegion, &r->vPos,
                                                      &g->vTarget, r->fRadius, out, nullptr)
                          : BSTAR_GateCrossingPoint(Network(g), a->pRegion, b->pRegion, &r->vPos,
                                                    r->fRadius, out, nullptr);
  out->z = r->vPos.z;
  return ok != 0;
}

// The gates ahead, up to the look-ahead count, as far as the disc reaches their points from
// where it stands: the first one far enough away is the aim.
Aim LookAhead(VNMOVER_GROUND* g, BSTAR_PATHCELL* cell, bool firstMustReach) {
  VNMOVER_RECORD* r = g->pRecord;
  Aim aim;
  const int32_t count = g->nLookAhead > 0 ? g->nLookAhead : 1;
  for (int32_t k = 0; k < count; ++k) {
    BSTAR_PATHCELL* next = BSTAR_PathNext(&g->path, cell);
    if (!next) {
      aim.atEnd = true;
      return aim;
    }
    SPW_VECTOR point;
    if (!Crossing(g, cell, next, &point)) {
      aim.blocked = k == 0;
      return aim;
    }
    // A first gate out of reach blocks the path (unless the path was just planned: then the
    // disc slides there); a later one ends the look-ahead.
    if (!Reaches(g, point) && (k > 0 || firstMustReach)) {
      aim.blocked = k == 0;
      return aim;
    }
    aim.anyGate = true;
    aim.point = point;
    if (Distance2D(r->vPos, point) >= r->fGateReach) {
      aim.found = true;
      return aim;
    }
    cell = next;
  }
  aim.atEnd = !BSTAR_PathNext(&g->path, cell);
  return aim;
}

// Steers along the path; false when the mover told its parent of its arrival.
bool FollowPath(VNMOVER_GROUND* g, float dt) {
  VNMOVER_RECORD* r = g->pRecord;
  BSTAR_PATHCELL* cell = FindCell(g, r->pRegion);
  bool planned = false;
  if (!cell) {
    if (!Plan(g, &g->vTarget)) {
      Stop(g);
      return true;
    }
    planned = true;
    cell = FindCell(g, r->pRegion);
  }
  Aim aim = LookAhead(g, cell, !planned);
  if (aim.blocked && !planned) {
    // A fresh route, followed as it comes: when it is the same one the disc slides to the gate.
    if (!Plan(g, &g->vTarget)) {
      Stop(g);
      return true;
    }
    aim = LookAhead(g, FindCell(g, r->pRegion), false);
  }
  if (aim.blocked) {
    Stop(g);
    return true;
  }
  if (aim.found || (aim.anyGate && !aim.atEnd)) {
    vnMOVER_SteerTo(r, &aim.point, dt);
    return true;
  }
  if (Distance2D(r->vPos, g->vTarget) >= r->fArrival) {
    vnMOVER_SteerTo(r, &g->vTarget, dt);
    return true;
  }
  Stop(g);
  vnMOVER_Notify(r, SGM_MOVER_ARRIVED, SGE_PtrParam(r), 0);
  return false;
}

// --- Moving ----------------------------------------------------------------------------------

void Move(VNMOVER_GROUND* g, float dt, bool avoid) {
  VNMOVER_RECORD* r = g->pRecord;
  SPW_VECTOR push{};
  if (avoid) vnMOVER_Avoid(r, &push);
  const SPW_VECTOR end{r->vPos.x + r->vVel.x * dt + push.x, r->vPos.y + r->vVel.y * dt + push.y,
                       r->vPos.z + r->vVel.z * dt + push.z};
  r->vPrevPos = r->vPos;
  if (end.x == r->vPos.x && end.y == r->vPos.y && end.z == r->vPos.z) return;
  SPW_VECTOR point, vel;
  BSTAR_Node* region =
      vnMOVER_SweepDisc(Network(g), r->pRegion, r->fRadius, g->dwLinkType, &r->vPos, &end, &r->vVel,
                        &point, &vel, nullptr, SweepMask(r));
  r->vPos = point;
  r->vVel = vel;
  Enter(g, region);
}

// Out of a marked region: its links closed, the unit walks straight to its nearest gate.
void Escape(VNMOVER_GROUND* g, float dt) {
  VNMOVER_RECORD* r = g->pRecord;
  BSTAR_Network* network = Network(g);
  BSTAR_Node* region = r->pRegion;
  BSTAR_SetNodeLinksEnabled(network, region, 0);
  const uint32_t oldMask = BSTAR_SetGateMask(VNMOVER_SWEEP_WALLS);
  bool found = false;
  SPW_VECTOR best{};
  float bestSq = 0.0f;
  for (const BSTAR_LINKCELL* cell : BSTAR_LinkCells(&region->lLinks)) {
    const BSTAR_Link* link = cell->pLink;
    const BSTAR_Node* other = BSTAR_LinkOther(link, region);
    if (BSTAR_NodeKind(other) != BSTAR_KIND_REGION || link->dwType > g->dwLinkType) continue;
    SPW_VECTOR point;
    float sq;
    if (BSTAR_GateCrossingPoint(network, region, other, &r->vPos, r->fRadius, &point, &sq) &&
        (!found || sq < bestSq)) {
      found = true;
      best = point;
      bestSq = sq;
    }
  }
  r->vVel = {};
  if (found) {
    SPW_VECTOR dir{best.x - r->vPos.x, best.y - r->vPos.y, 0.0f};
    if (SPW_VecNormalise(&dir) > 0.0f) {
      const float step = r->fMaxSpeed * dt;
      const SPW_VECTOR end{r->vPos.x + dir.x * step, r->vPos.y + dir.y * step, r->vPos.z};
      SPW_VECTOR point;
      BSTAR_Node* next =
          vnMOVER_SweepDisc(network, region, r->fRadius, g->dwLinkType, &r->vPos, &end, &r->vVel,
                            &point, nullptr, nullptr, VNMOVER_SWEEP_WALLS);
      r->vPrevPos = r->vPos;
      r->vPos = point;
      Enter(g, next);
    }
  }
  BSTAR_SetGateMask(oldMask);
}

void TurnToFacing(VNMOVER_GROUND* g, float dt) {
  VNMOVER_RECORD* r = g->pRecord;
  const float speed = vnMOVER_Length(r->vVel);
  vnMOVER_TurnHeading(r, &g->vFacing, dt * r->fTurnRate);
  r->vVel = {r->vHeading.x * speed, r->vHeading.y * speed, r->vHeading.z * speed};
}

// One sub-step; false when the mover must not be touched again this frame.
bool Pass(SGE_TASK* task, VNMOVER_GROUND* g, float dt) {
  VNMOVER_RECORD* r = g->pRecord;
  const uint32_t effects = vnMOVER_RunRequests(r, dt);
  if (Gone(r, task)) return false;
  if (r->pRegion && (r->pRegion->dwFlags & BSTAR_NODE_USERMARK)) {
    Escape(g, dt);
    return !Gone(r, task);
  }
  if (!effects) {
    if (g->bActive) {
      if (!FollowPath(g, dt)) return false;
    } else if (g->bFacing) {
      TurnToFacing(g, dt);
    }
  }
  Move(g, dt, true);
  return !Gone(r, task);
}

// The ground under the point: the terrain there, raised to the highest surface of the current
// region's feature objects. False off the terrain.
bool GroundUnder(const VNMOVER_GROUND* g, SPW_VECTOR* point) {
  const VNMOVER_RECORD* r = g->pRecord;
  if (!SPW_GetTerrainHeight(r->pPlanner->pScene, point)) return false;
  if (const BSTAR_FEATURELIST* list = r->pRegion ? r->pRegion->pFeatures : nullptr) {
    const SPW_VECTOR start{point->x, point->y, point->z + kFeatureProbeHeight};
    const SPW_VECTOR down{0.0f, 0.0f, -1.0f};
    for (int32_t i = 0; i < list->nCount; ++i) {
      auto* item = static_cast<SPW_FEATUREINST*>(list->aBinding[i].pFeature);
      float best = SPW_COLLIDE_FAR;
      SPW_VECTOR hit;
      // Ignored items (flag bit 2) are refused by the object test itself.
      if (item &&
          SPW_CollideObject(item, &start, &down, 2.0f * kFeatureProbeHeight, &hit, &best,
                            nullptr) &&
          hit.z > point->z)
        point->z = hit.z;
    }
  }
  return true;
}

// The unit's body goes where the step took the unit, standing on the ground there: its
// controller reads it back as the unit's place. A body the controller holds off the ground (in
// the air, in a seat, dead) stays where the controller put it.
void CarryBody(VNMOVER_GROUND* g) {
  const VNMOVER_RECORD* r = g->pRecord;
  if (r->dwFlags & VNMOVER_F_LIFTED) return;

  // Units, and controllers that answer for them, live under a unit manager.
  SGE_TASK* controller = r->pOwner && vnUNITMAN_Get() ? r->pOwner->pParent : nullptr;
  VNUNIT* unit = controller ? SGE_Ask<VNUNIT>(controller, SGM_UNIT_GET_UNIT, 0, 0) : nullptr;
  SPW_DOBJECT* body = unit && unit->pMove == r ? vnUNIT_FirstObject(unit) : nullptr;
  if (!body) return;
  SPW_VECTOR at = r->vPos;
  GroundUnder(g, &at);
  body->t.vPos = at;
}

int32_t Step(SGE_TASK* task, VNMOVER_GROUND* g) {
  VNMOVER_RECORD* r = g->pRecord;
  if (r->nSteps > 0) --r->nSteps;
  if (!r->pRegion) {
    BSTAR_Node* region = BSTAR_FindNodeAtPoint(Network(g), &r->vPos);
    if (!region) return 0;
    Enter(g, region);
    if (Gone(r, task)) return 0;
  }
  float left = SGE_GetFrameDelta();
  for (float dt = vnMOVER_NextSubStep(left); dt > 0.0f; dt = vnMOVER_NextSubStep(left)) {
    left -= dt;
    if (!Pass(task, g, dt)) break;
  }
  if (!Gone(r, task)) CarryBody(g);
  return 1;
}

// --- Queries ---------------------------------------------------------------------------------

int32_t GroundHeight(VNMOVER_GROUND* g, SGE_PARAM wantSurface) {
  VNMOVER_RECORD* r = g->pRecord;
  SPW_VECTOR ground = r->vPos;
  if (!GroundUnder(g, &ground)) return 0;
  r->vPos.z = ground.z;
  if (wantSurface) {
    SPW_VECTOR normal{0.0f, 0.0f, 1.0f};
    SPW_VECTOR terrain = r->vPos;
    SPW_GetTerrainHeightNormal(r->pPlanner->pScene, &terrain, &normal);
    g->vSurface = normal;
  }
  return 1;
}

const float* RandomPoint(VNMOVER_GROUND* g, SGE_PARAM nearest, const SPW_VECTOR* to) {
  const VNMOVER_PLANNER* planner = g->pRecord->pPlanner;
  if (planner->nPoints <= 0) return nullptr;
  const float* pick = planner->pPoints + 3 * (PLAT_Rand() % planner->nPoints);
  if (nearest && to) {
    float bestSq = -1.0f;
    for (int32_t i = 0; i < kRandomPicks; ++i) {
      const float* p = i == 0 ? pick : planner->pPoints + 3 * (PLAT_Rand() % planner->nPoints);
      const float dx = p[0] - to->x, dy = p[1] - to->y, dz = p[2] - to->z;
      const float sq = dx * dx + dy * dy + dz * dz;
      if (bestSq < 0.0f || sq < bestSq) {
        bestSq = sq;
        pick = p;
      }
    }
  }
  return pick;
}

// Debug: the mean red, green and blue bytes of the region's junction words, each over 3.
int32_t RegionColour(VNMOVER_GROUND* g, float* out) {
  const BSTAR_Node* region = g->pRecord->pRegion;
  BSTAR_Network* network = Network(g);
  if (!region || !network || !network->pJunctions || region->nOutlineCount <= 0 || !out) return 0;
  float sum[3] = {};
  for (int32_t i = 0; i < region->nOutlineCount; ++i) {
    const uint32_t w = network->pJunctions[region->nOutlineFirst + i];
    sum[0] += static_cast<float>((w >> 16) & 0xFF);
    sum[1] += static_cast<float>((w >> 8) & 0xFF);
    sum[2] += static_cast<float>(w & 0xFF);
  }
  for (int32_t c = 0; c < 3; ++c)
    out[c] = sum[c] / static_cast<float>(region->nOutlineCount) / 3.0f;
  return 1;
}

// --- Settings --------------------------------------------------------------------------------

int32_t SetLinkType(VNMOVER_GROUND* g, SGE_PARAM type) {
  const auto old = static_cast<int32_t>(g->dwLinkType);
  auto t = static_cast<uint32_t>(type);
  g->dwLinkType = t >= kFirstBadLinkType ? kFallbackLinkType : t;
  return old;
}

int32_t SetLookAhead(VNMOVER_GROUND* g, SGE_PARAM count) {
  const int32_t old = g->nLookAhead;
  g->nLookAhead = count < 0               ? 0
                  : count > kMaxLookAhead ? kMaxLookAhead
                                          : static_cast<int32_t>(count);
  return old;
}

int32_t SetFacing(VNMOVER_GROUND* g, const SPW_VECTOR* dir) {
  if (!dir) return 0;
  SPW_VECTOR facing{dir->x, dir->y, 0.0f};
  if (SPW_VecNormalise(&facing) <= 0.0f) return 0;
  g->vFacing = facing;
  g->bFacing = 1;
  return 1;
}

// --- Life ------------------------------------------------------------------------------------

int32_t Create(SGE_TASK* task, VNMOVER_GROUND* g, const VNMOVER_CREATE* create) {
  if (g->pRecord) return 1;
  VNMOVER_RECORD* r = vnMOVER_Start(task, &g->pRecord, create);
  if (!r) return 0;
  g->dwLinkType = kDefaultLinkType;
  g->nLookAhead = kDefaultLookAhead;
  g->vTarget = r->vPos;
  SGE_Send(task, SGM_MOVER_SET_POSITION, SGE_PtrParam(&create->vPos), 0);
  return 1;
}

void Destroy(VNMOVER_GROUND* g) {
  if (!g->pRecord) return;
  DropPath(g);
  vnMOVER_ReturnRecord(g->pRecord);
  g->pRecord = nullptr;
}

}  // namespace

SGE_RESULT vnMOVER_GroundHandler(SGE_TASK* task, SGE_DATAREF* data, int32_t msg, SGE_PARAM p1,
                                 SGE_PARAM p2) {
  auto* g = SGE_TaskData<VNMOVER_GROUND>(task);
  if (!g) return SGE_DefaultTaskHandler(task, data, msg, p1, p2);
  switch (msg) {
    case SGM_TASK_CREATE:
      SGE_ListInit(&g->path);
      return Create(task, g, SGE_ParamPtr<const VNMOVER_CREATE>(p1));
    case SGM_TASK_DESTROY:
      Destroy(g);
      return SGE_DefaultTaskHandler(task, data, msg, p1, p2);
    case SGM_MOVER_GET_RECORD:
      Create(task, g, SGE_ParamPtr<const VNMOVER_CREATE>(p1));
      return SGE_PtrResult(g->pRecord);
    default:
      break;
  }
  // Without a movement record the mover is inert.
  if (!g->pRecord) return 0;
  switch (msg) {
    case SGM_MOVER_SET_POSITION:
      return SetPosition(g, SGE_ParamPtr<const SPW_VECTOR>(p1), SGE_ParamPtr<const SPW_VECTOR>(p2),
                         false);
    case SGM_MOVER_MOVE_TO:
      return SetPosition(g, SGE_ParamPtr<const SPW_VECTOR>(p1), SGE_ParamPtr<const SPW_VECTOR>(p2),
                         true);
    case SGM_MOVER_GOTO:
      return GoTo(g, SGE_ParamPtr<const SPW_VECTOR>(p1));
    case SGM_MOVER_STOP:
      Stop(g);
      return 1;
    case SGM_MOVER_GET_STATE_RECORD:
      return SGE_PtrResult(&g->vSurface);
    case SGM_MOVER_STEP:
      return Step(task, g);
    case SGM_MOVER_GROUND_HEIGHT:
      return GroundHeight(g, p1);
    case SGM_MOVER_RANDOM_POINT:
      return SGE_PtrResult(RandomPoint(g, p1, SGE_ParamPtr<const SPW_VECTOR>(p2)));
    case SGM_MOVER_CLEAR_FACING:
      g->bFacing = 0;
      return 1;
    case SGM_MOVER_SET_FACING:
      return SetFacing(g, SGE_ParamPtr<const SPW_VECTOR>(p1));
    case SGM_MOVER_SET_LINK_TYPE:
      return SetLinkType(g, p1);
    case SGM_MOVER_GET_LINK_TYPE:
      return static_cast<int32_t>(g->dwLinkType);
    case SGM_MOVER_SET_LOOKAHEAD:
      return SetLookAhead(g, p1);
    case SGM_MOVER_GET_LOOKAHEAD:
      return g->nLookAhead;
    case SGM_MOVER_SET_COUNT: {
      const int32_t old = g->nCount;
      g->nCount = static_cast<int32_t>(p1);
      return old;
    }
    case SGM_MOVER_GET_COUNT:
      return g->nCount;
    case SGM_MOVER_REGION_COLOUR:
      return RegionColour(g, SGE_ParamPtr<float>(p1));
    case SGM_MOVER_REGION_RECORD:
      return SGE_PtrResult(g->pRecord->pRegion);
    default:
      return SGE_DefaultTaskHandler(task, data, msg, p1, p2);
  }
}
