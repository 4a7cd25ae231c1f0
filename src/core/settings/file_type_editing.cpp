// The file-type dialog's working list, pattern list and custom colours.
#include "core/settings/file_type_editing.h"

#include <algorithm>

namespace vemora {
namespace {

char16_t FoldCase(char16_t unit) {
  return unit >= u'a' && unit <= u'z' ? static_cast<char16_t>(unit - u'a' + u'A') : unit;
}

}  // namespace

bool PatternBefore(std::u16string_view left, std::u16string_view right) {
  const size_t common = std::min(left.size(), right.size());
  for (size_t i = 0; i < common; ++i) {
    const char16_t a = FoldCase(left[i]), b = FoldCase(right[i]);
    if (a != b) return a < b;
  }
  if (left.size() != right.size()) return left.size() < right.size();
  return left < right;
}

int32_t PatternListLength(const StringList& patterns) {
  int64_t length = 0;
  for (const std::u16string& pattern : patterns) length += static_cast<int64_t>(pattern.size()) + 1;
  return static_cast<int32_t>(std::min<int64_t>(length, INT32_MAX));
}

bool AddPattern(StringList& patterns, std::u16string_view pattern) {
  if (pattern.empty()) return false;
  const int64_t length = PatternListLength(patterns) + static_cast<int64_t>(pattern.size()) + 1;
  if (length > kPatternListLimit) return false;
  const auto place = std::upper_bound(patterns.begin(), patterns.end(), pattern,
                                      [](std::u16string_view item, const std::u16string& listed) {
                                        return PatternBefore(item, listed);
                                      });
  patterns.insert(place, std::u16string(pattern));
  return true;
}

void SortPatterns(StringList& patterns) {
  std::stable_sort(
      patterns.begin(), patterns.end(),
      [](const std::u16string& a, const std::u16string& b) { return PatternBefore(a, b); });
}

int32_t FileTypeWorkingList::Append(std::u16string_view name) {
  if (list_.Count() >= list_.capacity) list_.capacity += kFileTypeGrowth;
  list_.entries.reserve(static_cast<size_t>(list_.capacity));
  FileTypeSetting entry = DefaultFileTypeSetting();
  entry.Name = std::u16string(name.substr(0, kFileTypeNameLimit));
  list_.entries.push_back(std::move(entry));
  return list_.Count() - 1;
}

bool FileTypeWorkingList::Rename(int32_t index, std::u16string_view name) {
  if (index <= 0 || index >= list_.Count()) return false;
  Entry(index).Name = std::u16string(name.substr(0, kFileTypeNameLimit));
  return true;
}

bool FileTypeWorkingList::Remove(int32_t index) {
  if (index <= 0 || index >= list_.Count()) return false;
  list_.entries.erase(list_.entries.begin() + index);
  return true;
}

void FileTypeWorkingList::CommitTo(FileTypeSettingList& live) const {
  const int32_t countAsLoaded = live.countAsLoaded;
  live = list_;
  live.capacity = std::max(live.capacity, live.Count());
  live.countAsLoaded = countAsLoaded;
}

std::array<ColorRef, kCustomColourCount> CustomColours(ColorRef current,
                                                       std::span<const FileTypeSetting> entries) {
  std::array<ColorRef, kCustomColourCount> slots{};
  slots[0] = current;
  size_t filled = 1;
  for (const FileTypeSetting& entry : entries) {
    for (ColorRef colour :
         {entry.TextCol, entry.HighCol, entry.CtrlCol, entry.BackCol, entry.FindCol}) {
      if (filled == slots.size()) return slots;
      if (std::find(slots.begin() + 1, slots.begin() + filled, colour) != slots.begin() + filled)
        continue;
      slots[filled++] = colour;
    }
  }
  return slots;
}

}  // namespace vemora
