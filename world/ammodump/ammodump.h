#pragma once
// The ammunition dump: a placed unit that refills the weapons, suit weapons and tech items of
// its side's soldiers standing next to it, from a supply that grows back over time. It opens
// its lid while a soldier is in sight and shows a bar of its supply.
#include <cstdint>

#include "engine/kernel/kernel.h"
#include "world/unitman/unitclass.h"

struct SPW_DOBJECT;
struct VNMARKER;
struct VNUNIT;

// Shows the supply bar and restarts its timer.
constexpr int32_t SGM_AMMODUMP_SHOW_BAR = 315;
// The dump's answer to the class query.
constexpr int32_t VNAMMODUMP_CLASS = 6;

constexpr char VNAMMODUMP_MODEL[] = "Export/Pows/ammo_drop.pow";
constexpr char VNAMMODUMP_OPEN[] = "open";
constexpr char VNAMMODUMP_CLOSE[] = "close";
// A soldier this much beyond the dump's radius is still served.
constexpr float VNAMMODUMP_REACH = 4.5f;
constexpr float VNAMMODUMP_BAR_LIFT = 5.5f;
constexpr int32_t VNAMMODUMP_LID_SOUND = 801;
// The dump's refill rate (supply per second) is this attribute value of its type.
constexpr int32_t VNAMMODUMP_ATTR_RATE = 17;

enum VNAMMODUMP_LID : int32_t { VNAMMODUMP_CLOSED, VNAMMODUMP_OPENED };

// The controller's instance.
struct VNAMMODUMP {
  SPW_DOBJECT* pObject;
  int32_t nOpenAnim;   // -1 when the model has none
  int32_t nCloseAnim;
  VNUNIT* pUnit;
  float fMaxSupply;
  float fSupply;
  float fRate;
  VNMARKER* pBar;
  float fBarTimer;
  int32_t nLid;  // VNAMMODUMP_LID
};

SGE_RESULT vnAMMODUMP_Handler(SGE_TASK* task, SGE_DATAREF* data, int32_t msg, SGE_PARAM p1,
                              SGE_PARAM p2);

// One frame's resupply pass over the dump's sighting list: serves the soldiers of its side within
// reach and returns whether any soldier of its side is in sight. allies: the dump player's
// friend mask.
bool vnAMMODUMP_Resupply(VNAMMODUMP* self, uint32_t allies);

// The class's row of the unit class table.
inline constexpr VNUNIT_CLASSROW VNAMMODUMP_CLASSROW{
    VNTT_PE_AMMO_DUMP, vnAMMODUMP_Handler, sizeof(VNAMMODUMP)};
