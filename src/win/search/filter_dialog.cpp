// The filter dialog's procedure only dispatches; the switches are linked to the request by
// one table that both the start and OK walk, as in the find dialog.
#include "win/search/filter_dialog.h"

#include "core/search/search.h"
#include "win/platform/text_conversion.h"
#include "win/resources/resource_ids.h"
#include "win/shell/help.h"

namespace vemora {
namespace {

struct FilterDialogContext {
  FilterRequest* request;
  const StringList* history;
};

struct SwitchControl {
  int id;
  int32_t FilterRequest::*field;
};
constexpr SwitchControl kSwitches[] = {
    {IDC_FIND_CASE, &FilterRequest::Caps},
    {IDC_FIND_REGEX, &FilterRequest::Regx},
    {IDC_FILTER_INVERT, &FilterRequest::Invert},
};

FilterDialogContext& Context(HWND dialog) {
  return *reinterpret_cast<FilterDialogContext*>(GetWindowLongPtrW(dialog, DWLP_USER));
}

// Case sensitivity applies to a plain search only.
void EnableCaseSwitch(HWND dialog) {
  const bool regex = IsDlgButtonChecked(dialog, IDC_FIND_REGEX) == BST_CHECKED;
  EnableWindow(GetDlgItem(dialog, IDC_FIND_CASE), regex ? FALSE : TRUE);
}

void OnInitFilterDialog(HWND dialog, FilterDialogContext& context) {
  SetWindowLongPtrW(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(&context));
  HWND text = GetDlgItem(dialog, IDC_FIND_TEXT);
  SendMessageW(text, CB_LIMITTEXT, FindRequest::kTextCapacity, 0);
  for (const std::u16string& entry : *context.history)
    SendMessageW(text, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(ToWide(entry).c_str()));
  SendMessageW(text, CB_SETCURSEL, 0, 0);
  const FilterRequest& request = *context.request;
  if (!request.text.empty())
    SendMessageW(text, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(ToWide(request.text).c_str()));
  for (const SwitchControl& control : kSwitches)
    CheckDlgButton(dialog, control.id, request.*control.field == 1 ? BST_CHECKED : BST_UNCHECKED);
  EnableCaseSwitch(dialog);
}

void OnFilterOk(HWND dialog) {
  FilterRequest& request = *Context(dialog).request;
  wchar_t text[FindRequest::kTextCapacity + 1] = {};
  SendDlgItemMessageW(dialog, IDC_FIND_TEXT, WM_GETTEXT, FindRequest::kTextCapacity + 1,
                      reinterpret_cast<LPARAM>(text));
  request.text = AsUtf16(text);
  for (const SwitchControl& control : kSwitches)
    request.*control.field = IsDlgButtonChecked(dialog, control.id) == BST_CHECKED ? 1 : 0;
  EndDialog(dialog, 1);
}

BOOL OnFilterCommand(HWND dialog, WORD id) {
  switch (id) {
    case IDOK:
      OnFilterOk(dialog);
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

INT_PTR CALLBACK FilterDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      OnInitFilterDialog(dialog, *reinterpret_cast<FilterDialogContext*>(lParam));
      return TRUE;
    case WM_COMMAND:
      return OnFilterCommand(dialog, LOWORD(wParam));
    default:
      return FALSE;
  }
}

}  // namespace

bool ShowFilterDialog(HWND owner, FilterRequest& request, const StringList& history) {
  FilterDialogContext context{&request, &history};
  return DialogBoxParamW(reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(owner, GWLP_HINSTANCE)),
                         MAKEINTRESOURCEW(IDD_FILTER), owner, FilterDialogProc,
                         reinterpret_cast<LPARAM>(&context)) == 1;
}

}  // namespace vemora
