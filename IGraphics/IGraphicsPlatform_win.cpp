#include "IGraphicsPlatform.h"
#include "IGraphicsWin.h"

namespace iplug
{
namespace igraphics
{

IGraphics* MakePlatformGraphics(IGEditorDelegate& dlg, int w, int h, int fps, float scale)
{
  return new IGraphicsWin(dlg, w, h, fps, scale);
}

} // namespace igraphics
} // namespace iplug
