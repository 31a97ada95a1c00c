// The editor's knobs: film-strip knobs that also print their parameter's
// value with its unit. Alt-click resets to the default, a double-click opens
// value entry in a font 1.25 times the knob's text size; the cursor stays
// visible while dragging, a right-click does nothing and hovering changes
// nothing. IKnobControl and IKnobControl2 behave the same (two knob
// families); IBigKnobControl prints its value over the picture instead of
// under it. User-interface thread only.
#pragma once

#include "IBitmapControl.h"

namespace iplug
{
namespace igraphics
{

// What the three knobs share; textRect is where the value text goes.
class IKestrineKnobBase : public IBKnobControl
{
public:
  // bounds: exactly one frame of the picture.
  IKestrineKnobBase(const IRect& bounds, const IBitmapRef& bitmap, int paramIdx, const ITextStyle& style,
                    const IRect& textRect);

  void OnMouseDown(float x, float y, const IMouseMods& mod) override;
  void OnMouseDoubleClick(float x, float y, const IMouseMods& mod) override;
  void OnMouseOver(float, float, const IMouseMods&) override {}
  void Draw(IGraphics& g) override;

  const IRect& GetTextRect() const { return mTextRect; }
  const IRect& GetKnobRect() const { return mKnobRect; }
  // The parameter's display text, then a space and its unit label when it
  // has one; empty when unbound.
  std::string ValueText() const;

protected:
  IRect mTextRect;
  IRect mKnobRect;
};

// Value text in a 22-unit strip straddling the bottom edge of the picture.
class IKnobControl : public IKestrineKnobBase
{
public:
  IKnobControl(const IRect& bounds, const IBitmapRef& bitmap, int paramIdx, const ITextStyle& style);
};

class IKnobControl2 : public IKestrineKnobBase
{
public:
  IKnobControl2(const IRect& bounds, const IBitmapRef& bitmap, int paramIdx, const ITextStyle& style);
};

// Value text over the whole picture less 2 units at the bottom.
class IBigKnobControl : public IKestrineKnobBase
{
public:
  IBigKnobControl(const IRect& bounds, const IBitmapRef& bitmap, int paramIdx, const ITextStyle& style);
};

} // namespace igraphics
} // namespace iplug
