#pragma once
// Frame timing: one reading of the clock per frame, read by everything that moves.
#include <cstdint>

// Frames-per-second 0, history and mean 1/30, frame counter 0, then SGE_ResetFrameTiming.
void SGE_InitFrameTiming();
// The first step of every frame.
void SGE_UpdateFrameTiming();
// Runs the timing step 100 times so that the delta history restarts from now.
void SGE_ResetFrameTiming();

float SGE_GetFrameDelta();  // seconds since the previous frame, 0.001 outside 0.001..1.0
float SGE_GetFrameTime();   // mean of the last three deltas
float SGE_GetFrameRate();   // 1 / mean, 0 when the mean is 0
float SGE_GetFPS();         // the once-per-second figure
int32_t SGE_GetFrameMs();   // delta x 1000, truncated
uint32_t SGE_GetFrameStartMs();
float SGE_GetSeconds();            // frame start in seconds
uint32_t SGE_GetFrameCounter();    // frames since the last frames-per-second update
