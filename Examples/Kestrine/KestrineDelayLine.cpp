#include "KestrineDelayLine.h"

#include <cmath>
#include <cstring>

DelayLine::DelayLine()
{
  SetLength(10);
}

void DelayLine::ProcessBlock(const float* inL, const float* inR, float* outL, float* outR, int n)
{
  if (mLength == 0)
  {
    for (int s = 0; s < n; ++s)
    {
      outL[s] = inL[s];
      outR[s] = inR[s];
    }
    return;
  }
  float* left = mLeft.data();
  float* right = mRight.data();
  int pos = mPosition;
  // Runs up to the end of the storage, so each run is a plain exchange of
  // contiguous samples (the buffers never overlap the caller's arrays); a run
  // reads what earlier runs of this call stored.
  for (int s = 0; s < n;)
  {
    const int run = n - s < mLength - pos ? n - s : mLength - pos;
    const size_t bytes = static_cast<size_t>(run) * sizeof(float);
    std::memcpy(outL + s, left + pos, bytes);
    std::memcpy(left + pos, inL + s, bytes);
    std::memcpy(outR + s, right + pos, bytes);
    std::memcpy(right + pos, inR + s, bytes);
    s += run;
    pos += run;
    if (pos == mLength) pos = 0;
  }
  mPosition = pos;
}

bool DelayLine::SetLength(int n)
{
  if (n < 0 || n > kMaxLength) return false;
  mLength = n;
  mPosition = 0;
  mLeft.assign(static_cast<size_t>(n), 0.0f);
  mRight.assign(static_cast<size_t>(n), 0.0f);
  return true;
}

bool DelayLine::Reserve(int n)
{
  if (n < 0 || n > kMaxLength) return false;
  mLeft.reserve(static_cast<size_t>(n));
  mRight.reserve(static_cast<size_t>(n));
  return true;
}

void DelayLine::Clear()
{
  for (float& v : mLeft) v = 0.0f;
  for (float& v : mRight) v = 0.0f;
}

bool DelayLine::IsFinite() const
{
  for (size_t i = 0; i < mLeft.size(); ++i)
    if (!std::isfinite(mLeft[i]) || !std::isfinite(mRight[i])) return false;
  return true;
}
