// The confirmation dialog before clearing all settings: a question and two buttons,
// the harmless one focused and default.
#include "win/settings/clear_settings_dialog.h"

#include "win/resources/resource_ids.h"
#include "win/shell/app_state.h"

namespace vemora {
namespace {

// Focus on "消去しない" (FALSE: the focus set here stays), so Enter keeps the settings.
INT_PTR OnInitDialog(HWND dialog) {
  SetFocus(GetDlgItem(dialog, IDCANCEL));
  return FALSE;
}

INT_PTR OnCommand(HWND dialog, WORD id) {
  if (id != IDOK && id != IDCANCEL) return FALSE;
  EndDialog(dialog, id);
  return TRUE;
}

INT_PTR CALLBACK ClearSettingsProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      return OnInitDialog(dialog);
    case WM_COMMAND:
      return OnCommand(dialog, LOWORD(wParam));
    default:
      return FALSE;
  }
}

}  // namespace

bool ConfirmClearSettings(HWND owner) {
  return DialogBoxParamW(gShell.instance, MAKEINTRESOURCEW(IDD_CLEAR_SETTINGS), owner,
                         ClearSettingsProcedure, 0) == IDOK;
}

}  // namespace vemora
