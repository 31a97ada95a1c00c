#include "IValueEntryControl.h"

#include "IGraphics.h"

namespace iplug
{
namespace igraphics
{

namespace
{
constexpr int kVKBack = 0x08;
constexpr int kVKReturn = 0x0D;
constexpr int kVKEscape = 0x1B;
// Longest text the entry holds (a value with its unit fits many times over).
constexpr size_t kMaxEntryLength = 64;
} // namespace

IValueEntryControl::IValueEntryControl() : ITextEntryControl(IRect()) {}

void IValueEntryControl::Begin(const IRect& bounds, const ITextStyle& style, const char* text, int valIdx)
{
  if (mEditing) MarkDirty(false); // the old box's area is drawn again
  SetTargetAndDrawRects(bounds);
  mStyle = style;
  mText = text ? text : "";
  mValIdx = valIdx;
  mEditing = true;
  mReplace = true;
  MarkDirty(false);
}

bool IValueEntryControl::Accepts(char c) const
{
  if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return false;
  IGraphics* g = GetUI();
  IControl* control = g ? g->GetControlInTextEntry() : nullptr;
  const IParam* param = control ? control->GetParam(mValIdx) : nullptr;
  if (!param) return true;
  const bool digit = c >= '0' && c <= '9';
  switch (param->Type())
  {
  case kTypeDouble:
    return digit || c == '.' || c == '-' || c == '+';
  case kTypeInt:
    return digit || c == '-';
  default:
    return true;
  }
}

bool IValueEntryControl::OnKey(const IKeyPress& key)
{
  if (!mEditing) return false;
  if (key.VK == kVKReturn)
    Commit();
  else if (key.VK == kVKEscape)
    Cancel();
  else if (key.VK == kVKBack)
  {
    if (mReplace)
      mText.clear();
    else if (!mText.empty())
      mText.pop_back();
    mReplace = false;
  }
  else if (key.utf8[0] && !key.utf8[1] && !key.C && Accepts(key.utf8[0]))
  {
    if (mReplace) mText.clear();
    mReplace = false;
    if (mText.size() < kMaxEntryLength) mText += key.utf8[0];
  }
  MarkDirty(false);
  return true;
}

void IValueEntryControl::End()
{
  mEditing = false;
  MarkDirty(false);
}

void IValueEntryControl::Commit()
{
  if (!mEditing) return;
  End();
  const std::string text = mText;
  if (IGraphics* g = GetUI()) g->ApplyTextEntryResult(text.c_str());
}

void IValueEntryControl::Cancel()
{
  if (!mEditing) return;
  End();
  if (IGraphics* g = GetUI()) g->CancelTextEntry();
}

void IValueEntryControl::Draw(IGraphics& g)
{
  if (!mEditing) return;
  g.FillRect(mStyle.mTextEntryBGColour, mRect);
  ITextStyle text = mStyle;
  text.mColour = mStyle.mTextEntryFGColour;
  text.mVAlign = kVAlignMiddle;
  if (mReplace)
  {
    // The whole text is selected: typing replaces it.
    g.FillRect(IColour(255, 170, 200, 240), mRect.GetPadded(-2.f));
  }
  g.DrawText(text, mText.c_str(), mRect);
  g.DrawRect(mStyle.mTextEntryFGColour, mRect);
}

void IValueEntryControl::OnMouseDown(float x, float y, const IMouseMods&)
{
  if (!mRect.Contains(x, y)) Commit();
}

void IValueEntryControl::OnMouseWheel(float, float, const IMouseMods&, float)
{
  Cancel();
}

} // namespace igraphics
} // namespace iplug
