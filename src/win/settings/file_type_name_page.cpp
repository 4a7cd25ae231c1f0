// Page "ファイル名" of the file-type dialog: the sorted list of file-name patterns of the
// selected entry, with add and remove; the common entry shows only why it has none.
#include <string>

#include "win/platform/text_conversion.h"
#include "win/resources/resource_ids.h"
#include "win/resources/settings_dialog_ids.h"
#include "win/settings/file_type_pages.h"
#include "win/settings/input_box.h"

namespace vemora {
namespace {

FileTypeDialogState& StateOf(HWND page) {
  return *reinterpret_cast<FileTypeDialogState*>(GetWindowLongPtrW(page, DWLP_USER));
}

HWND PatternList(const FileTypeDialogState& state) {
  return GetDlgItem(state.pages[0], IDC_PATTERN_LIST);
}

void FillPatternList(const FileTypeDialogState& state) {
  HWND list = PatternList(state);
  SendMessageW(list, LB_RESETCONTENT, 0, 0);
  for (const std::u16string& pattern : state.patterns)
    SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(ToWide(pattern).c_str()));
}

void OnAddPattern(FileTypeDialogState& state) {
  std::u16string pattern;
  if (!ShowInputBox(state.frame, IDD_PATTERN_INPUT, L"ファイル名", pattern, kInputBoxLimit) ||
      pattern.empty())
    return;
  if (!AddPattern(state.patterns, pattern)) return void(MessageBeep(0xFFFFFFFF));
  FillPatternList(state);
}

void OnRemovePattern(FileTypeDialogState& state) {
  const auto index = SendMessageW(PatternList(state), LB_GETCURSEL, 0, 0);
  if (index < 0 || static_cast<size_t>(index) >= state.patterns.size()) return;
  state.patterns.erase(state.patterns.begin() + index);
  FillPatternList(state);
}

}  // namespace

void ShowFileNamePage(FileTypeDialogState& state, const FileTypeSetting& entry) {
  state.patterns = entry.Ext;
  SortPatterns(state.patterns);
  FillPatternList(state);
}

void ApplyCommonEntryRule(FileTypeDialogState& state) {
  const bool common = state.selected == 0;
  for (int id : {IDC_PATTERN_LIST, IDC_PATTERN_ADD, IDC_PATTERN_REMOVE, IDC_PATTERN_HINT})
    ShowWindow(GetDlgItem(state.pages[0], id), common ? SW_HIDE : SW_SHOW);
  SetDlgItemTextW(
      state.pages[0], IDC_PATTERN_HEADER,
      common ? L"この項目は共通設定では指定できません。" : L"この設定で表示するファイル");
  EnableWindow(GetDlgItem(state.frame, IDC_TYPE_RENAME), !common);
  EnableWindow(GetDlgItem(state.frame, IDC_TYPE_DELETE), !common);
}

INT_PTR CALLBACK FileNamePageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message != WM_INITDIALOG && !GetWindowLongPtrW(page, DWLP_USER)) return FALSE;
  switch (message) {
    case WM_INITDIALOG:
      SetWindowLongPtrW(page, DWLP_USER, lParam);
      return FALSE;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDC_PATTERN_ADD) OnAddPattern(StateOf(page));
      if (LOWORD(wParam) == IDC_PATTERN_REMOVE) OnRemovePattern(StateOf(page));
      return TRUE;
    default:
      return FALSE;
  }
}

}  // namespace vemora
