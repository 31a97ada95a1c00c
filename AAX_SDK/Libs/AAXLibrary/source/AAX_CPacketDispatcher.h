// Data packets posted to the algorithm when a parameter changes. A packet
// belongs to a parameter identifier and a render-context field; when the
// parameter is marked dirty, the next Dispatch lets the packet's handler fill
// it and posts it through the controller. The table is guarded by its own
// owner-thread mutex; host non-real-time threads only.
#pragma once

#include "AAX_CMutex.h"
#include "AAX_VController.h"

#include <functional>
#include <map>
#include <string>
#include <vector>

class AAX_CEffectParameters;

class AAX_CPacket
{
public:
  explicit AAX_CPacket(AAX_CFieldIndex field) : mField(field) {}

  AAX_CFieldIndex GetID() const { return mField; }
  bool IsDirty() const { return mDirty; }
  void SetDirty(bool dirty) { mDirty = dirty; }
  // Replaces the packet's bytes.
  void SetData(const void* data, uint32_t size);
  const void* GetData() const { return mData.data(); }
  uint32_t GetSize() const { return static_cast<uint32_t>(mData.size()); }

private:
  AAX_CFieldIndex mField;
  bool mDirty = false;
  std::vector<uint8_t> mData;
};

class AAX_CPacketDispatcher
{
public:
  // Fills the packet for the current parameter state; a non-zero result
  // skips posting it.
  using Handler = std::function<AAX_Result(AAX_CPacket& packet)>;

  AAX_CPacketDispatcher() = default;
  AAX_CPacketDispatcher(const AAX_CPacketDispatcher&) = delete;
  AAX_CPacketDispatcher& operator=(const AAX_CPacketDispatcher&) = delete;

  // Neither is owned; the controller may be null (posts then answer
  // AAX_ERROR_NULL_OBJECT).
  void Initialize(AAX_VController* controller, AAX_CEffectParameters* effectParameters);
  AAX_Result RegisterPacket(AAX_CParamID identifier, AAX_CFieldIndex field, Handler handler);
  // Marks every packet of the identifier; an identifier without packets is fine.
  AAX_Result SetDirty(AAX_CParamID identifier, bool dirty = true);
  // Posts every dirty packet and clears its mark; answers the first failure, else 0.
  AAX_Result Dispatch();

private:
  struct Entry
  {
    AAX_CPacket packet;
    Handler handler;
  };

  AAX_CMutex mLock;
  AAX_VController* mController = nullptr;
  AAX_CEffectParameters* mEffectParameters = nullptr;
  std::multimap<std::string, Entry> mPackets;
};
