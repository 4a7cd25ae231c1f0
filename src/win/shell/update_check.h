// Announces the viewer to the maker's update-check tool, when that tool is installed.
#pragma once

#include <string_view>

namespace vemora {

inline constexpr char16_t kUpdateCheckKey[] = u"Software\\Nuvtrak";

// Writes the registration under HKEY_CURRENT_USER\<toolKey> only when that key exists.
// Errors are ignored.
void RegisterForUpdateCheck(std::u16string_view toolKey = kUpdateCheckKey);

}  // namespace vemora
