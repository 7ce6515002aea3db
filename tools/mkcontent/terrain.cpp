// Writes the generated mission terrain into the demo tree.
#include "tools/mkcontent/terrain.h"

#include "platform/files.h"
#include "platform/trace.h"
#include "tools/mkcontent/features.h"
#include "tools/models/terrain.h"

namespace {

// The game asks for "Export/Terrain/%s"; lookups ignore case, and the object folder already
// spells the first part "EXPORT".
constexpr char kFolder[] = "EXPORT/Terrain/C1M1A";

}  // namespace

bool vnMKCONTENT_Terrain(const std::string& root) {
  const std::string folder = root + "/" + kFolder;
  for (const std::string& dir : {root + "/EXPORT", root + "/EXPORT/Terrain", folder,
                                 folder + "/textures", folder + "/tsource"}) {
    if (!PLAT_MakeDirectory(dir.c_str())) return false;
  }
  vnMODELS_TERRAIN t = vnMODELS_MissionTerrain(kFolder);
  if (!vnMKCONTENT_Features(root, t.terrain)) return false;
  bool ok = vnWRITE_Terrain(folder + "/terrain.ter", t.terrain) &&
            vnWRITE_TerrainSamples(folder + "/dobjsample.dat", t.samples);
  for (const auto& [path, image] : t.images) ok = ok && vnWRITE_PPMFile(root + "/" + path, image);
  if (!ok) PLAT_Trace("vnMKCONTENT_Terrain: the terrain of %s could not be written\n", kFolder);
  return ok;
}
