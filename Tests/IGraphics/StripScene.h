// The editor-sized scene of the backend's benchmark and allocation test: the
// effect's background and thirteen film-strip controls made from its artwork
// (pictures at scale 2, read from files), 580 x 250 units.
#pragma once

#include "NanoVGTestPlatform.h"

#include <string>
#include <vector>

namespace iplug_test
{

// A control that draws one frame of a vertical film strip.
class StripControl : public IControl
{
public:
  StripControl(const IRect& r, const IBitmapRef& bitmap) : IControl(r), mBitmap(bitmap) {}
  void Draw(IGraphics& g) override { g.DrawBitmapFrame(mBitmap, mRect, mFrame); }
  void Step()
  {
    mFrame = mFrame % mBitmap.N() + 1;
    MarkDirty(false);
  }

private:
  IBitmapRef mBitmap;
  int mFrame = 1;
};

// Adds the scene; false when a picture cannot be loaded. The strips go to
// *strips in the order they were added.
inline bool BuildStripScene(IGraphicsNanoVG& g, const std::string& imgDir, std::vector<StripControl*>* strips)
{
  auto load = [&](const char* file, int frames, IBitmapRef& out)
  {
    const std::string path = imgDir + "/" + file;
    APIBitmap* b = g.LoadAPIBitmap(path.c_str(), 2, kAbsolutePath, "png");
    if (!b) return false;
    out = IBitmapRef(b, frames, false, file);
    g.RetainBitmap(out, file);
    return true;
  };
  IBitmapRef background, knob, trim, eqTrim, hpf, bypass, small;
  if (!load("Background@2x.png", 1, background) || !load("Knob@2x.png", 60, knob) ||
      !load("TrimKnob@2x.png", 101, trim) || !load("EQTrimKnob@2x.png", 101, eqTrim) ||
      !load("HPFKnob@2x.png", 100, hpf) || !load("BypassBtn@2x.png", 2, bypass) ||
      !load("SmallBtn@2x.png", 2, small))
    return false;
  g.AddControl(new StripControl(g.GetBounds(), background));
  struct Place
  {
    const IBitmapRef* bitmap;
    float x, y;
  } const places[] = {
      {&knob, 30, 40},   {&knob, 170, 40},  {&knob, 310, 40},    {&knob, 450, 40},    {&knob, 240, 150},
      {&trim, 30, 160},  {&trim, 110, 160}, {&eqTrim, 380, 160}, {&eqTrim, 460, 160}, {&hpf, 530, 100},
      {&bypass, 10, 10}, {&small, 540, 10}, {&small, 560, 10},
  };
  for (const Place& p : places)
  {
    const IBitmapRef& b = *p.bitmap;
    auto* c = new StripControl(
        IRect(p.x, p.y, p.x + static_cast<float>(b.FW()), p.y + static_cast<float>(b.FH())), b);
    g.AddControl(c);
    if (strips) strips->push_back(c);
  }
  return true;
}

} // namespace iplug_test
