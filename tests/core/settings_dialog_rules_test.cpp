// The rules behind the settings dialogs that need no window: numbers as typed, the field
// table walked both ways, the working copy of the file-type list, the pattern list and
// the colour chooser's custom colours.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "core/settings/dialog_fields.h"
#include "core/settings/file_type_editing.h"

namespace vemora {
namespace {

TEST(SettingsDialogRules, TypedNumbersAreReadAndClamped) {
  struct Case {
    std::u16string text;
    int32_t minimum, maximum, expected;
  };
  const Case cases[] = {
      {u"1", 2, 16, 2},
      {u"16", 2, 16, 16},
      {u"17", 2, 16, 16},
      {u"300", 5, 260, 260},
      {u"", 0, 99, 0},
      {u"abc", 0, 99, 0},
      {u"", 2, 16, 2},
      {u"12abc", 0, 99, 12},
      {u" 7", 0, 99, 7},
      {u"-3", 0, 20, 0},
      {u"25", 0, 20, 20},
      {u"+8", 2, 16, 8},
      {u"99999999999999999999", 0, 20, 20},
      {u"-99999999999999999999", -5, 5, -5},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ReadClampedNumber(c.text, c.minimum, c.maximum), c.expected)
        << std::string(c.text.begin(), c.text.end());
  }
  EXPECT_EQ(DecimalText(0), u"0");
  EXPECT_EQ(DecimalText(260), u"260");
  EXPECT_EQ(DecimalText(INT32_MIN), u"-2147483648");
}

// Controls as plain values, as a dialog would hold them.
class FakeControls final : public DialogControls {
 public:
  std::u16string Text(int id) const override { return Find(texts, id); }
  void SetText(int id, std::u16string_view text) override { texts[id] = std::u16string(text); }
  bool Checked(int id) const override { return Find(checks, id); }
  void SetChecked(int id, bool checked) override { checks[id] = checked; }
  int32_t Position(int id) const override { return Find(positions, id); }
  void SetPosition(int id, int32_t position) override { positions[id] = position; }
  ColorRef Colour(int id) const override { return Find(colours, id); }
  void SetColour(int id, ColorRef colour) override { colours[id] = colour; }

  std::map<int, std::u16string> texts;
  std::map<int, bool> checks;
  std::map<int, int32_t> positions;
  std::map<int, ColorRef> colours;

 private:
  template <typename Map>
  static typename Map::mapped_type Find(const Map& map, int id) {
    const auto found = map.find(id);
    return found == map.end() ? typename Map::mapped_type{} : found->second;
  }
};

const FieldLink<FileTypeSetting> kLinks[] = {
    NumberField(1, 2, &FileTypeSetting::Tab, 2, 2, 16),
    NumberField(3, 4, &FileTypeSetting::Fold, 3, 5, 260),
    NumberField(5, 6, &FileTypeSetting::LineSp, 2, 0, 99),
    CheckField(7, &FileTypeSetting::Cr),
    RadioField(8, 9, &FileTypeSetting::LineType),
    TextField(10, &FileTypeSetting::Editor, 240, 260),
    ColourField(11, &FileTypeSetting::BackCol),
    PositionField(12, &FileTypeSetting::Tab, 1, 30),
};

TEST(SettingsDialogRules, FieldTableShowsAndTakesBackEveryKind) {
  FileTypeSetting setting;
  setting.Tab = 4;
  setting.Cr = 0;
  setting.LineType = 1;
  setting.Editor = u"vi +$L $F";
  setting.BackCol = Rgb(1, 2, 3);
  FakeControls controls;
  ShowFields<FileTypeSetting>(kLinks, setting, controls);
  EXPECT_EQ(controls.texts[1], u"4");
  EXPECT_EQ(controls.texts[3], u"80");
  EXPECT_FALSE(controls.checks[7]);
  EXPECT_FALSE(controls.checks[8]);
  EXPECT_TRUE(controls.checks[9]);
  EXPECT_EQ(controls.texts[10], u"vi +$L $F");
  EXPECT_EQ(controls.colours[11], Rgb(1, 2, 3));

  FileTypeSetting shown = setting;
  TakeFields<FileTypeSetting>(std::span(kLinks, 7), controls, shown);
  EXPECT_EQ(shown, setting) << "showing and taking back changes nothing";

  // What a user may type: out of range, empty, nothing chosen, too long.
  controls.texts[1] = u"1";
  controls.texts[3] = u"300";
  controls.texts[5] = u"";
  controls.checks[7] = true;
  controls.checks[8] = controls.checks[9] = false;
  controls.texts[10] = std::u16string(300, u'x');
  controls.positions[12] = 40;
  TakeFields<FileTypeSetting>(kLinks, controls, shown);
  EXPECT_EQ(shown.Fold, 260);
  EXPECT_EQ(shown.LineSp, 0);
  EXPECT_EQ(shown.Cr, 1);
  EXPECT_EQ(shown.LineType, 0) << "neither radio button chosen gives 0";
  EXPECT_EQ(shown.Editor.size(), 260u);
  EXPECT_EQ(shown.Tab, 30) << "the track bar's position is clamped too";
  controls.positions[12] = -1;
  TakeFields<FileTypeSetting>(kLinks, controls, shown);
  EXPECT_EQ(shown.Tab, 1);

  // A radio field that holds neither value shows its first button.
  shown.LineType = 7;
  ShowFields<FileTypeSetting>(kLinks, shown, controls);
  EXPECT_TRUE(controls.checks[8]);
  EXPECT_FALSE(controls.checks[9]);
}

FileTypeSettingList ListOf(int count) {
  FileTypeSettingList list;
  UseBuiltInFileTypes(list);
  for (int i = 1; i < count; ++i) {
    FileTypeSetting entry;
    entry.Name = u"type " + std::u16string(1, static_cast<char16_t>(u'A' + i));
    entry.Ext = {u"*." + std::u16string(1, static_cast<char16_t>(u'a' + i))};
    list.entries.push_back(entry);
  }
  list.capacity = std::max(10, count);
  list.countAsLoaded = count;
  return list;
}

TEST(SettingsDialogRules, WorkingListLeavesTheLiveListUntilCommitted) {
  FileTypeSettingList live = ListOf(3);
  live.entries[0].Tab = 4;  // new entries must not inherit from the common entry
  const FileTypeSettingList before = live;
  FileTypeWorkingList working(live);
  EXPECT_EQ(working.Append(u"new"), 3);
  EXPECT_TRUE(working.Rename(1, u"renamed"));
  EXPECT_TRUE(working.Remove(2));
  EXPECT_FALSE(working.Rename(0, u"x")) << "the common entry keeps its name";
  EXPECT_FALSE(working.Remove(0)) << "the common entry cannot be removed";
  EXPECT_FALSE(working.Remove(3));
  EXPECT_EQ(live, before) << "nothing reaches the live list before OK";

  ASSERT_EQ(working.Count(), 3);
  EXPECT_EQ(working.Entry(0).Name, u"共通設定");
  EXPECT_EQ(working.Entry(1).Name, u"renamed");
  EXPECT_EQ(working.Entry(2).Name, u"new");
  EXPECT_EQ(working.Entry(2).Tab, 8);
  FileTypeSetting expected = DefaultFileTypeSetting();
  expected.Name = u"new";
  EXPECT_EQ(working.Entry(2), expected);

  live.countAsLoaded = 7;
  working.CommitTo(live);
  EXPECT_EQ(live.Count(), 3);
  EXPECT_EQ(live.entries[1].Name, u"renamed");
  EXPECT_EQ(live.countAsLoaded, 7) << "the saver still needs the loaded count";
}

TEST(SettingsDialogRules, FullListsGrowByTen) {
  struct Case {
    int count, capacityBefore, capacityAfter;
  };
  for (const Case c : {Case{10, 10, 20}, Case{9, 10, 10}, Case{12, 12, 22}, Case{1, 10, 10}}) {
    FileTypeWorkingList working(ListOf(c.count));
    EXPECT_EQ(working.Capacity(), c.capacityBefore);
    working.Append(u"");
    EXPECT_EQ(working.Count(), c.count + 1);
    EXPECT_EQ(working.Capacity(), c.capacityAfter) << c.count;
    FileTypeSettingList live;
    working.CommitTo(live);
    EXPECT_EQ(live.capacity, c.capacityAfter);
  }
  FileTypeWorkingList working(ListOf(1));
  working.Append(std::u16string(50, u'n'));
  EXPECT_EQ(working.Entry(1).Name.size(), 40u) << "names hold 40 characters";
}

TEST(SettingsDialogRules, PatternsStaySortedWithinFiveHundredCharacters) {
  StringList patterns;
  EXPECT_TRUE(AddPattern(patterns, u"readme.???"));
  EXPECT_TRUE(AddPattern(patterns, u"*.txt"));
  EXPECT_TRUE(AddPattern(patterns, u"Makefile"));
  EXPECT_TRUE(AddPattern(patterns, u"a.LOG"));
  EXPECT_FALSE(AddPattern(patterns, u"")) << "an empty pattern is not added";
  EXPECT_EQ(patterns, (StringList{u"*.txt", u"a.LOG", u"Makefile", u"readme.???"}));
  EXPECT_EQ(PatternListLength(patterns), 6 + 6 + 9 + 11);

  // The room is 500 characters with one terminator each: 499 + 1 fits, one more does not.
  StringList full;
  EXPECT_TRUE(AddPattern(full, std::u16string(259, u'a')));
  EXPECT_TRUE(AddPattern(full, std::u16string(239, u'b')));
  EXPECT_EQ(PatternListLength(full), 500);
  EXPECT_FALSE(AddPattern(full, u"c"));
  EXPECT_EQ(full.size(), 2u) << "a refused pattern adds nothing";

  StringList stored = {u"z*", u"B*", u"a*"};
  SortPatterns(stored);
  EXPECT_EQ(stored, (StringList{u"a*", u"B*", u"z*"}));
}

TEST(SettingsDialogRules, CustomColoursCollectEachEntrysColoursOnce) {
  FileTypeSettingList list = ListOf(2);
  list.entries[1].TextCol = Rgb(1, 1, 1);
  const auto colours = CustomColours(Rgb(9, 9, 9), list.entries);
  // Entry 0: text, emphasis, control characters, background, found text; entry 1 adds
  // only its new text colour; the rest stays black.
  const std::array<ColorRef, 16> expected = {
      Rgb(9, 9, 9),       Rgb(0, 0, 0),       Rgb(255, 0, 0), Rgb(128, 128, 128),
      Rgb(255, 255, 255), Rgb(128, 255, 255), Rgb(1, 1, 1)};
  EXPECT_EQ(colours, expected);

  FileTypeSettingList many = ListOf(1);
  for (int i = 0; i < 10; ++i) {
    FileTypeSetting entry;
    entry.TextCol = Rgb(static_cast<uint8_t>(i), 10, 10);
    entry.HighCol = Rgb(static_cast<uint8_t>(i), 20, 20);
    many.entries.push_back(entry);
  }
  const auto filled = CustomColours(Rgb(0, 0, 0), many.entries);
  EXPECT_EQ(filled[0], Rgb(0, 0, 0));
  EXPECT_EQ(filled[1], Rgb(0, 0, 0)) << "slot 0 does not count as already present";
  EXPECT_EQ(filled[14], Rgb(4, 10, 10));
  EXPECT_EQ(filled[15], Rgb(4, 20, 20)) << "filling stops at sixteen";
}

}  // namespace
}  // namespace vemora
