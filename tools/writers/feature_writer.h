#pragma once
// Writes the feature objects of a terrain file: one "FOBF" block per class, holding one "FOBJ"
// chunk per mesh (level of detail) and one "FOBI" chunk per instance, and the materials the
// faces name as "MATS" chunks of the file's "MATF" block. Distances are in file units.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "tools/writers/biff_writer.h"
#include "tools/writers/pow_writer.h"
#include "tools/writers/terrain_writer.h"

struct vnFEATURE_VERTEX {
  float pos[3] = {0, 0, 0};
  float u = 0, v = 0;
  uint32_t values[3] = {0, 0, 0};  // the per-vertex record, written as it stands
};

struct vnFEATURE_FACE {
  int32_t material = -1;  // index into the set's materials; -1 none
  float normal[3] = {0, 0, 0};  // all zero: computed from the winding
  uint32_t flags = 0;           // bit 31 two-sided
  uint32_t index[4] = {0, 0, 0, 0};
};

// A node of a mesh's sphere tree; the root is the last node.
struct vnFEATURE_NODE {
  uint32_t word = 0;
  int32_t face = -1;  // -1 for an inner node
  float centre[3] = {0, 0, 0};
  float radius = 0;
  uint32_t word2 = 0;
  int32_t left = -1, right = -1;
};

struct vnFEATURE_MESH {
  uint32_t vertsPerFace = 3;
  uint32_t pairs = 1;  // texture pairs written per vertex; the first is (u, v)
  std::vector<vnFEATURE_VERTEX> vertices;
  std::vector<vnFEATURE_FACE> faces;
  std::vector<vnFEATURE_NODE> nodes;  // empty: built by vnFEATURE_PrepareMesh
  float centre[3] = {0, 0, 0};
  float radius = 0;  // 0: computed by vnFEATURE_PrepareMesh
};

struct vnFEATURE_CLASS {
  std::string firstName;
  std::string className;
  uint32_t valueA = 0, valueB = 0;
  std::array<uint8_t, 16> kept{};
  std::vector<vnFEATURE_MESH> meshes;  // level 0 the finest
  uint32_t meshCount = 0;               // 0: the number of meshes
  float centre[3] = {0, 0, 0};
  float radius = 0;  // 0: mesh 0's sphere
};

struct vnFEATURE_INSTANCE {
  std::string name;
  int32_t id = 0;
  // Object to world, row vectors, translation (file units) in the last row.
  float matrix[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
  // One array per mesh of the class; empty: 0xFFFFFFFF for every vertex of every mesh.
  std::vector<std::vector<uint32_t>> colours;
};

struct vnFEATURE_GROUP {
  vnFEATURE_CLASS cls;
  std::vector<vnFEATURE_INSTANCE> instances;
};

struct vnFEATURE_SET {
  std::vector<vnMODEL_MATERIAL> materials;
  std::vector<vnFEATURE_GROUP> groups;  // one "FOBF" block each
};

// Face normals from the winding (counter-clockwise seen from the front), the mesh's sphere
// tree and its bounding sphere, each only where the mesh leaves it empty.
void vnFEATURE_PrepareMesh(vnFEATURE_MESH& mesh);
void vnFEATURE_PrepareClass(vnFEATURE_CLASS& cls);
// An instance matrix: uniform scale, a turn about z (radians), then a translation (file units).
void vnFEATURE_Place(vnFEATURE_INSTANCE& inst, float x, float y, float z, float angle = 0,
                     float scale = 1);

// Chunk data builders, for tests that take a file apart. The face material indices are offset
// by materialBase (-1 stays -1).
std::vector<uint8_t> vnFEATURE_ClassChunk(const vnFEATURE_CLASS& cls, uint32_t mesh,
                                          uint32_t materialBase = 0);
std::vector<uint8_t> vnFEATURE_InstanceChunk(const vnFEATURE_CLASS& cls,
                                             const vnFEATURE_INSTANCE& inst);
// The blocks of the set's groups (classes prepared on the way).
std::vector<vnBIFF_BLOCK> vnFEATURE_Blocks(const vnFEATURE_SET& set, uint32_t materialBase = 0);
// Adds the set to a file under construction: its materials go after those of the file's first
// "MATF" block (one is added when there is none and the set has materials) and its "FOBF"
// blocks at the end.
void vnFEATURE_AppendTo(vnBIFF_FILE& file, const vnFEATURE_SET& set);
// Adds the set to a terrain before it is written: its materials after the terrain's, its
// blocks among the terrain's extra blocks.
void vnFEATURE_AddToTerrain(vnTERRAIN& terrain, const vnFEATURE_SET& set);
// A file of the set alone: its "FOBF" blocks and its "MATF" block.
bool vnWRITE_FeatureFile(const std::string& path, const vnFEATURE_SET& set);
