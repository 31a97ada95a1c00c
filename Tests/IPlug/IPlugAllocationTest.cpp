// The real-time operations allocate nothing.
#include "AllocationCounter.h"
#include "IPlugAPIBase.h"

#include <gtest/gtest.h>

using namespace iplug;
using kestrine_test::AllocationCounter;

TEST(Allocation, CounterSeesAllocations)
{
  // volatile pointers keep the compiler from eliding the pairs.
  AllocationCounter counter;
  int* volatile p = new int(3);
  delete p;
  uint64_t afterNew = counter.Count();
  void* volatile m = std::malloc(16);
  std::free(m);
  uint64_t afterMalloc = counter.Count();
  EXPECT_EQ(afterNew, 1u);
  EXPECT_EQ(afterMalloc, kestrine_test::MallocCounted() ? 2u : 1u);
}

TEST(Allocation, QueuesAndParametersAllocateNothing)
{
  RingQueue<ParamChange> params(512);
  RingQueue<SysExRecord> sysex(4);
  IParam lin, exp, pow;
  lin.DefineDouble("l", 0, -10, 10, 0.1, "", kFlagStepped);
  exp.DefineFrequency("f", 1000, 20, 20000, 1);
  pow.DefineDouble("p", 3000, 100, 5000, 10, "Hz", 0, "", ShapePowCurve(2));

  AllocationCounter counter;
  double sink = 0;
  for (int i = 0; i < 1000; ++i)
  {
    ParamChange c{i, i * 0.5};
    params.Push(c);
    ParamChange out;
    params.Pop(out);
    SysExRecord r;
    sysex.Push(r);
    sysex.Pop(r);
    sink += params.ElementsAvailable();
    for (IParam* p : {&lin, &exp, &pow})
    {
      p->SetValue(i * 0.37);
      p->SetNormal(i / 1000.0);
      sink += p->Value() + p->GetNormal() + p->ValueFromNormal(0.3) + p->NormalFromValue(7) +
              p->SnapAndClamp(3.3) + p->ConstrainNormalized(0.4) + p->AsInt() + p->AsBool();
    }
  }
  EXPECT_EQ(counter.Count(), 0u);
  EXPECT_NE(sink, 0.0);
}

TEST(Allocation, QueueParamForEditorAllocatesNothing)
{
  PluginConfig c;
  c.nParams = 2;
  c.plugHasUI = true;
  struct P : IPlugAPIBase
  {
    using IPlugAPIBase::IPlugAPIBase;
  } plug(c, kAPIAAX);
  AllocationCounter counter;
  for (int i = 0; i < 100; ++i) plug.QueueParamForEditor(i % 2, 0.5, true);
  MidiMessage m;
  plug.MidiToEditorQueue().Push(m);
  plug.MidiFromEditorQueue().Push(m);
  plug.MidiFromEditorQueue().Pop(m);
  EXPECT_EQ(counter.Count(), 0u);
}
