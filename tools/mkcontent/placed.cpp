// Writes the placed objects' models under EXPORT/Pows.
#include "tools/mkcontent/placed.h"

#include "platform/files.h"
#include "platform/trace.h"
#include "tools/models/props.h"

bool vnMKCONTENT_PlacedObjects(const std::string& root) {
  const std::string folder = root + "/EXPORT/Pows";
  if (!PLAT_MakeDirectory((root + "/EXPORT").c_str()) || !PLAT_MakeDirectory(folder.c_str()))
    return false;
  // The game asks for "Export/Pows/ammo_drop.pow"; lookups ignore case.
  const bool ok = vnWRITE_POW(folder + "/ammo_drop.pow", vnMODELS_AmmoDrop());
  if (!ok) PLAT_Trace("vnMKCONTENT_PlacedObjects: %s/ammo_drop.pow could not be written\n", folder.c_str());
  return ok;
}
