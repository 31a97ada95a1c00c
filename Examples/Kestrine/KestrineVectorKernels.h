// The block-staged FIR routines of KestrineVector.h, written once over a
// vector type T and compiled once per instruction set: a translation unit
// defines T (lane count, loads, stores, add, sub, mul, div, sqrt, the
// interleaving shuffles, bitwise operations and ordered compares) and then
// includes this file.
//
// Every sum is the per-sample code's sum, lane by lane:
// - up-sampler (HalfBandResampler::UpFirst / UpSecond): first = h[2a] x[n-a];
//   second = 0 + h[1](x[n] + x[n-2a+1]) + h[3](x[n-1] + x[n-2a+2]) + ...;
// - down-sampler (DownOut) on the even (first) and odd (second) 2x samples:
//   out = h[2a] even[m-a] + (0 + h[1](odd[m-1] + odd[m-2a]) + ...);
// - output filter (LowPassFIR::Run): 0 + h[0](x[n-2h] + x[n]) + ... then
//   + h[h] x[n-h] last.
// Sample n's sum lives in one lane and its terms are added in that order.
//
// Everything has internal linkage (anonymous namespace), so each including
// unit keeps its own code for its own instruction set and the linker never
// mixes them. No standard-library templates are used here for that reason.
#pragma once

#include "KestrineVector.h"

namespace
{

// Vectors of lanes summed side by side in one tap loop, so that the adds of
// independent sums overlap instead of waiting on each other.
constexpr int kGroups = 4;
// The group loops are unrolled completely so that the accumulators stay in
// registers.
#define KESTRINE_UNROLL_GROUPS _Pragma("GCC unroll 4")

// Padding after each scratch buffer (floats).
constexpr int kScratchPad = 16;

// Curve constants of SoftClip and GainReduction (KestrineSaturator.h; that
// header is not included here, so that no inline function of it is compiled
// for one instruction set and linked for all). kClipLimit is kSoftClipLimit.
constexpr float kClipScale = 0.860663f;
constexpr float kClipCurve = 0.35f;
constexpr float kClipLimit = 1.96396101f;
// Bit patterns: the magnitude of a float, and +infinity.
constexpr unsigned kMagnitudeBits = 0x7fffffffu;
constexpr unsigned kInfinityBits = 0x7f800000u;

inline int RoundUp(int n, int to)
{
  return (n + to - 1) / to * to;
}

// Non-negative remainder of i / n.
inline int Wrap(int i, int n)
{
  const int r = i % n;
  return r < 0 ? r + n : r;
}

// --- History gathering and write-back, on the rings' own layout.

// Up rings advance by two slots per input; the newest input sits one past the
// index. Writes the last count inputs to dst[0..count), oldest first.
inline void GatherUp(const float* ring, int index, int count, float* dst)
{
  for (int j = 0; j < count; ++j) dst[count - 1 - j] = ring[index + 1 + 2 * j];
}

// Writes src[t], t in [from, to), to the ring slots slot, slot - kStep,
// slot - 2 kStep, ... (modulo length, each also at slot + length). Runs up to
// the start of the ring at a time, so no write depends on the previous one.
template <int kStep>
inline void WriteRing(float* ring, int length, int slot, const float* src, int from, int to)
{
  for (int t = from; t < to;)
  {
    int run = slot / kStep + 1;
    if (run > to - t) run = to - t;
    float* low = ring + slot;
    float* high = ring + slot + length;
    const float* in = src + t;
    for (int i = 0; i < run; ++i)
    {
      const float v = in[i];
      low[-kStep * i] = v;
      high[-kStep * i] = v;
    }
    t += run;
    slot -= kStep * run;
    while (slot < 0) slot += length;
  }
}

// Stores inputs x[0..count) where count per-sample up calls starting at index
// would have stored them (two slots down per call; only the last length of
// them survive), and returns the index those calls would have left.
inline int WriteBackUp(float* ring, int length, int index, const float* x, int count)
{
  const int first = count > length ? count - length : 0;
  WriteRing<2>(ring, length, Wrap(index - 2 * first - 1, length), x, first, count);
  return Wrap(index - 2 * count, length);
}

// Down rings take a (first, second) pair per call, one slot each; the newest
// (a second) sits at the index. Writes the last count pairs to even/odd
// [0..count), oldest first.
inline void GatherDown(const float* ring, int index, int count, float* even, float* odd)
{
  for (int i = 0; i < count; ++i)
  {
    odd[count - 1 - i] = ring[index + 2 * i];
    even[count - 1 - i] = ring[index + 1 + 2 * i];
  }
}

// The pairs (even[m], odd[m]), m in [0, pairs), as per-sample down calls
// starting at index store them: even[m] at index - 2m - 1, odd[m] one below.
// Of the last length writes the oldest may be an even one whose slot the
// newest odd one takes again: the odd ones are written last.
inline int WriteBackDown(float* ring, int length, int index, const float* even, const float* odd, int pairs)
{
  const int keep = (length + 1) / 2;
  const int first = pairs > keep ? pairs - keep : 0;
  WriteRing<2>(ring, length, Wrap(index - 2 * first - 1, length), even, first, pairs);
  WriteRing<2>(ring, length, Wrap(index - 2 * first - 2, length), odd, first, pairs);
  return Wrap(index - 2 * pairs, length);
}

// The output filter's ring: one slot per input, the newest at the index.
inline void GatherFir(const float* ring, int index, int count, float* dst)
{
  for (int j = 0; j < count; ++j) dst[count - 1 - j] = ring[index + j];
}

inline int WriteBackFir(float* ring, int length, int index, const float* x, int count)
{
  const int first = count > length ? count - length : 0;
  WriteRing<1>(ring, length, Wrap(index - first - 1, length), x, first, count);
  return Wrap(index - count, length);
}

// src[0..count) to dst, whole vectors at a time (both hold whole vectors).
template <class T> inline void CopyBlock(const float* src, float* dst, int count)
{
  for (int i = 0; i < count; i += T::kLanes) T::Store(dst + i, T::Load(src + i));
}

// x / (0.860663 sqrt(1 + 0.35 (x x))) in every lane, or +-kClipLimit with
// the sign of x in the lanes where x is finite and x x overflows (SoftClip).
// Infinite and NaN lanes keep the formula's NaN.
template <class T> inline typename T::V SoftClipVector(typename T::V x)
{
  using V = typename T::V;
  const V square = T::Mul(x, x);
  const V curve = T::Div(
      x, T::Mul(T::Set(kClipScale), T::Sqrt(T::Add(T::Set(1.0f), T::Mul(T::Set(kClipCurve), square)))));
  const V magnitudeMask = T::SetBits(kMagnitudeBits);
  const V infinity = T::SetBits(kInfinityBits);
  // square == inf and |x| < inf, both false for NaN.
  const V overflow = T::And(T::Equal(square, infinity), T::Less(T::And(x, magnitudeMask), infinity));
  const V limit = T::Or(T::AndNot(magnitudeMask, x), T::Set(kClipLimit));
  return T::Or(T::And(overflow, limit), T::AndNot(overflow, curve));
}

// --- Tap loops. x, even, odd point at time 0 of the block; negative indices
// reach into the gathered history.

// What an up-sampling pass stores: both outputs interleaved (stage 1, whose
// output stage 2 takes in time order), or both clipped, apart, with the
// unclipped first outputs kept for the gain-reduction measure (stage 2, whose
// outputs are the clipper's input: clipping here lets the square roots and
// divisions overlap the tap sums).
enum EUpOutput
{
  kUpInterleaved,
  kUpClipped
};

// G vectors of up-sampled outputs starting at input n0.
template <class T, int G, EUpOutput kOutput>
inline void UpVectors(const float* h, int a, const float* x, int n0, float* first, float* second, float* raw)
{
  using V = typename T::V;
  constexpr int L = T::kLanes;
  V acc[G];
  KESTRINE_UNROLL_GROUPS
  for (int g = 0; g < G; ++g) acc[g] = T::Zero();
  for (int k = 0; k < a; ++k)
  {
    const V hk = T::Set(h[2 * k + 1]);
    KESTRINE_UNROLL_GROUPS
    for (int g = 0; g < G; ++g)
    {
      const float* p = x + n0 + g * L;
      acc[g] = T::Add(acc[g], T::Mul(hk, T::Add(T::Load(p - k), T::Load(p - 2 * a + 1 + k))));
    }
  }
  const V hc = T::Set(h[2 * a]);
  KESTRINE_UNROLL_GROUPS
  for (int g = 0; g < G; ++g)
  {
    const int n = n0 + g * L;
    const V f = T::Mul(hc, T::Load(x + n - a));
    if (kOutput == kUpInterleaved)
      T::StoreInterleaved(first + 2 * n, f, acc[g]);
    else
    {
      T::Store(raw + n, f);
      T::Store(first + n, SoftClipVector<T>(f));
      T::Store(second + n, SoftClipVector<T>(acc[g]));
    }
  }
}

// Up-samples x[0..count): interleaved into first[0..2 count), or clipped to
// first[] and second[] with the unclipped first outputs in raw[].
template <class T, EUpOutput kOutput>
inline void UpBlock(const float* h, int a, const float* x, int count, float* first, float* second, float* raw)
{
  constexpr int L = T::kLanes;
  const int end = RoundUp(count, L);
  int n = 0;
  for (; n + kGroups * L <= end; n += kGroups * L)
    UpVectors<T, kGroups, kOutput>(h, a, x, n, first, second, raw);
  for (; n < end; n += L) UpVectors<T, 1, kOutput>(h, a, x, n, first, second, raw);
}

template <class T, int G>
inline void DownVectors(const float* h, int a, const float* even, const float* odd, int m0, float* out)
{
  using V = typename T::V;
  constexpr int L = T::kLanes;
  V acc[G];
  KESTRINE_UNROLL_GROUPS
  for (int g = 0; g < G; ++g) acc[g] = T::Zero();
  for (int k = 0; k < a; ++k)
  {
    const V hk = T::Set(h[2 * k + 1]);
    KESTRINE_UNROLL_GROUPS
    for (int g = 0; g < G; ++g)
    {
      const float* p = odd + m0 + g * L;
      acc[g] = T::Add(acc[g], T::Mul(hk, T::Add(T::Load(p - 1 - k), T::Load(p - 2 * a + k))));
    }
  }
  const V hc = T::Set(h[2 * a]);
  KESTRINE_UNROLL_GROUPS
  for (int g = 0; g < G; ++g)
  {
    const int m = m0 + g * L;
    T::Store(out + m, T::Add(T::Mul(hc, T::Load(even + m - a)), acc[g]));
  }
}

// Down-samples the pairs (even[m], odd[m]), m in [0, count), to out[0..count).
template <class T>
inline void DownBlock(const float* h, int a, const float* even, const float* odd, int count, float* out)
{
  constexpr int L = T::kLanes;
  const int end = RoundUp(count, L);
  int m = 0;
  for (; m + kGroups * L <= end; m += kGroups * L) DownVectors<T, kGroups>(h, a, even, odd, m, out);
  for (; m < end; m += L) DownVectors<T, 1>(h, a, even, odd, m, out);
}

template <class T, int G> inline void FirVectors(const float* h, int half, const float* x, int n0, float* out)
{
  using V = typename T::V;
  constexpr int L = T::kLanes;
  V acc[G];
  KESTRINE_UNROLL_GROUPS
  for (int g = 0; g < G; ++g) acc[g] = T::Zero();
  for (int k = 0; k < half; ++k)
  {
    const V hk = T::Set(h[k]);
    KESTRINE_UNROLL_GROUPS
    for (int g = 0; g < G; ++g)
    {
      const float* p = x + n0 + g * L;
      acc[g] = T::Add(acc[g], T::Mul(hk, T::Add(T::Load(p - 2 * half + k), T::Load(p - k))));
    }
  }
  const V hh = T::Set(h[half]);
  KESTRINE_UNROLL_GROUPS
  for (int g = 0; g < G; ++g)
  {
    const int n = n0 + g * L;
    T::Store(out + n, T::Add(acc[g], T::Mul(hh, T::Load(x + n - half))));
  }
}

template <class T> inline void FirBlock(const float* h, int half, const float* x, int count, float* out)
{
  constexpr int L = T::kLanes;
  const int end = RoundUp(count, L);
  int n = 0;
  for (; n + kGroups * L <= end; n += kGroups * L) FirVectors<T, kGroups>(h, half, x, n, out);
  for (; n < end; n += L) FirVectors<T, 1>(h, half, x, n, out);
}

// --- The clipper and its gain-reduction measure.

// The even entries of p[0..2 count) to out[0..count).
template <class T> inline void EvensBlock(const float* p, int count, float* out)
{
  using V = typename T::V;
  constexpr int L = T::kLanes;
  for (int i = 0; i < count; i += L)
  {
    V even, odd;
    T::LoadDeinterleaved(p + 2 * i, even, odd);
    T::Store(out + i, even);
  }
}

// sample / (clipped 0.860663), or 0 where clipped is exactly 0.
template <class T>
inline void GainReductionBlock(const float* sample, const float* clipped, int count, float* out)
{
  using V = typename T::V;
  constexpr int L = T::kLanes;
  const V scale = T::Set(kClipScale);
  for (int i = 0; i < count; i += L)
  {
    const V c = T::Load(clipped + i);
    T::Store(out + i, T::ZeroWhereZero(c, T::Div(T::Load(sample + i), T::Mul(c, scale))));
  }
}

// --- Scratch layout of the 4x arrangement, one channel at a time.

struct SaturateLayout
{
  int a1, a2;    // stage half orders
  int h1, h2;    // history lengths: 2 a1, 2 a2
  size_t x;      // stage 1 up input: h1 + chunk
  size_t u;      // 2x signal, stage 2 up input: h2 + 2 chunk
  size_t we, wo; // 4x signal, first and second of each pair: h2 + 2 chunk each
  size_t v2;     // stage 2 down output (2x): 2 chunk
  size_t ve, vo; // the same split into pairs, with history: h1 + chunk each
  size_t raw;    // stage 2's first outputs before the clipper: 2 chunk
  size_t p1, c1; // the first 4x sample of each frame, before and after the clipper: chunk each
  size_t total;
};

inline SaturateLayout MakeSaturateLayout(int stage1Length, int stage2Length)
{
  SaturateLayout s;
  s.a1 = (stage1Length - 1) / 4;
  s.a2 = (stage2Length - 1) / 4;
  s.h1 = 2 * s.a1;
  s.h2 = 2 * s.a2;
  const size_t c = kVectorChunkFrames;
  size_t at = 0;
  auto take = [&at](size_t n)
  {
    const size_t start = at;
    at += n + kScratchPad;
    return start;
  };
  s.x = take(s.h1 + c);
  s.u = take(s.h2 + 2 * c);
  s.we = take(s.h2 + 2 * c);
  s.wo = take(s.h2 + 2 * c);
  s.v2 = take(2 * c);
  s.ve = take(s.h1 + c);
  s.vo = take(s.h1 + c);
  s.raw = take(2 * c);
  s.p1 = take(c);
  s.c1 = take(c);
  s.total = at;
  return s;
}

inline size_t FirScratchFloats(int firLength)
{
  return static_cast<size_t>(firLength - 1 + kVectorChunkFrames + kScratchPad);
}

template <class T> size_t ScratchFloats(int stage1Length, int stage2Length, int firLength)
{
  const size_t saturate = MakeSaturateLayout(stage1Length, stage2Length).total;
  const size_t fir = FirScratchFloats(firLength);
  return saturate > fir ? saturate : fir;
}

template <class T>
void Saturate4x(ResamplerRings& s1, ResamplerRings& s2, int channels, int frames, const float* const* in,
                float* const* out, float* const* reduction, float* scratch)
{
  const SaturateLayout s = MakeSaturateLayout(s1.length, s2.length);
  float* x = scratch + s.x + s.h1;
  float* u = scratch + s.u + s.h2;
  float* we = scratch + s.we + s.h2;
  float* wo = scratch + s.wo + s.h2;
  float* v2 = scratch + s.v2;
  float* ve = scratch + s.ve + s.h1;
  float* vo = scratch + s.vo + s.h1;
  float* raw = scratch + s.raw;
  float* p1 = scratch + s.p1;
  float* c1 = scratch + s.c1;
  const int frames2 = 2 * frames;
  const int up1 = *s1.upIndex, down1 = *s1.downIndex, up2 = *s2.upIndex, down2 = *s2.downIndex;

  for (int c = 0; c < channels; ++c)
  {
    // Stage 1 up: host rate to the 2x signal u, interleaved (first, second).
    GatherUp(s1.up[c], up1, s.h1, x - s.h1);
    CopyBlock<T>(in[c], x, frames);
    UpBlock<T, kUpInterleaved>(s1.upCoef, s.a1, x, frames, u, nullptr, nullptr);

    // Stage 2 up: u to the 4x signal, clipped, split into the first (we) and
    // second (wo) sample of each up call, which are the pairs stage 2 down
    // takes. The measure takes each frame's first 4x sample (the first output
    // of the first stage 2 up call) before and after the clipper.
    GatherUp(s2.up[c], up2, s.h2, u - s.h2);
    UpBlock<T, kUpClipped>(s2.upCoef, s.a2, u, frames2, we, wo, raw);
    EvensBlock<T>(raw, frames, p1);
    EvensBlock<T>(we, frames, c1);
    GainReductionBlock<T>(p1, c1, frames, reduction[c]);

    // Stage 2 down: the clipped pairs back to 2x, then split into each frame's
    // (A, B) pair for stage 1 down.
    GatherDown(s2.down[c], down2, s.h2, we - s.h2, wo - s.h2);
    DownBlock<T>(s2.downCoef, s.a2, we, wo, frames2, v2);
    for (int i = 0; i < frames; i += T::kLanes)
    {
      typename T::V even, odd;
      T::LoadDeinterleaved(v2 + 2 * i, even, odd);
      T::Store(ve + i, even);
      T::Store(vo + i, odd);
    }

    // Stage 1 down to the host rate.
    GatherDown(s1.down[c], down1, s.h1, ve - s.h1, vo - s.h1);
    DownBlock<T>(s1.downCoef, s.a1, ve, vo, frames, out[c]);

    // The rings as the per-sample calls would have left them.
    *s1.upIndex = WriteBackUp(s1.up[c], s1.length, up1, x, frames);
    *s2.upIndex = WriteBackUp(s2.up[c], s2.length, up2, u, frames2);
    *s2.downIndex = WriteBackDown(s2.down[c], s2.length, down2, we, wo, frames2);
    *s1.downIndex = WriteBackDown(s1.down[c], s1.length, down1, ve, vo, frames);
  }
}

template <class T>
void LowPassFir(FirRings& f, int channels, int frames, const float* const* in, float* const* out,
                float* scratch)
{
  const int history = f.length - 1;
  float* x = scratch + history;
  const int index = *f.index;
  for (int c = 0; c < channels; ++c)
  {
    GatherFir(f.ring[c], index, history, scratch);
    CopyBlock<T>(in[c], x, frames);
    FirBlock<T>(f.coef, f.half, x, frames, out[c]);
    *f.index = WriteBackFir(f.ring[c], f.length, index, x, frames);
  }
}

} // namespace
