// The help viewer: HtmlHelpW of the system's HTML Help control, bound on first use.
#pragma once

#include <windows.h>

#include <string_view>

namespace vemora {

// Context numbers of the help topics.
inline constexpr DWORD kHelpContents = 2;
inline constexpr DWORD kHelpQandA = 3;
inline constexpr DWORD kHelpFind = 6;
inline constexpr DWORD kHelpCommandLine = 8;
inline constexpr DWORD kHelpKeys = 12;
inline constexpr DWORD kHelpOptions = 14;
inline constexpr DWORD kHelpFileTypeName = 19;
inline constexpr DWORD kHelpFileTypeLook = 20;
inline constexpr DWORD kHelpFileTypeTool = 21;

// The page of the help file that holds a context's topic; empty for an unknown context.
std::wstring_view HelpPage(DWORD context);

// The main window's property that holds the last context number asked for, so that a
// test can tell from outside which topic each caller opened.
inline constexpr wchar_t kHelpContextProperty[] = L"VemoraHelpContext";
// Removes the property before the window goes.
void ForgetHelpContext(HWND mainWindow);

// HtmlHelpW with no owner window; does nothing and returns null when the control cannot
// be loaded (the failure is remembered).
HWND CallHtmlHelp(LPCWSTR file, UINT command, DWORD_PTR data);

void InitializeHelp();
void UninitializeHelp();
// True when the help viewer consumed the message.
bool HelpPreTranslate(MSG& message);
// Opens the help file at a context number's page and keeps the help window.
HWND ShowHelpTopic(DWORD context);

}  // namespace vemora
