#pragma once
// One frame of the game: timing, timers, input, frame timers, the world passes and rendering,
// each stage followed by a drain of the posted messages and a quit check.
#include <cstdint>

// 1 when the program must end.
int32_t vnMAIN_Frame();
// Timing and rendering only, for long loads.
int32_t vnMAIN_FrameRenderOnly();

// The world passes of the scenes (animate, update, procedures, sprites, events), skipped while
// paused; the engine installs them when its scene list exists.
using VNMAIN_WORLDPASS = void (*)();
constexpr int32_t VN_NUM_WORLD_PASSES = 5;
void vnMAIN_SetWorldPass(int32_t index, VNMAIN_WORLDPASS pass);
// Sets the time scale of the next frame from the last frame's milliseconds.
using VNMAIN_TIMESCALEFN = void (*)(uint32_t frameMs);
void vnMAIN_SetTimeScaleFn(VNMAIN_TIMESCALEFN fn);
