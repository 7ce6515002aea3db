#pragma once
// The main window and its event queue over SDL2. The frame loop polls events; when none is
// pending it runs a frame. Headless runs (SDL_VIDEODRIVER=offscreen or dummy, or
// VANTORIA_HEADLESS=1) still get a window object, and message boxes print to standard error.
#include <cstdint>

struct PLAT_Window;

enum class PLAT_EventType : uint32_t {
  None = 0,
  Quit,      // the user or PLAT_PostQuit asked the program to end; code carries the exit code
  Activate,  // active = 1 gained focus, 0 lost it
  Destroy,   // the window was destroyed
  Paint,     // the window needs repainting
};

struct PLAT_Event {
  PLAT_EventType type;
  int32_t active;
  int32_t code;
};

bool PLAT_InitVideo();  // brings up SDL's video; idempotent
void PLAT_ShutdownVideo();
bool PLAT_IsHeadless();

// Creates a hidden pop-up window of the given client size; none on failure (with a trace).
// flags: PLAT_WINDOW_OPENGL asks for a window that a GL context can use.
constexpr uint32_t PLAT_WINDOW_OPENGL = 1;
PLAT_Window* PLAT_CreateWindow(const char* title, int width, int height, uint32_t flags);
void PLAT_DestroyWindow(PLAT_Window* w);  // queues a Destroy event
void PLAT_ShowWindow(PLAT_Window* w, bool show);
void PLAT_SetWindowPos(PLAT_Window* w, int x, int y);
void PLAT_GetWindowRect(PLAT_Window* w, int* x, int* y, int* width, int* height);
void PLAT_SetWindowSize(PLAT_Window* w, int width, int height);
void PLAT_GetDesktopSize(int* width, int* height);
// The SDL window behind it, for the platform's own device layer only (void* keeps SDL out).
void* PLAT_NativeWindow(PLAT_Window* w);
PLAT_Window* PLAT_MainWindow();  // the first window created and not yet destroyed

// Takes the next pending event; false when none is pending.
bool PLAT_PollEvent(PLAT_Event* ev);
void PLAT_PostQuit(int code);
void PLAT_PostEvent(const PLAT_Event& ev);  // tests feed activation and paint events

void PLAT_ShowCursor(bool show);
bool PLAT_IsCursorShown();
// The pointer in the window's client coordinates; false when it is over another window.
bool PLAT_GetCursorPos(PLAT_Window* w, int* x, int* y);
void PLAT_WarpCursor(PLAT_Window* w, int x, int y);  // client coordinates
void PLAT_CaptureMouse(PLAT_Window* w, bool capture);
bool PLAT_HasMouseCapture(PLAT_Window* w);
