// The Windows editor's display clock: a thread that waits for the display's
// vertical blank and posts a tick to the window, or a 15 ms timer where that
// cannot run; each tick draws the dirty controls.
#include "IGraphicsWin.h"

#include "IGraphicsWinText.h"

#include "IPlugLogger.h"

#include <cstring>

namespace iplug
{
namespace igraphics
{

using wintext::Narrow;

namespace
{
// The D3DKMT records the vertical-blank thread uses (kernel-mode thunks of
// gdi32, looked up at run time).
struct KmtOpenAdapterFromHdc
{
  HDC hDc;
  UINT hAdapter;
  LUID AdapterLuid;
  UINT VidPnSourceId;
};
struct KmtCloseAdapter
{
  UINT hAdapter;
};
struct KmtWaitForVerticalBlankEvent
{
  UINT hAdapter;
  UINT hDevice;
  UINT VidPnSourceId;
};
using KmtOpenFn = LONG(APIENTRY*)(KmtOpenAdapterFromHdc*);
using KmtCloseFn = LONG(APIENTRY*)(const KmtCloseAdapter*);
using KmtWaitFn = LONG(APIENTRY*)(const KmtWaitForVerticalBlankEvent*);
} // namespace

// ----- Display clock

void IGraphicsWin::StartDisplayClock()
{
  if (mVBlankMode)
  {
    mVBlankStop = false;
    mVBlankThread = CreateThread(nullptr, 0, VBlankThreadProc, this, 0, nullptr);
    if (mVBlankThread) return;
    mVBlankMode = false;
  }
  mTimerRunning = SetTimer(mWnd, kDisplayTimerID, TimerPeriodMs(FPS()), nullptr) != 0;
}

void IGraphicsWin::StopDisplayClock()
{
  if (mVBlankThread)
  {
    mVBlankStop = true;
    if (WaitForSingleObject(mVBlankThread, 10000) != WAIT_OBJECT_0)
      Trace(TRACELOC, "the vertical-blank thread did not stop within 10 s");
    CloseHandle(mVBlankThread);
    mVBlankThread = nullptr;
  }
  if (mTimerRunning && mWnd) KillTimer(mWnd, kDisplayTimerID);
  mTimerRunning = false;
}

// Vertical-blank thread: waits for the monitor's blank (or sleeps 16 ms when
// that cannot be done) and posts the counter to the window. It touches
// nothing but its own adapter handle, the counter and the stop flag.
DWORD WINAPI IGraphicsWin::VBlankThreadProc(LPVOID param)
{
  auto* self = static_cast<IGraphicsWin*>(param);
  SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_TIME_CRITICAL);
  HMODULE gdi = LoadLibraryW(L"gdi32.dll");
  KmtOpenFn open = nullptr;
  KmtCloseFn close = nullptr;
  KmtWaitFn wait = nullptr;
  if (gdi)
  {
    open =
        reinterpret_cast<KmtOpenFn>(reinterpret_cast<void*>(GetProcAddress(gdi, "D3DKMTOpenAdapterFromHdc")));
    close = reinterpret_cast<KmtCloseFn>(reinterpret_cast<void*>(GetProcAddress(gdi, "D3DKMTCloseAdapter")));
    wait = reinterpret_cast<KmtWaitFn>(
        reinterpret_cast<void*>(GetProcAddress(gdi, "D3DKMTWaitForVerticalBlankEvent")));
  }
  const bool functions = open && close && wait;
  self->mVBlankFunctions = functions;
  bool adapterOpen = false;
  KmtOpenAdapterFromHdc adapter{};
  DWORD lastFailure = 0;
  bool failedBefore = false;
  const HWND wnd = self->mWnd;
  const HDC dc = self->mDC;
  while (!self->mVBlankStop.load())
  {
    if (!functions)
      Sleep(16);
    else if (!adapterOpen)
    {
      if (failedBefore && GetTickCount() - lastFailure < 1000)
        Sleep(16);
      else
      {
        adapter = {};
        adapter.hDc = dc;
        if (open(&adapter) == 0)
          adapterOpen = true;
        else
        {
          failedBefore = true;
          lastFailure = GetTickCount();
          Sleep(16);
        }
      }
    }
    else
    {
      KmtWaitForVerticalBlankEvent w{};
      w.hAdapter = adapter.hAdapter;
      w.VidPnSourceId = adapter.VidPnSourceId;
      if (wait(&w) == 0)
        ++self->mVBlankWaits;
      else
      {
        KmtCloseAdapter c{adapter.hAdapter};
        close(&c);
        adapterOpen = false;
        Sleep(16);
      }
    }
    const unsigned count = ++self->mVBlankCount;
    PostMessageW(wnd, kVBlankMessage, static_cast<WPARAM>(count), 0);
  }
  if (adapterOpen)
  {
    KmtCloseAdapter c{adapter.hAdapter};
    close(&c);
  }
  if (gdi) FreeLibrary(gdi);
  return 0;
}

void IGraphicsWin::OnDisplayTick(unsigned n)
{
  if (!mWnd) return;
  if (mVBlankMode)
  {
    const unsigned now = mVBlankCount.load();
    if (mVBlankSkipUntil && now < mVBlankSkipUntil) return;
    mVBlankSkipUntil = 0;
    if (n != now) return; // a stale message
  }
  if (mEditWnd)
  {
    if (mEditState == kEditCancel)
    {
      DestroyEditWindow();
      CancelTextEntry();
    }
    else if (mEditState == kEditCommit)
    {
      wchar_t text[257] = {};
      GetWindowTextW(mEditWnd, text, 257);
      const std::string utf8 = Narrow(text);
      DestroyEditWindow();
      ApplyTextEntryResult(utf8.c_str());
    }
    else if (mEditState != kEditNone)
      mEditState = kEditNone;
    return;
  }
  if (!GetCapture())
  {
    const float scale = WindowScaleOf(mWnd);
    if (scale != GetScreenScale()) ApplyScreenScale(scale);
  }
  IRectList rects;
  if (!CollectDirtyRegions(rects)) return;
  ClearAllDirty();
  const float total = GetTotalScale();
  for (int i = 0; i < rects.Size(); ++i)
  {
    const IRect& r = rects.Get(i);
    RECT dr{static_cast<LONG>(std::floor(r.L * total)), static_cast<LONG>(std::floor(r.T * total)),
            static_cast<LONG>(std::ceil(r.R * total)), static_cast<LONG>(std::ceil(r.B * total))};
    InvalidateRect(mWnd, &dr, FALSE);
  }
  const unsigned before = mVBlankCount.load();
  UpdateWindow(mWnd);
  if (mVBlankMode && mVBlankCount.load() != before) mVBlankSkipUntil = mVBlankCount.load() + 1;
}

void IGraphicsWin::Paint()
{
  HRGN region = CreateRectRgn(0, 0, 0, 0);
  const int kind = GetUpdateRgn(mWnd, region, FALSE);
  if (kind == NULLREGION || kind == ERROR)
  {
    DeleteObject(region);
    ValidateRect(mWnd, nullptr);
    return;
  }
  const float total = GetTotalScale();
  IRectList rects;
  auto add = [&](const RECT& r)
  {
    rects.Add(IRect(
        std::floor(static_cast<float>(r.left) / total), std::floor(static_cast<float>(r.top) / total),
        std::ceil(static_cast<float>(r.right) / total), std::ceil(static_cast<float>(r.bottom) / total)));
  };
  bool done = false;
  if (kind == COMPLEXREGION)
  {
    const DWORD size = GetRegionData(region, 0, nullptr);
    if (size > 0 && size <= 1024)
    {
      alignas(RGNDATA) unsigned char buffer[1024];
      auto* data = reinterpret_cast<RGNDATA*>(buffer);
      if (GetRegionData(region, size, data))
      {
        const RECT* r = reinterpret_cast<const RECT*>(data->Buffer);
        for (DWORD i = 0; i < data->rdh.nCount; ++i) add(r[i]);
        done = true;
      }
    }
  }
  if (!done)
  {
    RECT box{};
    GetRgnBox(region, &box);
    add(box);
  }
  DeleteObject(region);
  PAINTSTRUCT ps;
  BeginPaint(mWnd, &ps);
  if (mGLRC)
  {
    ActivateGLContext();
    DrawRegions(rects);
    SwapBuffers(mDC);
    DeactivateGLContext();
  }
  EndPaint(mWnd, &ps);
  ValidateRect(mWnd, nullptr);
}

} // namespace igraphics
} // namespace iplug
