// Fonts of the Windows editor: faces from bytes (embedded resources, files)
// installed privately for GDI, faces of the system by family name, and the
// names read from a face's own tables. The value entry makes its GDI font
// from what is kept here.
#include "IGraphicsWin.h"

#include "IGraphicsWinText.h"

#include "IGraphicsResources.h"
#include "IPlugLogger.h"

#include <cstdint>
#include <cstring>
#include <map>
#include <mutex>

namespace iplug
{
namespace igraphics
{

using wintext::Narrow;
using wintext::Widen;

// Font tables and the GDI side of fonts.
namespace
{
uint16_t Be16(const unsigned char* p)
{
  return static_cast<uint16_t>((p[0] << 8) | p[1]);
}

uint32_t Be32(const unsigned char* p)
{
  return (static_cast<uint32_t>(p[0]) << 24) | (static_cast<uint32_t>(p[1]) << 16) |
         (static_cast<uint32_t>(p[2]) << 8) | static_cast<uint32_t>(p[3]);
}

// The font bytes, every access checked: font files come from resources and
// disk and may be cut short or corrupt.
struct FontBytes
{
  const unsigned char* p;
  size_t n;
  bool Has(size_t offset, size_t length) const { return offset <= n && length <= n - offset; }
};

// The table with tag in the face whose table directory starts at face.
bool FindTable(const FontBytes& f, size_t face, const char* tag, size_t& offset, size_t& length)
{
  if (!f.Has(face, 12)) return false;
  const size_t count = Be16(f.p + face + 4);
  if (!f.Has(face + 12, count * 16)) return false;
  for (size_t i = 0; i < count; ++i)
  {
    const unsigned char* record = f.p + face + 12 + i * 16;
    if (std::memcmp(record, tag, 4) != 0) continue;
    offset = Be32(record + 8);
    length = Be32(record + 12);
    return f.Has(offset, length);
  }
  return false;
}

// A name record's text as UTF-8: UTF-16BE on the Unicode and Windows
// platforms, single bytes (ASCII kept, the rest '?') on the Macintosh one.
std::string NameText(const unsigned char* text, size_t length, unsigned platform)
{
  if (platform == 1)
  {
    std::string out;
    for (size_t i = 0; i < length; ++i) out.push_back(text[i] < 0x80 ? static_cast<char>(text[i]) : '?');
    return out;
  }
  std::wstring wide;
  for (size_t i = 0; i + 1 < length; i += 2) wide.push_back(static_cast<wchar_t>(Be16(text + i)));
  return Narrow(wide.c_str());
}

// How much a name record is preferred: Windows English first, then any
// Windows or Unicode language, then Macintosh Roman; 0 for records we cannot
// read.
int NameRank(unsigned platform, unsigned encoding, unsigned language)
{
  if (platform == 3 && (encoding == 0 || encoding == 1 || encoding == 10)) return language == 0x409 ? 4 : 3;
  if (platform == 0) return 2;
  if (platform == 1 && encoding == 0) return 1;
  return 0;
}

const char* const kStyleNames[] = {"Regular", "Bold", "Italic"};

// The family and style names Windows reports for an installed face.
std::string SelectedFace(const LOGFONTW& lf)
{
  HFONT font = CreateFontIndirectW(&lf);
  if (!font) return {};
  HDC dc = CreateCompatibleDC(nullptr);
  std::string face;
  if (dc)
  {
    HGDIOBJ previous = SelectObject(dc, font);
    wchar_t name[LF_FACESIZE] = {};
    if (GetTextFaceW(dc, LF_FACESIZE, name) > 0) face = Narrow(name);
    SelectObject(dc, previous);
    DeleteDC(dc);
  }
  DeleteObject(font);
  return face;
}

void SetFaceName(LOGFONTW& lf, const std::string& family)
{
  const std::wstring w = Widen(family.c_str(), LF_FACESIZE - 1);
  std::memset(lf.lfFaceName, 0, sizeof(lf.lfFaceName));
  std::memcpy(lf.lfFaceName, w.c_str(), w.size() * sizeof(wchar_t));
}

// What the value entry needs to make a GDI font for a font id: filled when
// fonts are cached, for every context of the process.
struct LogFontCache
{
  std::mutex lock;
  std::map<std::string, LOGFONTW> fonts;
};
LogFontCache& GetLogFontCache()
{
  static LogFontCache cache;
  return cache;
}
} // namespace

// ----- Fonts

bool IGraphicsWin::ReadFontNames(const void* data, size_t size, int faceIdx, FontNames& names)
{
  names = FontNames();
  if (!data || faceIdx < 0) return false;
  const FontBytes f{static_cast<const unsigned char*>(data), size};
  size_t face = 0;
  if (!f.Has(0, 12)) return false;
  if (std::memcmp(f.p, "ttcf", 4) == 0)
  {
    const size_t count = Be32(f.p + 8);
    if (static_cast<size_t>(faceIdx) >= count || !f.Has(12, count * 4)) return false;
    face = Be32(f.p + 12 + static_cast<size_t>(faceIdx) * 4);
  }
  else if (faceIdx != 0)
    return false;

  size_t nameAt = 0, nameLength = 0;
  if (!FindTable(f, face, "name", nameAt, nameLength) || nameLength < 6) return false;
  const unsigned char* table = f.p + nameAt;
  const size_t count = Be16(table + 2);
  const size_t strings = Be16(table + 4);
  if (6 + count * 12 > nameLength) return false;
  // Name ids 1 family, 2 subfamily, 16 typographic family.
  std::string found[17];
  int rank[17] = {};
  for (size_t i = 0; i < count; ++i)
  {
    const unsigned char* r = table + 6 + i * 12;
    const unsigned id = Be16(r + 6);
    if (id != 1 && id != 2 && id != 16) continue;
    const int k = NameRank(Be16(r), Be16(r + 2), Be16(r + 4));
    if (k <= rank[id]) continue;
    const size_t length = Be16(r + 8);
    const size_t offset = strings + Be16(r + 10);
    if (offset > nameLength || length > nameLength - offset) continue;
    std::string text = NameText(table + offset, length, Be16(r));
    if (text.empty()) continue;
    found[id] = std::move(text);
    rank[id] = k;
  }
  if (found[1].empty() && found[16].empty()) return false;
  names.gdiFamily = found[1].empty() ? found[16] : found[1];
  names.family = found[16].empty() ? found[1] : found[16];

  bool bold = false;
  size_t at = 0, length = 0;
  if (FindTable(f, face, "OS/2", at, length) && length >= 64)
  {
    const unsigned weight = Be16(f.p + at + 4);
    if (weight >= 1 && weight <= 1000) names.weight = static_cast<int>(weight);
    const unsigned selection = Be16(f.p + at + 62);
    names.italic = (selection & 0x0001u) != 0;
    bold = (selection & 0x0020u) != 0;
  }
  else if (FindTable(f, face, "head", at, length) && length >= 54)
  {
    const unsigned macStyle = Be16(f.p + at + 44);
    bold = (macStyle & 1u) != 0;
    names.italic = (macStyle & 2u) != 0;
    names.weight = bold ? FW_BOLD : FW_NORMAL;
  }
  names.style = bold ? "Bold" : names.italic ? "Italic" : "Regular";
  for (const char* style : kStyleNames)
    if (found[2] == style) names.style = style;
  return true;
}

std::unique_ptr<IGraphicsWin::Font> IGraphicsWin::Font::FromBytes(const void* data, int size, bool copy)
{
  if (!data || size <= 0) return nullptr;
  FontNames names;
  if (!ReadFontNames(data, static_cast<size_t>(size), 0, names))
  {
    Trace(TRACELOC, "not a usable font: no readable name table in %d bytes", size);
    return nullptr;
  }
  std::unique_ptr<Font> font(new Font());
  if (copy)
  {
    const auto* p = static_cast<const unsigned char*>(data);
    font->mBytes.assign(p, p + size);
    data = font->mBytes.data();
  }
  font->mData = data;
  font->mSize = size;
  // Private to the process and not enumerable: GDI (the value entry) can
  // select the face by its legacy family name.
  DWORD count = 0;
  font->mInstalled = AddFontMemResourceEx(const_cast<void*>(data), static_cast<DWORD>(size), nullptr, &count);
  // The backend draws from the bytes either way; only the value entry
  // falls back to another face.
  if (!font->mInstalled)
    Trace(TRACELOC, "font %s could not be installed for GDI (error %lu)", names.family.c_str(),
          GetLastError());
  font->mFamily = names.family;
  font->mStyle = names.style;
  LOGFONTW& lf = font->mLogFont;
  lf.lfWeight = names.weight;
  lf.lfItalic = names.italic ? TRUE : FALSE;
  lf.lfCharSet = DEFAULT_CHARSET;
  lf.lfOutPrecision = OUT_TT_PRECIS;
  lf.lfQuality = DEFAULT_QUALITY;
  SetFaceName(lf, names.gdiFamily);
  return font;
}

std::unique_ptr<IGraphicsWin::Font> IGraphicsWin::Font::FromSystem(const char* family, EFontStyle style)
{
  if (!family || !*family) return nullptr;
  LOGFONTW lf{};
  lf.lfWeight = style == kFontStyleBold ? FW_BOLD : FW_NORMAL;
  lf.lfItalic = style == kFontStyleItalic ? TRUE : FALSE;
  lf.lfCharSet = DEFAULT_CHARSET;
  lf.lfOutPrecision = OUT_TT_PRECIS;
  lf.lfQuality = DEFAULT_QUALITY;
  SetFaceName(lf, family);
  // GDI always selects something: the load succeeds only when that is the
  // family asked for.
  std::wstring asked(lf.lfFaceName);
  std::wstring selected = Widen(SelectedFace(lf).c_str());
  if (selected.empty() || lstrcmpiW(selected.c_str(), asked.c_str()) != 0)
  {
    Trace(TRACELOC, "font family %s is not on this system", family);
    return nullptr;
  }

  std::unique_ptr<Font> font(new Font());
  font->mSystem = true;
  font->mLogFont = lf;
  font->mFamily = family;
  font->mStyle = kStyleNames[style >= kFontStyleNormal && style <= kFontStyleItalic ? style : 0];
  HFONT gdi = CreateFontIndirectW(&lf);
  HDC dc = gdi ? CreateCompatibleDC(nullptr) : nullptr;
  if (dc)
  {
    HGDIOBJ previous = SelectObject(dc, gdi);
    // The whole file; a collection's faces are only reachable through its
    // 'ttcf' header.
    DWORD table = 0;
    DWORD size = GetFontData(dc, table, 0, nullptr, 0);
    const DWORD kCollection = 0x66637474; // 'ttcf' as GDI reads table tags
    if (size == GDI_ERROR || size == 0)
    {
      table = kCollection;
      size = GetFontData(dc, table, 0, nullptr, 0);
    }
    if (size != GDI_ERROR && size > 0)
    {
      font->mBytes.resize(size);
      if (GetFontData(dc, table, 0, font->mBytes.data(), size) != size) font->mBytes.clear();
    }
    SelectObject(dc, previous);
    DeleteDC(dc);
  }
  if (gdi) DeleteObject(gdi);
  if (font->mBytes.empty())
  {
    Trace(TRACELOC, "font family %s gives no bytes", family);
    return nullptr;
  }
  font->mData = font->mBytes.data();
  font->mSize = static_cast<int>(font->mBytes.size());
  // In a collection, the face GDI selected.
  FontNames names;
  for (int i = 0; ReadFontNames(font->mData, font->mBytes.size(), i, names); ++i)
    if (lstrcmpiW(Widen(names.gdiFamily.c_str()).c_str(), asked.c_str()) == 0 ||
        lstrcmpiW(Widen(names.family.c_str()).c_str(), asked.c_str()) == 0)
    {
      font->mFaceIdx = i;
      break;
    }
  return font;
}

IGraphicsWin::Font::~Font()
{
  if (mInstalled) RemoveFontMemResourceEx(mInstalled);
}

PlatformFontPtr IGraphicsWin::LoadPlatformFont(const char*, const char* fontName, EFontStyle style)
{
  return Font::FromSystem(fontName, style);
}

PlatformFontPtr IGraphicsWin::LoadPlatformFont(const char*, const char* fileNameOrResID)
{
  FontFileBytes f;
  if (!LoadFontFileBytes(fileNameOrResID, f)) return nullptr;
  return Font::FromBytes(f.data, f.size, !f.storage.empty());
}

PlatformFontPtr IGraphicsWin::LoadPlatformFont(const char*, const void* data, int dataSize)
{
  return Font::FromBytes(data, dataSize, true);
}

void IGraphicsWin::CachePlatformFont(const char* fontID, const PlatformFontPtr& font)
{
  // The backend keeps the bytes (process-wide, under its own lock); the
  // value entry needs the GDI description by id.
  const auto* winFont = dynamic_cast<const Font*>(font.get());
  if (!fontID || !winFont) return;
  LogFontCache& cache = GetLogFontCache();
  std::lock_guard<std::mutex> hold(cache.lock);
  cache.fonts[fontID] = winFont->GetLogFont();
}

LOGFONTW IGraphicsWin::Font::EntryLogFont(const char* fontID)
{
  LOGFONTW lf{};
  LogFontCache& cache = GetLogFontCache();
  std::lock_guard<std::mutex> hold(cache.lock);
  auto it = cache.fonts.find(fontID ? fontID : "");
  if (it != cache.fonts.end()) return it->second;
  lf.lfWeight = FW_NORMAL;
  lf.lfCharSet = DEFAULT_CHARSET;
  SetFaceName(lf, fontID ? fontID : "");
  return lf;
}

} // namespace igraphics
} // namespace iplug
