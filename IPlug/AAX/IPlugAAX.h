// Base class of a plug-in instance: joins the host-neutral services
// (IPlugAPIBase, with parameters, presets, state and the editor delegate) and
// the processing frame (IPlugProcessor).
//
// This is the host-neutral form of the instance binding: it has everything an
// effect class uses (construction from its configuration record, parameters,
// presets, the frame's processing calls, latency) but no host connection yet.
// The AAX side will be added here without changing the effect classes that
// derive from it.
#pragma once

#include "IPlugAPIBase.h"
#include "IPlugProcessor.h"

namespace iplug
{

// What the host's factory hands the instance; nothing yet.
struct InstanceInfo
{
};

class IPlugAAX : public IPlugAPIBase, public IPlugProcessor
{
public:
  IPlugAAX(const InstanceInfo& info, const PluginConfig& config);
  ~IPlugAAX() override;

  // No MIDI output path without a host: messages are accepted and dropped.
  bool SendMidiMessage(const MidiMessage& msg) override;
};

} // namespace iplug
