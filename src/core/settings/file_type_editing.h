// The rules the file-type settings dialog edits by: the private working copy of the list
// that replaces the live one only on OK, the pattern list kept sorted within its
// 500-character room, and the colour chooser's custom colours.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

#include "core/settings/settings_model.h"

namespace vemora {

inline constexpr int32_t kFileTypeGrowth = 10;
inline constexpr int32_t kFileTypeNameLimit = kNameCapacity - 1;  // 40 characters
// The patterns with one terminator each take at most this many characters.
inline constexpr int32_t kPatternListLimit = kExtCapacity - 1;
// The input box holds no more than this; so no single pattern can be longer.
inline constexpr int32_t kInputBoxLimit = 260;

// The order the pattern list shows: letters compared without case, then code unit by
// code unit.
bool PatternBefore(std::u16string_view left, std::u16string_view right);

// The characters the patterns take with one terminator each.
int32_t PatternListLength(const StringList& patterns);

// Adds a non-empty pattern at its sorted place when the list, terminators included, still
// fits into kPatternListLimit; false (the caller beeps) when it does not.
bool AddPattern(StringList& patterns, std::u16string_view pattern);

// Sorts a list as the dialog shows it (stored lists may come in any order).
void SortPatterns(StringList& patterns);

// A copy of the whole list, edited freely while the dialog is open.
class FileTypeWorkingList {
 public:
  explicit FileTypeWorkingList(const FileTypeSettingList& live) : list_(live) {}

  int32_t Count() const { return list_.Count(); }
  int32_t Capacity() const { return list_.capacity; }
  std::span<const FileTypeSetting> Entries() const { return list_.entries; }
  FileTypeSetting& Entry(int32_t index) { return list_.entries[static_cast<size_t>(index)]; }
  const FileTypeSetting& Entry(int32_t index) const {
    return list_.entries[static_cast<size_t>(index)];
  }

  // Appends a copy of the built-in record under the name (cut to 40 characters; empty is
  // allowed), growing a full list by 10 entries. Returns the new entry's index.
  int32_t Append(std::u16string_view name);
  // The common entry (0) keeps its name and cannot be removed.
  bool Rename(int32_t index, std::u16string_view name);
  bool Remove(int32_t index);

  // Replaces the live entries, count and capacity in one step; the live list keeps the
  // count it was loaded with, which the saver needs to retire removed entries.
  void CommitTo(FileTypeSettingList& live) const;

 private:
  FileTypeSettingList list_;
};

inline constexpr int kCustomColourCount = 16;

// The colour chooser's custom colours: the button's colour first, then each entry's text,
// emphasis, control-character, background and found-text colours that are not already
// there, black for the slots left over.
std::array<ColorRef, kCustomColourCount> CustomColours(ColorRef current,
                                                       std::span<const FileTypeSetting> entries);

}  // namespace vemora
