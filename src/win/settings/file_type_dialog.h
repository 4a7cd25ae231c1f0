// The file-type settings dialog "ファイルタイプ別の設定": the user creates, names, deletes
// and edits file types on a private copy of the list that replaces the live list on OK.
#pragma once

#include <windows.h>

#include <cstdint>

#include "core/settings/settings_model.h"

namespace vemora {

// Shows the dialog on `selected` (the entry in effect for the shown document). True after
// OK, when `live` holds the edited list; after cancel `live` is untouched.
bool ShowFileTypeDialog(HWND owner, FileTypeSettingList& live, int32_t selected);

}  // namespace vemora
