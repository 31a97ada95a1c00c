// IGraphics: fonts, pictures and SVG documents found by name (embedded
// resources, scale variants, files) and the caches that keep them.
// User-interface thread; the process-wide caches are shared by every open
// editor.

#include "IGraphics.h"

#include "IGraphicsResources.h"
#include "IPlugLogger.h"
#include "SVGDocument.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <string>

namespace iplug
{
namespace igraphics
{

bool IGraphics::LoadFontResource(const char* fontID, const char* fontName, EFontStyle style)
{
  PlatformFontPtr font = LoadPlatformFont(fontID, fontName, style);
  if (!fontID || !font || !LoadAPIFont(fontID, font)) return false;
  StoreFont(fontID, std::move(font));
  return true;
}

bool IGraphics::LoadFontResource(const char* fontID, const char* fileNameOrResID)
{
  PlatformFontPtr font = LoadPlatformFont(fontID, fileNameOrResID);
  if (!fontID || !font || !LoadAPIFont(fontID, font)) return false;
  StoreFont(fontID, std::move(font));
  return true;
}

namespace
{
// Fonts loaded by any context of the process, by id; emptied when the last
// context goes. User-interface thread, but several editors may be open.
struct FontCache
{
  std::mutex lock;
  std::map<std::string, PlatformFontPtr> fonts;
  int users = 0;
};
FontCache& GetFontCache()
{
  static FontCache cache;
  return cache;
}

// Parsed SVG pictures by name, for the life of the process.
struct SVGCache
{
  std::mutex lock;
  std::map<std::string, std::unique_ptr<svg::SVGImage>> images;
};
SVGCache& GetSVGCache()
{
  static SVGCache cache;
  return cache;
}

std::string LowerCase(std::string text)
{
  for (char& c : text) c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
  return text;
}

// Resource types are upper case among the embedded resources ("PNG", "SVG").
std::string UpperCase(std::string text)
{
  for (char& c : text) c = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
  return text;
}

// The extension without its dot, or empty (a dot inside a folder name does
// not count).
std::string ExtensionOf(const char* fileName)
{
  const char* dot = std::strrchr(fileName, '.');
  if (!dot || std::strpbrk(dot, "/\\")) return {};
  return dot + 1;
}

std::string CacheName(const std::string& name, int scale)
{
  char suffix[32];
  std::snprintf(suffix, sizeof(suffix), "-%.1fx", static_cast<double>(scale));
  return name + suffix;
}

bool FileExists(const char* path)
{
  std::error_code ec;
  return std::filesystem::is_regular_file(std::filesystem::u8path(path), ec);
}
} // namespace

void IGraphics::RegisterFontCacheUser()
{
  FontCache& cache = GetFontCache();
  std::lock_guard<std::mutex> hold(cache.lock);
  ++cache.users;
}

void IGraphics::ReleaseFontCacheUser()
{
  FontCache& cache = GetFontCache();
  std::lock_guard<std::mutex> hold(cache.lock);
  if (--cache.users <= 0)
  {
    cache.users = 0;
    cache.fonts.clear();
  }
}

bool IGraphics::FontIsCached(const char* fontID)
{
  FontCache& cache = GetFontCache();
  std::lock_guard<std::mutex> hold(cache.lock);
  return fontID && cache.fonts.count(fontID) != 0;
}

void IGraphics::StoreFont(const char* fontID, PlatformFontPtr font)
{
  CachePlatformFont(fontID, font);
  FontCache& cache = GetFontCache();
  std::lock_guard<std::mutex> hold(cache.lock);
  cache.fonts[fontID] = std::move(font);
}

std::vector<int> IGraphics::ScaleSearchOrder(int targetScale)
{
  int s = std::max(targetScale, 1);
  std::vector<int> order{s};
  if (s != 3) order.push_back(3);
  for (int n = 2; n >= 1; --n)
    if (n != s) order.push_back(n);
  return order;
}

std::string IGraphics::ScaledResourceName(const char* fileName, int scale)
{
  std::string name(fileName ? fileName : "");
  if (scale < 2) return name;
  std::string ext = ExtensionOf(name.c_str());
  std::string base = ext.empty() ? name : name.substr(0, name.size() - ext.size() - 1);
  std::string dotExt = ext.empty() ? std::string() : "." + ext;
  int len = std::snprintf(nullptr, 0, "%s@%dx%s", base.c_str(), scale, dotExt.c_str());
  std::string out(static_cast<size_t>(std::max(len, 0)) + 1, '\0');
  std::snprintf(out.data(), out.size(), "%s@%dx%s", base.c_str(), scale, dotExt.c_str());
  out.resize(static_cast<size_t>(std::max(len, 0)));
  return out;
}

APIBitmap* IGraphics::FindCachedBitmap(const std::string& name, int scale) const
{
  auto range = mBitmapCache.equal_range(std::hash<std::string>()(CacheName(name, scale)));
  for (auto it = range.first; it != range.second; ++it)
    if (it->second.scale == scale && it->second.name == name) return it->second.bitmap.get();
  return nullptr;
}

APIBitmap* IGraphics::CacheBitmap(APIBitmap* bitmap, const std::string& name, int scale)
{
  size_t key = std::hash<std::string>()(CacheName(name, scale));
  mBitmapCache.emplace(key, CachedBitmap{std::unique_ptr<APIBitmap>(bitmap), name, scale});
  return bitmap;
}

int IGraphics::NCachedBitmaps() const
{
  std::lock_guard<std::mutex> hold(mBitmapCacheLock);
  return static_cast<int>(mBitmapCache.size());
}

void IGraphics::ClearBitmapCache()
{
  std::lock_guard<std::mutex> hold(mBitmapCacheLock);
  mBitmapCache.clear();
}

IBitmapRef IGraphics::LoadBitmapResource(const char* name, const void* data, int dataSize, int nStates,
                                         bool framesAreHorizontal, int targetScale)
{
  if (!name || !*name || !data || dataSize <= 0) return IBitmapRef();
  int scale = targetScale > 0 ? targetScale : static_cast<int>(std::ceil(GetScreenScale()));
  scale = std::max(scale, 1);
  std::lock_guard<std::mutex> hold(mBitmapCacheLock);
  APIBitmap* bitmap = FindCachedBitmap(name, scale);
  if (!bitmap)
  {
    APIBitmap* loaded = LoadAPIBitmap(name, data, dataSize, scale);
    if (!loaded)
    {
      Trace(TRACELOC, "picture %s could not be decoded", name);
      return IBitmapRef();
    }
    bitmap = CacheBitmap(loaded, name, scale);
  }
  return IBitmapRef(bitmap, nStates, framesAreHorizontal, name);
}

IBitmapRef IGraphics::LoadBitmapResource(const char* fileNameOrResID, int nStates, bool framesAreHorizontal,
                                         int targetScale)
{
  if (!fileNameOrResID || !*fileNameOrResID) return IBitmapRef();
  const std::string name(fileNameOrResID);
  std::string ext = ExtensionOf(fileNameOrResID);
  std::string lowerExt = LowerCase(ext);
  // Only these two types are decoded; anything else is never searched for.
  if (lowerExt.find("png") == std::string::npos && lowerExt.find("jpg") == std::string::npos)
    return IBitmapRef();

  int scale = targetScale > 0 ? targetScale : static_cast<int>(std::ceil(GetScreenScale()));
  scale = std::max(scale, 1);

  std::lock_guard<std::mutex> hold(mBitmapCacheLock);
  APIBitmap* bitmap = FindCachedBitmap(name, scale);
  if (!bitmap)
  {
    std::string located;
    EResourceLocation location = kNotFound;
    int sourceScale = 0;
    for (int n : ScaleSearchOrder(scale))
    {
      location = LocateResource(ScaledResourceName(fileNameOrResID, n).c_str(), ext.c_str(), located);
      if (location != kNotFound)
      {
        sourceScale = n;
        break;
      }
    }
    if (location == kNotFound) return IBitmapRef();
    // Found at another scale: a context that already loaded that version
    // uses it again instead of decoding a second copy.
    bitmap = FindCachedBitmap(name, sourceScale);
    if (!bitmap)
    {
      APIBitmap* loaded = LoadAPIBitmap(located.c_str(), sourceScale, location, lowerExt.c_str());
      if (!loaded)
      {
        Trace(TRACELOC, "picture %s could not be decoded", located.c_str());
        return IBitmapRef();
      }
      bitmap = CacheBitmap(loaded, name, sourceScale);
    }
  }
  return IBitmapRef(bitmap, nStates, framesAreHorizontal, fileNameOrResID);
}

ISVG IGraphics::LoadSVG(const char* name, const void* data, int dataSize, const char* units, float dpi)
{
  if (!name || !*name || !data || dataSize <= 0) return ISVG();
  SVGCache& cache = GetSVGCache();
  std::lock_guard<std::mutex> hold(cache.lock);
  auto it = cache.images.find(name);
  if (it == cache.images.end())
  {
    std::string error;
    std::unique_ptr<svg::SVGImage> image =
        svg::ParseSVG(static_cast<const char*>(data), static_cast<size_t>(dataSize), units, dpi, &error);
    if (!image)
    {
      Trace(TRACELOC, "SVG %s could not be parsed: %s", name, error.c_str());
      return ISVG();
    }
    it = cache.images.emplace(name, std::move(image)).first;
  }
  ISVG svg;
  svg.mImage = it->second.get();
  svg.mW = it->second->width;
  svg.mH = it->second->height;
  return svg;
}

ISVG IGraphics::LoadSVG(const char* fileNameOrResID, const char* units, float dpi)
{
  if (!fileNameOrResID || !*fileNameOrResID) return ISVG();
  {
    SVGCache& cache = GetSVGCache();
    std::lock_guard<std::mutex> hold(cache.lock);
    auto it = cache.images.find(fileNameOrResID);
    if (it != cache.images.end())
    {
      ISVG svg;
      svg.mImage = it->second.get();
      svg.mW = it->second->width;
      svg.mH = it->second->height;
      return svg;
    }
  }
  std::vector<uint8_t> storage;
  const void* data = nullptr;
  size_t size = 0;
  if (!LoadResourceBytes(fileNameOrResID, "svg", storage, data, size) ||
      size > static_cast<size_t>(std::numeric_limits<int>::max()))
    return ISVG();
  return LoadSVG(fileNameOrResID, data, static_cast<int>(size), units, dpi);
}

EResourceLocation IGraphics::LocateResource(const char* fileNameOrResID, const char* type,
                                            std::string& result)
{
  result.clear();
  if (!fileNameOrResID || !*fileNameOrResID) return kNotFound;
  const std::string upperType = UpperCase(type ? type : "");
  if (!upperType.empty() && LoadEmbeddedResource(fileNameOrResID, upperType.c_str(), GetWinModuleHandle()))
  {
    result = EmbeddedResourceName(fileNameOrResID);
    return kWinBinary;
  }
  if (FileExists(fileNameOrResID))
  {
    result = fileNameOrResID;
    return kAbsolutePath;
  }
  return kNotFound;
}

bool IGraphics::LoadResourceBytes(const char* located, EResourceLocation location, const char* type,
                                  std::vector<uint8_t>& storage, const void*& data, size_t& size)
{
  data = nullptr;
  size = 0;
  if (!located || !*located) return false;
  if (location == kWinBinary)
  {
    EmbeddedResource resource = LoadEmbeddedResource(located, type, GetWinModuleHandle());
    data = resource.data;
    size = resource.size;
    return resource.data != nullptr;
  }
  if (location != kAbsolutePath) return false;
  std::ifstream in(std::filesystem::u8path(located), std::ios::binary);
  if (!in) return false;
  storage.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  data = storage.data();
  size = storage.size();
  return !storage.empty();
}

bool IGraphics::LoadResourceBytes(const char* fileNameOrResID, const char* type,
                                  std::vector<uint8_t>& storage, const void*& data, size_t& size)
{
  std::string located;
  const EResourceLocation location = LocateResource(fileNameOrResID, type, located);
  return LoadResourceBytes(located.c_str(), location, UpperCase(type ? type : "").c_str(), storage, data,
                           size);
}

bool IGraphics::LoadFontFileBytes(const char* fileNameOrResID, FontFileBytes& font)
{
  size_t size = 0;
  font = FontFileBytes();
  if (!LoadResourceBytes(fileNameOrResID, "ttf", font.storage, font.data, size) ||
      size < kMinEmbeddedResourceSize || size > static_cast<size_t>(std::numeric_limits<int>::max()))
    return false;
  font.size = static_cast<int>(size);
  return true;
}

void IGraphics::AddFontSizeClass(int sizeClass)
{
  if (std::find(mFontSizeClasses.begin(), mFontSizeClasses.end(), sizeClass) == mFontSizeClasses.end())
    mFontSizeClasses.push_back(sizeClass);
}

} // namespace igraphics
} // namespace iplug
