// The block-staged FIR routines for SSE2, four lanes: the baseline every
// 64-bit x86 runs.
#include <emmintrin.h>

namespace
{

struct SSE2
{
  using V = __m128;
  static constexpr int kLanes = 4;
  static V Load(const float* p) { return _mm_loadu_ps(p); }
  static void Store(float* p, V v) { _mm_storeu_ps(p, v); }
  static V Set(float x) { return _mm_set1_ps(x); }
  static V Zero() { return _mm_setzero_ps(); }
  static V Add(V a, V b) { return _mm_add_ps(a, b); }
  static V Mul(V a, V b) { return _mm_mul_ps(a, b); }
  static V Div(V a, V b) { return _mm_div_ps(a, b); }
  static V Sqrt(V a) { return _mm_sqrt_ps(a); }
  static V SetBits(unsigned bits) { return _mm_castsi128_ps(_mm_set1_epi32(static_cast<int>(bits))); }
  static V And(V a, V b) { return _mm_and_ps(a, b); }
  static V Or(V a, V b) { return _mm_or_ps(a, b); }
  // ~a & b.
  static V AndNot(V a, V b) { return _mm_andnot_ps(a, b); }
  // All ones where a == b or a < b (ordered: false where either is NaN).
  static V Equal(V a, V b) { return _mm_cmpeq_ps(a, b); }
  static V Less(V a, V b) { return _mm_cmplt_ps(a, b); }
  // value, or +0 in the lanes where test equals 0.
  static V ZeroWhereZero(V test, V value)
  {
    return _mm_andnot_ps(_mm_cmpeq_ps(test, _mm_setzero_ps()), value);
  }
  // Stores a0 b0 a1 b1 ... (2 kLanes floats).
  static void StoreInterleaved(float* p, V a, V b)
  {
    _mm_storeu_ps(p, _mm_unpacklo_ps(a, b));
    _mm_storeu_ps(p + 4, _mm_unpackhi_ps(a, b));
  }
  // Loads 2 kLanes floats and splits them into the even and the odd entries.
  static void LoadDeinterleaved(const float* p, V& even, V& odd)
  {
    const V x = _mm_loadu_ps(p);
    const V y = _mm_loadu_ps(p + 4);
    even = _mm_shuffle_ps(x, y, _MM_SHUFFLE(2, 0, 2, 0));
    odd = _mm_shuffle_ps(x, y, _MM_SHUFFLE(3, 1, 3, 1));
  }
};

} // namespace

#include "KestrineVectorKernels.h"

extern const VectorKernels kVectorKernelsSSE2 = {"SSE2", Saturate4x<SSE2>, LowPassFir<SSE2>,
                                                 ScratchFloats<SSE2>};
