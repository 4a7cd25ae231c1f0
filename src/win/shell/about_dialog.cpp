// The about box's procedure: the version line comes from the build, so that the box
// never disagrees with the version resource or vemorainfo --version.
#include "win/shell/about_dialog.h"

#include "core/version.h"
#include "win/resources/resource_ids.h"
#include "win/shell/app_state.h"

namespace vemora {
namespace {

void OnAboutInit(HWND dialog) {
  SetDlgItemTextW(dialog, IDC_ABOUT_VERSION, L"バージョン " VEMORA_VERSION_WIDE);
}

INT_PTR CALLBACK AboutProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      OnAboutInit(dialog);
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) != IDOK && LOWORD(wParam) != IDCANCEL) return FALSE;
      EndDialog(dialog, LOWORD(wParam));
      return TRUE;
    default:
      return FALSE;
  }
}

}  // namespace

void ShowAboutDialog(HWND owner) {
  DialogBoxParamW(gShell.instance, MAKEINTRESOURCEW(IDD_ABOUT), owner, AboutProc, 0);
}

}  // namespace vemora
