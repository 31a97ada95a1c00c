// The host-neutral service layer between the plug-in's parameters and state,
// its editor delegate and a concrete host binding: host identification, the
// 20 ms framework timer, the queues between the processing and editor sides,
// and the gesture operations the binding turns into host notifications.
//
// Threads:
// - TimerTick and OnIdle run on the user-interface thread that started the
//   timer; ticks never overlap.
// - QueueParamForEditor runs on the host's parameter thread or the audio
//   thread: it only pushes (no allocation, no lock).
// - ParamValueFromEditor, the gesture operations, DeferMidiMessage and
//   DeferSysExMessage run on the editor's thread.
// - Each queue has exactly one producer and one consumer thread.
#pragma once

#include "IPlugPluginBase.h"
#include "IPlugQueue.h"
#include "IPlugTimer.h"

#include <memory>
#include <string>
#include <vector>

namespace iplug
{

constexpr int kParamsToEditorQueueSize = 512;
constexpr int kMidiQueueSize = 32;
constexpr int kSysExQueueSize = 4;
constexpr uint32_t kFrameworkTimerMs = 20;

class IPlugAPIBase : public IPluginBase
{
public:
  IPlugAPIBase(const PluginConfig& config, int api);
  ~IPlugAPIBase() override;

  // --- Host identification
  // Host code from the host's name: 0 when no key matches.
  static int FindHostCode(const char* hostName);
  // Sets the host code and version, then PrepareForHost and HostIdentified.
  void SetHost(const char* hostName, VersionWord hostVersion);
  // -1 until SetHost runs.
  int GetHostCode() const { return mHostCode; }

  // --- Virtual operations for bindings and plug-ins
  // True when every parameter value and data[startIdx + i], both as float,
  // differ by less than 1e-5. data holds dataSize bytes of unaligned doubles;
  // too few of them is not a match.
  virtual bool StateMatches(const void* data, int dataSize, int startIdx) const;
  virtual void HostIdentified() {}
  // Appends 0..n-1 when n is below the parameter count.
  virtual void ImportantParams(int n, std::vector<int>& out) const;
  virtual bool AcceptsViewSize(int width, int height) const { return width + height == 0; }
  virtual void ViewSizeSelected(int width, int height)
  {
    (void)width;
    (void)height;
  }
  virtual bool MidiNoteName(int noteNumber, std::string& out)
  {
    (void)noteNumber;
    out.clear();
    return false;
  }
  virtual igraphics::IGraphics* EditorGraphics() const { return GetUI(); }
  // Every timer tick, on the user-interface thread.
  virtual void OnIdle() {}
  // Copies the host's track name into buf (bufSize bytes); default nothing.
  virtual void GetTrackName(char* buf, int bufSize)
  {
    (void)buf;
    (void)bufSize;
  }
  // Host or audio thread. Drops the value when the queue is full.
  virtual void QueueParamForEditor(int paramIdx, double value, bool isNormalised);
  virtual void PrepareForHost() {}
  virtual bool ResizeEditorView(int width, int height)
  {
    (void)width;
    (void)height;
    return false;
  }
  virtual void BeginHostGesture(int paramIdx) { (void)paramIdx; }
  virtual void EndHostGesture(int paramIdx) { (void)paramIdx; }
  virtual void SendValueToHost(int paramIdx, double normalizedValue)
  {
    (void)paramIdx;
    (void)normalizedValue;
  }

  // --- Delegate operations that reach the host
  void InformHostOfAllParams() override;
  void BeginParamGesture(int paramIdx) override { BeginHostGesture(paramIdx); }
  void ParamValueFromEditor(int paramIdx, double normalizedValue) override;
  void EndParamGesture(int paramIdx) override { EndHostGesture(paramIdx); }
  bool ResizeFromEditor(int width, int height, bool needsPlatformResize) override;
  void MidiFromEditor(const MidiMessage& msg) override { DeferMidiMessage(msg); }
  void SysExFromEditor(const SysExRecord& msg) override { DeferSysExMessage(msg); }
  void MessageFromEditor(int msgTag, int ctrlTag, int dataSize, const void* pData) override
  {
    EditorMessage(msgTag, ctrlTag, dataSize, pData);
  }
  void DeferMidiMessage(const MidiMessage& msg) override { mMidiFromEditorQueue.Push(msg); }
  // The size is clamped to 0..512 bytes.
  void DeferSysExMessage(const SysExRecord& msg) override;
  // data may be null (the record then carries zeros).
  void DeferSysExMessage(int offset, int size, const void* data);

  // --- Timer
  // Starts (or restarts) the 20 ms framework timer that runs TimerTick.
  void StartTimer(uint32_t periodMs = kFrameworkTimerMs);
  void StopTimer();
  Timer* GetTimer() const { return mTimer.get(); }
  // Moves queued values, MIDI and system-exclusive data to the editor (when
  // the plug-in has one), then calls OnIdle. User-interface thread.
  void TimerTick();

  // --- Queues. Producers and consumers as listed; see the class comment.
  RingQueue<ParamChange>& ParamsToEditorQueue() { return mParamsToEditorQueue; }
  RingQueue<MidiMessage>& MidiFromEditorQueue() { return mMidiFromEditorQueue; }
  RingQueue<MidiMessage>& MidiToEditorQueue() { return mMidiToEditorQueue; }
  RingQueue<SysExRecord>& SysExFromEditorQueue() { return mSysExFromEditorQueue; }
  RingQueue<SysExRecord>& SysExToEditorQueue() { return mSysExToEditorQueue; }

private:
  // Declared first so it is destroyed last: the destructor stops it, the
  // queues go, then the timer object.
  std::unique_ptr<Timer> mTimer;
  RingQueue<ParamChange> mParamsToEditorQueue;
  RingQueue<MidiMessage> mMidiFromEditorQueue;
  RingQueue<MidiMessage> mMidiToEditorQueue;
  RingQueue<SysExRecord> mSysExFromEditorQueue;
  RingQueue<SysExRecord> mSysExToEditorQueue;
  int mHostCode = -1;
};

} // namespace iplug
