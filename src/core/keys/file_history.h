// The file history's list rules and entry labels; the file menu is built on them.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/settings/settings_model.h"

namespace vemora {

inline constexpr int kMaxHistoryEntries = 20;

// The history after opening `path`: the path first, an earlier entry for the same file
// (a spelling that differs only in letter case, as file names compare) dropped, at most `limit`
// entries (itself at most 20). A limit of 0 leaves the history unchanged, since nothing is recorded
// then.
StringList UpdateFileHistory(const StringList& history, std::u16string_view path, int32_t limit);

// The three-character label of history entry i (from 0): "&1 " to "&9 ", "&0 ", "&* ".
std::u16string HistoryLabel(int index);

// The menu text of entry i: its label and the path, each "&" of the path doubled so that
// the menu shows it.
std::u16string HistoryMenuText(int index, std::u16string_view path);

// The path of a history menu text: the text without its label, "&&" read as "&".
std::u16string HistoryPathFromMenuText(std::u16string_view text);

}  // namespace vemora
