// Texture look-ups of the batch lists. Directly registered textures come first; the texture
// table answers for the rest once a display has one.
#include "driver/batch/texlookup.h"

#include <climits>
#include <map>
#include <utility>

#include "driver/texture/load.h"

namespace {

struct Registered {
  PLAT_GfxTexture* texture;
  bool alpha;
};

std::map<std::pair<const SPPD_DRIVERSTATE*, uint32_t>, Registered>& Table() {
  static std::map<std::pair<const SPPD_DRIVERSTATE*, uint32_t>, Registered> table;
  return table;
}

const Registered* Find(const SPPD_DRIVERSTATE* state, uint32_t id) {
  auto& t = Table();
  if (t.empty()) return nullptr;
  auto it = t.find({state, id});
  return it == t.end() ? nullptr : &it->second;
}

}  // namespace

PLAT_GfxTexture* SPPD_BatchTextureForDraw(SPPD_DRIVERSTATE* state, uint32_t id) {
  if (!state || id == 0) return nullptr;
  if (const Registered* r = Find(state, id)) {
    // A surface lost with the device is usable again once restored; its owner refills it.
    if (PLAT_GfxTextureIsLost(r->texture)) PLAT_GfxRestoreTexture(r->texture);
    return r->texture;
  }
  return SPPD_TextureForDraw(state, id);
}

void SPPD_BatchTextureComplete(SPPD_DRIVERSTATE* state, uint32_t id) {
  if (!state || id == 0 || id > INT32_MAX || Find(state, id)) return;
  if (SPPD_TextureSlot(state->pTextureTable, static_cast<int32_t>(id)))
    SPPD_TextureLoad(state, static_cast<int32_t>(id));
}

bool SPPD_BatchTextureHasAlpha(SPPD_DRIVERSTATE* state, uint32_t id) {
  if (!state || id == 0) return false;
  if (const Registered* r = Find(state, id)) return r->alpha;
  return SPPD_TextureHasAlpha(state, id);
}

void SPPD_BatchSetTexture(SPPD_DRIVERSTATE* state, uint32_t id, PLAT_GfxTexture* texture,
                          bool alpha) {
  if (!texture) {
    Table().erase({state, id});
    return;
  }
  Table()[{state, id}] = {texture, alpha};
}

void SPPD_BatchClearTextures(SPPD_DRIVERSTATE* state) {
  auto& t = Table();
  for (auto it = t.begin(); it != t.end();) it = it->first.first == state ? t.erase(it) : ++it;
}
