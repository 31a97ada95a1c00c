// A loaded module (Session) and its plug-in instances (Instance).
//
// Threads, as a host has them:
// - the user-interface thread (the one that opens the session and creates
//   instances) runs the description, instance creation, the framework timer
//   pump and TimerWakeup, and drives the rendering;
// - each instance has an audio thread of its own that runs only the render
//   callback, handed one block at a time;
// - any thread may make the non-real-time calls of an instance (parameters,
//   chunks); the host serialises them with the instance's host lock, which
//   the audio thread never takes.
#pragma once

#include "AAXHostDescription.h"
#include "AAXHostModule.h"
#include "AAXHostObjects.h"
#include "AAX_IEffectParameters.h"

#include <condition_variable>
#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace aaxhost
{

class Instance;

// Reads text as a plain decimal number ([+-] digits [. digits], surrounding
// white space allowed), optionally followed by unit (ignoring case). false
// for anything else: exponents, hexadecimal, inf, nan, other trailing text.
bool ParseValueText(const std::string& text, const std::string& unit, double& value);

class Session
{
public:
  // Loads the module, starts it with the host's services and records its
  // description. messages receives the module's assertion reports and traces
  // (null: discarded). On failure answers null and sets error (one line).
  static std::unique_ptr<Session> Open(const std::string& path, std::string& error, FILE* messages = stderr);
  // Releases the plug-in definition, shuts the module down and unloads it.
  // Every instance must be gone.
  ~Session();
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  const Description& GetDescription() const { return mDescription; }
  HostServices& Services() { return mRoot->Services(); }
  Module& GetModule() { return *mModule; }
  FILE* Messages() const { return mMessages; }
  ACFRESULT CanUnloadNow();
  // Drops the host's references to the registration's objects (definition
  // and collection) before the module is asked whether it can unload.
  void ReleaseDescriptionObjects();

  // Creates and initialises an instance of the effect for the configuration
  // whose input has channels channels. Null with error set on failure.
  std::unique_ptr<Instance> CreateInstance(int channels, double sampleRate, std::string& error,
                                           int effectIndex = 0);

  // User-interface thread: framework timers and host-service messages.
  void PumpUserInterface();

private:
  Session() = default;
  std::unique_ptr<Module> mModule;
  Ref<HostRoot> mRoot;
  IACFPluginDefinition* mDefinition = nullptr;
  Description mDescription;
  FILE* mMessages = stderr;
};

struct ParameterInfo
{
  std::string id;
  std::string name;
  int32_t steps = 0;
  bool discrete = false; // its steps have texts of their own (enumerations, switches)
  double defaultValue = 0.;
};

class Instance
{
public:
  ~Instance();
  Instance(const Instance&) = delete;
  Instance& operator=(const Instance&) = delete;

  AAX_IACFEffectParameters* Effect() const { return mEffect; }
  Session& GetSession() { return mSession; }
  const ComponentRecord& Component() const { return mComponent; }
  // The description of the effect this is an instance of.
  const EffectRecord& EffectDescription() const { return mEffectRecord; }
  int InputChannels() const { return mInChannels; }
  int OutputChannels() const { return mOutChannels; }
  double SampleRate() const { return mSampleRate; }
  HostController& Controller() { return *mController.get(); }
  HostAutomation& Automation() { return *mAutomation.get(); }
  // The latency last reported to the controller.
  int32_t Latency() const { return mController->Latency(); }
  // The instance's state number last written into the render context.
  int64_t LastStateNumber() const { return mLastState; }

  // --- Non-real-time calls; any thread (each takes the host lock).
  std::vector<ParameterInfo> Parameters();
  // Finds a parameter by its host name (exact, then ignoring case) or identifier.
  bool FindParameter(const std::string& nameOrID, std::string& id);
  // Checks text against the parameter first: a discrete parameter takes one
  // of its step texts (ignoring case), any other a plain decimal number
  // (no exponent, no hexadecimal, finite) within its range, optionally
  // followed by its unit. Then converts it with the module's own conversion,
  // sets the value and answers the automation. error names what failed.
  bool SetParameterFromText(const std::string& id, const std::string& text, std::string& error);
  AAX_Result SetNormalized(const std::string& id, double value);
  double GetNormalized(const std::string& id);
  std::string ValueText(const std::string& id, double normalized);
  // The data of the instance's first chunk.
  bool SaveState(std::vector<uint8_t>& data, std::string& error);
  // Hands data to SetChunk as the first chunk, then answers the automation.
  AAX_Result RestoreState(const uint8_t* data, size_t size);
  // CompareActiveChunk with data as the first chunk.
  AAX_Result CompareState(const uint8_t* data, size_t size, bool& equal);
  // Answers the automation's waiting set requests with UpdateParameterNormalizedValue.
  void DeliverAutomation();
  // Called (user-interface thread, without the host lock) with every set
  // request DeliverAutomation has answered, in order: the parameter's
  // identifier and normalised value.
  void SetAutomationListener(std::function<void(const std::string& id, double value)> listener)
  {
    mAutomationListener = std::move(listener);
  }
  std::mutex& HostLock() { return mHostLock; }

  // --- Rendering, from the user-interface thread.
  // One render call of n frames: GenerateCoefficients, the posted state into
  // the context, the render callback on the audio thread. in and out hold
  // the configuration's channel counts.
  // stateBehind > 0 writes a state number that many behind the latest
  // posted one into the context, as a host whose render lags does.
  void Process(const float* const* in, float* const* out, int n, int64_t stateBehind = 0);
  // One render call with the contexts of several instances of the same
  // component, run on the calling thread (each instance's own audio thread
  // stays idle). in[i] and out[i] belong to instances[i].
  static void ProcessTogether(const std::vector<Instance*>& instances,
                              const std::vector<const float* const*>& in,
                              const std::vector<float* const*>& out, int n);
  // While set, every render call runs under the real-time probe (if any).
  void SetRealtimeWatch(bool on) { mWatch = on; }
  // Render calls pump the user interface (every 20 ms) unless this is off:
  // a host that renders from a thread of its own pumps the user-interface
  // thread itself. Set before rendering starts.
  void SetPumpWhileRendering(bool on) { mPumpWhileRendering = on; }
  // TimerWakeup, the module's timers, the automation and host messages.
  void PumpUserInterface();

private:
  friend class Session;
  bool CheckValueText(const std::string& id, const std::string& text, std::string& moduleText,
                      std::string& error);
  Instance(Session& session, const EffectRecord& effect, const ComponentRecord& component, double sampleRate);
  bool Init(AAX_CProcPtr create, std::string& error);
  void AudioThreadMain();
  void PrepareBlock(const float* const* in, float* const* out, int n, int64_t stateBehind);
  void FinishBlock(int n);
  void* NewBlock(size_t bytes);

  Session& mSession;
  const EffectRecord& mEffectRecord; // the session's, which outlives its instances
  ComponentRecord mComponent;
  double mSampleRate;
  int mInChannels = 0;
  int mOutChannels = 0;
  AAX_IACFEffectParameters* mEffect = nullptr;
  bool mInitialized = false;
  Ref<HostAutomation> mAutomation;
  Ref<HostTransport> mTransport;
  Ref<HostController> mController;
  std::mutex mHostLock;

  // Render context: one pointer per field and the blocks they point to.
  std::vector<void*> mContext;
  std::vector<std::unique_ptr<uint64_t[]>> mBlocks;
  std::vector<std::unique_ptr<HostMIDINode>> mNodes;
  std::vector<float*> mInPtrs;
  std::vector<float*> mOutPtrs;
  int32_t mBufferLength = 0;
  int64_t mClock = 0;
  int32_t mSideChain = 0;
  int32_t mDataInField = -1;
  uint32_t mDataInSize = 0;
  void* mDataIn = nullptr;
  int64_t mLastState = -1;
  int64_t mPosition = 0;

  // Audio thread hand-over.
  std::thread mAudio;
  std::mutex mAudioMutex;
  std::condition_variable mAudioCv;
  int mAudioState = 0; // 0 idle, 1 block waiting, 2 block done, 3 quit
  bool mWatch = false;
  bool mPumpWhileRendering = true;
  std::chrono::steady_clock::time_point mLastPump;
  std::function<void(const std::string&, double)> mAutomationListener;
};

} // namespace aaxhost
