// Files by UTF-16 path on Windows: the wide C runtime functions.
#include "core/platform/files.h"

#include <string>

#include "win/platform/text_conversion.h"

namespace vemora {

std::FILE* OpenFile(std::u16string_view path, const char* mode) {
  const std::wstring widePath = ToWide(path);
  const std::string narrowMode(mode);
  const std::wstring wideMode(narrowMode.begin(), narrowMode.end());
  return _wfopen(widePath.c_str(), wideMode.c_str());
}

int64_t FileSize(std::FILE* file) {
  if (_fseeki64(file, 0, SEEK_END) != 0) return -1;
  const int64_t size = _ftelli64(file);
  return _fseeki64(file, 0, SEEK_SET) == 0 ? size : -1;
}

bool SeekFile(std::FILE* file, int64_t offset) {
  return _fseeki64(file, offset, SEEK_SET) == 0;
}

}  // namespace vemora
