// The filter dialog: the search text with the find history in a drop-down list, the find's
// two switches and the one that keeps the lines without a hit instead.
#pragma once

#include <windows.h>

#include "core/search/filter.h"
#include "core/settings/settings_model.h"

namespace vemora {

// Runs the dialog modally. The edit field starts with the request's text, or with the
// newest history entry when that is empty. On OK (true) the request holds the typed text
// and the three switches; on cancel it is unchanged.
bool ShowFilterDialog(HWND owner, FilterRequest& request, const StringList& history);

}  // namespace vemora
