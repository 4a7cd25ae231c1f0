// Page "操作" of the environment sheet: a key with its modifiers shows the command bound
// to it, choosing a command binds it at once, and a preset replaces the whole table. The
// table as it was when the page opened comes back on cancel, from either page.
#include "core/keys/commands.h"
#include "core/keys/key_table.h"
#include "core/platform/out_of_memory.h"
#include "win/platform/text_conversion.h"
#include "win/resources/settings_dialog_ids.h"
#include "win/settings/environment_pages.h"
#include "win/shell/help.h"

namespace vemora {
namespace {

struct KeyChoice {
  int keyIndex;
  bool shift, control, alt;
};

KeyChoice ChosenKey(HWND page) {
  return {static_cast<int>(SendDlgItemMessageW(page, IDC_KEY_LIST, LB_GETCURSEL, 0, 0)),
          IsDlgButtonChecked(page, IDC_KEY_SHIFT) == BST_CHECKED,
          IsDlgButtonChecked(page, IDC_KEY_CONTROL) == BST_CHECKED,
          IsDlgButtonChecked(page, IDC_KEY_ALT) == BST_CHECKED};
}

void AddItems(HWND page, int id, UINT message, const wchar_t* text) {
  SendDlgItemMessageW(page, id, message, 0, reinterpret_cast<LPARAM>(text));
}

void OnInitKeyPage(HWND page, LPARAM initParam) {
  EnvironmentSheetState& state = AttachSheetState(page, initParam);
  for (const char16_t* name : kKeyPresetNames)
    AddItems(page, IDC_PRESET_LIST, CB_ADDSTRING, AsWide(name));
  SendDlgItemMessageW(page, IDC_PRESET_LIST, CB_SETCURSEL, 0, 0);
  for (const KeyName& key : KeyNameTable())
    AddItems(page, IDC_KEY_LIST, LB_ADDSTRING, AsWide(key.name));
  for (const CommandName& command : CommandNameTable())
    AddItems(page, IDC_COMMAND_LIST, LB_ADDSTRING, AsWide(command.name));
  state.keyTableCopy = CopyKeyTable(*state.options);
}

void ShowBoundCommand(HWND page) {
  const KeyChoice key = ChosenKey(page);
  const int index = BoundCommandNameIndex(*SheetStateOf(page).options, key.keyIndex, key.shift,
                                          key.control, key.alt);
  SendDlgItemMessageW(page, IDC_COMMAND_LIST, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

void OnCommandChosen(HWND page) {
  const auto index = SendDlgItemMessageW(page, IDC_COMMAND_LIST, LB_GETCURSEL, 0, 0);
  const auto names = CommandNameTable();
  if (index < 0 || static_cast<size_t>(index) >= names.size()) return;
  const KeyChoice key = ChosenKey(page);
  AssignKey(*SheetStateOf(page).options, key.keyIndex, key.shift, key.control, key.alt,
            names[static_cast<size_t>(index)].command);
}

void OnLoadPreset(HWND page) {
  if (MessageBoxW(page, L"キー設定を読み込みます。", AsWide(kProgramTitle), MB_YESNO) != IDYES)
    return;
  const auto preset = SendDlgItemMessageW(page, IDC_PRESET_LIST, CB_GETCURSEL, 0, 0);
  LoadKeyPreset(*SheetStateOf(page).options, static_cast<int>(preset));
}

void OnKeyPageCommand(HWND page, int id, int notification) {
  switch (id) {
    case IDC_KEY_LIST:
      if (notification == LBN_SELCHANGE) ShowBoundCommand(page);
      break;
    case IDC_KEY_SHIFT:
    case IDC_KEY_CONTROL:
    case IDC_KEY_ALT:
      if (notification == BN_CLICKED) ShowBoundCommand(page);
      break;
    case IDC_COMMAND_LIST:
      if (notification == LBN_SELCHANGE) OnCommandChosen(page);
      break;
    case IDC_PRESET_LOAD:
      if (notification == BN_CLICKED) OnLoadPreset(page);
      break;
  }
}

void OnKeyPageNotify(HWND page, const NMHDR& header) {
  EnvironmentSheetState& state = SheetStateOf(page);
  switch (header.code) {
    case PSN_APPLY:
      state.keyTableCopy = {};
      state.settingsApplied = true;
      SetWindowLongPtrW(page, DWLP_MSGRESULT, PSNRET_NOERROR);
      break;
    case PSN_RESET:
      RestoreKeyTable(*state.options, std::move(state.keyTableCopy));
      break;
    case PSN_HELP:
      ShowHelpTopic(kHelpKeys);
      break;
  }
}

}  // namespace

INT_PTR CALLBACK KeyPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message != WM_INITDIALOG && !GetWindowLongPtrW(page, DWLP_USER)) return FALSE;
  switch (message) {
    case WM_INITDIALOG:
      OnInitKeyPage(page, lParam);
      return TRUE;
    case WM_COMMAND:
      OnKeyPageCommand(page, LOWORD(wParam), HIWORD(wParam));
      return TRUE;
    case WM_NOTIFY:
      OnKeyPageNotify(page, *reinterpret_cast<const NMHDR*>(lParam));
      return TRUE;
    default:
      return FALSE;
  }
}

}  // namespace vemora
