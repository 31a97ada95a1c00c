// Slot numbers of every interface called by slot across the module boundary.
// A host built separately calls these by number, so a reordered or inserted
// declaration would break it while every test that shares the headers still
// passed. Read from pointers to virtual members, which in the C++ ABI both
// builds use (Linux and mingw-w64) hold 1 + the slot's byte offset.
#include "AAX_HostInterfaces.h"
#include "AAX_IEffectParameters.h"
#include "AAX_IString.h"
#include "AAX_CEffectGUI.h"
#include "AAX_CEffectParameters.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

namespace
{
template <typename F> long SlotOf(F member)
{
  static_assert(sizeof(F) == 2 * sizeof(void*), "pointer to member of the expected ABI");
  uintptr_t words[2];
  std::memcpy(words, &member, sizeof(words));
  if ((words[0] & 1) == 0) return -1; // not virtual
  return static_cast<long>((words[0] - 1) / sizeof(void*));
}

struct SlotCase
{
  const char* name;
  long slot;
  long expected;
};

#define SLOT(I, M, n)                                                                                        \
  SlotCase                                                                                                   \
  {                                                                                                          \
#I "::" #M, SlotOf(&I::M), n                                                                             \
  }
#define SLOT_AS(I, M, T, n)                                                                                  \
  SlotCase                                                                                                   \
  {                                                                                                          \
#I "::" #M " " #T, SlotOf(static_cast <T>(&I::M)), n                                                     \
  }

void ExpectSlots(std::initializer_list<SlotCase> cases)
{
  for (const SlotCase& c : cases) EXPECT_EQ(c.slot, c.expected) << c.name;
}
} // namespace

TEST(SlotOrder, UnknownAndFactory)
{
  ExpectSlots({SLOT(IACFUnknown, QueryInterface, 0), SLOT(IACFUnknown, AddRef, 1),
               SLOT(IACFUnknown, Release, 2), SLOT(IACFComponentFactory, CreateComponent, 3)});
}

TEST(SlotOrder, String)
{
  using SetText = void (AAX_IString::*)(const char*);
  using SetString = void (AAX_IString::*)(const AAX_IString&);
  ExpectSlots({SLOT(AAX_IString, Length, 0), SLOT(AAX_IString, MaxLength, 1), SLOT(AAX_IString, Get, 2),
               SLOT_AS(AAX_IString, Set, SetText, 3), SLOT_AS(AAX_IString, Set, SetString, 4)});
}

TEST(SlotOrder, HostInterfaces)
{
  ExpectSlots({
      SLOT(AAX_IController, GetSampleRate, 3),
      SLOT(AAX_IController, GetInputStemFormat, 4),
      SLOT(AAX_IController, GetOutputStemFormat, 5),
      SLOT(AAX_IController, GetSignalLatency, 6),
      SLOT(AAX_IController, SetSignalLatency, 7),
      SLOT(AAX_IController, PostPacket, 8),
      SLOT(AAX_ITransport, GetCurrentTempo, 3),
      SLOT(AAX_ITransport, GetCurrentMeter, 4),
      SLOT(AAX_ITransport, IsTransportPlaying, 5),
      SLOT(AAX_ITransport, GetCurrentTickPosition, 6),
      SLOT(AAX_ITransport, GetCurrentLoopPosition, 7),
      SLOT(AAX_ITransport, GetCurrentNativeSampleLocation, 8),
      SLOT(AAX_IAutomationDelegate, RegisterParameter, 3),
      SLOT(AAX_IAutomationDelegate, UnregisterParameter, 4),
      SLOT(AAX_IAutomationDelegate, PostSetValueRequest, 5),
      SLOT(AAX_IAutomationDelegate, PostCurrentValue, 6),
      SLOT(AAX_IAutomationDelegate, PostTouchRequest, 7),
      SLOT(AAX_IAutomationDelegate, PostReleaseRequest, 8),
      SLOT(AAX_IViewContainer, GetType, 3),
      SLOT(AAX_IViewContainer, GetPtr, 4),
      SLOT(AAX_IViewContainer, GetModifiers, 5),
      SLOT(AAX_IViewContainer, SetViewSize, 6),
      SLOT(AAX_IViewContainer_V2, HandleParameterMouseDown, 7),
      SLOT(AAX_IViewContainer_V2, HandleParameterMouseDrag, 8),
      SLOT(AAX_IViewContainer_V2, HandleParameterMouseUp, 9),
      SLOT(AAX_IHostServices, HandleAssertFailure, 3),
      SLOT(AAX_IHostServices, Trace, 4),
      SLOT(AAX_IPropertyMap, AddProperty, 3),
      SLOT(AAX_IPropertyMap, GetProperty, 4),
      SLOT(AAX_IPropertyMap, RemoveProperty, 5),
      SLOT(AAX_IComponentDescriptor, Clear, 3),
      SLOT(AAX_IComponentDescriptor, AddAudioIn, 4),
      SLOT(AAX_IComponentDescriptor, AddAudioOut, 5),
      SLOT(AAX_IComponentDescriptor, AddAudioBufferLength, 6),
      SLOT(AAX_IComponentDescriptor, AddClock, 7),
      SLOT(AAX_IComponentDescriptor, AddSideChainIn, 8),
      SLOT(AAX_IComponentDescriptor, AddMIDINode, 9),
      SLOT(AAX_IComponentDescriptor, AddPrivateData, 10),
      SLOT(AAX_IComponentDescriptor, AddDataInPort, 11),
      SLOT(AAX_IComponentDescriptor, AddMeters, 12),
      SLOT(AAX_IComponentDescriptor, AddAuxOutputStem, 13),
      SLOT(AAX_IComponentDescriptor, AddProcessProc_Native, 14),
      SLOT(AAX_IEffectDescriptor, AddComponent, 3),
      SLOT(AAX_IEffectDescriptor, AddName, 4),
      SLOT(AAX_IEffectDescriptor, AddCategory, 5),
      SLOT(AAX_IEffectDescriptor, AddProcPtr, 6),
      SLOT(AAX_ICollection, AddEffect, 3),
      SLOT(AAX_ICollection, SetManufacturerName, 4),
      SLOT(AAX_ICollection, AddPackageName, 5),
      SLOT(AAX_ICollection, SetPackageVersion, 6),
      SLOT(AAX_IPageTable, Clear, 3),
      SLOT(AAX_IPageTable, Empty, 4),
      SLOT(AAX_IPageTable_V2, GetNumEntries, 5),
      SLOT(AAX_IMIDINode, GetNodeBuffer, 0),
      SLOT(AAX_IMIDINode, PostMIDIPacket, 1),
      SLOT(AAX_IMIDINode, GetTransport, 2),
  });
}

TEST(SlotOrder, EffectParameters)
{
  using I = AAX_IEffectParameters;
  using PageTableByObjects = AAX_Result (I::*)(uint32_t, int32_t, IACFUnknown*, IACFUnknown*) const;
  using PageTableByReference = AAX_Result (I::*)(uint32_t, int32_t, AAX_IPageTable&) const;
  ExpectSlots({
      SLOT(I, QueryInterface, 0),
      SLOT(I, Initialize, 3),
      SLOT(I, Uninitialize, 4),
      SLOT(I, NotificationReceived, 5),
      SLOT(I, GetNumberOfParameters, 6),
      SLOT(I, GetMasterBypassParameter, 7),
      SLOT(I, GetParameterIsAutomatable, 8),
      SLOT(I, GetParameterNumberOfSteps, 9),
      SLOT(I, GetParameterName, 10),
      SLOT(I, GetParameterNameOfLength, 11),
      SLOT(I, GetParameterDefaultNormalizedValue, 12),
      SLOT(I, SetParameterDefaultNormalizedValue, 13),
      SLOT(I, GetParameterType, 14),
      SLOT(I, GetParameterOrientation, 15),
      SLOT(I, GetParameter, 16),
      SLOT(I, GetParameterIndex, 17),
      SLOT(I, GetParameterIDFromIndex, 18),
      SLOT(I, GetParameterValueInfo, 19),
      SLOT(I, GetParameterValueFromString, 20),
      SLOT(I, GetParameterStringFromValue, 21),
      SLOT(I, GetParameterValueString, 22),
      SLOT(I, GetParameterNormalizedValue, 23),
      SLOT(I, SetParameterNormalizedValue, 24),
      SLOT(I, SetParameterNormalizedRelative, 25),
      SLOT(I, TouchParameter, 26),
      SLOT(I, ReleaseParameter, 27),
      SLOT(I, UpdateParameterTouch, 28),
      SLOT(I, UpdateParameterNormalizedValue, 29),
      SLOT(I, UpdateParameterNormalizedRelative, 30),
      SLOT(I, GenerateCoefficients, 31),
      SLOT(I, ResetFieldData, 32),
      SLOT(I, GetNumberOfChunks, 33),
      SLOT(I, GetChunkIDFromIndex, 34),
      SLOT(I, GetChunkSize, 35),
      SLOT(I, GetChunk, 36),
      SLOT(I, SetChunk, 37),
      SLOT(I, CompareActiveChunk, 38),
      SLOT(I, GetNumberOfChanges, 39),
      SLOT(I, TimerWakeup, 40),
      SLOT(I, GetCurveData, 41),
      SLOT(I, GetCustomData, 42),
      SLOT(I, SetCustomData, 43),
      SLOT(I, DoMIDITransfers, 44),
      SLOT(I, RenderAudio_Hybrid, 45),
      SLOT(I, UpdateMIDINodes, 46),
      SLOT(I, UpdateControlMIDINodes, 47),
      SLOT(I, GetCurveDataMeterIds, 48),
      SLOT(I, GetCurveDataDisplayRange, 49),
      SLOT_AS(I, UpdatePageTable, PageTableByObjects, 50),
      SLOT_AS(I, UpdatePageTable, PageTableByReference, 51),
  });
}

namespace
{
// EffectInit is protected: a derived class names it.
struct EffectInitSlot : AAX_CEffectParameters
{
  static long Slot() { return SlotOf(&EffectInitSlot::EffectInit); }
};
} // namespace

TEST(SlotOrder, EffectInitFollowsTheInterface)
{
  EXPECT_EQ(EffectInitSlot::Slot(), 52);
}

TEST(SlotOrder, EditorInterface)
{
  ExpectSlots({SLOT(AAX_IACFEffectGUI, Initialize, 3), SLOT(AAX_IACFEffectGUI, Uninitialize, 4),
               SLOT(AAX_IACFEffectGUI, NotificationReceived, 5), SLOT(AAX_IACFEffectGUI, SetViewContainer, 6),
               SLOT(AAX_IACFEffectGUI, GetViewSize, 7), SLOT(AAX_IACFEffectGUI, Draw, 8),
               SLOT(AAX_IACFEffectGUI, TimerWakeup, 9), SLOT(AAX_IACFEffectGUI, ParameterUpdated, 10),
               SLOT(AAX_IACFEffectGUI, GetCustomLabel, 11),
               SLOT(AAX_IACFEffectGUI, SetControlHighlightInfo, 12)});
}

namespace
{
// The editor base's own operations are protected: a derived class names them.
struct EditorSlots : AAX_CEffectGUI
{
  static long ContentsSlot() { return SlotOf(&EditorSlots::CreateViewContents); }
  static long CreateSlot() { return SlotOf(&EditorSlots::CreateViewContainer); }
  static long DeleteSlot() { return SlotOf(&EditorSlots::DeleteViewContainer); }
  static long UpdateSlot() { return SlotOf(&EditorSlots::UpdateAllParameters); }
};
} // namespace

TEST(SlotOrder, EditorBaseContinuesTheInterface)
{
  EXPECT_EQ(EditorSlots::ContentsSlot(), 13);
  EXPECT_EQ(EditorSlots::CreateSlot(), 14);
  EXPECT_EQ(EditorSlots::DeleteSlot(), 15);
  EXPECT_EQ(EditorSlots::UpdateSlot(), 16);
}
