#pragma once
// Shared inside the path network's files only.
#include <cstdarg>

#include "world/bstar/bstar.h"

// A cell of the network's list of run-time nodes still to connect.
struct BSTAR_NODECELL {
  SGE_DLLNODE link;
  BSTAR_Node* pNode;
};

// Node id index.
bool BSTAR_IndexNode(BSTAR_Network* network, BSTAR_Node* node);
void BSTAR_UnindexNode(BSTAR_Network* network, const BSTAR_Node* node);
bool BSTAR_RebuildIndex(BSTAR_Network* network);

// A new node from a record, appended to the node list and indexed; none when out of memory.
BSTAR_Node* BSTAR_MakeNode(BSTAR_Network* network, const BSTAR_Node* record);

// Leaves of the bounds trees stop naming a node that is going away.
void BSTAR_ForgetTreeNode(BSTAR_Network* network, const BSTAR_Node* node);

// Adds a label to the network's error labels while fewer than the maximum are stored.
void BSTAR_AddErrorLabel(BSTAR_Network* network, const char* fmt, ...)
    __attribute__((format(printf, 2, 3)));

// Ground-plane distance.
float BSTAR_Distance2D(const SPW_VECTOR& a, const SPW_VECTOR& b);
float BSTAR_Distance3D(const SPW_VECTOR& a, const SPW_VECTOR& b);

// Kind of a node from its flags word.
inline uint32_t BSTAR_KindOf(uint32_t flags) { return (flags >> BSTAR_KIND_SHIFT) & BSTAR_KIND_MASK; }
