// Objects hung on each other at locator nodes, named-node lookups and node world transforms.
#include <vector>

#include "engine/dobject/internal.h"
#include "engine/scene/scene.h"
#include "platform/text.h"
#include "platform/trace.h"

namespace {

constexpr int kMaxHops = 64;

void ClearLink(SPW_NODEINST& inst) {
  inst.nAttachIndex = -1;
  inst.pAttached = nullptr;
  inst.nAttachedLocator = -1;
}

bool IsLocator(const SPW_DOBJNODE& node) { return node.dwKind == SPW_NODEKIND_LOCATOR; }

bool NameIs(const SPW_DOBJNODE& node, const char* name) {
  return name && PLAT_EqualNoCase(SPW_BoundedName(node.szName, SPW_NODE_NAME_SIZE),
                                  SPW_BoundedName(name, SPW_NODE_NAME_SIZE));
}

// The locator indices of one level, at most SPW_MAX_ATTACH_LOCATORS.
std::vector<int32_t> Locators(const SPW_DOBJTYPE* type, const SPW_DOBJLOD& lod) {
  std::vector<int32_t> out;
  for (uint32_t i = 0; i < lod.dwNumNodes && i < type->dwNumNodes; ++i) {
    if (!IsLocator(lod.pNodes[i])) continue;
    if (out.size() == static_cast<size_t>(SPW_MAX_ATTACH_LOCATORS)) {
      PLAT_Trace("%.20s has more than %d locator!! (spdobject.c: SPW_AttachObjectName)", type->szName,
                 SPW_MAX_ATTACH_LOCATORS);
      break;
    }
    out.push_back(static_cast<int32_t>(i));
  }
  return out;
}

// The locator of this attached object whose link names the parent's locator; -1 when none.
int32_t ParentLocator(const SPW_DOBJECT* o) {
  const SPW_DOBJTYPE* type = SPW_DObjectType(o);
  if (!type || !o->pNodes) return -1;
  for (uint32_t i = 0; i < type->dwNumNodes; ++i)
    if (o->pNodes[i].nAttachIndex != -1 && !o->pNodes[i].pAttached) return o->pNodes[i].nAttachIndex;
  return -1;
}

void ApplyOverride(const SPW_DOBJECT* o, const SPW_NODEINST* inst, SPW_TRANSFORM* t) {
  if (o->nOverrideNode < 0 || inst != &o->pNodes[o->nOverrideNode]) return;
  SPW_QUAT turn;
  SPW_QuatFromEuler(&o->vOverrideAngles, &turn);
  SPW_QuatMultiply(&t->qRot, &turn, &t->qRot);
}

}  // namespace

int32_t SPW_AttachObjectName(SPW_DOBJECT* o, SPW_DOBJECT* other, int32_t lod, int32_t otherLod,
                             const char* name, const char* otherName) {
  const SPW_DOBJTYPE* type = SPW_DObjectType(o);
  const SPW_DOBJTYPE* otherType = SPW_DObjectType(other);
  if (!type || !otherType || o == other || !o->pNodes || !other->pNodes) return 0;
  if (lod < 0 || static_cast<uint32_t>(lod) >= type->dwNumLods || otherLod < 0 ||
      static_cast<uint32_t>(otherLod) >= otherType->dwNumLods)
    return 0;
  const SPW_DOBJLOD& l = type->pLods[lod];
  const SPW_DOBJLOD& ol = otherType->pLods[otherLod];
  bool paired = false;
  for (int32_t a : Locators(type, l)) {
    if (!NameIs(l.pNodes[a], name)) continue;
    for (int32_t b : Locators(otherType, ol)) {
      if (!NameIs(ol.pNodes[b], otherName)) continue;
      paired = true;
      SPW_NODEINST& mine = o->pNodes[a];
      if (mine.pAttached) continue;
      // Hung elsewhere already: take it down there first so no locator keeps a stale link.
      if (other->fFlags & SPW_DOBJ_ATTACHED) SPW_DetachObject(other);
      other->fFlags |= SPW_DOBJ_ATTACHED;
      other->pParent = o;
      mine.pAttached = other;
      mine.nAttachIndex = a;
      mine.nAttachedLocator = b;
      other->pNodes[b].nAttachIndex = a;
      return 1;
    }
  }
  return paired ? 1 : 0;
}

int32_t SPW_DetachObject(SPW_DOBJECT* o) {
  if (!o || !o->pParent) return 0;
  SPW_DOBJECT* parent = o->pParent;
  if (const SPW_DOBJTYPE* pt = SPW_DObjectType(parent); pt && parent->pNodes)
    for (uint32_t i = 0; i < pt->dwNumNodes; ++i)
      if (parent->pNodes[i].pAttached == o) ClearLink(parent->pNodes[i]);
  // Only the links toward the parent: objects hung on this one stay where they are.
  if (const SPW_DOBJTYPE* t = SPW_DObjectType(o); t && o->pNodes)
    for (uint32_t i = 0; i < t->dwNumNodes; ++i)
      if (!o->pNodes[i].pAttached) ClearLink(o->pNodes[i]);
  o->pParent = nullptr;
  o->fFlags &= ~SPW_DOBJ_ATTACHED;
  SGE_ListUnlink(&o->link.link);
  if (o->pScene) SGE_ListAddTail(&o->pScene->dobjects, &o->link.link);
  return 1;
}

int32_t SPW_FindNamedNode(SPW_DOBJECT* o, const char* name, SPW_DOBJECT** outObject,
                          int32_t* outIndex) {
  const SPW_DOBJTYPE* type = SPW_DObjectType(o);
  if (!type || !type->dwNumLods || !o->pNodes || !name) return 0;
  const SPW_DOBJLOD& lod = type->pLods[0];
  for (uint32_t i = 0; i < lod.dwNumNodes && i < type->dwNumNodes; ++i) {
    if (!IsLocator(lod.pNodes[i])) continue;
    if (NameIs(lod.pNodes[i], name)) {
      if (outObject) *outObject = o;
      if (outIndex) *outIndex = static_cast<int32_t>(i);
      return 1;
    }
    if (o->pNodes[i].pAttached && SPW_FindNamedNode(o->pNodes[i].pAttached, name, outObject, outIndex))
      return 1;
  }
  return 0;
}

int32_t SPW_FindNamedNodeEx(SPW_DOBJECT* o, const char* name, SPW_DOBJECT** outObject,
                            int32_t* outIndex, SPW_FINDNODEFN callback, void* data) {
  const SPW_DOBJTYPE* type = SPW_DObjectType(o);
  if (!type || !type->dwNumLods || !o->pNodes || !name) return 0;
  const SPW_DOBJLOD& lod = type->pLods[0];
  int32_t result = 0;
  for (uint32_t i = 0; i < lod.dwNumNodes && i < type->dwNumNodes; ++i) {
    if (!IsLocator(lod.pNodes[i])) continue;
    if (NameIs(lod.pNodes[i], name) && callback && !callback(o, static_cast<int32_t>(i), data))
      return 0;
    if (o->pNodes[i].pAttached)
      result = SPW_FindNamedNode(o->pNodes[i].pAttached, name, outObject, outIndex);
  }
  return result;
}

int32_t SPW_GetNodeWorldTransform(SPW_DOBJECT* o, int32_t node, SPW_MATRIX* out, float* outScale) {
  const SPW_DOBJTYPE* type = SPW_DObjectType(o);
  if (!type || !out) return 0;
  SPW_MatIdentity(out);
  float scale = 1.0f;
  SPW_NODEINST* inst = nullptr;
  if (node >= 0 && static_cast<uint32_t>(node) < type->dwNumNodes && o->pNodes) inst = &o->pNodes[node];
  // Objects hung on each other in a ring would walk forever: a bounded number of hops.
  int hops = 0;
  for (; o && hops < kMaxHops; ++hops) {
    while (inst) {
      const SPW_DOBJTYPE* t = SPW_DObjectType(o);
      const int32_t index = static_cast<int32_t>(inst - o->pNodes);
      if (inst->nId == 0) inst->t = o->t;
      if ((o->fFlags & SPW_DOBJ_ATTACHED) && o->pParent && o->pParent->pNodes && t->dwNumLods &&
          IsLocator(t->pLods[0].pNodes[index]) && inst->nAttachIndex >= 0 && !inst->pAttached) {
        if (++hops >= kMaxHops) break;
        o = o->pParent;
        inst = &o->pNodes[inst->nAttachIndex];
        continue;
      }
      if (inst->pfnProc) inst->pfnProc(o, inst, nullptr, nullptr);
      SPW_TRANSFORM tr = inst->t;
      ApplyOverride(o, inst, &tr);
      SPW_MATRIX m;
      SPW_TransformToMatrix(&tr, &m);
      SPW_MatMultiply(&m, out, out);
      scale *= tr.fScale;
      inst = inst->pParent;
    }
    const int32_t at = (o->fFlags & SPW_DOBJ_ATTACHED) ? ParentLocator(o) : -1;
    if (!o->pParent || at < 0 || !o->pParent->pNodes) break;
    o = o->pParent;
    inst = &o->pNodes[at];
  }
  if (outScale) *outScale = scale;
  return 1;
}

int32_t SPW_GetNamedNodeTransform(SPW_DOBJECT* o, const char* name, SPW_MATRIX* out,
                                  float* outScale) {
  SPW_DOBJECT* owner = nullptr;
  int32_t index = -1;
  if (!SPW_FindNamedNode(o, name, &owner, &index)) return 0;
  return SPW_GetNodeWorldTransform(owner, index, out, outScale);
}
