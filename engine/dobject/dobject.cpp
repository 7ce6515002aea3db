// Creation, destruction and naming of dynamic objects.
#include "engine/dobject/dobject.h"

#include <cstring>

#include "engine/dobject/internal.h"
#include "engine/memory/memblock.h"
#include "engine/scene/scene.h"
#include "platform/text.h"
#include "platform/trace.h"

float SPW_TimeScale = 1.0f;

namespace {

constexpr float kWork03 = 0.3f;
constexpr float kFullChannel = 255.0f;

void DefaultObjectCallback(SPW_DOBJECT*) {}

bool IsBuiltIn(int32_t slot) { return slot == SPW_CAMERA_TYPE || slot == SPW_DLIGHT_TYPE; }

void Link(SPW_SCENE* scene, SPW_DOBJECT* object, SPW_DOBJECT* parent) {
  if (parent) {
    SGE_ListInsertSorted(&parent->children, &object->link);
  } else {
    SGE_ListAddHead(&scene->dobjects, &object->link.link);
  }
}

void SetCommonFields(SPW_SCENE* scene, SPW_DOBJECT* o, int32_t slot, SPW_DOBJECT* parent,
                     int32_t priority, const SPW_TRANSFORM* transform, uint32_t user) {
  const SPW_DOBJTYPE* type = SPW_GetObjectType(slot);
  o->nType = slot;
  o->pParent = parent;
  o->nPriority = priority;
  SGE_ListSetKey(&o->link, static_cast<uint32_t>(priority));
  SGE_ListInit(&o->link.link);
  SGE_ListInit(&o->children);
  if (transform) o->t = *transform;
  o->pSelf = o;
  o->dwUser = user;
  o->pScene = scene;
  o->fWorkOne = 1.0f;
  o->nOverrideNode = -1;
  o->fFlags = type->dwFlags;
  o->pfnCallback = DefaultObjectCallback;
}

// The node instances from every level in turn: each level has the same node count, so the
// last level's ids, default transforms and parents are the ones kept.
void FillNodes(SPW_DOBJECT* o, const SPW_DOBJTYPE* type) {
  for (uint32_t l = 0; l < type->dwNumLods; ++l) {
    const SPW_DOBJLOD& lod = type->pLods[l];
    for (uint32_t i = 0; i < lod.dwNumNodes && i < type->dwNumNodes; ++i) {
      const SPW_DOBJNODE& node = lod.pNodes[i];
      SPW_NODEINST& inst = o->pNodes[i];
      inst.nId = node.nId;
      inst.t = node.tDefault;
      inst.pParent = node.pParent ? &o->pNodes[node.pParent - lod.pNodes] : nullptr;
      inst.nAttachIndex = -1;
      inst.nAttachedLocator = -1;
    }
  }
  for (uint32_t i = 0; i < type->dwNumNodes; ++i) {
    o->pNodes[i].nPrimary = -1;
    o->pNodes[i].nOverride = -1;
  }
}

bool MakeSlots(SPW_DOBJECT* o, SPW_DOBJTYPE* type) {
  const uint32_t n = type->dwNumAnims;
  if (n == 0) return true;
  o->pSlots = static_cast<SPW_ANIMSLOT*>(
      SGE_MemCalloc(SPW_DObjectMem, n * static_cast<uint32_t>(sizeof(SPW_ANIMSLOT))));
  if (!o->pSlots) return false;
  for (uint32_t a = 0; a < n; ++a) {
    SPW_ANIMSLOT& s = o->pSlots[a];
    s.ppAnims = static_cast<SPW_ANIMATION**>(SGE_MemCalloc(
        SPW_DObjectMem, (type->dwNumLods ? type->dwNumLods : 1) * static_cast<uint32_t>(sizeof(void*))));
    if (!s.ppAnims) return false;
    s.ppAnims[0] = &type->pAnims[a];
    s.fSpeed = 1.0f;
    s.fFlags = SPW_ANIM_PLAYING;
  }
  o->pBreakpoints = static_cast<SGE_DLLNODE*>(
      SGE_MemCalloc(SPW_DObjectMem, n * static_cast<uint32_t>(sizeof(SGE_DLLNODE))));
  o->ppCurrentBreakpoint = static_cast<SPW_BREAKPOINT**>(
      SGE_MemCalloc(SPW_DObjectMem, n * static_cast<uint32_t>(sizeof(SPW_BREAKPOINT*))));
  if (!o->pBreakpoints || !o->ppCurrentBreakpoint) return false;
  for (uint32_t a = 0; a < n; ++a) SGE_ListInit(&o->pBreakpoints[a]);
  return true;
}

// Everything the record points at; the record itself stays.
void FreeObjectData(SPW_DOBJECT* o) {
  const uint32_t n = SPW_DObjectAnimCount(o);
  if (o->pBreakpoints)
    for (uint32_t a = 0; a < n; ++a) SPW_FreeBreakpoints(o, static_cast<int32_t>(a));
  SGE_MemFree(o->pBreakpoints);
  SGE_MemFree(o->ppCurrentBreakpoint);
  if (o->pSlots)
    for (uint32_t a = 0; a < n; ++a) SGE_MemFree(o->pSlots[a].ppAnims);
  SGE_MemFree(o->pSlots);
  SGE_MemFree(o->pNodes);
  for (void*& legacy : o->apLegacy) {
    SGE_MemFree(legacy);
    legacy = nullptr;
  }
  o->pBreakpoints = nullptr;
  o->ppCurrentBreakpoint = nullptr;
  o->pSlots = nullptr;
  o->pNodes = nullptr;
  o->pActive = nullptr;
}

// Each object hung at this object's locators, however many there are.
void DetachAttached(SPW_DOBJECT* o) {
  const SPW_DOBJTYPE* type = SPW_DObjectType(o);
  if (!type || !o->pNodes) return;
  for (uint32_t i = 0; i < type->dwNumNodes; ++i) {
    SPW_DOBJECT* other = o->pNodes[i].pAttached;
    if (other && other->pParent == o) {
      SPW_DetachObject(other);
    } else if (other) {
      // A stale link: the other object hangs elsewhere now.
      o->pNodes[i].pAttached = nullptr;
      o->pNodes[i].nAttachIndex = -1;
      o->pNodes[i].nAttachedLocator = -1;
    }
  }
}

}  // namespace

SPW_DOBJTYPE* SPW_DObjectType(const SPW_DOBJECT* object) {
  return object ? SPW_GetObjectType(object->nType) : nullptr;
}

uint32_t SPW_DObjectAnimCount(const SPW_DOBJECT* object) {
  const SPW_DOBJTYPE* type = SPW_DObjectType(object);
  return type && object->pSlots ? type->dwNumAnims : 0;
}

std::string_view SPW_BoundedName(const char* name, size_t size) {
  return std::string_view(name, strnlen(name, size));
}

int32_t SPW_CreateDynamicObjectData(SPW_SCENE* scene, SPW_DOBJECT* o, int32_t slot,
                                    SPW_DOBJECT* parent, int32_t priority,
                                    const SPW_TRANSFORM* transform, uint32_t user) {
  if (!scene || !o || slot < 0 || slot >= SPW_MAX_OBJECT_TYPES) return 0;
  SPW_DOBJTYPE* type = SPW_GetObjectType(slot);
  if (!type || !(type->dwFlags & SPW_OBJTYPE_IN_USE)) {
    PLAT_Trace("SPW_CreateDynamicObjectData: type slot %d holds no type\n", slot);
    return 0;
  }
  o->fRadius = type->fRadius;
  o->vCentre = type->vCentre;
  SetCommonFields(scene, o, slot, parent, priority, transform, user);
  if (IsBuiltIn(slot)) {
    o->fFlags |= SPW_DOBJ_CHAIN_DIRTY;
    ++scene->dwCreated;
    ++type->dwNumInstances;
    Link(scene, o, parent);
    return 1;
  }
  if (type->dwNumNodes) {
    o->pNodes = static_cast<SPW_NODEINST*>(SGE_MemCalloc(
        SPW_DObjectMem, type->dwNumNodes * static_cast<uint32_t>(sizeof(SPW_NODEINST))));
  }
  if ((type->dwNumNodes && !o->pNodes) || !MakeSlots(o, type)) {
    PLAT_Trace("SPW_CreateDynamicObjectData: no memory for the nodes or slots of %s\n",
               type->szName);
    return 0;
  }
  ++scene->dwCreated;
  o->fWork03 = kWork03;
  o->colourA = {kFullChannel, kFullChannel, kFullChannel, kFullChannel};
  o->colourB = o->colourA;
  FillNodes(o, type);
  Link(scene, o, parent);
  ++type->dwNumInstances;
  return 1;
}

SPW_DOBJECT* SPW_CreateDynamicObjectEx(SPW_SCENE* scene, int32_t slot, SPW_DOBJECT* parent,
                                       int32_t priority, const SPW_TRANSFORM* transform,
                                       uint32_t user, int32_t animation) {
  auto* o = static_cast<SPW_DOBJECT*>(SGE_MemCalloc(SPW_DObjectMem, sizeof(SPW_DOBJECT)));
  if (!o) {
    PLAT_Trace("Fail to create dynamic object\n(powr: SPW_CreateDynamicObject)");
    return nullptr;
  }
  if (!SPW_CreateDynamicObjectData(scene, o, slot, parent, priority, transform, user)) {
    // A partly made object is never handed out: nothing of it is linked yet.
    PLAT_Trace("Fail to create dynamic object\n(powr: SPW_CreateDynamicObject)");
    FreeObjectData(o);
    SGE_MemFree(o);
    return nullptr;
  }
  SPW_SetAllNodesAnimation(o, animation, -1, SPW_DefaultNodeProc, 0);
  return o;
}

SPW_DOBJECT* SPW_CreateDynamicObject(SPW_SCENE* scene, int32_t slot, SPW_DOBJECT* parent,
                                     int32_t priority, const SPW_TRANSFORM* transform,
                                     uint32_t user) {
  return SPW_CreateDynamicObjectEx(scene, slot, parent, priority, transform, user, 0);
}

int32_t SPW_DestroyDynamicObject(SPW_DOBJECT* o) {
  if (!o) return 0;
  DetachAttached(o);
  if (o->pParent && (o->fFlags & SPW_DOBJ_ATTACHED)) SPW_DetachObject(o);
  // Events already fired for it would reach a freed object.
  SPW_DropObjectEvents(o);
  FreeObjectData(o);
  if (SPW_DOBJTYPE* type = SPW_DObjectType(o); type && type->dwNumInstances) --type->dwNumInstances;
  while (SPW_DOBJECT* child = SGE_ListFirstRecord<SPW_DOBJECT>(&o->children))
    SPW_DestroyDynamicObject(child);
  SGE_ListUnlink(&o->link.link);
  o->pSelf = nullptr;
  return SGE_MemFree(o);
}

void SPW_SetObjectName(SPW_DOBJECT* o, const char* name) {
  if (!o) return;
  std::memset(o->szName, 0, sizeof o->szName);
  if (name) std::strncpy(o->szName, name, SPW_DOBJECT_NAME_SIZE - 1);
}

SPW_DOBJECT* SPW_FindObjectByName(SPW_SCENE* scene, const char* name) {
  if (!scene || !name) return nullptr;
  for (SPW_DOBJECT* o : SGE_ListRecords<SPW_DOBJECT>(&scene->dobjects)) {
    if (PLAT_EqualNoCase(SPW_BoundedName(o->szName, sizeof o->szName), name)) return o;
  }
  return nullptr;
}

SPW_MATRIX* SPW_TransformToMatrix(const SPW_TRANSFORM* t, SPW_MATRIX* out) {
  SPW_QuatToMatrix(out, &t->qRot);
  out->m[3][0] = t->vPos.x;
  out->m[3][1] = t->vPos.y;
  out->m[3][2] = t->vPos.z;
  return out;
}

SPW_MATRIX* SPW_CameraMatrix(const SPW_TRANSFORM* t, SPW_MATRIX* out) {
  const SPW_QUAT conj = {-t->qRot.x, -t->qRot.y, -t->qRot.z, t->qRot.w};
  SPW_VECTOR p;
  SPW_QuatRotateVector(&conj, &t->vPos, &p);
  SPW_QuatToMatrix(out, &conj);
  out->m[3][0] = -p.x;
  out->m[3][1] = -p.y;
  out->m[3][2] = -p.z;
  return out;
}
