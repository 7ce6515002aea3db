// The soldier's voice lines: one line for the event bit that is pending, said by the soldier who
// speaks for the selection where the event concerns the squad.
#include "effects/weapon.h"
#include "frontend/platman.h"
#include "interface/hud/hudtask.h"
#include "missions/control/misscont.h"
#include "missions/control/unitvoice.h"
#include "platform/random.h"
#include "shell/sound/sound.h"
#include "terran/behave.h"
#include "terran/handler.h"
#include "terran/weapons.h"
#include "world/combat/combat.h"
#include "world/unittype/attributes.h"
#include "world/unittype/unittype.h"

namespace {

constexpr int32_t kSilent = -1;
// Ranks above this say no chatter.
constexpr int32_t kChattyRank = 3;
// The squad leaders' strike-team slots.
constexpr int32_t kLeaderSlots[] = {36, 42, 48};

int32_t Coin() { return PLAT_Rand() % 2; }

bool IsLeaderSlot(int32_t slot) {
  for (int32_t leader : kLeaderSlots)
    if (slot == leader) return true;
  return false;
}

VNUNIT* FieldedUnit(const VNPLATOON* platoon, int32_t slot) {
  const VNPLATOON_UNIT* soldier = platoon->apUnits[slot];
  if (!soldier) return nullptr;
  VNUNIT* unit = vnUNITMAN_GetUnit(static_cast<uint32_t>(soldier->nRosterId));
  return unit && (unit->dwFlags & VNUNIT_F_SELECTED) ? unit : nullptr;
}

SGE_RESULT AskHud(int32_t msg) {
  SGE_TASK* hud = vnHUD_GetObject();
  return hud ? SGE_Send(hud, msg, 0, 0) : 0;
}

bool IsLeader(const VNTERUNIT* s) { return vnTERUNIT_FindSquadLeader() == s->unit; }

// The squad events: the leader speaks for a selection the platoon leader is not in, else the
// platoon leader himself (the third line).
int32_t SquadLine(const VNTERUNIT* s, int32_t alone, int32_t withFlag, int32_t byLeader) {
  if (AskHud(SGM_VN_HUD_LEADER_SELECTED) == 0) {
    if (!IsLeader(s)) return kSilent;
    return AskHud(SGM_VN_HUD_LEADER_FLAG2) == 0 ? alone : withFlag;
  }
  return AskHud(SGM_VN_HUD_LEADER_ID) == static_cast<SGE_RESULT>(s->unit->dwId) ? byLeader
                                                                               : kSilent;
}

int32_t OneOfThree(int32_t first) { return first + PLAT_Rand() % 3; }

bool Chatty(const VNTERUNIT* s) {
  return vnTERUNIT_GetRank(static_cast<int32_t>(s->unit->dwId)) <= kChattyRank;
}

int32_t LineFor(const VNTERUNIT* s, uint32_t event) {
  const int32_t r = Coin();
  switch (event) {
    case 0x1: return SquadLine(s, r, r + 2, r + 4);
    case 0x4: return IsLeader(s) ? r + 12 : kSilent;
    case 0x8: return r + 14;
    case 0x10: return OneOfThree(45);
    case 0x20: return r + 18;
    case 0x40: return PLAT_Rand() % 10 == 0 && Chatty(s) ? r + 20 : kSilent;
    case 0x80: return Chatty(s) ? r + 22 : kSilent;
    case 0x100: return r + 24;
    case 0x200: return 26;
    case 0x400: return vnTERUNIT_IsTier1Suit(s->unit->nType) ? 27 : 28;
    case 0x1000: return Chatty(s) ? r + 31 : kSilent;
    case 0x4000: return 33;
    case 0x8000: return 48 + PLAT_Rand() % 10;
    case 0x10000: return 34;
    case 0x40000: return SquadLine(s, 35, 36, 37);
    case 0x80000:
      if (vnHUD_GetState1846() > 1 && !IsLeader(s)) return kSilent;
      switch (s->engagementMode & VNTERUNIT_ENGAGE_MASK) {
        case VNTERUNIT_ENGAGE_FAST: return 39;
        case VNTERUNIT_ENGAGE_CHARGE: return 40;
        default: return kSilent;
      }
    case 0x100000: return 41;
    case 0x400000: return 42;
    case 0x800000: return 43;
    case 0x1000000: return 44;
    case 0x4000000: return OneOfThree(45);
    case 0x8000000: return SquadLine(s, r + 6, r + 8, r + 10);
    case 0x10000000: return vnTERUNIT_NeedsWeaponChange(s) ? 27 : kSilent;
    case 0x20000000: return vnTERUNIT_IsLaunchSuit(s->unit->nType) && !vnWEAPON_HasMicroRockets(s->unit) ? 27 : kSilent;
    default: return kSilent;  // none, or two events at once
  }
}

}  // namespace

VNUNIT* vnTERUNIT_FindSquadLeader() {
  const VNPLATOON* platoon = vnMISSCONT_GetPlatoon();
  if (!platoon) return nullptr;
  VNUNIT* best = nullptr;
  int32_t bestRank = -1;
  for (int32_t slot = VNPLATOON_FIRST_FIELDED; slot < VNPLATOON_SLOTS; ++slot) {
    VNUNIT* unit = FieldedUnit(platoon, slot);
    if (!unit) continue;
    if (IsLeaderSlot(slot)) return unit;
    if (platoon->apUnits[slot]->nRank > bestRank) best = unit, bestRank = platoon->apUnits[slot]->nRank;
  }
  return best;
}

int32_t vnTERUNIT_GetRank(int32_t unitId) {
  const VNPLATOON* platoon = vnMISSCONT_GetPlatoon();
  const VNPLATOON_UNIT* soldier = platoon ? vnPLATMAN_FindStrikeTeamUnit(platoon, unitId) : nullptr;
  return soldier ? soldier->nRank : -1;
}

int32_t vnTERUNIT_SayEventLine(VNTERUNIT* s) {
  if (s->lineChannel >= 0) return kSilent;
  const uint32_t events = s->voiceEvents;
  s->voiceEvents = 0;
  const int32_t line = LineFor(s, events);
  if (line == kSilent) return kSilent;
  const int32_t channel = vnSOUND_PlayUnitVoice(s->unit, line);
  if (channel >= 0) {
    s->lineChannel = channel;
    vnSOUND_SetChannelOwner(channel, s->unit->pController);
  }
  return line;
}

namespace {

// Armour (health for the _2 suits) below this share of its maximum is worth a line, once until
// the soldier is treated.
constexpr float kLowArmourShare = 0.2f;
constexpr float kRecoveredShare = 0.6f;
constexpr uint32_t kLowArmourEvent = 0x8;
constexpr uint32_t kPainEvent = 0x8000;

}  // namespace

void vnTERUNIT_DamageVoice(VNTERUNIT* s, const VNDAMAGE* damage) {
  if (!(s->modeFlags & VNTERUNIT_MF_LOW_ARMOUR_SAID)) {
    const bool byHealth = vnTERUNIT_IsSuitTier2(s->unit->nType) != 0;
    const float now = vnUNIT_AttrFloat(s->unit, byHealth ? VN_ATTR_HEALTH : VN_ATTR_ARMOUR);
    const float maximum =
        vnTERUNIT_BaseValue(s, byHealth ? VNTERUNIT_BASE_HEALTH : VNTERUNIT_BASE_ARMOUR);
    if (maximum > 0.0f && now / maximum < kLowArmourShare) {
      vnTERUNIT_SendSelf(s, SGM_TERUNIT_VOICE_EVENT, kLowArmourEvent);
      s->modeFlags |= VNTERUNIT_MF_LOW_ARMOUR_SAID;
    }
  }
  if (damage && damage->fHealth < 0.0f && PLAT_Rand() % 10 == 0)
    vnTERUNIT_SendSelf(s, SGM_TERUNIT_VOICE_EVENT, kPainEvent);
}

void vnTERUNIT_ClearLowArmour(VNTERUNIT* s) {
  const float maximum = vnTERUNIT_BaseValue(s, VNTERUNIT_BASE_HEALTH);
  if (maximum > 0.0f && vnUNIT_AttrFloat(s->unit, VN_ATTR_HEALTH) / maximum > kRecoveredShare)
    s->modeFlags &= ~VNTERUNIT_MF_LOW_ARMOUR_SAID;
}
