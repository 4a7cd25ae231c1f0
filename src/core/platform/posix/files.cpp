// Files by UTF-16 path on POSIX systems: the path is handed to the system as UTF-8.
#include "core/platform/files.h"

#include "core/text/utf8.h"

namespace vemora {

std::FILE* OpenFile(std::u16string_view path, const char* mode) {
  return std::fopen(Utf16ToUtf8(path).c_str(), mode);
}

bool FileReadable(std::u16string_view path) {
  std::FILE* file = OpenFile(path, "rb");
  if (!file) return false;
  std::fclose(file);
  return true;
}

}  // namespace vemora
