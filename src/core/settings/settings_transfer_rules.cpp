// Settings-file names, what such a file must hold to be restored, and the registry
// editor's command lines.
#include "core/settings/settings_transfer_rules.h"

#include <memory>

#include "core/settings/ini_store.h"
#include "core/settings/settings_io.h"

namespace vemora {
namespace {

char16_t AsciiLower(char16_t c) {
  return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c - u'A' + u'a') : c;
}

bool EndsWithIgnoringCase(std::u16string_view name, std::u16string_view lowerSuffix) {
  if (name.size() < lowerSuffix.size()) return false;
  const std::u16string_view tail = name.substr(name.size() - lowerSuffix.size());
  for (size_t i = 0; i < tail.size(); ++i)
    if (AsciiLower(tail[i]) != lowerSuffix[i]) return false;
  return true;
}

std::u16string Quoted(std::u16string_view path) {
  std::u16string text(u"\"");
  text.append(path);
  text.push_back(u'"');
  return text;
}

bool EqualIgnoringCase(std::u16string_view text, std::u16string_view other) {
  if (text.size() != other.size()) return false;
  for (size_t i = 0; i < text.size(); ++i)
    if (AsciiLower(text[i]) != AsciiLower(other[i])) return false;
  return true;
}

// The export's text: UTF-16LE after its byte-order mark, otherwise single bytes taken as
// they are (only the ASCII of headers and of the program's key names is compared).
std::optional<std::u16string> RegistryExportText(std::string_view bytes) {
  std::u16string text;
  if (bytes.starts_with("\xFF\xFE")) {
    if (bytes.size() % 2 != 0) return std::nullopt;  // cut inside a character
    text.resize((bytes.size() - 2) / 2);
    for (size_t i = 0; i < text.size(); ++i) {
      text[i] = static_cast<char16_t>(static_cast<uint8_t>(bytes[2 + 2 * i]) |
                                      (static_cast<uint8_t>(bytes[3 + 2 * i]) << 8));
    }
  } else {
    text.assign(bytes.begin(), bytes.end());
    for (char16_t& c : text) c = static_cast<char16_t>(c & 0xFF);
  }
  return text;
}

std::u16string_view WithoutLeadingBlanks(std::u16string_view line) {
  while (!line.empty() && (line.front() == u' ' || line.front() == u'\t')) line.remove_prefix(1);
  return line;
}

}  // namespace

bool IsWholeIniImage(std::string_view bytes) {
  if (!bytes.ends_with('\n')) return false;
  IniImage image = ParseIniImage(bytes);
  if (image.sections.empty() || image.sections.front().name != "Vemora") return false;
  std::unique_ptr<SettingsStore> store = MakeIniStore(std::move(image), u"", false);
  SettingsKey options;
  if (!store->OpenKey(store->Root(), u"Options", options)) return false;
  int32_t count = 0;
  if (!store->ReadInt(options, u"ExtSet", count) || count < 1 || count > kMaxFileTypeEntries)
    return false;
  for (int32_t i = 0; i < count; ++i) {
    const std::string name = "Ext" + std::to_string(i);
    SettingsKey entry;
    if (!store->OpenKey(options, std::u16string(name.begin(), name.end()), entry)) return false;
  }
  return true;
}

std::optional<std::vector<std::u16string>> ProgramKeysOfRegistryExport(
    std::string_view bytes, std::u16string_view rootPath) {
  const std::optional<std::u16string> text = RegistryExportText(bytes);
  if (!text || !text->ends_with(u'\n')) return std::nullopt;
  const std::u16string_view all(*text);
  const std::u16string_view header = all.substr(0, all.find(u'\n'));
  const std::u16string_view headerText =
      header.ends_with(u'\r') ? header.substr(0, header.size() - 1) : header;
  if (headerText != u"Windows Registry Editor Version 5.00" && headerText != u"REGEDIT4")
    return std::nullopt;
  const std::u16string root = u"HKEY_CURRENT_USER\\" + std::u16string(rootPath);
  std::vector<std::u16string> keys;
  for (size_t start = header.size() + 1; start < all.size();) {
    const size_t end = all.find(u'\n', start);
    std::u16string_view line = WithoutLeadingBlanks(all.substr(start, end - start));
    start = end + 1;
    if (!line.starts_with(u'[')) continue;
    const size_t close = line.rfind(u']');
    if (close == std::u16string_view::npos) return std::nullopt;
    const std::u16string_view key = line.substr(1, close - 1);
    // A key of the program is its root or lies under it; "[-" would remove a key.
    const bool ours = key.size() >= root.size() &&
                      EqualIgnoringCase(key.substr(0, root.size()), root) &&
                      (key.size() == root.size() || key[root.size()] == u'\\');
    if (!ours) return std::nullopt;
    keys.emplace_back(key.substr(std::u16string_view(u"HKEY_CURRENT_USER\\").size()));
  }
  if (keys.empty()) return std::nullopt;
  return keys;
}

SettingsFileKind SettingsFileKindOf(std::u16string_view name) {
  // ".reg" alone is four characters: a bare extension is no file name.
  if (name.size() < 5) return SettingsFileKind::kRefused;
  if (EndsWithIgnoringCase(name, u".reg")) return SettingsFileKind::kRegistryExport;
  if (EndsWithIgnoringCase(name, u".ini")) return SettingsFileKind::kIniCopy;
  return SettingsFileKind::kRefused;
}

std::u16string RegistryExportParameters(std::u16string_view path, std::u16string_view rootPath) {
  std::u16string text(u"/e ");
  text += Quoted(path);
  text += u" HKEY_CURRENT_USER\\";
  text.append(rootPath);
  return text;
}

std::u16string RegistryImportParameters(std::u16string_view path) {
  return Quoted(path);
}

ProductKeyPath SplitProductKey(std::u16string_view rootPath) {
  while (!rootPath.empty() && rootPath.back() == u'\\') rootPath.remove_suffix(1);
  const size_t cut = rootPath.rfind(u'\\');
  if (cut == std::u16string_view::npos) return {u"", std::u16string(rootPath)};
  return {std::u16string(rootPath.substr(0, cut)), std::u16string(rootPath.substr(cut + 1))};
}

}  // namespace vemora
