// The frame of the file-type dialog: the selector of file types with new, rename and
// delete, the tree of pages, and OK, cancel and help. The pages sit over the hidden
// placeholder and show the selected entry of the working list.
#include "win/settings/file_type_dialog.h"

#include <commctrl.h>

#include <string>

#include "win/platform/text_conversion.h"
#include "win/resources/resource_ids.h"
#include "win/resources/settings_dialog_ids.h"
#include "win/settings/confirm_dialog.h"
#include "win/settings/file_type_pages.h"
#include "win/settings/input_box.h"
#include "win/shell/help.h"

namespace vemora {
namespace {

struct PageInfo {
  const wchar_t* treeText;
  int templateId;
  DLGPROC procedure;
  DWORD helpContext;
};

constexpr PageInfo kPages[kFileTypePageCount] = {
    {L"ファイル名", IDD_FILE_NAME_PAGE, FileNamePageProc, kHelpFileTypeName},
    {L"体裁", IDD_LOOK_PAGE, LookPageProc, kHelpFileTypeLook},
    {L"ツール", IDD_TOOL_PAGE, ToolPageProc, kHelpFileTypeTool},
};

FileTypeDialogState& StateOf(HWND frame) {
  return *reinterpret_cast<FileTypeDialogState*>(GetWindowLongPtrW(frame, DWLP_USER));
}

HWND Selector(const FileTypeDialogState& state) {
  return GetDlgItem(state.frame, IDC_TYPE_SELECTOR);
}

void CreatePages(FileTypeDialogState& state) {
  RECT place{};
  GetWindowRect(GetDlgItem(state.frame, IDC_PAGE_PLACE), &place);
  MapWindowPoints(nullptr, state.frame, reinterpret_cast<POINT*>(&place), 2);
  for (int i = 0; i < kFileTypePageCount; ++i) {
    state.pages[i] =
        CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(kPages[i].templateId),
                           state.frame, kPages[i].procedure, reinterpret_cast<LPARAM>(&state));
    SetWindowPos(state.pages[i], GetDlgItem(state.frame, IDC_PAGE_PLACE), place.left, place.top,
                 place.right - place.left, place.bottom - place.top, SWP_NOACTIVATE);
  }
  state.controls.SetWindows({state.pages[0], state.pages[1], state.pages[2]});
}

void FillPageTree(const FileTypeDialogState& state) {
  HWND tree = GetDlgItem(state.frame, IDC_PAGE_TREE);
  HTREEITEM first = nullptr;
  for (int i = 0; i < kFileTypePageCount; ++i) {
    TVINSERTSTRUCTW insert{};
    insert.hParent = TVI_ROOT;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT | TVIF_PARAM;
    insert.item.pszText = const_cast<wchar_t*>(kPages[i].treeText);
    insert.item.lParam = i;
    auto item = reinterpret_cast<HTREEITEM>(
        SendMessageW(tree, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
    if (i == 0) first = item;
  }
  SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(first));
}

void ShowPage(FileTypeDialogState& state, int page) {
  if (page < 0 || page >= kFileTypePageCount) return;
  state.currentPage = page;
  for (int i = 0; i < kFileTypePageCount; ++i)
    ShowWindow(state.pages[i], i == page ? SW_SHOW : SW_HIDE);
}

void FillSelector(const FileTypeDialogState& state) {
  HWND selector = Selector(state);
  SendMessageW(selector, CB_RESETCONTENT, 0, 0);
  for (const FileTypeSetting& entry : state.working.Entries())
    SendMessageW(selector, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(ToWide(entry.Name).c_str()));
  SendMessageW(selector, CB_SETCURSEL, static_cast<WPARAM>(state.selected), 0);
}

void ShowSelectedEntry(FileTypeDialogState& state) {
  const FileTypeSetting& entry = state.working.Entry(state.selected);
  ShowFileNamePage(state, entry);
  ShowLookPage(state, entry);
  ShowToolPage(state, entry);
  ApplyCommonEntryRule(state);
}

// Puts what the pages show back into the selected working entry.
void TakePages(FileTypeDialogState& state) {
  FileTypeSetting& entry = state.working.Entry(state.selected);
  entry.Ext = state.patterns;
  TakeLookPage(state, entry);
  TakeFields(ToolPageFields(), state.controls, entry);
}

BOOL OnInitFrame(HWND frame, FileTypeDialogState& state) {
  SetWindowLongPtrW(frame, DWLP_USER, reinterpret_cast<LONG_PTR>(&state));
  state.frame = frame;
  SetWindowTextW(frame, L"ファイルタイプ別の設定");
  CreatePages(state);
  FillPageTree(state);
  ShowPage(state, 0);
  FillSelector(state);
  ShowSelectedEntry(state);
  SetFocus(Selector(state));
  return FALSE;  // the focus is set
}

void OnSelectorChange(FileTypeDialogState& state) {
  const auto index = static_cast<int32_t>(SendMessageW(Selector(state), CB_GETCURSEL, 0, 0));
  if (index < 0 || index >= state.working.Count() || index == state.selected) return;
  TakePages(state);
  state.selected = index;
  ShowSelectedEntry(state);
}

void OnCreate(FileTypeDialogState& state) {
  std::u16string name;
  if (!ShowInputBox(state.frame, IDD_NAME_INPUT, L"新しい設定の名前", name, kFileTypeNameLimit))
    return;
  // What the pages show for the entry being left is kept, as when the selection changes.
  TakePages(state);
  state.selected = state.working.Append(name);
  const std::wstring shown = ToWide(state.working.Entry(state.selected).Name);
  SendMessageW(Selector(state), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(shown.c_str()));
  SendMessageW(Selector(state), CB_SETCURSEL, static_cast<WPARAM>(state.selected), 0);
  ShowSelectedEntry(state);
}

void OnRename(FileTypeDialogState& state) {
  if (state.selected == 0) return;
  std::u16string name = state.working.Entry(state.selected).Name;
  if (!ShowInputBox(state.frame, IDD_NAME_INPUT, L"名前の変更", name, kFileTypeNameLimit)) return;
  TakePages(state);
  state.working.Rename(state.selected, name);
  HWND selector = Selector(state);
  const auto index = static_cast<WPARAM>(state.selected);
  SendMessageW(selector, CB_DELETESTRING, index, 0);
  SendMessageW(selector, CB_INSERTSTRING, index,
               reinterpret_cast<LPARAM>(ToWide(state.working.Entry(state.selected).Name).c_str()));
  SendMessageW(selector, CB_SETCURSEL, index, 0);
  ShowSelectedEntry(state);
}

void OnDelete(FileTypeDialogState& state) {
  if (state.selected == 0 || !ConfirmDeletion(state.frame)) return;
  state.working.Remove(state.selected);
  SendMessageW(Selector(state), CB_DELETESTRING, static_cast<WPARAM>(state.selected), 0);
  state.selected = 0;
  SendMessageW(Selector(state), CB_SETCURSEL, 0, 0);
  ShowSelectedEntry(state);
}

void OnOk(FileTypeDialogState& state) {
  TakePages(state);
  state.working.CommitTo(*state.live);
  EndDialog(state.frame, 1);
}

void OnTreeNotify(FileTypeDialogState& state, const NMHDR& header) {
  if (header.idFrom != IDC_PAGE_TREE || header.code != TVN_SELCHANGEDW) return;
  const auto& change = reinterpret_cast<const NMTREEVIEWW&>(header);
  ShowPage(state, static_cast<int>(change.itemNew.lParam));
}

// Enter on a focused button of a page is turned by the dialog manager into a command to
// the frame, the top dialog; it belongs to the page, whose ids may also be the frame's.
bool PassToPage(const FileTypeDialogState& state, WPARAM wParam, LPARAM lParam) {
  const auto control = reinterpret_cast<HWND>(lParam);
  if (!control) return false;
  const HWND parent = GetParent(control);
  for (HWND page : state.pages) {
    if (page && page == parent) {
      SendMessageW(page, WM_COMMAND, wParam, lParam);
      return true;
    }
  }
  return false;
}

void OnFrameCommand(HWND frame, WPARAM wParam, LPARAM lParam) {
  FileTypeDialogState& state = StateOf(frame);
  if (PassToPage(state, wParam, lParam)) return;
  const WORD id = LOWORD(wParam);
  const WORD notification = HIWORD(wParam);
  switch (id) {
    case IDC_TYPE_SELECTOR:
      if (notification == CBN_SELCHANGE) OnSelectorChange(state);
      break;
    case IDC_TYPE_CREATE:
      return OnCreate(state);
    case IDC_TYPE_RENAME:
      return OnRename(state);
    case IDC_TYPE_DELETE:
      return OnDelete(state);
    case IDOK:
      return OnOk(state);
    case IDCANCEL:
      EndDialog(frame, 0);
      break;
    case IDC_HELP_BUTTON:
      ShowHelpTopic(kPages[state.currentPage].helpContext);
      break;
  }
}

INT_PTR CALLBACK FrameProc(HWND frame, UINT message, WPARAM wParam, LPARAM lParam) {
  // Controls may notify while they are created, before the state is attached.
  if (message != WM_INITDIALOG && !GetWindowLongPtrW(frame, DWLP_USER)) return FALSE;
  switch (message) {
    case WM_INITDIALOG:
      return OnInitFrame(frame, *reinterpret_cast<FileTypeDialogState*>(lParam));
    case WM_COMMAND:
      OnFrameCommand(frame, wParam, lParam);
      return TRUE;
    case WM_NOTIFY:
      OnTreeNotify(StateOf(frame), *reinterpret_cast<const NMHDR*>(lParam));
      return TRUE;
    default:
      return FALSE;
  }
}

}  // namespace

bool ShowFileTypeDialog(HWND owner, FileTypeSettingList& live, int32_t selected) {
  // The common entry always exists; a list without it is shown as if it held the built-in
  // one, and the live list is still only replaced on OK.
  FileTypeSettingList source = live;
  if (source.entries.empty()) UseBuiltInFileTypes(source);
  FileTypeDialogState state(source);
  state.selected = selected >= 0 && selected < state.working.Count() ? selected : 0;
  state.live = &live;
  return DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_FILE_TYPE_FRAME), owner,
                         FrameProc, reinterpret_cast<LPARAM>(&state)) == 1;
}

}  // namespace vemora
