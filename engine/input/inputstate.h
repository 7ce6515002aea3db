#pragma once
// Input state shared by the input module's own files; not for other modules.
#include "engine/input/koinput.h"

struct KOINPUT_STATE {
  int32_t bStarted;
  int32_t nCooperative;  // 1 exclusive foreground, 0 shared background
  int32_t nDevices;
  KOINPUT_DEVICE* devices[KOINPUT_MAX_DEVICES];
  SGE_DLLNODE subscribers;  // newest first
  // Subscriptions dropped while KOINPUT_Poll walks them wait here until it ends.
  SGE_DLLNODE dropped;
  int32_t bPolling;
};

extern KOINPUT_STATE g_koInput;

// Frees subscriptions dropped during a poll.
void KOINPUT_FreeDropped();
