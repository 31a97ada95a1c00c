// Whether an editor has drawn what it shows: every control of its layout has
// been drawn since it was last marked dirty (opening the window and a resize
// mark them all). The platform windows clear a control's mark only in the
// frame that draws it. User-interface thread only.
#pragma once

#include "IControl.h"
#include "IGraphics.h"

namespace kestrine_test
{

inline bool NothingLeftToDraw(const iplug::igraphics::IGraphics& g)
{
  for (int i = 0; i < g.NControls(); ++i)
    if (g.GetControl(i)->IsDirty()) return false;
  return true;
}

} // namespace kestrine_test
