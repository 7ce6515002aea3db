// The spatial tree over a scene's feature instances: its greedy build, masks, marks and release.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <string_view>
#include <vector>

#include "engine/collide/collide.h"
#include "engine/collide/internal.h"
#include "engine/feature/feature.h"
#include "engine/memory/memblock.h"
#include "engine/scene/scene.h"
#include "engine/tess/tess.h"
#include "platform/text.h"
#include "platform/trace.h"

namespace {

// The sky object of the scene whose tree was built last.
const SPW_SCENE* g_skyScene = nullptr;
SPW_FEATUREINST* g_sky = nullptr;

SPW_TREENODE* NewNode() {
  auto* node = static_cast<SPW_TREENODE*>(SGE_MemCalloc(SPW_FObjsMem, sizeof(SPW_TREENODE)));
  if (node) SGE_ListInit(&node->link);
  return node;
}

float MergedRadius(const SPW_TREENODE* a, const SPW_TREENODE* b) {
  SPW_VECTOR c;
  float r;
  SPW_MergeSpheres(&a->vCentre, a->fRadius, &b->vCentre, b->fRadius, &c, &r);
  return r;
}

// Leaves for every instance but the sky's, on the work list. False when memory fails.
bool MakeLeaves(SPW_SCENE* scene, SGE_DLLNODE* work, SPW_FEATUREINST** sky) {
  SGE_DLLNODE* classes = SPW_SceneFeatureList(scene);
  for (SPW_FEATUREOBJ* cls : SGE_ListRecords<SPW_FEATUREOBJ>(classes)) {
    const bool isSky = PLAT_EqualNoCase(
        std::string_view(cls->szClassName, strnlen(cls->szClassName, SPW_FEATURE_NAME_SIZE)),
        SPW_SKY_CLASS);
    for (SPW_FEATUREINST* inst : SGE_ListRecords<SPW_FEATUREINST>(&cls->instances)) {
      if (isSky) {
        *sky = inst;
        continue;
      }
      SPW_TREENODE* leaf = NewNode();
      if (!leaf) return false;
      leaf->pItem = inst;
      leaf->dwHeight = 1;
      SPW_MatTransformPoint(&inst->mObjectToWorld, &cls->vCentre, &leaf->vCentre);
      leaf->fRadius = inst->fScale * cls->fRadius;
      SGE_ListAddTail(work, &leaf->link);
    }
  }
  return true;
}

// Children before parents: the nodes in reverse pre-order (right before left).
void MaskBelow(SPW_TREENODE* root) {
  std::vector<SPW_TREENODE*> order;
  SPW_WalkTree(root, [&](SPW_TREENODE* n) {
    order.push_back(n);
    return true;
  }, [](SPW_TREENODE*) { return true; });
  for (auto it = order.rbegin(); it != order.rend(); ++it) {
    SPW_TREENODE* n = *it;
    n->dwMask = n->pItem ? n->pItem->pClass->dwAttributes
                         : (n->pLeft ? n->pLeft->dwMask : 0) | (n->pRight ? n->pRight->dwMask : 0);
  }
}

int32_t FreeSceneFeatures(SPW_SCENE* scene) {
  SPW_FreeCollideTree(scene);
  SGE_ListInit(SPW_SceneFeatureList(scene));
  return SPW_ResetFeatureObjects();
}

void ForItems(SPW_SCENE* scene, const SPW_VECTOR* centre, float radius, uint32_t mask,
              int32_t (*fn)(void* item, void* data), void* data) {
  struct Call {
    int32_t (*fn)(void*, void*);
    void* data;
    uint32_t mask;
  } call{fn, data, mask};
  const uint32_t old = SPW_SetCollideMask(mask);
  SPW_CollideSphere(
      scene, centre, radius,
      [](SPW_FEATUREINST* item, void* user) -> int32_t {
        auto* c = static_cast<Call*>(user);
        if (!(item->pClass->dwAttributes & c->mask)) return 1;
        return c->fn(item, c->data);
      },
      &call);
  SPW_SetCollideMask(old);
}

SGE_DLLNODE* ItemList(void* item) { return &static_cast<SPW_FEATUREINST*>(item)->decals; }

}  // namespace

void SPW_MergeSpheres(const SPW_VECTOR* c1, float r1, const SPW_VECTOR* c2, float r2,
                      SPW_VECTOR* outCentre, float* outRadius) {
  const SPW_VECTOR d{c2->x - c1->x, c2->y - c1->y, c2->z - c1->z};
  const float dist = std::sqrt(d.x * d.x + d.y * d.y + d.z * d.z);
  if (r1 >= r2 && (r1 - r2 > dist || dist == 0)) {
    *outCentre = *c1;
    *outRadius = r1;
    return;
  }
  if (r1 < r2 && dist < r2 - r1) {
    *outCentre = *c2;
    *outRadius = r2;
    return;
  }
  // dist is not 0 here: equal centres took one of the branches above.
  const float k = (r2 - r1) / dist;
  *outCentre = {(c1->x + c2->x + d.x * k) / 2, (c1->y + c2->y + d.y * k) / 2,
                (c1->z + c2->z + d.z * k) / 2};
  *outRadius = (r1 + r2 + dist) / 2;
}

int32_t SPW_BuildSceneTree(SPW_SCENE* scene) {
  if (!scene || !SPW_FeatureObjects) return -1;
  SPW_InstallCollideHooks();
  SGE_DLLNODE work, made;
  SGE_ListInit(&work);
  SGE_ListInit(&made);  // every node, for the release after a failure
  SPW_FEATUREINST* sky = nullptr;
  bool ok = MakeLeaves(scene, &work, &sky);
  if (ok && SGE_ListIsEmpty(&work)) {
    PLAT_Trace("SPW_BuildSceneTree: no instance but the sky\n");
    ok = false;
  }
  // Greedy pairing: the first node with the one whose merged sphere is smallest.
  while (ok && SGE_ListCount(&work) > 1) {
    auto* a = SGE_ListRecord<SPW_TREENODE>(SGE_ListPopHead(&work));
    SPW_TREENODE* best = nullptr;
    float bestRadius = 0;
    for (SPW_TREENODE* b : SGE_ListRecords<SPW_TREENODE>(&work)) {
      const float r = MergedRadius(a, b);
      if (!best || r < bestRadius) {
        best = b;
        bestRadius = r;
      }
    }
    SGE_ListUnlink(&best->link);
    SPW_TREENODE* parent = NewNode();
    if (!parent) {
      SGE_ListAddTail(&made, &a->link);
      SGE_ListAddTail(&made, &best->link);
      ok = false;
      break;
    }
    parent->pLeft = a;
    parent->pRight = best;
    parent->dwHeight = 1 + std::max(a->dwHeight, best->dwHeight);
    SPW_MergeSpheres(&a->vCentre, a->fRadius, &best->vCentre, best->fRadius, &parent->vCentre,
                     &parent->fRadius);
    a->pParent = best->pParent = parent;
    SGE_ListAddTail(&work, &parent->link);
  }
  if (!ok) {
    // Inner nodes already made hang under the nodes on the lists; free whole subtrees.
    for (SGE_DLLNODE* list : {&work, &made})
      while (auto* node = SGE_ListRecord<SPW_TREENODE>(SGE_ListPopHead(list)))
        SPW_FreeTreeNodes(node);
    PLAT_Trace("SPW_BuildSceneTree: no tree built\n");
    return -1;
  }
  auto* root = SGE_ListRecord<SPW_TREENODE>(SGE_ListPopHead(&work));
  SGE_ListInit(&root->link);
  MaskBelow(root);
  scene->pTree = root;
  g_skyScene = scene;
  g_sky = sky;
  return 1;
}

SPW_FEATUREINST* SPW_GetSceneSky(const SPW_SCENE* scene) {
  return scene && scene == g_skyScene ? g_sky : nullptr;
}

void SPW_FreeTreeNodes(SPW_TREENODE* root) {
  // Rotations turn each left child into the root, so that a root without one can go and its
  // right child follows: every node freed once, with no pending list or recursion.
  while (root) {
    if (SPW_TREENODE* left = root->pLeft) {
      root->pLeft = left->pRight;
      left->pRight = root;
      root = left;
    } else {
      SPW_TREENODE* right = root->pRight;
      SGE_MemFree(root);
      root = right;
    }
  }
}

void SPW_FreeCollideTree(SPW_SCENE* scene) {
  if (!scene) return;
  SPW_FreeTreeNodes(scene->pTree);
  scene->pTree = nullptr;
  if (g_skyScene == scene) {
    g_skyScene = nullptr;
    g_sky = nullptr;
  }
}

void SPW_InstallCollideHooks() {
  SPW_SceneHooks.pfnFreeTree = FreeSceneFeatures;
  SPW_TessHooks.pfnForItems = ForItems;
  SPW_TessHooks.pfnItemList = ItemList;
}

void SPW_UpdateCollideMasks(SPW_SCENE* scene) {
  if (scene && scene->pTree) MaskBelow(scene->pTree);
}

void SPW_CollideReset(SPW_SCENE* scene) {
  if (!scene) return;
  SPW_ForEachLeaf(scene->pTree, [](SPW_TREENODE* leaf) {
    leaf->pItem->dwFlags &= ~(SPW_FINST_MARK_A | SPW_FINST_MARK_B);
    leaf->pItem->dwMarkA = leaf->pItem->dwMarkB = 0;
    return true;
  });
}
