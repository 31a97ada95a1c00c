// The graphics delegate against a stand-in graphics context registered
// through the bridge.
#include "TestPlugin.h"

#include <gtest/gtest.h>

namespace iplug
{
namespace igraphics
{
// Stand-in context: one "control" per entry of mBindings, each with value
// slots bound to parameter indices.
class IGraphics
{
public:
  int mWidth = 580, mHeight = 250;
  float mScale = 1.f;
  int mResizes = 0, mCloses = 0;
  std::vector<std::vector<int>> mBindings = {{0}, {1, 1}};
  std::vector<std::pair<int, double>> mSetValues; // (control, value) per SetValueFromPlugin
  std::vector<int> mTagValues;
  int mKeys = 0;
  int* mDestroyed = nullptr;
};
} // namespace igraphics
} // namespace iplug

using namespace iplug;
using namespace iplug::igraphics;
using namespace iplug_test;

namespace
{

// The delegate's view of a context, over the fake IGraphics above.
class FakeBridge final : public IGraphicsBridge
{
public:
  void Destroy(IGraphics* g) const override
  {
    if (g->mDestroyed) ++*g->mDestroyed;
    delete g;
  }
  void* OpenWindow(IGraphics* g, void*) const override { return g; }
  void CloseWindow(IGraphics* g) const override { ++g->mCloses; }
  int Width(const IGraphics* g) const override { return g->mWidth; }
  int Height(const IGraphics* g) const override { return g->mHeight; }
  float DrawScale(const IGraphics* g) const override { return g->mScale; }
  void Resize(IGraphics* g, int w, int h, float s) const override
  {
    g->mWidth = w, g->mHeight = h, g->mScale = s;
    ++g->mResizes;
  }
  bool KeyDown(IGraphics* g, int) const override { return ++g->mKeys > 0; }
  bool KeyUp(IGraphics*, int) const override { return false; }
  void ControlValueByTag(IGraphics* g, int tag, double) const override { g->mTagValues.push_back(tag); }
  void ControlMessageByTag(IGraphics*, int, int, int, const void*) const override {}
  void MidiToControls(IGraphics*, const MidiMessage&) const override {}
  void ParamValueToControls(IGraphics* g, int paramIdx, double v) const override
  {
    for (size_t c = 0; c < g->mBindings.size(); ++c)
      for (int bound : g->mBindings[c])
        if (bound == paramIdx) g->mSetValues.push_back({int(c), v});
  }
  void SetScreenScale(IGraphics* g, float s) const override { g->mScale = s; }
};
const FakeBridge kBridge;

class DelegateTest : public ::testing::Test
{
protected:
  DelegateTest() : p(MakeConfig(2, 0))
  {
    DefineDoubles(p, 2);
    SetGraphicsBridge(&kBridge);
    p.SetMakeGraphicsFunc(
        [this]
        {
          auto* g = new IGraphics;
          g->mDestroyed = &destroyed;
          ++made;
          return g;
        });
  }
  ~DelegateTest() override { SetGraphicsBridge(nullptr); }
  TestPlugin p;
  int made = 0, destroyed = 0;
};

} // namespace

TEST_F(DelegateTest, WithoutContextOnlyTheHookRuns)
{
  p.ParamValueToEditor(0, 0.5, true);
  EXPECT_EQ(p.mCalls, (std::vector<Call>{{"ui", 0, kDelegate, 0}}));
  EXPECT_FALSE(p.EditorKeyDown(1));
  ByteChunk c;
  EXPECT_TRUE(p.SaveEditorState(c));
  EXPECT_EQ(c.Size(), 12);
}

TEST_F(DelegateTest, NoBridgeMeansNoContext)
{
  SetGraphicsBridge(nullptr);
  EXPECT_EQ(p.OpenEditor(nullptr), nullptr);
  EXPECT_EQ(made, 0);
  EXPECT_EQ(p.GetUI(), nullptr);
}

TEST_F(DelegateTest, ValuesReachEveryBoundSlot)
{
  p.OpenEditor(nullptr);
  ASSERT_NE(p.GetUI(), nullptr);
  p.ParamValueToEditor(1, 5.0, false); // plain 5 of 0..10
  auto& set = p.GetUI()->mSetValues;
  ASSERT_EQ(set.size(), 2u) << "a control bound twice gets two calls";
  EXPECT_EQ(set[0], (std::pair<int, double>{1, 0.5}));
  p.ParamValueToEditor(9, 0.5, true); // no such parameter reaches no control
  EXPECT_EQ(set.size(), 2u);
  EXPECT_EQ(p.Count("ui"), 2);
  p.ControlValueToEditor(42, 0.1);
  EXPECT_EQ(p.GetUI()->mTagValues, std::vector<int>{42});
  EXPECT_TRUE(p.EditorKeyDown(1));
}

TEST_F(DelegateTest, LastSizeSurvivesBetweenOpenings)
{
  p.OpenEditor(nullptr);
  EXPECT_EQ(p.GetUI()->mResizes, 0) << "the first opening keeps the configured size";
  p.GetUI()->mWidth = 870, p.GetUI()->mHeight = 375, p.GetUI()->mScale = 1.5f;
  p.CloseEditor();
  EXPECT_EQ(p.GetUI(), nullptr);
  EXPECT_EQ(destroyed, 1);
  p.CloseEditor(); // nothing open: nothing happens
  EXPECT_EQ(destroyed, 1);
  p.OpenEditor(nullptr);
  EXPECT_EQ(p.GetUI()->mResizes, 1);
  EXPECT_EQ(p.GetUI()->mWidth, 870);
  EXPECT_EQ(p.GetUI()->mScale, 1.5f);

  ByteChunk c;
  EXPECT_TRUE(p.SaveEditorState(c));
  p.CloseEditor();
  // An empty chunk with no editor open stores zeros: the next opening keeps the configured size.
  ByteChunk empty;
  EXPECT_EQ(p.LoadEditorState(empty, 0), -1);
  EXPECT_EQ(p.GetLastWidth(), 0);
  p.OpenEditor(nullptr);
  EXPECT_EQ(p.GetUI()->mResizes, 0);
  // A saved size applies to an open editor; a corrupt one does not.
  EXPECT_EQ(p.LoadEditorState(c, 0), 12);
  EXPECT_EQ(p.GetUI()->mWidth, 870);
  ByteChunk bad;
  bad.PutValue(int32_t(-5));
  bad.PutValue(int32_t(100));
  bad.PutValue(1.f);
  EXPECT_EQ(p.LoadEditorState(bad, 0), 12);
  EXPECT_EQ(p.GetUI()->mWidth, 870);
}

namespace
{
class ReentrantClose : public TestPlugin
{
public:
  using TestPlugin::TestPlugin;
  void EditorClosed() override
  {
    ++closedCalls;
    CloseEditor();
  }
  int closedCalls = 0;
};
} // namespace

TEST_F(DelegateTest, CloseEnteredAgainReturnsAtOnce)
{
  ReentrantClose r(MakeConfig(1, 0));
  r.SetMakeGraphicsFunc([] { return new IGraphics; });
  r.OpenEditor(nullptr);
  r.CloseEditor();
  EXPECT_EQ(r.closedCalls, 1);
  EXPECT_EQ(r.GetUI(), nullptr);
}

TEST_F(DelegateTest, ParamsResetAndStateRestored)
{
  p.ParamsReset(kPresetRecall);
  std::vector<Call> expected = {{"change", 0, kPresetRecall, -1}, {"plugchange", 0, -1, 0},
                                {"ui", 0, kPresetRecall, 0},      {"change", 1, kPresetRecall, -1},
                                {"plugchange", 1, -1, 0},         {"ui", 1, kPresetRecall, 0}};
  EXPECT_EQ(p.mCalls, expected);
  p.mCalls.clear();
  p.OpenEditor(nullptr);
  p.StateRestored();
  EXPECT_EQ(p.GetUI()->mSetValues.size(), 3u);
  EXPECT_EQ(p.Count("ui"), 2);
}

TEST_F(DelegateTest, LayoutRunsWithTheContext)
{
  IGraphics* seen = nullptr;
  p.SetLayoutFunc([&](IGraphics* g) { seen = g; });
  p.OpenEditor(nullptr);
  p.RunLayout(p.GetUI());
  EXPECT_EQ(seen, p.GetUI());
}
