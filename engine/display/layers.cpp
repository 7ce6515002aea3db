// Display layers: each 2D layer draws into its own slice of the depth range.
#include "engine/display/display.h"

#include "platform/trace.h"

namespace {

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
