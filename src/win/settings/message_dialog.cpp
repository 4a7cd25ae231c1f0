// The message dialog's procedure.
#include "win/settings/message_dialog.h"

#include <string>

#include "win/platform/text_conversion.h"
#include "win/resources/resource_ids.h"
#include "win/resources/settings_dialog_ids.h"

namespace vemora {
namespace {

INT_PTR CALLBACK MessageDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      SetDlgItemTextW(dialog, IDC_MESSAGE_TEXT, reinterpret_cast<const wchar_t*>(lParam));
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
