// Menu and toolbar states from the shown document.
#include "win/keys/menu_states.h"

#include <windows.h>
#include <commctrl.h>

#include "core/shell/menu_rules.h"
#include "win/shell/app_state.h"
#include "win/shell/follow_mode.h"

namespace vemora {

void UpdateMenuStates() {
  const Document* document = CurrentDocument();
  MenuStateInput input;
  input.hasDocument = document != nullptr;
  if (document) {
    input.fromFile = document->sourceKind == kSourceFile;
    input.hasHits = document->hitPatternLength > 0;
    input.hasSelection = document->SelectionAnchor != kNoPosition;
    input.filtered = document->filter != nullptr;
  }
  input.showSearchResults = gShell.ShowSearchResults == 1;
  HMENU menu = GetMenu(gShell.mainWindow);
  for (const CommandState& state : MenuItemStates(input))
    EnableMenuItem(menu, state.command, MF_BYCOMMAND | (state.enabled ? MF_ENABLED : MF_GRAYED));
  CheckMenuItem(menu, CmdShowMatches,
                MF_BYCOMMAND | (input.showSearchResults ? MF_CHECKED : MF_UNCHECKED));
  CheckMenuItem(menu, CmdFollow, MF_BYCOMMAND | (IsFollowing() ? MF_CHECKED : MF_UNCHECKED));
  if (!gShell.toolbar) return;
  for (const CommandState& state : ToolbarButtonStates(input))
    SendMessageW(gShell.toolbar, TB_ENABLEBUTTON, state.command,
                 MAKELPARAM(state.enabled ? TRUE : FALSE, 0));
  SendMessageW(gShell.toolbar, TB_CHECKBUTTON, CmdShowMatches,
               MAKELPARAM(input.showSearchResults ? TRUE : FALSE, 0));
}

void SetEncodingCheckMarks(int32_t encoding) {
  HMENU menu = GetMenu(gShell.mainWindow);
  for (CommandId command : kEncodingMenuCommands)
    CheckMenuItem(menu, command, MF_BYCOMMAND | MF_UNCHECKED);
  if (uint16_t command = EncodingMenuCommand(encoding))
    CheckMenuItem(menu, command, MF_BYCOMMAND | MF_CHECKED);
}

}  // namespace vemora
