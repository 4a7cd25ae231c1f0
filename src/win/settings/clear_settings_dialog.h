// The confirmation dialog before every stored setting is removed.
#pragma once

#include <windows.h>

namespace vemora {

// True only when the user chose "消去する"; Enter, Esc and closing the dialog keep the
// settings.
bool ConfirmClearSettings(HWND owner);

}  // namespace vemora
