#pragma once
// The teleporter: a pad of the scenery with up to five switches beside it. A switch charges the
// pad, and the units standing on it reappear on the pad of the switch's destination, each as
// far from that pad as it stood from its own.
#include <cstdint>

#include "engine/kernel/kernel.h"
#include "engine/math/vecmath.h"
#include "world/unitman/unitclass.h"

struct BSTAR_Node;
struct SPW_DOBJECT;
struct SPW_FEATUREINST;
struct SPW_LIGHT;
struct VNUNIT;

constexpr char VNTELEPORTER_PAD[] = "TelePort Gate";
constexpr char VNTELEPORTER_EFFECT[] = "Export/Pows/teleportereffect.pow";
constexpr int32_t VNTELEPORTER_MAX_SWITCHES = 5;
constexpr int32_t VNTELEPORTER_MAX_UNITS = 16;
// The pad's network node: a region with this flag bit.
constexpr uint32_t VNTELEPORTER_PAD_NODE = 0x2000000;
// A switch's source node leads to its destination node over a link of this type.
constexpr uint32_t VNTELEPORTER_LINK_TYPE = 6;
constexpr float VNTELEPORTER_PHASE_SECONDS = 0.9f;
constexpr float VNTELEPORTER_CHARGE_RATE = 0.6f;  // per second of SGM_TELEPORTER_CHARGE
constexpr float VNTELEPORTER_LIGHT_SCALE = 10.0f;
constexpr float VNTELEPORTER_LIGHT_LIFT = 2.0f;
constexpr int32_t VNTELEPORTER_CHARGE_SOUND = 326;
constexpr int32_t VNTELEPORTER_SEND_SOUND = 327;

constexpr int32_t SGM_TELEPORTER_START = 557;   // p1 the switch's feature instance
constexpr int32_t SGM_TELEPORTER_CHARGE = 558;  // p1 the switch's feature instance
// To the units on the pad: hold still (p1 1) or go on (p1 0); Mist soldiers take their own.
constexpr int32_t SGM_UNIT_FREEZE = 579;
constexpr int32_t SGM_MIST_FREEZE = 605;

enum VNTELEPORTER_STATE : int32_t {
  VNTELEPORTER_IDLE,
  VNTELEPORTER_CHARGING,  // the effect plays on the pad
  VNTELEPORTER_ARRIVING,  // the units are at the destination
};

struct VNTELEPORTER_SWITCH {
  SPW_FEATUREINST* pFeature;
  BSTAR_Node* pSource;
  int32_t nDestination;  // the destination node's id, -1 none
  float fCharge;
  SPW_LIGHT* pLight;
};

struct VNTELEPORTER {
  VNUNIT* pUnit;
  SPW_DOBJECT* pEffect;
  SPW_FEATUREINST* pPad;
  SPW_VECTOR vPos;
  SPW_VECTOR vDir;
  float fScale;
  int32_t nState;  // VNTELEPORTER_STATE
  float fTimer;
  int32_t nActive;  // the switch that started the charge
  SPW_VECTOR vDestination;
  int32_t nSwitches;
  VNTELEPORTER_SWITCH aSwitches[VNTELEPORTER_MAX_SWITCHES];
  int32_t nUnits;
  uint32_t adwUnits[VNTELEPORTER_MAX_UNITS];  // unit ids on the pad
  int32_t bRemoved;
};

SGE_RESULT vnTELEPORTER_Handler(SGE_TASK* task, SGE_DATAREF* data, int32_t msg, SGE_PARAM p1,
                                SGE_PARAM p2);

// The class's row of the unit class table.
inline constexpr VNUNIT_CLASSROW VNTELEPORTER_CLASSROW{
    VNTT_PE_TELEPORTER, vnTELEPORTER_Handler, sizeof(VNTELEPORTER)};
