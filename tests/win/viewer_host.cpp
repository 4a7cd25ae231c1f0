// The in-process viewer host for the Win32 tests.
#include "viewer_host.h"

#include <commctrl.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <fstream>
#include <iterator>
#include <thread>

#include "win/shell/app_state.h"
#include "win/search/find_search.h"
#include "win/shell/application.h"
#include "win/shell/load_steps.h"
#include "win/platform/text_conversion.h"

namespace vemora::testing {

ScratchFolder::ScratchFolder() {
  static std::atomic<int> counter{0};
  path_ = std::filesystem::temp_directory_path() /
          (L"vemora-window-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
           std::to_wstring(++counter));
  std::filesystem::create_directories(path_);
}

ScratchFolder::~ScratchFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

std::wstring ScratchFolder::Write(std::wstring_view name, std::string_view bytes) const {
  const std::wstring path = File(name);
  std::ofstream(std::filesystem::path(path), std::ios::binary)
      .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return path;
}

ViewerHost::ViewerHost() {
  InitCommonControls();
  RegDeleteTreeW(HKEY_CURRENT_USER, kScratchRegistryRoot);
}

ViewerHost::~ViewerHost() {
  if (running_) Close();
  RegDeleteTreeW(HKEY_CURRENT_USER, kScratchRegistryRoot);
}

bool ViewerHost::Start(std::wstring_view arguments) {
  StartUpOptions options;
  options.commandLine = u"vemora.exe " + ToUtf16(arguments);
  // Never mapped on the display: Wine waits two seconds for a window manager when a
  // shown window is destroyed on a display without one.
  options.showCommand = SW_HIDE;
  options.iniFilePath = ToUtf16(IniPath());
  options.helpFilePath = ToUtf16(folder_.File(L"vemora.chm"));
  options.registryRoot = AsUtf16(kScratchRegistryRoot);
  options.updateCheckKey = u"Software\\VemoraTests\\NoUpdateCheck";
  running_ = StartUp(GetModuleHandleW(nullptr), options);
  Pump();
  // A large file is read in steps: the tests see it whole, as a user who waits a moment
  // does, unless a test holds its load part way.
  if (LoadStepOptions().pauseAtByte < 0)
    PumpUntil(
        *this, [] { return !LoadRunning(); }, 30000);
  return running_;
}

void ViewerHost::Pump() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      running_ = false;
      continue;
    }
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

void ViewerHost::Close() {
  if (gShell.mainWindow && IsWindow(gShell.mainWindow))
    SendMessageW(gShell.mainWindow, WM_CLOSE, 0, 0);
  Pump();
  FinishApplication(GetModuleHandleW(nullptr));
  running_ = false;
}

void ViewerHost::Command(UINT command, LPARAM lParam) {
  SendMessageW(gShell.mainWindow, WM_COMMAND, command, lParam);
  Pump();
}

void ViewerHost::PressKey(WORD key) {
  MSG message{gShell.viewWindow, WM_KEYDOWN, key, 1, GetTickCount(), {}};
  if (!TranslateAcceleratorW(gShell.mainWindow, gShell.accelerators, &message))
    DispatchMessageW(&message);
  Pump();
}

std::wstring ViewerHost::StatusText(int part) const {
  wchar_t text[512] = {};
  SendMessageW(gShell.statusBar, SB_GETTEXTW, part, reinterpret_cast<LPARAM>(text));
  return text;
}

std::wstring ViewerHost::Title() const {
  wchar_t text[512] = {};
  GetWindowTextW(gShell.mainWindow, text, 512);
  return text;
}

std::filesystem::path BesideTheTests(std::wstring_view name) {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  return std::filesystem::path(path).parent_path() / name;
}

std::wstring Quoted(std::wstring_view text) {
  return L"\"" + std::wstring(text) + L"\"";
}

std::string Lines(int count) {
  std::string text;
  for (int i = 1; i <= count; ++i) text += "line " + std::to_string(i) + "\r\n";
  return text;
}

std::string ReadAll(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

bool Grayed(UINT command) {
  return (GetMenuState(GetMenu(gShell.mainWindow), command, MF_BYCOMMAND) & MF_GRAYED) != 0;
}

bool Checked(UINT command) {
  return (GetMenuState(GetMenu(gShell.mainWindow), command, MF_BYCOMMAND) & MF_CHECKED) != 0;
}

SCROLLINFO Bar(int bar) {
  SCROLLINFO info{};
  info.cbSize = sizeof info;
  info.fMask = SIF_ALL;
  GetScrollInfo(gShell.viewWindow, bar, &info);
  return info;
}

std::wstring ShownText() {
  const Document* document = CurrentDocument();
  return document ? ToWide(document->Text()) : L"(none)";
}

bool PumpUntil(ViewerHost& host, const std::function<bool()>& done, DWORD milliseconds) {
  const ULONGLONG end = GetTickCount64() + milliseconds;
  while (!done()) {
    if (GetTickCount64() > end) return false;
    host.Pump();
    Sleep(5);
  }
  return true;
}

int AnswersFromAnotherThread(ViewerHost& host, int count) {
  std::atomic<int> answered{0};
  std::atomic<bool> asked{false};
  std::thread asker([&] {
    for (int i = 0; i < count; ++i) {
      DWORD_PTR result = 0;
      if (SendMessageTimeoutW(gShell.mainWindow, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 100, &result))
        ++answered;
    }
    asked = true;
  });
  PumpUntil(
      host, [&] { return asked.load(); }, 10000);
  asker.join();
  return answered.load();
}

bool PressEscapeToSearch() {
  const MSG escape{gShell.viewWindow, WM_KEYDOWN, VK_ESCAPE, 0, 0, {}};
  return CancelSearchOnEscape(escape);
}

bool ShowsWaitCursor() {
  // The view asks the main window for its cursor first.
  SendMessageW(gShell.viewWindow, WM_SETCURSOR, reinterpret_cast<WPARAM>(gShell.viewWindow),
               MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
  return GetCursor() == LoadCursorW(nullptr, IDC_WAIT);
}

std::wstring ClipboardText() {
  std::wstring text = L"(none)";
  if (!OpenClipboard(nullptr)) return L"(not opened)";
  if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
    text = static_cast<const wchar_t*>(GlobalLock(data));
    GlobalUnlock(data);
  }
  CloseClipboard();
  return text;
}

void PutOnClipboard(const std::wstring* text) {
  ASSERT_TRUE(OpenClipboard(nullptr));
  EmptyClipboard();
  if (text) {
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, (text->size() + 1) * sizeof(wchar_t));
    memcpy(GlobalLock(memory), text->c_str(), (text->size() + 1) * sizeof(wchar_t));
    GlobalUnlock(memory);
    SetClipboardData(CF_UNICODETEXT, memory);
  }
  CloseClipboard();
}

std::wstring Wide(std::string_view utf8) {
  std::wstring text(utf8.size(), L'\0');
  text.resize(MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()),
                                  text.data(), static_cast<int>(text.size())));
  return text;
}

std::string ShiftJis(std::wstring_view text) {
  std::string bytes(text.size() * 2, '\0');
  bytes.resize(WideCharToMultiByte(932, 0, text.data(), static_cast<int>(text.size()), bytes.data(),
                                   static_cast<int>(bytes.size()), nullptr, nullptr));
  return bytes;
}

}  // namespace vemora::testing
