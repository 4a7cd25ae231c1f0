// Starts vemora.exe as a user would and checks its main window and its exit code.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

namespace {

// The build folder as a Windows path (Wine maps the Unix root to drive Z:).
std::wstring BuildPath(const wchar_t* file) {
  std::string unixPath = std::string(VEMORA_BUILD_DIR) + "/";
  std::wstring path = L"Z:";
  for (char c : unixPath) path += c == '/' ? L'\\' : static_cast<wchar_t>(c);
  return path + file;
}

HWND WaitForWindow(const wchar_t* className, DWORD processId, DWORD timeoutMs) {
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < timeoutMs) {
    HWND window = nullptr;
    while ((window = FindWindowExW(nullptr, window, className, nullptr)) != nullptr) {
      DWORD owner = 0;
      GetWindowThreadProcessId(window, &owner);
      if (owner == processId) return window;
    }
    Sleep(50);
  }
  return nullptr;
}

TEST(FirstWindow, OpensWithCaptionAndClosesWithExitCodeZero) {
  std::wstring commandLine = L"\"" + BuildPath(L"vemora.exe") + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process{};
  ASSERT_TRUE(CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                             nullptr, &startup, &process))
      << "cannot start " << std::string(commandLine.begin(), commandLine.end());

  HWND window = WaitForWindow(L"VemoraClass", process.dwProcessId, 20000);
  ASSERT_NE(window, nullptr) << "no window of class VemoraClass appeared";

  wchar_t caption[64] = {};
  GetWindowTextW(window, caption, 64);
  EXPECT_STREQ(caption, L"Vemora");

  PostMessageW(window, WM_CLOSE, 0, 0);
  ASSERT_EQ(WaitForSingleObject(process.hProcess, 20000), WAIT_OBJECT_0);
  DWORD exitCode = 99;
  GetExitCodeProcess(process.hProcess, &exitCode);
  EXPECT_EQ(exitCode, 0u);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
}

}  // namespace
