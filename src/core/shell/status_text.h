// The texts of the status bar and the main window's title, formatted once here so that
// every writer shows the same thing.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vemora {

inline constexpr char16_t kNoLineText[] = u"-----";

// "先頭:%d行目" for a shown line number above 0, "-----" otherwise.
std::u16string TopLineStatusText(int32_t shownNumber);
// "マウス:%d行目" for a shown line number above 0, "-----" otherwise.
std::u16string MouseLineStatusText(int32_t shownNumber);

struct FileStamp {
  int32_t year = 0, month = 0, day = 0, hour = 0, minute = 0;
  uint64_t size = 0;  // bytes
};
// "%04d/%02d/%02d %2d:%02d   %d Bytes": the hour is padded with a space, not a zero.
std::u16string FileStampText(const FileStamp& stamp);

// The part of a document name after its last backslash.
std::u16string_view ShortDocumentName(std::u16string_view name);

// "%s - Vemora" with the full name while the window is active, else the short name.
std::u16string DocumentTitle(std::u16string_view name, bool active);
inline constexpr char16_t kProgramTitleText[] = u"Vemora";

}  // namespace vemora
