// What loading a document asks of the system: shell links, path normalisation, reading a
// whole file, and standard input. Win32 and POSIX each supply one implementation.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/text/document.h"

namespace vemora {

// Normalised paths and shortcut targets hold at most this many units.
inline constexpr int32_t kMaxPathUnits = 260;

// The most bytes a file or standard input may hold: sizes and text lengths are signed
// 32-bit counts.
inline constexpr int64_t kLargestFileBytes = 2147483647;

enum class FileReadStatus {
  kCannotOpen,  // no such file, no access, or a size beyond a signed 32-bit count
  kShortRead,   // fewer bytes arrived than the file's size
  kComplete,
};

class DocumentIo {
 public:
  virtual ~DocumentIo() = default;

  // Replaces `path` by the target of the shell link it names, when the link resolves.
  // `ownerWindow` is the window the system may show its search dialog over.
  virtual void ResolveShortcut(std::u16string& path, void* ownerWindow) = 0;

  // Makes `path` absolute and spells every existing component as it is on disk.
  virtual void NormalizePath(std::u16string& path) = 0;

  // Reads the whole file into `bytes`.
  virtual FileReadStatus ReadWholeFile(std::u16string_view path, FileBytes& bytes) = 0;

  // One read of at most `capacity` bytes from standard input: the byte count, or 0 when
  // nothing arrived, the read failed or there is no standard input.
  virtual int32_t ReadStandardInputPiece(uint8_t* buffer, int32_t capacity) = 0;

  // The most bytes standard input may deliver before it is refused as a whole. Only tests
  // ask for less, to try the limit without holding two gigabytes.
  virtual int64_t LargestStandardInput() const { return kLargestFileBytes; }
};

// Reads a whole file by its path; every implementation of DocumentIo reads through this.
// A size that a signed 32-bit count cannot hold is refused like a file that does not
// open, rather than read into a buffer of a wrapped-around size. `size`, when given,
// receives the file's size, or -1 when it could not be taken.
FileReadStatus ReadFileBytes(std::u16string_view path, FileBytes& bytes, int64_t* size = nullptr);

// The system's implementation.
DocumentIo& SystemDocumentIo();

}  // namespace vemora
