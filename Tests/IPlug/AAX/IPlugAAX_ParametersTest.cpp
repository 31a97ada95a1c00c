// Internal pieces of the binding that a host cannot observe directly: the
// staging of numbered state lists, the stem-format table and the transport
// values handed to the processing frame.
#include "AAXTestHost.h"
#include "AllocationCounter.h"
#include "AAX_CLinearTaperDelegate.h"
#include "AAX_CNumberDisplayDelegate.h"
#include "IPlugAAX.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace
{
constexpr int kNumFields = 27;

// Renders one context through the static render callback.
struct Context
{
  explicit Context(AAX_CIPlugParameters& instance)
  {
    instance.ResetFieldData(kFieldPrivateData, &privateData, sizeof(privateData));
    for (int i = 0; i < kNumFields; ++i) fields[i] = &dummies[i];
    fields[kFieldAudioInputs] = inputs;
    fields[kFieldAudioOutputs] = outputs;
    fields[kFieldNumSamples] = &numSamples;
    fields[kFieldTransportNode] = static_cast<AAX_IMIDINode*>(&node);
    fields[kFieldPrivateData] = &privateData;
    fields[kFieldCurrentStateNum] = &stateNum;
    fields[kFieldSideChain] = nullptr;
  }
  void Render(int64_t target)
  {
    stateNum = target;
    void* contexts[1] = {fields};
    AAX_CIPlugParameters::RenderCallback(contexts, contexts + 1);
  }

  AAX_SIPlugPrivateData privateData{nullptr};
  int32_t dummies[kNumFields] = {};
  void* fields[kNumFields];
  float in[2][64] = {};
  float out[2][64] = {};
  float* inputs[2] = {in[0], in[1]};
  float* outputs[2] = {out[0], out[1]};
  int32_t numSamples = 64;
  int64_t stateNum = 0;
  aaxtest::Transport transport;
  aaxtest::TransportNode node{&transport};
};

// One synchronized parameter "gain" (0..100); records what each render call receives.
class SyncedParameters : public AAX_CIPlugParameters
{
public:
  AAX_Result EffectInit() override
  {
    auto* gain =
        new AAX_CParameter<int>("gain", AAX_CString("Gain"), 0, AAX_CLinearTaperDelegate<int, 1>(0, 100),
                                AAX_CNumberDisplayDelegate<int, 0, 0>(), true);
    mParameterManager.AddParameter(gain);
    SynchronizeParameter(*gain);
    return AAX_SUCCESS;
  }
  void RenderBlock(AAX_SIPlugRenderInfo*, const ParamValuePair* const values[], int32_t count) override
  {
    std::vector<int> call;
    for (int32_t i = 0; i < count; ++i)
    {
      int32_t v = -1;
      values[i]->mValue->GetValueAsInt32(&v);
      call.push_back(v);
    }
    mCalls.push_back(call);
  }
  // Posts a new gain, then generates coefficients; answers the state number posted.
  int64_t Generate(int gain, aaxtest::Controller& controller)
  {
    if (gain >= 0) UpdateParameterNormalizedValue("gain", gain / 100.0, AAX_eUpdateSource_Parameter);
    GenerateCoefficients();
    return controller.mStateNum;
  }
  std::vector<std::vector<int>> mCalls;
};

class SyncedFixture : public ::testing::Test
{
protected:
  void SetUp() override
  {
    instance = new SyncedParameters;
    instance->AddRef();
    instance->Initialize(static_cast<AAX_IController*>(&controller));
  }
  void TearDown() override
  {
    instance->Uninitialize();
    instance->Release();
  }
  aaxtest::Controller controller;
  SyncedParameters* instance = nullptr;
};

TEST_F(SyncedFixture, DeliversListsUpToTheTargetStateInOrder)
{
  for (int i = 0; i < 4; ++i)
    EXPECT_EQ(instance->Generate(-1, controller), i) << "nothing dirty, nothing queued";
  EXPECT_EQ(instance->Generate(4, controller), 4);
  EXPECT_EQ(instance->Generate(5, controller), 5);
  EXPECT_EQ(instance->Generate(6, controller), 6);

  Context context(*instance);
  struct Step
  {
    int64_t target;
    std::vector<int> delivered;
  };
  const Step steps[] = {{3, {}}, {5, {4, 5}}, {5, {}}, {6, {6}}};
  for (const Step& s : steps)
  {
    SCOPED_TRACE(s.target);
    context.Render(s.target);
    ASSERT_FALSE(instance->mCalls.empty());
    EXPECT_EQ(instance->mCalls.back(), s.delivered);
  }
  instance->TimerWakeup(); // releases the delivered values
}

TEST_F(SyncedFixture, WrappedTargetTakesLargeStateNumbers)
{
  for (int i = 0; i < 70000; ++i) instance->Generate(-1, controller);
  ASSERT_EQ(instance->Generate(42, controller), 70000);
  Context context(*instance);
  context.Render(-10);
  EXPECT_EQ(instance->mCalls.back(), std::vector<int>{}) << "-10 is simply earlier";
  context.Render(-70000);
  EXPECT_EQ(instance->mCalls.back(), std::vector<int>{42});
}

TEST_F(SyncedFixture, PrivateDataLeadsToTheInstanceOtherFieldsAreZeroed)
{
  AAX_SIPlugPrivateData data{reinterpret_cast<AAX_CIPlugParameters*>(0x1234)};
  EXPECT_EQ(instance->ResetFieldData(kFieldPrivateData, &data, sizeof(data)), 0);
  EXPECT_EQ(data.mParameters, instance);
  int64_t other = -1;
  EXPECT_EQ(instance->ResetFieldData(0, &other, sizeof(other)), 0);
  EXPECT_EQ(other, 0);
}

TEST_F(SyncedFixture, PrivateDataOfAnotherSizeIsReported)
{
  aaxtest::ScopedHostServices host;
  uint64_t block[2] = {~0ull, ~0ull};
  EXPECT_EQ(instance->ResetFieldData(kFieldPrivateData, block, 4), 0);
  ASSERT_EQ(host.mServices.mReports.size(), 1u);
  EXPECT_EQ(host.mServices.mReports[0].expression, "iDataSize == sizeof(AAX_SIPlugPrivateData)");
  EXPECT_EQ(block[0] & 0xFFFFFFFFull, 0u); // the four bytes given are zeroed
  EXPECT_EQ(block[1], ~0ull);
}

TEST(AAX_StemFormat, FromChannelCount)
{
  const std::pair<int, AAX_EStemFormat> table[] = {
      {1, 1},        {2, 0x10002},  {3, 0x20003},   {7, 0xB0007},  {8, 0xC0008},
      {9, -6553600}, {10, 0xD000A}, {12, 0x1A000C}, {0, -6553600}, {-1, -6553600}};
  for (const auto& [channels, format] : table)
    EXPECT_EQ(AAX_StemFormatForChannelCount(channels), format) << channels;
}

// A minimal plug-in that keeps the transport values its block saw.
class TransportPlugin : public iplug::IPlugAAX
{
public:
  TransportPlugin() : IPlugAAX(iplug::InstanceInfo{}, Config()) {}
  static iplug::PluginConfig Config()
  {
    iplug::PluginConfig c;
    c.channelIOStr = "1-1 2-2";
    c.uniqueID = iplug::FourCharCode("Test");
    return c;
  }
  void ProcessBlock(double**, double**, int) override { mSeen = GetTransportInfo(); }
  iplug::TransportInfo mSeen;
};

TEST(IPlugAAXTransport, TickPositionBecomesQuarterNotesNeverNegative)
{
  const std::pair<int64_t, double> table[] = {
      {-960000, 0.0}, {-1, 0.0}, {0, 0.0}, {480000, 0.5}, {1920000, 2.0}};
  for (const auto& [ticks, ppq] : table)
  {
    SCOPED_TRACE(ticks);
    aaxtest::Controller controller;
    auto* plugin = new TransportPlugin;
    plugin->AddRef();
    plugin->Initialize(static_cast<AAX_IController*>(&controller));
    {
      Context context(*plugin);
      context.transport.mTicks = ticks;
      context.Render(0);
    }
    EXPECT_EQ(plugin->mSeen.mPPQPos, ppq);
    EXPECT_EQ(plugin->mSeen.mTempo, 90.0);
    EXPECT_EQ(plugin->mSeen.mNumerator, 3);
    EXPECT_EQ(plugin->mSeen.mDenominator, 8);
    EXPECT_EQ(plugin->mSeen.mSamplePos, 12345.0);
    EXPECT_EQ(plugin->mSeen.mCycleStart, 1.0);
    EXPECT_EQ(plugin->mSeen.mCycleEnd, 4.0);
    EXPECT_EQ(plugin->mSeen.mLastBar, -1.0);
    EXPECT_TRUE(plugin->mSeen.mTransportIsRunning);
    EXPECT_TRUE(plugin->mSeen.mTransportLoopEnabled);
    plugin->Uninitialize();
    plugin->Release();
  }
}

// A plug-in with one framework parameter, for the boundary calls.
class BoundaryPlugin : public iplug::IPlugAAX
{
public:
  BoundaryPlugin() : IPlugAAX(iplug::InstanceInfo{}, Config())
  {
    GetParam(0)->DefineDouble("Gain", 0., -10., 10., 0.1, "dB", 0, "", iplug::ShapeLinear());
  }
  static iplug::PluginConfig Config()
  {
    iplug::PluginConfig c;
    c.nParams = 1;
    c.channelIOStr = "1-1 2-2";
    c.uniqueID = iplug::FourCharCode("Test");
    return c;
  }
};

// Runs call with memory running out after 0, 1, 2, ... allocations, until
// one run completes without running out. Answers the runs through which an
// exception escaped.
template <typename Call> std::vector<uint64_t> EscapesWhenMemoryRunsOut(Call call)
{
  std::vector<uint64_t> escaped;
  for (uint64_t allowed = 0; allowed < 400; ++allowed)
  {
    bool threw = false;
    uint64_t used = 0;
    {
      kestrine_test::AllocationCounter counter;
      kestrine_test::ScopedOutOfMemory outOfMemory(allowed);
      try
      {
        call();
      }
      catch (...)
      {
        threw = true;
      }
      used = counter.Count();
    }
    if (threw) escaped.push_back(allowed);
    if (used < allowed) break; // completed without running out
  }
  return escaped;
}

TEST(IPlugAAXBoundary, NoExceptionLeavesTheModuleWhenMemoryRunsOut)
{
  aaxtest::Controller controller;
  controller.mPosted.reserve(100000); // the host's own bookkeeping never runs out here
  auto* plugin = new BoundaryPlugin;
  plugin->AddRef();
  ASSERT_EQ(plugin->Initialize(static_cast<AAX_IController*>(&controller)), AAX_SUCCESS);
  AAX_CString trackName("A track name long enough to need memory of its own, beyond any small buffer");
  std::vector<char> chunkData(4096);
  AAX_SPlugInChunk* chunk = reinterpret_cast<AAX_SPlugInChunk*>(chunkData.data());
  const AAX_CTypeID chunkID = iplug::FourCharCode("Test");
  ASSERT_EQ(plugin->GetChunk(chunkID, chunk), AAX_SUCCESS);

  SyncedParameters* synced = new SyncedParameters;
  synced->AddRef();
  synced->Initialize(static_cast<AAX_IController*>(&controller));

  const std::pair<const char*, std::function<void()>> calls[] = {
      {"UpdateParameterNormalizedValue",
       [&] { plugin->UpdateParameterNormalizedValue("1", 0.25, AAX_eUpdateSource_Parameter); }},
      {"NotificationReceived (track name)",
       [&] { plugin->NotificationReceived(BoundaryPlugin::kNotificationTrackName, &trackName, 0); }},
      {"GetChunkSize",
       [&]
       {
         uint32_t size = 0;
         plugin->GetChunkSize(chunkID, &size);
       }},
      {"GetChunk", [&] { plugin->GetChunk(chunkID, chunk); }},
      {"SetChunk", [&] { plugin->SetChunk(chunkID, chunk); }},
      {"synchronized UpdateParameterNormalizedValue",
       [&] { synced->UpdateParameterNormalizedValue("gain", 0.5, AAX_eUpdateSource_Parameter); }},
      {"GenerateCoefficients with synchronized parameters",
       [&]
       {
         synced->UpdateParameterNormalizedValue("gain", 0.75, AAX_eUpdateSource_Parameter);
         synced->GenerateCoefficients();
       }},
      {"Initialize (EffectInit)",
       [&]
       {
         BoundaryPlugin* fresh = nullptr;
         try
         {
           fresh = new BoundaryPlugin; // the host's factory call has a guard of its own
         }
         catch (...)
         {
           return;
         }
         fresh->AddRef();
         fresh->Initialize(static_cast<AAX_IController*>(&controller));
         fresh->Uninitialize();
         fresh->Release();
       }},
  };
  for (const auto& [name, call] : calls)
    EXPECT_EQ(EscapesWhenMemoryRunsOut(call), std::vector<uint64_t>{}) << name;

  synced->TimerWakeup();
  synced->Uninitialize();
  synced->Release();
  plugin->Uninitialize();
  plugin->Release();
}
} // namespace
