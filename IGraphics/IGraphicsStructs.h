// Plain records shared by the whole graphics framework: rectangles, colours,
// text styles, blend modes, mouse and key records, drawing patterns and the
// handles of loaded pictures. Values only; no thread rules of their own.
// Coordinates are logical units (one unit is one pixel at draw scale 1 and
// screen scale 1).
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace iplug
{
namespace igraphics
{

class IControl;
class IGraphics;

// Default font id of the framework and of every control's text style.
constexpr const char* kDefaultFontID = "Poppins-Medium";
constexpr float kDefaultFontSize = 17.f;

struct IRect
{
  float L = 0.f;
  float T = 0.f;
  float R = 0.f;
  float B = 0.f;

  IRect() = default;
  IRect(float l, float t, float r, float b) : L(l), T(t), R(r), B(b) {}

  float W() const { return R - L; }
  float H() const { return B - T; }
  float MW() const { return 0.5f * (L + R); }
  float MH() const { return 0.5f * (T + B); }
  // All four values 0.
  bool Empty() const { return L == 0.f && T == 0.f && R == 0.f && B == 0.f; }
  // Half-open: the right and bottom edges are outside.
  bool Contains(float x, float y) const { return !Empty() && x >= L && x < R && y >= T && y < B; }
  bool Intersects(const IRect& r) const { return L < r.R && r.L < R && T < r.B && r.T < B; }
  bool operator==(const IRect& r) const { return L == r.L && T == r.T && R == r.R && B == r.B; }
  bool operator!=(const IRect& r) const { return !(*this == r); }

  IRect GetPadded(float p) const { return IRect(L - p, T - p, R + p, B + p); }
  IRect GetTranslated(float x, float y) const { return IRect(L + x, T + y, R + x, B + y); }
  // Overlap of the two, or the all-zero rectangle when they do not meet.
  IRect Intersect(const IRect& r) const
  {
    if (!Intersects(r)) return IRect();
    return IRect(std::max(L, r.L), std::max(T, r.T), std::min(R, r.R), std::min(B, r.B));
  }
  // Bounding rectangle; an all-zero operand counts as nothing.
  IRect Union(const IRect& r) const
  {
    if (Empty()) return r;
    if (r.Empty()) return *this;
    return IRect(std::min(L, r.L), std::min(T, r.T), std::max(R, r.R), std::max(B, r.B));
  }
  // Outward to whole device pixels at the given scale, back in logical units.
  IRect GetPixelAligned(float scale) const
  {
    if (!(scale > 0.f)) return *this;
    return IRect(std::floor(L * scale) / scale, std::floor(T * scale) / scale, std::ceil(R * scale) / scale,
                 std::ceil(B * scale) / scale);
  }
  IRect GetCentredInside(float w, float h) const
  {
    float l = MW() - w / 2.f;
    float t = MH() - h / 2.f;
    return IRect(l, t, l + w, t + h);
  }
};

// A list of dirty rectangles.
class IRectList
{
public:
  void Add(const IRect& r) { mRects.push_back(r); }
  void Clear() { mRects.clear(); }
  int Size() const { return static_cast<int>(mRects.size()); }
  bool Empty() const { return mRects.empty(); }
  const IRect& Get(int i) const { return mRects[static_cast<size_t>(i)]; }
  IRect& Get(int i) { return mRects[static_cast<size_t>(i)]; }
  IRect Bounds() const;
  void PixelAlign(float scale);
  // Replaces overlapping rectangles by their bounding rectangle until no two
  // overlap; the covered area never shrinks.
  void Optimize();

private:
  std::vector<IRect> mRects;
};

struct IColour
{
  int A = 255;
  int R = 0;
  int G = 0;
  int B = 0;

  IColour() = default;
  IColour(int a, int r, int g, int b) : A(a), R(r), G(g), B(b) {}
  bool operator==(const IColour& c) const { return A == c.A && R == c.R && G == c.G && B == c.B; }
  bool operator!=(const IColour& c) const { return !(*this == c); }
};

const IColour kColourTransparent(0, 0, 0, 0);
const IColour kColourBlack(255, 0, 0, 0);
const IColour kColourWhite(255, 255, 255, 255);
const IColour kColourRed(255, 255, 0, 0);
const IColour kColourGreen(255, 0, 255, 0);
const IColour kColourBlue(255, 0, 0, 255);
const IColour kColourYellow(255, 255, 255, 0);

enum EAlign
{
  kAlignNear = 0,
  kAlignCentre = 1,
  kAlignFar = 2
};

enum EVAlign
{
  kVAlignTop = 0,
  kVAlignMiddle = 1,
  kVAlignBottom = 2
};

constexpr int kMaxFontIDLen = 64;

struct ITextStyle
{
  char mFont[kMaxFontIDLen] = {};
  float mSize = kDefaultFontSize;
  IColour mColour = kColourBlack;
  IColour mTextEntryBGColour = kColourWhite;
  IColour mTextEntryFGColour = kColourBlack;
  float mAngle = 0.f; // degrees
  int mAlign = kAlignCentre;
  int mVAlign = kVAlignMiddle;

  ITextStyle() { SetFont(kDefaultFontID); }
  ITextStyle(float size, const IColour& colour, const char* font = kDefaultFontID, int align = kAlignCentre,
             int valign = kVAlignMiddle, float angle = 0.f)
      : mSize(size), mColour(colour), mAngle(angle), mAlign(align), mVAlign(valign)
  {
    SetFont(font);
  }
  // Longer ids are cut to 63 characters.
  void SetFont(const char* font)
  {
    std::memset(mFont, 0, sizeof(mFont));
    if (font) std::strncpy(mFont, font, kMaxFontIDLen - 1);
  }
};

struct IBlendMode
{
  int mMethod = 0; // 0 = default (source over)
  float mWeight = 1.f;

  IBlendMode() = default;
  IBlendMode(int method, float weight) : mMethod(method), mWeight(weight) {}
};

// The opacity a blend applies (1 without a blend).
inline float BlendWeight(const IBlendMode* blend)
{
  return blend ? std::clamp(blend->mWeight, 0.f, 1.f) : 1.f;
}

struct IMouseMods
{
  bool L = false; // left button
  bool R = false; // right button
  bool S = false; // shift
  bool C = false; // control
  bool A = false; // alt
  uint64_t touchID = 0;
  float touchRadius = 0.f;

  IMouseMods() = default;
  IMouseMods(bool l, bool r = false, bool s = false, bool c = false, bool a = false, uint64_t id = 0)
      : L(l), R(r), S(s), C(c), A(a), touchID(id)
  {
  }
};

struct IMouseInfo
{
  float x = 0.f;
  float y = 0.f;
  float dX = 0.f;
  float dY = 0.f;
  IMouseMods ms;
};

// A key press: the character it types (UTF-8, may be empty), the platform's
// virtual-key code and the modifier states.
struct IKeyPress
{
  char utf8[5] = {};
  int VK = 0;
  bool S = false;
  bool C = false;
  bool A = false;

  IKeyPress() = default;
  IKeyPress(const char* text, int vk, bool s = false, bool c = false, bool a = false)
      : VK(vk), S(s), C(c), A(a)
  {
    if (text) std::strncpy(utf8, text, sizeof(utf8) - 1);
  }
};

enum class EGestureType
{
  Unknown,
  DoubleTap,
  TripleTap,
  LongPress1,
  LongPress2,
  SwipeLeft,
  SwipeRight,
  SwipeUp,
  SwipeDown,
  Pinch,
  Rotate
};

enum class EGestureState
{
  Unspecified,
  Began,
  InProcess,
  Ended
};

struct IGestureInfo
{
  float x = 0.f;
  float y = 0.f;
  float scale = 0.f;
  float velocity = 0.f;
  float angle = 0.f;
  EGestureState state = EGestureState::Unspecified;
  EGestureType type = EGestureType::Unknown;
};

using IGestureFunc = std::function<void(IControl*, const IGestureInfo&)>;

// Cursor shapes understood by the platform layer.
enum ECursor
{
  kCursorArrow = 0,
  kCursorIBeam,
  kCursorWait,
  kCursorCross,
  kCursorUpArrow,
  kCursorSizeNWSE,
  kCursorSizeNESW,
  kCursorSizeWE,
  kCursorSizeNS,
  kCursorSizeAll,
  kCursorNo,
  kCursorHand,
  kCursorAppStarting,
  kCursorHelp
};

// What dragging the corner resizer changes.
enum EResizeMode
{
  kResizeModeScale = 0,
  kResizeModeSize = 1
};

// Where LocateResource found something.
enum EResourceLocation
{
  kNotFound = 0,
  kAbsolutePath = 1,
  kWinBinary = 2
};

enum EFontStyle
{
  kFontStyleNormal = 0,
  kFontStyleBold = 1,
  kFontStyleItalic = 2
};

// 2D affine transform: x' = xx*x + xy*y + tx, y' = yx*x + yy*y + ty.
struct IMatrix
{
  double mXX = 1.0, mYX = 0.0, mXY = 0.0, mYY = 1.0, mTX = 0.0, mTY = 0.0;

  IMatrix() = default;
  IMatrix(double xx, double yx, double xy, double yy, double tx, double ty)
      : mXX(xx), mYX(yx), mXY(xy), mYY(yy), mTX(tx), mTY(ty)
  {
  }
  // This transform applied after m.
  IMatrix& Transform(const IMatrix& m);
  IMatrix& Translate(float x, float y) { return Transform(IMatrix(1, 0, 0, 1, x, y)); }
  IMatrix& Scale(float x, float y) { return Transform(IMatrix(x, 0, 0, y, 0, 0)); }
  // Degrees, clockwise on screen.
  IMatrix& Rotate(float angle);
  void TransformPoint(double& x, double& y) const
  {
    double px = x;
    double py = y;
    x = mXX * px + mXY * py + mTX;
    y = mYX * px + mYY * py + mTY;
  }
};

enum EPatternType
{
  kPatternSolid = 0,
  kPatternLinear,
  kPatternRadial
};

struct IColourStop
{
  IColour mColour;
  float mOffset = 0.f;
};

// A paint: a solid colour or a gradient with its stops in pattern space.
struct IPattern
{
  EPatternType mType = kPatternSolid;
  std::vector<IColourStop> mStops;
  IMatrix mTransform;

  IPattern(const IColour& colour) : mStops{{colour, 0.f}} {} // NOLINT: a colour is a solid paint
  IPattern(EPatternType type) : mType(type) {}
  IColour GetStopColour(int i) const
  {
    return i >= 0 && i < static_cast<int>(mStops.size()) ? mStops[static_cast<size_t>(i)].mColour : IColour();
  }
};

enum ELineCap
{
  kCapButt = 0,
  kCapRound,
  kCapSquare
};

enum ELineJoin
{
  kJoinMiter = 0,
  kJoinRound,
  kJoinBevel
};

enum EFillRule
{
  kFillWinding = 0,
  kFillEvenOdd
};

struct IStrokeOptions
{
  float mMiterLimit = 10.f;
  bool mPreserve = false;
  int mCapOption = kCapButt;
  int mJoinOption = kJoinMiter;
  std::vector<float> mDash; // on/off lengths; empty = solid
  float mDashOffset = 0.f;
};

struct IFillOptions
{
  int mFillRule = kFillWinding;
  bool mPreserve = false;
};

struct IShadow
{
  IPattern mPattern = IPattern(kColourBlack);
  float mBlurSize = 0.f;
  float mXOffset = 0.f;
  float mYOffset = 0.f;
  float mOpacity = 1.f;
  bool mDrawForeground = true;
};

// A picture as the drawing backend holds it. Backends derive from it.
class APIBitmap
{
public:
  APIBitmap() = default;
  APIBitmap(int image, int w, int h, float scale, float drawScale = 1.f)
      : mImage(image), mWidth(w), mHeight(h), mScale(scale), mDrawScale(drawScale)
  {
  }
  virtual ~APIBitmap() = default;
  APIBitmap(const APIBitmap&) = delete;
  APIBitmap& operator=(const APIBitmap&) = delete;

  int GetImage() const { return mImage; }
  int GetWidth() const { return mWidth; }
  int GetHeight() const { return mHeight; }
  float GetScale() const { return mScale; }
  float GetDrawScale() const { return mDrawScale; }

protected:
  int mImage = 0;
  int mWidth = 0;
  int mHeight = 0;
  float mScale = 1.f;
  float mDrawScale = 1.f;
};

// Handle to a loaded film strip; the backend bitmap is not owned (it lives
// in the context's picture cache). An empty handle has no bitmap and zero
// sizes.
struct IBitmapRef
{
  APIBitmap* mBitmap = nullptr;
  int mW = 0;
  int mH = 0;
  int mN = 1;
  bool mFramesAreHorizontal = false;
  std::string mResourceName;

  IBitmapRef() = default;
  IBitmapRef(APIBitmap* bitmap, int n, bool framesAreHorizontal, const char* name)
      : mBitmap(bitmap), mN(n < 1 ? 1 : n), mFramesAreHorizontal(framesAreHorizontal),
        mResourceName(name ? name : "")
  {
    if (bitmap && bitmap->GetScale() > 0.f)
    {
      mW = static_cast<int>(bitmap->GetWidth() / bitmap->GetScale());
      mH = static_cast<int>(bitmap->GetHeight() / bitmap->GetScale());
    }
  }
  bool IsValid() const { return mBitmap != nullptr; }
  APIBitmap* GetAPIBitmap() const { return mBitmap; }
  int W() const { return mW; }
  int H() const { return mH; }
  int N() const { return mN; }
  // Frame size in whole logical units (a frame count below 1 counts as 1).
  int FW() const { return mFramesAreHorizontal ? mW / std::max(mN, 1) : mW; }
  int FH() const { return mFramesAreHorizontal ? mH : mH / std::max(mN, 1); }
  bool GetFramesAreHorizontal() const { return mFramesAreHorizontal; }
  const char* GetResourceName() const { return mResourceName.c_str(); }
};

// Handle to a parsed SVG picture; the parsed data is owned elsewhere.
struct ISVG
{
  const void* mImage = nullptr;
  float mW = 0.f;
  float mH = 0.f;
  bool IsValid() const { return mImage != nullptr; }
};

// An offscreen drawing target: its own backend bitmap and its place.
struct ILayer
{
  std::unique_ptr<APIBitmap> mBitmap;
  IRect mRect;
  bool mInvalid = false;
};
using ILayerPtr = std::unique_ptr<ILayer>;

// Pixels read back from a layer: RGBA bytes row by row.
using RawBitmapData = std::vector<uint8_t>;

// A font as the platform layer loaded it; the drawing backend reads its bytes.
class PlatformFont
{
public:
  virtual ~PlatformFont() = default;
  virtual const void* GetData() const { return nullptr; }
  virtual int GetDataSize() const { return 0; }
  virtual int GetFaceIdx() const { return 0; }
};
using PlatformFontPtr = std::unique_ptr<PlatformFont>;

} // namespace igraphics
} // namespace iplug
