// Files by UTF-16 path on Windows: the wide C runtime functions, large files read through
// a mapped view, and the replacement of a whole file through a sibling file and MoveFileExW.
#include "core/platform/files.h"

#include <io.h>
#include <windows.h>

#include <algorithm>
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

namespace {

class WindowsMappedFile final : public MappedFile {
 public:
  explicit WindowsMappedFile(const void* view) : view_(view) {}
  ~WindowsMappedFile() override { UnmapViewOfFile(view_); }
  WindowsMappedFile(const WindowsMappedFile&) = delete;
  WindowsMappedFile& operator=(const WindowsMappedFile&) = delete;
  const uint8_t* Data() const override { return static_cast<const uint8_t*>(view_); }

 private:
  const void* view_;
};

}  // namespace

std::unique_ptr<MappedFile> MapFile(std::FILE* file, int64_t size) {
  if (size <= 0) return nullptr;
  const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file)));
  if (handle == INVALID_HANDLE_VALUE || handle == nullptr) return nullptr;
  HANDLE mapping = CreateFileMappingW(handle, nullptr, PAGE_READONLY, 0, 0, nullptr);
  if (!mapping) return nullptr;
  // A file that shrank below `size` since it was measured fails here rather than later.
  const void* view = MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, static_cast<SIZE_T>(size));
  CloseHandle(mapping);  // the view keeps the mapping alive
  if (!view) return nullptr;
  return std::make_unique<WindowsMappedFile>(view);
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
