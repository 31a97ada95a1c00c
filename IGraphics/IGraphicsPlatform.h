// The graphics context of this platform: the platform layer over the drawing
// backend. The build chooses the file that defines it (IGraphicsLinux on
// Linux, IGraphicsWin on Windows).
#pragma once

#include "IGraphics.h"

namespace iplug
{
namespace igraphics
{

// A new context of w x h logical units at the given frame rate and draw
// scale; the caller owns it (the editor delegate's factory returns it).
IGraphics* MakePlatformGraphics(IGEditorDelegate& dlg, int w, int h, int fps, float scale);

} // namespace igraphics
} // namespace iplug
