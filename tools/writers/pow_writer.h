#pragma once
// Writes POW object files (BIFF containers): the object header, the node trees of each level of
// detail with their meshes, the materials and the animations, in the current ("LDOB"/"LNOD")
// or the older ("NDOB"/"NNOD", one level per file) layout. Distances are in file units.
#include <cstdint>
#include <string>
#include <vector>

#include "tools/writers/biff_writer.h"

struct vnMODEL_VERTEX {
  float pos[3] = {0, 0, 0};
  float normal[3] = {0, 0, 1};
  uint32_t value = 0;
  float u = 0, v = 0;
};

struct vnMODEL_FACE {
  uint32_t material = 0;
  uint32_t values[4] = {0, 0, 0, 0};
  uint32_t index[4] = {0, 0, 0, 0};  // the node's vertsPerFace of them are written
};

struct vnMODEL_NODE {
  int32_t id = 0;
  std::string name;
  uint32_t kind = 0;
  int32_t parentId = -1;
  uint32_t childCount = 0;  // as written; the loader counts children itself
  uint32_t vertsPerFace = 3;
  uint32_t texSets = 1;     // pairs written per vertex; the first is (u, v)
  float transform[8] = {0, 0, 0, 0, 0, 0, 1, 1};  // position, rotation x y z w, scale
  std::vector<vnMODEL_VERTEX> vertices;
  std::vector<vnMODEL_FACE> faces;
};

struct vnMODEL_LOD {
  std::vector<vnMODEL_NODE> nodes;  // depth-first from the root, ids equal to positions
};

struct vnMODEL_TEXTURE {
  uint32_t kind = 1;  // 1 marks the face texture
  std::string file;
};

struct vnMODEL_MATERIAL {
  uint32_t value = 0;
  std::string name;
  uint32_t values[6] = {0, 0, 0, 0, 0, 0};
  std::vector<vnMODEL_TEXTURE> textures;
};

struct vnMODEL_KEY {
  float pos[3] = {0, 0, 0};
  float rot[4] = {0, 0, 0, 1};
  uint32_t time = 0;  // ticks of 1/4800 s
};

struct vnMODEL_CHANNEL {
  int32_t nodeId = 0;
  std::vector<vnMODEL_KEY> keys;
};

struct vnMODEL_ANIM {
  std::string name;
  uint32_t value = 0;
  uint32_t length = 0;  // ticks
  std::vector<vnMODEL_CHANNEL> channels;
};

struct vnMODEL {
  std::string name;  // the file's base name
  uint32_t id = 0;
  int32_t indexWord = 0;
  float radius = 0;
  float centre[3] = {0, 0, 0};
  std::vector<vnMODEL_LOD> lods;  // every level has the same node count
  std::vector<vnMODEL_MATERIAL> materials;
  std::vector<vnMODEL_ANIM> anims;  // written with their positions as animation indices
};

enum class vnPOW_LAYOUT { Current, Old };

// Chunk data builders, for tests that take a file apart.
std::vector<uint8_t> vnPOW_ObjectChunk(const vnMODEL& model, vnPOW_LAYOUT layout, uint32_t lod);
std::vector<uint8_t> vnPOW_NodeChunk(const vnMODEL_NODE& node, vnPOW_LAYOUT layout, uint32_t lod);
std::vector<uint8_t> vnPOW_MaterialChunk(const vnMODEL_MATERIAL& material);
std::vector<uint8_t> vnPOW_AnimChunk(const vnMODEL& model, const vnMODEL_ANIM& anim, uint32_t index);
std::vector<uint8_t> vnPOW_ChannelChunk(const vnMODEL_CHANNEL& channel);

// The container of a model. The old layout holds one level: `oldLod` is written as the file's
// level index and the model's first level gives the nodes.
vnBIFF_FILE vnPOW_Build(const vnMODEL& model, vnPOW_LAYOUT layout = vnPOW_LAYOUT::Current,
                        uint32_t oldLod = 0);
bool vnWRITE_POW(const std::string& path, const vnMODEL& model,
                 vnPOW_LAYOUT layout = vnPOW_LAYOUT::Current, uint32_t oldLod = 0);
