// The settings dialogs opened from the options menu. The input method is on while they
// are open, since they take typed text, and off again afterwards whatever the outcome.
#include "win/shell/settings_commands.h"

#include <windows.h>

#include "core/text/file_type.h"
#include "win/keys/accelerators.h"
#include "win/settings/environment_sheet.h"
#include "win/settings/file_type_dialog.h"
#include "win/shell/app_state.h"
#include "win/shell/document_actions.h"
#include "win/shell/main_window.h"
#include "win/shell/toolbar.h"

namespace vemora {

void ShowEnvironmentSettings() {
  const FileTypeSetting previous = CurrentFileType();
  EnableInputMethod(true);
  if (ShowEnvironmentSheet(gShell.mainWindow, gOptions)) ApplyConfirmedSettings(previous);
  EnableInputMethod(false);
}

void ShowFileTypeSettings() {
  const FileTypeSetting previous = CurrentFileType();
  EnableInputMethod(true);
  if (ShowFileTypeDialog(gShell.mainWindow, gFileTypes, gFileTypeIndex))
    ApplyConfirmedSettings(previous);
  EnableInputMethod(false);
}

void ApplyConfirmedSettings(const FileTypeSetting& previous) {
  BuildAccelerators();
  // The entry in effect may have been deleted; without a document the common one stands in.
  if (gFileTypeIndex < 0 || gFileTypeIndex >= gFileTypes.Count()) gFileTypeIndex = 0;
  FillFileTypeSelector();
  if (const Document* document = CurrentDocument()) {
    gFileTypeIndex = SelectFileType(document->name, gFileTypes);
    SelectFileTypeInSelector(gFileTypeIndex);
    ApplyFileTypeSetting(previous);
  }
  InvalidateRect(gShell.gutterWindow, nullptr, TRUE);
  InvalidateRect(gShell.viewWindow, nullptr, TRUE);
}

}  // namespace vemora
