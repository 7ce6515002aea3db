#pragma once
// Voice lines spoken by the mission's soldiers, each in the voice of his portrait profile.
#include <cstdint>

struct VNUNIT;

// Plays the line of the unit's voice at its position: the sound slot, or -1 when the unit is no
// soldier of the mission's platoon, his profile has no voice, or the line did not play.
int32_t vnSOUND_PlayUnitVoice(const VNUNIT* unit, int32_t line);
