// Fixed stereo delay of a whole number of samples, used for the effect's
// latency-compensated bypass, its dry path and its clean (pre-clipper) path.
//
// Threads: Process, ProcessBlock, SetDelay, Clear and IsFinite run on the
// audio thread and never allocate. SetLength allocates only when the new
// length exceeds the storage reserved so far (Reserve). The effect sizes the
// bypass line to its longest latency at reset and then moves only the read
// point (SetDelay), so a latency change keeps the history and allocates
// nothing.
#pragma once

#include <vector>

class DelayLine
{
public:
  // Nominal length 10 with zeroed storage, so that a line processed before
  // its first SetLength stays inside its buffers.
  DelayLine();

  // Outputs the samples stored delay frames ago and stores the inputs: a
  // delay of exactly GetLength() samples (0 passes the inputs through).
  void Process(float inL, float inR, float& outL, float& outR)
  {
    if (mLength == 0)
    {
      outL = inL;
      outR = inR;
      return;
    }
    outL = mLeft[mRead];
    outR = mRight[mRead];
    mLeft[mPosition] = inL;
    mRight[mPosition] = inR;
    if (++mRead == mSize) mRead = 0;
    if (++mPosition == mSize) mPosition = 0;
  }

  // n frames of Process at once (the block-staged path): out[s] is what
  // Process would have output for in[s]. The outputs must not overlap the
  // inputs.
  void ProcessBlock(const float* inL, const float* inR, float* outL, float* outR, int n);

  // Sets the delay and the storage to n samples, position 0, storage zeroed. Returns false and
  // changes nothing when n is outside 0..kMaxLength.
  bool SetLength(int n);

  // Ensures storage for lengths up to n without changing the current length
  // or contents (allocates; reset only). Returns false for n outside
  // 0..kMaxLength.
  bool Reserve(int n);

  // Sets the delay to n samples without touching the stored samples: the next
  // output is the input of n samples ago. Returns false and changes nothing
  // when n is outside 1..the length last given to SetLength.
  bool SetDelay(int n);

  // Zeroes the stored samples, keeping length and position.
  void Clear();

  // True when every stored sample is finite.
  bool IsFinite() const;

  // The current delay in samples.
  int GetLength() const { return mLength; }

  static constexpr int kMaxLength = 1 << 20;

private:
  std::vector<float> mLeft;
  std::vector<float> mRight;
  int mLength = 0;   // delay
  int mSize = 0;     // ring entries in use (the length last given to SetLength)
  int mPosition = 0; // write index
  int mRead = 0;     // read index, mLength entries behind the write index
};
