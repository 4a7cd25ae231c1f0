// The find commands of the view: the search text prepared from the selection, the find
// dialog, the history, the search itself and the move to its first hit.
#pragma once

#include <cstdint>

#include "core/search/search.h"

namespace vemora {

// The request the find dialog edits; its text survives between searches.
extern FindRequest gFindRequest;

// CmdFind (forward) and CmdFindBackward.
void FindWithDialog(bool backward);

// What the user sees of a finished search: the library's message, the move to the hit or
// the beep, and a word about lines the library gave up on.
void ShowFindOutcome(const SearchOutcome& outcome);
// The word about lines the library gave up on, for any search the user asked for.
void ShowFailedLines(int32_t failedLines);

}  // namespace vemora
