#include "IPlugProcessor.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

using namespace iplug;

namespace
{

class TestProcessor : public IPlugProcessor
{
public:
  explicit TestProcessor(const char* io, int latency = 0, int type = kPlugTypeEffect, bool midiIn = false)
      : IPlugProcessor(MakeConfig(io, latency, type, midiIn))
  {
  }

  static PluginConfig MakeConfig(const char* io, int latency, int type, bool midiIn)
  {
    PluginConfig c;
    c.channelIOStr = io;
    c.latency = latency;
    c.plugType = type;
    c.plugDoesMidiIn = midiIn;
    return c;
  }

  bool SendMidiMessage(const MidiMessage& msg) override
  {
    sent.push_back(msg);
    return sendResult;
  }

  std::vector<MidiMessage> sent;
  bool sendResult = true;
};

// A processor that doubles its input, to tell RunBlock from PassThrough.
class Doubler : public TestProcessor
{
public:
  using TestProcessor::TestProcessor;
  void ProcessBlock(double** in, double** out, int n) override
  {
    for (int c = 0; c < 2; ++c)
      for (int s = 0; s < n; ++s) out[c][s] = 2.0 * in[c][s];
  }
};

struct ParseCase
{
  const char* text;
  int layouts;
  int inChans, outChans, inBuses, outBuses;
};

void PrintTo(const ParseCase& c, std::ostream* os)
{
  *os << '"' << c.text << '"';
}

class ChannelIOGrammar : public ::testing::TestWithParam<ParseCase>
{
};

TEST_P(ChannelIOGrammar, LayoutsAndTotals)
{
  const ParseCase& c = GetParam();
  std::vector<std::unique_ptr<IOLayout>> layouts;
  int inCh = -1, outCh = -1, inBus = -1, outBus = -1;
  EXPECT_EQ(IPlugProcessor::ParseChannelIOStr(c.text, layouts, inCh, outCh, inBus, outBus), c.layouts);
  EXPECT_EQ(static_cast<int>(layouts.size()), c.layouts);
  EXPECT_EQ(inCh, c.inChans);
  EXPECT_EQ(outCh, c.outChans);
  EXPECT_EQ(inBus, c.inBuses);
  EXPECT_EQ(outBus, c.outBuses);
}

INSTANTIATE_TEST_SUITE_P(Frame, ChannelIOGrammar,
                         ::testing::Values(ParseCase{"1-1 2-2", 2, 2, 2, 1, 1},
                                           ParseCase{"2-2 *-*", 2, 2, 2, 1, 1},
                                           ParseCase{"0-2", 1, 0, 2, 0, 1}, ParseCase{"2.2-2", 1, 4, 2, 2, 1},
                                           ParseCase{"x.2-y", 1, 2, 0, 1, 0},
                                           ParseCase{"1-1  2-2", 2, 2, 2, 1, 1}, ParseCase{"", 0, 0, 0, 0, 0},
                                           ParseCase{"2", 1, 2, 0, 1, 0}));

TEST(Frame, StarBusesAreAnyChannels)
{
  TestProcessor p("2-2 *-*");
  const IOLayout* star = p.GetIOConfig(1);
  ASSERT_NE(star, nullptr);
  ASSERT_EQ(star->NumBuses(kInput), 1);
  ASSERT_EQ(star->NumBuses(kOutput), 1);
  EXPECT_EQ(star->BusChannels(kInput, 0), kAnyChannels);
  EXPECT_EQ(star->TotalChannels(kInput), -64);
  EXPECT_EQ(p.MaxNChannels(kInput), 2);
  EXPECT_EQ(p.GetIOConfig(2), nullptr);
}

TEST(Frame, OwnsOneSlotPerChannelPointingAtItsEntry)
{
  TestProcessor p("1-1 2-2");
  EXPECT_EQ(p.NIOConfigs(), 2);
  EXPECT_EQ(p.MaxNChannels(kInput), 2);
  EXPECT_EQ(p.MaxNChannels(kOutput), 2);
  for (int d : {kInput, kOutput})
  {
    EXPECT_EQ(p.NChannelsConnected(d), 0);
    EXPECT_NE(p.GetChannelSlot(d, 0)->mEntry, p.GetChannelSlot(d, 1)->mEntry);
    EXPECT_EQ(p.GetChannelSlot(d, 2), nullptr);
  }
  EXPECT_EQ(p.GetSampleRate(), 48000.0);
  EXPECT_EQ(p.GetBlockSize(), 0);
}

// Drives the frame the way the binding does for one block.
struct Block
{
  explicit Block(int frames, int chans = 2)
      : in(chans, std::vector<float>(frames)), out(chans, std::vector<float>(frames, -99.f))
  {
    for (int c = 0; c < chans; ++c)
    {
      for (int s = 0; s < frames; ++s) in[c][s] = 0.25f * (c + 1) + 0.001f * s;
      inPtrs.push_back(in[c].data());
      outPtrs.push_back(out[c].data());
    }
  }
  void Attach(IPlugProcessor& p, int nIn, int nOut, int frames)
  {
    p.SetChannelsConnected(kInput, 0, nIn, true);
    p.SetChannelsConnected(kInput, nIn, p.MaxNChannels(kInput) - nIn, false);
    p.AttachHostBuffers(kInput, 0, nIn, inPtrs.data(), frames);
    p.SetChannelsConnected(kOutput, 0, p.MaxNChannels(kOutput), true);
    p.SetChannelsConnected(kOutput, nOut, p.MaxNChannels(kOutput) - nOut, false);
    p.AttachHostBuffers(kOutput, 0, nOut, outPtrs.data(), frames);
  }
  std::vector<std::vector<float>> in, out;
  std::vector<float*> inPtrs, outPtrs;
};

TEST(Frame, SetBlockSizeSizesAndZeroesPrivateBuffers)
{
  TestProcessor p("1-1 2-2");
  p.SetBlockSize(64);
  Block b(64);
  b.Attach(p, 2, 2, 64);
  p.RunBlock(64);
  EXPECT_NE(p.GetChannelSlot(kInput, 1)->mScratch[10], 0.0);
  p.SetBlockSize(64); // unchanged: keeps contents
  EXPECT_NE(p.GetChannelSlot(kInput, 1)->mScratch[10], 0.0);
  p.SetBlockSize(32);
  EXPECT_EQ(p.GetBlockSize(), 32);
  for (int d : {kInput, kOutput})
    for (int c = 0; c < 2; ++c)
    {
      ASSERT_EQ(p.GetChannelSlot(d, c)->mScratch.size(), 32u);
      for (double v : p.GetChannelSlot(d, c)->mScratch) ASSERT_EQ(v, 0.0);
    }
}

TEST(Frame, UnconnectedInputReadsItsZeroedPrivateBuffer)
{
  TestProcessor p("1-1 2-2");
  p.SetBlockSize(16);
  Block b(16, 1);
  b.Attach(p, 1, 1, 16);
  const ChannelSlot* slot1 = p.GetChannelSlot(kInput, 1);
  EXPECT_FALSE(slot1->mConnected);
  EXPECT_EQ(*slot1->mEntry, slot1->mScratch.data());
  for (double v : slot1->mScratch) EXPECT_EQ(v, 0.0);
}

TEST(Frame, DisconnectingBeforeAnyBlockSizeGivesNullEntry)
{
  TestProcessor p("1-1 2-2");
  p.SetChannelsConnected(kInput, 0, 2, false);
  EXPECT_EQ(*p.GetChannelSlot(kInput, 0)->mEntry, nullptr);
  p.SetChannelsConnected(kInput, 1, 100, true); // bounded by the slot count
  EXPECT_EQ(p.NChannelsConnected(kInput), 1);
}

TEST(Frame, AttachSkipsUnconnectedSlotsWithoutConsumingABuffer)
{
  TestProcessor p("1-1 2-2");
  p.SetBlockSize(8);
  std::vector<float> host(8, 0.5f);
  float* buffers[] = {host.data()};
  p.SetChannelsConnected(kInput, 0, 1, false);
  p.SetChannelsConnected(kInput, 1, 1, true);
  p.AttachHostBuffers(kInput, 0, 2, buffers, 8);
  const ChannelSlot* s0 = p.GetChannelSlot(kInput, 0);
  const ChannelSlot* s1 = p.GetChannelSlot(kInput, 1);
  EXPECT_EQ(s1->mScratch[7], 0.5);
  EXPECT_EQ(s0->mScratch[7], 0.0);
  EXPECT_EQ(*s1->mEntry, s1->mScratch.data());
}

TEST(Frame, RunBlockConvertsToDoubleAndBack)
{
  Doubler p("1-1 2-2");
  p.SetBlockSize(32);
  Block b(32);
  b.in[0][3] = 0.1f; // not exactly representable: must round-trip through double unchanged
  b.Attach(p, 2, 2, 32);
  EXPECT_EQ(p.GetChannelSlot(kInput, 0)->mScratch[3], static_cast<double>(0.1f));
  p.RunBlock(32);
  for (int c = 0; c < 2; ++c)
    for (int s = 0; s < 32; ++s)
      ASSERT_EQ(b.out[c][s], static_cast<float>(2.0 * static_cast<double>(b.in[c][s])));
}

TEST(Frame, UnconnectedOutputStaysInPrivateBuffer)
{
  Doubler p("1-1 2-2");
  p.SetBlockSize(8);
  Block b(8, 2);
  b.Attach(p, 2, 1, 8);
  p.RunBlock(8);
  EXPECT_EQ(b.out[1][0], -99.f);
  EXPECT_EQ(p.GetChannelSlot(kOutput, 1)->mScratch[0], 2.0 * static_cast<double>(b.in[1][0]));
}

TEST(Frame, DefaultProcessBlockCopiesAndZeroFills)
{
  TestProcessor p("1-2");
  p.SetBlockSize(8);
  Block b(8, 2);
  b.Attach(p, 1, 2, 8);
  p.RunBlock(8);
  for (int s = 0; s < 8; ++s)
  {
    EXPECT_EQ(b.out[0][s], b.in[0][s]);
    EXPECT_EQ(b.out[1][s], 0.f);
  }
}

TEST(Frame, FramesBeyondTheBlockSizeAreNeverTouched)
{
  Doubler p("1-1 2-2");
  p.SetBlockSize(8);
  Block b(16);
  b.Attach(p, 2, 2, 16);
  p.RunBlock(16);
  EXPECT_EQ(b.out[0][7], static_cast<float>(2.0 * static_cast<double>(b.in[0][7])));
  EXPECT_EQ(b.out[0][8], -99.f);
}

TEST(Frame, PassThroughWithoutLatencyIsSampleExact)
{
  Doubler p("1-1 2-2");
  p.SetBlockSize(16);
  Block b(16);
  b.Attach(p, 2, 2, 16);
  p.PassThrough(16);
  EXPECT_EQ(b.out, b.in);
}

TEST(Frame, PassThroughWithLatencyDelayDelaysByTheLatency)
{
  constexpr int kLatency = 5;
  Doubler p("1-1 2-2", kLatency);
  p.CreateLatencyDelay(2, 2);
  p.SetBlockSize(4);
  // Several blocks shorter than the delay: the ring must carry across blocks.
  std::vector<float> all[2];
  std::vector<float> got[2];
  for (int block = 0; block < 4; ++block)
  {
    Block b(4);
    for (int c = 0; c < 2; ++c)
      for (int s = 0; s < 4; ++s) b.in[c][s] = static_cast<float>(100 * c + 4 * block + s + 1);
    b.Attach(p, 2, 2, 4);
    p.PassThrough(4);
    for (int c = 0; c < 2; ++c)
    {
      all[c].insert(all[c].end(), b.in[c].begin(), b.in[c].end());
      got[c].insert(got[c].end(), b.out[c].begin(), b.out[c].end());
    }
  }
  for (int c = 0; c < 2; ++c)
    for (size_t i = 0; i < got[c].size(); ++i)
      ASSERT_EQ(got[c][i], i < kLatency ? 0.f : all[c][i - kLatency]) << "channel " << c << " frame " << i;
}

TEST(Frame, SetLatencyResizesRewindsAndZeroesTheDelay)
{
  TestProcessor p("1-1 2-2", 3);
  EXPECT_EQ(p.GetLatencyDelay(), nullptr);
  p.SetLatency(7); // no delay yet: stores the latency only
  EXPECT_EQ(p.GetLatency(), 7);
  p.CreateLatencyDelay(2, 2);
  p.SetBlockSize(4);
  Block b(4);
  b.Attach(p, 2, 2, 4);
  p.PassThrough(4);
  const LatencyDelay* d = p.GetLatencyDelay();
  EXPECT_EQ(d->mWritePos, 4);
  p.SetLatency(11);
  EXPECT_EQ(d->mLength, 11);
  EXPECT_EQ(d->mBuffer.size(), 22u);
  EXPECT_EQ(d->mWritePos, 0);
  for (double v : d->mBuffer) EXPECT_EQ(v, 0.0);
}

struct BusNameCase
{
  int direction, bus, nBuses;
  const char* name;
};

TEST(Frame, BusNames)
{
  TestProcessor p("1-1");
  const BusNameCase cases[] = {
      {kInput, 0, 1, "Input"},     {kInput, 0, 2, "Main"},      {kInput, 1, 2, "Aux"},
      {kInput, 0, 3, "Input 0"},   {kInput, 2, 3, "Input 2"},   {kOutput, 0, 1, "Output"},
      {kOutput, 2, 3, "Output 2"}, {kOutput, 0, 2, "Output 0"},
  };
  for (const auto& c : cases)
  {
    std::string name;
    p.BusName(c.direction, c.bus, c.nBuses, name);
    EXPECT_EQ(name, c.name) << c.direction << "/" << c.bus << "/" << c.nBuses;
  }
}

TEST(Frame, BusAndChannelMaxima)
{
  TestProcessor p("1-1 2.1-2 1-1.1");
  int layout = -9;
  EXPECT_EQ(p.MaxNBuses(kInput, &layout), 2);
  EXPECT_EQ(layout, 1);
  EXPECT_EQ(p.MaxNBuses(kOutput, &layout), 2);
  EXPECT_EQ(layout, 2);
  EXPECT_EQ(p.MaxNChannelsForBus(kInput, 0), 2);
  EXPECT_EQ(p.MaxNChannelsForBus(kInput, 1), 1);
  EXPECT_EQ(p.MaxNChannelsForBus(kOutput, 0), 2);
  EXPECT_EQ(p.MaxNChannelsForBus(kInput, 5), 0); // no layout has it: no read outside

  TestProcessor star("*-2 2-2");
  EXPECT_EQ(star.MaxNChannelsForBus(kInput, 0), -1);
  EXPECT_EQ(star.MaxNChannelsForBus(kOutput, 0), 2);
}

TEST(Frame, LegalIOAndFindIOLayout)
{
  TestProcessor p("1-1 2-2 1.1-2");
  struct
  {
    int in, out;
    bool legal;
  } cases[] = {{1, 1, true}, {2, 2, true}, {1, 2, false}, {-1, 2, true}, {2, -1, true}, {3, 3, false}};
  for (auto& c : cases) EXPECT_EQ(p.LegalIO(c.in, c.out), c.legal) << c.in << ":" << c.out;

  EXPECT_EQ(p.FindIOLayout({1}, {1}), 0);
  EXPECT_EQ(p.FindIOLayout({2}, {2}), 1);
  EXPECT_EQ(p.FindIOLayout({1, 1}, {2}), 2);
  EXPECT_EQ(p.FindIOLayout({2}, {1}), -1);
  EXPECT_EQ(p.FindIOLayout({}, {2}), -1);

  TestProcessor any("*-*");
  EXPECT_TRUE(any.LegalIO(6, 6));
}

TEST(Frame, ComponentTypeCodes)
{
  struct
  {
    int type;
    bool midiIn;
    const char code[5];
  } cases[] = {
      {0, false, "aufx"}, {0, true, "aumf"}, {1, false, "aumu"}, {2, true, "aumi"}, {7, false, "aufx"}};
  for (auto& c : cases)
    EXPECT_EQ(TestProcessor("1-1", 0, c.type, c.midiIn).ComponentTypeCode(), FourCharCode(c.code)) << c.code;
}

TEST(Frame, OtherQueries)
{
  TestProcessor p("2-2 8-8");
  TransportInfo t;
  p.SetTransportInfo(t);
  p.SetSampleRate(48000.0);
  EXPECT_DOUBLE_EQ(p.GetSamplesPerBeat(), 24000.0);
  t.mTempo = 0.0;
  p.SetTransportInfo(t);
  EXPECT_EQ(p.GetSamplesPerBeat(), 0.0);

  p.SetChannelLabel(kInput, 0, "In %i");
  p.SetChannelLabel(kInput, 1, "In %i", true);
  p.SetChannelLabel(kInput, 8, "In %i"); // ignored
  EXPECT_EQ(p.GetChannelSlot(kInput, 0)->mLabel, "In 1");
  EXPECT_EQ(p.GetChannelSlot(kInput, 1)->mLabel, "In 1");

  p.SetBlockSize(4);
  p.SetChannelsConnected(kInput, 0, 8, true);
  p.SetChannelsConnected(kOutput, 0, 8, false);
  p.LimitToStereo();
  EXPECT_EQ(p.NChannelsConnected(kInput), 2);
  EXPECT_EQ(p.NChannelsConnected(kOutput), 6);
  EXPECT_TRUE(p.HasMultipleOutputBuses() == false);
}

TEST(Frame, MidiForwardingAndSending)
{
  TestProcessor p("1-1");
  MidiMessage m;
  m.mStatus = 0x90;
  p.ProcessMidiMessage(m);
  ASSERT_EQ(p.sent.size(), 1u);
  EXPECT_EQ(p.sent[0].mStatus, 0x90);

  MidiMessage two[2];
  EXPECT_TRUE(p.SendMidiMessages(two, 2));
  p.sendResult = false;
  EXPECT_FALSE(p.SendMidiMessages(two, 2));
  EXPECT_EQ(p.sent.size(), 5u); // every message is still sent
  EXPECT_FALSE(p.SendSysExMessage(SysExRecord{}));
}

} // namespace
