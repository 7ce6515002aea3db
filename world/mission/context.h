#pragma once
// The running mission's services in one record. The mission controller fills it as it makes
// each service and clears each one as it goes; the unit manager and the path planner enter
// themselves when they start. Between missions every field is null. Each service's getter is
// a thin read of this record.
#include "engine/kernel/kernel.h"

struct SPW_SCENE;
struct VNPLATOON;
struct VNMISSION_DEF;
struct VNMOVER_PLANNER;
struct VNFX_ATTACHLIST;
struct SPW_DOBJECT;
struct SPW_VDISPLAY;
struct BSTAR_Node;
struct VNTACTMAP_POINTERS;

// Retrieval zones a mission keeps count of.
constexpr int32_t VNMISSION_MAX_RZONES = 8;

// A retrieval zone: a region of the path network and the units inside it.
struct VNMISSION_RZONE {
  const BSTAR_Node* pRegion;
  int32_t nUnits;
  int32_t bActive;
};

struct VNMISSION_CONTEXT {
  // The mission world.
  SGE_TASK* pController;
  SPW_SCENE* pScene;
  VNPLATOON* pPlatoon;
  const VNMISSION_DEF* pDef;
  // The world's own services.
  SGE_TASK* pUnitManager;
  VNMOVER_PLANNER* pPlanner;
  SGE_TASK* pRetBoats;
  // The tasks the world's objects talk to.
  SGE_TASK* pScript;
  SGE_TASK* pAirExplosion;
  SGE_TASK* pCamera;
  SGE_TASK* pSmokeTrail;
  // The overlay: the status marker task and the effect draw list.
  SGE_TASK* pOverlay;
  VNFX_ATTACHLIST* pAttachDisplay;
  // The view: the object whose transform sets it and the virtual display it draws into.
  SPW_DOBJECT* pCameraObject;
  SPW_VDISPLAY* pDisplay;
  // Effect and zone tasks.
  SGE_TASK* pParticleJets;
  SGE_TASK* pAmbushZones;
  // The HUD, which enters itself when it starts.
  SGE_TASK* pHud;
  // The interface's event icons and the small tactical map's pointers.
  SGE_TASK* pEventIcons;
  VNTACTMAP_POINTERS* pMapPointers;
  // 1 while the mission is in play.
  int32_t bInPlay;
  // Bugs spawned and still alive, held against the definition's cap.
  int32_t nSpawnedBugs;
  VNMISSION_RZONE aRZones[VNMISSION_MAX_RZONES];
  int32_t nRZones;
};

// The running mission's context, the one record every service getter reads.
VNMISSION_CONTEXT& vnMISSION_Context();
