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
  int read = mRead;
  int write = mPosition;
  // Runs that end at the end of the storage for both indices and are at most
  // the delay long: within a run no slot is read after this call wrote it
  // (sample s reads what sample s - delay stored, which an earlier run
  // wrote), so each run is a copy out then a copy in of contiguous samples,
  // exactly the per-sample order. The buffers never overlap the caller's.
  for (int s = 0; s < n;)
  {
    int run = n - s;
    if (run > mSize - read) run = mSize - read;
    if (run > mSize - write) run = mSize - write;
    if (run > mLength) run = mLength;
    const size_t bytes = static_cast<size_t>(run) * sizeof(float);
    std::memcpy(outL + s, left + read, bytes);
    std::memcpy(outR + s, right + read, bytes);
    std::memcpy(left + write, inL + s, bytes);
    std::memcpy(right + write, inR + s, bytes);
    s += run;
    read += run;
    write += run;
    if (read == mSize) read = 0;
    if (write == mSize) write = 0;
  }
  mRead = read;
  mPosition = write;
}

bool DelayLine::SetLength(int n)
{
  if (n < 0 || n > kMaxLength) return false;
  mLength = n;
  mSize = n;
  mPosition = 0;
  mRead = 0;
  mLeft.assign(static_cast<size_t>(n), 0.0f);
  mRight.assign(static_cast<size_t>(n), 0.0f);
  return true;
}

bool DelayLine::SetDelay(int n)
{
  if (n < 1 || n > mSize) return false;
  mLength = n;
  mRead = mPosition - n;
  if (mRead < 0) mRead += mSize;
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
