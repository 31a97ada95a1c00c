#include "TestGraphics.h"

#include "IGraphicsImageDecode.h"

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>

namespace iplug_test
{

namespace
{
uint32_t Crc32(const uint8_t* p, size_t n)
{
  uint32_t crc = 0xFFFFFFFFu;
  for (size_t i = 0; i < n; ++i)
  {
    crc ^= p[i];
    for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return ~crc;
}

void PutBE32(std::vector<uint8_t>& out, uint32_t v)
{
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(v >> shift));
}
} // namespace

std::vector<uint8_t> PngHeader(uint32_t width, uint32_t height)
{
  std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  PutBE32(png, 13);
  size_t chunk = png.size();
  for (char c : {'I', 'H', 'D', 'R'}) png.push_back(static_cast<uint8_t>(c));
  PutBE32(png, width);
  PutBE32(png, height);
  for (uint8_t b : {8, 6, 0, 0, 0}) png.push_back(b); // 8-bit RGBA, no interlace
  PutBE32(png, Crc32(png.data() + chunk, png.size() - chunk));
  return png;
}

TempFolder::TempFolder()
{
  static std::atomic<int> counter{0};
  std::filesystem::path path =
      std::filesystem::temp_directory_path() /
      ("kestrine-gfx-" + std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()) + "-" +
       std::to_string(counter++));
  std::filesystem::create_directories(path);
  mPath = path.generic_string();
}

TempFolder::~TempFolder()
{
  std::error_code ec;
  std::filesystem::remove_all(mPath, ec);
}

std::string TempFolder::Write(const std::string& name, const std::vector<uint8_t>& bytes) const
{
  std::string path = Path(name);
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return path;
}

APIBitmap* RecordingBackend::LoadAPIBitmap(const char* name, const void* data, int dataSize, int scale)
{
  Record("LoadAPIBitmap", {static_cast<float>(scale)}, IColour(), 1.f, name ? name : "");
  int w = 0, h = 0;
  if (!ReadImageSize(data, static_cast<size_t>(std::max(dataSize, 0)), w, h)) return nullptr;
  return new APIBitmap(++mNextImage, w, h, static_cast<float>(scale));
}

APIBitmap* RecordingBackend::LoadAPIBitmap(const char* fileNameOrResID, int scale, EResourceLocation location,
                                           const char* ext)
{
  Record("LoadAPIBitmap", {static_cast<float>(scale)}, IColour(), 1.f,
         fileNameOrResID ? fileNameOrResID : "");
  std::vector<uint8_t> storage;
  const void* data = nullptr;
  size_t size = 0;
  int w = 0, h = 0;
  if (!LoadResourceBytes(fileNameOrResID, location, ext, storage, data, size) ||
      !ReadImageSize(data, size, w, h))
    return nullptr;
  return new APIBitmap(++mNextImage, w, h, static_cast<float>(scale));
}

std::vector<DrawCall> RecordingBackend::Calls(const std::string& op) const
{
  std::vector<DrawCall> out;
  for (const DrawCall& c : mCalls)
    if (c.op == op) out.push_back(c);
  return out;
}

void RecordingBackend::DrawBitmap(const IBitmapRef& bitmap, const IRect& r, int srcX, int srcY,
                                  const IBlendMode* blend)
{
  Record("DrawBitmap", {r.L, r.T, r.R, r.B, static_cast<float>(srcX), static_cast<float>(srcY)}, IColour(),
         BlendWeight(blend), bitmap.mResourceName);
}

void RecordingBackend::PathStroke(const IPattern& pattern, float thickness, const IStrokeOptions&,
                                  const IBlendMode* blend)
{
  Record("PathStroke", {thickness}, pattern.GetStopColour(0), BlendWeight(blend));
}

void RecordingBackend::PathFill(const IPattern& pattern, const IFillOptions&, const IBlendMode* blend)
{
  Record("PathFill", {}, pattern.GetStopColour(0), BlendWeight(blend));
}

void RecordingBackend::PathTransformSetMatrix(const IMatrix& m)
{
  Record("PathTransformSetMatrix",
         {static_cast<float>(m.mXX), static_cast<float>(m.mYX), static_cast<float>(m.mXY),
          static_cast<float>(m.mYY), static_cast<float>(m.mTX), static_cast<float>(m.mTY)});
}

float RecordingBackend::DoMeasureText(const ITextStyle& style, const char* str, IRect& bounds) const
{
  // Half the font size per character: enough for layout arithmetic in tests.
  float w = 0.5f * style.mSize * static_cast<float>(std::string(str).size());
  bounds = IRect(0.f, 0.f, w, style.mSize);
  return w;
}

void RecordingBackend::DoDrawText(const ITextStyle& style, const char* str, const IRect& bounds,
                                  const IBlendMode* blend)
{
  Record("DrawText", {bounds.L, bounds.T, bounds.R, bounds.B}, style.mColour, BlendWeight(blend), str);
}

void* TestGraphics::OpenWindow(void*)
{
  mWindowOpen = true;
  GetDelegate()->RunLayout(this);
  MarkAllDirty();
  GetDelegate()->EditorOpened();
  return this;
}

IMenu* TestGraphics::CreatePlatformPopupMenu(IMenu& menu, const IRect& bounds, bool& isAsync)
{
  MenuRequest request;
  request.bounds = bounds;
  for (int i = 0; i < menu.NItems(); ++i)
  {
    request.items.push_back(menu.GetItemText(i));
    request.checked.push_back(menu.GetItem(i)->GetChecked());
  }
  mMenus.push_back(request);
  isAsync = mMenuAsync;
  if (mMenuAsync || mMenuAnswer < 0 || mMenuAnswer >= menu.NItems()) return nullptr;
  menu.SetChosenItemIdx(mMenuAnswer);
  menu.ExecFunction();
  return &menu;
}

namespace
{
IMouseInfo Info(float x, float y, float dx, float dy, const IMouseMods& mods)
{
  IMouseInfo info;
  info.x = x;
  info.y = y;
  info.dX = dx;
  info.dY = dy;
  info.ms = mods;
  return info;
}
} // namespace

void TestGraphics::Down(float x, float y, const IMouseMods& mods)
{
  OnMouseDown({Info(x, y, 0.f, 0.f, mods)});
}

void TestGraphics::Up(float x, float y, const IMouseMods& mods)
{
  OnMouseUp({Info(x, y, 0.f, 0.f, mods)});
}

void TestGraphics::Drag(float x, float y, float dx, float dy, const IMouseMods& mods)
{
  OnMouseDrag({Info(x, y, dx, dy, mods)});
}

} // namespace iplug_test
