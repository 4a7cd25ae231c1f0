// Files by UTF-16 path on Windows: the wide C runtime functions, large files read through
// a mapped view, and the replacement of a whole file through a sibling file and MoveFileExW.
#include "core/platform/files.h"

#include <io.h>
#include <windows.h>

#include <algorithm>
#include <mutex>
#include <string>
#include <vector>

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

namespace {

// Views this large, side by side, make up a large file's mapping, so that the ones read to
// their end can be unmapped while the rest is decoded. A multiple of the allocation
// granularity (64 KB), as every view's offset must be.
constexpr int64_t kViewBytes = 4 << 20;

class WindowsMappedFile final : public MappedFile {
 public:
  explicit WindowsMappedFile(std::vector<const void*> views)
      : views_(std::move(views)), data_(static_cast<const uint8_t*>(views_.front())) {}
  ~WindowsMappedFile() override {
    for (const void* view : views_)
      if (view) UnmapViewOfFile(view);
  }
  WindowsMappedFile(const WindowsMappedFile&) = delete;
  WindowsMappedFile& operator=(const WindowsMappedFile&) = delete;
  const uint8_t* Data() const override { return data_; }

  // Unmaps every view that ends at or before `end`; one view alone stays until the end.
  void ReleaseBelow(int64_t end) override {
    if (views_.size() < 2) return;
    const std::unique_lock<std::mutex> lock(mutex_, std::try_to_lock);
    if (!lock.owns_lock()) return;
    const auto before = static_cast<size_t>(std::max<int64_t>(end, 0) / kViewBytes);
    for (; released_ < std::min(before, views_.size()); ++released_) {
      UnmapViewOfFile(views_[released_]);
      views_[released_] = nullptr;
    }
  }

 private:
  std::vector<const void*> views_;  // null once unmapped
  const uint8_t* data_;             // where the first view was, and the file starts
  std::mutex mutex_;
  size_t released_ = 0;  // views unmapped from the front, under the mutex
};

// The file's first `size` bytes in views of kViewBytes at consecutive addresses: a free
// range is found by reserving it and letting it go, and the views are placed there. Another
// thread may take part of the range in between; then the views go and it is tried anew.
std::vector<const void*> MapSideBySide(HANDLE mapping, int64_t size) {
  for (int attempt = 0; attempt < 4; ++attempt) {
    auto* base = static_cast<uint8_t*>(
        VirtualAlloc(nullptr, static_cast<SIZE_T>(size), MEM_RESERVE, PAGE_NOACCESS));
    if (!base) break;
    VirtualFree(base, 0, MEM_RELEASE);
    std::vector<const void*> views;
    for (int64_t offset = 0; offset < size; offset += kViewBytes) {
      const void* view = MapViewOfFileEx(
          mapping, FILE_MAP_READ, static_cast<DWORD>(offset >> 32), static_cast<DWORD>(offset),
          static_cast<SIZE_T>(std::min(kViewBytes, size - offset)), base + offset);
      if (!view) break;
      views.push_back(view);
    }
    if (static_cast<int64_t>(views.size()) * kViewBytes >= size) return views;
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
  const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file)));
  if (handle == INVALID_HANDLE_VALUE || handle == nullptr || !OnFixedDisk(handle)) return nullptr;
  HANDLE mapping = CreateFileMappingW(handle, nullptr, PAGE_READONLY, 0, 0, nullptr);
  if (!mapping) return nullptr;
  std::vector<const void*> views;
  if (size > kViewBytes) views = MapSideBySide(mapping, size);
  if (views.empty()) {
    // One view for the whole file. A file that shrank below `size` since it was measured
    // fails here rather than later.
    if (const void* view = MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, static_cast<SIZE_T>(size)))
      views.push_back(view);
  }
  CloseHandle(mapping);  // the views keep the mapping alive
  if (views.empty()) return nullptr;
  return std::make_unique<WindowsMappedFile>(std::move(views));
}

uint64_t MappedPagesLost() {
  return 0;
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
