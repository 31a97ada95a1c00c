// Bodies of the value types in IGraphicsStructs.h that are more than a line.

#include "IGraphicsStructs.h"

#include <cmath>
#include <cstddef>

namespace iplug
{
namespace igraphics
{

IRect IRectList::Bounds() const
{
  IRect r;
  for (const IRect& each : mRects) r = r.Union(each);
  return r;
}

void IRectList::PixelAlign(float scale)
{
  for (IRect& r : mRects) r = r.GetPixelAligned(scale);
}

void IRectList::Optimize()
{
  bool merged = true;
  while (merged)
  {
    merged = false;
    for (size_t i = 0; i < mRects.size() && !merged; ++i)
      for (size_t j = i + 1; j < mRects.size(); ++j)
        if (mRects[i].Intersects(mRects[j]))
        {
          mRects[i] = mRects[i].Union(mRects[j]);
          mRects.erase(mRects.begin() + static_cast<std::ptrdiff_t>(j));
          merged = true;
          break;
        }
  }
}

IMatrix& IMatrix::Transform(const IMatrix& m)
{
  IMatrix p = *this;
  mXX = m.mXX * p.mXX + m.mYX * p.mXY;
  mYX = m.mXX * p.mYX + m.mYX * p.mYY;
  mXY = m.mXY * p.mXX + m.mYY * p.mXY;
  mYY = m.mXY * p.mYX + m.mYY * p.mYY;
  mTX = m.mTX * p.mXX + m.mTY * p.mXY + p.mTX;
  mTY = m.mTX * p.mYX + m.mTY * p.mYY + p.mTY;
  return *this;
}

IMatrix& IMatrix::Rotate(float angle)
{
  double rad = angle * 3.14159265358979323846 / 180.0;
  double c = std::cos(rad);
  double s = std::sin(rad);
  return Transform(IMatrix(c, s, -s, c, 0, 0));
}

} // namespace igraphics
} // namespace iplug
