// Tests of the names a settings file may have, what it must hold to be restored, the registry
// editor's command lines and the split of the settings key into the maker key that clearing keeps
// and the product.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

#include "core/settings/settings_io.h"
#include "core/settings/settings_transfer_rules.h"
#include "settings_test_records.h"

namespace vemora {
namespace {

TEST(SettingsTransfer, FileKindByNameIgnoresCaseAndNeedsANameBeforeTheExtension) {
  const struct {
    std::u16string_view name;
    SettingsFileKind kind;
  } cases[] = {
      {u"C:\\設定\\Vemora.reg", SettingsFileKind::kRegistryExport},
      {u"a.reg", SettingsFileKind::kRegistryExport},
      {u"SAVED.REG", SettingsFileKind::kRegistryExport},
      {u"x.Reg", SettingsFileKind::kRegistryExport},
      {u"Vemora-設定.ini", SettingsFileKind::kIniCopy},
      {u"C:\\BACKUP\\VEMORA.INI", SettingsFileKind::kIniCopy},
      {u"b.iNi", SettingsFileKind::kIniCopy},
      // Four characters are only the extension.
      {u".reg", SettingsFileKind::kRefused},
      {u".INI", SettingsFileKind::kRefused},
      {u"", SettingsFileKind::kRefused},
      {u"reg", SettingsFileKind::kRefused},
      // Only the end of the name counts.
      {u"settings.reg.txt", SettingsFileKind::kRefused},
      {u"settings.ini.bak", SettingsFileKind::kRefused},
      {u"C:\\a.reg\\settings", SettingsFileKind::kRefused},
      {u"settingsreg", SettingsFileKind::kRefused},
      {u"settings.regx", SettingsFileKind::kRefused},
      // Full-width letters are other characters, not another case.
      {u"settings.ＲＥＧ", SettingsFileKind::kRefused},
  };
  for (size_t i = 0; i < std::size(cases); ++i)
    EXPECT_EQ(SettingsFileKindOf(cases[i].name), cases[i].kind) << "case " << i;
}

// The bytes the saver writes for a store with several file types.
std::string SavedIniBytes() {
  namespace fs = std::filesystem;
  const fs::path folder =
      fs::temp_directory_path() / ("vemora-transfer-" + std::to_string(std::random_device{}()));
  fs::create_directories(folder);
  AppOptions options;
  FileTypeSettingList list;
  testing::FillSampleSettings(options, list);
  options.Reg = 1;
  SaveSettings(SettingsLocation{(folder / "Vemora.ini").u16string(), nullptr}, options, list);
  std::ifstream in(folder / "Vemora.ini", std::ios::binary);
  std::string bytes(std::istreambuf_iterator<char>(in), {});
  in.close();
  fs::remove_all(folder);
  return bytes;
}

std::string RandomBytes(size_t size) {
  std::mt19937 random(7);
  std::string bytes(size, '\0');
  for (char& byte : bytes) byte = static_cast<char>(random());
  return bytes;
}

// Only what the saver writes, whole, is taken; a damaged or foreign file would load as
// the defaults and be saved over every store at the next exit.
TEST(SettingsTransfer, IniFileMustBeAWholeSavedStore) {
  const std::string saved = SavedIniBytes();
  ASSERT_GT(saved.size(), 1000u);
  const size_t lastEntry = saved.rfind("\r\n[Vemora\\Options\\Ext");
  const std::string minimal =
      "#\r\n\r\n[Vemora]\r\nRegVer=91\r\n\r\n[Vemora\\Options]\r\nExtSet=1\r\n"
      "[Vemora\\Options\\Ext0]\r\n";
  std::string large;
  while (large.size() < (1u << 20)) large += "[Vemora]\r\nHistNum=3\r\n";
  const struct {
    const char* what;
    std::string bytes;
    bool taken;
  } cases[] = {
      {"as saved", saved, true},
      {"the fewest sections", minimal, true},
      {"empty", "", false},
      {"4 KB of junk", RandomBytes(4096), false},
      {"1 MB of sections", large, false},
      {"cut in half", saved.substr(0, saved.size() / 2), false},
      {"cut inside the last line", saved.substr(0, saved.size() - 3), false},
      {"cut before the last entry", saved.substr(0, lastEntry + 2), false},
      {"another program's", "[Settings]\r\nExtSet=1\r\n[Settings\\Options]\r\nExtSet=1\r\n", false},
      {"the root not first", "[Other]\r\n" + minimal.substr(5), false},
      {"no options", "[Vemora]\r\nRegVer=91\r\n", false},
      {"no count", "[Vemora]\r\n[Vemora\\Options]\r\nReg=1\r\n[Vemora\\Options\\Ext0]\r\n", false},
      {"a count of 0", "[Vemora]\r\n[Vemora\\Options]\r\nExtSet=0\r\n", false},
      {"a missing entry",
       "[Vemora]\r\n[Vemora\\Options]\r\nExtSet=2\r\n[Vemora\\Options\\Ext0]\r\n", false},
  };
  for (const auto& c : cases) EXPECT_EQ(IsWholeIniImage(c.bytes), c.taken) << c.what;
}

std::string Utf16File(std::u16string_view text) {
  std::string bytes = "\xFF\xFE";
  for (const char16_t c : text) {
    bytes.push_back(static_cast<char>(c & 0xFF));
    bytes.push_back(static_cast<char>(c >> 8));
  }
  return bytes;
}

// The registry editor imports whatever keys a file names: only an export of the program's
// own tree, whole, is handed to it.
TEST(SettingsTransfer, RegistryFileMustBeAWholeExportOfTheProgramsKeyAlone) {
  const std::u16string_view root = u"Software\\Kelm\\Vemora";
  const std::u16string header = u"Windows Registry Editor Version 5.00\r\n\r\n";
  const std::u16string body =
      u"[HKEY_CURRENT_USER\\Software\\Kelm\\Vemora]\r\n\"RegVer\"=dword:0000005b\r\n\r\n"
      u"[HKEY_CURRENT_USER\\Software\\Kelm\\Vemora\\Options]\r\n\"Quote\"=\"引用>\"\r\n\r\n";
  const std::vector<std::u16string> both = {u"Software\\Kelm\\Vemora",
                                            u"Software\\Kelm\\Vemora\\Options"};
  const std::string export5 = Utf16File(header + body);
  const struct {
    const char* what;
    std::string bytes;
    std::vector<std::u16string> keys;  // empty: refused
  } cases[] = {
      {"an export", export5, both},
      {"an ANSI export",
       "REGEDIT4\r\n\r\n[hkey_current_user\\SOFTWARE\\kelm\\vemora\\Options\\Ext0]\r\n"
       "\"Name\"=\"\x8B\xA4\x92\xCA\"\r\n\r\n",
       {u"SOFTWARE\\kelm\\vemora\\Options\\Ext0"}},
      {"empty", "", {}},
      {"4 KB of junk", RandomBytes(4096), {}},
      {"1 MB of junk", RandomBytes(1u << 20), {}},
      {"cut inside a character", export5.substr(0, export5.size() - 1), {}},
      {"cut inside a line", export5.substr(0, export5.size() - 6), {}},
      {"without the byte-order mark", export5.substr(2), {}},
      {"another header", Utf16File(u"Windows Registry Editor Version 4.00\r\n\r\n" + body), {}},
      {"the header alone", Utf16File(header), {}},
      {"another program's key",
       Utf16File(header + u"[HKEY_CURRENT_USER\\Software\\Other]\r\n\"A\"=\"b\"\r\n"),
       {}},
      {"one more key",
       Utf16File(header + body + u"[HKEY_LOCAL_MACHINE\\Software\\Kelm\\Vemora]\r\n"),
       {}},
      {"a key that only begins alike",
       Utf16File(header + u"[HKEY_CURRENT_USER\\Software\\Kelm\\VemoraOld]\r\n"),
       {}},
      {"the program's key removed",
       Utf16File(header + u"[-HKEY_CURRENT_USER\\Software\\Kelm\\Vemora]\r\n"),
       {}},
  };
  for (const auto& c : cases) {
    const auto keys = ProgramKeysOfRegistryExport(c.bytes, root);
    EXPECT_EQ(keys.value_or(std::vector<std::u16string>{}), c.keys) << c.what;
  }
}

TEST(SettingsTransfer, RegistryEditorCommandLinesQuoteThePath) {
  EXPECT_EQ(RegistryExportParameters(u"C:\\My Settings\\Vemora.reg", u"Software\\Kelm\\Vemora"),
            u"/e \"C:\\My Settings\\Vemora.reg\" HKEY_CURRENT_USER\\Software\\Kelm\\Vemora");
  EXPECT_EQ(RegistryImportParameters(u"C:\\My Settings\\設定.reg"),
            u"\"C:\\My Settings\\設定.reg\"");
}

TEST(SettingsTransfer, ProductKeyIsTheLastComponentOfTheRoot) {
  const struct {
    std::u16string_view root, maker, product;
  } cases[] = {
      {u"Software\\Kelm\\Vemora", u"Software\\Kelm", u"Vemora"},
      {u"Software\\Tests\\Kelm\\Vemora\\", u"Software\\Tests\\Kelm", u"Vemora"},
      {u"Vemora", u"", u"Vemora"},
  };
  for (const auto& c : cases) {
    const ProductKeyPath split = SplitProductKey(c.root);
    EXPECT_EQ(split.makerKey, c.maker);
    EXPECT_EQ(split.product, c.product);
  }
}

}  // namespace
}  // namespace vemora
