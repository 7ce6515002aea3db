#pragma once
// The lines of "missions/<mission>/bstarnetwork.txt" as the network and the content tools
// write them. One record per line; its kind is its first character after leading blanks.
#include <cstdint>

#define BSTAR_FMT_HEADER "%c%c Generated network file\n\n"
#define BSTAR_FMT_NODE "%c %d %d (%f,%f,%f) %f\n"
#define BSTAR_FMT_LINK "\t%c %d %d %d %f %d\n"
#define BSTAR_FMT_FEATURE "\t%c %s\n"
#define BSTAR_FMT_BVALUE "\t%c %d %d\n"
#define BSTAR_FMT_NAME "\t%c %d %s\n"
#define BSTAR_FMT_FOOTER "\n\n%c%c Nodes = %d, Links = %d, FConnections=%d\n"

// Leading blanks that may come before a line's kind.
constexpr int32_t BSTAR_MAX_LEADING_BLANKS = 3000;

// The flags an L line carries for a link. A reader takes the weight of the node whose line
// makes the link for both directions unless the line says the other side's weight is still to
// come (bit 0, from the point of view of the line's node), so a link whose directions differ
// says so on both its lines; of the link's own flags only "disabled" is kept, as its other
// bits are relative to ends that a reload may swap.
inline uint32_t BSTAR_FileLinkFlags(uint32_t linkFlags, float weightThis, float weightOther) {
  return (linkFlags & 0x4) | (weightThis != weightOther ? 0x1 : 0x0);
}
