// Base of an in-editor text entry drawn by the graphics framework instead of
// the platform's edit box. While editing it takes every click. The context
// owns it once attached. User-interface thread only.
#pragma once

#include "IControl.h"

namespace iplug
{
namespace igraphics
{

class ITextEntryControl : public IControl
{
public:
  using IControl::IControl;
  virtual bool IsEditing() const = 0;
};

} // namespace igraphics
} // namespace iplug
