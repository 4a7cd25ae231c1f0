// Start-up, the message loop and shutdown, in the order the viewer depends on: settings
// before the windows, the windows before the first document, the settings saved while
// the menu (which holds the file history) still exists.
#include "win/shell/application.h"

#include <commctrl.h>
#include <objbase.h>
#include <shellapi.h>

#include <memory>

#include "core/platform/out_of_memory.h"
#include "core/settings/settings_io.h"
#include "core/shell/command_line.h"
#include "win/keys/accelerators.h"
#include "win/keys/history_menu.h"
#include "win/keys/menu_states.h"
#include "win/platform/registry_store.h"
#include "win/platform/text_conversion.h"
#include "win/search/find_search.h"
#include "win/settings/message_dialog.h"
#include "win/settings/settings_transfer.h"
#include "win/shell/app_state.h"
#include "win/shell/document_actions.h"
#include "win/shell/dpi_scale.h"
#include "win/shell/help.h"
#include "win/shell/load_steps.h"
#include "win/shell/main_layout.h"
#include "win/shell/status_bar.h"
#include "win/shell/toolbar.h"
#include "win/shell/update_check.h"
#include "win/view/gutter.h"
#include "win/view/view_paint.h"
#include "win/view/view_window.h"

namespace vemora {
namespace {

std::unique_ptr<Win32RegistryStoreFactory> gRegistry;

SettingsLocation CurrentSettingsLocation() {
  return {gShell.iniFilePath, gRegistry.get()};
}

std::u16string ExecutablePath() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length < path.size()) return ToUtf16(std::wstring_view(path.data(), length));
    path.resize(path.size() * 2);
  }
}

// The file-name part of the executable's path replaced by `name`.
std::u16string BesideExecutable(std::u16string_view name) {
  std::u16string path = IniPathBeside(ExecutablePath());
  path.resize(path.size() - std::u16string_view(kIniFileName).size());
  return path + std::u16string(name);
}

int MainShowCommand(int showCommand) {
  if (showCommand == SW_SHOWMINIMIZED || showCommand == SW_MINIMIZE ||
      showCommand == SW_SHOWMINNOACTIVE)
    return showCommand;
  return gOptions.Maximize == 1 ? SW_SHOWMAXIMIZED : showCommand;
}

bool CreateMainWindow(HINSTANCE instance) {
  if (!RegisterMainClass(instance)) return false;
  gShell.mainWindow =
      CreateWindowExW(0, kMainWindowClass, AsWide(kProgramTitle),
                      WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, gOptions.WinPosX, gOptions.WinPosY,
                      gOptions.WinWidth, gOptions.WinHeight, nullptr, nullptr, instance, nullptr);
  return gShell.mainWindow != nullptr;
}

// The gutter and the view fill the client area between the toolbar and the status bar.
void CreateGutterAndView(HINSTANCE instance) {
  RECT client{};
  GetClientRect(gShell.mainWindow, &client);
  const int32_t top = ToolbarHeight();
  const int32_t height = client.bottom - top - StatusBarHeight();
  const int32_t x = gView.GutterWidth * gShell.LineNumbersShown;
  RegisterGutterClass(instance);
  // WS_VISIBLE: the gutter is part of the window whenever line numbers are shown.
  gShell.gutterWindow =
      CreateWindowExW(0, kGutterWindowClass, nullptr, WS_CHILD | WS_VISIBLE | WS_BORDER, 0, top,
                      x + 1, height - GetSystemMetrics(SM_CYHSCROLL), gShell.mainWindow,
                      reinterpret_cast<HMENU>(kStatusBarId), instance, nullptr);
  RegisterViewClass(instance);
  gShell.viewWindow =
      CreateWindowExW(0, kViewWindowClass, nullptr, WS_CHILD | WS_BORDER | WS_VSCROLL | WS_HSCROLL,
                      x, top, client.right - x, height, gShell.mainWindow,
                      reinterpret_cast<HMENU>(kStatusBarId), instance, nullptr);
  ShowWindow(gShell.viewWindow, SW_SHOW);
  DragAcceptFiles(gShell.viewWindow, TRUE);
}

void ReleaseKeyTable() {
  gOptions.KeyTable.clear();
  gOptions.KeyTable.shrink_to_fit();
  gOptions.Keys = 0;
  gOptions.keyTableCapacity = 0;
}

void UnregisterChildClasses(HINSTANCE instance) {
  UnregisterClassW(kGutterWindowClass, instance);
  UnregisterClassW(kViewWindowClass, instance);
}

bool FailStartUp(HINSTANCE instance) {
  if (gShell.mainWindow) DestroyWindow(gShell.mainWindow);
  gShell.mainWindow = nullptr;
  UnregisterChildClasses(instance);
  DestroyAccelerators();
  ReleaseKeyTable();
  return false;
}

bool LoadFirstDocument(const StartUpOptions& options) {
  const CommandLineResult parsed = ParseCommandLine(options.commandLine);
  // The help option opens its topic as it is read, so a later error does not cancel it.
  if (parsed.request.helpRequested) ShowHelpTopic(kHelpCommandLine);
  if (!parsed.ok) {
    const std::wstring text = ToWide(parsed.errorText);
    MessageBoxW(nullptr, text.c_str(), AsWide(kProgramTitle), MB_OK);
    return false;
  }
  if (!parsed.request.path.empty())
    OpenDocument(parsed.request.path, parsed.request.startLine, parsed.request.RequestedEncoding());
  else
    ReadDocumentFromStandardInput(parsed.request.startLine);
  return true;
}

}  // namespace

StartUpOptions DefaultStartUpOptions(int showCommand) {
  StartUpOptions options;
  options.commandLine = AsUtf16(GetCommandLineW());
  options.showCommand = showCommand;
  options.iniFilePath = BesideExecutable(kIniFileName);
  options.helpFilePath = BesideExecutable(u"vemora.chm");
  options.registryRoot = kRegistryRootPath;
  options.updateCheckKey = kUpdateCheckKey;
  return options;
}

bool StartUp(HINSTANCE instance, const StartUpOptions& options) {
  ResetApplicationState();
  gShell.instance = instance;
  InitializeHelp();
  RegisterForUpdateCheck(options.updateCheckKey);
  gShell.helpFilePath = options.helpFilePath;
  gShell.iniFilePath = options.iniFilePath;
  gShell.registryRoot = options.registryRoot;
  gRegistry = std::make_unique<Win32RegistryStoreFactory>(options.registryRoot);
  if (LoadSettingsAtStart(CurrentSettingsLocation(), gOptions, gFileTypes)) RemoveSettingsBackup();
  const StringList history = gOptions.Hist;
  ReplaceBackgroundBrush(CurrentFileType().BackCol);
  gShell.LineNumbersShown = CurrentFileType().LineNum;
  if (!CreateMainWindow(instance)) return FailStartUp(instance);
  SetCurrentDpi(WindowDpi(gShell.mainWindow));
  CoInitialize(nullptr);
  BuildAccelerators();
  if (gOptions.Tbar == 1) CreateToolbar(gShell.mainWindow, instance);
  if (gOptions.Sbar == 1) gShell.statusBar = CreateStatusBar(gShell.mainWindow, instance);
  CreateGutterAndView(instance);
  BuildHistoryMenu(history, gOptions.HistNum);
  CreateViewFont();
  ShowWindow(gShell.mainWindow, MainShowCommand(options.showCommand));
  EnableInputMethod(false);
  UpdateMenuStates();
  if (!LoadFirstDocument(options)) return FailStartUp(instance);
  UpdateMenuStates();
  return true;
}

int RunMessageLoop() {
  MSG message{};
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    if (HelpPreTranslate(message)) continue;
    // Esc drops a command waiting for the load and stops the searches, together.
    const bool dropped = DropWaitingCommandOnEscape(message);
    if (CancelSearchOnEscape(message) || dropped) continue;
    const bool forHelp =
        gShell.helpWindow && GetAncestor(message.hwnd, GA_ROOT) == gShell.helpWindow;
    if (!forHelp && gShell.accelerators &&
        TranslateAcceleratorW(gShell.mainWindow, gShell.accelerators, &message))
      continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return static_cast<int>(message.wParam);
}

void SavePlacement() {
  WINDOWPLACEMENT placement{};
  placement.length = sizeof placement;
  if (!GetWindowPlacement(gShell.mainWindow, &placement)) return;
  gOptions.WinWidth = placement.rcNormalPosition.right - placement.rcNormalPosition.left;
  gOptions.WinHeight = placement.rcNormalPosition.bottom - placement.rcNormalPosition.top;
  gOptions.Maximize = placement.showCmd == SW_SHOWMAXIMIZED ? 1 : 0;
}

void SaveAllSettings() {
  gOptions.Hist = ReadHistoryMenu();
  if (SaveSettings(CurrentSettingsLocation(), gOptions, gFileTypes) == SaveResult::kIniNotWritable)
    ShowMessageDialog(gShell.mainWindow, kIniSaveFailedMessage);
}

void Shutdown() {
  StopLoad();
  StopSearchesForExit();
  SavePlacement();
  if (gShell.saveSettingsAtExit) SaveAllSettings();
  CoUninitialize();
  DestroyWindow(gShell.mainWindow);
  UnregisterChildClasses(gShell.instance);
  DestroyAccelerators();
  ReleaseKeyTable();
  UninitializeHelp();
}

void FinishApplication(HINSTANCE instance) {
  StopLoad();
  UnregisterClassW(kMainWindowClass, instance);
  gDocument.reset();
}

int RunApplication(HINSTANCE instance, int showCommand) {
  InitCommonControls();
  InstallOutOfMemoryHandler();
  int exitCode = 0;
  if (StartUp(instance, DefaultStartUpOptions(showCommand))) exitCode = RunMessageLoop();
  FinishApplication(instance);
  return exitCode;
}

}  // namespace vemora
