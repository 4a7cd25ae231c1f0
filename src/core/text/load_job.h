// A file loaded in steps: the first step on the caller's thread, so that its first page can
// be shown at once, the rest decoded, struck over and laid out on worker threads into one
// text buffer that never moves, each step handed over to be joined to the document.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "core/layout/layout.h"
#include "core/platform/files.h"
#include "core/platform/text_measure.h"
#include "core/text/byte_search.h"
#include "core/text/document.h"
#include "core/text/encoding.h"

namespace vemora {

// What the workers made of one chunk of the file: its text lies in the buffer before
// `textEnd`, the units before the chunk's being those of the steps before it.
struct LoadStep {
  int64_t textEnd = 0;              // the text's length once the step is joined
  int64_t bytesEnd = 0;             // the file's bytes read so far (after the last, all)
  std::vector<OverstrikeRun> runs;  // at positions in the whole text
  // The step's display lines (positions in the whole text) and the line ends before each,
  // counted from the step's start; laid out under layout `generation`.
  std::vector<int64_t> lineStarts;
  std::vector<int32_t> lineLogical;
  int32_t lineEnds = 0;
  // Empty blocks for the line table, enough for the step's lines: made by the worker, so
  // that the window's thread joins the lines without allocating.
  std::vector<std::unique_ptr<LineBlock>> blocks;
  int32_t generation = 0;
  int32_t lineEndKind = kLineEndNone;  // of the step's text alone
  EncodingEvidence evidence;           // what the step's bytes say of the encoding
};

struct LoadJobOptions {
  int64_t firstStepBytes = 1 << 20;  // the first step: about this many bytes, to a line end
  int64_t chunkBytes = 1 << 20;      // each further step
  int32_t workers = 0;               // 0: one per core
  // Tests: the workers take no chunk from this byte on until Resume (-1: never wait).
  int64_t pauseAtByte = -1;
  // Tests: the worker that takes the chunk holding this byte asks for more memory than
  // there is (-1: never).
  int64_t failAtByte = -1;
};

// What the rest of a file read in steps may still change of the encoding that detection
// answered from its first part (the whole-file rule stays the one that counts).
struct DetectionWatch {
  bool escapes = false;       // a JIS escape anywhere makes it JIS
  bool lines = false;         // no line of the first part decided: the first later one that does
  TextEncoding decided = -1;  // without `lines`: the first part's deciding line
  bool units = false;         // the first part leaves UTF-16 without a mark open: NULs and units
};

// What a file read again in the encoding its steps redetected watches: JIS is final,
// anything else may still change with what follows.
DetectionWatch WatchReadingAgainAs(TextEncoding encoding);

// Detection from the first part of a large file: the bytes up to the first LF at or after
// `partBytes`, the answer final when a mark or an escape gave it. `watch` says what the
// steps must look for.
TextEncoding DetectFromFirstPart(const uint8_t* bytes, int64_t length, int64_t partBytes,
                                 DetectionWatch& watch);

// A load request for an encoding that detection answered only after the first part:
// kRequestDetectedLater - encoding. The document still counts as detected (request -1),
// and unless it is JIS the steps still look for an escape.
inline constexpr int32_t kRequestDetectedLater = -100;

class LoadJob {
 public:
  // Takes the file's bytes, to be read as `encoding`.
  LoadJob(FileBytes&& bytes, TextEncoding encoding, const LoadJobOptions& options,
          const DetectionWatch& watch = {});
  ~LoadJob();  // cancels and joins
  LoadJob(const LoadJob&) = delete;
  LoadJob& operator=(const LoadJob&) = delete;

  // Reads the first step into the document, on the calling thread: its text (in the job's
  // buffer, which the document takes over with Finish), overstrike runs, encoding,
  // line-end kind and the file's bytes it stands for; the caller lays it out.
  void LoadFirstStep(Document& document);
  // Whether the first step took the whole file.
  bool AllRead() const;

  // Starts the workers on the rest. `notify` is called from a worker when a step is ready
  // and none was waiting since the last TakeSteps (and once more when the workers end);
  // `measure` is called by one worker at a time. `workers` above 0 starts only that many
  // for now (AddWorkers starts the rest).
  void Start(const LayoutParameters& parameters, std::shared_ptr<TextMeasure> measure,
             std::function<void()> notify, int32_t workers = 0);
  void AddWorkers();
  // Steps laid out from now on use these; returns their generation.
  int32_t ChangeLayout(const LayoutParameters& parameters, std::shared_ptr<TextMeasure> measure);
  int32_t Generation() const;

  // The steps ready, in order.
  std::vector<LoadStep> TakeSteps();
  // A step joined: its lists go back to the workers, whose next steps fill them again
  // instead of touching fresh memory.
  void Recycle(LoadStep&& step);
  // Every step has been taken (or the first took everything): nothing more will come.
  bool Finished() const;
  // A code page gave more units than the buffer holds: the load must be made in one go.
  bool RoomShort() const;
  // A worker ran out of memory: the load has stopped, and no step is to come.
  bool OutOfMemory() const;
  // Pages of the file went missing while it was read (another program cut it short): the
  // load has stopped before the first step that may hold their zeros. The steps handed
  // over before it are the file's.
  bool CutShort() const;
  // The encoding the whole-file rule answers, as soon as the steps showed that it is not
  // the one being read; kEncodingNone while it is.
  TextEncoding Redetected() const;
  int64_t FileSize() const { return skip_ + size_; }
  // The file's bytes read into steps so far.
  int64_t BytesRead() const;

  // Stops the workers after their current chunk; Join waits for them.
  void Cancel();
  void Join();
  // Tests: the workers go on past pauseAtByte.
  void Resume();
  // Tests: every chunk before the pause has been taken as a step, and the workers wait.
  bool WaitsAtPause() const;

  // After the last step, or after Cancel: the document owns the buffer, NUL-terminated
  // after the steps joined.
  void Finish(Document& document);

 private:
  struct Chunk;
  class Worker;
  void StartWorkers(int32_t workers);
  bool TakeChunk(Chunk& chunk);
  LoadStep SpareStep();
  int64_t CutAfter(int64_t from, int64_t target) const;
  ControlBytesSeen DecodeChunk(const Chunk& chunk, class DecodedText& text);
  void RunWorker();
  void ReadChunks();
  void Place(const Chunk& chunk, LoadStep&& step, const char16_t* text, int64_t length);
  void WatchDetection(const Chunk& chunk, LoadStep& step, bool mayEscape) const;
  int64_t FileBytesTo(int64_t to) const;
  bool Watching() const { return watch_.escapes || watch_.lines || watch_.units; }

  FileBytes bytes_;
  TextEncoding encoding_;
  LoadJobOptions options_;
  const uint8_t* data_ = nullptr;  // after a byte-order mark
  int64_t skip_ = 0;
  int64_t size_ = 0;  // bytes from data_, a whole number of units
  int64_t end_ = 0;   // bytes from data_, all of them: detection reads an odd last byte too
  int64_t unitBytes_ = 1;
  std::unique_ptr<char16_t[]> buffer_;
  int64_t room_ = 0;

  // Chunks are handed out in file order and placed in the same order.
  mutable std::mutex handMutex_;
  int64_t nextByte_ = 0;
  int32_t nextChunk_ = 0;
  std::condition_variable resumed_;
  bool paused_ = false;
  std::string jisEscape_;  // JIS, on its one worker: the escape in effect at nextByte_
  bool nextStartsLine_ = true;
  DetectionWatch watch_;
  EncodingEvidence seen_;  // of the chunks placed so far
  int64_t seenBytes_ = 0;

  mutable std::mutex placeMutex_;
  std::condition_variable turn_;
  int32_t placedChunks_ = 0;     // chunks given their place
  int32_t publishedChunks_ = 0;  // chunks copied there and handed over
  int64_t placedText_ = 0;
  int64_t placedBytes_ = 0;  // the end of the chunks handed over
  std::vector<LoadStep> steps_;
  std::vector<LoadStep> spare_;  // joined steps' lists, emptied
  bool notifyPending_ = false;
  bool roomShort_ = false;
  bool outOfMemory_ = false;
  bool cutShort_ = false;
  // Pages of mapped files found lost before the job began, counted by the file layer.
  const uint64_t pagesLost_ = MappedPagesLost();

  mutable std::mutex layoutMutex_;
  LayoutParameters parameters_;
  std::shared_ptr<TextMeasure> measure_;  // a locked wrapper around the caller's
  int32_t generation_ = 0;

  std::function<void()> notify_;
  std::atomic<bool> cancelled_{false};
  std::vector<std::thread> threads_;
  bool started_ = false;
};

// Joins a step to the loading document: its text length, the file's bytes it stands for,
// overstrike runs, line-end kind and, when `appendLines` (the step was laid out as the
// document is), its display lines.
// Otherwise the caller lays out the text after the step's start again (ExtendLayout).
void JoinLoadStep(Document& document, LoadStep& step, bool appendLines);

}  // namespace vemora
