// The find commands of the view: the search text prepared from the selection, the find
// dialog, the history, the search itself and the move to its first hit.
#pragma once

#include "core/search/search.h"

namespace vemora {

// The request the find dialog edits; its text survives between searches.
extern FindRequest gFindRequest;

// CmdFind (forward) and CmdFindBackward.
void FindWithDialog(bool backward);

}  // namespace vemora
