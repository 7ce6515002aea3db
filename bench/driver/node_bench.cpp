// Object nodes: 1,000 instances of the walking figure (its POW file loaded through the engine's
// loader), every node submitted through SPPD_RenderNode with two lights and drawn at the
// scene's end over the driver's null device, against a plain loop doing the same job on the
// same nodes: eye and lights into object space, back-face test, flat lighting by the two
// lights, vertices transformed and projected into a screen-vertex array.
#include <unistd.h>

#include <algorithm>
#include <bit>
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
#include "driver/node/node.h"
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
constexpr double kTarget = 1.25;

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

  // -(v times the transpose of the matrix's rotation).
  static void ToObject(const SPW_MATRIX& m, const float v[3], float out[3]) {
    for (int r = 0; r < 3; ++r) out[r] = -(m.m[r][0] * v[0] + m.m[r][1] * v[1] + m.m[r][2] * v[2]);
  }
  static uint32_t Channel(float v) { return v <= 0.0f ? 0u : v >= 255.0f ? 255u : static_cast<uint32_t>(v + 0.5f); }

  // The same job written plainly: per node the eye and the lights in object space and every
  // vertex projected; per face seen from its front (or double-sided) a flat colour and its
  // three corners written out.
  void Plain(std::vector<SPPD_TLVERTEX>* out, std::vector<float>* scratch) {
    SPPD_TLVERTEX* v = out->data();
    const float base[3] = {80, 80, 80};
    for (const Draw& d : draws) {
      const tag_spw_dobjnode& node = *d.node;
      const SPW_MATRIX& m = d.m;
      const float t[3] = {m.m[3][0], m.m[3][1], m.m[3][2]};
      float eye[3], dir[2][3], colour[2][3];
      ToObject(m, t, eye);
      for (int l = 0; l < 2; ++l) {
        const float view[3] = {lights[l].vViewDir.x, lights[l].vViewDir.y, lights[l].vViewDir.z};
        ToObject(m, view, dir[l]);
        colour[l][0] = lights[l].fIntensity * lights[l].colour.r;
        colour[l][1] = lights[l].fIntensity * lights[l].colour.g;
        colour[l][2] = lights[l].fIntensity * lights[l].colour.b;
      }
      float* p = scratch->data();
      for (uint32_t i = 0; i < node.dwNumVertices; ++i) {
        const SPW_VECTOR& in = node.pVertexSet[i].vPos;
        float x = in.x * m.m[0][0] + in.y * m.m[1][0] + in.z * m.m[2][0] + m.m[3][0];
        float y = in.x * m.m[0][1] + in.y * m.m[1][1] + in.z * m.m[2][1] + m.m[3][1];
        float z = in.x * m.m[0][2] + in.y * m.m[1][2] + in.z * m.m[2][2] + m.m[3][2];
        const float rhw = -1.0f / z;
        p[4 * i] = 320.0f * x * rhw + 320.0f;
        p[4 * i + 1] = -240.0f * y * rhw + 240.0f;
        p[4 * i + 2] = rhw;
        p[4 * i + 3] = rhw;
      }
      for (uint32_t k = 0; k < node.dwNumFaces; ++k) {
        const SPW_DOBJFACE& f = node.pFaceSet[k];
        float n[3];
        for (int c = 0; c < 3; ++c) n[c] = std::bit_cast<float>(f.adwValue[c]);
        const SPW_VECTOR& a = node.pVertexSet[f.adwIndex[0]].vPos;
        const bool front = (eye[0] - a.x) * n[0] + (eye[1] - a.y) * n[1] + (eye[2] - a.z) * n[2] > 0.0f;
        if (!front && !(f.adwValue[3] & SPPD_FACE_DOUBLE_SIDED)) continue;
        float c[3] = {base[0], base[1], base[2]};
        for (int l = 0; l < 2; ++l) {
          const float dot = n[0] * dir[l][0] + n[1] * dir[l][1] + n[2] * dir[l][2];
          if (dot > 0.0f)
            for (int j = 0; j < 3; ++j) c[j] += dot * colour[l][j];
        }
        const uint32_t diffuse = 0xFF000000u | Channel(c[0]) << 16 | Channel(c[1]) << 8 | Channel(c[2]);
        for (int corner = 0; corner < 3; ++corner) {
          const uint32_t i = f.adwIndex[corner];
          const float* q = p + 4 * i;
          *v++ = {q[0], q[1], q[2], q[3], diffuse, 0xFF000000u, node.pVertexSet[i].fU, node.pVertexSet[i].fV};
        }
      }
    }
    benchmark::DoNotOptimize(out->data());
    benchmark::ClobberMemory();
  }

  size_t Faces() const {
    size_t n = 0;
    for (const Draw& d : draws) n += d.node->dwNumFaces;
    return n;
  }
  size_t MostVertices() const {
    size_t n = 0;
    for (const Draw& d : draws) n = std::max<size_t>(n, d.node->dwNumVertices);
    return n;
  }
};

}  // namespace

int main() {
  NodeScene scene;
  if (!scene.ok) {
    std::printf("no engine, figure or null device\n");
    vnBENCH_GoalAtMost("node_submission", 1e9, kTarget);
    return 0;
  }
  // A frame that drew no triangles would time nothing.
  scene.Submit();
  SPPD_Flush(&scene.display);
  const uint32_t triangles = SPPD_GetFrameCounters()->dwOpaqueTriangles;
  SPPD_EndScene(&scene.display);
  SPPD_BeginScene(&scene.display);
  std::vector<SPPD_TLVERTEX> out(3 * scene.Faces());
  std::vector<float> scratch(4 * scene.MostVertices());
  std::printf("%d figures, %zu nodes, %zu faces a frame; a frame drew %u triangles\n",
              kInstances, scene.draws.size(), scene.Faces(), triangles);
  if (triangles == 0) {
    vnBENCH_GoalAtMost("node_submission", 1e9, kTarget);
    return 0;
  }
  auto render = [&] {
    for (int f = 0; f < kFrames; ++f) scene.Frame();
  };
  auto plain = [&] {
    for (int f = 0; f < kFrames; ++f) scene.Plain(&out, &scratch);
  };
  const double ratio = vnBENCH_Compare("nodes through the driver, null device", render,
                                       "the same nodes, plain loop", plain, kReps);
  vnBENCH_GoalAtMost("node_submission", ratio, kTarget);
  return 0;
}
