// Which menu items and toolbar buttons are usable for the shown document, and which carry
// a check mark. One pure rule set, applied to the menu and the toolbar by the window.
#pragma once

#include <cstdint>
#include <vector>

#include "core/keys/commands.h"

namespace vemora {

struct MenuStateInput {
  bool hasDocument = false;
  bool fromFile = false;      // the document was read from a file (source kind 0)
  bool hasHits = false;       // the last search found at least one match
  bool hasSelection = false;  // SelectionAnchor is set
  bool showSearchResults = true;
  bool filtered = false;  // a filtered view is shown
};

struct CommandState {
  CommandId command;
  bool enabled;
};

// Every menu item the rules govern; items not listed are always enabled.
std::vector<CommandState> MenuItemStates(const MenuStateInput& input);
// Every toolbar button the rules govern; the others are always enabled.
std::vector<CommandState> ToolbarButtonStates(const MenuStateInput& input);

// The encoding-menu item that bears the check mark for a document's encoding; 0 for none.
uint16_t EncodingMenuCommand(int32_t encoding);
// The encoding-menu items, in the order their check marks are cleared.
inline constexpr CommandId kEncodingMenuCommands[] = {
    CmdEncodingSjis,    CmdEncodingJis,  CmdEncodingEuc, CmdEncodingUtf16,
    CmdEncodingUtf16Be, CmdEncodingUtf8, CmdEncodingUtf7};

// The encoding request of an encoding command, or no reload when the
// document's current encoding already is one the command stands for.
struct EncodingReload {
  bool reload = false;
  int32_t request = -1;
};
EncodingReload EncodingReloadFor(uint16_t command, int32_t currentEncoding);

}  // namespace vemora
