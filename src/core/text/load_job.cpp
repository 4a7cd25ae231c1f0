// The load in steps. Chunks of the file are handed out in file order, each cut just after a
// line end that no backspace follows, so that decoding, striking over and laying out a
// chunk alone gives what the whole text gives there; they are placed into the text in the
// same order, one after the other, and each placed chunk becomes a step.
#include "core/text/load_job.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <string>
#include <system_error>
#include <utility>

#include "core/pieces.h"
#include "core/platform/code_pages.h"
#include "core/platform/out_of_memory.h"
#include "core/text/byte_search.h"
#include "core/text/decode.h"
#include "core/text/decoded_text.h"
#include "core/text/encoding.h"
#include "core/text/overstrike.h"

namespace vemora {
namespace {

constexpr uint8_t kEsc = 0x1B;
// What a decoder that does not look at its bytes' controls answers: there may be any.
constexpr ControlBytesSeen kUnseen{true, true};

// Units after a cut behind a lone CR that must hold no backspace: the longest character
// (a JIS escape and a pair) and the backspace after it.
constexpr int64_t kStruckAhead = 8;

// Encodings whose decoder carries a state across lines are decoded in file order.
bool DecodesInOrder(TextEncoding encoding) {
  return encoding == kEncodingJis || encoding == kEncodingUtf7;
}

// The JIS escape in effect after the bytes, read as the decoder reads escapes. After a
// line end no escape is half read, so this is all a chunk needs to start with.
std::string JisEscapeAfter(const uint8_t* bytes, int64_t length, std::string escape) {
  int state = 0;  // 1 after ESC, 2 after ESC and an intermediate byte
  uint8_t intermediate = 0;
  for (int64_t i = 0; i < length; ++i) {
    const uint8_t b = bytes[i];
    if (state == 0) {
      if (b == kEsc) state = 1;
    } else if (state == 1) {
      state = b == 0x24 || b == 0x28 ? 2 : 0;
      intermediate = b;
    } else {
      state = 0;
      if (intermediate == 0x24 && (b == 0x42 || b == 0x40))
        escape = "\x1B$B";
      else if (intermediate == 0x28 && b == 0x49)
        escape = "\x1B(I";
      else if (intermediate == 0x28 && (b == 0x42 || b == 0x4A || b == 0x48))
        escape.clear();
    }
  }
  return escape;
}

// The units a decoder appended: DecodedText hands out the place after its end.
char16_t* UnitsOf(DecodedText& text) {
  return text.Extend(0) - text.Length();
}

}  // namespace

struct LoadJob::Chunk {
  int32_t index = 0;
  int64_t from = 0;  // bytes from data_
  int64_t to = 0;
  bool startsLine = true;  // `from` follows an LF (or is the start)
};

LoadJob::LoadJob(FileBytes&& bytes, TextEncoding encoding, const LoadJobOptions& options,
                 const DetectionWatch& watch)
    : bytes_(std::move(bytes)), encoding_(encoding), options_(options), watch_(watch) {
  const int64_t length = std::max<int64_t>(bytes_.length, 0);
  if (encoding == kEncodingUtf16Bom || encoding == kEncodingUtf16BeBom)
    skip_ = std::min<int64_t>(length, 2);
  if (encoding == kEncodingUtf8Bom) skip_ = std::min<int64_t>(length, 3);
  unitBytes_ = IsUtf16(encoding) ? 2 : 1;
  size_ = (length - skip_) / unitBytes_ * unitBytes_;
  end_ = length - skip_;
  // What the first part settled stands for the chunks that no longer look for it.
  if (!watch_.lines) seen_.decided = watch_.decided;
  if (!watch_.units) {
    for (UnitEvidence& units : seen_.units) units.any = units.unpaired = true;
  }
  data_ = bytes_.data() + skip_;
  // One unit per byte is room enough for every decoder here (see DecodedText).
  room_ = size_ / unitBytes_;
  buffer_ = std::make_unique_for_overwrite<char16_t[]>(static_cast<size_t>(room_) + 1);
  buffer_[0] = u'\0';
  options_.firstStepBytes = std::max<int64_t>(options_.firstStepBytes, 1);
  options_.chunkBytes = std::max<int64_t>(options_.chunkBytes, 1);
  if (options_.workers <= 0) options_.workers = CoreCount();
  if (DecodesInOrder(encoding)) options_.workers = 1;
}

LoadJob::~LoadJob() {
  Cancel();
  Join();
}

int64_t LoadJob::CutAfter(int64_t from, int64_t target) const {
  target += target % unitBytes_;
  if (target >= size_) return size_;
  if (unitBytes_ == 2) {
    const bool big = IsBigEndian(encoding_);
    auto unitAt = [&](int64_t q) -> char16_t {
      const uint8_t a = data_[q];
      const uint8_t b = data_[q + 1];
      return static_cast<char16_t>(big ? (a << 8) | b : a | (b << 8));
    };
    for (int64_t q = target; q < size_; q += 2) {
      const char16_t unit = unitAt(q);
      if (unit != u'\n' && unit != u'\r') continue;
      const bool crLf = unit == u'\r' && q + 2 < size_ && unitAt(q + 2) == u'\n';
      const int64_t cut = crLf ? q + 4 : q + 2;
      if (cut >= size_) return size_;
      bool struck = false;
      const int64_t ahead = unit == u'\r' && !crLf ? kStruckAhead : 1;
      for (int64_t i = 0; i < ahead && cut + 2 * i < size_; ++i)
        struck |= unitAt(cut + 2 * i) == u'\b';
      if (!struck) return cut;
    }
    return size_;
  }
  const bool utf8 = IsUtf8(encoding_);
  const uint8_t* const end = data_ + size_;
  for (const uint8_t* p = FindEitherByte(data_ + target, end, '\n', '\r'); p != end;
       p = FindEitherByte(p + 1, end, '\n', '\r')) {
    const int64_t q = p - data_;
    if (utf8 && !Utf8LineEndUsable(data_, from, q)) continue;
    const bool crLf = *p == '\r' && q + 1 < size_ && p[1] == '\n';
    const int64_t cut = crLf ? q + 2 : q + 1;
    if (cut >= size_) return size_;
    // A backspace first in a chunk would strike over the line end before it; after a CR,
    // one behind the chunk's first character could make that character an LF, which the
    // whole text would join to the CR.
    const int64_t ahead = *p == '\r' && !crLf ? std::min(kStruckAhead, size_ - cut) : 1;
    if (!std::memchr(data_ + cut, '\b', static_cast<size_t>(ahead))) return cut;
  }
  return size_;
}

bool LoadJob::TakeChunk(Chunk& chunk) {
  std::unique_lock<std::mutex> lock(handMutex_);
  for (;;) {
    if (cancelled_ || nextByte_ >= size_) return false;
    if (options_.pauseAtByte < 0 || nextByte_ < options_.pauseAtByte) break;
    paused_ = true;
    // Whoever waits for the pause learns of it as of a step.
    if (notify_) {
      lock.unlock();
      notify_();
      lock.lock();
    }
    resumed_.wait(lock, [this] { return cancelled_ || !paused_; });
  }
  chunk.index = nextChunk_++;
  chunk.from = nextByte_;
  chunk.startsLine = nextStartsLine_;
  const int64_t step = chunk.index == 0 ? options_.firstStepBytes : options_.chunkBytes;
  chunk.to = CutAfter(chunk.from, chunk.from + step);
  nextByte_ = chunk.to;
  nextStartsLine_ = data_[chunk.to - 1] == '\n';
  return true;
}

void LoadJob::WatchDetection(const Chunk& chunk, LoadStep& step, bool mayEscape) const {
  EncodingEvidence& evidence = step.evidence;
  evidence = {};
  // The last chunk also holds a last byte that no 16-bit unit reads.
  const int64_t to = chunk.to == size_ ? end_ : chunk.to;
  if (watch_.escapes && mayEscape)
    evidence.escape = HasJisEscapeBetween(data_, chunk.from, to, end_);
  if (watch_.units) GatherUnitEvidence(data_, chunk.from, to, end_, evidence);
  if (!watch_.lines) return;
  // A line that started in an earlier chunk is that chunk's to read.
  int64_t start = chunk.from;
  if (!chunk.startsLine) {
    const void* lf = std::memchr(data_ + start, '\n', static_cast<size_t>(to - start));
    start = lf ? static_cast<const uint8_t*>(lf) - data_ + 1 : to;
  }
  if (start < to) GatherLineEvidence(data_, start, to, end_, evidence);
}

ControlBytesSeen LoadJob::DecodeChunk(const Chunk& chunk, DecodedText& text) {
  const uint8_t* const bytes = data_ + chunk.from;
  const int64_t length = chunk.to - chunk.from;
  if (IsUtf16(encoding_)) {
    char16_t* const units = text.Extend(length / 2);
    std::memcpy(units, bytes, static_cast<size_t>(length));
    if (IsBigEndian(encoding_)) {
      for (int64_t i = 0; i < length / 2; ++i)
        units[i] = static_cast<char16_t>((units[i] >> 8) | (units[i] << 8));
    }
    return kUnseen;
  }
  switch (encoding_) {
    case kEncodingJis: {
      // Started in the mode in effect at the chunk's start, as its escape would set it.
      std::vector<uint8_t> input(jisEscape_.begin(), jisEscape_.end());
      input.insert(input.end(), bytes, bytes + length);
      const std::vector<uint8_t> sjis =
          DecodeJisToShiftJis(input.data(), static_cast<int64_t>(input.size()));
      jisEscape_ = JisEscapeAfter(bytes, length, std::move(jisEscape_));
      DecodeShiftJis(sjis.data(), static_cast<int64_t>(sjis.size()), text);
      return kUnseen;
    }
    case kEncodingEuc: {
      const std::vector<uint8_t> sjis = DecodeEucToShiftJis(bytes, length);
      DecodeShiftJis(sjis.data(), static_cast<int64_t>(sjis.size()), text);
      return kUnseen;
    }
    case kEncodingUtf8:
    case kEncodingUtf8Bom:
      text.Append(kCodePageUtf8, bytes, length);
      // ESC and BS are never part of a longer sequence: one pass over the bytes, still in
      // the cache, spares the two that would look for them.
      return ForEachLineEnd(bytes, bytes + length, [](const uint8_t*) {});
    case kEncodingUtf7:
      text.Append(kCodePageUtf7, bytes, length);
      return kUnseen;
    default:
      // The chunk's own bytes: what they hold spares the passes that look for it.
      return DecodeShiftJis(bytes, length, text);
  }
}

// Decodes the chunk, strikes it over and records its line-end kind; the units are left
// at the start of `text`.
namespace {

int64_t PrepareChunk(DecodedText& text, LoadStep& step, bool mayStrike) {
  char16_t* const units = UnitsOf(text);
  // The kind is that of the text before overstrike, as a load in one go takes it.
  step.lineEndKind = DetectLineEnd(units, text.Length());
  if (!mayStrike) return text.Length();
  Document part;
  part.text = units;
  part.textLength = text.Length();
  ApplyOverstrike(part);
  step.runs.reserve(static_cast<size_t>(part.overstrikeRuns.Size()));
  for (int64_t i = 0; i < part.overstrikeRuns.Size(); ++i)
    step.runs.push_back(part.overstrikeRuns[i]);
  part.text = nullptr;
  return part.textLength;
}

}  // namespace

void LoadJob::Place(const Chunk& chunk, LoadStep&& step, const char16_t* text, int64_t length) {
  // The chunk's place, in file order; the copy is made outside the turn, by each worker
  // for its own chunk, and the steps are handed over in file order once copied.
  std::unique_lock<std::mutex> lock(placeMutex_);
  turn_.wait(lock, [&] { return placedChunks_ == chunk.index || cancelled_; });
  if (cancelled_) return;
  // A page lost to a file cut short reads as zeros, counted on the thread that touches it
  // as it does: each chunk before was read whole, and neither this one's text nor what
  // detection saw in it may count.
  if (MappedPagesLost() != pagesLost_) {
    cutShort_ = true;
    lock.unlock();
    Cancel();
    if (notify_) notify_();
    return;
  }
  // In file order, as the whole file's evidence.
  JoinEvidence(seen_, step.evidence);
  seenBytes_ = chunk.to;
  const int64_t place = placedText_;
  const bool fits = place + length <= room_;
  if (fits) {
    placedText_ += length;
    ++placedChunks_;
  } else {
    roomShort_ = true;
    cancelled_ = true;
  }
  lock.unlock();
  turn_.notify_all();
  if (!fits) {
    if (notify_) notify_();
    return;
  }
  std::copy_n(text, length, buffer_.get() + place);
  for (OverstrikeRun& run : step.runs) run.start += place;
  for (int64_t& start : step.lineStarts) start += place;
  step.textEnd = place + length;
  step.bytesEnd = FileBytesTo(chunk.to);
  lock.lock();
  turn_.wait(lock, [&] { return publishedChunks_ == chunk.index || cancelled_; });
  if (cancelled_) return;
  // The step is handed over before it counts as published: memory running out here leaves
  // no later step to be handed over after a missing one.
  const int64_t textEnd = step.textEnd;
  bool notify = false;
  if (chunk.index > 0) {
    steps_.push_back(std::move(step));
    notify = !notifyPending_;
    notifyPending_ = true;
  }
  ++publishedChunks_;
  placedBytes_ = chunk.to;
  if (chunk.to == size_) buffer_[static_cast<size_t>(textEnd)] = u'\0';
  lock.unlock();
  turn_.notify_all();
  // Outside the turn: unmapping is a system call that the other workers need not wait for.
  bytes_.ReleaseBelow(skip_ + chunk.to);
  if (notify && notify_) notify_();
}

void LoadJob::LoadFirstStep(Document& document) {
  document.encoding = encoding_;
  document.text = buffer_.get();
  document.textLength = 0;
  Chunk chunk;
  if (!TakeChunk(chunk)) {
    document.lineEndKind = kLineEndNone;
    return;
  }
  DecodedText text(chunk.to - chunk.from);
  const ControlBytesSeen seen = DecodeChunk(chunk, text);
  LoadStep step;
  const int64_t length = PrepareChunk(text, step, seen.backspace);
  WatchDetection(chunk, step, seen.escape);
  // The first step stays with the caller: its runs are at their places already.
  document.lineEndKind = step.lineEndKind;
  document.overstrikeRuns.Clear();
  for (OverstrikeRun run : step.runs) document.overstrikeRuns.Append(run);
  Place(chunk, std::move(step), UnitsOf(text), length);
  if (RoomShort() || CutShort()) return;
  document.textLength = placedText_;
  document.sourceBytes = BytesRead();
}

int64_t LoadJob::FileBytesTo(int64_t to) const {
  // The end takes in a last odd byte that a text of 16-bit units leaves unread, as the size
  // a load in one go records does.
  return to >= size_ ? std::max<int64_t>(bytes_.length, 0) : skip_ + to;
}

int64_t LoadJob::BytesRead() const {
  const std::lock_guard<std::mutex> lock(placeMutex_);
  return FileBytesTo(placedBytes_);
}

bool LoadJob::AllRead() const {
  const std::lock_guard<std::mutex> lock(placeMutex_);
  return placedBytes_ >= size_;
}

void LoadJob::Start(const LayoutParameters& parameters, std::shared_ptr<TextMeasure> measure,
                    std::function<void()> notify, int32_t workers) {
  if (started_) return;
  started_ = true;
  ChangeLayout(parameters, std::move(measure));
  notify_ = std::move(notify);
  StartWorkers(workers > 0 ? std::min(workers, options_.workers) : options_.workers);
  // Not one thread could start: the rest is read here, at once.
  if (threads_.empty() && !AllRead() && !cancelled_) RunWorker();
}

void LoadJob::StartWorkers(int32_t workers) {
  if (!started_ || AllRead() || cancelled_) return;
  while (static_cast<int32_t>(threads_.size()) < workers) {
    try {
      threads_.emplace_back([this] { RunWorker(); });
    } catch (const std::system_error&) {
      return;
    }
  }
}

void LoadJob::AddWorkers() {
  StartWorkers(options_.workers);
}

int32_t LoadJob::ChangeLayout(const LayoutParameters& parameters,
                              std::shared_ptr<TextMeasure> measure) {
  const std::lock_guard<std::mutex> lock(layoutMutex_);
  parameters_ = parameters;
  measure_ = std::make_shared<LockedMeasure>(std::move(measure));
  return ++generation_;
}

int32_t LoadJob::Generation() const {
  const std::lock_guard<std::mutex> lock(layoutMutex_);
  return generation_;
}

void LoadJob::RunWorker() {
  // The memory running out stops the load, not the process: the window keeps the steps it
  // joined and says why the rest is missing.
  try {
    const RecoverableAllocations recoverable;
    ReadChunks();
  } catch (const std::bad_alloc&) {
    {
      const std::lock_guard<std::mutex> lock(placeMutex_);
      outOfMemory_ = true;
    }
    Cancel();
    if (notify_) notify_();
  }
}

void LoadJob::ReadChunks() {
  DecodedText text(std::min<int64_t>(options_.chunkBytes, 1 << 20));
  std::unique_ptr<PieceLayout> layout;
  std::shared_ptr<TextMeasure> measure;
  int32_t generation = -1;
  Chunk chunk;
  while (TakeChunk(chunk)) {
    if (chunk.from <= options_.failAtByte && options_.failAtByte < chunk.to) AskBeyondMemory();
    text.Clear(chunk.to - chunk.from);
    const ControlBytesSeen seen = DecodeChunk(chunk, text);
    LoadStep step = SpareStep();
    const int64_t length = PrepareChunk(text, step, seen.backspace);
    WatchDetection(chunk, step, seen.escape);
    {
      const std::lock_guard<std::mutex> lock(layoutMutex_);
      if (generation != generation_) {
        measure = measure_;
        layout = std::make_unique<PieceLayout>(parameters_, *measure);
        generation = generation_;
      }
    }
    step.generation = generation;
    step.lineStarts.reserve(static_cast<size_t>(length / 16 + 16));
    step.lineLogical.reserve(static_cast<size_t>(length / 16 + 16));
    layout->LayOut(UnitsOf(text), length, 0, step.lineStarts, step.lineLogical, step.lineEnds);
    for (size_t b = step.lineStarts.size() / LineBlock::kCapacity + 2; b > 0; --b)
      step.blocks.push_back(std::make_unique<LineBlock>());
    Place(chunk, std::move(step), UnitsOf(text), length);
  }
}

LoadStep LoadJob::SpareStep() {
  const std::lock_guard<std::mutex> lock(placeMutex_);
  if (spare_.empty()) return {};
  LoadStep step = std::move(spare_.back());
  spare_.pop_back();
  return step;
}

void LoadJob::Recycle(LoadStep&& step) {
  step.runs.clear();
  step.lineStarts.clear();
  step.lineLogical.clear();
  step.blocks.clear();
  const std::lock_guard<std::mutex> lock(placeMutex_);
  if (spare_.size() < 8) spare_.push_back(std::move(step));
}

std::vector<LoadStep> LoadJob::TakeSteps() {
  const std::lock_guard<std::mutex> lock(placeMutex_);
  notifyPending_ = false;
  return std::exchange(steps_, {});
}

bool LoadJob::Finished() const {
  const std::lock_guard<std::mutex> lock(placeMutex_);
  return placedBytes_ >= size_ && steps_.empty();
}

TextEncoding LoadJob::Redetected() const {
  const std::lock_guard<std::mutex> lock(placeMutex_);
  if (!Watching()) return kEncodingNone;
  return RedetectEncoding(seen_, seenBytes_ >= size_, encoding_);
}

bool LoadJob::RoomShort() const {
  const std::lock_guard<std::mutex> lock(placeMutex_);
  return roomShort_;
}

bool LoadJob::OutOfMemory() const {
  const std::lock_guard<std::mutex> lock(placeMutex_);
  return outOfMemory_;
}

bool LoadJob::CutShort() const {
  const std::lock_guard<std::mutex> lock(placeMutex_);
  return cutShort_;
}

void LoadJob::Cancel() {
  cancelled_ = true;
  {
    const std::lock_guard<std::mutex> lock(handMutex_);
    paused_ = false;
  }
  resumed_.notify_all();
  { const std::lock_guard<std::mutex> lock(placeMutex_); }
  turn_.notify_all();
}

void LoadJob::Join() {
  for (std::thread& thread : threads_) thread.join();
  threads_.clear();
}

void LoadJob::Resume() {
  {
    const std::lock_guard<std::mutex> lock(handMutex_);
    options_.pauseAtByte = -1;
    paused_ = false;
  }
  resumed_.notify_all();
}

bool LoadJob::WaitsAtPause() const {
  int64_t handed = 0;
  {
    const std::lock_guard<std::mutex> lock(handMutex_);
    if (!paused_) return false;
    handed = nextByte_;
  }
  const std::lock_guard<std::mutex> lock(placeMutex_);
  return placedBytes_ == handed && steps_.empty();
}

void LoadJob::Finish(Document& document) {
  Join();
  document.textBuffer = std::move(buffer_);
  document.text = document.textBuffer.get();
  // The room of one unit per byte that a text of wide characters leaves is the follower's
  // to grow into, without a copy of the text.
  document.textCapacity = room_;
  // A load stopped early keeps what it joined, ended as every text is.
  document.text[document.textLength] = u'\0';
}

void JoinLoadStep(Document& document, LoadStep& step, bool appendLines) {
  // All of the step or nothing: memory running out on the way leaves the document as it
  // was, with the steps before.
  const int64_t runs = document.overstrikeRuns.Size();
  try {
    for (const OverstrikeRun& run : step.runs) document.overstrikeRuns.Append(run);
    if (appendLines)
      AppendDisplayLines(document, step.lineStarts, step.lineLogical, step.lineEnds, step.textEnd,
                         &step.blocks);
  } catch (const std::bad_alloc&) {
    document.overstrikeRuns.TruncateTo(runs);
    throw;
  }
  document.textLength = step.textEnd;
  // A load stopped early leaves a document that stands for only part of the file: a
  // follower must read it again, not append to it.
  document.sourceBytes = step.bytesEnd;
  // Decided by the text's first CR, else by any LF.
  const bool byCr = document.lineEndKind == kLineEndCrLf || document.lineEndKind == kLineEndCr;
  if (!byCr && step.lineEndKind != kLineEndNone &&
      (step.lineEndKind != kLineEndLf || document.lineEndKind == kLineEndNone))
    document.lineEndKind = step.lineEndKind;
}

}  // namespace vemora
