// The helpers both media of the settings share.
#include "core/settings/settings_store.h"

namespace vemora {

std::u16string IniPathBeside(std::u16string_view executablePath) {
  const size_t cut = executablePath.find_last_of(u":\\/");
  std::u16string path(cut == std::u16string_view::npos ? std::u16string_view{}
                                                       : executablePath.substr(0, cut + 1));
  return path.append(kIniFileName);
}

StringList StringListFromPieces(std::u16string_view text, int32_t capacity) {
  StringList list;
  int64_t used = 1;  // the list's final terminator
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find(u'\0', start);
    if (end == std::u16string_view::npos) end = text.size();
    if (end == start) break;
    used += static_cast<int64_t>(end - start) + 1;
    if (used > capacity) break;
    list.emplace_back(text.substr(start, end - start));
    start = end + 1;
  }
  return list;
}

}  // namespace vemora
