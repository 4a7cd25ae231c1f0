// The INI medium: escaping, the file's text form, and the store over the image.
#include "core/settings/ini_store.h"

#include <algorithm>
#include <cstdio>
#include <limits>

#include "core/platform/code_pages.h"
#include "core/platform/files.h"

namespace vemora {
namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";
constexpr char kRootSectionName[] = "Vemora";

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// Names and texts are kept in the OEM code page, escaped.
std::string EscapeText(std::u16string_view text) {
  return EscapeIniBytes(EncodeCodePage(kCodePageOem, text));
}

std::u16string DecodeText(std::string_view bytes) {
  return DecodeCodePage(kCodePageOem, bytes);
}

// Like atoi, but saturating instead of overflowing.
int32_t ParseLeadingInt(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
  int64_t value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = value * 10 + (text[i] - '0');
    if (value > int64_t{1} << 32) break;
  }
  if (negative) value = -value;
  if (value < std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
  if (value > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
  return static_cast<int32_t>(value);
}

class IniStore final : public SettingsStore {
 public:
  IniStore(IniImage image, std::u16string_view path, bool writeAtClose)
      : image_(std::move(image)), path_(path), writeAtClose_(writeAtClose) {}

  SettingsMedium Medium() const override { return SettingsMedium::kIni; }
  SettingsKey Root() const override { return {0}; }

  bool OpenKey(SettingsKey parent, std::u16string_view name, SettingsKey& key) override {
    if (!Valid(parent)) return false;
    const std::string wanted = ChildName(parent, name);
    for (size_t i = parent.value; i < image_.sections.size(); ++i) {
      if (image_.sections[i].name == wanted) {
        key = {i};
        return true;
      }
    }
    return false;
  }

  bool CreateKey(SettingsKey parent, std::u16string_view name, SettingsKey& key) override {
    if (!Valid(parent)) return false;
    image_.sections.push_back({ChildName(parent, name), {}});
    key = {image_.sections.size() - 1};
    return true;
  }

  // The image is written whole, so keys that are no longer written simply disappear.
  bool DeleteKey(SettingsKey, std::u16string_view) override { return false; }
  void CloseKey(SettingsKey) override {}

  bool ReadInt(SettingsKey key, std::u16string_view name, int32_t& value) override {
    const std::string* text = Find(key, name);
    if (!text) return false;
    value = ParseLeadingInt(*text);
    return true;
  }

  bool ReadString(SettingsKey key, std::u16string_view name, std::u16string& value,
                  int32_t capacity) override {
    const std::string* text = Find(key, name);
    if (!text) return false;
    value.clear();
    std::u16string decoded = DecodeText(UnescapeIniBytes(*text));
    decoded.resize(std::min(decoded.size(), decoded.find(u'\0')));
    if (static_cast<int64_t>(decoded.size()) > int64_t{capacity} - 1) return false;
    value = std::move(decoded);
    return true;
  }

  bool ReadStringList(SettingsKey key, std::u16string_view name, StringList& value,
                      int32_t capacity) override {
    const std::string* text = Find(key, name);
    if (!text) return false;
    const std::string bytes = UnescapeIniBytes(*text);
    std::u16string pieces;
    size_t start = 0;
    while (start <= bytes.size()) {
      size_t end = bytes.find('\0', start);
      if (end == std::string::npos) end = bytes.size();
      pieces += DecodeText(std::string_view(bytes).substr(start, end - start));
      pieces += u'\0';
      start = end + 1;
    }
    value = StringListFromPieces(pieces, capacity);
    return true;
  }

  bool ReadBytes(SettingsKey key, std::u16string_view name, std::vector<uint8_t>& value,
                 size_t size) override {
    const std::string* text = Find(key, name);
    if (!text) return false;
    const std::string bytes = UnescapeIniBytes(*text);
    value.assign(bytes.begin(),
                 bytes.begin() + static_cast<ptrdiff_t>(std::min(size, bytes.size())));
    return true;
  }

  void WriteInt(SettingsKey key, std::u16string_view name, int32_t value) override {
    Append(key, name, std::to_string(value));
  }

  void WriteString(SettingsKey key, std::u16string_view name, std::u16string_view value) override {
    Append(key, name, EscapeText(value));
  }

  void WriteStringList(SettingsKey key, std::u16string_view name,
                       const StringList& value) override {
    std::string text;
    for (const std::u16string& entry : value) {
      if (entry.empty()) continue;
      text += EscapeText(entry);
      text += "\\00";
    }
    Append(key, name, text);
  }

  void WriteBytes(SettingsKey key, std::u16string_view name,
                  std::span<const uint8_t> value) override {
    Append(key, name,
           EscapeIniBytes(
               std::string_view(reinterpret_cast<const char*>(value.data()), value.size())));
  }

  bool CloseRoot() override {
    bool written = true;
    if (writeAtClose_) written = WriteFile();
    image_.sections.clear();
    writeAtClose_ = false;
    return written;
  }

 private:
  bool Valid(SettingsKey key) const { return key.value < image_.sections.size(); }

  std::string ChildName(SettingsKey parent, std::u16string_view name) const {
    return image_.sections[parent.value].name + "\\" + EscapeText(name);
  }

  const std::string* Find(SettingsKey key, std::u16string_view name) {
    if (!Valid(key)) return nullptr;
    const std::string prefix = EscapeText(name) + "=";
    for (const std::string& line : image_.sections[key.value].lines) {
      if (line.starts_with(prefix)) {
        scratch_ = line.substr(prefix.size());
        return &scratch_;
      }
    }
    return nullptr;
  }

  void Append(SettingsKey key, std::u16string_view name, std::string_view text) {
    if (!Valid(key)) return;
    image_.sections[key.value].lines.push_back(EscapeText(name) + "=" + std::string(text));
  }

  // An interrupted save must not cost the user the settings saved before.
  bool WriteFile() const { return ReplaceFileContents(path_, FormatIniImage(image_)); }

  IniImage image_;
  std::u16string path_;
  bool writeAtClose_;
  std::string scratch_;
};

}  // namespace

std::string EscapeIniBytes(std::string_view bytes) {
  std::string text;
  text.reserve(bytes.size());
  for (const char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte == '\\') {
      text += "\\\\";
    } else if (byte >= 0x20 && byte <= 0x7E) {
      text += c;
    } else {
      text += '\\';
      text += kHexDigits[byte >> 4];
      text += kHexDigits[byte & 0x0F];
    }
  }
  return text;
}

std::string UnescapeIniBytes(std::string_view text) {
  std::string bytes;
  bytes.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\\' && i + 1 < text.size()) {
      if (text[i + 1] == '\\') {
        bytes += '\\';
        ++i;
        continue;
      }
      if (i + 2 < text.size() && HexValue(text[i + 1]) >= 0 && HexValue(text[i + 2]) >= 0) {
        bytes += static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2]));
        i += 2;
        continue;
      }
    }
    bytes += text[i];
  }
  return bytes;
}

IniImage ParseIniImage(std::string_view bytes) {
  IniImage image;
  size_t start = 0;
  while (start < bytes.size()) {
    size_t end = bytes.find('\n', start);
    if (end == std::string_view::npos) end = bytes.size();
    std::string_view line = bytes.substr(start, end - start);
    start = end + 1;
    if (line.ends_with('\r')) line.remove_suffix(1);
    if (line.empty() || line.front() == '#') continue;
    if (line.front() == '[') {
      line.remove_prefix(1);
      image.sections.push_back({std::string(line.substr(0, line.find(']'))), {}});
    } else if (!image.sections.empty()) {
      image.sections.back().lines.emplace_back(line);
    }
  }
  return image;
}

std::string FormatIniImage(const IniImage& image) {
  std::string bytes(kIniCommentLine);
  bytes += "\r\n";
  for (const IniSection& section : image.sections) {
    bytes += "\r\n[";
    bytes += section.name;
    bytes += "]\r\n";
    for (const std::string& line : section.lines) {
      bytes += line;
      bytes += "\r\n";
    }
  }
  return bytes;
}

bool ReadIniFile(std::u16string_view path, IniImage& image) {
  std::FILE* file = OpenFile(path, "rb");
  if (!file) return false;
  std::string bytes;
  char buffer[16384];
  size_t read;
  while ((read = std::fread(buffer, 1, sizeof buffer, file)) > 0) bytes.append(buffer, read);
  std::fclose(file);
  image = ParseIniImage(bytes);
  return true;
}

std::unique_ptr<SettingsStore> MakeIniStore(IniImage image, std::u16string_view path,
                                            bool writeAtClose) {
  if (image.sections.empty()) return nullptr;
  return std::make_unique<IniStore>(std::move(image), path, writeAtClose);
}

std::unique_ptr<SettingsStore> CreateIniStoreForWrite(std::u16string_view path) {
  IniImage image;
  image.sections.push_back({kRootSectionName, {}});
  return MakeIniStore(std::move(image), path, true);
}

}  // namespace vemora
