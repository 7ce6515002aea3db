// Doors, the transport, pop-up targets, twin guns and the shockwave ring in the demo tree.
#include "tools/mkcontent/playobjects.h"

#include "platform/files.h"
#include "tools/models/playobjects.h"

bool vnMKCONTENT_PlayObjects(const std::string& root) {
  const std::string folder = root + "/EXPORT/Pows";
  if (!PLAT_MakeDirectory((root + "/EXPORT").c_str()) || !PLAT_MakeDirectory(folder.c_str()))
    return false;
  bool ok = true;
  for (const auto& [file, model] : vnMODELS_PlayObjects())
    ok = vnWRITE_POW(folder + "/" + file, model) && ok;
  return ok;
}
