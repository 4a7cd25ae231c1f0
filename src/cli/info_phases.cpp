// The phases of vemorainfo: reading, detecting, decoding, overstrike, output.
#include "cli/info_phases.h"

#include <cstdio>
#include <limits>
#include <vector>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

#include "core/platform/files.h"
#include "core/text/decode.h"
#include "core/text/encoding.h"
#include "core/text/overstrike.h"
#include "core/text/utf8.h"

namespace vemora {
namespace {

int64_t FileSize(std::FILE* file) {
#ifdef _WIN32
  if (_fseeki64(file, 0, SEEK_END) != 0) return -1;
  const int64_t size = _ftelli64(file);
  if (_fseeki64(file, 0, SEEK_SET) != 0) return -1;
#else
  if (fseeko(file, 0, SEEK_END) != 0) return -1;
  const int64_t size = ftello(file);
  if (fseeko(file, 0, SEEK_SET) != 0) return -1;
#endif
  return size;
}

// Encodes UTF-16 as UTF-8 into `out` (room for 3 bytes per unit); a lone surrogate
// becomes U+FFFD. Returns the end of the output.
char* EncodeUtf8(const char16_t* p, const char16_t* end, char* out) {
  while (p < end) {
    while (end - p >= 4 && ((p[0] | p[1] | p[2] | p[3]) < 0x80)) {
      for (int k = 0; k < 4; ++k) *out++ = static_cast<char>(p[k]);
      p += 4;
    }
    if (p == end) break;
    uint32_t c = *p++;
    if (c < 0x80) {
      *out++ = static_cast<char>(c);
      continue;
    }
    if (c < 0x800) {
      *out++ = static_cast<char>(0xC0 | (c >> 6));
      *out++ = static_cast<char>(0x80 | (c & 0x3F));
      continue;
    }
    if (c >= 0xD800 && c <= 0xDFFF) {
      if (c <= 0xDBFF && p < end && *p >= 0xDC00 && *p <= 0xDFFF) {
        c = 0x10000 + ((c - 0xD800) << 10) + (*p++ - 0xDC00);
        *out++ = static_cast<char>(0xF0 | (c >> 18));
        *out++ = static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        *out++ = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        *out++ = static_cast<char>(0x80 | (c & 0x3F));
        continue;
      }
      c = 0xFFFD;
    }
    *out++ = static_cast<char>(0xE0 | (c >> 12));
    *out++ = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    *out++ = static_cast<char>(0x80 | (c & 0x3F));
  }
  return out;
}

}  // namespace

void PhaseTimer::Write(std::string_view phase, std::chrono::steady_clock::duration elapsed) const {
  if (!enabled_) return;
  const double milliseconds = std::chrono::duration<double, std::milli>(elapsed).count();
  std::fprintf(stderr, "%.*s %.1f\n", static_cast<int>(phase.size()), phase.data(), milliseconds);
}

bool ReadPhase(InfoFile& file, PhaseTimer& timer, std::string& error) {
  return timer.Run("read", [&] {
    const std::string name = Utf16ToUtf8(file.path);
    std::FILE* stream = OpenFile(file.path, "rb");
    if (!stream) {
      error = name + ": cannot open";
      return false;
    }
    const int64_t size = FileSize(stream);
    bool ok = false;
    if (size < 0) {
      error = name + ": cannot read";
    } else if (size > std::numeric_limits<int32_t>::max()) {
      error = name + ": too large (" + std::to_string(size) + " bytes; at most " +
              std::to_string(std::numeric_limits<int32_t>::max()) + ")";
    } else {
      file.bytes = FileBytes::Allocate(static_cast<int32_t>(size));
      ok = std::fread(file.bytes.data(), 1, static_cast<size_t>(size), stream) ==
           static_cast<size_t>(size);
      if (!ok) error = name + ": cannot read";
    }
    std::fclose(stream);
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

void WriteOutput(std::string_view bytes) { std::fwrite(bytes.data(), 1, bytes.size(), stdout); }

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
