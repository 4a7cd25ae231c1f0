// The find dialog: the search text with the history in a drop-down list, and the switches
// for case sensitivity and regular expressions.
#pragma once

#include <windows.h>

#include "core/search/search.h"
#include "core/settings/settings_model.h"

namespace vemora {

// Runs the dialog modally. The edit field starts with the request's text, or with the
// newest history entry when that is empty. On OK (true) the request holds the typed
// text and both switches; on cancel it is unchanged.
bool ShowFindDialog(HWND owner, FindRequest& request, const StringList& history);

}  // namespace vemora
