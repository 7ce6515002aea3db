#pragma once
// The shadow service's state, shared by its record and quad halves.
#include "world/shadow/shadow.h"

struct VNSHADOW_SERVICE {
  VNSHADOW_TEXTURE aTextures[VNSHADOW_NUM_TEXTURES];
  SPW_VECTOR vLight;  // unit length, towards the light
  SPW_SCENE* pScene;
  SPW_DISPLAY* pDisplay;
  SGE_MEMBLOCK* pBlock;
  SGE_DLLNODE active;
  SGE_DLLNODE free;
  float fLightHeight;
  float fMinHeight;
  float fMaxHeight;
  float fInnerRadius;
  float fOuterRadius;
};
extern VNSHADOW_SERVICE vnShadow_Service;

// A band that fades: the maximum height above the minimum, the outer radius beyond the inner.
// Without one the shadow is whole up to the maximum height or out to the outer radius.
inline bool vnShadow_HasHeightBand(const VNSHADOW& s) { return s.fMaxHeight > s.fMinHeight; }
inline bool vnShadow_HasDistanceBand(const VNSHADOW& s) {
  return s.fOuterRadius * s.fOuterRadius > s.fInnerRadius * s.fInnerRadius;
}

// The light's ground direction (x, y), unit length, and the stretch of a shadow along it.
struct VNSHADOW_GROUNDLIGHT {
  float x, y;
  float fSlant;
};
VNSHADOW_GROUNDLIGHT vnShadow_GroundLight(const SPW_VECTOR& light);

// Releases the record's quad, if any.
void vnShadow_ReleaseQuad(VNSHADOW* shadow);
// The record's new quad for a camera at the position: none when it gets no shadow this frame.
SPW_TESS* vnShadow_BuildQuad(const VNSHADOW* shadow, const VNSHADOW_GROUNDLIGHT& light,
                             const SPW_VECTOR& camera);
