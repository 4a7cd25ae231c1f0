// What a settings file is taken for by its name, the registry editor's command lines for
// moving settings in and out, and the key names clearing works on.
#pragma once

#include <string>
#include <string_view>

namespace vemora {

enum class SettingsFileKind {
  kRegistryExport,  // ".reg": imported by the registry editor
  kIniCopy,         // ".ini": copied over the program's INI file
  kRefused,         // anything else is not a settings file
};

// Decided by the last four characters alone, letter case ignored; the name must have at
// least one character before the extension.
SettingsFileKind SettingsFileKindOf(std::u16string_view name);

// "/e "path" HKEY_CURRENT_USER\<root>": the editor writes the whole key to the file.
std::u16string RegistryExportParameters(std::u16string_view path, std::u16string_view rootPath);
// The path alone, quoted: the editor imports the file.
std::u16string RegistryImportParameters(std::u16string_view path);

// "Software\Kelm\Vemora" seen as the maker key "Software\Kelm" and the product "Vemora".
// Clearing removes the product and keeps the maker key, which other programs of the
// maker may share. A root without a backslash has an empty maker key.
struct ProductKeyPath {
  std::u16string makerKey;
  std::u16string product;
};
ProductKeyPath SplitProductKey(std::u16string_view rootPath);

}  // namespace vemora
