#include "KestrineDelayLine.h"

#include <cmath>

DelayLine::DelayLine()
{
  SetLength(10);
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
