// The jump dialog: asks for a line number and sends the view there.
#pragma once

namespace vemora {

// Runs the dialog modally, owned by the view; on OK sends WM_VIEW_JUMP for the number.
void ShowJumpDialog();

}  // namespace vemora
