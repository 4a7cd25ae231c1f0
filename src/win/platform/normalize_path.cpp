// Path normalisation: the full path, each component spelled as it is on disk.
#include <windows.h>

#include <string>

#include "core/platform/document_io.h"
#include "core/platform/files.h"
#include "win/platform/shell_paths.h"
#include "win/platform/text_conversion.h"

namespace vemora::win {
namespace {

// The part that keeps its spelling: the drive with its colon, or \\server\share.
size_t FixedPrefixLength(const std::wstring& path) {
  if (const size_t colon = path.find(L':'); colon != std::wstring::npos) return colon + 1;
  if (path.starts_with(L"\\\\")) {
    const size_t server = path.find(L'\\', 2);
    if (server == std::wstring::npos) return path.size();
    const size_t share = path.find(L'\\', server + 1);
    return share == std::wstring::npos ? path.size() : share;
  }
  return 0;
}

}  // namespace

void NormalizePath(std::u16string& path) {
  // A device's name has no spelling on disk to look up, and it will not open.
  if (IsReservedDeviceName(path)) return;
  wchar_t full[kMaxPathUnits + 1] = {};
  const std::wstring given = ToWide(path);
  const DWORD length = GetFullPathNameW(given.c_str(), kMaxPathUnits + 1, full, nullptr);
  // A path that has no full form within 260 units is left as it was; it will not open.
  if (length == 0 || length > kMaxPathUnits) return;
  const std::wstring absolute(full, length);

  const size_t prefix = FixedPrefixLength(absolute);
  std::wstring result = absolute.substr(0, prefix);
  size_t at = prefix;
  while (at < absolute.size()) {
    size_t end = absolute.find(L'\\', at);
    if (end == std::wstring::npos) end = absolute.size();
    if (end > at) {
      std::wstring piece = absolute.substr(at, end - at);
      if (result.size() + 1 > static_cast<size_t>(kMaxPathUnits)) break;
      result.push_back(L'\\');
      if (result.size() + piece.size() > static_cast<size_t>(kMaxPathUnits)) break;
      WIN32_FIND_DATAW found{};
      const HANDLE search = FindFirstFileW((result + piece).c_str(), &found);
      if (search != INVALID_HANDLE_VALUE) {
        FindClose(search);
        piece = found.cFileName;
        if (result.size() + piece.size() > static_cast<size_t>(kMaxPathUnits)) break;
      }
      result += piece;
    }
    at = end + 1;
  }
  path = ToUtf16(result);
}

}  // namespace vemora::win
