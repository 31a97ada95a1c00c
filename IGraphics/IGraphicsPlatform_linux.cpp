#include "IGraphicsLinux.h"
#include "IGraphicsPlatform.h"

namespace iplug
{
namespace igraphics
{

IGraphics* MakePlatformGraphics(IGEditorDelegate& dlg, int w, int h, int fps, float scale)
{
  return new IGraphicsLinux(dlg, w, h, fps, scale);
}

} // namespace igraphics
} // namespace iplug
