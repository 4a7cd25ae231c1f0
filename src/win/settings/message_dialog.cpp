// The message dialog's procedure.
#include "win/settings/message_dialog.h"

#include <algorithm>
#include <string>

#include "win/platform/text_conversion.h"
#include "win/resources/resource_ids.h"
#include "win/resources/settings_dialog_ids.h"

namespace vemora {
namespace {

RECT RectIn(HWND dialog, HWND control) {
  RECT rect{};
  GetWindowRect(control, &rect);
  MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

// The template holds two lines of text; a longer message, or a word too long to break,
// grows the text and the dialog with it (and moves the button), so that nothing is cut off
// whatever the dpi and the font.
void FitToText(HWND dialog) {
  HWND text = GetDlgItem(dialog, IDC_MESSAGE_TEXT);
  HWND button = GetDlgItem(dialog, IDOK);
  const RECT textRect = RectIn(dialog, text);
  const int width = textRect.right - textRect.left;
  const int height = textRect.bottom - textRect.top;
  std::wstring shown(static_cast<size_t>(GetWindowTextLengthW(text)) + 1, L'\0');
  shown.resize(
      static_cast<size_t>(GetWindowTextW(text, shown.data(), static_cast<int>(shown.size()))));
  HDC dc = GetDC(text);
  const HGDIOBJ previous =
      SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(text, WM_GETFONT, 0, 0)));
  RECT need{0, 0, width, 0};
  DrawTextW(dc, shown.c_str(), -1, &need, DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS);
  SelectObject(dc, previous);
  ReleaseDC(text, dc);
  const int wider = std::max(0, static_cast<int>(need.right) - width);
  const int taller = std::max(0, static_cast<int>(need.bottom) - height);
  if (wider == 0 && taller == 0) return;
  SetWindowPos(text, nullptr, 0, 0, width + wider, height + taller, SWP_NOMOVE | SWP_NOZORDER);
  const RECT buttonRect = RectIn(dialog, button);
  SetWindowPos(button, nullptr, buttonRect.left + wider / 2, buttonRect.top + taller, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER);
  RECT frame{};
  GetWindowRect(dialog, &frame);
  SetWindowPos(dialog, nullptr, frame.left - wider / 2, frame.top - taller / 2,
               frame.right - frame.left + wider, frame.bottom - frame.top + taller, SWP_NOZORDER);
}

INT_PTR CALLBACK MessageDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      SetDlgItemTextW(dialog, IDC_MESSAGE_TEXT, reinterpret_cast<const wchar_t*>(lParam));
      FitToText(dialog);
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) EndDialog(dialog, IDOK);
      return TRUE;
    default:
      return FALSE;
  }
}

}  // namespace

void ShowMessageDialog(HWND owner, std::u16string_view text) {
  const std::wstring wide = ToWide(text);
  DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_MESSAGE), owner,
                  MessageDialogProc, reinterpret_cast<LPARAM>(wide.c_str()));
}

}  // namespace vemora
