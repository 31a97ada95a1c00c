// Block-staged processing of the effect's FIR stages (the two half-band
// resamplers around the clipper and the exciter's output filter), vectorised
// across time and bit-identical to the per-sample code.
//
// The per-sample code accumulates every tap sum one tap after another, so each
// output waits on the latency of a float add. The outputs of an FIR at
// consecutive times do not depend on each other, though, so a block can run
// stage by stage (stage 1 up for the whole block, stage 2 up, the clipper,
// stage 2 down, stage 1 down) with each vector lane computing its own output's
// sum in exactly the per-sample order: same products, same pairs, accumulated
// from 0 tap by tap, no fused multiply-add, no reassociation.
//
// The routines work on the resamplers' and the filter's own rings (gathering
// the history they need, writing the block's samples back at the positions
// the per-sample calls would have used), so both paths share one state and a
// block of either kind can follow a block of the other.
//
// One set of routines per instruction set: SSE2 (every 64-bit x86) and AVX2,
// each in its own translation unit; VectorKernelsForCpu picks at run time.
//
// Threads: the routines run on the audio thread; they never allocate, lock or
// call the system. The scratch memory is the caller's, sized at reset with
// VectorScratchFloats.
#pragma once

#include <cstddef>

// Frames per call of the routines: at most this many, so that every buffer a
// routine touches has a fixed size. A multiple of every lane count. Each call
// gathers the rings' history and writes its samples back, which costs less
// per frame the longer the sub-block (at 64 frames the effect takes about a
// quarter more time than at 256, at 128 a few percent more); 256 frames of
// every intermediate signal still fit the first-level data cache.
constexpr int kVectorChunkFrames = 256;

// One half-band resampler's state as the routines see it (see
// HalfBandResampler): doubled rings of 2 x length entries per channel, the
// two kernels and the write positions shared by both channels.
struct ResamplerRings
{
  float* up[2];
  float* down[2];
  const float* upCoef;
  const float* downCoef;
  int* upIndex;
  int* downIndex;
  int length; // 4a + 1
  int centre; // 2a
};

// The exciter output filter's state (see LowPassFIR).
struct FirRings
{
  float* ring[2];
  const float* coef;
  int* index;
  int length; // 2h + 1
  int half;   // h
};

// The routines of one instruction set.
struct VectorKernels
{
  const char* name;

  // The 4x arrangement over frames (1..kVectorChunkFrames) host-rate samples
  // per channel (1 or 2): stage 1 up, stage 2 up, SoftClip on every 4x
  // sample, stage 2 down, stage 1 down. out receives the saturated samples,
  // reduction the gain-reduction measure of each frame's first 4x sample.
  // out and reduction must hold kVectorChunkFrames floats per channel (the
  // entries past frames are overwritten with values of no meaning).
  void (*saturate4x)(ResamplerRings& stage1, ResamplerRings& stage2, int channels, int frames,
                     const float* const* in, float* const* out, float* const* reduction, float* scratch);

  // The output low-pass over frames (1..kVectorChunkFrames) samples per
  // channel; out must hold kVectorChunkFrames floats per channel.
  void (*lowPassFir)(FirRings& fir, int channels, int frames, const float* const* in, float* const* out,
                     float* scratch);

  // Scratch floats the two routines need for filters of these lengths.
  size_t (*scratchFloats)(int stage1Length, int stage2Length, int firLength);
};

// The two sets. Constant data; the AVX2 set may only be used where the CPU
// and the operating system support AVX2 (VectorKernelsForCpu checks).
extern const VectorKernels kVectorKernelsSSE2;
extern const VectorKernels kVectorKernelsAVX2;

// True when this CPU (and its operating system) runs AVX2 code. Any thread;
// the answer is computed once, at the first call (not from the audio thread).
bool CpuHasAVX2();

// The fastest set this CPU runs.
const VectorKernels& VectorKernelsForCpu();
