// Carrying settings to and from a file, and clearing them: the three commands of the help
// menu's settings submenu. Restoring and clearing end the program without saving, so
// that what they put in place is what the next start loads.
#pragma once

#include <string>
#include <string_view>

namespace vemora {

// Saves now, then writes the settings to a file the user names: a registry export in
// registry mode, a copy of the INI file in INI mode.
void ExportSettings();
// Imports a .reg file or copies an .ini file over the program's INI file, then asks for a
// restart and closes the program without saving.
void RestoreSettings();
// After confirmation removes the product key with everything under it, keeps the maker
// key and the INI file, and closes the program without saving.
void ClearSettings();

// The removal behind ClearSettings, for the key HKEY_CURRENT_USER\<rootPath>.
void DeleteProductKey(std::u16string_view rootPath);

}  // namespace vemora
