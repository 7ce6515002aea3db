#pragma once
// driver/texture: the texture table, loading, source images, conversion and the TXF cache.
//
// The texture table of a display: file names to texture ids (from 1; 0 is no texture), how far
// each texture has been brought towards the device, and its device texture once made.
// Names are full paths compared without regard to case, '/' and '\' alike.
#include <cstdint>

#include "driver/core/state.h"

struct PLAT_GfxTexture;
struct SPW_DISPLAY;

constexpr uint32_t SPPD_TEXTURE_SLOTS = 1024;        // slots of a new table
constexpr uint32_t SPPD_TEXTURE_SLOT_GROWTH = 256;   // added each time the ids reach the end
constexpr int SPPD_TEXTURE_NAME_BUCKETS = 2048;
constexpr int SPPD_TEXTURE_FOLDER_BUCKETS = 256;
constexpr int SPPD_TEXTURE_PATH_SIZE = 1024;         // longer full paths are refused

// Slot flags: bits 0-1 the level, bit 4 the source has an alpha channel ("P7"), bit 5 the
// source is larger than the device's textures.
constexpr uint32_t SPPD_TEXTURE_LEVEL_MASK = 0x3;
constexpr uint32_t SPPD_TEXTURE_ALPHA = 0x10;
constexpr uint32_t SPPD_TEXTURE_TOO_LARGE = 0x20;
// Levels, from registered only down to ready for drawing.
constexpr uint32_t SPPD_TEXTURE_READY = 0;    // drawable (1 to 0 has no work)
constexpr uint32_t SPPD_TEXTURE_SURFACE = 1;  // the device texture is made and filled
constexpr uint32_t SPPD_TEXTURE_CACHED = 2;   // a current cache file exists, no surface
constexpr uint32_t SPPD_TEXTURE_NAMED = 3;    // only the name is known

// Folder records, shared by every name in the folder: "\dir\sub\", lower case, '\' separated.
struct SPPD_TEXTUREFOLDER {
  SPPD_TEXTUREFOLDER* pNext;  // in its folder bucket
  char szPath[1];             // terminated; the record runs on past its declared size
};

// A registered name. The leaf is kept whole so long names neither over-read nor collide.
struct SPPD_TEXTURENAME {
  SPPD_TEXTURENAME* pNext;  // in its name bucket
  SPPD_TEXTUREFOLDER* pFolder;
  uint32_t dwID;
  char szLeaf[1];  // lower-case file name with extension; runs on past its declared size
};

struct SPPD_TEXTURESLOT {
  uint32_t dwFlags;
  SPPD_TEXTURENAME* pName;
  PLAT_GfxTexture* pSurface;
};

struct SPPD_TEXTUREBUCKET {
  SPPD_LISTHEAD link;  // in the used-bucket or the free-bucket list
  SPPD_TEXTURENAME* pNames;
};

struct SPPD_TEXTURETABLE;

// The path resolver of a table, from the C heap.
struct SPPD_TEXTUREPATHS {
  SPPD_POOL* pNamePool;
  SPPD_TEXTURETABLE* pTable;
  char szResult[SPPD_TEXTURE_PATH_SIZE];   // the last path asked for
  char szL4Path[SPPD_TEXTURE_PATH_SIZE];   // base folder of sources, empty when unset
  char szCurrent[SPPD_TEXTURE_PATH_SIZE];  // working folder when the resolver was made
  SPPD_TEXTUREFOLDER* apFolders[SPPD_TEXTURE_FOLDER_BUCKETS];
};

struct SPPD_TEXTURETABLE {
  SPPD_TEXTUREBUCKET aBuckets[SPPD_TEXTURE_NAME_BUCKETS];
  SPPD_LISTHEAD lhUsedBuckets;
  SPPD_LISTHEAD lhFreeBuckets;
  uint32_t dwCapacity;  // slots in pSlots
  uint32_t dwNextID;
  SPPD_TEXTURESLOT* pSlots;
  SPPD_POOL* pGeneralPool;
  SPPD_POOL* pNamePool;
  SPPD_POOL* pTexturePool;
  SPPD_TEXTUREPATHS* pPaths;
};

// Builds a table of the given slot count from the state's pools; none when they refuse.
SPPD_TEXTURETABLE* SPPD_TextureTableCreate(SPPD_DRIVERSTATE* state, uint32_t slots);
// Releases every texture, the resolver, the slots and the table; none is accepted.
void SPPD_TextureTableDestroy(SPPD_TEXTURETABLE* table);
// Releases every device texture and forgets every name; ids start again at 1.
void SPPD_TextureTableReleaseAll(SPPD_TEXTURETABLE* table);

// The display state's table, made with SPPD_TEXTURE_SLOTS on first use (none without pools).
SPPD_TEXTURETABLE* SPPD_TextureTableOf(SPPD_DRIVERSTATE* state);
// Releases every texture of the state and drops its table: ids issued before are invalid and
// the next table numbers from 1 again.
void SPPD_TextureTablePurge(SPPD_DRIVERSTATE* state);
// Slots the state's table has now (the batch lists size their per-texture arrays by it).
uint32_t SPPD_TextureTableCapacity(const SPPD_DRIVERSTATE* state);

// The name's record, registered with a new id when create is nonzero; none when unknown or
// when it cannot be stored (traced).
SPPD_TEXTURENAME* SPPD_TextureFindName(SPPD_TEXTUREPATHS* paths, const char* name,
                                       int32_t create);
// The slot of an issued id; none for 0 and for ids not issued by this table.
SPPD_TEXTURESLOT* SPPD_TextureSlot(SPPD_TEXTURETABLE* table, int32_t id);

// Fill the resolver's result path and return it.
const char* SPPD_TextureSourcePath(SPPD_TEXTUREPATHS* paths, const SPPD_TEXTURENAME* name);
const char* SPPD_TextureCachePath(SPPD_TEXTUREPATHS* paths, const SPPD_TEXTURENAME* name);

// The driver-wide copy of the last L4 path set, which every new resolver takes over.
const char* SPPD_TextureDriverL4Path();

// Lower case, '\' separated, only the folder part, ending in '\' ("" stays "").
void SPPD_TextureNormaliseFolder(const char* path, char* out, int size);
// Normalises the path into the resolver's L4 path (empty turns it off).
void SPPD_TextureSetL4Path(SPPD_TEXTUREPATHS* paths, const char* path);
