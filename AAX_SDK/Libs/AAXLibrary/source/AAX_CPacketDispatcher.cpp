#include "AAX_CPacketDispatcher.h"

#include <cstring>

void AAX_CPacket::SetData(const void* data, uint32_t size)
{
  mData.resize(size);
  if (size && data) std::memcpy(mData.data(), data, size);
}

void AAX_CPacketDispatcher::Initialize(AAX_VController* controller, AAX_CEffectParameters* effectParameters)
{
  AAX_StLock_Guard guard(mLock);
  mController = controller;
  mEffectParameters = effectParameters;
}

AAX_Result AAX_CPacketDispatcher::RegisterPacket(AAX_CParamID identifier, AAX_CFieldIndex field,
                                                 Handler handler)
{
  if (!identifier) return AAX_ERROR_INVALID_PARAMETER_ID;
  if (!handler) return AAX_ERROR_NULL_OBJECT;
  AAX_StLock_Guard guard(mLock);
  mPackets.emplace(identifier, Entry{AAX_CPacket(field), std::move(handler)});
  return AAX_SUCCESS;
}

AAX_Result AAX_CPacketDispatcher::SetDirty(AAX_CParamID identifier, bool dirty)
{
  if (!identifier) return AAX_SUCCESS;
  AAX_StLock_Guard guard(mLock);
  const auto range = mPackets.equal_range(identifier);
  for (auto it = range.first; it != range.second; ++it) it->second.packet.SetDirty(dirty);
  return AAX_SUCCESS;
}

AAX_Result AAX_CPacketDispatcher::Dispatch()
{
  AAX_StLock_Guard guard(mLock);
  AAX_Result result = AAX_SUCCESS;
  for (auto& [identifier, entry] : mPackets)
  {
    (void)identifier;
    if (!entry.packet.IsDirty()) continue;
    entry.packet.SetDirty(false);
    AAX_Result r = entry.handler(entry.packet);
    if (r == AAX_SUCCESS)
      r = mController
              ? mController->PostPacket(entry.packet.GetID(), entry.packet.GetData(), entry.packet.GetSize())
              : AAX_Result(AAX_ERROR_NULL_OBJECT);
    if (result == AAX_SUCCESS) result = r;
  }
  return result;
}
