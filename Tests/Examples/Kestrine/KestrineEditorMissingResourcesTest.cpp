// The effect's editor in a program that embeds none of its pictures or its
// font: every picture and the font are missing, and the editor still opens,
// lays out its controls, draws and closes.
#include "AAX_Exports.h"
#include "EditorDrawn.h"
#include "EditorHostWindow.h"
#include "IGraphics.h"
#include "IPlugTimer.h"
#include "Kestrine.h"

#include <gtest/gtest.h>

namespace
{
TEST(KestrineEditorWithoutResources, OpensDrawsAndClosesWithNothingFound)
{
  auto host = kestrine_test::EditorHostWindow::Create(700, 300);
  ASSERT_NE(host, nullptr) << "no display (./kestrine starts Xvfb)";
  AAX::SetModuleHandle(kestrine_test::TestModuleHandle());
  Kestrine effect{iplug::InstanceInfo{}};
  for (int round = 0; round < 2; ++round)
  {
    ASSERT_NE(effect.OpenEditor(host->Handle()), nullptr);
    iplug::igraphics::IGraphics* g = effect.GetUI();
    ASSERT_NE(g, nullptr);
    EXPECT_EQ(g->NControls(), 14);
    // A picture control with no picture has no size; the vector-drawn mode
    // selector keeps its rectangle.
    EXPECT_EQ(g->GetControl(4)->GetRect().W(), 0.f);
    EXPECT_EQ(g->GetControl(13)->GetRect().W(), 163.f);
    EXPECT_TRUE(host->PumpUntil([g] { return kestrine_test::NothingLeftToDraw(*g); },
                                [] { iplug::Timer::PumpAll(); }))
        << "the editor did not draw";
    effect.CloseEditor();
    EXPECT_EQ(effect.GetUI(), nullptr);
  }
}
} // namespace
