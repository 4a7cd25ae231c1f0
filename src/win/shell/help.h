// The help viewer: HtmlHelpW of the system's HTML Help control, bound on first use.
#pragma once

#include <windows.h>

#include <cstdint>
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

// HtmlHelpW with no owner window; does nothing and returns null when the control cannot
// be loaded (the failure is remembered).
HWND CallHtmlHelp(LPCWSTR file, UINT command, DWORD_PTR data);

void InitializeHelp();
void UninitializeHelp();
// True when the help viewer consumed the message.
bool HelpPreTranslate(MSG& message);
// Opens the help file at a context number and keeps the help window.
HWND ShowHelpTopic(DWORD context);

}  // namespace vemora
