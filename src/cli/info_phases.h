// vemorainfo's work on one file, as named phases. Each phase runs under PhaseTimer, which
// writes "<phase> <milliseconds>" to standard error when timing was asked for.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

#include "cli/info_options.h"
#include "core/text/document.h"

namespace vemora {

class PhaseTimer {
 public:
  explicit PhaseTimer(bool enabled) : enabled_(enabled) {}

  template <typename Work>
  decltype(auto) Run(std::string_view phase, Work&& work) {
    const auto start = std::chrono::steady_clock::now();
    struct Report {
      const PhaseTimer& timer;
      std::string_view phase;
      std::chrono::steady_clock::time_point start;
      ~Report() { timer.Write(phase, std::chrono::steady_clock::now() - start); }
    } report{*this, phase, start};
    return std::forward<Work>(work)();
  }

 private:
  void Write(std::string_view phase, std::chrono::steady_clock::duration elapsed) const;
  bool enabled_;
};

// One file on its way through the phases.
struct InfoFile {
  std::u16string path;
  FileBytes bytes;
  Document document;
};

// The file name that stands for standard input, read to its end like a file.
inline constexpr char16_t kStandardInputName[] = u"-";

// Reads the whole file (or standard input) into file.bytes. On failure returns false with
// a one-line reason.
bool ReadPhase(InfoFile& file, PhaseTimer& timer, std::string& error);
void DetectPhase(InfoFile& file, int32_t request, PhaseTimer& timer);
void DecodePhase(InfoFile& file, PhaseTimer& timer);
void LineEndPhase(InfoFile& file, PhaseTimer& timer);
void OverstrikePhase(InfoFile& file, PhaseTimer& timer);

// Output: "path<TAB>encoding<TAB>line end" or the text as UTF-8, on standard output.
void WriteSummaryPhase(const InfoFile& file, PhaseTimer& timer);
void WriteTextPhase(const InfoFile& file, PhaseTimer& timer);

// Standard output in binary mode (no CR-LF translation on Windows); UTF-8 writing.
void PrepareStandardOutput();
void WriteOutput(std::string_view bytes);
void WriteUtf16AsUtf8(std::u16string_view text);
void WriteError(std::string_view line);  // a line on standard error

}  // namespace vemora
