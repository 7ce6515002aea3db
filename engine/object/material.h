#pragma once
// The "MATF" block's materials, as the object, feature and terrain loaders read them: a
// temporary table that lives while its file is open (texture entries stay in the chunk data).
#include <cstdint>
#include <string>

struct SPW_BIFF_FILE;
struct SPW_DISPLAY;

constexpr uint32_t SPW_MATERIAL_NAME_SIZE = 260;
constexpr uint32_t SPW_TEXTURE_NAME_SIZE = 260;

// 296 bytes, only while loading.
struct SPW_MATERIAL {
  uint32_t dwValue;
  char szName[SPW_MATERIAL_NAME_SIZE];
  uint32_t adwValue[6];
  uint32_t dwNumTextures;
  const uint8_t* pTextures;  // dwNumTextures records of 264 bytes, in the chunk's data
};

struct SPW_MATERIALTABLE {
  SPW_MATERIAL* pMaterials;  // in SPW_FObjsMem; none for a file without materials
  uint32_t dwCount;          // read
  uint32_t dwCapacity;       // the block's chunk count
};

// Reads every "MATS" chunk of the file's first "MATF" block into a zeroed table. 1, or 0 when
// memory fails, a chunk is cut short or the block holds more chunks than its count (all traced
// with the caller's name). A file without the block, or a block without chunks, gives an empty
// table.
int32_t SPW_ReadMaterials(SPW_BIFF_FILE* file, SPW_MATERIALTABLE* out, const char* caller);
void SPW_FreeMaterials(SPW_MATERIALTABLE* table);

// Which of a material's textures a loader takes: objects and feature meshes take the face
// texture (the first of kind 1, else the first); terrain surfaces take the first.
enum class SPW_TEXTURECHOICE { Face, First };

// The file name of the chosen texture of a material. False (and an empty name) for an index
// outside the table or a material without textures.
bool SPW_MaterialTextureName(const SPW_MATERIALTABLE* table, uint32_t index,
                             char (&out)[SPW_TEXTURE_NAME_SIZE + 1],
                             SPW_TEXTURECHOICE choice = SPW_TEXTURECHOICE::Face);
// The driver texture id of that texture, its name made a full path from the working folder
// (through the display's driver, else the texture hook); 0 when there is none. A caller that
// asks for many passes the working folder it read once.
int32_t SPW_MaterialTextureId(const SPW_MATERIALTABLE* table, uint32_t index,
                              SPW_DISPLAY* display, const std::string* workingDir = nullptr,
                              SPW_TEXTURECHOICE choice = SPW_TEXTURECHOICE::Face);
