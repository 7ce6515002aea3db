// The mission definitions: the training opening, the three campaigns and the end game. The
// order is the table's, not the order of play.
#include "missions/control/missiondef.h"

#include "platform/text.h"

namespace {

struct RGB {
  float r, g, b;
};
struct OVERLAY {
  uint32_t dwColour;
  float fSize, fFade, fRadius, fTiling;
};

// What differs between missions; the rest is common to every record.
struct ROW {
  const char *pszName, *pszTitle;
  int32_t nTaskType, nCampaign;
  const char *pszSuffix, *pszWorld;
  uint32_t dwBackground;
  RGB ambient, light;
  float fViewDistance;
  int32_t nFirstMusic, nMissionMusic;
  const char* pszNoiseTexture;
  OVERLAY overlay;
  int32_t nStructureKind, nAllowance, nBonus;
  float fWindMax;
  int32_t nBugCap;
};

constexpr int32_t kEnsignVoice = 6;
constexpr float kBorder = 100.0f;
constexpr int32_t kFirstCount = 12;
constexpr OVERLAY kPlain = {0xFFFFFFFF, 40, 20, 50, 2};
constexpr RGB kTrainingAmbient = {109, 111, 101};
constexpr RGB kTrainingLight = {70, 70, 90};

constexpr ROW kRows[VNMISSION_DEFS] = {
    {"C1M1A", "Training I", 5, 0, "", "training", 0xFF6D6F65, kTrainingAmbient, kTrainingLight,
     1200, -1, 10, "terrain_noise2.ppm", kPlain, 1, 0, 0, 15, 0},
    {"C1M1D", "Training IV", 8, 0, "", "training", 0xFF6D6F65, kTrainingAmbient, kTrainingLight,
     1200, -1, 10, "terrain_noise2.ppm", kPlain, 1, 0, 0, 15, 0},
    {"C1M1B", "Training II", 6, 0, "", "training", 0xFF6D6F65, kTrainingAmbient, {100, 80, 100},
     1200, -1, 10, "terrain_noise2.ppm", kPlain, 1, 0, 0, 15, 0},
    {"C1M1C", "Training III", 7, 0, "", "training", 0xFF6D6F65, kTrainingAmbient, kTrainingLight,
     1200, -1, 10, "terrain_noise2.ppm", kPlain, 1, 0, 0, 15, 20},
    {"C1M2", "First Landing", 9, 0, "_d1", "vorrakh", 0xFF00105F, {75, 100, 109}, {50, 50, 90},
     500, 7, 11, "Output11.ppm", {0xFFFFFFFF, 40, 20, 50, 5}, 1, 1, 3, 15, 100},
    {"C1M3", "Night Watch", 10, 0, "_d1", "vorrakh", 0xFF05105E, {75, 100, 109}, {50, 50, 90},
     500, 0, 12, "Output11.ppm", {0xFFFFFFFF, 40, 20, 50, 5}, 1, 1, 3, 15, 100},
    {"C1M4", "Homestead", 11, 0, "", "earthish", 0xFF5A8BDA, {131, 148, 134}, {140, 140, 100},
     500, 0, 13, "Output15A.ppm", {0xFFFFE9D2, 40, 20, 50, 5}, 7, 1, 3, 15, 100},
    {"C1M5", "Dry Wells", 12, 0, "_d1", "desert2", 0xFFCEBA84, {158, 173, 125}, {150, 150, 150},
     500, 0, 14, "terrain_noise2.ppm", {0xFFFFFFFF, 40, 20, 50, 1}, 1, 1, 3, 15, 100},
    {"C1M6", "Sand Wall", 13, 0, "_d1", "desert", 0xFF6793DC, {164, 171, 160}, {180, 180, 100},
     500, 0, 15, "Output19A.ppm", {0xFFFF9000, 50, 20, 70, 9}, 2, 1, 3, 15, 80},
    {"C1M7", "Below", 14, 0, "_d1", "desert", 0xFF000000, {118, 120, 76}, {0, 0, 0}, 200, 0, 16,
     "Output11_ugrnd.ppm", {0xFFFFFFFF, 40, 20, 50, 8}, 2, 0, 0, 15, 100},
    {"C2M1", "White Out", 15, 1, "_a1", "ice", 0xFFEBEFF4, {172, 172, 195}, {100, 100, 150}, 600,
     0, 17, "terrain_6.ppm", {0xFF91BAFF, 40, 20, 60, 16}, 5, 2, 3, 15, 60},
    {"C2M2", "Red Dust", 16, 1, "_d1", "mars", 0xFF7A3A1F, {150, 127, 125}, {120, 80, 80}, 500, 0,
     18, "terrain_noise2.ppm", {0xFFFFFFFF, 50, 20, 60, 1}, 2, 2, 3, 15, 100},
    {"C2M3", "Canopy", 17, 1, "_d1", "jungle", 0xFF181018, {45, 45, 50}, {80, 80, 80}, 350, 0, 19,
     "terrain_noise2.ppm", kPlain, 1, 2, 3, 5, 100},
    {"C2M4", "Harvest", 18, 1, "", "earthish", 0xFF667BC6, {182, 178, 166}, {80, 80, 80}, 500, 0,
     20, "Output15b.ppm", {0xFFFFFFFF, 40, 20, 50, 5}, 7, 0, 3, 15, 100},
    {"C2M5", "Glacier", 19, 1, "_a1", "ice2", 0xFF9E9B94, {160, 175, 176}, {80, 60, 80}, 300, 0,
     21, "terrain_7.ppm", {0xFF91BAFF, 40, 20, 70, 14}, 5, 2, 3, 15, 100},
    {"C2M6", "Pickup", 20, 1, "_d1", "desert", 0xFF842408, {132, 97, 68}, {80, 70, 60}, 500, 7, 22,
     "terrain_noise2.ppm", kPlain, 1, 2, 3, 15, 100},
    {"C2M7", "Green Hell", 21, 1, "", "jungle", 0xFFB5C7D6, {144, 142, 146}, {60, 60, 60}, 500, 0,
     23, "terrain_noise2.ppm", kPlain, 7, 2, 3, 15, 100},
    {"C3M1", "Tunnels", 22, 2, "_d1", "desert", 0xFF000000, {52, 69, 46}, {0, 0, 0}, 100, 0, 24,
     "Output11_ugrnd.ppm", {0xFFFFFFFF, 40, 20, 50, 8}, 2, 0, 0, 15, 100},
    {"C3M2", "Cold Front", 23, 2, "_a1", "ice2", 0xFF303E4B, {162, 161, 184}, {0, 0, 0}, 400, 0,
     -1, "terrain_6.ppm", {0xFF6ACEEC, 40, 20, 50, 16}, 5, 2, 3, 15, 100},
    {"C3M3", "Deep Green", 24, 2, "", "jungle", 0xFF6996DF, {150, 136, 102}, {100, 100, 90}, 500, 0,
     25, "terrain_noise2.ppm", {0xFFFFFFFF, 40, 20, 50, 0.5f}, 1, 2, 3, 15, 100},
    {"C3M4", "Hive Road", 25, 2, "_d1", "vorrakh", 0xFFAE8433, {150, 107, 67}, {80, 80, 80}, 500, 7,
     26, "terrain_noise2.ppm", {0xFFFFD886, 50, 20, 60, 8}, 2, 2, 3, 15, 100},
    {"C3M5", "Blue Hour", 26, 2, "_d1", "vorrakh", 0xFF7093FF, {200, 185, 202}, {0, 0, 0}, 500, 0,
     27, "terrain_noise2.ppm", {0xFFFFFFFF, 40, 20, 50, 8}, 2, 0, 3, 15, 100},
    {"C3M6", "Last Ridge", 27, 2, "_d1", "vorrakh", 0xFF752E30, {186, 153, 106}, {80, 80, 80}, 400,
     0, 28, "terrain_noise2.ppm", {0xFFFFFFFF, 40, 20, 50, 8}, 1, 2, 3, 15, 100},
    {"C3M7", "The Pit", 28, 2, "_d1", "vorrakh", 0xFF000000, {78, 57, 39}, {0, 0, 0}, 200, 0, 29,
     "Output11_ugrnd.ppm", {0xFFFFFFFF, 40, 20, 50, 8}, 2, 0, 0, 15, 100},
    {"ENDGAME", "Aftermath", 29, 2, "_d1", "queen_dead", 0xFF8C2D1E, {217, 153, 106},
     {80, 80, 80}, 600, 9, 8, "terrain_noise2.ppm", kPlain, 1, 2, 0, 15, 100},
};

constexpr VNMISSION_DEF Define(const ROW& r, int32_t index) {
  VNMISSION_DEF d{};
  d.nTaskType = r.nTaskType, d.nCampaign = r.nCampaign;
  d.pszName = r.pszName, d.pszTitle = r.pszTitle;
  d.pszSuffix = r.pszSuffix, d.pszWorld = r.pszWorld;
  d.nVoiceType = kEnsignVoice;
  d.anPair[0] = 2 * index;
  d.anPair[1] = 2 * index + 1;
  d.dwBackground = r.dwBackground;
  d.afAmbient[0] = r.ambient.r, d.afAmbient[1] = r.ambient.g, d.afAmbient[2] = r.ambient.b;
  d.afLightColour[0] = r.light.r, d.afLightColour[1] = r.light.g, d.afLightColour[2] = r.light.b;
  // Light from high above, leaning a little, so every record has a usable direction.
  d.afLightDir[0] = 0.3f, d.afLightDir[1] = 0.3f, d.afLightDir[2] = -1.0f;
  d.fViewDistance = r.fViewDistance;
  d.afUnity[0] = d.afUnity[1] = 1.0f;
  d.nStructureKind = r.nStructureKind;
  d.nFirstMusic = r.nFirstMusic;
  d.nMissionMusic = r.nMissionMusic;
  d.pszNoiseTexture = r.pszNoiseTexture;
  d.dwOverlayColour = r.overlay.dwColour;
  d.fOverlaySize = r.overlay.fSize, d.fOverlayFade = r.overlay.fFade;
  d.fOverlayRadius = r.overlay.fRadius, d.fOverlayTiling = r.overlay.fTiling;
  d.anCounts[0] = kFirstCount;
  d.nBonus = r.nBonus;
  d.nRetBoats = r.nAllowance;
  d.fBorder = kBorder;
  d.fWindMax = r.fWindMax;
  d.nBugsPerHole = VNMISSION_UNLIMITED;
  d.nSpawnedBugCap = r.nBugCap;
  return d;
}

struct TABLE {
  VNMISSION_DEF defs[VNMISSION_DEFS];
  constexpr TABLE() : defs{} {
    for (int32_t i = 0; i < VNMISSION_DEFS; ++i) defs[i] = Define(kRows[i], i);
  }
};
constexpr TABLE kTable;

}  // namespace

int32_t vnMISSCONT_FindMissionDefIndex(const char* name) {
  if (!name) return -1;
  for (int32_t i = 0; i < VNMISSION_DEFS; ++i)
    if (PLAT_EqualNoCase(kTable.defs[i].pszName, name)) return i;
  return -1;
}

const VNMISSION_DEF* vnMISSCONT_GetMissionDefByIndex(int32_t index) {
  if (index < 0 || index >= VNMISSION_DEFS) return nullptr;
  return &kTable.defs[index];
}

const VNMISSION_DEF* vnMISSCONT_FindMissionDef(const char* name) {
  return vnMISSCONT_GetMissionDefByIndex(vnMISSCONT_FindMissionDefIndex(name));
}
