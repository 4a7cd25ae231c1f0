// The choice of medium when a root of the settings is opened.
#include "core/settings/settings_roots.h"

#include "core/settings/ini_store.h"

namespace vemora {

std::unique_ptr<SettingsStore> OpenRootForRead(const SettingsLocation& location) {
  IniImage image;
  if (ReadIniFile(location.iniPath, image)) {
    // A readable INI file decides, even when it holds nothing.
    return MakeIniStore(std::move(image), location.iniPath, false);
  }
  if (!location.registry) return nullptr;
  return location.registry->OpenRootForRead(location.iniPath);
}

std::unique_ptr<SettingsStore> OpenRootForWrite(const SettingsLocation& location, bool ini) {
  if (ini) return CreateIniStoreForWrite(location.iniPath);
  if (!location.registry) return nullptr;
  return location.registry->OpenRootForWrite(location.iniPath);
}

}  // namespace vemora
