// Files by UTF-16 path: _wfopen on Windows, the path converted to UTF-8 natively.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string_view>

#include "core/text/document.h"

namespace vemora {

// Opens a file with a C stdio mode ("rb", "wt", ...); null when it cannot be opened.
std::FILE* OpenFile(std::u16string_view path, const char* mode);

// The size of an open file in bytes, with the position back at its start; -1 for a
// directory or a stream that cannot seek.
int64_t FileSize(std::FILE* file);

// Moves the position to `offset` bytes from the start; false when it cannot.
bool SeekFile(std::FILE* file, int64_t offset);

// Maps the first `size` bytes of an open file read-only into memory; null when the system
// cannot map it (a pipe, a device, an empty file).
std::unique_ptr<MappedFile> MapFile(std::FILE* file, int64_t size);
// How many pages (on Windows, views) of mapped files this process found gone because
// another program cut the file short while it was read; each reads as zeros instead of
// ending the process. A reader compares the count before and after to tell that what it
// read is not the file. Windows itself refuses to cut short a mapped file, but a file
// served by another system, or cut from outside Wine, can still lose its pages.
uint64_t MappedPagesLost();

// True when the last part of `path` is a name Windows gives to a device in every folder:
// CON, PRN, AUX, NUL, COM1 to COM9, LPT1 to LPT9 (CONIN$ and CONOUT$ too), in any case,
// with any extension or trailing spaces ("aux.txt", "C:\logs\Com1 .log"). Opening one
// reads a device, which may never end; the Windows services refuse such names as files.
bool IsReservedDeviceName(std::u16string_view path);

// True when the file exists and can be opened for reading.
bool FileReadable(std::u16string_view path);

// Puts `bytes` in place of the file at `path` in one step: they go to a new file in the
// same folder, which then replaces the old one. When any step fails the old file stays as
// it was and the new one is removed. False on failure.
bool ReplaceFileContents(std::u16string_view path, std::string_view bytes);

}  // namespace vemora
