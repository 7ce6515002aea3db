#pragma once
// What the state switch and the end-of-animation transitions share.
#include <cstdint>

#include "terran/terunit.h"

// Places the model and plays the two halves' animations, both at the speed (a held fire pose
// stays at 0).
void vnTERUNIT_PlayHalves(VNTERUNIT* record, SPW_DOBJECT* model, float speed);
