#include "AAXTestHost.h"

#include "AAX_CBinaryDisplayDelegate.h"
#include "AAX_CBinaryTaperDelegate.h"
#include "AAX_CEffectParameters.h"
#include "AAX_CLinearTaperDelegate.h"
#include "AAX_CNumberDisplayDelegate.h"
#include "AAX_CParameter.h"
#include "AAX_CUnitDisplayDelegateDecorator.h"

#include <gtest/gtest.h>

#include <string>

namespace
{
// A plug-in with a bypass (""), a continuous "1" named "Drive" and a
// stepped "2" with a two-line name.
class TestEffect : public AAX_CEffectParameters
{
public:
  explicit TestEffect(bool* deleted = nullptr) : mDeleted(deleted) {}
  ~TestEffect() override
  {
    if (mDeleted) *mDeleted = true;
  }

  AAX_CParameterManager& Manager() { return mParameterManager; }

protected:
  AAX_Result EffectInit() override
  {
    auto* bypass =
        new AAX_CParameter<bool>("", AAX_CString("Master Bypass"), false, AAX_CBinaryTaperDelegate<bool>(),
                                 AAX_CBinaryDisplayDelegate<bool>("bypass", "on"), true);
    bypass->SetNumberOfSteps(2);
    bypass->SetType(AAX_eParameterType_Discrete);
    mParameterManager.AddParameter(bypass);
    mParameterManager.AddParameter(new AAX_CParameter<int>(
        "1", AAX_CString("Drive"), 5, AAX_CLinearTaperDelegate<int, 1>(0, 10),
        AAX_CUnitDisplayDelegateDecorator<int>(AAX_CNumberDisplayDelegate<int, 0, 0>(), "dB"), true));
    mParameterManager.AddParameter(new AAX_CParameter<int>("2", AAX_CString("Long Name\nLN"), 0,
                                                           AAX_CLinearTaperDelegate<int, 1>(0, 3),
                                                           AAX_CNumberDisplayDelegate<int, 0, 0>(), true));
    return AAX_SUCCESS;
  }

private:
  bool* mDeleted;
};

class AAXEffectParameters : public ::testing::Test
{
protected:
  void SetUp() override { ASSERT_EQ(mEffect.Initialize(&mController), AAX_SUCCESS); }
  void TearDown() override { mEffect.Uninitialize(); }

  std::string Text(AAX_Result (AAX_CEffectParameters::*op)(AAX_CParamID, AAX_IString*) const, AAX_CParamID id)
  {
    AAX_CString s("unset");
    (mEffect.*op)(id, &s);
    return s.StdString();
  }

  aaxtest::AutomationDelegate mAutomation;
  aaxtest::Controller mController{&mAutomation};
  TestEffect mEffect;
};
} // namespace

TEST_F(AAXEffectParameters, RegistersWithTheHostInOrder)
{
  int32_t n = 0;
  EXPECT_EQ(mEffect.GetNumberOfParameters(&n), AAX_SUCCESS);
  EXPECT_EQ(n, 3);
  EXPECT_EQ(mAutomation.mRegistered[""], 1);
  EXPECT_EQ(mAutomation.mRegistered["1"], 1);
  int32_t chunks = 0;
  EXPECT_EQ(mEffect.GetNumberOfChunks(&chunks), AAX_SUCCESS);
  EXPECT_EQ(chunks, 1);
  AAX_CString bypassID("unset");
  EXPECT_EQ(mEffect.GetMasterBypassParameter(&bypassID), AAX_SUCCESS);
  EXPECT_EQ(bypassID.StdString(), "");
  // A second parameter with a known identifier is not taken.
  AAX_CParameter<bool> duplicate("1", AAX_CString("Again"), false, AAX_CBinaryTaperDelegate<bool>(),
                                 AAX_CBinaryDisplayDelegate<bool>("a", "b"), true);
  EXPECT_FALSE(mEffect.Manager().AddParameter(&duplicate));
  EXPECT_FALSE(mEffect.Manager().AddParameter(nullptr));

  mEffect.Uninitialize();
  EXPECT_EQ(mAutomation.mRegistered["1"], 0);
  EXPECT_EQ(mEffect.GetNumberOfParameters(&n), AAX_SUCCESS);
  EXPECT_EQ(n, 0);
}

TEST_F(AAXEffectParameters, NameOfLength)
{
  struct
  {
    const char* id;
    int32_t n;
    const char* name;
  } cases[] = {
      {"1", 3, "Dri"},        {"1", 0, ""},   {"1", -1, ""},  {"1", 5, "Drive"},
      {"1", 9, "Drive"},      {"2", 2, "LN"}, {"2", 8, "LN"}, {"2", 9, "Long Name"},
      {"2", 31, "Long Name"}, {"2", 1, "L"},  {"9", 5, ""},   {nullptr, 5, ""},
  };
  for (const auto& c : cases)
  {
    AAX_CString name("unset");
    EXPECT_EQ(mEffect.GetParameterNameOfLength(c.id, &name, c.n), AAX_SUCCESS);
    EXPECT_EQ(name.StdString(), c.name) << (c.id ? c.id : "null") << " n=" << c.n;
  }
  EXPECT_EQ(mEffect.GetParameterNameOfLength("1", nullptr, 5), -20002);
  EXPECT_EQ(Text(&AAX_CEffectParameters::GetParameterName, "1"), "Drive");
  EXPECT_EQ(Text(&AAX_CEffectParameters::GetParameterName, "9"), "");
}

TEST_F(AAXEffectParameters, IndexAndIdentifierLookups)
{
  struct
  {
    const char* id;
    int32_t index;
    AAX_Result result;
  } byID[] = {{"", 0, AAX_SUCCESS},
              {"1", 1, AAX_SUCCESS},
              {"2", 2, AAX_SUCCESS},
              {"3", -1, AAX_ERROR_INVALID_PARAMETER_ID},
              {"1 ", -1, AAX_ERROR_INVALID_PARAMETER_ID},
              {nullptr, -1, AAX_ERROR_INVALID_PARAMETER_ID}};
  for (const auto& c : byID)
  {
    int32_t index = 77;
    EXPECT_EQ(mEffect.GetParameterIndex(c.id, &index), c.result) << (c.id ? c.id : "null");
    EXPECT_EQ(index, c.index) << (c.id ? c.id : "null");
  }

  struct
  {
    int32_t index;
    const char* id;
    AAX_Result result;
  } byIndex[] = {{0, "", AAX_SUCCESS},
                 {2, "2", AAX_SUCCESS},
                 {-1, "", AAX_ERROR_INVALID_PARAMETER_ID},
                 {3, "", AAX_ERROR_INVALID_PARAMETER_ID},
                 {INT32_MIN, "", AAX_ERROR_INVALID_PARAMETER_ID}};
  for (const auto& c : byIndex)
  {
    AAX_CString id("unset");
    EXPECT_EQ(mEffect.GetParameterIDFromIndex(c.index, &id), c.result) << c.index;
    EXPECT_EQ(id.StdString(), c.id) << c.index;
  }
}

TEST_F(AAXEffectParameters, MissingIdentifiersAnswerInvalidParameter)
{
  double x = 0;
  AAX_CString text;
  EXPECT_EQ(mEffect.GetParameterNormalizedValue("9", &x), AAX_ERROR_INVALID_PARAMETER_ID);
  EXPECT_EQ(mEffect.SetParameterNormalizedValue("9", 0.5), AAX_ERROR_INVALID_PARAMETER_ID);
  EXPECT_EQ(mEffect.UpdateParameterNormalizedValue("9", 0.5, AAX_eUpdateSource_Parameter),
            AAX_ERROR_INVALID_PARAMETER_ID);
  EXPECT_EQ(mEffect.TouchParameter(nullptr), AAX_ERROR_INVALID_PARAMETER_ID);
  EXPECT_EQ(mEffect.GetParameterValueString("9", &text, 8), AAX_ERROR_INVALID_PARAMETER_ID);
  AAX_IParameter* parameter = reinterpret_cast<AAX_IParameter*>(1);
  EXPECT_EQ(mEffect.GetParameter("9", &parameter), AAX_ERROR_INVALID_PARAMETER_ID);
  EXPECT_EQ(parameter, nullptr);
  int32_t info = 5;
  EXPECT_EQ(mEffect.GetParameterValueInfo("1", 0, &info), AAX_ERROR_UNIMPLEMENTED);
  EXPECT_EQ(info, 0);
  EXPECT_TRUE(mAutomation.mRequests.empty());
}

TEST_F(AAXEffectParameters, TextQueries)
{
  AAX_CString text;
  EXPECT_EQ(mEffect.GetParameterStringFromValue("1", 0.26, &text, 32), AAX_SUCCESS);
  EXPECT_EQ(text.StdString(), "3dB");
  EXPECT_EQ(mEffect.GetParameterStringFromValue("1", 0.26, &text, 2), AAX_SUCCESS);
  EXPECT_EQ(text.StdString(), "3");
  double x = 0;
  EXPECT_EQ(mEffect.GetParameterValueFromString("1", &x, AAX_CString("7dB")), AAX_SUCCESS);
  EXPECT_DOUBLE_EQ(x, 0.7);
  EXPECT_EQ(mEffect.GetParameterValueFromString("1", &x, AAX_CString("loud")), -20002);
  EXPECT_EQ(mEffect.GetParameterValueString("1", &text, 1), AAX_SUCCESS);
  EXPECT_EQ(text.StdString(), "5dB");
}

TEST_F(AAXEffectParameters, RelativeChangesAreClamped)
{
  struct
  {
    double delta;
    double requested;
  } cases[] = {{0.7, 1.0}, {-0.7, 0.0}, {0.2, 0.7}, {0.0, 0.5}};
  for (const auto& c : cases)
  {
    mAutomation.mRequests.clear();
    EXPECT_EQ(mEffect.SetParameterNormalizedRelative("1", c.delta), AAX_SUCCESS);
    ASSERT_EQ(mAutomation.mRequests.size(), 3u);
    EXPECT_EQ(mAutomation.mRequests[1].kind, "set");
    EXPECT_DOUBLE_EQ(mAutomation.mRequests[1].value, c.requested) << c.delta;
  }
}

TEST_F(AAXEffectParameters, HostAnswersChangeTheValueAndCountChanges)
{
  EXPECT_EQ(mEffect.SetParameterNormalizedValue("1", 0.9), AAX_SUCCESS);
  double x = 0;
  mEffect.GetParameterNormalizedValue("1", &x);
  EXPECT_DOUBLE_EQ(x, 0.5) << "unchanged until the host answers";
  mAutomation.AnswerSetRequests(mEffect);
  mEffect.GetParameterNormalizedValue("1", &x);
  EXPECT_DOUBLE_EQ(x, 0.9);
  int32_t changes = -1;
  mEffect.GetNumberOfChanges(&changes);
  EXPECT_EQ(changes, 1);
  mEffect.UpdateParameterNormalizedValue("1", 0.91, AAX_eUpdateSource_Parameter); // same step
  mEffect.GetNumberOfChanges(&changes);
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(mEffect.UpdateParameterNormalizedRelative("1", -2.0), AAX_SUCCESS);
  mEffect.GetNumberOfChanges(&changes);
  EXPECT_EQ(changes, 2);
  mEffect.GetParameterNormalizedValue("1", &x);
  EXPECT_DOUBLE_EQ(x, 0.0);
}

TEST_F(AAXEffectParameters, QueryInterfaceAnswers)
{
  const acfIID unknownIID = {0x12345678, 0x1234, 0x1234, {1, 2, 3, 4, 5, 6, 7, 8}};
  const acfIID guiIID = {0x964E323D, 0x424C, 0x5E1A, {0x22, 0x27, 0x28, 0x24, 0x23, 0x22, 0x2E, 0x1E}};
  struct
  {
    const char* name;
    acfIID iid;
    bool answered;
  } cases[] = {{"V1", IID_AAX_IACFEffectParameters, true},
               {"V2", IID_AAX_IACFEffectParameters_V2, true},
               {"V3", IID_AAX_IACFEffectParameters_V3, true},
               {"V4", IID_AAX_IACFEffectParameters_V4, true},
               {"unknown", IID_IACFUnknown, true},
               {"editor", guiIID, false},
               {"other", unknownIID, false}};
  mEffect.AddRef(); // the fixture owns the object: keep releases from deleting it
  for (const auto& c : cases)
  {
    const uint32_t before = mEffect.GetRefCount();
    void* p = reinterpret_cast<void*>(1);
    const ACFRESULT r = mEffect.QueryInterface(c.iid, &p);
    if (c.answered)
    {
      EXPECT_EQ(r, kACFResult_OK) << c.name;
      EXPECT_EQ(mEffect.GetRefCount(), before + 1) << c.name;
      if (c.iid == IID_IACFUnknown)
        EXPECT_EQ(p, mEffect.GetInnerUnknown()) << c.name;
      else
        EXPECT_EQ(p, static_cast<AAX_IEffectParameters*>(&mEffect)) << c.name;
      static_cast<IACFUnknown*>(p)->Release();
    }
    else
    {
      EXPECT_EQ(r, -2147483644) << c.name;
      EXPECT_EQ(p, nullptr) << c.name;
      EXPECT_EQ(mEffect.GetRefCount(), before) << c.name;
    }
  }
}

TEST(AAXEffectParametersLifetime, ReleaseToZeroDeletesAndLiveCountFollows)
{
  const int32_t live = CACFUnknown::GetActiveObjectCount();
  bool deleted = false;
  auto* effect = new TestEffect(&deleted);
  EXPECT_EQ(CACFUnknown::GetActiveObjectCount(), live + 1);
  EXPECT_EQ(effect->GetRefCount(), 0u);

  void* p = nullptr;
  ASSERT_EQ(effect->QueryInterface(IID_AAX_IACFEffectParameters, &p), kACFResult_OK);
  auto* host = static_cast<AAX_IACFEffectParameters*>(p);
  EXPECT_EQ(host->AddRef(), 2u);
  void* inner = nullptr;
  ASSERT_EQ(host->QueryInterface(IID_IACFUnknown, &inner), kACFResult_OK);
  EXPECT_EQ(host->Release(), 2u);
  EXPECT_EQ(static_cast<IACFUnknown*>(inner)->Release(), 1u);
  EXPECT_FALSE(deleted);
  EXPECT_EQ(host->Release(), 0u);
  EXPECT_TRUE(deleted);
  EXPECT_EQ(CACFUnknown::GetActiveObjectCount(), live);
}

TEST(AAXEffectParametersLifetime, InitializedObjectUnregistersOnFinalRelease)
{
  aaxtest::AutomationDelegate automation;
  aaxtest::Controller controller(&automation);
  auto* effect = new TestEffect();
  effect->AddRef();
  ASSERT_EQ(effect->Initialize(&controller), AAX_SUCCESS);
  EXPECT_GT(controller.Refs(), 0u);
  effect->Release();
  EXPECT_EQ(automation.mRegistered["1"], 0);
  EXPECT_EQ(controller.Refs(), 0u) << "the wrappers release what they queried";
  EXPECT_EQ(automation.Refs(), 0u);
}

TEST(AAXEffectParametersLifetime, WithoutHostAutomationSetRequestsDoNothing)
{
  aaxtest::Controller controller; // no automation interface
  TestEffect effect;
  ASSERT_EQ(effect.Initialize(&controller), AAX_SUCCESS);
  EXPECT_EQ(effect.SetParameterNormalizedValue("1", 1.0), AAX_SUCCESS);
  double x = 0;
  effect.GetParameterNormalizedValue("1", &x);
  EXPECT_DOUBLE_EQ(x, 0.5);
  effect.Uninitialize();
}
