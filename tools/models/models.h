#pragma once
// Generated models for tests and the demo tree, in POW file units (100 units = 1 engine unit).
#include <cstdint>
#include <vector>

#include "tools/writers/pow_writer.h"

// A figure of eight body nodes under a root, with the locators "HandR" (under the right arm)
// and "HeadTop" (under the head); animation 0 "Walk" (one 4,800-tick stride, looping), 1 "Idle".
vnMODEL vnMODELS_Figure();
// The ticks of "Walk" at which a foot lands: the figure's breakpoint times.
std::vector<uint32_t> vnMODELS_FigureFootfalls();
// One node, six sides of two triangles each, 100 units a side around the origin.
vnMODEL vnMODELS_Cube();
// One node of triangles, radius 50 units; two levels of detail (fine, then coarse).
vnMODEL vnMODELS_Sphere();
// The four formation markers, each a flat plate with its own mark, facing -y: "FormationGO"
// (an arrow), "FormationNO" (a post), "DNYFormationGO" (a ring of four studs and an arrow),
// "DNYFormationNO" (a cross).
std::vector<vnMODEL> vnMODELS_FormationMarkers();
// Adds a box with outward normals centred on c with half sizes h to the node, each side two
// triangles of the material.
void vnMODELS_AddBox(vnMODEL_NODE& node, const float c[3], const float h[3], uint32_t material);
