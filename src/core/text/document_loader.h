// Filling the current document: from a file by path, again from the same file with
// another encoding request, from standard input, or from clipboard text.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "core/platform/document_io.h"
#include "core/settings/settings_model.h"
#include "core/text/document.h"

namespace vemora {

// What the window supplies to a load.
class LoadHost {
 public:
  virtual ~LoadHost() = default;
  // Brings the window in line with the new current document (which may be null).
  // keepFileType 1 keeps the current file-type entry; 0 lets the refresh choose it.
  virtual void RefreshAfterLoad(int32_t startLine, int32_t keepFileType) = 0;
  // Puts the path first in the file history; called only while HistNum is above 0.
  virtual void UpdateFileHistory(std::u16string_view path) = 0;
  // The owner of any window the system shows while resolving a shortcut.
  virtual void* OwnerWindow() { return nullptr; }
};

// Resolves a shortcut, normalises `path` in place, replaces the current document by the
// file's decoded text (no document when the file cannot be opened, an empty one of source
// kind -1 after a short read), updates the history and refreshes. `request` is a
// TextEncoding request: -1, -3, -4 or -5 detect, any other value is taken as it is.
void LoadDocument(std::unique_ptr<Document>& current, std::u16string& path, int32_t startLine,
                  int32_t request, int32_t keepFileType, const AppOptions& options, LoadHost& host,
                  DocumentIo& io = SystemDocumentIo());

// Loads the current file again at the line shown, keeping the file type. Does nothing
// unless the current document came from a file. `LineType` is the current file type's:
// with 1 the top line is carried over as a logical line.
void ReloadDocument(std::unique_ptr<Document>& current, int32_t request, int32_t LineType,
                    const AppOptions& options, LoadHost& host, DocumentIo& io = SystemDocumentIo());

// Replaces the current document by the text piped to standard input, decoded from the
// OEM code page; no document when nothing arrives.
void ReadStandardInput(std::unique_ptr<Document>& current, int32_t startLine, LoadHost& host,
                       DocumentIo& io = SystemDocumentIo());

// A document of the clipboard's text up to its first NUL. The caller refreshes.
void SetClipboardDocument(std::unique_ptr<Document>& current, std::u16string_view text);

// Reads and decodes a file without the window's bookkeeping: null when it cannot be
// opened. Used by LoadDocument and by tools that report on files.
std::unique_ptr<Document> ReadDocumentFile(std::u16string_view path, int32_t request,
                                           DocumentIo& io = SystemDocumentIo());

}  // namespace vemora
