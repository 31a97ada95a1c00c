#include "GraphicsFixture.h"
#include "IGraphicsImageDecode.h"
#include "IGraphicsResources.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "ResourceTestModules.h"

using namespace iplug::igraphics;

namespace
{
struct Listed
{
  std::string file; // file name, as the layout asks for it
  std::string type;
  std::string path; // where the build took it from
};

// The resource list as the build reads it: "FILE TYPE" lines, # comments.
std::vector<Listed> ReadList(const std::string& listPath)
{
  std::vector<Listed> listed;
  std::ifstream in(listPath);
  const std::string dir = listPath.substr(0, listPath.find_last_of('/') + 1);
  std::string line;
  while (std::getline(in, line))
  {
    std::istringstream fields(line);
    std::string file, type;
    if (!(fields >> file >> type) || file[0] == '#') continue;
    listed.push_back({file.substr(file.find_last_of('/') + 1), type, dir + file});
  }
  return listed;
}

std::vector<unsigned char> ReadFile(const std::string& path)
{
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string Lower(std::string s)
{
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

void ExpectEveryListedResource(void* module)
{
  const std::vector<Listed> listed = ReadList(KESTRINE_RESOURCE_LIST);
  ASSERT_FALSE(listed.empty()) << KESTRINE_RESOURCE_LIST;
  for (const Listed& entry : listed)
  {
    const std::vector<unsigned char> bytes = ReadFile(entry.path);
    ASSERT_GE(bytes.size(), kMinEmbeddedResourceSize) << entry.path;
    // The file name as listed, in other cases, and the stored quoted form.
    for (const std::string& name : {entry.file, Lower(entry.file), EmbeddedResourceName(entry.file.c_str())})
      for (const std::string& type : {entry.type, Lower(entry.type)})
      {
        SCOPED_TRACE(name + " " + type);
        const EmbeddedResource found = LoadEmbeddedResource(name.c_str(), type.c_str(), module);
        ASSERT_TRUE(found);
        ASSERT_EQ(found.size, bytes.size());
        EXPECT_EQ(0, std::memcmp(found.data, bytes.data(), bytes.size()));
      }
  }
}
} // namespace

TEST(EmbeddedResourceNames, FollowTheFileName)
{
  struct Case
  {
    const char* file;
    const char* name;
    const char* type;
  };
  const Case cases[] = {
      {"Knob@2x.png", "\"KNOB@2X.PNG\"", "PNG"},
      {"Poppins-Medium.ttf", "\"POPPINS-MEDIUM.TTF\"", "TTF"},
      {"meterbar@3x.Png", "\"METERBAR@3X.PNG\"", "PNG"},
      {"\"BACKGROUND@2X.PNG\"", "\"BACKGROUND@2X.PNG\"", "PNG"},
      {"archive.d/noext", "\"ARCHIVE.D/NOEXT\"", ""},
      {"trailing.", "\"TRAILING.\"", ""},
      {"", "", ""},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.file);
    EXPECT_EQ(EmbeddedResourceName(c.file), c.name);
    EXPECT_EQ(EmbeddedResourceType(c.file), c.type);
  }
}

TEST(EmbeddedResources, EveryListedResourceIsInTheTestBinary)
{
  ExpectEveryListedResource(kestrine_test::OwnModule());
}

TEST(EmbeddedResources, EveryListedResourceIsInTheModule)
{
  if (void* module = kestrine_test::KestrineModule())
  {
    ExpectEveryListedResource(module);
    return;
  }
  // Where the table is linked into each binary, the module's lookups cannot
  // be reached from outside (it exports only its entry points): look for
  // each resource's bytes in the module file instead.
  const std::vector<unsigned char> image = ReadFile(KESTRINE_MODULE_PATH);
  ASSERT_FALSE(image.empty()) << KESTRINE_MODULE_PATH;
  for (const Listed& entry : ReadList(KESTRINE_RESOURCE_LIST))
  {
    const std::vector<unsigned char> bytes = ReadFile(entry.path);
    const auto at =
        std::search(image.begin(), image.end(), std::boyer_moore_searcher(bytes.begin(), bytes.end()));
    EXPECT_NE(at, image.end()) << entry.file;
  }
}

TEST(EmbeddedResources, LookupsThatFindNothing)
{
  struct Case
  {
    const char* what;
    const char* name;
    const char* type;
  };
  const Case cases[] = {
      {"unknown name", "Nothing@2x.png", "PNG"},
      {"picture asked for as a font", "Knob@2x.png", "TTF"},
      {"type given as the extension with its dot", "Knob@2x.png", ".PNG"},
      {"the plain name of a picture stored only at scale 2", "Knob.png", "PNG"},
      {"name without the extension", "Knob@2x", "PNG"},
      {"name with a different extension", "Knob@2x.jpg", "PNG"},
      {"resource of 7 bytes", "Tiny.png", "PNG"},
      {"empty name", "", "PNG"},
      {"no name", nullptr, "PNG"},
      {"empty type", "Knob@2x.png", ""},
      {"no type", "Knob@2x.png", nullptr},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.what);
    const EmbeddedResource found = LoadEmbeddedResource(c.name, c.type, kestrine_test::OwnModule());
    EXPECT_FALSE(found);
    EXPECT_EQ(found.size, 0u);
  }
}

TEST(EmbeddedResources, EightBytesAreEnough)
{
  const EmbeddedResource found = LoadEmbeddedResource("eight.TTF", "ttf", kestrine_test::OwnModule());
  ASSERT_TRUE(found);
  ASSERT_EQ(found.size, 8u);
  EXPECT_EQ(0, std::memcmp(found.data, "abcdefgh", 8));
}

namespace
{
// The module whose resources a context searches: the built module where the
// system keeps resources inside modules, else this binary's linked table.
void* PictureModule()
{
  void* module = kestrine_test::KestrineModule();
  return module ? module : kestrine_test::OwnModule();
}
} // namespace

TEST(EmbeddedResources, ThePicturesLoadAndDecodeByTheirPlainNames)
{
  for (const Listed& entry : ReadList(KESTRINE_RESOURCE_LIST))
  {
    if (entry.type != "PNG") continue;
    SCOPED_TRACE(entry.file);
    iplug_test::GraphicsPlugin plugin;
    iplug_test::TestGraphics g(plugin);
    g.SetWinModuleHandle(PictureModule());
    // The layout asks for "Knob.png"; only the @2x version is embedded.
    const std::string plain = entry.file.substr(0, entry.file.find('@')) + ".png";
    IBitmapRef ref = g.LoadBitmapResource(plain.c_str(), 1, false, 1);
    ASSERT_TRUE(ref.IsValid());
    std::vector<std::string> tried = {
        plain, iplug::igraphics::IGraphics::ScaledResourceName(plain.c_str(), 3), entry.file};
    EXPECT_EQ(g.mLocated, tried);
    EXPECT_EQ(ref.GetAPIBitmap()->GetScale(), 2.f);

    // The whole picture decodes, to the size its header announced.
    const std::vector<unsigned char> bytes = ReadFile(entry.path);
    DecodedImage image;
    ASSERT_TRUE(DecodeImage(bytes.data(), bytes.size(), image));
    EXPECT_EQ(ref.GetAPIBitmap()->GetWidth(), image.width);
    EXPECT_EQ(ref.GetAPIBitmap()->GetHeight(), image.height);
    EXPECT_EQ(ref.W(), image.width / 2);
    EXPECT_EQ(image.rgba.size(), size_t(image.width) * size_t(image.height) * 4);
  }
}

TEST(EmbeddedResources, LocateFindsEmbeddedBeforeFiles)
{
  iplug_test::GraphicsPlugin plugin;
  iplug_test::TestGraphics g(plugin);
  g.SetWinModuleHandle(PictureModule());
  struct Case
  {
    const char* name;
    const char* type;
    EResourceLocation location;
    std::string result;
  };
  const Case cases[] = {
      {"Poppins-Medium.ttf", "ttf", kWinBinary, "\"POPPINS-MEDIUM.TTF\""},
      {"knob@2x.PNG", "png", kWinBinary, "\"KNOB@2X.PNG\""},
      {"Knob.png", "png", kNotFound, ""},
      {"Knob@2x.png", "ttf", kNotFound, ""},
      {KESTRINE_RESOURCE_LIST, "txt", kAbsolutePath, KESTRINE_RESOURCE_LIST},
  };
  for (const Case& c : cases)
  {
    std::string result = "stale";
    EXPECT_EQ(g.LocateResource(c.name, c.type, result), c.location) << c.name;
    EXPECT_EQ(result, c.result) << c.name;
  }
  std::string result;
  g.SetWinModuleHandle(kestrine_test::OwnModule());
  EXPECT_EQ(g.LocateResource("Tiny.png", "png", result), kNotFound) << "7 bytes are too few";
}
