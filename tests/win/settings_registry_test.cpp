// Tests of the registry medium under a scratch key of the real registry: the round trip,
// the value types, the removal of stale keys, and the retiring of a leftover INI file.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "../core/settings_test_records.h"
#include "core/keys/key_table.h"
#include "core/settings/settings_io.h"
#include "win/platform/font_conversion.h"
#include "win/platform/registry_store.h"
#include "win/platform/text_conversion.h"

namespace vemora {
namespace {

namespace fs = std::filesystem;

// A name of its own, so that the clean-up below touches only what these tests retired.
constexpr wchar_t kIniName[] = L"VemoraRegistryTest.ini";

std::wstring Environment(const wchar_t* name) {
  wchar_t value[MAX_PATH] = {};
  const DWORD length = GetEnvironmentVariableW(name, value, MAX_PATH);
  return length > 0 && length < MAX_PATH ? value : L"";
}

// Under Wine the recycle bin is the trash folder of the Unix desktop; take back what the
// tests put there. On Windows the recycle bin keeps it, as it would for a user.
void RemoveFromHostTrash() {
  if (!GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version")) return;
  std::wstring home = Environment(L"WINEHOMEDIR");  // "\\??\\Z:\\home\\user"
  if (home.starts_with(L"\\??\\")) home.erase(0, 4);
  if (home.empty()) return;
  const fs::path trash = fs::path(home) / L".local" / L"share" / L"Trash";
  std::error_code ignored;
  fs::remove(trash / L"files" / kIniName, ignored);
  fs::remove(trash / L"info" / (std::wstring(kIniName) + L".trashinfo"), ignored);
}

class SettingsRegistry : public ::testing::Test {
 protected:
  SettingsRegistry()
      : rootPath_(u"Software\\Kelm\\VemoraTest-" + ToUtf16(std::to_wstring(GetCurrentProcessId()))),
        factory_(rootPath_) {}

  void SetUp() override {
    RegDeleteTreeW(HKEY_CURRENT_USER, ToWide(rootPath_).c_str());
    folder_ = fs::temp_directory_path() / L"vemora-registry-test";
    fs::remove_all(folder_);
    fs::create_directories(folder_);
    location_ = {(folder_ / kIniName).u16string(), &factory_};
  }
  void TearDown() override {
    RegDeleteTreeW(HKEY_CURRENT_USER, ToWide(rootPath_).c_str());
    fs::remove_all(folder_);
    RemoveFromHostTrash();
  }

  bool KeyExists(const std::u16string& subPath) const {
    HKEY key = nullptr;
    const std::wstring path = ToWide(rootPath_ + subPath);
    if (RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
      return false;
    }
    RegCloseKey(key);
    return true;
  }

  // The raw value: its type and bytes.
  std::pair<DWORD, std::vector<uint8_t>> RawValue(const std::u16string& subPath,
                                                  const wchar_t* name) const {
    DWORD type = 0;
    DWORD size = 0;
    const std::wstring path = ToWide(rootPath_ + subPath);
    RegGetValueW(HKEY_CURRENT_USER, path.c_str(), name, RRF_RT_ANY | RRF_NOEXPAND, &type, nullptr,
                 &size);
    std::vector<uint8_t> bytes(size);
    RegGetValueW(HKEY_CURRENT_USER, path.c_str(), name, RRF_RT_ANY | RRF_NOEXPAND, &type,
                 bytes.data(), &size);
    bytes.resize(size);
    return {type, bytes};
  }

  void CreateChildKey(const std::u16string& subPath) const {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, ToWide(rootPath_ + subPath).c_str(), 0, nullptr, 0,
                              KEY_WRITE, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(key);
  }

  std::u16string rootPath_;
  Win32RegistryStoreFactory factory_;
  fs::path folder_;
  SettingsLocation location_;
};

std::vector<uint8_t> Utf16Bytes(std::u16string_view text) {
  const auto* data = reinterpret_cast<const uint8_t*>(text.data());
  return std::vector<uint8_t>(data, data + text.size() * 2);
}

TEST_F(SettingsRegistry, RoundTripWithRegistryValueTypes) {
  AppOptions saved;
  FileTypeSettingList savedList;
  testing::FillSampleSettings(saved, savedList);
  saved.Reg = 0;
  ASSERT_EQ(SaveSettings(location_, saved, savedList), SaveResult::kSaved);
  EXPECT_FALSE(fs::exists(folder_ / kIniName));

  EXPECT_EQ(RawValue(u"", L"RegVer"),
            (std::pair<DWORD, std::vector<uint8_t>>{REG_DWORD, {91, 0, 0, 0}}));
  EXPECT_EQ(RawValue(u"\\Options", L"Quote").first, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(RawValue(u"\\Options", L"Quote").second,
            Utf16Bytes(std::u16string(saved.Quote) + u'\0'));
  EXPECT_EQ(RawValue(u"\\Options", L"FindHist"),
            (std::pair<DWORD, std::vector<uint8_t>>{
                REG_MULTI_SZ, Utf16Bytes(std::u16string(u"正規表現.*\0\\d+=\t\0\0", 14))}));
  EXPECT_EQ(RawValue(u"\\Options", L"KeyTable").first, static_cast<DWORD>(REG_BINARY));
  EXPECT_EQ(RawValue(u"\\Options", L"KeyTable").second.size(), saved.KeyTable.size() * 6);
  EXPECT_EQ(RawValue(u"\\Options\\Ext1", L"TextCol").second, (std::vector<uint8_t>{3, 2, 1, 0}));
  EXPECT_EQ(RawValue(u"\\Options", L"WinPosX").second,
            (std::vector<uint8_t>{0x00, 0x83, 0xFF, 0xFF}));

  AppOptions loaded;
  FileTypeSettingList loadedList;
  EXPECT_TRUE(LoadSettingsAtStart(location_, loaded, loadedList));
  EXPECT_EQ(loaded, saved);
  EXPECT_EQ(loadedList, savedList);
}

TEST_F(SettingsRegistry, IniFileWinsAtLoadAndIsRetiredBySavingToTheRegistry) {
  AppOptions options;
  FileTypeSettingList list;
  LoadSettingsAtStart(location_, options, list);
  options.HistNum = 7;
  ASSERT_EQ(SaveSettings(location_, options, list), SaveResult::kSaved);  // registry
  options.Reg = 1;
  options.HistNum = 3;
  ASSERT_EQ(SaveSettings(location_, options, list), SaveResult::kSaved);  // INI file
  ASSERT_TRUE(fs::exists(folder_ / kIniName));

  EXPECT_TRUE(LoadSettingsAtStart(location_, options, list));
  EXPECT_EQ(options.HistNum, 3);
  EXPECT_EQ(options.Reg, 1);

  options.Reg = 0;
  ASSERT_EQ(SaveSettings(location_, options, list), SaveResult::kSaved);
  EXPECT_FALSE(fs::exists(folder_ / kIniName));
  EXPECT_TRUE(LoadSettingsAtStart(location_, options, list));
  EXPECT_EQ(options.HistNum, 3);
  EXPECT_EQ(options.Reg, 0);
}

TEST_F(SettingsRegistry, SavingRemovesDeletedEntriesAndObsoleteKeys) {
  AppOptions options;
  FileTypeSettingList list;
  LoadSettingsAtStart(location_, options, list);
  list.entries.resize(5, DefaultFileTypeSetting());
  ASSERT_EQ(SaveSettings(location_, options, list), SaveResult::kSaved);
  CreateChildKey(u"\\Options\\UI");
  CreateChildKey(u"\\Options\\Ext0\\EditSJIS");

  ASSERT_TRUE(LoadSettingsAtStart(location_, options, list));
  EXPECT_EQ(list.countAsLoaded, 5);
  list.entries.resize(3);
  ASSERT_EQ(SaveSettings(location_, options, list), SaveResult::kSaved);
  EXPECT_TRUE(KeyExists(u"\\Options\\Ext2"));
  EXPECT_FALSE(KeyExists(u"\\Options\\Ext3"));
  EXPECT_FALSE(KeyExists(u"\\Options\\Ext4"));
  EXPECT_FALSE(KeyExists(u"\\Options\\UI"));
  EXPECT_FALSE(KeyExists(u"\\Options\\Ext0\\EditSJIS"));
}

TEST_F(SettingsRegistry, OlderStoreAndOverlongValues) {
  {
    auto store = factory_.OpenRootForWrite(location_.iniPath);
    ASSERT_NE(store, nullptr);
    EXPECT_EQ(store->Medium(), SettingsMedium::kRegistry);
    store->WriteInt(store->Root(), u"RegVer", 90);
    SettingsKey options, entry;
    ASSERT_TRUE(store->CreateKey(store->Root(), u"Options", options));
    store->WriteInt(options, u"UI", 1);
    store->WriteString(options, u"Quote", std::u16string(21, u'>'));
    ASSERT_TRUE(store->CreateKey(options, u"Ext0", entry));
    store->WriteString(entry, u"Editor", std::u16string(261, u'e'));  // more than the field
    store->WriteString(entry, u"EdOptSJIS", std::u16string(20, u's'));
    store->WriteStringList(entry, u"Ext", {u"*.a", u"*.b"});
    store->WriteBytes(entry, u"TextCol", std::vector<uint8_t>{1, 2, 3, 4, 5, 6, 7, 8});
    store->CloseKey(entry);
    // What the browse button can give: 260 characters.
    ASSERT_TRUE(store->CreateKey(options, u"Ext1", entry));
    store->WriteString(entry, u"Editor", std::u16string(260, u'編'));
    store->CloseKey(entry);
    store->WriteInt(options, u"ExtSet", 2);
    store->CloseKey(options);
    EXPECT_TRUE(store->CloseRoot());
  }
  AppOptions options;
  FileTypeSettingList list;
  ASSERT_TRUE(LoadSettingsAtStart(location_, options, list));
  EXPECT_EQ(options.KeyTable, std::vector<KeyBinding>(KeyPreset(1).begin(), KeyPreset(1).end()));
  EXPECT_EQ(options.Quote, u"");
  EXPECT_EQ(list.entries[0].Editor, u"");
  EXPECT_EQ(list.entries[0].EdOptSJIS, std::u16string(20, u's'));
  EXPECT_EQ(list.entries[0].Ext, (StringList{u"*.a", u"*.b"}));
  EXPECT_EQ(list.entries[0].ToolType, 1);
  EXPECT_EQ(list.entries[0].TextCol, Rgb(1, 2, 3));
  ASSERT_EQ(list.Count(), 2);
  EXPECT_EQ(list.entries[1].Editor, std::u16string(260, u'編'));
}

// A value stored with another type than this version writes (by hand, by another program,
// by a damaged import) loads exactly as if it were missing, so that it is neither misread
// nor saved back in its misread form.
TEST_F(SettingsRegistry, ValueOfTheWrongTypeLoadsAsMissing) {
  struct Case {
    const char16_t* key;
    const wchar_t* name;
    DWORD type;
    std::vector<uint8_t> bytes;
  };
  const Case cases[] = {
      {u"\\Options", L"ExtSet", REG_SZ, Utf16Bytes(std::u16string(u"1\0", 2))},
      {u"\\Options", L"HistNum", REG_BINARY, {3, 0, 0, 0}},
      {u"\\Options", L"Quote", REG_MULTI_SZ, Utf16Bytes(std::u16string(u"ab\0\0", 4))},
      {u"\\Options", L"Quote", REG_EXPAND_SZ, Utf16Bytes(std::u16string(u"ab\0", 3))},
      {u"\\Options", L"FindHist", REG_SZ, Utf16Bytes(std::u16string(u"x\0", 2))},
      {u"\\Options", L"KeyTable", REG_SZ, {}},  // the stored table's own bytes
      {u"\\Options\\Ext1", L"TextCol", REG_SZ, Utf16Bytes(std::u16string(u"0\0", 2))},
      {u"\\Options\\Ext1", L"Tab", REG_BINARY, {4, 0, 0, 0}},
      {u"\\Options\\Ext1", L"Tab", REG_DWORD_BIG_ENDIAN, {0, 0, 0, 4}},
      {u"\\Options\\Ext1", L"Name", REG_MULTI_SZ, Utf16Bytes(std::u16string(u"名\0\0", 3))},
      {u"\\Options\\Ext1", L"Ext", REG_SZ, Utf16Bytes(std::u16string(u"*.c\0", 4))},
  };
  AppOptions sample;
  FileTypeSettingList sampleList;
  testing::FillSampleSettings(sample, sampleList);
  sample.Reg = 0;
  for (const Case& c : cases) {
    std::string what;
    for (const wchar_t* letter = c.name; *letter; ++letter) what += static_cast<char>(*letter);
    SCOPED_TRACE(what + " of type " + std::to_string(c.type));
    ASSERT_EQ(SaveSettings(location_, sample, sampleList), SaveResult::kSaved);
    const std::wstring path = ToWide(rootPath_ + c.key);
    std::vector<uint8_t> bytes = c.bytes;
    if (bytes.empty()) bytes = RawValue(c.key, c.name).second;
    ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, path.c_str(), c.name, c.type, bytes.data(),
                              static_cast<DWORD>(bytes.size())),
              ERROR_SUCCESS);
    AppOptions wrongType;
    FileTypeSettingList wrongTypeList;
    ASSERT_TRUE(LoadSettingsAtStart(location_, wrongType, wrongTypeList));

    ASSERT_EQ(RegDeleteKeyValueW(HKEY_CURRENT_USER, path.c_str(), c.name), ERROR_SUCCESS);
    AppOptions missing;
    FileTypeSettingList missingList;
    ASSERT_TRUE(LoadSettingsAtStart(location_, missing, missingList));
    EXPECT_EQ(wrongType, missing);
    EXPECT_EQ(wrongTypeList, missingList);
  }
}

TEST(SettingsFontConversion, LogFontRoundTrip) {
  const LOGFONTW logFont = ToLogFont(DefaultFont());
  EXPECT_EQ(logFont.lfHeight, -15);
  EXPECT_EQ(logFont.lfWeight, FW_NORMAL);
  EXPECT_EQ(logFont.lfCharSet, SHIFTJIS_CHARSET);
  EXPECT_EQ(logFont.lfOutPrecision, OUT_STRING_PRECIS);
  EXPECT_EQ(logFont.lfClipPrecision, CLIP_STROKE_PRECIS);
  EXPECT_EQ(logFont.lfQuality, DRAFT_QUALITY);
  EXPECT_EQ(logFont.lfPitchAndFamily, FIXED_PITCH);
  EXPECT_STREQ(logFont.lfFaceName, L"FixedSys");
  AppOptions unused;
  FileTypeSettingList list;
  testing::FillSampleSettings(unused, list);
  EXPECT_EQ(FromLogFont(ToLogFont(list.entries[1].Font)), list.entries[1].Font);
}

}  // namespace
}  // namespace vemora
