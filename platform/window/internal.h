#pragma once
// Shared state of the window folder: SDL's events are translated here once and handed to the
// event queue (window events) and to the input devices (mouse motion and wheel).
#include <cstdint>

#include "platform/window/window.h"

struct SDL_Window;

struct PLAT_Window {
  SDL_Window* sdl;
  uint32_t id;    // SDL's window id; devices keep this rather than the pointer
  bool captured;  // asked for the mouse capture (headless runs have no real one)
  // The picture a device shows in the window, and the window pixels it covers: pointer motion
  // is counted in the picture's pixels. Zero until a device presents.
  int pictureWidth, pictureHeight, viewWidth, viewHeight;
  int64_t restX, restY;  // motion short of a whole picture pixel
};

// Pumps SDL and translates everything pending; does nothing before the video system is up.
void PLATW_PumpEvents();
// End-to-end tests drive a running program through a file (testhook.cpp); without
// VANTORIA_TEST_CONTROL these do nothing.
void PLATW_ReadTestControl();
bool PLATW_FrameDumpWanted();
void PLATW_DeliverFrameDump(const uint8_t* rgbaTopDown, int width, int height);
void PLATW_QueueEvent(const PLAT_Event& ev);
void PLATW_ClearEvents();

// A device shows a picture of the given size over so many window pixels.
void PLATW_SetView(PLAT_Window* w, int pictureWidth, int pictureHeight, int viewWidth,
                   int viewHeight);

// Pointer motion seen by the event pump; the devices keep it only while a mouse is acquired.
void PLATW_AddMouseMotion(int dx, int dy, int dz);
// A warp moves the pointer without the user: the next motion is measured from its target.
void PLATW_NoteWarp(int x, int y);
// Where the last motion or warp the pump saw left the pointer; false before there was one.
bool PLATW_LastPointer(int* x, int* y);

PLAT_Window* PLATW_FindWindow(uint32_t windowId);
// Windows the layer makes itself (dialogs) are listed like the program's, and released without
// the Destroy event that tells the program its window went.
PLAT_Window* PLATW_AdoptWindow(SDL_Window* sdl);
void PLATW_ReleaseWindow(PLAT_Window* w);
void PLATW_DestroyAllWindows();
// Sanitized builds: loads the GL driver once, with every module loaded so far, and keeps them
// to the end of the run, so that their allocations stay named in leak reports; elsewhere
// nothing.
void PLATW_PinGlDriver();
