// The help control is loaded only when help is first used, so a system without it (or
// without the help file) only means that no help window appears.
#include "win/shell/help.h"

#include "win/platform/text_conversion.h"
#include "win/shell/app_state.h"

namespace vemora {
namespace {

// The HTML Help commands the viewer uses.
constexpr UINT kHhHelpContext = 0x000F;
constexpr UINT kHhInitialize = 0x001C;
constexpr UINT kHhUninitialize = 0x001D;
constexpr UINT kHhPreTranslateMessage = 0x00FD;

using HtmlHelpFunction = HWND(WINAPI*)(HWND, LPCWSTR, UINT, DWORD_PTR);

HtmlHelpFunction BoundHtmlHelp() {
  static bool tried = false;
  static HtmlHelpFunction function = nullptr;
  if (!tried) {
    tried = true;
    if (HMODULE module = LoadLibraryW(L"hhctrl.ocx"))
      function = reinterpret_cast<HtmlHelpFunction>(
          reinterpret_cast<void*>(GetProcAddress(module, "HtmlHelpW")));
  }
  return function;
}

}  // namespace

HWND CallHtmlHelp(LPCWSTR file, UINT command, DWORD_PTR data) {
  HtmlHelpFunction function = BoundHtmlHelp();
  return function ? function(nullptr, file, command, data) : nullptr;
}

void InitializeHelp() {
  CallHtmlHelp(nullptr, kHhInitialize, reinterpret_cast<DWORD_PTR>(&gShell.helpCookie));
}

void UninitializeHelp() {
  CallHtmlHelp(nullptr, kHhUninitialize, gShell.helpCookie);
}

bool HelpPreTranslate(MSG& message) {
  return CallHtmlHelp(nullptr, kHhPreTranslateMessage, reinterpret_cast<DWORD_PTR>(&message)) !=
         nullptr;
}

HWND ShowHelpTopic(DWORD context) {
  const std::wstring path = ToWide(gShell.helpFilePath);
  gShell.helpWindow = CallHtmlHelp(path.c_str(), kHhHelpContext, context);
  return gShell.helpWindow;
}

}  // namespace vemora
