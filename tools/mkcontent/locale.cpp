#include "tools/mkcontent/locale.h"

#include <map>

#include "tools/writers/locale_writer.h"

namespace {

// A few lines per language; the rest of the table reads as empty lines.
const std::map<int, std::string> kLines[4] = {
    {{0, "Vantoria"}, {1, "Loading..."}, {2, "Mission complete"}, {3, "Mission failed"}},
    {{0, "Vantoria"}, {1, "Laden..."}, {2, "Einsatz erfuellt"}, {3, "Einsatz gescheitert"}},
    {{0, "Vantoria"}, {1, "Cargando..."}, {2, "Mision cumplida"}, {3, "Mision fallida"}},
    {{0, "Vantoria"}, {1, "Chargement..."}, {2, "Mission accomplie"}, {3, "Mission echouee"}},
};

}  // namespace

bool vnMKCONTENT_Locale(const std::string& root) {
  for (int i = 0; i < 4; ++i)
    if (!vnWRITE_LocaleFileKeys(root, VNWRITE_LOCALE_CODES[i], kLines[i])) return false;
  return true;
}
