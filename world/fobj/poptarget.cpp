// The pop-up target class.
#include "world/fobj/poptarget.h"

#include <cstring>
#include <iterator>

#include "engine/dobject/dobject.h"
#include "engine/kernel/frametime.h"
#include "engine/kernel/tasktypes.h"
#include "missions/control/missionevents.h"
#include "platform/trace.h"
#include "world/featunit/bar.h"
#include "world/fobj/common_play.h"
#include "world/fobj/common_scenery.h"
#include "world/grid/grid.h"
#include "world/marker/marker.h"
#include "world/unitman/unitman.h"
#include "world/unittype/unittype.h"

namespace {

constexpr int32_t kSequenceTransform = 3093;
// Units with this flag are out of play.
constexpr float kBarLift = 10.0f;

struct TargetModels {
  int32_t nType;
  const char* pszStanding;
  const char* pszDamaged;
};
constexpr TargetModels kModels[] = {
    {VN_UNIT_TYPE_PE_POPTARGET_BLUE, "Export/Pows/zrtargblue.pow",
     "Export/Pows/zrtargbluedamaged.pow"},
    {VN_UNIT_TYPE_PE_POPTARGET_GREEN, "Export/Pows/zrtarggreen.pow",
     "Export/Pows/zrtarggreendamaged.pow"},
    {VN_UNIT_TYPE_PE_POPTARGET_RED, "Export/Pows/zrtargred.pow",
     "Export/Pows/zrtargreddamaged.pow"},
};

// Green targets are for missiles; blue and red ones for light and smart rifles.
constexpr int32_t kGreenWeapons[] = {VN_UNIT_TYPE_PROJECTILE_MISSILE_0,
                                     VN_UNIT_TYPE_PROJECTILE_MISSILE_1};
constexpr int32_t kRifles[] = {VN_UNIT_TYPE_WEAPON_LIGHTRIFLE_0, VN_UNIT_TYPE_WEAPON_LIGHTRIFLE_1,
                               VN_UNIT_TYPE_WEAPON_SMARTRIFLE_0, VN_UNIT_TYPE_WEAPON_SMARTRIFLE_1};

template <size_t N>
bool Listed(const int32_t (&types)[N], int32_t type) {
  for (int32_t t : types)
    if (t == type) return true;
  return false;
}

bool IsGreen(const VNUNIT* unit) { return unit->nType == VN_UNIT_TYPE_PE_POPTARGET_GREEN; }

float Health(const VNPOPTARGET* self) { return vnUNIT_AttrFloat(self->pUnit, VN_ATTR_HEALTH); }

const TargetModels* ModelsOf(int32_t type) {
  for (const TargetModels& m : kModels)
    if (m.nType == type) return &m;
  return nullptr;
}

void MakeModels(VNPOPTARGET* self) {
  const TargetModels* models = ModelsOf(self->pUnit->nType);
  if (!models) {
    PLAT_Trace("POPTARGET: unit type %d is no pop-up target\n", self->pUnit->nType);
    return;
  }
  self->pModel = vnUNIT_CreateObject(self->pUnit, models->pszStanding, 1.0f, &self->t);
  self->pDamaged = vnUNIT_CreateObject(self->pUnit, models->pszDamaged, 1.0f, &self->t);
  self->nUpAnim = SPW_LookupAnimationByName(self->pModel, "up");
  self->nDownAnim = SPW_LookupAnimationByName(self->pModel, "down");
  self->nDamagedDownAnim = SPW_LookupAnimationByName(self->pDamaged, "down");
  vnFOBJPLAY_Show(self->pDamaged, false);
  // A new target stands lowered.
  vnFOBJPLAY_EndPose(self->pModel, self->nDownAnim);
}

void Create(VNPOPTARGET* self, VNUNIT* unit, const VNUNIT_CREATE* create) {
  std::memset(static_cast<void*>(self), 0, sizeof *self);
  self->pUnit = unit;
  self->nUpAnim = self->nDownAnim = self->nDamagedDownAnim = -1;
  self->t = {{}, {0.0f, 0.0f, 0.0f, 1.0f}, 1.0f};
  if (!unit) return;
  self->t.vPos = create ? create->vPos : unit->vPos;
  if (create) self->t.qRot = vnFOBJPLAY_Facing(create->vDir);
  self->fFullHealth = Health(self);
  unit->dwFlags &= ~VNUNIT_F_OBSERVABLE;
  MakeModels(self);
  const SPW_VECTOR at{self->t.vPos.x, self->t.vPos.y, self->t.vPos.z + kBarLift};
  self->pBar = vnFEATUNIT_AddBar(&at);
  vnFEATUNIT_HideBar(self->pBar);
}

void Raise(VNPOPTARGET* self) {
  if (self->bDestroyed) return;
  vnFOBJPLAY_Play(self->pModel, self->nUpAnim, 0.0f, 1.0f, true);
  self->bUp = 1;
  self->pUnit->dwFlags |= VNUNIT_F_OBSERVABLE;
}

void Lower(VNPOPTARGET* self) {
  if (self->bDestroyed) return;
  vnFOBJPLAY_Play(self->pModel, self->nDownAnim, 0.0f, 1.0f, true);
  self->bUp = 0;
  self->pUnit->dwFlags &= ~VNUNIT_F_OBSERVABLE;
}

struct Search {
  SPW_VECTOR vAt;
  float fReach;
  bool bFound;
};

int32_t FriendNear(void*, VNUNIT* unit, void* user) {
  auto* s = static_cast<Search*>(user);
  if (s->bFound || SPW_VecDist(&unit->vPos, &s->vAt) > s->fReach) return 1;
  if (unit->pController && SGE_Send(unit->pController, SGM_UNIT_GET_SIDE, 0, 0) == 0)
    s->bFound = true;
  return 1;
}

bool SoldierNear(const VNPOPTARGET* self) {
  const VNUNITMAN* manager = vnUNITMAN_Get();
  if (!manager || !manager->pGrid) return false;
  Search s{self->pUnit->vPos, IsGreen(self->pUnit) ? VNPOPTARGET_GREEN_REACH : VNPOPTARGET_REACH,
           false};
  vnGrid_QueryRadius(FriendNear, &s, manager->pGrid, nullptr, &s.vAt, s.fReach, VNUNIT_F_SOLDIER,
                     VNUNIT_F_OUT_OF_PLAY);
  return s.bFound;
}

void UpdateBar(VNPOPTARGET* self, float dt) {
  if (!vnFEATUNIT_BarShown(self->pBar)) return;
  self->fBarTimer += dt;
  if (self->fBarTimer >= VNPOPTARGET_BAR_SECONDS)
    vnFEATUNIT_HideBar(self->pBar);
  else
    vnMARK_Send2581(self->pBar, vnMARK_BarLevel(static_cast<float>(static_cast<int32_t>(Health(self))),
                                                self->fFullHealth));
}

void Update(VNPOPTARGET* self) {
  if (self->bDestroyed) return;
  if (SoldierNear(self)) {
    vnFEATUNIT_ShowBar(self->pBar, &self->fBarTimer);
    if (!self->bUp) Raise(self);
  }
  UpdateBar(self, SGE_GetFrameTime());
}

void Destroy(VNPOPTARGET* self) {
  VNUNIT* unit = self->pUnit;
  self->bDestroyed = 1;
  unit->dwFlags &= ~VNUNIT_F_OBSERVABLE;
  vnFOBJPLAY_Show(self->pModel, false);
  vnFOBJPLAY_Show(self->pDamaged, true);
  vnFOBJPLAY_Play(self->pDamaged, self->nDamagedDownAnim, 0.0f, 1.0f, true);
  vnFEATUNIT_RemoveBar(&self->pBar);
  vnFOBJPLAY_ReportDestroyed(unit, 0);
}

// The damage model has already taken the hit off the health.
void Damaged(VNPOPTARGET* self, SGE_PARAM sourceId) {
  if (self->bDestroyed) return;
  const VNUNIT* source = sourceId ? vnUNITMAN_GetUnit(static_cast<uint32_t>(sourceId)) : nullptr;
  const int32_t sourceType = source ? source->nType : -1;
  if (!vnPOPTARGET_RightWeapon(self->pUnit->nType, sourceType))
    vnMISSCONT_RaiseEvent(SGM_VN_MISSCONT_EVENT_POPTARGET_WRONG,
                          static_cast<SGE_PARAM>(self->pUnit->dwId), sourceType);
  if (Health(self) <= 0.0f) Destroy(self);
}

void ResetParts(VNPOPTARGET* self) {
  self->t.vPos = self->pUnit->vPos;
  if (self->pModel) self->pModel->t = self->t;
  if (self->pDamaged) self->pDamaged->t = self->t;
  const SPW_VECTOR at{self->t.vPos.x, self->t.vPos.y, self->t.vPos.z + kBarLift};
  vnMARK_Send2585(self->pBar, &at);
}

void CopyTransform(VNPOPTARGET* self) {
  if (self->pModel) self->pModel->t = self->t;
  if (self->pDamaged) self->pDamaged->t = self->t;
}

void End(VNPOPTARGET* self) {
  vnFEATUNIT_RemoveBar(&self->pBar);
  vnUNIT_DestroyObjects(self->pUnit);
  self->pModel = self->pDamaged = nullptr;
}

SGE_RESULT Answer(VNPOPTARGET* self, SGE_TASK*, int32_t msg, SGE_PARAM p1, SGE_PARAM) {
  switch (msg) {
    case SGM_TASK_DESTROY: End(self); return 0;
    case SGM_UNIT_GET_UNIT: return SGE_PtrResult(self->pUnit);
    case SGM_UNIT_UPDATE: Update(self); return 0;
    case SGM_UNIT_FRAME_POSITION: return SGE_PtrResult(&self->t.vPos);
    case SGM_UNIT_FRAME_EXTRA: CopyTransform(self); return 0;
    case SGM_UNIT_GET_OBJECT:
      return SGE_PtrResult(self->bDestroyed ? self->pDamaged : self->pModel);
    case SGM_UNIT_GET_FACING: return vnFOBJPLAY_WriteVector(p1, vnFOBJPLAY_Forward(self->t.qRot));
    case SGM_UNIT_DAMAGED: Damaged(self, p1); return 0;
    case SGM_UNIT_IS_DEAD: return (self->bDestroyed || Health(self) <= 0.0f) ? 1 : 0;
    case SGM_POPTARGET_UP: Raise(self); return 0;
    case SGM_POPTARGET_DOWN: Lower(self); return 0;
    case SGM_POPTARGET_TOGGLE_BAR: vnFOBJPLAY_ToggleBar(self->pBar, &self->fBarTimer); return 0;
    case SGM_POPTARGET_REMOVE: vnFOBJ_RemoveUnit(self->pUnit); return 0;
    case SGM_POPTARGET_RESET_PARTS: ResetParts(self); return 0;
    case SGM_UNIT_GET_LOCATOR: return vnFOBJPLAY_WriteVector(p1, self->pUnit->vPos);
    case SGM_UNIT_GET_SCALE: return SGE_PtrResult(&self->t.fScale);
    case kSequenceTransform: vnFOBJPLAY_SequenceTransform(self->pUnit, &self->t, p1); return 0;
    default: return 0;
  }
}

}  // namespace

bool vnPOPTARGET_RightWeapon(int32_t targetType, int32_t sourceType) {
  if (targetType == VN_UNIT_TYPE_PE_POPTARGET_GREEN) return Listed(kGreenWeapons, sourceType);
  return Listed(kRifles, sourceType);
}

SGE_RESULT vnPOPTARGET_Handler(SGE_TASK* task, SGE_DATAREF* data, int32_t msg, SGE_PARAM p1,
                               SGE_PARAM p2) {
  return vnUNIT_ControllerHandler<VNPOPTARGET, vnFOBJPLAY_Answer<VNPOPTARGET, Create, Answer>>(task, data, msg,
                                                                               p1, p2);
}
