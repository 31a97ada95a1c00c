// Both channels of a BiquadSection in one SSE register (lane 0 left, lane 1
// right), for the frame loops of the block-staged path: one instruction does
// what the per-sample code does for left and then right, with the same
// operations in the same order per lane, and the memories stay in registers
// for the whole loop.
//
// Threads: audio thread. Load and Store copy the section's coefficients and
// memories; nothing allocates.
#pragma once

#include "KestrineFilters.h"

#include <emmintrin.h>

class PackedBiquad
{
public:
  explicit PackedBiquad(const BiquadSection& s)
  {
    const BiquadCoefficients& c = s.GetCoefficients();
    mB0 = _mm_set1_ps(c.b0);
    mB1 = _mm_set1_ps(c.b1);
    mB2 = _mm_set1_ps(c.b2);
    mA1 = _mm_set1_ps(c.a1);
    mA2 = _mm_set1_ps(c.a2);
    const BiquadSection::ChannelState& l = s.State(0);
    const BiquadSection::ChannelState& r = s.State(1);
    mX1 = _mm_setr_ps(l.x1, r.x1, 0.0f, 0.0f);
    mX2 = _mm_setr_ps(l.x2, r.x2, 0.0f, 0.0f);
    mY1 = _mm_setr_ps(l.y1, r.y1, 0.0f, 0.0f);
    mY2 = _mm_setr_ps(l.y2, r.y2, 0.0f, 0.0f);
  }

  // y = b1 x1 + b0 x + b2 x2 - a1 y1 - a2 y2, left to right, in every lane.
  __m128 Step(__m128 x)
  {
    const __m128 y = _mm_sub_ps(
        _mm_sub_ps(_mm_add_ps(_mm_add_ps(_mm_mul_ps(mB1, mX1), _mm_mul_ps(mB0, x)), _mm_mul_ps(mB2, mX2)),
                   _mm_mul_ps(mA1, mY1)),
        _mm_mul_ps(mA2, mY2));
    mX2 = mX1;
    mX1 = x;
    mY2 = mY1;
    mY1 = y;
    return y;
  }

  // Writes the memories back after at least one Step: both channels, or only
  // the left one (the mono form leaves the right channel alone). The last
  // outputs become the last Step's results.
  void Store(BiquadSection& s, bool stereo) const
  {
    for (int c = 0; c < (stereo ? 2 : 1); ++c)
    {
      BiquadSection::ChannelState& state = s.State(c);
      state.x1 = Lane(mX1, c);
      state.x2 = Lane(mX2, c);
      state.y1 = Lane(mY1, c);
      state.y2 = Lane(mY2, c);
      s.SetLastOutput(c, state.y1);
    }
  }

  // Lane 0 or 1 of v.
  static float Lane(__m128 v, int lane)
  {
    return _mm_cvtss_f32(lane == 0 ? v : _mm_shuffle_ps(v, v, _MM_SHUFFLE(1, 1, 1, 1)));
  }

private:
  __m128 mB0, mB1, mB2, mA1, mA2;
  __m128 mX1, mX2, mY1, mY2;
};
