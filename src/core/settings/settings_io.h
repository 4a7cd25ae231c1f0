// Loading and saving every setting through a SettingsStore, carrying the values of older
// versions forward, and the start-up and exit sequences built on them.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "core/settings/settings_model.h"
#include "core/settings/settings_store.h"

namespace vemora {

// The version this program writes as RegVer.
inline constexpr int32_t kSettingsVersion = 91;
// A stored count above this (or below 1, or none) is taken as damage: then only the
// entry keys that exist below this index are loaded.
inline constexpr int32_t kMaxFileTypeEntries = 1000;

// The font as one text: thirteen numbers and the face name ("-15 0 0 0 400 0 0 0 128 1 2 1 1
// FixedSys").
std::u16string FormatFontRecord(const FontRecord& font);
// Nullopt when the text does not hold the thirteen numbers and their spaces; a face name
// longer than the record holds is cut.
std::optional<FontRecord> ParseFontRecord(std::u16string_view text);

// Fills the options (key table and `Hist` included) and the list from an open root, and
// closes it. False when the store holds no `Options` key (nothing stored). The records
// must hold their initial values (ResetSettings).
bool LoadSettings(SettingsStore& store, AppOptions& options, FileTypeSettingList& list);

// Writes everything into a root opened for writing and closes it. False only when the INI
// file could not be written.
bool SaveSettings(SettingsStore& store, const AppOptions& options, const FileTypeSettingList& list);

// The whole start-up sequence: defaults, the store (INI file first, then the registry),
// one common entry and the first key preset when nothing is stored, then the placement
// switches. Returns whether anything was stored.
bool LoadSettingsAtStart(const SettingsLocation& location, AppOptions& options,
                         FileTypeSettingList& list);

enum class SaveResult {
  kSaved,
  kNoRoot,          // the registry root could not be created: nothing saved, nothing shown
  kIniNotWritable,  // show kIniSaveFailedMessage
};

// Saves to the medium `Reg` names: the INI file when it is 1, otherwise the registry (which
// then retires a leftover INI file). `Hist` must hold the file menu's history.
SaveResult SaveSettings(const SettingsLocation& location, const AppOptions& options,
                        const FileTypeSettingList& list);

// Forgets the stored position unless PosSave, the size and maximised state unless SizeSave.
void ApplyPlacementSwitches(AppOptions& options);

}  // namespace vemora
