// Finding and reading the controls of a window, for the tests and the probe that reads
// the viewer from outside.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace vemora::testing {

// The first window below `parent`, at any depth, with the control id.
inline HWND FindDescendant(HWND parent, int id) {
  struct Search {
    int id;
    HWND found;
  } search{id, nullptr};
  EnumChildWindows(
      parent,
      [](HWND child, LPARAM data) -> BOOL {
        auto* s = reinterpret_cast<Search*>(data);
        if (GetDlgCtrlID(child) != s->id) return TRUE;
        s->found = child;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

inline std::wstring WindowText(HWND window) {
  wchar_t text[1024] = {};
  GetWindowTextW(window, text, 1024);
  return text;
}

// The texts of the static controls below `parent` other than icons, in window order.
inline std::vector<std::wstring> StaticTexts(HWND parent) {
  std::vector<std::wstring> texts;
  EnumChildWindows(
      parent,
      [](HWND child, LPARAM data) -> BOOL {
        wchar_t className[32] = {};
        GetClassNameW(child, className, 32);
        const bool icon = (GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON;
        if (lstrcmpiW(className, L"Static") == 0 && !icon && GetWindowTextLengthW(child) > 0)
          reinterpret_cast<std::vector<std::wstring>*>(data)->push_back(WindowText(child));
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&texts));
  return texts;
}

}  // namespace vemora::testing
