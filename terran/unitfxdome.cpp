// The shield dome of command suits and psychics.
#include "missions/control/misscont.h"
#include "shell/sound/sound.h"
#include "terran/terunit.h"
#include "terran/unitfx.h"
#include "world/bstar/search.h"
#include "world/dome/dome.h"
#include "world/mission/context.h"
#include "world/mover/mover.h"
#include "world/unitman/unitman.h"
#include "world/unittype/unittype.h"

namespace {

constexpr int32_t kRaiseSoundCommand = 406;
constexpr int32_t kRaiseSoundPsychic = 413;
constexpr int32_t kLowerSound = 407;
constexpr uint32_t kCommandFlags = VNDOME_F_KEEP_UNIT | VNDOME_F_SCROLL;
constexpr uint32_t kPsychicFlags = VNDOME_F_KEEP_UNIT | VNDOME_F_PULSE;
constexpr const char* kComputer = "Computer";

bool IsCommandSuit(int32_t type) {
  return type >= VN_UNIT_TYPE_SUIT_COMMAND_0 && type <= VN_UNIT_TYPE_SUIT_COMMAND_1_FEM;
}

bool IsPsychic(int32_t type) {
  return type == VN_UNIT_TYPE_TERRAN_PSYCHIC || type == VN_UNIT_TYPE_TERRAN_PSYCHIC_FEM ||
         type == VN_UNIT_TYPE_TERRAN_ZR_COL_TOVAR;
}

BSTAR_Network* Network() {
  const VNMOVER_PLANNER* planner = vnMISSION_Context().pPlanner;
  return planner ? planner->pNetwork : nullptr;
}

// Tells the friends the soldier sees within reach, or the soldier itself when it sees nobody.
void TellFriends(VNUNIT* soldier, int32_t what) {
  if (soldier->nSighted <= 0 || !soldier->ppSighted) {
    if (soldier->pController) SGE_Send(soldier->pController, SGM_TERUNIT_HOLD, what, 0);
    return;
  }
  constexpr float kReach2 = VNFX_DOME_REACH * VNFX_DOME_REACH;
  for (int32_t i = 0; i < soldier->nSighted; ++i) {
    VNUNIT* seen = soldier->ppSighted[i];
    if (!seen || !(seen->dwPlayer & soldier->dwPlayer) || !seen->pController) continue;
    const float dx = seen->vPos.x - soldier->vPos.x, dy = seen->vPos.y - soldier->vPos.y,
                dz = seen->vPos.z - soldier->vPos.z;
    if (dx * dx + dy * dy + dz * dz <= kReach2)
      SGE_Send(seen->pController, SGM_TERUNIT_HOLD, what, 0);
  }
}

}  // namespace

VNUNIT* vnFX_DomeCreate() {
  const VNPLAYER* computer =
      SGE_Ask<VNPLAYER>(vnUNITMAN_GetTask(), SGM_UNITMAN_PLAYER_BY_NAME, SGE_PtrParam(kComputer), 0);
  if (!computer) return nullptr;
  VNUNIT_CREATE create{};
  create.nType = VN_UNIT_TYPE_PE_DOME;
  create.dwPlayer = computer->dwId;
  create.nBinding = 1;
  create.vDir = {0.0f, 1.0f, 0.0f};
  return vnUNITMAN_CreateUnit(&create, nullptr);
}

int32_t vnFX_DomeState(VNUNIT* dome) {
  if (!dome || !dome->pController) return 0;
  return static_cast<int32_t>(SGE_Send(dome->pController, SGM_DOME_IS_RAISED, 0, 0));
}

int32_t vnFX_DomeRaise(VNUNIT* dome, VNUNIT* soldier, VNTERUNIT* /*record*/, BSTAR_Node** node) {
  if (!dome || !soldier) return 0;
  const bool command = IsCommandSuit(soldier->nType);
  if (!command && !IsPsychic(soldier->nType)) return 0;
  if (vnFX_DomeState(dome) == 1) return 0;
  VNDOME_RAISE raise{};
  raise.fScale = VNFX_DOME_RADIUS;
  raise.nKind = command ? VNDOME_KIND_COMMAND : VNDOME_KIND_PSYCHIC;
  raise.nMode = VNDOME_MODE_DOWN;
  raise.vPos = soldier->vPos;
  raise.dwFlags = command ? kCommandFlags : kPsychicFlags;
  raise.dwUnitId = soldier->dwId;
  if (!dome->pController || SGE_Send(dome->pController, SGM_DOME_RAISE, SGE_PtrParam(&raise), 0) != 1)
    return 0;
  vnSOUND_PlayEffect(command ? kRaiseSoundCommand : kRaiseSoundPsychic, &dome->vPos.x);
  TellFriends(soldier, VNTERUNIT_HOLD);
  if (BSTAR_Network* network = Network()) {
    BSTAR_Node* added = BSTAR_AddDynamicNode(network, &soldier->vPos, VNFX_DOME_NODE_RADIUS, "DOME");
    BSTAR_ConnectDynamicNodes(network);
    if (node) *node = added;
  }
  return 1;
}

int32_t vnFX_DomeLower(VNUNIT* dome, VNUNIT* soldier, BSTAR_Node** node) {
  if (!dome || !soldier) return 0;
  if (!IsCommandSuit(soldier->nType) && !IsPsychic(soldier->nType)) return 0;
  if (vnFX_DomeState(dome) != 1) return 1;
  VNDOME_COLLAPSE collapse{VNDOME_MODE_DOWN, 0.0f};
  SGE_Send(dome->pController, SGM_DOME_COLLAPSE, SGE_PtrParam(&collapse), 0);
  vnSOUND_PlayEffect(kLowerSound, &dome->vPos.x);
  TellFriends(soldier, VNTERUNIT_RELEASE);
  BSTAR_Network* network = Network();
  if (network && node && *node) BSTAR_RemoveDynamicNode(network, *node);
  if (node) *node = nullptr;
  return 1;
}
