// The infantry's smaller messages: units attached to it, taking up a carried item, the steps the
// ground mover asks of it, and a scripted placement.
#include <cmath>
#include <cstring>

#include "engine/dobject/dobject.h"
#include "engine/kernel/frametime.h"
#include "engine/math/vecops.h"
#include "terran/behave.h"
#include "terran/handler.h"
#include "terran/infantry_internal.h"
#include "world/mover/mover.h"
#include "world/unitman/unitman.h"

namespace {

// Backing away steps this fast along the facing, metres a second.
constexpr float kBackAwaySpeed = 5.0f;
// A scripted placement sets the soldier down this far below the point, then on the ground.
constexpr float kPlacementDrop = 1.5f;
// The placement record: position at words 17-19, rotation quaternion at words 20-23.
constexpr int32_t kPlacementPosition = 17;
constexpr int32_t kPlacementRotation = 20;

SPW_VECTOR Rotate(const SPW_QUAT& q, const SPW_VECTOR& v) {
  const SPW_VECTOR u{q.x, q.y, q.z};
  const SPW_VECTOR t = SPW_VScale(SPW_VCross(u, v), 2.0f);
  return SPW_VAdd(SPW_VAdd(v, SPW_VScale(t, q.w)), SPW_VCross(u, t));
}

}  // namespace

VNUNIT* vnTERUNIT_AttachUnit(VNINFANTRY* self, int32_t type) {
  VNTERUNIT* s = &self->soldier;
  VNUNIT_CREATE create{};
  create.nType = type;
  create.dwPlayer = s->unit->dwPlayer;
  create.vPos = s->unit->vPos;
  create.pTargetList = &s->unit->aChildren[VNUNIT_CHILD_LIST1];
  create.pParent = s->unit;
  create.nBinding = 1;
  create.vDir = {0.0f, 1.0f, 0.0f};
  VNUNIT* attached = vnUNITMAN_CreateUnit(&create, nullptr);
  s->model = SGE_Ask<SPW_DOBJECT>(s->unit->pController, SGM_UNIT_GET_OBJECT, 0, 0);
  return attached;
}

VNUNIT* vnINFANTRY_TakeItem(VNINFANTRY* self, int32_t itemId, SGE_PARAM mode) {
  VNTERUNIT* s = &self->soldier;
  VNUNIT* old = vnTERUNIT_CurrentItem(s->unit);
  // On a gun the soldier holds nothing: the new item is put away in the old one's place.
  if (self->stowedItem) vnTERUNIT_ShowItem(s->unit, self->stowedItem, 0);
  VNUNIT* taken = vnTERUNIT_SelectItem(s, itemId, static_cast<int32_t>(mode));
  if (self->stowedItem) {
    self->stowedItem = taken ? static_cast<int32_t>(taken->dwId) : 0;
    if (taken) vnTERUNIT_ShowItem(s->unit, self->stowedItem, 1);
  } else if (old && taken) {
    vnTERUNIT_CancelMoveOnClassChange(s, vnTERUNIT_TypeOfWeapon(old), vnTERUNIT_TypeOfWeapon(taken));
  }
  s->modeFlags &= ~VNTERUNIT_MF_WEAPON_STOWED;
  vnTERUNIT_ApplyWeaponFade(s, s->fadeLevel, (s->stateFlags & VNTERUNIT_SF_FADING) ? 0 : 1);
  return taken;
}

SGE_RESULT vnINFANTRY_RunRequest(VNINFANTRY* self, VNMOVER_REQUEST* request) {
  VNTERUNIT* s = &self->soldier;
  if (!request) return 0;
  const float dt = SGE_GetFrameTime();
  if (request->dwFlags & VNMOVER_REQ_VELOCITY) {
    // In the air the soldier drifts with its ballistic velocity over the ground.
    request->vOffset = {dt * s->ballisticVelocity.x, dt * s->ballisticVelocity.y, 0.0f};
    return VNMOVER_REQ_OFFSET;
  }
  // Backing away, or turning to a rope: one step back along the facing, then the request ends.
  request->vOffset = SPW_VScale(s->faceDirection, -kBackAwaySpeed * dt);
  request->vOffset.z = 0.0f;
  vnMOVER_MarkRequest(request);
  if (s->moveRequest == request) s->moveRequest = nullptr;
  return VNMOVER_REQ_OFFSET | (request->dwFlags & VNMOVER_REQ_TURN);
}

void vnINFANTRY_PlaceScripted(VNINFANTRY* self, const uint32_t* placement) {
  VNTERUNIT* s = &self->soldier;
  if (!placement) return;
  SPW_VECTOR at;
  SPW_QUAT turn;
  std::memcpy(&at, placement + kPlacementPosition, sizeof at);
  std::memcpy(&turn, placement + kPlacementRotation, sizeof turn);
  SPW_VECTOR facing = Rotate(turn, {0.0f, -1.0f, 0.0f});
  if (!(s->modeFlags & VNTERUNIT_MF_KEEP_HEIGHT)) {
    at.z -= kPlacementDrop;
    vnTERUNIT_DropToGround(s->unit, &at);
  }
  vnTERUNIT_SendMover(s, SGM_MOVER_MOVE_TO, SGE_PtrParam(&at), SGE_PtrParam(&facing));
  if (s->unit->pMove) s->unit->pMove->vHeading = facing;
  if (s->model) vnTERUNIT_PlaceModel(s, s->model);
}
