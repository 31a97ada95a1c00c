#include "IGraphicsNanoVG.h"

#include "IGraphicsImageDecode.h"
#include "IGraphicsResources.h"
#include "IPlugLogger.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>
#include <fstream>
#include <map>

#include "nanovg.h"
#include "nanovg_gl.h"
#include "nanovg_gl_utils.h"

#if defined(_WIN32)
#include <windows.h>
#endif
#include <GL/gl.h>
#include <GL/glext.h>

namespace iplug
{
namespace igraphics
{

namespace
{

// The whole file into bytes; false when it cannot be opened or read, or is
// larger than an int can count (the decoder takes int sizes).
bool ReadWholeFile(const char* path, std::vector<uint8_t>& bytes)
{
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  if (!in) return false;
  const std::streamoff size = in.tellg();
  if (size <= 0 || size > 0x7fffffff) return false;
  bytes.resize(static_cast<size_t>(size));
  in.seekg(0);
  return static_cast<bool>(in.read(reinterpret_cast<char*>(bytes.data()), size));
}
constexpr float kPi = 3.14159265358979323846f;

// Causes traced once per backend (bits of mTraced).
enum ETraceCause
{
  kTraceNoContext = 1 << 0,
  kTraceNoFramebuffer = 1 << 1,
  kTraceUnknownFont = 1 << 2,
  kTraceNoLayer = 1 << 3,
  kTraceShadow = 1 << 4,
};

// Framebuffer textures are stored bottom-up; the layer drew premultiplied.
constexpr int kFramebufferImageFlags = NVG_IMAGE_FLIPY | NVG_IMAGE_PREMULTIPLIED;

NVGcolor ToColour(const IColour& c, float alphaScale)
{
  return nvgRGBAf(static_cast<float>(c.R) / 255.f, static_cast<float>(c.G) / 255.f,
                  static_cast<float>(c.B) / 255.f, static_cast<float>(c.A) / 255.f * alphaScale);
}

// The process-wide font bytes, by font id: a second editor (or a second
// vector context) registers the same bytes without loading them again.
// Entries live as long as the process, since a vector context keeps reading
// the bytes it was given.
struct FontDataCache
{
  std::mutex mutex;
  std::map<std::string, std::vector<unsigned char>> fonts;
};

FontDataCache& FontCache()
{
  static FontDataCache cache;
  return cache;
}

NVGLUframebuffer* CurrentTarget(NVGLUframebuffer* main, const std::vector<ILayer*>& layers)
{
  if (!layers.empty())
  {
    auto* bitmap = static_cast<IGraphicsNanoVG::Bitmap*>(layers.back()->mBitmap.get());
    if (bitmap && bitmap->GetFBO()) return bitmap->GetFBO();
  }
  return main;
}
} // namespace

struct IGraphicsNanoVG::ContextLife
{
  std::mutex mutex;
  NVGcontext* vg = nullptr;
  bool drawing = false;
  // GPU objects released during a frame; deleted after it.
  std::vector<NVGLUframebuffer*> framebuffers;
  std::vector<int> images;
};

// ----- Bitmap

IGraphicsNanoVG::Bitmap::Bitmap(IGraphicsNanoVG* graphics, NVGcontext* vg, int image, float scale,
                                float drawScale)
    : mGraphics(graphics), mVG(vg), mLife(graphics ? graphics->mLife : nullptr)
{
  int w = 0;
  int h = 0;
  nvgImageSize(vg, image, &w, &h);
  mImage = image;
  mWidth = w;
  mHeight = h;
  mScale = scale;
  mDrawScale = drawScale;
}

IGraphicsNanoVG::Bitmap::Bitmap(IGraphicsNanoVG* graphics, NVGcontext* vg, int w, int h,
                                const unsigned char* rgba, float scale, float drawScale)
    : mGraphics(graphics), mVG(vg), mLife(graphics ? graphics->mLife : nullptr)
{
  mImage = nvgCreateImageRGBA(vg, w, h, 0, rgba);
  mWidth = mImage ? w : 0;
  mHeight = mImage ? h : 0;
  mScale = scale;
  mDrawScale = drawScale;
}

IGraphicsNanoVG::Bitmap::Bitmap(IGraphicsNanoVG* graphics, NVGcontext* vg, int w, int h, float scale,
                                float drawScale)
    : mGraphics(graphics), mVG(vg), mLife(graphics ? graphics->mLife : nullptr)
{
  mScale = scale;
  mDrawScale = drawScale;
  mFBO = nvgluCreateFramebuffer(vg, w, h, kFramebufferImageFlags);
  if (!mFBO) return;
  mImage = mFBO->image;
  mWidth = w;
  mHeight = h;
  // Clear it to transparent, then give the previous target back. The
  // vector frame of the caller (if any) goes on undisturbed: clearing needs
  // no vector frame of its own here.
  GLint previous = 0;
  glGetIntegerv(GL_FRAMEBUFFER_BINDING, &previous);
  GLint viewport[4] = {};
  glGetIntegerv(GL_VIEWPORT, viewport);
  nvgluBindFramebuffer(mFBO);
  glViewport(0, 0, w, h);
  glClearColor(0.f, 0.f, 0.f, 0.f);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
  NVGLUframebuffer back{vg, static_cast<unsigned>(previous), 0, 0, 0};
  if (previous)
    nvgluBindFramebuffer(&back);
  else
    nvgluBindFramebuffer(nullptr);
  glViewport(viewport[0], viewport[1], viewport[2], viewport[3]);
}

IGraphicsNanoVG::Bitmap::~Bitmap()
{
  if (!mLife || mShared) return;
  std::lock_guard<std::mutex> lock(mLife->mutex);
  // The context the picture belonged to is gone: so are its GPU objects.
  if (mLife->vg != mVG || !mVG) return;
  if (mLife->drawing)
  {
    if (mFBO)
      mLife->framebuffers.push_back(mFBO);
    else if (mImage)
      mLife->images.push_back(mImage);
    return;
  }
  if (mFBO)
    nvgluDeleteFramebuffer(mFBO); // deletes its image too
  else if (mImage)
    nvgDeleteImage(mVG, mImage);
}

// ----- Construction and view

IGraphicsNanoVG::IGraphicsNanoVG(IGEditorDelegate& dlg, int w, int h, int fps, float scale)
    : IGraphics(dlg, w, h, fps, scale), mLife(std::make_shared<ContextLife>())
{
  mLife->framebuffers.reserve(8);
  mLife->images.reserve(8);
  mLayers.reserve(8);
}

IGraphicsNanoVG::~IGraphicsNanoVG()
{
  // A platform destroys the view first; without it the GPU objects cannot be
  // deleted here (no context is current), so only forget them.
  std::lock_guard<std::mutex> lock(mLife->mutex);
  mLife->vg = nullptr;
}

void IGraphicsNanoVG::TraceOnce(int cause, const char* why) const
{
  if (mTraced & static_cast<unsigned>(cause)) return;
  mTraced |= static_cast<unsigned>(cause);
  Trace(TRACELOC, "%s", why);
}

bool IGraphicsNanoVG::CanDraw() const
{
  if (!mVG)
  {
    TraceOnce(kTraceNoContext, "no vector context (no OpenGL 2 context for the view): nothing is drawn");
    return false;
  }
  if (!mMainFB)
  {
    TraceOnce(kTraceNoFramebuffer, "no main framebuffer for the editor picture: nothing is drawn");
    return false;
  }
  return mLife->drawing;
}

void IGraphicsNanoVG::OnViewInitialized(void*)
{
  if (mVG) return;
  mVG = nvgCreateGL2(NVG_ANTIALIAS);
  if (!mVG)
  {
    TraceOnce(kTraceNoContext, "the vector context could not be created (no current OpenGL 2 context)");
    return;
  }
  mTraced = 0;
  {
    std::lock_guard<std::mutex> lock(mLife->mutex);
    mLife->vg = mVG;
  }
  if (!mDefaultFBRead)
  {
    GLint binding = 0;
    glGetIntegerv(GL_FRAMEBUFFER_BINDING, &binding);
    mDefaultFB = binding;
    mDefaultFBRead = true;
  }
  std::vector<std::string> pending;
  pending.swap(mPendingFonts);
  for (const std::string& id : pending) RegisterFont(id.c_str());
}

void IGraphicsNanoVG::OnViewDestroyed()
{
  mLayers.clear();
  {
    std::lock_guard<std::mutex> lock(mBitmapMutex);
    mRetained.clear(); // pictures belong to the context going away
  }
  if (mMainFB) nvgluDeleteFramebuffer(mMainFB);
  mMainFB = nullptr;
  mFBWidth = mFBHeight = 0;
  DeleteQueued();
  if (mVG)
  {
    std::lock_guard<std::mutex> lock(mLife->mutex);
    mLife->vg = nullptr;
    nvgDeleteGL2(mVG);
  }
  mVG = nullptr;
}

void IGraphicsNanoVG::DrawResize()
{
  if (!mVG) return;
  ActivateGLContext();
  if (mMainFB) nvgluDeleteFramebuffer(mMainFB);
  int w = static_cast<int>(static_cast<float>(WindowWidth()) * GetScreenScale());
  int h = static_cast<int>(static_cast<float>(WindowHeight()) * GetScreenScale());
  mMainFB = nvgluCreateFramebuffer(mVG, w, h, kFramebufferImageFlags);
  mFBWidth = mMainFB ? w : 0;
  mFBHeight = mMainFB ? h : 0;
  if (mMainFB)
    mTraced &= ~static_cast<unsigned>(kTraceNoFramebuffer);
  else
    TraceOnce(kTraceNoFramebuffer, "the main framebuffer could not be created: nothing is drawn");
  DeactivateGLContext();
}

void IGraphicsNanoVG::BindTarget(NVGLUframebuffer* fb)
{
  if (fb)
  {
    nvgluBindFramebuffer(fb);
    return;
  }
  if (mDefaultFB)
  {
    NVGLUframebuffer window{mVG, static_cast<unsigned>(mDefaultFB), 0, 0, 0};
    nvgluBindFramebuffer(&window);
  }
  else
    nvgluBindFramebuffer(nullptr);
}

void IGraphicsNanoVG::BeginFrame()
{
  if (!mVG || !mMainFB)
  {
    CanDraw(); // traces the cause
    return;
  }
  {
    std::lock_guard<std::mutex> lock(mLife->mutex);
    mLife->drawing = true;
  }
  // The window's framebuffer is cleared (it is painted whole at the end);
  // the editor framebuffer keeps what earlier frames drew.
  BindTarget(nullptr);
  glViewport(0, 0, mFBWidth, mFBHeight);
  glClearColor(0.f, 0.f, 0.f, 0.f);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
  BindTarget(mMainFB);
  mLayers.clear();
  BeginTargetFrame();
}

// A vector frame over the current target (the top layer or the main
// framebuffer), with logical units mapped to its pixels.
void IGraphicsNanoVG::BeginTargetFrame()
{
  const float screen = GetScreenScale();
  if (mLayers.empty())
    nvgBeginFrame(mVG, static_cast<float>(WindowWidth()), static_cast<float>(WindowHeight()), screen);
  else
  {
    const APIBitmap* b = mLayers.back()->mBitmap.get();
    glViewport(0, 0, b->GetWidth(), b->GetHeight());
    nvgBeginFrame(mVG, static_cast<float>(b->GetWidth()) / screen,
                  static_cast<float>(b->GetHeight()) / screen, screen);
  }
  ApplyTransform();
  if (!mClip.Empty()) SetClipRegion(mClip);
}

void IGraphicsNanoVG::EndFrame()
{
  if (!mVG || !mMainFB || !mLife->drawing) return;
  nvgEndFrame(mVG);
  BindTarget(nullptr);
  glViewport(0, 0, mFBWidth, mFBHeight);
  const float w = static_cast<float>(WindowWidth());
  const float h = static_cast<float>(WindowHeight());
  nvgBeginFrame(mVG, w, h, GetScreenScale());
  nvgResetTransform(mVG);
  nvgResetScissor(mVG);
  nvgGlobalCompositeBlendFunc(mVG, NVG_ONE, NVG_ONE_MINUS_SRC_ALPHA);
  nvgBeginPath(mVG);
  nvgRect(mVG, 0.f, 0.f, w, h);
  nvgFillPaint(mVG, nvgImagePattern(mVG, 0.f, 0.f, w, h, 0.f, mMainFB->image, 1.f));
  nvgFill(mVG);
  nvgEndFrame(mVG);
  mLayers.clear();
  mClip = IRect();
  {
    std::lock_guard<std::mutex> lock(mLife->mutex);
    mLife->drawing = false;
  }
  DeleteQueued();
}

void IGraphicsNanoVG::DeleteQueued()
{
  std::lock_guard<std::mutex> lock(mLife->mutex);
  for (NVGLUframebuffer* fb : mLife->framebuffers) nvgluDeleteFramebuffer(fb);
  for (int image : mLife->images) nvgDeleteImage(mLife->vg, image);
  mLife->framebuffers.clear();
  mLife->images.clear();
}

// ----- Blends and paints

void IGraphicsNanoVG::BlendFactors(const IBlendMode* blend, int& src, int& dst)
{
  struct Factors
  {
    int src, dst;
  };
  static const Factors kTable[] = {
      {NVG_ONE, NVG_ONE_MINUS_SRC_ALPHA},                 // 0 source over
      {NVG_DST_ALPHA, NVG_ZERO},                          // 1 source in
      {NVG_ONE_MINUS_DST_ALPHA, NVG_ZERO},                // 2 source out
      {NVG_DST_ALPHA, NVG_ONE_MINUS_SRC_ALPHA},           // 3 source atop
      {NVG_ONE_MINUS_DST_ALPHA, NVG_ONE},                 // 4 destination over
      {NVG_ZERO, NVG_SRC_ALPHA},                          // 5 destination in
      {NVG_ZERO, NVG_ONE_MINUS_SRC_ALPHA},                // 6 destination out
      {NVG_ONE_MINUS_DST_ALPHA, NVG_SRC_ALPHA},           // 7 destination atop
      {NVG_SRC_ALPHA, NVG_DST_ALPHA},                     // 8 add
      {NVG_ONE_MINUS_DST_ALPHA, NVG_ONE_MINUS_SRC_ALPHA}, // 9 exclusive or
  };
  int method = blend ? blend->mMethod : 0;
  if (method < 0 || method > 9) method = 0;
  src = kTable[method].src;
  dst = kTable[method].dst;
}

void IGraphicsNanoVG::ApplyBlend(const IBlendMode* blend)
{
  int src = 0;
  int dst = 0;
  BlendFactors(blend, src, dst);
  nvgGlobalCompositeBlendFunc(mVG, src, dst);
}

void IGraphicsNanoVG::ResetBlend()
{
  nvgGlobalCompositeBlendFunc(mVG, NVG_ONE, NVG_ONE_MINUS_SRC_ALPHA);
}

NVGpaint IGraphicsNanoVG::MakePaint(const IPattern& pattern, const IBlendMode* blend)
{
  const float weight = BlendWeight(blend);
  const int n = static_cast<int>(pattern.mStops.size());
  const IColour first = pattern.GetStopColour(0);
  const IColour last = pattern.GetStopColour(n - 1);
  if (pattern.mType == kPatternSolid || n < 2)
  {
    NVGpaint paint =
        nvgLinearGradient(mVG, 0.f, 0.f, 1.f, 0.f, ToColour(first, weight), ToColour(first, weight));
    return paint;
  }
  // The pattern's transform maps user space to pattern space, where a linear
  // gradient runs from x = 0 to 1 and a radial one grows from radius 0 to 1.
  IMatrix inv;
  const IMatrix& m = pattern.mTransform;
  const double det = m.mXX * m.mYY - m.mXY * m.mYX;
  if (std::fabs(det) > 1e-12)
  {
    inv = IMatrix(m.mYY / det, -m.mYX / det, -m.mXY / det, m.mXX / det, 0, 0);
    inv.mTX = -(inv.mXX * m.mTX + inv.mXY * m.mTY);
    inv.mTY = -(inv.mYX * m.mTX + inv.mYY * m.mTY);
  }
  const float o0 = pattern.mStops.front().mOffset;
  const float o1 = pattern.mStops.back().mOffset;
  auto at = [&](double px, double py, float& x, float& y)
  {
    inv.TransformPoint(px, py);
    x = static_cast<float>(px);
    y = static_cast<float>(py);
  };
  if (pattern.mType == kPatternLinear)
  {
    float sx = 0.f, sy = 0.f, ex = 0.f, ey = 0.f;
    at(o0, 0.0, sx, sy);
    at(o1, 0.0, ex, ey);
    return nvgLinearGradient(mVG, sx, sy, ex, ey, ToColour(first, weight), ToColour(last, weight));
  }
  float cx = 0.f, cy = 0.f, rx = 0.f, ry = 0.f;
  at(0.0, 0.0, cx, cy);
  at(1.0, 0.0, rx, ry);
  const float r = std::hypot(rx - cx, ry - cy);
  return nvgRadialGradient(mVG, cx, cy, r * o0, r * o1, ToColour(first, weight), ToColour(last, weight));
}

// ----- Pictures

void IGraphicsNanoVG::DrawBitmap(const IBitmapRef& bitmap, const IRect& dest, int srcX, int srcY,
                                 const IBlendMode* blend)
{
  const APIBitmap* b = bitmap.GetAPIBitmap();
  if (!b || !CanDraw()) return;
  const float s = b->GetScale() * b->GetDrawScale();
  if (!(s > 0.f)) return;
  const float w = static_cast<float>(b->GetWidth()) / s;
  const float h = static_cast<float>(b->GetHeight()) / s;
  ApplyBlend(blend);
  nvgBeginPath(mVG);
  nvgRect(mVG, dest.L, dest.T, dest.W(), dest.H());
  nvgFillPaint(mVG, nvgImagePattern(mVG, dest.L - static_cast<float>(srcX), dest.T - static_cast<float>(srcY),
                                    w, h, 0.f, b->GetImage(), BlendWeight(blend)));
  nvgFillRule(mVG, NVG_NONZERO);
  nvgFill(mVG);
  ResetBlend();
  nvgBeginPath(mVG);
}

APIBitmap* IGraphicsNanoVG::ScaleAPIBitmap(const APIBitmap* bitmap, int scale)
{
  if (!bitmap || !mVG || scale < 1 || !(bitmap->GetScale() > 0.f)) return nullptr;
  const float ratio = static_cast<float>(scale) / bitmap->GetScale();
  const int w = static_cast<int>(std::lround(static_cast<float>(bitmap->GetWidth()) * ratio));
  const int h = static_cast<int>(std::lround(static_cast<float>(bitmap->GetHeight()) * ratio));
  auto* out = new Bitmap(this, mVG, w, h, static_cast<float>(scale), bitmap->GetDrawScale());
  if (!out->GetFBO())
  {
    delete out;
    return nullptr;
  }
  // Drawn outside of any frame: its own vector frame into its framebuffer.
  if (mLife->drawing) return out;
  GLint previous = 0;
  glGetIntegerv(GL_FRAMEBUFFER_BINDING, &previous);
  nvgluBindFramebuffer(out->GetFBO());
  glViewport(0, 0, w, h);
  nvgBeginFrame(mVG, static_cast<float>(w), static_cast<float>(h), 1.f);
  nvgBeginPath(mVG);
  nvgRect(mVG, 0.f, 0.f, static_cast<float>(w), static_cast<float>(h));
  nvgFillPaint(mVG, nvgImagePattern(mVG, 0.f, 0.f, static_cast<float>(w), static_cast<float>(h), 0.f,
                                    bitmap->GetImage(), 1.f));
  nvgFill(mVG);
  nvgEndFrame(mVG);
  NVGLUframebuffer back{mVG, static_cast<unsigned>(previous), 0, 0, 0};
  nvgluBindFramebuffer(previous ? &back : nullptr);
  return out;
}

void IGraphicsNanoVG::RetainBitmap(const IBitmapRef& bitmap, const char*)
{
  if (!bitmap.mBitmap) return;
  std::lock_guard<std::mutex> lock(mBitmapMutex);
  for (const auto& b : mRetained)
    if (b.get() == bitmap.mBitmap) return;
  mRetained.emplace_back(bitmap.mBitmap);
}

void IGraphicsNanoVG::ReleaseBitmap(const IBitmapRef& bitmap)
{
  std::lock_guard<std::mutex> lock(mBitmapMutex);
  auto it = std::find_if(mRetained.begin(), mRetained.end(),
                         [&](const std::unique_ptr<APIBitmap>& b) { return b.get() == bitmap.mBitmap; });
  if (it != mRetained.end()) mRetained.erase(it);
}

bool IGraphicsNanoVG::BitmapExtSupported(const char* ext)
{
  if (!ext) return false;
  std::string lower(ext);
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return lower.find("png") != std::string::npos || lower.find("jpg") != std::string::npos;
}

APIBitmap* IGraphicsNanoVG::LoadAPIBitmap(const char* name, const void* data, int dataSize, int scale)
{
  if (!mVG)
  {
    TraceOnce(kTraceNoContext, "no vector context: pictures cannot be loaded");
    return nullptr;
  }
  if (!data || dataSize <= 0) return nullptr;
  // Picture bytes are untrusted: the shared decoder refuses corrupt data and
  // absurd sizes before anything large is allocated.
  DecodedImage decoded;
  std::string error;
  if (!DecodeImage(data, static_cast<size_t>(dataSize), decoded, &error))
  {
    Trace(TRACELOC, "picture %s could not be decoded: %s", name ? name : "", error.c_str());
    return nullptr;
  }
  const int image = nvgCreateImageRGBA(mVG, decoded.width, decoded.height, 0, decoded.rgba.data());
  if (!image)
  {
    Trace(TRACELOC, "picture %s could not be made into an image", name ? name : "");
    return nullptr;
  }
  return new Bitmap(this, mVG, image, static_cast<float>(scale));
}

APIBitmap* IGraphicsNanoVG::LoadAPIBitmap(const char* fileNameOrResID, int scale, EResourceLocation location,
                                          const char* ext)
{
  if (!fileNameOrResID || !BitmapExtSupported(ext)) return nullptr;
  if (!mVG)
  {
    TraceOnce(kTraceNoContext, "no vector context: pictures cannot be loaded");
    return nullptr;
  }
  if (location == kWinBinary)
  {
    std::string type(ext);
    for (char& c : type) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    EmbeddedResource res = LoadEmbeddedResource(fileNameOrResID, type.c_str(), GetWinModuleHandle());
    if (!res) return nullptr;
    return LoadAPIBitmap(fileNameOrResID, res.data, static_cast<int>(res.size), scale);
  }
  if (location != kAbsolutePath) return nullptr;
  std::vector<uint8_t> bytes;
  if (!ReadWholeFile(fileNameOrResID, bytes))
  {
    Trace(TRACELOC, "picture file %s could not be read", fileNameOrResID);
    return nullptr;
  }
  return LoadAPIBitmap(fileNameOrResID, bytes.data(), static_cast<int>(bytes.size()), scale);
}

APIBitmap* IGraphicsNanoVG::CreateAPIBitmap(int width, int height, float scale, double drawScale, bool)
{
  if (!mVG || width <= 0 || height <= 0) return nullptr;
  auto* b = new Bitmap(this, mVG, width, height, scale, static_cast<float>(drawScale));
  if (!b->GetFBO())
  {
    delete b;
    return nullptr;
  }
  return b;
}

// ----- Fonts

bool IGraphicsNanoVG::RegisterFont(const char* fontID)
{
  if (nvgFindFont(mVG, fontID) >= 0) return true;
  FontDataCache& cache = FontCache();
  std::lock_guard<std::mutex> lock(cache.mutex);
  auto it = cache.fonts.find(fontID);
  if (it == cache.fonts.end()) return false;
  // The cached bytes outlive every context (freeData 0).
  const int id = nvgCreateFontMem(mVG, fontID, it->second.data(), static_cast<int>(it->second.size()), 0);
  if (id < 0) Trace(TRACELOC, "font %s could not be registered: not a usable font", fontID);
  return id >= 0;
}

bool IGraphicsNanoVG::LoadAPIFont(const char* fontID, const PlatformFontPtr& font)
{
  if (!fontID || !*fontID) return false;
  {
    FontDataCache& cache = FontCache();
    std::lock_guard<std::mutex> lock(cache.mutex);
    if (cache.fonts.find(fontID) == cache.fonts.end())
    {
      if (!font || !font->GetData() || font->GetDataSize() <= 0)
      {
        Trace(TRACELOC, "font %s has no bytes", fontID);
        return false;
      }
      const auto* bytes = static_cast<const unsigned char*>(font->GetData());
      cache.fonts.emplace(fontID, std::vector<unsigned char>(bytes, bytes + font->GetDataSize()));
    }
  }
  if (!mVG)
  {
    if (std::find(mPendingFonts.begin(), mPendingFonts.end(), fontID) == mPendingFonts.end())
      mPendingFonts.emplace_back(fontID);
    return true;
  }
  return RegisterFont(fontID);
}

// ----- Layers

ILayerPtr IGraphicsNanoVG::MakeLayer(const IRect& r)
{
  if (!mVG) return nullptr;
  const float scale = GetTotalScale();
  const int w = static_cast<int>(std::ceil(r.W() * scale));
  const int h = static_cast<int>(std::ceil(r.H() * scale));
  APIBitmap* b = CreateAPIBitmap(w, h, GetScreenScale(), GetDrawScale());
  if (!b) return nullptr;
  auto layer = std::make_unique<ILayer>();
  layer->mBitmap.reset(b);
  layer->mRect = r;
  return layer;
}

void IGraphicsNanoVG::PushLayer(ILayer* layer)
{
  if (!layer || !layer->mBitmap || !CanDraw()) return;
  mLayers.push_back(layer);
  UpdateLayer();
}

ILayer* IGraphicsNanoVG::PopLayer()
{
  if (mLayers.empty() || !CanDraw()) return nullptr;
  ILayer* top = mLayers.back();
  mLayers.pop_back();
  UpdateLayer();
  return top;
}

void IGraphicsNanoVG::UpdateLayer()
{
  if (!CanDraw()) return;
  // Render what was drawn so far into the old target, then go on drawing
  // into the new one.
  nvgEndFrame(mVG);
  BindTarget(CurrentTarget(mMainFB, mLayers));
  if (mLayers.empty()) glViewport(0, 0, mFBWidth, mFBHeight);
  BeginTargetFrame();
}

void IGraphicsNanoVG::DrawLayer(const ILayerPtr& layer, const IBlendMode* blend)
{
  if (!layer || !layer->mBitmap) return;
  IBitmapRef ref(layer->mBitmap.get(), 1, false, "");
  DrawBitmap(ref, layer->mRect, 0, 0, blend);
}

void IGraphicsNanoVG::GetLayerBitmapData(const ILayerPtr& layer, RawBitmapData& data)
{
  data.clear();
  if (!layer || !layer->mBitmap || !mVG) return;
  auto* b = static_cast<Bitmap*>(layer->mBitmap.get());
  if (!b->GetFBO()) return;
  const int w = b->GetWidth();
  const int h = b->GetHeight();
  data.resize(static_cast<size_t>(w) * static_cast<size_t>(h) * 4);
  GLint previous = 0;
  glGetIntegerv(GL_FRAMEBUFFER_BINDING, &previous);
  nvgluBindFramebuffer(b->GetFBO());
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(0, 0, w, h, GL_RGBA, GL_UNSIGNED_BYTE, data.data());
  NVGLUframebuffer back{mVG, static_cast<unsigned>(previous), 0, 0, 0};
  nvgluBindFramebuffer(previous ? &back : nullptr);
  // OpenGL gives the bottom row first.
  const size_t row = static_cast<size_t>(w) * 4;
  for (int y = 0; y < h / 2; ++y)
    std::swap_ranges(data.begin() + static_cast<std::ptrdiff_t>(row * static_cast<size_t>(y)),
                     data.begin() + static_cast<std::ptrdiff_t>(row * static_cast<size_t>(y + 1)),
                     data.begin() + static_cast<std::ptrdiff_t>(row * static_cast<size_t>(h - 1 - y)));
}

void IGraphicsNanoVG::ApplyShadowMask(ILayerPtr&, RawBitmapData&, const IShadow&)
{
  TraceOnce(kTraceShadow, "layer shadows are not drawn by this backend");
}

// ----- Paths

void IGraphicsNanoVG::PathClear()
{
  if (!mVG) return;
  nvgBeginPath(mVG);
  mPathX = mPathY = mSubpathX = mSubpathY = 0.f;
}

void IGraphicsNanoVG::PathClose()
{
  if (!mVG) return;
  nvgClosePath(mVG);
  mPathX = mSubpathX;
  mPathY = mSubpathY;
}

void IGraphicsNanoVG::PathArc(float cx, float cy, float r, float a1, float a2, bool clockwise)
{
  if (!mVG) return;
  // Degrees from 12 o'clock to radians from 3 o'clock.
  const float r1 = (a1 - 90.f) / 180.f * kPi;
  const float r2 = (a2 - 90.f) / 180.f * kPi;
  nvgArc(mVG, cx, cy, r, r1, r2, clockwise ? NVG_CW : NVG_CCW);
  mPathX = cx + r * std::cos(r2);
  mPathY = cy + r * std::sin(r2);
}

void IGraphicsNanoVG::PathMoveTo(float x, float y)
{
  if (!mVG) return;
  nvgMoveTo(mVG, x, y);
  mPathX = mSubpathX = x;
  mPathY = mSubpathY = y;
}

void IGraphicsNanoVG::PathLineTo(float x, float y)
{
  if (!mVG) return;
  nvgLineTo(mVG, x, y);
  mPathX = x;
  mPathY = y;
}

void IGraphicsNanoVG::PathSetWinding(bool clockwise)
{
  if (!mVG) return;
  nvgPathWinding(mVG, clockwise ? NVG_CW : NVG_CCW);
}

void IGraphicsNanoVG::PathCubicBezierTo(float c1x, float c1y, float c2x, float c2y, float x2, float y2)
{
  if (!mVG) return;
  nvgBezierTo(mVG, c1x, c1y, c2x, c2y, x2, y2);
  mPathX = x2;
  mPathY = y2;
}

void IGraphicsNanoVG::PathQuadraticBezierTo(float cx, float cy, float x2, float y2)
{
  // The cubic with the same curve: control points two thirds of the way
  // from each end to the quadratic's control point.
  const float x0 = mPathX;
  const float y0 = mPathY;
  PathCubicBezierTo(x0 + 2.f / 3.f * (cx - x0), y0 + 2.f / 3.f * (cy - y0), x2 + 2.f / 3.f * (cx - x2),
                    y2 + 2.f / 3.f * (cy - y2), x2, y2);
}

void IGraphicsNanoVG::PathStroke(const IPattern& pattern, float thickness, const IStrokeOptions& options,
                                 const IBlendMode* blend)
{
  if (!CanDraw()) return;
  static const int kCaps[] = {NVG_BUTT, NVG_ROUND, NVG_SQUARE};
  static const int kJoins[] = {NVG_MITER, NVG_ROUND, NVG_BEVEL};
  ApplyBlend(blend);
  nvgStrokeWidth(mVG, thickness);
  nvgMiterLimit(mVG, options.mMiterLimit);
  nvgLineCap(mVG, kCaps[std::clamp(options.mCapOption, 0, 2)]);
  nvgLineJoin(mVG, kJoins[std::clamp(options.mJoinOption, 0, 2)]);
  nvgStrokePaint(mVG, MakePaint(pattern, blend));
  nvgStroke(mVG);
  ResetBlend();
  if (!options.mPreserve) PathClear();
}

void IGraphicsNanoVG::PathFill(const IPattern& pattern, const IFillOptions& options, const IBlendMode* blend)
{
  if (!CanDraw()) return;
  ApplyBlend(blend);
  nvgFillRule(mVG, options.mFillRule == kFillEvenOdd ? NVG_EVENODD : NVG_NONZERO);
  nvgFillPaint(mVG, MakePaint(pattern, blend));
  nvgFill(mVG);
  nvgFillRule(mVG, NVG_NONZERO);
  ResetBlend();
  if (!options.mPreserve) PathClear();
}

void IGraphicsNanoVG::ApplyTransform()
{
  // Logical units to the target's units: the draw scale, and a layer's
  // origin at its rectangle's top-left.
  nvgResetTransform(mVG);
  nvgScale(mVG, GetDrawScale(), GetDrawScale());
  if (!mLayers.empty()) nvgTranslate(mVG, -mLayers.back()->mRect.L, -mLayers.back()->mRect.T);
  nvgTransform(mVG, static_cast<float>(mMatrix.mXX), static_cast<float>(mMatrix.mYX),
               static_cast<float>(mMatrix.mXY), static_cast<float>(mMatrix.mYY),
               static_cast<float>(mMatrix.mTX), static_cast<float>(mMatrix.mTY));
}

void IGraphicsNanoVG::PathTransformSetMatrix(const IMatrix& m)
{
  mMatrix = m;
  if (mVG) ApplyTransform();
}

void IGraphicsNanoVG::SetClipRegion(const IRect& r)
{
  mClip = r;
  if (!mVG) return;
  // The clip is in logical units, not under the path transform.
  const IMatrix keep = mMatrix;
  mMatrix = IMatrix();
  ApplyTransform();
  nvgResetScissor(mVG);
  if (!r.Empty()) nvgScissor(mVG, r.L, r.T, r.W(), r.H());
  mMatrix = keep;
  ApplyTransform();
}

// ----- Text

void IGraphicsNanoVG::TextPosition(const ITextStyle& style, const IRect& r, float& x, float& y,
                                   int& align) const
{
  switch (style.mAlign)
  {
  case kAlignNear:
    align = NVG_ALIGN_LEFT;
    x = r.L;
    break;
  case kAlignFar:
    align = NVG_ALIGN_RIGHT;
    x = r.R;
    break;
  default:
    align = NVG_ALIGN_CENTER;
    x = r.MW();
    break;
  }
  switch (style.mVAlign)
  {
  case kVAlignTop:
    align |= NVG_ALIGN_TOP;
    y = r.T;
    break;
  case kVAlignBottom:
    align |= NVG_ALIGN_BOTTOM;
    y = r.B;
    break;
  default:
    align |= NVG_ALIGN_MIDDLE;
    y = r.MH();
    break;
  }
}

float IGraphicsNanoVG::DoMeasureText(const ITextStyle& style, const char* str, IRect& bounds) const
{
  if (!mVG || !str) return 0.f;
  const int font = nvgFindFont(mVG, style.mFont);
  if (font < 0)
  {
    TraceOnce(kTraceUnknownFont, "text with a font id that was not registered is neither measured nor drawn");
    return 0.f;
  }
  nvgSave(mVG);
  nvgFontFaceId(mVG, font);
  nvgFontSize(mVG, style.mSize);
  float x = 0.f;
  float y = 0.f;
  int align = 0;
  TextPosition(style, bounds, x, y, align);
  nvgTextAlign(mVG, align);
  float b[4] = {};
  nvgTextBounds(mVG, x, y, str, nullptr, b);
  nvgRestore(mVG);
  bounds = IRect(b[0], b[1], b[2], b[3]);
  return b[2] - b[0];
}

void IGraphicsNanoVG::DoDrawText(const ITextStyle& style, const char* str, const IRect& bounds,
                                 const IBlendMode* blend)
{
  if (!str || !CanDraw()) return;
  const int font = nvgFindFont(mVG, style.mFont);
  if (font < 0)
  {
    TraceOnce(kTraceUnknownFont, "text with a font id that was not registered is neither measured nor drawn");
    return;
  }
  nvgSave(mVG);
  nvgFontFaceId(mVG, font);
  nvgFontSize(mVG, style.mSize);
  nvgFillColor(mVG, ToColour(style.mColour, BlendWeight(blend)));
  ApplyBlend(blend);
  float x = 0.f;
  float y = 0.f;
  int align = 0;
  if (style.mAngle != 0.f)
  {
    // Rotated: the rotated box of the text placed inside the rectangle as
    // the alignment says, the text turned about that box's centre.
    nvgTextAlign(mVG, NVG_ALIGN_CENTER | NVG_ALIGN_MIDDLE);
    float b[4] = {};
    nvgTextBounds(mVG, 0.f, 0.f, str, nullptr, b);
    const float rad = style.mAngle / 180.f * kPi;
    const float c = std::fabs(std::cos(rad));
    const float s = std::fabs(std::sin(rad));
    const float tw = b[2] - b[0];
    const float th = b[3] - b[1];
    const float rw = tw * c + th * s;
    const float rh = tw * s + th * c;
    TextPosition(style, bounds, x, y, align);
    const float cx = (align & NVG_ALIGN_LEFT) ? x + rw / 2.f : (align & NVG_ALIGN_RIGHT) ? x - rw / 2.f : x;
    const float cy = (align & NVG_ALIGN_TOP) ? y + rh / 2.f : (align & NVG_ALIGN_BOTTOM) ? y - rh / 2.f : y;
    nvgTranslate(mVG, cx, cy);
    nvgRotate(mVG, rad);
    nvgText(mVG, -(b[0] + b[2]) / 2.f, -(b[1] + b[3]) / 2.f, str, nullptr);
  }
  else
  {
    TextPosition(style, bounds, x, y, align);
    nvgTextAlign(mVG, align);
    nvgText(mVG, x, y, str, nullptr);
  }
  nvgRestore(mVG);
  ResetBlend();
}

// ----- Queries

void IGraphicsNanoVG::ReadFramebuffer(std::vector<unsigned char>& rgba)
{
  rgba.clear();
  if (!mVG || !mMainFB) return;
  rgba.resize(static_cast<size_t>(mFBWidth) * static_cast<size_t>(mFBHeight) * 4);
  GLint previous = 0;
  glGetIntegerv(GL_FRAMEBUFFER_BINDING, &previous);
  nvgluBindFramebuffer(mMainFB);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  const size_t row = static_cast<size_t>(mFBWidth) * 4;
  // OpenGL's first row is the bottom one.
  for (int y = 0; y < mFBHeight; ++y)
    glReadPixels(0, mFBHeight - 1 - y, mFBWidth, 1, GL_RGBA, GL_UNSIGNED_BYTE,
                 rgba.data() + row * static_cast<size_t>(y));
  NVGLUframebuffer back{mVG, static_cast<unsigned>(previous), 0, 0, 0};
  nvgluBindFramebuffer(previous ? &back : nullptr);
}

IColour IGraphicsNanoVG::GetPoint(int x, int y)
{
  if (!mVG || !mMainFB) return IColour();
  const float scale = GetTotalScale();
  const int px = static_cast<int>(static_cast<float>(x) * scale);
  const int py = static_cast<int>(static_cast<float>(y) * scale);
  if (px < 0 || py < 0 || px >= mFBWidth || py >= mFBHeight) return IColour();
  unsigned char p[4] = {};
  GLint previous = 0;
  glGetIntegerv(GL_FRAMEBUFFER_BINDING, &previous);
  nvgluBindFramebuffer(mMainFB);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(px, mFBHeight - 1 - py, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, p);
  NVGLUframebuffer back{mVG, static_cast<unsigned>(previous), 0, 0, 0};
  nvgluBindFramebuffer(previous ? &back : nullptr);
  return IColour(p[3], p[0], p[1], p[2]);
}

} // namespace igraphics
} // namespace iplug
