// The registry medium of the settings store, and the shell's undoable delete that retires
// a leftover INI file.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "core/settings/settings_store.h"

namespace vemora {

// The root key under HKEY_CURRENT_USER.
inline constexpr char16_t kRegistryRootPath[] = u"Software\\Kelm\\Vemora";

// Opens roots under HKEY_CURRENT_USER\<rootPath>; tests pass a scratch path.
class Win32RegistryStoreFactory final : public RegistryStoreFactory {
 public:
  explicit Win32RegistryStoreFactory(std::u16string rootPath = kRegistryRootPath)
      : rootPath_(std::move(rootPath)) {}
  std::unique_ptr<SettingsStore> OpenRootForRead(std::u16string_view iniPath) const override;
  std::unique_ptr<SettingsStore> OpenRootForWrite(std::u16string_view iniPath) const override;

 private:
  std::u16string rootPath_;
};

// Moves the file to the recycle bin without questions or progress; false when it could
// not be removed.
bool MoveFileToRecycleBin(std::u16string_view path);

}  // namespace vemora
