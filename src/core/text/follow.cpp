// Extending a followed document by the bytes appended to its file.
#include "core/text/follow.h"

#include <algorithm>
#include <cstring>

#include "core/platform/files.h"
#include "core/text/decode.h"
#include "core/text/decode_pieces.h"
#include "core/text/encoding.h"

namespace vemora {
namespace {

constexpr size_t kHeadBytes = 4096;
constexpr int64_t kBackwardChunk = 64 * 1024;
constexpr int32_t kMinimumSlack = 64 * 1024;

class OpenedFile {
 public:
  explicit OpenedFile(std::u16string_view path) : file_(OpenFile(path, "rb")) {}
  ~OpenedFile() {
    if (file_) std::fclose(file_);
  }
  OpenedFile(const OpenedFile&) = delete;
  OpenedFile& operator=(const OpenedFile&) = delete;

  explicit operator bool() const { return file_ != nullptr; }
  int64_t Size() { return FileSize(file_); }

  // The bytes from `offset`, `length` of them; false when fewer arrive.
  bool Read(int64_t offset, int64_t length, std::string& bytes) {
    bytes.resize(static_cast<size_t>(length));
    if (length == 0) return true;
    if (!SeekFile(file_, offset)) return false;
    return std::fread(bytes.data(), 1, bytes.size(), file_) == bytes.size();
  }

 private:
  std::FILE* file_;
};

// Line ends as the encoding writes them: bytes, or 16-bit units in either byte order.
enum class UnitForm { kByte, kLittleEndian, kBigEndian };

UnitForm UnitFormOf(TextEncoding encoding) {
  switch (encoding) {
    case kEncodingUtf16Bom:
    case kEncodingUtf16:
      return UnitForm::kLittleEndian;
    case kEncodingUtf16BeBom:
    case kEncodingUtf16Be:
      return UnitForm::kBigEndian;
    default:
      return UnitForm::kByte;
  }
}

bool IsLineEndUnit(char32_t unit) {
  return unit == u'\r' || unit == u'\n';
}

// The offset just after the last line end among the bytes, or -1 without one. A CR in the
// file's very last unit does not count (`atFileEnd`). `bytes` starts at a unit boundary.
int64_t AfterLastLineEnd(std::string_view bytes, UnitForm form, bool atFileEnd) {
  const int64_t width = form == UnitForm::kByte ? 1 : 2;
  const int64_t units = static_cast<int64_t>(bytes.size()) / width;
  for (int64_t u = units - 1; u >= 0; --u) {
    const auto* b = reinterpret_cast<const uint8_t*>(bytes.data()) + u * width;
    const char32_t unit = form == UnitForm::kByte           ? b[0]
                          : form == UnitForm::kLittleEndian ? (b[0] | (b[1] << 8))
                                                            : ((b[0] << 8) | b[1]);
    if (!IsLineEndUnit(unit)) continue;
    if (unit == u'\r' && atFileEnd && u == units - 1) continue;
    return (u + 1) * width;
  }
  return -1;
}

// Follows the escape sequences that switch ISO-2022-JP between its character sets, so that
// decoding may start in the middle of a file in the set that is in effect there.
class JisModeTracker {
 public:
  explicit JisModeTracker(std::string escape) : escape_(std::move(escape)) {}

  void Feed(std::string_view bytes) {
    for (const char c : bytes) {
      if (c == '\x1B') {
        pending_.assign(1, c);
      } else if (!pending_.empty()) {
        pending_ += c;
        if (pending_.size() == 3) Finish();
      }
    }
  }
  const std::string& Escape() const { return escape_; }

 private:
  void Finish() {
    if (pending_ == "\x1B$B" || pending_ == "\x1B$@" || pending_ == "\x1B(I")
      escape_ = pending_;
    else if (pending_ == "\x1B(B" || pending_ == "\x1B(J" || pending_ == "\x1B(H")
      escape_.clear();
    pending_.clear();
  }

  std::string escape_;
  std::string pending_;
};

// Gives the text room for `units` units (and its NUL), writable from `from` on, without
// moving it when it has the room and no find on another thread reads there.
void ReserveText(Document& document, int64_t units, int64_t from) {
  if (document.textCapacity >= units && TextWritableFrom(document, from)) return;
  const int64_t capacity = units + std::max<int64_t>(units / 4, kMinimumSlack);
  auto buffer = std::make_unique_for_overwrite<char16_t[]>(static_cast<size_t>(capacity) + 1);
  std::copy_n(document.text ? document.text : u"", document.textLength, buffer.get());
  buffer[static_cast<size_t>(document.textLength)] = u'\0';
  document.textBuffer = std::move(buffer);
  document.text = document.textBuffer.get();
  document.textCapacity = capacity;
  document.textSharedEnd = 0;
}

// The bytes from the start of a line on, decoded as the whole file would decode them there:
// without the byte-order mark of a mark-carrying encoding unless they are the file's start.
std::u16string DecodeFrom(std::string_view bytes, TextEncoding encoding, bool fileStart) {
  if (!fileStart) {
    if (encoding == kEncodingUtf16Bom) encoding = kEncodingUtf16;
    if (encoding == kEncodingUtf16BeBom) encoding = kEncodingUtf16Be;
    if (encoding == kEncodingUtf8Bom) encoding = kEncodingUtf8;
  }
  FileBytes input = FileBytes::Allocate(static_cast<int64_t>(bytes.size()));
  std::memcpy(input.data(), bytes.data(), bytes.size());
  Document decoded;
  DecodeDocumentText(decoded, std::move(input), encoding);
  return std::u16string(decoded.Text());
}

// The line-end kind once `added` has arrived at `from`: the first CR decides, with or
// without the LF after it (which may arrive only now); without a CR, any LF.
void UpdateLineEndKind(Document& document, FollowState& state, int64_t from,
                       std::u16string_view added) {
  if (state.firstCr < 0) {
    const size_t cr = added.find(u'\r');
    if (cr != std::u16string_view::npos) state.firstCr = from + static_cast<int64_t>(cr);
  }
  if (state.firstCr >= 0) {
    const bool lf =
        state.firstCr + 1 < document.textLength && document.text[state.firstCr + 1] == u'\n';
    document.lineEndKind = lf ? kLineEndCrLf : kLineEndCr;
  } else if (added.find(u'\n') != std::u16string_view::npos) {
    document.lineEndKind = kLineEndLf;
  }
}

bool OverstrikeReaches(const Document& document, int64_t position) {
  const auto& runs = document.overstrikeRuns;
  return !runs.Empty() && runs[runs.Size() - 1].start + runs[runs.Size() - 1].length > position;
}

// Where the last incomplete line starts: just after the last CR or LF, a CR that ends the
// text not counting (an LF may yet join it). 0 when there is none.
int64_t LastLineStart(std::u16string_view text) {
  for (size_t i = text.size(); i > 0; --i) {
    const char16_t unit = text[i - 1];
    if (!IsLineEndUnit(unit)) continue;
    if (unit == u'\r' && i == text.size()) continue;
    return static_cast<int64_t>(i);
  }
  return 0;
}

bool IsAscii(std::u16string_view text) {
  return std::all_of(text.begin(), text.end(), [](char16_t unit) { return unit < 0x80; });
}

// Adds what the ASCII text's units [from, to) say of UTF-16 without a mark, one byte each
// at its offset in the file: its NULs and the CR or LF units they make (ASCII makes no
// surrogate). The text before `to` ends in a line end, so no NUL stands there.
void NoteAsciiUnits(EncodingEvidence& evidence, std::u16string_view text, int64_t from,
                    int64_t to) {
  for (int64_t i = from; i < to; ++i) {
    if (text[i] != 0) continue;
    UnitEvidence& units = evidence.units[i % 2 ? 0 : 1];
    (i % 2 ? evidence.nulAtOdd : evidence.nulAtEven) = true;
    if (IsLineEndUnit(text[i % 2 ? i - 1 : i + 1])) units.lineEnd = true;
  }
  for (UnitEvidence& units : evidence.units) units.any = to >= 2;
}

// Encodings that detection answers from a deciding line, the only kind of answer that
// bytes yet to come can change; a byte-order mark or a kanji escape stays where it is.
bool AnsweredByLineScores(TextEncoding encoding) {
  return encoding == kEncodingShiftJis || encoding == kEncodingEuc || encoding == kEncodingUtf8;
}

// What detection over the whole file answers, from `bytes` (the file from `tailByte` on)
// and the evidence of the bytes in front. Those are complete lines of ASCII: such lines
// never decide, and they hold no mark or kanji escape, or the answer would not have been
// a line score. A line end put in front keeps a mark at the start of `bytes` from counting
// as the file's; one or two of them keep each byte at an offset of the parity it has in
// the file, and the 16-bit unit across the tail's start what it is there (its first byte
// is a line end).
TextEncoding DetectOverFile(const std::string& bytes, int64_t tailByte,
                            const EncodingEvidence& ascii) {
  if (tailByte == 0)
    return DetectEncoding(reinterpret_cast<const uint8_t*>(bytes.data()),
                          static_cast<int64_t>(bytes.size()), -1);
  const std::string lines = (tailByte % 2 ? "\n" : "\n\n") + bytes;
  EncodingEvidence evidence = ascii;
  JoinEvidence(evidence, GatherEvidence(reinterpret_cast<const uint8_t*>(lines.data()),
                                        static_cast<int64_t>(lines.size())));
  return ConcludeEncoding(evidence);
}

}  // namespace

FollowResult StartFollowing(Document& document, FollowState& state) {
  if (document.sourceKind != kSourceFile) return FollowResult::kUnchanged;
  OpenedFile file(document.name);
  if (!file) return FollowResult::kUnchanged;
  const int64_t size = file.Size();
  if (size < 0 || size != document.sourceBytes) return FollowResult::kReload;
  state = FollowState{};
  state.path = document.name;
  state.encoding = document.encoding;
  state.knownSize = size;
  if (!file.Read(0, std::min<int64_t>(size, kHeadBytes), state.head)) return FollowResult::kReload;

  // The last line end, looked for backwards in chunks that keep 16-bit units whole.
  const UnitForm form = UnitFormOf(document.encoding);
  std::string chunk;
  const int64_t wholeUnits = size - (form == UnitForm::kByte ? 0 : size % 2);
  for (int64_t end = wholeUnits; end > 0;) {
    const int64_t start = std::max<int64_t>(end - kBackwardChunk, 0);
    if (!file.Read(start, end - start, chunk)) return FollowResult::kReload;
    const int64_t after = AfterLastLineEnd(chunk, form, end == wholeUnits);
    if (after >= 0) {
      state.tailByte = start + after;
      break;
    }
    end = start;
  }
  if (document.encoding == kEncodingJis) {
    JisModeTracker tracker("");
    for (int64_t at = 0; at < state.tailByte; at += kBackwardChunk) {
      if (!file.Read(at, std::min(kBackwardChunk, state.tailByte - at), chunk))
        return FollowResult::kReload;
      tracker.Feed(chunk);
    }
    state.jisEscape = tracker.Escape();
  }
  state.tailText = LastLineStart(document.Text());
  state.detectAgain = document.encodingRequest == -1 && AnsweredByLineScores(document.encoding) &&
                      IsAscii(document.Text().substr(0, static_cast<size_t>(state.tailText)));
  if (state.detectAgain) NoteAsciiUnits(state.asciiEvidence, document.Text(), 0, state.tailText);
  const size_t cr = document.Text().find(u'\r');
  state.firstCr = cr == std::u16string_view::npos ? -1 : static_cast<int64_t>(cr);
  ReserveText(document, document.textLength + kMinimumSlack, document.textLength);
  return FollowResult::kUnchanged;
}

FollowResult PollFollowedFile(Document& document, FollowState& state,
                              const LayoutParameters& parameters, TextMeasure& measure) {
  OpenedFile file(state.path);
  if (!file) return FollowResult::kUnchanged;
  const int64_t size = file.Size();
  if (size < 0) return FollowResult::kUnchanged;
  if (size < state.knownSize) return FollowResult::kReload;
  std::string head;
  if (!file.Read(0, std::min<int64_t>(size, kHeadBytes), head)) return FollowResult::kUnchanged;
  if (head.compare(0, state.head.size(), state.head) != 0) return FollowResult::kReload;
  state.head = std::move(head);
  if (size == state.knownSize) return FollowResult::kUnchanged;

  std::string bytes;
  if (!file.Read(state.tailByte, size - state.tailByte, bytes)) return FollowResult::kUnchanged;
  if (state.detectAgain &&
      DetectOverFile(bytes, state.tailByte, state.asciiEvidence) != state.encoding)
    return FollowResult::kReload;
  const std::u16string added =
      DecodeFrom(state.jisEscape + bytes, state.encoding, state.tailByte == 0);
  // Overstrike rewrites the text as a whole; a whole load keeps that right.
  if (added.find(u'\b') != std::u16string::npos || OverstrikeReaches(document, state.tailText))
    return FollowResult::kReload;
  const int64_t length = state.tailText + static_cast<int64_t>(added.size());

  // The last line read again mostly decodes as before: only what differs is written, so
  // that a find still reading the text before its end rarely makes it move.
  const auto before = static_cast<size_t>(std::min(document.textLength, length) - state.tailText);
  const size_t same = static_cast<size_t>(
      std::mismatch(added.begin(), added.begin() + static_cast<std::ptrdiff_t>(before),
                    document.text + state.tailText)
          .first -
      added.begin());
  ReserveText(document, length, state.tailText + static_cast<int64_t>(same));
  std::copy(added.begin() + static_cast<std::ptrdiff_t>(same), added.end(),
            document.text + state.tailText + same);
  document.text[length] = u'\0';
  document.textLength = length;
  document.sourceBytes = size;
  const int64_t changedFrom = state.tailText;
  UpdateLineEndKind(document, state, changedFrom, added);

  const int64_t after = AfterLastLineEnd(bytes, UnitFormOf(state.encoding), true);
  if (after > 0) {
    if (state.encoding == kEncodingJis) {
      JisModeTracker tracker(state.jisEscape);
      tracker.Feed(std::string_view(bytes).substr(0, static_cast<size_t>(after)));
      state.jisEscape = tracker.Escape();
    }
    state.tailByte += after;
    state.tailText = changedFrom + LastLineStart(added);
    if (!IsAscii(document.Text().substr(static_cast<size_t>(changedFrom),
                                        static_cast<size_t>(state.tailText - changedFrom))))
      state.detectAgain = false;
    else if (state.detectAgain)
      NoteAsciiUnits(state.asciiEvidence, document.Text(), changedFrom, state.tailText);
  }
  state.changedFrom = changedFrom;
  state.knownSize = size;
  ExtendLayout(document, changedFrom, parameters, measure);
  return FollowResult::kExtended;
}

void SearchGrownText(Document& document, int64_t from,
                     const std::function<void(Document& part)>& search) {
  auto& hits = document.hits;
  // A hit that reaches the re-read line may have matched only because the text ended there
  // (an expression ending in $, say): it goes, and the search starts again at it. Hits are
  // in text order and do not overlap.
  int64_t kept = hits.Size();
  int64_t resume = from;
  while (kept > 0 && hits[kept - 1].start + hits[kept - 1].length >= from)
    resume = std::min(resume, hits[--kept].start);
  hits.TruncateTo(kept);
  // The search steps past each hit it finds, so none starts inside a kept one.
  if (kept > 0) resume = std::max(resume, hits[kept - 1].start + hits[kept - 1].length);
  Document part;
  if (resume < document.textLength) {
    part.text = document.text + resume;
    part.textLength = document.textLength - resume;
    search(part);
  }
  for (int64_t i = 0; i < part.hits.Size(); ++i)
    hits.Append(SearchHit{part.hits[i].start + resume, part.hits[i].length});
  document.hitPatternLength =
      hits.Empty() ? 0 : std::max(document.hitPatternLength, part.hitPatternLength);
}

}  // namespace vemora
