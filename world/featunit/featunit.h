#pragma once
// Feature units: pieces of the terrain's scenery that take part in play (a snow mound or a barrel
// that can be shot away, an egg cluster, bridges, a rock wall...). The unit binds itself to two
// feature instances of the scene, the intact one and the destroyed one, swaps them when it is
// destroyed (after a destruction model has played, for some), and shows a status bar while a
// soldier is near.
#include <cstdint>

#include "engine/kernel/kernel.h"
#include "engine/math/vecmath.h"
#include "world/unitman/unitclass.h"

struct SPW_DOBJECT;
struct SPW_FEATUREINST;
struct VNMARKER;
struct VNUNIT;

// Messages of the feature unit class, beside the common unit-controller protocol.
constexpr int32_t SGM_FEATUNIT_DESTROY = 7191;
constexpr int32_t SGM_FEATUNIT_HAS_COMPONENT = 7192;
constexpr int32_t SGM_FEATUNIT_SHOW_BAR = 7193;       // p1 1 shows, anything else hides
constexpr int32_t SGM_FEATUNIT_RUN_COMPONENT = 7194;  // p2 1 runs, anything else stops
constexpr int32_t SGM_FEATUNIT_GET_POSITION = 7195;   // the position, as a record answer

// Flags of a type's row.
constexpr uint32_t VNFEATUNIT_F_PLAIN = 0x1;
constexpr uint32_t VNFEATUNIT_F_DESTRUCTION_MODEL = 0x2;
constexpr uint32_t VNFEATUNIT_F_DAMAGEABLE = 0x4;
constexpr uint32_t VNFEATUNIT_F_STATUS_BAR = 0x8;
constexpr uint32_t VNFEATUNIT_F_COMPONENT = 0x10;
constexpr uint32_t VNFEATUNIT_F_FADE = 0x20;  // fades out after the destruction model

// Feature instance flag: not drawn and not hit.
constexpr uint32_t VNFEATUNIT_FEATURE_HIDDEN = 0x4;

enum VNFEATUNIT_STATE : int32_t {
  VNFEATUNIT_INTACT,
  VNFEATUNIT_COLLAPSING,  // the destruction model plays
  VNFEATUNIT_DESTROYED,
};

// A type's row of the class table.
struct VNFEATUNIT_TYPE {
  int32_t nType;
  const char* pszIntact;
  const char* pszDestroyed;    // null: none
  const char* pszDestruction;  // the destruction model's file, null: none
  const char* pszComponent;    // the looping component model's file, null: none
  uint32_t dwFlags;
  float fHeight;  // added to the locator's z
};

// The row of a unit type, or null when the class has none.
const VNFEATUNIT_TYPE* vnFEATUNIT_GetType(int32_t type);

using VNFEATUNIT_HOOK = int32_t (*)(SGE_TASK* task, SGE_PARAM p1, SGE_PARAM p2);

// The controller's instance.
struct VNFEATUNIT {
  VNUNIT* pUnit;
  SPW_DOBJECT* pDestruction;
  SPW_FEATUREINST* pIntact;
  SPW_FEATUREINST* pDestroyed;
  uint32_t dwFlags;
  float fScale;
  VNMARKER* pBar;
  float fMaxHealth;
  float fBarTimer;
  SPW_VECTOR vPos;
  SPW_VECTOR vDir;
  VNFEATUNIT_HOOK pfnUpdateHook;  // SGM_UNIT_UPDATE, SGM_UNIT_FRAME_EXTRA, SGM_TASK_DRAW
  VNFEATUNIT_HOOK pfnExtraHook;
  VNFEATUNIT_HOOK pfnDrawHook;
  float fFadeLevel;
  SPW_COLOUR fadeColour;  // the destruction object's colour A when the fade was armed
  SPW_DOBJECT* pComponent;
  SPW_DOBJECT* pComponentRef;
  int32_t bFading;
  int32_t nState;  // VNFEATUNIT_STATE
};

SGE_RESULT vnFEATUNIT_Handler(SGE_TASK* task, SGE_DATAREF* data, int32_t msg, SGE_PARAM p1,
                              SGE_PARAM p2);

// The class's row of the unit class table.
inline constexpr VNUNIT_CLASSROW VNFEATUNIT_CLASSROW{
    VNTT_FEATURE_UNIT, vnFEATUNIT_Handler, sizeof(VNFEATUNIT)};
