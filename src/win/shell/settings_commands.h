// The two settings commands of the main window and what follows a confirmed settings
// dialog.
#pragma once

#include "core/settings/settings_model.h"

namespace vemora {

void ShowEnvironmentSettings();
void ShowFileTypeSettings();

// After a confirmed dialog: the accelerators and history menu, the file-type selector, and
// the shown document laid out again under `previous`, the setting in effect before.
void ApplyConfirmedSettings(const FileTypeSetting& previous);

}  // namespace vemora
