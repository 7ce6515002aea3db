// Aiming: the upper body toward a target within its cone, a manned twin gun toward the nearest
// enemy it can see, a lobbed shot's arc, and points set down on the ground.
#include <cmath>

#include "effects/smoketrail.h"
#include "engine/collide/collide.h"
#include "engine/dobject/dobject.h"
#include "engine/kernel/frametime.h"
#include "engine/math/vecops.h"
#include "engine/terrain/terrain.h"
#include "missions/control/misscont.h"
#include "terran/behave.h"
#include "terran/movement.h"
#include "terran/orders.h"
#include "world/fobj/twingun.h"
#include "world/mover/mover.h"
#include "world/unittype/attributes.h"
#include "world/unittype/unittype.h"

namespace {

constexpr float kPi = 3.14159265f;
constexpr float kTwoPi = 6.2831855f;
// The torso turns at most this fast (radians a second); the pitch toward a given height at most
// this much a call.
constexpr float kYawRate = 5.0f;
constexpr float kPitchStep = 0.05f;
// Outside this share of the cone the whole body turns with the torso.
constexpr float kBodyTurnCone = 1.8f;
// A gun within a degree of its target locks on.
constexpr float kLockOn = 0.017453292f;
// Below this share of the frame's turn the gun holds still.
constexpr float kLeastTurn = 0.0001f;
// The drop ray starts this high above the terrain and reaches this far down.
constexpr float kDropFrom = 4.0f, kDropReach = 1000.0f;

float Wrap(float a) {
  while (a > kPi) a -= kTwoPi;
  while (a < -kPi) a += kTwoPi;
  return a;
}

float Clamp(float v, float limit, int32_t* hit) {
  if (v > limit) return *hit = 1, limit;
  if (v < -limit) return *hit = 1, -limit;
  return v;
}

// The arc's colours: start and end pairs, red for a lob that falls short.
constexpr uint32_t kGreyArc[4] = {0xff808080, 0xffe1e1e1, 0xff6464cd, 0xffc4c4c4};
constexpr uint32_t kRedArc[4] = {0xffcd0000, 0xffff0000, 0xff0000cd, 0xffff0000};

}  // namespace

int32_t vnTERUNIT_AimUpperBody(SPW_VECTOR* angles, const SPW_VECTOR& facing,
                               const SPW_VECTOR& toTarget, const float* targetPitch,
                               float pitchLimit, float coneCosine, VNTERUNIT_AIMOUT* out) {
  *out = {};
  const float flat = std::hypot(toTarget.x, toTarget.y);
  if (targetPitch) {
    const float gap = *targetPitch - angles->x;
    angles->x += std::fmax(-kPitchStep, std::fmin(kPitchStep, gap));
  } else {
    angles->x = std::atan2(toTarget.z, flat);
  }
  angles->x = Clamp(angles->x, pitchLimit, &out->pitchLimited);

  const float facingLength = std::hypot(facing.x, facing.y);
  if (!(flat > 0.0f) || !(facingLength > 0.0f)) return 1;
  const float c = (facing.x * toTarget.x + facing.y * toTarget.y) / (flat * facingLength);
  const float wanted = Wrap(std::atan2(toTarget.y, toTarget.x) - std::atan2(facing.y, facing.x));
  const float most = kYawRate * SGE_GetFrameTime();
  const float step = std::fmax(-most, std::fmin(most, Wrap(wanted - angles->z)));
  if (c >= coneCosine)
    angles->z += step;
  else
    out->outsideCone = 1;
  if (c < kBodyTurnCone * coneCosine) out->bodyTurn = step;
  return out->outsideCone ? 0 : 1;
}

namespace {

struct TURRET_SEARCH {
  const VNTERUNIT* s;
  uint32_t enemies;
  VNUNIT* turret;
  VNUNIT* best;
  float bestDistance2;
};

float ThreatWeight(const VNUNIT* unit) {
  const float* v = unit->pController ? SGE_Ask<float>(unit->pController, SGM_UNIT_GET_SCALE, 0, 0)
                                     : nullptr;
  return v ? *v : 1.0f;
}

SPW_VECTOR AimPointOf(const VNUNIT* unit) {
  SPW_VECTOR at = unit->vPos;
  vnTERUNIT_SendUnit(unit, SGM_UNIT_GET_LOCATOR, SGE_PtrParam(&at));
  return at;
}

int32_t ConsiderTarget(VNUNIT* unit, SGE_PARAM user) {
  auto* k = SGE_ParamPtr<TURRET_SEARCH>(user);
  if (!(unit->dwPlayer & k->enemies) || vnUNITTYPE_IsSceneryProp(unit->nType) ||
      vnUNIT_IsDeadUnit(unit))
    return 1;
  const VNUNIT* self = k->s->unit;
  const float d2 = SPW_VecDistSq(&self->vPos, &unit->vPos);
  const float reach = vnUNIT_AttrFloat(self, VN_ATTR_RANGE) * ThreatWeight(unit);
  if (d2 <= 1.0f || d2 >= reach * reach || d2 >= k->bestDistance2) return 1;
  const SPW_VECTOR at = AimPointOf(unit);
  if (!vnTERUNIT_SendUnit(k->turret, SGM_TWINGUN_CAN_SEE, SGE_PtrParam(&at))) return 1;
  k->best = unit;
  k->bestDistance2 = d2;
  return 1;
}

// The gunner stays in the seat and his torso follows the gun.
void KeepSeat(VNTERUNIT* s, VNUNIT* turret) {
  SPW_VECTOR seat = s->unit->vPos, direction{};
  float angle = 0.0f;
  if (vnTERUNIT_SendUnit(turret, SGM_TWINGUN_MOUNT_POINT, SGE_PtrParam(&seat)))
    vnTERUNIT_SendMover(s, SGM_MOVER_SET_POSITION, SGE_PtrParam(&seat));
  if (vnTERUNIT_SendUnit(turret, SGM_TWINGUN_SEAT_DIRECTION, SGE_PtrParam(&direction)))
    vnTERUNIT_SendMover(s, SGM_MOVER_SET_FACING, SGE_PtrParam(&direction));
  vnTERUNIT_SendMover(s, SGM_MOVER_STEP);
  if (s->model && vnTERUNIT_SendUnit(turret, SGM_TWINGUN_ANGLE, SGE_PtrParam(&angle)))
    s->model->vOverrideAngles.z = kTwoPi - angle;
}

}  // namespace

VNUNIT* vnTERUNIT_AimTurret(VNTERUNIT* s, const VNORDER* order) {
  VNUNIT* turret = order ? vnUNITMAN_GetUnit(static_cast<uint32_t>(
                               order->anWord[VNTERUNIT_ORDER_WORD_TARGET]))
                         : nullptr;
  const VNPLAYER* player =
      SGE_Ask<VNPLAYER>(vnUNITMAN_GetTask(), SGM_UNITMAN_PLAYER_BY_ID, s->unit->dwPlayer, 0);
  if (!turret || !player) return nullptr;
  TURRET_SEARCH search{s, player->dwEnemyMask, turret, nullptr, 1.0e30f};
  SGE_Send(vnUNITMAN_GetTask(), SGM_UNITMAN_FOR_EACH, SGE_PtrParam(ConsiderTarget),
           SGE_PtrParam(&search));
  if (!search.best) return nullptr;
  const SPW_VECTOR at = AimPointOf(search.best);
  SPW_VECTOR seatFacing{};
  vnTERUNIT_SendUnit(turret, SGM_TWINGUN_SEAT_DIRECTION, SGE_PtrParam(&seatFacing));
  const float gap = Wrap(std::atan2(at.y - turret->vPos.y, at.x - turret->vPos.x) -
                         std::atan2(seatFacing.y, seatFacing.x));
  if (std::fabs(gap) < kLockOn) {
    vnTERUNIT_SendUnit(turret, SGM_TWINGUN_LOCK_ON, static_cast<SGE_PARAM>(search.best->dwId),
                       SGE_PtrParam(&at));
    s->subState = 0;
    return search.best;
  }
  const float most = SGE_GetFrameTime();
  float turn = std::fmax(-most, std::fmin(most, gap));
  if (std::fabs(turn) < kLeastTurn * most) turn = 0.0f;
  s->subState = turn > 0.0f ? 1 : turn < 0.0f ? 2 : 0;
  if (vnTERUNIT_SendUnit(turret, SGM_TWINGUN_TURN, SGE_PtrParam(&turn), SGE_PtrParam(&at)))
    s->subState = 0;
  KeepSeat(s, turret);
  return search.best;
}

int32_t vnTERUNIT_ComputeLobVelocity(const VNUNIT* unit, const SPW_VECTOR* target,
                                     int32_t warn, VNTERUNIT_FLIGHT* out) {
  // No flight time, no lob: a point straight above or below cannot be thrown to.
  if (!vnTERUNIT_PlanFlight(unit->vPos, *target, out)) return 0;
  const SPW_VECTOR landing{out->velocity.x, out->velocity.y,
                           out->velocity.z + out->gravity * out->time};
  const uint32_t* c = warn ? kRedArc : kGreyArc;
  vnSmokeTrail_StartBetween(&unit->vPos, &out->velocity, c[0], c[1], target, &landing, c[2], c[3]);
  return 1;
}

void vnTERUNIT_DropToGround(const VNUNIT*, SPW_VECTOR* point) {
  SPW_SCENE* scene = vnMISSCONT_GetScene();
  if (!scene || !point) return;
  SPW_GetTerrainHeight(scene, point);
  const SPW_VECTOR from{point->x, point->y, point->z + kDropFrom};
  const SPW_VECTOR down{0.0f, 0.0f, -kDropReach};
  SPW_VECTOR hit{};
  float best = 1.0f;
  if (SPW_CollideQuery(scene, &from, &down, kDropReach, &hit, &best) && hit.z > point->z)
    point->z = hit.z;
}
