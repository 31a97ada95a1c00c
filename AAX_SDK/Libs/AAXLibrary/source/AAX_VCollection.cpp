#include "AAX_VCollection.h"

namespace
{
template <typename I>
I* CreateHostObject(IACFComponentFactory* factory, const acfCLSID& clsid, const acfIID& iid)
{
  if (!factory) return nullptr;
  void* p = nullptr;
  if (factory->CreateComponent(clsid, nullptr, iid, &p) != kACFResult_OK) return nullptr;
  return static_cast<I*>(p);
}
} // namespace

AAX_VPropertyMap::AAX_VPropertyMap(IACFComponentFactory* factory)
    : mPropertyMap(CreateHostObject<AAX_IPropertyMap>(factory, CLSID_AAX_PropertyMap, IID_AAX_IPropertyMap))
{
}

AAX_VPropertyMap::~AAX_VPropertyMap()
{
  ACFSafeRelease(mPropertyMap);
}

bool AAX_VPropertyMap::GetProperty(AAX_CPropertyID id, AAX_CPropertyValue* value) const
{
  if (!mPropertyMap || !value) return false;
  AAX_CBoolean found = 0;
  AAX_CPropertyValue v = 0;
  if (mPropertyMap->GetProperty(id, &v, &found) != AAX_SUCCESS || !found) return false;
  *value = v;
  return true;
}

AAX_VComponentDescriptor::AAX_VComponentDescriptor(IACFComponentFactory* factory)
    : mFactory(factory), mDescriptor(CreateHostObject<AAX_IComponentDescriptor>(
                             factory, CLSID_AAX_ComponentDescriptor, IID_AAX_IComponentDescriptor))
{
  if (mFactory) mFactory->AddRef();
}

AAX_VComponentDescriptor::~AAX_VComponentDescriptor()
{
  mPropertyMaps.clear();
  ACFSafeRelease(mDescriptor);
  ACFSafeRelease(mFactory);
}

AAX_VPropertyMap* AAX_VComponentDescriptor::NewPropertyMap()
{
  auto map = std::make_unique<AAX_VPropertyMap>(mFactory);
  if (!map->IsSupported()) return nullptr;
  mPropertyMaps.push_back(std::move(map));
  return mPropertyMaps.back().get();
}

AAX_VEffectDescriptor::AAX_VEffectDescriptor(IACFComponentFactory* factory)
    : mFactory(factory), mDescriptor(CreateHostObject<AAX_IEffectDescriptor>(
                             factory, CLSID_AAX_EffectDescriptor, IID_AAX_IEffectDescriptor))
{
  if (mFactory) mFactory->AddRef();
}

AAX_VEffectDescriptor::~AAX_VEffectDescriptor()
{
  mComponents.clear();
  mPropertyMaps.clear();
  ACFSafeRelease(mDescriptor);
  ACFSafeRelease(mFactory);
}

AAX_VComponentDescriptor* AAX_VEffectDescriptor::NewComponentDescriptor()
{
  auto component = std::make_unique<AAX_VComponentDescriptor>(mFactory);
  if (!component->IsSupported()) return nullptr;
  mComponents.push_back(std::move(component));
  return mComponents.back().get();
}

AAX_VPropertyMap* AAX_VEffectDescriptor::NewPropertyMap()
{
  auto map = std::make_unique<AAX_VPropertyMap>(mFactory);
  if (!map->IsSupported()) return nullptr;
  mPropertyMaps.push_back(std::move(map));
  return mPropertyMaps.back().get();
}

AAX_VCollection::AAX_VCollection(IACFUnknown* host) : mHost(host)
{
  if (!mHost) return;
  mHost->AddRef();
  mFactory = ACFQueryInterface<IACFComponentFactory>(mHost, IID_IACFComponentFactory);
  mCollection = CreateHostObject<AAX_ICollection>(mFactory, CLSID_AAX_Collection, IID_AAX_ICollection);
}

AAX_VCollection::~AAX_VCollection()
{
  mEffects.clear();
  ACFSafeRelease(mCollection);
  ACFSafeRelease(mFactory);
  ACFSafeRelease(mHost);
}

AAX_VEffectDescriptor* AAX_VCollection::NewDescriptor()
{
  if (!mCollection) return nullptr;
  auto effect = std::make_unique<AAX_VEffectDescriptor>(mFactory);
  if (!effect->IsSupported()) return nullptr;
  mEffects.push_back(std::move(effect));
  return mEffects.back().get();
}
