#pragma once
// The scene's spatial tree: a binary tree of bounding spheres over the feature instances (the
// collision items), built at mission load and walked by the ray, sphere and name queries and by
// the scenery renderer; the terrain ray test; colour sampling under a point. Main thread only.
#include <cstdint>

#include "engine/math/vecmath.h"
#include "engine/memory/lists.h"

struct SPW_SCENE;
struct SPW_DOBJECT;
struct tag_spw_dobjnode;
struct SPW_FEATUREINST;

// A node of the tree, in SPW_FObjsMem. Leaves hold an item, inner nodes two children.
struct SPW_TREENODE {
  SGE_DLLNODE link;  // the build's work list
  uint32_t dwMask;   // the OR of the attribute words of the classes of the items below
  uint32_t dwHeight; // levels below and including this node (a leaf is 1)
  SPW_FEATUREINST* pItem;  // leaves only
  SPW_VECTOR vCentre;
  float fRadius;
  SPW_TREENODE* pParent;
  SPW_TREENODE* pLeft;
  SPW_TREENODE* pRight;
};

// Distances of the nearest-item searches start here.
constexpr float SPW_COLLIDE_FAR = 1e15f;
// A triangle is met from its front when the ray's determinant reaches this.
constexpr float SPW_COLLIDE_MIN_DET = 0.00001f;

// Builds the tree over the scene's feature instances (the sky class's instance becomes the
// scene's sky object instead) and stores its root in the scene. 1; -1 when there is no instance
// but the sky or a node cannot be allocated (the root is then left as it was).
int32_t SPW_BuildSceneTree(SPW_SCENE* scene);
// The scene's sky object: the instance of the class "Sky" the last build found, or none.
SPW_FEATUREINST* SPW_GetSceneSky(const SPW_SCENE* scene);
// Frees the tree's nodes; the scene's root becomes none.
void SPW_FreeCollideTree(SPW_SCENE* scene);
// The merged sphere of two spheres.
void SPW_MergeSpheres(const SPW_VECTOR* c1, float r1, const SPW_VECTOR* c2, float r2,
                      SPW_VECTOR* outCentre, float* outRadius);
// Sets the scene and tessellation hooks that reach the tree (its release with the scene, the
// items under a tessellation).
void SPW_InstallCollideHooks();

// Ray queries. `best` is the caller's limit on entry, a squared distance in units of the
// direction's length, and the hit's on return; the length is not used to bound the ray.
SPW_FEATUREINST* SPW_CollideQuery(SPW_SCENE* scene, const SPW_VECTOR* start,
                                  const SPW_VECTOR* direction, float length, SPW_VECTOR* outHit,
                                  float* best);
// The same, also giving the unit normal of the hit triangle in world space.
SPW_FEATUREINST* SPW_CollideQueryEx(SPW_SCENE* scene, const SPW_VECTOR* start,
                                    const SPW_VECTOR* direction, float length,
                                    SPW_VECTOR* outHit, float* best, SPW_VECTOR* outNormal);
// One item only; 1 when it improved the best. 0 for none or an ignored item. outValues, when
// given, gets the ARGB colours of the hit triangle's three vertices.
int32_t SPW_CollideObject(SPW_FEATUREINST* item, const SPW_VECTOR* start,
                          const SPW_VECTOR* direction, float length, SPW_VECTOR* outHit,
                          float* best, uint32_t* outValues);
// One dynamic object: the ray meets its bounding sphere, then the faces of its level 0 nodes
// after the root in world space, each a fan of triangles. The object when the best improved
// (with the point and the node), else none.
SPW_DOBJECT* SPW_CollideDynamicObject(SPW_DOBJECT* object, const SPW_VECTOR* start,
                                      const SPW_VECTOR* direction, float* best,
                                      SPW_VECTOR* outHit, tag_spw_dobjnode** outNode);
// The terrain's triangles; 1 when a nearer hit was found.
int32_t SPW_CollideTerrain(SPW_SCENE* scene, const SPW_VECTOR* start,
                           const SPW_VECTOR* direction, float length, SPW_VECTOR* outHit,
                           float* best);

// Calls fn(item, user) for each item whose leaf sphere meets the sphere while fn returns non-zero;
// 1 when any item was visited.
using SPW_COLLIDEFN = int32_t (*)(SPW_FEATUREINST* item, void* user);
int32_t SPW_CollideSphere(SPW_SCENE* scene, const SPW_VECTOR* centre, float radius,
                          SPW_COLLIDEFN fn, void* user);

// Name queries.
SPW_FEATUREINST* SPW_CollideFindByName(SPW_SCENE* scene, const char* name);
int32_t SPW_CollideNearestByName(SPW_SCENE* scene, const char* className,
                                 const SPW_VECTOR* point, SPW_TREENODE** outNode);
int32_t SPW_CollideNearestItem(SPW_SCENE* scene, const char* className, const SPW_VECTOR* point,
                               SPW_TREENODE** outNode);
int32_t SPW_CollideNearestByNameEx(SPW_SCENE* scene, const char* name, const SPW_VECTOR* point,
                                   SPW_TREENODE** outNode);
using SPW_COLLIDENODEFN = void (*)(SPW_TREENODE* node, void* user);
void SPW_CollideForEachByName(SPW_SCENE* scene, const char* className, SPW_COLLIDENODEFN fn,
                              void* user);

// Masks and marks.
void SPW_UpdateCollideMasks(SPW_SCENE* scene);
uint32_t SPW_SetCollideMask(uint32_t mask);  // the previous mask
void SPW_CollideReset(SPW_SCENE* scene);     // clears every item's marks

// The colour under a point: the terrain's when the terrain lies within `height` below it, else
// the average of the item vertex colours within the sphere (point, height), else the scene's
// ambient colour (flag 0).
int32_t SPW_SampleGroundColour(SPW_SCENE* scene, const SPW_VECTOR* point, float height,
                               uint32_t* outColour, int32_t* outFlag);
