// The program's message dialog (template 164): a text under the caption "Vemora" and an
// OK button; Esc closes it too.
#pragma once

#include <windows.h>

#include <string_view>

namespace vemora {

void ShowMessageDialog(HWND owner, std::u16string_view text);

}  // namespace vemora
