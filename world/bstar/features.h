#pragma once
// How the path network reaches the feature objects of a scene: by name, and for the binding
// check by class, position and occlusion. The scene's owner installs the source; without one
// bindings keep only their names.
#include <cstdint>

struct SPW_SCENE;

// A feature instance's name field holds up to 19 characters and a terminator.
constexpr int32_t BSTAR_FEATURE_NAME_SIZE = 20;

struct BSTAR_FEATUREINFO {
  const char* pszName;
  const char* pszClass;
  float fX, fY;
  int32_t bOccludes;  // the class blocks the pointer in the interface
};

struct BSTAR_FEATURESOURCE {
  // The scene's feature instance of that name, or none.
  void* (*pfnFind)(SPW_SCENE* scene, const char* name);
  // 1 and the description of a feature that pfnFind gave.
  int32_t (*pfnDescribe)(SPW_SCENE* scene, void* feature, BSTAR_FEATUREINFO* out);
};

// Installs the source (none removes it); the previous one.
const BSTAR_FEATURESOURCE* BSTAR_SetFeatureSource(const BSTAR_FEATURESOURCE* source);
