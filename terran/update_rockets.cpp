// Micro-rockets: a suit turns its torso to the target and launches a salvo from the launch nodes
// of its model, as a rocket unit of its own that flies the salvo.
#include "engine/dobject/dobject.h"
#include "engine/math/vecops.h"
#include "terran/behave.h"
#include "terran/update.h"
#include "world/mover/mover.h"
#include "world/unittype/attributes.h"
#include "world/unittype/unittype.h"

namespace {

// Launch nodes: the basic suits' right and (when present) left pods, the advanced suits' pod.
constexpr const char* kRightPod = "rR";
constexpr const char* kLeftPod = "rL";
constexpr const char* kPod = "r";
// Rockets of a salvo, put in the rocket unit's creation record.
constexpr int32_t kBasicSalvo = 10;
constexpr int32_t kAdvancedSalvo = 6;

void Face(VNTERUNIT* s, const SPW_VECTOR& at) {
  SPW_VECTOR d{at.x - s->unit->vPos.x, at.y - s->unit->vPos.y, 0.0f};
  vnTERUNIT_SendMover(s, SGM_MOVER_SET_FACING, SGE_PtrParam(&d));
}

// The launch points of the model; 0 when it has none to launch from.
int32_t LaunchPoints(VNTERUNIT* s, SPW_VECTOR points[2]) {
  if (vnTERUNIT_IsTier0Suit(s->unit->nType)) {
    if (!vnTERUNIT_GetNodePoint(s->model, &points[0], kRightPod)) return 0;
    return vnTERUNIT_GetNodePoint(s->model, &points[1], kLeftPod) ? 2 : 1;
  }
  if (vnTERUNIT_IsTier1Suit(s->unit->nType))
    return vnTERUNIT_GetNodePoint(s->model, &points[0], kPod) ? 1 : 0;
  return 0;
}

}  // namespace

int32_t vnTERUNIT_LaunchRockets(SGE_TASK*, VNTERUNIT* s, VNUNIT* target, const SPW_VECTOR* point) {
  SPW_VECTOR at = point ? *point : s->unit->vPos;
  if (target) vnTERUNIT_SendUnit(target, SGM_UNIT_GET_LOCATOR, SGE_PtrParam(&at));
  bool aimed = vnTERUNIT_AimTest(s, &at) != 0;
  if (!aimed && s->lowerState != VN_TERUNIT_LOWER_RUNNING) {
    vnTERUNIT_AimAt(s, &at);
    Face(s, at);
    aimed = vnTERUNIT_AimTest(s, &at) != 0;
  }
  if (!aimed && !vnTERUNIT_IsBouncing(s)) {
    Face(s, at);
    return 0;
  }
  VNTERUNIT_SALVO salvo{};
  salvo.launcherId = static_cast<int32_t>(s->unit->dwId);
  salvo.pods = LaunchPoints(s, salvo.points);
  if (!salvo.pods) return 1;
  const SPW_VECTOR d = SPW_VSub(at, salvo.points[0]);
  const float length = SPW_VLength(d);
  salvo.direction = length > 0.0f ? SPW_VScale(d, 1.0f / length) : SPW_VECTOR{0.0f, 1.0f, 0.0f};
  VNUNIT_CREATE create{};
  create.nType = VN_UNIT_TYPE_WEAPON_MICROROCKETS;
  create.dwPlayer = s->unit->dwPlayer;
  create.vPos = salvo.points[0];
  create.pParent = s->unit;
  create.nBinding = 1;
  create.vDir = salvo.direction;
  create.nVariant = vnTERUNIT_IsTier0Suit(s->unit->nType) ? kBasicSalvo : kAdvancedSalvo;
  // A rocket unit that cannot be made takes nothing off the salvo order.
  if (VNUNIT* rockets = vnUNITMAN_CreateUnit(&create, nullptr))
    vnTERUNIT_SendUnit(rockets, SGM_ROCKETS_LAUNCH, SGE_PtrParam(&salvo));
  return 1;
}

int32_t vnTERUNIT_InRocketReach(const VNTERUNIT* s, const SPW_VECTOR& point) {
  const VNUNIT_ATTR* row = vnUNITATTR_LoadedRow(VN_UNIT_TYPE_WEAPON_MISSILE_0);
  const float reach = row ? vnUNITATTR_Float(*row, VN_ATTR_RANGE) : 0.0f;
  return SPW_VecDistSq(&s->unit->vPos, &point) < reach * reach ? 1 : 0;
}
