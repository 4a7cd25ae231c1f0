// Export, restore and clearing of all settings. The registry editor does the registry's
// file work; the INI medium is a plain file copy.
#include "win/settings/settings_transfer.h"

#include <windows.h>
#include <shellapi.h>

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
constexpr wchar_t kRestoreCopyFailed[] = L"設定ファイルが復元できませんでした";

void ShowSettingsMessage(const wchar_t* text) {
  ShowMessageDialog(gShell.mainWindow, AsUtf16(text));
}

// The editor runs on its own; the program does not wait for it.
bool StartRegistryEditor(const std::u16string& parameters) {
  const HINSTANCE result = ShellExecuteW(gShell.mainWindow, L"open", L"regedit",
                                         AsWide(parameters.c_str()), L".", SW_SHOW);
  return reinterpret_cast<INT_PTR>(result) > 32;
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

// A file copied onto itself is already in place; the copy could only damage it.
bool CopySettingsFile(const std::u16string& from, const std::u16string& to) {
  if (SameFile(from, to)) return true;
  return CopyFileW(AsWide(from.c_str()), AsWide(to.c_str()), FALSE) != 0;
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
  if (!CopySettingsFile(gShell.iniFilePath, path)) ShowSettingsMessage(kExportCopyFailed);
}

// The INI file is preferred at start, so a registry import behind a leftover INI file
// would never be loaded; it goes to the recycle bin, as a save in registry mode does.
bool ImportRegistryFile(const std::u16string& path) {
  if (!StartRegistryEditor(RegistryImportParameters(path))) {
    ShowSettingsMessage(kEditorFailed);
    return false;
  }
  if (GetFileAttributesW(AsWide(gShell.iniFilePath.c_str())) != INVALID_FILE_ATTRIBUTES)
    MoveFileToRecycleBin(gShell.iniFilePath);
  return true;
}

bool RestoreIniCopy(const std::u16string& path) {
  if (CopySettingsFile(path, gShell.iniFilePath)) return true;
  ShowSettingsMessage(kRestoreCopyFailed);
  return false;
}

bool PutSettingsFileInPlace(const std::u16string& path) {
  switch (SettingsFileKindOf(path)) {
    case SettingsFileKind::kRegistryExport:
      return ImportRegistryFile(path);
    case SettingsFileKind::kIniCopy:
      return RestoreIniCopy(path);
    case SettingsFileKind::kRefused:
      break;
  }
  ShowSettingsMessage(kWrongExtension);
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
