// Starting the tool through the shell or CreateProcessW, and what follows a start.
#include "win/tools/open_with_tool.h"

#include <shellapi.h>

#include <string>

#include "core/tools/tool_command.h"
#include "win/platform/text_conversion.h"
#include "win/shell/main_window.h"
#include "win/tools/tool_watch.h"

namespace vemora {
namespace {

// The process the shell reports for the associated program (possibly none); false when
// the shell could not open the file at all.
bool StartAssociatedProgram(const Document& document, HANDLE& process) {
  const std::wstring file = ToWide(document.name);
  SHELLEXECUTEINFOW request{};
  request.cbSize = sizeof request;
  request.fMask = SEE_MASK_NOCLOSEPROCESS;
  request.lpVerb = L"open";
  request.lpFile = file.c_str();
  request.lpParameters = L"";
  request.lpDirectory = L".";
  request.nShow = SW_SHOW;
  if (!ShellExecuteExW(&request)) return false;
  process = request.hProcess;
  return true;
}

// False after telling the user, with the command line as the message, that it could not
// be started.
bool StartCommandLine(const Document& document, const FileTypeSetting& setting, HWND mainWindow,
                      HANDLE& process) {
  std::wstring commandLine = ToWide(ExpandToolCommand(document, setting));
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION started{};
  if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &started)) {
    MessageBoxW(mainWindow, commandLine.c_str(), kToolFailedTitle, MB_OK | MB_ICONERROR);
    return false;
  }
  CloseHandle(started.hThread);
  process = started.hProcess;
  return true;
}

}  // namespace

void OpenWithTool(const Document& document, const FileTypeSetting& setting, HWND mainWindow,
                  WPARAM wParam, LPARAM lParam) {
  HANDLE process = nullptr;
  const bool started = setting.ToolType == 0
                           ? StartAssociatedProgram(document, process)
                           : StartCommandLine(document, setting, mainWindow, process);
  if (!started) return;
  if (setting.EditClose == 1) {
    PostMessageW(mainWindow, WM_CLOSE, 0, 0);
  } else if (setting.EditReload == 1) {
    AddToolWatch(process, mainWindow, WM_RELOAD_DOCUMENT, wParam, lParam);
    return;  // the watch owns the handle now
  }
  if (process) CloseHandle(process);
}

}  // namespace vemora
