#pragma once
// Generated models of shield domes and fly-by aircraft, in POW file units (100 units = 1 engine
// unit).
#include <cstdint>
#include <string>

#include "tools/writers/pow_writer.h"

// A sphere of triangles: `segments` around, `rings` from pole to pole (fans at the poles), so
// 2 x segments x (rings - 1) faces; each face's last vertex lies on the ring being built.
vnMODEL vnMODELS_DomeSphere(const std::string& name, uint32_t segments, uint32_t rings,
                            float radius);
// The shield sphere of 17 segments and 4 rings: 102 faces, radius 100 units.
constexpr uint32_t VNMODELS_DOME_FACES = 102;
vnMODEL vnMODELS_ShieldSphere();
// A dart-shaped fighter pointing along -y, "tacfighter".
vnMODEL vnMODELS_Fighter();
// The dropship "DS10" pointing along -y, with its engines' locators "thrustmain1" to
// "thrustmain4": 1 to 4 and 2 to 3 run backwards (+y) from the left and right engines.
vnMODEL vnMODELS_DS10();
