// Detection for a file read in steps: the answer from its first part, and what the steps
// must still watch for the whole file to answer as a read in one go would.
#include <algorithm>
#include <cstring>

#include "core/text/encoding.h"
#include "core/text/load_job.h"

namespace vemora {

TextEncoding DetectFromFirstPart(const uint8_t* bytes, int64_t length, int64_t partBytes,
                                 DetectionWatch& watch) {
  watch = {};
  // Cut after an LF, so that the rule for a last line without one applies only at the end.
  const int64_t from = std::min(std::max<int64_t>(partBytes, 4), length);
  const void* lf = std::memchr(bytes + from, '\n', static_cast<size_t>(length - from));
  const int64_t part = lf ? static_cast<const uint8_t*>(lf) - bytes + 1 : length;
  const TextEncoding answer = DetectEncoding(bytes, part, kRequestDetect);
  if (part == length || answer == kEncodingJis || answer == kEncodingUtf16Bom ||
      answer == kEncodingUtf16BeBom || answer == kEncodingUtf8Bom)
    return answer;
  EncodingEvidence first;
  GatherLineEvidence(bytes, 0, part, part, first);
  GatherUnitEvidence(bytes, 0, part, part, first);
  watch.escapes = true;
  watch.lines = first.decided == kEncodingNone;
  watch.decided = first.decided;
  watch.units = !RulesOutUtf16(first);
  return answer;
}

DetectionWatch WatchReadingAgainAs(TextEncoding encoding) {
  if (encoding == kEncodingJis) return {};
  return {true, true, kEncodingNone, true};
}

}  // namespace vemora
