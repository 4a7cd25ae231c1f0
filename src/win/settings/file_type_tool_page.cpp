// Page "ツール" of the file-type dialog: how the shown file is opened with a tool, the
// command line with its browse button, the texts for $K, and what happens to the viewer.
#include "win/resources/settings_dialog_ids.h"
#include "win/settings/file_type_pages.h"
#include "win/shell/file_dialogs.h"

namespace vemora {
namespace {

using Setting = FileTypeSetting;
constexpr int32_t kOptionLimit = kEditorOptionCapacity - 1;

const FieldLink<Setting> kToolFields[] = {
    RadioField(IDC_TOOL_ASSOCIATED, IDC_TOOL_COMMAND, &Setting::ToolType),
    TextField(IDC_EDITOR, &Setting::Editor, kEditorLoadCapacity - 1, kEditorCapacity - 1),
    TextField(IDC_OPTION_EUC, &Setting::EdOptEUC, kOptionLimit, kOptionLimit),
    TextField(IDC_OPTION_JIS, &Setting::EdOptJIS, kOptionLimit, kOptionLimit),
    TextField(IDC_OPTION_SJIS, &Setting::EdOptSJIS, kOptionLimit, kOptionLimit),
    TextField(IDC_OPTION_UTF8, &Setting::EdOptUTF8, kOptionLimit, kOptionLimit),
    TextField(IDC_OPTION_UTF7, &Setting::EdOptUTF7, kOptionLimit, kOptionLimit),
    TextField(IDC_OPTION_UTF16, &Setting::EdOptUTF16, kOptionLimit, kOptionLimit),
    TextField(IDC_OPTION_UTF16BE, &Setting::EdOptUTF16BE, kOptionLimit, kOptionLimit),
    CheckField(IDC_EDIT_CLOSE, &Setting::EditClose),
    CheckField(IDC_EDIT_RELOAD, &Setting::EditReload),
};

constexpr int kCommandLineEdits[] = {IDC_EDITOR,      IDC_OPTION_EUC,   IDC_OPTION_JIS,
                                     IDC_OPTION_SJIS, IDC_OPTION_UTF16, IDC_OPTION_UTF16BE,
                                     IDC_OPTION_UTF8, IDC_OPTION_UTF7};

FileTypeDialogState& StateOf(HWND page) {
  return *reinterpret_cast<FileTypeDialogState*>(GetWindowLongPtrW(page, DWLP_USER));
}

void ApplyToolRules(const FileTypeDialogState& state) {
  const bool commandLine = state.controls.Checked(IDC_TOOL_COMMAND);
  for (int id : kCommandLineEdits) state.controls.Enable(id, commandLine);
  state.controls.Enable(IDC_EDIT_RELOAD, !state.controls.Checked(IDC_EDIT_CLOSE));
}

void OnBrowse(FileTypeDialogState& state) {
  std::u16string path;
  if (ShowOpenDialog(state.frame, path, L"エディタの選択",
                     L"実行ファイル\0*.exe;*.com;*.bat\0全てのﾌｧｲﾙ\0*\0"))
    state.controls.SetText(IDC_EDITOR, path);
}

void OnToolCommand(FileTypeDialogState& state, int id) {
  if (id == IDC_EDITOR_BROWSE) return OnBrowse(state);
  if (id == IDC_TOOL_ASSOCIATED || id == IDC_TOOL_COMMAND || id == IDC_EDIT_CLOSE)
    ApplyToolRules(state);
}

}  // namespace

std::span<const FieldLink<FileTypeSetting>> ToolPageFields() {
  return kToolFields;
}

void ShowToolPage(FileTypeDialogState& state, const FileTypeSetting& entry) {
  ShowFields(ToolPageFields(), entry, state.controls);
  ApplyToolRules(state);
}

INT_PTR CALLBACK ToolPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message != WM_INITDIALOG && !GetWindowLongPtrW(page, DWLP_USER)) return FALSE;
  switch (message) {
    case WM_INITDIALOG:
      SetWindowLongPtrW(page, DWLP_USER, lParam);
      PrepareFields(ToolPageFields(), WindowControls{page});
      return FALSE;
    case WM_COMMAND:
      if (HIWORD(wParam) == BN_CLICKED) OnToolCommand(StateOf(page), LOWORD(wParam));
      return TRUE;
    default:
      return FALSE;
  }
}

}  // namespace vemora
