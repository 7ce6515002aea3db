#pragma once
// Shield domes: the controller of a dome unit raises a translucent sphere around a soldier or a
// point, face by face or whole, collapses it again and draws it from the mission's effect draw
// list. A dome unit is made by a soldier's shield ability and shows nothing before its first
// raise. Main thread only.
#include <cstdint>

#include "engine/kernel/kernel.h"
#include "engine/math/vecmath.h"
#include "world/unitman/unitclass.h"

struct SPW_DOBJVERTEX;
struct SPW_DOBJFACE;
struct SPW_SPRITESET;
struct VNFX_ATTACHNODE;
struct VNUNIT;

// Messages of a dome's controller.
constexpr int32_t SGM_DOME_RAISE = 7188;      // p1 a VNDOME_RAISE: 1 when raised
constexpr int32_t SGM_DOME_COLLAPSE = 7189;   // p1 a VNDOME_COLLAPSE
constexpr int32_t SGM_DOME_IS_RAISED = 7190;  // 1 from a raise until the next collapse

// Kinds: the sphere in three colours, the command suits' and the psychics' shields.
constexpr int32_t VNDOME_KIND_COMMAND = 3;
constexpr int32_t VNDOME_KIND_PSYCHIC = 4;
constexpr int32_t VNDOME_KINDS = 5;

// Modes of a raise or a collapse; any other value shows the sphere whole, or ends a collapse
// at once.
constexpr int32_t VNDOME_MODE_FLICKER = 1;  // collapse only: flicker, then end
constexpr int32_t VNDOME_MODE_DOWN = 2;     // the count of hidden faces falls while raising
constexpr int32_t VNDOME_MODE_UP = 3;       // the count of shown faces rises while raising

// Raise flags.
constexpr uint32_t VNDOME_F_SWING = 0x1;          // texture offsets swing
constexpr uint32_t VNDOME_F_KEEP_UNIT = 0x2;      // the unit stays when the dome ends
constexpr uint32_t VNDOME_F_TIMED = 0x4;
constexpr uint32_t VNDOME_F_ADDITIVE = 0x8;       // and the second colour of kinds 0-2
constexpr uint32_t VNDOME_F_SELF_COLLAPSE = 0x10; // a timed dome collapses by itself
constexpr uint32_t VNDOME_F_SCROLL = 0x20;        // texture scroll
constexpr uint32_t VNDOME_F_PULSE = 0x40;         // alpha pulse

// Flicker state.
constexpr int32_t VNDOME_FLICKER_OFF = 0;
constexpr int32_t VNDOME_FLICKER_HIDDEN = 1;
constexpr int32_t VNDOME_FLICKER_SHOWN = 2;

// The node value the dome's draw answers to.
constexpr int32_t VNDOME_NODE_VALUE = 1;

// p1 of SGM_DOME_RAISE.
struct VNDOME_RAISE {
  float fScale;
  int32_t nKind;
  int32_t nMode;
  SPW_VECTOR vPos;
  int32_t bSound;  // play the looping shield sound
  uint32_t dwFlags;
  uint32_t dwUnitId;  // told when a timed dome runs out
  float fTime;        // seconds, for VNDOME_F_TIMED
};

// p1 of SGM_DOME_COLLAPSE.
struct VNDOME_COLLAPSE {
  int32_t nMode;
  float fTime;  // seconds of flicker
};

// The controller's instance.
struct VNDOME {
  VNUNIT* pUnit;
  VNFX_ATTACHNODE* pNode;  // null until the first raise
  int32_t nModelType;
  const SPW_DOBJVERTEX* pVertices;
  const SPW_DOBJFACE* pFaces;
  int32_t nFaces;
  int32_t nVertsPerFace;
  int32_t bCollapsing;
  int32_t bFinished;
  SPW_VECTOR vPos;
  float fScale;
  float fU, fV;  // texture offsets
  int32_t nFlicker;  // VNDOME_FLICKER_*
  float fFlickerTime;
  int32_t nKind;
  int32_t nMode;
  uint32_t dwFlags;
  int32_t nSwingDir;  // 0 rising, 1 falling
  int32_t nAlphaDir;  // 0 falling, 1 rising
  int32_t nReveal;    // a face number
  float fStepTime;
  uint32_t dwColour;  // ARGB
  int32_t nLoopChannel;  // -1 none
  int32_t bRaised;
  uint32_t dwNotifyId;
  float fCountdown;
  SPW_SPRITESET* pSparks;
};

SGE_RESULT vnDome_Handler(SGE_TASK* task, SGE_DATAREF* data, int32_t msg, SGE_PARAM p1,
                          SGE_PARAM p2);

// The class's row of the unit class table; scripted sequences make a dome by its name.
inline constexpr VNUNIT_CLASSROW VNDOME_CLASSROW{VNTT_DOME, vnDome_Handler, sizeof(VNDOME), "Dome"};
