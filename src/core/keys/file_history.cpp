// The file history's list rules and entry labels.
#include "core/keys/file_history.h"

#include <algorithm>

#include "core/platform/file_names.h"

namespace vemora {
namespace {

constexpr size_t kLabelLength = 3;

}  // namespace

StringList UpdateFileHistory(const StringList& history, std::u16string_view path, int32_t limit) {
  if (limit <= 0) return history;
  const size_t maximum = static_cast<size_t>(std::min(limit, kMaxHistoryEntries));
  StringList updated;
  updated.emplace_back(path);
  for (const std::u16string& entry : history) {
    if (updated.size() >= maximum) break;
    if (!FileNamesEqual(entry, path)) updated.push_back(entry);
  }
  return updated;
}

std::u16string HistoryLabel(int index) {
  if (index >= 0 && index < 9) return {u'&', static_cast<char16_t>(u'1' + index), u' '};
  if (index == 9) return u"&0 ";
  return u"&* ";
}

// A lone "&" in a menu text underlines the next character and is not shown, so a path
// such as "a&b.txt" is written with "&&" and read back with one.
std::u16string HistoryMenuText(int index, std::u16string_view path) {
  std::u16string text = HistoryLabel(index);
  for (const char16_t unit : path) {
    if (unit == u'&') text += u'&';
    text += unit;
  }
  return text;
}

std::u16string HistoryPathFromMenuText(std::u16string_view text) {
  std::u16string path;
  for (size_t i = std::min(text.size(), kLabelLength); i < text.size(); ++i) {
    if (text[i] == u'&' && i + 1 < text.size() && text[i + 1] == u'&') ++i;
    path += text[i];
  }
  return path;
}

}  // namespace vemora
