#include "AAXTestHost.h"

#include "AAX_CBinaryDisplayDelegate.h"
#include "AAX_CBinaryTaperDelegate.h"
#include "AAX_CLinearTaperDelegate.h"
#include "AAX_CNumberDisplayDelegate.h"
#include "AAX_CParameter.h"
#include "AAX_CStringDisplayDelegate.h"
#include "AAX_VController.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

using aaxtest::AutomationDelegate;
using Request = AutomationDelegate::Request;

namespace
{
std::unique_ptr<AAX_CParameter<int>> MakeInt(const char* id = "3", int minValue = 0, int maxValue = 10,
                                             int def = 2)
{
  return std::make_unique<AAX_CParameter<int>>(id, AAX_CString("Mode"), def,
                                               AAX_CLinearTaperDelegate<int, 1>(minValue, maxValue),
                                               AAX_CNumberDisplayDelegate<int, 0, 0>(), true);
}
} // namespace

TEST(AAXParameter, ConstructionStoresTheDefaultAnd128Steps)
{
  auto p = MakeInt();
  EXPECT_STREQ(p->Identifier(), "3");
  EXPECT_EQ(p->GetValue(), 2);
  EXPECT_DOUBLE_EQ(p->GetNormalizedValue(), 0.2);
  EXPECT_EQ(p->GetNumberOfSteps(), 128u);
  EXPECT_EQ(p->GetType(), AAX_eParameterType_Continuous);
  EXPECT_EQ(p->GetOrientation(), 0);
  EXPECT_EQ(p->ShortenedName(3).StdString(), "Mode");
}

TEST(AAXParameter, LongIdentifierIsReportedAndCut)
{
  aaxtest::ScopedHostServices host;
  const std::string longId(40, 'x');
  auto p = MakeInt(longId.c_str());
  EXPECT_EQ(std::string(p->Identifier()), std::string(31, 'x'));
  ASSERT_EQ(host.mServices.mReports.size(), 1u);
  EXPECT_EQ(host.mServices.mReports[0].expression, "len < eParemeterDefaultMaxIdentifierSize");
  EXPECT_EQ(host.mServices.mReports[0].flags, 1);
  EXPECT_NE(host.mServices.mReports[0].file.find("AAX_CParameterValue.h"), std::string::npos);
  std::unique_ptr<AAX_IParameterValue> value(p->CloneValue());
  EXPECT_STREQ(value->Identifier(), p->Identifier());
  int32_t v = 0;
  EXPECT_TRUE(value->GetValueAsInt32(&v));
  EXPECT_EQ(v, 2);
  double d = 0;
  EXPECT_FALSE(value->GetValueAsDouble(&d));
}

TEST(AAXParameter, StepsMapBothWays)
{
  aaxtest::ScopedHostServices host;
  auto p = MakeInt();
  p->SetNumberOfSteps(0); // refused with a report; keeps 128
  EXPECT_EQ(p->GetNumberOfSteps(), 128u);
  ASSERT_EQ(host.mServices.mReports.size(), 1u);
  EXPECT_EQ(host.mServices.mReports[0].expression, "0 < numSteps");

  struct
  {
    uint32_t steps;
    uint32_t step;
    double x;
    double xToStep;
    uint32_t stepOfX;
  } cases[] = {
      {11, 3, 0.3, 0.26, 3}, {11, 20, 1.0, 1.5, 10}, {11, 0, 0.0, -0.5, 0},
      {2, 1, 1.0, 0.49, 0},  {2, 1, 1.0, 0.5, 1},    {1, 0, 0.0, 0.9, 0},
  };
  for (const auto& c : cases)
  {
    p->SetNumberOfSteps(c.steps);
    EXPECT_DOUBLE_EQ(p->GetNormalizedValueFromStep(c.step), c.x) << c.steps << "/" << c.step;
    EXPECT_EQ(p->GetStepValueFromNormalizedValue(c.xToStep), c.stepOfX) << c.steps << "/" << c.xToStep;
  }
}

TEST(AAXParameter, SetValueWithoutAutomationStoresAtOnce)
{
  auto p = MakeInt();
  p->SetNormalizedValue(0.26);
  EXPECT_EQ(p->GetValue(), 3);
  p->SetToDefaultValue();
  EXPECT_EQ(p->GetValue(), 2);
}

TEST(AAXParameter, SetValueWithAutomationWaitsForTheHost)
{
  AutomationDelegate automation;
  auto p = MakeInt();
  p->SetAutomationDelegate(&automation);
  EXPECT_EQ(automation.mRegistered["3"], 1);

  p->SetNormalizedValue(0.26);
  EXPECT_EQ(p->GetValue(), 2) << "stored value must wait for the host's answer";
  const std::vector<Request> expected = {{"touch", "3", 0}, {"set", "3", 0.3}, {"release", "3", 0}};
  ASSERT_EQ(automation.mRequests.size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i)
  {
    EXPECT_EQ(automation.mRequests[i].kind, expected[i].kind);
    EXPECT_EQ(automation.mRequests[i].id, expected[i].id);
    EXPECT_DOUBLE_EQ(automation.mRequests[i].value, expected[i].value);
  }
  automation.mRequests.clear();

  p->UpdateNormalizedValue(0.3); // the host's answer
  EXPECT_EQ(p->GetValue(), 3);
  ASSERT_EQ(automation.mRequests.size(), 1u);
  EXPECT_EQ(automation.mRequests[0].kind, "current");

  p->UpdateNormalizedValue(0.31); // same real value: nothing posted
  EXPECT_EQ(automation.mRequests.size(), 1u);

  p.reset();
  EXPECT_EQ(automation.mRegistered["3"], 0) << "a deleted parameter unregisters";
}

TEST(AAXParameter, WrapperWithoutHostAutomationLosesSetRequestsSilently)
{
  aaxtest::Controller controller; // offers no automation interface
  AAX_VAutomationDelegate wrapper(&controller);
  EXPECT_FALSE(wrapper.IsSupported());
  EXPECT_EQ(wrapper.PostSetValueRequest("3", 0.5), AAX_ERROR_NULL_OBJECT);
  auto p = MakeInt();
  p->SetAutomationDelegate(&wrapper);
  p->SetNormalizedValue(0.9);
  EXPECT_EQ(p->GetValue(), 2);
}

TEST(AAXParameter, TextConversions)
{
  AAX_CParameter<bool> bypass("", AAX_CString("Master Bypass"), false, AAX_CBinaryTaperDelegate<bool>(),
                              AAX_CBinaryDisplayDelegate<bool>("bypass", "on"), true);
  AAX_CString text;
  EXPECT_TRUE(bypass.GetStringFromNormalizedValue(1.0, 31, text));
  EXPECT_EQ(text.StdString(), "on");
  double x = -1;
  EXPECT_TRUE(bypass.GetNormalizedValueFromString(AAX_CString("on"), &x));
  EXPECT_EQ(x, 1.0);
  EXPECT_FALSE(bypass.GetNormalizedValueFromString(AAX_CString("On"), &x));
  bool on = true;
  EXPECT_TRUE(bypass.GetValueAsBool(&on));
  EXPECT_FALSE(on);

  AAX_CParameter<int> mode("8", AAX_CString("Mode"), 0, AAX_CLinearTaperDelegate<int, 1>(0, 1),
                           AAX_CStringDisplayDelegate<int>({{0, "Saturator"}, {1, "Exciter"}}), true);
  EXPECT_TRUE(mode.GetValueString(2, &text)) << "the limit is not applied to the stored value's text";
  EXPECT_EQ(text.StdString(), "Saturator");
  EXPECT_TRUE(mode.GetNormalizedValueFromString(AAX_CString("Exciter"), &x));
  EXPECT_EQ(x, 1.0);
  EXPECT_FALSE(mode.GetNormalizedValueFromString(AAX_CString("Clean"), &x));
}
