#include "IPlugProcessor.h"

#include "IPlugLogger.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace iplug
{

namespace
{

// One side of a layout ("2", "1.1", "*", "") into buses of one direction.
void ParseSide(const std::string& side, int direction, IOLayout& layout)
{
  size_t start = 0;
  while (start <= side.size())
  {
    size_t dot = side.find('.', start);
    std::string item = side.substr(start, dot == std::string::npos ? std::string::npos : dot - start);
    int count = 0;
    if (item == "*")
      count = kAnyChannels;
    else if (std::sscanf(item.c_str(), "%d", &count) != 1 || count < 0)
      count = 0; // unreadable (or negative) items add no bus
    if (count != 0)
    {
      auto bus = std::make_unique<BusSpec>();
      bus->mDirection = direction;
      bus->mNumChannels = count;
      layout.mBuses[direction].push_back(std::move(bus));
    }
    if (dot == std::string::npos) break;
    start = dot + 1;
  }
}

} // namespace

int IPlugProcessor::ParseChannelIOStr(const char* str, std::vector<std::unique_ptr<IOLayout>>& layouts,
                                      int& totalNInChans, int& totalNOutChans, int& totalNInBuses,
                                      int& totalNOutBuses)
{
  totalNInChans = totalNOutChans = totalNInBuses = totalNOutBuses = 0;
  std::string text = str ? str : "";
  size_t start = 0;
  while (start < text.size())
  {
    size_t space = text.find(' ', start);
    size_t end = space == std::string::npos ? text.size() : space;
    if (end > start) // runs of spaces do not make empty layouts
    {
      std::string token = text.substr(start, end - start);
      size_t dash = token.find('-');
      std::string inSide = token.substr(0, dash);
      std::string outSide = dash == std::string::npos ? std::string() : token.substr(dash + 1);

      auto layout = std::make_unique<IOLayout>();
      ParseSide(inSide, kInput, *layout);
      ParseSide(outSide, kOutput, *layout);

      char formatted[256];
      std::snprintf(formatted, sizeof(formatted), "%s-%s", inSide.c_str(), outSide.c_str());
      Trace(TRACELOC, "%s", formatted);

      totalNInChans = std::max(totalNInChans, layout->TotalChannels(kInput));
      totalNOutChans = std::max(totalNOutChans, layout->TotalChannels(kOutput));
      totalNInBuses = std::max(totalNInBuses, layout->NumBuses(kInput));
      totalNOutBuses = std::max(totalNOutBuses, layout->NumBuses(kOutput));
      layouts.push_back(std::move(layout));
    }
    start = end + 1;
  }
  return static_cast<int>(layouts.size());
}

IPlugProcessor::IPlugProcessor(const PluginConfig& config)
    : mPlugType(config.plugType), mDoesMIDIIn(config.plugDoesMidiIn), mDoesMIDIOut(config.plugDoesMidiOut),
      mDoesMPE(config.plugDoesMPE), mLatency(config.latency)
{
  int totals[2] = {0, 0};
  int totalBuses[2] = {0, 0};
  ParseChannelIOStr(config.channelIOStr, mIOConfigs, totals[kInput], totals[kOutput], totalBuses[kInput],
                    totalBuses[kOutput]);

  for (int direction = kInput; direction <= kOutput; ++direction)
  {
    // Sized once here and never again: each slot keeps a pointer to its entry.
    mChannelPointers[direction].assign(static_cast<size_t>(totals[direction]), nullptr);
    for (int i = 0; i < totals[direction]; ++i)
    {
      auto slot = std::make_unique<ChannelSlot>();
      slot->mEntry = &mChannelPointers[direction][static_cast<size_t>(i)];
      mChannelData[direction].push_back(std::move(slot));
    }
  }
}

IPlugProcessor::~IPlugProcessor() = default;

void IPlugProcessor::ProcessBlock(double** inputs, double** outputs, int nFrames)
{
  const int nIn = MaxNChannels(kInput);
  const int nOut = MaxNChannels(kOutput);
  for (int i = 0; i < nOut; ++i)
  {
    double* out = outputs[i];
    if (!out) continue;
    const double* in = i < nIn ? inputs[i] : nullptr;
    if (in)
      std::memmove(out, in, sizeof(double) * static_cast<size_t>(nFrames));
    else
      std::fill(out, out + nFrames, 0.0);
  }
}

void IPlugProcessor::ProcessMidiMessage(const MidiMessage& msg)
{
  SendMidiMessage(msg);
}

void IPlugProcessor::ProcessSysExMessage(const SysExRecord&) {}

void IPlugProcessor::OnActivate(bool) {}

bool IPlugProcessor::SendMidiMessages(const MidiMessage* msgs, int n)
{
  bool ok = true;
  for (int i = 0; i < n; ++i) ok &= SendMidiMessage(msgs[i]);
  return ok;
}

bool IPlugProcessor::SendSysExMessage(const SysExRecord&)
{
  return false;
}

void IPlugProcessor::BusName(int direction, int busIdx, int nBuses, std::string& name) const
{
  char buf[33];
  if (direction == kInput)
  {
    if (nBuses == 1)
      std::snprintf(buf, sizeof(buf), "Input");
    else if (nBuses == 2)
      std::snprintf(buf, sizeof(buf), "%s", busIdx == 0 ? "Main" : "Aux");
    else
      std::snprintf(buf, sizeof(buf), "Input %i", busIdx);
  }
  else
  {
    if (nBuses == 1)
      std::snprintf(buf, sizeof(buf), "Output");
    else
      std::snprintf(buf, sizeof(buf), "Output %i", busIdx);
  }
  name = buf;
}

void IPlugProcessor::SetLatency(int samples)
{
  mLatency = samples;
  if (mLatencyDelay)
  {
    LatencyDelay& d = *mLatencyDelay;
    d.mLength = std::max(samples, 0);
    d.mBuffer.assign(static_cast<size_t>(d.mLength) * static_cast<size_t>(std::max(d.mNInChans, 0)), 0.0);
    d.mWritePos = 0;
  }
}

void IPlugProcessor::ReserveLatency(int maxSamples)
{
  if (mLatencyDelay && maxSamples > 0)
    mLatencyDelay->mBuffer.reserve(static_cast<size_t>(maxSamples) *
                                   static_cast<size_t>(std::max(mLatencyDelay->mNInChans, 0)));
}

void IPlugProcessor::CreateLatencyDelay(int nInChans, int nOutChans)
{
  mLatencyDelay = std::make_unique<LatencyDelay>(nInChans, nOutChans);
  SetLatency(mLatency);
}

double IPlugProcessor::GetSamplesPerBeat() const
{
  const double tempo = mTransportInfo.mTempo;
  return tempo > 0.0 ? mSampleRate * 60.0 / tempo : 0.0;
}

const IOLayout* IPlugProcessor::GetIOConfig(int idx) const
{
  return idx >= 0 && idx < NIOConfigs() ? mIOConfigs[static_cast<size_t>(idx)].get() : nullptr;
}

int IPlugProcessor::MaxNBuses(int direction, int* pLayoutIdx) const
{
  int maxBuses = 0;
  int layoutIdx = -1;
  for (int i = 0; i < NIOConfigs(); ++i)
  {
    const int n = mIOConfigs[static_cast<size_t>(i)]->NumBuses(direction);
    if (n >= maxBuses)
    {
      maxBuses = n;
      layoutIdx = i;
    }
  }
  if (pLayoutIdx) *pLayoutIdx = layoutIdx;
  return maxBuses;
}

int IPlugProcessor::MaxNChannelsForBus(int direction, int busIdx) const
{
  if (NIOConfigs() == 0) return 0;
  if (mIOConfigs[0]->BusChannels(direction, busIdx) == kAnyChannels) return -1;
  int maxChans = 0;
  for (auto& layout : mIOConfigs) maxChans = std::max(maxChans, layout->BusChannels(direction, busIdx));
  return maxChans;
}

int IPlugProcessor::NChannelsConnected(int direction) const
{
  int n = 0;
  for (auto& slot : mChannelData[direction]) n += slot->mConnected ? 1 : 0;
  return n;
}

bool IPlugProcessor::IsChannelConnected(int direction, int chIdx) const
{
  const ChannelSlot* slot = GetChannelSlot(direction, chIdx);
  return slot && slot->mConnected;
}

const ChannelSlot* IPlugProcessor::GetChannelSlot(int direction, int chIdx) const
{
  return chIdx >= 0 && chIdx < MaxNChannels(direction)
             ? mChannelData[direction][static_cast<size_t>(chIdx)].get()
             : nullptr;
}

bool IPlugProcessor::LegalIO(int nIn, int nOut) const
{
  // A side with a "*" bus takes any number of channels.
  auto matches = [](const IOLayout& layout, int direction, int n)
  {
    if (n < 0) return true;
    for (auto& bus : layout.mBuses[direction])
      if (bus->mNumChannels == kAnyChannels) return true;
    return layout.TotalChannels(direction) == n;
  };
  bool legal = false;
  for (auto& layout : mIOConfigs)
  {
    if (matches(*layout, kInput, nIn) && matches(*layout, kOutput, nOut))
    {
      legal = true;
      break;
    }
  }
  Trace("iplug::IPlugProcessor::LegalIO", __LINE__, "%d:%d:%s", nIn, nOut, legal ? "legal" : "illegal");
  return legal;
}

int IPlugProcessor::FindIOLayout(const std::vector<int>& inBusChans,
                                 const std::vector<int>& outBusChans) const
{
  for (int i = 0; i < NIOConfigs(); ++i)
  {
    const IOLayout& layout = *mIOConfigs[static_cast<size_t>(i)];
    auto same = [&layout](int direction, const std::vector<int>& chans)
    {
      if (layout.NumBuses(direction) != static_cast<int>(chans.size())) return false;
      for (size_t b = 0; b < chans.size(); ++b)
        if (layout.mBuses[direction][b]->mNumChannels != chans[b]) return false;
      return true;
    };
    if (same(kInput, inBusChans) && same(kOutput, outBusChans)) return i;
  }
  return -1;
}

int32_t IPlugProcessor::ComponentTypeCode() const
{
  switch (mPlugType)
  {
  case kPlugTypeInstrument:
    return FourCharCode("aumu");
  case kPlugTypeMIDIEffect:
    return FourCharCode("aumi");
  case kPlugTypeEffect:
    return mDoesMIDIIn ? FourCharCode("aumf") : FourCharCode("aufx");
  default:
    return FourCharCode("aufx");
  }
}

void IPlugProcessor::SetBlockSize(int nFrames)
{
  nFrames = std::max(nFrames, 0);
  if (nFrames == mBlockSize) return;
  for (auto& slots : mChannelData)
    for (auto& slot : slots) slot->mScratch.assign(static_cast<size_t>(nFrames), 0.0);
  mBlockSize = nFrames;
}

void IPlugProcessor::SetChannelsConnected(int direction, int idx, int n, bool connected)
{
  auto& slots = mChannelData[direction];
  const int end = std::min(idx + n, static_cast<int>(slots.size()));
  for (int i = std::max(idx, 0); i < end; ++i)
  {
    ChannelSlot& slot = *slots[static_cast<size_t>(i)];
    slot.mConnected = connected;
    if (!connected) *slot.mEntry = slot.mScratch.empty() ? nullptr : slot.mScratch.data();
  }
}

int IPlugProcessor::ClampFrames(int nFrames) const
{
  return std::clamp(nFrames, 0, mBlockSize);
}

void IPlugProcessor::AttachHostBuffers(int direction, int idx, int n, float** buffers, int nFrames)
{
  nFrames = ClampFrames(nFrames);
  auto& slots = mChannelData[direction];
  const int end = std::min(idx + n, static_cast<int>(slots.size()));
  int bufferIdx = 0;
  for (int i = std::max(idx, 0); i < end; ++i)
  {
    ChannelSlot& slot = *slots[static_cast<size_t>(i)];
    if (!slot.mConnected) continue; // unconnected slots consume no host buffer
    float* host = buffers ? buffers[bufferIdx] : nullptr;
    ++bufferIdx;
    double* scratch = slot.mScratch.empty() ? nullptr : slot.mScratch.data();
    *slot.mEntry = scratch;
    if (direction == kInput)
    {
      if (host && scratch)
        for (int s = 0; s < nFrames; ++s) scratch[s] = static_cast<double>(host[s]);
    }
    else
    {
      slot.mHostBuffer = host;
    }
  }
}

void IPlugProcessor::WriteOutputsToHost(int nFrames)
{
  for (auto& slot : mChannelData[kOutput])
  {
    if (!slot->mConnected || !slot->mHostBuffer || slot->mScratch.empty()) continue;
    const double* src = slot->mScratch.data();
    for (int s = 0; s < nFrames; ++s) slot->mHostBuffer[s] = static_cast<float>(src[s]);
  }
}

void IPlugProcessor::RunBlock(int nFrames)
{
  nFrames = ClampFrames(nFrames);
  ProcessBlock(mChannelPointers[kInput].data(), mChannelPointers[kOutput].data(), nFrames);
  WriteOutputsToHost(nFrames);
}

void IPlugProcessor::PassThrough(int nFrames)
{
  nFrames = ClampFrames(nFrames);
  double** inputs = mChannelPointers[kInput].data();
  double** outputs = mChannelPointers[kOutput].data();
  const int nIn = MaxNChannels(kInput);
  const int nOut = MaxNChannels(kOutput);

  LatencyDelay* d = mLatencyDelay.get();
  if (mLatency && d && d->mLength > 0)
  {
    const int nDelayed = std::min({nIn, nOut, d->mNInChans});
    for (int s = 0; s < nFrames; ++s)
    {
      for (int j = 0; j < nDelayed; ++j)
      {
        if (!inputs[j] || !outputs[j]) continue;
        double& cell = d->mBuffer[static_cast<size_t>(j * d->mLength + d->mWritePos)];
        const double in = inputs[j][s]; // read first: input and output may share storage
        outputs[j][s] = cell;
        cell = in;
      }
      if (++d->mWritePos >= d->mLength) d->mWritePos = 0;
    }
    for (int j = nDelayed; j < nOut; ++j)
      if (outputs[j]) std::fill(outputs[j], outputs[j] + nFrames, 0.0);
  }
  else
  {
    IPlugProcessor::ProcessBlock(inputs, outputs, nFrames);
  }
  WriteOutputsToHost(nFrames);
}

void IPlugProcessor::ClearScratch()
{
  for (auto& slots : mChannelData)
    for (auto& slot : slots) std::fill(slot->mScratch.begin(), slot->mScratch.end(), 0.0);
}

void IPlugProcessor::LimitToStereo()
{
  SetChannelsConnected(kInput, 2, MaxNChannels(kInput) - 2, false);
  SetChannelsConnected(kOutput, 2, MaxNChannels(kOutput) - 2, true);
}

void IPlugProcessor::SetChannelLabel(int direction, int idx, const char* format, bool zeroBased)
{
  if (idx < 0 || idx >= MaxNChannels(direction) || !format) return;
  char buf[128];
  std::snprintf(buf, sizeof(buf), format, idx + (zeroBased ? 0 : 1));
  mChannelData[direction][static_cast<size_t>(idx)]->mLabel = buf;
}

} // namespace iplug
