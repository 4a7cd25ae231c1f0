// Detection and decoding speed on about 50 MB of generated Japanese text in each encoding,
// and detection of a pure-ASCII buffer, which is scanned to its end.
#include <benchmark/benchmark.h>
#include <iconv.h>

#include <cstring>
#include <map>
#include <string>

#include "core/text/decode.h"
#include "core/text/decode_pieces.h"
#include "core/text/encoding.h"

namespace vemora {
namespace {

constexpr size_t kTargetUnits = 27'000'000;  // about 50 MB as Shift_JIS

// Lines of mixed kana, kanji, punctuation and ASCII, all within JIS X 0208 so that every
// encoding can carry them.
std::u16string GenerateText() {
  const std::u16string pool =
      u"あいうえおかきくけこさしすせそたちつてとなにぬねのはひふへほまみむめもやゆよらりるれろわを"
      u"ん"
      u"アイウエオカキクケコサシスセソタチツテト日本語文字列表示速度試験東京大阪京都名古屋札幌"
      u"吾輩猫名前無何処生見当付薄暗所泣記憶、。「」（）";
  std::u16string text;
  text.reserve(kTargetUnits + 200);
  uint32_t seed = 12345;
  while (text.size() < kTargetUnits) {
    const int length = 20 + static_cast<int>(seed % 40);
    for (int i = 0; i < length; ++i) {
      seed = seed * 1103515245u + 12345u;
      text += pool[(seed >> 16) % pool.size()];
      if ((seed >> 8) % 29 == 0) text += u" ASCII words 123 ";
    }
    text += u"\r\n";
  }
  return text;
}

std::string Convert(const std::u16string& text, const char* to) {
  iconv_t converter = iconv_open(to, "UTF-16LE");
  std::string out(text.size() * 4 + 16, '\0');
  char* in = const_cast<char*>(reinterpret_cast<const char*>(text.data()));
  size_t inLeft = text.size() * 2;
  char* outPtr = out.data();
  size_t outLeft = out.size();
  iconv(converter, &in, &inLeft, &outPtr, &outLeft);
  iconv(converter, nullptr, nullptr, &outPtr, &outLeft);  // ISO-2022-JP's return to ASCII
  iconv_close(converter);
  out.resize(out.size() - outLeft);
  return out;
}

const std::string& Input(TextEncoding encoding) {
  static const std::map<TextEncoding, std::string> inputs = [] {
    const std::u16string text = GenerateText();
    std::map<TextEncoding, std::string> result;
    result[kEncodingShiftJis] = Convert(text, "CP932");
    result[kEncodingEuc] = Convert(text, "EUC-JP");
    result[kEncodingJis] = Convert(text, "ISO-2022-JP");
    result[kEncodingUtf8] = Convert(text, "UTF-8");
    result[kEncodingUtf16Bom] = "\xFF\xFE" + Convert(text, "UTF-16LE");
    result[kEncodingUtf16BeBom] = "\xFE\xFF" + Convert(text, "UTF-16BE");
    std::string ascii;
    while (ascii.size() < 50'000'000)
      ascii += "The quick brown fox jumps over the lazy dog 0123456789.\r\n";
    result[kEncodingNone] = ascii;
    return result;
  }();
  return inputs.at(encoding);
}

void BM_DetectEncoding(benchmark::State& state) {
  const auto encoding = static_cast<TextEncoding>(state.range(0));
  const std::string& bytes = Input(encoding);
  const auto expected = encoding == kEncodingNone ? kEncodingShiftJis : encoding;
  for (auto _ : state) {
    const TextEncoding found = DetectEncoding(reinterpret_cast<const uint8_t*>(bytes.data()),
                                              static_cast<int32_t>(bytes.size()), kRequestDetect);
    if (found != expected) state.SkipWithError("detected the wrong encoding");
    benchmark::DoNotOptimize(found);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes.size()));
  state.SetLabel(encoding == kEncodingNone ? "pure ASCII, scanned to its end"
                                           : "decided in the first lines");
}

template <void (*Decode)(Document&, FileBytes&&, TextEncoding)>
void DecodeWith(benchmark::State& state) {
  const auto encoding = static_cast<TextEncoding>(state.range(0));
  const std::string& bytes = Input(encoding);
  for (auto _ : state) {
    state.PauseTiming();
    FileBytes file = FileBytes::Allocate(static_cast<int32_t>(bytes.size()));
    std::memcpy(file.data(), bytes.data(), bytes.size());
    Document document;
    state.ResumeTiming();
    Decode(document, std::move(file), encoding);
    benchmark::DoNotOptimize(document.text);
    state.PauseTiming();
    document = Document();  // freeing is not decoding
    state.ResumeTiming();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes.size()));
  state.SetLabel(
      std::string(EncodingStatusName(encoding).begin(), EncodingStatusName(encoding).end()));
}

// What the viewer runs: large files in pieces on every core.
void BM_DecodeDocumentText(benchmark::State& state) {
  DecodeWith<DecodeDocumentText>(state);
}
// The same on one thread, for comparison.
void BM_DecodeOnOneThread(benchmark::State& state) {
  DecodeWith<DecodeDocumentTextOnOneThread>(state);
}

void Encodings(benchmark::internal::Benchmark* benchmark) {
  for (TextEncoding e :
       {kEncodingShiftJis, kEncodingJis, kEncodingEuc, kEncodingUtf16Bom, kEncodingUtf8})
    benchmark->Arg(e);
}

BENCHMARK(BM_DetectEncoding)->Apply(Encodings)->Arg(kEncodingNone)->Unit(benchmark::kMillisecond);
// A fixed count: UTF-16 is taken in place, so a timed loop would spend its time copying
// the input outside the measurement.
BENCHMARK(BM_DecodeDocumentText)
    ->Apply(Encodings)
    ->Arg(kEncodingUtf16BeBom)
    ->Iterations(8)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeOnOneThread)
    ->Arg(kEncodingShiftJis)
    ->Arg(kEncodingUtf8)
    ->Iterations(8)
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace vemora

BENCHMARK_MAIN();
