// Writes an attribute row for every unit type, by kind, and a modifier matrix over a few damage
// and target classes.
#include "tools/mkcontent/units.h"

#include <map>
#include <string_view>

#include "platform/trace.h"
#include "terran/infantry.h"
#include "tools/writers/unitattr_writer.h"
#include "world/unittype/unittype.h"

namespace {

// Unit flag bits the unit manager acts on.
constexpr uint32_t kWeapon = 0x8;
constexpr uint32_t kItem = 0x40;
constexpr uint32_t kProjectile = 0x80;
constexpr uint32_t kSoldier = 0x10000;
constexpr uint32_t kCreature = 0x20000;
constexpr uint32_t kMover = 0x80000;
constexpr uint32_t kFlight = 0x100000;
constexpr uint32_t kObserver = 0x200000;
constexpr uint32_t kObservable = 0x400000;
constexpr uint32_t kUpdate = 0x2000000;
constexpr uint32_t kPosition = 0x4000000;
constexpr uint32_t kFrameExtra = 0x8000000;
constexpr uint32_t kSelectable = 0x10000000;
// Bodies that walk on a mover: each frame they answer where the mover put them, then place and
// animate their model there.
constexpr uint32_t kBody = kPosition | kFrameExtra;

// Indices into VNWRITE_UNITATTR::floats (attribute value minus 11) and ::ints.
constexpr size_t kRank = 1;
constexpr size_t kArmour = 2, kHealth = 3, kRange = 4, kSpeed = 6, kImpulse = 7;
constexpr size_t kStunResistance = 9, kAccel = 10, kRadius = 11, kTurnRate = 13;
constexpr size_t kGateReach = 15, kArrival = 16, kLinkType = 17;

enum Kind { kAmmo, kBug, kFeature, kShot, kSuit, kTrooper, kCivilian, kGun, kGear, kVehicle, kCam };

Kind KindOf(int32_t t) {
  if (t <= 12 || t == 210) return kAmmo;
  if (t <= 28) return kBug;
  if (t <= 71) return kFeature;
  if (t <= 91) return kShot;
  if (t <= 109) return kSuit;
  if ((t >= 110 && t <= 115) || (t >= 139 && t <= 142)) return kCivilian;
  if (t <= 138 || t >= 211) return kTrooper;
  if (t == 195 || t == 196 || (t >= 203 && t <= 209)) return kGear;
  if (t <= 200) return kGun;
  return t == 201 ? kVehicle : kCam;
}

// Weapons and the ammunition each is supplied with.
const std::map<int32_t, int32_t> kAmmoOf = {
    {156, 7}, {157, 7}, {158, 1}, {159, 1}, {160, 2}, {161, 2}, {165, 0}, {166, 0},
    {167, 7}, {168, 7}, {169, 3}, {170, 4}, {171, 4}, {172, 5}, {173, 5}, {176, 8},
    {177, 8}, {178, 8}, {179, 8}, {185, 10}, {186, 11}, {187, 11}, {188, 9}, {189, 9},
    {190, 7}, {191, 7}, {192, 210}, {197, 12}};
// Creatures and their natural weapons.
const std::map<int32_t, std::vector<int32_t>> kBugWeapons = {
    {15, {144}}, {17, {152}}, {19, {145}}, {20, {163}}, {21, {153}}, {22, {146, 150}},
    {23, {147, 149}}, {24, {155}}, {25, {193}}, {26, {148}}};
// Soldiers' default weapons.
const std::map<int32_t, int32_t> kSoldierWeapon = {
    {92, 176}, {93, 176}, {94, 188}, {95, 188}, {96, 188}, {97, 188}, {98, 156}, {99, 156},
    {100, 190}, {101, 190}, {102, 190}, {103, 190}, {104, 156}, {105, 156}, {106, 165},
    {107, 165}, {108, 167}, {109, 167}, {118, 190}, {119, 190}, {120, 167}, {121, 167},
    {122, 190}, {123, 167}, {128, 190}, {129, 190}, {130, 190}, {131, 190}, {132, 190},
    {133, 190}, {134, 190},
    {124, 192}, {125, 192}, {126, 167}, {127, 167}, {211, 190}, {212, 190}, {213, 190}};

void Body(VNWRITE_UNITATTR& r, float health, float armour, float range, float radius) {
  r.floats[kHealth] = health;
  r.floats[kArmour] = armour;
  r.floats[kRange] = range;
  r.floats[kRadius] = radius;
}

void Mover(VNWRITE_UNITATTR& r, float speedKmh) {
  r.floats[kSpeed] = speedKmh;
  r.floats[kStunResistance] = 1.0f;
  r.floats[kAccel] = 8.0f;  // up to a run in about half a second
  r.floats[kLinkType] = 1.0f;
  // A full turn a second; gates nearer than a stride are passed by; a stop within a metre of
  // the goal counts as there.
  r.floats[kTurnRate] = 6.2831855f;
  r.floats[kGateReach] = 2.0f;
  r.floats[kArrival] = 1.0f;
}

void Damage(VNWRITE_UNITATTR& r, float health, float armour, float range) {
  r.floats[kHealth] = health;
  r.floats[kArmour] = armour;
  r.floats[kRange] = range;
  r.floats[kSpeed] = 1.0f;  // damage divisor
  r.floats[kImpulse] = 0.5f;
}

VNWRITE_UNITATTR Row(int32_t t) {
  VNWRITE_UNITATTR r;
  r.type = t;
  const auto weapon = kSoldierWeapon.find(t);
  switch (KindOf(t)) {
    case kAmmo: r.flags = kItem; r.supply = 1.0f; break;
    case kBug:
      r.flags = kCreature | kMover | kObserver | kObservable | kUpdate | kBody |
                (t == 19 ? kFlight : 0);
      Body(r, 100.0f, 20.0f, 60.0f, 1.0f);
      Mover(r, 20.0f);
      if (auto w = kBugWeapons.find(t); w != kBugWeapons.end()) r.linked = w->second;
      break;
    case kFeature: r.flags = kObservable; Body(r, 200.0f, 50.0f, 0.0f, 2.0f); break;
    case kShot: r.flags = kProjectile | kUpdate; Damage(r, 30.0f, 10.0f, 10.0f); break;
    case kSuit:
    case kTrooper:
      r.flags = kSoldier | kMover | kObserver | kObservable | kUpdate | kBody | kSelectable;
      r.ints[kRank] = KindOf(t) == kSuit ? (t - 92) / 2 % 3 : 0;
      Body(r, KindOf(t) == kSuit ? 300.0f : 100.0f, KindOf(t) == kSuit ? 200.0f : 0.0f, 80.0f,
           KindOf(t) == kSuit ? 1.2f : 0.8f);
      Mover(r, KindOf(t) == kSuit ? 12.0f : 15.0f);
      if (weapon != kSoldierWeapon.end()) r.linked = {weapon->second};
      break;
    case kCivilian:
      r.flags = kMover | kObservable | kUpdate | kBody;
      Body(r, 50.0f, 0.0f, 40.0f, 0.8f);
      Mover(r, 10.0f);
      break;
    case kGun:
      r.flags = kWeapon;
      Damage(r, 20.0f, 10.0f, 50.0f);
      if (auto a = kAmmoOf.find(t); a != kAmmoOf.end()) r.linked = {a->second};
      break;
    case kGear: r.flags = kItem; r.supply = 1.0f; break;
    case kVehicle:
      r.flags = kMover | kObservable | kUpdate;
      Body(r, 500.0f, 300.0f, 0.0f, 4.0f);
      Mover(r, 30.0f);
      break;
    case kCam:
      r.flags = kMover | kFlight | kObserver | kUpdate;
      Body(r, 100.0f, 0.0f, 100.0f, 0.3f);
      Mover(r, 20.0f);
      break;
  }
  // Placed objects that act each frame: doors (36, 45), pop-up targets (42-44) and the twin guns
  // are updated; the transport's model follows its mover through its position.
  if (t == 36 || (t >= 42 && t <= 45) || t == 198 || t == 199) r.flags |= kUpdate;
  if (t == 201) r.flags |= kPosition;
  // The women of the infantry wear the "fe" models.
  const VNUNIT_TYPE* info = vnUNITMAN_GetTypeInfo(t);
  if (KindOf(t) == kTrooper && info && std::string_view(info->pszName).ends_with("_FEM"))
    r.flags |= VNINFANTRY_ROW_FEMALE;
  return r;
}

// Damage classes (matrix rows) and target classes (columns).
enum DamageRow { kBullet, kPlasma, kBlast, kFlame, kClaw, kAcid };
enum TargetCol { kArmoured, kPerson, kSmallBug, kBigBug, kStructure };

int32_t DamageRowOf(int32_t t) {
  if (t == 76 || t == 153 || t == 176 || t == 177 || t == 178 || t == 179) return kPlasma;
  if ((t >= 72 && t <= 75) || (t >= 80 && t <= 88) || t == 151 || t == 160 || t == 161 ||
      (t >= 169 && t <= 173) || t == 196 || t == 197) {
    return kBlast;
  }
  if (t == 79 || t == 158 || t == 159 || t == 193) return kFlame;
  if (t >= 144 && t <= 150) return kClaw;
  if (t == 77 || t == 78 || t == 152 || t == 154 || t == 155 || t == 163 || t == 164) return kAcid;
  const Kind k = KindOf(t);
  return k == kGun || k == kShot ? kBullet : -1;
}

int32_t TargetColOf(int32_t t) {
  switch (KindOf(t)) {
    case kSuit: return kArmoured;
    case kTrooper:
    case kCivilian: return kPerson;
    case kBug: return (t == 13 || t == 22 || t == 23 || t == 25) ? kBigBug : kSmallBug;
    case kFeature:
    case kVehicle: return kStructure;
    default: return -1;
  }
}

VNWRITE_WEAPONMODS Mods() {
  VNWRITE_WEAPONMODS m;
  for (auto& row : m.matrix) row.fill(1.0f);
  m.matrix[kBullet][kArmoured] = 0.5f;
  m.matrix[kBullet][kStructure] = 0.25f;
  m.matrix[kPlasma][kBigBug] = 1.5f;
  m.matrix[kBlast][kStructure] = 2.0f;
  m.matrix[kFlame][kSmallBug] = 1.5f;
  m.matrix[kFlame][kStructure] = 0.1f;
  m.matrix[kClaw][kArmoured] = 0.75f;
  m.matrix[kClaw][kPerson] = 1.25f;
  m.matrix[kAcid][kArmoured] = 1.25f;
  for (int32_t t = 0; t < VNWRITE_UNIT_TYPES; ++t) {
    m.rowOfType[static_cast<size_t>(t)] = DamageRowOf(t);
    m.colOfType[static_cast<size_t>(t)] = TargetColOf(t);
  }
  return m;
}

}  // namespace

bool vnMKCONTENT_Units(const std::string& root) {
  std::vector<VNWRITE_UNITATTR> rows;
  for (int32_t t = 0; t < VNWRITE_UNIT_TYPES; ++t) rows.push_back(Row(t));
  if (!vnWRITE_UnitAttrs(root, rows) || !vnWRITE_WeaponMods(root, Mods())) {
    PLAT_Trace("vnMKCONTENT_Units: the unit attribute files could not be written\n");
    return false;
  }
  return true;
}
