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

std::u16string HistoryMenuText(int index, std::u16string_view path) {
  return HistoryLabel(index).append(path);
}

std::u16string HistoryPathFromMenuText(std::u16string_view text) {
  return std::u16string(text.substr(std::min(text.size(), kLabelLength)));
}

}  // namespace vemora
