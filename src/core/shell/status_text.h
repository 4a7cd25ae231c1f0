// The texts of the status bar and the main window's title, formatted once here so that
// every writer shows the same thing.
#pragma once

#include <climits>
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

// The largest numbers the parts show, which their widths are made for: display lines are
// counted in 32 bits, and a file's size stays below a petabyte on any disk there is.
inline constexpr int32_t kLargestShownLine = INT32_MAX;
inline constexpr FileStamp kWidestFileStamp{2000, 12, 28, 20, 58, 999'999'999'999'999};

// The part of a document name after its last backslash.
std::u16string_view ShortDocumentName(std::u16string_view name);

// "%s - Vemora" with the full name while the window is active, else the short name.
std::u16string DocumentTitle(std::u16string_view name, bool active);
inline constexpr char16_t kProgramTitleText[] = u"Vemora";

}  // namespace vemora
