// Display layers: each 2D layer draws into its own slice of the depth range.
#include "engine/display/display.h"

#include "engine/driver/sppd.h"
#include "platform/trace.h"

namespace {

// The layer's depth slice and projection words, identity matrices, no clip planes, and a white
// opaque constant colour: the state every 2D pass of a layer starts from. The fog colour stays
// as the view left it.
constexpr uint32_t kLayerStateMask = SPPD_RS_VIEW_WORDS | SPPD_RS_CONST_RGB_KEPT |
                                     SPPD_RS_CONST_RGB_WHITE | SPPD_RS_CONST_ALPHA_FULL;

constexpr VNLAYER kLayers[VN_NUM_LAYERS] = {
    {1.0f, 2.0f, 0.001f, 0.009f, 1100}, {1.0f, 2.0f, 0.009f, 0.03f, 1000},
    {1.0f, 2.0f, 0.04f, 0.07f, 900},    {1.0f, 2.0f, 0.08f, 0.14f, 300},
    {1.0f, 2.0f, 0.08f, 0.16f, 300},    {1.0f, 2.0f, 0.17f, 0.19f, 200},
    {1.0f, 500.0f, 0.2f, 0.9999f, 100}, {1.0f, 2.0f, 0.08f, 0.19f, 300},
    {1.0f, 525.0f, 0.2f, 0.7f, 200},    {1.0f, 2.0f, 0.75f, 0.9999f, 100},
};

}  // namespace

const VNLAYER* vnMAIN_GetLayer(int32_t index) {
  if (index < 0 || index >= VN_NUM_LAYERS) {
    PLAT_Trace("vnMAIN_GetLayer: [%d] is not a valid layer\n", index);
    return nullptr;
  }
  return &kLayers[index];
}

int32_t SPW_SetLayerRenderState(SPW_DISPLAYNODE* node, int32_t layerIndex) {
  const VNLAYER* layer = vnMAIN_GetLayer(layerIndex);
  SPPD_DRIVERTABLE* drv = node ? SPW_GetDisplayDriver(node->pDisplay) : nullptr;
  if (!layer || !drv || !drv->SPPD_SetRenderState) return 0;
  SPPD_RENDERSTATE rs{};
  rs.dwMask = kLayerStateMask;
  rs.fNear = layer->fNear;
  rs.fFar = layer->fFar;
  rs.fMinDepth = layer->fMinDepth;
  rs.fMaxDepth = layer->fMaxDepth;
  drv->SPPD_SetRenderState(node, &rs);
  return 1;
}
