// Host wrappers of the description objects (registration thread only).
// The collection takes a reference on the host object, queries its
// component factory and creates the plug-in definition through it; effect
// descriptors, component descriptors and property maps are created through
// the same factory and owned by the wrapper that made them, so destroying
// the collection releases everything the description created. An object the
// host could not create answers AAX_ERROR_NULL_OBJECT to every call, and the
// New... operations answer null.
#pragma once

#include "AAX_VController.h"

#include <memory>
#include <vector>

class AAX_VPropertyMap
{
public:
  explicit AAX_VPropertyMap(IACFComponentFactory* factory);
  ~AAX_VPropertyMap();
  AAX_VPropertyMap(const AAX_VPropertyMap&) = delete;
  AAX_VPropertyMap& operator=(const AAX_VPropertyMap&) = delete;

  bool IsSupported() const { return mPropertyMap != nullptr; }
  IACFUnknown* GetIUnknown() const { return mPropertyMap; }

  AAX_Result AddProperty(AAX_CPropertyID id, AAX_CPropertyValue value)
  {
    AAX_V_FORWARD(mPropertyMap, AddProperty(id, value));
  }
  // False when the property is not set or the host has no map.
  bool GetProperty(AAX_CPropertyID id, AAX_CPropertyValue* value) const;
  AAX_Result RemoveProperty(AAX_CPropertyID id) { AAX_V_FORWARD(mPropertyMap, RemoveProperty(id)); }

private:
  AAX_IPropertyMap* mPropertyMap = nullptr;
};

class AAX_VComponentDescriptor
{
public:
  explicit AAX_VComponentDescriptor(IACFComponentFactory* factory);
  ~AAX_VComponentDescriptor();
  AAX_VComponentDescriptor(const AAX_VComponentDescriptor&) = delete;
  AAX_VComponentDescriptor& operator=(const AAX_VComponentDescriptor&) = delete;

  bool IsSupported() const { return mDescriptor != nullptr; }
  IACFUnknown* GetIUnknown() const { return mDescriptor; }

  // Owned by this descriptor; null when the host cannot create one.
  AAX_VPropertyMap* NewPropertyMap();

  AAX_Result Clear() { AAX_V_FORWARD(mDescriptor, Clear()); }
  AAX_Result AddAudioIn(AAX_CFieldIndex field) { AAX_V_FORWARD(mDescriptor, AddAudioIn(field)); }
  AAX_Result AddAudioOut(AAX_CFieldIndex field) { AAX_V_FORWARD(mDescriptor, AddAudioOut(field)); }
  AAX_Result AddAudioBufferLength(AAX_CFieldIndex field)
  {
    AAX_V_FORWARD(mDescriptor, AddAudioBufferLength(field));
  }
  AAX_Result AddClock(AAX_CFieldIndex field) { AAX_V_FORWARD(mDescriptor, AddClock(field)); }
  AAX_Result AddSideChainIn(AAX_CFieldIndex field) { AAX_V_FORWARD(mDescriptor, AddSideChainIn(field)); }
  AAX_Result AddMIDINode(AAX_CFieldIndex field, AAX_EMIDINodeType nodeType, const char* name,
                         uint32_t channelMask)
  {
    AAX_V_FORWARD(mDescriptor, AddMIDINode(field, nodeType, name, channelMask));
  }
  AAX_Result AddPrivateData(AAX_CFieldIndex field, int32_t dataSize, uint32_t options = 0)
  {
    AAX_V_FORWARD(mDescriptor, AddPrivateData(field, dataSize, options));
  }
  AAX_Result AddDataInPort(AAX_CFieldIndex field, uint32_t packetSize, int32_t portType)
  {
    AAX_V_FORWARD(mDescriptor, AddDataInPort(field, packetSize, portType));
  }
  AAX_Result AddMeters(AAX_CFieldIndex field, const AAX_CTypeID* meterIDs, uint32_t meterCount)
  {
    AAX_V_FORWARD(mDescriptor, AddMeters(field, meterIDs, meterCount));
  }
  AAX_Result AddAuxOutputStem(AAX_CFieldIndex field, AAX_EStemFormat format, const char* name)
  {
    AAX_V_FORWARD(mDescriptor, AddAuxOutputStem(field, format, name));
  }
  // properties may be null (no property map).
  AAX_Result AddProcessProc_Native(AAX_CProcessProc processProc, AAX_VPropertyMap* properties,
                                   AAX_CInstanceInitProc initProc, AAX_CBackgroundProc backgroundProc)
  {
    AAX_V_FORWARD(mDescriptor,
                  AddProcessProc_Native(processProc, properties ? properties->GetIUnknown() : nullptr,
                                        initProc, backgroundProc));
  }

private:
  IACFComponentFactory* mFactory = nullptr;
  AAX_IComponentDescriptor* mDescriptor = nullptr;
  std::vector<std::unique_ptr<AAX_VPropertyMap>> mPropertyMaps;
};

class AAX_VEffectDescriptor
{
public:
  explicit AAX_VEffectDescriptor(IACFComponentFactory* factory);
  ~AAX_VEffectDescriptor();
  AAX_VEffectDescriptor(const AAX_VEffectDescriptor&) = delete;
  AAX_VEffectDescriptor& operator=(const AAX_VEffectDescriptor&) = delete;

  bool IsSupported() const { return mDescriptor != nullptr; }
  IACFUnknown* GetIUnknown() const { return mDescriptor; }

  // Both owned by this descriptor; null when the host cannot create one.
  AAX_VComponentDescriptor* NewComponentDescriptor();
  AAX_VPropertyMap* NewPropertyMap();

  AAX_Result AddComponent(AAX_VComponentDescriptor* component)
  {
    if (!component || !component->GetIUnknown()) return AAX_ERROR_NULL_OBJECT;
    AAX_V_FORWARD(mDescriptor, AddComponent(component->GetIUnknown()));
  }
  AAX_Result AddName(const char* name) { AAX_V_FORWARD(mDescriptor, AddName(name)); }
  AAX_Result AddCategory(uint32_t category) { AAX_V_FORWARD(mDescriptor, AddCategory(category)); }
  AAX_Result AddProcPtr(AAX_CProcPtr procPtr, AAX_CPropertyID procID)
  {
    AAX_V_FORWARD(mDescriptor, AddProcPtr(procPtr, procID));
  }

private:
  IACFComponentFactory* mFactory = nullptr;
  AAX_IEffectDescriptor* mDescriptor = nullptr;
  std::vector<std::unique_ptr<AAX_VComponentDescriptor>> mComponents;
  std::vector<std::unique_ptr<AAX_VPropertyMap>> mPropertyMaps;
};

class AAX_VCollection
{
public:
  explicit AAX_VCollection(IACFUnknown* host);
  ~AAX_VCollection();
  AAX_VCollection(const AAX_VCollection&) = delete;
  AAX_VCollection& operator=(const AAX_VCollection&) = delete;

  bool IsSupported() const { return mCollection != nullptr; }
  // The host's plug-in definition object (query it for IID_IACFPluginDefinition).
  IACFUnknown* GetIUnknown() const { return mCollection; }

  // Owned by the collection; null when the host cannot create one.
  AAX_VEffectDescriptor* NewDescriptor();

  AAX_Result AddEffect(const char* effectID, AAX_VEffectDescriptor* effect)
  {
    if (!effect || !effect->GetIUnknown()) return AAX_ERROR_NULL_OBJECT;
    AAX_V_FORWARD(mCollection, AddEffect(effectID, effect->GetIUnknown()));
  }
  AAX_Result SetManufacturerName(const char* name) { AAX_V_FORWARD(mCollection, SetManufacturerName(name)); }
  AAX_Result AddPackageName(const char* name) { AAX_V_FORWARD(mCollection, AddPackageName(name)); }
  AAX_Result SetPackageVersion(uint32_t version) { AAX_V_FORWARD(mCollection, SetPackageVersion(version)); }

private:
  IACFUnknown* mHost = nullptr;
  IACFComponentFactory* mFactory = nullptr;
  AAX_ICollection* mCollection = nullptr;
  std::vector<std::unique_ptr<AAX_VEffectDescriptor>> mEffects;
};
