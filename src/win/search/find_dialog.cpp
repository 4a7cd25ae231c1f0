// The find and filter dialogs share one procedure, which only dispatches: the text with
// the find history, and switches linked to the request's fields by a table that both the
// start and OK walk. The filter dialog has one switch more.
#include "win/search/find_dialog.h"

#include <span>
#include <utility>

#include "win/platform/text_conversion.h"
#include "win/resources/resource_ids.h"
#include "win/shell/help.h"

namespace vemora {
namespace {

struct SwitchControl {
  int id;
  int32_t* field;
};

struct SearchDialogContext {
  std::u16string* text;
  std::span<const SwitchControl> switches;
  const StringList* history;
};

SearchDialogContext& Context(HWND dialog) {
  return *reinterpret_cast<SearchDialogContext*>(GetWindowLongPtrW(dialog, DWLP_USER));
}

// Case sensitivity applies to a plain search only.
void EnableCaseSwitch(HWND dialog) {
  const bool regex = IsDlgButtonChecked(dialog, IDC_FIND_REGEX) == BST_CHECKED;
  EnableWindow(GetDlgItem(dialog, IDC_FIND_CASE), regex ? FALSE : TRUE);
}

void OnInitSearchDialog(HWND dialog, SearchDialogContext& context) {
  SetWindowLongPtrW(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(&context));
  HWND text = GetDlgItem(dialog, IDC_FIND_TEXT);
  SendMessageW(text, CB_LIMITTEXT, FindRequest::kTextCapacity, 0);
  for (const std::u16string& entry : *context.history)
    SendMessageW(text, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(ToWide(entry).c_str()));
  SendMessageW(text, CB_SETCURSEL, 0, 0);
  if (!context.text->empty())
    SendMessageW(text, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(ToWide(*context.text).c_str()));
  for (const SwitchControl& control : context.switches)
    CheckDlgButton(dialog, control.id, *control.field == 1 ? BST_CHECKED : BST_UNCHECKED);
  EnableCaseSwitch(dialog);
}

void OnSearchOk(HWND dialog) {
  const SearchDialogContext& context = Context(dialog);
  wchar_t text[FindRequest::kTextCapacity + 1] = {};
  SendDlgItemMessageW(dialog, IDC_FIND_TEXT, WM_GETTEXT, FindRequest::kTextCapacity + 1,
                      reinterpret_cast<LPARAM>(text));
  *context.text = AsUtf16(text);
  for (const SwitchControl& control : context.switches)
    *control.field = IsDlgButtonChecked(dialog, control.id) == BST_CHECKED ? 1 : 0;
  EndDialog(dialog, 1);
}

BOOL OnSearchCommand(HWND dialog, WORD id) {
  switch (id) {
    case IDOK:
      OnSearchOk(dialog);
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

INT_PTR CALLBACK SearchDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      OnInitSearchDialog(dialog, *reinterpret_cast<SearchDialogContext*>(lParam));
      return TRUE;
    case WM_COMMAND:
      return OnSearchCommand(dialog, LOWORD(wParam));
    default:
      return FALSE;
  }
}

// The request's fields are written only on OK, so a cancelled dialog changes nothing.
bool RunSearchDialog(HWND owner, int templateId, SearchDialogContext context) {
  return DialogBoxParamW(reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(owner, GWLP_HINSTANCE)),
                         MAKEINTRESOURCEW(templateId), owner, SearchDialogProc,
                         reinterpret_cast<LPARAM>(&context)) == 1;
}

}  // namespace

bool ShowFindDialog(HWND owner, FindRequest& request, const StringList& history) {
  const SwitchControl switches[] = {{IDC_FIND_CASE, &request.Caps},
                                    {IDC_FIND_REGEX, &request.Regx}};
  return RunSearchDialog(owner, IDD_FIND, {&request.text, switches, &history});
}

bool ShowFilterDialog(HWND owner, FilterRequest& request, const StringList& history) {
  const SwitchControl switches[] = {{IDC_FIND_CASE, &request.Caps},
                                    {IDC_FIND_REGEX, &request.Regx},
                                    {IDC_FILTER_INVERT, &request.Invert}};
  return RunSearchDialog(owner, IDD_FILTER, {&request.text, switches, &history});
}

}  // namespace vemora
