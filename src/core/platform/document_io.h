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

enum class FileReadStatus {
  kCannotOpen,  // no such file, no access, or a size that cannot be taken
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

  // The most bytes standard input may deliver before it is refused as a whole: no limit
  // but the memory, which a load learns of as std::bad_alloc (see RecoverableAllocations).
  // Only tests ask for less, to try the limit without holding gigabytes.
  virtual int64_t LargestStandardInput() const { return INT64_MAX; }
};

// Reads a whole file by its path; every implementation of DocumentIo reads through this.
// A file that neither maps nor fits in memory throws std::bad_alloc where allocations
// are recoverable (RecoverableAllocations). `size`, when given, receives the file's size,
// or -1 when it could not be taken.
FileReadStatus ReadFileBytes(std::u16string_view path, FileBytes& bytes, int64_t* size = nullptr);

// The system's implementation.
DocumentIo& SystemDocumentIo();

}  // namespace vemora
