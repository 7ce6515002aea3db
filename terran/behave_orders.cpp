// The zombies' own frame: they know fewer orders than the living and fight whatever they meet,
// going back to their last foe or on along their route when nothing is in sight.
#include "engine/dobject/dobject.h"
#include "engine/kernel/frametime.h"
#include "terran/behave.h"
#include "terran/movement.h"
#include "terran/orders.h"
#include "terran/unitfx.h"
#include "terran/update.h"
#include "world/mover/mover.h"

namespace {

// A waypoint this near counts as reached; the mover is asked this often for the next one.
constexpr float kWaypointReached = 5.0f;
constexpr int32_t kWaypointTries = 10;

void Both(VNTERUNIT* s, int32_t state) { s->lowerState = s->upperState = state; }

bool HitOrDead(const VNTERUNIT* s) {
  return vnTERUNIT_HitReaction(s) || vnTERUNIT_IsDying(s);
}

void GoTo(VNTERUNIT* s, const SPW_VECTOR& point) {
  vnTERUNIT_SendMover(s, SGM_MOVER_GOTO, SGE_PtrParam(&point));
}

// No order: fight what is in sight, else go back to the last foe, else walk the route.
void Roam(SGE_TASK* task, VNTERUNIT* s) {
  float distance2 = 0.0f;
  int32_t inRange = 0;
  VNUNIT* target = vnTERUNIT_ChooseTarget(s, &distance2, &inRange);
  if (target && !vnTERUNIT_HitReaction(s)) {
    GoTo(s, target->vPos);
    Both(s, VN_TERUNIT_LOWER_RUNNING);
    vnTERUNIT_AttackUnit(task, s, target, &s->aimCache, inRange);
    s->engagedId = static_cast<int32_t>(target->dwId);
    return;
  }
  if (VNUNIT* foe = vnUNITMAN_GetUnit(static_cast<uint32_t>(s->engagedId))) {
    GoTo(s, foe->vPos);
    return;
  }
  SPW_VECTOR waypoint;
  const SPW_VECTOR here = s->model ? s->model->t.vPos : s->unit->vPos;
  if (vnTERUNIT_CurrentWaypoint(s, &waypoint) &&
      vnTERUNIT_Distance2D(here, waypoint) >= kWaypointReached)
    return;
  for (int32_t i = 0; i < kWaypointTries; ++i) {
    const auto* next = reinterpret_cast<const SPW_VECTOR*>(
        vnTERUNIT_SendMover(s, SGM_MOVER_RANDOM_POINT, 1));
    if (!next) continue;
    GoTo(s, *next);
    break;
  }
}

// A timed wait counts its seconds down; 1 when it is over.
bool WaitOver(VNORDER* order) {
  if (!order->anWord[VNTERUNIT_ORDER_WORD_STARTED]) return false;
  const float left = vnTERUNIT_OrderFloat(order, VNTERUNIT_ORDER_WORD_VALUE) - SGE_GetFrameTime();
  vnTERUNIT_SetOrderFloat(order, VNTERUNIT_ORDER_WORD_VALUE, left);
  return left <= 0.0f;
}

}  // namespace

int32_t vnTERUNIT_RunOrders(SGE_PARAM, SGE_PARAM, SGE_TASK* task, VNTERUNIT* s) {
  VNORDER* order = vnORDER_Current(s->unit);
  if (!order) return 0;
  if (s->trackPrevStates) {
    s->prevLowerState = s->lowerState;
    s->prevUpperState = s->upperState;
  }
  vnTERUNIT_ShowAttackers(s);
  if (s->stateFlags & VNTERUNIT_SF_ATTACKERS) vnTERUNIT_PruneAttackers(s);
  const float dt = SGE_GetFrameTime();
  s->sinceShot += dt;
  if (s->retargetTimer > 0.0f) s->retargetTimer -= dt;
  if (HitOrDead(s)) return 0;
  if (s->stateFlags & VNTERUNIT_SF_BREATH_PUFFS) vnFX_BreathPuff(s);
  const int32_t kind = vnTERUNIT_OrderKind(order);
  if (kind != VNTERUNIT_ORDER_NONE) s->idleTime = 0.0f;
  bool ends = vnTERUNIT_OrderIsDone(order) != 0;
  switch (kind) {
    case VNTERUNIT_ORDER_NONE:
      Roam(task, s);
      ends = true;
      break;
    case VNTERUNIT_ORDER_HOLD_FIRE_AT_WILL: {
      Both(s, VN_TERUNIT_LOWER_IDLE);
      vnTERUNIT_SendMover(s, SGM_MOVER_STOP);
      float distance2 = 0.0f;
      int32_t inRange = 0;
      if (VNUNIT* target = vnTERUNIT_ChooseTarget(s, &distance2, &inRange))
        vnTERUNIT_AttackUnit(task, s, target, &s->aimCache, 1);
      break;
    }
    case VNTERUNIT_ORDER_TURRET:
      // The turret order walks, seats, aims and pops itself.
      return vnTERUNIT_RunTurret(task, s, order);
    case VNTERUNIT_ORDER_WAIT:
      Both(s, VN_TERUNIT_LOWER_IDLE);
      ends = ends || WaitOver(order);
      break;
    case VNTERUNIT_ORDER_STAND:
      Both(s, VN_TERUNIT_LOWER_IDLE);
      break;
    default:
      ends = true;  // orders a zombie does not know
      break;
  }
  if (!ends) return 0;
  vnORDER_Pop(s->unit);
  return 1;
}
