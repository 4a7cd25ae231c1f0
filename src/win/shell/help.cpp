// The help control is loaded only when help is first used, so a system without it (or
// without the help file) only means that no help window appears.
#include "win/shell/help.h"

#include <string>

#include "win/platform/text_conversion.h"
#include "win/shell/app_state.h"

namespace vemora {
namespace {

// The HTML Help commands the viewer uses.
constexpr UINT kHhDisplayTopic = 0x0000;
constexpr UINT kHhInitialize = 0x001C;
constexpr UINT kHhUninitialize = 0x001D;
constexpr UINT kHhPreTranslateMessage = 0x00FD;

// Topics are opened by page name rather than through the file's context map: the help
// compiler writes each mapped target as the build folder's absolute path, which the
// viewer then looks for inside the file and does not find.
struct HelpTopic {
  DWORD context;
  const wchar_t* page;
};
constexpr HelpTopic kTopics[] = {
    {kHelpContents, L"contents.htm"},
    {kHelpQandA, L"qanda.htm"},
    {kHelpFind, L"find.htm"},
    {kHelpCommandLine, L"commandline.htm"},
    {kHelpKeys, L"keys.htm"},
    {kHelpOptions, L"options.htm"},
    {kHelpFileTypeName, L"filetype-name.htm"},
    {kHelpFileTypeLook, L"filetype-look.htm"},
    {kHelpFileTypeTool, L"filetype-tool.htm"},
};

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

std::wstring_view HelpPage(DWORD context) {
  for (const HelpTopic& topic : kTopics)
    if (topic.context == context) return topic.page;
  return {};
}

void ForgetHelpContext(HWND mainWindow) {
  RemovePropW(mainWindow, kHelpContextProperty);
}

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
  if (gShell.mainWindow)
    SetPropW(gShell.mainWindow, kHelpContextProperty,
             reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(context)));
  const std::wstring topic = ToWide(gShell.helpFilePath) + L"::/" + std::wstring(HelpPage(context));
  gShell.helpWindow = CallHtmlHelp(topic.c_str(), kHhDisplayTopic, 0);
  return gShell.helpWindow;
}

}  // namespace vemora
