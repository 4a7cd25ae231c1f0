// vemora_probe: reads what a user sees in a running viewer from outside it, for the
// whole-program tests and the load-time benchmark.
//   vemora_probe status PART        the status-bar part's text
//   vemora_probe title              the main window's title
//   vemora_probe wait-title TEXT MS waits until the title contains TEXT (exit 1 on timeout)
//   vemora_probe close              asks the viewer to close and waits for it to end
//   vemora_probe view-client        the view's client area on the screen: x y width height
//   vemora_probe clipboard          the clipboard's Unicode text, CR and LF written as \r, \n
//   vemora_probe repaint-view       has the view paint itself anew, at once
//   vemora_probe wait-dialog CAPTION MS   waits until a dialog with the caption is shown
//   vemora_probe set-text CAPTION ID TEXT sets the text of the dialog's control (pages too)
//   vemora_probe click CAPTION ID   posts a button click to the dialog's control
//   vemora_probe sheet-page CAPTION INDEX turns the property sheet to the page
//   vemora_probe wait-closed CAPTION MS   waits until no dialog with the caption is shown
//   vemora_probe select CAPTION ID INDEX  selects a list or combo item and notifies the owner
//   vemora_probe control-text ID    the text of the main window's control (the selector)
//   vemora_probe help-context       the context number of the last help topic asked for
//   vemora_probe wait-menu MS       waits until a menu is shown
//   vemora_probe wait-focus CAPTION MS    waits until the keyboard focus is in the dialog
//   vemora_probe answer-for MS      for MS ms, every 20 ms, times how long the main window
//                                   takes to answer a message: "COUNT MEDIAN MAX SLOW AT":
//                                   ms; how many took over 100 ms; when the slowest came
//   vemora_probe press-escape       posts Esc to the view and prints the ms until the
//                                   viewer has handled it; exit 1 if the viewer is gone
//   vemora_probe load-profile TEXT EXE ARGS...  starts EXE and follows its first load:
//                                   "START FIRST DONE ANSWER PEAK LATER", ms from the start of the
//                                   process to the main window, ms from the main window to the
//                                   first page (title contains TEXT, view painted) and to the
//                                   load's end (kLoadingProperty gone), the longest answer to
//                                   a message meanwhile in ms, the peak working set in KB,
//                                   the longest answer after the first page in ms;
//                                   "refused PEAK" (exit 3) when the viewer settles without
//                                   TEXT in its title; then closes it
// Output is UTF-8. A command that reads or drives the viewer fails (exit status 1, with a
// word on the error output) when no viewer is running, so that a script never takes a
// command sent to nobody for one that worked.
#include <windows.h>
#include <commctrl.h>

#include <psapi.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "../win/window_search.h"
#include "win/shell/help.h"

namespace {

// Set on the main window by a load that shows its first page before it has finished, from
// before the title first names the file until the load ends or stops; a one-shot load
// never sets it, so for it the first page and the end are one moment.
constexpr wchar_t kLoadingProperty[] = L"VemoraLoading";

void Print(const std::wstring& text) {
  const int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()),
                                       nullptr, 0, nullptr, nullptr);
  std::string bytes(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), bytes.data(), size,
                      nullptr, nullptr);
  bytes += '\n';
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), bytes.data(), static_cast<DWORD>(bytes.size()),
            &written, nullptr);
}

HWND MainWindow() {
  return FindWindowW(L"VemoraClass", nullptr);
}

// The viewer's main window, or null with a word on the error output.
HWND RunningViewer() {
  HWND window = MainWindow();
  if (!window) {
    const char text[] = "vemora_probe: no viewer is running\n";
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_ERROR_HANDLE), text, sizeof text - 1, &written, nullptr);
  }
  return window;
}

// SB_GETTEXTW writes into the viewer's memory, so the buffer is allocated there.
std::wstring StatusText(int part) {
  HWND bar = FindWindowExW(MainWindow(), nullptr, STATUSCLASSNAMEW, nullptr);
  if (!bar) return L"(no status bar)";
  DWORD processId = 0;
  GetWindowThreadProcessId(bar, &processId);
  HANDLE process =
      OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, processId);
  if (!process) return L"(no access)";
  wchar_t text[512] = {};
  void* remote = VirtualAllocEx(process, nullptr, sizeof text, MEM_COMMIT, PAGE_READWRITE);
  SIZE_T read = 0;
  if (remote) {
    WriteProcessMemory(process, remote, text, sizeof text, &read);
    SendMessageW(bar, SB_GETTEXTW, part, reinterpret_cast<LPARAM>(remote));
    ReadProcessMemory(process, remote, text, sizeof text - sizeof(wchar_t), &read);
    VirtualFreeEx(process, remote, 0, MEM_RELEASE);
  }
  CloseHandle(process);
  return text;
}

// Any viewer window whose title contains the text, so that one left over from elsewhere
// does not hide the one being waited for.
bool ViewerWithTitle(const std::wstring& wanted) {
  for (HWND window = FindWindowExW(nullptr, nullptr, L"VemoraClass", nullptr); window;
       window = FindWindowExW(nullptr, window, L"VemoraClass", nullptr))
    if (vemora::testing::WindowText(window).find(wanted) != std::wstring::npos) return true;
  return false;
}

bool WaitForTitle(const std::wstring& wanted, DWORD milliseconds) {
  const ULONGLONG end = GetTickCount64() + milliseconds;
  do {
    if (ViewerWithTitle(wanted)) return true;
    Sleep(1);
  } while (GetTickCount64() < end);
  return false;
}

int Close() {
  HWND window = RunningViewer();
  if (!window) return 1;
  DWORD processId = 0;
  GetWindowThreadProcessId(window, &processId);
  HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, processId);
  PostMessageW(window, WM_CLOSE, 0, 0);
  if (process) {
    WaitForSingleObject(process, 10000);
    CloseHandle(process);
  }
  return 0;
}

HWND ViewWindow() {
  return FindWindowExW(MainWindow(), nullptr, L"VemoraViewClass", nullptr);
}

int ViewClient() {
  HWND view = ViewWindow();
  if (!view) return 1;
  RECT client{};
  GetClientRect(view, &client);
  POINT origin{0, 0};
  ClientToScreen(view, &origin);
  Print(std::to_wstring(origin.x) + L" " + std::to_wstring(origin.y) + L" " +
        std::to_wstring(client.right) + L" " + std::to_wstring(client.bottom));
  return 0;
}

int ClipboardText() {
  std::wstring text = L"(no text)";
  // The program that puts text there holds the clipboard open for a moment.
  for (int tries = 0; !OpenClipboard(nullptr); ++tries) {
    if (tries == 100) return 1;
    Sleep(10);
  }
  if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
    if (const auto* units = static_cast<const wchar_t*>(GlobalLock(data))) {
      text.clear();
      for (const wchar_t* unit = units; *unit; ++unit)
        text += *unit == L'\r' ? L"\\r" : *unit == L'\n' ? L"\\n" : std::wstring(1, *unit);
      GlobalUnlock(data);
    }
  }
  CloseClipboard();
  Print(text);
  return 0;
}

int RepaintView() {
  HWND view = ViewWindow();
  if (!view) return 1;
  RedrawWindow(view, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
  // A message sent to the viewer returns only after it has handled what came before.
  SendMessageW(view, WM_NULL, 0, 0);
  return 0;
}

// A shown dialog of the viewer's process (or any) with the caption.
HWND FindDialog(const wchar_t* caption) {
  HWND dialog = FindWindowW(L"#32770", caption);
  return dialog && IsWindowVisible(dialog) ? dialog : nullptr;
}

// The dialog's own control with the id, else the first of its pages' controls with it.
HWND FindControl(HWND dialog, int id) {
  if (HWND own = GetDlgItem(dialog, id)) return own;
  return vemora::testing::FindDescendant(dialog, id);
}

// A menu shown from the menu bar or as a popup.
bool ShownMenu() {
  HWND menu = FindWindowW(L"#32768", nullptr);
  return menu && IsWindowVisible(menu);
}

// Whether the keyboard focus of the window's thread is the window or one of its controls:
// keys typed now reach it, whichever window of the display has the input focus.
bool HasFocusWithin(HWND window) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info)) return false;
  return info.hwndFocus && (info.hwndFocus == window || IsChild(window, info.hwndFocus));
}

int DialogCommand(const std::wstring& command, wchar_t** arguments, int count) {
  if (command == L"wait-dialog" && count == 2) {
    const ULONGLONG end = GetTickCount64() + static_cast<ULONGLONG>(_wtoi(arguments[1]));
    while (!FindDialog(arguments[0]) && GetTickCount64() < end) Sleep(10);
    return FindDialog(arguments[0]) ? 0 : 1;
  }
  if (command == L"wait-focus" && count == 2) {
    const ULONGLONG end = GetTickCount64() + static_cast<ULONGLONG>(_wtoi(arguments[1]));
    auto focused = [&] {
      HWND dialog = FindDialog(arguments[0]);
      return dialog && HasFocusWithin(dialog);
    };
    while (!focused() && GetTickCount64() < end) Sleep(10);
    return focused() ? 0 : 1;
  }
  if (command == L"wait-closed" && count == 2) {
    const ULONGLONG end = GetTickCount64() + static_cast<ULONGLONG>(_wtoi(arguments[1]));
    while (FindDialog(arguments[0]) && GetTickCount64() < end) Sleep(10);
    return FindDialog(arguments[0]) ? 1 : 0;
  }
  if (command == L"wait-menu" && count == 1) {
    const ULONGLONG end = GetTickCount64() + static_cast<ULONGLONG>(_wtoi(arguments[0]));
    while (!ShownMenu() && GetTickCount64() < end) Sleep(10);
    return ShownMenu() ? 0 : 1;
  }
  if (command == L"control-text" && count == 1) {
    HWND window = RunningViewer();
    HWND control = window ? FindControl(window, _wtoi(arguments[0])) : nullptr;
    if (!control) return 1;
    wchar_t text[512] = {};
    SendMessageW(control, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(text));
    Print(text);
    return 0;
  }
  HWND dialog = count >= 1 ? FindDialog(arguments[0]) : nullptr;
  if (!dialog) return 1;
  if (command == L"sheet-page" && count == 2) {
    SendMessageW(dialog, PSM_SETCURSEL, static_cast<WPARAM>(_wtoi(arguments[1])), 0);
    return 0;
  }
  HWND control = count >= 2 ? FindControl(dialog, _wtoi(arguments[1])) : nullptr;
  if (!control) return 1;
  if (command == L"set-text" && count == 3) {
    SendMessageW(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(arguments[2]));
    return 0;
  }
  if (command == L"select" && count == 3) {
    wchar_t className[32] = {};
    GetClassNameW(control, className, 32);
    const bool combo = std::wstring(className) == L"ComboBox";
    SendMessageW(control, combo ? CB_SETCURSEL : LB_SETCURSEL, _wtoi(arguments[2]), 0);
    PostMessageW(GetParent(control), WM_COMMAND,
                 MAKEWPARAM(GetDlgCtrlID(control), combo ? CBN_SELCHANGE : LBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(control));
    return 0;
  }
  if (command == L"click" && count == 2) {
    PostMessageW(GetParent(control), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(control), BN_CLICKED),
                 reinterpret_cast<LPARAM>(control));
    return 0;
  }
  return 2;
}

// The milliseconds the main window takes to answer one sent message (10 s at most).
double AnswerTime() {
  LARGE_INTEGER frequency, begin, end;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&begin);
  DWORD_PTR result = 0;
  SendMessageTimeoutW(MainWindow(), WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 10000, &result);
  QueryPerformanceCounter(&end);
  return static_cast<double>(end.QuadPart - begin.QuadPart) * 1000.0 /
         static_cast<double>(frequency.QuadPart);
}

int AnswerFor(int milliseconds) {
  std::vector<double> times;
  const ULONGLONG begin = GetTickCount64();
  ULONGLONG slowestAt = begin;
  double slowest = 0;
  for (const ULONGLONG end = begin + milliseconds; GetTickCount64() < end; Sleep(20)) {
    if (!MainWindow()) return 1;
    times.push_back(AnswerTime());
    if (times.back() > slowest) slowest = times.back(), slowestAt = GetTickCount64();
  }
  if (times.empty()) return 1;
  const auto slow = std::count_if(times.begin(), times.end(), [](double t) { return t > 100; });
  std::sort(times.begin(), times.end());
  Print(std::to_wstring(times.size()) + L" " + std::to_wstring(times[times.size() / 2]) + L" " +
        std::to_wstring(slowest) + L" " + std::to_wstring(slow) + L" " +
        std::to_wstring(slowestAt - begin));
  return 0;
}

// A posted key goes through the viewer's message loop as a typed one does.
int PressEscape() {
  HWND view = ViewWindow();
  if (!view) return 1;
  LARGE_INTEGER frequency, begin, end;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&begin);
  PostMessageW(view, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
  PostMessageW(view, WM_KEYUP, VK_ESCAPE, static_cast<LPARAM>(0xC0010001));
  DWORD_PTR result = 0;
  SendMessageTimeoutW(MainWindow(), WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 10000, &result);
  QueryPerformanceCounter(&end);
  Print(std::to_wstring((end.QuadPart - begin.QuadPart) * 1000 / frequency.QuadPart));
  Sleep(200);
  return MainWindow() ? 0 : 1;
}

double Milliseconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to) {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  return static_cast<double>(to.QuadPart - from.QuadPart) * 1000.0 /
         static_cast<double>(frequency.QuadPart);
}

// Sends a message to the window every 20 ms until stopped and keeps the longest wait for
// its answer: a window that does not answer for a while shows as one long wait, which the
// next message finds at most 20 ms late.
class AnswerWatch {
 public:
  explicit AnswerWatch(HWND window) : thread_([this, window] { Run(window); }) {}
  ~AnswerWatch() { Stop(); }
  void Stop() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
  }
  double Longest() const { return longest_; }
  bool Answered() const { return answered_; }
  // The longest wait of those that ended at or after `since` (a performance count).
  double LongestSince(int64_t since) {
    const std::lock_guard<std::mutex> lock(mutex_);
    double longest = 0;
    for (const auto& [ended, waited] : waits_)
      if (ended >= since) longest = std::max(longest, waited);
    return longest;
  }

 private:
  void Run(HWND window) {
    while (!stop_) {
      LARGE_INTEGER begin, end;
      QueryPerformanceCounter(&begin);
      DWORD_PTR result = 0;
      // No SMTO_ABORTIFHUNG: a window busy for seconds is what is being measured.
      const bool answered =
          SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 600000, &result) != 0;
      QueryPerformanceCounter(&end);
      if (!answered) return;
      longest_ = std::max(longest_.load(), Milliseconds(begin, end));
      {
        const std::lock_guard<std::mutex> lock(mutex_);
        waits_.emplace_back(end.QuadPart, Milliseconds(begin, end));
      }
      answered_ = true;
      Sleep(20);
    }
  }
  std::atomic<bool> stop_{false};
  std::atomic<bool> answered_{false};
  std::atomic<double> longest_{0};
  std::mutex mutex_;
  std::vector<std::pair<int64_t, double>> waits_;  // when each wait ended, and how long
  std::thread thread_;
};

bool TitleContains(HWND window, const std::wstring& wanted) {
  return vemora::testing::WindowText(window).find(wanted) != std::wstring::npos;
}

int LoadProfile(int count, wchar_t** arguments) {
  const std::wstring wanted = arguments[0];
  std::wstring commandLine;
  for (int i = 1; i < count; ++i)
    commandLine += (i > 1 ? L" \"" : L"\"") + std::wstring(arguments[i]) + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION started{};
  LARGE_INTEGER begin, created, firstPage, done;
  QueryPerformanceCounter(&begin);
  if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &started))
    return 2;
  const ULONGLONG deadline = GetTickCount64() + 600000;
  HWND window = nullptr;
  while (!(window = MainWindow()) && GetTickCount64() < deadline) Sleep(1);
  QueryPerformanceCounter(&created);
  if (!window) return 1;
  AnswerWatch watch(window);
  bool shown = false, refused = false;
  ULONGLONG settledSince = 0;
  while (GetTickCount64() < deadline) {
    if (!IsWindow(window)) break;
    if (TitleContains(window, wanted)) {
      shown = true;
      break;
    }
    // Answering, not loading and still without the file for a second: it was not opened.
    const bool settled = watch.Answered() && !GetPropW(window, kLoadingProperty);
    if (!settled)
      settledSince = 0;
    else if (!settledSince)
      settledSince = GetTickCount64();
    else if (GetTickCount64() - settledSince > 1000) {
      refused = true;
      break;
    }
    Sleep(1);
  }
  if (shown) {
    // The title is set before the view is invalidated, in one go on the window's thread:
    // once a sent message is answered the new page is waiting to be painted.
    DWORD_PTR result = 0;
    SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 600000, &result);
    HWND view = FindWindowExW(window, nullptr, L"VemoraViewClass", nullptr);
    while (view && GetUpdateRect(view, nullptr, FALSE) && GetTickCount64() < deadline) Sleep(1);
    QueryPerformanceCounter(&firstPage);
    while (GetPropW(window, kLoadingProperty) && GetTickCount64() < deadline) Sleep(1);
    QueryPerformanceCounter(&done);
  }
  watch.Stop();
  PROCESS_MEMORY_COUNTERS memory{};
  memory.cb = sizeof memory;
  GetProcessMemoryInfo(started.hProcess, &memory, sizeof memory);
  const std::wstring peak = std::to_wstring(memory.PeakWorkingSetSize / 1024);
  if (shown)
    Print(std::to_wstring(std::lround(Milliseconds(begin, created))) + L" " +
          std::to_wstring(std::lround(Milliseconds(created, firstPage))) + L" " +
          std::to_wstring(std::lround(Milliseconds(created, done))) + L" " +
          std::to_wstring(std::lround(watch.Longest())) + L" " + peak + L" " +
          std::to_wstring(std::lround(watch.LongestSince(firstPage.QuadPart))));
  else if (refused)
    Print(L"refused " + peak);
  Close();
  WaitForSingleObject(started.hProcess, 10000);
  CloseHandle(started.hProcess);
  CloseHandle(started.hThread);
  return shown ? 0 : refused ? 3 : 1;
}

}  // namespace

int wmain(int count, wchar_t** arguments) {
  if (count < 2) return 2;
  const std::wstring command = arguments[1];
  if (command == L"status" && count == 3) {
    if (!RunningViewer()) return 1;
    Print(StatusText(_wtoi(arguments[2])));
    return 0;
  }
  if (command == L"title") {
    HWND window = RunningViewer();
    if (!window) return 1;
    Print(vemora::testing::WindowText(window));
    return 0;
  }
  if (command == L"help-context") {
    HWND window = RunningViewer();
    if (!window) return 1;
    // The viewer keeps the number as a window property, which any process can read.
    Print(std::to_wstring(
        reinterpret_cast<UINT_PTR>(GetPropW(window, vemora::kHelpContextProperty))));
    return 0;
  }
  if (command == L"wait-title" && count == 4)
    return WaitForTitle(arguments[2], _wtoi(arguments[3])) ? 0 : 1;
  if (command == L"load-profile" && count >= 4) return LoadProfile(count - 2, arguments + 2);
  if (command == L"close") return Close();
  if (command == L"view-client") return ViewClient();
  if (command == L"clipboard") return ClipboardText();
  if (command == L"repaint-view") return RepaintView();
  if (command == L"answer-for" && count == 3) return AnswerFor(_wtoi(arguments[2]));
  if (command == L"press-escape") return PressEscape();
  if (command == L"command" && count == 3) {
    // What a menu item or a bound key sends. Posting to no window would post to the
    // probe's own thread, and succeed.
    HWND window = RunningViewer();
    return window && PostMessageW(window, WM_COMMAND, _wtoi(arguments[2]), 0) ? 0 : 1;
  }
  return DialogCommand(command, arguments + 2, count - 2);
}
