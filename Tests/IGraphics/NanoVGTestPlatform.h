// The vector backend under a platform without a window, for the backend's
// picture tests and benchmarks: the caller makes an OpenGL context current
// (the offscreen harness) and drives frames itself. Fonts come from files.
#pragma once

#include "IGraphicsNanoVG.h"
#include "nanovg_gl.h"
#include "nanovg_gl_utils.h"

#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

namespace iplug_test
{

using namespace iplug;
using namespace iplug::igraphics;

// Font bytes held in memory.
class BytesFont : public PlatformFont
{
public:
  explicit BytesFont(std::vector<unsigned char> bytes) : mBytes(std::move(bytes)) {}
  const void* GetData() const override { return mBytes.empty() ? nullptr : mBytes.data(); }
  int GetDataSize() const override { return static_cast<int>(mBytes.size()); }

private:
  std::vector<unsigned char> mBytes;
};

inline std::vector<unsigned char> ReadFileBytes(const std::string& path)
{
  std::ifstream f(path, std::ios::binary);
  return std::vector<unsigned char>(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

// Stands in for the window: a framebuffer of the editor's pixel size, bound
// when the view is made (the backend remembers that binding as the window's
// and presents into it). Needs a current OpenGL context.
struct TestWindowFramebuffer
{
  TestWindowFramebuffer(int w, int h)
      : vg(nvgCreateGL2(0)), fb(vg ? nvgluCreateFramebuffer(vg, w, h, 0) : nullptr)
  {
    nvgluBindFramebuffer(fb);
  }
  ~TestWindowFramebuffer()
  {
    nvgluBindFramebuffer(nullptr);
    if (fb) nvgluDeleteFramebuffer(fb);
    if (vg) nvgDeleteGL2(vg);
  }
  TestWindowFramebuffer(const TestWindowFramebuffer&) = delete;
  TestWindowFramebuffer& operator=(const TestWindowFramebuffer&) = delete;
  NVGcontext* vg;
  NVGLUframebuffer* fb;
};

class NanoVGTestGraphics : public IGraphicsNanoVG
{
public:
  NanoVGTestGraphics(IGEditorDelegate& dlg, int w, int h, float scale) : IGraphicsNanoVG(dlg, w, h, 60, scale)
  {
  }

  // Draws every dirty control (the display tick of a platform).
  bool Tick()
  {
    mRegions.Clear();
    if (!CollectDirtyRegions(mRegions)) return false;
    ClearAllDirty();
    DrawRegions(mRegions);
    return true;
  }

  void GetMouseLocation(float& x, float& y) const override { x = y = 0.f; }
  void HideMouseCursor(bool hide, bool lock) override
  {
    mCursorHidden = hide;
    mCursorLocked = hide && lock;
  }
  void MoveMouseCursor(float, float) override {}
  ECursor SetMouseCursor(ECursor) override { return kCursorArrow; }
  void EndPlatformTextEntry() override {}
  void* OpenWindow(void*) override
  {
    mOpen = true;
    GetDelegate()->RunLayout(this);
    MarkAllDirty();
    GetDelegate()->EditorOpened();
    return this;
  }
  void CloseWindow() override
  {
    mOpen = false;
    RemoveAllControls();
  }
  void* GetWindow() override { return mOpen ? this : nullptr; }
  bool WindowIsOpen() override { return mOpen; }
  bool GetTextFromClipboard(std::string& str) override
  {
    str.clear();
    return false;
  }
  bool SetTextInClipboard(const char*) override { return false; }
  int ShowMessageBox(const char*, const char*, int) override { return 0; }
  void PromptForFile(std::string& fileName, std::string& path, bool, const char*) override
  {
    fileName.clear();
    path.clear();
  }
  bool PromptForDirectory(std::string&) override { return false; }
  bool PromptForColour(IColour&, const char*) override { return false; }
  bool OpenURL(const char*, const char*, const char*, const char*) override { return false; }
  const char* GetPlatformAPIStr() override { return "test"; }
  bool RevealPathInExplorerOrFinder(const char*, bool) override { return false; }
  PlatformFontPtr LoadPlatformFont(const char*, const char*, EFontStyle) override { return nullptr; }
  PlatformFontPtr LoadPlatformFont(const char*, const char* path) override
  {
    std::vector<unsigned char> bytes = ReadFileBytes(path);
    if (bytes.empty()) return nullptr;
    return std::make_unique<BytesFont>(std::move(bytes));
  }
  PlatformFontPtr LoadPlatformFont(const char*, const void* data, int dataSize) override
  {
    if (!data || dataSize <= 0) return nullptr;
    const auto* p = static_cast<const unsigned char*>(data);
    return std::make_unique<BytesFont>(std::vector<unsigned char>(p, p + dataSize));
  }
  void CachePlatformFont(const char*, const PlatformFontPtr&) override {}
  void CreatePlatformTextEntry(int, const ITextStyle&, const IRect&, int, const char*) override {}
  IMenu* CreatePlatformPopupMenu(IMenu&, const IRect&, bool& isAsync) override
  {
    isAsync = false;
    return nullptr;
  }
  void PlatformResize(bool) override {}

private:
  bool mOpen = false;
  IRectList mRegions;
};

// A control that draws with a callable.
class LambdaControl : public IControl
{
public:
  LambdaControl(const IRect& r, std::function<void(IGraphics&, const IRect&)> draw)
      : IControl(r), mDraw(std::move(draw))
  {
  }
  void Draw(IGraphics& g) override { mDraw(g, mRect); }
  std::function<void(IGraphics&, const IRect&)> mDraw;
};

} // namespace iplug_test
