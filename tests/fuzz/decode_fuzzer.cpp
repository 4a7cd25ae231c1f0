// Fuzzing a file's way in: detection under every encoding request, decoding to UTF-16,
// the line-end kind and backspace overstrike, on the bytes of the input; and the way out,
// the decoded text written in every encoding. The request and
// a decoding capacity come from the input's last bytes, so raw files work as seeds.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "core/platform/code_pages.h"
#include "core/text/decode.h"
#include "core/text/decode_pieces.h"
#include "core/text/encode.h"
#include "core/text/encoding.h"
#include "core/text/overstrike.h"
#include "fuzz_support.h"

namespace vemora {
namespace {

bool IsOneOf(TextEncoding value, std::initializer_list<TextEncoding> allowed) {
  return std::find(allowed.begin(), allowed.end(), value) != allowed.end();
}

void CheckDetection(TextEncoding answer, int32_t request, const std::vector<uint8_t>& bytes) {
  switch (request) {
    case kRequestDetect:
      // Never UTF-7; UTF-16 without a mark only for bytes that hold a NUL.
      FUZZ_CHECK(IsOneOf(answer, {0, 1, 2, 3, 4, 5, 6, 7, 8}));
      if (answer == kEncodingUtf16 || answer == kEncodingUtf16Be)
        FUZZ_CHECK(std::find(bytes.begin(), bytes.end(), 0) != bytes.end());
      break;
    case kRequestUtf16:
      FUZZ_CHECK(IsOneOf(answer, {3, 5}));
      break;
    case kRequestUtf16Be:
      FUZZ_CHECK(IsOneOf(answer, {4, 6}));
      break;
    case kRequestUtf8:
      FUZZ_CHECK(IsOneOf(answer, {7, 8}));
      break;
    default:
      FUZZ_CHECK(answer == request);
      break;
  }
}

int32_t NaiveLineEnd(std::u16string_view text) {
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == u'\r') return i + 1 < text.size() && text[i + 1] == u'\n' ? 0 : 2;
  }
  return text.find(u'\n') == std::u16string_view::npos ? -1 : 1;
}

void CheckDecodedText(const Document& document, TextEncoding encoding, int32_t length) {
  FUZZ_CHECK(document.textLength >= 0);
  FUZZ_CHECK(document.textLength == 0 || document.text != nullptr);
  const std::u16string_view text = document.Text();
  switch (encoding) {
    case kEncodingUtf16Bom:
    case kEncodingUtf16BeBom:
      FUZZ_CHECK(document.textLength == (length - std::min(length, 2)) / 2);
      break;
    case kEncodingUtf16:
    case kEncodingUtf16Be:
      FUZZ_CHECK(document.textLength == length / 2);
      break;
    case kEncodingUtf7:
      // UTF-7 carries UTF-16 units in base64, unpaired surrogates included.
      FUZZ_CHECK(document.textLength <= length);
      break;
    default:
      // Code-page and UTF-8 decoding make whole characters only; one unit per byte at most.
      FUZZ_CHECK(document.textLength <= length);
      FUZZ_CHECK(fuzz::FindUnpairedSurrogate(text) == std::u16string_view::npos);
      break;
  }
  FUZZ_CHECK(DetectLineEnd(document.text, document.textLength) == NaiveLineEnd(text));
}

void CheckOverstrike(Document& document) {
  const std::u16string before(document.Text());
  ApplyOverstrike(document);
  const std::u16string_view after = document.Text();
  FUZZ_CHECK(after.size() <= before.size());
  if (before.find(u'\b') == std::u16string::npos) {
    FUZZ_CHECK(after == before);
    FUZZ_CHECK(document.overstrikeRuns.Empty());
    return;
  }
  // Runs are in text order; a character both bold and underlined ("A", BS, "A", BS, "_")
  // is in two runs, so runs may share units, but the painter needs starts and ends rising.
  int64_t start = 0;
  int64_t end = 0;
  for (int32_t i = 0; i < document.overstrikeRuns.Size(); ++i) {
    const OverstrikeRun& run = document.overstrikeRuns[i];
    FUZZ_CHECK(run.start >= start && run.start + run.length >= end && run.length > 0);
    FUZZ_CHECK(run.start + run.length <= document.textLength);
    FUZZ_CHECK(run.attributes == kUnderlineAttribute || run.attributes == kBoldAttribute);
    start = run.start;
    end = run.start + run.length;
  }
}

// A buffer too small for the whole decoding is reported as such, never as a shorter text.
void CheckShortCapacity(uint32_t codePage, const uint8_t* bytes, int32_t length, int32_t capacity) {
  if (length <= 0) return;
  std::vector<char16_t> whole(static_cast<size_t>(length));
  const int32_t units = DecodeCodePage(codePage, bytes, length, whole.data(), length);
  FUZZ_CHECK(units >= 0 && units <= length);
  capacity = std::clamp(capacity, 1, length);
  std::vector<char16_t> part(static_cast<size_t>(capacity));
  const int32_t kept = DecodeCodePage(codePage, bytes, length, part.data(), capacity);
  if (capacity < units) {
    FUZZ_CHECK(kept == kDecodeRoomShort);
    return;
  }
  FUZZ_CHECK(kept == units);
  FUZZ_CHECK(std::equal(part.begin(), part.begin() + kept, whole.begin()));
}

// The text written in every encoding: given in two pieces cut anywhere it makes the whole
// text's bytes and tally, and what is written reads back as a text that gives the same
// bytes again ("?" where a character was counted). An ESC cannot be written in
// ISO-2022-JP without starting an escape sequence.
void CheckEncoding(std::u16string_view text, uint16_t choice) {
  const auto lineEnds = static_cast<LineEndChoice>(choice % 4);
  for (TextEncoding target = 0; target <= 9; ++target) {
    EncodeTally whole;
    const std::string bytes = EncodeText(text, target, lineEnds, &whole);
    FUZZ_CHECK(whole.unconvertible <= static_cast<int64_t>(text.size()));
    TextEncoder encoder(target, lineEnds);
    std::string pieces;
    const size_t cut = choice % (text.size() + 1);
    encoder.Encode(text.substr(0, cut), pieces);
    encoder.Encode(text.substr(cut), pieces);
    encoder.Finish(pieces);
    FUZZ_CHECK(pieces == bytes);
    FUZZ_CHECK(encoder.Tally().unconvertible == whole.unconvertible);
    FUZZ_CHECK(encoder.Tally().firstUnconvertible == whole.firstUnconvertible);
    if (target == kEncodingJis && text.find(u'\x1B') != std::u16string_view::npos) continue;
    Document again;
    FileBytes file = FileBytes::Allocate(static_cast<int32_t>(bytes.size()));
    if (!bytes.empty()) std::memcpy(file.data(), bytes.data(), bytes.size());
    DecodeDocumentTextOnOneThread(again, std::move(file), target);
    FUZZ_CHECK(EncodeText(again.Text(), target, lineEnds) == bytes);
  }
}

}  // namespace
}  // namespace vemora

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace vemora;
  FuzzedDataProvider provider(data, size);
  const auto request = provider.ConsumeIntegralInRange<int32_t>(-6, 10);
  const auto capacity = provider.ConsumeIntegral<uint16_t>();
  const std::vector<uint8_t> bytes = provider.ConsumeRemainingBytes<uint8_t>();
  const auto length = static_cast<int32_t>(bytes.size());

  // Detection reads the caller's buffer only: an exact-size one shows any overrun.
  const TextEncoding encoding = DetectEncoding(bytes.data(), length, request);
  CheckDetection(encoding, request, bytes);

  const std::vector<uint8_t> fromJis = DecodeJisToShiftJis(bytes.data(), length);
  const std::vector<uint8_t> fromEuc = DecodeEucToShiftJis(bytes.data(), length);
  // A broken EUC byte becomes the two bytes of a middle dot.
  FUZZ_CHECK(fromJis.size() <= bytes.size() && fromEuc.size() <= 2 * bytes.size());

  static constexpr uint32_t kCodePages[] = {kCodePageOem, kCodePageUtf8, kCodePageUtf7};
  CheckShortCapacity(kCodePages[capacity % 3], bytes.data(), length, capacity >> 2);

  Document document;
  FileBytes file = FileBytes::Allocate(length);
  if (length > 0) std::memcpy(file.data(), bytes.data(), bytes.size());
  DecodeDocumentText(document, std::move(file), encoding);
  CheckDecodedText(document, encoding, length);
  CheckEncoding(document.Text(), capacity);
  CheckOverstrike(document);
  return 0;
}
