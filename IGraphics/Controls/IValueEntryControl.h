// A value entry drawn by the editor itself, for platforms without a native
// edit box: a box over the prompt's rectangle holding the value's text.
// Typing replaces the whole text at first, then appends; Backspace deletes
// the last character; Return (or a click outside the box) commits the text
// to the control in entry, Escape or the wheel cancels. Characters a
// parameter cannot take are refused: digits, '.', '-' and '+' for a
// continuous parameter, digits and '-' for an integer one.
//
// User-interface thread only. The context owns it once attached
// (AttachTextEntryControl); while editing it takes every click.
#pragma once

#include "ITextEntryControl.h"

#include <string>

namespace iplug
{
namespace igraphics
{

class IValueEntryControl : public ITextEntryControl
{
public:
  IValueEntryControl();

  // Starts editing text over bounds (logical units) in style, for the
  // control the context has in entry and its value valIdx.
  void Begin(const IRect& bounds, const ITextStyle& style, const char* text, int valIdx);
  // A key while editing; true when it was used (every key is, while editing).
  bool OnKey(const IKeyPress& key);
  void Commit();
  void Cancel();

  bool IsEditing() const override { return mEditing; }
  const std::string& GetText() const { return mText; }
  // Whether c may go into the entry for the value in entry.
  bool Accepts(char c) const;

  void Draw(IGraphics& g) override;
  void OnMouseDown(float x, float y, const IMouseMods& mod) override;
  void OnMouseWheel(float x, float y, const IMouseMods& mod, float d) override;

private:
  void End();

  std::string mText;
  ITextStyle mStyle;
  int mValIdx = 0;
  bool mEditing = false;
  // The first typed character replaces the value's text.
  bool mReplace = false;
};

} // namespace igraphics
} // namespace iplug
