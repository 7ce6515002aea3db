#pragma once
// Bringing a texture of the table to the device and back, and the texture the batch lists bind.
#include <cstdint>

#include "driver/texture/convert.h"
#include "driver/texture/table.h"

// Level 3 to 2 for a texture of the table: converts its source into its cache file, or
// confirms the cache file. 1 with the converted pixels in out (when given), or with none when
// the cache file is current; -1 otherwise.
int32_t SPPD_TextureConvert(SPPD_DRIVERSTATE* state, int32_t id, int32_t palette,
                            SPPD_TEXIMAGE* out);
// Level 2 to 1: makes the texture's device texture from the pixels, or from its cache file
// when image is null, and stores it in the slot. Once the pixels are at hand the slot's old
// device texture is released, so a failure from there on leaves the slot without one. 1 or -1.
int32_t SPPD_TextureCreateSurface(SPPD_DRIVERSTATE* state, int32_t id,
                                  const SPPD_TEXIMAGE* image);

// Raises the texture to level 0: converts its source or confirms its cache file, then makes the
// device texture. 1, or -1 with the level left at the last step reached (3 or 2).
int32_t SPPD_TextureLoad(SPPD_DRIVERSTATE* state, int32_t id);
// Releases the device texture (level 2); without keepCache also empties the cache file
// (level 3). 1, or -1 with the level bits as they were.
int32_t SPPD_TextureUnload(SPPD_DRIVERSTATE* state, int32_t id, int32_t keepCache);
// Makes the device texture straight from the cache file, leaving the level bits alone; -1 for
// id 0, unknown ids and textures at level 0 or 1.
int32_t SPPD_TextureForceFromCache(SPPD_DRIVERSTATE* state, int32_t id);

// The texture to bind for an id: loaded when it was not, rebuilt from its cache when its
// device texture was lost. None draws untextured (id 0, unknown id, no surface).
PLAT_GfxTexture* SPPD_TextureForDraw(SPPD_DRIVERSTATE* state, uint32_t id);
// Whether the id's source is a "P7" image (its polygons go to the alpha list).
bool SPPD_TextureHasAlpha(SPPD_DRIVERSTATE* state, uint32_t id);
