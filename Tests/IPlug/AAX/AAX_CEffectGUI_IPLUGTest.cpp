// The editor object as a host drives it (Initialize, SetViewContainer with
// and without a window, highlights, sizes, Uninitialize), around an
// instance of the effect linked in, with the editor opened on this
// platform's real window.
#include "AAXTestHost.h"
#include "AAX_CEffectGUI_IPLUG.h"
#include "AAX_Exports.h"
#include "EditorDrawn.h"
#include "EditorHostWindow.h"
#include "IGraphics.h"
#include "Kestrine.h"

#include <gtest/gtest.h>

#include <vector>

namespace
{
using iplug::AAX_CEffectGUI_IPLUG;
using iplug::igraphics::IControl;
using iplug::igraphics::IGraphics;

// The host's view container, both versions: a native window (or none), the
// size requests it received, and the click offers, answered as set.
class ViewContainer : public aaxtest::HostObject<AAX_IViewContainer_V2>
{
public:
  explicit ViewContainer(void* window) : mWindow(window) {}
  int32_t GetType() override { return 1; }
  void* GetPtr() override { return mWindow; }
  AAX_Result GetModifiers(uint32_t* modifiers) override
  {
    *modifiers = 0;
    return AAX_SUCCESS;
  }
  AAX_Result SetViewSize(AAX_Point& size) override
  {
    mSizes.push_back(size);
    return AAX_SUCCESS;
  }
  AAX_Result HandleParameterMouseDown(AAX_CParamID id, uint32_t) override
  {
    mOffers.push_back(id);
    return mTakeClicks ? AAX_SUCCESS : AAX_ERROR_UNIMPLEMENTED;
  }
  AAX_Result HandleParameterMouseDrag(AAX_CParamID, uint32_t) override { return AAX_ERROR_UNIMPLEMENTED; }
  AAX_Result HandleParameterMouseUp(AAX_CParamID, uint32_t) override { return AAX_ERROR_UNIMPLEMENTED; }

  void* mWindow;
  bool mTakeClicks = false;
  std::vector<AAX_Point> mSizes;
  std::vector<std::string> mOffers;

protected:
  void* Find(const acfIID& iid) override
  {
    if (iid == IID_AAX_IViewContainer || iid == IID_AAX_IViewContainer_V2)
      return static_cast<AAX_IViewContainer_V2*>(this);
    return HostObject::Find(iid);
  }
};

class EditorBindingTest : public testing::Test
{
protected:
  void SetUp() override
  {
    // The editor finds its pictures through the module handle, here the
    // test program's own (its resources are embedded from the same list).
    AAX::SetModuleHandle(kestrine_test::TestModuleHandle());
    mWindow = kestrine_test::EditorHostWindow::Create(900, 500);
    ASSERT_NE(mWindow, nullptr) << "no display (./kestrine starts Xvfb)";
    mContainer = std::make_unique<ViewContainer>(mWindow->Handle());
    // The test owns the effect: a reference of its own keeps the editor's
    // release from deleting it.
    static_cast<AAX_IACFEffectParameters&>(mEffect).AddRef();
    mController.mEffect = static_cast<AAX_IACFEffectParameters*>(&mEffect);
    mController.mEffectIID = &IID_AAX_IACFEffectParameters;
    IACFUnknown* made = AAX_CEffectGUI_IPLUG::Create();
    ASSERT_NE(made, nullptr);
    void* p = nullptr;
    ASSERT_EQ(made->QueryInterface(IID_AAX_IACFEffectGUI, &p), kACFResult_OK);
    mGUI = static_cast<AAX_IACFEffectGUI*>(p);
    mImpl = static_cast<AAX_CEffectGUI_IPLUG*>(static_cast<AAX_IEffectGUI*>(mGUI));
  }
  void TearDown() override
  {
    if (mGUI)
    {
      mGUI->Uninitialize();
      mGUI->Release();
    }
  }
  AAX_Result Init() { return mGUI->Initialize(static_cast<AAX_IController*>(&mController)); }

  Kestrine mEffect{iplug::InstanceInfo{}};
  aaxtest::Controller mController;
  std::unique_ptr<kestrine_test::EditorHostWindow> mWindow;
  // Outlives the editor object's Uninitialize in TearDown.
  std::unique_ptr<ViewContainer> mContainer;
  AAX_IACFEffectGUI* mGUI = nullptr;
  AAX_CEffectGUI_IPLUG* mImpl = nullptr;
};

TEST_F(EditorBindingTest, AnswersItsTwoIdentifiersAndNoOther)
{
  void* p = nullptr;
  EXPECT_EQ(mGUI->QueryInterface(IID_IACFUnknown, &p), kACFResult_OK);
  ASSERT_NE(p, nullptr);
  static_cast<IACFUnknown*>(p)->Release();
  p = reinterpret_cast<void*>(1);
  EXPECT_EQ(mGUI->QueryInterface(IID_AAX_IACFEffectParameters, &p), kACFResult_NoInterface);
  EXPECT_EQ(p, nullptr);
}

TEST_F(EditorBindingTest, InitializeFindsTheInstanceAndNeedsAController)
{
  EXPECT_EQ(mGUI->Initialize(nullptr), AAX_ERROR_NOT_INITIALIZED);
  EXPECT_EQ(mImpl->GetPlug(), nullptr);
  ASSERT_EQ(Init(), AAX_SUCCESS);
  EXPECT_EQ(mImpl->GetPlug(), &mEffect);
  EXPECT_GT(mController.Refs(), 0u);
  mGUI->Uninitialize();
  EXPECT_EQ(mController.Refs(), 0u) << "Uninitialize gives every reference back";
  EXPECT_EQ(mImpl->GetPlug(), &mEffect);
}

TEST_F(EditorBindingTest, AnswersWithoutAWindow)
{
  ASSERT_EQ(Init(), AAX_SUCCESS);
  // Before any window: no view object to highlight in.
  EXPECT_EQ(mGUI->SetControlHighlightInfo("2", 1, AAX_eHighlightColor_Red), AAX_ERROR_INVALID_PARAMETER_ID);
  aaxtest::HostString label;
  for (AAX_EPlugInStrings selector : {0, 1, 7})
    EXPECT_EQ(mGUI->GetCustomLabel(selector, &label), AAX_ERROR_NULL_OBJECT);
  // A container without a native window opens nothing.
  ViewContainer none(nullptr);
  EXPECT_EQ(mGUI->SetViewContainer(&none), AAX_SUCCESS);
  EXPECT_EQ(mEffect.GetUI(), nullptr);
  AAX_Point size;
  EXPECT_EQ(mGUI->GetViewSize(&size), AAX_SUCCESS);
  EXPECT_EQ(size.horz, 580.f);
  EXPECT_EQ(size.vert, 250.f);
  EXPECT_EQ(mGUI->SetViewContainer(nullptr), AAX_SUCCESS);
  EXPECT_EQ(none.Refs(), 0u);
  EXPECT_EQ(mGUI->GetViewSize(nullptr), AAX_ERROR_NULL_OBJECT);
}

TEST_F(EditorBindingTest, OpensInTheHostWindowResizesThroughItAndCloses)
{
  ASSERT_EQ(Init(), AAX_SUCCESS);
  ViewContainer& container = *mContainer;
  ASSERT_EQ(mGUI->SetViewContainer(&container), AAX_SUCCESS);
  IGraphics* g = mEffect.GetUI();
  ASSERT_NE(g, nullptr);
  EXPECT_EQ(g->NControls(), 14);
  EXPECT_NE(g->GetViewContainer(), nullptr);
  // The host's clock until the first frame is drawn.
  ASSERT_TRUE(mWindow->PumpUntil([g] { return kestrine_test::NothingLeftToDraw(*g); },
                                 [this] { mGUI->TimerWakeup(); }));

  // The editor asks for a new size: the host's container hears of it and
  // the size query answers it.
  EXPECT_TRUE(mEffect.ResizeEditorView(700, 400));
  ASSERT_EQ(container.mSizes.size(), 1u);
  EXPECT_EQ(container.mSizes[0].horz, 700.f);
  EXPECT_EQ(container.mSizes[0].vert, 400.f);
  AAX_Point size;
  EXPECT_EQ(mGUI->GetViewSize(&size), AAX_SUCCESS);
  EXPECT_EQ(size.horz, 700.f);
  EXPECT_EQ(size.vert, 400.f);
  // The same size again asks nothing of the host.
  EXPECT_TRUE(mEffect.ResizeEditorView(700, 400));
  EXPECT_EQ(container.mSizes.size(), 1u);

  // Closing the window closes the editor and lets the container go.
  EXPECT_EQ(mGUI->SetViewContainer(nullptr), AAX_SUCCESS);
  EXPECT_EQ(mEffect.GetUI(), nullptr);
  EXPECT_EQ(container.Refs(), 0u);
  // A reopened window builds the editor anew.
  ASSERT_EQ(mGUI->SetViewContainer(&container), AAX_SUCCESS);
  ASSERT_NE(mEffect.GetUI(), nullptr);
  EXPECT_NE(mEffect.GetUI(), nullptr);
  mGUI->Uninitialize();
  EXPECT_EQ(mEffect.GetUI(), nullptr);
  EXPECT_EQ(container.Refs(), 0u);
}

TEST_F(EditorBindingTest, HighlightsReachTheControlsOfTheParameter)
{
  ASSERT_EQ(Init(), AAX_SUCCESS);
  ViewContainer& container = *mContainer;
  ASSERT_EQ(mGUI->SetViewContainer(&container), AAX_SUCCESS);
  IGraphics* g = mEffect.GetUI();
  ASSERT_NE(g, nullptr);
  auto highlighted = [g](int paramIdx)
  {
    int n = 0;
    g->ForControlsWithParam(paramIdx, [&n](IControl* c) { n += c->GetHighlighted() ? 1 : 0; });
    return n;
  };
  struct Case
  {
    const char* id;
    AAX_CBoolean on;
    int paramIdx;
    int want;
  } const cases[] = {
      {"2", 1, kDrive, 1}, {"2", 0, kDrive, 0}, {"8", 1, kMode, 1}, {"", 1, kBypass, 0}, // master bypass: -1
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.id);
    EXPECT_EQ(mGUI->SetControlHighlightInfo(c.id, c.on, AAX_eHighlightColor_Blue), AAX_SUCCESS);
    EXPECT_EQ(highlighted(c.paramIdx), c.want);
  }
  EXPECT_EQ(highlighted(kBypass), 0);
}

TEST_F(EditorBindingTest, ClicksOnParameterControlsAreOfferedToTheHostFirst)
{
  ASSERT_EQ(Init(), AAX_SUCCESS);
  ViewContainer& container = *mContainer;
  ASSERT_EQ(mGUI->SetViewContainer(&container), AAX_SUCCESS);
  IGraphics* g = mEffect.GetUI();
  ASSERT_NE(g, nullptr);
  iplug::igraphics::IMouseInfo click;
  // The bypass button at (512, 212)-(541, 241).
  click.x = 520.f;
  click.y = 220.f;
  struct Case
  {
    bool hostTakes;
    bool bypassToggles;
  } const cases[] = {{true, false}, {false, true}};
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.hostTakes);
    container.mTakeClicks = c.hostTakes;
    container.mOffers.clear();
    const double before = mEffect.GetParam(kBypass)->Value();
    g->OnMouseDown({click});
    g->OnMouseUp({click});
    ASSERT_EQ(container.mOffers.size(), 1u);
    EXPECT_EQ(container.mOffers[0], "1");
    EXPECT_EQ(mEffect.GetParam(kBypass)->Value() != before, c.bypassToggles);
  }
}

} // namespace
