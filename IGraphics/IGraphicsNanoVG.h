// The drawing backend on the vector layer (nanovg.h) with its OpenGL 2
// renderer. Everything is drawn into one offscreen framebuffer that holds the
// whole editor picture: a frame redraws only the dirty regions into it and
// then presents the whole framebuffer to the window, so what was not redrawn
// keeps its earlier pixels.
//
// The platform layer deriving from this class provides the OpenGL context:
// it calls OnViewInitialized and OnViewDestroyed with the context current,
// and makes it current around every frame (ActivateGLContext /
// DeactivateGLContext).
//
// Without a vector context (no OpenGL context, or one without OpenGL 2), or
// without the main framebuffer, drawing does nothing; a trace says why once
// per cause.
//
// Threads: user-interface thread only. Pictures may be released from other
// paths of that thread while a frame is in progress: their GPU objects are
// then queued and deleted after the frame (the queue has its own lock).
#pragma once

#include "IGraphics.h"

#include <memory>
#include <mutex>
#include <string>
#include <vector>

struct NVGcontext;
struct NVGLUframebuffer;
struct NVGpaint;

namespace iplug
{
namespace igraphics
{

class IGraphicsNanoVG : public IGraphics
{
public:
  // What a picture shares with the backend that made it: the vector context
  // (null once the view is gone, so late-released pictures touch nothing),
  // the drawing flag and the deletion queue.
  struct ContextLife;

  class Bitmap : public APIBitmap
  {
  public:
    // An existing image of the vector context; its size is read back.
    Bitmap(IGraphicsNanoVG* graphics, NVGcontext* vg, int image, float scale, float drawScale = 1.f);
    // A new RGBA texture from w x h pixels (4 bytes each, rows top first).
    Bitmap(IGraphicsNanoVG* graphics, NVGcontext* vg, int w, int h, const unsigned char* rgba, float scale,
           float drawScale);
    // A layer: a framebuffer of w x h pixels with a colour texture, cleared to
    // transparent.
    Bitmap(IGraphicsNanoVG* graphics, NVGcontext* vg, int w, int h, float scale, float drawScale);
    ~Bitmap() override;

    IGraphicsNanoVG* GetGraphics() const { return mGraphics; }
    NVGLUframebuffer* GetFBO() const { return mFBO; }
    // True when the image belongs to something else (not deleted with this).
    bool IsShared() const { return mShared; }

  private:
    friend class IGraphicsNanoVG;
    IGraphicsNanoVG* mGraphics;
    NVGcontext* mVG;
    NVGLUframebuffer* mFBO = nullptr;
    bool mShared = false;
    std::shared_ptr<ContextLife> mLife;
  };

  IGraphicsNanoVG(IGEditorDelegate& dlg, int w, int h, int fps = 60, float scale = 1.f);
  ~IGraphicsNanoVG() override;

  // Frame and view.
  void BeginFrame() override;
  void EndFrame() override;
  void OnViewInitialized(void* pContext) override;
  void OnViewDestroyed() override;
  void DrawResize() override;

  // Pictures.
  void DrawBitmap(const IBitmapRef& bitmap, const IRect& dest, int srcX, int srcY,
                  const IBlendMode* blend = nullptr) override;
  APIBitmap* ScaleAPIBitmap(const APIBitmap* bitmap, int scale) override;
  void RetainBitmap(const IBitmapRef& bitmap, const char* cacheName) override;
  void ReleaseBitmap(const IBitmapRef& bitmap) override;
  // "png" and "jpg" (any case, found anywhere in ext).
  bool BitmapExtSupported(const char* ext) override;
  APIBitmap* LoadAPIBitmap(const char* name, const void* data, int dataSize, int scale) override;
  APIBitmap* LoadAPIBitmap(const char* fileNameOrResID, int scale, EResourceLocation location,
                           const char* ext) override;
  APIBitmap* CreateAPIBitmap(int width, int height, float scale, double drawScale,
                             bool cacheable = false) override;
  // Registers the font's bytes under fontID. The bytes are kept in a
  // process-wide cache keyed by font id, so another editor registers the
  // same bytes without reloading; registered with the vector context now or,
  // before the view exists, when it is created.
  bool LoadAPIFont(const char* fontID, const PlatformFontPtr& font) override;

  // Layers.
  void GetLayerBitmapData(const ILayerPtr& layer, RawBitmapData& data) override;
  void ApplyShadowMask(ILayerPtr& layer, RawBitmapData& mask, const IShadow& shadow) override;
  void UpdateLayer() override;
  // A layer over r (logical units) at the current scales; empty when there
  // is no vector context or the framebuffer cannot be made.
  ILayerPtr MakeLayer(const IRect& r);
  // Drawing goes into layer (kept by the caller) until PopLayer; only
  // while a frame is drawn.
  void PushLayer(ILayer* layer);
  ILayer* PopLayer();
  // Draws the layer's picture at its place.
  void DrawLayer(const ILayerPtr& layer, const IBlendMode* blend = nullptr);

  // Paths.
  void PathClear() override;
  void PathClose() override;
  void PathArc(float cx, float cy, float r, float a1, float a2, bool clockwise = true) override;
  void PathMoveTo(float x, float y) override;
  void PathLineTo(float x, float y) override;
  void PathSetWinding(bool clockwise) override;
  void PathCubicBezierTo(float c1x, float c1y, float c2x, float c2y, float x2, float y2) override;
  void PathQuadraticBezierTo(float cx, float cy, float x2, float y2) override;
  void PathStroke(const IPattern& pattern, float thickness, const IStrokeOptions& options = IStrokeOptions(),
                  const IBlendMode* blend = nullptr) override;
  void PathFill(const IPattern& pattern, const IFillOptions& options = IFillOptions(),
                const IBlendMode* blend = nullptr) override;
  void PathTransformSetMatrix(const IMatrix& m) override;
  void SetClipRegion(const IRect& r) override;

  // Text.
  float DoMeasureText(const ITextStyle& style, const char* str, IRect& bounds) const override;
  void DoDrawText(const ITextStyle& style, const char* str, const IRect& bounds,
                  const IBlendMode* blend = nullptr) override;

  // Queries. GetPoint reads the main framebuffer at a logical point.
  IColour GetPoint(int x, int y) override;
  void* GetDrawContext() override { return mVG; }
  const char* GetDrawingAPIStr() override { return "NanoVG | GL2"; }

  // The main framebuffer's pixel size (0 x 0 when there is none).
  int FramebufferWidth() const { return mFBWidth; }
  int FramebufferHeight() const { return mFBHeight; }
  // Reads the whole main framebuffer: RGBA (premultiplied as drawn), top row
  // first. Empty without one. Call with the OpenGL context current, outside
  // a frame.
  void ReadFramebuffer(std::vector<unsigned char>& rgba);

  // The blend factors (vector-layer constants, source then destination) of
  // a blend; source over without one.
  static void BlendFactors(const IBlendMode* blend, int& src, int& dst);

protected:
  NVGcontext* mVG = nullptr;

private:
  bool CanDraw() const;
  void TraceOnce(int cause, const char* why) const;
  void ApplyBlend(const IBlendMode* blend);
  void ResetBlend();
  NVGpaint MakePaint(const IPattern& pattern, const IBlendMode* blend);
  void ApplyTransform();
  void BindTarget(NVGLUframebuffer* fb);
  void BeginTargetFrame();
  void DeleteQueued();
  bool RegisterFont(const char* fontID);
  void TextPosition(const ITextStyle& style, const IRect& r, float& x, float& y, int& align) const;

  NVGLUframebuffer* mMainFB = nullptr;
  int mFBWidth = 0;
  int mFBHeight = 0;
  int mDefaultFB = 0;
  bool mDefaultFBRead = false;
  std::shared_ptr<ContextLife> mLife;
  // Pictures kept for this editor (RetainBitmap), under their own lock.
  std::mutex mBitmapMutex;
  std::vector<std::unique_ptr<APIBitmap>> mRetained;
  std::vector<ILayer*> mLayers;
  std::vector<std::string> mPendingFonts;
  IMatrix mMatrix;
  IRect mClip;
  // Current point of the path (for quadratic curves).
  float mPathX = 0.f;
  float mPathY = 0.f;
  float mSubpathX = 0.f;
  float mSubpathY = 0.f;
  mutable unsigned mTraced = 0;
};

} // namespace igraphics
} // namespace iplug
