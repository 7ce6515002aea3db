#pragma once
// The running mission's marker task on an effect draw list of a camera view, reached through
// the mission controller's getters as owners reach it.
#include <gtest/gtest.h>

#include "missions/control/overlay.h"
#include "tests/world/attach/view_fixture.h"
#include "world/marker/marker.h"

namespace markertest {

constexpr uint32_t kBlack = 0xFF000000, kBlue = 0xFF0000FF, kGreen = 0xFF00FF00,
                   kRed = 0xFFFF0000, kWhite = 0xFFFFFFFF, kGrey = 0xFF404040;

// A framed bar: blue frame, grey behind, filled from red when empty to green when full.
inline VNMARKER_DEFAULTS Defaults(SGE_MEMBLOCK* block) {
  VNMARKER_DEFAULTS d{};
  d.pBlock = block;
  d.data.adwLook[0] = kBlue;
  d.data.adwLook[1] = kGrey;
  d.data.adwLook[2] = kGrey;
  d.data.adwLook[3] = kGreen;
  d.data.adwLook[4] = kRed;
  d.data.afPair[VNMARKER_PAIR_A][0] = 17.0f;
  d.data.afPair[VNMARKER_PAIR_A][1] = 2.0f;
  d.data.afPair[VNMARKER_PAIR_B][0] = 19.0f;
  d.data.afPair[VNMARKER_PAIR_B][1] = 4.0f;
  d.data.afPair[VNMARKER_PAIR_C][0] = 21.0f;
  d.data.afPair[VNMARKER_PAIR_C][1] = 6.0f;
  d.data.fLevel = 1.0f;
  d.data.anWords[0] = 11;
  d.data.anWords[3] = 14;
  return d;
}

// Hangs a marker task made with the defaults on a new effect list of the node, as the mission
// controller does; the list, or null.
inline VNFX_ATTACHLIST* StartMarkers(SPW_DISPLAYNODE* view, const VNMARKER_DEFAULTS& defaults,
                                     SGE_TASK** task) {
  EXPECT_EQ(vnMARK_Register(), 1);
  VNFX_ATTACHLIST* list = vnFX_AttachListCreate(view, VNMISSCONT_EFFECT_LIST_PRIORITY);
  vnMISSCONT_SetAttachDisplay(list);
  *task = SGE_CreateTask(VNTT_MARKERS, nullptr, nullptr, SGE_PtrParam(&defaults), 0);
  vnMISSCONT_SetOverlayTask(*task);
  return list;
}

inline void StopMarkers(VNFX_ATTACHLIST* list, SGE_TASK* task) {
  if (task && vnMISSCONT_GetOverlayTask() == task)
    SGE_SendMessage(task, nullptr, SGM_TASK_DESTROY, 0, 0);
  vnMISSCONT_SetOverlayTask(nullptr);
  vnMISSCONT_SetAttachDisplay(nullptr);
  vnFX_AttachListDestroy(list);
}

}  // namespace markertest
