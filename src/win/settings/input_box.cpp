// The one-line input box's procedure.
#include "win/settings/input_box.h"

#include "win/platform/text_conversion.h"
#include "win/resources/settings_dialog_ids.h"

namespace vemora {
namespace {

struct InputRequest {
  const wchar_t* caption;
  std::u16string* text;
  int limit;
};

void OnInitInput(HWND dialog, const InputRequest& request) {
  SetWindowLongPtrW(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(&request));
  SetWindowTextW(dialog, request.caption);
  HWND edit = GetDlgItem(dialog, IDC_INPUT_TEXT);
  SendMessageW(edit, EM_LIMITTEXT, static_cast<WPARAM>(request.limit), 0);
  SetWindowTextW(edit, ToWide(request.text->substr(0, static_cast<size_t>(request.limit))).c_str());
  SendMessageW(edit, EM_SETSEL, 0, -1);
}

void OnInputOk(HWND dialog) {
  auto* request = reinterpret_cast<InputRequest*>(GetWindowLongPtrW(dialog, DWLP_USER));
  HWND edit = GetDlgItem(dialog, IDC_INPUT_TEXT);
  std::wstring text(static_cast<size_t>(GetWindowTextLengthW(edit)) + 1, L'\0');
  text.resize(
      static_cast<size_t>(GetWindowTextW(edit, text.data(), static_cast<int>(text.size()))));
  *request->text = ToUtf16(text).substr(0, static_cast<size_t>(request->limit));
  EndDialog(dialog, 1);
}

INT_PTR CALLBACK InputBoxProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      OnInitInput(dialog, *reinterpret_cast<const InputRequest*>(lParam));
      SetFocus(GetDlgItem(dialog, IDC_INPUT_TEXT));
      return FALSE;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK) OnInputOk(dialog);
      if (LOWORD(wParam) == IDCANCEL) EndDialog(dialog, 0);
      return TRUE;
    default:
      return FALSE;
  }
}

}  // namespace

bool ShowInputBox(HWND owner, int templateId, const wchar_t* caption, std::u16string& text,
                  int limit) {
  InputRequest request{caption, &text, limit};
  return DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(templateId), owner,
                         InputBoxProc, reinterpret_cast<LPARAM>(&request)) == 1;
}

}  // namespace vemora
