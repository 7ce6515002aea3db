// Props, statues, the fort wall's placeholder, the splitting rock and the teleporter's effect in
// the demo tree.
#include "tools/mkcontent/scenery.h"

#include "platform/files.h"
#include "tools/models/scenery.h"

bool vnMKCONTENT_Scenery(const std::string& root) {
  const std::string folder = root + "/EXPORT/Pows";
  if (!PLAT_MakeDirectory((root + "/EXPORT").c_str()) || !PLAT_MakeDirectory(folder.c_str()))
    return false;
  bool ok = true;
  for (const auto& [file, model] : vnMODELS_SceneryObjects())
    ok = vnWRITE_POW(folder + "/" + file, model) && ok;
  return ok;
}
