// The OpenGL 2.1 renderer: one shader program, shapes drawn stencil-then-cover
// with an antialiasing fringe, glyphs as textured triangles, and framebuffers.
#include "Internal.h"
#include "nanovg_gl.h"
#include "nanovg_gl_utils.h"

#include <cstdio>
#include <cstring>

namespace kvg
{
namespace
{
const char* kVertexSource = R"(
#version 110
uniform vec2 viewSize;
attribute vec2 vertex;
attribute vec2 tcoord;
attribute float coverage;
varying vec2 fpos;
varying vec2 ftcoord;
varying float fcoverage;
void main()
{
  fpos = vertex;
  ftcoord = tcoord;
  fcoverage = coverage;
  gl_Position = vec4(2.0 * vertex.x / viewSize.x - 1.0, 1.0 - 2.0 * vertex.y / viewSize.y, 0.0, 1.0);
}
)";

// kind: 0 colour, 1 linear gradient, 2 radial gradient, 3 image, 4 glyphs.
// texType: 0 straight RGBA, 1 premultiplied RGBA, 2 alpha only.
const char* kFragmentSource = R"(
#version 110
uniform mat3 paintMat;
uniform mat3 scissorMat;
uniform vec2 scissorExt;
uniform vec2 scissorScale;
uniform vec4 innerCol;
uniform vec4 outerCol;
uniform vec2 extent;
uniform vec2 radius;
uniform int kind;
uniform int texType;
uniform int flipY;
uniform sampler2D tex;
varying vec2 fpos;
varying vec2 ftcoord;
varying float fcoverage;

float scissorMask(vec2 p)
{
  vec2 d = abs((scissorMat * vec3(p, 1.0)).xy) - scissorExt;
  vec2 m = vec2(0.5, 0.5) - d * scissorScale;
  return clamp(m.x, 0.0, 1.0) * clamp(m.y, 0.0, 1.0);
}

vec4 texel(vec2 uv)
{
  vec4 c = texture2D(tex, uv);
  if (texType == 0) c = vec4(c.rgb * c.a, c.a);
  if (texType == 2) c = vec4(c.a, c.a, c.a, c.a);
  return c;
}

void main()
{
  float cover = fcoverage * scissorMask(fpos);
  vec2 pp = (paintMat * vec3(fpos, 1.0)).xy;
  vec4 color;
  if (kind == 1) {
    color = mix(innerCol, outerCol, clamp(pp.y, 0.0, 1.0));
  } else if (kind == 2) {
    float t = (length(pp) - radius.x) / max(radius.y - radius.x, 0.0001);
    color = mix(innerCol, outerCol, clamp(t, 0.0, 1.0));
  } else if (kind == 3) {
    vec2 uv = pp / extent;
    if (flipY == 1) uv.y = 1.0 - uv.y;
    color = texel(uv) * innerCol;
  } else if (kind == 4) {
    color = innerCol * texture2D(tex, ftcoord).a;
  } else {
    color = innerCol;
  }
  gl_FragColor = color * cover;
}
)";

bool CheckShader(const GlFunctions& gl, GLuint shader, const char* what)
{
  GLint ok = 0;
  gl.GetShaderiv(shader, GL_COMPILE_STATUS, &ok);
  if (ok) return true;
  char log[1024] = {};
  gl.GetShaderInfoLog(shader, sizeof log - 1, nullptr, log);
  std::fprintf(stderr, "nvg: the %s shader does not compile: %s\n", what, log);
  return false;
}
} // namespace

GlRenderer::~GlRenderer()
{
  for (auto& t : mTextures) glDeleteTextures(1, &t.second.tex);
  if (mBuffer) mGl.DeleteBuffers(1, &mBuffer);
  if (mProgram) mGl.DeleteProgram(mProgram);
  if (mVertexShader) mGl.DeleteShader(mVertexShader);
  if (mFragmentShader) mGl.DeleteShader(mFragmentShader);
}

bool GlRenderer::Init(bool debug)
{
  mDebug = debug;
  glGetIntegerv(GL_MAX_TEXTURE_SIZE, &mMaxTextureSize);
  if (mMaxTextureSize <= 0) mMaxTextureSize = 2048;
  mVertexShader = mGl.CreateShader(GL_VERTEX_SHADER);
  mFragmentShader = mGl.CreateShader(GL_FRAGMENT_SHADER);
  mGl.ShaderSource(mVertexShader, 1, &kVertexSource, nullptr);
  mGl.ShaderSource(mFragmentShader, 1, &kFragmentSource, nullptr);
  mGl.CompileShader(mVertexShader);
  mGl.CompileShader(mFragmentShader);
  if (!CheckShader(mGl, mVertexShader, "vertex") || !CheckShader(mGl, mFragmentShader, "fragment"))
    return false;
  mProgram = mGl.CreateProgram();
  mGl.AttachShader(mProgram, mVertexShader);
  mGl.AttachShader(mProgram, mFragmentShader);
  mGl.BindAttribLocation(mProgram, 0, "vertex");
  mGl.BindAttribLocation(mProgram, 1, "tcoord");
  mGl.BindAttribLocation(mProgram, 2, "coverage");
  mGl.LinkProgram(mProgram);
  GLint ok = 0;
  mGl.GetProgramiv(mProgram, GL_LINK_STATUS, &ok);
  if (!ok)
  {
    char log[1024] = {};
    mGl.GetProgramInfoLog(mProgram, sizeof log - 1, nullptr, log);
    std::fprintf(stderr, "nvg: the shader program does not link: %s\n", log);
    return false;
  }
  mLocViewSize = mGl.GetUniformLocation(mProgram, "viewSize");
  mLocPaintMat = mGl.GetUniformLocation(mProgram, "paintMat");
  mLocScissorMat = mGl.GetUniformLocation(mProgram, "scissorMat");
  mLocScissorExt = mGl.GetUniformLocation(mProgram, "scissorExt");
  mLocScissorScale = mGl.GetUniformLocation(mProgram, "scissorScale");
  mLocInner = mGl.GetUniformLocation(mProgram, "innerCol");
  mLocOuter = mGl.GetUniformLocation(mProgram, "outerCol");
  mLocExtent = mGl.GetUniformLocation(mProgram, "extent");
  mLocRadius = mGl.GetUniformLocation(mProgram, "radius");
  mLocKind = mGl.GetUniformLocation(mProgram, "kind");
  mLocTexType = mGl.GetUniformLocation(mProgram, "texType");
  mLocFlipY = mGl.GetUniformLocation(mProgram, "flipY");
  mLocTex = mGl.GetUniformLocation(mProgram, "tex");
  mGl.GenBuffers(1, &mBuffer);
  return mBuffer != 0;
}

int GlRenderer::CreateTexture(TextureType type, int w, int h, int flags, const unsigned char* data)
{
  if (w <= 0 || h <= 0 || w > mMaxTextureSize || h > mMaxTextureSize) return 0;
  Texture t;
  t.w = w;
  t.h = h;
  t.flags = flags;
  t.type = type;
  while (glGetError() != GL_NO_ERROR)
  {
  }
  glGenTextures(1, &t.tex);
  if (!t.tex) return 0;
  glBindTexture(GL_TEXTURE_2D, t.tex);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  const GLint filter = (flags & NVG_IMAGE_NEAREST) ? GL_NEAREST : GL_LINEAR;
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, filter);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, filter);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S,
                  (flags & NVG_IMAGE_REPEATX) ? GL_REPEAT : GL_CLAMP_TO_EDGE);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T,
                  (flags & NVG_IMAGE_REPEATY) ? GL_REPEAT : GL_CLAMP_TO_EDGE);
  if (type == TextureType::kRGBA)
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, w, h, 0, GL_RGBA, GL_UNSIGNED_BYTE, data);
  else
    glTexImage2D(GL_TEXTURE_2D, 0, GL_ALPHA, w, h, 0, GL_ALPHA, GL_UNSIGNED_BYTE, data);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
  glBindTexture(GL_TEXTURE_2D, 0);
  if (glGetError() != GL_NO_ERROR)
  {
    glDeleteTextures(1, &t.tex);
    std::fprintf(stderr, "nvg: no texture of %d x %d pixels\n", w, h);
    return 0;
  }
  const int id = mNextImage++;
  mTextures[id] = t;
  return id;
}

bool GlRenderer::UpdateTexture(int image, int x, int y, int w, int h, const unsigned char* data)
{
  auto it = mTextures.find(image);
  if (it == mTextures.end() || !data) return false;
  const Texture& t = it->second;
  if (x < 0 || y < 0 || w <= 0 || h <= 0 || x + w > t.w || y + h > t.h) return false;
  const int bpp = t.type == TextureType::kRGBA ? 4 : 1;
  glBindTexture(GL_TEXTURE_2D, t.tex);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  // Rows x..x+w of the whole-image buffer: point at the first and skip by the full width.
  glPixelStorei(GL_UNPACK_ROW_LENGTH, t.w);
  const unsigned char* first = data + (static_cast<size_t>(y) * t.w + x) * bpp;
  glTexSubImage2D(GL_TEXTURE_2D, 0, x, y, w, h, bpp == 4 ? GL_RGBA : GL_ALPHA, GL_UNSIGNED_BYTE, first);
  glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
  glBindTexture(GL_TEXTURE_2D, 0);
  return true;
}

bool GlRenderer::TextureSize(int image, int* w, int* h) const
{
  auto it = mTextures.find(image);
  if (it == mTextures.end()) return false;
  *w = it->second.w;
  *h = it->second.h;
  return true;
}

bool GlRenderer::DeleteTexture(int image)
{
  auto it = mTextures.find(image);
  if (it == mTextures.end()) return false;
  glDeleteTextures(1, &it->second.tex);
  mTextures.erase(it);
  return true;
}

unsigned GlRenderer::TextureHandle(int image) const
{
  auto it = mTextures.find(image);
  return it == mTextures.end() ? 0 : it->second.tex;
}

int GlRenderer::TextureFlags(int image) const
{
  auto it = mTextures.find(image);
  return it == mTextures.end() ? 0 : it->second.flags;
}

TextureType GlRenderer::TextureKind(int image) const
{
  auto it = mTextures.find(image);
  return it == mTextures.end() ? TextureType::kRGBA : it->second.type;
}

void GlRenderer::SetUniforms(const FragParams& f, float viewW, float viewH)
{
  const float view[2] = {viewW, viewH};
  mGl.Uniform2fv(mLocViewSize, 1, view);
  mGl.UniformMatrix3fv(mLocPaintMat, 1, GL_FALSE, f.paintMat);
  mGl.UniformMatrix3fv(mLocScissorMat, 1, GL_FALSE, f.scissorMat);
  mGl.Uniform2fv(mLocScissorExt, 1, f.scissorExt);
  mGl.Uniform2fv(mLocScissorScale, 1, f.scissorScale);
  mGl.Uniform4fv(mLocInner, 1, f.innerCol);
  mGl.Uniform4fv(mLocOuter, 1, f.outerCol);
  mGl.Uniform2fv(mLocExtent, 1, f.extent);
  mGl.Uniform2fv(mLocRadius, 1, f.radius);
  mGl.Uniform1i(mLocKind, f.kind);
  auto it = mTextures.find(f.image);
  const bool textured = (f.kind == kPaintImage || f.kind == kPaintGlyphs) && it != mTextures.end();
  int texType = 0, flipY = 0;
  if (textured)
  {
    texType = it->second.type == TextureType::kAlpha         ? 2
              : (it->second.flags & NVG_IMAGE_PREMULTIPLIED) ? 1
                                                             : 0;
    flipY = (it->second.flags & NVG_IMAGE_FLIPY) ? 1 : 0;
  }
  mGl.Uniform1i(mLocTexType, texType);
  mGl.Uniform1i(mLocFlipY, flipY);
  glBindTexture(GL_TEXTURE_2D, textured ? it->second.tex : 0);
}

void GlRenderer::Flush(float viewW, float viewH, const std::vector<Call>& calls,
                       const std::vector<Vertex>& verts)
{
  if (calls.empty() || verts.empty()) return;
  mGl.UseProgram(mProgram);
  mGl.Uniform1i(mLocTex, 0);
  mGl.ActiveTexture(GL_TEXTURE0);
  glDisable(GL_CULL_FACE);
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_SCISSOR_TEST);
  glEnable(GL_BLEND);
  glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
  glStencilMask(0xff);

  mGl.BindBuffer(GL_ARRAY_BUFFER, mBuffer);
  mGl.BufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(verts.size() * sizeof(Vertex)), verts.data(),
                 GL_STREAM_DRAW);
  mGl.EnableVertexAttribArray(0);
  mGl.EnableVertexAttribArray(1);
  mGl.EnableVertexAttribArray(2);
  mGl.VertexAttribPointer(0, 2, GL_FLOAT, GL_FALSE, sizeof(Vertex), reinterpret_cast<void*>(0));
  mGl.VertexAttribPointer(1, 2, GL_FLOAT, GL_FALSE, sizeof(Vertex),
                          reinterpret_cast<void*>(2 * sizeof(float)));
  mGl.VertexAttribPointer(2, 1, GL_FLOAT, GL_FALSE, sizeof(Vertex),
                          reinterpret_cast<void*>(4 * sizeof(float)));

  for (const Call& c : calls)
  {
    // A paint whose picture is gone (or never was) draws nothing.
    const bool textured = c.frag.kind == kPaintImage || c.frag.kind == kPaintGlyphs;
    if (textured && mTextures.find(c.frag.image) == mTextures.end()) continue;
    mGl.BlendFuncSeparate(c.blend[0], c.blend[1], c.blend[2], c.blend[3]);
    SetUniforms(c.frag, viewW, viewH);
    if (!c.stencilled)
    {
      glDisable(GL_STENCIL_TEST);
      glDrawArrays(GL_TRIANGLES, c.stencilFirst, c.stencilCount);
      continue;
    }
    // 1. Count coverage into the stencil buffer, colour writes off.
    glEnable(GL_STENCIL_TEST);
    glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE);
    switch (c.mode)
    {
    case StencilMode::kNonZero:
      glStencilFunc(GL_ALWAYS, 0, 0xff);
      mGl.StencilOpSeparate(GL_FRONT, GL_KEEP, GL_KEEP, GL_INCR_WRAP);
      mGl.StencilOpSeparate(GL_BACK, GL_KEEP, GL_KEEP, GL_DECR_WRAP);
      break;
    case StencilMode::kEvenOdd:
      glStencilFunc(GL_ALWAYS, 0, 0xff);
      glStencilOp(GL_KEEP, GL_KEEP, GL_INVERT);
      break;
    case StencilMode::kUnion:
      glStencilFunc(GL_ALWAYS, 1, 0xff);
      glStencilOp(GL_KEEP, GL_KEEP, GL_REPLACE);
      break;
    }
    glDrawArrays(GL_TRIANGLES, c.stencilFirst, c.stencilCount);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    // 2. Cover the inside once.
    glStencilFunc(GL_NOTEQUAL, 0, 0xff);
    glStencilOp(GL_KEEP, GL_KEEP, GL_KEEP);
    glDrawArrays(GL_TRIANGLES, c.coverFirst, 6);
    // 3. The fringe outside the shape; each pixel at most once.
    if (c.fringeCount > 0)
    {
      glStencilFunc(GL_EQUAL, 0, 0xff);
      glStencilOp(GL_KEEP, GL_KEEP, GL_INCR);
      glDrawArrays(GL_TRIANGLES, c.fringeFirst, c.fringeCount);
    }
    // 4. Clear the stencil under the bounding quad (which includes the fringe).
    glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE);
    glStencilFunc(GL_ALWAYS, 0, 0xff);
    glStencilOp(GL_ZERO, GL_ZERO, GL_ZERO);
    glDrawArrays(GL_TRIANGLES, c.coverFirst, 6);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glDisable(GL_STENCIL_TEST);
  }

  mGl.DisableVertexAttribArray(0);
  mGl.DisableVertexAttribArray(1);
  mGl.DisableVertexAttribArray(2);
  mGl.BindBuffer(GL_ARRAY_BUFFER, 0);
  glBindTexture(GL_TEXTURE_2D, 0);
  mGl.UseProgram(0);
  glBlendFunc(GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
  if (mDebug)
  {
    for (GLenum e = glGetError(); e != GL_NO_ERROR; e = glGetError())
      std::fprintf(stderr, "nvg: OpenGL error 0x%04x after a frame\n", e);
  }
}

} // namespace kvg

using kvg::GlRenderer;

NVGcontext* nvgCreateGL2(int flags)
{
  if (!kvg::HasCurrentGlContext())
  {
    std::fprintf(stderr, "nvg: no OpenGL context is current\n");
    return nullptr;
  }
  kvg::GlFunctions gl{};
  const char* missing = nullptr;
  if (!kvg::LoadGlFunctions(gl, &missing))
  {
    std::fprintf(stderr, "nvg: the OpenGL context lacks %s\n", missing ? missing : "an entry point");
    return nullptr;
  }
  auto renderer = std::make_unique<GlRenderer>(gl);
  if (!renderer->Init((flags & NVG_DEBUG) != 0)) return nullptr;
  auto* ctx = new NVGcontext();
  ctx->renderer = std::move(renderer);
  ctx->antiAlias = (flags & NVG_ANTIALIAS) != 0;
  return ctx;
}

void nvgDeleteGL2(NVGcontext* ctx)
{
  delete ctx;
}

unsigned int nvglImageHandleGL2(NVGcontext* ctx, int image)
{
  return ctx ? ctx->renderer->TextureHandle(image) : 0;
}

NVGLUframebuffer* nvgluCreateFramebuffer(NVGcontext* ctx, int w, int h, int imageFlags)
{
  if (!ctx) return nullptr;
  if (w <= 0 || h <= 0 || w > ctx->renderer->MaxTextureSize() || h > ctx->renderer->MaxTextureSize())
  {
    std::fprintf(stderr, "nvg: no framebuffer of %d x %d pixels\n", w, h);
    return nullptr;
  }
  const kvg::GlFunctions& gl = ctx->renderer->Gl();
  const int image = nvgCreateImageRGBA(ctx, w, h, imageFlags, nullptr);
  if (!image) return nullptr;
  auto* fb = new NVGLUframebuffer{ctx, 0, 0, ctx->renderer->TextureHandle(image), image};
  GLint previous = 0;
  glGetIntegerv(GL_FRAMEBUFFER_BINDING, &previous);
  GLint previousRb = 0;
  glGetIntegerv(GL_RENDERBUFFER_BINDING, &previousRb);
  gl.GenFramebuffers(1, &fb->fbo);
  gl.GenRenderbuffers(1, &fb->rbo);
  gl.BindFramebuffer(GL_FRAMEBUFFER, fb->fbo);
  gl.BindRenderbuffer(GL_RENDERBUFFER, fb->rbo);
  gl.RenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH24_STENCIL8, w, h);
  gl.FramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, fb->texture, 0);
  gl.FramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, fb->rbo);
  gl.FramebufferRenderbuffer(GL_FRAMEBUFFER, GL_STENCIL_ATTACHMENT, GL_RENDERBUFFER, fb->rbo);
  const GLenum status = gl.CheckFramebufferStatus(GL_FRAMEBUFFER);
  gl.BindRenderbuffer(GL_RENDERBUFFER, static_cast<GLuint>(previousRb));
  gl.BindFramebuffer(GL_FRAMEBUFFER, static_cast<GLuint>(previous));
  if (status != GL_FRAMEBUFFER_COMPLETE)
  {
    std::fprintf(stderr, "nvg: framebuffer of %d x %d pixels incomplete (0x%04x)\n", w, h, status);
    nvgluDeleteFramebuffer(fb);
    return nullptr;
  }
  return fb;
}

void nvgluBindFramebuffer(NVGLUframebuffer* fb)
{
  // Without a framebuffer there is no context to take the entry point from:
  // look it up directly.
  if (fb)
  {
    fb->ctx->renderer->Gl().BindFramebuffer(GL_FRAMEBUFFER, fb->fbo);
    return;
  }
  kvg::GlFunctions gl{};
  gl.BindFramebuffer = reinterpret_cast<PFNGLBINDFRAMEBUFFERPROC>(kvg::GetGlProcAddress("glBindFramebuffer"));
  if (!gl.BindFramebuffer)
    gl.BindFramebuffer =
        reinterpret_cast<PFNGLBINDFRAMEBUFFERPROC>(kvg::GetGlProcAddress("glBindFramebufferEXT"));
  if (gl.BindFramebuffer && kvg::HasCurrentGlContext()) gl.BindFramebuffer(GL_FRAMEBUFFER, 0);
}

void nvgluDeleteFramebuffer(NVGLUframebuffer* fb)
{
  if (!fb) return;
  const kvg::GlFunctions& gl = fb->ctx->renderer->Gl();
  if (fb->fbo) gl.DeleteFramebuffers(1, &fb->fbo);
  if (fb->rbo) gl.DeleteRenderbuffers(1, &fb->rbo);
  if (fb->image > 0) nvgDeleteImage(fb->ctx, fb->image);
  delete fb;
}
