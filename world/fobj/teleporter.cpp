// The teleporter's controller: the pad and its switches from the path network, the charge, the
// jump of the units on the pad and their release at the destination.
#include "world/fobj/teleporter.h"

#include <cstdio>
#include <cstring>

#include "engine/dobject/dobject.h"
#include "engine/feature/feature.h"
#include "engine/kernel/frametime.h"
#include "engine/kernel/tasktypes.h"
#include "engine/scene/scene.h"
#include "missions/control/misscont.h"
#include "missions/control/missiontasks.h"
#include "platform/trace.h"
#include "shell/sound/sound.h"
#include "world/bstar/bstar.h"
#include "world/bstar/search.h"
#include "world/fobj/common_scenery.h"
#include "world/mover/mover.h"
#include "world/unitman/unitman.h"
#include "world/unittype/unittype.h"

namespace {

constexpr int32_t kEffectAnimation = 0;
constexpr uint32_t kLightColour = 0xFFFFFFFFu;

// The effect hides itself again once it has played.
void EffectEnded(void* user, uint32_t*) {
  static_cast<SPW_DOBJECT*>(user)->fFlags |= SPW_DOBJ_HIDDEN;
}

bool MakeEffect(VNTELEPORTER* self) {
  const SPW_TRANSFORM t = vnFOBJ_At(self->vPos, 0.0f);
  SPW_DOBJECT* o = vnUNIT_CreateObject(self->pUnit, VNTELEPORTER_EFFECT, 1.0f, &t);
  if (!o) return false;
  o->fFlags |= SPW_DOBJ_HIDDEN | VNUNIT_WORLD_OBJECT;
  SPW_PlayAnimation(o, kEffectAnimation, -1, nullptr, 0, SPW_ANIM_ONCE_FLAGS, 0.0f);
  SPW_SetAnimationTime(o, kEffectAnimation, 0.0f);
  SPW_AddAnimEndBreakpoint(o, 0, kEffectAnimation, EffectEnded, nullptr);
  self->pEffect = o;
  return true;
}

void PlayEffect(VNTELEPORTER* self, const SPW_VECTOR& at) {
  SPW_DOBJECT* o = self->pEffect;
  if (!o) return;
  o->t.vPos = at;
  o->fFlags &= ~(SPW_DOBJ_HIDDEN | SPW_DOBJ_NOT_ANIMATED);
  SPW_SetAnimationTime(o, kEffectAnimation, 0.0f);
  SPW_PlayAnimation(o, kEffectAnimation, -1, nullptr, 0, SPW_ANIM_ONCE_FLAGS, 1.0f);
}

bool Binds(const BSTAR_Node* node, const SPW_FEATUREINST* feature) {
  const BSTAR_FEATURELIST* list = node->pFeatures;
  for (int32_t i = 0; list && i < list->nCount; ++i)
    if (vnFOBJ_BoundFeature(&list->aBinding[i]) == feature) return true;
  return false;
}

struct NODESEARCH {
  const SPW_FEATUREINST* pFeature;
  const BSTAR_Node* pSkip;
  bool bPad;  // only pad nodes
  BSTAR_Node* pFound;
};

int32_t FindBinder(BSTAR_Network*, BSTAR_Node* node, void* user) {
  auto* s = static_cast<NODESEARCH*>(user);
  if (node == s->pSkip || !Binds(node, s->pFeature)) return 1;
  if (s->bPad && (BSTAR_NodeKind(node) != BSTAR_KIND_REGION ||
                  !(node->dwFlags & VNTELEPORTER_PAD_NODE)))
    return 1;
  s->pFound = node;
  return 0;
}

BSTAR_Node* NodeBinding(const SPW_FEATUREINST* feature, const BSTAR_Node* skip, bool pad) {
  if (!BSTAR_CurrentNetwork || !feature) return nullptr;
  NODESEARCH s{feature, skip, pad, nullptr};
  BSTAR_ForEachNode(BSTAR_CurrentNetwork, FindBinder, &s);
  return s.pFound;
}

int32_t DestinationId(const BSTAR_Node* source) {
  for (const BSTAR_LINKCELL* cell : BSTAR_LinkCells(&source->lLinks)) {
    const BSTAR_Link* link = cell->pLink;
    if (link->dwType != VNTELEPORTER_LINK_TYPE) continue;
    const BSTAR_Node* dest = BSTAR_LinkOther(link, source);
    int32_t id = -1;
    if (!dest || std::sscanf(dest->szName, "%i", &id) != 1) id = -1;
    return id;
  }
  PLAT_Trace("[TELEPORTER] Error: Switch object source node has no associated destination node\n");
  return -1;
}

// A switch bound to the pad's node: the node that binds it elsewhere leads to the destination.
void AddSwitch(VNTELEPORTER* self, const BSTAR_Node* padNode, const BSTAR_FEATUREBINDING* b) {
  SPW_FEATUREINST* f = vnFOBJ_BoundFeature(b);
  if (!f) {
    PLAT_Trace("[TELEPORTER] Error: Switch objects Not Found\n");
    return;
  }
  VNTELEPORTER_SWITCH& s = self->aSwitches[self->nSwitches++];
  s = {f, NodeBinding(f, padNode, false), -1, 0.0f, nullptr};
  if (!s.pSource) {
    PLAT_Trace("[TELEPORTER] Error: Switch object has no associated source node\n");
    return;
  }
  s.nDestination = DestinationId(s.pSource);
}

void FindSwitches(VNTELEPORTER* self) {
  const BSTAR_Node* padNode = NodeBinding(self->pPad, nullptr, true);
  const BSTAR_FEATURELIST* list = padNode ? padNode->pFeatures : nullptr;
  if (padNode) vnUNIT_SetLabel(self->pUnit, padNode->szName);
  int32_t bound = 0;
  for (int32_t i = 0; list && i < list->nCount && bound < VNTELEPORTER_MAX_SWITCHES; ++i) {
    if (vnFOBJ_BoundFeature(&list->aBinding[i]) == self->pPad) continue;
    ++bound;
    AddSwitch(self, padNode, &list->aBinding[i]);
  }
  if (!bound)
    PLAT_Trace("[TELEPORTER] Error: No switch objects found, this teleporter won't do much!\n");
}

void SelfDestruct(VNTELEPORTER* self) {
  self->bRemoved = 1;
  vnFOBJ_RemoveUnit(self->pUnit);
}

void Create(VNTELEPORTER* self, VNUNIT* unit, const VNUNIT_CREATE* create) {
  std::memset(static_cast<void*>(self), 0, sizeof *self);
  self->pUnit = unit;
  self->fScale = 1.0f;
  self->nActive = -1;
  self->vDir = create ? create->vDir : SPW_VECTOR{0.0f, -1.0f, 0.0f};
  if (!unit) return;
  self->vPos = create ? create->vPos : unit->vPos;
  self->pPad = vnFOBJ_NearestFeature(VNTELEPORTER_PAD, self->vPos);
  if (!self->pPad) {
    PLAT_Trace(
        "[TELEPORTER] Error: Teleport Pad feature object not found, unit self-destructing.\n");
    SelfDestruct(self);
    return;
  }
  self->vPos = vnFOBJ_FeaturePosition(self->pPad);
  vnUNITMAN_SetUnitPosition(vnUNITMAN_GetTask(), unit, &self->vPos);
  if (!MakeEffect(self)) {
    PLAT_Trace("[FEATURE_UNIT] Failed to create teleporter dynamic object: \n");
    SelfDestruct(self);
    return;
  }
  FindSwitches(self);
}

VNTELEPORTER_SWITCH* Switch(VNTELEPORTER* self, SGE_PARAM feature) {
  for (int32_t i = 0; i < self->nSwitches; ++i)
    if (SGE_PtrParam(self->aSwitches[i].pFeature) == feature)
      return &self->aSwitches[i];
  return nullptr;
}

void Freeze(VNUNIT* unit, SGE_PARAM on) {
  const bool mist =
      unit->nType == VN_UNIT_TYPE_TERRAN_MIST || unit->nType == VN_UNIT_TYPE_TERRAN_MIST_FEM;
  if (unit->pController)
    SGE_Send(unit->pController, mist ? SGM_MIST_FREEZE : SGM_UNIT_FREEZE, on, 0);
}

// Calls fn for each unit on the pad that still exists.
template <typename Fn>
void ForEachOnPad(VNTELEPORTER* self, Fn fn) {
  for (int32_t i = 0; i < self->nUnits; ++i)
    if (VNUNIT* unit = vnUNITMAN_GetUnit(self->adwUnits[i])) fn(unit);
}

int32_t Start(VNTELEPORTER* self, SGE_PARAM feature) {
  VNTELEPORTER_SWITCH* s = Switch(self, feature);
  if (!s || s->nDestination < 0 || self->nState != VNTELEPORTER_IDLE || self->bRemoved) return 0;
  self->nState = VNTELEPORTER_CHARGING;
  self->nActive = static_cast<int32_t>(s - self->aSwitches);
  self->fTimer = 0.0f;
  vnSOUND_PlayEffect(VNTELEPORTER_CHARGE_SOUND, &self->vPos.x);
  PlayEffect(self, self->vPos);
  ForEachOnPad(self, [](VNUNIT* unit) {
    if (unit->pMover) SGE_Send(unit->pMover, SGM_MOVER_STOP, 0, 0);
    Freeze(unit, 1);
  });
  return 1;
}

void Charge(VNTELEPORTER* self, SGE_PARAM feature) {
  if (VNTELEPORTER_SWITCH* s = Switch(self, feature))
    s->fCharge += VNTELEPORTER_CHARGE_RATE * SGE_GetFrameTime();
}

void ShowCharges(VNTELEPORTER* self) {
  for (int32_t i = 0; i < self->nSwitches; ++i) {
    VNTELEPORTER_SWITCH& s = self->aSwitches[i];
    if (!(s.fCharge > 0.0f)) continue;
    const float radius = s.fCharge * VNTELEPORTER_LIGHT_SCALE;
    if (s.pLight) {
      SPW_SetLightRadius(s.pLight, radius);
      continue;
    }
    SPW_VECTOR at = vnFOBJ_FeaturePosition(s.pFeature);
    at.z += VNTELEPORTER_LIGHT_LIFT;
    s.pLight = SPW_CreateLight(vnMISSCONT_GetScene(), &at, radius, kLightColour, 0, 0);
  }
}

void ReleaseUnits(VNTELEPORTER* self) {
  ForEachOnPad(self, [](VNUNIT* unit) { Freeze(unit, 0); });
}

void MoveUnit(VNUNIT* unit, const SPW_VECTOR& to) {
  if (unit->pMover)
    SGE_Send(unit->pMover, SGM_MOVER_SET_POSITION, SGE_PtrParam(&to), 0);
  else
    vnUNITMAN_SetUnitPosition(vnUNITMAN_GetTask(), unit, &to);
}

void Send(VNTELEPORTER* self) {
  const VNTELEPORTER_SWITCH& s = self->aSwitches[self->nActive];
  const BSTAR_Node* dest =
      BSTAR_CurrentNetwork ? BSTAR_FindNodeById(BSTAR_CurrentNetwork, s.nDestination) : nullptr;
  if (!dest) {
    PLAT_Trace("[TELEPORTER] Error: Teleport Destination Node not found, unit self-destructing.\n");
    ReleaseUnits(self);
    self->nState = VNTELEPORTER_IDLE;
    SelfDestruct(self);
    return;
  }
  const SPW_FEATUREINST* pad = vnFOBJ_NearestFeature(VNTELEPORTER_PAD, dest->vCentre);
  self->vDestination = pad ? vnFOBJ_FeaturePosition(pad) : dest->vCentre;
  const SPW_VECTOR from = self->vPos, to = self->vDestination;
  ForEachOnPad(self, [&](VNUNIT* unit) {
    MoveUnit(unit, {to.x + unit->vPos.x - from.x, to.y + unit->vPos.y - from.y,
                    to.z + unit->vPos.z - from.z});
  });
  vnSOUND_PlayEffect(VNTELEPORTER_SEND_SOUND, &to.x);
  if (SGE_TASK* camera = vnMISSCONT_GetCameraTask()) {
    SGE_Send(camera, SGM_CAMERA_JUMP_TO, SGE_PtrParam(&self->vDestination), 0);
    SGE_Send(camera, SGM_CAMERA_FOLLOW, SGE_PtrParam(&self->vDestination), 0);
  }
  self->nState = VNTELEPORTER_ARRIVING;
  self->fTimer = 0.0f;
}

void Arrive(VNTELEPORTER* self) {
  PlayEffect(self, self->vDestination);
  ReleaseUnits(self);
  self->nState = VNTELEPORTER_IDLE;
  self->nActive = -1;
}

int32_t Update(VNTELEPORTER* self) {
  ShowCharges(self);
  if (self->nState == VNTELEPORTER_IDLE || self->bRemoved) return 0;
  self->fTimer += SGE_GetFrameTime();
  if (self->fTimer < VNTELEPORTER_PHASE_SECONDS) return 0;
  if (self->nState == VNTELEPORTER_CHARGING)
    Send(self);
  else
    Arrive(self);
  return 0;
}

void Entered(VNTELEPORTER* self, const VNUNIT* unit) {
  if (!unit || self->nUnits >= VNTELEPORTER_MAX_UNITS) return;
  for (int32_t i = 0; i < self->nUnits; ++i)
    if (self->adwUnits[i] == unit->dwId) return;
  self->adwUnits[self->nUnits++] = unit->dwId;
}

void Left(VNTELEPORTER* self, const VNUNIT* unit) {
  for (int32_t i = 0; unit && i < self->nUnits; ++i) {
    if (self->adwUnits[i] != unit->dwId) continue;
    self->adwUnits[i] = self->adwUnits[--self->nUnits];
    return;
  }
}

void End(VNTELEPORTER* self) {
  for (int32_t i = 0; i < self->nSwitches; ++i) {
    SPW_FreeLight(self->aSwitches[i].pLight);
    self->aSwitches[i].pLight = nullptr;
  }
  vnUNIT_DestroyObjects(self->pUnit);
  self->pEffect = nullptr;
}

SGE_RESULT Answer(VNTELEPORTER* self, SGE_TASK*, int32_t msg, SGE_PARAM p1, SGE_PARAM p2) {
  switch (msg) {
    case SGM_UNIT_UPDATE: return Update(self);
    case SGM_UNIT_FRAME_POSITION: return SGE_PtrResult(&self->vPos);
    case SGM_UNIT_GET_FACING:
      return vnFOBJ_WriteVector(SGE_ParamPtr<SPW_VECTOR>(p1), self->vDir);
    case SGM_UNIT_IS_DEAD: return self->bRemoved;
    case SGM_UNIT_GET_CLASS: return 0;
    case SGM_UNIT_GET_SCALE: return SGE_PtrResult(&self->fScale);
    case SGM_TELEPORTER_START: return Start(self, p1);
    case SGM_TELEPORTER_CHARGE: Charge(self, p1); return 0;
    case SGM_VN_MISSCONT_EVENT_AREA_ENTERED: Entered(self, SGE_ParamPtr<VNUNIT>(p2)); return 0;
    case SGM_VN_MISSCONT_EVENT_AREA_LEFT: Left(self, SGE_ParamPtr<VNUNIT>(p2)); return 0;
    default: return 0;
  }
}

}  // namespace

SGE_RESULT vnTELEPORTER_Handler(SGE_TASK* task, SGE_DATAREF* data, int32_t msg, SGE_PARAM p1,
                                SGE_PARAM p2) {
  return vnUNIT_ClassHandler<VNTELEPORTER, Create, End, Answer>(task, data, msg, p1, p2);
}
