// The one GLSL program every draw uses: it places pre-transformed vertices with perspective,
// and does what fixed function cannot reproduce exactly: the texture stage's operations, the
// alpha test on whole alpha values, and fog taken from the specular alpha.
#include "platform/gfx/internal.h"
#include "platform/trace.h"

namespace {

// Vertices are in pixels with centres on whole numbers, y down; w = 1 / rhw restores the
// perspective for interpolation.
const char* kVertex = R"(#version 120
uniform vec2 uTarget;
attribute vec4 aPos;
attribute vec4 aDiffuse;
attribute vec4 aSpecular;
attribute vec2 aUV;
void main() {
  float w = aPos.w > 0.0 ? 1.0 / aPos.w : 1.0;
  vec3 ndc = vec3((aPos.x + 0.5) * 2.0 / uTarget.x - 1.0,
                  1.0 - (aPos.y + 0.5) * 2.0 / uTarget.y,
                  aPos.z * 2.0 - 1.0);
  gl_Position = vec4(ndc * w, w);
  gl_FrontColor = aDiffuse.zyxw;
  gl_FrontSecondaryColor = aSpecular.zyxw;
  gl_TexCoord[0] = vec4(aUV, 0.0, 1.0);
}
)";

// Operation and argument numbers are those of PLAT_GFX_TOP_ and PLAT_GFX_TA_.
const char* kFragment = R"(#version 120
uniform sampler2D uTex;
uniform int uUseTex;
uniform int uColorOp, uColorArg1, uColorArg2, uAlphaOp, uAlphaArg1, uAlphaArg2;
uniform vec4 uTFactor;
uniform int uAlphaTest, uAlphaFunc, uAlphaRef;
uniform int uFog;
uniform vec3 uFogColor;
uniform int uSpecular;

vec4 arg(int a, vec4 tex, vec4 diff, vec4 specular) {
  if (a == 2) return tex;
  if (a == 3) return uTFactor;
  if (a == 4) return specular;
  return diff;
}

vec4 op(int o, vec4 a1, vec4 a2, vec4 tex, vec4 diff) {
  if (o == 2) return a1;
  if (o == 3) return a2;
  if (o == 4) return a1 * a2;
  if (o == 5) return clamp(2.0 * a1 * a2, 0.0, 1.0);
  if (o == 6) return clamp(4.0 * a1 * a2, 0.0, 1.0);
  if (o == 7) return clamp(a1 + a2, 0.0, 1.0);
  if (o == 8) return clamp(a1 + a2 - 0.5, 0.0, 1.0);
  if (o == 10) return clamp(a1 - a2, 0.0, 1.0);
  if (o == 12) return mix(a2, a1, diff.a);
  if (o == 13) return mix(a2, a1, tex.a);
  return diff;
}

bool passes(int f, int a, int r) {
  if (f == 1) return false;
  if (f == 2) return a < r;
  if (f == 3) return a == r;
  if (f == 4) return a <= r;
  if (f == 5) return a > r;
  if (f == 6) return a != r;
  if (f == 7) return a >= r;
  return true;
}

void main() {
  vec4 diff = gl_Color;
  vec4 specular = gl_SecondaryColor;
  // A stage without a texture passes the vertex colour through, whatever its operations.
  vec4 tex = uUseTex != 0 ? texture2D(uTex, gl_TexCoord[0].st) : vec4(1.0);
  vec4 c = diff;
  if (uUseTex != 0 && uColorOp != 1) {
    c.rgb = op(uColorOp, arg(uColorArg1, tex, diff, specular), arg(uColorArg2, tex, diff, specular),
               tex, diff).rgb;
    if (uAlphaOp != 1)
      c.a = op(uAlphaOp, arg(uAlphaArg1, tex, diff, specular), arg(uAlphaArg2, tex, diff, specular),
               tex, diff).a;
  }
  if (uSpecular != 0) c.rgb = clamp(c.rgb + specular.rgb, 0.0, 1.0);
  if (uAlphaTest != 0 && !passes(uAlphaFunc, int(floor(c.a * 255.0 + 0.5)), uAlphaRef)) discard;
  if (uFog != 0) c.rgb = mix(uFogColor, c.rgb, specular.a);
  gl_FragColor = c;
}
)";

GLuint Compile(GLenum kind, const char* text) {
  GLuint s = glCreateShader(kind);
  glShaderSource(s, 1, &text, nullptr);
  glCompileShader(s);
  GLint ok = 0;
  glGetShaderiv(s, GL_COMPILE_STATUS, &ok);
  if (!ok) {
    char log[512] = {};
    glGetShaderInfoLog(s, sizeof log, nullptr, log);
    PLAT_Trace("PLATGFX: shader compile failed: %s\n", log);
    glDeleteShader(s);
    return 0;
  }
  return s;
}

}  // namespace

bool PLATG_CreateProgram(PLAT_GfxDevice* dev) {
  GLuint vs = Compile(GL_VERTEX_SHADER, kVertex);
  GLuint fs = Compile(GL_FRAGMENT_SHADER, kFragment);
  if (!vs || !fs) {
    if (vs) glDeleteShader(vs);
    if (fs) glDeleteShader(fs);
    return false;
  }
  PLATG_Program& p = dev->prog;
  p.program = glCreateProgram();
  glAttachShader(p.program, vs);
  glAttachShader(p.program, fs);
  // Position on attribute 0 keeps the program drawable under every GL profile.
  glBindAttribLocation(p.program, 0, "aPos");
  glLinkProgram(p.program);
  glDeleteShader(vs);
  glDeleteShader(fs);
  GLint ok = 0;
  glGetProgramiv(p.program, GL_LINK_STATUS, &ok);
  if (!ok) {
    char log[512] = {};
    glGetProgramInfoLog(p.program, sizeof log, nullptr, log);
    PLAT_Trace("PLATGFX: program link failed: %s\n", log);
    PLATG_DestroyProgram(dev);
    return false;
  }
  auto U = [&](const char* n) { return glGetUniformLocation(p.program, n); };
  p.uTarget = U("uTarget");
  p.uTex = U("uTex");
  p.uUseTex = U("uUseTex");
  p.uColorOp = U("uColorOp");
  p.uColorArg1 = U("uColorArg1");
  p.uColorArg2 = U("uColorArg2");
  p.uAlphaOp = U("uAlphaOp");
  p.uAlphaArg1 = U("uAlphaArg1");
  p.uAlphaArg2 = U("uAlphaArg2");
  p.uTFactor = U("uTFactor");
  p.uAlphaTest = U("uAlphaTest");
  p.uAlphaFunc = U("uAlphaFunc");
  p.uAlphaRef = U("uAlphaRef");
  p.uFog = U("uFog");
  p.uFogColor = U("uFogColor");
  p.uSpecular = U("uSpecular");
  p.aPos = glGetAttribLocation(p.program, "aPos");
  p.aDiffuse = glGetAttribLocation(p.program, "aDiffuse");
  p.aSpecular = glGetAttribLocation(p.program, "aSpecular");
  p.aUV = glGetAttribLocation(p.program, "aUV");
  glUseProgram(p.program);
  glUniform1i(p.uTex, 0);
  return true;
}

void PLATG_DestroyProgram(PLAT_GfxDevice* dev) {
  if (dev->prog.program) {
    glUseProgram(0);
    glDeleteProgram(dev->prog.program);
  }
  dev->prog = PLATG_Program{};
}
