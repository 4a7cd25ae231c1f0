// Starts vemora.exe as a user would and checks its main window and its exit code.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "viewer_host.h"
#include "window_search.h"

namespace vemora::testing {
namespace {

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

struct Started {
  PROCESS_INFORMATION process{};
  ~Started() {
    if (process.hProcess) {
      if (WaitForSingleObject(process.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(process.hProcess, 3);
      CloseHandle(process.hThread);
      CloseHandle(process.hProcess);
    }
  }
};

bool StartViewer(const std::wstring& arguments, Started& started) {
  std::wstring commandLine = L"\"" + BesideTheTests(L"vemora.exe").wstring() + L"\" " + arguments;
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  return CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &started.process);
}

// A wrong command line shows one message box titled "Vemora" with the exact text, and
// the program ends with exit code 0 once it is closed, before its message loop runs.
TEST(FirstWindow, CommandLineErrorsAreShownThenTheProgramEnds) {
  const struct {
    const wchar_t* arguments;
    const wchar_t* message;
    bool helpOpens;
  } cases[] = {
      {L"-X", L"オプションが間違っています. (-x)", false},
      {L"-j abc", L"行番号が指定されていません.", false},
      {L"a.txt -j 2 b.txt", L"パスの指定が多すぎます. (b.txt)", false},
      {L"-h -X", L"オプションが間違っています. (-x)", true},  // help opens as it is read
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string("arguments with ") + std::to_string(wcslen(c.arguments)) + " characters");
    Started started;
    ASSERT_TRUE(StartViewer(c.arguments, started));
    HWND box = WaitForWindow(L"#32770", started.process.dwProcessId, 20000);
    ASSERT_NE(box, nullptr) << "no message box";
    // The box is found as soon as it exists; its caption and text are set before it shows.
    for (int tries = 0; tries < 100 && !IsWindowVisible(box); ++tries) Sleep(50);
    wchar_t caption[64] = {};
    GetWindowTextW(box, caption, 64);
    EXPECT_STREQ(caption, L"Vemora");
    // The box may be found before its text is set: wait for it.
    std::wstring text;
    for (int tries = 0; tries < 100 && text.empty(); ++tries) {
      const std::vector<std::wstring> texts = StaticTexts(box);
      if (!texts.empty()) text = texts[0];
      if (text.empty()) Sleep(50);
    }
    EXPECT_EQ(text, c.message);
    HWND help = nullptr;
    while ((help = FindWindowExW(nullptr, help, nullptr, L"Vemora ヘルプ")) != nullptr) {
      DWORD owner = 0;
      GetWindowThreadProcessId(help, &owner);
      if (owner == started.process.dwProcessId) break;
    }
    EXPECT_EQ(help != nullptr, c.helpOpens);
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    ASSERT_EQ(WaitForSingleObject(started.process.hProcess, 20000), WAIT_OBJECT_0);
    DWORD exitCode = 99;
    GetExitCodeProcess(started.process.hProcess, &exitCode);
    EXPECT_EQ(exitCode, 0u);
  }
}

TEST(FirstWindow, OpensWithCaptionAndClosesWithExitCodeZero) {
  std::wstring commandLine = L"\"" + BesideTheTests(L"vemora.exe").wstring() + L"\"";
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
}  // namespace vemora::testing
