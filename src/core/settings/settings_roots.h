// The choice of medium when a root of the settings is opened: the INI file or the registry.
#pragma once

#include <memory>

#include "core/settings/settings_store.h"

namespace vemora {

// Loading prefers a readable INI file, whatever it says; otherwise the registry. Null
// when nothing is stored (an INI file without any section counts as nothing stored).
std::unique_ptr<SettingsStore> OpenRootForRead(const SettingsLocation& location);

// Saving writes the INI file when `ini` is true (Reg 1), otherwise the registry. Null
// when the root cannot be made.
std::unique_ptr<SettingsStore> OpenRootForWrite(const SettingsLocation& location, bool ini);

}  // namespace vemora
