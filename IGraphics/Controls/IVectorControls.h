// Controls drawn with vector primitives instead of pictures: the style they
// share, the drawing mix-in, the tab switch and the row of radio buttons
// (the editor's mode selector). User-interface thread only.
#pragma once

#include "IControl.h"
#include "IControlBases.h"

#include <string>
#include <vector>

namespace iplug
{
namespace igraphics
{

// The nine colours of a vector control, in this order.
enum EVColour
{
  kBG = 0, // background
  kFG,     // button face off
  kPR,     // button face on (pressed)
  kFR,     // frame
  kHL,     // highlight (hover)
  kSH,     // shadow
  kX1,     // extra 1
  kX2,     // extra 2
  kX3,     // extra 3
  kNumVColours
};

struct IVectorColours
{
  IColour mColours[kNumVColours] = {
      kColourTransparent,          // background
      IColour(255, 200, 200, 200), // face off
      IColour(255, 240, 240, 240), // face on
      kColourBlack,                // frame
      IColour(30, 0, 0, 0),        // highlight
      IColour(60, 0, 0, 0),        // shadow
      kColourRed,                  // extra 1
      kColourGreen,                // extra 2
      kColourBlue,                 // extra 3
  };
  const IColour& GetColour(EVColour idx) const { return mColours[idx]; }
  void SetColour(EVColour idx, const IColour& c) { mColours[idx] = c; }
};

struct IVectorStyle
{
  bool hideCursor = true;
  bool showLabel = true;
  bool showValue = true;
  bool drawFrame = true;
  bool drawShadows = true;
  bool emboss = false;
  float roundness = 0.f;      // 0..1 of half the shorter side
  float frameThickness = 1.f; // logical units
  float shadowOffset = 3.f;   // logical units
  float widgetFrac = 1.f;
  float angle = 0.f;
  IVectorColours colours;
  ITextStyle labelText = ITextStyle(kDefaultFontSize, kColourBlack, kDefaultFontID, kAlignCentre, kVAlignTop);
  ITextStyle valueText =
      ITextStyle(kDefaultFontSize, kColourBlack, kDefaultFontID, kAlignCentre, kVAlignBottom);

  const IColour& GetColour(EVColour idx) const { return colours.GetColour(idx); }
};

// Pressable shape codes; only the rounded rectangle is drawn.
enum EVShape
{
  kVShapeRectangle = 0,
  kVShapeEllipse,
  kVShapeTriangle,
  kVShapeEndsRounded,
  kVShapeAllRounded
};

// The drawing mix-in of vector controls: the style, the texts and the
// rectangles the control's bounds are split into.
class IVectorBase
{
public:
  IVectorBase(const IVectorStyle& style, IControl* control, const char* label = "");
  virtual ~IVectorBase() = default;

  virtual void DrawBackground(IGraphics& g, const IRect& r);
  virtual void DrawWidget(IGraphics& g) { (void)g; }
  virtual void DrawLabel(IGraphics& g);
  virtual void DrawValue(IGraphics& g, bool mouseOver);
  // The button face in r: shadow, face (darkened when disabled), highlight
  // and frame. Returns the face rectangle.
  virtual IRect DrawPressableShape(IGraphics& g, EVShape shape, const IRect& r, bool pressed, bool mouseOver,
                                   bool disabled);

  const IVectorStyle& GetStyle() const { return mStyle; }
  const IRect& GetLabelBounds() const { return mLabelBounds; }
  const IRect& GetWidgetBounds() const { return mWidgetBounds; }
  const IRect& GetValueBounds() const { return mValueBounds; }
  const std::string& GetLabelStr() const { return mLabelStr; }
  void SetValueStr(const char* str) { mValueStr = str ? str : ""; }

  // The face colour of a disabled button: 63 off red, green and blue.
  static IColour Darkened(const IColour& c);

protected:
  // Splits the control's bounds: the label on top and the value below when
  // shown, the widget in between (all of it when neither is shown).
  void MakeRects(const IRect& bounds);

  IVectorStyle mStyle;
  IControl* mControl;
  std::string mLabelStr;
  std::string mValueStr;
  IRect mLabelBounds;
  IRect mWidgetBounds;
  IRect mValueBounds;
};

// A row (or column) of buttons, one per state of a switch.
class IVTabSwitchControl : public ISwitchControlBase, public IVectorBase
{
public:
  enum EDirectionTab
  {
    kTabVertical = 0,
    kTabHorizontal = 1
  };

  IVTabSwitchControl(const IRect& bounds, int paramIdx, const std::vector<std::string>& options,
                     const char* label, const IVectorStyle& style, EVShape shape = kVShapeRectangle,
                     int direction = kTabHorizontal);

  void OnInit() override;
  void OnBoundsChanged() override;
  void OnMouseDown(float x, float y, const IMouseMods& mod) override;
  void OnMouseOver(float x, float y, const IMouseMods& mod) override;
  void OnMouseOut() override;
  void Draw(IGraphics& g) override;
  void DrawWidget(IGraphics& g) override;

  // One option's button (its cell, pressed, hovered, disabled).
  virtual void DrawButton(IGraphics& g, const IRect& r, bool pressed, bool mouseOver, bool disabled);
  // The option whose cell holds the point, or -1.
  virtual int GetIndexForPt(float x, float y) const;

  int NOptions() const { return static_cast<int>(mOptions.size()); }
  const std::vector<IRect>& GetCells() const { return mButtons; }
  int GetHoveredOption() const { return mMouseOverButton; }
  // The option the value stands for: int(value * (count - 1) + 0.5).
  int GetSelectedIdx() const;

protected:
  std::vector<std::string> mOptions;
  int mMouseOverButton = -1;
  int mDirection;
  EVShape mShape;
  std::vector<IRect> mButtons;
};

// Radio buttons: a square button at the left of each cell and the option's
// text beside it.
class IVRadioButtonControl : public IVTabSwitchControl
{
public:
  IVRadioButtonControl(const IRect& bounds, int paramIdx, const std::vector<std::string>& options,
                       const char* label, const IVectorStyle& style, EVShape shape = kVShapeRectangle,
                       int direction = kTabVertical, float buttonSize = 10.f);

  void DrawWidget(IGraphics& g) override;
  int GetIndexForPt(float x, float y) const override;
  bool HitTest(float x, float y) const override { return GetIndexForPt(x, y) >= 0; }

  float GetButtonSize() const { return mButtonSize; }
  float GetColumnWidth() const { return mColumnWidth; }
  // The square button of option i.
  IRect GetButtonRect(int i) const;

protected:
  float mButtonSize;
  float mColumnWidth;
  bool mOnlyButtonsRespondToMouse = false;
};

} // namespace igraphics
} // namespace iplug
