#include "KestrineVector.h"

namespace
{
bool DetectAVX2()
{
  // The compiler's CPU model checks the CPUID feature bit and that the
  // operating system saves the AVX registers (XGETBV).
  __builtin_cpu_init();
  return __builtin_cpu_supports("avx2") != 0;
}
} // namespace

bool CpuHasAVX2()
{
  static const bool has = DetectAVX2();
  return has;
}

const VectorKernels& VectorKernelsForCpu()
{
  return CpuHasAVX2() ? kVectorKernelsAVX2 : kVectorKernelsSSE2;
}
