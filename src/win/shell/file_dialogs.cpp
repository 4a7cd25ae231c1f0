// The open and save dialogs: room for a full path, the first filter chosen; the document
// open dialog adds the encoding panel through a template and its hook.
#include "win/shell/file_dialogs.h"

#include <commdlg.h>

#include <iterator>

#include "win/platform/text_conversion.h"
#include "win/resources/resource_ids.h"
#include "win/shell/app_state.h"

namespace vemora {
namespace {

// The caller's name in a buffer of MAX_PATH units; a longer name starts the dialog empty
// rather than cut in the middle.
void CopyInitialName(const std::u16string& path, wchar_t (&buffer)[MAX_PATH]) {
  buffer[0] = L'\0';
  if (path.size() >= MAX_PATH) return;
  std::wstring wide = ToWide(path);
  wide.copy(buffer, wide.size());
  buffer[wide.size()] = L'\0';
}

OPENFILENAMEW Request(HWND owner, wchar_t (&buffer)[MAX_PATH], const wchar_t* title,
                      const wchar_t* filter) {
  OPENFILENAMEW request{};
  request.lStructSize = sizeof request;
  request.hwndOwner = owner;
  request.lpstrFilter = filter;
  request.nFilterIndex = 1;
  request.lpstrFile = buffer;
  request.nMaxFile = MAX_PATH;
  request.lpstrTitle = title;
  return request;
}

// A panel of the program's below the dialog's own controls, filled and read by `hook`.
void AddPanel(OPENFILENAMEW& request, WORD panelTemplate, LPOFNHOOKPROC hook) {
  request.hInstance = gShell.instance;
  request.lpTemplateName = MAKEINTRESOURCEW(panelTemplate);
  request.lpfnHook = hook;
  request.Flags =
      OFN_HIDEREADONLY | OFN_EXPLORER | OFN_ENABLEHOOK | OFN_ENABLETEMPLATE | OFN_ENABLESIZING;
}

// The panel's list, in order, with the encoding request each entry makes.
struct EncodingChoice {
  const wchar_t* text;
  int32_t request;
};
constexpr EncodingChoice kEncodingChoices[] = {
    {L"自動認識", -1},
    {L"Unicode (UTF16)", -3},
    {L"Unicode (UTF16,Big Endian)", -4},
    {L"Unicode (UTF8)", -5},
    {L"Unicode (UTF7)", 9},
    {L"シフトJIS", 0},
    {L"EUC", 2},
    {L"JIS", 1},
};

void FillEncodingList(HWND panel) {
  HWND list = GetDlgItem(panel, IDC_ENCODING_LIST);
  for (const EncodingChoice& choice : kEncodingChoices)
    SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(choice.text));
  SendMessageW(list, CB_SETCURSEL, 0, 0);
}

void StoreChosenEncoding(HWND list) {
  const LRESULT selected = SendMessageW(list, CB_GETCURSEL, 0, 0);
  if (selected >= 0 && selected < static_cast<LRESULT>(std::size(kEncodingChoices)))
    gShell.openDialogEncoding = kEncodingChoices[selected].request;
}

UINT_PTR CALLBACK EncodingPanelHook(HWND panel, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      FillEncodingList(panel);
      // TRUE would put the keyboard focus on the panel's list, and a name typed at once
      // would pick encodings; FALSE leaves it in the file name box.
      return FALSE;
    case WM_COMMAND:
      if (LOWORD(wParam) != IDC_ENCODING_LIST) return FALSE;
      if (HIWORD(wParam) == CBN_SELCHANGE) StoreChosenEncoding(reinterpret_cast<HWND>(lParam));
      return TRUE;
    default:
      return FALSE;
  }
}

}  // namespace

bool ShowDocumentOpenDialog(HWND owner, std::u16string& path) {
  gShell.openDialogEncoding = -1;
  wchar_t buffer[MAX_PATH];
  CopyInitialName(path, buffer);
  OPENFILENAMEW request = Request(owner, buffer, L"開く", L"全てのファイル\0*\0");
  AddPanel(request, IDD_ENCODING_PANEL, EncodingPanelHook);
  request.Flags |= OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST;
  if (!GetOpenFileNameW(&request)) return false;
  path = ToUtf16(buffer);
  return true;
}

bool ShowOpenDialog(HWND owner, std::u16string& path, const wchar_t* title,
                    const wchar_t* filter) {
  wchar_t buffer[MAX_PATH];
  CopyInitialName(path, buffer);
  OPENFILENAMEW request = Request(owner, buffer, title, filter);
  request.Flags = OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST;
  if (!GetOpenFileNameW(&request)) return false;
  path = ToUtf16(buffer);
  return true;
}

bool ShowSaveDialog(HWND owner, std::u16string& path, const wchar_t* title,
                    const wchar_t* filter, const wchar_t* defaultExtension) {
  wchar_t buffer[MAX_PATH];
  CopyInitialName(path, buffer);
  OPENFILENAMEW request = Request(owner, buffer, title, filter);
  request.hInstance = gShell.instance;
  request.lpstrDefExt = defaultExtension && *defaultExtension ? defaultExtension : nullptr;
  request.Flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST;
  if (!GetSaveFileNameW(&request)) return false;
  path = ToUtf16(buffer);
  return true;
}

bool ShowSaveDialogWithPanel(HWND owner, std::u16string& path, const wchar_t* title,
                             WORD panelTemplate, LPOFNHOOKPROC hook) {
  wchar_t buffer[MAX_PATH];
  CopyInitialName(path, buffer);
  OPENFILENAMEW request = Request(owner, buffer, title, L"全てのファイル\0*\0");
  AddPanel(request, panelTemplate, hook);
  request.Flags |= OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST;
  if (!GetSaveFileNameW(&request)) return false;
  path = ToUtf16(buffer);
  return true;
}

}  // namespace vemora
