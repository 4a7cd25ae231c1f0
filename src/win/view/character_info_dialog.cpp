// The character information dialog: the lines come from the core; the dialog shows them in
// a read-only edit control and copies them to the clipboard on request.
#include "win/view/character_info_dialog.h"

#include <string>

#include "core/text/character_info.h"
#include "win/platform/text_conversion.h"
#include "win/resources/resource_ids.h"
#include "win/shell/app_state.h"

namespace vemora {
namespace {

// Columns for the character, the code point, the bytes and the JIS code, in dialog units.
constexpr INT kTabStops[] = {24, 72, 150};

void CopyToClipboard(HWND dialog, const std::wstring& text) {
  if (!OpenClipboard(dialog)) return;
  EmptyClipboard();
  const size_t bytes = (text.size() + 1) * sizeof(wchar_t);
  if (HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes)) {
    if (void* target = GlobalLock(memory)) {
      CopyMemory(target, text.c_str(), bytes);
      GlobalUnlock(memory);
      if (!SetClipboardData(CF_UNICODETEXT, memory)) GlobalFree(memory);
    } else {
      GlobalFree(memory);
    }
  }
  CloseClipboard();
}

std::wstring EditText(HWND dialog) {
  HWND edit = GetDlgItem(dialog, IDC_CHARACTER_INFO_TEXT);
  std::wstring text(static_cast<size_t>(GetWindowTextLengthW(edit)) + 1, L'\0');
  text.resize(
      static_cast<size_t>(GetWindowTextW(edit, text.data(), static_cast<int>(text.size()))));
  return text;
}

INT_PTR OnInitDialog(HWND dialog, LPARAM lParam) {
  const auto* lines = reinterpret_cast<const std::u16string*>(lParam);
  HWND edit = GetDlgItem(dialog, IDC_CHARACTER_INFO_TEXT);
  SendMessageW(edit, EM_SETTABSTOPS, std::size(kTabStops), reinterpret_cast<LPARAM>(kTabStops));
  SetWindowTextW(edit, AsWide(lines->c_str()));
  // The close button, not the list: a focused read-only edit would select all its text.
  SetFocus(GetDlgItem(dialog, IDCANCEL));
  return FALSE;
}

void OnCommand(HWND dialog, UINT command) {
  switch (command) {
    case IDC_CHARACTER_INFO_COPY:
      CopyToClipboard(dialog, EditText(dialog));
      break;
    case IDOK:
    case IDCANCEL:
      EndDialog(dialog, command);
      break;
    default:
      break;
  }
}

INT_PTR CALLBACK CharacterInfoDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      return OnInitDialog(dialog, lParam);
    case WM_COMMAND:
      OnCommand(dialog, LOWORD(wParam));
      return TRUE;
    default:
      return FALSE;
  }
}

}  // namespace

void ShowCharacterInfoDialog(HWND owner) {
  const Document* document = CurrentDocument();
  if (!document) return;
  const std::u16string lines = CharacterInfoText(*document);
  if (lines.empty()) return;
  DialogBoxParamW(gShell.instance, MAKEINTRESOURCEW(IDD_CHARACTER_INFO), owner,
                  CharacterInfoDialogProc, reinterpret_cast<LPARAM>(&lines));
}

}  // namespace vemora
