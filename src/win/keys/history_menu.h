// The file history, kept as items of the file menu after its four fixed items: a
// separator, then "&1 path", "&2 path", ... with the commands CmdHistory1 onwards.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

#include "core/settings/settings_model.h"

namespace vemora {

HMENU FileMenu();
// Replaces the history by the first `maximum` entries of the list.
void BuildHistoryMenu(const StringList& paths, int maximum);
// The entries' paths, in menu order.
StringList ReadHistoryMenu();
void ClearHistoryMenu();
// Appends entry `index` (preceded by the separator for entry 0).
void AddHistoryEntry(std::u16string_view path, int index);
// Puts the path first, drops an earlier entry for it, keeps at most HistNum entries.
void UpdateFileHistoryMenu(std::u16string_view path);
// The path of a history command's entry; nothing when the item cannot be read.
std::optional<std::u16string> HistoryEntryPath(UINT command);

}  // namespace vemora
