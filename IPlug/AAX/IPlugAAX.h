// Base class of an AAX plug-in instance. Joins the framework's host-neutral
// services (IPlugAPIBase), the processing frame (IPlugProcessor) and the
// effect-parameters object the host talks to (AAX_CIPlugParameters), and
// translates between them: host calls become framework calls, framework
// notifications become host calls.
//
// Threads:
// - RenderBlock runs on the host's real-time thread. It reads the bypass
//   value, the atomic parameter values and the single-producer queues and
//   takes no lock; it allocates only when the block size grows (SetBlockSize
//   and OnReset) and when SendMidiMessage outgrows its queue.
// - EffectInit, UpdateParameterNormalizedValue, the chunk operations and
//   NotificationReceived run on host non-real-time threads.
// - The gesture operations (BeginHostGesture, SendValueToHost,
//   EndHostGesture) and ResizeEditorView run on the editor's thread.
// - SetLatency runs on the initialisation thread (from OnReset) or at the
//   end of a block on the real-time thread.
#pragma once

#include "AAX_CParameter.h"
#include "IPlugAAX_Parameters.h"
#include "IPlugAPIBase.h"
#include "IPlugProcessor.h"

#include <memory>
#include <string>
#include <vector>

namespace iplug
{

// What the host's factory hands a new instance; nothing so far.
struct InstanceInfo
{
};

class IPlugAAX : public IPlugAPIBase, public IPlugProcessor, public AAX_CIPlugParameters
{
public:
  static constexpr int kInitialMidiOutCapacity = 512;
  static constexpr uint32_t kNotificationOffline = AAX_FourCharCode("AXof");
  static constexpr uint32_t kNotificationOnline = AAX_FourCharCode("AXox");
  static constexpr uint32_t kNotificationTrackName = AAX_FourCharCode("AXtn");
  // Ticks of the host's transport per quarter note.
  static constexpr double kTicksPerQuarter = 960000.0;

  IPlugAAX(const InstanceInfo& info, const PluginConfig& config);
  ~IPlugAAX() override;

  // --- The host's side (AAX_CIPlugParameters / AAX_CEffectParameters)
  AAX_Result EffectInit() override;
  void RenderBlock(AAX_SIPlugRenderInfo* renderInfo, const ParamValuePair* const values[],
                   int32_t count) override;
  AAX_Result UpdateParameterNormalizedValue(AAX_CParamID identifier, double value,
                                            AAX_EUpdateSource source) override;
  AAX_Result GetChunkIDFromIndex(int32_t index, AAX_CTypeID* chunkID) const override;
  AAX_Result GetChunkSize(AAX_CTypeID chunkID, uint32_t* size) const override;
  AAX_Result GetChunk(AAX_CTypeID chunkID, AAX_SPlugInChunk* chunk) const override;
  AAX_Result SetChunk(AAX_CTypeID chunkID, const AAX_SPlugInChunk* chunk) override;
  AAX_Result CompareActiveChunk(const AAX_SPlugInChunk* chunk, AAX_CBoolean* isEqual) const override;
  AAX_Result NotificationReceived(AAX_CTypeID type, const void* data, uint32_t size) override;

  // --- The framework's side
  void BeginHostGesture(int paramIdx) override;
  void EndHostGesture(int paramIdx) override;
  void SendValueToHost(int paramIdx, double normalizedValue) override;
  void GetTrackName(char* buf, int bufSize) override;
  bool ResizeEditorView(int width, int height) override;
  void SetLatency(int samples) override;
  bool SendMidiMessage(const MidiMessage& msg) override;

  // AAX identifier of framework parameter paramIdx ("" outside the list).
  const char* ParamIdentifier(int paramIdx) const;
  // The master bypass (null before EffectInit).
  const AAX_CParameter<bool>* BypassParameter() const { return mBypassParameter; }

private:
  void RegisterFrameworkParameter(int paramIdx);
  void BuildTransportInfo();
  void PostMidiOutput(AAX_SIPlugRenderInfo* renderInfo);

  AAX_CParameter<bool>* mBypassParameter = nullptr; // owned by the parameter manager
  AAX_ITransport* mTransport = nullptr;             // render thread only, valid during the call
  std::vector<std::unique_ptr<std::string>> mParamIDs;
  // Outgoing MIDI, sorted by offset: entries [mMidiOutFront, mMidiOutBack).
  std::vector<MidiMessage> mMidiOut;
  size_t mMidiOutFront = 0;
  size_t mMidiOutBack = 0;
  SysExRecord mSysExBuffer;
  int mMainInputBusWidth = 0;
  std::string mTrackName;
};

} // namespace iplug
