// Path search: costs, limits, tie-breaks, the fallback region and the workspace's own limits.
#include <string>
#include <vector>

#include "bstar_fixture.h"

namespace {

class SearchTest : public BstarFixture {
 protected:
  BSTAR_Network* Load(const std::string& text) {
    BSTAR_Network* n = Empty();
    dir.write("net.txt", text);
    EXPECT_EQ(BSTAR_NetworkLoadFile(nullptr, n, "net.txt"), 1);
    return n;
  }
  BSTAR_Node* Node(BSTAR_Network* n, uint32_t id) { return BSTAR_FindNodeById(n, id); }
  // The ids along a found path; empty when none.
  std::vector<uint32_t> Find(BSTAR_Network* n, uint32_t from, uint32_t to, uint32_t type = 1,
                             float radius = 0.0f, BSTAR_SearchSpace* space = nullptr) {
    if (!space) space = n->pSearch;
    SGE_DLLNODE path;
    SGE_ListInit(&path);
    std::vector<uint32_t> ids;
    if (!BSTAR_FindPath(space, Node(n, from), Node(n, to), &path, type, nullptr, nullptr, radius)) {
      EXPECT_TRUE(SGE_ListIsEmpty(&path));
      return ids;
    }
    for (const BSTAR_PATHCELL* c : SGE_ListRecords<BSTAR_PATHCELL>(&path))
      ids.push_back(c->pRegion->dwId);
    EXPECT_EQ(BSTAR_PathLast(&path)->pRegion->dwId, to);
    BSTAR_FreePath(space, &path);
    return ids;
  }
};

using Ids = std::vector<uint32_t>;

TEST_F(SearchTest, StartEqualToGoalIsAOneRegionPath) {
  BSTAR_Network* n = Load("N 1 0 (0,0,0) 1\n");
  EXPECT_EQ(Find(n, 1, 1), (Ids{1}));
}

TEST_F(SearchTest, AnAdjacentGoalIsReachedThroughItsGate) {
  BSTAR_Network* n = Load("N 1 0 (0,0,0) 1\n L 1 2 0 5 1\nN 2 0 (10,0,0) 1\n");
  EXPECT_EQ(Find(n, 1, 2), (Ids{1, 2}));
  EXPECT_EQ(Find(n, 2, 1), (Ids{2, 1}));
}

TEST_F(SearchTest, TheFirstStepCostsTheGroundDistanceFromTheStartPoint) {
  // By weight 1 -> 3 is cheap and 1 -> 4 dear; by distance 4 is nearer. The goal is 2.
  BSTAR_Network* n = Load(
      "N 1 0 (0,0,0) 9\n L 1 3 0 1 1\n L 1 4 0 1000 1\n"
      "N 3 0 (100,0,0) 9\n L 3 2 0 1 1\nN 4 0 (0,10,0) 9\n L 4 2 0 1 1\nN 2 0 (50,50,0) 9\n");
  EXPECT_EQ(Find(n, 1, 2), (Ids{1, 4, 2}));
  // A start point beside region 3 turns the choice.
  SGE_DLLNODE path;
  SGE_ListInit(&path);
  const SPW_VECTOR beside3{95, 0, 0};
  ASSERT_EQ(BSTAR_FindPath(n->pSearch, Node(n, 1), Node(n, 2), &path, 1, &beside3, nullptr, 0), 1);
  EXPECT_EQ(BSTAR_PathNext(&path, BSTAR_PathFirst(&path))->pRegion->dwId, 3u);
  BSTAR_FreePath(n->pSearch, &path);
}

TEST_F(SearchTest, InnerStepsCostTheWeightOfTheDirectionTaken) {
  // Two mirrored routes 1-3-5-2 and 1-4-6-2; 3->5 is cheap one way only.
  const char* text =
      "N 1 0 (0,0,0) 9\n L 1 3 0 10 1\n L 1 4 0 10 1\n"
      "N 3 0 (10,10,0) 9\n L 3 5 1 1 1\nN 4 0 (10,-10,0) 9\n L 4 6 0 20 1\n"
      "N 5 0 (20,10,0) 9\n L 5 3 1 500 1\n L 5 2 0 10 1\nN 6 0 (20,-10,0) 9\n L 6 2 0 10 1\n"
      "N 2 0 (30,0,0) 9\n";
  BSTAR_Network* n = Load(text);
  EXPECT_EQ(Find(n, 1, 2), (Ids{1, 3, 5, 2}));
  EXPECT_EQ(Find(n, 2, 1), (Ids{2, 6, 4, 1}));
}

TEST_F(SearchTest, LimitsOfTypeRadiusAndDisabledGatesFailTheSearch) {
  const std::string text =
      "N 1 0 (0,0,0) 5\n L 1 2 0 10 2\nN 2 0 (10,0,0) 5\n L 2 3 0 10 1\nN 3 0 (20,0,0) 5\n";
  BSTAR_Network* n = Load(text);
  EXPECT_EQ(Find(n, 1, 3, 2), (Ids{1, 2, 3}));
  EXPECT_EQ(Find(n, 1, 3, 1), Ids{});  // type 2 above the allowed 1
  EXPECT_EQ(Find(n, 1, 3, 2, 6.0f), Ids{});  // region 2 admits radius 5 at most
  BSTAR_Link* only = BSTAR_FindLink(Node(n, 2), Node(n, 3));
  BSTAR_SetLinkEnabled(n, only, 0);
  EXPECT_EQ(Find(n, 1, 3, 2), Ids{});
  BSTAR_SetLinkEnabled(n, only, 1);
  EXPECT_EQ(Find(n, 1, 3, 2), (Ids{1, 2, 3}));
  // Nodes of other kinds are never entered.
  Node(n, 2)->dwFlags |= BSTAR_KIND_OBSTACLE << BSTAR_KIND_SHIFT;
  EXPECT_EQ(Find(n, 1, 3, 2), Ids{});
}

TEST_F(SearchTest, AnUnreachableGoalLeavesTheClosestRegionByHeuristic) {
  // 1 - 4 - 5(narrow) - 2, and 1 - 6 away from the goal: 4 is the nearest reachable region.
  BSTAR_Network* n = Load(
      "N 1 0 (0,0,0) 5\n L 1 4 0 10 1\n L 1 6 0 10 1\nN 4 0 (10,0,0) 5\n L 4 5 0 10 1\n"
      "N 5 0 (20,0,0) 1\n L 5 2 0 10 1\nN 6 0 (-10,0,0) 5\nN 2 0 (30,0,0) 5\n");
  EXPECT_EQ(Find(n, 1, 2, 1, 2.0f), Ids{});
  EXPECT_EQ(BSTAR_GetClosestNode(n->pSearch), Node(n, 4));
  // The record is reset by the next search.
  EXPECT_EQ(Find(n, 1, 1), (Ids{1}));
  EXPECT_EQ(BSTAR_GetClosestNode(n->pSearch), Node(n, 1));
}

TEST_F(SearchTest, EqualOpenRecordsOrderByHowTheyWereInserted) {
  // From 1 the goal 2 is reached through 3 or 5 (equal f = 120); 4 has f = 200. Inserted after
  // 4, region 5 goes in front of its equal 3; without 4 it goes behind it.
  const std::string nodes =
      "N 3 0 (10,0,0) 9\n L 3 2 0 1 1\nN 4 0 (0,-50,0) 9\nN 5 0 (-10,0,0) 9\n L 5 2 0 1 1\n"
      "N 2 0 (0,100,0) 9\n";
  struct Case {
    const char* name;
    const char* start;
    Ids path;
  } cases[] = {
      {"larger f last: in front", "N 1 0 (0,0,0) 9\n L 1 3 0 1 1\n L 1 4 0 1 1\n L 1 5 0 1 1\n",
       {1, 5, 2}},
      {"equal f last: behind", "N 1 0 (0,0,0) 9\n L 1 3 0 1 1\n L 1 5 0 1 1\n", {1, 3, 2}},
  };
  for (const Case& c : cases) {
    BSTAR_Network* n = Load(std::string(c.start) + nodes);
    EXPECT_EQ(Find(n, 1, 2), c.path) << c.name;
    BSTAR_NetworkDestroy(n);
    built.pop_back();
  }
}

TEST_F(SearchTest, APathLongerThanTheFreeCellsIsNoPathAndGivesItsCellsBack) {
  BSTAR_Network* n = Load(
      "N 1 0 (0,0,0) 5\n L 1 2 0 10 1\nN 2 0 (10,0,0) 5\n L 2 3 0 10 1\nN 3 0 (20,0,0) 5\n");
  BSTAR_SearchSpace* space = BSTAR_CreateSearchSpace(n->pBlock, n, 300, 2, 2, 0);
  ASSERT_NE(space, nullptr);
  vntest::TraceCapture trace;
  EXPECT_EQ(Find(n, 1, 3, 1, 0.0f, space), Ids{});
  EXPECT_TRUE(trace.contains("path cells ran out"));
  EXPECT_EQ(SGE_ListCount(&space->lFreeCells), 2);
  EXPECT_EQ(Find(n, 1, 2, 1, 0.0f, space), (Ids{1, 2}));
  EXPECT_EQ(SGE_ListCount(&space->lFreeCells), 2);
  BSTAR_DestroySearchSpace(space);
}

TEST_F(SearchTest, ExhaustedSearchRecordsFailTheSearch) {
  VNWRITE_BSTARNET net = vnWRITE_BstarGrid(30, 30, 10.0f, 0.0f);
  BSTAR_Network* n = Build(net);
  ASSERT_NE(n, nullptr);
  BSTAR_SearchSpace* space = BSTAR_CreateSearchSpace(n->pBlock, n, 220, 100, 100, 0);
  ASSERT_NE(space, nullptr);
  // Weights far above the distances make the search spread over the whole grid.
  BSTAR_ForEachLink(n, [](BSTAR_Network*, BSTAR_Link* l, void*) {
    l->fWeightX = l->fWeightY = 100.0f;
    return 1;
  }, nullptr);
  vntest::TraceCapture trace;
  EXPECT_EQ(Find(n, 0, 899, 1, 0.0f, space), Ids{});
  EXPECT_TRUE(trace.contains("search records ran out"));
  BSTAR_DestroySearchSpace(space);
  // Records for every region: found.
  space = BSTAR_CreateSearchSpace(n->pBlock, n, 1000, 100, 100, 0);
  ASSERT_NE(space, nullptr);
  EXPECT_EQ(Find(n, 0, 899, 1, 0.0f, space).size(), 59u);
  BSTAR_DestroySearchSpace(space);
}

TEST_F(SearchTest, StampsRestartBeforeTheyOverflow) {
  BSTAR_Network* n = Load(
      "N 1 0 (0,0,0) 5\n L 1 2 0 10 1\nN 2 0 (10,0,0) 5\n L 2 3 0 10 1\nN 3 0 (20,0,0) 5\n");
  BSTAR_SearchSpace* s = n->pSearch;
  s->dwLowStamp = 0xFFFFFFFCu;
  s->dwStamp = 0xFFFFFFFDu;
  EXPECT_EQ(Find(n, 1, 3), (Ids{1, 2, 3}));
  EXPECT_EQ(s->dwLowStamp, 2u);
  EXPECT_EQ(s->dwStamp, 3u);
  EXPECT_EQ(Node(n, 1)->dwSearchStamp, 0u);
  EXPECT_EQ(Find(n, 3, 1), (Ids{3, 2, 1}));
  EXPECT_EQ(s->dwStamp, 5u);
}

TEST_F(SearchTest, WorkspacesSharingANetworkDoNotReadEachOthersMarks) {
  BSTAR_Network* n = Load(
      "N 1 0 (0,0,0) 5\n L 1 2 0 10 1\nN 2 0 (10,0,0) 5\n L 2 3 0 10 1\nN 3 0 (20,0,0) 5\n");
  BSTAR_SearchSpace* other = BSTAR_CreateSearchSpace(n->pBlock, n, 300, 10, 10, 0);
  ASSERT_NE(other, nullptr);
  // The network's workspace runs ahead, stamping the regions above the other's stamps.
  for (int i = 0; i < 3; ++i) EXPECT_EQ(Find(n, 1, 3), (Ids{1, 2, 3}));
  EXPECT_EQ(Find(n, 1, 3, 1, 0.0f, other), (Ids{1, 2, 3}));
  EXPECT_EQ(Find(n, 3, 1), (Ids{3, 2, 1}));
  EXPECT_EQ(Find(n, 3, 1, 1, 0.0f, other), (Ids{3, 2, 1}));
  BSTAR_DestroySearchSpace(other);
}

TEST_F(SearchTest, ABetterRouteFoundLaterReplacesTheFirst) {
  // 4 is first reached dearly through 3, then cheaply through 5: the path takes 5.
  BSTAR_Network* n = Load(
      "N 1 0 (0,0,0) 9\n L 1 3 0 1 1\n L 1 5 0 1 1\n"
      "N 3 0 (10,0,0) 9\n L 3 4 0 80 1\nN 5 0 (12,0,0) 9\n L 5 4 0 5 1\n"
      "N 4 0 (20,0,0) 9\n L 4 2 0 1 1\nN 2 0 (30,0,0) 9\n");
  EXPECT_EQ(Find(n, 1, 2), (Ids{1, 5, 4, 2}));
}

}  // namespace
