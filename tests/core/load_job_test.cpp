// A load in steps gives exactly what a load in one go gives (text, line table, overstrike
// runs, encoding, line-end kind) in every encoding and both wrap modes, with steps of random
// sizes and layouts changed in the middle, and ends with the encoding the whole file has.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "core/text/load_job.h"
#include "load_job_support.h"

namespace vemora {
namespace {

using namespace testing;  // NOLINT: the load's samples and driver

TEST(LoadJob, StepsOfRandomSizesGiveTheLoadInOneGoInEveryEncodingAndWrapMode) {
  const LayoutParameters kColumns{8, 20, 0, 1, 0};
  const LayoutParameters kEdge{4, 80, 1, 7, 200};
  const LayoutParameters kOther{3, 7, 0, 1, 0};
  ColumnRuleMeasure columns;
  testing::VaryingMeasure pixels;
  for (const TextEncoding encoding : kEncodings) {
    for (uint32_t seed = 1; seed <= 6; ++seed) {
      const std::string bytes = BytesIn(encoding, seed);
      std::mt19937 random(seed * 31 + static_cast<uint32_t>(encoding));
      for (const bool edge : {false, true}) {
        const LayoutParameters& parameters = edge ? kEdge : kColumns;
        TextMeasure& measure = edge ? static_cast<TextMeasure&>(pixels) : columns;
        const Document expected = LoadInOneGo(bytes, encoding, parameters, measure);
        LoadJobOptions options;
        options.firstStepBytes = 1 + random() % 3000;
        options.chunkBytes = 1 + random() % 2000;
        options.workers = 1 + static_cast<int32_t>(random() % 3);
        const int changeAt = static_cast<int>(random() % 6);
        const std::string what = "encoding " + std::to_string(encoding) + ", seed " +
                                 std::to_string(seed) + (edge ? ", edge" : ", columns");
        Document document;
        {
          LoadJob job(Mapped(bytes), encoding, options);
          job.LoadFirstStep(document);
          StepDriver driver{job, document};
          driver.Start(parameters, measure);
          int32_t generation = job.Generation();
          const LayoutParameters* current = &parameters;
          for (int round = 0; !job.Finished(); ++round) {
            for (LoadStep& step : driver.Wait()) {
              const int64_t end = document.textLength;
              JoinLoadStep(document, step, step.generation == generation);
              if (step.generation != generation) ExtendLayout(document, end, *current, measure);
            }
            if (round == changeAt || round == changeAt + 3) {
              current = round == changeAt ? &kOther : &parameters;
              LayoutDocumentOnOneThread(document, *current, measure);
              generation = job.ChangeLayout(*current, Shared(measure));
            }
          }
          if (current != &parameters) LayoutDocumentOnOneThread(document, parameters, measure);
          ASSERT_FALSE(job.RoomShort()) << what;
          job.Finish(document);
        }
        EXPECT_EQ(0, gMappingsAlive) << what;
        ExpectSameDocument(expected, document, what);
        EXPECT_EQ(static_cast<int64_t>(bytes.size()), document.sourceBytes) << what;
      }
    }
  }
}

// The encoding a load in steps ends with: detection from the first part, then read again
// (as the window does) whenever the steps showed that the whole-file rule answers otherwise.
TextEncoding DetectInSteps(const std::string& bytes, const LoadJobOptions& options) {
  DetectionWatch watch;
  TextEncoding encoding =
      DetectFromFirstPart(reinterpret_cast<const uint8_t*>(bytes.data()),
                          static_cast<int64_t>(bytes.size()), options.firstStepBytes, watch);
  ColumnRuleMeasure measure;
  for (int reads = 0; reads < 5; ++reads) {
    Document document;
    LoadJob job(Mapped(bytes), encoding, options, watch);
    job.LoadFirstStep(document);
    StepDriver driver(job, document);
    driver.Start({8, 80, 0, 1, 0}, measure);
    while (!job.Finished()) {
      for (LoadStep& step : driver.Wait()) JoinLoadStep(document, step, true);
    }
    const TextEncoding again = job.Redetected();
    if (again == kEncodingNone) return encoding;
    encoding = again;
    watch = WatchReadingAgainAs(again);
  }
  return -2;
}

TEST(LoadJob, DetectionFromTheFirstPartEndsAsTheWholeFileRuleAnswers) {
  std::string ascii;
  while (ascii.size() < 3000) ascii += "plain ASCII line\r\n";
  const std::string sjisLine = "\x82\xA0\x82\xA2\r\n";  // decides Shift_JIS
  const std::string eucLine = "\xA4\xA2\xA4\xA4\r\n";   // decides EUC-JP
  const std::string utf8Line = "\xE3\x81\x82\xE3\x81\x84\r\n";
  const std::string escape = "\x1B$B$\"\x1B(B\r\n";
  std::u16string wide;
  while (wide.size() < 2000) wide += u"UTF-16 の行\r\n";
  const std::string utf16 = Utf16Bytes(wide, false);
  std::string narrow;
  while (narrow.size() < 3000) narrow += "caf\xC3\xA9 au lait\r\n";
  const struct {
    const char* what;
    std::string bytes;
  } kCases[] = {
      {"an escape far past the first step", ascii + sjisLine + ascii + ascii + escape + ascii},
      {"an EUC-JP line after an undecided first part", ascii + ascii + eucLine + sjisLine},
      {"a UTF-8 line after an undecided first part", ascii + ascii + utf8Line + ascii},
      {"a first part decided by a Shift_JIS line", sjisLine + ascii + eucLine + utf8Line},
      {"an escape after a first part decided otherwise", sjisLine + ascii + ascii + escape},
      {"an undecided tail without an LF", ascii + ascii + "a\r\xA4\xA2\xA4\xA4\rb"},
      {"nothing but ASCII", ascii + ascii + ascii},
      {"an escape right after the first part", ascii + escape + ascii},
      {"the older kanji escape far past the first step",
       ascii + ascii + "\x1B$@$\"\x1B(J\r\n" + ascii},
      {"a katakana escape far past the first step", ascii + ascii + "\x1B(I1\x1B(H\r\n" + ascii},
      // Answers that only the whole file gives.
      {"UTF-16 without a mark", utf16 + utf16},
      {"UTF-16BE without a mark", Utf16Bytes(wide + wide, true)},
      {"UTF-16 with a NUL on the other side late", utf16 + utf16 + std::string(1, '\0') + utf16},
      {"UTF-16 with a lone surrogate late", utf16 + utf16 + std::string("\x3D\xD8", 2) + utf16},
      {"UTF-16 whose odd last byte is a NUL", utf16 + utf16 + std::string(1, '\0')},
      {"UTF-16 after an ASCII first part", ascii + ascii + utf16},
      {"narrow UTF-8, then a line that is not", narrow + ascii + "\xD4\xCF\xC0\xDE\r\n"},
      {"narrow UTF-8, then a deciding line", narrow + ascii + sjisLine + ascii},
      {"narrow UTF-8 after an ASCII first part", ascii + ascii + narrow + ascii},
  };
  for (const auto& c : kCases) {
    const TextEncoding expected =
        DetectEncoding(reinterpret_cast<const uint8_t*>(c.bytes.data()),
                       static_cast<int64_t>(c.bytes.size()), kRequestDetect);
    for (uint32_t seed = 1; seed <= 8; ++seed) {
      std::mt19937 random(seed);
      LoadJobOptions options;
      options.firstStepBytes = 100 + random() % 3500;
      options.chunkBytes = 1 + random() % 700;
      options.workers = 1 + static_cast<int32_t>(random() % 3);
      EXPECT_EQ(expected, DetectInSteps(c.bytes, options)) << c.what << ", seed " << seed;
    }
  }
}

}  // namespace
}  // namespace vemora
