// Settings-file names and the registry editor's command lines.
#include "core/settings/settings_transfer_rules.h"

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

}  // namespace

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
