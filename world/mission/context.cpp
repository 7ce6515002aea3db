#include "world/mission/context.h"

namespace {

VNMISSION_CONTEXT g_context{};

}  // namespace

VNMISSION_CONTEXT& vnMISSION_Context() { return g_context; }
