// The ray against one dynamic object's level 0 meshes.
#include "engine/collide/collide.h"
#include "engine/collide/internal.h"
#include "engine/dobject/dobject.h"
#include "engine/object/object.h"

SPW_DOBJECT* SPW_CollideDynamicObject(SPW_DOBJECT* object, const SPW_VECTOR* start,
                                      const SPW_VECTOR* direction, float* best, SPW_VECTOR* outHit,
                                      tag_spw_dobjnode** outNode) {
  if (!object || !start || !direction || !best) return nullptr;
  const SPW_DOBJTYPE* type = SPW_GetObjectType(object->nType);
  if (!type || !type->pLods || !type->dwNumLods || !object->pNodes) return nullptr;
  const SPW_RAY ray = SPW_MakeRay(start, direction);
  const SPW_VECTOR centre{object->t.vPos.x + object->vCentre.x, object->t.vPos.y + object->vCentre.y,
                          object->t.vPos.z + object->vCentre.z};
  if (!SPW_RayMeetsSphere(ray, centre, object->fRadius)) return nullptr;
  const SPW_DOBJLOD& lod = type->pLods[0];
  bool found = false;
  // Node 0 is the root and carries no mesh of its own.
  for (uint32_t n = 1; n < lod.dwNumNodes; ++n) {
    SPW_DOBJNODE& node = lod.pNodes[n];
    if (!node.dwNumFaces || !node.pFaceSet || !node.pVertexSet) continue;
    SPW_MATRIX world;
    float scale = 1.0f;
    if (!SPW_GetNodeWorldTransform(object, static_cast<int32_t>(n), &world, &scale)) continue;
    for (uint32_t f = 0; f < node.dwNumFaces; ++f) {
      const SPW_DOBJFACE& face = node.pFaceSet[f];
      SPW_VECTOR v[SPW_MAX_FACE_VERTICES];
      const uint32_t count = node.dwVertsPerFace < SPW_MAX_FACE_VERTICES ? node.dwVertsPerFace
                                                                           : SPW_MAX_FACE_VERTICES;
      for (uint32_t k = 0; k < count; ++k) {
        const SPW_VECTOR& p = node.pVertexSet[face.adwIndex[k]].vPos;
        const SPW_VECTOR scaled{p.x * scale, p.y * scale, p.z * scale};
        SPW_MatTransformPoint(&world, &scaled, &v[k]);
      }
      for (uint32_t k = 2; k < count; ++k) {
        float t;
        if (!SPW_RayTriangle(ray.s, ray.d, v[0], v[k - 1], v[k], &t) || t * t >= *best) continue;
        *best = t * t;
        if (outHit) *outHit = {ray.s.x + ray.d.x * t, ray.s.y + ray.d.y * t, ray.s.z + ray.d.z * t};
        if (outNode) *outNode = &node;
        found = true;
      }
    }
  }
  return found ? object : nullptr;
}
