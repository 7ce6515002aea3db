// The model library written into the demo tree.
#include "tools/mkcontent/models.h"

#include "platform/files.h"
#include "tools/models/models.h"
#include "tools/writers/packed_writer.h"

bool vnMKCONTENT_Models(const std::string& root) {
  const std::string folder = root + "/EXPORT/Pows";
  if (!PLAT_MakeDirectory((root + "/EXPORT").c_str()) || !PLAT_MakeDirectory(folder.c_str()))
    return false;
  vnPACKED_TABLES tables;
  bool ok = true;
  for (const vnMODEL& m : {vnMODELS_Figure(), vnMODELS_Cube(), vnMODELS_Sphere()}) {
    ok = vnWRITE_POW(folder + "/" + m.name + ".pow", m) && ok;
    ok = vnWRITE_PDO(folder + "/" + m.name + ".pdo", m, tables) && ok;
  }
  // The formation markers load from their POW files alone.
  for (const vnMODEL& m : vnMODELS_FormationMarkers())
    ok = vnWRITE_POW(folder + "/" + m.name + ".POW", m) && ok;
  return vnWRITE_PackedTables(folder, tables) && ok;
}
