// The registry medium of the settings store: REG_DWORD, REG_SZ, REG_MULTI_SZ and
// REG_BINARY values under HKEY_CURRENT_USER; closing a root retires a leftover INI file.
#include "win/platform/registry_store.h"

#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <optional>
#include <vector>

#include "core/platform/files.h"
#include "win/platform/text_conversion.h"

namespace vemora {
namespace {

constexpr REGSAM kWriteAccess = KEY_SET_VALUE | KEY_CREATE_SUB_KEY;

HKEY AsHkey(SettingsKey key) {
  return reinterpret_cast<HKEY>(key.value);
}
SettingsKey AsSettingsKey(HKEY key) {
  return {reinterpret_cast<uintptr_t>(key)};
}

class RegistryStore final : public SettingsStore {
 public:
  RegistryStore(HKEY root, std::u16string_view iniPath) : root_(root), iniPath_(iniPath) {}
  ~RegistryStore() override {
    if (root_) RegCloseKey(root_);
  }

  SettingsMedium Medium() const override { return SettingsMedium::kRegistry; }
  SettingsKey Root() const override { return AsSettingsKey(root_); }

  bool OpenKey(SettingsKey parent, std::u16string_view name, SettingsKey& key) override {
    HKEY opened = nullptr;
    if (RegOpenKeyExW(AsHkey(parent), ToWide(name).c_str(), 0, KEY_READ, &opened) !=
        ERROR_SUCCESS) {
      return false;
    }
    key = AsSettingsKey(opened);
    return true;
  }

  bool CreateKey(SettingsKey parent, std::u16string_view name, SettingsKey& key) override {
    HKEY created = nullptr;
    if (RegCreateKeyExW(AsHkey(parent), ToWide(name).c_str(), 0, nullptr, 0, kWriteAccess, nullptr,
                        &created, nullptr) != ERROR_SUCCESS) {
      return false;
    }
    key = AsSettingsKey(created);
    return true;
  }

  bool DeleteKey(SettingsKey parent, std::u16string_view name) override {
    return RegDeleteKeyW(AsHkey(parent), ToWide(name).c_str()) == ERROR_SUCCESS;
  }

  void CloseKey(SettingsKey key) override {
    if (AsHkey(key) != root_) RegCloseKey(AsHkey(key));
  }

  bool ReadInt(SettingsKey key, std::u16string_view name, int32_t& value) override {
    DWORD type = REG_NONE;
    DWORD data = 0;
    DWORD size = sizeof data;
    if (RegQueryValueExW(AsHkey(key), ToWide(name).c_str(), nullptr, &type,
                         reinterpret_cast<BYTE*>(&data), &size) != ERROR_SUCCESS ||
        type != REG_DWORD || size != sizeof data) {
      return false;
    }
    value = static_cast<int32_t>(data);
    return true;
  }

  bool ReadString(SettingsKey key, std::u16string_view name, std::u16string& value,
                  int32_t capacity) override {
    std::optional<std::u16string> text = ReadText(key, name, REG_SZ);
    if (!text) return false;
    text->resize(std::min(text->size(), text->find(u'\0')));
    // Like the INI medium: a text too long for its field is not taken, and the field is
    // left empty rather than holding a cut text.
    if (static_cast<int64_t>(text->size()) > int64_t{capacity} - 1) {
      value.clear();
      return false;
    }
    value = std::move(*text);
    return true;
  }

  bool ReadStringList(SettingsKey key, std::u16string_view name, StringList& value,
                      int32_t capacity) override {
    std::optional<std::u16string> text = ReadText(key, name, REG_MULTI_SZ);
    if (!text) return false;
    value = StringListFromPieces(*text, capacity);
    return true;
  }

  bool ReadBytes(SettingsKey key, std::u16string_view name, std::vector<uint8_t>& value,
                 size_t size) override {
    std::optional<std::vector<uint8_t>> data = ReadRaw(key, name, REG_BINARY);
    if (!data) return false;
    if (data->size() > size) data->resize(size);
    value = std::move(*data);
    return true;
  }

  void WriteInt(SettingsKey key, std::u16string_view name, int32_t value) override {
    const DWORD data = static_cast<DWORD>(value);
    Set(key, name, REG_DWORD, &data, sizeof data);
  }

  void WriteString(SettingsKey key, std::u16string_view name, std::u16string_view value) override {
    const std::u16string text(value);  // with its terminator
    Set(key, name, REG_SZ, text.c_str(), (text.size() + 1) * sizeof(char16_t));
  }

  void WriteStringList(SettingsKey key, std::u16string_view name,
                       const StringList& value) override {
    std::u16string text;
    for (const std::u16string& entry : value) {
      if (entry.empty()) continue;
      text += entry;
      text += u'\0';
    }
    text += u'\0';
    Set(key, name, REG_MULTI_SZ, text.data(), text.size() * sizeof(char16_t));
  }

  void WriteBytes(SettingsKey key, std::u16string_view name,
                  std::span<const uint8_t> value) override {
    Set(key, name, REG_BINARY, value.data(), value.size());
  }

  bool CloseRoot() override {
    if (root_) RegCloseKey(root_);
    root_ = nullptr;
    // Settings now live in the registry; an INI file would take precedence at the next
    // start, so it goes to the recycle bin.
    if (FileReadable(iniPath_)) MoveFileToRecycleBin(iniPath_);
    return true;
  }

 private:
  // A value of another type than the one this version writes is taken as missing: its
  // bytes mean something else (the text "1" read as a number is 49), and a value misread
  // would be saved back in its misread form.
  std::optional<std::vector<uint8_t>> ReadRaw(SettingsKey key, std::u16string_view name,
                                              DWORD expectedType) {
    const std::wstring wideName = ToWide(name);
    for (int attempt = 0; attempt < 3; ++attempt) {
      DWORD type = REG_NONE;
      DWORD size = 0;
      if (RegQueryValueExW(AsHkey(key), wideName.c_str(), nullptr, &type, nullptr, &size) !=
              ERROR_SUCCESS ||
          type != expectedType) {
        return std::nullopt;
      }
      std::vector<uint8_t> data(size);
      const LONG result =
          RegQueryValueExW(AsHkey(key), wideName.c_str(), nullptr, &type, data.data(), &size);
      if (result == ERROR_MORE_DATA) continue;  // the value grew in between
      if (result != ERROR_SUCCESS || type != expectedType) return std::nullopt;
      data.resize(size);
      return data;
    }
    return std::nullopt;
  }

  std::optional<std::u16string> ReadText(SettingsKey key, std::u16string_view name,
                                         DWORD expectedType) {
    std::optional<std::vector<uint8_t>> data = ReadRaw(key, name, expectedType);
    if (!data) return std::nullopt;
    std::u16string text(data->size() / sizeof(char16_t), u'\0');
    std::copy_n(data->data(), text.size() * sizeof(char16_t),
                reinterpret_cast<uint8_t*>(text.data()));
    return text;
  }

  void Set(SettingsKey key, std::u16string_view name, DWORD type, const void* data, size_t size) {
    RegSetValueExW(AsHkey(key), ToWide(name).c_str(), 0, type, static_cast<const BYTE*>(data),
                   static_cast<DWORD>(size));
  }

  HKEY root_;
  std::u16string iniPath_;
};

}  // namespace

std::unique_ptr<SettingsStore> Win32RegistryStoreFactory::OpenRootForRead(
    std::u16string_view iniPath) const {
  HKEY root = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, ToWide(rootPath_).c_str(), 0, KEY_READ, &root) !=
      ERROR_SUCCESS) {
    return nullptr;
  }
  return std::make_unique<RegistryStore>(root, iniPath);
}

std::unique_ptr<SettingsStore> Win32RegistryStoreFactory::OpenRootForWrite(
    std::u16string_view iniPath) const {
  HKEY root = nullptr;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, ToWide(rootPath_).c_str(), 0, nullptr, 0, kWriteAccess,
                      nullptr, &root, nullptr) != ERROR_SUCCESS) {
    return nullptr;
  }
  return std::make_unique<RegistryStore>(root, iniPath);
}

bool MoveFileToRecycleBin(std::u16string_view path) {
  // The recycle bin needs the full path; the operation takes a double-terminated list.
  const std::wstring widePath = ToWide(path);
  const DWORD length = GetFullPathNameW(widePath.c_str(), 0, nullptr, nullptr);
  if (length == 0) return false;
  std::wstring from(length + 1, L'\0');
  const DWORD written = GetFullPathNameW(widePath.c_str(), length, from.data(), nullptr);
  if (written == 0 || written >= length) return false;
  from.resize(written + 2, L'\0');

  SHFILEOPSTRUCTW operation{};
  operation.wFunc = FO_DELETE;
  operation.pFrom = from.c_str();
  operation.fFlags = FOF_SILENT | FOF_NOCONFIRMATION | FOF_ALLOWUNDO;
  return SHFileOperationW(&operation) == 0 && !operation.fAnyOperationsAborted;
}

}  // namespace vemora
