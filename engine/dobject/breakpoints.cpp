// Breakpoints on animation times and the events they leave in the scene.
#include "engine/dobject/internal.h"
#include "engine/memory/memblock.h"
#include "engine/scene/scene.h"

void SPW_FreeBreakpoints(SPW_DOBJECT* o, int32_t slot) {
  SGE_ListFreeAll(&o->pBreakpoints[slot]);
  o->ppCurrentBreakpoint[slot] = nullptr;
}

void SPW_SeatBreakpoint(SPW_DOBJECT* o, int32_t slot) {
  if (!o->pBreakpoints) return;
  SGE_DLLNODE* list = &o->pBreakpoints[slot];
  const float t = o->pSlots[slot].fTime;
  // The first one still ahead, else the first. A breakpoint at 0 fires on the first step from
  // 0; any other fires only once passed.
  SPW_BREAKPOINT* seat = SGE_ListFirstRecord<SPW_BREAKPOINT>(list);
  for (SPW_BREAKPOINT* at : SGE_ListRecords<SPW_BREAKPOINT>(list)) {
    if (at->fTime > t || (at->fTime == t && t == 0.0f)) {
      seat = at;
      break;
    }
  }
  o->ppCurrentBreakpoint[slot] = seat;
}

void SPW_DropObjectEvents(SPW_DOBJECT* o) {
  if (!o->pScene) return;
  SGE_DLLNODE* events = &o->pScene->events;
  for (SPW_BREAKPOINT* event : SGE_ListRecords<SPW_BREAKPOINT>(events))
    if (event->pUser == o) SGE_ListRemove(&event->link);
}

int32_t SPW_AddAnimBreakpoint(SPW_DOBJECT* o, float ticks, uint32_t value, int32_t slot,
                              SPW_EVENTFN callback, const uint32_t* user) {
  if (!SPW_ValidSlot(o, slot) || !o->pBreakpoints) return 0;
  auto* bp = static_cast<SPW_BREAKPOINT*>(SGE_MemCalloc(SPW_BrkPtsMem, sizeof(SPW_BREAKPOINT)));
  if (!bp) return 0;
  bp->fTime = ticks;
  bp->dwValue = value;
  bp->pUser = o;
  bp->nSlot = slot;
  bp->pfnCallback = callback;
  if (user) {
    bp->adwUser[0] = user[0];
    bp->adwUser[1] = user[1];
  }
  // Ascending by time; one at the time of others goes after them.
  SGE_DLLNODE* list = &o->pBreakpoints[slot];
  SGE_DLLNODE* before = list;
  for (SPW_BREAKPOINT* at : SGE_ListRecords<SPW_BREAKPOINT>(list)) {
    if (at->fTime > ticks) {
      before = &at->link;
      break;
    }
  }
  SGE_ListAddTail(before, &bp->link);
  SPW_SeatBreakpoint(o, slot);
  return 1;
}

int32_t SPW_AddAnimBreakpointFrames(SPW_DOBJECT* o, float frames, uint32_t value, int32_t slot,
                                    SPW_EVENTFN callback, const uint32_t* user) {
  return SPW_AddAnimBreakpoint(o, frames * SPW_TICKS_PER_FRAME, value, slot, callback, user);
}

int32_t SPW_AddAnimEndBreakpoint(SPW_DOBJECT* o, uint32_t value, int32_t slot,
                                 SPW_EVENTFN callback, const uint32_t* user) {
  if (!SPW_ValidSlot(o, slot)) return 0;
  const float length = static_cast<float>(o->pSlots[slot].ppAnims[0]->dwLength);
  return SPW_AddAnimBreakpoint(o, length, value, slot, callback, user);
}

void SPW_ClearAnimBreakpoints(SPW_DOBJECT* o, int32_t slot) {
  if (SPW_ValidSlot(o, slot) && o->pBreakpoints) SPW_FreeBreakpoints(o, slot);
}

void SPW_ClearAllAnimBreakpoints(SPW_DOBJECT* o) {
  const uint32_t n = SPW_DObjectAnimCount(o);
  if (!o || !o->pBreakpoints) return;
  for (uint32_t a = 0; a < n; ++a) SPW_FreeBreakpoints(o, static_cast<int32_t>(a));
}
