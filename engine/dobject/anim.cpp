// Animation slots, node animation choices, node selections and the per-frame advance.
#include <algorithm>
#include <cstring>

#include "engine/dobject/internal.h"
#include "engine/kernel/frametime.h"
#include "engine/memory/memblock.h"
#include "engine/scene/scene.h"
#include "platform/text.h"
#include "platform/trace.h"

namespace {

bool ValidIndex(const SPW_DOBJECT* o, int32_t index) {
  return index >= -1 && index < static_cast<int32_t>(SPW_DObjectAnimCount(o));
}

void EmptyChain(SPW_DOBJECT* o) {
  for (SPW_ANIMSLOT* s = o->pActive; s;) {
    SPW_ANIMSLOT* next = s->pNext;
    s->fFlags &= ~SPW_ANIM_IN_CHAIN;
    s->pNext = nullptr;
    s = next;
  }
  o->pActive = nullptr;
}

void PushSlot(SPW_DOBJECT* o, int32_t index) {
  if (index < 0 || !SPW_ValidSlot(o, index)) return;
  SPW_ANIMSLOT& s = o->pSlots[index];
  if (s.fFlags & SPW_ANIM_IN_CHAIN) return;
  s.fFlags |= SPW_ANIM_IN_CHAIN;
  s.pNext = o->pActive;
  o->pActive = &s;
}

void RebuildChain(SPW_DOBJECT* o, const SPW_DOBJTYPE* type) {
  EmptyChain(o);
  if (o->pNodes)
    for (uint32_t i = 0; i < type->dwNumNodes; ++i) {
      const SPW_NODEINST& n = o->pNodes[i];
      if (!n.pfnProc) continue;
      PushSlot(o, n.nPrimary);
      PushSlot(o, n.nOverride);
    }
  o->fFlags &= ~SPW_DOBJ_CHAIN_DIRTY;
}

void FinishCrossFade(SPW_DOBJECT* o, const SPW_DOBJTYPE* type) {
  o->fFlags &= ~(SPW_DOBJ_CROSSFADE_DONE | SPW_DOBJ_CROSSFADE);
  o->fCrossFade = 0.0f;
  // Nodes without an override keep what they play.
  if (o->pNodes)
    for (uint32_t i = 0; i < type->dwNumNodes; ++i)
      if (o->pNodes[i].nOverride != -1) o->pNodes[i].nPrimary = o->pNodes[i].nOverride;
  o->fFlags |= SPW_DOBJ_CHAIN_DIRTY;
}

// Whether a breakpoint at m fires on the step from e to t.
bool Fires(float e, float t, float m) {
  if (t >= e) return (e < m && m <= t) || (m == 0.0f && e == 0.0f);
  return m > e || m <= t;  // wrapped
}

void PostEvent(SPW_DOBJECT* o, const SPW_BREAKPOINT* bp) {
  auto* ev = static_cast<SPW_BREAKPOINT*>(SGE_MemAlloc(SPW_BrkPtsMem, sizeof(SPW_BREAKPOINT)));
  if (!ev) {
    PLAT_Trace("Failure to create breakpoint memory\nin(spsystem:SPW_AnimateObjects)");
    return;
  }
  *ev = *bp;
  SGE_ListAddTail(&o->pScene->events, &ev->link);
}

void FireBreakpoints(SPW_DOBJECT* o, int32_t slot, float e, float t) {
  SGE_DLLNODE* list = &o->pBreakpoints[slot];
  if (SGE_ListIsEmpty(list)) return;
  SPW_BREAKPOINT*& current = o->ppCurrentBreakpoint[slot];
  if (!current) current = SGE_ListFirstRecord<SPW_BREAKPOINT>(list);
  SPW_BREAKPOINT* start = current;
  SPW_BREAKPOINT* bp = start;
  do {
    if (!Fires(e, t, bp->fTime)) break;
    if (o->pScene) PostEvent(o, bp);
    bp = SGE_ListRecord<SPW_BREAKPOINT>(SGE_ListNextWrap(list, &bp->link));
  } while (bp != start);
  current = bp;
}

void AdvanceSlot(SPW_DOBJECT* o, int32_t index, float step) {
  SPW_ANIMSLOT& s = o->pSlots[index];
  const SPW_ANIMATION* anim = s.ppAnims ? s.ppAnims[0] : nullptr;
  if (!anim || !(s.fSpeed > 0.0f) || !(s.fFlags & SPW_ANIM_PLAYING)) return;
  const float old = s.fTime;
  const float length = static_cast<float>(anim->dwLength);
  float t = s.fSpeed * step + old;
  if (s.fFlags & SPW_ANIM_ONCE) {
    if (t >= length) {
      s.fSpeed = 0.0f;
      o->pfnCallback(o);
      t = length;
    }
  } else if (length <= 0.0f) {
    t = old;  // an empty loop would never end its wrapping
  } else {
    while (t >= length) {
      o->pfnCallback(o);
      t -= length;
    }
  }
  if (t != old && o->pBreakpoints) FireBreakpoints(o, index, old, t);
  s.fTime = t;
}

}  // namespace

bool SPW_ValidSlot(const SPW_DOBJECT* o, int32_t slot) {
  return slot >= 0 && static_cast<uint32_t>(slot) < SPW_DObjectAnimCount(o);
}

int32_t SPW_LookupAnimationByName(const SPW_DOBJECT* o, const char* name) {
  const SPW_DOBJTYPE* type = SPW_DObjectType(o);
  if (!type || !name) return -1;
  for (uint32_t a = 0; a < type->dwNumAnims; ++a)
    if (PLAT_EqualNoCase(SPW_BoundedName(type->pAnims[a].szName, SPW_ANIM_NAME_SIZE),
                         SPW_BoundedName(name, SPW_ANIM_NAME_SIZE)))
      return static_cast<int32_t>(a);
  return -1;
}

int32_t SPW_FindAnimationByName(const SPW_DOBJECT* o, const char* name) {
  return std::max(SPW_LookupAnimationByName(o, name), 0);
}

int32_t SPW_SetAnimationTime(SPW_DOBJECT* o, int32_t slot, float ticks) {
  if (!SPW_ValidSlot(o, slot)) return 0;
  o->pSlots[slot].fTime = ticks;
  SPW_SeatBreakpoint(o, slot);
  return 1;
}

int32_t SPW_SetAnimationTimeFrames(SPW_DOBJECT* o, int32_t slot, float frames) {
  return SPW_SetAnimationTime(o, slot, frames * SPW_TICKS_PER_FRAME);
}

int32_t SPW_SetAnimationSpeed(SPW_DOBJECT* o, int32_t slot, float speed) {
  if (!SPW_ValidSlot(o, slot)) return 0;
  o->pSlots[slot].fSpeed = speed;
  return 1;
}

int32_t SPW_SetAnimationFlags(SPW_DOBJECT* o, int32_t slot, uint32_t bits) {
  if (!SPW_ValidSlot(o, slot)) return 0;
  o->pSlots[slot].fFlags |= bits;
  return 1;
}

int32_t SPW_ClearAnimationFlags(SPW_DOBJECT* o, int32_t slot, uint32_t bits) {
  if (!SPW_ValidSlot(o, slot)) return 0;
  o->pSlots[slot].fFlags &= ~bits;
  return 1;
}

int32_t SPW_SetNodeAnimation(SPW_DOBJECT* o, SPW_NODEINST* node, int32_t primary,
                             int32_t override, SPW_NODEPROC proc, uint32_t procValue) {
  if (!o || !node) return 0;
  o->fFlags &= ~SPW_DOBJ_CROSSFADE_DONE;
  if (ValidIndex(o, primary) && primary != node->nPrimary) {
    node->nPrimary = primary;
    o->fFlags |= SPW_DOBJ_CHAIN_DIRTY;
  }
  if (proc) {
    node->pfnProc = proc;
    node->dwProcValue = procValue;
  }
  if (ValidIndex(o, override) && override != node->nOverride) {
    node->nOverride = override;
    o->fFlags |= SPW_DOBJ_CHAIN_DIRTY;
  }
  return 1;
}

int32_t SPW_SetAllNodesAnimation(SPW_DOBJECT* o, int32_t primary, int32_t override,
                                 SPW_NODEPROC proc, uint32_t procValue) {
  const SPW_DOBJTYPE* type = SPW_DObjectType(o);
  if (!type) return 0;
  int32_t ok = 1;
  for (uint32_t i = 0; o->pNodes && i < type->dwNumNodes; ++i)
    ok &= SPW_SetNodeAnimation(o, &o->pNodes[i], primary, override, proc, procValue);
  return ok;
}

int32_t SPW_PlayAnimation(SPW_DOBJECT* o, int32_t primary, int32_t override, SPW_NODEPROC proc,
                          uint32_t procValue, uint32_t slotFlags, float speed) {
  const int32_t ok = SPW_SetAllNodesAnimation(o, primary, override, proc, procValue);
  if (SPW_ValidSlot(o, primary)) {
    o->pSlots[primary].fFlags |= slotFlags;
    o->pSlots[primary].fSpeed = speed;
  }
  return ok;
}

SPW_NODESELECTION* SPW_SelectNodes(SPW_DOBJECT* o, uint32_t count, const char* const* names) {
  const SPW_DOBJTYPE* type = SPW_DObjectType(o);
  if (!type || !type->dwNumLods || !o->pNodes || !names) return nullptr;
  const SPW_DOBJLOD& lod = type->pLods[0];
  uint32_t found = 0;
  for (uint32_t k = 0; k < count; ++k)
    for (uint32_t i = 0; i < lod.dwNumNodes; ++i)
      found += names[k] && PLAT_EqualNoCase(SPW_BoundedName(lod.pNodes[i].szName, SPW_NODE_NAME_SIZE),
                                            SPW_BoundedName(names[k], SPW_NODE_NAME_SIZE));
  if (!found) return nullptr;
  auto* sel = static_cast<SPW_NODESELECTION*>(SGE_MemCalloc(SPW_DObjectMem, sizeof(SPW_NODESELECTION)));
  if (!sel) return nullptr;
  sel->ppNodes = static_cast<SPW_NODEINST**>(
      SGE_MemCalloc(SPW_DObjectMem, found * static_cast<uint32_t>(sizeof(SPW_NODEINST*))));
  if (!sel->ppNodes) {
    SGE_MemFree(sel);
    return nullptr;
  }
  for (uint32_t k = 0; k < count; ++k)
    for (uint32_t i = 0; i < lod.dwNumNodes; ++i)
      if (names[k] && PLAT_EqualNoCase(SPW_BoundedName(lod.pNodes[i].szName, SPW_NODE_NAME_SIZE),
                                       SPW_BoundedName(names[k], SPW_NODE_NAME_SIZE)))
        sel->ppNodes[sel->dwCount++] = &o->pNodes[i];
  return sel;
}

int32_t SPW_SetNodeListAnimation(SPW_DOBJECT* o, SPW_NODESELECTION* sel, int32_t primary,
                                 int32_t override, SPW_NODEPROC proc, uint32_t procValue) {
  if (!o || !sel) return 0;
  int32_t ok = 1;
  for (uint32_t i = 0; i < sel->dwCount; ++i)
    ok &= SPW_SetNodeAnimation(o, sel->ppNodes[i], primary, override, proc, procValue);
  return ok;
}

void SPW_FreeNodeSelection(SPW_NODESELECTION* sel) {
  if (!sel) return;
  SGE_MemFree(sel->ppNodes);
  SGE_MemFree(sel);
}

int32_t SPW_FindNodeByName(const SPW_DOBJECT* o, const char* name) {
  const SPW_DOBJTYPE* type = SPW_DObjectType(o);
  if (!type || !type->dwNumLods || !name) return -1;
  const std::string_view want = SPW_BoundedName(name, SPW_NODE_NAME_SIZE);
  const SPW_DOBJLOD& lod = type->pLods[0];
  for (uint32_t i = 0; i < lod.dwNumNodes; ++i) {
    const std::string_view have = SPW_BoundedName(lod.pNodes[i].szName, SPW_NODE_NAME_SIZE);
    if (have.size() >= want.size() && PLAT_EqualNoCase(have.substr(0, want.size()), want))
      return static_cast<int32_t>(i);
  }
  return -1;
}

void SPW_AnimateObjects(SPW_DOBJECT* o) {
  const SPW_DOBJTYPE* type = SPW_DObjectType(o);
  if (!type || (o->fFlags & SPW_DOBJ_NOT_ANIMATED)) return;
  if (o->fFlags & SPW_DOBJ_CROSSFADE_DONE) FinishCrossFade(o, type);
  if (o->fFlags & SPW_DOBJ_CROSSFADE) {
    o->fCrossFade += SPW_TimeScale * o->fCrossFadeRate;
    if (o->fCrossFade >= 1.0f) {
      o->fCrossFade = 1.0f;
      o->fFlags |= SPW_DOBJ_CROSSFADE_DONE;
    }
  }
  if (!o->pSlots) return;
  if (o->fFlags & SPW_DOBJ_CHAIN_DIRTY) RebuildChain(o, type);
  const float step = SGE_GetFrameTime() * SPW_TICKS_PER_SECOND;
  for (SPW_ANIMSLOT* s = o->pActive; s; s = s->pNext)
    AdvanceSlot(o, static_cast<int32_t>(s - o->pSlots), step);
}
