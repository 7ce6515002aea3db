#pragma once
// What the scenery classes (props, statues, fort walls, the splitting rock, the teleporter)
// share: turns about the vertical axis, the feature instances they bind, the path network's
// feature bindings, and the unit's removal and kill report.
#include <cstdint>

#include "engine/math/vecmath.h"

struct BSTAR_FEATUREBINDING;
struct SPW_FEATUREINST;
struct VNUNIT;

// The rotation by the angle (radians) about z.
SPW_QUAT vnFOBJ_TurnZ(float angle);
// The transform at the point turned by the angle about z, scale 1.
SPW_TRANSFORM vnFOBJ_At(const SPW_VECTOR& pos, float turn);
// The answer of the messages that write a point or direction into p1: 0 when there is no
// place for it, else 1 with the vector written.
int32_t vnFOBJ_WriteVector(SPW_VECTOR* out, const SPW_VECTOR& v);
// The direction the rotation turns -y onto: where a model faces.
SPW_VECTOR vnFOBJ_Ahead(const SPW_QUAT& rot);
// The heading angle about z of a ground direction, so that vnFOBJ_TurnZ turns -y onto it.
float vnFOBJ_Heading(const SPW_VECTOR& dir);

SPW_VECTOR vnFOBJ_FeaturePosition(const SPW_FEATUREINST* feature);
// Hidden features are neither drawn nor hit.
void vnFOBJ_ShowFeature(SPW_FEATUREINST* feature, bool shown);
// The instance of the class nearest the point in the mission's scene, or null.
SPW_FEATUREINST* vnFOBJ_NearestFeature(const char* className, const SPW_VECTOR& at);
// The scene's instance a network binding names: its resolved object, else the instance of that
// name in the mission's scene; null when there is none.
SPW_FEATUREINST* vnFOBJ_BoundFeature(const BSTAR_FEATUREBINDING* binding);

// Posts the unit's removal to the unit manager.
void vnFOBJ_RemoveUnit(VNUNIT* unit);
// Tells the mission controller that the feature unit was destroyed.
void vnFOBJ_ReportKill(const VNUNIT* unit);
