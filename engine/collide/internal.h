#pragma once
// Walks over the spatial tree and a mesh's node tree with explicit stacks sized from the depth
// recorded when the tree was built or loaded, so that a tree as deep as it is long is walked
// without recursion and without overflow.
#include <cstdint>
#include <vector>

#include "engine/collide/collide.h"
#include "engine/feature/feature.h"
#include "engine/math/vecops.h"

// A stack that holds up to `capacity` entries; small walks stay off the heap.
template <typename T>
class SPW_WALKSTACK {
 public:
  explicit SPW_WALKSTACK(uint32_t capacity) : capacity_(capacity) {
    if (capacity_ > kInline) heap_.resize(capacity_);
  }
  bool Push(T v) {
    if (size_ >= capacity_) return false;
    Data()[size_++] = v;
    return true;
  }
  bool Pop(T* out) {
    if (!size_) return false;
    *out = Data()[--size_];
    return true;
  }

 private:
  static constexpr uint32_t kInline = 64;
  T* Data() { return capacity_ > kInline ? heap_.data() : inline_; }
  uint32_t capacity_;
  uint32_t size_ = 0;
  T inline_[kInline];
  std::vector<T> heap_;
};

// Pre-order, left before right. enter(node) decides whether a node and everything below it is
// taken; leaf(node) returns false to stop the walk. False when the walk was stopped.
template <typename Enter, typename Leaf>
bool SPW_WalkTree(SPW_TREENODE* root, Enter enter, Leaf leaf) {
  if (!root) return true;
  SPW_WALKSTACK<SPW_TREENODE*> stack(root->dwHeight + 1);
  stack.Push(root);
  SPW_TREENODE* node;
  while (stack.Pop(&node)) {
    if (!enter(node)) continue;
    if (node->pItem) {
      if (!leaf(node)) return false;
      continue;
    }
    if (node->pRight) stack.Push(node->pRight);
    if (node->pLeft) stack.Push(node->pLeft);
  }
  return true;
}

template <typename Leaf>
bool SPW_ForEachLeaf(SPW_TREENODE* root, Leaf leaf) {
  return SPW_WalkTree(root, [](SPW_TREENODE*) { return true; }, leaf);
}

// The same over a mesh's node tree from its root (node N - 1): enter(node) and face(faceIndex).
template <typename Enter, typename Face>
bool SPW_WalkMesh(const SPW_FEATUREMESH& mesh, Enter enter, Face face) {
  if (!mesh.dwNumNodes) return true;
  SPW_WALKSTACK<int32_t> stack(mesh.dwDepth + 1);
  stack.Push(static_cast<int32_t>(mesh.dwNumNodes - 1));
  int32_t i;
  while (stack.Pop(&i)) {
    const SPW_FEATURENODE& node = mesh.pNodes[i];
    if (!enter(node)) continue;
    if (node.nFace >= 0 && !face(node.nFace)) return false;
    if (node.nRight >= 0) stack.Push(node.nRight);
    if (node.nLeft >= 0) stack.Push(node.nLeft);
  }
  return true;
}

// Frees a subtree's nodes.
void SPW_FreeTreeNodes(SPW_TREENODE* root);

// A ray: start, direction and the unit direction for the sphere tests.
struct SPW_RAY {
  SPW_VECTOR s, d, u;
};
SPW_RAY SPW_MakeRay(const SPW_VECTOR* start, const SPW_VECTOR* direction);
// Whether the ray can meet the sphere: it starts inside, or the sphere lies ahead of it within
// its radius of the line.
bool SPW_RayMeetsSphere(const SPW_RAY& ray, const SPW_VECTOR& centre, float radius);
// Whether the ray meets the triangle from its front at distance parameter t >= 0; t along d.
bool SPW_RayTriangle(const SPW_VECTOR& s, const SPW_VECTOR& d, const SPW_VECTOR& a,
                     const SPW_VECTOR& b, const SPW_VECTOR& c, float* outT);
