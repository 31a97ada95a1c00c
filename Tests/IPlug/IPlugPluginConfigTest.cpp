#include "IPlugPluginConfig.h"

#include <gtest/gtest.h>

using namespace iplug;

TEST(PluginConfig, VersionTexts)
{
  struct
  {
    VersionWord v;
    const char* text;
    int decimal;
  } cases[] = {{0x00010001, "v1.0.1", 1010},
               {MakeVersionWord(0, 0, 1), "v0.0.1", 10},
               {MakeVersionWord(2, 3, 4), "v2.3.4", 2340},
               {MakeVersionWord(65535, 255, 255), "v65535.255.255", 65563050}};
  for (auto& c : cases)
  {
    EXPECT_EQ(VersionText(c.v), c.text);
    EXPECT_EQ(VersionDecimal(c.v), c.decimal) << c.text;
  }
}

TEST(PluginConfig, FourCharCodesPutTheFirstCharacterHighest)
{
  EXPECT_EQ(FourCharCode("Kzqe"), 0x4B7A7165);
  EXPECT_EQ(FourCharCode("Mwfn"), 0x4D77666E);
}

TEST(PluginConfig, EditorLimitsInEitherOrder)
{
  PluginConfig a;
  a.plugMinWidth = 100, a.plugMaxWidth = 900, a.plugMinHeight = 50, a.plugMaxHeight = 400;
  PluginConfig b;
  b.plugMinWidth = 900, b.plugMaxWidth = 100, b.plugMinHeight = 400, b.plugMaxHeight = 50;
  for (const PluginConfig& c : {a, b})
  {
    EditorLimits l = OrderedEditorLimits(c);
    EXPECT_EQ(l.minWidth, 100);
    EXPECT_EQ(l.maxWidth, 900);
    EXPECT_EQ(l.minHeight, 50);
    EXPECT_EQ(l.maxHeight, 400);
  }
}
