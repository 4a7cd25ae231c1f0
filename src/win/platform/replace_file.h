// A file written through a temporary file in the same folder and renamed over the target
// only when all of it was written: a failed or abandoned save leaves any file that was there
// as it was, and no half-written file behind.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace vemora {

class FileReplacement {
 public:
  // Creates the temporary file beside `path`; Ok() tells whether that worked.
  explicit FileReplacement(std::u16string_view path);
  // Removes the temporary file unless Commit succeeded.
  ~FileReplacement();
  FileReplacement(const FileReplacement&) = delete;
  FileReplacement& operator=(const FileReplacement&) = delete;

  bool Ok() const { return error_ == ERROR_SUCCESS; }
  // The system's error code of the first step that failed.
  DWORD Error() const { return error_; }

  // Appends bytes; after a failure does nothing more.
  bool Write(std::string_view bytes);
  // Closes the temporary file and puts it in place of the target.
  bool Commit();

 private:
  void Fail();

  std::wstring target_;
  std::wstring temporary_;
  HANDLE file_ = INVALID_HANDLE_VALUE;
  DWORD error_ = ERROR_SUCCESS;
  bool committed_ = false;
};

// The message a failed save shows: the path and the system's reason.
std::wstring WriteFailureMessage(std::u16string_view path, DWORD error);

}  // namespace vemora
