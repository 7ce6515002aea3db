#pragma once
// How the batch lists reach a texture by its id: the texture as it should be bound now (its
// pending load completed, a lost surface rebuilt) and whether its source has alpha.
#include <cstdint>

#include "driver/core/state.h"
#include "platform/gfx/gfx.h"

// None draws untextured (id 0, an unknown id, or a texture that could not be loaded).
PLAT_GfxTexture* SPPD_BatchTextureForDraw(SPPD_DRIVERSTATE* state, uint32_t id);
// Completes a pending load of the id's texture without binding it (wireframe draws bind none
// but leave the texture ready all the same).
void SPPD_BatchTextureComplete(SPPD_DRIVERSTATE* state, uint32_t id);
bool SPPD_BatchTextureHasAlpha(SPPD_DRIVERSTATE* state, uint32_t id);

// Registers a device texture under an id of a state, ahead of any texture table (tests and
// benchmarks); a null texture removes the id. Such ids win over the table's.
void SPPD_BatchSetTexture(SPPD_DRIVERSTATE* state, uint32_t id, PLAT_GfxTexture* texture,
                          bool alpha);
// Forgets every texture registered for the state.
void SPPD_BatchClearTextures(SPPD_DRIVERSTATE* state);
