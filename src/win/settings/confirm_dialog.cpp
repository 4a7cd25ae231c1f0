// The delete confirmation's procedure: the buttons end it with their ids.
#include "win/settings/confirm_dialog.h"

#include "win/resources/resource_ids.h"

namespace vemora {
namespace {

INT_PTR CALLBACK ConfirmProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) EndDialog(dialog, LOWORD(wParam));
      return TRUE;
    default:
      return FALSE;
  }
}

}  // namespace

bool ConfirmDeletion(HWND owner) {
  return DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_CONFIRM_DELETE), owner,
                         ConfirmProc, 0) == IDOK;
}

}  // namespace vemora
