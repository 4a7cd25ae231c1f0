// The load, reload and standard-input steps over the system's DocumentIo.
#include "core/text/document_loader.h"

#include <algorithm>
#include <new>
#include <string>

#include "core/layout/layout.h"
#include "core/platform/files.h"
#include "core/platform/out_of_memory.h"
#include "core/text/decode.h"
#include "core/text/decode_pieces.h"
#include "core/text/encoding.h"
#include "core/text/load_job.h"

namespace vemora {
namespace {

constexpr int32_t kStandardInputPiece = 1024;

// Gives the document its own copy of the text, NUL-terminated like every decoded text.
void SetText(Document& document, std::u16string_view text) {
  document.textLength = static_cast<int64_t>(text.size());
  document.textBuffer = std::make_unique_for_overwrite<char16_t[]>(text.size() + 1);
  std::copy(text.begin(), text.end(), document.textBuffer.get());
  document.textBuffer[text.size()] = 0;
  document.text = document.textBuffer.get();
}

bool RequestAsksForDetection(int32_t request) {
  return request == -1 || request == -3 || request == -4 || request == -5;
}

// The document of what standard input delivers; null when nothing or too much arrives.
std::unique_ptr<Document> ReadStandardInputDocument(DocumentIo& io) {
  std::unique_ptr<Document> current;
  std::string bytes;
  uint8_t piece[kStandardInputPiece];
  int32_t received = io.ReadStandardInputPiece(piece, kStandardInputPiece);
  const bool arrived = received > 0;
  bool tooLarge = false;
  if (arrived) {
    // A pipe may deliver nothing once without having ended; the second empty read ends it.
    int32_t emptyReads = 0;
    while (emptyReads < 2) {
      if (received > 0) {
        if (static_cast<int64_t>(bytes.size()) + received > io.LargestStandardInput()) {
          tooLarge = true;
          std::string().swap(bytes);
          break;
        }
        bytes.append(reinterpret_cast<const char*>(piece), static_cast<size_t>(received));
      } else {
        ++emptyReads;
      }
      if (emptyReads < 2) received = io.ReadStandardInputPiece(piece, kStandardInputPiece);
    }
  }
  if (arrived && !tooLarge) {
    auto document = std::make_unique<Document>();
    document->name = kUntitledName;
    // Piped text is read as Shift_JIS, the same on every system, like a file in it.
    DecodeShiftJisInto(*document, reinterpret_cast<const uint8_t*>(bytes.data()),
                       static_cast<int64_t>(bytes.size()));
    document->sourceKind = kSourceStandardInput;
    current = std::move(document);
  }
  return current;
}

}  // namespace

namespace {

std::unique_ptr<Document> ReadFile(std::u16string_view path, int32_t request, DocumentIo& io,
                                   bool* cutShort, const LoadJobOptions* options,
                                   std::shared_ptr<LoadJob>* job) {
  if (cutShort) *cutShort = false;
  // Pages of a mapped file that another program cut short read as zeros and are counted;
  // the bytes read are then not the file's.
  const uint64_t pagesLost = MappedPagesLost();
  FileBytes bytes;
  const FileReadStatus status = io.ReadWholeFile(path, bytes);
  if (status == FileReadStatus::kCannotOpen) return nullptr;
  auto document = std::make_unique<Document>();
  document->name = std::u16string(path);
  if (status == FileReadStatus::kShortRead) return document;  // empty, source kind -1
  const bool inSteps = options && bytes.length > 2 * options->firstStepBytes;
  TextEncoding encoding = request;
  DetectionWatch watch;
  if (request <= kRequestDetectedLater) {
    encoding = kRequestDetectedLater - request;
    watch = WatchReadingAgainAs(encoding);
    request = kRequestDetect;
  } else if (request == kRequestDetect && inSteps) {
    // The first page need not wait for a scan of the whole file: the steps watch the rest.
    encoding = DetectFromFirstPart(bytes.data(), bytes.length, options->firstStepBytes, watch);
  } else if (RequestAsksForDetection(request)) {
    encoding = DetectEncoding(bytes.data(), bytes.length, request);
  }
  document->encoding = encoding;
  document->encodingRequest = request;
  document->sourceBytes = bytes.length;
  std::shared_ptr<LoadJob> steps;
  if (inSteps) {
    steps = std::make_shared<LoadJob>(std::move(bytes), encoding, *options, watch);
    steps->LoadFirstStep(*document);
    if (steps->RoomShort()) {
      // A code page gave more than one unit per byte after all: read in one go.
      steps.reset();
      return ReadFile(path, request, io, cutShort, nullptr, nullptr);
    }
    if (steps->AllRead()) {
      // All in one step after all: whatever detection found, as a load in one go.
      if (steps->Redetected() != kEncodingNone)
        return ReadFile(path, kRequestDetect, io, cutShort, nullptr, nullptr);
      steps->Finish(*document);
      steps.reset();
    }
  } else {
    DecodeDocumentText(*document, std::move(bytes), encoding);
    document->lineEndKind = DetectLineEnd(document->text, document->textLength);
  }
  if (MappedPagesLost() != pagesLost) {
    if (cutShort) *cutShort = true;
    return nullptr;
  }
  document->sourceKind = kSourceFile;
  if (job) *job = std::move(steps);
  return document;
}

}  // namespace

std::unique_ptr<Document> ReadDocumentFile(std::u16string_view path, int32_t request,
                                           DocumentIo& io, bool* cutShort) {
  return ReadFile(path, request, io, cutShort, nullptr, nullptr);
}

std::unique_ptr<Document> ReadDocumentFileInSteps(std::u16string_view path, int32_t request,
                                                  DocumentIo& io, bool* cutShort,
                                                  const LoadJobOptions& options,
                                                  std::shared_ptr<LoadJob>& job) {
  return ReadFile(path, request, io, cutShort, &options, &job);
}

LoadOutcome LoadDocument(std::unique_ptr<Document>& current, std::u16string& path,
                         int32_t startLine, int32_t request, int32_t keepFileType,
                         const AppOptions& options, LoadHost& host, DocumentIo& io) {
  io.ResolveShortcut(path, host.OwnerWindow());
  io.NormalizePath(path);
  // The document shown stays until the new one is complete, so that a file cut short
  // while it is read can leave it in place.
  bool cutShort = false;
  std::shared_ptr<LoadJob> job;
  std::unique_ptr<Document> loaded;
  try {
    const RecoverableAllocations recoverable;
    loaded = ReadFile(path, request, io, &cutShort, host.StepOptions(), &job);
  } catch (const std::bad_alloc&) {
    return LoadOutcome::kOutOfMemory;
  }
  if (cutShort) return LoadOutcome::kCutShort;
  current = std::move(loaded);
  if (current && options.HistNum > 0) host.UpdateFileHistory(path);
  if (job) host.LoadGoesOn(std::move(job));
  host.RefreshAfterLoad(startLine, keepFileType);
  return LoadOutcome::kDone;
}

LoadOutcome ReloadDocument(std::unique_ptr<Document>& current, int32_t request, int32_t LineType,
                           const AppOptions& options, LoadHost& host, DocumentIo& io,
                           int32_t startLine) {
  if (!current || current->sourceKind != kSourceFile) return LoadOutcome::kNothing;
  std::u16string path = current->name;
  if (startLine < 0) {
    startLine = current->TopLine;
    if (LineType == 1) startLine = LogicalLineOf(*current, startLine);
  }
  return LoadDocument(current, path, startLine, request, 1, options, host, io);
}

bool ReadStandardInput(std::unique_ptr<Document>& current, int32_t startLine, LoadHost& host,
                       DocumentIo& io) {
  current.reset();
  bool fitted = true;
  try {
    const RecoverableAllocations recoverable;
    current = ReadStandardInputDocument(io);
  } catch (const std::bad_alloc&) {
    fitted = false;
  }
  host.RefreshAfterLoad(startLine, 0);
  return fitted;
}

bool SetClipboardDocument(std::unique_ptr<Document>& current, std::u16string_view text) {
  current.reset();
  text = text.substr(0, std::min(text.find(u'\0'), text.size()));
  try {
    const RecoverableAllocations recoverable;
    auto document = std::make_unique<Document>();
    document->name = kUntitledName;
    SetText(*document, text);
    document->sourceKind = kSourceClipboard;
    current = std::move(document);
  } catch (const std::bad_alloc&) {
    return false;
  }
  return true;
}

}  // namespace vemora
