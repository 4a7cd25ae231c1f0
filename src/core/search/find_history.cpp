// The search history update after the find dialog's OK.
#include "core/search/find_history.h"

#include <algorithm>

namespace vemora {

void AddToFindHistory(StringList& history, std::u16string_view text) {
  if (text.empty()) return;
  std::erase_if(history, [&](const std::u16string& entry) { return entry == text; });
  if (history.size() >= static_cast<size_t>(kFindHistoryEntries))
    history.resize(kFindHistoryEntries - 1);
  // Each entry is stored with its terminator, and the list with one more.
  size_t used = 0;
  for (const std::u16string& entry : history) used += entry.size() + 1;
  if (used + text.size() + 2 > static_cast<size_t>(kFindHistCapacity)) return;
  history.insert(history.begin(), std::u16string(text));
}

}  // namespace vemora
