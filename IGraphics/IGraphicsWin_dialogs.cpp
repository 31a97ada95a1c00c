// Message boxes, file, folder and colour dialogs, and the shell calls
// (opening URLs, revealing files) of the Windows editor. User-interface
// thread; each dialog runs a modal loop of its own.
#include "IGraphicsWin.h"

#include "IGraphicsWinText.h"

#include <commdlg.h>
#include <shellapi.h>
#include <shlobj.h>
#include <wininet.h>

#include <cstring>

namespace iplug
{
namespace igraphics
{

using wintext::Narrow;
using wintext::Widen;

// ----- Dialogs and shell

int IGraphicsWin::ShowMessageBox(const char* str, const char* caption, int type)
{
  HWND owner = mWnd ? GetAncestor(mWnd, GA_ROOT) : nullptr;
  return MessageBoxW(owner, Widen(str).c_str(), Widen(caption).c_str(), static_cast<UINT>(type));
}

void IGraphicsWin::PromptForFile(std::string& fileName, std::string& path, bool save, const char* ext)
{
  wchar_t file[MAX_PATH] = {};
  const std::wstring start = Widen(fileName.c_str());
  lstrcpynW(file, start.c_str(), MAX_PATH);
  const std::wstring dir = Widen(path.c_str());
  const std::wstring extension = Widen(ext);
  std::wstring filter;
  if (!extension.empty())
  {
    filter = L"*." + extension;
    filter.push_back(L'\0');
    filter += L"*." + extension;
    filter.push_back(L'\0');
  }
  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof(ofn);
  ofn.hwndOwner = mWnd ? GetAncestor(mWnd, GA_ROOT) : nullptr;
  ofn.lpstrFile = file;
  ofn.nMaxFile = MAX_PATH;
  ofn.lpstrFilter = filter.empty() ? nullptr : filter.c_str();
  ofn.lpstrInitialDir = dir.empty() ? nullptr : dir.c_str();
  ofn.lpstrDefExt = extension.empty() ? nullptr : extension.c_str();
  ofn.Flags = OFN_PATHMUSTEXIST | OFN_EXPLORER | (save ? OFN_OVERWRITEPROMPT : OFN_FILEMUSTEXIST);
  const BOOL ok = save ? GetSaveFileNameW(&ofn) : GetOpenFileNameW(&ofn);
  fileName.clear();
  path.clear();
  if (!ok) return;
  fileName = Narrow(file);
  path = fileName.substr(0, ofn.nFileOffset);
}

bool IGraphicsWin::PromptForDirectory(std::string& dir)
{
  BROWSEINFOW bi{};
  bi.hwndOwner = mWnd ? GetAncestor(mWnd, GA_ROOT) : nullptr;
  bi.lpszTitle = L"Choose a Directory";
  bi.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
  dir.clear();
  PIDLIST_ABSOLUTE list = SHBrowseForFolderW(&bi);
  if (!list) return false;
  wchar_t buffer[MAX_PATH] = {};
  const bool ok = SHGetPathFromIDListW(list, buffer) != FALSE;
  CoTaskMemFree(list);
  if (ok) dir = Narrow(buffer);
  return ok;
}

namespace
{
struct ColourPromptData
{
  std::wstring title;
  COLORREF initial;
};

UINT_PTR CALLBACK ColourHook(HWND dlg, UINT msg, WPARAM, LPARAM lParam)
{
  if (msg == WM_INITDIALOG)
  {
    const auto* cc = reinterpret_cast<const CHOOSECOLORW*>(lParam);
    const auto* data = reinterpret_cast<const ColourPromptData*>(cc->lCustData);
    if (!data->title.empty()) SetWindowTextW(dlg, data->title.c_str());
    const UINT setRGB = RegisterWindowMessageW(L"commdlg_SetRGBColor");
    SendMessageW(dlg, setRGB, 0, static_cast<LPARAM>(data->initial));
  }
  return 0;
}
} // namespace

bool IGraphicsWin::PromptForColour(IColour& colour, const char* prompt)
{
  static COLORREF custom[16] = {}; // the dialog's custom colours, kept between prompts (UI thread)
  ColourPromptData data{Widen(prompt), RGB(colour.R, colour.G, colour.B)};
  CHOOSECOLORW cc{};
  cc.lStructSize = sizeof(cc);
  cc.hwndOwner = mWnd ? GetAncestor(mWnd, GA_ROOT) : nullptr;
  cc.rgbResult = data.initial;
  cc.lpCustColors = custom;
  cc.Flags = CC_ANYCOLOR | CC_FULLOPEN | CC_SOLIDCOLOR | CC_RGBINIT | CC_ENABLEHOOK;
  cc.lpfnHook = ColourHook;
  cc.lCustData = reinterpret_cast<LPARAM>(&data);
  if (!ChooseColorW(&cc)) return false;
  colour.R = GetRValue(cc.rgbResult);
  colour.G = GetGValue(cc.rgbResult);
  colour.B = GetBValue(cc.rgbResult);
  return true;
}

bool IGraphicsWin::OpenURL(const char* url, const char* msgWindowTitle, const char* confirmMsg,
                           const char* errMsgOnFailure)
{
  if (!url || !*url) return false;
  if (confirmMsg && ShowMessageBox(confirmMsg, msgWindowTitle, MB_YESNO) != IDYES) return false;
  DWORD flags = 0;
  if (InternetGetConnectedState(&flags, 0))
  {
    const auto result = reinterpret_cast<INT_PTR>(
        ShellExecuteW(mWnd, L"open", Widen(url).c_str(), nullptr, nullptr, SW_SHOWNORMAL));
    if (result > 32) return true;
  }
  if (errMsgOnFailure) ShowMessageBox(errMsgOnFailure, msgWindowTitle, MB_OK);
  return false;
}

bool IGraphicsWin::RevealPathInExplorerOrFinder(const char* path, bool select)
{
  if (!path || !*path) return false;
  const std::wstring p = Widen(path);
  const std::wstring args = select ? L"/select," + p : p;
  const auto result = reinterpret_cast<INT_PTR>(
      ShellExecuteW(mWnd, L"open", L"explorer.exe", args.c_str(), nullptr, SW_SHOWNORMAL));
  return result > 32;
}

} // namespace igraphics
} // namespace iplug
