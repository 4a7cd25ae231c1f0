// The portable font record as the LOGFONTW that GDI and the font dialog take, and back.
#pragma once

#include <windows.h>

#include "core/settings/settings_model.h"

namespace vemora {

LOGFONTW ToLogFont(const FontRecord& font);
FontRecord FromLogFont(const LOGFONTW& logFont);

}  // namespace vemora
