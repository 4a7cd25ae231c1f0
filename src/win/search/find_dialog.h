// The find and filter dialogs: the search text with the history in a drop-down list, and
// the switches for case sensitivity and regular expressions; the filter's also keeps the
// lines without a hit instead.
#pragma once

#include <windows.h>

#include "core/search/kept_lines.h"
#include "core/search/search.h"
#include "core/settings/settings_model.h"

namespace vemora {

// Run the dialog modally. The edit field starts with the request's text, or with the
// newest history entry when that is empty. On OK (true) the request holds the typed text
// and the switches; on cancel it is unchanged.
bool ShowFindDialog(HWND owner, FindRequest& request, const StringList& history);
bool ShowFilterDialog(HWND owner, FilterRequest& request, const StringList& history);

}  // namespace vemora
