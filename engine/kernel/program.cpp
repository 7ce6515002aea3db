#include "engine/kernel/program.h"

#include "platform/window/window.h"

namespace {

int32_t g_quit = 0;
PLAT_Window* g_window = nullptr;

}  // namespace

void SGE_RequestQuit() { g_quit = 1; }
int32_t SGE_QuitRequested() { return g_quit; }
void SGE_ClearQuit() { g_quit = 0; }

void SGE_SetWindow(PLAT_Window* window) { g_window = window; }
PLAT_Window* SGE_GetWindow() { return g_window; }
void SGE_CaptureMouse() {
  if (g_window) PLAT_CaptureMouse(g_window, true);
}
int32_t SGE_HasCapture() { return (g_window && PLAT_HasMouseCapture(g_window)) ? 1 : 0; }
