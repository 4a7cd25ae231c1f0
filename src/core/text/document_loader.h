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

class LoadJob;
struct LoadJobOptions;

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
  // How a large file is loaded in steps; null loads every file in one go.
  virtual const LoadJobOptions* StepOptions() { return nullptr; }
  // Called before RefreshAfterLoad when the new document holds only the first step: the
  // job reads the rest once the host starts it.
  virtual void LoadGoesOn(std::shared_ptr<LoadJob> /*job*/) {}
};

// Shown when a load answers kCutShort.
inline constexpr char16_t kFileCutShortMessage[] =
    u"読み込み中にファイルが短くなったため、読み込めませんでした。";

// How a load ended.
enum class LoadOutcome {
  kDone,         // the current document was replaced (by none when the file did not open)
  kCutShort,     // another program cut the file short while it was read: nothing changed
  kOutOfMemory,  // the file did not fit in memory: nothing changed
  kNothing,      // a reload with no file to read again
};

// Resolves a shortcut, normalises `path` in place, replaces the current document by the
// file's decoded text (no document when the file cannot be opened, an empty one of source
// kind -1 after a short read), updates the history and refreshes. `request` is a
// TextEncoding request: -1, -3, -4 or -5 detect, any other value is taken as it is.
// A mapped file that loses its pages while it is read leaves the document, the history
// and the window as they were, and the load answers kCutShort; so does a file too large
// for the memory, answering kOutOfMemory.
LoadOutcome LoadDocument(std::unique_ptr<Document>& current, std::u16string& path,
                         int32_t startLine, int32_t request, int32_t keepFileType,
                         const AppOptions& options, LoadHost& host,
                         DocumentIo& io = SystemDocumentIo());

// Loads the current file again at the line shown, keeping the file type. Does nothing
// unless the current document came from a file. `LineType` is the current file type's:
// with 1 the top line is carried over as a logical line. `startLine`, when not -1, is the
// line to open at instead (for a view whose own lines are not the file's).
LoadOutcome ReloadDocument(std::unique_ptr<Document>& current, int32_t request, int32_t LineType,
                           const AppOptions& options, LoadHost& host,
                           DocumentIo& io = SystemDocumentIo(), int32_t startLine = -1);

// Replaces the current document by the text piped to standard input, decoded from the
// OEM code page; no document when nothing arrives or more than LargestStandardInput
// would. False when the text did not fit in memory (no document then either).
bool ReadStandardInput(std::unique_ptr<Document>& current, int32_t startLine, LoadHost& host,
                       DocumentIo& io = SystemDocumentIo());

// A document of the clipboard's text up to its first NUL. The caller refreshes. False
// when the copy did not fit in memory (no document then).
bool SetClipboardDocument(std::unique_ptr<Document>& current, std::u16string_view text);

// Reads and decodes a file without the window's bookkeeping: null when it cannot be
// opened or was cut short while it was read (then `cutShort`, when given, is set). Used
// by LoadDocument and by tools that report on files.
std::unique_ptr<Document> ReadDocumentFile(std::u16string_view path, int32_t request,
                                           DocumentIo& io = SystemDocumentIo(),
                                           bool* cutShort = nullptr);

// The same, but a file of more than twice the first step's bytes is read only to its
// first step, and `job` is given the rest to read (see load_job.h).
std::unique_ptr<Document> ReadDocumentFileInSteps(std::u16string_view path, int32_t request,
                                                  DocumentIo& io, bool* cutShort,
                                                  const LoadJobOptions& options,
                                                  std::shared_ptr<LoadJob>& job);

}  // namespace vemora
