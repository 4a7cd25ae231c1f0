// The INI medium of the settings store: the in-memory image of "Vemora.ini", its text
// form and escaping, and the store over it.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/settings/settings_store.h"

namespace vemora {

// The file's first line, "# このファイルは編集しないでください。" in Shift_JIS bytes.
inline constexpr std::string_view kIniCommentLine =
    "# \x82\xB1\x82\xCC\x83t\x83@\x83"
    "C\x83\x8B\x82\xCD\x95\xD2\x8FW\x82\xB5\x82\xC8\x82\xA2"
    "\x82\xC5\x82\xAD\x82\xBE\x82\xB3\x82\xA2\x81"
    "B";

// One section: its name (the bytes between the brackets) and its value lines (escaped
// name, "=", escaped value), in the order they were written.
struct IniSection {
  std::string name;
  std::vector<std::string> lines;
};

// The sections in file order; the first one is the root.
struct IniImage {
  std::vector<IniSection> sections;
};

// Backslash doubled, printable ASCII unchanged, every other byte as "\XX".
std::string EscapeIniBytes(std::string_view bytes);
// "\\" gives a backslash, "\" and two hex digits give that byte, anything else itself.
std::string UnescapeIniBytes(std::string_view text);

// Builds the image from the file's bytes. Lines of any length are kept whole.
IniImage ParseIniImage(std::string_view bytes);
// The file's bytes: the comment line, then each section after an empty line; CR LF ends.
std::string FormatIniImage(const IniImage& image);

// Reads and parses the file; false when it cannot be opened for reading.
bool ReadIniFile(std::u16string_view path, IniImage& image);

// A store over an image with at least one section; its root is the first section. With
// `writeAtClose` the image is written to `path` by CloseRoot.
std::unique_ptr<SettingsStore> MakeIniStore(IniImage image, std::u16string_view path,
                                            bool writeAtClose);
// A new image with the root section "Vemora", to be written to `path` by CloseRoot.
std::unique_ptr<SettingsStore> CreateIniStoreForWrite(std::u16string_view path);

}  // namespace vemora
