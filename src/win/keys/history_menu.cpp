// The file menu is the working copy of the history: it is read back whenever the list is
// needed, so the menu and the saved `Hist` can never disagree.
#include "win/keys/history_menu.h"

#include <algorithm>

#include "core/keys/commands.h"
#include "core/keys/file_history.h"
#include "win/platform/text_conversion.h"
#include "win/shell/app_state.h"

namespace vemora {
namespace {

// The whole text of a menu item; nothing when it has none.
std::optional<std::u16string> MenuItemText(HMENU menu, UINT item, UINT flags) {
  const int length = GetMenuStringW(menu, item, nullptr, 0, flags);
  if (length <= 0) return std::nullopt;
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  const int read = GetMenuStringW(menu, item, text.data(), length + 1, flags);
  if (read <= 0) return std::nullopt;
  text.resize(static_cast<size_t>(read));
  return ToUtf16(text);
}

}  // namespace

HMENU FileMenu() {
  return GetSubMenu(GetMenu(gShell.mainWindow), 0);
}

void BuildHistoryMenu(const StringList& paths, int maximum) {
  ClearHistoryMenu();
  const int count = std::min({static_cast<int>(paths.size()), maximum, kMaxHistoryEntries});
  for (int i = 0; i < count; ++i) AddHistoryEntry(paths[i], i);
}

StringList ReadHistoryMenu() {
  StringList paths;
  HMENU menu = FileMenu();
  const int count = GetMenuItemCount(menu);
  for (int position = kFileMenuFixedItems + 1; position < count; ++position) {
    if (auto text = MenuItemText(menu, position, MF_BYPOSITION))
      paths.push_back(HistoryPathFromMenuText(*text));
  }
  return paths;
}

void ClearHistoryMenu() {
  HMENU menu = FileMenu();
  while (GetMenuItemCount(menu) > kFileMenuFixedItems)
    DeleteMenu(menu, kFileMenuFixedItems, MF_BYPOSITION);
}

void AddHistoryEntry(std::u16string_view path, int index) {
  HMENU menu = FileMenu();
  if (index == 0) AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
  const std::wstring text = ToWide(HistoryMenuText(index, path));
  AppendMenuW(menu, MF_STRING, CmdHistory1 + index, text.c_str());
}

void UpdateFileHistoryMenu(std::u16string_view path) {
  const StringList updated = UpdateFileHistory(ReadHistoryMenu(), path, gOptions.HistNum);
  BuildHistoryMenu(updated, gOptions.HistNum);
}

std::optional<std::u16string> HistoryEntryPath(UINT command) {
  auto text = MenuItemText(FileMenu(), command, MF_BYCOMMAND);
  if (!text) return std::nullopt;
  return HistoryPathFromMenuText(*text);
}

}  // namespace vemora
