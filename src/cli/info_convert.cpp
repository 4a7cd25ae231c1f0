// vemorainfo --to: the text through the encoder in slices, each written as it is made.
#include "cli/info_convert.h"

#include <memory>
#include <string>

#include "core/text/encode.h"
#include "core/text/utf8.h"

namespace vemora {

bool WriteConvertedPhase(const InfoFile& file, const InfoOptions& options, PhaseTimer& timer) {
  const EncodeTally tally = timer.Run("convert", [&] {
    TextEncoder encoder(options.toEncoding, static_cast<LineEndChoice>(options.eol));
    const std::u16string_view text = file.document.Text();
    constexpr size_t kSlice = 1 << 18;
    // One buffer for every slice, never filled with zeros first.
    const auto buffer = std::make_unique_for_overwrite<char[]>(encoder.Room(kSlice));
    for (size_t start = 0; start < text.size(); start += kSlice) {
      const char* end = encoder.Encode(text.substr(start, kSlice), buffer.get());
      WriteOutput({buffer.get(), static_cast<size_t>(end - buffer.get())});
    }
    const char* end = encoder.Finish(buffer.get());
    WriteOutput({buffer.get(), static_cast<size_t>(end - buffer.get())});
    return encoder.Tally();
  });
  if (tally.unconvertible == 0) return true;
  const int64_t line = LineNumberAt(file.document.Text(), tally.firstUnconvertible);
  const bool one = tally.unconvertible == 1;
  WriteError(Utf16ToUtf8(file.path) + ": " + std::to_string(tally.unconvertible) +
             (one ? " character" : " characters") + " could not be converted and " +
             (one ? "was" : "were") + " written as \"?\" (the first on line " +
             std::to_string(line) + ")");
  return false;
}

}  // namespace vemora
