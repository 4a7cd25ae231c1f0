// Files by UTF-16 path on Windows: the wide C runtime functions (devices refused), large
// files read through mapped views that survive losing their pages, and the replacement of
// a whole file through a sibling file and MoveFileExW.
#include "core/platform/files.h"

#include <io.h>
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <mutex>
#include <string>
#include <vector>

#include "win/platform/text_conversion.h"

namespace vemora {

std::FILE* OpenFile(std::u16string_view path, const char* mode) {
  // A device (a serial port, the console, a printer) opened as a file may never deliver
  // its end: it is refused by its name before it is opened, and by its type after.
  if (IsReservedDeviceName(path)) return nullptr;
  const std::wstring widePath = ToWide(path);
  const std::string narrowMode(mode);
  const std::wstring wideMode(narrowMode.begin(), narrowMode.end());
  std::FILE* file = _wfopen(widePath.c_str(), wideMode.c_str());
  if (file &&
      GetFileType(reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file)))) != FILE_TYPE_DISK) {
    std::fclose(file);
    return nullptr;
  }
  return file;
}

int64_t FileSize(std::FILE* file) {
  if (_fseeki64(file, 0, SEEK_END) != 0) return -1;
  const int64_t size = _ftelli64(file);
  return _fseeki64(file, 0, SEEK_SET) == 0 ? size : -1;
}

namespace {

// Views this large, side by side, make up a large file's mapping, so that the ones read to
// their end can be unmapped while the rest is decoded. A multiple of the allocation
// granularity (64 KB), as every view's offset must be. At most about 128 views: mapping
// each one costs the window's thread time before a file's first page (under Wine, 100 ms
// for the 1024 views of 4 MB that 4 GB would take).
constexpr int64_t kGranularity = 64 << 10;
int64_t ViewBytesFor(int64_t size) {
  const int64_t share = (size / 128 + kGranularity - 1) / kGranularity * kGranularity;
  return std::max<int64_t>(4 << 20, share);
}

// A page of a mapped file can fail to come in while it is read: the file lives on another
// system that cut it short, or (under Wine) another program cut it short from outside.
// The read then raises an exception in whatever code touches the page, the detection or a
// decoding thread. A vectored handler puts memory of zeros in place of the view that holds
// the page, counts it and lets the read go on; the load sees the count change and fails.
class WindowsMappedFile;
std::mutex gMappedMutex;  // guards gMapped; taken before any file's own mutex
std::vector<WindowsMappedFile*> gMapped;
std::atomic<size_t> gMappedCount{0};
std::atomic<uint64_t> gViewsLost{0};

class WindowsMappedFile final : public MappedFile {
 public:
  WindowsMappedFile(std::vector<const void*> views, int64_t size)
      : views_(std::move(views)),
        zeroed_(views_.size(), false),
        data_(static_cast<const uint8_t*>(views_.front())),
        size_(size) {
    const std::lock_guard<std::mutex> lock(gMappedMutex);
    gMapped.push_back(this);
    ++gMappedCount;
  }
  ~WindowsMappedFile() override {
    {
      const std::lock_guard<std::mutex> lock(gMappedMutex);
      std::erase(gMapped, this);
      --gMappedCount;
    }
    for (size_t i = 0; i < views_.size(); ++i) Release(i);
  }
  WindowsMappedFile(const WindowsMappedFile&) = delete;
  WindowsMappedFile& operator=(const WindowsMappedFile&) = delete;
  const uint8_t* Data() const override { return data_; }

  // Unmaps every view that ends at or before `end`; one view alone stays until the end.
  void ReleaseBelow(int64_t end) override {
    if (views_.size() < 2) return;
    const std::unique_lock<std::mutex> lock(mutex_, std::try_to_lock);
    if (!lock.owns_lock()) return;
    const auto before = static_cast<size_t>(std::max<int64_t>(end, 0) / viewBytes_);
    for (; released_ < std::min(before, views_.size()); ++released_) Release(released_);
  }

  bool Holds(uintptr_t address) const {
    const auto begin = reinterpret_cast<uintptr_t>(data_);
    return address >= begin && address - begin < static_cast<uint64_t>(size_);
  }

  // Called by the exception handler for an address this file Holds: true when the read
  // may go on, with the view that holds it now zeros.
  bool ZeroViewAt(uintptr_t address) {
    const std::lock_guard<std::mutex> lock(mutex_);
    const size_t i = ViewIndex(address - reinterpret_cast<uintptr_t>(data_));
    if (!views_[i]) return false;  // released: reading it is a fault of the reader's
    if (zeroed_[i]) return true;   // another thread zeroed it first
    void* view = const_cast<void*>(views_[i]);
    UnmapViewOfFile(view);
    // Another thread may take the free range first; the fault then stands.
    if (VirtualAlloc(view, ViewLength(i), MEM_RESERVE | MEM_COMMIT, PAGE_READONLY) != view) {
      views_[i] = nullptr;
      return false;
    }
    zeroed_[i] = true;
    gViewsLost.fetch_add(1, std::memory_order_relaxed);
    return true;
  }

 private:
  size_t ViewIndex(uint64_t offset) const {
    return views_.size() == 1 ? 0 : static_cast<size_t>(offset / viewBytes_);
  }
  SIZE_T ViewLength(size_t i) const {
    if (views_.size() == 1) return static_cast<SIZE_T>(size_);
    return static_cast<SIZE_T>(std::min(viewBytes_, size_ - static_cast<int64_t>(i) * viewBytes_));
  }
  void Release(size_t i) {
    if (!views_[i]) return;
    if (zeroed_[i])
      VirtualFree(const_cast<void*>(views_[i]), 0, MEM_RELEASE);
    else
      UnmapViewOfFile(views_[i]);
    views_[i] = nullptr;
  }

  std::vector<const void*> views_;  // null once released
  std::vector<bool> zeroed_;        // views put back as memory of zeros
  const uint8_t* data_;             // where the first view was, and the file starts
  int64_t size_;
  int64_t viewBytes_ = ViewBytesFor(size_);
  std::mutex mutex_;     // guards views_ and zeroed_ once the file is read
  size_t released_ = 0;  // views released from the front, under the mutex
};

LONG CALLBACK OnMappedPageLost(EXCEPTION_POINTERS* pointers) {
  const EXCEPTION_RECORD& record = *pointers->ExceptionRecord;
  // Windows reports a page that cannot come in as an in-page error; Wine as an access
  // violation. Both give the address read as the second parameter.
  if ((record.ExceptionCode != EXCEPTION_IN_PAGE_ERROR &&
       record.ExceptionCode != EXCEPTION_ACCESS_VIOLATION) ||
      record.NumberParameters < 2 || gMappedCount.load() == 0)
    return EXCEPTION_CONTINUE_SEARCH;
  const auto address = static_cast<uintptr_t>(record.ExceptionInformation[1]);
  const std::lock_guard<std::mutex> lock(gMappedMutex);
  for (WindowsMappedFile* file : gMapped) {
    if (file->Holds(address))
      return file->ZeroViewAt(address) ? EXCEPTION_CONTINUE_EXECUTION : EXCEPTION_CONTINUE_SEARCH;
  }
  return EXCEPTION_CONTINUE_SEARCH;
}

// The file's first `size` bytes in views of ViewBytesFor(size) at consecutive addresses: a free
// range is found by reserving it and letting it go, and the views are placed there. Another
// thread may take part of the range in between; then the views go and it is tried anew.
std::vector<const void*> MapSideBySide(HANDLE mapping, int64_t size) {
  for (int attempt = 0; attempt < 4; ++attempt) {
    auto* base = static_cast<uint8_t*>(
        VirtualAlloc(nullptr, static_cast<SIZE_T>(size), MEM_RESERVE, PAGE_NOACCESS));
    if (!base) break;
    VirtualFree(base, 0, MEM_RELEASE);
    std::vector<const void*> views;
    const int64_t viewBytes = ViewBytesFor(size);
    for (int64_t offset = 0; offset < size; offset += viewBytes) {
      const void* view = MapViewOfFileEx(
          mapping, FILE_MAP_READ, static_cast<DWORD>(offset >> 32), static_cast<DWORD>(offset),
          static_cast<SIZE_T>(std::min(viewBytes, size - offset)), base + offset);
      if (!view) break;
      views.push_back(view);
    }
    if (static_cast<int64_t>(views.size()) * viewBytes >= size) return views;
    for (const void* view : views) UnmapViewOfFile(view);
  }
  return {};
}

// A page of a mapped file on a network share or a removable disk that goes away raises an
// exception in whatever code touches it, where ReadFile would report a failed read: only
// files on the machine's fixed disks are mapped. The system names the file's drive as
// \\?\C:\..., a network file as \\?\UNC\...
bool OnFixedDisk(HANDLE file) {
  std::wstring path(MAX_PATH, L'\0');
  DWORD length = GetFinalPathNameByHandleW(file, path.data(), MAX_PATH, VOLUME_NAME_DOS);
  if (length >= MAX_PATH) {  // the size it needs
    path.assign(length, L'\0');
    length = GetFinalPathNameByHandleW(file, path.data(), length, VOLUME_NAME_DOS);
  }
  if (length < 6 || length >= path.size() || !path.starts_with(L"\\\\?\\") || path[5] != L':')
    return false;
  const wchar_t root[] = {path[4], L':', L'\\', L'\0'};
  const UINT type = GetDriveTypeW(root);
  return type == DRIVE_FIXED || type == DRIVE_RAMDISK;
}

}  // namespace

std::unique_ptr<MappedFile> MapFile(std::FILE* file, int64_t size) {
  if (size <= 0) return nullptr;
  // First in line, so that no other handler takes the fault for a crash.
  static const bool guarded = AddVectoredExceptionHandler(1, OnMappedPageLost) != nullptr;
  if (!guarded) return nullptr;  // read into memory instead
  const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file)));
  if (handle == INVALID_HANDLE_VALUE || handle == nullptr || !OnFixedDisk(handle)) return nullptr;
  HANDLE mapping = CreateFileMappingW(handle, nullptr, PAGE_READONLY, 0, 0, nullptr);
  if (!mapping) return nullptr;
  std::vector<const void*> views;
  if (size > ViewBytesFor(size)) views = MapSideBySide(mapping, size);
  if (views.empty()) {
    // One view for the whole file. A file that shrank below `size` since it was measured
    // fails here rather than later.
    if (const void* view = MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, static_cast<SIZE_T>(size)))
      views.push_back(view);
  }
  CloseHandle(mapping);  // the views keep the mapping alive
  if (views.empty()) return nullptr;
  return std::make_unique<WindowsMappedFile>(std::move(views), size);
}

uint64_t MappedPagesLost() {
  return gViewsLost.load(std::memory_order_relaxed);
}

namespace {

bool WriteAll(HANDLE file, std::string_view bytes) {
  while (!bytes.empty()) {
    const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size(), 1u << 30));
    DWORD written = 0;
    if (!WriteFile(file, bytes.data(), chunk, &written, nullptr) || written == 0) return false;
    bytes.remove_prefix(written);
  }
  return true;
}

}  // namespace

bool ReplaceFileContents(std::u16string_view path, std::string_view bytes) {
  // Named after the process, so that two viewers saving at once never share one.
  const std::wstring target = ToWide(path);
  // A rename replaces a read-only file on some systems (Wine among them) and the new file
  // would lose the flag: the user's "do not write" must hold whatever the system does.
  const DWORD attributes = GetFileAttributesW(target.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) return false;
  const std::wstring temporary = target + L"." + std::to_wstring(GetCurrentProcessId()) + L".tmp";
  HANDLE file = CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  // Flushed before the move, so that a crash cannot leave the new name on missing data.
  const bool written = WriteAll(file, bytes) && FlushFileBuffers(file);
  const bool closed = CloseHandle(file);
  if (written && closed &&
      MoveFileExW(temporary.c_str(), target.c_str(),
                  MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    return true;
  }
  DeleteFileW(temporary.c_str());
  return false;
}

bool SeekFile(std::FILE* file, int64_t offset) {
  return _fseeki64(file, offset, SEEK_SET) == 0;
}

}  // namespace vemora
