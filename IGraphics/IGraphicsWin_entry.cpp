// The Windows editor's value entry: a native edit control over the control
// whose value is typed. User-interface thread.
#include "IGraphicsWin.h"

#include "IGraphicsWinText.h"

namespace iplug
{
namespace igraphics
{

using wintext::Widen;

// ----- Value entry

void IGraphicsWin::CreatePlatformTextEntry(int valIdx, const ITextStyle& style, const IRect& bounds,
                                           int length, const char* str)
{
  if (mEditWnd || !mWnd) return;
  DWORD align = ES_CENTER;
  if (style.mAlign == kAlignNear) align = ES_LEFT;
  if (style.mAlign == kAlignFar) align = ES_RIGHT;
  const float total = GetTotalScale();
  const int x = static_cast<int>(bounds.L * total);
  const int y = static_cast<int>(bounds.T * total);
  const int w = static_cast<int>(bounds.W() * total) + 1;
  const int h = static_cast<int>(bounds.H() * total) + 1;
  const std::wstring text = Widen(str, 32);
  mEditWnd = CreateWindowW(L"EDIT", text.c_str(),
                           WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | ES_MULTILINE |
                               ES_AUTOHSCROLL | align,
                           x, y, w, h, mWnd, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kEditControlID)),
                           reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(mWnd, GWLP_HINSTANCE)), nullptr);
  if (!mEditWnd) return;
  // The face loaded under the style's font id (else a face of that name),
  // at the entry's height in device pixels.
  LOGFONTW lf = Font::EntryLogFont(style.mFont);
  lf.lfHeight = static_cast<int>(total * style.mSize);
  mEditFont = CreateFontIndirectW(&lf);
  SendMessageW(mEditWnd, WM_SETFONT, reinterpret_cast<WPARAM>(mEditFont), 0);
  mEditParamIdx = valIdx;
  mEditStyle = style;
  mEditRect = bounds;
  SendMessageW(mEditWnd, EM_LIMITTEXT, static_cast<WPARAM>(length > 0 ? length : 0), 0);
  SendMessageW(mEditWnd, EM_SETSEL, 0, -1);
  if (style.mVAlign == kVAlignMiddle)
  {
    RECT fr{0, 0, w, h};
    fr.top = static_cast<LONG>((static_cast<float>(h) - total * style.mSize) / 2.f);
    SendMessageW(mEditWnd, EM_SETRECT, 0, reinterpret_cast<LPARAM>(&fr));
  }
  SetWindowLongPtrW(mEditWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  mEditProc = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(mEditWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&IGraphicsWin::EditProc)));
  SetFocus(mEditWnd);
}

LRESULT CALLBACK IGraphicsWin::EditProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
  auto* self = reinterpret_cast<IGraphicsWin*>(GetWindowLongPtrW(hWnd, GWLP_USERDATA));
  if (!self || !self->mEditProc) return DefWindowProcW(hWnd, msg, wParam, lParam);
  self->HideTooltip(); // a tip over the entry would hide what is typed
  switch (msg)
  {
  case WM_SETFOCUS:
    self->mEditState = kEditFocused;
    break;
  case WM_KILLFOCUS:
    self->mEditState = kEditCommit;
    break;
  case WM_GETDLGCODE:
    if (lParam)
    {
      const MSG* m = reinterpret_cast<const MSG*>(lParam);
      if (m->message == WM_KEYDOWN && m->wParam == VK_RETURN) return DLGC_WANTALLKEYS;
    }
    break;
  case WM_KEYDOWN:
    if (wParam == VK_RETURN)
    {
      self->mEditState = kEditCommit;
      return 0;
    }
    if (wParam == VK_ESCAPE)
    {
      self->mEditState = kEditCancel;
      return 0;
    }
    break;
  case WM_CHAR:
  {
    if (wParam == VK_RETURN || wParam == VK_ESCAPE) return 0;
    if (wParam == VK_BACK) break;
    const IParam* param =
        self->mEditParamIdx >= 0 ? self->GetDelegate()->GetParam(self->mEditParamIdx) : nullptr;
    if (!param) break;
    const wchar_t c = static_cast<wchar_t>(wParam);
    bool ok = c == L'+' || c == L'-' || (c >= L'0' && c <= L'9');
    switch (param->Type())
    {
    case kTypeBool:
    case kTypeInt:
    case kTypeEnum:
      break;
    case kTypeDouble:
      ok = ok || c == L'.';
      break;
    default:
      ok = true;
      break;
    }
    if (!ok) return 0;
    break;
  }
  case WM_COMMAND:
    if (HIWORD(wParam) == 1) self->mEditState = kEditCommit;
    break;
  default:
    break;
  }
  return CallWindowProcW(self->mEditProc, hWnd, msg, wParam, lParam);
}

void IGraphicsWin::DestroyEditWindow()
{
  if (mEditWnd)
  {
    SetWindowLongPtrW(mEditWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(mEditProc));
    DestroyWindow(mEditWnd);
  }
  if (mEditFont) DeleteObject(mEditFont);
  mEditWnd = nullptr;
  mEditFont = nullptr;
  mEditProc = nullptr;
  mEditState = kEditNone;
  mEditParamIdx = -1;
}

void IGraphicsWin::EndPlatformTextEntry()
{
  DestroyEditWindow();
}

} // namespace igraphics
} // namespace iplug
