// The demo tree's path network as mkcontent writes it: loaded for its mission, every region
// outlined, the landing area named and reachable from the corners.
#include <cstdlib>
#include <string>

#include "bstar_fixture.h"

namespace {

using DemoNetworkTest = BstarFixture;

TEST_F(DemoNetworkTest, TheDemoMissionsNetworkLoadsOutlinedAndLeadsToTheLandingArea) {
  const std::string command = std::string(VN_MKCONTENT_PATH) + " '" + dir.path() + "' >/dev/null";
  ASSERT_EQ(std::system(command.c_str()), 0);
  vntest::TraceCapture trace;
  BSTAR_Network* n = Construct("C1M1A");
  ASSERT_NE(n, nullptr);
  EXPECT_FALSE(trace.contains("line")) << "the file loads cleanly";
  EXPECT_EQ(n->nErrors, 0);
  BSTAR_Node* pad = BSTAR_FindNodeByName(n, "pad");
  ASSERT_NE(pad, nullptr);
  EXPECT_EQ(BSTAR_FindNodeAtPoint(n, &pad->vCentre), pad);
  int32_t regions = 0;
  for (BSTAR_Node* r = BSTAR_FindNodeByTag(n, BSTAR_KIND_REGION); r; r = BSTAR_NextNodeByTag(n, r)) {
    ++regions;
    EXPECT_EQ(r->nOutlineCount, 4) << r->dwId;
  }
  EXPECT_EQ(regions, 144);
  for (uint32_t corner : {0u, 11u, 132u, 143u}) {
    SGE_DLLNODE path;
    SGE_ListInit(&path);
    ASSERT_EQ(BSTAR_FindPath(n->pSearch, BSTAR_FindNodeById(n, corner), pad, &path, 1, nullptr,
                             nullptr, 1.0f), 1) << corner;
    EXPECT_EQ(BSTAR_PathLast(&path)->pRegion, pad);
    BSTAR_FreePath(n->pSearch, &path);
  }
}

}  // namespace
