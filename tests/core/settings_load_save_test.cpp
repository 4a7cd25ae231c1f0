// Tests of loading and saving all settings through the INI file: the round trip, the
// start-up fallback, the upgrades of older versions and damaged files.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <random>

#include "core/keys/commands.h"
#include "core/keys/key_table.h"
#include "core/settings/ini_store.h"
#include "core/settings/settings_io.h"
#include "core/settings/settings_roots.h"
#include "settings_test_records.h"

namespace vemora {
namespace {

namespace fs = std::filesystem;

class SettingsLoadSave : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    // A Japanese folder name: paths stay wide all the way to the file system.
    // Unique per run: other checkouts may run the same tests at the same time.
    folder_ =
        fs::temp_directory_path() /
        (std::string("vemora-") + info->name() + "-" + std::to_string(std::random_device{}())) /
        u"設定";
    fs::remove_all(folder_.parent_path());
    fs::create_directories(folder_);
    location_.iniPath = (folder_ / u"Vemora.ini").u16string();
  }
  void TearDown() override { fs::remove_all(folder_.parent_path()); }

  using Filler = std::function<void(SettingsStore&, SettingsKey options)>;

  // Writes a store the way an older version would: RegVer only when given.
  void WriteOldStore(std::optional<int32_t> version, const Filler& fill) {
    auto store = CreateIniStoreForWrite(location_.iniPath);
    if (version) store->WriteInt(store->Root(), u"RegVer", *version);
    SettingsKey options;
    ASSERT_TRUE(store->CreateKey(store->Root(), u"Options", options));
    fill(*store, options);
    ASSERT_TRUE(store->CloseRoot());
  }

  static SettingsKey Entry(SettingsStore& store, SettingsKey options, int index) {
    SettingsKey key;
    store.CreateKey(options, u"Ext" + std::u16string(1, static_cast<char16_t>(u'0' + index)), key);
    return key;
  }

  void WriteFile(std::string_view bytes) {
    std::ofstream out(folder_ / u"Vemora.ini", std::ios::binary);
    out << bytes;
  }

  bool Load() { return LoadSettingsAtStart(location_, options_, list_); }

  fs::path folder_;
  SettingsLocation location_;
  AppOptions options_;
  FileTypeSettingList list_;
};

TEST_F(SettingsLoadSave, RoundTripKeepsEveryField) {
  AppOptions saved;
  FileTypeSettingList savedList;
  testing::FillSampleSettings(saved, savedList);
  ASSERT_EQ(SaveSettings(location_, saved, savedList), SaveResult::kSaved);
  EXPECT_TRUE(Load());
  EXPECT_EQ(options_, saved);
  ASSERT_EQ(list_.Count(), 3);
  EXPECT_EQ(list_.entries[1], savedList.entries[1]);
  EXPECT_EQ(list_, savedList);

  // Saving what was loaded gives the same file again.
  std::ifstream first(folder_ / u"Vemora.ini", std::ios::binary);
  const std::string before(std::istreambuf_iterator<char>(first), {});
  first.close();
  ASSERT_EQ(SaveSettings(location_, options_, list_), SaveResult::kSaved);
  std::ifstream second(folder_ / u"Vemora.ini", std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(second), {}), before);
}

TEST_F(SettingsLoadSave, NothingStoredGivesBuiltInSettings) {
  for (const char* file : {static_cast<const char*>(nullptr), "# no sections\r\nA=1\r\n"}) {
    if (file) WriteFile(file);
    EXPECT_FALSE(Load());
    ASSERT_EQ(list_.Count(), 1);
    EXPECT_EQ(list_.entries[0], DefaultFileTypeSetting());
    EXPECT_EQ(list_.entries[0].Name, u"共通設定");
    EXPECT_EQ(list_.capacity, 10);
    EXPECT_EQ(options_.Keys, 33);
    EXPECT_EQ(options_.KeyTable, std::vector<KeyBinding>(KeyPreset(0).begin(), KeyPreset(0).end()));
    EXPECT_EQ(options_.HistNum, 5);
    EXPECT_EQ(options_.Quote, u">");
    EXPECT_EQ(options_.SmRare, 15);
  }
  // A root without Options counts as nothing stored as well.
  auto store = CreateIniStoreForWrite(location_.iniPath);
  store->WriteInt(store->Root(), u"RegVer", 91);
  ASSERT_TRUE(store->CloseRoot());
  EXPECT_FALSE(Load());
  EXPECT_EQ(options_.Keys, 33);
}

TEST_F(SettingsLoadSave, PlacementSwitchesAndMissingSizeSave) {
  WriteOldStore(91, [](SettingsStore& store, SettingsKey options) {
    store.WriteInt(options, u"WinPosX", 10);
    store.WriteInt(options, u"WinPosY", 20);
    store.WriteInt(options, u"WinWidth", 300);
    store.WriteInt(options, u"WinHeight", 400);
    store.WriteInt(options, u"Maximize", 1);
    store.WriteInt(options, u"PosSave", 0);
    store.WriteInt(options, u"SizeSave", 1);
  });
  EXPECT_TRUE(Load());
  EXPECT_EQ(options_.WinPosX, kUseDefaultPosition);
  EXPECT_EQ(options_.WinPosY, 0);
  EXPECT_EQ(options_.WinWidth, 300);
  EXPECT_EQ(options_.Maximize, 1);

  // Without SizeSave the size is kept exactly when the position is.
  WriteOldStore(91, [](SettingsStore& store, SettingsKey options) {
    store.WriteInt(options, u"WinWidth", 300);
    store.WriteInt(options, u"PosSave", 0);
  });
  EXPECT_TRUE(Load());
  EXPECT_EQ(options_.SizeSave, 0);
  EXPECT_EQ(options_.WinWidth, kUseDefaultPosition);
}

TEST_F(SettingsLoadSave, Version89Store) {
  WriteOldStore(89, [](SettingsStore& store, SettingsKey options) {
    store.WriteInt(options, u"UI", 1);
    store.WriteInt(options, u"Keys", 1);
    store.WriteBytes(options, u"KeyTable", std::vector<uint8_t>{3, 0, 0x41, 0, 0x41, 0x9C});
    store.WriteInt(options, u"ExtSet", 2);
    const uint8_t blue[] = {0, 0, 0xFF, 0};
    store.WriteBytes(options, u"TextCol", blue);
    store.WriteString(options, u"Font", u"-12 0 0 0 700 0 0 0 128 1 2 1 49 MS Gothic");
    store.WriteInt(options, u"LineNum", 1);
    SettingsKey entry = Entry(store, options, 0);
    store.WriteString(entry, u"Name", u"共通設定");
    entry = Entry(store, options, 1);
    store.WriteString(entry, u"Name", u"文書");
    store.WriteStringList(entry, u"Ext", {u"txt", u"doc"});
    const uint8_t gray[] = {0x40, 0x40, 0x40, 0};
    store.WriteBytes(entry, u"CtrlCol", gray);
    const uint8_t red[] = {0xFF, 0, 0, 0};
    store.WriteBytes(entry, u"TabCol", red);
    store.WriteString(entry, u"Editor", u"notepad");
    store.WriteString(entry, u"EdOptUTF8", u"ignored before 91");
  });
  EXPECT_TRUE(Load());
  // UI named the second preset; Keys and KeyTable of an old store mean nothing.
  EXPECT_EQ(options_.KeyTable, std::vector<KeyBinding>(KeyPreset(1).begin(), KeyPreset(1).end()));
  EXPECT_EQ(options_.keyTableCapacity, 58);
  ASSERT_EQ(list_.Count(), 2);
  const FileTypeSetting& entry = list_.entries[1];
  EXPECT_EQ(entry.Ext, (StringList{u"*.txt", u"*.doc"}));
  EXPECT_EQ(entry.FoldRight, 0);
  EXPECT_EQ(entry.TextCol, Rgb(0, 0, 255));       // from Options
  EXPECT_EQ(entry.HighCol, Rgb(255, 0, 0));       // legacy default
  EXPECT_EQ(entry.CrCol, Rgb(0x40, 0x40, 0x40));  // marks take the control colour
  EXPECT_EQ(entry.TabCol, Rgb(255, 0, 0));
  EXPECT_EQ(entry.LineNum, 1);
  EXPECT_EQ(entry.Font.FaceName(), u"MS Gothic");
  EXPECT_EQ(entry.Font.weight, 700);
  EXPECT_EQ(entry.Font.pitchAndFamily, 49);
  EXPECT_EQ(entry.ToolType, 1);
  EXPECT_EQ(entry.Editor, u"notepad");
  EXPECT_EQ(entry.EdOptUTF8, u"");
  EXPECT_EQ(list_.entries[0].CtrlCol, Rgb(0, 0, 255));  // the legacy control colour
}

TEST_F(SettingsLoadSave, Version90AndUnversionedStores) {
  WriteOldStore(90, [](SettingsStore& store, SettingsKey options) {
    store.WriteInt(options, u"UI", 2);
    SettingsKey entry = Entry(store, options, 0);
    store.WriteStringList(entry, u"Ext", {u"*.md"});
  });
  EXPECT_TRUE(Load());
  EXPECT_EQ(options_.Keys, 52);
  EXPECT_EQ(list_.entries[0].Ext, (StringList{u"*.md"}));

  WriteOldStore(std::nullopt, [](SettingsStore& store, SettingsKey options) {
    store.WriteInt(options, u"UI", 7);
    SettingsKey entry = Entry(store, options, 0);
    store.WriteString(entry, u"Editor", u"notepad");
  });
  EXPECT_TRUE(Load());
  EXPECT_EQ(options_.Keys, 33);
  EXPECT_EQ(list_.entries[0].Editor, u"notepad $K $F");
  EXPECT_EQ(list_.entries[0].ToolType, 1);
}

TEST_F(SettingsLoadSave, EveryEditorThisVersionSavesLoadsBack) {
  // The upgrade of the oldest stores adds six characters, and the dialog takes up to 260:
  // both must survive the next start (found by fuzzing).
  const std::u16string oldEditor(254, u'e');
  WriteOldStore(std::nullopt, [&](SettingsStore& store, SettingsKey options) {
    store.WriteString(Entry(store, options, 0), u"Editor", oldEditor);
  });
  ASSERT_TRUE(Load());
  EXPECT_EQ(list_.entries[0].Editor, oldEditor + u" $K $F");
  for (const std::u16string& editor : {oldEditor + u" $K $F", std::u16string(260, u'x')}) {
    list_.entries[0].Editor = editor;
    options_.Reg = 1;
    ASSERT_EQ(SaveSettings(location_, options_, list_), SaveResult::kSaved);
    ASSERT_TRUE(Load());
    EXPECT_EQ(list_.entries[0].Editor, editor);
  }
  // An oldest editor that the upgrade could not fit is not loaded.
  WriteOldStore(std::nullopt, [&](SettingsStore& store, SettingsKey options) {
    store.WriteString(Entry(store, options, 0), u"Editor", std::u16string(255, u'e'));
  });
  ASSERT_TRUE(Load());
  EXPECT_EQ(list_.entries[0].Editor, u"");
}

TEST_F(SettingsLoadSave, MissingEntriesCountsAndShortKeyTable) {
  WriteOldStore(91, [](SettingsStore& store, SettingsKey options) {
    store.WriteInt(options, u"Keys", 3);
    // Two whole entries and a torn third.
    store.WriteBytes(
        options, u"KeyTable",
        std::vector<uint8_t>{0x0B, 0, 'C', 0, 0x53, 0x9C, 0x03, 0, 'Q', 0, 0x41, 0x9C, 0x03, 0});
    store.WriteInt(options, u"ExtSet", 3);
    store.WriteString(Entry(store, options, 0), u"Name", u"共通設定");
    store.WriteString(Entry(store, options, 2), u"Name", u"c");
  });
  EXPECT_TRUE(Load());
  // A torn table is damage: the first preset stands in for it.
  EXPECT_EQ(options_.KeyTable, std::vector<KeyBinding>(KeyPreset(0).begin(), KeyPreset(0).end()));
  ASSERT_EQ(list_.Count(), 3);
  FileTypeSetting unnamed = DefaultFileTypeSetting();
  unnamed.Name.clear();
  EXPECT_EQ(list_.entries[1], unnamed);
  EXPECT_EQ(list_.entries[2].Name, u"c");

  // Twelve entries: the capacity follows the count.
  WriteOldStore(91, [](SettingsStore& store, SettingsKey options) {
    store.WriteInt(options, u"ExtSet", 12);
  });
  EXPECT_TRUE(Load());
  EXPECT_EQ(list_.Count(), 12);
  EXPECT_EQ(list_.capacity, 12);
  EXPECT_EQ(list_.countAsLoaded, 12);
  EXPECT_EQ(list_.entries[0].Name, u"共通設定") << "the common entry, which cannot be renamed";
  EXPECT_EQ(list_.entries[1].Name, u"");

  // Without a usable count the common entry is still read.
  for (const int32_t count : {0, -5}) {
    WriteOldStore(91, [count](SettingsStore& store, SettingsKey options) {
      store.WriteInt(options, u"ExtSet", count);
      store.WriteInt(Entry(store, options, 0), u"Tab", 3);
    });
    EXPECT_TRUE(Load());
    ASSERT_EQ(list_.Count(), 1);
    EXPECT_EQ(list_.entries[0].Tab, 3);
  }
}

TEST_F(SettingsLoadSave, FontRecordText) {
  EXPECT_EQ(FormatFontRecord(DefaultFont()), u"-15 0 0 0 400 0 0 0 128 1 2 1 1 FixedSys");
  const auto font = ParseFontRecord(u"-15 0 0 0 400 0 0 0 255 1 2 1 1 MS  Gothic ");
  ASSERT_TRUE(font);
  EXPECT_EQ(font->charSet, 255);
  EXPECT_EQ(font->FaceName(), u"MS  Gothic ");
  EXPECT_EQ(ParseFontRecord(u"-15 0 0 0 400 0 0 0 128 1 2 1 1 ")->FaceName(), u"");
  EXPECT_FALSE(ParseFontRecord(u"-15 0 0 0 400 0 0 0 128 1 2 1"));  // twelve numbers
  EXPECT_FALSE(ParseFontRecord(u"-15\t0\t0\t0\t400\t0\t0\t0\t128\t1\t2\t1\t1\tX"));  // no spaces
  EXPECT_FALSE(ParseFontRecord(u"FixedSys"));
  const std::u16string longName(40, u'字');
  EXPECT_EQ(ParseFontRecord(u"1 2 3 4 5 6 7 8 9 10 11 12 13 " + longName)->FaceName(),
            longName.substr(0, 31));

  // An unparsable stored font becomes all zero.
  WriteOldStore(91, [](SettingsStore& store, SettingsKey options) {
    store.WriteString(Entry(store, options, 0), u"Font", u"garbage");
  });
  EXPECT_TRUE(Load());
  EXPECT_EQ(list_.entries[0].Font, FontRecord{});
}

TEST_F(SettingsLoadSave, DamagedFileKeepsDefaults) {
  WriteFile(
      "\x82\xA0 not a comment\r\n"
      "[Vemora\r\n"
      "RegVer=91\r\n"
      "[Vemora\\Options]\r\n"
      "HistNum=999\r\n"
      "SmRare=-3\r\n"
      "Bell=2\r\n"
      "Quote="
      "\\3E\\3E\\3E\\3E\\3E\\3E\\3E\\3E\\3E\\3E\\3E\\3E\\3E\\3E\\3E\\3E\\3E\\3E\\3E\\3E\\3E\r\n"
      "Keys=2147483647\r\n"
      "KeyTable=\\0B\\00C\\00\\13\r\n"
      "Hist=" +
      std::string(300000, 'h') +
      "\\00\r\n"
      "ExtSet=2147483647\r\n"
      "[Vemora\\Options\\Ext0]\r\n"
      "Tab=abc\r\n"
      "Fold=4\r\n"
      "LineSp=100\r\n"
      "LineType=2\r\n"
      "TextCol=\\01\\02\r\n"
      "Name=\\\r\n"
      "[Vemora\\Options\\Ext1\r\n"
      "Tab=1");
  EXPECT_TRUE(Load());
  EXPECT_EQ(options_.HistNum, 5);
  EXPECT_EQ(options_.SmRare, 15);
  EXPECT_EQ(options_.Bell, 1);
  EXPECT_EQ(options_.Quote, u"");  // 21 characters do not fit
  EXPECT_EQ(options_.Keys, 33);    // not one whole entry: the first preset
  EXPECT_TRUE(options_.Hist.empty());
  EXPECT_EQ(list_.Count(), 2);  // the entry keys that exist, not the damaged count
  const FileTypeSetting& common = list_.entries[0];
  EXPECT_EQ(common.Tab, 8);
  EXPECT_EQ(common.Fold, 80);
  EXPECT_EQ(common.LineSp, 5);
  EXPECT_EQ(common.LineType, 0);
  EXPECT_EQ(common.TextCol, Rgb(0, 0, 0));
  EXPECT_EQ(common.Name, u"\\");
  EXPECT_EQ(list_.entries[1].Tab, 8);  // 1 is below the limit
}

// Every value with limits is taken at both of them and refused one step beyond each,
// which leaves the field's default. All values of one step are stored together.
TEST_F(SettingsLoadSave, LimitsOfEveryBoundedValue) {
  struct Bounded {
    const char16_t* name;
    int32_t low, high;
    int32_t AppOptions::*option;  // null for a file-type value
    int32_t FileTypeSetting::*entry;
    std::optional<int32_t> whenRefused = std::nullopt;  // the field's default otherwise
  };
  const Bounded table[] = {
      {u"Maximize", 0, 1, &AppOptions::Maximize, nullptr},
      {u"PosSave", 0, 1, &AppOptions::PosSave, nullptr},
      // Without its own value the size is kept as the position is (refused too here).
      {u"SizeSave", 0, 1, &AppOptions::SizeSave, nullptr, 0},
      {u"Tbar", 0, 1, &AppOptions::Tbar, nullptr},
      {u"Sbar", 0, 1, &AppOptions::Sbar, nullptr},
      {u"Reg", 0, 1, &AppOptions::Reg, nullptr},
      {u"Bell", 0, 1, &AppOptions::Bell, nullptr},
      {u"HistNum", 0, 20, &AppOptions::HistNum, nullptr},
      {u"Caret", 0, 1, &AppOptions::Caret, nullptr},
      {u"SmLine", 0, 1, &AppOptions::SmLine, nullptr},
      {u"SmPage", 0, 1, &AppOptions::SmPage, nullptr},
      {u"SmRare", 1, 30, &AppOptions::SmRare, nullptr},
      {u"Caps", 0, 1, &AppOptions::Caps, nullptr},
      {u"Regx", 0, 1, &AppOptions::Regx, nullptr},
      {u"Tab", 2, 16, nullptr, &FileTypeSetting::Tab},
      {u"Fold", 5, 260, nullptr, &FileTypeSetting::Fold},
      {u"LineSp", 0, 99, nullptr, &FileTypeSetting::LineSp},
      {u"Cr", 0, 1, nullptr, &FileTypeSetting::Cr},
      {u"TabMark", 0, 1, nullptr, &FileTypeSetting::TabMark},
      {u"HanSpcMark", 0, 1, nullptr, &FileTypeSetting::HanSpcMark},
      {u"ZenSpcMark", 0, 1, nullptr, &FileTypeSetting::ZenSpcMark},
      {u"LineNum", 0, 1, nullptr, &FileTypeSetting::LineNum},
      {u"LineType", 0, 1, nullptr, &FileTypeSetting::LineType},
      // Older entries without it wrapped at their column.
      {u"FoldRight", 0, 1, nullptr, &FileTypeSetting::FoldRight, 0},
      {u"ToolType", 0, 1, nullptr, &FileTypeSetting::ToolType},
      {u"EditClose", 0, 1, nullptr, &FileTypeSetting::EditClose},
      {u"EditReload", 0, 1, nullptr, &FileTypeSetting::EditReload},
  };
  const AppOptions defaultOptions;
  const FileTypeSetting defaultEntry = DefaultFileTypeSetting();
  struct Step {
    const char* what;
    std::function<int32_t(const Bounded&)> stored;
    bool taken;
  };
  const Step steps[] = {
      {"at the low limit", [](const Bounded& b) { return b.low; }, true},
      {"at the high limit", [](const Bounded& b) { return b.high; }, true},
      {"one below the low limit", [](const Bounded& b) { return b.low - 1; }, false},
      {"one above the high limit", [](const Bounded& b) { return b.high + 1; }, false},
  };
  for (const Step& step : steps) {
    WriteOldStore(91, [&](SettingsStore& store, SettingsKey options) {
      store.WriteInt(options, u"ExtSet", 1);
      const SettingsKey entry = Entry(store, options, 0);
      for (const Bounded& b : table)
        store.WriteInt(b.option ? options : entry, b.name, step.stored(b));
    });
    // The loader alone: the placement switches applied at start would change Maximize.
    ResetSettings(options_, list_);
    std::unique_ptr<SettingsStore> store = OpenRootForRead(location_);
    ASSERT_TRUE(store && LoadSettings(*store, options_, list_));
    for (const Bounded& b : table) {
      const int32_t loaded = b.option ? options_.*b.option : list_.entries[0].*b.entry;
      const int32_t fallback =
          b.whenRefused.value_or(b.option ? defaultOptions.*b.option : defaultEntry.*b.entry);
      EXPECT_EQ(loaded, step.taken ? step.stored(b) : fallback)
          << std::string(b.name, b.name + std::char_traits<char16_t>::length(b.name)) << " "
          << step.what;
    }
  }
}

// Whatever the stored key table looks like, the user ends up with working keys: a whole
// table as stored, anything else the preset that the store's UI names.
TEST_F(SettingsLoadSave, DamagedKeyTableGivesAPreset) {
  const std::vector<uint8_t> two = {0x0B, 0, 'C', 0, 0x53, 0x9C, 0x03, 0, 'Q', 0, 0x41, 0x9C};
  struct Case {
    const char* what;
    std::optional<int32_t> keys;
    std::optional<std::vector<uint8_t>> table;
    std::optional<int32_t> ui;
    int expectedPreset;  // -1: the stored two entries
  };
  const Case cases[] = {
      {"whole table", 2, two, std::nullopt, -1},
      {"whole table, UI ignored", 2, two, 2, -1},
      {"no Keys", std::nullopt, two, std::nullopt, 0},
      {"no KeyTable", 2, std::nullopt, std::nullopt, 0},
      {"empty", 0, std::vector<uint8_t>{}, std::nullopt, 0},
      {"negative count", -2, two, std::nullopt, 0},
      {"count above the data", 3, two, std::nullopt, 0},
      {"count below the data", 1, two, std::nullopt, 0},
      {"torn entry", 2, std::vector<uint8_t>(two.begin(), two.end() - 1), std::nullopt, 0},
      {"huge count", 2147483647, two, std::nullopt, 0},
      {"torn, UI names the second", 3, two, 1, 1},
      {"empty, UI names the third", 0, std::vector<uint8_t>{}, 2, 2},
      {"empty, UI out of range", 0, std::vector<uint8_t>{}, 9, 0},
  };
  for (const Case& c : cases) {
    WriteOldStore(91, [&c](SettingsStore& store, SettingsKey options) {
      if (c.keys) store.WriteInt(options, u"Keys", *c.keys);
      if (c.table) store.WriteBytes(options, u"KeyTable", *c.table);
      if (c.ui) store.WriteInt(options, u"UI", *c.ui);
    });
    ASSERT_TRUE(Load()) << c.what;
    const std::vector<KeyBinding> expected =
        c.expectedPreset < 0
            ? std::vector<KeyBinding>{{0x0B, 0, 'C', CmdCopy}, {0x03, 0, 'Q', CmdExit}}
            : std::vector<KeyBinding>(KeyPreset(c.expectedPreset).begin(),
                                      KeyPreset(c.expectedPreset).end());
    EXPECT_EQ(options_.KeyTable, expected) << c.what;
    EXPECT_EQ(options_.Keys, static_cast<int32_t>(expected.size())) << c.what;
    EXPECT_EQ(options_.keyTableCapacity, options_.Keys) << c.what;
  }
}

// A count that cannot be right takes the entry keys that are there, and makes up none.
TEST_F(SettingsLoadSave, DamagedExtSetLoadsOnlyStoredEntries) {
  const std::optional<int32_t> counts[] = {
      std::nullopt, 0, -5, kMaxFileTypeEntries + 1, 2147483647, -2147483647 - 1};
  for (const std::optional<int32_t> count : counts) {
    const std::string what = count ? std::to_string(*count) : "missing";
    WriteOldStore(91, [count](SettingsStore& store, SettingsKey options) {
      if (count) store.WriteInt(options, u"ExtSet", *count);
      store.WriteInt(Entry(store, options, 0), u"Tab", 3);
      store.WriteString(Entry(store, options, 1), u"Name", u"a");
      store.WriteString(Entry(store, options, 3), u"Name", u"c");  // index 2 is gone
    });
    ASSERT_TRUE(Load()) << what;
    ASSERT_EQ(list_.Count(), 3) << what;
    EXPECT_EQ(list_.entries[0].Tab, 3) << what;
    EXPECT_EQ(list_.entries[1].Name, u"a") << what;
    EXPECT_EQ(list_.entries[2].Name, u"c") << what;
    EXPECT_EQ(list_.capacity, 10) << what;
    EXPECT_EQ(list_.countAsLoaded, 4) << what;  // so that saving removes the old Ext3

    // What is saved back is those three entries and an honest count.
    options_.Reg = 1;
    ASSERT_EQ(SaveSettings(location_, options_, list_), SaveResult::kSaved);
    ASSERT_TRUE(Load()) << what;
    EXPECT_EQ(list_.Count(), 3) << what;
    EXPECT_EQ(list_.countAsLoaded, 3) << what;
    EXPECT_EQ(list_.entries[2].Name, u"c") << what;
  }

  // Without the common entry's key the built-in common entry stands in, name and all.
  WriteOldStore(91, [](SettingsStore& store, SettingsKey options) {
    store.WriteInt(options, u"ExtSet", -1);
    store.WriteString(Entry(store, options, 1), u"Name", u"a");
  });
  ASSERT_TRUE(Load());
  ASSERT_EQ(list_.Count(), 2);
  EXPECT_EQ(list_.entries[0], DefaultFileTypeSetting());
  EXPECT_EQ(list_.entries[1].Name, u"a");
}

TEST_F(SettingsLoadSave, LongEditorAndOverlongColours) {
  const std::u16string longest = u"\"C:\\" + std::u16string(252, u'長') + u"\" $F";
  ASSERT_EQ(longest.size(), 260u);
  WriteOldStore(91, [&longest](SettingsStore& store, SettingsKey options) {
    store.WriteInt(options, u"ExtSet", 2);
    SettingsKey entry = Entry(store, options, 0);
    store.WriteString(entry, u"Editor", longest);
    store.WriteBytes(entry, u"TextCol", std::vector<uint8_t>{1, 2, 3, 4, 5});  // longer
    store.WriteBytes(entry, u"BackCol", std::vector<uint8_t>{1, 2, 3, 0x01});  // top byte set
    store.WriteBytes(entry, u"FindCol", std::vector<uint8_t>{1, 2, 3});        // too short
    store.WriteBytes(entry, u"CtrlCol", std::vector<uint8_t>{9, 8, 7, 0});
    entry = Entry(store, options, 1);
    store.WriteString(entry, u"Editor", longest + u"x");
  });
  ASSERT_TRUE(Load());
  const FileTypeSetting& entry = list_.entries[0];
  EXPECT_EQ(entry.Editor, longest);
  EXPECT_EQ(entry.TextCol, Rgb(1, 2, 3));
  EXPECT_EQ(entry.BackCol, Rgb(1, 2, 3));
  EXPECT_EQ(entry.FindCol, Rgb(128, 128, 128));  // kept what it held before
  EXPECT_EQ(entry.CtrlCol, Rgb(9, 8, 7));
  EXPECT_EQ(list_.entries[1].Editor, u"");  // more than the field holds: not taken

  // What the browse button gives survives a save.
  options_.Reg = 1;
  ASSERT_EQ(SaveSettings(location_, options_, list_), SaveResult::kSaved);
  ASSERT_TRUE(Load());
  EXPECT_EQ(list_.entries[0].Editor, longest);
}

}  // namespace
}  // namespace vemora
