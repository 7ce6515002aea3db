// The network file: read line by line into pending nodes, written back node by node.
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/files.h"
#include "platform/trace.h"
#include "platform/window/msgbox.h"
#include "world/bstar/internal.h"
#include "world/bstar/netformat.h"

namespace {

const BSTAR_FEATURESOURCE* g_features = nullptr;

// Longest line taken whole: the leading blanks and a record.
constexpr size_t kLineMax = 4096;

bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

// Reads the fields of one line as the format strings of the file describe them: a blank in
// the format skips any blanks, numbers are decimal, words end at a blank and are bounded.
struct Scanner {
  const char* p;

  void Blank() {
    while (IsSpace(*p)) ++p;
  }
  bool Char(char c) {
    Blank();
    if (*p != c) return false;
    ++p;
    return true;
  }
  // An id or flags word: written with %d, so both signed and unsigned spellings are taken.
  bool Word32(uint32_t* out) {
    Blank();
    char* end = nullptr;
    errno = 0;
    const long long v = std::strtoll(p, &end, 10);
    if (end == p || errno == ERANGE || v < INT32_MIN || v > UINT32_MAX) return false;
    p = end;
    *out = static_cast<uint32_t>(v);
    return true;
  }
  bool Float(float* out) {
    Blank();
    char* end = nullptr;
    const float v = std::strtof(p, &end);
    if (end == p || !std::isfinite(v)) return false;
    p = end;
    *out = v;
    return true;
  }
  // The next word into out (cap bytes with the terminator); false when there is none or it
  // does not fit.
  bool Word(char* out, size_t cap, size_t* length) {
    Blank();
    size_t n = 0;
    while (p[n] && !IsSpace(p[n])) ++n;
    *length = n;
    if (n == 0 || n >= cap) return false;
    std::memcpy(out, p, n);
    out[n] = '\0';
    p += n;
    return true;
  }
};

struct Loader {
  BSTAR_Network* network = nullptr;
  const char* path = nullptr;
  int line = 0;
  bool ok = true;
  bool pending = false;
  int32_t nodes = 0;  // N lines read
  BSTAR_Node record{};
  std::vector<BSTAR_LINKDESC> links;
  std::vector<std::string> features;

  void Refuse(const char* what) {
    PLAT_Trace("BSTAR: %s line %d: %s\n", path, line, what);
    ok = false;
  }

  void Store() {
    if (!pending) return;
    pending = false;
    record.dwFlags &= ~BSTAR_NODE_LOAD_CLEAR;
    BSTAR_Node* node = BSTAR_NetworkAddNode(network, &record, links.data(),
                                            static_cast<int32_t>(links.size()));
    if (!node) {
      ok = false;
      return;
    }
    for (const std::string& name : features)
      if (!BSTAR_BindFeature(network, node, name.c_str())) ok = false;
    BSTAR_CheckFeatureBindings(network, node);
  }

  void Node(Scanner s) {
    Store();
    BSTAR_Node r{};
    if (!s.Char('N') || !s.Word32(&r.dwId) || !s.Word32(&r.dwFlags) || !s.Char('(') ||
        !s.Float(&r.vCentre.x) || !s.Char(',') || !s.Float(&r.vCentre.y) || !s.Char(',') ||
        !s.Float(&r.vCentre.z) || !s.Char(')') || !s.Float(&r.fRadius)) {
      // Its links, features and names are dropped with it.
      Refuse("unreadable node; its lines are skipped");
      return;
    }
    // A node with a line of its own is no placeholder, whatever its flags say: left set, the
    // bit would keep a placeholder that a link made earlier from taking the line's fields.
    if (r.dwFlags & BSTAR_NODE_PLACEHOLDER) {
      PLAT_Trace("BSTAR: %s line %d: node %u is flagged as a placeholder; the flag is dropped\n",
                 path, line, r.dwId);
      r.dwFlags &= ~BSTAR_NODE_PLACEHOLDER;
    }
    r.fZMax = -1000.0f;
    r.fZMin = 1000.0f;
    record = r;
    links.clear();
    features.clear();
    pending = true;
    ++nodes;
  }

  void Link(Scanner s) {
    BSTAR_LINKDESC d{};
    if (!s.Char('L') || !s.Word32(&d.dwThisId) || !s.Word32(&d.dwOtherId) ||
        !s.Word32(&d.dwFlags) || !s.Float(&d.fWeight)) {
      Refuse("unreadable link");
      return;
    }
    if (!s.Word32(&d.dwType)) d.dwType = 1;
    d.dwFlags &= BSTAR_LINK_FILE_BITS;
    if (d.dwThisId != record.dwId) {
      Refuse("link of another node");
      return;
    }
    if (links.size() >= static_cast<size_t>(BSTAR_MAX_NODE_LINKS)) {
      PLAT_Trace("BSTAR: %s line %d: node %u has more than %d links; link ignored\n", path, line,
                 record.dwId, BSTAR_MAX_NODE_LINKS);
      ok = false;
      return;
    }
    links.push_back(d);
  }

  void Feature(Scanner s) {
    char name[BSTAR_FEATURE_NAME_SIZE];
    size_t length = 0;
    if (!s.Char('F') || !s.Word(name, sizeof name, &length)) {
      Refuse(length ? "feature name longer than a feature's" : "feature line without a name");
      return;
    }
    if (features.size() >= static_cast<size_t>(BSTAR_MAX_NODE_FEATURES)) {
      PLAT_Trace("BSTAR: %s line %d: node %u binds more than %d features; %s ignored\n", path,
                 line, record.dwId, BSTAR_MAX_NODE_FEATURES, name);
      ok = false;
      return;
    }
    features.emplace_back(name);
  }

  void BValue(Scanner s) {
    uint32_t id = 0, value = 0;
    if (!s.Char('B') || !s.Word32(&id) || !s.Word32(&value)) {
      Refuse("unreadable B line");
      return;
    }
    if (id == record.dwId && value != 0) record.dwBValue = value;
  }

  void Name(Scanner s) {
    uint32_t id = 0;
    char word[kLineMax];
    size_t length = 0;
    if (!s.Char('A') || !s.Word32(&id) || !s.Word(word, sizeof word, &length)) {
      Refuse("unreadable name line");
      return;
    }
    if (id != record.dwId) {
      record.szName[0] = '\0';
      return;
    }
    // Names longer than a node's field are cut.
    std::strncpy(record.szName, word, BSTAR_NAME_SIZE - 1);
    record.szName[BSTAR_NAME_SIZE - 1] = '\0';
  }

  // False at the end of the network.
  bool Take(const char* text) {
    const char* p = text;
    for (int blanks = 0; blanks < BSTAR_MAX_LEADING_BLANKS && (*p == ' ' || *p == '\t'); ++blanks)
      ++p;
    const char kind = *p;
    if (kind == '*') return false;
    if (kind == 'N') {
      Node(Scanner{p});
      return true;
    }
    if (kind != 'L' && kind != 'F' && kind != 'B' && kind != 'A') return true;  // comments too
    if (!pending) return true;  // before the first node, or after one that could not be read
    switch (kind) {
      case 'L': Link(Scanner{p}); break;
      case 'F': Feature(Scanner{p}); break;
      case 'B': BValue(Scanner{p}); break;
      case 'A': Name(Scanner{p}); break;
    }
    return true;
  }
};

// Appends bindings to a node's counted array.
bool AppendBindings(BSTAR_Network* network, BSTAR_Node* node, const char* const* names,
                    int32_t count) {
  const int32_t old = node->pFeatures ? node->pFeatures->nCount : 0;
  const uint32_t size = static_cast<uint32_t>(sizeof(BSTAR_FEATURELIST) +
                                              (old + count) * sizeof(BSTAR_FEATUREBINDING));
  auto* list = static_cast<BSTAR_FEATURELIST*>(
      node->pFeatures ? SGE_MemRealloc(node->pFeatures, size) : SGE_MemAlloc(network->pBlock, size));
  if (!list) {
    PLAT_Trace("BSTAR: no memory for the features of node %u\n", node->dwId);
    return false;
  }
  SPW_SCENE* scene = network->pFeatureScene;
  for (int32_t i = 0; i < count; ++i) {
    BSTAR_FEATUREBINDING& b = list->aBinding[old + i];
    std::strncpy(b.szName, names[i], sizeof b.szName - 1);
    b.szName[sizeof b.szName - 1] = '\0';
    b.pFeature = (scene && g_features) ? g_features->pfnFind(scene, b.szName) : nullptr;
    if (scene && g_features && !b.pFeature)
      PLAT_Trace("BSTAR: node %u binds feature %s, which the scene lacks\n", node->dwId, b.szName);
  }
  list->nCount = old + count;
  node->pFeatures = list;
  return true;
}

int32_t Fail(const char* path, const char* what) {
  std::string text = std::string(path) + ": " + what;
  PLAT_Trace("BSTAR: cannot save %s\n", text.c_str());
  PLAT_MessageBox(nullptr, text.c_str(), "Error", PLAT_MsgBoxButtons::Ok, PLAT_MsgBoxIcon::Error);
  return 0;
}

}  // namespace

const BSTAR_FEATURESOURCE* BSTAR_SetFeatureSource(const BSTAR_FEATURESOURCE* source) {
  const BSTAR_FEATURESOURCE* previous = g_features;
  g_features = source;
  return previous;
}

int32_t BSTAR_BindFeature(BSTAR_Network* network, BSTAR_Node* node, const char* name) {
  if (!network || !node || !name) return 0;
  return AppendBindings(network, node, &name, 1) ? 1 : 0;
}

void BSTAR_CheckFeatureBindings(BSTAR_Network* network, BSTAR_Node* node) {
  if (!network || !node || !node->pFeatures || !g_features) return;
  for (int32_t i = 0; i < node->pFeatures->nCount; ++i) {
    BSTAR_FEATUREINFO info{};
    void* feature = node->pFeatures->aBinding[i].pFeature;
    if (!feature || !g_features->pfnDescribe(network->pFeatureScene, feature, &info)) continue;
    if (!info.bOccludes)
      PLAT_Trace("FObjInst[%s] cls[%s]: bsnet bound & has no UIOcclusion @ (%f,%f)\n",
                 info.pszName ? info.pszName : "", info.pszClass ? info.pszClass : "", info.fX,
                 info.fY);
  }
}

int32_t BSTAR_NetworkLoadFile(SPW_SCENE* scene, BSTAR_Network* network, const char* path) {
  if (!network || !path) return 0;
  PLAT_FileHandle f(PLAT_FOpen(path, "r"));
  if (!f) {
    PLAT_Trace("BSTAR: no network file %s\n", path);
    return 0;
  }
  network->pFeatureScene = scene;
  Loader loader;
  loader.network = network;
  loader.path = path;
  char text[kLineMax];
  while (std::fgets(text, sizeof text, f.get())) {
    ++loader.line;
    const size_t n = std::strlen(text);
    if (n + 1 == sizeof text && text[n - 1] != '\n') {
      int c = std::fgetc(f.get());
      if (c != EOF && c != '\n') {
        loader.Refuse("line too long; skipped");
        while ((c = std::fgetc(f.get())) != EOF && c != '\n') {
        }
        continue;
      }
    }
    if (!loader.Take(text)) break;
  }
  if (std::ferror(f.get())) {
    PLAT_Trace("BSTAR: reading %s failed\n", path);
    loader.ok = false;
  }
  loader.Store();
  if (loader.nodes == 0) {
    PLAT_Trace("BSTAR: %s holds no node; the network is empty\n", path);
    return 0;
  }
  return loader.ok ? 1 : 0;
}

int32_t BSTAR_NetworkSaveFile(SPW_SCENE* scene, BSTAR_Network* network, const char* path) {
  (void)scene;
  if (!network || !path) return 0;
  PLAT_FileHandle f(PLAT_FOpen(path, "w"));
  if (!f) return Fail(path, std::strerror(errno));
  FILE* out = f.get();
  int32_t nodes = 0, links = 0, bindings = 0;
  std::fprintf(out, BSTAR_FMT_HEADER, '/', '/');
  for (BSTAR_Node* node : BSTAR_NetworkNodes(&network->lNodes)) {
    ++nodes;
    const auto id = static_cast<int32_t>(node->dwId);
    std::fprintf(out, BSTAR_FMT_NODE, 'N', id, static_cast<int32_t>(node->dwFlags),
                 node->vCentre.x, node->vCentre.y, node->vCentre.z, node->fRadius);
    for (BSTAR_LINKCELL* cell : BSTAR_LinkCells(&node->lLinks)) {
      const BSTAR_Link* link = cell->pLink;
      const BSTAR_Node* other = BSTAR_LinkOther(link, node);
      const float mine = BSTAR_LinkWeightFrom(link, node);
      const float theirs = BSTAR_LinkWeightFrom(link, other);
      ++links;
      std::fprintf(out, BSTAR_FMT_LINK, 'L', id, static_cast<int32_t>(other->dwId),
                   static_cast<int32_t>(BSTAR_FileLinkFlags(link->dwFlags, mine, theirs)), mine,
                   static_cast<int32_t>(link->dwType));
    }
    for (int32_t i = 0; node->pFeatures && i < node->pFeatures->nCount; ++i, ++bindings)
      std::fprintf(out, BSTAR_FMT_FEATURE, 'F', node->pFeatures->aBinding[i].szName);
    if (node->dwBValue)
      std::fprintf(out, BSTAR_FMT_BVALUE, 'B', id, static_cast<int32_t>(node->dwBValue));
    if (node->szName[0]) std::fprintf(out, BSTAR_FMT_NAME, 'A', id, node->szName);
  }
  std::fprintf(out, BSTAR_FMT_FOOTER, '/', '/', nodes, links, bindings);
  const bool written = std::ferror(out) == 0;
  if (!PLAT_CloseFile(f) || !written) return Fail(path, std::strerror(errno ? errno : EIO));
  return 1;
}
