// The accelerator table built from the user's key table.
#pragma once

namespace vemora {

// Rebuilds the history menu under the current HistNum, updates the menu states and
// replaces the accelerator table by one made from the key table.
void BuildAccelerators();
void DestroyAccelerators();

}  // namespace vemora
