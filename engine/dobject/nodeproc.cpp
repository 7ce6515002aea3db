// The default node procedure: a node's transform from the keys of its animations.
#include <algorithm>

#include "engine/dobject/internal.h"
#include "engine/packed/packed.h"

namespace {

// One channel's keys in either form.
struct Keys {
  const SPW_ANIMCHANNEL* ch;
  const SPW_POSITIONENTRY* pos = nullptr;
  const SPW_ROTATIONENTRY* rot = nullptr;
  uint32_t numPos = 0, numRot = 0;
  bool packed = false;

  // False for a packed key whose table entries are missing.
  bool Valid(uint32_t i) const {
    if (!packed) return true;
    const SPW_PACKEDKEY k = ch->pPackedKeys[i];
    return SPW_PackedKeyPosition(k) < numPos && SPW_PackedKeyRotation(k) < numRot;
  }
  float Time(uint32_t i) const {
    return packed ? rot[SPW_PackedKeyRotation(ch->pPackedKeys[i])].fTime : ch->pPowKeys[i].fTime;
  }
  float InvSpan(uint32_t i) const {
    return packed ? rot[SPW_PackedKeyRotation(ch->pPackedKeys[i])].fInvSpan
                  : ch->pPowKeys[i].fInvSpan;
  }
  SPW_VECTOR Pos(uint32_t i) const {
    return packed ? pos[SPW_PackedKeyPosition(ch->pPackedKeys[i])].vPos : ch->pPowKeys[i].vPos;
  }
  SPW_QUAT Rot(uint32_t i) const {
    return packed ? rot[SPW_PackedKeyRotation(ch->pPackedKeys[i])].qRot : ch->pPowKeys[i].qRot;
  }
};

// Writes the channel's pose at the slot's time; false when the channel gives none.
bool EvalChannel(const SPW_DOBJTYPE* type, const SPW_ANIMSLOT& slot, int32_t nodeId,
                 uint32_t& cursor, SPW_TRANSFORM* out) {
  const SPW_ANIMATION* anim = slot.ppAnims ? slot.ppAnims[0] : nullptr;
  // Channels exist for LOD 0's nodes only; an id beyond them has none.
  if (!anim || !anim->pChannels || nodeId < 0 || static_cast<uint32_t>(nodeId) >= type->dwNumNodes)
    return false;
  Keys keys{&anim->pChannels[nodeId]};
  const uint32_t k = keys.ch->dwNumKeys;
  if (k == 0 || !keys.ch->pKeys) return false;
  if (type->pPacked) {
    keys.packed = true;
    keys.pos = SPW_GetPositionTable(&keys.numPos);
    keys.rot = SPW_GetRotationTable(&keys.numRot);
  }
  const float t = slot.fTime;
  if (cursor >= k) cursor = 0;
  if (!keys.Valid(cursor)) return false;
  if (t < keys.Time(cursor)) cursor = 0;
  uint32_t use = 0;
  bool asIs = true;
  if (k >= 2) {
    if (!keys.Valid(k - 1)) return false;
    if (t >= keys.Time(k - 1)) {
      cursor = k - 1;
      use = cursor;
    } else {
      while (cursor + 1 < k && keys.Valid(cursor + 1) && t >= keys.Time(cursor + 1)) ++cursor;
      if (!keys.Valid(cursor) || !keys.Valid(cursor + 1)) return false;
      use = cursor;
      asIs = false;
    }
  }
  SPW_VECTOR p;
  if (asIs) {
    p = keys.Pos(use);
    out->qRot = keys.Rot(use);
  } else {
    const float u = std::clamp((t - keys.Time(use)) * keys.InvSpan(use), 0.0f, 1.0f);
    const SPW_VECTOR a = keys.Pos(use), b = keys.Pos(use + 1);
    p = {a.x + (b.x - a.x) * u, a.y + (b.y - a.y) * u, a.z + (b.z - a.z) * u};
    SPW_QUAT qa = keys.Rot(use), qb = keys.Rot(use + 1);
    SPW_QuatLerp(&qa, &qb, &out->qRot, u);
  }
  const float s = type->fKeyPosScale;
  out->vPos = {p.x * s, p.y * s, p.z * s};
  out->fScale = 1.0f;
  return true;
}

}  // namespace

int32_t SPW_DefaultNodeProc(SPW_DOBJECT* o, SPW_NODEINST* node, const SPW_TRANSFORM* offset,
                            const SPW_TRANSFORM* source) {
  const SPW_DOBJTYPE* type = SPW_DObjectType(o);
  if (!type || !node || !o->pNodes) return 0;
  const uint32_t index = static_cast<uint32_t>(node - o->pNodes);
  if (type->dwNumLods && index < type->pLods[0].dwNumNodes &&
      (type->pLods[0].pNodes[index].dwKind & SPW_NODEKIND_NOT_ANIMATED))
    return 1;
  if (source) {
    node->t = *source;
    return 1;
  }
  const uint32_t count = SPW_DObjectAnimCount(o);
  int32_t done = -1;
  const int32_t channels[2] = {node->nPrimary, node->nOverride};
  uint32_t* cursors[2] = {&node->dwPrimaryCursor, &node->dwOverrideCursor};
  for (int c = 0; c < 2; ++c) {
    const int32_t a = channels[c];
    if (a < 0 || a == done || static_cast<uint32_t>(a) >= count) continue;
    const SPW_ANIMSLOT& slot = o->pSlots[a];
    if (!(slot.fFlags & SPW_ANIM_PLAYING)) continue;
    EvalChannel(type, slot, node->nId, *cursors[c], &node->t);
    done = a;
  }
  if (offset) {
    node->t.vPos.x += offset->vPos.x;
    node->t.vPos.y += offset->vPos.y;
    node->t.vPos.z += offset->vPos.z;
    SPW_QuatMultiply(&offset->qRot, &node->t.qRot, &node->t.qRot);
    node->t.fScale *= offset->fScale;
  }
  return 1;
}
