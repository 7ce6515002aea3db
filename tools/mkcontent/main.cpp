// mkcontent <folder>: builds the synthetic demo content tree.
#include <cstdio>

#include "tools/mkcontent/fonts.h"
#include "tools/mkcontent/formations.h"
#include "tools/mkcontent/locale.h"
#include "tools/mkcontent/models.h"
#include "tools/mkcontent/network.h"
#include "tools/mkcontent/placed.h"
#include "tools/mkcontent/platoon.h"
#include "tools/mkcontent/playobjects.h"
#include "tools/mkcontent/movies.h"
#include "tools/mkcontent/scenery.h"
#include "tools/mkcontent/shadows.h"
#include "tools/mkcontent/shields.h"
#include "tools/mkcontent/soldiers.h"
#include "tools/mkcontent/sounds.h"
#include "tools/mkcontent/terrain.h"
#include "tools/mkcontent/textures.h"
#include "tools/mkcontent/units.h"

int main(int argc, char** argv) {
  if (argc != 2 || !argv[1][0]) {
    std::fprintf(stderr, "usage: mkcontent <folder>\n");
    return 2;
  }
  const std::string root = argv[1];
  if (!vnMKCONTENT_Textures(root) || !vnMKCONTENT_Locale(root)) return 1;
  if (!vnMKCONTENT_Fonts(root)) return 1;
  if (!vnMKCONTENT_Sounds(root)) return 1;
  if (!vnMKCONTENT_Models(root)) return 1;
  if (!vnMKCONTENT_PlayObjects(root)) return 1;
  if (!vnMKCONTENT_Terrain(root)) return 1;
  if (!vnMKCONTENT_Network(root)) return 1;
  if (!vnMKCONTENT_Movies(root)) return 1;
  if (!vnMKCONTENT_Units(root)) return 1;
  if (!vnMKCONTENT_Formations(root)) return 1;
  if (!vnMKCONTENT_Shadows(root)) return 1;
  if (!vnMKCONTENT_PlacedObjects(root)) return 1;
  if (!vnMKCONTENT_Scenery(root)) return 1;
  if (!vnMKCONTENT_Shields(root)) return 1;
  if (!vnMKCONTENT_Soldiers(root)) return 1;
  if (!vnMKCONTENT_Platoon(root)) return 1;
  return 0;
}
