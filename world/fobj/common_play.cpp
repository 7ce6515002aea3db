// Helpers of the feature objects in play.
#include "world/fobj/common_play.h"

#include <cmath>

#include "engine/dobject/dobject.h"
#include "missions/control/missiontasks.h"
#include "shell/sound/sound.h"
#include "world/featunit/bar.h"
#include "world/fobj/common_scenery.h"
#include "world/unitman/unitman.h"

SPW_QUAT vnFOBJPLAY_Facing(const SPW_VECTOR& dir) {
  if (dir.x == 0.0f && dir.y == 0.0f) return {0.0f, 0.0f, 0.0f, 1.0f};
  return vnFOBJ_TurnZ(std::atan2(-dir.x, dir.y));
}

SPW_VECTOR vnFOBJPLAY_Forward(const SPW_QUAT& rot) {
  const SPW_VECTOR y{0.0f, 1.0f, 0.0f};
  SPW_VECTOR out{};
  SPW_QuatRotateVector(&rot, &y, &out);
  return out;
}

void vnFOBJPLAY_Show(SPW_DOBJECT* object, bool shown) {
  if (!object) return;
  if (shown)
    object->fFlags &= ~SPW_DOBJ_HIDDEN;
  else
    object->fFlags |= SPW_DOBJ_HIDDEN;
}

bool vnFOBJPLAY_Shown(const SPW_DOBJECT* object) {
  return object && !(object->fFlags & SPW_DOBJ_HIDDEN);
}

int32_t vnFOBJPLAY_Play(SPW_DOBJECT* object, int32_t anim, float frames, float speed, bool once) {
  if (!object || anim < 0) return 0;
  if (!SPW_PlayAnimation(object, anim, -1, nullptr, 0,
                         once ? SPW_ANIM_ONCE_FLAGS : SPW_ANIM_LOOP_FLAGS, speed))
    return 0;
  if (!once) SPW_ClearAnimationFlags(object, anim, SPW_ANIM_ONCE);
  return SPW_SetAnimationTimeFrames(object, anim, frames);
}

int32_t vnFOBJPLAY_EndPose(SPW_DOBJECT* object, int32_t anim) {
  if (!vnFOBJPLAY_Play(object, anim, 0.0f, 0.0f, true)) return 0;
  return SPW_SetAnimationTime(object, anim, vnFOBJPLAY_Length(object, anim));
}

float vnFOBJPLAY_Length(const SPW_DOBJECT* object, int32_t anim) {
  if (!object || anim < 0 || !object->pSlots) return 0.0f;
  const SPW_DOBJTYPE* type = SPW_GetObjectType(object->nType);
  if (!type || static_cast<uint32_t>(anim) >= type->dwNumAnims) return 0.0f;
  return static_cast<float>(type->pAnims[anim].dwLength);
}

void* vnFOBJPLAY_Controller(uint32_t unitId, int32_t classId) {
  const VNUNIT* unit = vnUNITMAN_GetUnit(unitId);
  SGE_TASK* task = unit ? unit->pController : nullptr;
  if (!task || task->nTypeId != classId || !task->pInstance) return nullptr;
  return task->pInstance->pData;
}

void vnFOBJPLAY_ReportDestroyed(const VNUNIT* unit, SGE_PARAM p2) {
  SGE_TASK* script = vnMISSCONT_GetMissionTask();
  if (unit && script)
    SGE_Send(script, SGM_VN_FEATURE_DESTROYED, static_cast<SGE_PARAM>(unit->dwId), p2);
}

int32_t vnFOBJPLAY_WriteVector(SGE_PARAM out, const SPW_VECTOR& v) {
  if (!out) return 0;
  *reinterpret_cast<SPW_VECTOR*>(out) = v;
  return 1;
}

void vnFOBJPLAY_SequenceTransform(VNUNIT* unit, SPW_TRANSFORM* kept, SGE_PARAM transform) {
  const auto* t = reinterpret_cast<const SPW_TRANSFORM*>(transform);
  if (!t) return;
  kept->vPos = t->vPos;
  kept->qRot = t->qRot;
  vnUNITMAN_SetUnitPosition(vnUNITMAN_GetTask(), unit, &kept->vPos);
}

void vnFOBJPLAY_ToggleBar(VNMARKER* bar, float* timer) {
  if (vnFEATUNIT_BarShown(bar))
    vnFEATUNIT_HideBar(bar);
  else
    vnFEATUNIT_ShowBar(bar, timer);
}

void vnFOBJPLAY_Sound(int32_t effect, const SPW_VECTOR& at) {
  const float pos[3] = {at.x, at.y, at.z};
  vnSOUND_PlayEffect(effect, pos);
}
