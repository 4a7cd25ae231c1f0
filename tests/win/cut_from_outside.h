// Cutting a file short from outside Windows, as another system serving the file may do
// while the viewer reads its mapped pages.
#pragma once

#include <cstdint>
#include <string>

namespace vemora {

// Cuts the file to `size` bytes from outside Windows: under Wine, with the host's own
// truncate. False where that cannot be done.
bool CutFromOutside(const std::wstring& path, int64_t size);

}  // namespace vemora
