// The block-staged FIR routines for AVX2, eight lanes. This unit alone is
// compiled with -mavx2 (and without FMA, so no multiply and add can fuse);
// its code runs only after CpuHasAVX2() said yes.
#include <immintrin.h>

#if defined(__FMA__)
#error "the AVX2 routines must be compiled without FMA: fused multiply-adds would change the sums"
#endif

namespace
{

struct AVX2
{
  using V = __m256;
  static constexpr int kLanes = 8;
  static V Load(const float* p) { return _mm256_loadu_ps(p); }
  static void Store(float* p, V v) { _mm256_storeu_ps(p, v); }
  static V Set(float x) { return _mm256_set1_ps(x); }
  static V Zero() { return _mm256_setzero_ps(); }
  static V Add(V a, V b) { return _mm256_add_ps(a, b); }
  static V Mul(V a, V b) { return _mm256_mul_ps(a, b); }
  static V Div(V a, V b) { return _mm256_div_ps(a, b); }
  static V Sqrt(V a) { return _mm256_sqrt_ps(a); }
  static V SetBits(unsigned bits) { return _mm256_castsi256_ps(_mm256_set1_epi32(static_cast<int>(bits))); }
  static V And(V a, V b) { return _mm256_and_ps(a, b); }
  static V Or(V a, V b) { return _mm256_or_ps(a, b); }
  // ~a & b.
  static V AndNot(V a, V b) { return _mm256_andnot_ps(a, b); }
  // All ones where a == b or a < b (ordered, quiet: false where either is
  // NaN, as the scalar compares).
  static V Equal(V a, V b) { return _mm256_cmp_ps(a, b, _CMP_EQ_OQ); }
  static V Less(V a, V b) { return _mm256_cmp_ps(a, b, _CMP_LT_OQ); }
  // value, or +0 in the lanes where test equals 0 (ordered, quiet compare,
  // as the scalar == is).
  static V ZeroWhereZero(V test, V value)
  {
    return _mm256_andnot_ps(_mm256_cmp_ps(test, _mm256_setzero_ps(), _CMP_EQ_OQ), value);
  }
  // Stores a0 b0 a1 b1 ... (2 kLanes floats). unpacklo/hi work within each
  // 128-bit half; the permutes put the halves in order.
  static void StoreInterleaved(float* p, V a, V b)
  {
    const V lo = _mm256_unpacklo_ps(a, b); // a0 b0 a1 b1 | a4 b4 a5 b5
    const V hi = _mm256_unpackhi_ps(a, b); // a2 b2 a3 b3 | a6 b6 a7 b7
    _mm256_storeu_ps(p, _mm256_permute2f128_ps(lo, hi, 0x20));
    _mm256_storeu_ps(p + 8, _mm256_permute2f128_ps(lo, hi, 0x31));
  }
  // Loads 2 kLanes floats and splits them into the even and the odd entries.
  static void LoadDeinterleaved(const float* p, V& even, V& odd)
  {
    const V x = _mm256_loadu_ps(p);
    const V y = _mm256_loadu_ps(p + 8);
    // x0 x2 y0 y2 | x4 x6 y4 y6, then 64-bit blocks reordered 0 2 1 3.
    const V e = _mm256_shuffle_ps(x, y, _MM_SHUFFLE(2, 0, 2, 0));
    const V o = _mm256_shuffle_ps(x, y, _MM_SHUFFLE(3, 1, 3, 1));
    even = _mm256_castpd_ps(_mm256_permute4x64_pd(_mm256_castps_pd(e), _MM_SHUFFLE(3, 1, 2, 0)));
    odd = _mm256_castpd_ps(_mm256_permute4x64_pd(_mm256_castps_pd(o), _MM_SHUFFLE(3, 1, 2, 0)));
  }
};

} // namespace

#include "KestrineVectorKernels.h"

extern const VectorKernels kVectorKernelsAVX2 = {"AVX2", Saturate4x<AVX2>, LowPassFir<AVX2>,
                                                 ScratchFloats<AVX2>};
