// The scenery classes' models: plain shapes under the names the classes load.
#include "tools/models/scenery.h"

#include "tools/models/models.h"
#include "tools/models/props.h"

namespace {

vnMODEL Named(vnMODEL m, const std::string& name) {
  m.name = name;
  return m;
}

// A block whose one animation has the given name.
vnMODEL Animated(const std::string& name, const std::string& anim) {
  vnMODEL m = vnMODELS_Collapse(name, VNMODELS_SCENERY_ANIM_TICKS);
  m.anims[0].name = anim;
  return m;
}

}  // namespace

std::vector<std::pair<std::string, vnMODEL>> vnMODELS_SceneryObjects() {
  std::vector<std::pair<std::string, vnMODEL>> out;
  for (const char* rock : {"rock01", "rock02", "rock03"})
    out.emplace_back(std::string(rock) + ".pow", Named(vnMODELS_Sphere(), rock));
  for (const char* prop :
       {"plasmachunk", "plasmashell", "tankerchunk", "genvehicle1", "genvehicle2", "genvehicle3",
        "genvehicle4", "genvehicle5", "drumsingle", "drumcluster", "mushroom1", "mushroom2",
        "fortPlaceholder"})
    out.emplace_back(std::string(prop) + ".pow", Named(vnMODELS_Cube(), prop));
  out.emplace_back("statue.pow", Animated("statue", "idle"));
  out.emplace_back("SplittingRock.pow", Animated("SplittingRock", VNMODELS_SPLIT_ANIM));
  out.emplace_back("teleportereffect.pow", Animated("teleportereffect", "effect"));
  return out;
}
