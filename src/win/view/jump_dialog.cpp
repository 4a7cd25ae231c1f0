// The jump dialog takes digits only; an empty field reads as 0, which names no line, so
// the view beeps as for any line that does not exist.
#include "win/view/jump_dialog.h"

#include <windows.h>

#include "win/resources/resource_ids.h"
#include "win/shell/app_state.h"
#include "win/view/view_window.h"

namespace vemora {
namespace {

constexpr int kJumpDigits = 9;

void OnInitJumpDialog(HWND dialog) {
  SetWindowTextW(dialog, L"ジャンプ");
  SendDlgItemMessageW(dialog, IDC_JUMP_LINE, EM_LIMITTEXT, kJumpDigits, 0);
}

// The typed number; GetDlgItemInt reads an empty or unreadable field as 0.
void OnJumpOk(HWND dialog) {
  auto* number = reinterpret_cast<UINT*>(GetWindowLongPtrW(dialog, DWLP_USER));
  *number = GetDlgItemInt(dialog, IDC_JUMP_LINE, nullptr, FALSE);
  EndDialog(dialog, IDOK);
}

INT_PTR CALLBACK JumpDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      SetWindowLongPtrW(dialog, DWLP_USER, lParam);
      OnInitJumpDialog(dialog);
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK) OnJumpOk(dialog);
      if (LOWORD(wParam) == IDCANCEL) EndDialog(dialog, IDCANCEL);
      return TRUE;
    default:
      return FALSE;
  }
}

}  // namespace

void ShowJumpDialog() {
  UINT number = 0;
  const INT_PTR result =
      DialogBoxParamW(gShell.instance, MAKEINTRESOURCEW(IDD_JUMP), gShell.viewWindow,
                      JumpDialogProc, reinterpret_cast<LPARAM>(&number));
  if (result == IDOK && CurrentDocument())
    SendMessageW(gShell.viewWindow, WM_VIEW_JUMP, 0, static_cast<LPARAM>(number) - 1);
}

}  // namespace vemora
