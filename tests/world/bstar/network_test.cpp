// Outlines and gates derived from the vertices, renumbering, and the editor's edits.
#include <cmath>
#include <cstring>
#include <map>

#include "bstar_fixture.h"

namespace {

constexpr float kCell = 10.0f;

class NetworkTest : public BstarFixture {
 protected:
  // A 3 x 2 grid: regions 0-5 row by row, vertices 6-17.
  BSTAR_Network* Grid(VNWRITE_BSTARNET net = vnWRITE_BstarGrid(3, 2, kCell, 0.0f)) {
    BSTAR_Network* n = Build(net);
    EXPECT_NE(n, nullptr);
    return n;
  }
  BSTAR_Node* Node(BSTAR_Network* n, uint32_t id) { return BSTAR_FindNodeById(n, id); }
  uint32_t Junction(BSTAR_Network* n, uint32_t region, int32_t edge) {
    const BSTAR_Node* r = Node(n, region);
    return n->pJunctions[r->nOutlineFirst + edge];
  }
  // The outline entry whose edge ends at the vertex at (x, y).
  int32_t EdgeEndingAt(BSTAR_Network* n, uint32_t region, float x, float y) {
    const BSTAR_Node* r = Node(n, region);
    for (int32_t i = 0; i < r->nOutlineCount; ++i) {
      const SPW_VECTOR& v = n->ppVertices[r->nOutlineFirst + i]->vCentre;
      if (v.x == x && v.y == y) return i;
    }
    return -1;
  }
};

TEST_F(NetworkTest, EachGridRegionGetsItsSquareOutlineCounterClockwise) {
  BSTAR_Network* n = Grid();
  ASSERT_NE(n, nullptr);
  EXPECT_EQ(n->nErrors, 0);
  for (uint32_t id = 0; id < 6; ++id) {
    const BSTAR_Node* r = Node(n, id);
    ASSERT_EQ(r->nOutlineCount, 4) << id;
    EXPECT_EQ(r->fMinX, (id % 3) * kCell) << id;
    EXPECT_EQ(r->fMaxY, (id / 3 + 1) * kCell) << id;
    EXPECT_EQ(r->fZMin, 0.0f);
    // Counter-clockwise: the signed area is positive.
    float area = 0;
    for (int32_t i = 0; i < 4; ++i) {
      const SPW_VECTOR& a = n->ppVertices[r->nOutlineFirst + i]->vCentre;
      const SPW_VECTOR& b = n->ppVertices[r->nOutlineFirst + (i + 1) % 4]->vCentre;
      area += a.x * b.y - b.x * a.y;
    }
    EXPECT_GT(area, 0.0f) << id;
  }
  EXPECT_EQ(n->nVertices, 24);
}

TEST_F(NetworkTest, SharedEdgesOfLinkedRegionsBecomeGatesAndTheRestWalls) {
  VNWRITE_BSTARNET net = vnWRITE_BstarGrid(3, 2, kCell, 0.0f);
  net.links[0].type = 3;        // 0-1
  net.links[1].disabled = true;  // 0-3
  // Regions 4 and 5 touch but are not linked.
  std::erase_if(net.links, [](const VNWRITE_BSTARLINK& l) { return l.a == 4 && l.b == 5; });
  BSTAR_Network* n = Grid(net);
  // Region 0's edge x = 10 (ending at (10,10)) leads to region 1 with type 3.
  const uint32_t east = Junction(n, 0, EdgeEndingAt(n, 0, kCell, kCell));
  EXPECT_EQ(east & BSTAR_JUNC_WALL, 0u);
  EXPECT_EQ((east >> BSTAR_JUNC_NEIGHBOUR_SHIFT) & BSTAR_JUNC_NEIGHBOUR_MASK, 1u);
  EXPECT_EQ((east >> BSTAR_JUNC_TYPE_SHIFT) & BSTAR_JUNC_TYPE_MASK, 3u);
  // Region 1's matching edge ends at (10,0) and names region 0.
  const uint32_t west = Junction(n, 1, EdgeEndingAt(n, 1, kCell, 0));
  EXPECT_EQ((west >> BSTAR_JUNC_NEIGHBOUR_SHIFT) & BSTAR_JUNC_NEIGHBOUR_MASK, 0u);
  EXPECT_EQ(west & BSTAR_JUNC_WALL, 0u);
  // The disabled link's gate carries bit 1.
  const uint32_t north = Junction(n, 0, EdgeEndingAt(n, 0, 0, kCell));
  EXPECT_EQ(north & (BSTAR_JUNC_WALL | BSTAR_JUNC_DISABLED), BSTAR_JUNC_DISABLED);
  // Border edges and the unlinked shared edge are walls.
  EXPECT_EQ(Junction(n, 0, EdgeEndingAt(n, 0, kCell, 0)), BSTAR_JUNC_WALL);
  EXPECT_EQ(Junction(n, 4, EdgeEndingAt(n, 4, 2 * kCell, 2 * kCell)), BSTAR_JUNC_WALL);
  EXPECT_NE(BSTAR_FindLink(Node(n, 0), Node(n, 1))->dwFlags & BSTAR_LINK_HASGATE, 0u);
  EXPECT_TRUE(BSTAR_IsNodeReferenced(n, Node(n, 0)));
  EXPECT_FALSE(BSTAR_IsNodeReferenced(n, Node(n, 6)));
}

TEST_F(NetworkTest, ARegionWithoutBValueStartsAtTheEdgeNearestItsCentre) {
  VNWRITE_BSTARNET net = vnWRITE_BstarGrid(3, 2, kCell, 0.0f);
  for (VNWRITE_BSTARNODE& node : net.nodes) node.bValue = 0;
  BSTAR_Network* n = Grid(net);
  EXPECT_EQ(n->nErrors, 0);
  for (uint32_t id = 0; id < 6; ++id) EXPECT_EQ(Node(n, id)->nOutlineCount, 4) << id;
}

TEST_F(NetworkTest, RegionsWithoutAClosedOutlineAreLabelled) {
  VNWRITE_BSTARNET net = vnWRITE_BstarGrid(3, 2, kCell, 0.0f);
  auto add = [&](int32_t id, uint32_t flags, float x, float y, uint32_t b) {
    VNWRITE_BSTARNODE node;
    node.id = id;
    node.flags = flags;
    node.x = x;
    node.y = y;
    node.bValue = b;
    net.nodes.push_back(node);
  };
  add(40, 0, 500, 500, 0);  // no vertex edge anywhere near
  // A region whose first edge leads nowhere: the walk meets a dead end.
  add(41, 0, 600, 605, 42u << 16 | 43u);
  add(42, 1u << 16, 595, 600, 0);
  add(43, 1u << 16, 605, 600, 0);
  net.links.push_back({42, 43, 10, 10, 1, false});
  BSTAR_Network* n = Grid(net);
  EXPECT_EQ(Node(n, 40)->nOutlineCount, 0);
  EXPECT_EQ(Node(n, 41)->nOutlineCount, 0);
  EXPECT_EQ(Node(n, 0)->nOutlineCount, 4);
  ASSERT_EQ(n->nErrors, 2);
  EXPECT_STREQ(n->aszErrors[0], "N28,L(   500,   500,     0)");
  EXPECT_STREQ(n->aszErrors[1], "N29,L(   600,   605,     0)");
}

TEST_F(NetworkTest, EnablingAndTypingALinkRewritesBothRegionsJunctions) {
  BSTAR_Network* n = Grid();
  BSTAR_Link* link = BSTAR_FindLink(Node(n, 0), Node(n, 1));
  const int32_t e0 = EdgeEndingAt(n, 0, kCell, kCell), e1 = EdgeEndingAt(n, 1, kCell, 0);
  EXPECT_EQ(BSTAR_SetLinkEnabled(n, link, 0), 1);
  EXPECT_NE(Junction(n, 0, e0) & BSTAR_JUNC_DISABLED, 0u);
  EXPECT_NE(Junction(n, 1, e1) & BSTAR_JUNC_DISABLED, 0u);
  EXPECT_EQ(BSTAR_SetLinkEnabled(n, link, 1), 0);
  EXPECT_EQ(Junction(n, 0, e0) & BSTAR_JUNC_DISABLED, 0u);
  EXPECT_EQ(BSTAR_SetLinkType(n, link, 5), 1u);
  EXPECT_EQ((Junction(n, 1, e1) >> BSTAR_JUNC_TYPE_SHIFT) & BSTAR_JUNC_TYPE_MASK, 5u);
  EXPECT_EQ(link->dwType, 5u);
  // A node's variant: every link, and the mark opposite to the state.
  BSTAR_SetNodeLinksEnabled(n, Node(n, 4), 0);
  EXPECT_NE(Node(n, 4)->dwFlags & BSTAR_NODE_USERMARK, 0u);
  BSTAR_ForEachNodeLink(n, Node(n, 4), [](BSTAR_Network*, BSTAR_Node*, BSTAR_Link* l, void*) {
    EXPECT_NE(l->dwFlags & BSTAR_LINK_DISABLED, 0u);
    return 1;
  }, nullptr);
}

TEST_F(NetworkTest, RegenerateRenumbersByKindFirstNodeHighestAndKeepsBValues) {
  // Out of order: vertices first, regions after, ids scattered.
  VNWRITE_BSTARNET grid = vnWRITE_BstarGrid(2, 1, kCell, 0.0f);
  VNWRITE_BSTARNET net;
  std::map<int32_t, int32_t> id;
  int32_t nextOld = 100;
  for (size_t i = 2; i < grid.nodes.size(); ++i) id[grid.nodes[i].id] = nextOld += 7;
  id[0] = 500;
  id[1] = 400;
  for (size_t i = 2; i < grid.nodes.size(); ++i) net.nodes.push_back(grid.nodes[i]);
  net.nodes.push_back(grid.nodes[0]);
  net.nodes.push_back(grid.nodes[1]);
  for (VNWRITE_BSTARNODE& n : net.nodes) {
    if (n.bValue) n.bValue = static_cast<uint32_t>(id[n.bValue >> 16]) << 16 | id[n.bValue & 0xFFFF];
    n.id = id[n.id];
  }
  for (VNWRITE_BSTARLINK l : grid.links) net.links.push_back({id[l.a], id[l.b], l.weightAB, l.weightBA, l.type, false});
  BSTAR_Network* n = Grid(net);
  ASSERT_EQ(BSTAR_NetworkRegenerate(n), 1);
  // The region listed first (old id 500) takes the highest region id.
  BSTAR_Node* firstRegion = nullptr;
  int32_t vertices = 0;
  BSTAR_ForEachNode(n, [](BSTAR_Network*, BSTAR_Node* node, void* u) {
    auto** first = static_cast<BSTAR_Node**>(u);
    if (BSTAR_NodeKind(node) == 0 && !*first) *first = node;
    return 1;
  }, &firstRegion);
  ASSERT_NE(firstRegion, nullptr);
  EXPECT_EQ(firstRegion->dwId, 1u);
  BSTAR_ForEachNode(n, [](BSTAR_Network*, BSTAR_Node* node, void* u) {
    if (BSTAR_NodeKind(node) == 1) {
      EXPECT_GE(node->dwId, 2u);
      EXPECT_LE(node->dwId, 7u);
      ++*static_cast<int32_t*>(u);
    }
    return 1;
  }, &vertices);
  EXPECT_EQ(vertices, 6);
  EXPECT_EQ(n->dwNextId, 8u);
  // The B values name the renumbered vertices, so the outlines come out again.
  for (uint32_t r = 0; r < 2; ++r) {
    BSTAR_Node* region = BSTAR_FindNodeById(n, r);
    ASSERT_NE(region, nullptr);
    EXPECT_EQ(BSTAR_NodeKind(region), 0u);
    EXPECT_LE(region->dwBValue >> 16, 7u);
    EXPECT_EQ(region->nOutlineCount, 4) << r;
  }
  EXPECT_EQ(n->nErrors, 0);
}

TEST_F(NetworkTest, EditsSplitCopyAndRemoveLinksAndNodes) {
  BSTAR_Network* n = Grid();
  BSTAR_Node *a = Node(n, 0), *b = Node(n, 1), *c = Node(n, 4);
  ASSERT_EQ(BSTAR_SplitLink(n, a, b, c, 2), 1);
  EXPECT_EQ(BSTAR_FindLink(a, b), nullptr);
  BSTAR_Link* ac = BSTAR_FindLink(a, c);
  ASSERT_NE(ac, nullptr);
  EXPECT_FLOAT_EQ(ac->fWeightX, std::sqrt(200.0f));
  EXPECT_EQ(ac->dwType, 2u);

  BSTAR_Link* ad = BSTAR_FindLink(a, Node(n, 3));
  ad->fWeightX = 3.0f;  // leaving 0
  ad->fWeightY = 4.0f;  // leaving 3
  BSTAR_Node* copy = Node(n, 5);
  ASSERT_EQ(BSTAR_CopyNodeLinks(n, copy, a), 1);
  BSTAR_Link* copied = BSTAR_FindLink(copy, Node(n, 3));
  ASSERT_NE(copied, nullptr);
  EXPECT_EQ(BSTAR_LinkWeightFrom(copied, copy), 3.0f);
  EXPECT_EQ(BSTAR_LinkWeightFrom(copied, Node(n, 3)), 4.0f);

  const int32_t before = Count(n);
  ASSERT_EQ(BSTAR_RemoveNode(n, c), 1);
  EXPECT_EQ(Count(n), before - 1);
  EXPECT_EQ(Node(n, 4), nullptr);
  EXPECT_EQ(BSTAR_FindLink(a, c), nullptr);
  EXPECT_EQ(n->bDirty, 1);
  // Removing a vertex drops the outlines through it until they are derived again.
  ASSERT_EQ(BSTAR_RemoveNode(n, Node(n, 6)), 1);
  EXPECT_EQ(a->nOutlineCount, 0);
  const SPW_VECTOR inA{5, 5, 0};
  EXPECT_EQ(BSTAR_NodeContainsPoint(n, a, &inA), 0);
}

TEST_F(NetworkTest, IterationVisitsEachLinkOnceAndStopsOnZero) {
  BSTAR_Network* n = Grid();
  int32_t links = 0;
  BSTAR_ForEachLink(n, [](BSTAR_Network*, BSTAR_Link* l, void* u) {
    EXPECT_NE(l->dwFlags & BSTAR_LINK_VISITED, 0u);
    ++*static_cast<int32_t*>(u);
    return 0;
  }, &links);
  EXPECT_EQ(links, 7 + 17);  // region links, vertex edges
  // The marks are gone afterwards.
  BSTAR_ForEachNode(n, [](BSTAR_Network* net, BSTAR_Node* node, void*) {
    BSTAR_ForEachNodeLink(net, node, [](BSTAR_Network*, BSTAR_Node*, BSTAR_Link* l, void*) {
      EXPECT_EQ(l->dwFlags & BSTAR_LINK_VISITED, 0u);
      return 1;
    }, nullptr);
    return 1;
  }, nullptr);
  int32_t visited = 0;
  BSTAR_ForEachNode(n, [](BSTAR_Network*, BSTAR_Node*, void* u) {
    return ++*static_cast<int32_t*>(u) < 3 ? 1 : 0;
  }, &visited);
  EXPECT_EQ(visited, 3);
  BSTAR_Node* around[8];
  EXPECT_EQ(BSTAR_GetNeighbours(n, Node(n, 4), around, 8), 3);
  EXPECT_EQ(BSTAR_GetNeighbours(n, Node(n, 4), around, 2), 2);
}

TEST_F(NetworkTest, ClearEmptiesTheNetworkInPlaceAndDestroyGivesTheBlockBack) {
  const uint32_t used = Used(mission);
  BSTAR_Network* n = Grid();
  ASSERT_GT(Count(n), 0);
  ASSERT_EQ(BSTAR_NetworkClear(n), 1);
  EXPECT_EQ(Count(n), 0);
  EXPECT_NE(n->pSearch, nullptr);
  EXPECT_EQ(n->aSearchParams[0], 800);
  EXPECT_EQ(BSTAR_FindNodeById(n, 0), nullptr);
  dir.write("one.txt", "N 3 0 (0,0,0) 1\n");
  EXPECT_EQ(BSTAR_NetworkLoadFile(nullptr, n, "one.txt"), 1);
  EXPECT_NE(BSTAR_FindNodeById(n, 3), nullptr);
  BSTAR_NetworkDestroy(n);
  built.clear();
  EXPECT_EQ(Used(mission), used);
  EXPECT_EQ(BSTAR_CurrentNetwork, nullptr);
}

TEST_F(NetworkTest, ConstructionFailsWhenTheMissionBlockIsShort) {
  vntest::TraceCapture trace;
  EXPECT_EQ(Construct("m", kMissionSize * 2), nullptr);
  EXPECT_EQ(BSTAR_CurrentNetwork, nullptr);
  // Too small for the search workspace.
  EXPECT_EQ(Construct("m", 20000), nullptr);
}

}  // namespace
