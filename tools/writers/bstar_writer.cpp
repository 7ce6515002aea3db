#include "tools/writers/bstar_writer.h"

#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <map>

#include "platform/files.h"
#include "platform/trace.h"
#include "tools/writers/file_writer.h"
#include "world/bstar/netformat.h"

namespace {

constexpr uint32_t kVertexKind = 1u << 16;
constexpr uint32_t kDisabled = 0x4;

void Append(std::string& out, const char* fmt, ...) __attribute__((format(printf, 2, 3)));
void Append(std::string& out, const char* fmt, ...) {
  char line[512];
  va_list args;
  va_start(args, fmt);
  std::vsnprintf(line, sizeof line, fmt, args);
  va_end(args);
  out += line;
}

struct Side {
  int32_t other;
  float mine, theirs;
  const VNWRITE_BSTARLINK* link;
};

}  // namespace

std::string vnWRITE_BstarNetworkText(const VNWRITE_BSTARNET& net) {
  std::map<int32_t, size_t> given;  // id to index in net.nodes
  for (size_t i = 0; i < net.nodes.size(); ++i) given.emplace(net.nodes[i].id, i);
  std::map<int32_t, std::vector<const VNWRITE_BSTARLINK*>> byNode;
  for (const VNWRITE_BSTARLINK& l : net.links) {
    if (l.a == l.b) continue;  // a reader drops links to the node itself
    byNode[l.a].push_back(&l);
    byNode[l.b].push_back(&l);
  }
  // A reader lists a node when its line comes or when a link first names it, so the nodes go
  // out in that order: each node's new neighbours queue behind it.
  std::vector<size_t> order;
  std::vector<size_t> position(net.nodes.size(), SIZE_MAX);
  auto place = [&](size_t i) {
    position[i] = order.size();
    order.push_back(i);
  };
  std::string out;
  Append(out, BSTAR_FMT_HEADER, '/', '/');
  int32_t links = 0, bindings = 0;
  size_t nextGiven = 0;
  for (size_t k = 0;; ++k) {
    if (k == order.size()) {
      while (nextGiven < net.nodes.size() && position[nextGiven] != SIZE_MAX) ++nextGiven;
      if (nextGiven == net.nodes.size()) break;
      place(nextGiven);
    }
    const VNWRITE_BSTARNODE& n = net.nodes[order[k]];
    Append(out, BSTAR_FMT_NODE, 'N', n.id, static_cast<int32_t>(n.flags), n.x, n.y, n.z, n.radius);
    // Links made by earlier nodes come first, in those nodes' order, then this node's own.
    std::multimap<size_t, Side> earlier;
    std::vector<Side> own;
    for (const VNWRITE_BSTARLINK* l : byNode[n.id]) {
      const Side s = l->a == n.id ? Side{l->b, l->weightAB, l->weightBA, l}
                                  : Side{l->a, l->weightBA, l->weightAB, l};
      const auto it = given.find(s.other);
      if (it != given.end() && position[it->second] < k) {
        earlier.emplace(position[it->second], s);
      } else {
        own.push_back(s);
        if (it != given.end() && position[it->second] == SIZE_MAX) place(it->second);
      }
    }
    std::vector<Side> sides;
    for (const auto& [pos, s] : earlier) sides.push_back(s);
    sides.insert(sides.end(), own.begin(), own.end());
    for (const Side& s : sides) {
      const uint32_t flags = BSTAR_FileLinkFlags(s.link->disabled ? kDisabled : 0, s.mine, s.theirs);
      Append(out, BSTAR_FMT_LINK, 'L', n.id, s.other, static_cast<int32_t>(flags), s.mine,
             s.link->type);
      ++links;
    }
    for (const std::string& f : n.features) Append(out, BSTAR_FMT_FEATURE, 'F', f.c_str());
    bindings += static_cast<int32_t>(n.features.size());
    if (n.bValue) Append(out, BSTAR_FMT_BVALUE, 'B', n.id, static_cast<int32_t>(n.bValue));
    if (!n.name.empty()) Append(out, BSTAR_FMT_NAME, 'A', n.id, n.name.c_str());
  }
  Append(out, BSTAR_FMT_FOOTER, '/', '/', static_cast<int32_t>(net.nodes.size()), links, bindings);
  return out;
}

bool vnWRITE_BstarNetworkFile(const std::string& path, const VNWRITE_BSTARNET& net) {
  const std::string text = vnWRITE_BstarNetworkText(net);
  return vnWRITE_WholeFile("vnWRITE_BstarNetworkFile", path, text.data(), text.size());
}

bool vnWRITE_BstarNetwork(const std::string& root, const std::string& mission,
                          const VNWRITE_BSTARNET& net) {
  const std::string folder = root + "/missions/" + mission;
  if (!PLAT_MakeDirectory((root + "/missions").c_str()) || !PLAT_MakeDirectory(folder.c_str())) {
    PLAT_Trace("vnWRITE_BstarNetwork: cannot make %s\n", folder.c_str());
    return false;
  }
  return vnWRITE_BstarNetworkFile(folder + "/bstarnetwork.txt", net);
}

VNWRITE_BSTARNET vnWRITE_BstarGrid(int32_t cols, int32_t rows, float cell, float z) {
  VNWRITE_BSTARNET net;
  const int32_t regions = cols * rows;
  auto vertex = [&](int32_t i, int32_t j) { return regions + j * (cols + 1) + i; };
  for (int32_t r = 0; r < rows; ++r)
    for (int32_t c = 0; c < cols; ++c) {
      VNWRITE_BSTARNODE n;
      n.id = r * cols + c;
      n.x = (c + 0.5f) * cell;
      n.y = (r + 0.5f) * cell;
      n.z = z;
      n.radius = cell * 0.5f;
      n.bValue = static_cast<uint32_t>(vertex(c, r)) << 16 | static_cast<uint32_t>(vertex(c + 1, r));
      net.nodes.push_back(n);
    }
  for (int32_t j = 0; j <= rows; ++j)
    for (int32_t i = 0; i <= cols; ++i) {
      VNWRITE_BSTARNODE v;
      v.id = vertex(i, j);
      v.flags = kVertexKind;
      v.x = i * cell;
      v.y = j * cell;
      v.z = z;
      net.nodes.push_back(v);
    }
  for (int32_t r = 0; r < rows; ++r)
    for (int32_t c = 0; c < cols; ++c) {
      const int32_t id = r * cols + c;
      if (c + 1 < cols) net.links.push_back({id, id + 1, cell, cell, 1, false});
      if (r + 1 < rows) net.links.push_back({id, id + cols, cell, cell, 1, false});
    }
  for (int32_t j = 0; j <= rows; ++j)
    for (int32_t i = 0; i <= cols; ++i) {
      if (i < cols) net.links.push_back({vertex(i, j), vertex(i + 1, j), cell, cell, 1, false});
      if (j < rows) net.links.push_back({vertex(i, j), vertex(i, j + 1), cell, cell, 1, false});
    }
  return net;
}
