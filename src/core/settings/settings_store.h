// The one interface through which settings are read and written, over two media: the
// registry (supplied by the Windows build) and the INI file beside the executable.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/settings/settings_model.h"

namespace vemora {

// Shown when the INI file cannot be written at save.
inline constexpr char16_t kIniSaveFailedMessage[] = u"INIファイルに設定が保存できません";
inline constexpr char16_t kIniFileName[] = u"Vemora.ini";

// An open key of a store: meaningful only to the store that issued it.
struct SettingsKey {
  uintptr_t value = 0;
  friend bool operator==(SettingsKey, SettingsKey) = default;
};

enum class SettingsMedium { kRegistry, kIni };

// One open root with its keys. Reads leave the destination unchanged and return false
// when the value is missing; "capacity" counts characters including the terminator.
class SettingsStore {
 public:
  virtual ~SettingsStore() = default;

  virtual SettingsMedium Medium() const = 0;
  virtual SettingsKey Root() const = 0;

  virtual bool OpenKey(SettingsKey parent, std::u16string_view name, SettingsKey& key) = 0;
  virtual bool CreateKey(SettingsKey parent, std::u16string_view name, SettingsKey& key) = 0;
  // Removes a child key that has no children of its own.
  virtual bool DeleteKey(SettingsKey parent, std::u16string_view name) = 0;
  virtual void CloseKey(SettingsKey key) = 0;

  virtual bool ReadInt(SettingsKey key, std::u16string_view name, int32_t& value) = 0;
  // A stored text that does not fit the capacity leaves the destination empty.
  virtual bool ReadString(SettingsKey key, std::u16string_view name, std::u16string& value,
                          int32_t capacity) = 0;
  // The strings that fit the capacity with their terminators and the list's final one.
  virtual bool ReadStringList(SettingsKey key, std::u16string_view name, StringList& value,
                              int32_t capacity) = 0;
  // Reads at most `size` bytes; `value` holds what was stored, which may be fewer.
  virtual bool ReadBytes(SettingsKey key, std::u16string_view name, std::vector<uint8_t>& value,
                         size_t size) = 0;

  virtual void WriteInt(SettingsKey key, std::u16string_view name, int32_t value) = 0;
  virtual void WriteString(SettingsKey key, std::u16string_view name,
                           std::u16string_view value) = 0;
  // Empty strings cannot be held by a multi-string and are left out.
  virtual void WriteStringList(SettingsKey key, std::u16string_view name,
                               const StringList& value) = 0;
  virtual void WriteBytes(SettingsKey key, std::u16string_view name,
                          std::span<const uint8_t> value) = 0;

  // Ends the root: a root opened for writing the INI file writes it now; a registry root
  // retires a leftover INI file. False only when the INI file could not be written.
  virtual bool CloseRoot() = 0;
};

// Opens the registry side of the store; the Windows build supplies it.
class RegistryStoreFactory {
 public:
  virtual ~RegistryStoreFactory() = default;
  // Null when the root key does not exist.
  virtual std::unique_ptr<SettingsStore> OpenRootForRead(std::u16string_view iniPath) const = 0;
  // Null when the root key cannot be created.
  virtual std::unique_ptr<SettingsStore> OpenRootForWrite(std::u16string_view iniPath) const = 0;
};

// Where the settings live: the INI file, and the registry when there is one.
struct SettingsLocation {
  std::u16string iniPath;
  const RegistryStoreFactory* registry = nullptr;  // null: the INI file is the only medium
};

// The INI file beside the executable: the path cut after its last ':', '\' or '/'.
std::u16string IniPathBeside(std::u16string_view executablePath);

// The strings of a multi-string's text (pieces ended by U+0000) that fit `capacity`
// characters with their terminators and the final one; an empty piece ends the list.
StringList StringListFromPieces(std::u16string_view text, int32_t capacity);

}  // namespace vemora
