#pragma once
// Generated feature classes (static scenery) for tests, benchmarks and the demo terrain, in file
// units (100 units = 1 engine unit). Faces wind counter-clockwise seen from their front.
#include <cstdint>
#include <string>
#include <vector>

#include "tools/writers/feature_writer.h"

// A box around the origin, half-sizes in file units, 12 triangles facing out; every face names
// the material given (-1 none).
vnFEATURE_CLASS vnMODELS_FeatureBox(const std::string& className, float hx, float hy, float hz,
                                    int32_t material = -1);
// A lumpy rock about `radius` across (a subdivided octahedron pushed in and out by the seed),
// with a coarser second level of detail.
vnFEATURE_CLASS vnMODELS_FeatureRock(const std::string& className, float radius, uint32_t seed,
                                     int32_t material = -1);
// An upright barrel of `sides` sides, standing on z = 0, capped at both ends.
vnFEATURE_CLASS vnMODELS_FeatureBarrel(const std::string& className, float radius, float height,
                                       uint32_t sides, int32_t material = -1);
// A bridge along x: a deck `length` long and `width` wide at height `height`, with two rails.
vnFEATURE_CLASS vnMODELS_FeatureBridge(const std::string& className, float length, float width,
                                       float height, int32_t material = -1);
// A dome of `radius` over the origin whose faces look inward, for the sky class "Sky".
vnFEATURE_CLASS vnMODELS_FeatureSky(float radius, int32_t material = -1);
// A flat square sheet of n by n cells (2 n^2 triangles facing +z) of `size` on each side,
// centred on the origin; the benchmark's many faces.
vnFEATURE_CLASS vnMODELS_FeatureGrid(const std::string& className, uint32_t n, float size,
                                     int32_t material = -1);
// The per-vertex colours of every mesh of a class, all one colour.
std::vector<std::vector<uint32_t>> vnMODELS_FeatureColours(const vnFEATURE_CLASS& cls,
                                                           uint32_t colour);
