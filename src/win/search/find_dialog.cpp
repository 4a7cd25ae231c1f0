// The find dialog's procedure only dispatches; the switches are linked to the request by
// one table that both the start and OK walk.
#include "win/search/find_dialog.h"

#include "win/platform/text_conversion.h"
#include "win/resources/resource_ids.h"
#include "win/shell/help.h"

namespace vemora {
namespace {

struct FindDialogContext {
  FindRequest* request;
  const StringList* history;
};

struct SwitchControl {
  int id;
  int32_t FindRequest::*field;
};
constexpr SwitchControl kSwitches[] = {
    {IDC_FIND_CASE, &FindRequest::Caps},
    {IDC_FIND_REGEX, &FindRequest::Regx},
};

FindDialogContext& Context(HWND dialog) {
  return *reinterpret_cast<FindDialogContext*>(GetWindowLongPtrW(dialog, DWLP_USER));
}

// Case sensitivity applies to a plain search only.
void EnableCaseSwitch(HWND dialog) {
  const bool regex = IsDlgButtonChecked(dialog, IDC_FIND_REGEX) == BST_CHECKED;
  EnableWindow(GetDlgItem(dialog, IDC_FIND_CASE), regex ? FALSE : TRUE);
}

void OnInitFindDialog(HWND dialog, FindDialogContext& context) {
  SetWindowLongPtrW(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(&context));
  HWND text = GetDlgItem(dialog, IDC_FIND_TEXT);
  SendMessageW(text, CB_LIMITTEXT, FindRequest::kTextCapacity, 0);
  for (const std::u16string& entry : *context.history)
    SendMessageW(text, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(ToWide(entry).c_str()));
  SendMessageW(text, CB_SETCURSEL, 0, 0);
  const FindRequest& request = *context.request;
  if (!request.text.empty())
    SendMessageW(text, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(ToWide(request.text).c_str()));
  for (const SwitchControl& control : kSwitches)
    CheckDlgButton(dialog, control.id, request.*control.field == 1 ? BST_CHECKED : BST_UNCHECKED);
  EnableCaseSwitch(dialog);
}

void OnFindOk(HWND dialog) {
  FindRequest& request = *Context(dialog).request;
  wchar_t text[FindRequest::kTextCapacity + 1] = {};
  SendDlgItemMessageW(dialog, IDC_FIND_TEXT, WM_GETTEXT, FindRequest::kTextCapacity + 1,
                      reinterpret_cast<LPARAM>(text));
  request.text = AsUtf16(text);
  for (const SwitchControl& control : kSwitches)
    request.*control.field = IsDlgButtonChecked(dialog, control.id) == BST_CHECKED ? 1 : 0;
  EndDialog(dialog, 1);
}

BOOL OnFindCommand(HWND dialog, WORD id) {
  switch (id) {
    case IDOK:
      OnFindOk(dialog);
      return TRUE;
    case IDCANCEL:
      EndDialog(dialog, 0);
      return TRUE;
    case IDC_FIND_HELP:
      ShowHelpTopic(kHelpFind);
      return TRUE;
    case IDC_FIND_REGEX:
      EnableCaseSwitch(dialog);
      return TRUE;
    default:
      return FALSE;
  }
}

INT_PTR CALLBACK FindDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      OnInitFindDialog(dialog, *reinterpret_cast<FindDialogContext*>(lParam));
      return TRUE;
    case WM_COMMAND:
      return OnFindCommand(dialog, LOWORD(wParam));
    default:
      return FALSE;
  }
}

}  // namespace

bool ShowFindDialog(HWND owner, FindRequest& request, const StringList& history) {
  FindDialogContext context{&request, &history};
  return DialogBoxParamW(reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(owner, GWLP_HINSTANCE)),
                         MAKEINTRESOURCEW(IDD_FIND), owner, FindDialogProc,
                         reinterpret_cast<LPARAM>(&context)) == 1;
}

}  // namespace vemora
