// Files by UTF-16 path on POSIX systems: the path is handed to the system as UTF-8; large
// files are read through mmap; a whole file is replaced through a sibling file and rename.
#include "core/platform/files.h"

#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <mutex>
#include <string>

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

namespace {

class PosixMappedFile final : public MappedFile {
 public:
  PosixMappedFile(void* address, size_t size) : address_(address), size_(size) {}
  ~PosixMappedFile() override { munmap(address_, size_); }
  PosixMappedFile(const PosixMappedFile&) = delete;
  PosixMappedFile& operator=(const PosixMappedFile&) = delete;
  const uint8_t* Data() const override { return static_cast<const uint8_t*>(address_); }

  // The whole pages before `end` are dropped in steps of a megabyte or more; pages of a
  // private mapping that were never written come back from the file if touched again.
  void ReleaseBelow(int64_t end) override {
    const std::unique_lock<std::mutex> lock(mutex_, std::try_to_lock);
    if (!lock.owns_lock()) return;
    static const auto kPage = static_cast<size_t>(sysconf(_SC_PAGESIZE));
    const size_t until =
        std::min(static_cast<size_t>(std::max<int64_t>(end, 0)), size_) / kPage * kPage;
    if (until < released_ + kReleaseStep && until < size_ / kPage * kPage) return;
    if (until <= released_) return;
    madvise(static_cast<uint8_t*>(address_) + released_, until - released_, MADV_DONTNEED);
    released_ = until;
  }

 private:
  static constexpr size_t kReleaseStep = 1 << 20;
  void* address_;
  size_t size_;
  std::mutex mutex_;
  size_t released_ = 0;  // under the mutex
};

}  // namespace

std::unique_ptr<MappedFile> MapFile(std::FILE* file, int64_t size) {
  if (size <= 0) return nullptr;
  const auto length = static_cast<size_t>(size);
  void* address = mmap(nullptr, length, PROT_READ, MAP_PRIVATE, fileno(file), 0);
  if (address == MAP_FAILED) return nullptr;
  return std::make_unique<PosixMappedFile>(address, length);
}

bool ReplaceFileContents(std::u16string_view path, std::string_view bytes) {
  // Named after the process, so that two programs saving at once never share one.
  const std::string target = Utf16ToUtf8(path);
  const std::string temporary = target + "." + std::to_string(getpid()) + ".tmp";
  std::FILE* file = std::fopen(temporary.c_str(), "wb");
  if (!file) return false;
  // Flushed to the disk before the rename, so that a crash cannot leave the new name on
  // missing data.
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size() &&
                       std::fflush(file) == 0 && fsync(fileno(file)) == 0;
  const bool closed = std::fclose(file) == 0;
  if (written && closed && std::rename(temporary.c_str(), target.c_str()) == 0) return true;
  std::remove(temporary.c_str());
  return false;
}

bool SeekFile(std::FILE* file, int64_t offset) {
  return fseeko(file, offset, SEEK_SET) == 0;
}

}  // namespace vemora
