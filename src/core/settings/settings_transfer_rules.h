// What a settings file is taken for by its name and what it must hold, the registry editor's command lines for
// moving settings in and out, and the key names clearing works on.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vemora {

enum class SettingsFileKind {
  kRegistryExport,  // ".reg": imported by the registry editor
  kIniCopy,         // ".ini": copied over the program's INI file
  kRefused,         // anything else is not a settings file
};

// Decided by the last four characters alone, letter case ignored; the name must have at
// least one character before the extension.
SettingsFileKind SettingsFileKindOf(std::u16string_view name);

// No settings file this version writes comes near this size (a thousand file types with
// every field full stay under 8 MB); a larger file is refused unread.
inline constexpr int64_t kSettingsFileSizeLimit = int64_t{16} << 20;

// Whether the bytes are an INI file as the saver writes it: the root section "Vemora"
// first, its "Vemora\Options" with a file-type count, the section of every counted entry,
// and the line end the writer puts after every line (a file cut short lacks one of them).
bool IsWholeIniImage(std::string_view bytes);

// The keys a registry export writes, as paths under HKEY_CURRENT_USER, when it is one:
// the header "Windows Registry Editor Version 5.00" (UTF-16LE with its byte-order mark,
// as the registry editor writes it) or "REGEDIT4" (ANSI), ended lines, and only keys of
// the program's own tree `rootPath`, at least one. Nothing for any other file, including
// one that removes keys or touches another program's.
std::optional<std::vector<std::u16string>> ProgramKeysOfRegistryExport(
    std::string_view bytes, std::u16string_view rootPath);

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
