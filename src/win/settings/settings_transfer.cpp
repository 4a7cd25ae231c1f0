// Export, restore and clearing of all settings. The registry editor does the registry's
// file work; the INI medium is a file copy. A restore reads and checks the chosen file
// before anything is replaced, and the replaced INI file is kept as Vemora.ini.bak.
#include "win/settings/settings_transfer.h"

#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "core/platform/files.h"
#include "core/settings/settings_transfer_rules.h"
#include "win/platform/registry_store.h"
#include "win/platform/text_conversion.h"
#include "win/settings/clear_settings_dialog.h"
#include "win/settings/message_dialog.h"
#include "win/shell/app_state.h"
#include "win/shell/application.h"
#include "win/shell/file_dialogs.h"
#include "win/shell/main_window.h"

namespace vemora {
namespace {

constexpr wchar_t kExportTitle[] = L"設定ファイルの保存";
constexpr wchar_t kRestoreTitle[] = L"設定をファイルから復元";
constexpr wchar_t kRegistryFilter[] = L"Regファイル(*.reg)\0*.reg\0全てのファイル\0*\0";
constexpr wchar_t kIniFilter[] = L"INIファイル(*.ini)\0*.ini\0全てのファイル\0*\0";
constexpr wchar_t kRestoreFilter[] =
    L"Reg/Iniファイル(*.reg;*.ini)\0*.reg;*.ini\0全てのファイル\0*\0";
constexpr wchar_t kEditorFailed[] = L"レジストリエディタが起動できませんでした";
constexpr wchar_t kWrongExtension[] = L"設定ファイルは拡張子が.regか.iniでなければなりません。";
constexpr wchar_t kRestartNeeded[] =
    L"設定をファイルから復元するためには、Vemoraを再起動してください。";
// A copy that fails must not look like a success: the user would leave with no backup,
// or restart into the settings they meant to replace.
constexpr wchar_t kExportCopyFailed[] = L"設定ファイルが保存できませんでした";
constexpr wchar_t kRestoreFailed[] = L"設定ファイルが復元できませんでした";
// Read before anything is replaced: a damaged or foreign file would load as the defaults,
// which the next exit would then save over every store of the user's settings.
constexpr wchar_t kNotASettingsFile[] =
    L"このファイルはVemoraの設定ファイルではないか、壊れています。設定は変更されていません。";

void ShowSettingsMessage(const wchar_t* text) {
  ShowMessageDialog(gShell.mainWindow, AsUtf16(text));
}

// The editor runs on its own; the program does not wait for it.
bool StartRegistryEditor(const std::u16string& parameters) {
  const HINSTANCE result = ShellExecuteW(gShell.mainWindow, L"open", L"regedit",
                                         AsWide(parameters.c_str()), L".", SW_SHOW);
  return reinterpret_cast<INT_PTR>(result) > 32;
}

// The chosen file's bytes, read once: what is checked is what is put in place. Nothing
// for a file that cannot be read or is larger than any settings file.
std::optional<std::string> ReadSettingsFile(const std::u16string& path) {
  std::FILE* file = OpenFile(path, "rb");
  if (!file) return std::nullopt;
  const int64_t size = FileSize(file);
  std::optional<std::string> bytes;
  if (size >= 0 && size <= kSettingsFileSizeLimit) {
    bytes.emplace(static_cast<size_t>(size), '\0');
    if (std::fread(bytes->data(), 1, bytes->size(), file) != bytes->size()) bytes.reset();
  }
  std::fclose(file);
  return bytes;
}

bool SameFile(const std::u16string& first, const std::u16string& second) {
  auto identity = [](const std::u16string& path, BY_HANDLE_FILE_INFORMATION& info) {
    const HANDLE file = CreateFileW(AsWide(path.c_str()), 0, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    const bool known = GetFileInformationByHandle(file, &info);
    CloseHandle(file);
    return known;
  };
  BY_HANDLE_FILE_INFORMATION a{}, b{};
  return identity(first, a) && identity(second, b) &&
         a.dwVolumeSerialNumber == b.dwVolumeSerialNumber && a.nFileIndexHigh == b.nFileIndexHigh &&
         a.nFileIndexLow == b.nFileIndexLow;
}

void ExportToRegistryFile() {
  std::u16string path = u"Vemora.reg";
  if (!ShowSaveDialog(gShell.mainWindow, path, kExportTitle, kRegistryFilter, L"reg")) return;
  if (!StartRegistryEditor(RegistryExportParameters(path, gShell.registryRoot)))
    ShowSettingsMessage(kEditorFailed);
}

void ExportIniCopy() {
  std::u16string path = u"Vemora-設定.ini";
  if (!ShowSaveDialog(gShell.mainWindow, path, kExportTitle, kIniFilter, L"ini")) return;
  // Through a temporary file, so that a failed export leaves no half file behind; a file
  // copied onto itself is already in place.
  if (SameFile(gShell.iniFilePath, path)) return;
  const std::optional<std::string> bytes = ReadSettingsFile(gShell.iniFilePath);
  if (!bytes || !ReplaceFileContents(path, *bytes)) ShowSettingsMessage(kExportCopyFailed);
}

std::wstring BackupPath() {
  return AsWide(gShell.iniFilePath.c_str()) + std::wstring(L".bak");
}

// The INI file steps aside as Vemora.ini.bak instead of being discarded, so that a restore
// that turns out wrong can be undone by hand until a start has loaded what replaced it.
bool KeepIniFileAsBackup(bool move) {
  const std::wstring ini = AsWide(gShell.iniFilePath.c_str());
  if (GetFileAttributesW(ini.c_str()) == INVALID_FILE_ATTRIBUTES) return true;
  SetFileAttributesW(BackupPath().c_str(), FILE_ATTRIBUTE_NORMAL);  // an older backup goes
  return move ? MoveFileExW(ini.c_str(), BackupPath().c_str(), MOVEFILE_REPLACE_EXISTING) != 0
              : CopyFileW(ini.c_str(), BackupPath().c_str(), FALSE) != 0;
}

// When each key was last written, or nothing for a key that does not exist.
std::vector<std::optional<FILETIME>> KeyStamps(const std::vector<std::u16string>& keys) {
  std::vector<std::optional<FILETIME>> stamps;
  for (const std::u16string& path : keys) {
    HKEY key = nullptr;
    std::optional<FILETIME>& stamp = stamps.emplace_back();
    if (RegOpenKeyExW(HKEY_CURRENT_USER, AsWide(path.c_str()), 0, KEY_READ, &key) != ERROR_SUCCESS)
      continue;
    FILETIME written{};
    if (RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                         nullptr, nullptr, nullptr, &written) == ERROR_SUCCESS)
      stamp = written;
    RegCloseKey(key);
  }
  return stamps;
}

bool SameStamp(const std::optional<FILETIME>& a, const std::optional<FILETIME>& b) {
  if (!a || !b) return !a && !b;
  return a->dwLowDateTime == b->dwLowDateTime && a->dwHighDateTime == b->dwHighDateTime;
}

enum class EditorRun { kNotStarted, kEnded };

// The editor asks its own questions and may take a while; the window is disabled as under
// a modal dialog, so that no other command and no close runs before it has ended.
EditorRun RunRegistryEditorToTheEnd(const std::u16string& parameters) {
  SHELLEXECUTEINFOW run{};
  run.cbSize = sizeof run;
  run.fMask = SEE_MASK_NOCLOSEPROCESS;
  run.hwnd = gShell.mainWindow;
  run.lpVerb = L"open";
  run.lpFile = L"regedit";
  run.lpParameters = AsWide(parameters.c_str());
  run.lpDirectory = L".";
  run.nShow = SW_SHOW;
  if (!ShellExecuteExW(&run) || reinterpret_cast<INT_PTR>(run.hInstApp) <= 32)
    return EditorRun::kNotStarted;
  if (!run.hProcess) return EditorRun::kEnded;
  EnableWindow(gShell.mainWindow, FALSE);
  bool quit = false;
  int quitCode = 0;
  while (!quit && MsgWaitForMultipleObjects(1, &run.hProcess, FALSE, INFINITE, QS_ALLINPUT) ==
                      WAIT_OBJECT_0 + 1) {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) {
        quit = true;
        quitCode = static_cast<int>(message.wParam);
        break;
      }
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }
  EnableWindow(gShell.mainWindow, TRUE);
  CloseHandle(run.hProcess);
  if (quit) PostQuitMessage(quitCode);
  return EditorRun::kEnded;
}

// The editor's exit status says nothing (it is 0 after a failed import too); a key of the
// file that was made or written while it ran is the sign that the import went through.
bool ImportRegistryFile(const std::u16string& path, const std::vector<std::u16string>& keys) {
  const std::vector<std::optional<FILETIME>> before = KeyStamps(keys);
  if (RunRegistryEditorToTheEnd(RegistryImportParameters(path)) == EditorRun::kNotStarted) {
    ShowSettingsMessage(kEditorFailed);
    return false;
  }
  const std::vector<std::optional<FILETIME>> after = KeyStamps(keys);
  bool imported = false;
  for (size_t i = 0; i < keys.size(); ++i) imported |= after[i] && !SameStamp(before[i], after[i]);
  // The INI file is preferred at start: only now, with the import in the registry, does
  // it step aside so that the import is what loads.
  if (!imported || !KeepIniFileAsBackup(true)) {
    ShowSettingsMessage(kRestoreFailed);
    return false;
  }
  return true;
}

// The new file goes in through a temporary one; the old one stays as the backup.
bool RestoreIniFile(const std::string& bytes) {
  if (!KeepIniFileAsBackup(false) || !ReplaceFileContents(gShell.iniFilePath, bytes)) {
    ShowSettingsMessage(kRestoreFailed);
    return false;
  }
  return true;
}

bool PutSettingsFileInPlace(const std::u16string& path) {
  const SettingsFileKind kind = SettingsFileKindOf(path);
  if (kind == SettingsFileKind::kRefused) {
    ShowSettingsMessage(kWrongExtension);
    return false;
  }
  const std::optional<std::string> bytes = ReadSettingsFile(path);
  if (!bytes) {
    ShowSettingsMessage(kNotASettingsFile);
    return false;
  }
  if (kind == SettingsFileKind::kIniCopy) {
    if (IsWholeIniImage(*bytes)) return RestoreIniFile(*bytes);
  } else if (const auto keys = ProgramKeysOfRegistryExport(*bytes, gShell.registryRoot)) {
    return ImportRegistryFile(path, *keys);
  }
  ShowSettingsMessage(kNotASettingsFile);
  return false;
}

// What was put in place must survive: nothing is saved on the way out.
void CloseWithoutSaving() {
  gShell.saveSettingsAtExit = false;
  PostMessageW(gShell.mainWindow, WM_CLOSE, 0, 0);
}

}  // namespace

void ExportSettings() {
  SavePlacement();
  SaveAllSettings();
  EnableInputMethod(true);
  if (gOptions.Reg == 1)
    ExportIniCopy();
  else
    ExportToRegistryFile();
  EnableInputMethod(false);
}

void RestoreSettings() {
  EnableInputMethod(true);
  std::u16string path;
  const bool chosen = ShowOpenDialog(gShell.mainWindow, path, kRestoreTitle, kRestoreFilter);
  EnableInputMethod(false);
  if (!chosen || !PutSettingsFileInPlace(path)) return;
  ShowSettingsMessage(kRestartNeeded);
  CloseWithoutSaving();
}

void RemoveSettingsBackup() {
  const std::wstring backup = BackupPath();
  SetFileAttributesW(backup.c_str(), FILE_ATTRIBUTE_NORMAL);
  DeleteFileW(backup.c_str());
}

void ClearSettings() {
  if (!ConfirmClearSettings(gShell.mainWindow)) return;
  DeleteProductKey(gShell.registryRoot);
  CloseWithoutSaving();
}

// The maker key stays (it is opened, and made if missing, only to reach the product).
// The whole product tree goes, bottom-up as the registry requires, so that a gap in the
// numbering of the file-type keys or a stray child key leaves nothing behind.
void DeleteProductKey(std::u16string_view rootPath) {
  const ProductKeyPath key = SplitProductKey(rootPath);
  if (key.product.empty()) return;  // never everything under the maker key
  HKEY maker = nullptr;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, AsWide(key.makerKey.c_str()), 0, nullptr, 0,
                      KEY_ALL_ACCESS, nullptr, &maker, nullptr) != ERROR_SUCCESS)
    return;
  RegDeleteTreeW(maker, AsWide(key.product.c_str()));
  RegCloseKey(maker);
}

}  // namespace vemora
