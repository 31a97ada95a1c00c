// Native popup menus of the Windows editor, built from IMenu. User-interface
// thread.
#include "IGraphicsWin.h"

#include "IGraphicsWinText.h"

namespace iplug
{
namespace igraphics
{

using wintext::Widen;

std::string IGraphicsWin::MenuItemText(const IMenu& menu, int idx)
{
  const char* text = menu.GetItemText(idx);
  const int prefix = menu.GetPrefix();
  if (prefix >= 1 && prefix <= 3)
  {
    static const char* const formats[] = {"%1d: %s", "%02d: %s", "%03d: %s"};
    const int n = std::snprintf(nullptr, 0, formats[prefix - 1], idx + 1, text);
    std::string out(static_cast<size_t>(n > 0 ? n : 0) + 1, '\0');
    std::snprintf(&out[0], out.size(), formats[prefix - 1], idx + 1, text);
    out.resize(out.size() - 1);
    return out;
  }
  std::string out;
  for (const char* c = text; *c; ++c)
  {
    out.push_back(*c);
    if (*c == '&') out.push_back('&');
  }
  return out;
}

HMENU IGraphicsWin::BuildNativeMenu(IMenu& menu, std::vector<std::pair<IMenu*, int>>& items)
{
  HMENU native = CreatePopupMenu();
  const int count = menu.NItems();
  const int column = menu.GetColumnLength();
  for (int i = 0; i < count; ++i)
  {
    const IMenu::Item* item = menu.GetItem(i);
    UINT flags = MF_STRING;
    if (count < 160 && column > 0 && i > 0 && i % column == 0) flags |= MF_MENUBARBREAK;
    if (item->GetIsSeparator())
    {
      AppendMenuW(native, MF_SEPARATOR | (flags & MF_MENUBARBREAK), 0, nullptr);
      continue;
    }
    if (!item->GetEnabled() || item->GetIsTitle()) flags |= MF_DISABLED | MF_GRAYED;
    if (item->GetChecked()) flags |= MF_CHECKED;
    const std::wstring text = Widen(MenuItemText(menu, i).c_str());
    if (IMenu* sub = item->GetSubmenu())
    {
      HMENU nested = BuildNativeMenu(*sub, items);
      AppendMenuW(native, flags | MF_POPUP, reinterpret_cast<UINT_PTR>(nested), text.c_str());
      continue;
    }
    items.emplace_back(&menu, i);
    AppendMenuW(native, flags, static_cast<UINT_PTR>(items.size()), text.c_str());
  }
  return native;
}

IMenu* IGraphicsWin::CreatePlatformPopupMenu(IMenu& menu, const IRect& bounds, bool& isAsync)
{
  isAsync = false; // tracked here until the user chooses or dismisses
  if (!mWnd) return nullptr;
  std::vector<std::pair<IMenu*, int>> items;
  HMENU native = BuildNativeMenu(menu, items);
  const float total = GetTotalScale();
  POINT p{static_cast<LONG>(std::lround(bounds.L * total)), static_cast<LONG>(std::lround(bounds.B * total))};
  ClientToScreen(mWnd, &p);
  const int id = static_cast<int>(
      TrackPopupMenu(native, TPM_LEFTBUTTON | TPM_RETURNCMD | TPM_NONOTIFY, p.x, p.y, 0, mWnd, nullptr));
  IMenu* result = nullptr;
  if (id > 0 && static_cast<size_t>(id) <= items.size())
  {
    result = items[static_cast<size_t>(id - 1)].first;
    result->SetChosenItemIdx(items[static_cast<size_t>(id - 1)].second);
    if (result->HasFunction()) result->ExecFunction();
  }
  DestroyMenu(native);
  InvalidateRect(mWnd, nullptr, FALSE);
  return result;
}

} // namespace igraphics
} // namespace iplug
