// Picture and SVG loading: the scale search, the picture cache, refused
// names and undecodable pictures, with pictures written to a temporary folder
// (found as file paths) and a backend that reads their sizes from the
// headers.
#include "GraphicsFixture.h"
#include "IGraphicsImageDecode.h"

namespace iplug_test
{
namespace
{

struct LoadFixture : GraphicsFixture
{
  TempFolder dir;
  // Knob.png in the folder: the path a layout would pass.
  std::string Knob() const { return dir.Path("Knob.png"); }
};

TEST_F(LoadFixture, ScaleSearchOrder)
{
  struct Case
  {
    std::vector<std::string> present; // versions on disk
    int target;
    std::vector<std::string> tried;
    int loadedAt; // 0: nothing
  };
  const Case cases[] = {
      {{"Knob@2x.png"}, 1, {"Knob.png", "Knob@3x.png", "Knob@2x.png"}, 2},
      {{"Knob.png", "Knob@2x.png"}, 1, {"Knob.png"}, 1},
      {{"Knob.png", "Knob@2x.png"}, 2, {"Knob@2x.png"}, 2},
      {{"Knob@3x.png"}, 2, {"Knob@2x.png", "Knob@3x.png"}, 3},
      {{"Knob.png"}, 2, {"Knob@2x.png", "Knob@3x.png", "Knob.png"}, 1},
      {{"Knob.png"}, 3, {"Knob@3x.png", "Knob@2x.png", "Knob.png"}, 1},
      {{}, 1, {"Knob.png", "Knob@3x.png", "Knob@2x.png"}, 0},
  };
  for (const Case& c : cases)
  {
    Editor e;
    TempFolder folder;
    for (const std::string& name : c.present) folder.Write(name, PngHeader(240, 14400));
    IBitmapRef ref = e.g.LoadBitmapResource(folder.Path("Knob.png").c_str(), 60, false, c.target);
    std::vector<std::string> tried;
    for (const std::string& path : e.g.mLocated) tried.push_back(path.substr(path.find_last_of('/') + 1));
    EXPECT_EQ(tried, c.tried) << "target " << c.target;
    EXPECT_EQ(ref.IsValid(), c.loadedAt != 0) << "target " << c.target;
    if (!ref.IsValid()) continue;
    EXPECT_EQ(ref.GetAPIBitmap()->GetScale(), static_cast<float>(c.loadedAt));
    EXPECT_EQ(ref.W(), 240 / c.loadedAt);
    EXPECT_EQ(ref.H(), 14400 / c.loadedAt);
    EXPECT_EQ(ref.N(), 60);
    EXPECT_EQ(std::string(ref.GetResourceName()), folder.Path("Knob.png")) << "the name asked for";
  }
}

TEST_F(LoadFixture, TargetZeroFollowsTheScreenScale)
{
  dir.Write("Knob@2x.png", PngHeader(240, 14400));
  dir.Write("Knob.png", PngHeader(120, 7200));
  g.SetScreenScale(1.25f);
  EXPECT_EQ(g.LoadBitmapResource(Knob().c_str(), 60).GetAPIBitmap()->GetScale(), 2.f) << "ceil of 1.25";
}

TEST_F(LoadFixture, LogicalSizesTruncate)
{
  struct Case
  {
    uint32_t w, h;
    int logicalW, logicalH;
  };
  const Case cases[] = {{241, 14460, 120, 7230}, {41, 21, 20, 10}, {240, 14400, 120, 7200}};
  for (const Case& c : cases)
  {
    Editor e;
    TempFolder folder;
    folder.Write("P@2x.png", PngHeader(c.w, c.h));
    IBitmapRef ref = e.g.LoadBitmapResource(folder.Path("P.png").c_str(), 1, false, 2);
    EXPECT_EQ(ref.W(), c.logicalW) << c.w;
    EXPECT_EQ(ref.H(), c.logicalH) << c.h;
  }
}

TEST_F(LoadFixture, CacheServesOnlyTheScaleThePictureWasFoundAt)
{
  dir.Write("Knob@2x.png", PngHeader(240, 14400));
  // Found at the scale asked for: the second load finds it in the cache.
  IBitmapRef first = g.LoadBitmapResource(Knob().c_str(), 60, false, 2);
  g.mLocated.clear();
  IBitmapRef second = g.LoadBitmapResource(Knob().c_str(), 60, false, 2);
  EXPECT_TRUE(g.mLocated.empty()) << "no search on a hit";
  EXPECT_EQ(second.GetAPIBitmap(), first.GetAPIBitmap());
  // Asked for at 1 but found at 2: the cache has no scale-1 entry, so every
  // load searches again; the decoded scale-2 picture is shared.
  g.mLocated.clear();
  IBitmapRef third = g.LoadBitmapResource(Knob().c_str(), 60, false, 1);
  IBitmapRef fourth = g.LoadBitmapResource(Knob().c_str(), 60, false, 1);
  EXPECT_EQ(g.mLocated.size(), 6u);
  EXPECT_EQ(third.GetAPIBitmap(), first.GetAPIBitmap());
  EXPECT_EQ(fourth.GetAPIBitmap(), first.GetAPIBitmap());
  EXPECT_EQ(g.Count("LoadAPIBitmap"), 1);
  EXPECT_EQ(g.NCachedBitmaps(), 1);
  // Another context has a cache of its own.
  Editor other;
  EXPECT_NE(other.g.LoadBitmapResource(Knob().c_str(), 60, false, 2).GetAPIBitmap(), first.GetAPIBitmap());
}

TEST_F(LoadFixture, RefusedNamesAndUndecodablePictures)
{
  dir.Write("Knob.gif", PngHeader(10, 10));
  dir.Write("Knob", PngHeader(10, 10));
  dir.Write("Huge.png", PngHeader(100000, 100000));
  dir.Write("Zero.png", PngHeader(0, 10));
  dir.Write("Junk.png", std::vector<uint8_t>(64, 0xAB));
  dir.Write("Short.png", {0x89, 'P', 'N', 'G'});
  dir.Write("Empty.png", {});
  struct Case
  {
    std::string name;
    bool searched;
  };
  const Case cases[] = {
      {dir.Path("Knob.gif"), false}, {dir.Path("Knob"), false},
      {dir.Path("Knob.svg"), false}, {"", false},
      {dir.Path("Huge.png"), true},  {dir.Path("Zero.png"), true},
      {dir.Path("Junk.png"), true},  {dir.Path("Short.png"), true},
      {dir.Path("Empty.png"), true}, {dir.Path("Gone.png"), true},
  };
  for (const Case& c : cases)
  {
    g.mLocated.clear();
    IBitmapRef ref = g.LoadBitmapResource(c.name.c_str(), 1, false, 1);
    EXPECT_FALSE(ref.IsValid()) << c.name;
    EXPECT_EQ(ref.W(), 0) << c.name;
    EXPECT_EQ(!g.mLocated.empty(), c.searched) << c.name;
  }
  EXPECT_EQ(g.NCachedBitmaps(), 0);
  EXPECT_FALSE(g.LoadBitmapResource(nullptr).IsValid());
  // A control holding the empty handle draws nothing and has no size.
  g.SetBackground(dir.Path("Gone.png").c_str());
  g.mCalls.clear();
  g.GetBackgroundControl()->Draw(g);
  EXPECT_EQ(g.Count("DrawBitmap"), 0);
  EXPECT_EQ(g.GetBackgroundControl()->GetRect(), IRect());
}

TEST_F(LoadFixture, PicturesFromMemory)
{
  std::vector<uint8_t> png = PngHeader(64, 32);
  IBitmapRef ref = g.LoadBitmapResource("mem.png", png.data(), static_cast<int>(png.size()), 2, true, 2);
  ASSERT_TRUE(ref.IsValid());
  EXPECT_EQ(ref.FW(), 16);
  EXPECT_EQ(ref.FH(), 16);
  EXPECT_EQ(
      g.LoadBitmapResource("mem.png", png.data(), static_cast<int>(png.size()), 2, true, 2).GetAPIBitmap(),
      ref.GetAPIBitmap())
      << "cached by name and scale";
  std::vector<uint8_t> junk(16, 1);
  EXPECT_FALSE(g.LoadBitmapResource("junk.png", junk.data(), static_cast<int>(junk.size())).IsValid());
  EXPECT_FALSE(g.LoadBitmapResource("none.png", nullptr, 0).IsValid());
}

TEST(IGraphicsLoad, ScaledNames)
{
  struct Case
  {
    const char* name;
    int scale;
    const char* scaled;
  };
  const Case cases[] = {
      {"Knob.png", 1, "Knob.png"},    {"Knob.png", 2, "Knob@2x.png"},
      {"Knob.png", 3, "Knob@3x.png"}, {"a/b.c/Knob.png", 2, "a/b.c/Knob@2x.png"},
      {"a.b/Knob", 2, "a.b/Knob@2x"}, {"Knob.tar.png", 2, "Knob.tar@2x.png"},
  };
  for (const Case& c : cases) EXPECT_EQ(IGraphics::ScaledResourceName(c.name, c.scale), c.scaled);
}

TEST(IGraphicsLoad, ScaleSearchOrders)
{
  EXPECT_EQ(IGraphics::ScaleSearchOrder(1), (std::vector<int>{1, 3, 2}));
  EXPECT_EQ(IGraphics::ScaleSearchOrder(2), (std::vector<int>{2, 3, 1}));
  EXPECT_EQ(IGraphics::ScaleSearchOrder(3), (std::vector<int>{3, 2, 1}));
}

TEST_F(LoadFixture, SVGSizesAndCache)
{
  struct Case
  {
    std::string text;
    const char* units;
    float w, h; // 0: refused
  };
  const Case cases[] = {
      {R"(<svg width="100" height="50"></svg>)", "px", 100.f, 50.f},
      {R"(<?xml version="1.0"?><svg xmlns="x" width="1in" height="72pt"/>)", "px", 96.f, 96.f},
      {R"(<svg viewBox="0 0 30 20"><rect/></svg>)", "px", 30.f, 20.f},
      {R"(<svg width="96" height="96"/>)", "in", 1.f, 1.f},
      {R"(<svg width="-5" height="5"/>)", "px", 0.f, 0.f},
      {R"(<svg width="50%" height="5"/>)", "px", 0.f, 0.f},
      {R"(<html><body/></html>)", "px", 0.f, 0.f},
      {R"(<svg width="1)", "px", 0.f, 0.f},
  };
  int i = 0;
  for (const Case& c : cases)
  {
    std::string name = "pic" + std::to_string(i++) + ".svg";
    std::string path = dir.Write(name, std::vector<uint8_t>(c.text.begin(), c.text.end()));
    ISVG svg = g.LoadSVG(path.c_str(), c.units, 96.f);
    EXPECT_EQ(svg.IsValid(), c.w > 0.f) << c.text;
    EXPECT_FLOAT_EQ(svg.mW, c.w) << c.text;
    EXPECT_FLOAT_EQ(svg.mH, c.h) << c.text;
  }
  std::string first = dir.Path("pic0.svg");
  ISVG a = g.LoadSVG(first.c_str());
  dir.Write("pic0.svg", {'x'}); // the process-wide cache keeps the parsed picture
  Editor other;
  EXPECT_EQ(other.g.LoadSVG(first.c_str()).mImage, a.mImage);
  EXPECT_FALSE(g.LoadSVG(dir.Path("missing.svg").c_str()).IsValid());
}

TEST(ImageDecode, RefusesWhatItCannotSafelyDecode)
{
  struct Case
  {
    std::vector<uint8_t> bytes;
    const char* why;
  };
  std::vector<uint8_t> truncated = PngHeader(4, 4);
  truncated.resize(20);
  // A chunk declaring 2 GB in a few bytes, and an empty first data chunk.
  std::vector<uint8_t> lying = PngHeader(4, 4), emptyData = PngHeader(4, 4);
  for (uint8_t b : std::vector<uint8_t>{0x7F, 0xFF, 0xFF, 0xFF, 'I', 'D', 'A', 'T', 0x78, 0xDA, 0, 0})
    lying.push_back(b);
  for (uint8_t b : std::vector<uint8_t>{0, 0, 0, 0, 'I', 'D', 'A', 'T', 0, 0, 0, 0,
                                        0, 0, 0, 0, 'I', 'E', 'N', 'D', 0, 0, 0, 0})
    emptyData.push_back(b);
  const std::vector<uint8_t> jpeg = {0xFF, 0xD8, 0xFF, 0xE0, 0, 16, 'J', 'F', 'I',
                                     'F',  0,    1,    1,    0, 0,  1,   0,   1};
  const Case cases[] = {
      {{}, "nothing"},
      {{0x89, 'P', 'N', 'G'}, "too short"},
      {PngHeader(100000, 100000), "absurd dimensions"},
      {PngHeader(16385, 1), "one side too long"},
      {PngHeader(16384, 16384), "too many pixels in all"},
      {PngHeader(0, 0), "zero size"},
      {truncated, "truncated header"},
      {PngHeader(4, 4), "no pixel data"},
      {std::vector<uint8_t>(100, 0xFF), "no picture"},
      {lying, "chunk longer than the data"},
      {emptyData, "empty image data chunk"},
      {jpeg, "JPG is not decoded"},
  };
  for (const Case& c : cases)
  {
    DecodedImage image;
    std::string error;
    EXPECT_FALSE(DecodeImage(c.bytes.data(), c.bytes.size(), image, &error)) << c.why;
    EXPECT_FALSE(error.empty()) << c.why;
    EXPECT_TRUE(image.rgba.empty()) << c.why;
  }
  int w = 0, h = 0;
  std::vector<uint8_t> big = PngHeader(16384, 2048);
  EXPECT_TRUE(ReadImageSize(big.data(), big.size(), w, h)) << "the largest accepted size";
  EXPECT_EQ(w, 16384);
  EXPECT_EQ(h, 2048);
}

} // namespace
} // namespace iplug_test

namespace iplug_test
{
namespace
{

// A platform that loads only "Good.ttf"; a backend that refuses "refused".
struct FontGraphics : TestGraphics
{
  using TestGraphics::TestGraphics;
  std::vector<std::string> platformCached;
  PlatformFontPtr LoadPlatformFont(const char*, const char* fileName) override
  {
    return std::string(fileName) == "Good.ttf" ? std::make_unique<PlatformFont>() : nullptr;
  }
  bool LoadAPIFont(const char* fontID, const PlatformFontPtr&) override
  {
    return std::string(fontID) != "refused";
  }
  void CachePlatformFont(const char* fontID, const PlatformFontPtr&) override
  {
    platformCached.push_back(fontID);
  }
};

TEST(IGraphicsFonts, ProcessWideCacheLivesWithTheContexts)
{
  struct Case
  {
    const char* id;
    const char* file;
    bool loaded;
  };
  const Case cases[] = {
      {"font-a", "Good.ttf", true}, {"font-b", "Missing.ttf", false}, {"refused", "Good.ttf", false}};
  GraphicsPlugin plugin;
  auto first = std::make_unique<FontGraphics>(plugin);
  auto second = std::make_unique<FontGraphics>(plugin);
  for (const Case& c : cases)
  {
    EXPECT_EQ(first->LoadFontResource(c.id, c.file), c.loaded) << c.id;
    EXPECT_EQ(IGraphics::FontIsCached(c.id), c.loaded) << c.id;
  }
  EXPECT_EQ(first->platformCached, std::vector<std::string>{"font-a"});
  first.reset();
  EXPECT_TRUE(IGraphics::FontIsCached("font-a")) << "another context still uses the cache";
  second.reset();
  EXPECT_FALSE(IGraphics::FontIsCached("font-a")) << "emptied with the last context";
}

} // namespace
} // namespace iplug_test
