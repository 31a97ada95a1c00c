// The context behind the editor delegate: opening runs the layout, sends
// every value and the change notification for every parameter; closing
// destroys every control; the delegate's editor operations reach controls.
#include "GraphicsFixture.h"

using namespace iplug_test;

namespace
{

class EditorPlugin : public GraphicsPlugin
{
public:
  EditorPlugin()
  {
    SetMakeGraphicsFunc(
        [this]
        {
          ++mMade;
          return new TestGraphics(*this);
        });
    SetLayoutFunc(
        [this](IGraphics* g)
        {
          mCalls.push_back({"layout", -1, -1, 0});
          mControls.clear();
          for (int i = 0; i < NParams(); ++i)
            mControls.push_back(static_cast<TestControl*>(
                g->AddControl(new TestControl(IRect(10.f + 50.f * i, 10, 50.f + 50.f * i, 50), i), 100 + i)));
          mControls[1]->SetWantsMidi(true);
        });
  }
  TestGraphics* UI() const { return static_cast<TestGraphics*>(GetUI()); }
  int mMade = 0;
  std::vector<TestControl*> mControls;
};

TEST(IGraphicsEditor, OpenAndCloseTwice)
{
  EditorPlugin p;
  p.GetParam(0)->SetValue(5.0);
  p.GetParam(1)->SetValue(1.0);
  int parent = 0;
  for (int round = 0; round < 2; ++round)
  {
    SCOPED_TRACE(round);
    p.mCalls.clear();
    ASSERT_NE(p.OpenEditor(&parent), nullptr);
    ASSERT_NE(p.UI(), nullptr);
    EXPECT_TRUE(p.UI()->WindowIsOpen());
    std::vector<Call> expected = {{"layout", -1, -1, 0},
                                  {"ui", 0, kDelegate, 0},
                                  {"ui", 1, kDelegate, 0},
                                  {"ui", 2, kDelegate, 0},
                                  {"ui", 3, kDelegate, 0}};
    EXPECT_EQ(p.mCalls, expected) << "layout first, then values and notifications in index order";
    ASSERT_EQ(p.mControls.size(), 4u);
    EXPECT_EQ(p.mControls[0]->GetValue(), 0.5);
    EXPECT_EQ(p.mControls[1]->GetValue(), 1.0);
    EXPECT_EQ(p.UI()->NControls(), 4) << "controls rebuilt, not added to old ones";

    p.mCalls.clear();
    p.UI()->Down(20, 20);
    p.UI()->Up(20, 20);
    EXPECT_EQ(p.mCalls, (std::vector<Call>{{"begin", 0, -1, 0}, {"end", 0, -1, 0}}));

    p.UI()->Resize(700, 300, 1.25f);
    p.CloseEditor();
    EXPECT_EQ(p.GetUI(), nullptr);
    EXPECT_EQ(p.GetLastWidth(), 700);
    EXPECT_EQ(p.GetLastScale(), 1.25f);
  }
  EXPECT_EQ(p.mMade, 2);
}

TEST(IGraphicsEditor, ReopeningKeepsTheLastSize)
{
  EditorPlugin p;
  p.OpenEditor(nullptr);
  p.UI()->Resize(870, 375, 1.5f);
  p.CloseEditor();
  p.OpenEditor(nullptr);
  EXPECT_EQ(p.UI()->Width(), 870);
  EXPECT_EQ(p.UI()->Height(), 375);
  EXPECT_EQ(p.UI()->GetDrawScale(), 1.5f);
}

TEST(IGraphicsEditor, DelegateOperationsReachTheControls)
{
  EditorPlugin p;
  p.OpenEditor(nullptr);
  TestGraphics& g = *p.UI();
  auto& c = p.mControls;

  p.ParamValueToEditor(0, 2.5, false);
  EXPECT_EQ(c[0]->GetValue(), 0.25) << "plain values are normalised first";
  p.ParamValueToEditor(3, 0.4, true);
  EXPECT_EQ(c[3]->GetValue(), 0.4);

  p.ControlValueToEditor(102, 1.0);
  EXPECT_EQ(c[2]->GetValue(), 1.0);
  p.ControlValueToEditor(999, 1.0); // no such tag

  p.ControlMessageToEditor(101, 7, 0, nullptr);
  EXPECT_EQ(c[1]->mMessages, std::vector<int>{7});

  p.MidiToEditor(MidiMessage());
  EXPECT_EQ(c[1]->mMidi, 1);
  EXPECT_EQ(c[0]->mMidi, 0);

  std::vector<int> keys;
  g.SetKeyHandlerFunc(
      [&](const IKeyPress& key, bool)
      {
        keys.push_back(key.VK);
        return true;
      });
  g.mMouseX = 300;
  g.mMouseY = 200;
  EXPECT_TRUE(p.EditorKeyDown(32));
  EXPECT_EQ(keys, std::vector<int>{32});

  p.SetScreenScale(2.f);
  EXPECT_EQ(g.GetScreenScale(), 2.f);
  EXPECT_EQ(p.mHostResizes.back(), (HostResize{1160, 500, true}));

  ByteChunk state;
  state.PutValue(int32_t(600));
  state.PutValue(int32_t(300));
  state.PutValue(1.25f);
  EXPECT_EQ(p.LoadEditorState(state, 0), 12);
  EXPECT_EQ(g.Width(), 600);
  EXPECT_EQ(g.GetDrawScale(), 1.25f);
}

} // namespace
