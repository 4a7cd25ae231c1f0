// Applying the menu-state rules to the main menu and the toolbar.
#pragma once

#include <cstdint>

namespace vemora {

// Grays menu items and disables toolbar buttons for the shown document; checks
// CmdShowMatches while search results are shown.
void UpdateMenuStates();
// Checks the encoding-menu item of the encoding, clearing the others.
void SetEncodingCheckMarks(int32_t encoding);

}  // namespace vemora
