// Tests of the INI medium: escaping, the file's exact bytes, the reading rules, and
// failures to write.
#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/resource.h>
#endif

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "core/settings/ini_store.h"
#include "core/settings/settings_io.h"

namespace vemora {
namespace {

namespace fs = std::filesystem;

// A fresh folder per test, removed afterwards.
class SettingsIni : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    // Unique per run: other checkouts may run the same tests at the same time.
    folder_ = fs::temp_directory_path() / (std::string("vemora-ini-") + info->name() + "-" +
                                           std::to_string(std::random_device{}()));
    fs::remove_all(folder_);
    fs::create_directories(folder_);
  }
  void TearDown() override { fs::remove_all(folder_); }

  std::u16string Path(const fs::path& name) const { return (folder_ / name).u16string(); }

  static std::string ReadAll(const std::u16string& path) {
    std::ifstream in(fs::path(path), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  static void WriteAll(const std::u16string& path, std::string_view bytes) {
    std::ofstream out(fs::path(path), std::ios::binary);
    out << bytes;
  }

  fs::path folder_;
};

std::unique_ptr<SettingsStore> StoreOver(std::string_view fileBytes) {
  return MakeIniStore(ParseIniImage(fileBytes), u"unused.ini", false);
}

TEST_F(SettingsIni, EscapingRoundTrips) {
  EXPECT_EQ(EscapeIniBytes("C:\\a=b"), "C:\\\\a=b");
  EXPECT_EQ(EscapeIniBytes(std::string("\x01\t\x7F\x80\xFF ~", 7)), "\\01\\09\\7F\\80\\FF ~");
  EXPECT_EQ(UnescapeIniBytes("\\41\\4a\\\\x\\"), "AJ\\x\\");
  EXPECT_EQ(UnescapeIniBytes("\\G1\\4"), "\\G1\\4");  // not escapes: kept as they are
  std::string allBytes;
  for (int b = 0; b < 256; ++b) allBytes += static_cast<char>(b);
  EXPECT_EQ(UnescapeIniBytes(EscapeIniBytes(allBytes)), allBytes);

  // Through a file: backslashes, "=", Japanese text and control characters.
  const std::u16string path = Path("Vemora.ini");
  auto writer = CreateIniStoreForWrite(path);
  const std::u16string tricky = u"C:\\日本語\\a=b\t\x01「テスト」";
  writer->WriteString(writer->Root(), u"S", tricky);
  writer->WriteStringList(writer->Root(), u"L", {u"x=\\y", u"漢字"});
  writer->WriteStringList(writer->Root(), u"Empty", {});
  writer->WriteInt(writer->Root(), u"Min", kUseDefaultPosition);
  ASSERT_TRUE(writer->CloseRoot());
  const std::string file = ReadAll(path);
  EXPECT_NE(file.find("S=C:\\\\\\93\\FA\\96{\\8C\\EA\\\\a=b\\09\\01"), std::string::npos) << file;
  EXPECT_NE(file.find("Empty=\r\n"), std::string::npos);
  EXPECT_NE(file.find("Min=-2147483648\r\n"), std::string::npos);

  auto reader = StoreOver(file);
  std::u16string text;
  EXPECT_TRUE(reader->ReadString(reader->Root(), u"S", text, 100));
  EXPECT_EQ(text, tricky);
  StringList list = {u"stale"};
  EXPECT_TRUE(reader->ReadStringList(reader->Root(), u"L", list, 100));
  EXPECT_EQ(list, (StringList{u"x=\\y", u"漢字"}));
  EXPECT_TRUE(reader->ReadStringList(reader->Root(), u"Empty", list, 100));
  EXPECT_TRUE(list.empty());
  int32_t value = 0;
  EXPECT_TRUE(reader->ReadInt(reader->Root(), u"Min", value));
  EXPECT_EQ(value, kUseDefaultPosition);
}

TEST_F(SettingsIni, ExactFileBytes) {
  const std::u16string path = Path("Vemora.ini");
  auto store = CreateIniStoreForWrite(path);
  store->WriteInt(store->Root(), u"RegVer", 91);
  SettingsKey options;
  ASSERT_TRUE(store->CreateKey(store->Root(), u"Options", options));
  store->WriteInt(options, u"N", -1);
  store->WriteString(options, u"Quote", u"あ\\");
  store->WriteStringList(options, u"Hist", {u"a", u"b"});
  const uint8_t white[] = {0xFF, 0xFF, 0xFF, 0x00};
  store->WriteBytes(options, u"BackCol", white);
  ASSERT_TRUE(store->CloseRoot());

  const unsigned char comment[] = {0x23, 0x20, 0x82, 0xB1, 0x82, 0xCC, 0x83, 0x74, 0x83, 0x40,
                                   0x83, 0x43, 0x83, 0x8B, 0x82, 0xCD, 0x95, 0xD2, 0x8F, 0x57,
                                   0x82, 0xB5, 0x82, 0xC8, 0x82, 0xA2, 0x82, 0xC5, 0x82, 0xAD,
                                   0x82, 0xBE, 0x82, 0xB3, 0x82, 0xA2, 0x81, 0x42};
  const std::string expected = std::string(std::begin(comment), std::end(comment)) +
                               "\r\n"
                               "\r\n[Vemora]\r\n"
                               "RegVer=91\r\n"
                               "\r\n[Vemora\\Options]\r\n"
                               "N=-1\r\n"
                               "Quote=\\82\\A0\\\\\r\n"
                               "Hist=a\\00b\\00\r\n"
                               "BackCol=\\FF\\FF\\FF\\00\r\n";
  EXPECT_EQ(ReadAll(path), expected);
}

TEST_F(SettingsIni, ReadingRules) {
  const std::string huge(200000, 'x');
  auto store = StoreOver(
      "# comment\n"
      "Orphan=1\n"
      "[Root\r\n"  // no closing bracket: the rest of the line names it
      "Count=12abc\r\n"
      "Count=99\r\n"  // the first match wins
      "count=5\r\n"   // names are case-sensitive
      "Bad=abc\r\n"
      "Big=99999999999\r\n"
      "Long=" +
      huge +
      "\r\n"
      "Eq=a=b\r\n"
      "\r\n"
      "[Root\\Child]trailing\n"
      "Fit=12345\n"
      "List=aa\\00bbb\\00cccc\\00\n"
      "Partial=\\FF");  // last line without an end
  ASSERT_NE(store, nullptr);
  const SettingsKey root = store->Root();
  int32_t value = -7;
  EXPECT_FALSE(store->ReadInt(root, u"Orphan", value));
  EXPECT_TRUE(store->ReadInt(root, u"Count", value));
  EXPECT_EQ(value, 12);
  EXPECT_TRUE(store->ReadInt(root, u"Bad", value));
  EXPECT_EQ(value, 0);
  EXPECT_TRUE(store->ReadInt(root, u"Big", value));
  EXPECT_EQ(value, INT32_MAX);
  std::u16string text;
  EXPECT_TRUE(store->ReadString(root, u"Long", text, 300000));
  EXPECT_EQ(text.size(), huge.size());  // a long line is not split
  EXPECT_TRUE(store->ReadString(root, u"Eq", text, 10));
  EXPECT_EQ(text, u"a=b");

  SettingsKey child;
  ASSERT_TRUE(store->OpenKey(root, u"Child", child));
  SettingsKey other;
  EXPECT_FALSE(store->OpenKey(root, u"Other", other));
  text = u"default";
  EXPECT_TRUE(store->ReadString(child, u"Fit", text, 6));
  EXPECT_EQ(text, u"12345");
  text = u"default";
  EXPECT_FALSE(store->ReadString(child, u"Fit", text, 5));  // too long: left empty
  EXPECT_EQ(text, u"");
  text = u"default";
  EXPECT_FALSE(store->ReadString(child, u"Missing", text, 5));
  EXPECT_EQ(text, u"default");
  StringList list;
  EXPECT_TRUE(store->ReadStringList(child, u"List", list, 8));  // "aa" "bbb" and the end
  EXPECT_EQ(list, (StringList{u"aa", u"bbb"}));
  std::vector<uint8_t> bytes;
  EXPECT_TRUE(store->ReadBytes(child, u"Partial", bytes, 4));
  EXPECT_EQ(bytes, (std::vector<uint8_t>{0xFF}));
  EXPECT_FALSE(store->DeleteKey(root, u"Child"));

  EXPECT_EQ(StoreOver("# only a comment\r\nName=1\r\n"), nullptr);
}

TEST_F(SettingsIni, UnwritableFileIsReported) {
  const std::u16string path = Path("missing-folder/Vemora.ini");
  auto store = CreateIniStoreForWrite(path);
  store->WriteInt(store->Root(), u"RegVer", 91);
  EXPECT_FALSE(store->CloseRoot());

  AppOptions options;
  FileTypeSettingList list;
  LoadSettingsAtStart({path, nullptr}, options, list);
  options.Reg = 1;
  EXPECT_EQ(SaveSettings(SettingsLocation{path, nullptr}, options, list),
            SaveResult::kIniNotWritable);
  options.Reg = 0;  // no registry in this build: nothing to save to
  EXPECT_EQ(SaveSettings(SettingsLocation{path, nullptr}, options, list), SaveResult::kNoRoot);
  EXPECT_EQ(std::u16string(kIniSaveFailedMessage), u"INIファイルに設定が保存できません");
}

// The folder's file names, to see that no temporary file is left behind.
std::vector<std::string> FolderNames(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& item : fs::directory_iterator(folder))
    names.push_back(item.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

TEST_F(SettingsIni, SavingReplacesTheFileInOneStep) {
  const std::u16string path = Path("Vemora.ini");
  WriteAll(path, std::string(20000, 'x'));  // longer than what replaces it
  auto store = CreateIniStoreForWrite(path);
  store->WriteInt(store->Root(), u"RegVer", 91);
  ASSERT_TRUE(store->CloseRoot());
  EXPECT_EQ(ReadAll(path), std::string(kIniCommentLine) + "\r\n\r\n[Vemora]\r\nRegVer=91\r\n");
  EXPECT_EQ(FolderNames(folder_), std::vector<std::string>{"Vemora.ini"});

  // A file that cannot be put in place (a folder holds its name) is reported, and the
  // file written for it is gone again.
  const std::u16string blocked = Path("Blocked.ini");
  fs::create_directories(fs::path(blocked) / "inside");
  store = CreateIniStoreForWrite(blocked);
  store->WriteInt(store->Root(), u"RegVer", 91);
  EXPECT_FALSE(store->CloseRoot());
  EXPECT_TRUE(fs::is_directory(fs::path(blocked) / "inside"));
  EXPECT_EQ(FolderNames(folder_), (std::vector<std::string>{"Blocked.ini", "Vemora.ini"}));
}

#ifndef _WIN32
// A disk that fills up in the middle of a save: the settings saved before survive.
TEST_F(SettingsIni, FailedWriteKeepsTheOldFile) {
  const std::u16string path = Path("Vemora.ini");
  const std::string before = std::string(kIniCommentLine) + "\r\n\r\n[Vemora]\r\nRegVer=91\r\n";
  WriteAll(path, before);
  AppOptions options;
  FileTypeSettingList list;
  LoadSettingsAtStart({path, nullptr}, options, list);
  options.Reg = 1;

  // Files may not grow beyond 100 bytes while saving; the write fails instead of the
  // signal ending the process.
  rlimit saved{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
  rlimit small = saved;
  small.rlim_cur = 100;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  const SaveResult result = SaveSettings(SettingsLocation{path, nullptr}, options, list);
  setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, previousHandler);

  EXPECT_EQ(result, SaveResult::kIniNotWritable);
  EXPECT_EQ(ReadAll(path), before);
  EXPECT_EQ(FolderNames(folder_), std::vector<std::string>{"Vemora.ini"});
}
#endif

TEST_F(SettingsIni, IniPathBesideExecutable) {
  EXPECT_EQ(IniPathBeside(u"C:\\Program Files\\Vemora\\vemora.exe"),
            u"C:\\Program Files\\Vemora\\Vemora.ini");
  EXPECT_EQ(IniPathBeside(u"D:vemora.exe"), u"D:Vemora.ini");
  EXPECT_EQ(IniPathBeside(u"/opt/v/vemora"), u"/opt/v/Vemora.ini");
  EXPECT_EQ(IniPathBeside(u"vemora.exe"), u"Vemora.ini");
}

}  // namespace
}  // namespace vemora
