// The environment settings sheet "環境設定": page "操作" assigns commands to keys and
// loads key presets, page "その他" holds the global options.
#pragma once

#include <windows.h>

#include "core/settings/settings_model.h"

namespace vemora {

// Shows the sheet modally over the options. True when a page applied its values (OK);
// after cancel the key table is as before and the other options were never written.
bool ShowEnvironmentSheet(HWND owner, AppOptions& options);

}  // namespace vemora
