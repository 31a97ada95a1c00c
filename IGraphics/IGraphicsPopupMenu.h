// A popup menu: the record behind value prompts and context menus. Items
// carry text, flags and an optional submenu (owned by the item). The menu's
// callable runs when one of its items is chosen. User-interface thread only.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace iplug
{
namespace igraphics
{

class IMenu
{
public:
  enum EItemFlags
  {
    kNoFlags = 0,
    kDisabled = 1, // shown grey, not selectable
    kTitle = 2,    // not selectable, shown normally
    kChecked = 4,
    kSeparator = 8
  };

  class Item
  {
  public:
    Item(const char* text, int flags = kNoFlags, IMenu* submenu = nullptr)
        : mText(text ? text : ""), mFlags(flags), mSubmenu(submenu)
    {
    }
    const char* GetText() const { return mText.c_str(); }
    int GetFlags() const { return mFlags; }
    bool GetEnabled() const { return (mFlags & kDisabled) == 0; }
    bool GetChecked() const { return (mFlags & kChecked) != 0; }
    bool GetIsTitle() const { return (mFlags & kTitle) != 0; }
    bool GetIsSeparator() const { return (mFlags & kSeparator) != 0; }
    bool GetIsChoosable() const { return (mFlags & (kDisabled | kTitle | kSeparator)) == 0 && !mSubmenu; }
    IMenu* GetSubmenu() const { return mSubmenu.get(); }
    void SetChecked(bool checked) { mFlags = checked ? (mFlags | kChecked) : (mFlags & ~kChecked); }
    void SetEnabled(bool enabled) { mFlags = enabled ? (mFlags & ~kDisabled) : (mFlags | kDisabled); }

  private:
    std::string mText;
    int mFlags;
    std::unique_ptr<IMenu> mSubmenu;
  };

  using MenuFunc = std::function<void(IMenu*)>;

  explicit IMenu(const char* title = "") : mTitle(title ? title : "") {}
  IMenu(const IMenu&) = delete;
  IMenu& operator=(const IMenu&) = delete;

  // Takes ownership of submenu.
  Item* AddItem(const char* text, int flags = kNoFlags, IMenu* submenu = nullptr)
  {
    mItems.push_back(std::make_unique<Item>(text, flags, submenu));
    return mItems.back().get();
  }
  Item* AddSeparator() { return AddItem("", kSeparator); }
  void Clear()
  {
    mItems.clear();
    mChosenItemIdx = -1;
    mTitle.clear();
    mFunc = nullptr;
  }

  int NItems() const { return static_cast<int>(mItems.size()); }
  Item* GetItem(int idx) const
  {
    return idx >= 0 && idx < NItems() ? mItems[static_cast<size_t>(idx)].get() : nullptr;
  }
  const char* GetItemText(int idx) const
  {
    Item* item = GetItem(idx);
    return item ? item->GetText() : "";
  }
  void CheckItem(int idx, bool checked)
  {
    if (Item* item = GetItem(idx)) item->SetChecked(checked);
  }
  void CheckItemAlone(int idx)
  {
    for (int i = 0; i < NItems(); ++i) CheckItem(i, i == idx);
  }

  const char* GetTitle() const { return mTitle.c_str(); }
  void SetTitle(const char* title) { mTitle = title ? title : ""; }
  // 0 none, else 1, 2 or 3 digits of 1-based numbering before each item.
  int GetPrefix() const { return mPrefix; }
  void SetPrefix(int digits) { mPrefix = digits < 0 ? 0 : (digits > 3 ? 3 : digits); }
  // Items per column; 0 = one column.
  int GetColumnLength() const { return mColumnLength; }
  void SetColumnLength(int n) { mColumnLength = n < 0 ? 0 : n; }

  int GetChosenItemIdx() const { return mChosenItemIdx; }
  void SetChosenItemIdx(int idx) { mChosenItemIdx = idx; }
  Item* GetChosenItem() const { return GetItem(mChosenItemIdx); }

  void SetFunction(MenuFunc func) { mFunc = std::move(func); }
  bool HasFunction() const { return static_cast<bool>(mFunc); }
  void ExecFunction()
  {
    if (mFunc) mFunc(this);
  }

private:
  std::string mTitle;
  int mPrefix = 0;
  int mColumnLength = 0;
  std::vector<std::unique_ptr<Item>> mItems;
  int mChosenItemIdx = -1;
  MenuFunc mFunc;
};

} // namespace igraphics
} // namespace iplug
