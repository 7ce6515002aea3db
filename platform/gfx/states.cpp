// Render and texture stage states: kept in tables, pushed to GL before the next draw.
#include "platform/gfx/internal.h"
#include "platform/trace.h"

namespace {

using S = PLAT_GfxState;
using T = PLAT_GfxStageState;

uint32_t& St(PLAT_GfxDevice* dev, S s) { return dev->states[static_cast<int>(s)]; }
uint32_t& Tss(PLAT_GfxDevice* dev, int stage, T s) {
  return dev->stage[stage][static_cast<int>(s)];
}

GLenum CompareFunc(uint32_t f) {
  static const GLenum map[] = {GL_ALWAYS, GL_NEVER,   GL_LESS,     GL_EQUAL, GL_LEQUAL,
                               GL_GREATER, GL_NOTEQUAL, GL_GEQUAL, GL_ALWAYS};
  return f < 9 ? map[f] : GL_ALWAYS;
}

GLenum BlendFactor(uint32_t b) {
  static const GLenum map[] = {GL_ONE,       GL_ZERO,          GL_ONE,
                               GL_SRC_COLOR, GL_ONE_MINUS_SRC_COLOR, GL_SRC_ALPHA,
                               GL_ONE_MINUS_SRC_ALPHA, GL_DST_ALPHA, GL_ONE_MINUS_DST_ALPHA,
                               GL_DST_COLOR, GL_ONE_MINUS_DST_COLOR, GL_SRC_ALPHA_SATURATE};
  return b < 12 ? map[b] : GL_ONE;
}

// The range of values each state takes; anything else is refused.
bool Valid(S s, uint32_t v) {
  switch (s) {
    case S::FillMode: return v >= 1 && v <= 3;
    case S::ShadeMode: return v >= 1 && v <= 3;  // 3 (Phong) draws as Gouraud
    case S::CullMode: return v >= 1 && v <= 3;
    case S::ZFunc:
    case S::AlphaFunc: return v >= 1 && v <= 8;
    case S::ZBias: return v <= 16;
    case S::SrcBlend:
    case S::DestBlend: return v >= 1 && v <= 13;
    case S::AlphaRef: return v <= 255;
    case S::FogTableMode: return v <= 3;
    default: return true;
  }
}

bool ValidStage(T s, uint32_t v) {
  switch (s) {
    case T::ColorOp:
    case T::AlphaOp: return v >= 1 && v <= 13;
    case T::ColorArg1:
    case T::ColorArg2:
    case T::AlphaArg1:
    case T::AlphaArg2: return (v & 0xF) <= 4;
    case T::AddressU:
    case T::AddressV: return v >= 1 && v <= 3;
    case T::MinFilter:
    case T::MagFilter:
    case T::MipFilter: return v >= 1 && v <= 3;
    default: return false;
  }
}

}  // namespace

void PLATG_ResetStates(PLAT_GfxDevice* dev) {
  for (auto& v : dev->states) v = 0;
  St(dev, S::FillMode) = PLAT_GFX_FILL_SOLID;
  St(dev, S::ShadeMode) = PLAT_GFX_SHADE_GOURAUD;
  St(dev, S::CullMode) = PLAT_GFX_CULL_CCW;
  St(dev, S::ZEnable) = dev->depth ? 1 : 0;
  St(dev, S::ZWriteEnable) = 1;
  St(dev, S::ZFunc) = PLAT_GFX_CMP_LESSEQUAL;
  St(dev, S::SrcBlend) = PLAT_GFX_BLEND_ONE;
  St(dev, S::DestBlend) = PLAT_GFX_BLEND_ZERO;
  St(dev, S::AlphaFunc) = PLAT_GFX_CMP_ALWAYS;
  St(dev, S::FogEnd) = PLAT_FloatBits(1.0f);
  St(dev, S::FogDensity) = PLAT_FloatBits(1.0f);
  St(dev, S::Lighting) = 1;
  St(dev, S::TextureFactor) = 0xFFFFFFFF;
  for (int i = 0; i < PLAT_GFX_MAX_STAGES; ++i) {
    Tss(dev, i, T::ColorOp) = i == 0 ? PLAT_GFX_TOP_MODULATE : PLAT_GFX_TOP_DISABLE;
    Tss(dev, i, T::ColorArg1) = PLAT_GFX_TA_TEXTURE;
    Tss(dev, i, T::ColorArg2) = PLAT_GFX_TA_CURRENT;
    Tss(dev, i, T::AlphaOp) = i == 0 ? PLAT_GFX_TOP_SELECTARG1 : PLAT_GFX_TOP_DISABLE;
    Tss(dev, i, T::AlphaArg1) = PLAT_GFX_TA_TEXTURE;
    Tss(dev, i, T::AlphaArg2) = PLAT_GFX_TA_CURRENT;
    Tss(dev, i, T::AddressU) = PLAT_GFX_ADDRESS_WRAP;
    Tss(dev, i, T::AddressV) = PLAT_GFX_ADDRESS_WRAP;
    Tss(dev, i, T::MinFilter) = PLAT_GFX_TEXF_POINT;
    Tss(dev, i, T::MagFilter) = PLAT_GFX_TEXF_POINT;
    Tss(dev, i, T::MipFilter) = PLAT_GFX_TEXF_NONE;
  }
  dev->stateDirty = true;
}

PLAT_GfxResult PLAT_GfxSetState(PLAT_GfxDevice* dev, PLAT_GfxState state, uint32_t value) {
  if (!dev || static_cast<uint32_t>(state) >= static_cast<uint32_t>(S::Count) ||
      !Valid(state, value)) {
    PLAT_Trace("PLATGFX: PLAT_GfxSetState() - state %u cannot take %u\n",
               static_cast<unsigned>(state), value);
    return PLAT_GfxResult::BadArgument;
  }
  St(dev, state) = value;
  dev->stateDirty = true;
  return PLAT_GfxResult::Ok;
}

uint32_t PLAT_GfxGetState(const PLAT_GfxDevice* dev, PLAT_GfxState state) {
  if (!dev || static_cast<uint32_t>(state) >= static_cast<uint32_t>(S::Count)) return 0;
  return dev->states[static_cast<int>(state)];
}

PLAT_GfxResult PLAT_GfxSetStageState(PLAT_GfxDevice* dev, int stage, PLAT_GfxStageState state,
                                     uint32_t value) {
  if (!dev || stage < 0 || stage >= PLAT_GFX_MAX_STAGES ||
      static_cast<uint32_t>(state) >= static_cast<uint32_t>(T::Count) ||
      !ValidStage(state, value)) {
    PLAT_Trace("PLATGFX: PLAT_GfxSetStageState() - stage %d state %u cannot take %u\n", stage,
               static_cast<unsigned>(state), value);
    return PLAT_GfxResult::BadArgument;
  }
  Tss(dev, stage, state) = value;
  dev->stateDirty = true;
  return PLAT_GfxResult::Ok;
}

uint32_t PLAT_GfxGetStageState(const PLAT_GfxDevice* dev, int stage, PLAT_GfxStageState state) {
  if (!dev || stage < 0 || stage >= PLAT_GFX_MAX_STAGES ||
      static_cast<uint32_t>(state) >= static_cast<uint32_t>(T::Count))
    return 0;
  return dev->stage[stage][static_cast<int>(state)];
}

void PLATG_ApplyStates(PLAT_GfxDevice* dev) {
  if (!dev->stateDirty) return;
  const PLATG_Program& p = dev->prog;
  glUseProgram(p.program);
  glUniform2f(p.uTarget, static_cast<float>(dev->width), static_cast<float>(dev->height));

  static const GLenum fill[] = {GL_FILL, GL_POINT, GL_LINE, GL_FILL};
  glPolygonMode(GL_FRONT_AND_BACK, fill[St(dev, S::FillMode) & 3]);
  glShadeModel(St(dev, S::ShadeMode) == PLAT_GFX_SHADE_FLAT ? GL_FLAT : GL_SMOOTH);
  // The vertices' y-down space reaches GL's window flipped, so on-screen winding is kept:
  // clockwise on screen is GL's back face under counter-clockwise front faces.
  uint32_t cull = St(dev, S::CullMode);
  if (cull == PLAT_GFX_CULL_NONE) {
    glDisable(GL_CULL_FACE);
  } else {
    glEnable(GL_CULL_FACE);
    glFrontFace(GL_CCW);
    glCullFace(cull == PLAT_GFX_CULL_CW ? GL_BACK : GL_FRONT);
  }

  if (dev->depth && St(dev, S::ZEnable)) {
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(CompareFunc(St(dev, S::ZFunc)));
    glDepthMask(St(dev, S::ZWriteEnable) ? GL_TRUE : GL_FALSE);
  } else {
    glDisable(GL_DEPTH_TEST);
  }
  uint32_t bias = St(dev, S::ZBias);
  if (bias) {
    glEnable(GL_POLYGON_OFFSET_FILL);
    glEnable(GL_POLYGON_OFFSET_LINE);
    glPolygonOffset(0.0f, -static_cast<float>(bias));
  } else {
    glDisable(GL_POLYGON_OFFSET_FILL);
    glDisable(GL_POLYGON_OFFSET_LINE);
  }

  if (St(dev, S::AlphaBlendEnable)) {
    glEnable(GL_BLEND);
    uint32_t src = St(dev, S::SrcBlend), dst = St(dev, S::DestBlend);
    if (src == 12 || src == 13) {  // both-alpha factors set the destination too
      dst = src == 12 ? PLAT_GFX_BLEND_INVSRCALPHA : PLAT_GFX_BLEND_SRCALPHA;
      src = src == 12 ? PLAT_GFX_BLEND_SRCALPHA : PLAT_GFX_BLEND_INVSRCALPHA;
    }
    glBlendFunc(BlendFactor(src), BlendFactor(dst));
  } else {
    glDisable(GL_BLEND);
  }
  if (St(dev, S::DitherEnable)) glEnable(GL_DITHER);
  else glDisable(GL_DITHER);
  glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
  glDisable(GL_SCISSOR_TEST);

  glUniform1i(p.uColorOp, static_cast<GLint>(Tss(dev, 0, T::ColorOp)));
  glUniform1i(p.uColorArg1, static_cast<GLint>(Tss(dev, 0, T::ColorArg1) & 0xF));
  glUniform1i(p.uColorArg2, static_cast<GLint>(Tss(dev, 0, T::ColorArg2) & 0xF));
  glUniform1i(p.uAlphaOp, static_cast<GLint>(Tss(dev, 0, T::AlphaOp)));
  glUniform1i(p.uAlphaArg1, static_cast<GLint>(Tss(dev, 0, T::AlphaArg1) & 0xF));
  glUniform1i(p.uAlphaArg2, static_cast<GLint>(Tss(dev, 0, T::AlphaArg2) & 0xF));
  uint32_t tf = St(dev, S::TextureFactor);
  glUniform4f(p.uTFactor, ((tf >> 16) & 0xFF) / 255.0f, ((tf >> 8) & 0xFF) / 255.0f,
              (tf & 0xFF) / 255.0f, (tf >> 24) / 255.0f);
  glUniform1i(p.uAlphaTest, St(dev, S::AlphaTestEnable) ? 1 : 0);
  glUniform1i(p.uAlphaFunc, static_cast<GLint>(St(dev, S::AlphaFunc)));
  glUniform1i(p.uAlphaRef, static_cast<GLint>(St(dev, S::AlphaRef)));
  glUniform1i(p.uFog, St(dev, S::FogEnable) ? 1 : 0);
  uint32_t fc = St(dev, S::FogColor);
  glUniform3f(p.uFogColor, ((fc >> 16) & 0xFF) / 255.0f, ((fc >> 8) & 0xFF) / 255.0f,
              (fc & 0xFF) / 255.0f);
  glUniform1i(p.uSpecular, St(dev, S::SpecularEnable) ? 1 : 0);
  dev->stateDirty = false;
}
