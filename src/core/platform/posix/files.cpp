// Files by UTF-16 path on POSIX systems: the path is handed to the system as UTF-8; large
// files are read through mmap; a whole file is replaced through a sibling file and rename.
#include "core/platform/files.h"

#include <signal.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
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

// Another program may cut a file short while it is mapped here; touching a page past its
// new end then raises SIGBUS, which would end the process. For the ranges mapped here the
// handler puts a page of zeros in place of the lost one, counts it and lets the read go on;
// any other SIGBUS goes to the handler that was there before.
constexpr size_t kGuardedRanges = 64;
struct GuardedRange {
  std::atomic<uintptr_t> begin{0};  // 0 when the slot is free
  std::atomic<uintptr_t> end{0};
};
GuardedRange gGuarded[kGuardedRanges];
std::mutex gGuardedMutex;  // taken to claim or free a slot, never in the handler
std::atomic<uint64_t> gPagesLost{0};
uintptr_t gPageSize = 0;
struct sigaction gPreviousBusAction;

#if defined(__SANITIZE_THREAD__)
extern "C" void AnnotateIgnoreWritesBegin(const char* file, int line);
extern "C" void AnnotateIgnoreWritesEnd(const char* file, int line);
#endif

// Puts a page of zeros in place of the lost one at `page`. ThreadSanitizer would take the
// mapping for a write of the whole page by this thread, and a read of the same page by
// another (two pieces share the page at their cut) for a race; nothing is written, the
// system swaps the page whole, so the sanitizer is told to forget the page instead.
bool MapZeroPage(void* page) {
#if defined(__SANITIZE_THREAD__)
  AnnotateIgnoreWritesBegin(__FILE__, __LINE__);
#endif
  const bool mapped = mmap(page, gPageSize, PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED, -1,
                           0) != MAP_FAILED;
#if defined(__SANITIZE_THREAD__)
  AnnotateIgnoreWritesEnd(__FILE__, __LINE__);
#endif
  return mapped;
}

void OnBusError(int signal, siginfo_t* info, void* context) {
  const auto address = reinterpret_cast<uintptr_t>(info->si_addr);
  for (const GuardedRange& range : gGuarded) {
    const uintptr_t begin = range.begin.load(std::memory_order_acquire);
    if (begin == 0 || address < begin || address >= range.end.load(std::memory_order_acquire))
      continue;
    if (!MapZeroPage(reinterpret_cast<void*>(address & ~(gPageSize - 1)))) break;
    gPagesLost.fetch_add(1, std::memory_order_relaxed);
    return;
  }
  if (gPreviousBusAction.sa_flags & SA_SIGINFO) {
    gPreviousBusAction.sa_sigaction(signal, info, context);
  } else if (gPreviousBusAction.sa_handler == SIG_DFL || gPreviousBusAction.sa_handler == SIG_IGN) {
    // The fault comes again on return and ends the process as it would have.
    ::signal(SIGBUS, SIG_DFL);
  } else {
    gPreviousBusAction.sa_handler(signal);
  }
}

// Claims a slot for the range; false when none is free or the handler cannot be set.
bool GuardRange(const void* address, size_t size) {
  static const bool installed = [] {
    gPageSize = static_cast<uintptr_t>(sysconf(_SC_PAGESIZE));
    struct sigaction action {};
    action.sa_sigaction = OnBusError;
    action.sa_flags = SA_SIGINFO | SA_NODEFER;
    sigemptyset(&action.sa_mask);
    return sigaction(SIGBUS, &action, &gPreviousBusAction) == 0;
  }();
  if (!installed) return false;
  const std::lock_guard<std::mutex> lock(gGuardedMutex);
  for (GuardedRange& range : gGuarded) {
    if (range.begin.load(std::memory_order_relaxed) != 0) continue;
    range.end.store(reinterpret_cast<uintptr_t>(address) + size, std::memory_order_release);
    range.begin.store(reinterpret_cast<uintptr_t>(address), std::memory_order_release);
    return true;
  }
  return false;
}

void UnguardRange(const void* address) {
  const std::lock_guard<std::mutex> lock(gGuardedMutex);
  for (GuardedRange& range : gGuarded) {
    if (range.begin.load(std::memory_order_relaxed) != reinterpret_cast<uintptr_t>(address))
      continue;
    range.begin.store(0, std::memory_order_release);
    range.end.store(0, std::memory_order_release);
    return;
  }
}

class PosixMappedFile final : public MappedFile {
 public:
  PosixMappedFile(void* address, size_t size) : address_(address), size_(size) {}
  ~PosixMappedFile() override {
    UnguardRange(address_);
    munmap(address_, size_);
  }
  PosixMappedFile(const PosixMappedFile&) = delete;
  PosixMappedFile& operator=(const PosixMappedFile&) = delete;
  const uint8_t* Data() const override { return static_cast<const uint8_t*>(address_); }

  // The whole pages before `end` are dropped in steps of a megabyte or more; pages of a
  // private mapping that were never written come back from the file if touched again.
  void ReleaseBelow(int64_t end) override {
    const std::unique_lock<std::mutex> lock(mutex_, std::try_to_lock);
    if (!lock.owns_lock()) return;
    const size_t page = gPageSize;  // set before any mapping is made
    const size_t until =
        std::min(static_cast<size_t>(std::max<int64_t>(end, 0)), size_) / page * page;
    if (until < released_ + kReleaseStep && until < size_ / page * page) return;
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
  if (!GuardRange(address, length)) {
    munmap(address, length);  // read into memory instead
    return nullptr;
  }
  return std::make_unique<PosixMappedFile>(address, length);
}

uint64_t MappedPagesLost() {
  return gPagesLost.load(std::memory_order_relaxed);
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
