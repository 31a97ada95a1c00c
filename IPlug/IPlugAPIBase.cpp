#include "IPlugAPIBase.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>

namespace iplug
{

namespace
{

struct HostKey
{
  const char* key;
  int code;
};

// Tried in this order; a key that contains another comes before it.
const HostKey kHostKeys[] = {
    {"reaper", 1},         {"protools", 2},
    {"cubase", 3},         {"nuendo", 4},
    {"cakewalk", 5},       {"vegas", 6},
    {"fruity", 7},         {"samplitude", 8},
    {"live", 9},           {"tracktion", 10},
    {"ntracks", 11},       {"melodyne", 12},
    {"vstmanlib", 13},     {"aulab", 14},
    {"forte", 15},         {"chainer", 16},
    {"audition", 17},      {"orion", 18},
    {"bias", 19},          {"sawstudio", 20},
    {"logic", 21},         {"garageband", 22},
    {"digital", 23},       {"audiomulch", 25},
    {"presonus", 26},      {"vst3plugintesthost", 27},
    {"ardour", 28},        {"renoise", 29},
    {"openmpt", 30},       {"wavelab elements", 32},
    {"wavelab", 31},       {"twistedwave", 33},
    {"bitwig studio", 34}, {"reason", 36},
    {"gwvst", 37},         {"waveform", 38},
    {"audacity", 39},      {"acoustica", 40},
    {"plugindoctor", 41},  {"izotope rx", 42},
    {"savihost", 43},      {"blue cat's vst host", 44},
    {"standalone", 24},    {"www", 35},
    {"mixbus32C", 45},     {"mixbus", 46},
};

void LowerInto(const char* src, char* dst, size_t size)
{
  size_t i = 0;
  for (; src && src[i] && i + 1 < size; ++i)
    dst[i] = static_cast<char>(std::tolower(static_cast<unsigned char>(src[i])));
  dst[i] = '\0';
}

} // namespace

IPlugAPIBase::IPlugAPIBase(const PluginConfig& config, int api)
    : IPluginBase(config, api), mParamsToEditorQueue(kParamsToEditorQueueSize),
      mMidiFromEditorQueue(kMidiQueueSize), mMidiToEditorQueue(kMidiQueueSize),
      mSysExFromEditorQueue(kSysExQueueSize), mSysExToEditorQueue(kSysExQueueSize)
{
  SetEditorSize(config.plugWidth, config.plugHeight);
  EditorLimits limits = OrderedEditorLimits(config);
  SetSizeConstraints(limits.minWidth, limits.maxWidth, limits.minHeight, limits.maxHeight);
}

IPlugAPIBase::~IPlugAPIBase()
{
  if (mTimer) mTimer->Stop();
}

int IPlugAPIBase::FindHostCode(const char* hostName)
{
  char name[256];
  LowerInto(hostName, name, sizeof(name));
  for (const HostKey& k : kHostKeys)
  {
    char key[64];
    LowerInto(k.key, key, sizeof(key));
    if (std::strstr(name, key)) return k.code;
  }
  return 0;
}

void IPlugAPIBase::SetHost(const char* hostName, VersionWord hostVersion)
{
  mHostCode = FindHostCode(hostName);
  SetHostVersion(hostVersion);
  PrepareForHost();
  HostIdentified();
}

bool IPlugAPIBase::StateMatches(const void* data, int dataSize, int startIdx) const
{
  if (!data || startIdx < 0 || dataSize < 0) return false;
  const int64_t needed = (static_cast<int64_t>(startIdx) + NParams()) * static_cast<int64_t>(sizeof(double));
  if (needed > dataSize) return false;
  const uint8_t* bytes = static_cast<const uint8_t*>(data);
  for (int i = 0; i < NParams(); ++i)
  {
    double stored;
    std::memcpy(&stored, bytes + (static_cast<size_t>(startIdx) + static_cast<size_t>(i)) * sizeof(double),
                sizeof(double));
    float a = static_cast<float>(GetParam(i)->Value());
    float b = static_cast<float>(stored);
    if (!(std::fabs(a - b) < 1e-5f)) return false;
  }
  return true;
}

void IPlugAPIBase::ImportantParams(int n, std::vector<int>& out) const
{
  if (n < NParams())
    for (int i = 0; i < n; ++i) out.push_back(i);
}

void IPlugAPIBase::QueueParamForEditor(int paramIdx, double value, bool isNormalised)
{
  if (isNormalised)
  {
    const IParam* p = GetParam(paramIdx);
    if (!p) return;
    value = p->ValueFromNormal(value);
  }
  ParamChange change;
  change.mIdx = paramIdx;
  change.mValue = value;
  mParamsToEditorQueue.Push(change);
}

void IPlugAPIBase::InformHostOfAllParams()
{
  for (int i = 0; i < NParams(); ++i) SendValueToHost(i, GetParam(i)->GetNormal());
}

void IPlugAPIBase::ParamValueFromEditor(int paramIdx, double normalizedValue)
{
  IParam* p = GetParam(paramIdx);
  if (!p) return;
  p->SetNormal(normalizedValue);
  SendValueToHost(paramIdx, normalizedValue);
  OnParamChange(paramIdx, kUI, -1);
  p->SetNormal(normalizedValue);
  OnParamChangeUI(paramIdx, kUI);
}

bool IPlugAPIBase::ResizeFromEditor(int width, int height, bool needsPlatformResize)
{
  return needsPlatformResize ? ResizeEditorView(width, height) : true;
}

void IPlugAPIBase::DeferSysExMessage(const SysExRecord& msg)
{
  SysExRecord rec = msg;
  rec.mSize = std::clamp(rec.mSize, 0, SysExRecord::kMaxSize);
  mSysExFromEditorQueue.Push(rec);
}

void IPlugAPIBase::DeferSysExMessage(int offset, int size, const void* data)
{
  SysExRecord rec;
  rec.mOffset = offset;
  rec.mSize = std::clamp(size, 0, SysExRecord::kMaxSize);
  if (data) std::memcpy(rec.mData, data, static_cast<size_t>(rec.mSize));
  mSysExFromEditorQueue.Push(rec);
}

void IPlugAPIBase::StartTimer(uint32_t periodMs)
{
  mTimer.reset();
  mTimer = Timer::Create([this](Timer&) { TimerTick(); }, periodMs);
}

void IPlugAPIBase::StopTimer()
{
  if (mTimer) mTimer->Stop();
}

void IPlugAPIBase::TimerTick()
{
  if (HasUI())
  {
    ParamChange change;
    while (mParamsToEditorQueue.Pop(change)) ParamValueToEditor(change.mIdx, change.mValue, false);
    MidiMessage msg;
    while (mMidiToEditorQueue.Pop(msg)) MidiToEditor(msg);
    SysExRecord rec;
    while (mSysExToEditorQueue.Pop(rec)) SysExToEditor(rec);
  }
  OnIdle();
}

} // namespace iplug
