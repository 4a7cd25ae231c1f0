// The one definition of the process-wide state.
#include "win/shell/app_state.h"

#include "win/tools/tool_watch.h"

namespace vemora {

AppOptions gOptions;
FileTypeSettingList gFileTypes;
int32_t gFileTypeIndex = 0;
std::unique_ptr<Document> gDocument;
ShellState gShell;
ViewState gView;

const FileTypeSetting& CurrentFileType() {
  if (gFileTypeIndex >= 0 && gFileTypeIndex < gFileTypes.Count())
    return gFileTypes.entries[gFileTypeIndex];
  return gFileTypes.entries.empty() ? DefaultFileTypeSetting() : gFileTypes.entries[0];
}

void ResetApplicationState() {
  if (gView.ViewFont) DeleteObject(gView.ViewFont);
  if (gView.BackgroundBrush) DeleteObject(gView.BackgroundBrush);
  if (gShell.selectorFont) DeleteObject(gShell.selectorFont);
  ResetSettings(gOptions, gFileTypes);
  gFileTypeIndex = 0;
  gDocument.reset();
  CancelToolWatches();
  gShell = ShellState{};
  gView = ViewState{};
}

}  // namespace vemora
