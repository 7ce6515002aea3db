// The shadow service: its texture slots, the light, the records and the per-frame rebuild.
#include "world/shadow/shadow.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "engine/dobject/dobject.h"
#include "engine/driver/sppd.h"
#include "engine/vdisplay/vdisplay.h"
#include "platform/trace.h"
#include "world/shadow/internal.h"

VNSHADOW_SERVICE vnShadow_Service{};

namespace {

constexpr SPW_VECTOR kOverhead = {0.0f, 0.0f, 1.0f};

VNSHADOW_SERVICE& S() { return vnShadow_Service; }

// Nothing can be listed before the first set-up.
bool Ready() { return S().active.pNext != nullptr; }

bool ValidSlot(int32_t slot) { return slot >= 0 && slot < VNSHADOW_NUM_TEXTURES; }

void ClearSlot(VNSHADOW_TEXTURE& t) {
  t.nSlot = -1;
  t.szName[0] = '\0';
  t.nTexture = 0;
}

// The height band and the distance band each divide the fade; an empty band divides by 1 and
// fades as a step instead (see the quad's weights).
float FadeFactor(const VNSHADOW& s) {
  const float height = (s.fFlags & VNSHADOW_FADE_HEIGHT) && vnShadow_HasHeightBand(s)
                           ? s.fMaxHeight - s.fMinHeight
                           : 1.0f;
  const float distance = (s.fFlags & VNSHADOW_FADE_DISTANCE) && vnShadow_HasDistanceBand(s)
                             ? s.fOuterRadius * s.fOuterRadius - s.fInnerRadius * s.fInnerRadius
                             : 1.0f;
  return 1.0f / (height * distance);
}

VNSHADOW* TakeRecord() {
  if (VNSHADOW* shadow = SGE_ListRecord<VNSHADOW>(SGE_ListPopHead(&S().free))) return shadow;
  if (!S().pBlock) return nullptr;
  return static_cast<VNSHADOW*>(SGE_MemCalloc(S().pBlock, sizeof(VNSHADOW)));
}

}  // namespace

void vnShadow_Init(SGE_MEMBLOCK* block, SPW_SCENE* scene, SPW_DISPLAY* display,
                   const SPW_VECTOR* lightDirection, float lightHeight, float minHeight,
                   float maxHeight, float innerRadius, float outerRadius) {
  for (VNSHADOW_TEXTURE& t : S().aTextures) ClearSlot(t);
  S().fLightHeight = lightHeight;
  S().fMinHeight = minHeight;
  S().fMaxHeight = maxHeight;
  S().fInnerRadius = innerRadius;
  S().fOuterRadius = outerRadius;
  S().vLight = kOverhead;
  vnShadow_SetLightDirection(lightDirection);
  S().pScene = scene;
  S().pDisplay = display;
  S().pBlock = block;
  SGE_ListInit(&S().active);
  SGE_ListInit(&S().free);
}

void vnShadow_SetTexture(int32_t slot, const char* fileName) {
  if (!ValidSlot(slot) || !fileName) return;
  VNSHADOW_TEXTURE& t = S().aTextures[slot];
  t.nSlot = slot;
  std::snprintf(t.szName, sizeof t.szName, "%s", fileName);
  t.nTexture = 0;
  SPPD_DRIVERTABLE* drv = S().pDisplay ? SPW_GetDisplayDriver(S().pDisplay) : nullptr;
  if (!drv || !drv->SPPD_TextureGetID ||
      drv->SPPD_TextureGetID(S().pDisplay, t.szName, &t.nTexture, 1) != SPPD_OK) {
    PLAT_Trace("vnShadow_SetTexture: no texture for [%s]\n", t.szName);
    t.nTexture = 0;
  }
}

void vnShadow_ClearTexture(int32_t slot) {
  if (ValidSlot(slot)) ClearSlot(S().aTextures[slot]);
}

int32_t vnShadow_HasTexture(int32_t slot) {
  return ValidSlot(slot) && S().aTextures[slot].nSlot != -1 ? 1 : 0;
}

void vnShadow_SetLightDirection(const SPW_VECTOR* direction) {
  if (!direction) return;
  SPW_VECTOR d = *direction;
  if (!(SPW_VecNormalise(&d) > 0.0f)) {
    PLAT_Trace("vnShadow_SetLightDirection: a zero direction is ignored\n");
    return;
  }
  S().vLight = d;
}

VNSHADOW* vnShadow_Add(int32_t slot, SPW_DOBJECT* object, uint32_t flags, float size,
                       float offset, float minHeight, float maxHeight, float innerRadius,
                       float outerRadius, const VNSHADOW_ROTATION* rotation) {
  if (!Ready()) return nullptr;
  VNSHADOW* s = TakeRecord();
  if (!s) {
    PLAT_Trace("vnShadow_Add: no memory for a shadow\n");
    return nullptr;
  }
  std::memset(static_cast<void*>(s), 0, sizeof *s);
  s->pObject = object;
  s->nTexture = slot;
  s->fFlags = flags & ~VNSHADOW_BUILT;
  s->fSize = size;
  s->fOffset = offset;
  s->fMinHeight = (flags & VNSHADOW_DEFAULT_MIN) ? S().fMinHeight : minHeight;
  s->fMaxHeight = (flags & VNSHADOW_DEFAULT_MAX) ? S().fMaxHeight : maxHeight;
  s->fInnerRadius = (flags & VNSHADOW_DEFAULT_INNER) ? S().fInnerRadius : innerRadius;
  s->fOuterRadius = (flags & VNSHADOW_DEFAULT_OUTER) ? S().fOuterRadius : outerRadius;
  s->fFade = FadeFactor(*s);
  s->rotation = rotation ? *rotation : VNSHADOW_NO_ROTATION;
  SGE_ListInit(&s->link);
  SGE_ListAddTail(&S().active, &s->link);
  return s;
}

void vnShadow_Remove(VNSHADOW* shadow) {
  // A record already given back has no object; removing it twice must not list it twice.
  if (!shadow || (!shadow->pObject && shadow->nTexture == -1)) return;
  vnShadow_ReleaseQuad(shadow);
  SGE_ListUnlink(&shadow->link);
  std::memset(static_cast<void*>(shadow), 0, sizeof *shadow);
  shadow->nTexture = -1;
  SGE_ListInit(&shadow->link);
  SGE_ListAddTail(&S().free, &shadow->link);
}

VNSHADOW* vnShadow_Find(const SPW_DOBJECT* object) {
  if (!object || !Ready()) return nullptr;
  for (VNSHADOW* s : SGE_ListRecords<VNSHADOW>(&S().active)) {
    if (s->pObject == object) return s;
  }
  return nullptr;
}

void vnShadow_SetFacing(VNSHADOW* shadow, const SPW_VECTOR* direction) {
  if (!shadow || !direction) return;
  float dx = direction->x, dy = direction->y;
  if (direction->z != 0.0f) {
    const float length = std::sqrt(dx * dx + dy * dy);
    if (!(length > 0.0f)) return;
    dx /= length;
    dy /= length;
  }
  const VNSHADOW_GROUNDLIGHT l = vnShadow_GroundLight(S().vLight);
  shadow->rotation.fCos = l.y * dx - l.x * dy;
  shadow->rotation.fSin = -(l.x * dx) - l.y * dy;
}

void vnShadow_Shutdown() {
  if (Ready())
    while (VNSHADOW* shadow = SGE_ListFirstRecord<VNSHADOW>(&S().active)) vnShadow_Remove(shadow);
  for (VNSHADOW_TEXTURE& t : S().aTextures) ClearSlot(t);
}

void vnShadow_Update(const SPW_VECTOR* camera) {
  if (!camera || !Ready()) return;
  const VNSHADOW_GROUNDLIGHT light = vnShadow_GroundLight(S().vLight);
  for (VNSHADOW* s : SGE_ListRecords<VNSHADOW>(&S().active)) {
    if ((s->fFlags & VNSHADOW_STATIC) && (s->fFlags & VNSHADOW_BUILT)) continue;
    vnShadow_ReleaseQuad(s);
    const bool shown = s->pObject && ((s->pObject->fFlags & SPW_DOBJ_IN_VIEW) ||
                                      (s->fFlags & VNSHADOW_ALWAYS));
    if (shown) s->pTess = vnShadow_BuildQuad(s, light, *camera);
    s->fFlags |= VNSHADOW_BUILT;
  }
}

int32_t vnShadow_Draw(SPW_DISPLAYNODE* node, SPPD_VIEWPORT*, SGE_DATAREF*) {
  const SPW_VDISPLAY* view = SPW_GetVDisplay(node);
  if (!view) return -1;
  const SPW_VECTOR camera = {view->mCamera.m[3][0], view->mCamera.m[3][1], view->mCamera.m[3][2]};
  vnShadow_Update(&camera);
  return 1;
}
