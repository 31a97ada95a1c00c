// The host's side of the editor against a small stand-in editor object: the
// view container, the host window and the editor's life as a host leads it
// (Initialize with the controller, SetViewContainer with the container,
// TimerWakeup, then closing in the host's order), twenty times over, also
// while audio plays. No OpenGL here, so the address sanitizer's leak check
// covers it all; ThreadSanitizer runs it too (label concurrency).
#include "AAXHostAudio.h"
#include "AAXHostEditor.h"
#include "AAXHostPlayer.h"
#include "AAXHostSession.h"
#include "AAXHostTestModule.h"
#include "AAXHostWindow.h"
#include "WaitUntil.h"

#include <cmath>

using namespace aaxhost;

namespace
{
// ---------------------------------------------------------------------------
// A stand-in editor object: it does what the module's does with the host's
// objects (the effect query, the container's pointer and size request, the
// click offer) and logs the calls it gets.
class FakeEditor final : public AAX_IACFEffectGUI
{
public:
  explicit FakeEditor(std::string& log) : mLog(log) {}

  ACFRESULT QueryInterface(const acfIID& iid, void** ppv) override
  {
    if (iid != IID_AAX_IACFEffectGUI && iid != IID_IACFUnknown) return kACFResult_NoInterface;
    *ppv = static_cast<AAX_IACFEffectGUI*>(this);
    AddRef();
    return kACFResult_OK;
  }
  uint32_t AddRef() override { return ++mRefs; }
  uint32_t Release() override
  {
    const uint32_t r = --mRefs;
    if (r == 0)
    {
      mLog += "delete;";
      delete this;
    }
    return r;
  }

  AAX_Result Initialize(IACFUnknown* controller) override
  {
    void* p = nullptr;
    if (!controller || controller->QueryInterface(IID_AAX_IACFEffectParameters, &p) != kACFResult_OK)
      return AAX_ERROR_NOT_INITIALIZED;
    mEffect = static_cast<IACFUnknown*>(p);
    mLog += "init;";
    return AAX_SUCCESS;
  }
  AAX_Result Uninitialize() override
  {
    if (mEffect) mEffect->Release();
    mEffect = nullptr;
    mLog += "uninit;";
    return AAX_SUCCESS;
  }
  AAX_Result NotificationReceived(AAX_CTypeID, const void*, uint32_t) override { return AAX_SUCCESS; }
  AAX_Result SetViewContainer(IACFUnknown* object) override
  {
    if (mContainer) mContainer->Release();
    mContainer = nullptr;
    if (!object)
    {
      mLog += "close;";
      return AAX_SUCCESS;
    }
    void* p = nullptr;
    if (object->QueryInterface(IID_AAX_IViewContainer_V2, &p) != kACFResult_OK) return AAX_ERROR_NULL_OBJECT;
    mContainer = static_cast<AAX_IViewContainer_V2*>(p);
    mParent = mContainer->GetPtr();
    mOfferAnswer = mContainer->HandleParameterMouseDown("2", 4);
    AAX_Point size;
    size.horz = 640.f;
    size.vert = 300.f;
    mSizeAnswer = mContainer->SetViewSize(size);
    mLog += "open;";
    return AAX_SUCCESS;
  }
  AAX_Result GetViewSize(AAX_Point* size) const override
  {
    size->horz = 580.f;
    size->vert = 250.f;
    return AAX_SUCCESS;
  }
  AAX_Result Draw(AAX_Rect*) override { return AAX_SUCCESS; }
  AAX_Result TimerWakeup() override
  {
    ++mWakeups;
    return AAX_SUCCESS;
  }
  AAX_Result ParameterUpdated(AAX_CParamID) override { return AAX_SUCCESS; }
  AAX_Result GetCustomLabel(AAX_EPlugInStrings, AAX_IString*) const override
  {
    return AAX_ERROR_UNIMPLEMENTED;
  }
  AAX_Result SetControlHighlightInfo(AAX_CParamID, AAX_CBoolean, AAX_EHighlightColor) override
  {
    return AAX_SUCCESS;
  }

  IACFUnknown* mEffect = nullptr;
  AAX_IViewContainer_V2* mContainer = nullptr;
  void* mParent = nullptr;
  AAX_Result mOfferAnswer = 0;
  AAX_Result mSizeAnswer = -1;
  int mWakeups = 0;

private:
  ~FakeEditor() = default;
  std::string& mLog;
  uint32_t mRefs = 0;
};

struct InstanceFixture : testing::Test
{
  void SetUp() override
  {
    REQUIRE_MODULE();
    std::string error;
    mSession = Session::Open(ModulePath(), error, nullptr);
    ASSERT_TRUE(mSession) << error;
    mInstance = mSession->CreateInstance(2, 48000., error);
    ASSERT_TRUE(mInstance) << error;
    mWindow = HostWindow::Create(580, 250, "test", error);
    ASSERT_TRUE(mWindow) << error << " (./kestrine starts Xvfb)";
  }
  void TearDown() override
  {
    mWindow.reset();
    mInstance.reset();
    mSession.reset();
  }
  // A new stand-in editor object adopted as the instance's editor (the
  // host's reference is the query's); null, with the reason, when refused.
  std::unique_ptr<Editor> AdoptFake(FakeEditor*& fake, std::string& log, std::string& error)
  {
    fake = new FakeEditor(log);
    void* p = nullptr;
    EXPECT_EQ(fake->QueryInterface(IID_AAX_IACFEffectGUI, &p), kACFResult_OK);
    if (!p) return nullptr;
    return Editor::Adopt(*mInstance, static_cast<AAX_IACFEffectGUI*>(p), error);
  }

  std::unique_ptr<Session> mSession;
  std::unique_ptr<Instance> mInstance;
  std::unique_ptr<HostWindow> mWindow;
};
} // namespace

using AAXHostEditorObject = InstanceFixture;

TEST_F(AAXHostEditorObject, OpensInTheHostWindowAndClosesInTheHostsOrderEveryTime)
{
  for (int round = 0; round < 20; ++round)
  {
    SCOPED_TRACE(round);
    std::string log, error;
    FakeEditor* fake = nullptr;
    auto editor = AdoptFake(fake, log, error);
    ASSERT_TRUE(editor) << error;
    // The controller answers with the instance's own effect-parameters object.
    EXPECT_EQ(fake->mEffect, static_cast<IACFUnknown*>(mInstance->Effect()));
    int w = 0, h = 0;
    ASSERT_TRUE(editor->ViewSize(w, h));
    EXPECT_EQ(w, 580);
    EXPECT_EQ(h, 250);

    ASSERT_TRUE(editor->Attach(*mWindow, error)) << error;
    EXPECT_EQ(fake->mParent, mWindow->NativeHandle());
    EXPECT_NE(fake->mOfferAnswer, 0) << "an answer of 0 would take the click away from the editor";
    EXPECT_EQ(editor->Container()->NumMouseDowns(), 1);
    EXPECT_EQ(editor->Container()->LastMouseDownID(), "2");
    EXPECT_EQ(fake->mSizeAnswer, AAX_SUCCESS);
    EXPECT_EQ(mWindow->Width(), 640);
    EXPECT_EQ(mWindow->Height(), 300);
    editor->Pump();
    editor->Pump();
    EXPECT_EQ(fake->mWakeups, 2);
    editor.reset();
    EXPECT_EQ(log, "init;open;close;uninit;delete;");
    mWindow->Resize(580, 250);
  }
}

TEST_F(AAXHostEditorObject, ContainerAnswersBothVersionsAndRefusesSizesNoWindowCanHave)
{
  Ref<HostViewContainer> c = MakeRef<HostViewContainer>(mWindow.get());
  void *v1 = nullptr, *v2 = nullptr;
  ASSERT_EQ(c->QueryInterface(IID_AAX_IViewContainer, &v1), kACFResult_OK);
  ASSERT_EQ(c->QueryInterface(IID_AAX_IViewContainer_V2, &v2), kACFResult_OK);
  EXPECT_EQ(static_cast<AAX_IViewContainer*>(v1)->GetPtr(), mWindow->NativeHandle());
  EXPECT_EQ(static_cast<AAX_IViewContainer_V2*>(v2)->GetPtr(), mWindow->NativeHandle());
  static_cast<IACFUnknown*>(v1)->Release();
  static_cast<IACFUnknown*>(v2)->Release();

  struct SizeCase
  {
    float horz, vert;
    bool accepted;
  } const cases[] = {{870.f, 375.f, true}, {388.6f, 167.4f, true}, {0.f, 250.f, false},
                     {580.f, -1.f, false}, {NAN, 250.f, false},    {1e9f, 250.f, false}};
  for (const SizeCase& s : cases)
  {
    SCOPED_TRACE(testing::Message() << s.horz << " x " << s.vert);
    mWindow->Resize(100, 100);
    AAX_Point size;
    size.horz = s.horz;
    size.vert = s.vert;
    EXPECT_EQ(c->SetViewSize(size) == AAX_SUCCESS, s.accepted);
    EXPECT_EQ(mWindow->Width(), s.accepted ? static_cast<int>(std::lround(s.horz)) : 100);
    EXPECT_EQ(mWindow->Height(), s.accepted ? static_cast<int>(std::lround(s.vert)) : 100);
  }
  uint32_t mods = 99;
  EXPECT_EQ(c->GetModifiers(&mods), AAX_SUCCESS);
  EXPECT_EQ(mods, 0u);
  EXPECT_NE(c->HandleParameterMouseDrag("1", 0), AAX_SUCCESS);
  EXPECT_NE(c->HandleParameterMouseUp("1", 0), AAX_SUCCESS);
  EXPECT_EQ(c->NumMouseDrags(), 1);
  EXPECT_EQ(c->NumMouseUps(), 1);
  c->Detach();
  EXPECT_EQ(c->GetPtr(), nullptr);
}

// The host's two threads around an editor: the player renders on its own
// while the user-interface thread opens and closes the editor, pumps it and
// the instance, and changes a parameter (run under ThreadSanitizer too).
TEST_F(AAXHostEditorObject, AudioPlaysOnWhileTheEditorOpensClosesAndIsPumped)
{
  Player player(*mInstance, Noise(2, 4096, 0.3f, 5), 64, false);
  player.Start();
  std::string id;
  ASSERT_TRUE(mInstance->FindParameter("Drive", id));
  for (int round = 0; round < 20; ++round)
  {
    SCOPED_TRACE(round);
    std::string log, error;
    FakeEditor* fake = nullptr;
    auto editor = AdoptFake(fake, log, error);
    ASSERT_TRUE(editor) << error;
    ASSERT_TRUE(editor->Attach(*mWindow, error)) << error;
    EXPECT_EQ(mInstance->SetNormalized(id, (round % 10) / 10.), AAX_SUCCESS);
    const int64_t before = player.Blocks();
    kestrine_test::WaitUntil([&] { return player.Blocks() >= before + 4; },
                             [&]
                             {
                               editor->Pump();
                               mInstance->PumpUserInterface();
                               mWindow->HandleEvents();
                             },
                             0);
    EXPECT_GE(player.Blocks(), before + 4);
    editor.reset();
    EXPECT_EQ(log, "init;open;close;uninit;delete;");
    mWindow->Resize(580, 250);
  }
  player.Stop();
  EXPECT_TRUE(player.AllFinite());
}
