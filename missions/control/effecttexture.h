#pragma once
// Effect textures of the mission's 3D view: the ids that the driver of the display under the
// mission's effect draw list gives texture files.
#include <cstdint>

// The texture id of the file, 0 (traced) when there is no effect draw list or the driver
// refuses the file.
int32_t vnMISSCONT_GetEffectTextureID(const char* file);
