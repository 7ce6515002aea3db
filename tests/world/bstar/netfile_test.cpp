// The network file: byte-exact round trips through load and save, the merging rules of link
// lines, and damaged files that must fail with a trace and keep what was read.
#include <cstring>
#include <string>

#include "bstar_fixture.h"
#include "world/bstar/netformat.h"

namespace {

// Two regions of a grid with features, names, B values, a disabled link of type 3 and a link
// whose directions differ.
VNWRITE_BSTARNET Varied() {
  VNWRITE_BSTARNET net = vnWRITE_BstarGrid(3, 2, 10.0f, 2.0f);
  net.nodes[0].name = "Gate";
  net.nodes[0].features = {"Rock01", "Wall_Long_Name_019"};
  net.nodes[4].name = "x";
  net.nodes[4].flags |= 0x80000000u | 0x03000000u;
  net.links[0].weightAB = 5.5f;
  net.links[0].weightBA = 70.25f;
  net.links[1].disabled = true;
  net.links[1].type = 3;
  return net;
}

float WeightFrom(BSTAR_Network* n, uint32_t from, uint32_t to) {
  BSTAR_Node* a = BSTAR_FindNodeById(n, from);
  BSTAR_Node* b = BSTAR_FindNodeById(n, to);
  BSTAR_Link* link = (a && b) ? BSTAR_FindLink(a, b) : nullptr;
  return link ? BSTAR_LinkWeightFrom(link, a) : -1.0f;
}

using NetfileTest = BstarFixture;

TEST_F(NetfileTest, LoadingAWrittenFileAndSavingItGivesTheSameBytes) {
  const VNWRITE_BSTARNET net = Varied();
  const std::string text = vnWRITE_BstarNetworkText(net);
  BSTAR_Network* n = Build(net);
  ASSERT_NE(n, nullptr);
  EXPECT_EQ(Saved(n), text);
  // And once more from the saved file.
  WriteText(Saved(n), "again");
  BSTAR_Network* again = Construct("again");
  ASSERT_NE(again, nullptr);
  EXPECT_EQ(Saved(again), text);
}

TEST_F(NetfileTest, ASavedFileLoadsAndSavesToTheSameBytes) {
  // Nodes out of the order a reader lists them (5 and 2 are named before their lines), so the
  // first save reorders them; from then on the bytes stay.
  dir.write("first.txt",
            "N 0 0 (0,0,0) 1\n L 0 5 0 2 1\nN 3 0 (1,0,0) 1\n L 3 2 1 4 1\n"
            "N 5 0 (2,0,0) 1\n L 5 0 0 2 1\n F Stone\nN 2 0 (3,0,0) 1\n L 2 3 1 6 2\n A 2 two\n");
  BSTAR_Network* n = Empty();
  ASSERT_EQ(BSTAR_NetworkLoadFile(nullptr, n, "first.txt"), 1);
  const std::string once = Saved(n);
  EXPECT_LT(once.find("N 5 "), once.find("N 3 "));
  WriteText(once, "again");
  BSTAR_Network* again = Construct("again");
  ASSERT_NE(again, nullptr);
  EXPECT_EQ(Saved(again), once);
}

TEST_F(NetfileTest, SavedFileCountsNodesLinksFromBothEndsAndBindings) {
  BSTAR_Network* n = Build(Varied());
  ASSERT_NE(n, nullptr);
  const std::string text = Saved(n);
  EXPECT_EQ(text.rfind("// Generated network file\n\n", 0), 0u);
  const int32_t links = LinkCount(n);
  char footer[128];
  std::snprintf(footer, sizeof footer, "\n\n// Nodes = %d, Links = %d, FConnections=2\n", Count(n),
                2 * links);
  EXPECT_NE(text.find(footer), std::string::npos) << text.substr(text.size() - 80);
}

TEST_F(NetfileTest, WeightsOfBothDirectionsSurviveASaveWhicheverEndComesFirst) {
  for (bool xFirst : {true, false}) {
    VNWRITE_BSTARNET net;
    net.nodes.resize(2);
    net.nodes[0].id = 1;
    net.nodes[1].id = 2;
    net.nodes[1].x = 10.0f;
    if (!xFirst) std::swap(net.nodes[0], net.nodes[1]);
    net.links = {{1, 2, 4.0f, 9.0f, 1, false}};
    BSTAR_Network* n = Build(net, xFirst ? "x" : "y");
    ASSERT_NE(n, nullptr);
    EXPECT_EQ(WeightFrom(n, 1, 2), 4.0f) << xFirst;
    EXPECT_EQ(WeightFrom(n, 2, 1), 9.0f) << xFirst;
    WriteText(Saved(n), "re");
    BSTAR_Network* re = Construct("re");
    ASSERT_NE(re, nullptr);
    EXPECT_EQ(WeightFrom(re, 1, 2), 4.0f) << xFirst;
    EXPECT_EQ(WeightFrom(re, 2, 1), 9.0f) << xFirst;
    BSTAR_NetworkDestroy(re);
    built.pop_back();
  }
}

struct MergeCase {
  const char* name;
  const char* text;
  float w12, w21;  // -1: no link
};

TEST_F(NetfileTest, LinkLinesMergeAsTheFileRulesSay) {
  const MergeCase cases[] = {
      {"flags 0 on both: the first node's weight both ways",
       "N 1 0 (0,0,0) 1\n L 1 2 0 3.0 1\nN 2 0 (1,0,0) 1\n L 2 1 0 8.0 1\n", 3.0f, 3.0f},
      {"flags 1 from one end only: the other side keeps 1000",
       "N 1 0 (0,0,0) 1\n L 1 2 1 3.0 1\nN 2 0 (1,0,0) 1\n", 3.0f, 1000.0f},
      {"flags 1 completed by the other end",
       "N 1 0 (0,0,0) 1\n L 1 2 1 3.0 1\nN 2 0 (1,0,0) 1\n L 2 1 1 8.0 1\n", 3.0f, 8.0f},
      {"flags 2: this side waits, the other side takes the weight",
       "N 1 0 (0,0,0) 1\n L 1 2 2 3.0 1\nN 2 0 (1,0,0) 1\n", 1000.0f, 3.0f},
      {"an L line before any node is ignored", " L 1 2 0 3.0\nN 1 0 (0,0,0) 1\nN 2 0 (1,0,0) 1\n",
       -1.0f, -1.0f},
      {"a star line ends the network",
       "N 1 0 (0,0,0) 1\n*\n L 1 2 0 3.0 1\nN 2 0 (1,0,0) 1\n", -1.0f, -1.0f},
      {"comments and unknown lines are skipped",
       "// c\nN 1 0 (0,0,0) 1\nQ what\n\n L 1 2 0 3.0\nN 2 0 (1,0,0) 1\n", 3.0f, 3.0f},
  };
  for (const MergeCase& c : cases) {
    BSTAR_Network* n = Empty();
    ASSERT_NE(n, nullptr);
    dir.write("case.txt", c.text);
    EXPECT_EQ(BSTAR_NetworkLoadFile(nullptr, n, "case.txt"), 1) << c.name;
    EXPECT_EQ(WeightFrom(n, 1, 2), c.w12) << c.name;
    EXPECT_EQ(WeightFrom(n, 2, 1), c.w21) << c.name;
    if (c.w12 >= 0) {
      EXPECT_EQ(BSTAR_FindLink(BSTAR_FindNodeById(n, 1), BSTAR_FindNodeById(n, 2))->dwType, 1u);
    }
    BSTAR_NetworkDestroy(n);
    built.pop_back();
  }
}

TEST_F(NetfileTest, NodeLinesKeepTheirFieldsAndLoseRunTimeBits) {
  BSTAR_Network* n = Empty();
  dir.write("f.txt",
            "N 7 -2147352313 (1.5,2.5,-3.5) 4.25\n\tB 7 65538\n\tA 7 LongerThanSeven\n"
            "N 9 0 (0,0,0) 1\n\tB 7 12\n\tA 8 other\n\tA 9 Nine\n\tA 8 zap\n");
  ASSERT_EQ(BSTAR_NetworkLoadFile(nullptr, n, "f.txt"), 1);
  BSTAR_Node* a = BSTAR_FindNodeById(n, 7);
  ASSERT_NE(a, nullptr);
  // 0x80020107: bits 0, 2 and 8 go, and bit 1 (a placeholder's); the user mark and the kind
  // stay.
  EXPECT_EQ(a->dwFlags, 0x80020000u);
  EXPECT_EQ(a->vCentre.z, -3.5f);
  EXPECT_EQ(a->fRadius, 4.25f);
  EXPECT_EQ(a->dwBValue, 65538u);
  EXPECT_STREQ(a->szName, "LongerT");
  BSTAR_Node* b = BSTAR_FindNodeById(n, 9);
  EXPECT_EQ(b->dwBValue, 0u);
  // A name line of another id clears the name.
  EXPECT_STREQ(b->szName, "");
  EXPECT_EQ(n->dwNextId, 10u);
}

TEST_F(NetfileTest, ANodeLineFlaggedAsAPlaceholderKeepsWhatItReadsThroughASave) {
  // Node 1 links to node 2 before node 2's own line, which carries the placeholder bit.
  BSTAR_Network* n = Empty();
  dir.write("f.txt", "N 1 0 (0,0,0) 1\n L 1 2 0 3 1\nN 2 2 (8,0,0) 4\n B 2 7\n A 2 Two\n");
  vntest::TraceCapture trace;
  EXPECT_EQ(BSTAR_NetworkLoadFile(nullptr, n, "f.txt"), 1);
  EXPECT_TRUE(trace.contains("node 2 is flagged as a placeholder"));
  WriteText(Saved(n), "again");
  BSTAR_Network* again = Construct("again");
  ASSERT_NE(again, nullptr);
  for (BSTAR_Network* net : {n, again}) {
    BSTAR_Node* b = BSTAR_FindNodeById(net, 2);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->dwFlags & BSTAR_NODE_PLACEHOLDER, 0u);
    EXPECT_EQ(b->vCentre.x, 8.0f);
    EXPECT_EQ(b->fRadius, 4.0f);
    EXPECT_EQ(b->dwBValue, 7u);
    EXPECT_STREQ(b->szName, "Two");
    EXPECT_EQ(WeightFrom(net, 1, 2), 3.0f);
  }
}

TEST_F(NetfileTest, ALaterNodeLineFillsAPlaceholderAndKeepsItsLinks) {
  BSTAR_Network* n = Empty();
  dir.write("f.txt", "N 1 0 (0,0,0) 1\n L 1 2 0 3 1\nN 2 0 (5,6,7) 2\n");
  ASSERT_EQ(BSTAR_NetworkLoadFile(nullptr, n, "f.txt"), 1);
  BSTAR_Node* b = BSTAR_FindNodeById(n, 2);
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(b->dwFlags & BSTAR_NODE_PLACEHOLDER, 0u);
  EXPECT_EQ(b->vCentre.y, 6.0f);
  EXPECT_NE(BSTAR_FindLink(b, BSTAR_FindNodeById(n, 1)), nullptr);
  EXPECT_EQ(Count(n), 2);
}

struct BadCase {
  const char* name;
  std::string text;
  const char* trace;
  int32_t nodes;  // kept
};

TEST_F(NetfileTest, DamagedLinesFailTheLoadWithATraceAndKeepWhatWasRead) {
  const BadCase cases[] = {
      {"node line cut short", "N 1 0 (0,0,0) 1\nN 2 0 (1,0\n L 2 1 0 1\n", "unreadable node", 1},
      {"link line cut short", "N 1 0 (0,0,0) 1\n L 1\n", "unreadable link", 1},
      {"link weight not a number", "N 1 0 (0,0,0) 1\n L 1 2 0 nan 1\n", "unreadable link", 1},
      {"centre infinite", "N 1 0 (inf,0,0) 1\n", "unreadable node", 0},
      {"id beyond 32 bits", "N 99999999999 0 (0,0,0) 1\n", "unreadable node", 0},
      {"link of another node", "N 1 0 (0,0,0) 1\n L 5 2 0 1 1\n", "link of another node", 1},
      {"feature name longer than a feature's",
       "N 1 0 (0,0,0) 1\n F " + std::string(20, 'f') + "\n", "feature name longer", 1},
      {"feature line without a name", "N 1 0 (0,0,0) 1\n F\n", "without a name", 1},
      {"name line without a name", "N 1 0 (0,0,0) 1\n A 1\n", "unreadable name", 1},
      {"B line cut short", "N 1 0 (0,0,0) 1\n B 1\n", "unreadable B", 1},
      {"line longer than the reader takes",
       "N 1 0 (0,0,0) 1\n F " + std::string(5000, 'x') + "\nN 2 0 (0,0,0) 1\n", "too long", 2},
  };
  for (const BadCase& c : cases) {
    BSTAR_Network* n = Empty();
    dir.write("bad.txt", c.text);
    vntest::TraceCapture trace;
    EXPECT_EQ(BSTAR_NetworkLoadFile(nullptr, n, "bad.txt"), 0) << c.name;
    EXPECT_TRUE(trace.contains(c.trace)) << c.name;
    EXPECT_EQ(Count(n), c.nodes) << c.name;
    BSTAR_NetworkDestroy(n);
    built.pop_back();
  }
}

TEST_F(NetfileTest, RecordsOfBinaryGarbageNeitherCrashNorPass) {
  std::string junk = "N 1 0 (0,0,0) 1\n";
  uint32_t x = 12345;
  for (int line = 0; line < 2000; ++line) {
    junk.push_back("NLFBA"[line % 5]);
    for (int i = 0; i < 40; ++i) {
      x = x * 1103515245u + 12345u;
      junk.push_back(static_cast<char>(x >> 24 == '\n' ? ' ' : x >> 24));
    }
    junk.push_back('\n');
  }
  BSTAR_Network* n = Empty();
  dir.write("junk.txt", junk);
  EXPECT_EQ(BSTAR_NetworkLoadFile(nullptr, n, "junk.txt"), 0);
  EXPECT_NE(BSTAR_FindNodeById(n, 1), nullptr);
}

TEST_F(NetfileTest, LinksAndFeaturesBeyondTheNodeCapsAreIgnoredWithATrace) {
  std::string text = "N 0 0 (0,0,0) 1\n";
  for (int i = 1; i <= BSTAR_MAX_NODE_LINKS + 2; ++i) text += " L 0 " + std::to_string(i) + " 0 1 1\n";
  for (int i = 0; i < BSTAR_MAX_NODE_FEATURES + 2; ++i) text += " F f" + std::to_string(i) + "\n";
  BSTAR_Network* n = Empty();
  dir.write("caps.txt", text);
  vntest::TraceCapture trace;
  EXPECT_EQ(BSTAR_NetworkLoadFile(nullptr, n, "caps.txt"), 0);
  EXPECT_TRUE(trace.contains("more than 3000 links"));
  EXPECT_TRUE(trace.contains("more than 1000 features"));
  BSTAR_Node* hub = BSTAR_FindNodeById(n, 0);
  ASSERT_NE(hub, nullptr);
  EXPECT_EQ(SGE_ListCount(&hub->lLinks), BSTAR_MAX_NODE_LINKS);
  ASSERT_NE(hub->pFeatures, nullptr);
  EXPECT_EQ(hub->pFeatures->nCount, BSTAR_MAX_NODE_FEATURES);
  EXPECT_EQ(BSTAR_FindNodeById(n, BSTAR_MAX_NODE_LINKS + 1), nullptr);
}

TEST_F(NetfileTest, AFileWithoutANodeFailsWithATrace) {
  std::string noise;
  uint32_t x = 777;
  for (int i = 0; i < 4000; ++i) {
    x = x * 1103515245u + 12345u;
    noise.push_back(static_cast<char>(x >> 24));
  }
  const std::pair<const char*, std::string> cases[] = {
      {"empty", ""}, {"random bytes", noise}, {"comments only", "// nothing\n\n*\n"}};
  for (const auto& [name, text] : cases) {
    BSTAR_Network* n = Empty();
    dir.write("none.txt", text);
    vntest::TraceCapture trace;
    EXPECT_EQ(BSTAR_NetworkLoadFile(nullptr, n, "none.txt"), 0) << name;
    EXPECT_TRUE(trace.contains("none.txt holds no node")) << name;
    EXPECT_EQ(Count(n), 0) << name;
  }
}

TEST_F(NetfileTest, AMissingFileGivesAnEmptyNetwork) {
  vntest::TraceCapture trace;
  BSTAR_Network* n = Construct("absent");
  ASSERT_NE(n, nullptr);
  EXPECT_EQ(BSTAR_CurrentNetwork, n);
  EXPECT_EQ(Count(n), 0);
  EXPECT_TRUE(trace.contains("no network file"));
  EXPECT_EQ(BSTAR_NetworkLoadFile(nullptr, n, "nowhere.txt"), 0);
}

TEST_F(NetfileTest, AMissionWithADamagedFileKeepsWhatItGaveAndSaysSo) {
  WriteText("N 1 0 (0,0,0) 1\n L 1 2 0 5 1\nN 2 0 (1,0,0) 1\nN 3 0 (broken\n");
  vntest::TraceCapture trace;
  BSTAR_Network* n = Construct();
  ASSERT_NE(n, nullptr);
  EXPECT_TRUE(trace.contains("unreadable node"));
  EXPECT_TRUE(trace.contains("holds what missions/m/bstarnetwork.txt gave"));
  EXPECT_EQ(Count(n), 2);
  EXPECT_EQ(WeightFrom(n, 2, 1), 5.0f);
}

TEST_F(NetfileTest, ASaveThatCannotBeWrittenFails) {
  BSTAR_Network* n = Build(Varied());
  ASSERT_NE(n, nullptr);
  vntest::TraceCapture trace;
  EXPECT_EQ(BSTAR_NetworkSaveFile(nullptr, n, dir.file("no/such/folder/x.txt").c_str()), 0);
  EXPECT_TRUE(trace.contains("cannot save"));
  EXPECT_EQ(BSTAR_NetworkSaveFile(nullptr, n, "/dev/full"), 0);
}

// A scene of two features, one of which blocks nothing under the pointer.
struct FakeFeature {
  const char* name;
  const char* cls;
  int32_t occludes;
};
FakeFeature g_rock{"Rock01", "Rocks", 1};
FakeFeature g_bush{"Bush", "Plants", 0};

void* FindFake(SPW_SCENE*, const char* name) {
  for (FakeFeature* f : {&g_rock, &g_bush})
    if (std::strcmp(f->name, name) == 0) return f;
  return nullptr;
}

int32_t DescribeFake(SPW_SCENE*, void* feature, BSTAR_FEATUREINFO* out) {
  auto* f = static_cast<FakeFeature*>(feature);
  *out = {f->name, f->cls, 1.0f, 2.0f, f->occludes};
  return 1;
}

TEST_F(NetfileTest, FeatureLinesBindTheScenesObjectsAndReportThoseThatBlockNothing) {
  const BSTAR_FEATURESOURCE source{FindFake, DescribeFake};
  const BSTAR_FEATURESOURCE* previous = BSTAR_SetFeatureSource(&source);
  BSTAR_Network* n = Empty();
  dir.write("f.txt", "N 1 0 (0,0,0) 1\n F Rock01\n F Bush\n F Gone\n");
  auto* scene = reinterpret_cast<SPW_SCENE*>(&g_rock);  // any non-null scene
  vntest::TraceCapture trace;
  EXPECT_EQ(BSTAR_NetworkLoadFile(scene, n, "f.txt"), 1);
  BSTAR_SetFeatureSource(previous);
  BSTAR_Node* node = BSTAR_FindNodeById(n, 1);
  ASSERT_NE(node->pFeatures, nullptr);
  ASSERT_EQ(node->pFeatures->nCount, 3);
  EXPECT_EQ(node->pFeatures->aBinding[0].pFeature, &g_rock);
  EXPECT_EQ(node->pFeatures->aBinding[1].pFeature, &g_bush);
  // Kept by name so that a save does not lose it.
  EXPECT_EQ(node->pFeatures->aBinding[2].pFeature, nullptr);
  EXPECT_STREQ(node->pFeatures->aBinding[2].szName, "Gone");
  EXPECT_TRUE(trace.contains("FObjInst[Bush] cls[Plants]: bsnet bound & has no UIOcclusion @ (1.000000,2.000000)"));
  EXPECT_FALSE(trace.contains("FObjInst[Rock01]"));
  EXPECT_TRUE(trace.contains("Gone, which the scene lacks"));
}

}  // namespace
