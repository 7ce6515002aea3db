#pragma once
// The program's quit request and its main window, which the frame loop, the root task and the
// services under them all consult.
#include <cstdint>

struct PLAT_Window;

void SGE_RequestQuit();
int32_t SGE_QuitRequested();
void SGE_ClearQuit();
void SGE_SetWindow(PLAT_Window* window);
PLAT_Window* SGE_GetWindow();
void SGE_CaptureMouse();
int32_t SGE_HasCapture();
