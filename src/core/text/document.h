// The one text the viewer shows: its name and origin, the decoded UTF-16 text and
// everything derived from it (display lines, overstrike runs, search hits, selection).
#pragma once

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <utility>

#include "core/block_list.h"
#include "core/layout/line_table.h"

namespace vemora {

// Signed encoding number: 0 Shift_JIS, 1 JIS, 2 EUC-JP, 3/4 UTF-16 LE/BE with a
// byte-order mark, 5/6 without, 7/8 UTF-8 with/without, 9 UTF-7, -1 none.
using TextEncoding = int32_t;

enum SourceKind : int32_t {
  kSourceNone = -1,
  kSourceFile = 0,
  kSourceClipboard = 1,
  kSourceStandardInput = 2,
};

// Line-end kinds as shown in the status bar.
enum LineEndKind : int32_t {
  kLineEndNone = -1,
  kLineEndCrLf = 0,
  kLineEndLf = 1,
  kLineEndCr = 2,
};

inline constexpr uint32_t kUnderlineAttribute = 0x40000000;
inline constexpr uint32_t kBoldAttribute = 0x20000000;

// Positions in the text are offsets in UTF-16 units from the text start.
struct OverstrikeRun {
  int64_t start = 0;
  int64_t length = 0;
  uint32_t attributes = 0;  // kUnderlineAttribute and/or kBoldAttribute
};

struct SearchHit {
  int64_t start = 0;
  int64_t length = 0;
};

// The hits of a search in text order.
using HitList = BlockList<SearchHit, 49>;

// A whole file mapped read-only into memory, released when this goes.
class MappedFile {
 public:
  virtual ~MappedFile() = default;
  virtual const uint8_t* Data() const = 0;
  // The bytes before `end` are read no more: their pages may leave the process, so that a
  // file decoded from front to back never holds its bytes and its whole text at once.
  // Reading them afterwards is not allowed. Threads may call at once: a call that finds
  // another one under way returns at once and leaves its part to a later call; a lower
  // `end` than before does nothing.
  virtual void ReleaseBelow(int64_t /*end*/) {}
};

// A file's bytes as read: either an allocation aligned for UTF-16, so that a UTF-16 file
// can become the document's text in place, or a large file's own pages mapped into memory,
// which the decoders read without any copy being made first.
struct FileBytes {
  std::unique_ptr<char16_t[]> storage;
  std::unique_ptr<MappedFile> mapped;
  int64_t length = 0;

  static FileBytes Allocate(int64_t length) {
    FileBytes bytes;
    bytes.storage = std::make_unique_for_overwrite<char16_t[]>(static_cast<size_t>(length) / 2 + 1);
    bytes.length = length;
    return bytes;
  }
  static FileBytes Map(std::unique_ptr<MappedFile> view, int64_t length) {
    FileBytes bytes;
    bytes.mapped = std::move(view);
    bytes.length = length;
    return bytes;
  }
  // See MappedFile::ReleaseBelow; an allocation is kept whole until it goes.
  void ReleaseBelow(int64_t end) {
    if (mapped) mapped->ReleaseBelow(end);
  }
  // Writable only for an allocation; the pages of a mapped file are read-only.
  uint8_t* data() { return const_cast<uint8_t*>(std::as_const(*this).data()); }
  const uint8_t* data() const {
    return mapped ? mapped->Data() : reinterpret_cast<const uint8_t*>(storage.get());
  }
  // The bytes in an allocation of their own, for a text to take over: the allocation
  // itself, or a copy of the mapped pages.
  std::unique_ptr<char16_t[]> TakeStorage() {
    if (mapped) {
      auto copy = std::make_unique_for_overwrite<char16_t[]>(static_cast<size_t>(length) / 2 + 1);
      // A megabyte at a time, each released once copied: never the file twice in memory.
      constexpr int64_t kStep = 1 << 20;
      for (int64_t at = 0; at < length; at += kStep) {
        const int64_t count = std::min(kStep, length - at);
        std::memcpy(reinterpret_cast<uint8_t*>(copy.get()) + at, mapped->Data() + at,
                    static_cast<size_t>(count));
        mapped->ReleaseBelow(at + count);
      }
      mapped.reset();
      return copy;
    }
    return std::move(storage);
  }
};

inline constexpr int64_t kNoPosition = -1;
inline constexpr char16_t kUntitledName[] = u"(無題)";

// What a filtered view keeps beside its own text: the whole document and the file's line
// number of each line it shows (core/search/filtered_view.h).
struct FilterSource;
struct FilterSourceDeleter {
  void operator()(FilterSource* source) const;
};

// Drops the spans (overstrike runs or hits, in text order) from position `end` on and
// shortens the one that reaches over it.
template <typename Spans>
void CutSpansAt(Spans& spans, int64_t end) {
  const int64_t kept = spans.PartitionPoint([end](const auto& span) { return span.start < end; });
  spans.TruncateTo(kept);
  if (kept > 0)
    spans[kept - 1].length = std::min(spans[kept - 1].length, end - spans[kept - 1].start);
}

struct Document {
  std::u16string name;  // normalised full path, or "(無題)"
  int32_t sourceKind = kSourceNone;
  TextEncoding encoding = -1;
  int32_t lineEndKind = kLineEndNone;
  // The request the text was read with: -1 when the encoding was detected, anything else
  // when the user chose it. A reload repeats it.
  int32_t encodingRequest = -1;

  // Owns the text. A search on another thread shares it rather than copying the text, so
  // the text is written in place only where no such search reads (TextWritableFrom).
  std::shared_ptr<char16_t[]> textBuffer;
  char16_t* text = nullptr;  // first unit: textBuffer, or one unit in
  int64_t textLength = 0;
  // While textBuffer is shared, a search may read the units of the text before this.
  int64_t textSharedEnd = 0;
  // Units the buffer holds from `text` on, not counting the terminating NUL; 0 when only
  // the text itself fits. A followed file's text keeps room to grow into.
  int64_t textCapacity = 0;
  // The bytes of the file the text stands for: the file's size, fewer while a load in
  // steps goes on or after it stopped early; -1 without a file.
  int64_t sourceBytes = -1;

  int32_t displayLineCount = 0;
  LineTable lineTable;
  BlockList<OverstrikeRun, 49> overstrikeRuns;

  int32_t TopLine = 0;
  int32_t LeftColumn = 0;
  int32_t scrollScale = 1;

  int32_t hitPatternLength = 0;  // above 0 exactly while hits exist
  HitList hits;
  // The last find applied to this text, also one that found nothing: a followed file's
  // appended text is searched with it, so a word awaited in a log is found when it comes.
  struct StoredFind {
    std::u16string pattern;  // empty while no find was applied
    int32_t Caps = 0;
    int32_t Regx = 0;
  } storedFind;

  // Set only in a filtered view, whose text is some of the lines of `filter->whole`.
  std::unique_ptr<FilterSource, FilterSourceDeleter> filter;

  int32_t MouseSelecting = 0;
  int64_t SelectionAnchor = kNoPosition;
  int64_t SelectionEnd = kNoPosition;

  std::u16string_view Text() const {
    return std::u16string_view(text ? text : u"", static_cast<size_t>(textLength));
  }
};

// Whether the document's text may be written in place from unit `from` on: no search on
// another thread reads there. A text that only grows is written behind what they read,
// and a buffer that nobody else holds any more is the document's alone again.
inline bool TextWritableFrom(const Document& document, int64_t from) {
  if (from >= document.textSharedEnd || document.textBuffer.use_count() <= 1) {
    // A search that let go of the buffer read it before it let go.
    std::atomic_thread_fence(std::memory_order_acquire);
    return true;
  }
  return false;
}

}  // namespace vemora
