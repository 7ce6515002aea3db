// Object nodes: 1,000 instances of the walking figure (its POW file loaded through the engine's
// loader), every node submitted through SPPD_RenderNode with two lights and drawn at the
// scene's end over the driver's null device, against a plain copy of the same nodes' vertices
// into a screen-vertex array. The goal: the driver's work at most 3 times the copy.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/goal.h"
#include "bench/null_display.h"
#include "driver/core/block.h"
#include "driver/device/device.h"
#include "driver/device/frame.h"
#include "driver/device/prefs.h"
#include "driver/device/renderstate.h"
#include "engine/memory/memblock.h"
#include "engine/object/object.h"
#include "engine/scene/scene.h"
#include "platform/files.h"
#include "platform/gfx/gfx.h"
#include "tools/models/models.h"

namespace {

constexpr int kInstances = 1000;
constexpr int kFrames = 5;  // a timed run
constexpr int kReps = 15;
constexpr double kTarget = 3.0;

// One node of one instance: the node and its object-to-view matrix.
struct Draw {
  tag_spw_dobjnode* node;
  SPW_MATRIX m;
};

struct NodeScene {
  vnBENCH_NULLDISPLAY nd;
  SPW_DISPLAY& display = nd.display;
  SPW_DISPLAYNODE view{};
  SPW_LIGHT lights[2]{};
  SPW_LIGHT* lightList[2] = {&lights[0], &lights[1]};
  std::vector<Draw> draws;
  bool ok = false;

  NodeScene() {
    if (!nd.Open("node") || !SPW_ResetObjectTypes()) return;
    const std::string pow = nd.folder + "/Figure.pow";
    int32_t slot = -1;
    if (!vnWRITE_POW(pow, vnMODELS_Figure()) || !SPW_LoadObjectFile(pow.c_str(), nullptr, &slot, 2.0f, 0))
      return;
    view.pDisplay = &display;
    SetView();
    MakeLights();
    Place(*SPW_GetObjectType(slot));
    ok = true;
  }
  ~NodeScene() {
    SPW_ReleaseObjectTypes();
    nd.Close({"Figure.pow"});
  }

  void SetView() {
    SPPD_RENDERSTATE rs{};
    rs.dwMask = 0xFF | SPPD_RS_MATRICES;
    rs.fNear = 1.0f;
    rs.fFar = 100.0f;
    rs.fMaxDepth = 1.0f;
    rs.fScaleX = 320.0f;
    rs.fScaleY = -240.0f;
    rs.fCentreX = 320.0f;
    rs.fCentreY = 240.0f;
    SPPD_SetRenderState(&view, &rs);
  }

  void MakeLights() {
    lights[0].vViewDir = {0.6f, -0.8f, 0.0f};
    lights[0].fIntensity = 0.7f;
    lights[0].colour = {255, 200, 120, 255};
    lights[1].vViewDir = {0.0f, 0.0f, -1.0f};
    lights[1].fIntensity = 0.4f;
    lights[1].colour = {80, 80, 255, 255};
  }

  // Figures on a 40 x 25 grid facing the eye, 12 to 60 units away, each turned a little; each
  // node placed by its default transform under its parent.
  void Place(const SPW_DOBJTYPE& type) {
    const SPW_DOBJLOD& lod = type.pLods[0];
    std::vector<SPW_MATRIX> world(lod.dwNumNodes);
    for (int i = 0; i < kInstances; ++i) {
      const float d = 12.0f + static_cast<float>(i / 40) * 2.0f;
      const float x = (static_cast<float>(i % 40) - 19.5f) * d / 40.0f;
      SPW_MATRIX object;
      SPW_QUAT q = {0.0f, 0.1f * static_cast<float>(i % 3 - 1), 0.0f, 1.0f};
      SPW_QuatNormalise(&q);
      SPW_QuatToMatrix(&object, &q);
      object.m[3][0] = x;
      object.m[3][1] = -2.0f;
      object.m[3][2] = -d;
      for (uint32_t n = 0; n < lod.dwNumNodes; ++n) {
        tag_spw_dobjnode& node = lod.pNodes[n];
        SPW_MATRIX local;
        SPW_QuatToMatrix(&local, &node.tDefault.qRot);
        local.m[3][0] = node.tDefault.vPos.x;
        local.m[3][1] = node.tDefault.vPos.y;
        local.m[3][2] = node.tDefault.vPos.z;
        // The child's transform applied first, then its parent's.
        SPW_MatMultiply(node.pParent ? &world[static_cast<size_t>(node.pParent->nIndex)] : &object,
                        &local, &world[n]);
        if (node.dwNumFaces) draws.push_back({&node, world[n]});
      }
    }
  }

  void Submit() {
    float colour[4] = {80, 80, 80, 255};
    for (Draw& d : draws)
      SPPD_RenderNode(&display, d.node, &d.m.m[0][0], colour, 0, 0, lightList, 2);
  }
  void Frame() {
    Submit();
    SPPD_EndScene(&display);
    SPPD_BeginScene(&display);
  }

  // The same nodes' vertices, copied plainly into screen vertices.
  void Copy(std::vector<SPPD_TLVERTEX>* out) {
    SPPD_TLVERTEX* v = out->data();
    for (const Draw& d : draws) {
      const tag_spw_dobjnode& node = *d.node;
      for (uint32_t i = 0; i < node.dwNumVertices; ++i) {
        const SPW_DOBJVERTEX& in = node.pVertexSet[i];
        *v++ = {in.vPos.x, in.vPos.y, in.vPos.z, 1.0f, 0xFFFFFFFFu, 0xFF000000u, in.fU, in.fV};
      }
    }
    benchmark::DoNotOptimize(out->data());
    benchmark::ClobberMemory();
  }

  size_t Vertices() const {
    size_t n = 0;
    for (const Draw& d : draws) n += d.node->dwNumVertices;
    return n;
  }
};

}  // namespace

int main() {
  NodeScene scene;
  if (!scene.ok) {
    std::printf("no engine, figure or null device\n");
    vnBENCH_GoalAtMost("node-submission", 1e9, kTarget);
    return 0;
  }
  // A frame that drew no triangles would time nothing.
  scene.Submit();
  SPPD_Flush(&scene.display);
  const uint32_t triangles = SPPD_GetFrameCounters()->dwOpaqueTriangles;
  SPPD_EndScene(&scene.display);
  SPPD_BeginScene(&scene.display);
  std::vector<SPPD_TLVERTEX> copy(scene.Vertices());
  std::printf("%d figures, %zu nodes, %zu vertices a frame; a frame drew %u triangles\n",
              kInstances, scene.draws.size(), copy.size(), triangles);
  if (triangles == 0) {
    vnBENCH_GoalAtMost("node-submission", 1e9, kTarget);
    return 0;
  }
  auto render = [&] {
    for (int f = 0; f < kFrames; ++f) scene.Frame();
  };
  auto plain = [&] {
    for (int f = 0; f < kFrames; ++f) scene.Copy(&copy);
  };
  const double ratio = vnBENCH_Compare("nodes through the driver, null device", render,
                                       "plain copy of their vertices", plain, kReps);
  vnBENCH_GoalAtMost("node-submission", ratio, kTarget);
  return 0;
}
