// The plain open and save dialogs: room for a full path, the first filter chosen.
#include "win/shell/file_dialogs.h"

#include <commdlg.h>

#include "win/platform/text_conversion.h"
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

}  // namespace

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

}  // namespace vemora
