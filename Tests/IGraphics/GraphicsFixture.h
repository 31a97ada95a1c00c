// The small editor most graphics tests use: a plug-in with four parameters
// (0 "Drive" 0..10 dB step 0.5, 1 "Mode" enum Saturator/Exciter, 2 "Solo"
// bool, 3 "Mix" 0..1) and a test context of 580 x 250 holding a background
// at index 0 and the controls a test adds.
#pragma once

#include "TestGraphics.h"
#include "TestPlugin.h"

#include <gtest/gtest.h>

namespace iplug_test
{

struct HostResize
{
  int w, h;
  bool needsPlatformResize;
  bool operator==(const HostResize& o) const
  {
    return w == o.w && h == o.h && needsPlatformResize == o.needsPlatformResize;
  }
};

class GraphicsPlugin : public TestPlugin
{
public:
  GraphicsPlugin() : TestPlugin(MakeConfig(4, 0))
  {
    GetParam(0)->DefineDouble("Drive", 0., 0., 10., 0.5, "dB");
    GetParam(1)->DefineEnum("Mode", 0, {"Saturator", "Exciter"});
    GetParam(2)->DefineBool("Solo", false);
    GetParam(3)->DefineDouble("Mix", 0., 0., 1., 0.01);
  }
  bool ResizeFromEditor(int w, int h, bool needsPlatformResize) override
  {
    mHostResizes.push_back({w, h, needsPlatformResize});
    return mResizeAnswer;
  }
  std::vector<HostResize> mHostResizes;
  bool mResizeAnswer = true;
};

// One editor; tables build a fresh one per case.
struct Editor
{
  Editor() { bg = Add(IRect(0, 0, 580, 250), kNoParameter, -1, "bg"); }

  TestControl* Add(const IRect& r, int paramIdx = kNoParameter, int tag = -1, const char* name = "")
  {
    return static_cast<TestControl*>(g.AddControl(new TestControl(r, paramIdx, name), tag));
  }
  static const char* NameOf(IControl* c)
  {
    if (!c) return "none";
    auto* t = dynamic_cast<TestControl*>(c);
    return t ? t->mName.c_str() : "special";
  }

  GraphicsPlugin p;
  TestGraphics g{p};
  TestControl* bg;
};

class GraphicsFixture : public ::testing::Test, public Editor
{
};

} // namespace iplug_test
