// Writes the demo mission's path network.
#include "tools/mkcontent/network.h"

#include "platform/trace.h"
#include "tools/models/terrain.h"
#include "tools/writers/bstar_writer.h"

namespace {

// The mission whose terrain is "EXPORT/Terrain/C1M1A".
constexpr char kMission[] = "C1M1A";
// 12 x 12 regions of 8 units centred on the landing area.
constexpr int32_t kRegions = 12;
constexpr float kCell = 8.0f;
constexpr float kOriginX = vnMODELS_TERRAIN_PAD_X - kRegions * kCell / 2;
constexpr float kOriginY = vnMODELS_TERRAIN_PAD_Y - kRegions * kCell / 2;

}  // namespace

bool vnMKCONTENT_Network(const std::string& root) {
  VNWRITE_BSTARNET net = vnWRITE_BstarGrid(kRegions, kRegions, kCell, 0.0f);
  for (VNWRITE_BSTARNODE& n : net.nodes) {
    n.x += kOriginX;
    n.y += kOriginY;
    n.z = vnMODELS_TerrainHeight(n.x, n.y);
  }
  // The region under the landing area's centre.
  const int32_t col = static_cast<int32_t>((vnMODELS_TERRAIN_PAD_X - kOriginX) / kCell);
  const int32_t row = static_cast<int32_t>((vnMODELS_TERRAIN_PAD_Y - kOriginY) / kCell);
  net.nodes[static_cast<size_t>(row * kRegions + col)].name = "Pad";
  if (!vnWRITE_BstarNetwork(root, kMission, net)) {
    PLAT_Trace("vnMKCONTENT_Network: the path network of %s could not be written\n", kMission);
    return false;
  }
  return true;
}
