// Base of an in-editor popup menu drawn by the graphics framework instead of
// the platform's native menu. While expanded it takes every click. The
// context owns it once attached. User-interface thread only.
#pragma once

#include "IControl.h"

namespace iplug
{
namespace igraphics
{

class IPopupMenuControl : public IControl
{
public:
  using IControl::IControl;
  // Shows menu over anchor; the choice comes back through the context's
  // ApplyMenuResult.
  virtual void ShowMenu(IMenu& menu, const IRect& anchor) = 0;
  virtual bool IsExpanded() const = 0;
};

} // namespace igraphics
} // namespace iplug
