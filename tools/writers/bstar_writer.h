#pragma once
// Writes path network files "missions/<mission>/bstarnetwork.txt" as the game saves them, so
// that loading one and saving it again gives the same bytes.
#include <cstdint>
#include <string>
#include <vector>

struct VNWRITE_BSTARNODE {
  int32_t id = 0;
  uint32_t flags = 0;  // the kind in bits 16-23
  float x = 0, y = 0, z = 0;
  float radius = 0;
  uint32_t bValue = 0;  // 0: no B line
  std::string name;     // up to 7 characters; empty: no A line
  std::vector<std::string> features;
};

// One link between nodes a and b, with the weight of each direction.
struct VNWRITE_BSTARLINK {
  int32_t a = 0, b = 0;
  float weightAB = 1000.0f, weightBA = 1000.0f;
  int32_t type = 1;
  bool disabled = false;
};

struct VNWRITE_BSTARNET {
  std::vector<VNWRITE_BSTARNODE> nodes;
  std::vector<VNWRITE_BSTARLINK> links;
};

// The file's text, laid out as a reader files what it reads: the first node given, then each
// written node's new neighbours queued behind it (the next node given when the queue runs
// dry); each node's links to earlier nodes in those nodes' order, then its other links in the
// order given. Links name nodes of the net.
std::string vnWRITE_BstarNetworkText(const VNWRITE_BSTARNET& net);
bool vnWRITE_BstarNetworkFile(const std::string& path, const VNWRITE_BSTARNET& net);
// <root>/missions/<mission>/bstarnetwork.txt
bool vnWRITE_BstarNetwork(const std::string& root, const std::string& mission,
                          const VNWRITE_BSTARNET& net);

// A cols x rows grid of square regions (ids 0.. row by row from the corner at the origin, kind
// 0, radius half a cell) walled by outline vertices (kind 1, ids after the regions) joined by
// vertex edges; neighbouring regions are linked both ways with the cell size as weight; each
// region's B value names its lower edge.
VNWRITE_BSTARNET vnWRITE_BstarGrid(int32_t cols, int32_t rows, float cell, float z);
