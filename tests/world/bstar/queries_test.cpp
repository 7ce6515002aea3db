// Network queries: regions at points, near searches, gates to aim for, crossed gates,
// obstacles on a ray, names and kinds, and run-time nodes.
#include <string>

#include "bstar_fixture.h"

namespace {

constexpr float kCell = 10.0f;

// The grid with every id moved up by `offset` (B values too) at height z.
VNWRITE_BSTARNET Shifted(int32_t cols, int32_t rows, int32_t offset, float z) {
  VNWRITE_BSTARNET net = vnWRITE_BstarGrid(cols, rows, kCell, z);
  for (VNWRITE_BSTARNODE& n : net.nodes) {
    n.id += offset;
    if (n.bValue)
      n.bValue = ((n.bValue >> 16) + offset) << 16 | ((n.bValue & 0xFFFF) + offset);
  }
  for (VNWRITE_BSTARLINK& l : net.links) {
    l.a += offset;
    l.b += offset;
  }
  return net;
}

class QueriesTest : public BstarFixture {
 protected:
  void SetUp() override {
    BstarFixture::SetUp();
    previousMask = BSTAR_SetGateMask(BSTAR_JUNC_WALL | BSTAR_JUNC_DISABLED);
  }
  void TearDown() override {
    BSTAR_SetGateMask(previousMask);
    BstarFixture::TearDown();
  }
  BSTAR_Node* Node(BSTAR_Network* n, uint32_t id) { return BSTAR_FindNodeById(n, id); }
  uint32_t previousMask = 0;
};

struct PointCase {
  SPW_VECTOR point;
  int32_t region;  // -1: none
};

TEST_F(QueriesTest, PointsFindTheRegionThatHoldsThem) {
  BSTAR_Network* n = Build(vnWRITE_BstarGrid(3, 2, kCell, 0.0f));
  ASSERT_NE(n, nullptr);
  const PointCase cases[] = {
      {{5, 5, 0}, 0},   {{25, 15, 0}, 5}, {{19.9f, 0.1f, 3}, 1},
      {{-1, 5, 0}, -1}, {{31, 5, 0}, -1}, {{15, 25, 0}, -1},
  };
  for (const PointCase& c : cases) {
    BSTAR_Node* got = BSTAR_FindNodeAtPoint(n, &c.point);
    EXPECT_EQ(got ? static_cast<int32_t>(got->dwId) : -1, c.region)
        << c.point.x << "," << c.point.y;
  }
  const SPW_VECTOR inside{5, 5, 0}, outside{15, 5, 0};
  EXPECT_EQ(BSTAR_NodeContainsPoint(n, Node(n, 0), &inside), 1);
  EXPECT_EQ(BSTAR_NodeContainsPoint(n, Node(n, 0), &outside), 0);
  EXPECT_EQ(BSTAR_NodeContainsPoint(n, Node(n, 6), &inside), 0);  // a vertex has no outline
}

TEST_F(QueriesTest, EveryRegionOfALargeGridIsFoundAtItsCentre) {
  constexpr int32_t kSide = 40;
  vntest::TraceCapture trace;
  BSTAR_Network* n = Build(vnWRITE_BstarGrid(kSide, kSide, kCell, 0.0f));
  ASSERT_NE(n, nullptr);
  for (uint32_t id = 0; id < kSide * kSide; ++id) {
    const BSTAR_Node* r = Node(n, id);
    BSTAR_Node* got = BSTAR_FindNodeAtPoint(n, &r->vCentre);
    ASSERT_EQ(got, r) << id;
  }
  EXPECT_FALSE(trace.contains("deeper"));
}

TEST_F(QueriesTest, OfStackedRegionsTheOneAtThePointsHeightWins) {
  VNWRITE_BSTARNET net = vnWRITE_BstarGrid(2, 2, kCell, 0.0f);
  const VNWRITE_BSTARNET upper = Shifted(2, 2, 100, 20.0f);
  net.nodes.insert(net.nodes.end(), upper.nodes.begin(), upper.nodes.end());
  net.links.insert(net.links.end(), upper.links.begin(), upper.links.end());
  BSTAR_Network* n = Build(net);
  ASSERT_NE(n, nullptr);
  const SPW_VECTOR low{5, 15, 2}, high{5, 15, 18};
  EXPECT_EQ(BSTAR_FindNodeAtPoint(n, &low)->dwId, 2u);
  EXPECT_EQ(BSTAR_FindNodeAtPoint(n, &high)->dwId, 102u);
  BSTAR_Node* candidates[8];
  ASSERT_EQ(BSTAR_FindCandidateRegions(n, &high, 0.0f, candidates, 8), 2);
  EXPECT_EQ(candidates[0]->dwId, 102u);
  EXPECT_EQ(candidates[1]->dwId, 2u);
}

TEST_F(QueriesTest, TheNearSearchWalksNeighboursThenFallsBackOnlyWhenItRanOutOfRoom) {
  BSTAR_Network* small = Build(vnWRITE_BstarGrid(3, 2, kCell, 0.0f), "small");
  const SPW_VECTOR inFive{25, 15, 0}, away{500, 500, 0};
  EXPECT_EQ(BSTAR_FindNodeNear(small, Node(small, 0), &inFive), Node(small, 5));
  EXPECT_EQ(BSTAR_FindNodeNear(small, Node(small, 0), &away), nullptr);
  EXPECT_EQ(BSTAR_FindNodeNear(small, nullptr, &inFive), Node(small, 5));
  // Marks are cleared.
  for (uint32_t id = 0; id < 6; ++id) EXPECT_EQ(Node(small, id)->dwFlags & BSTAR_NODE_SEARCHMARK, 0u);

  // On a 10 x 10 grid 30 regions do not reach the far corner: the point query does.
  BSTAR_Network* big = Build(vnWRITE_BstarGrid(10, 10, kCell, 0.0f), "big");
  const SPW_VECTOR corner{95, 95, 0};
  EXPECT_EQ(BSTAR_FindNodeNear(big, Node(big, 0), &corner), Node(big, 99));
}

TEST_F(QueriesTest, GateCrossingPointsStayARadiusInsideTheGate) {
  BSTAR_Network* n = Build(vnWRITE_BstarGrid(3, 2, kCell, 0.0f));
  BSTAR_Node *a = Node(n, 0), *b = Node(n, 1);
  struct Case {
    SPW_VECTOR position;
    float radius;
    int32_t found;
    SPW_VECTOR point;
    float distSq;
  } cases[] = {
      {{5, 5, 3}, 1.0f, 1, {10, 5, 0}, 25.0f},
      {{2, -5, 0}, 1.0f, 1, {10, 1, 0}, 100.0f},
      {{2, 30, 0}, 2.0f, 1, {10, 8, 0}, 548.0f},
      {{5, 5, 0}, 5.0f, 1, {10, 5, 0}, 25.0f},
      {{5, 5, 0}, 5.5f, 0, {}, 0.0f},  // narrower than the unit
  };
  for (const Case& c : cases) {
    SPW_VECTOR p{-1, -1, -1};
    float d = -1;
    ASSERT_EQ(BSTAR_GateCrossingPoint(n, a, b, &c.position, c.radius, &p, &d), c.found)
        << c.position.x << "," << c.position.y << " r " << c.radius;
    if (!c.found) continue;
    EXPECT_FLOAT_EQ(p.x, c.point.x);
    EXPECT_FLOAT_EQ(p.y, c.point.y);
    EXPECT_EQ(p.z, 0.0f);
    EXPECT_FLOAT_EQ(d, c.distSq);
  }
  // Region 0 and region 4 share no gate.
  const SPW_VECTOR mid{5, 5, 0};
  SPW_VECTOR p;
  EXPECT_EQ(BSTAR_GateCrossingPoint(n, a, Node(n, 4), &mid, 1.0f, &p, nullptr), 0);
  // A disabled gate is closed under the default mask and open under mask 0.
  BSTAR_SetLinkEnabled(n, BSTAR_FindLink(a, b), 0);
  EXPECT_EQ(BSTAR_GateCrossingPoint(n, a, b, &mid, 1.0f, &p, nullptr), 0);
  EXPECT_EQ(BSTAR_SetGateMask(0), BSTAR_JUNC_WALL | BSTAR_JUNC_DISABLED);
  EXPECT_EQ(BSTAR_GateCrossingPoint(n, a, b, &mid, 1.0f, &p, nullptr), 1);
  // The last gate aims where the line to the target crosses it.
  const SPW_VECTOR target{15, 8, 0};
  float d = 0;
  ASSERT_EQ(BSTAR_GateCrossingPointTo(n, a, b, &mid, &target, 1.0f, &p, &d), 1);
  EXPECT_FLOAT_EQ(p.y, 6.5f);
  EXPECT_FLOAT_EQ(d, 25.0f + 2.25f);
}

TEST_F(QueriesTest, ASegmentMeetsTheGateNearestItsStart) {
  BSTAR_Network* n = Build(vnWRITE_BstarGrid(3, 2, kCell, 0.0f));
  const SPW_VECTOR a{5, 5, 0}, b{25, 5, 4};
  SPW_VECTOR p;
  BSTAR_Link* first = BSTAR_FindCrossedGate(n, &a, &b, &p);
  EXPECT_EQ(first, BSTAR_FindLink(Node(n, 0), Node(n, 1)));
  EXPECT_FLOAT_EQ(p.x, 10.0f);
  EXPECT_FLOAT_EQ(p.z, 1.0f);
  first->dwFlags |= BSTAR_LINK_GATESCRATCH;
  EXPECT_EQ(BSTAR_FindCrossedGate(n, &a, &b, &p), BSTAR_FindLink(Node(n, 1), Node(n, 2)));
  EXPECT_FLOAT_EQ(p.x, 20.0f);
  const SPW_VECTOR c{2, 2, 0}, d{8, 8, 0};
  EXPECT_EQ(BSTAR_FindCrossedGate(n, &c, &d, &p), nullptr);
}

TEST_F(QueriesTest, RaysStopAtTheNearestObstacleSphere) {
  VNWRITE_BSTARNET net;
  auto obstacle = [&](int32_t id, float x, float r) {
    VNWRITE_BSTARNODE o;
    o.id = id;
    o.flags = BSTAR_KIND_OBSTACLE << BSTAR_KIND_SHIFT;
    o.x = x;
    o.radius = r;
    net.nodes.push_back(o);
  };
  obstacle(1, 50, 5);
  obstacle(2, 20, 2);
  obstacle(3, 70, 1);
  obstacle(4, 70, 1);  // the same sphere again
  BSTAR_Network* n = Build(net);
  const SPW_VECTOR start{0, 0, 0}, dir{1, 0, 0};
  float length = 100;
  BSTAR_Node* hit = nullptr;
  SPW_VECTOR p;
  ASSERT_EQ(BSTAR_RayObstacle(n, &start, &dir, &length, &hit, &p), 1);
  EXPECT_EQ(hit->dwId, 2u);
  EXPECT_FLOAT_EQ(length, 18.0f);
  EXPECT_FLOAT_EQ(p.x, 18.0f);
  length = 15;
  EXPECT_EQ(BSTAR_RayObstacle(n, &start, &dir, &length, &hit, &p), 0);
  EXPECT_EQ(length, 15.0f);
  // Of two spheres at the same distance the later one wins.
  const SPW_VECTOR past{60, 0, 0};
  length = 100;
  ASSERT_EQ(BSTAR_RayObstacle(n, &past, &dir, &length, &hit, &p), 1);
  EXPECT_EQ(hit->dwId, 4u);
  BSTAR_Node* near[4];
  EXPECT_EQ(BSTAR_FindCandidateObstacles(n, &start, 1.0f, near, 4), 0);
  ASSERT_EQ(BSTAR_FindCandidateObstacles(n, &past, 12.0f, near, 4), 3);
}

TEST_F(QueriesTest, NodesAreFoundByNameWithoutRegardToCaseAndByKind) {
  VNWRITE_BSTARNET net = vnWRITE_BstarGrid(3, 1, kCell, 0.0f);
  net.nodes[0].name = "FC";
  net.nodes[1].name = "fc";
  net.nodes[2].name = "FE2";
  BSTAR_Network* n = Build(net);
  EXPECT_EQ(BSTAR_FindNodeByName(n, "fC"), Node(n, 0));
  EXPECT_EQ(BSTAR_FindNodeByName(n, "F"), nullptr);
  int32_t named = 0;
  BSTAR_ForEachNamedNode(n, "FC", [](BSTAR_Network*, BSTAR_Node*, void* u) {
    ++*static_cast<int32_t*>(u);
    return 1;
  }, &named);
  EXPECT_EQ(named, 2);
  int32_t prefixed = 0;
  BSTAR_ForEachNodeNamePrefix(n, "fx", [](BSTAR_Network*, BSTAR_Node*, void* u) {
    ++*static_cast<int32_t*>(u);
    return 0;  // stops at the first
  }, &prefixed, 1);
  EXPECT_EQ(prefixed, 1);
  BSTAR_Node* vertex = BSTAR_FindNodeByTag(n, BSTAR_KIND_VERTEX);
  ASSERT_NE(vertex, nullptr);
  EXPECT_EQ(vertex->dwId, 3u);
  EXPECT_EQ(BSTAR_NextNodeByTag(n, vertex)->dwId, 4u);
  EXPECT_EQ(BSTAR_NextNodeByTag(n, Node(n, 2)), nullptr);
  EXPECT_EQ(BSTAR_FindNodeByTag(n, 9), nullptr);
  BSTAR_SetNodeMark(vertex, 1);
  EXPECT_NE(vertex->dwFlags & BSTAR_NODE_USERMARK, 0u);
  BSTAR_SetNodeMark(vertex, 0);
  EXPECT_EQ(vertex->dwFlags & BSTAR_NODE_USERMARK, 0u);
  EXPECT_TRUE(BSTAR_NodeHasJunctions(Node(n, 0)));
  EXPECT_FALSE(BSTAR_NodeHasJunctions(vertex));
}

TEST_F(QueriesTest, RunTimeNodesChainToTheirNearestPendingNeighbour) {
  BSTAR_Network* n = Build(vnWRITE_BstarGrid(2, 1, kCell, 0.0f));
  const uint32_t next = n->dwNextId;
  const SPW_VECTOR p0{0, 0, 0}, p1{10, 0, 0}, p2{3, 0, 0};
  BSTAR_Node* a = BSTAR_AddDynamicNode(n, &p0, 1.5f, "DynamicBug");
  BSTAR_Node* b = BSTAR_AddDynamicNode(n, &p1, 1.5f, "b");
  BSTAR_Node* c = BSTAR_AddDynamicNode(n, &p2, 1.5f, "c");
  ASSERT_TRUE(a && b && c);
  EXPECT_EQ(a->dwId, next);
  EXPECT_EQ(c->dwId, next + 2);
  EXPECT_EQ(a->dwFlags, BSTAR_NODE_RUNTIME);
  EXPECT_STREQ(a->szName, "Dynamic");
  EXPECT_EQ(BSTAR_ConnectDynamicNodes(n), 2);
  ASSERT_NE(BSTAR_FindLink(a, c), nullptr);
  EXPECT_EQ(BSTAR_FindLink(a, c)->fWeightX, 3.0f);
  ASSERT_NE(BSTAR_FindLink(c, b), nullptr);
  EXPECT_EQ(BSTAR_FindLink(a, b), nullptr);
  EXPECT_EQ(BSTAR_ConnectDynamicNodes(n), 0);
  n->bDirty = 0;
  EXPECT_EQ(BSTAR_RemoveDynamicNode(n, c), 1);
  EXPECT_EQ(n->bDirty, 1);
  EXPECT_EQ(BSTAR_FindLink(a, b), nullptr);
  EXPECT_EQ(SGE_ListCount(&a->lLinks), 0);
}

}  // namespace
