// The host core: its own objects, module loading errors, and the validate
// checks against the real module.
#include "AAXHostAudio.h"
#include "AAXHostDescription.h"
#include "AAXHostSession.h"
#include "AAXHostTestModule.h"
#include "AAXHostValidate.h"

#include <cstdio>
#include <fstream>

using namespace aaxhost;

TEST(AAXHostObjects, ComponentDescriptorRecordsFieldsAndRejectsDuplicates)
{
  Ref<HostComponentDescriptor> c = MakeRef<HostComponentDescriptor>();
  EXPECT_EQ(c->AddAudioIn(0), AAX_SUCCESS);
  EXPECT_EQ(c->AddPrivateData(23, 8, 0), AAX_SUCCESS);
  EXPECT_NE(c->AddAudioOut(0), AAX_SUCCESS); // field 0 taken
  EXPECT_NE(c->AddClock(-1), AAX_SUCCESS);
  ASSERT_EQ(c->mFields.size(), 2u);
  EXPECT_EQ(c->mFields[1].kind, "private_data");
  EXPECT_EQ(c->mFields[1].size, 8);
  EXPECT_EQ(c->mProblems.size(), 2u);
}

TEST(AAXHostObjects, ProcessProcKeepsTheHostPropertyMapAndItsOrder)
{
  Ref<HostRoot> root = MakeRef<HostRoot>();
  void* p = nullptr;
  ASSERT_EQ(root->CreateComponent(CLSID_AAX_PropertyMap, nullptr, IID_AAX_IPropertyMap, &p), kACFResult_OK);
  auto* map = static_cast<AAX_IPropertyMap*>(p);
  map->AddProperty(56, 0);
  map->AddProperty(51, 1);
  map->AddProperty(56, 60); // keeps its place
  Ref<HostComponentDescriptor> c = MakeRef<HostComponentDescriptor>();
  auto proc = [](void* const*, const void*) {};
  EXPECT_EQ(c->AddProcessProc_Native(proc, map, nullptr, nullptr), AAX_SUCCESS);
  map->Release();
  ASSERT_EQ(c->mProcs.size(), 1u);
  ASSERT_TRUE(c->mProcs[0].properties);
  const std::vector<std::pair<int32_t, int32_t>> expected{{56, 60}, {51, 1}};
  EXPECT_EQ(c->mProcs[0].properties->mProperties, expected);
}

TEST(AAXHostObjects, CollectionIsThePluginDefinitionAndUnknownClassesAreRefused)
{
  Ref<HostRoot> root = MakeRef<HostRoot>();
  void* p = reinterpret_cast<void*>(1);
  EXPECT_EQ(root->CreateComponent(IID_AAX_IController, nullptr, IID_IACFUnknown, &p), kACFResult_NoInterface);
  EXPECT_EQ(p, nullptr);
  ASSERT_EQ(root->CreateComponent(CLSID_AAX_Collection, nullptr, IID_AAX_ICollection, &p), kACFResult_OK);
  auto* collection = static_cast<AAX_ICollection*>(p);
  void* definition = nullptr;
  EXPECT_EQ(collection->QueryInterface(IID_IACFPluginDefinition, &definition), kACFResult_OK);
  EXPECT_EQ(definition, p);
  static_cast<IACFUnknown*>(definition)->Release();
  collection->Release();
  ASSERT_EQ(root->mCollections.size(), 1u);
}

TEST(AAXHostObjects, HostServicesQueueMessagesUntilFlushed)
{
  Ref<HostServices> s = MakeRef<HostServices>();
  s->HandleAssertFailure("a.cpp", 12, "x > 0", 1);
  s->Trace(0x4000000, "hello\n");
  EXPECT_EQ(s->NumAssertions(), 1);
  EXPECT_EQ(s->NumTraces(), 1);
  s->Flush(nullptr);
  EXPECT_EQ(s->LastAssertion(), "a.cpp:12: x > 0 (flags 1)");
  // More messages than slots: the surplus is dropped, never blocks.
  for (int i = 0; i < 1000; ++i) s->Trace(0, "x");
  s->Flush(nullptr);
}

TEST(AAXHostObjects, TransportCountsNineHundredSixtyThousandTicksPerQuarter)
{
  Ref<HostTransport> t = MakeRef<HostTransport>();
  t->SetPosition(48000, 48000.); // one second at 120 beats per minute
  int64_t ticks = 0, sample = 0;
  t->GetCurrentTickPosition(&ticks);
  t->GetCurrentNativeSampleLocation(&sample);
  EXPECT_EQ(ticks, 2 * 960000);
  EXPECT_EQ(sample, 48000);
}

TEST(AAXHostModule, MissingAndForeignFilesAreRefusedWithOneLine)
{
  std::string error;
  EXPECT_EQ(Session::Open("/nonexistent/Nothing.aaxplugin", error, nullptr), nullptr);
  EXPECT_NE(error.find("/nonexistent/Nothing.aaxplugin"), std::string::npos);
  EXPECT_EQ(error.find('\n'), std::string::npos);

  const std::string text = testing::TempDir() + "not-a-module.aaxplugin";
  std::ofstream(text) << "not a module";
  error.clear();
  EXPECT_EQ(Session::Open(text, error, nullptr), nullptr);
  EXPECT_FALSE(error.empty());
  std::remove(text.c_str());
}

TEST(AAXHostDescribe, JsonCarriesTheRecordedDescription)
{
  REQUIRE_MODULE();
  std::string error;
  auto session = Session::Open(ModulePath(), error, nullptr);
  ASSERT_TRUE(session) << error;
  const std::string json = ToJson(session->GetDescription());
  for (const char* expected :
       {"\"id\": \"com.Marlowfen.aax.Kestrine\"", "\"code\": \"IEF1\"", "\"code\": \"IEA2\"",
        "\"kind\": \"data_in_port\"", "\"manufacturer_name\": \"Mwfn\""})
    EXPECT_NE(json.find(expected), std::string::npos) << expected << "\n" << json;
}

TEST(AAXHostRender, EveryRenderCallGetsTheNextStateNumber)
{
  REQUIRE_MODULE();
  std::string error;
  auto session = Session::Open(ModulePath(), error, nullptr);
  ASSERT_TRUE(session) << error;
  auto inst = session->CreateInstance(2, 48000., error);
  ASSERT_TRUE(inst) << error;
  RenderBuffer(*inst, MakeBuffer(2, 64 * 5), 64);
  EXPECT_EQ(inst->LastStateNumber(), 4);
}

// The validate battery against the real module (not the timed check, and
// not the real-time one, whose probe only the executable carries; the
// threads check has its own test).
struct CheckCase
{
  const char* name;
  CheckResult (*run)(const std::string&);
};

void PrintTo(const CheckCase& c, std::ostream* os)
{
  *os << c.name;
}

class AAXHostValidate : public testing::TestWithParam<CheckCase>
{
};

TEST_P(AAXHostValidate, Passes)
{
  REQUIRE_MODULE();
  const CheckResult r = GetParam().run(ModulePath());
  EXPECT_TRUE(r.pass) << r.name << ": " << r.detail;
}

INSTANTIATE_TEST_SUITE_P(
    Checks, AAXHostValidate,
    testing::Values(CheckCase{"Description", CheckDescription},
                    CheckCase{"LoadUnload", [](const std::string& m) { return CheckLoadUnload(m, 20); }},
                    CheckCase{"Instances", CheckInstances}, CheckCase{"Parameters", CheckParameters},
                    CheckCase{"State", CheckState}, CheckCase{"Latency", CheckLatency},
                    CheckCase{"Bypass", CheckBypass}, CheckCase{"ProcessMatrix", CheckProcessMatrix},
                    CheckCase{"NonFinite", CheckNonFinite}),
    [](const testing::TestParamInfo<CheckCase>& info) { return std::string(info.param.name); });
