// The value entry the editor draws where the platform has no edit box:
// typed text, refused characters, commit and cancel rules, and the context
// leaving entry afterwards.
#include "GraphicsFixture.h"
#include "IValueEntryControl.h"

namespace iplug_test
{
namespace
{

enum EAction
{
  kType,      // text: each character typed as a key
  kBackspace, // one Backspace
  kReturn,
  kEscape,
  kClickInside,
  kClickOutside,
  kWheel
};

struct Step
{
  EAction action;
  const char* text;
};

constexpr int kVKBack = 0x08;
constexpr int kVKReturn = 0x0D;
constexpr int kVKEscape = 0x1B;

class ValueEntryTest : public GraphicsFixture
{
protected:
  void SetUp() override
  {
    entry = new IValueEntryControl();
    g.AttachTextEntryControl(entry);
  }
  // Opens the entry for control's value as a prompt does.
  void Open(TestControl* control)
  {
    g.OpenValuePrompt(control, kBox, 0);
    ASSERT_EQ(g.GetControlInTextEntry(), control);
    ASSERT_FALSE(g.mTextEntries.empty());
    entry->Begin(kBox, ITextStyle(), g.mTextEntries.back().text.c_str(), 0);
  }
  void Run(const Step& s)
  {
    IMouseMods none;
    switch (s.action)
    {
    case kType:
      for (const char* c = s.text; *c; ++c)
      {
        const char text[2] = {*c, 0};
        entry->OnKey(IKeyPress(text, *c >= 'a' && *c <= 'z' ? *c - 'a' + 'A' : *c));
      }
      break;
    case kBackspace:
      entry->OnKey(IKeyPress(nullptr, kVKBack));
      break;
    case kReturn:
      entry->OnKey(IKeyPress(nullptr, kVKReturn));
      break;
    case kEscape:
      entry->OnKey(IKeyPress(nullptr, kVKEscape));
      break;
    case kClickInside:
    case kClickOutside:
    {
      IMouseInfo click;
      click.x = s.action == kClickInside ? 110.f : 400.f;
      click.y = s.action == kClickInside ? 110.f : 20.f;
      g.OnMouseDown({click});
      g.OnMouseUp({click});
      break;
    }
    case kWheel:
      g.OnMouseWheel(110.f, 110.f, none, 1.f);
      break;
    }
  }

  const IRect kBox = IRect(100, 100, 160, 120);
  IValueEntryControl* entry = nullptr;
};

TEST_F(ValueEntryTest, TypedTextCommitsOrCancels)
{
  struct Case
  {
    const char* what;
    std::vector<Step> steps;
    double drive; // dB after the steps (the default is 0)
    bool editing;
    const char* text;
  } const cases[] = {
      {"replace and commit", {{kType, "7"}, {kReturn, ""}}, 7., false, "7"},
      {"letters refused", {{kType, "x4y"}, {kReturn, ""}}, 4., false, "4"},
      {"decimal point", {{kType, "2.5"}, {kReturn, ""}}, 2.5, false, "2.5"},
      {"escape cancels", {{kType, "9"}, {kEscape, ""}}, 0., false, "9"},
      {"backspace clears the value first",
       {{kBackspace, ""}, {kType, "36"}, {kBackspace, ""}, {kReturn, ""}},
       3.,
       false,
       "3"},
      {"click inside keeps editing", {{kType, "5"}, {kClickInside, ""}}, 0., true, "5"},
      {"click outside commits", {{kType, "5"}, {kClickOutside, ""}}, 5., false, "5"},
      {"wheel cancels", {{kType, "5"}, {kWheel, ""}}, 0., false, "5"},
      {"out of range clamps", {{kType, "25"}, {kReturn, ""}}, 10., false, "25"},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.what);
    TestControl* knob = Add(IRect(100, 100, 160, 160), 0);
    Open(knob);
    for (const Step& s : c.steps) Run(s);
    EXPECT_EQ(entry->IsEditing(), c.editing);
    EXPECT_EQ(entry->GetText(), c.text);
    EXPECT_DOUBLE_EQ(p.GetParam(0)->ValueFromNormal(knob->GetValue()), c.drive);
    if (!c.editing)
    {
      EXPECT_EQ(g.GetControlInTextEntry(), nullptr);
    }
    entry->Cancel();
    g.RemoveControl(knob);
  }
}

TEST_F(ValueEntryTest, CharactersFollowTheParameterKind)
{
  struct Case
  {
    int paramIdx;
    const char* accepted;
    const char* refused;
  } const cases[] = {
      {0, "0123456789.-+", "aZ ,e"}, // continuous
      {kNoParameter, "aZ .,-", "\x01\x7f"},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.paramIdx);
    TestControl* control = Add(IRect(100, 100, 160, 160), c.paramIdx);
    g.OpenValuePrompt(control, kBox, 0);
    if (c.paramIdx == kNoParameter)
    {
      // Nothing to prompt for: the entry is begun by hand for a text value.
      entry->Begin(kBox, ITextStyle(), "", 0);
    }
    else
    {
      Open(control);
    }
    for (const char* ch = c.accepted; *ch; ++ch) EXPECT_TRUE(entry->Accepts(*ch)) << *ch;
    for (const char* ch = c.refused; *ch; ++ch) EXPECT_FALSE(entry->Accepts(*ch)) << int(*ch);
    entry->Cancel();
    g.RemoveControl(control);
  }
}

TEST_F(ValueEntryTest, WhileEditingTheEntryTakesEveryClickAndAfterwardsNone)
{
  TestControl* knob = Add(IRect(100, 100, 160, 160), 0);
  TestControl* other = Add(IRect(300, 0, 500, 100), 3);
  Open(knob);
  IMouseInfo click;
  click.x = 400.f;
  click.y = 20.f;
  g.OnMouseDown({click});
  EXPECT_EQ(other->mDowns, 0) << "the click that commits is the entry's";
  g.OnMouseUp({click});
  EXPECT_FALSE(entry->IsEditing());
  g.OnMouseDown({click});
  g.OnMouseUp({click});
  EXPECT_EQ(other->mDowns, 1) << "after the entry closed clicks reach controls again";
}

} // namespace
} // namespace iplug_test
