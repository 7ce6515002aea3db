// Dynamic objects: creation and its failures, lists and children, names, node selections,
// attachment at locators with the world transforms it gives, and destruction.
#include <cmath>
#include <string>

#include "engine/dobject/dobject.h"
#include "tests/engine/dobject/dobject_fixture.h"

namespace {

constexpr int32_t kHead = 3;
constexpr int32_t kHeadTop = 4;
constexpr int32_t kArmL = 5;
constexpr int32_t kHandR = 7;
constexpr int32_t kLegR = 9;

class DObjectTest : public DObjectFixture {};

// A root with `count` locators named "Loc", or with one locator "Peg".
vnMODEL Rack(int count, const char* name, const char* locator) {
  vnMODEL m;
  m.name = name;
  m.radius = 10;
  vnMODEL_LOD lod;
  vnMODEL_NODE root;
  root.name = "Root";
  lod.nodes.push_back(root);
  for (int i = 1; i <= count; ++i) {
    vnMODEL_NODE n;
    n.id = i;
    n.name = locator;
    n.kind = SPW_NODEKIND_LOCATOR;
    n.parentId = 0;
    n.transform[0] = static_cast<float>(100 * i);
    lod.nodes.push_back(n);
  }
  m.lods.push_back(lod);
  return m;
}

void ExpectMatrixNear(const SPW_MATRIX& a, const SPW_MATRIX& b) {
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c) EXPECT_NEAR(a.m[r][c], b.m[r][c], 1e-4f) << r << "," << c;
}

TEST_F(DObjectTest, ANewObjectCopiesItsTypeAndPlaysAnimationZeroOnEveryNode) {
  const SPW_TRANSFORM t = {{1, 2, 3}, {0, 0, 0, 1}, 2};
  SPW_DOBJECT* o = SPW_CreateDynamicObject(scene, figure, nullptr, 5, &t, 77);
  ASSERT_NE(o, nullptr);
  const SPW_DOBJTYPE* type = SPW_GetObjectType(figure);
  EXPECT_EQ(o->pSelf, o);
  EXPECT_EQ(o->t.vPos.y, 2.0f);
  EXPECT_EQ(o->dwUser, 77u);
  EXPECT_EQ(o->fRadius, type->fRadius);
  EXPECT_EQ(o->vCentre.y, type->vCentre.y);
  EXPECT_EQ(o->nOverrideNode, -1);
  EXPECT_EQ(o->colourA.r, 255.0f);
  EXPECT_EQ(o->fWorkOne, 1.0f);
  EXPECT_EQ(type->dwNumInstances, 1u);
  EXPECT_EQ(scene->dwCreated, 1u);
  EXPECT_EQ(SGE_ListFirst(&scene->dobjects), &o->link.link);
  for (uint32_t i = 0; i < type->dwNumNodes; ++i) {
    EXPECT_EQ(o->pNodes[i].nPrimary, 0) << i;
    EXPECT_EQ(o->pNodes[i].nOverride, -1) << i;
    EXPECT_EQ(o->pNodes[i].pfnProc, SPW_DefaultNodeProc) << i;
  }
  EXPECT_EQ(o->pNodes[kHandR].pParent, &o->pNodes[6]);
  EXPECT_EQ(o->pSlots[1].fSpeed, 1.0f);
  EXPECT_EQ(o->pSlots[1].fFlags, SPW_ANIM_PLAYING);
  SPW_DOBJECT* ex = SPW_CreateDynamicObjectEx(scene, figure, nullptr, 0, &t, 0, 1);
  ASSERT_NE(ex, nullptr);
  EXPECT_EQ(ex->pNodes[kHead].nPrimary, 1);
  EXPECT_EQ(SPW_DestroyDynamicObject(ex), 1);
  EXPECT_EQ(SPW_DestroyDynamicObject(o), 1);
  EXPECT_EQ(type->dwNumInstances, 0u);
}

TEST_F(DObjectTest, CreationFailsForBadSlotsAndEmptyTypes) {
  const uint32_t before = Used(SPW_DObjectMem);
  for (int32_t slot : {-1, 700, 5})
    EXPECT_EQ(Make(slot), nullptr) << slot;
  EXPECT_EQ(SPW_CreateDynamicObject(nullptr, figure, nullptr, 0, nullptr, 0), nullptr);
  EXPECT_EQ(Used(SPW_DObjectMem), before);
  EXPECT_TRUE(SGE_ListIsEmpty(&scene->dobjects));
}

TEST_F(DObjectTest, APartlyMadeObjectIsFreedAndNeverReturned) {
  const uint32_t before = Used(SPW_DObjectMem);
  // Leave room for the record but not for its node instances.
  SGE_MEMSTATS stats;
  SGE_GetMemBlockStats(&stats, SPW_DObjectMem);
  const uint32_t keep = sizeof(SPW_DOBJECT) + 2 * SGE_MEMCHUNK_HEADER_SIZE + 64;
  void* filler = SGE_MemAlloc(SPW_DObjectMem, stats.dwLargestFree - keep);
  ASSERT_NE(filler, nullptr);
  const uint32_t filled = Used(SPW_DObjectMem);
  vntest::TraceCapture trace;
  EXPECT_EQ(Make(figure), nullptr);
  EXPECT_TRUE(trace.contains("Fail to create dynamic object"));
  EXPECT_EQ(Used(SPW_DObjectMem), filled);
  EXPECT_TRUE(SGE_ListIsEmpty(&scene->dobjects));
  EXPECT_EQ(SPW_GetObjectType(figure)->dwNumInstances, 0u);
  SGE_MemFree(filler);
  EXPECT_EQ(Used(SPW_DObjectMem), before);
}

TEST_F(DObjectTest, BuiltInTypesGetNeitherNodesNorSlots) {
  SPW_DOBJECT* camera = Make(SPW_CAMERA_TYPE);
  ASSERT_NE(camera, nullptr);
  EXPECT_EQ(camera->pNodes, nullptr);
  EXPECT_EQ(camera->pSlots, nullptr);
  EXPECT_NE(camera->fFlags & SPW_DOBJ_CHAIN_DIRTY, 0u);
  SPW_AnimateObjects(camera);
  EXPECT_EQ(SPW_SetAnimationTime(camera, 0, 1.0f), 0);
  EXPECT_EQ(SPW_DestroyDynamicObject(camera), 1);
}

TEST_F(DObjectTest, ChildrenSortByPriorityAndGoWithTheirParent) {
  SPW_DOBJECT* parent = Make(figure);
  SPW_DOBJECT* late = Make(figure, parent, 9);
  SPW_DOBJECT* early = Make(figure, parent, 2);
  EXPECT_EQ(SGE_ListFirst(&parent->children), &early->link.link);
  EXPECT_EQ(SGE_ListLast(&parent->children), &late->link.link);
  EXPECT_EQ(SGE_ListCount(&scene->dobjects), 1);
  EXPECT_EQ(SPW_GetObjectType(figure)->dwNumInstances, 3u);
  EXPECT_EQ(SPW_DestroyDynamicObject(parent), 1);
  EXPECT_EQ(SPW_GetObjectType(figure)->dwNumInstances, 0u);
  EXPECT_TRUE(SGE_ListIsEmpty(&scene->dobjects));
}

TEST_F(DObjectTest, NamesFindObjectsAnimationsAndNodes) {
  SPW_DOBJECT* o = Make(figure);
  SPW_SetObjectName(o, "Trooper-1");
  EXPECT_EQ(SPW_FindObjectByName(scene, "TROOPER-1"), o);
  EXPECT_EQ(SPW_FindObjectByName(scene, "Trooper"), nullptr);
  SPW_SetObjectName(o, std::string(40, 'x').c_str());
  EXPECT_EQ(std::string(o->szName).size(), 31u);
  SPW_SetObjectName(o, nullptr);
  EXPECT_STREQ(o->szName, "");

  EXPECT_EQ(SPW_FindAnimationByName(o, "idle"), 1);
  EXPECT_EQ(SPW_FindAnimationByName(o, "Run"), 0);
  EXPECT_EQ(SPW_LookupAnimationByName(o, "Run"), -1);

  const struct {
    const char* name;
    int32_t index;
  } cases[] = {{"Hea", kHead}, {"headt", kHeadTop}, {"HandR", kHandR}, {"Zz", -1}, {"HeadTopX", -1}};
  for (const auto& c : cases) EXPECT_EQ(SPW_FindNodeByName(o, c.name), c.index) << c.name;
}

TEST_F(DObjectTest, ASelectionListsNodesInNameOrderThenNodeOrder) {
  SPW_DOBJECT* o = Make(figure);
  const char* names[] = {"legr", "ArmL", "Nope"};
  SPW_NODESELECTION* sel = SPW_SelectNodes(o, 3, names);
  ASSERT_NE(sel, nullptr);
  ASSERT_EQ(sel->dwCount, 2u);
  EXPECT_EQ(sel->ppNodes[0], &o->pNodes[kLegR]);
  EXPECT_EQ(sel->ppNodes[1], &o->pNodes[kArmL]);
  EXPECT_EQ(SPW_SetNodeListAnimation(o, sel, 1, -1, nullptr, 0), 1);
  EXPECT_EQ(o->pNodes[kLegR].nPrimary, 1);
  EXPECT_EQ(o->pNodes[kHead].nPrimary, 0);
  SPW_FreeNodeSelection(sel);
  const char* none[] = {"Nope"};
  EXPECT_EQ(SPW_SelectNodes(o, 1, none), nullptr);
}

TEST_F(DObjectTest, AnAttachedObjectHangsAtTheParentsLocator) {
  SPW_DOBJECT* a = Make(figure);
  SPW_DOBJECT* b = Make(figure);
  a->t.vPos = {10, 0, 0};
  const float h = std::sqrt(0.5f);
  a->t.qRot = {0, 0, h, h};
  b->t.vPos = {3, 4, 5};
  // The head of b below its own root, before it is hung anywhere.
  SPW_MATRIX alone;
  float scale = 0;
  ASSERT_EQ(SPW_GetNodeWorldTransform(b, kHead, &alone, &scale), 1);

  ASSERT_EQ(SPW_AttachObjectName(a, b, 0, 0, "handr", "HeadTop"), 1);
  EXPECT_NE(b->fFlags & SPW_DOBJ_ATTACHED, 0u);
  EXPECT_EQ(b->pParent, a);
  EXPECT_EQ(a->pNodes[kHandR].pAttached, b);
  EXPECT_EQ(a->pNodes[kHandR].nAttachedLocator, kHeadTop);
  EXPECT_EQ(b->pNodes[kHeadTop].nAttachIndex, kHandR);
  // b stays in the list it was in.
  EXPECT_EQ(SGE_ListCount(&scene->dobjects), 2);

  SPW_MATRIX hand, top, head, expected;
  ASSERT_EQ(SPW_GetNodeWorldTransform(a, kHandR, &hand, &scale), 1);
  // b's locator is a's hand.
  ASSERT_EQ(SPW_GetNodeWorldTransform(b, kHeadTop, &top, &scale), 1);
  ExpectMatrixNear(top, hand);
  // b's head: its own chain to its root, then on at a's hand.
  ASSERT_EQ(SPW_GetNodeWorldTransform(b, kHead, &head, &scale), 1);
  SPW_MatMultiply(&hand, &alone, &expected);
  ExpectMatrixNear(head, expected);

  SPW_DOBJECT* found = nullptr;
  int32_t index = -1;
  ASSERT_EQ(SPW_FindNamedNode(a, "HEADTOP", &found, &index), 1);
  EXPECT_EQ(found, a);
  EXPECT_EQ(index, kHeadTop);
  SPW_MATRIX named;
  ASSERT_EQ(SPW_GetNamedNodeTransform(a, "HandR", &named, &scale), 1);
  ExpectMatrixNear(named, hand);

  // Both hands of a taken: a second attach is refused quietly.
  SPW_DOBJECT* c = Make(figure);
  EXPECT_EQ(SPW_AttachObjectName(a, c, 0, 0, "HandR", "HeadTop"), 1);
  EXPECT_EQ(c->pParent, nullptr);
  EXPECT_EQ(SPW_AttachObjectName(a, c, 0, 0, "Tail", "HeadTop"), 0);
  EXPECT_EQ(SPW_AttachObjectName(a, c, 1, 0, "HandR", "HeadTop"), 0);

  EXPECT_EQ(SPW_DetachObject(b), 1);
  EXPECT_EQ(b->pParent, nullptr);
  EXPECT_EQ(b->fFlags & SPW_DOBJ_ATTACHED, 0u);
  EXPECT_EQ(a->pNodes[kHandR].pAttached, nullptr);
  EXPECT_EQ(b->pNodes[kHeadTop].nAttachIndex, -1);
  EXPECT_EQ(SGE_ListLast(&scene->dobjects), &b->link.link);
  EXPECT_EQ(SPW_DetachObject(b), 0);
}

TEST_F(DObjectTest, TheOverrideNodeTurnsByItsAngles) {
  SPW_DOBJECT* o = Make(figure);
  SPW_MATRIX before, after;
  SPW_GetNodeWorldTransform(o, kHandR, &before, nullptr);
  o->nOverrideNode = kHandR;
  o->vOverrideAngles = {0, 0, SPW_PI / 2};
  SPW_GetNodeWorldTransform(o, kHandR, &after, nullptr);
  // The hand turned a quarter about z: its x axis is now the old y axis.
  for (int c = 0; c < 3; ++c) EXPECT_NEAR(after.m[0][c], before.m[1][c], 1e-5f) << c;
  for (int c = 0; c < 3; ++c) EXPECT_NEAR(after.m[3][c], before.m[3][c], 1e-5f) << c;
}

TEST_F(DObjectTest, DestroyingAnObjectLeavesNoLinkToItOnEitherSide) {
  SPW_DOBJECT* carrier = Make(figure);
  SPW_DOBJECT* middle = Make(figure);
  SPW_DOBJECT* load = Make(figure);
  ASSERT_EQ(SPW_AttachObjectName(carrier, middle, 0, 0, "HandR", "HeadTop"), 1);
  ASSERT_EQ(SPW_AttachObjectName(middle, load, 0, 0, "HandR", "HeadTop"), 1);
  ASSERT_EQ(SPW_DestroyDynamicObject(middle), 1);
  EXPECT_EQ(carrier->pNodes[kHandR].pAttached, nullptr);
  EXPECT_EQ(load->pParent, nullptr);
  EXPECT_EQ(load->fFlags & SPW_DOBJ_ATTACHED, 0u);
  EXPECT_EQ(load->pNodes[kHeadTop].nAttachIndex, -1);
  EXPECT_EQ(SGE_ListCount(&scene->dobjects), 2);
}

TEST_F(DObjectTest, DestroyingDetachesEveryObjectHungOnItHoweverMany) {
  const int32_t rack = LoadModel(Rack(25, "Rack", "Loc"));
  const int32_t peg = LoadModel(Rack(1, "Peg", "Peg"));
  ASSERT_GE(rack, 0);
  ASSERT_GE(peg, 0);
  SPW_DOBJECT* host = Make(rack);
  SPW_DOBJECT* pegs[25];
  for (SPW_DOBJECT*& p : pegs) {
    p = Make(peg);
    ASSERT_EQ(SPW_AttachObjectName(host, p, 0, 0, "Loc", "Peg"), 1);
    ASSERT_EQ(p->pParent, host);
  }
  EXPECT_EQ(host->pNodes[25].pAttached, pegs[24]);
  ASSERT_EQ(SPW_DestroyDynamicObject(host), 1);
  for (SPW_DOBJECT* p : pegs) {
    EXPECT_EQ(p->pParent, nullptr);
    EXPECT_EQ(p->fFlags & SPW_DOBJ_ATTACHED, 0u);
    EXPECT_EQ(p->pNodes[1].nAttachIndex, -1);
  }
  EXPECT_EQ(SGE_ListCount(&scene->dobjects), 25);
}

TEST_F(DObjectTest, SceneDestructionFreesEveryObjectAndItsBreakpoints) {
  const uint32_t objects = Used(SPW_DObjectMem);
  const uint32_t points = Used(SPW_BrkPtsMem);
  SPW_SCENE* other = SPW_CreateScene(0, 1.0f, 3, 0);
  const SPW_TRANSFORM t = {{0, 0, 0}, {0, 0, 0, 1}, 1};
  for (int i = 0; i < 5; ++i) {
    SPW_DOBJECT* o = SPW_CreateDynamicObject(other, figure, nullptr, 0, &t, 0);
    SPW_CreateDynamicObject(other, figure, o, 1, &t, 0);
    SPW_AddAnimBreakpoint(o, 10.0f, 0, 0, nullptr, nullptr);
  }
  EXPECT_EQ(SPW_DestroyScene(other), 1);
  EXPECT_EQ(Used(SPW_DObjectMem), objects);
  EXPECT_EQ(Used(SPW_BrkPtsMem), points);
  EXPECT_EQ(SPW_GetObjectType(figure)->dwNumInstances, 0u);
}

}  // namespace
