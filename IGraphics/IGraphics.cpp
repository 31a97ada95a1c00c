#include "IGraphics.h"

#include "Controls/IBitmapControl.h"
#include "Controls/ICornerResizerControl.h"
#include "Controls/IPerformanceDisplayControl.h"
#include "Controls/IPopupMenuControl.h"
#include "Controls/ITextEntryControl.h"

#include "IGraphicsResources.h"
#include "IPlugLogger.h"
#include "SVGDocument.h"

#include <cassert>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <string>

namespace iplug
{
namespace igraphics
{

// ===== Rectangle list and matrix =====

IRect IRectList::Bounds() const
{
  IRect r;
  for (const IRect& each : mRects) r = r.Union(each);
  return r;
}

void IRectList::PixelAlign(float scale)
{
  for (IRect& r : mRects) r = r.GetPixelAligned(scale);
}

void IRectList::Optimize()
{
  bool merged = true;
  while (merged)
  {
    merged = false;
    for (size_t i = 0; i < mRects.size() && !merged; ++i)
      for (size_t j = i + 1; j < mRects.size(); ++j)
        if (mRects[i].Intersects(mRects[j]))
        {
          mRects[i] = mRects[i].Union(mRects[j]);
          mRects.erase(mRects.begin() + static_cast<std::ptrdiff_t>(j));
          merged = true;
          break;
        }
  }
}

IMatrix& IMatrix::Transform(const IMatrix& m)
{
  IMatrix p = *this;
  mXX = m.mXX * p.mXX + m.mYX * p.mXY;
  mYX = m.mXX * p.mYX + m.mYX * p.mYY;
  mXY = m.mXY * p.mXX + m.mYY * p.mXY;
  mYY = m.mXY * p.mYX + m.mYY * p.mYY;
  mTX = m.mTX * p.mXX + m.mTY * p.mXY + p.mTX;
  mTY = m.mTX * p.mYX + m.mTY * p.mYY + p.mTY;
  return *this;
}

IMatrix& IMatrix::Rotate(float angle)
{
  double rad = angle * 3.14159265358979323846 / 180.0;
  double c = std::cos(rad);
  double s = std::sin(rad);
  return Transform(IMatrix(c, s, -s, c, 0, 0));
}

// ===== The bridge the editor delegate reaches the context through =====

namespace
{

const GraphicsBridge kBridge = {
    [](IGraphics* g) { delete g; },
    [](IGraphics* g, void* parent) { return g->OpenWindow(parent); },
    [](IGraphics* g) { g->CloseWindow(); },
    [](const IGraphics* g) { return g->Width(); },
    [](const IGraphics* g) { return g->Height(); },
    [](const IGraphics* g) { return g->GetDrawScale(); },
    [](IGraphics* g, int w, int h, float scale) { g->Resize(w, h, scale, true); },
    [](IGraphics* g, int key)
    {
      float x = 0.f, y = 0.f;
      g->GetMouseLocation(x, y);
      return g->OnKeyDown(x, y, IKeyPress("", key));
    },
    [](IGraphics* g, int key)
    {
      float x = 0.f, y = 0.f;
      g->GetMouseLocation(x, y);
      return g->OnKeyUp(x, y, IKeyPress("", key));
    },
    [](IGraphics* g, int ctrlTag, double value)
    {
      if (IControl* c = g->ControlWithTag(ctrlTag)) c->SetValueFromPlugin(value, 0);
    },
    [](IGraphics* g, int ctrlTag, int msgTag, int dataSize, const void* pData)
    {
      if (IControl* c = g->ControlWithTag(ctrlTag)) c->OnDelegateMessage(msgTag, dataSize, pData);
    },
    [](IGraphics* g, const MidiMessage& msg)
    {
      g->ForEachListedControl(
          [&msg](IControl* c)
          {
            if (c->GetWantsMidi()) c->OnMidiMessage(msg);
          });
    },
    [](IGraphics* g, int paramIdx, double value)
    {
      g->ForEachListedControl(
          [paramIdx, value](IControl* c)
          {
            for (int v = 0; v < c->NVals(); ++v)
              if (c->GetParamIdx(v) == paramIdx) c->SetValueFromPlugin(value, v);
          });
    },
    [](IGraphics* g, float scale) { g->SetScreenScale(scale); },
};

// Linking this library registers it with the editor delegate before main.
struct BridgeRegistration
{
  BridgeRegistration() { SetGraphicsBridge(&kBridge); }
} sBridgeRegistration;

} // namespace

// ===== Construction =====

IGraphics::IGraphics(IGEditorDelegate& dlg, int w, int h, int fps, float scale)
    : mDelegate(&dlg), mWidth(w), mHeight(h), mFPS(fps), mDrawScale(scale), mMinScale(scale * 0.5f),
      mMaxScale(scale * 2.f), mUIThread(std::this_thread::get_id())
{
  // In case a static initialiser ran before this library's registration.
  if (!GetGraphicsBridge()) SetGraphicsBridge(&kBridge);
  RegisterFontCacheUser();
}

IGraphics::~IGraphics()
{
  RemoveAllControls();
  ClearBitmapCache();
  ReleaseFontCacheUser();
}

void IGraphics::AssertUIThread() const
{
  assert(OnUIThread() && "graphics context used off its user-interface thread");
}

IGraphics::WalkGuard::WalkGuard(IGraphics& g) : mG(g)
{
  mG.AssertUIThread();
  ++mG.mWalkDepth;
}

IGraphics::WalkGuard::~WalkGuard()
{
  if (--mG.mWalkDepth == 0) mG.FlushRemoved();
}

void IGraphics::FlushRemoved()
{
  // Tombstones of the list go; their controls are deleted last first.
  mControls.erase(std::remove(mControls.begin(), mControls.end(), nullptr), mControls.end());
  mOverlays.erase(std::remove(mOverlays.begin(), mOverlays.end(), nullptr), mOverlays.end());
  while (!mRemoved.empty()) mRemoved.pop_back();
  mMouseOverIdx = mMouseOver ? GetControlIdx(mMouseOver) : -1;
}

// ===== Automation highlight =====

void IGraphics::SetAutomationHighlight(int paramIdx, bool isHighlighted, int colourCode)
{
  ForControlsWithParam(paramIdx,
                       [=](IControl* c)
                       {
                         c->SetHighlight(isHighlighted, colourCode);
                         c->MarkDirty(false);
                       });
}

// ===== Pictures and primitives built from the path operations =====

void IGraphics::DrawSVG(const ISVG&, const IRect&, const IBlendMode*) {}

void IGraphics::DrawRotatedSVG(const ISVG& svg, float destCentreX, float destCentreY, float width,
                               float height, double angle, const IBlendMode* blend)
{
  PathTransformSave();
  PathTransformTranslate(destCentreX, destCentreY);
  PathTransformRotate(static_cast<float>(angle));
  DrawSVG(svg, IRect(-width / 2.f, -height / 2.f, width / 2.f, height / 2.f), blend);
  PathTransformRestore();
}

void IGraphics::DrawFittedBitmap(const IBitmapRef& bitmap, const IRect& bounds, const IBlendMode* blend)
{
  if (bitmap.W() <= 0 || bitmap.H() <= 0) return;
  PathTransformSave();
  PathTransformTranslate(bounds.L, bounds.T);
  PathTransformScale(bounds.W() / static_cast<float>(bitmap.W()),
                     bounds.H() / static_cast<float>(bitmap.H()));
  DrawBitmap(bitmap, IRect(0.f, 0.f, static_cast<float>(bitmap.W()), static_cast<float>(bitmap.H())), 0, 0,
             blend);
  PathTransformRestore();
}

void IGraphics::DrawRotatedBitmap(const IBitmapRef& bitmap, float destCentreX, float destCentreY,
                                  double angle, const IBlendMode* blend)
{
  float w = static_cast<float>(bitmap.W());
  float h = static_cast<float>(bitmap.H());
  PathTransformSave();
  PathTransformTranslate(destCentreX, destCentreY);
  PathTransformRotate(static_cast<float>(angle));
  DrawBitmap(bitmap, IRect(-w / 2.f, -h / 2.f, w / 2.f, h / 2.f), 0, 0, blend);
  PathTransformRestore();
}

void IGraphics::DrawBitmapFrame(const IBitmapRef& bitmap, const IRect& bounds, int frame,
                                const IBlendMode* blend)
{
  if (!bitmap.IsValid()) return;
  int n = std::max(bitmap.N(), 1);
  frame = std::clamp(frame, 1, n);
  int srcX = bitmap.GetFramesAreHorizontal() ? (frame - 1) * bitmap.W() / n : 0;
  int srcY = bitmap.GetFramesAreHorizontal() ? 0 : (frame - 1) * bitmap.H() / n;
  IRect dest = bounds.GetCentredInside(static_cast<float>(bitmap.FW()), static_cast<float>(bitmap.FH()));
  DrawBitmap(bitmap, dest, srcX, srcY, blend);
}

namespace
{
IStrokeOptions Dashed(float dashLen)
{
  IStrokeOptions options;
  options.mDash = {dashLen, dashLen};
  return options;
}
} // namespace

void IGraphics::DrawPoint(const IColour& colour, float x, float y, const IBlendMode* blend)
{
  FillRect(colour, IRect(x, y, x + 1.f, y + 1.f), blend);
}

void IGraphics::DrawLine(const IColour& colour, float x1, float y1, float x2, float y2,
                         const IBlendMode* blend, float thickness)
{
  PathClear();
  PathMoveTo(x1, y1);
  PathLineTo(x2, y2);
  PathStroke(colour, thickness, IStrokeOptions(), blend);
}

void IGraphics::DrawDottedLine(const IColour& colour, float x1, float y1, float x2, float y2,
                               const IBlendMode* blend, float thickness, float dashLen)
{
  PathClear();
  PathMoveTo(x1, y1);
  PathLineTo(x2, y2);
  PathStroke(colour, thickness, Dashed(dashLen), blend);
}

void IGraphics::DrawTriangle(const IColour& colour, float x1, float y1, float x2, float y2, float x3,
                             float y3, const IBlendMode* blend, float thickness)
{
  float x[] = {x1, x2, x3};
  float y[] = {y1, y2, y3};
  DrawConvexPolygon(colour, x, y, 3, blend, thickness);
}

void IGraphics::DrawRect(const IColour& colour, const IRect& bounds, const IBlendMode* blend, float thickness)
{
  PathClear();
  PathRect(bounds);
  PathStroke(colour, thickness, IStrokeOptions(), blend);
}

void IGraphics::DrawRoundRect(const IColour& colour, const IRect& bounds, float cRTL, float cRTR, float cRBR,
                              float cRBL, const IBlendMode* blend, float thickness)
{
  PathClear();
  PathRoundRect(bounds, cRTL, cRTR, cRBR, cRBL);
  PathStroke(colour, thickness, IStrokeOptions(), blend);
}

void IGraphics::DrawRoundRect(const IColour& colour, const IRect& bounds, float cornerRadius,
                              const IBlendMode* blend, float thickness)
{
  DrawRoundRect(colour, bounds, cornerRadius, cornerRadius, cornerRadius, cornerRadius, blend, thickness);
}

void IGraphics::DrawArc(const IColour& colour, float cx, float cy, float r, float a1, float a2,
                        const IBlendMode* blend, float thickness)
{
  PathClear();
  PathArc(cx, cy, r, a1, a2);
  PathStroke(colour, thickness, IStrokeOptions(), blend);
}

void IGraphics::DrawCircle(const IColour& colour, float cx, float cy, float r, const IBlendMode* blend,
                           float thickness)
{
  PathClear();
  PathCircle(cx, cy, r);
  PathStroke(colour, thickness, IStrokeOptions(), blend);
}

void IGraphics::DrawEllipse(const IColour& colour, float x, float y, float r1, float r2, float angle,
                            const IBlendMode* blend, float thickness)
{
  PathClear();
  PathEllipse(x, y, r1, r2, angle);
  PathStroke(colour, thickness, IStrokeOptions(), blend);
}

void IGraphics::DrawEllipse(const IColour& colour, const IRect& bounds, const IBlendMode* blend,
                            float thickness)
{
  DrawEllipse(colour, bounds.MW(), bounds.MH(), bounds.W() / 2.f, bounds.H() / 2.f, 0.f, blend, thickness);
}

void IGraphics::DrawConvexPolygon(const IColour& colour, const float* x, const float* y, int nPoints,
                                  const IBlendMode* blend, float thickness)
{
  PathClear();
  PathConvexPolygon(x, y, nPoints);
  PathStroke(colour, thickness, IStrokeOptions(), blend);
}

void IGraphics::DrawDottedRect(const IColour& colour, const IRect& bounds, const IBlendMode* blend,
                               float thickness, float dashLen)
{
  PathClear();
  PathRect(bounds);
  PathStroke(colour, thickness, Dashed(dashLen), blend);
}

void IGraphics::FillTriangle(const IColour& colour, float x1, float y1, float x2, float y2, float x3,
                             float y3, const IBlendMode* blend)
{
  float x[] = {x1, x2, x3};
  float y[] = {y1, y2, y3};
  FillConvexPolygon(colour, x, y, 3, blend);
}

void IGraphics::FillRect(const IColour& colour, const IRect& bounds, const IBlendMode* blend)
{
  PathClear();
  PathRect(bounds);
  PathFill(colour, IFillOptions(), blend);
}

void IGraphics::FillRoundRect(const IColour& colour, const IRect& bounds, float cRTL, float cRTR, float cRBR,
                              float cRBL, const IBlendMode* blend)
{
  PathClear();
  PathRoundRect(bounds, cRTL, cRTR, cRBR, cRBL);
  PathFill(colour, IFillOptions(), blend);
}

void IGraphics::FillRoundRect(const IColour& colour, const IRect& bounds, float cornerRadius,
                              const IBlendMode* blend)
{
  FillRoundRect(colour, bounds, cornerRadius, cornerRadius, cornerRadius, cornerRadius, blend);
}

void IGraphics::FillCircle(const IColour& colour, float cx, float cy, float r, const IBlendMode* blend)
{
  PathClear();
  PathCircle(cx, cy, r);
  PathFill(colour, IFillOptions(), blend);
}

void IGraphics::FillEllipse(const IColour& colour, float x, float y, float r1, float r2, float angle,
                            const IBlendMode* blend)
{
  PathClear();
  PathEllipse(x, y, r1, r2, angle);
  PathFill(colour, IFillOptions(), blend);
}

void IGraphics::FillEllipse(const IColour& colour, const IRect& bounds, const IBlendMode* blend)
{
  FillEllipse(colour, bounds.MW(), bounds.MH(), bounds.W() / 2.f, bounds.H() / 2.f, 0.f, blend);
}

void IGraphics::FillArc(const IColour& colour, float cx, float cy, float r, float a1, float a2,
                        const IBlendMode* blend)
{
  PathClear();
  PathMoveTo(cx, cy);
  PathArc(cx, cy, r, a1, a2);
  PathClose();
  PathFill(colour, IFillOptions(), blend);
}

void IGraphics::FillConvexPolygon(const IColour& colour, const float* x, const float* y, int nPoints,
                                  const IBlendMode* blend)
{
  PathClear();
  PathConvexPolygon(x, y, nPoints);
  PathFill(colour, IFillOptions(), blend);
}

float IGraphics::MeasureText(const ITextStyle& style, const char* str, IRect& bounds) const
{
  if (!str || !*str) return 0.f;
  return DoMeasureText(style, str, bounds);
}

ITextStyle IGraphics::StyleFittingWidth(const ITextStyle& style, const char* str, float width) const
{
  ITextStyle fitted = style;
  IRect measured;
  const float textWidth = MeasureText(style, str, measured);
  if (textWidth > width && width > 0.f) fitted.mSize *= width / textWidth;
  return fitted;
}

void IGraphics::DrawText(const ITextStyle& style, const char* str, const IRect& bounds,
                         const IBlendMode* blend)
{
  if (!str || !*str) return;
  DoDrawText(style, str, bounds, blend);
}

void IGraphics::DrawFastDropShadow(const IRect& innerBounds, const IRect& outerBounds, float xyDrop,
                                   float roundness, float blur, const IBlendMode* blend)
{
  (void)outerBounds;
  (void)blur;
  FillRoundRect(IColour(64, 0, 0, 0), innerBounds.GetTranslated(xyDrop, xyDrop), roundness, blend);
}

void IGraphics::DrawGrid(const IColour& colour, const IRect& bounds, float gridSizeH, float gridSizeV,
                         const IBlendMode* blend, float thickness)
{
  PathClear();
  if (gridSizeH > 0.f)
    for (float x = bounds.L + gridSizeH; x < bounds.R; x += gridSizeH)
    {
      PathMoveTo(x, bounds.T);
      PathLineTo(x, bounds.B);
    }
  if (gridSizeV > 0.f)
    for (float y = bounds.T + gridSizeV; y < bounds.B; y += gridSizeV)
    {
      PathMoveTo(bounds.L, y);
      PathLineTo(bounds.R, y);
    }
  PathStroke(colour, thickness, IStrokeOptions(), blend);
}

void IGraphics::DrawData(const IColour& colour, const IRect& bounds, const float* normYPoints, int nPoints,
                         const float* normXPoints, const IBlendMode* blend, float thickness)
{
  if (!normYPoints || nPoints < 2) return;
  PathClear();
  for (int i = 0; i < nPoints; ++i)
  {
    float nx = normXPoints ? normXPoints[i] : static_cast<float>(i) / static_cast<float>(nPoints - 1);
    float x = bounds.L + nx * bounds.W();
    float y = bounds.B - normYPoints[i] * bounds.H();
    if (i == 0)
      PathMoveTo(x, y);
    else
      PathLineTo(x, y);
  }
  PathStroke(colour, thickness, IStrokeOptions(), blend);
}

bool IGraphics::LoadFontResource(const char* fontID, const char* fontName, EFontStyle style)
{
  PlatformFontPtr font = LoadPlatformFont(fontID, fontName, style);
  if (!fontID || !font || !LoadAPIFont(fontID, font)) return false;
  StoreFont(fontID, std::move(font));
  return true;
}

bool IGraphics::LoadFontResource(const char* fontID, const char* fileNameOrResID)
{
  PlatformFontPtr font = LoadPlatformFont(fontID, fileNameOrResID);
  if (!fontID || !font || !LoadAPIFont(fontID, font)) return false;
  StoreFont(fontID, std::move(font));
  return true;
}

namespace
{
// Fonts loaded by any context of the process, by id; emptied when the last
// context goes. User-interface thread, but several editors may be open.
struct FontCache
{
  std::mutex lock;
  std::map<std::string, PlatformFontPtr> fonts;
  int users = 0;
};
FontCache& GetFontCache()
{
  static FontCache cache;
  return cache;
}

// Parsed SVG pictures by name, for the life of the process.
struct SVGCache
{
  std::mutex lock;
  std::map<std::string, std::unique_ptr<svg::SVGImage>> images;
};
SVGCache& GetSVGCache()
{
  static SVGCache cache;
  return cache;
}

std::string LowerCase(std::string text)
{
  for (char& c : text) c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
  return text;
}

// The extension without its dot, or empty (a dot inside a folder name does
// not count).
std::string ExtensionOf(const char* fileName)
{
  const char* dot = std::strrchr(fileName, '.');
  if (!dot || std::strpbrk(dot, "/\\")) return {};
  return dot + 1;
}

std::string CacheName(const std::string& name, int scale)
{
  char suffix[32];
  std::snprintf(suffix, sizeof(suffix), "-%.1fx", static_cast<double>(scale));
  return name + suffix;
}

bool FileExists(const char* path)
{
  std::error_code ec;
  return std::filesystem::is_regular_file(std::filesystem::u8path(path), ec);
}
} // namespace

void IGraphics::RegisterFontCacheUser()
{
  FontCache& cache = GetFontCache();
  std::lock_guard<std::mutex> hold(cache.lock);
  ++cache.users;
}

void IGraphics::ReleaseFontCacheUser()
{
  FontCache& cache = GetFontCache();
  std::lock_guard<std::mutex> hold(cache.lock);
  if (--cache.users <= 0)
  {
    cache.users = 0;
    cache.fonts.clear();
  }
}

bool IGraphics::FontIsCached(const char* fontID)
{
  FontCache& cache = GetFontCache();
  std::lock_guard<std::mutex> hold(cache.lock);
  return fontID && cache.fonts.count(fontID) != 0;
}

void IGraphics::StoreFont(const char* fontID, PlatformFontPtr font)
{
  CachePlatformFont(fontID, font);
  FontCache& cache = GetFontCache();
  std::lock_guard<std::mutex> hold(cache.lock);
  cache.fonts[fontID] = std::move(font);
}

std::vector<int> IGraphics::ScaleSearchOrder(int targetScale)
{
  int s = std::max(targetScale, 1);
  std::vector<int> order{s};
  if (s != 3) order.push_back(3);
  for (int n = 2; n >= 1; --n)
    if (n != s) order.push_back(n);
  return order;
}

std::string IGraphics::ScaledResourceName(const char* fileName, int scale)
{
  std::string name(fileName ? fileName : "");
  if (scale < 2) return name;
  std::string ext = ExtensionOf(name.c_str());
  std::string base = ext.empty() ? name : name.substr(0, name.size() - ext.size() - 1);
  std::string dotExt = ext.empty() ? std::string() : "." + ext;
  int len = std::snprintf(nullptr, 0, "%s@%dx%s", base.c_str(), scale, dotExt.c_str());
  std::string out(static_cast<size_t>(std::max(len, 0)) + 1, '\0');
  std::snprintf(out.data(), out.size(), "%s@%dx%s", base.c_str(), scale, dotExt.c_str());
  out.resize(static_cast<size_t>(std::max(len, 0)));
  return out;
}

APIBitmap* IGraphics::FindCachedBitmap(const std::string& name, int scale) const
{
  auto range = mBitmapCache.equal_range(std::hash<std::string>()(CacheName(name, scale)));
  for (auto it = range.first; it != range.second; ++it)
    if (it->second.scale == scale && it->second.name == name) return it->second.bitmap.get();
  return nullptr;
}

APIBitmap* IGraphics::CacheBitmap(APIBitmap* bitmap, const std::string& name, int scale)
{
  size_t key = std::hash<std::string>()(CacheName(name, scale));
  mBitmapCache.emplace(key, CachedBitmap{std::unique_ptr<APIBitmap>(bitmap), name, scale});
  return bitmap;
}

int IGraphics::NCachedBitmaps() const
{
  std::lock_guard<std::mutex> hold(mBitmapCacheLock);
  return static_cast<int>(mBitmapCache.size());
}

void IGraphics::ClearBitmapCache()
{
  std::lock_guard<std::mutex> hold(mBitmapCacheLock);
  mBitmapCache.clear();
}

IBitmapRef IGraphics::LoadBitmapResource(const char* name, const void* data, int dataSize, int nStates,
                                         bool framesAreHorizontal, int targetScale)
{
  if (!name || !*name || !data || dataSize <= 0) return IBitmapRef();
  int scale = targetScale > 0 ? targetScale : static_cast<int>(std::ceil(GetScreenScale()));
  scale = std::max(scale, 1);
  std::lock_guard<std::mutex> hold(mBitmapCacheLock);
  APIBitmap* bitmap = FindCachedBitmap(name, scale);
  if (!bitmap)
  {
    APIBitmap* loaded = LoadAPIBitmap(name, data, dataSize, scale);
    if (!loaded)
    {
      Trace(TRACELOC, "picture %s could not be decoded", name);
      return IBitmapRef();
    }
    bitmap = CacheBitmap(loaded, name, scale);
  }
  return IBitmapRef(bitmap, nStates, framesAreHorizontal, name);
}

IBitmapRef IGraphics::LoadBitmapResource(const char* fileNameOrResID, int nStates, bool framesAreHorizontal,
                                         int targetScale)
{
  if (!fileNameOrResID || !*fileNameOrResID) return IBitmapRef();
  const std::string name(fileNameOrResID);
  std::string ext = ExtensionOf(fileNameOrResID);
  std::string lowerExt = LowerCase(ext);
  // Only these two types are decoded; anything else is never searched for.
  if (lowerExt.find("png") == std::string::npos && lowerExt.find("jpg") == std::string::npos)
    return IBitmapRef();

  int scale = targetScale > 0 ? targetScale : static_cast<int>(std::ceil(GetScreenScale()));
  scale = std::max(scale, 1);

  std::lock_guard<std::mutex> hold(mBitmapCacheLock);
  APIBitmap* bitmap = FindCachedBitmap(name, scale);
  if (!bitmap)
  {
    std::string located;
    EResourceLocation location = kNotFound;
    int sourceScale = 0;
    for (int n : ScaleSearchOrder(scale))
    {
      location = LocateResource(ScaledResourceName(fileNameOrResID, n).c_str(), ext.c_str(), located);
      if (location != kNotFound)
      {
        sourceScale = n;
        break;
      }
    }
    if (location == kNotFound) return IBitmapRef();
    // Found at another scale: a context that already loaded that version
    // uses it again instead of decoding a second copy.
    bitmap = FindCachedBitmap(name, sourceScale);
    if (!bitmap)
    {
      APIBitmap* loaded = LoadAPIBitmap(located.c_str(), sourceScale, location, lowerExt.c_str());
      if (!loaded)
      {
        Trace(TRACELOC, "picture %s could not be decoded", located.c_str());
        return IBitmapRef();
      }
      bitmap = CacheBitmap(loaded, name, sourceScale);
    }
  }
  return IBitmapRef(bitmap, nStates, framesAreHorizontal, fileNameOrResID);
}

ISVG IGraphics::LoadSVG(const char* name, const void* data, int dataSize, const char* units, float dpi)
{
  if (!name || !*name || !data || dataSize <= 0) return ISVG();
  SVGCache& cache = GetSVGCache();
  std::lock_guard<std::mutex> hold(cache.lock);
  auto it = cache.images.find(name);
  if (it == cache.images.end())
  {
    std::string error;
    std::unique_ptr<svg::SVGImage> image =
        svg::ParseSVG(static_cast<const char*>(data), static_cast<size_t>(dataSize), units, dpi, &error);
    if (!image)
    {
      Trace(TRACELOC, "SVG %s could not be parsed: %s", name, error.c_str());
      return ISVG();
    }
    it = cache.images.emplace(name, std::move(image)).first;
  }
  ISVG svg;
  svg.mImage = it->second.get();
  svg.mW = it->second->width;
  svg.mH = it->second->height;
  return svg;
}

ISVG IGraphics::LoadSVG(const char* fileNameOrResID, const char* units, float dpi)
{
  if (!fileNameOrResID || !*fileNameOrResID) return ISVG();
  {
    SVGCache& cache = GetSVGCache();
    std::lock_guard<std::mutex> hold(cache.lock);
    auto it = cache.images.find(fileNameOrResID);
    if (it != cache.images.end())
    {
      ISVG svg;
      svg.mImage = it->second.get();
      svg.mW = it->second->width;
      svg.mH = it->second->height;
      return svg;
    }
  }
  std::string located;
  EResourceLocation location = LocateResource(fileNameOrResID, "svg", located);
  std::vector<uint8_t> storage;
  const void* data = nullptr;
  size_t size = 0;
  if (!LoadResourceBytes(located.c_str(), location, "SVG", storage, data, size) ||
      size > static_cast<size_t>(std::numeric_limits<int>::max()))
    return ISVG();
  return LoadSVG(fileNameOrResID, data, static_cast<int>(size), units, dpi);
}

EResourceLocation IGraphics::LocateResource(const char* fileNameOrResID, const char* type,
                                            std::string& result)
{
  result.clear();
  if (!fileNameOrResID || !*fileNameOrResID) return kNotFound;
  std::string upperType(type ? type : "");
  for (char& c : upperType) c = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
  if (!upperType.empty() && LoadEmbeddedResource(fileNameOrResID, upperType.c_str(), GetWinModuleHandle()))
  {
    result = EmbeddedResourceName(fileNameOrResID);
    return kWinBinary;
  }
  if (FileExists(fileNameOrResID))
  {
    result = fileNameOrResID;
    return kAbsolutePath;
  }
  return kNotFound;
}

bool IGraphics::LoadResourceBytes(const char* located, EResourceLocation location, const char* type,
                                  std::vector<uint8_t>& storage, const void*& data, size_t& size)
{
  data = nullptr;
  size = 0;
  if (!located || !*located) return false;
  if (location == kWinBinary)
  {
    EmbeddedResource resource = LoadEmbeddedResource(located, type, GetWinModuleHandle());
    data = resource.data;
    size = resource.size;
    return resource.data != nullptr;
  }
  if (location != kAbsolutePath) return false;
  std::ifstream in(std::filesystem::u8path(located), std::ios::binary);
  if (!in) return false;
  storage.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  data = storage.data();
  size = storage.size();
  return !storage.empty();
}

void IGraphics::AddFontSizeClass(int sizeClass)
{
  if (std::find(mFontSizeClasses.begin(), mFontSizeClasses.end(), sizeClass) == mFontSizeClasses.end())
    mFontSizeClasses.push_back(sizeClass);
}

// ----- Paths and the transform stack

void IGraphics::PathTransformSave()
{
  mTransformStates.push_back(mTransform);
}

void IGraphics::PathTransformRestore()
{
  if (mTransformStates.empty()) return;
  mTransform = mTransformStates.back();
  mTransformStates.pop_back();
  PathTransformSetMatrix(mTransform);
}

void IGraphics::PathTransformReset()
{
  mTransformStates.clear();
  mTransform = IMatrix();
  PathTransformSetMatrix(mTransform);
}

void IGraphics::PathTransformTranslate(float x, float y)
{
  mTransform.Translate(x, y);
  PathTransformSetMatrix(mTransform);
}

void IGraphics::PathTransformScale(float x, float y)
{
  mTransform.Scale(x, y);
  PathTransformSetMatrix(mTransform);
}

void IGraphics::PathTransformRotate(float angle)
{
  mTransform.Rotate(angle);
  PathTransformSetMatrix(mTransform);
}

void IGraphics::PathRect(const IRect& r)
{
  PathMoveTo(r.L, r.T);
  PathLineTo(r.R, r.T);
  PathLineTo(r.R, r.B);
  PathLineTo(r.L, r.B);
  PathClose();
}

void IGraphics::PathRoundRect(const IRect& r, float ctl, float ctr, float cbr, float cbl)
{
  if (ctl <= 0.f && ctr <= 0.f && cbr <= 0.f && cbl <= 0.f)
  {
    PathRect(r);
    return;
  }
  PathMoveTo(r.L, r.T + ctl);
  PathArc(r.L + ctl, r.T + ctl, ctl, 270.f, 360.f);
  PathArc(r.R - ctr, r.T + ctr, ctr, 0.f, 90.f);
  PathArc(r.R - cbr, r.B - cbr, cbr, 90.f, 180.f);
  PathArc(r.L + cbl, r.B - cbl, cbl, 180.f, 270.f);
  PathClose();
}

void IGraphics::PathCircle(float cx, float cy, float r)
{
  PathMoveTo(cx, cy - r);
  PathArc(cx, cy, r, 0.f, 360.f);
  PathClose();
}

void IGraphics::PathEllipse(float x, float y, float r1, float r2, float angle)
{
  PathTransformSave();
  PathTransformTranslate(x, y);
  PathTransformRotate(angle);
  PathTransformScale(r1, r2);
  PathCircle(0.f, 0.f, 1.f);
  PathTransformRestore();
}

void IGraphics::PathConvexPolygon(const float* x, const float* y, int nPoints)
{
  if (!x || !y || nPoints < 1) return;
  PathMoveTo(x[0], y[0]);
  for (int i = 1; i < nPoints; ++i) PathLineTo(x[i], y[i]);
  PathClose();
}

void IGraphics::PathClipRegion(const IRect& r)
{
  mClipRect = r;
  SetClipRegion(r);
}

// ===== Control management =====

void IGraphics::AttachSetup(IControl* control)
{
  control->SetDelegate(mDelegate);
  control->SetGraphics(this);
  control->OnInit();
  control->OnBoundsChanged();
  control->OnScaleChanged();
}

IControl* IGraphics::AddControl(IControl* control, int tag, const char* group)
{
  AssertUIThread();
  if (!control) return nullptr;
  if (tag >= 0)
  {
    if (!mTagMap.emplace(tag, control).second) return nullptr;
  }
  AttachSetup(control);
  control->SetGroup(group);
  mControls.emplace_back(control);
  control->OnAttached();
  return control;
}

void IGraphics::SetBackground(const char* fileName)
{
  AssertUIThread();
  IBitmapRef bitmap = LoadBitmapResource(fileName, 1, false, 0);
  auto* control = new IBitmapControl(
      IRect(0.f, 0.f, static_cast<float>(bitmap.W()), static_cast<float>(bitmap.H())), bitmap, kNoParameter);
  AttachSetup(control);
  mControls.emplace(mControls.begin(), control);
  if (mMouseOverIdx >= 0) ++mMouseOverIdx;
}

void IGraphics::AddCornerResizer(EResizeMode mode, bool layoutOnResize, const IColour& colour,
                                 const IColour& mouseOverColour, const IColour& dragColour, float size)
{
  AssertUIThread();
  auto resizer =
      std::make_unique<ICornerResizerControl>(GetBounds(), size, colour, mouseOverColour, dragColour);
  if (mCornerResizer) return; // the first one stays; the new one goes
  mCornerResizer = std::move(resizer);
  mResizeMode = mode;
  mLayoutOnResize = layoutOnResize;
  AttachSetup(mCornerResizer.get());
}

IControl* IGraphics::AddOverlayControl(IControl* control)
{
  AssertUIThread();
  if (!control) return nullptr;
  AttachSetup(control);
  mOverlays.emplace_back(control);
  control->OnAttached();
  return control;
}

void IGraphics::AttachPopupMenuControl(IPopupMenuControl* control)
{
  AssertUIThread();
  if (mWalkDepth > 0 && mPopupControl) mRemoved.push_back(std::move(mPopupControl));
  mPopupControl.reset(control);
  if (control) AttachSetup(control);
}

void IGraphics::AttachTextEntryControl(ITextEntryControl* control)
{
  AssertUIThread();
  if (mWalkDepth > 0 && mTextEntryControl) mRemoved.push_back(std::move(mTextEntryControl));
  mTextEntryControl.reset(control);
  if (control) AttachSetup(control);
}

void IGraphics::ForgetControl(IControl* control)
{
  for (auto it = mTagMap.begin(); it != mTagMap.end();)
    it = it->second == control ? mTagMap.erase(it) : std::next(it);
  for (auto it = mCapturedMap.begin(); it != mCapturedMap.end();)
    it = it->second == control ? mCapturedMap.erase(it) : std::next(it);
  if (mMouseOver == control)
  {
    mMouseOver = nullptr;
    mMouseOverIdx = -1;
  }
  if (mInTextEntry == control) mInTextEntry = nullptr;
  if (mInPopupMenu == control) mInPopupMenu = nullptr;
}

void IGraphics::RemoveControl(IControl* control)
{
  AssertUIThread();
  if (!control) return;
  auto remove = [&](std::vector<std::unique_ptr<IControl>>& list)
  {
    for (size_t i = 0; i < list.size(); ++i)
    {
      if (list[i].get() != control) continue;
      ForgetControl(control);
      if (mWalkDepth > 0)
        mRemoved.push_back(std::move(list[i])); // leaves a tombstone the walks skip
      else
        list.erase(list.begin() + static_cast<std::ptrdiff_t>(i));
      return true;
    }
    return false;
  };
  if (!remove(mControls)) remove(mOverlays);
  if (mWalkDepth == 0) FlushRemoved();
}

void IGraphics::RemoveControlWithTag(int tag)
{
  RemoveControl(ControlWithTag(tag));
}

void IGraphics::RemoveAllControls()
{
  AssertUIThread();
  mCapturedMap.clear();
  mTagMap.clear();
  mMouseOver = nullptr;
  mMouseOverIdx = -1;
  mInTextEntry = nullptr;
  mInPopupMenu = nullptr;
  mResizingInProcess = false;
  std::vector<std::unique_ptr<IControl>> gone;
  if (mPerfDisplay) gone.push_back(std::move(mPerfDisplay));
  if (mCornerResizer) gone.push_back(std::move(mCornerResizer));
  if (mTextEntryControl) gone.push_back(std::move(mTextEntryControl));
  if (mPopupControl) gone.push_back(std::move(mPopupControl));
  for (auto& c : mControls) gone.push_back(std::move(c));
  for (auto& c : mOverlays) gone.push_back(std::move(c));
  mControls.clear();
  mOverlays.clear();
  if (mWalkDepth > 0)
  {
    // A handler is still running on one of them: delete after it returns.
    for (auto& c : gone)
      if (c) mRemoved.push_back(std::move(c));
    return;
  }
  // Last first.
  while (!gone.empty()) gone.pop_back();
}

IControl* IGraphics::GetControl(int idx) const
{
  return idx >= 0 && idx < NControls() ? mControls[static_cast<size_t>(idx)].get() : nullptr;
}

int IGraphics::GetControlIdx(const IControl* control) const
{
  for (int i = 0; i < NControls(); ++i)
    if (control && mControls[static_cast<size_t>(i)].get() == control) return i;
  return -1;
}

IControl* IGraphics::ControlWithTag(int tag) const
{
  auto it = mTagMap.find(tag);
  return it == mTagMap.end() ? nullptr : it->second;
}

void IGraphics::ForEachListedControl(const IControlFunction& func)
{
  WalkGuard guard(*this);
  // By index and re-reading the size: controls added meanwhile are visited,
  // removed ones leave tombstones until the walk ends.
  for (size_t i = 0; i < mControls.size(); ++i)
    if (IControl* c = mControls[i].get()) func(c);
}

void IGraphics::ForEachControl(const IControlFunction& func)
{
  WalkGuard guard(*this);
  ForEachListedControl(func);
  if (mPerfDisplay) func(mPerfDisplay.get());
  if (mCornerResizer) func(mCornerResizer.get());
  if (mTextEntryControl) func(mTextEntryControl.get());
  if (mPopupControl) func(mPopupControl.get());
  for (size_t i = 0; i < mOverlays.size(); ++i)
    if (IControl* c = mOverlays[i].get()) func(c);
}

void IGraphics::ForControlsWithParam(int paramIdx, const IControlFunction& func)
{
  ForEachListedControl(
      [&](IControl* c)
      {
        for (int v = 0; v < c->NVals(); ++v)
          if (c->GetParamIdx(v) == paramIdx)
          {
            func(c);
            return;
          }
      });
}

void IGraphics::ForEachControlInGroup(const char* group, const IControlFunction& func)
{
  std::string name = group ? group : "";
  ForEachListedControl(
      [&](IControl* c)
      {
        if (c->GetGroup() == name) func(c);
      });
}

void IGraphics::SyncBoundControls(IControl* caller, int valIdx)
{
  if (!caller) return;
  int paramIdx = caller->GetParamIdx(valIdx);
  if (paramIdx <= kNoParameter) return;
  double value = caller->GetValue(valIdx);
  ForEachListedControl(
      [&](IControl* c)
      {
        if (c == caller) return;
        for (int v = 0; v < c->NVals(); ++v)
          if (c->GetParamIdx(v) == paramIdx) c->SetValueFromPlugin(value, v);
      });
}

void IGraphics::MarkAllDirty()
{
  ForEachControl([](IControl* c) { c->MarkDirty(false); });
}

void IGraphics::ClearAllDirty()
{
  ForEachControl([](IControl* c) { c->ClearDirty(); });
}

void IGraphics::RescaleAllControls()
{
  ForEachControl(
      [](IControl* c)
      {
        c->OnScaleChanged();
        c->MarkDirty(false);
      });
}

void IGraphics::ShowPerformanceDisplay(bool show)
{
  AssertUIThread();
  if (show && !mPerfDisplay)
  {
    mPerfDisplay = std::make_unique<IPerformanceDisplayControl>(IRect(10.f, 10.f, 210.f, 60.f), "Frame Time");
    AttachSetup(mPerfDisplay.get());
  }
  else if (!show && mPerfDisplay)
  {
    ForgetControl(mPerfDisplay.get());
    if (mWalkDepth > 0)
      mRemoved.push_back(std::move(mPerfDisplay));
    else
      mPerfDisplay.reset();
  }
}

// ===== Events =====

bool IGraphics::ControlIsCaptured(const IControl* control) const
{
  for (const auto& entry : mCapturedMap)
    if (entry.second == control) return true;
  return false;
}

void IGraphics::ReleaseMouseCapture()
{
  mCapturedMap.clear();
}

void IGraphics::ShowCursorIfHidden()
{
  if (mCursorHidden) HideMouseCursor(false);
}

IControl* IGraphics::FindControlAt(float x, float y, bool capture, bool mouseOver, uint64_t touchID)
{
  AssertUIThread();
  auto captured = mCapturedMap.find(touchID);
  if (captured != mCapturedMap.end()) return captured->second;

  if (mPopupControl && mPopupControl->IsExpanded()) return mPopupControl.get();
  if (mTextEntryControl && mTextEntryControl->IsEditing()) return mTextEntryControl.get();
  if (mCornerResizer && mCornerResizer->GetRect().Contains(x, y)) return mCornerResizer.get();
  if (mPerfDisplay && mPerfDisplay->GetRect().Contains(x, y)) return mPerfDisplay.get();

  IControl* found = nullptr;
  int foundIdx = -1;
  if (!mouseOver || mHoverEnabled)
  {
    int lowest = mouseOver ? 1 : 0; // the background never receives hover
    for (int i = NControls() - 1; i >= lowest; --i)
    {
      IControl* c = GetControl(i);
      if (!c || c->IsHidden() || c->GetIgnoreMouse()) continue;
      if (c->IsDisabled() && !(mouseOver ? c->GetMouseOverWhenDisabled() : c->GetMouseEventsWhenDisabled()))
        continue;
      if (c->HitTest(x, y))
      {
        found = c;
        foundIdx = i;
        break;
      }
    }
  }

  if (capture && found)
  {
    if (mMultiTouchEnabled && ControlIsCaptured(found) && !found->GetWantsMultiTouch()) return nullptr;
    mCapturedMap[touchID] = found;
  }

  if (mouseOver) mMouseOverIdx = foundIdx;
  return found;
}

void IGraphics::EndGestures(IControl* control)
{
  for (int v = 0; v < control->NVals(); ++v)
  {
    int paramIdx = control->GetParamIdx(v);
    if (paramIdx > kNoParameter) mDelegate->EndParamGesture(paramIdx);
  }
}

void IGraphics::OnMouseDown(const std::vector<IMouseInfo>& points)
{
  WalkGuard guard(*this);
  if (points.size() == 1)
  {
    mMouseDownX = points[0].x;
    mMouseDownY = points[0].y;
  }
  for (const IMouseInfo& point : points)
  {
    float x = point.x;
    float y = point.y;
    const IMouseMods& mod = point.ms;
    IControl* control = FindControlAt(x, y, true, false, mod.touchID);
    if (!control) continue;

    int valIdx = control->ValueIndexAt(x, y);
    if (valIdx < 0) valIdx = 0;
    int paramIdx = control->GetParamIdx(valIdx);

    // The host may take clicks on parameter controls (automation shortcuts).
    if (mViewContainer && paramIdx > kNoParameter)
    {
      uint32_t modifiers = 0;
      if (mViewContainer->GetModifiers(&modifiers) != 0) modifiers = 0;
      if (mod.S) modifiers |= kHostModShift;
      if (mod.A) modifiers |= kHostModAlt;
      if (mod.C) modifiers |= kHostModControl;
      if (mod.R) modifiers |= kHostModRightButton;
      std::string id = std::to_string(paramIdx + 1);
      if (mViewContainer->HandleParameterMouseDown(id.c_str(), modifiers) == 0)
      {
        ReleaseMouseCapture();
        ShowCursorIfHidden();
        return;
      }
    }

    if (mod.R && paramIdx > kNoParameter)
    {
      ReleaseMouseCapture();
      ShowCursorIfHidden();
      mPromptMenu.Clear();
      control->FillContextMenu(mPromptMenu);
      if (mPromptMenu.NItems() > 0) OpenPopupMenu(control, mPromptMenu, IRect(x, y, x, y), valIdx, true);
      return;
    }

    for (int v = 0; v < control->NVals(); ++v)
    {
      int bound = control->GetParamIdx(v);
      if (bound > kNoParameter) mDelegate->BeginParamGesture(bound);
    }
    control->OnMouseDown(x, y, mod);
  }
}

void IGraphics::OnMouseUp(const std::vector<IMouseInfo>& points)
{
  WalkGuard guard(*this);
  for (const IMouseInfo& point : points)
  {
    auto it = mCapturedMap.find(point.ms.touchID);
    if (it == mCapturedMap.end()) continue;
    IControl* control = it->second;
    control->OnMouseUp(point.x, point.y, point.ms);
    EndGestures(control);
    mCapturedMap.erase(point.ms.touchID);
  }

  if (mResizingInProcess)
  {
    mResizingInProcess = false;
    if (mResizeMode == kResizeModeScale)
    {
      ForEachControl([](IControl* c) { c->OnScaleChanged(); });
      MarkAllDirty();
    }
  }

  if (points.size() == 1)
  {
    IControl* over = FindControlAt(points[0].x, points[0].y, false, true);
    SetMouseOverControl(over, points[0].x, points[0].y, points[0].ms);
  }
}

void IGraphics::OnMouseDrag(const std::vector<IMouseInfo>& points)
{
  WalkGuard guard(*this);
  if (mResizingInProcess && points.size() == 1)
  {
    ResizeByDrag(points[0].x, points[0].y);
    return;
  }
  if (mCapturedMap.empty()) return;
  for (const IMouseInfo& point : points)
  {
    auto it = mCapturedMap.find(point.ms.touchID);
    if (it == mCapturedMap.end()) continue;
    IControl* control = it->second;
    if (mInTextEntry && control != mInTextEntry) continue;
    if (point.dX == 0.f && point.dY == 0.f) continue;
    control->OnMouseDrag(point.x, point.y, point.dX, point.dY, point.ms);
  }
}

bool IGraphics::OnMouseDoubleClick(float x, float y, const IMouseMods& mod)
{
  WalkGuard guard(*this);
  IControl* control = FindControlAt(x, y, true, false, mod.touchID);
  if (!control) return false;
  if (control->GetMouseDblAsSingleClick())
  {
    IMouseInfo info;
    info.x = x;
    info.y = y;
    info.ms = mod;
    OnMouseDown({info});
  }
  else
  {
    control->OnMouseDoubleClick(x, y, mod);
    ReleaseMouseCapture();
    ShowCursorIfHidden();
  }
  return true;
}

void IGraphics::SetMouseOverControl(IControl* control, float x, float y, const IMouseMods& mod)
{
  IControl* previous = mMouseOver;
  mMouseOver = control;
  if (previous && previous != control) previous->OnMouseOut();
  if (control) control->OnMouseOver(x, y, mod);
}

bool IGraphics::OnMouseOver(float x, float y, const IMouseMods& mod)
{
  WalkGuard guard(*this);
  IControl* control = FindControlAt(x, y, false, true);
  SetMouseOverControl(control, x, y, mod);
  return control != nullptr;
}

void IGraphics::OnMouseOut()
{
  WalkGuard guard(*this);
  SetMouseCursor(kCursorArrow);
  ForEachControl([](IControl* c) { c->OnMouseOut(); });
  mMouseOver = nullptr;
  mMouseOverIdx = -1;
}

void IGraphics::OnMouseWheel(float x, float y, const IMouseMods& mod, float delta)
{
  WalkGuard guard(*this);
  if (IControl* control = FindControlAt(x, y, false)) control->OnMouseWheel(x, y, mod, delta);
}

bool IGraphics::OnKeyDown(float x, float y, const IKeyPress& key)
{
  WalkGuard guard(*this);
  IControl* control = FindControlAt(x, y, false);
  if (control && control != GetControl(0) && control->OnKeyDown(x, y, key)) return true;
  return mKeyHandlerFunc ? mKeyHandlerFunc(key, false) : false;
}

bool IGraphics::OnKeyUp(float x, float y, const IKeyPress& key)
{
  WalkGuard guard(*this);
  IControl* control = FindControlAt(x, y, false);
  if (control && control != GetControl(0) && control->OnKeyUp(x, y, key)) return true;
  return mKeyHandlerFunc ? mKeyHandlerFunc(key, true) : false;
}

void IGraphics::OnFileDrop(const char* path, float x, float y)
{
  WalkGuard guard(*this);
  if (IControl* control = FindControlAt(x, y, false)) control->OnFileDrop(path);
}

void IGraphics::OnGesture(const IGestureInfo& info)
{
  WalkGuard guard(*this);
  if (IControl* control = FindControlAt(info.x, info.y, false)) control->OnGesture(info);
}

// ===== Dirty regions and drawing =====

bool IGraphics::CollectDirtyRegions(IRectList& rects)
{
  WalkGuard guard(*this);
  if (mDisplayTickFunc) mDisplayTickFunc();
  ForEachControl([](IControl* c) { c->RunAnimation(); });
  bool any = false;
  ForEachControl(
      [&](IControl* c)
      {
        if (c->IsDirty())
        {
          rects.Add(c->GetRect().GetPadded(0.75f));
          any = true;
        }
      });
  return any;
}

void IGraphics::DrawRegions(const IRectList& rects)
{
  WalkGuard guard(*this);
  if (rects.Empty()) return;
  float scale = GetTotalScale();
  BeginFrame();
  // Kept between frames, and the walk's callable small enough to be stored
  // without the heap: a frame after the first allocates nothing.
  IRectList& regions = mDrawRegions;
  regions = rects;
  regions.PixelAlign(scale);
  struct Walk
  {
    IGraphics* g;
    const IRect* region;
    IControl* background;
    float scale;
  } walk{this, nullptr, GetControl(0), scale};
  const Walk* w = &walk;
  auto drawRegion = [&](const IRect& region)
  {
    walk.region = &region;
    ForEachControl([w](IControl* c) { w->g->DrawOneControl(c, *w->region, w->scale, c == w->background); });
  };
  if (mMergeAllRegions)
    drawRegion(regions.Bounds());
  else
  {
    regions.Optimize();
    for (int i = 0; i < regions.Size(); ++i) drawRegion(regions.Get(i));
  }
  EndFrame();
}

void IGraphics::DrawOneControl(IControl* control, const IRect& region, float scale, bool isBackground)
{
  if (control->IsHidden() && !isBackground) return;
  if (region.Empty()) return;
  IRect clip = control->GetRect().GetPadded(0.75f).GetPixelAligned(scale).Intersect(region);
  if (clip.W() <= 0.f || clip.H() <= 0.f) return;
  PathClear();
  PathClipRegion(clip);
  control->Draw(*this);
  control->DrawAutomationHighlight(*this);
  PathClipEnd();
}

// ===== Prompts =====

void IGraphics::OpenValuePrompt(IControl* control, const IRect& bounds, int valIdx)
{
  AssertUIThread();
  if (!control) return;
  const IParam* param = control->GetParam(valIdx);
  if (!param) return;

  bool menuKind = param->Type() == kTypeEnum || param->Type() == kTypeBool;
  if (menuKind && param->DisplayTextCount() > 0)
  {
    std::string current;
    param->FormatValue(param->Value(), false, current, true);
    mPromptMenu.Clear();
    for (int i = 0; i < param->DisplayTextCount(); ++i)
    {
      const char* text = param->DisplayTextAt(i);
      mPromptMenu.AddItem(text, current == text ? IMenu::kChecked : IMenu::kNoFlags);
    }
    OpenPopupMenu(control, mPromptMenu, bounds, valIdx, false);
    return;
  }

  std::string text;
  param->FormatValue(param->Value(), false, text, false);
  if (control->GetPromptShowsParamLabel())
  {
    text += " ";
    text += param->GetLabel();
  }
  mInTextEntry = control;
  mTextEntryValIdx = valIdx;
  CreatePlatformTextEntry(valIdx, control->GetTextStyle(), bounds, control->GetTextEntryLength(),
                          text.c_str());
}

void IGraphics::OpenPopupMenu(IControl* control, IMenu& menu, const IRect& bounds, int valIdx, bool isContext)
{
  AssertUIThread();
  ReleaseMouseCapture();
  ShowCursorIfHidden();
  mInPopupMenu = control;
  mPopupMenuValIdx = valIdx;
  mIsContextMenu = isContext;
  if (mPopupControl)
  {
    mPopupControl->ShowMenu(menu, bounds);
    return;
  }
  bool isAsync = false;
  IMenu* result = CreatePlatformPopupMenu(menu, bounds, isAsync);
  if (!isAsync) FinishMenu(mInPopupMenu, result, valIdx, isContext);
}

void IGraphics::ApplyMenuResult(IMenu* result)
{
  AssertUIThread();
  FinishMenu(mInPopupMenu, result, mPopupMenuValIdx, mIsContextMenu);
}

void IGraphics::FinishMenu(IControl* control, IMenu* result, int valIdx, bool isContext)
{
  WalkGuard guard(*this);
  mInPopupMenu = nullptr;
  if (!control) return;
  if (isContext)
  {
    // A context menu began no gesture, so it ends none.
    control->OnContextMenuChoice(result ? result->GetChosenItemIdx() : -1);
    return;
  }
  control->OnMenuChoice(result, valIdx);
  EndGestures(control);
}

void IGraphics::ApplyTextEntryResult(const char* text)
{
  WalkGuard guard(*this);
  IControl* control = mInTextEntry;
  mInTextEntry = nullptr;
  if (!control) return;
  int valIdx = mTextEntryValIdx;
  if (const IParam* param = control->GetParam(valIdx))
    control->SetValueFromUser(param->NormalFromValue(param->ParseValue(text ? text : "")), valIdx);
  else
    control->OnTextEntryDone(text ? text : "", valIdx);
}

// ===== Size and scale =====

void IGraphics::Resize(int w, int h, float scale, bool needsPlatformResize)
{
  WalkGuard guard(*this);
  w = std::clamp(w, mDelegate->GetMinWidth(), mDelegate->GetMaxWidth());
  h = std::clamp(h, mDelegate->GetMinHeight(), mDelegate->GetMaxHeight());
  if (!(scale == scale)) scale = mDrawScale; // NaN keeps the scale
  scale = std::clamp(scale, std::min(mMinScale, mMaxScale), std::max(mMinScale, mMaxScale));
  if (w == mWidth && h == mHeight && scale == mDrawScale) return;

  ReleaseMouseCapture();
  ShowCursorIfHidden();

  mDrawScale = scale;
  mWidth = w;
  mHeight = h;
  if (mCornerResizer) mCornerResizer->OnScaleChanged();

  int hostW = static_cast<int>(static_cast<float>(WindowWidth()) * mScreenScale);
  int hostH = static_cast<int>(static_cast<float>(WindowHeight()) * mScreenScale);
  bool parentResized = mDelegate->ResizeFromEditor(hostW, hostH, needsPlatformResize);
  PlatformResize(parentResized);
  ForEachControl(
      [](IControl* c)
      {
        c->OnBoundsChanged();
        c->MarkDirty(false);
      });
  DrawResize();
  if (mLayoutOnResize) mDelegate->RunLayout(this);
}

void IGraphics::ResizeByDrag(float x, float y)
{
  if (mResizeMode == kResizeModeSize)
  {
    Resize(static_cast<int>(x), static_cast<int>(y), mDrawScale, true);
    return;
  }
  // Scale mode: the drag point against the mouse-down point; nothing
  // sensible without a positive start.
  if (!(mMouseDownX > 0.f) || !(mMouseDownY > 0.f)) return;
  float scale = std::min(mDrawScale * y / mMouseDownY, mDrawScale * x / mMouseDownX);
  Resize(mWidth, mHeight, scale, true);
}

void IGraphics::SetScreenScale(float scale)
{
  WalkGuard guard(*this);
  if (!(scale > 0.f)) return;
  mScreenScale = scale;
  int hostW = static_cast<int>(scale * static_cast<float>(WindowWidth()));
  int hostH = static_cast<int>(scale * static_cast<float>(WindowHeight()));
  bool parentResized = mDelegate->ResizeFromEditor(hostW, hostH, true);
  PlatformResize(parentResized);
  RescaleAllControls();
  DrawResize();
}

} // namespace igraphics
} // namespace iplug
