#pragma once
// Fort walls: a wall of the scenery that soldiers can breach. The unit stands in for the intact
// feature; when it falls the broken feature takes its place and the path network opens the
// ways through the breach ("FC" nodes) and closes those that went round it ("FE" nodes).
#include <cstdint>

#include "engine/kernel/kernel.h"
#include "engine/math/vecmath.h"
#include "world/unitman/unitclass.h"

struct SPW_DOBJECT;
struct SPW_FEATUREINST;
struct VNUNIT;

constexpr char VNFORTWALL_PLACEHOLDER[] = "Export/Pows/fortPlaceholder.pow";
constexpr char VNFORTWALL_INTACT[] = "Fort Wall";
constexpr char VNFORTWALL_BROKEN[] = "Fort Wall Broken";
// Network nodes of these names bound to the wall open (FC) or close (FE) when it falls.
constexpr char VNFORTWALL_OPENS[] = "FC";
constexpr char VNFORTWALL_CLOSES[] = "FE";
// The wall's answer: its unit type.
constexpr int32_t SGM_FORTWALL_GET_TYPE = 1062;

enum VNFORTWALL_STATE : int32_t { VNFORTWALL_STANDING = 0, VNFORTWALL_FALLEN = 2 };

struct VNFORTWALL {
  VNUNIT* pUnit;
  SPW_DOBJECT* pPlaceholder;
  SPW_FEATUREINST* pIntact;
  SPW_FEATUREINST* pBroken;
  SPW_VECTOR vDir;
  float fScale;
  int32_t nState;  // VNFORTWALL_STATE
};

SGE_RESULT vnFORTWALL_Handler(SGE_TASK* task, SGE_DATAREF* data, int32_t msg, SGE_PARAM p1,
                              SGE_PARAM p2);

// The class's row of the unit class table.
inline constexpr VNUNIT_CLASSROW VNFORTWALL_CLASSROW{
    VNTT_PE_FORTWALL, vnFORTWALL_Handler, sizeof(VNFORTWALL)};
