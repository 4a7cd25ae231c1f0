// Handing the shown file to another program: the one the system associates with it, or
// the file type's command line with its macros filled in; afterwards the viewer closes
// itself or watches the tool to reload the file when it ends, as the file type says.
#pragma once

#include <windows.h>

#include "core/settings/settings_model.h"
#include "core/text/document.h"

namespace vemora {

inline constexpr wchar_t kToolFailedTitle[] = L"編集できません";

// `wParam` and `lParam` are those of the command that asked, posted back with the reload.
void OpenWithTool(const Document& document, const FileTypeSetting& setting, HWND mainWindow,
                  WPARAM wParam, LPARAM lParam);

}  // namespace vemora
