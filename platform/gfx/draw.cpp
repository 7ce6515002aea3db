// Drawing pre-transformed vertices straight from the caller's memory.
#include <cstddef>

#include "platform/gfx/internal.h"
#include "platform/trace.h"

namespace {

bool PrimitiveMode(PLAT_GfxPrimitive prim, GLenum* mode) {
  switch (prim) {
    case PLAT_GfxPrimitive::PointList: *mode = GL_POINTS; return true;
    case PLAT_GfxPrimitive::LineList: *mode = GL_LINES; return true;
    case PLAT_GfxPrimitive::LineStrip: *mode = GL_LINE_STRIP; return true;
    case PLAT_GfxPrimitive::TriangleList: *mode = GL_TRIANGLES; return true;
    case PLAT_GfxPrimitive::TriangleStrip: *mode = GL_TRIANGLE_STRIP; return true;
    case PLAT_GfxPrimitive::TriangleFan: *mode = GL_TRIANGLE_FAN; return true;
  }
  return false;
}

GLint Filter(uint32_t min, uint32_t mip, bool chain) {
  bool linear = min == PLAT_GFX_TEXF_LINEAR;
  if (!chain || mip == PLAT_GFX_TEXF_NONE) return linear ? GL_LINEAR : GL_NEAREST;
  if (mip == PLAT_GFX_TEXF_LINEAR)
    return linear ? GL_LINEAR_MIPMAP_LINEAR : GL_NEAREST_MIPMAP_LINEAR;
  return linear ? GL_LINEAR_MIPMAP_NEAREST : GL_NEAREST_MIPMAP_NEAREST;
}

GLint Address(uint32_t a) {
  if (a == PLAT_GFX_ADDRESS_CLAMP) return GL_CLAMP_TO_EDGE;
  if (a == PLAT_GFX_ADDRESS_MIRROR) return GL_MIRRORED_REPEAT;
  return GL_REPEAT;
}

void BindStage0(PLAT_GfxDevice* dev) {
  PLAT_GfxTexture* tex = dev->bound[0];
  bool use = tex && !tex->lost && PLATG_UploadTexture(tex);
  glActiveTexture(GL_TEXTURE0);
  glBindTexture(GL_TEXTURE_2D, use ? tex->gl : 0);
  glUniform1i(dev->prog.uUseTex, use ? 1 : 0);
  if (!use) return;
  const uint32_t* s = dev->stage[0];
  auto at = [&](PLAT_GfxStageState st) { return s[static_cast<int>(st)]; };
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER,
                  Filter(at(PLAT_GfxStageState::MinFilter), at(PLAT_GfxStageState::MipFilter),
                         tex->levels > 1));
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER,
                  at(PLAT_GfxStageState::MagFilter) == PLAT_GFX_TEXF_LINEAR ? GL_LINEAR
                                                                            : GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, Address(at(PLAT_GfxStageState::AddressU)));
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, Address(at(PLAT_GfxStageState::AddressV)));
}

bool Prepare(PLAT_GfxDevice* dev, const PLAT_GfxVertex* vertices) {
  PLATG_BindBack(dev);
  PLATG_ApplyStates(dev);
  BindStage0(dev);
  const PLATG_Program& p = dev->prog;
  glBindBuffer(GL_ARRAY_BUFFER, 0);
  const auto* base = reinterpret_cast<const uint8_t*>(vertices);
  constexpr GLsizei stride = sizeof(PLAT_GfxVertex);
  glEnableVertexAttribArray(p.aPos);
  glVertexAttribPointer(p.aPos, 4, GL_FLOAT, GL_FALSE, stride,
                        base + offsetof(PLAT_GfxVertex, x));
  // ARGB words lie in memory as B, G, R, A; the shader swaps them back.
  if (p.aDiffuse >= 0) {
    glEnableVertexAttribArray(p.aDiffuse);
    glVertexAttribPointer(p.aDiffuse, 4, GL_UNSIGNED_BYTE, GL_TRUE, stride,
                          base + offsetof(PLAT_GfxVertex, diffuse));
  }
  if (p.aSpecular >= 0) {
    glEnableVertexAttribArray(p.aSpecular);
    glVertexAttribPointer(p.aSpecular, 4, GL_UNSIGNED_BYTE, GL_TRUE, stride,
                          base + offsetof(PLAT_GfxVertex, specular));
  }
  if (p.aUV >= 0) {
    glEnableVertexAttribArray(p.aUV);
    glVertexAttribPointer(p.aUV, 2, GL_FLOAT, GL_FALSE, stride,
                          base + offsetof(PLAT_GfxVertex, u));
  }
  return true;
}

}  // namespace

PLAT_GfxResult PLAT_GfxDraw(PLAT_GfxDevice* dev, PLAT_GfxPrimitive prim,
                            const PLAT_GfxVertex* vertices, int count) {
  GLenum mode;
  if (!dev || count < 0 || (count > 0 && !vertices) || !PrimitiveMode(prim, &mode)) {
    PLAT_Trace("PLATGFX: PLAT_GfxDraw() - bad arguments\n");
    return PLAT_GfxResult::BadArgument;
  }
  if (dev->buffers[dev->back].lost) return PLAT_GfxResult::SurfaceLost;
  if (count == 0 || dev->isNull) return PLAT_GfxResult::Ok;
  Prepare(dev, vertices);
  glDrawArrays(mode, 0, count);
  return PLAT_GfxResult::Ok;
}

PLAT_GfxResult PLAT_GfxDrawIndexed(PLAT_GfxDevice* dev, PLAT_GfxPrimitive prim,
                                   const PLAT_GfxVertex* vertices, int vertexCount,
                                   const uint16_t* indices, int indexCount) {
  GLenum mode;
  if (!dev || vertexCount < 0 || indexCount < 0 || (vertexCount > 0 && !vertices) ||
      (indexCount > 0 && !indices) || !PrimitiveMode(prim, &mode)) {
    PLAT_Trace("PLATGFX: PLAT_GfxDrawIndexed() - bad arguments\n");
    return PLAT_GfxResult::BadArgument;
  }
  // An index past the vertices would make GL read outside the caller's array. The largest
  // index is found in a loop without an early exit, which optimised builds vectorise: every
  // index drawn passes here.
  uint16_t largest = 0;
  for (int i = 0; i < indexCount; ++i) largest = indices[i] > largest ? indices[i] : largest;
  if (indexCount > 0 && largest >= vertexCount) {
    PLAT_Trace("PLATGFX: PLAT_GfxDrawIndexed() - index %u past %d vertices\n", largest,
               vertexCount);
    return PLAT_GfxResult::BadArgument;
  }
  if (dev->buffers[dev->back].lost) return PLAT_GfxResult::SurfaceLost;
  if (indexCount == 0 || dev->isNull) return PLAT_GfxResult::Ok;
  Prepare(dev, vertices);
  glDrawElements(mode, indexCount, GL_UNSIGNED_SHORT, indices);
  return PLAT_GfxResult::Ok;
}
