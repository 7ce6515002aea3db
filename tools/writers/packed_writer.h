#pragma once
// Writes the packed tables ("tset.dat" positions, "qtset.dat" rotations, "materials.dat"
// texture names) and packed object files (".pdo", an image of a loaded type in engine units).
// Every file is a little-endian int32 total size, itself included, then the body.
#include <cstdint>
#include <string>
#include <vector>

#include "tools/writers/pow_writer.h"

struct vnPACKED_ROTATION {
  float rot[4] = {0, 0, 0, 1};
  float time = 0;
  float invSpan = 0;
};

// The global tables that packed keys and faces index; packed objects add to them as they
// are built, so one set of tables serves every object of a content tree.
struct vnPACKED_TABLES {
  std::vector<std::vector<float>> positions;  // x, y, z
  std::vector<vnPACKED_ROTATION> rotations;
  std::vector<std::string> materials;  // texture file names, up to 259 characters
};

std::vector<uint8_t> vnPACKED_PositionBytes(const vnPACKED_TABLES& tables);
std::vector<uint8_t> vnPACKED_RotationBytes(const vnPACKED_TABLES& tables);
std::vector<uint8_t> vnPACKED_MaterialBytes(const vnPACKED_TABLES& tables);
// Writes "tset.dat", "qtset.dat" and "materials.dat" into a folder.
bool vnWRITE_PackedTables(const std::string& folder, const vnPACKED_TABLES& tables);

// Where the sections of a packed object image begin (byte offsets from the image start).
struct vnPDO_LAYOUT {
  uint32_t animTable = 0;
  uint32_t firstPairs = 0;  // the first animation's per-node key counts and offsets
  uint32_t lodTable = 0;
  uint32_t firstNodes = 0;  // level 0's node records
  uint32_t firstFaces = 0;  // the first face record of level 0 (0 when none)
  uint32_t size = 0;
};

// The image of a model (distances times 0.01, as the POW loader takes them at scale 1); its
// keys and face textures are added to the tables. Empty (with a trace) when the tables would
// overflow their 16-bit key indices.
std::vector<uint8_t> vnPDO_Build(const vnMODEL& model, vnPACKED_TABLES& tables,
                                 vnPDO_LAYOUT* layout = nullptr);
bool vnWRITE_PDO(const std::string& path, const vnMODEL& model, vnPACKED_TABLES& tables);
