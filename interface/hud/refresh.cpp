// Requests to rebuild the HUD's buttons.
#include "interface/hud/refresh.h"

namespace {
int32_t g_requests = 0;
}  // namespace

void vnHUD_Refresh() { ++g_requests; }

int32_t vnHUD_TakeRefresh() {
  const int32_t requests = g_requests;
  g_requests = 0;
  return requests;
}
