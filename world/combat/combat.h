#pragma once
// The damage model and the combat geometry weapons and creatures share. Weapons hurt units
// through vnInflictDamage, area effects through vnCOMBAT_AreaDamage; both tell the target's
// controller with SGM_UNIT_DAMAGED (537) and a VNDAMAGE record.
#include <cstdint>

#include "engine/kernel/kernel.h"
#include "engine/math/vecmath.h"

struct BSTAR_Node;
struct SPW_DISPLAYNODE;
struct SPW_FEATUREINST;
struct VNUNIT;

// Messages of the BugGibs service, by the flag both units of a hit share.
constexpr int32_t SGM_BUGGIBS_GIBS = 7187;   // VNUNIT_F_HIT_GIBS
constexpr int32_t SGM_BUGGIBS_SMOKE = 7188;  // VNUNIT_F_HIT_SMOKES
constexpr int32_t SGM_BUGGIBS_BURN = 7189;   // VNUNIT_F_HIT_BURNS
// A bug hole answers 1 while it is closed.
constexpr int32_t SGM_BUGHOLE_IS_CLOSED = 863;
constexpr int32_t VN_UNIT_TYPE_BUGHOLE = 34;

// Area damage finds units with one of these flags and none of the others.
constexpr uint32_t VNCOMBAT_AREA_INCLUDE = 0x10400000;
constexpr uint32_t VNCOMBAT_AREA_EXCLUDE = 0x40C8;

// Option bits of the shot traces.
constexpr uint32_t VNCOMBAT_TRACE_NETWORK = 0x1;  // the path network's obstacles first
constexpr uint32_t VNCOMBAT_TRACE_IGNORE = 0x2;   // the owner object is not hit

// Structure kinds of vnCOMBAT_StructureKind.
constexpr int32_t VNCOMBAT_KIND_BRIDGE = 3;
constexpr int32_t VNCOMBAT_KIND_STRUCTURE = 4;
// Region flag bit: its bound feature objects do not count as structures.
constexpr uint32_t VNCOMBAT_REGION_NO_STRUCTURE = 1u << 26;

// What vnUNIT_ApplyDamage applies and SGM_UNIT_DAMAGED carries.
struct VNDAMAGE {
  float fHealth;  // negative for damage
  float fArmour;
  int32_t nFlag;  // 1 when source and target both have VNUNIT_F_IMPULSE_PAIR
  SPW_VECTOR vImpulse;
  SPW_VECTOR vHit;
  SPW_VECTOR vDir;
  int32_t nSourceType;  // -1 for area damage
  uint32_t dwSourceFlags;
};

// What the BugGibs service gets with SGM_BUGGIBS_GIBS, _SMOKE and _BURN.
struct VNDAMAGE_EFFECT {
  SPW_VECTOR vHit;
  SPW_VECTOR vDir;
  SPW_VECTOR vUp;
  VNUNIT* pTarget;
  float afValues[3];  // 1.0, 6.0, 0.1
  VNDAMAGE damage;
};

// The source of area damage: where it centres and what it deals at the centre.
struct VNAREA_DAMAGE {
  SPW_VECTOR vCentre;
  VNDAMAGE damage;
};

// The shot of vnCOMBAT_TraceShotEx.
struct VNCOMBAT_SHOT {
  SPW_VECTOR vStart;
  SPW_VECTOR vDir;  // unit length
  float fLength;
};

// Damage.
// The target controller's answer to SGM_UNIT_DAMAGED; 0 when no damage was dealt. Hit point,
// direction and up vector may be null.
int32_t vnInflictDamage(VNUNIT* source, VNUNIT* target, float distance, const SPW_VECTOR* hit,
                        const SPW_VECTOR* dir, const SPW_VECTOR* up);
// Adds the record's deltas to the unit's health and armour, the armour shielding the health.
void vnUNIT_ApplyDamage(VNUNIT* unit, const VNDAMAGE* damage, int32_t flag);
// Every living unit within the radius of the centre, the deltas falling to half at the edge.
void vnCOMBAT_AreaDamage(const VNAREA_DAMAGE* source, float radius, float impulseScale);
// Posts the removal (276) of every unit of a listed type within the radius; types end at 0.
void vnCOMBAT_RemoveTypesInRadius(const SPW_VECTOR* point, float radius, const int32_t* types,
                                  uint32_t include, uint32_t exclude);
// velocity += impulse x amount / divisor, upwards only, the speed and its vertical part
// limited to the maximum.
void vnCOMBAT_ApplyImpulse(SPW_VECTOR* velocity, const SPW_VECTOR* impulse, float divisor,
                           float maximum, float amount);

// Geometry.
// 0 up to 10, 1 up to 20, 2 beyond.
int32_t vnCOMBAT_RangeBand(float distance);
// A random hit point of the unit's model facing the shooter: the point's node index, its
// position in *out; -1 for a closed bug hole, a unit without a model or a model without one.
int32_t vnCOMBAT_PickRandomHitPoint(VNUNIT* unit, const SPW_VECTOR* shooter, SPW_VECTOR* out);
// A random point of the region's bounds at its centre height; 1 when the region holds it.
int32_t vnCOMBAT_RandomPointInRegion(BSTAR_Node* region, SPW_VECTOR* out);
// 1 on a hit, with the point and normal (either may be null) and the object hit (null for the
// terrain or a network obstacle).
int32_t vnCOMBAT_TraceShot(const SPW_VECTOR* start, const SPW_VECTOR* dir, float length,
                           SPW_VECTOR* outHit, SPW_VECTOR* outNormal, SPW_FEATUREINST** outObject,
                           uint32_t options, SPW_FEATUREINST* owner);
// The same for a shot record; *outDistance (may be null) is zeroed first and gets the hit's
// distance along the shot.
int32_t vnCOMBAT_TraceShotEx(const VNCOMBAT_SHOT* shot, SPW_VECTOR* outHit,
                             SPW_VECTOR* outNormal, SPW_FEATUREINST** outObject,
                             uint32_t options, SPW_FEATUREINST* owner, float* outDistance);
// The launch velocity with the given horizontal speed that meets a target moving with
// constant velocity under gravity; 1, or 0 when the target cannot be caught.
int32_t vnCOMBAT_LineCircleIntersect(const SPW_VECTOR* target, const SPW_VECTOR* targetVel,
                                     const SPW_VECTOR* muzzle, float speed, SPW_VECTOR* out);
// 1 when nothing but the target owner's object or the shooter region's own fort walls stands
// in the way (the hit point of the target owner's object in *outHit); 0 when blocked.
int32_t vnCOMBAT_HasLineOfFire(const SPW_VECTOR* origin, const SPW_VECTOR* dir, float length,
                               SPW_FEATUREINST* targetOwner, SPW_VECTOR* outHit,
                               VNUNIT* shooter);
int32_t vnCOMBAT_HasLineOfFireTo(const SPW_VECTOR* origin, const SPW_VECTOR* target,
                                 SPW_FEATUREINST* targetOwner, SPW_VECTOR* outHit,
                                 VNUNIT* shooter);
// 1 when the ray from the start along the unit direction over *distance meets neither the
// terrain nor a scene object other than the target's or the shooting weapon's holder's, or a
// fort wall; 0 with the blocking point in *outBlock (may be null) otherwise.
int32_t vnCOMBAT_TestLineOfFire(const SPW_VECTOR* direction, const float* distance,
                                const SPW_VECTOR* start, SPW_VECTOR* outBlock,
                                const VNUNIT* target, const VNUNIT* weapon);
// Turns the ground direction by a random angle within plus or minus the spread and sweeps a
// disc of the radius from the origin along it for the distance through the path network from
// the region; the point reached in *out and the region holding it. Null without a region.
BSTAR_Node* vnCOMBAT_ScatterDirection(const SPW_VECTOR* origin, const SPW_VECTOR* dir,
                                      float distance, float spread, uint32_t junctionMask,
                                      float radius, BSTAR_Node* region, SPW_VECTOR* out);
// 4 for a region bound to a wall or building, 3 for a bridge, else the mission's default kind.
int32_t vnCOMBAT_StructureKind(const BSTAR_Node* region);
// The kind regions without a structure report; a negative value reports 0.
void vnCOMBAT_SetDefaultStructureKind(int32_t kind);

// Debug drawing. The point two units below the position through the virtual display's
// camera, in the node's pixels: 1, or 0 when it lies behind the near plane.
int32_t vnCOMBAT_ProjectToScreen(const SPW_DISPLAYNODE* view, const SPW_VECTOR* position,
                                 float* outX, float* outY);
// Lines go through the driver of the first display that has one, with its current state.
void vnCOMBAT_DrawDebugLine(const SPW_VECTOR* a, const SPW_VECTOR* b, int32_t r, int32_t g,
                            int32_t bl);
// An octagon of eight lines around the centre.
void vnCOMBAT_EmitRing(const SPW_VECTOR* centre, float radius, int32_t r, int32_t g, int32_t b);
