// The filter phases of vemorainfo, on the viewer's own filter.
#include "cli/info_filter.h"

#include <string>
#include <vector>

#include "core/search/kept_lines.h"
#include "core/text/utf8.h"

namespace vemora {
namespace {

// The kept lines as "NUMBER:TEXT\n", gathered into one buffer that is written whenever it
// fills, so that a large result costs few writes.
void WriteKeptLines(const Document& document, const KeptLines& kept, const std::string& prefix) {
  constexpr size_t kFlushAt = 1 << 18;
  std::vector<char> buffer;
  buffer.reserve(kFlushAt * 2);
  const auto& lines = kept.lines;
  for (int64_t k = 0; k < lines.Size(); ++k) {
    const KeptLine& line = lines[k];
    const std::string number = prefix + std::to_string(line.number + 1) + ":";
    const size_t at = buffer.size();
    buffer.resize(at + number.size() + static_cast<size_t>(line.end - line.start) * 3 + 1);
    char* out = std::copy(number.begin(), number.end(), buffer.data() + at);
    out = EncodeUtf8(document.text + line.start, document.text + line.end, out);
    *out++ = '\n';
    buffer.resize(static_cast<size_t>(out - buffer.data()));
    if (buffer.size() >= kFlushAt) {
      WriteOutput(std::string_view(buffer.data(), buffer.size()));
      buffer.clear();
    }
  }
  WriteOutput(std::string_view(buffer.data(), buffer.size()));
}

}  // namespace

bool FilterPhases(InfoFile& file, const InfoOptions& options, PhaseTimer& timer, bool& keptAny) {
  OverstrikePhase(file, timer);
  const Document& document = file.document;
  const std::string prefix = options.paths.size() > 1 ? Utf16ToUtf8(file.path) + ":" : "";
  FilterRequest request;
  request.text = options.filterText;
  request.Caps = options.caps ? 1 : 0;
  request.Regx = options.regex ? 1 : 0;
  request.Invert = options.invert ? 1 : 0;
  KeptLines kept;
  std::u16string errorText;
  const bool accepted = timer.Run(
      "filter", [&] { return CollectKeptLines(document.Text(), 0, 0, request, kept, errorText); });
  if (!accepted) {
    WriteError("regular expression: " + Utf16ToUtf8(errorText));
    return false;
  }
  keptAny |= !kept.lines.Empty();
  timer.Run("write", [&] {
    if (options.count)
      WriteOutput(prefix + std::to_string(kept.lines.Size()) + "\n");
    else
      WriteKeptLines(document, kept, prefix);
  });
  if (kept.failedLines > 0) {
    // The lines stand, but some may be missing: the script must not take them as complete.
    WriteError((prefix.empty() ? "" : prefix + " ") + "search could not be completed on " +
               std::to_string(kept.failedLines) + (kept.failedLines == 1 ? " line" : " lines"));
    return false;
  }
  return true;
}

}  // namespace vemora
