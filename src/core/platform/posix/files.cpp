// Files by UTF-16 path on POSIX systems: the path is handed to the system as UTF-8.
#include "core/platform/files.h"

#include <sys/stat.h>

#include "core/text/utf8.h"

namespace vemora {

std::FILE* OpenFile(std::u16string_view path, const char* mode) {
  return std::fopen(Utf16ToUtf8(path).c_str(), mode);
}

int64_t FileSize(std::FILE* file) {
  struct stat status {};
  // A directory opens here but not on Windows; it is no file to read either way.
  if (fstat(fileno(file), &status) != 0 || S_ISDIR(status.st_mode)) return -1;
  if (fseeko(file, 0, SEEK_END) != 0) return -1;
  const int64_t size = ftello(file);
  return fseeko(file, 0, SEEK_SET) == 0 ? size : -1;
}

bool SeekFile(std::FILE* file, int64_t offset) {
  return fseeko(file, offset, SEEK_SET) == 0;
}

}  // namespace vemora
