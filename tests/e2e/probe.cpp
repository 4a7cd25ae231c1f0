// vemora_probe: reads what a user sees in a running viewer from outside it, for the
// whole-program tests and the load-time benchmark.
//   vemora_probe status PART        the status-bar part's text
//   vemora_probe title              the main window's title
//   vemora_probe wait-title TEXT MS waits until the title contains TEXT (exit 1 on timeout)
//   vemora_probe time-load TEXT EXE ARGS...  starts EXE, prints the milliseconds until
//                                   its title contains TEXT, then closes it
//   vemora_probe close              asks the viewer to close and waits for it to end
// Output is UTF-8.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

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

std::wstring Title(HWND window) {
  wchar_t text[1024] = {};
  GetWindowTextW(window, text, 1024);
  return text;
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

bool WaitForTitle(const std::wstring& wanted, DWORD milliseconds) {
  const ULONGLONG end = GetTickCount64() + milliseconds;
  do {
    if (HWND window = MainWindow(); window && Title(window).find(wanted) != std::wstring::npos)
      return true;
    Sleep(1);
  } while (GetTickCount64() < end);
  return false;
}

int Close() {
  HWND window = MainWindow();
  if (!window) return 0;
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

int TimeLoad(int count, wchar_t** arguments) {
  std::wstring commandLine;
  for (int i = 1; i < count; ++i)
    commandLine += (i > 1 ? L" \"" : L"\"") + std::wstring(arguments[i]) + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION started{};
  LARGE_INTEGER frequency, begin, now;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&begin);
  if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &started))
    return 2;
  const bool shown = WaitForTitle(arguments[0], 120000);
  QueryPerformanceCounter(&now);
  Print(std::to_wstring((now.QuadPart - begin.QuadPart) * 1000 / frequency.QuadPart));
  Close();
  WaitForSingleObject(started.hProcess, 10000);
  CloseHandle(started.hProcess);
  CloseHandle(started.hThread);
  return shown ? 0 : 1;
}

}  // namespace

int wmain(int count, wchar_t** arguments) {
  if (count < 2) return 2;
  const std::wstring command = arguments[1];
  if (command == L"status" && count == 3) {
    Print(StatusText(_wtoi(arguments[2])));
    return 0;
  }
  if (command == L"title") {
    Print(Title(MainWindow()));
    return 0;
  }
  if (command == L"wait-title" && count == 4)
    return WaitForTitle(arguments[2], _wtoi(arguments[3])) ? 0 : 1;
  if (command == L"time-load" && count >= 4) return TimeLoad(count - 2, arguments + 2);
  if (command == L"close") return Close();
  if (command == L"command" && count == 3) {
    // What a menu item or a bound key sends.
    return PostMessageW(MainWindow(), WM_COMMAND, _wtoi(arguments[2]), 0) ? 0 : 1;
  }
  return 2;
}
