// The confirmation before a file-type setting is deleted (template 114): "はい" or
// "いいえ" under the caption "Vemora".
#pragma once

#include <windows.h>

namespace vemora {

// True only when the user chose "はい".
bool ConfirmDeletion(HWND owner);

}  // namespace vemora
