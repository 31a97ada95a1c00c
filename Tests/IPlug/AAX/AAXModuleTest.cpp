// The built module as a host sees it: loaded with the operating system's
// loader, driven only through its seven exports and the interfaces they and
// the description hand out.
#include "AAXTestHost.h"
#include "AAX_IEffectParameters.h"
#include "ACF/ACFPlugin.h"
#include "AAXHostModule.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

namespace
{
constexpr AAX_CTypeID kChunkID = AAX_FourCharCode("Kzqe");
// Fields 0 to 25, exactly as described: a context has no field 26 unless a
// side chain was described, so the module must never read it.
constexpr int kNumFields = 26;
constexpr int kNumKestrineParams = 11;

// One plug-in instance with the host objects it talks to and a render context.
class Instance
{
public:
  Instance(aaxtest::EffectDescriptor& effect, double sampleRate, AAX_EStemFormat format)
  {
    controller.mSampleRate = sampleRate;
    controller.mStemFormat = format;
    auto create = reinterpret_cast<AAX_CCreateEffectParametersProc>(effect.mProcs.at(0));
    render = effect.mComponents.at(format == AAX_eStemFormat_Mono ? 0 : 1)->mProcessProc;
    AAX_IEffectParameters* created = create();
    if (!created) return;
    void* p = nullptr;
    created->QueryInterface(IID_AAX_IACFEffectParameters, &p);
    parameters = static_cast<AAX_IACFEffectParameters*>(p);
    initResult = parameters->Initialize(static_cast<AAX_IController*>(&controller));
    parameters->ResetFieldData(23, privateData, sizeof(privateData));
    parameters->GenerateCoefficients();
  }
  ~Instance()
  {
    if (!parameters) return;
    parameters->Uninitialize();
    parameters->Release();
  }
  Instance(const Instance&) = delete;
  Instance& operator=(const Instance&) = delete;

  int Channels() const { return AAX_StemFormatChannelCount(controller.mStemFormat); }

  // Renders one block of input (one vector per channel); the result is in output.
  void Render(const std::vector<std::vector<float>>& input)
  {
    numSamples = static_cast<int32_t>(input[0].size());
    output.assign(input.size(), std::vector<float>(input[0].size(), 0.f));
    inPtrs.clear();
    outPtrs.clear();
    for (size_t c = 0; c < input.size(); ++c)
    {
      inPtrs.push_back(const_cast<float*>(input[c].data()));
      outPtrs.push_back(output[c].data());
    }
    void* fields[kNumFields] = {};
    for (int i = 0; i < kNumFields; ++i) fields[i] = &dummies[i];
    fields[0] = inPtrs.data();
    fields[1] = outPtrs.data();
    fields[2] = &numSamples;
    fields[3] = &clock;
    fields[7] = static_cast<AAX_IMIDINode*>(&transportNode);
    fields[23] = privateData;
    fields[25] = &controller.mStateNum;
    void* contexts[1] = {fields};
    render(contexts, contexts + 1);
  }

  double Normalized(const char* id) const
  {
    double v = -1;
    parameters->GetParameterNormalizedValue(id, &v);
    return v;
  }

  aaxtest::AutomationDelegate automation;
  aaxtest::Controller controller{&automation};
  aaxtest::Transport transport;
  aaxtest::TransportNode transportNode{&transport};
  AAX_IACFEffectParameters* parameters = nullptr;
  AAX_Result initResult = -1;
  AAX_CProcessProc render = nullptr;
  alignas(8) unsigned char privateData[8] = {};
  int32_t dummies[kNumFields] = {};
  int32_t numSamples = 0;
  uint32_t clock = 0;
  std::vector<float*> inPtrs, outPtrs;
  std::vector<std::vector<float>> output;
};

std::vector<std::vector<float>> Signal(int channels, int frames, float value, unsigned seed = 0)
{
  std::vector<std::vector<float>> x(static_cast<size_t>(channels), std::vector<float>(frames, value));
  if (seed)
    for (auto& ch : x)
      for (auto& v : ch)
      {
        seed = seed * 1664525u + 1013904223u;
        v = 0.5f * (static_cast<float>(seed >> 8) / 8388608.f - 1.f);
      }
  return x;
}

double Peak(const std::vector<std::vector<float>>& x)
{
  double peak = 0;
  for (const auto& ch : x)
    for (float v : ch) peak = std::max(peak, std::fabs(static_cast<double>(v)));
  return peak;
}

class ModuleTest : public ::testing::Test
{
protected:
  // The stand-in host's loader: dlopen or LoadLibrary, then the seven exports.
  static void SetUpTestSuite()
  {
    sModule = aaxhost::Module::Open(KESTRINE_MODULE_PATH, sLoadError).release();
  }
  static void TearDownTestSuite()
  {
    delete sModule;
    sModule = nullptr;
  }

  void SetUp() override
  {
    ASSERT_NE(sModule, nullptr) << sLoadError;
    x = sModule->Exports();
    ASSERT_EQ(x.startup(&host), 0);
  }
  void TearDown() override
  {
    if (x.shutdown) x.shutdown(nullptr);
  }

  // Registers and answers the one effect described, or null.
  aaxtest::EffectDescriptor* Register()
  {
    IACFPluginDefinition* definition = nullptr;
    registerResult = x.registerPlugin(&host, &definition);
    if (definition) definition->Release();
    aaxtest::Collection* collection = host.LastCollection();
    if (registerResult != 0 || !collection || collection->mEffects.size() != 1) return nullptr;
    return collection->mEffects[0].second;
  }

  static aaxhost::Module* sModule;
  static std::string sLoadError;
  ACFModuleExports x;
  aaxtest::Host host;
  AAX_Result registerResult = -1;
};
aaxhost::Module* ModuleTest::sModule = nullptr;
std::string ModuleTest::sLoadError;

// --- Module-level answers -------------------------------------------------------

TEST_F(ModuleTest, ExportsAnswerModuleQueries)
{
  void* factory = &host;
  EXPECT_EQ(x.getClassFactory(&host, &CLSID_AAX_Collection, &IID_IACFUnknown, &factory), -20009);
  EXPECT_EQ(factory, nullptr);

  IACFUnknown* component = &host;
  EXPECT_EQ(x.registerComponent(&host, 0, &component), 0);
  EXPECT_EQ(component, nullptr);

  uint64_t version = 0;
  EXPECT_EQ(x.getSDKVersion(&version), 0);
  // High word 0x203, low word 14017972.
  EXPECT_EQ(version, 0x20300D5E5B4ull);

  EXPECT_EQ(x.canUnloadNow(&host), 0);
}

TEST_F(ModuleTest, LiveInstanceKeepsTheModuleLoaded)
{
  aaxtest::EffectDescriptor* effect = Register();
  ASSERT_NE(effect, nullptr);
  EXPECT_EQ(x.canUnloadNow(&host), 0) << "registration leaves no object behind";
  {
    Instance instance(*effect, 48000., AAX_eStemFormat_Stereo);
    ASSERT_NE(instance.parameters, nullptr);
    EXPECT_GE(x.canUnloadNow(&host), 1);
  }
  EXPECT_EQ(x.canUnloadNow(&host), 0);
}

// --- Description ------------------------------------------------------------------

TEST_F(ModuleTest, DescribesTheEffectIdentity)
{
  aaxtest::EffectDescriptor* effect = Register();
  ASSERT_NE(effect, nullptr) << registerResult;
  const aaxtest::Collection& collection = *host.LastCollection();
  EXPECT_EQ(collection.mEffects[0].first, "com.Marlowfen.aax.Kestrine");
  EXPECT_EQ(effect->mNames, (std::vector<std::string>{"Kestrine", "Kestrine"}));
  EXPECT_EQ(collection.mPackageNames, (std::vector<std::string>{"Kestrine", "Kestrine"}));
  EXPECT_EQ(effect->mCategories, std::vector<uint32_t>{64});
  EXPECT_EQ(collection.mManufacturerName, "Mwfn");
  EXPECT_EQ(collection.mPackageVersion, 65537u);
  EXPECT_EQ(effect->mProcs.size(), 2u);
  EXPECT_TRUE(effect->mProcs.count(0) && effect->mProcs.count(1));
}

TEST_F(ModuleTest, DescribesMonoThenStereoComponents)
{
  aaxtest::EffectDescriptor* effect = Register();
  ASSERT_NE(effect, nullptr) << registerResult;
  ASSERT_EQ(effect->mComponents.size(), 2u);

  struct Expected
  {
    const char* native;
    const char* audioSuite;
    AAX_CPropertyValue stemFormat;
  };
  const Expected table[] = {{"IEF1", "IEA1", 1}, {"IEF2", "IEA2", 0x10002}};
  for (size_t i = 0; i < 2; ++i)
  {
    SCOPED_TRACE(i);
    const aaxtest::ComponentDescriptor& c = *effect->mComponents[i];
    ASSERT_NE(c.mProcessProc, nullptr);
    EXPECT_FALSE(c.mHasInitOrBackground);
    ASSERT_NE(c.mProperties, nullptr);
    const auto& p = c.Properties().mValues;
    char native[5] = {}, audioSuite[5] = {};
    for (int b = 0; b < 4; ++b)
    {
      native[b] = static_cast<char>(static_cast<uint32_t>(p.at(13)) >> (24 - 8 * b));
      audioSuite[b] = static_cast<char>(static_cast<uint32_t>(p.at(14)) >> (24 - 8 * b));
    }
    EXPECT_STREQ(native, table[i].native);
    EXPECT_STREQ(audioSuite, table[i].audioSuite);
    EXPECT_EQ(p.at(51), table[i].stemFormat);
    EXPECT_EQ(p.at(52), table[i].stemFormat);
    EXPECT_EQ(p.at(11), static_cast<AAX_CPropertyValue>(AAX_FourCharCode("Mwfn")));
    EXPECT_EQ(p.at(12), static_cast<AAX_CPropertyValue>(kChunkID));
    EXPECT_EQ(p.at(56), 0);
    EXPECT_EQ(p.at(60), 1);
    EXPECT_EQ(p.at(300), 1);
    EXPECT_EQ(p.at(306), 1);
    for (AAX_CPropertyID absent : {151, 90, 91, 116, 304}) EXPECT_EQ(p.count(absent), 0u) << absent;
    EXPECT_EQ(c.mAuxStems, 0);
  }
}

TEST_F(ModuleTest, EveryComponentDescribesFields0To25AndNo26)
{
  aaxtest::EffectDescriptor* effect = Register();
  ASSERT_NE(effect, nullptr) << registerResult;
  for (const aaxtest::ComponentDescriptor* c : effect->mComponents)
  {
    ASSERT_EQ(c->mFields.size(), 26u);
    EXPECT_EQ(c->mFields.begin()->first, 0);
    EXPECT_EQ(c->mFields.rbegin()->first, 25);
    EXPECT_EQ(c->mFields.at(0), "audio in");
    EXPECT_EQ(c->mFields.at(1), "audio out");
    EXPECT_EQ(c->mFields.at(2), "length");
    EXPECT_EQ(c->mFields.at(3), "clock");
    for (int f : {4, 5, 6, 8, 15, 22, 24}) EXPECT_EQ(c->mFields.at(f), "private 4 0") << f;
    EXPECT_EQ(c->mFields.at(7), "midi 3 Transport 65535");
    EXPECT_EQ(c->mFields.at(23), "private 8 0");
    EXPECT_EQ(c->mFields.at(25), "data in 8 1");
  }
}

TEST_F(ModuleTest, RegistrationFailuresAnswerTheHostCallsCode)
{
  struct Case
  {
    const char* failingCall; // empty: the host refuses effect descriptors
    AAX_Result code;
    const char* traced;
  };
  const Case table[] = {
      {"", -20004, "AAXRegisterPlugin exception caught: AAX_ERROR_NULL_OBJECT (-20004)"},
      {"AddAudioIn", -20004, "AAXRegisterPlugin exception caught: AAX_ERROR_NULL_OBJECT (-20004)"},
      {"AddComponent", -20001, "AAXRegisterPlugin exception caught: AAX_ERROR_INVALID_PARAMETER_ID (-20001)"},
      {"AddProcessProc_Native", -20011, "AAX_ERROR_NOT_INITIALIZED (-20011)"},
  };
  for (const Case& c : table)
  {
    SCOPED_TRACE(c.failingCall);
    host.mServices.mTraces.clear();
    host.mRefuseEffectDescriptors = !*c.failingCall;
    host.mFailure = {c.failingCall, c.code};
    IACFPluginDefinition* definition = reinterpret_cast<IACFPluginDefinition*>(&host);
    EXPECT_EQ(x.registerPlugin(&host, &definition), c.code);
    EXPECT_EQ(definition, nullptr);
    bool found = false;
    for (const auto& t : host.mServices.mTraces) found |= t.second.find(c.traced) != std::string::npos;
    EXPECT_TRUE(found) << "no trace containing " << c.traced;
    EXPECT_EQ(x.canUnloadNow(&host), 0);
  }
}

// --- Instances ------------------------------------------------------------------------

class InstanceTest : public ModuleTest
{
protected:
  void SetUp() override
  {
    ModuleTest::SetUp();
    effect = Register();
    ASSERT_NE(effect, nullptr) << registerResult;
  }
  aaxtest::EffectDescriptor* effect = nullptr;
};

TEST_F(InstanceTest, RegistersMasterBypassFirstThenOneParameterPerFrameworkParameter)
{
  Instance instance(*effect, 48000., AAX_eStemFormat_Stereo);
  ASSERT_EQ(instance.initResult, 0);
  int32_t count = 0;
  instance.parameters->GetNumberOfParameters(&count);
  EXPECT_EQ(count, kNumKestrineParams + 1);
  aaxtest::HostString id("x");
  EXPECT_EQ(instance.parameters->GetParameterIDFromIndex(0, &id), 0);
  EXPECT_EQ(id.mText, "");
  aaxtest::HostString name;
  instance.parameters->GetParameterName("", &name);
  EXPECT_EQ(name.mText, "Master Bypass");
  instance.parameters->GetParameterName("8", &name);
  EXPECT_EQ(name.mText, "Mode");
  aaxtest::HostString text;
  instance.parameters->GetParameterValueString("8", &text, 31);
  EXPECT_EQ(text.mText, "Saturator");
}

TEST_F(InstanceTest, RendersBothConfigurations)
{
  for (AAX_EStemFormat format : {AAX_eStemFormat_Mono, AAX_eStemFormat_Stereo})
  {
    SCOPED_TRACE(format);
    Instance instance(*effect, 48000., format);
    ASSERT_EQ(instance.initResult, 0);
    instance.Render(Signal(instance.Channels(), 512, 0.f, 7));
    const double peak = Peak(instance.output);
    EXPECT_TRUE(std::isfinite(peak));
    EXPECT_GT(peak, 0.01);
    EXPECT_EQ(instance.controller.mStateNum, 0) << "first generation is state 0";
    EXPECT_GE(instance.transportNode.mTransportRequests, 1);
  }
}

TEST_F(InstanceTest, ParameterUpdatesByIdentifier)
{
  Instance instance(*effect, 48000., AAX_eStemFormat_Stereo);
  struct Case
  {
    const char* id;
    double value;
    AAX_Result result;
  };
  const Case table[] = {{"", 1.0, 0}, {"3", 0.75, 0}, {"99", 0.5, -20001}, {"x", 0.5, -20001}};
  for (const Case& c : table)
  {
    SCOPED_TRACE(c.id);
    EXPECT_EQ(instance.parameters->UpdateParameterNormalizedValue(c.id, c.value, AAX_eUpdateSource_Parameter),
              c.result);
    if (c.result == 0)
    {
      EXPECT_DOUBLE_EQ(instance.Normalized(c.id), c.value);
    }
  }
  // The master bypass is not the framework's Bypass parameter.
  EXPECT_DOUBLE_EQ(instance.Normalized("1"), 0.0);
}

TEST_F(InstanceTest, MasterBypassPassesInputThroughDelayedByTheLatency)
{
  Instance instance(*effect, 48000., AAX_eStemFormat_Stereo);
  ASSERT_EQ(instance.controller.mLatency, 60);
  instance.parameters->UpdateParameterNormalizedValue("", 1.0, AAX_eUpdateSource_Parameter);
  auto input = Signal(2, 256, 0.f);
  input[0][0] = 1.f;
  input[1][10] = -0.5f;
  const int before = instance.transportNode.mTransportRequests;
  instance.Render(input);
  for (int s = 0; s < 256; ++s)
  {
    EXPECT_EQ(instance.output[0][s], s == 60 ? 1.f : 0.f) << s;
    EXPECT_EQ(instance.output[1][s], s == 70 ? -0.5f : 0.f) << s;
  }
  EXPECT_EQ(instance.transportNode.mTransportRequests, before + 1) << "the node is asked, not the transport";
}

TEST_F(InstanceTest, LargerBlockResetsOnceSmallerChangesNothing)
{
  // A reset clears the effect's state: a block of silence after noise is
  // then silent; without one the previous block's tail comes out.
  struct Case
  {
    int noiseBlock;
    int silentBlock;
    bool tailCleared;
  };
  const Case table[] = {{512, 1024, true}, {1024, 512, false}, {512, 512, false}};
  for (const Case& c : table)
  {
    SCOPED_TRACE(c.silentBlock);
    Instance instance(*effect, 48000., AAX_eStemFormat_Stereo);
    instance.Render(Signal(2, c.noiseBlock, 0.f, 3));
    instance.Render(Signal(2, c.silentBlock, 0.f));
    if (c.tailCleared)
    {
      EXPECT_EQ(Peak(instance.output), 0.0);
    }
    else
    {
      EXPECT_GT(Peak(instance.output), 1e-3);
    }
  }
}

TEST_F(InstanceTest, ModeChangeDuringRenderingReportsTheLatencyToTheHost)
{
  struct Case
  {
    double sampleRate;
    int32_t saturator;
    int32_t exciter;
  };
  const Case table[] = {{48000., 60, 88}, {96000., 30, 44}};
  for (const Case& c : table)
  {
    SCOPED_TRACE(c.sampleRate);
    Instance instance(*effect, c.sampleRate, AAX_eStemFormat_Stereo);
    EXPECT_EQ(instance.controller.mLatency, c.saturator);
    instance.parameters->UpdateParameterNormalizedValue("8", 1.0, AAX_eUpdateSource_Parameter);
    instance.Render(Signal(2, 256, 0.f, 5));
    EXPECT_EQ(instance.controller.mLatency, c.exciter);
    instance.parameters->UpdateParameterNormalizedValue("8", 0.0, AAX_eUpdateSource_Parameter);
    instance.Render(Signal(2, 256, 0.f, 5));
    EXPECT_EQ(instance.controller.mLatency, c.saturator);
  }
}

TEST_F(InstanceTest, ChunkRoundTripRestoresEveryParameter)
{
  Instance instance(*effect, 48000., AAX_eStemFormat_Stereo);
  AAX_IACFEffectParameters& p = *instance.parameters;
  p.UpdateParameterNormalizedValue("2", 0.8, AAX_eUpdateSource_Parameter);
  p.UpdateParameterNormalizedValue("8", 1.0, AAX_eUpdateSource_Parameter);

  uint32_t size = 0;
  ASSERT_EQ(p.GetChunkSize(kChunkID, &size), 0);
  EXPECT_EQ(size, kNumKestrineParams * sizeof(double));
  std::vector<uint8_t> record(kAAXChunkHeaderSize + size, 0xAB);
  auto* chunk = reinterpret_cast<AAX_SPlugInChunk*>(record.data());
  ASSERT_EQ(p.GetChunk(kChunkID, chunk), 0);
  EXPECT_EQ(chunk->fSize, static_cast<int32_t>(size));
  EXPECT_EQ(record[20], 0xAB) << "header fields other than the size are not written";
  chunk->fChunkID = kChunkID;

  std::vector<double> saved;
  for (int i = 1; i <= kNumKestrineParams; ++i)
    saved.push_back(instance.Normalized(std::to_string(i).c_str()));

  AAX_CBoolean equal = 0;
  p.CompareActiveChunk(chunk, &equal);
  EXPECT_EQ(equal, 1);
  p.UpdateParameterNormalizedValue("2", 0.1, AAX_eUpdateSource_Parameter);
  p.CompareActiveChunk(chunk, &equal);
  EXPECT_EQ(equal, 0);

  instance.automation.mRequests.clear();
  ASSERT_EQ(p.SetChunk(kChunkID, chunk), 0);
  int setRequests = 0;
  for (const auto& r : instance.automation.mRequests) setRequests += r.kind == "set";
  EXPECT_EQ(setRequests, kNumKestrineParams);
  instance.automation.AnswerSetRequests(p);
  for (int i = 1; i <= kNumKestrineParams; ++i)
    EXPECT_DOUBLE_EQ(instance.Normalized(std::to_string(i).c_str()), saved[static_cast<size_t>(i - 1)]) << i;
}

TEST_F(InstanceTest, ChunkQueriesWithForeignIndexOrIdentifierFail)
{
  Instance instance(*effect, 48000., AAX_eStemFormat_Stereo);
  AAX_IACFEffectParameters& p = *instance.parameters;
  int32_t chunks = 0;
  p.GetNumberOfChunks(&chunks);
  EXPECT_EQ(chunks, 1);

  AAX_CTypeID id = 1;
  EXPECT_EQ(p.GetChunkIDFromIndex(0, &id), 0);
  EXPECT_EQ(id, kChunkID);
  EXPECT_EQ(p.GetChunkIDFromIndex(1, &id), -20006);
  EXPECT_EQ(id, 0u);

  uint32_t size = 7;
  EXPECT_EQ(p.GetChunkSize(AAX_FourCharCode("abcd"), &size), -20007);
  EXPECT_EQ(size, 0u);
  std::vector<uint8_t> record(kAAXChunkHeaderSize + 8, 0);
  auto* chunk = reinterpret_cast<AAX_SPlugInChunk*>(record.data());
  EXPECT_EQ(p.GetChunk(AAX_FourCharCode("abcd"), chunk), -20007);
  EXPECT_EQ(p.SetChunk(AAX_FourCharCode("abcd"), chunk), -20007);
  chunk->fSize = -5;
  EXPECT_EQ(p.SetChunk(kChunkID, chunk), -20007) << "a negative size reads nothing";
}

} // namespace
