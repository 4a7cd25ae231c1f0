// The file services built on the system's OpenFile and FileSize: the existence test and
// the whole-file read that the Win32 and POSIX loading services and vemorainfo share.
#include <limits>

#include "core/platform/document_io.h"
#include "core/platform/files.h"

namespace vemora {
namespace {

constexpr int64_t kSmallestMappedFile = 1 << 20;

}  // namespace

bool FileReadable(std::u16string_view path) {
  std::FILE* file = OpenFile(path, "rb");
  if (!file) return false;
  std::fclose(file);
  return true;
}

FileReadStatus ReadFileBytes(std::u16string_view path, FileBytes& bytes, int64_t* size) {
  if (size) *size = -1;
  std::FILE* file = OpenFile(path, "rb");
  if (!file) return FileReadStatus::kCannotOpen;
  const int64_t length = FileSize(file);
  if (size) *size = length;
  if (length < 0 || length > std::numeric_limits<int32_t>::max()) {
    std::fclose(file);
    return FileReadStatus::kCannotOpen;
  }
  // A large file is read through its mapped pages: copying it into fresh memory first
  // would cost a page fault and a copy per page for bytes that are read once.
  if (length >= kSmallestMappedFile) {
    if (std::unique_ptr<MappedFile> view = MapFile(file, length)) {
      std::fclose(file);
      bytes = FileBytes::Map(std::move(view), static_cast<int32_t>(length));
      return FileReadStatus::kComplete;
    }
  }
  bytes = FileBytes::Allocate(static_cast<int32_t>(length));
  const size_t read = std::fread(bytes.data(), 1, static_cast<size_t>(length), file);
  std::fclose(file);
  return read == static_cast<size_t>(length) ? FileReadStatus::kComplete : FileReadStatus::kShortRead;
}

}  // namespace vemora
