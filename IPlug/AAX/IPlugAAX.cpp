#include "IPlugAAX.h"

namespace iplug
{

IPlugAAX::IPlugAAX(const InstanceInfo&, const PluginConfig& config)
    : IPlugAPIBase(config, kAPIAAX), IPlugProcessor(config)
{
  SetChannelsConnected(kInput, 0, MaxNChannels(kInput), true);
  SetChannelsConnected(kOutput, 0, MaxNChannels(kOutput), true);
  if (MaxNChannels(kInput) > 0) CreateLatencyDelay(MaxNChannels(kInput), MaxNChannels(kOutput));
  SetBlockSize(512);
}

IPlugAAX::~IPlugAAX() = default;

bool IPlugAAX::SendMidiMessage(const MidiMessage&)
{
  return true;
}

} // namespace iplug
