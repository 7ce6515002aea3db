// Sequence vehicles carry their ground shadow along the way they face.
#include "missions/control/vehicleshadow.h"

#include "engine/dobject/dobject.h"
#include "engine/math/vecmath.h"
#include "world/shadow/shadow.h"

namespace {
// A vehicle model's forward axis.
constexpr SPW_VECTOR kForward = {0.0f, -1.0f, 0.0f};
}  // namespace

void vnSS_UpdateVehicleShadow(SPW_DOBJECT* object, VNSHADOW* shadow) {
  if (!object || !shadow) return;
  SPW_VECTOR facing;
  SPW_QuatRotateVector(&object->t.qRot, &kForward, &facing);
  facing.z = 0.0f;
  if (SPW_VecNormalise(&facing) > 0.0f) vnShadow_SetFacing(shadow, &facing);
}
