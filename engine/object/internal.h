#pragma once
// Shared by the type table and its two loaders.
#include <cstdint>
#include <string>

#include "engine/object/object.h"

// The base name of a path: no folder, no extension.
std::string SPW_ObjectBaseName(const char* path);
// The highest free slot below the built-ins scanned 0..699 (the last free one seen), or 700.
int32_t SPW_FindFreeObjectSlot();
// The driver texture id of a texture file: through the display's driver, else the hook; 0
// when neither gives one.
int32_t SPW_ObjectTextureId(SPW_DISPLAY* display, const char* fileName);
// Counts, for each level, the distinct texture ids of its faces.
void SPW_CountLodTextures(SPW_DOBJTYPE* type);
// Sets a node's first-child pointer and child count from the parents of the level's nodes.
void SPW_LinkLodNodes(SPW_DOBJLOD* lod);
