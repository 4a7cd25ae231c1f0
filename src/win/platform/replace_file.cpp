// Saving through a temporary file: CreateFileW in the target's folder, WriteFile in pieces,
// MoveFileExW over the target.
#include "win/platform/replace_file.h"

#include <algorithm>

#include "win/platform/text_conversion.h"

namespace vemora {

namespace {

// A rename replaces a read-only file on some systems (Wine among them), and the new file
// would lose the flag: the user's "do not write" holds whatever the system does.
bool IsReadOnly(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY);
}

}  // namespace

FileReplacement::FileReplacement(std::u16string_view path) : target_(ToWide(path)) {
  // Named after the process, so that two viewers saving at once never share one; in the
  // target's folder, so that the rename cannot cross volumes.
  temporary_ = target_ + L"." + std::to_wstring(GetCurrentProcessId()) + L".tmp";
  if (IsReadOnly(target_)) {
    error_ = ERROR_ACCESS_DENIED;
    return;
  }
  file_ = CreateFileW(temporary_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                      FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file_ == INVALID_HANDLE_VALUE) error_ = GetLastError();
}

FileReplacement::~FileReplacement() {
  if (file_ != INVALID_HANDLE_VALUE) CloseHandle(file_);
  if (!committed_) DeleteFileW(temporary_.c_str());
}

void FileReplacement::Fail() {
  if (Ok()) error_ = GetLastError();
  if (error_ == ERROR_SUCCESS) error_ = ERROR_WRITE_FAULT;
}

bool FileReplacement::Write(std::string_view bytes) {
  if (!Ok()) return false;
  while (!bytes.empty()) {
    const DWORD piece = static_cast<DWORD>(std::min<size_t>(bytes.size(), 1u << 24));
    DWORD written = 0;
    if (!WriteFile(file_, bytes.data(), piece, &written, nullptr) || written == 0) {
      Fail();
      return false;
    }
    bytes.remove_prefix(written);
  }
  return true;
}

bool FileReplacement::Commit() {
  if (!Ok()) return false;
  // Flushed before the rename, so that a crash cannot leave the name on missing data.
  const BOOL flushed = FlushFileBuffers(file_);
  const BOOL closed = CloseHandle(file_) && flushed;
  file_ = INVALID_HANDLE_VALUE;
  BOOL placed = FALSE;
  if (closed) {
    // The target may have been made read-only while the save asked its question.
    if (IsReadOnly(target_))
      SetLastError(ERROR_ACCESS_DENIED);
    else
      placed = MoveFileExW(temporary_.c_str(), target_.c_str(),
                           MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
  }
  if (!placed) {
    Fail();
    DeleteFileW(temporary_.c_str());
    return false;
  }
  committed_ = true;
  return true;
}

std::wstring WriteFailureMessage(std::u16string_view path, DWORD error) {
  std::wstring message = ToWide(path) + L"\r\nに保存できませんでした。";
  wchar_t* reason = nullptr;
  if (FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                         FORMAT_MESSAGE_IGNORE_INSERTS,
                     nullptr, error, 0, reinterpret_cast<wchar_t*>(&reason), 0, nullptr) &&
      reason) {
    message += L"\r\n";
    message += reason;
    LocalFree(reason);
  }
  while (!message.empty() && (message.back() == L'\n' || message.back() == L'\r'))
    message.pop_back();
  return message;
}

}  // namespace vemora
