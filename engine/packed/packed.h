#pragma once
// Packed tables: images read in one piece and kept for the whole run. A table file is a
// little-endian int32 total size (these four bytes included), then the body.
#include <cstdint>

#include "engine/object/object.h"

constexpr int32_t SPW_MATERIAL_NAME_SIZE = 260;  // one "materials.dat" entry
constexpr const char SPW_POSITION_TABLE_FILE[] = "tset.dat";
constexpr const char SPW_ROTATION_TABLE_FILE[] = "qtset.dat";
constexpr const char SPW_MATERIALS_FILE[] = "materials.dat";

// A kept table image: the body and its size in bytes.
struct SPW_PACKEDTABLE {
  uint8_t* pBody;
  uint32_t dwSize;
};

// With a path: loads the image into SPW_ObjsMem and keeps it in *table, replacing the one kept
// (none when the file is missing, its size word is bad or memory or the read fails); 1 when
// loaded. With no path: frees the kept image, 1.
int32_t SPW_LoadPackedTable(SPW_PACKEDTABLE* table, const char* path);
int32_t SPW_LoadPositionTable(const char* path);
int32_t SPW_LoadRotationTable(const char* path);
int32_t SPW_LoadMaterials(const char* path);

// The kept tables; entry counts are 0 while a table is not loaded.
const SPW_POSITIONENTRY* SPW_GetPositionTable(uint32_t* outCount);
const SPW_ROTATIONENTRY* SPW_GetRotationTable(uint32_t* outCount);
// The texture file name of a material, none outside the table.
const char* SPW_GetMaterialName(uint32_t index);
uint32_t SPW_GetMaterialCount();
