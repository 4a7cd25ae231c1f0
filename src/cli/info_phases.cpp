// The phases of vemorainfo: reading, detecting, decoding, overstrike, output.
#include "cli/info_phases.h"

#include <cstdio>
#include <cstring>
#include <vector>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

#include "core/platform/document_io.h"
#include "core/text/decode.h"
#include "core/text/decode_pieces.h"
#include "core/text/encoding.h"
#include "core/text/overstrike.h"
#include "core/text/utf8.h"

namespace vemora {
void PhaseTimer::Write(std::string_view phase, std::chrono::steady_clock::duration elapsed) const {
  if (!enabled_) return;
  const double milliseconds = std::chrono::duration<double, std::milli>(elapsed).count();
  std::fprintf(stderr, "%.*s %.1f\n", static_cast<int>(phase.size()), phase.data(), milliseconds);
}

namespace {

// Standard input to its end, as the bytes of one file: binary, so that line ends reach
// the detection as they were sent. Held in pieces until its size is known. On failure
// returns false with a one-line reason.
bool ReadStandardInputBytes(FileBytes& bytes, std::string& error) {
#ifdef _WIN32
  _setmode(_fileno(stdin), _O_BINARY);
#endif
  constexpr size_t kPiece = 1 << 20;
  std::vector<std::vector<uint8_t>> pieces;
  int64_t total = 0;
  for (;;) {
    std::vector<uint8_t> piece(kPiece);
    const size_t received = std::fread(piece.data(), 1, piece.size(), stdin);
    if (received == 0) break;
    total += static_cast<int64_t>(received);
    piece.resize(received);
    pieces.push_back(std::move(piece));
  }
  if (std::ferror(stdin)) {
    error = "-: cannot read";
    return false;
  }
  bytes = FileBytes::Allocate(total);
  size_t at = 0;
  for (std::vector<uint8_t>& piece : pieces) {
    std::memcpy(bytes.data() + at, piece.data(), piece.size());
    at += piece.size();
    std::vector<uint8_t>().swap(piece);
  }
  return true;
}

}  // namespace

bool ReadPhase(InfoFile& file, PhaseTimer& timer, std::string& error) {
  return timer.Run("read", [&] {
    if (file.path == kStandardInputName) return ReadStandardInputBytes(file.bytes, error);
    const std::string name = Utf16ToUtf8(file.path);
    const FileReadStatus status = ReadFileBytes(file.path, file.bytes);
    const bool ok = status == FileReadStatus::kComplete;
    if (status == FileReadStatus::kCannotOpen) {
      error = name + ": cannot open";
    } else if (!ok) {
      error = name + ": cannot read";
    }
    return ok;
  });
}

void DetectPhase(InfoFile& file, int32_t request, PhaseTimer& timer) {
  timer.Run("detect", [&] {
    file.document.encoding = DetectEncoding(file.bytes.data(), file.bytes.length, request);
  });
}

void DecodePhase(InfoFile& file, PhaseTimer& timer) {
  timer.Run("decode", [&] {
    DecodeDocumentText(file.document, std::move(file.bytes), file.document.encoding);
    file.document.sourceKind = kSourceFile;
    file.document.name = file.path;
  });
}

void LineEndPhase(InfoFile& file, PhaseTimer& timer) {
  timer.Run("lineend", [&] {
    file.document.lineEndKind = DetectLineEnd(file.document.text, file.document.textLength);
  });
}

void OverstrikePhase(InfoFile& file, PhaseTimer& timer) {
  timer.Run("overstrike", [&] { ApplyOverstrike(file.document); });
}

void WriteSummaryPhase(const InfoFile& file, PhaseTimer& timer) {
  timer.Run("write", [&] {
    const std::u16string_view lineEnd = LineEndName(file.document.lineEndKind);
    std::u16string line = file.path;
    line += u'\t';
    line += EncodingStatusName(file.document.encoding);
    line += u'\t';
    line += lineEnd.empty() ? u"-" : lineEnd;
    line += u'\n';
    WriteUtf16AsUtf8(line);
  });
}

void WriteTextPhase(const InfoFile& file, PhaseTimer& timer) {
  timer.Run("write", [&] { WriteUtf16AsUtf8(file.document.Text()); });
}

void PrepareStandardOutput() {
#ifdef _WIN32
  _setmode(_fileno(stdout), _O_BINARY);
#endif
}

void WriteOutput(std::string_view bytes) {
  std::fwrite(bytes.data(), 1, bytes.size(), stdout);
}

void WriteUtf16AsUtf8(std::u16string_view text) {
  // In slices, so that a large text never needs its whole UTF-8 form in memory.
  constexpr size_t kSlice = 1 << 18;
  std::vector<char> buffer(kSlice * 3 + 4);
  size_t start = 0;
  while (start < text.size()) {
    size_t stop = std::min(text.size(), start + kSlice);
    if (stop < text.size() && text[stop - 1] >= 0xD800 && text[stop - 1] <= 0xDBFF) --stop;
    char* end = EncodeUtf8(text.data() + start, text.data() + stop, buffer.data());
    WriteOutput(std::string_view(buffer.data(), static_cast<size_t>(end - buffer.data())));
    start = stop;
  }
}

void WriteError(std::string_view line) {
  std::fprintf(stderr, "vemorainfo: %.*s\n", static_cast<int>(line.size()), line.data());
}

}  // namespace vemora
