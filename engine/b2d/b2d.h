#pragma once
// B2D sets: text files in INI layout that name the texture images of a sheet ("T%d" sections)
// and cut them into named sets of frames ("F%d" sections, "B%d" frame keys). Every record lives
// in SPW_SpritesMem. Screens, fonts and the quad drawers take their frames from here.
#include <cstdint>

#include "engine/memory/lists.h"

struct SPW_DISPLAY;

constexpr int32_t SPW_B2D_NAME_SIZE = 64;    // set names: 63 characters and the end
constexpr int32_t SPW_B2D_LINE_SIZE = 1024;  // a value longer than this is cut
constexpr uint32_t SPW_B2D_SET_COLOUR = 0xffffffffu;  // the colour word of a new set

struct SPW_B2DFILE {
  SPW_DISPLAY* pDisplay;  // the display whose driver issued the texture ids
  SGE_DLLNODE sets;       // SPW_B2DSET, in file order
  SGE_DLLNODE textures;   // SPW_B2DTEXTURE, in file order
  uint32_t dwUser[2];
};

struct SPW_B2DTEXTURE {
  SGE_DLLNODE link;
  int32_t nTextureId;  // the driver's, 0 when none
  int32_t nNumber;     // "UId", -1 when not given
};

// One frame. Everything up to nTextureId is also a font's glyph record.
struct SPW_B2DFRAME {
  SGE_DLLNODE link;
  int32_t nId;
  int32_t nOffsetX, nOffsetY;
  int32_t nWidth, nHeight;  // pixels
  int32_t nTexture;         // the texture number ("UId") the frame is cut from
  float u, v, du, dv;       // texture rectangle
  int32_t nTextureId;       // the driver's, 0 when no texture entry has the number
  const char* pszName;      // right after the record in its allocation; none when not kept
};

struct SPW_B2DSET {
  SGE_DLLNODE link;
  SPW_B2DFILE* pFile;  // none for a set read alone
  char szName[SPW_B2D_NAME_SIZE];
  int32_t anValue[2];  // the two integers of "D"
  uint32_t dwColour;   // SPW_B2D_SET_COLOUR
  SGE_DLLNODE frames;  // newest first: the last "B" key at the head, "B0" at the tail
};

// SPW_B2D_Parse without frame names. Every call reads the file again into a new record.
SPW_B2DFILE* SPW_B2D_Load(const char* fileName, SPW_DISPLAY* display);
// Reads the file and has the display's driver turn each texture image (named relative to the
// B2D file's folder) into an id; keepNames 1 stores frame names. A missing file gives a record
// without sets; none when the record cannot be allocated. Without a display or driver the
// texture ids stay 0.
SPW_B2DFILE* SPW_B2D_Parse(const char* fileName, SPW_DISPLAY* display, int32_t keepNames);
// The first set named setName (without regard to case), its frames without textures (ids 0).
// None when a section without a valid "D" comes first. Freed with SPW_B2D_FreeSet.
SPW_B2DSET* SPW_B2D_LoadSet(const char* fileName, const char* setName, int32_t keepNames);
// Frees the sets, their frames, the texture entries and the record (the driver keeps the
// textures). The last free's result, 0 for none.
int32_t SPW_B2D_Free(SPW_B2DFILE* file);
int32_t SPW_B2D_FreeSet(SPW_B2DSET* set);

SPW_B2DSET* SPW_B2D_FindSet(const SPW_B2DFILE* file, const char* name);
// The first frame with the id after 'after' (from the head when none): walking with the last
// result visits every frame of one id.
SPW_B2DFRAME* SPW_B2D_GetFrame(const SPW_B2DSET* set, const SPW_B2DFRAME* after, int32_t id);
// The frame named so (without regard to case) and its list position; none and -1 when none.
SPW_B2DFRAME* SPW_B2D_FindFrameByName(const SPW_B2DSET* set, const char* name, int32_t* index);
SPW_B2DFRAME* SPW_B2D_GetFrameAt(const SPW_B2DSET* set, int32_t index);
SPW_B2DTEXTURE* SPW_B2D_FindTexture(const SPW_B2DFILE* file, int32_t number);
