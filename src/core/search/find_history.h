// The search history kept in AppOptions::FindHist: newest first, no duplicates, bounded.
#pragma once

#include <string_view>

#include "core/settings/settings_model.h"

namespace vemora {

inline constexpr int32_t kFindHistoryEntries = 10;

// Enters a search text that the find dialog accepted: an equal entry (case included)
// moves to the front, the list keeps at most ten entries, and a text that would not fit in
// the stored list's kFindHistCapacity units is left out. An empty text changes nothing.
void AddToFindHistory(StringList& history, std::u16string_view text);

}  // namespace vemora
