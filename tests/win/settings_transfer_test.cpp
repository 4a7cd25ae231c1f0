// Tests of exporting, restoring and clearing settings in the running viewer: the file
// dialogs and message boxes are answered from inside their own loops as a user would, and the
// results are read where a user finds them (the exported file, the INI file, the
// registry, whether the program is still running).
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "core/keys/commands.h"
#include "core/settings/settings_transfer_rules.h"
#include "dialog_script.h"
#include "viewer_host.h"
#include "win/platform/text_conversion.h"
#include "win/settings/settings_transfer.h"
#include "win/shell/app_state.h"

namespace vemora::testing {
namespace {

namespace fs = std::filesystem;

constexpr int kFileNameBox = 0x47C;  // the file-name box of the system's file dialogs

// One dialog to answer: found by its caption, optionally given a file name, then closed
// with the button.
struct Answer {
  std::wstring caption;
  UINT button = IDOK;
  std::wstring fileName;  // typed into the file-name box when not empty
};

// What the answered dialog showed.
struct Seen {
  std::wstring caption;
  std::vector<std::wstring> texts;  // static texts, in window order
  std::wstring proposedName;        // the file-name box before typing
  int defaultButton = 0;
  int focusedControl = 0;
};

Seen Inspect(HWND dialog) {
  Seen seen;
  seen.caption = WindowText(dialog);
  seen.texts = StaticTexts(dialog);
  if (HWND name = GetDlgItem(dialog, kFileNameBox)) seen.proposedName = WindowText(name);
  seen.defaultButton = LOWORD(SendMessageW(dialog, DM_GETDEFID, 0, 0));
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  if (GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &info) && info.hwndFocus)
    seen.focusedControl = GetDlgCtrlID(info.hwndFocus);
  return seen;
}

// Runs the command and answers the dialogs it opens, in order; returns what each showed.
// A dialog no answer expects is cancelled and listed by its caption alone, so a wrong
// message box fails the test instead of hanging it.
std::vector<Seen> AnswerDialogs(ViewerHost& host, int command, const std::vector<Answer>& answers) {
  std::vector<Seen> seen;
  std::vector<DialogScript::Step> steps;
  for (const Answer& answer : answers)
    steps.push_back(On(answer.caption, [&seen, answer](HWND dialog) {
      seen.push_back(Inspect(dialog));
      if (!answer.fileName.empty()) SetItemText(dialog, kFileNameBox, answer.fileName);
      PostMessageW(dialog, WM_COMMAND, answer.button, 0);
    }));
  DialogScript script(std::move(steps));
  host.Command(command);
  for (const std::wstring& caption : script.Cancelled()) {
    Seen unexpected;
    unexpected.caption = caption;
    seen.push_back(unexpected);
  }
  return seen;
}

std::string ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// The registry editor runs on its own: wait for what it writes.
template <typename Done>
bool WaitUntil(Done done, int seconds = 30) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  while (std::chrono::steady_clock::now() < end) {
    if (done()) return true;
    Sleep(50);
  }
  return done();
}

std::wstring RegistryFileText(const fs::path& path) {
  const std::string bytes = ReadBytes(path);
  if (bytes.size() < 2 || bytes.compare(0, 2, "\xFF\xFE") != 0) return L"";
  return std::wstring(reinterpret_cast<const wchar_t*>(bytes.data() + 2), (bytes.size() - 2) / 2);
}

bool KeyExists(const std::wstring& path) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
    return false;
  RegCloseKey(key);
  return true;
}

void CreateKey(const std::wstring& path) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr,
                            &key, nullptr),
            ERROR_SUCCESS);
  RegCloseKey(key);
}

std::wstring StringValue(const std::wstring& key, const wchar_t* name) {
  wchar_t text[256] = {};
  DWORD size = sizeof text;
  if (RegGetValueW(HKEY_CURRENT_USER, key.c_str(), name, RRF_RT_REG_SZ, nullptr, text, &size) !=
      ERROR_SUCCESS)
    return L"(missing)";
  return text;
}

bool ValueExists(const std::wstring& key, const wchar_t* name) {
  return RegGetValueW(HKEY_CURRENT_USER, key.c_str(), name, RRF_RT_ANY, nullptr, nullptr,
                      nullptr) == ERROR_SUCCESS;
}

const std::wstring kRoot = kScratchRegistryRoot;
const std::wstring kOptions = kRoot + L"\\Options";
const std::wstring kMakerKey = L"Software\\VemoraTests";

// An INI store in INI mode, as a user's hand would leave it: short, so any save shows.
constexpr char kIniStore[] =
    "#\r\n\r\n[Vemora]\r\nRegVer=91\r\n\r\n[Vemora\\Options]\r\nReg=1\r\nHistNum=3\r\n"
    "ExtSet=1\r\n";

// A restored INI file: another user's settings, in another letter case.
constexpr char kRestoredIni[] =
    "#\r\n\r\n[Vemora]\r\nRegVer=91\r\n\r\n[Vemora\\Options]\r\nReg=1\r\nHistNum=9\r\n"
    "Quote=restored\r\nExtSet=1\r\n\r\n[Vemora\\Options\\Ext0]\r\nTab=4\r\n";

Answer RestoreDialog(const std::wstring& path) {
  return {Wide("設定をファイルから復元"), IDOK, path};
}
Answer MessageBoxAnswer() {
  return {L"Vemora", IDOK, L""};
}

TEST(SettingsExport, IniModeWritesAByteCopyOfTheFreshlySavedFile) {
  ViewerHost host;
  host.Folder().Write(L"Vemora.ini", kIniStore);
  ASSERT_TRUE(host.Start(L""));
  const std::wstring target = host.Folder().File(L"backup.ini");
  const std::vector<Seen> seen =
      AnswerDialogs(host, CmdExportSettings, {{Wide("設定ファイルの保存"), IDOK, target}});

  ASSERT_EQ(seen.size(), 1u) << "no message after a good copy";
  EXPECT_EQ(seen[0].proposedName, Wide("Vemora-設定.ini"));
  const std::string saved = ReadBytes(host.IniPath());
  EXPECT_NE(saved.find("WinWidth="), std::string::npos) << "saved before the copy";
  EXPECT_EQ(ReadBytes(target), saved);
  EXPECT_TRUE(host.Running()) << "export leaves the program running";
}

TEST(SettingsExport, IniCopyThatCannotBeWrittenIsReported) {
  ViewerHost host;
  host.Folder().Write(L"Vemora.ini", kIniStore);
  const std::wstring target = host.Folder().Write(L"kept.ini", "kept");
  ASSERT_TRUE(SetFileAttributesW(target.c_str(), FILE_ATTRIBUTE_READONLY));
  ASSERT_TRUE(host.Start(L""));
  const std::wstring title = Wide("設定ファイルの保存");
  const std::vector<Seen> seen = AnswerDialogs(
      host, CmdExportSettings, {{title, IDOK, target}, {title, IDYES, L""}, MessageBoxAnswer()});
  ASSERT_EQ(seen.size(), 3u) << seen.back().caption;
  EXPECT_EQ(seen[2].texts.at(0), Wide("設定ファイルが保存できませんでした"));
  EXPECT_EQ(ReadBytes(target), "kept");
  EXPECT_TRUE(host.Running());
  SetFileAttributesW(target.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST(SettingsExport, RegistryModeHasTheEditorWriteTheProductKey) {
  ViewerHost host;
  ASSERT_TRUE(host.Start(L""));
  const std::wstring target = host.Folder().File(L"exported.reg");
  const std::vector<Seen> seen =
      AnswerDialogs(host, CmdExportSettings, {{Wide("設定ファイルの保存"), IDOK, target}});
  ASSERT_EQ(seen.size(), 1u) << (seen.size() > 1 ? seen[1].caption : L"");
  EXPECT_EQ(seen[0].proposedName, L"Vemora.reg");

  const std::wstring optionsHeader = L"[HKEY_CURRENT_USER\\" + kOptions + L"]";
  ASSERT_TRUE(WaitUntil([&] {
    const std::wstring text = RegistryFileText(target);
    return text.find(L"\"ExtSet\"=") != std::wstring::npos;
  })) << "the editor wrote no export";
  const std::wstring text = RegistryFileText(target);
  EXPECT_EQ(text.rfind(L"Windows Registry Editor", 0), 0u);
  EXPECT_NE(text.find(L"[HKEY_CURRENT_USER\\" + kRoot + L"]"), std::wstring::npos);
  EXPECT_NE(text.find(L"\"RegVer\"=dword:0000005b"), std::wstring::npos) << "saved first";
  EXPECT_NE(text.find(optionsHeader), std::wstring::npos);
  EXPECT_NE(text.find(L"[HKEY_CURRENT_USER\\" + kOptions + L"\\Ext0]"), std::wstring::npos);
  EXPECT_TRUE(WaitUntil([&] {
    return ProgramKeysOfRegistryExport(ReadBytes(target), ToUtf16(kRoot)).has_value();
  })) << "what the editor exports can be restored";
  EXPECT_TRUE(host.Running());
}

TEST(SettingsRestore, IniFileInAnyCaseReplacesTheStoreAndNothingIsSavedAtExit) {
  ViewerHost host;
  host.Folder().Write(L"Vemora.ini", kIniStore);
  const std::wstring source = host.Folder().Write(L"FROM-ANOTHER-PC.INI", kRestoredIni);
  ASSERT_TRUE(host.Start(L""));
  const std::vector<Seen> seen =
      AnswerDialogs(host, CmdImportSettings, {RestoreDialog(source), MessageBoxAnswer()});
  host.Pump();

  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[0].proposedName, L"");
  ASSERT_EQ(seen[1].texts.size(), 1u);
  EXPECT_EQ(seen[1].texts[0],
            Wide("設定をファイルから復元するためには、Vemoraを再起動してください。"));
  EXPECT_FALSE(host.Running()) << "the program ends after a restore";
  host.Close();  // what the entry does after the message loop
  EXPECT_EQ(ReadBytes(host.IniPath()), kRestoredIni) << "not overwritten at exit";
  const fs::path backup = host.IniPath() + L".bak";
  EXPECT_EQ(ReadBytes(backup), kIniStore) << "the replaced file is kept";
  for (const auto& item : fs::directory_iterator(host.Folder().Path()))
    EXPECT_NE(item.path().extension(), L".tmp") << "the temporary file is gone";

  // A start that loads the restored settings no longer needs the backup.
  ASSERT_TRUE(host.Start(L""));
  EXPECT_FALSE(fs::exists(backup));
}

TEST(SettingsRestore, OtherNamesAreRefusedAndTheProgramGoesOnAsBefore) {
  // Each dialog costs Wine two seconds without a window manager: the other names are
  // covered where the rule lives.
  for (const wchar_t* name : {L"settings.reg.txt"}) {
    SCOPED_TRACE(name);
    ViewerHost host;
    host.Folder().Write(L"Vemora.ini", kIniStore);
    const std::wstring source = host.Folder().Write(name, kRestoredIni);
    ASSERT_TRUE(host.Start(L""));
    const std::vector<Seen> seen =
        AnswerDialogs(host, CmdImportSettings, {RestoreDialog(source), MessageBoxAnswer()});
    host.Pump();

    ASSERT_EQ(seen.size(), 2u);
    ASSERT_EQ(seen[1].texts.size(), 1u);
    EXPECT_EQ(seen[1].texts[0], Wide("設定ファイルは拡張子が.regか.iniでなければなりません。"));
    EXPECT_TRUE(host.Running());
    EXPECT_EQ(ReadBytes(host.IniPath()), kIniStore) << "nothing changes";
    host.Close();
    const std::string atExit = ReadBytes(host.IniPath());
    EXPECT_NE(atExit.find("WinWidth="), std::string::npos) << "saved at exit as usual";
    EXPECT_NE(atExit.find("HistNum=3\r\n"), std::string::npos);
  }
}

// A registry export is imported by the editor; only once the import is in the registry
// does the INI file, which the next start would prefer, step aside as the backup.
TEST(SettingsRestore, RegistryFileIsImportedAndTheIniFileRetired) {
  ViewerHost host;
  host.Folder().Write(L"Vemora.ini", kIniStore);
  const std::wstring key = L"[HKEY_CURRENT_USER\\" + kOptions + L"]\r\n";
  const std::wstring text = L"\xFEFFWindows Registry Editor Version 5.00\r\n\r\n" + key +
                            L"\"Quote\"=\"" + Wide("復元> ") + L"\"\r\n\"Reg\"=dword:00000000\r\n";
  const std::string bytes(reinterpret_cast<const char*>(text.data()), text.size() * 2);
  const std::wstring source = host.Folder().Write(L"Saved Settings.Reg", bytes);
  ASSERT_TRUE(host.Start(L""));
  const std::vector<Seen> seen =
      AnswerDialogs(host, CmdImportSettings, {RestoreDialog(source), MessageBoxAnswer()});
  host.Pump();

  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[1].texts.at(0),
            Wide("設定をファイルから復元するためには、Vemoraを再起動してください。"));
  EXPECT_FALSE(host.Running());
  EXPECT_EQ(StringValue(kOptions, L"Quote"), Wide("復元> ")) << "imported before the message";
  host.Close();  // what the entry does after the message loop
  EXPECT_FALSE(ValueExists(kRoot, L"RegVer")) << "nothing saved at exit";
  EXPECT_FALSE(fs::exists(host.IniPath()));
  EXPECT_EQ(ReadBytes(host.IniPath() + L".bak"), kIniStore);
}

// Files that are not what their names claim are refused before anything is touched: the
// INI file survives byte for byte, the registry gets nothing, and the program goes on.
TEST(SettingsRestore, DamagedOrForeignFilesAreRefusedAndTheStoreSurvives) {
  ViewerHost host;
  host.Folder().Write(L"Vemora.ini", kIniStore);
  std::string junk(4096, '\0');
  for (size_t i = 0; i < junk.size(); ++i) junk[i] = static_cast<char>(i * 7919 % 251);
  std::string large;
  while (large.size() < (10u << 20)) large += "HistNum=3\r\n";
  const std::string restored = kRestoredIni;
  const std::wstring foreignKey =
      L"\xFEFFWindows Registry Editor Version 5.00\r\n\r\n"
      L"[HKEY_CURRENT_USER\\Software\\VemoraTests\\Other]\r\n"
      L"\"A\"=\"b\"\r\n";
  const struct {
    const wchar_t* name;
    std::string bytes;
  } files[] = {
      {L"junk.ini", junk},
      {L"empty.ini", ""},
      {L"truncated.ini", restored.substr(0, restored.size() - 9)},
      {L"foreign.ini", "[Settings]\r\nExtSet=1\r\n"},
      {L"large.ini", large},
      {L"junk.reg", junk},
      {L"truncated.reg", "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\" +
                             std::string(kOptions.begin(), kOptions.end()) + "]\r\n\"Q"},
      {L"foreign.reg",
       std::string(reinterpret_cast<const char*>(foreignKey.data()), foreignKey.size() * 2)},
      {L"large.reg", "REGEDIT4\r\n" + large},
  };
  ASSERT_TRUE(host.Start(L""));
  for (const auto& file : files) {
    SCOPED_TRACE(file.name);
    const std::wstring source = host.Folder().Write(file.name, file.bytes);
    const std::vector<Seen> seen =
        AnswerDialogs(host, CmdImportSettings, {RestoreDialog(source), MessageBoxAnswer()});
    host.Pump();
    ASSERT_EQ(seen.size(), 2u);
    ASSERT_EQ(seen[1].texts.size(), 1u);
    EXPECT_EQ(seen[1].texts[0], Wide("このファイルはVemoraの設定ファイルではないか、壊れています。"
                                     "設定は変更されていません。"));
    ASSERT_TRUE(host.Running());
    EXPECT_EQ(ReadBytes(host.IniPath()), kIniStore);
    EXPECT_FALSE(fs::exists(host.IniPath() + L".bak"));
  }
  EXPECT_FALSE(KeyExists(kRoot));
  EXPECT_FALSE(KeyExists(kMakerKey + L"\\Other"));
  host.Close();
  EXPECT_NE(ReadBytes(host.IniPath()).find("HistNum=3\r\n"), std::string::npos)
      << "saved at exit as usual";
}

// A read-only INI file is the user's "do not write": the restore says it failed and
// leaves it as it was.
TEST(SettingsRestore, ReadOnlyIniFileIsNotReplaced) {
  ViewerHost host;
  host.Folder().Write(L"Vemora.ini", kIniStore);
  const std::wstring source = host.Folder().Write(L"restored.ini", kRestoredIni);
  ASSERT_TRUE(SetFileAttributesW(host.IniPath().c_str(), FILE_ATTRIBUTE_READONLY));
  ASSERT_TRUE(host.Start(L""));
  const std::vector<Seen> seen =
      AnswerDialogs(host, CmdImportSettings, {RestoreDialog(source), MessageBoxAnswer()});
  host.Pump();
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[1].texts.at(0), Wide("設定ファイルが復元できませんでした"));
  EXPECT_TRUE(host.Running());
  EXPECT_EQ(ReadBytes(host.IniPath()), kIniStore);
  SetFileAttributesW(host.IniPath().c_str(), FILE_ATTRIBUTE_NORMAL);
  host.Close();
}

TEST(SettingsClear, DialogDefaultsToKeepingAndCancelKeepsEverything) {
  ViewerHost host;
  ASSERT_TRUE(host.Start(L""));
  host.Close();  // the registry now holds a store
  ASSERT_TRUE(host.Start(L""));
  const std::vector<Seen> seen =
      AnswerDialogs(host, CmdClearSettings, {{Wide("全設定の消去"), IDCANCEL, L""}});
  host.Pump();

  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].texts, (std::vector<std::wstring>{
                               Wide("Vemoraの全ての設定情報をレジストリから消去して終了します。"),
                               Wide("よろしいですか？")}));
  EXPECT_EQ(seen[0].defaultButton, IDCANCEL);
  EXPECT_EQ(seen[0].focusedControl, IDCANCEL) << "Enter must not clear";
  EXPECT_TRUE(host.Running());
  EXPECT_TRUE(KeyExists(kOptions + L"\\Ext0"));
}

TEST(SettingsClear, RemovesTheWholeProductKeyKeepsTheMakerKeyAndDoesNotSaveAgain) {
  ViewerHost host;
  ASSERT_TRUE(host.Start(L""));
  host.Close();
  // A damaged store: a gap in the entry numbering and a stray child key.
  CreateKey(kOptions + L"\\Ext5");
  CreateKey(kOptions + L"\\Ext0\\EditSJIS");
  ASSERT_TRUE(host.Start(L""));
  EXPECT_EQ(AnswerDialogs(host, CmdClearSettings, {{Wide("全設定の消去"), IDOK, L""}}).size(), 1u);
  host.Pump();

  EXPECT_FALSE(host.Running()) << "clearing ends the program";
  host.Close();  // what the entry does after the message loop
  EXPECT_FALSE(KeyExists(kRoot)) << "not written again at exit";
  EXPECT_TRUE(KeyExists(kMakerKey));
}

TEST(SettingsClear, LeavesTheIniFileAlone) {
  ViewerHost host;
  host.Folder().Write(L"Vemora.ini", kIniStore);
  ASSERT_TRUE(host.Start(L""));
  EXPECT_EQ(AnswerDialogs(host, CmdClearSettings, {{Wide("全設定の消去"), IDOK, L""}}).size(), 1u);
  host.Pump();
  EXPECT_FALSE(host.Running());
  host.Close();  // what the entry does after the message loop
  EXPECT_EQ(ReadBytes(host.IniPath()), kIniStore);
  EXPECT_FALSE(KeyExists(kRoot));
}

TEST(SettingsClear, ProductKeyRemovalNeverReachesBeyondTheProduct) {
  CreateKey(kMakerKey + L"\\Sibling");
  CreateKey(kRoot + L"\\Options\\Ext0");
  DeleteProductKey(ToUtf16(kRoot));
  EXPECT_FALSE(KeyExists(kRoot));
  EXPECT_TRUE(KeyExists(kMakerKey + L"\\Sibling"));
  DeleteProductKey(u"");
  DeleteProductKey(u"\\");
  EXPECT_TRUE(KeyExists(kMakerKey + L"\\Sibling")) << "an empty product name removes nothing";
  RegDeleteTreeW(HKEY_CURRENT_USER, (kMakerKey + L"\\Sibling").c_str());
}

}  // namespace
}  // namespace vemora::testing
