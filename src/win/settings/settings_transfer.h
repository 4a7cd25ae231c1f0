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
// Checks that the chosen file is a whole settings file of the kind its name says, then
// imports a .reg file (waiting for the registry editor) or puts an .ini file in place of
// the program's INI file, keeping the replaced one as Vemora.ini.bak; then asks for a
// restart and closes the program without saving. A refused file changes nothing.
void RestoreSettings();
// Called once a start has loaded stored settings: the backup a restore left is no longer
// needed.
void RemoveSettingsBackup();
// After confirmation removes the product key with everything under it, keeps the maker
// key and the INI file, and closes the program without saving.
void ClearSettings();

// The removal behind ClearSettings, for the key HKEY_CURRENT_USER\<rootPath>.
void DeleteProductKey(std::u16string_view rootPath);

}  // namespace vemora
