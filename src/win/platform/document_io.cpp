// Loading services on Windows: shell links, normalised paths, whole-file reads by wide
// path with 64-bit sizes, and the standard input handle.
#include <windows.h>

#include <cstdio>
#include <limits>

#include "core/platform/document_io.h"
#include "core/platform/files.h"
#include "win/platform/shell_paths.h"

namespace vemora {
namespace {

class WindowsDocumentIo final : public DocumentIo {
 public:
  void ResolveShortcut(std::u16string& path, void* ownerWindow) override {
    win::ResolveShortcut(path, ownerWindow);
  }

  void NormalizePath(std::u16string& path) override { win::NormalizePath(path); }

  FileReadStatus ReadWholeFile(std::u16string_view path, FileBytes& bytes) override {
    return ReadFileBytes(path, bytes);
  }

  int32_t ReadStandardInputPiece(uint8_t* buffer, int32_t capacity) override {
    const HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    if (input == INVALID_HANDLE_VALUE || input == nullptr) return 0;
    // A console or terminal is not piped text: reading it would hold the window until
    // the user typed an end of file.
    if (GetFileType(input) == FILE_TYPE_CHAR) return 0;
    DWORD received = 0;
    if (!ReadFile(input, buffer, static_cast<DWORD>(capacity), &received, nullptr)) return 0;
    return static_cast<int32_t>(received);
  }
};

}  // namespace

DocumentIo& SystemDocumentIo() {
  static WindowsDocumentIo io;
  return io;
}

}  // namespace vemora
