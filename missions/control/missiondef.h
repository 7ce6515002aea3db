#pragma once
// The mission definitions of the three campaigns and the end game, and the definition of the
// running mission with its retrieval boat manager. The mission controller records both when the
// mission loads and clears them when it ends.
#include <cstdint>

#include "engine/kernel/kernel.h"

// One mission of the campaigns; the controller copies the chosen record and reads the copy.
struct VNMISSION_DEF {
  int32_t nTaskType;         // of the mission-script task
  const char* pszName;       // names the mission's data and terrain folders
  const char* pszTitle;      // shown on the loading screen as it stands
  int32_t nCampaign;         // 0-2
  const char* pszSuffix;     // camouflage suffix of the unit models: "", "_d1" or "_a1"
  const char* pszWorld;      // the world's name, for the front end's planet pictures
  int32_t nVoiceType;        // the ensign's voice bank
  int32_t anPair[2];
  uint32_t dwBackground;     // ARGB clear colour of the mission's display
  float afKept[3];
  float afAmbient[3];        // RGB, 0-255
  float afLightColour[3];    // RGB, 0-255
  float afLightDir[3];
  float fViewDistance;       // bugs nearer the camera wake; the sky is fitted just inside it
  uint32_t dwFlags;          // VNMISSION_FLAG_*; the weather reads the low bits
  float afUnity[2];
  int32_t nStructureKind;    // reported by feature objects without a named class
  int32_t nExtra;
  int32_t nFirstMusic;       // VNMISSION_NO_MUSIC: none
  int32_t nMissionMusic;
  const char* pszNoiseTexture;
  uint32_t dwOverlayColour;  // ARGB
  float fOverlaySize;
  float fOverlayFade;
  float fOverlayRadius;
  float fOverlayTiling;
  int32_t anCounts[2];
  int32_t nBonus;            // raised by one at mission start by a medal
  int32_t nRetBoats;         // uses of the HUD's limited command the mission grants
  float fBorder;             // terran units keep this far inside the terrain's edges
  float fWindMin;
  float fWindMax;
  // The bug holes' six values.
  int32_t nWorkersPerHole;
  int32_t nCentreBugs;       // also the patrol-zone default
  int32_t nAlertReserve;
  int32_t nPassiveRateMs;
  int32_t nAlertRateMs;
  int32_t nBugsPerHole;      // VNMISSION_UNLIMITED: no limit
  int32_t nSpawnedBugCap;    // spawned bugs alive at once
};

constexpr int32_t VNMISSION_UNLIMITED = -1;
constexpr int32_t VNMISSION_NO_MUSIC = -1;
constexpr int32_t VNMISSION_DEFS = 25;
// Makes the search-light command available.
constexpr uint32_t VNMISSION_FLAG_SEARCHLIGHT = 0x80;

// The index 0..24 of the first definition whose name matches without regard to case; -1 when
// none does.
int32_t vnMISSCONT_FindMissionDefIndex(const char* name);
// The definition at an index of 0..24; null outside.
const VNMISSION_DEF* vnMISSCONT_GetMissionDefByIndex(int32_t index);
// The definition of that name, or null.
const VNMISSION_DEF* vnMISSCONT_FindMissionDef(const char* name);

// Null clears it.
void vnMISSCONT_SetMissionDef(const VNMISSION_DEF* def);
// The running mission's definition, or null.
const VNMISSION_DEF* vnMISSCONT_GetMissionDef();
// The running mission's retrieval boat allowance; 0 outside a mission.
int32_t vnMISSCONT_GetRetBoatAllowance();

// The retrieval boat manager (type 225) of the running mission, or null.
SGE_TASK* vnMISSCONT_GetRetBoatManager();
void vnMISSCONT_SetRetBoatManager(SGE_TASK* task);
