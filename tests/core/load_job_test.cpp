// A load in steps gives exactly what a load in one go gives (text, line table, overstrike
// runs, encoding, line-end kind) in every encoding and both wrap modes, with steps of random
// sizes, layouts changed in the middle, and stopping at any step leaves nothing behind.
#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <mutex>
#include <new>
#include <random>
#include <string>
#include <vector>

#include "core/layout/layout.h"
#include "core/platform/code_pages.h"
#include "core/platform/files.h"
#include "core/text/decode.h"
#include "core/text/encoding.h"
#include "core/text/load_job.h"
#include "core/text/overstrike.h"
#include "test_documents.h"

namespace vemora {
namespace {

// Characters, wide and narrow, overstrike of every kind (also a backspace right after a
// line end and runs of them), tabs, long runs to wrap, and every kind of line end.
std::u16string GenerateText(uint32_t seed, size_t size) {
  static const std::u16string kTokens[] = {u"a",
                                           u"あ漢",
                                           u"ｱｲ",
                                           u"\t",
                                           u"\r",
                                           u"\n",
                                           u"\r\n",
                                           u"\r\n",
                                           u"_\bA",
                                           u"B\bB",
                                           u"x\by",
                                           u"\b",
                                           u"\n\bq",
                                           u"\b\b\b",
                                           u"__\b\b",
                                           u"\r\b\n",
                                           u"abcdefghijklmnopqrstuvwxyz0123456789",
                                           u"全角の文字が並ぶ長い行であるなあ",
                                           u"+-"};
  std::mt19937 random(seed);
  std::u16string text;
  while (text.size() < size) text += kTokens[random() % std::size(kTokens)];
  return text;
}

std::string Utf16Bytes(std::u16string_view text, bool big) {
  std::string bytes;
  for (const char16_t unit : text) {
    const char low = static_cast<char>(unit & 0xFF), high = static_cast<char>(unit >> 8);
    bytes += big ? high : low;
    bytes += big ? low : high;
  }
  return bytes;
}

// UTF-7 with a base64 run for each stretch of characters outside ASCII.
std::string Utf7Bytes(std::u16string_view text) {
  static const char kDigits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string bytes;
  for (size_t i = 0; i < text.size();) {
    if (text[i] < 0x80) {
      bytes += text[i] == u'+' ? std::string("+-") : std::string(1, static_cast<char>(text[i]));
      ++i;
      continue;
    }
    bytes += '+';
    uint32_t bits = 0;
    int count = 0;
    for (; i < text.size() && text[i] >= 0x80; ++i) {
      bits = (bits << 16) | text[i];
      for (count += 16; count >= 6; count -= 6) bytes += kDigits[(bits >> (count - 6)) & 63];
    }
    if (count > 0) bytes += kDigits[(bits << (6 - count)) & 63];
    bytes += '-';
  }
  return bytes;
}

// Shift_JIS as EUC-JP, and EUC-JP as JIS whose escapes switch only when the set changes,
// so that a mode stays in effect over many lines, and take turns among the escapes a file
// may use for a set: a step that starts in a mode must know each of them.
std::string EucFromShiftJis(const std::string& sjis) {
  std::string euc;
  for (size_t i = 0; i < sjis.size(); ++i) {
    const auto lead = static_cast<uint8_t>(sjis[i]);
    if (lead >= 0xA1 && lead <= 0xDF) {
      euc += '\x8E';
      euc += static_cast<char>(lead);
    } else if (((lead >= 0x81 && lead <= 0x9F) || lead >= 0xE0) && i + 1 < sjis.size()) {
      const auto trail = static_cast<uint8_t>(sjis[++i]);
      int row = ((lead >= 0xE0 ? lead - 0x40 : lead) - 0x81) * 2 + 0x21;
      const int cell = trail >= 0x9F ? trail - 0x7E : trail >= 0x80 ? trail - 0x20 : trail - 0x1F;
      if (trail >= 0x9F) ++row;
      euc += static_cast<char>(row | 0x80);
      euc += static_cast<char>(cell | 0x80);
    } else {
      euc += static_cast<char>(lead);
    }
  }
  return euc;
}

std::string JisFromEuc(const std::string& euc) {
  static const std::vector<std::string> kEscapes[] = {
      {"\x1B(B", "\x1B(J", "\x1B(H"}, {"\x1B$B", "\x1B$@"}, {"\x1B(I"}};
  std::string jis;
  int mode = 0;  // 0 ASCII, 1 kanji, 2 katakana
  size_t turns[3] = {};
  auto enter = [&](int wanted) {
    const std::vector<std::string>& escapes = kEscapes[wanted];
    if (mode != wanted) jis += escapes[turns[wanted]++ % escapes.size()];
    mode = wanted;
  };
  for (size_t i = 0; i < euc.size(); ++i) {
    const auto b = static_cast<uint8_t>(euc[i]);
    if (b == 0x8E && i + 1 < euc.size()) {
      enter(2);
      jis += static_cast<char>(euc[++i] & 0x7F);
    } else if (b >= 0xA1 && i + 1 < euc.size()) {
      enter(1);
      jis += static_cast<char>(b & 0x7F);
      jis += static_cast<char>(euc[++i] & 0x7F);
    } else if (b < 0x21 || mode == 0) {
      jis += static_cast<char>(b);  // control characters and line ends keep the mode
    } else {
      enter(0);
      jis += static_cast<char>(b);
    }
  }
  return jis;
}

std::string BytesIn(TextEncoding encoding, uint32_t seed) {
  const std::u16string text = GenerateText(seed, 6000);
  const std::string sjis = EncodeCodePage(kCodePageShiftJis, text);
  switch (encoding) {
    case kEncodingJis:
      return JisFromEuc(EucFromShiftJis(sjis));
    case kEncodingEuc:
      return EucFromShiftJis(sjis) + "\xA4\r\n\x8E";  // broken characters
    case kEncodingUtf16Bom:
      return "\xFF\xFE" + Utf16Bytes(text, false) + "x";
    case kEncodingUtf16BeBom:
      return "\xFE\xFF" + Utf16Bytes(text, true);
    case kEncodingUtf16:
      return Utf16Bytes(text, false);
    case kEncodingUtf16Be:
      return Utf16Bytes(text, true) + "y";
    case kEncodingUtf8Bom:
      return "\xEF\xBB\xBF" + EncodeCodePage(kCodePageUtf8, text);
    case kEncodingUtf8:
      return EncodeCodePage(kCodePageUtf8, text) + "\xE3\x81\n\xC3";
    case kEncodingUtf7:
      return Utf7Bytes(text);
    default:
      return sjis + "\x82\r\n\x82";
  }
}

// Mappings alive; a byte no text here holds marks the released ones.
std::atomic<int> gMappingsAlive{0};

FileBytes Mapped(const std::string& bytes) {
  return FileBytes::Map(
      std::make_unique<testing::SpoiledOnRelease>(bytes, '\x7F', nullptr, &gMappingsAlive),
      static_cast<int64_t>(bytes.size()));
}

class VaryingMeasure final : public TextMeasure {
 public:
  int32_t UnitWidth(char16_t unit) override { return unit < 0x7F ? 7 : 11 + unit % 5; }
};

std::shared_ptr<TextMeasure> Shared(TextMeasure& measure) {
  return std::shared_ptr<TextMeasure>(&measure, [](TextMeasure*) {});
}

Document LoadInOneGo(const std::string& bytes, TextEncoding encoding,
                     const LayoutParameters& parameters, TextMeasure& measure) {
  Document document;
  FileBytes file = FileBytes::Allocate(static_cast<int64_t>(bytes.size()));
  std::memcpy(file.data(), bytes.data(), bytes.size());
  DecodeDocumentTextOnOneThread(document, std::move(file), encoding);
  document.encoding = encoding;
  document.lineEndKind = DetectLineEnd(document.text, document.textLength);
  ApplyOverstrike(document);
  LayoutDocumentOnOneThread(document, parameters, measure);
  return document;
}

// The window's part: lay out the first step, join every step as it comes, laying out
// again what came under older parameters. `changeAt` steps in, the layout changes to
// `other` and, a few steps later, back.
struct StepDriver {
  StepDriver(LoadJob& j, Document& d) : job(j), document(d) {}
  LoadJob& job;
  Document& document;
  // Held by the job's notify too: a worker may still be calling it when the driver goes,
  // before the job is stopped.
  struct Signal {
    std::mutex mutex;
    std::condition_variable ready;
    bool notified = false;
  };
  std::shared_ptr<Signal> signal = std::make_shared<Signal>();

  void Start(const LayoutParameters& parameters, TextMeasure& measure) {
    LayoutDocumentOnOneThread(document, parameters, measure);
    job.Start(parameters, Shared(measure), [signal = signal] {
      const std::lock_guard<std::mutex> lock(signal->mutex);
      signal->notified = true;
      signal->ready.notify_all();
    });
  }

  std::vector<LoadStep> Wait() {
    std::unique_lock<std::mutex> lock(signal->mutex);
    signal->ready.wait(lock, [this] { return signal->notified || job.Finished(); });
    signal->notified = false;
    lock.unlock();
    return job.TakeSteps();
  }
};

void ExpectSameDocument(const Document& expected, const Document& actual, const std::string& what) {
  ASSERT_EQ(expected.Text(), actual.Text()) << what;
  ASSERT_EQ(0, actual.text[actual.textLength]) << what;
  EXPECT_EQ(expected.encoding, actual.encoding) << what;
  EXPECT_EQ(expected.lineEndKind, actual.lineEndKind) << what;
  ASSERT_EQ(expected.overstrikeRuns.Size(), actual.overstrikeRuns.Size()) << what;
  for (int32_t i = 0; i < expected.overstrikeRuns.Size(); ++i) {
    const OverstrikeRun& e = expected.overstrikeRuns[i];
    const OverstrikeRun& a = actual.overstrikeRuns[i];
    ASSERT_TRUE(e.start == a.start && e.length == a.length && e.attributes == a.attributes)
        << what << ", run " << i;
  }
  ASSERT_EQ(expected.displayLineCount, actual.displayLineCount) << what;
  ASSERT_EQ(expected.scrollScale, actual.scrollScale) << what;
  ASSERT_EQ(expected.lineTable.blocks.size(), actual.lineTable.blocks.size()) << what;
  for (int32_t n = 0; n <= expected.displayLineCount; ++n) {
    ASSERT_EQ(expected.lineTable.StartOf(n), actual.lineTable.StartOf(n)) << what << ", line " << n;
    ASSERT_EQ(expected.lineTable.LogicalOf(n), actual.lineTable.LogicalOf(n))
        << what << ", line " << n;
  }
  for (size_t b = 0; b < expected.lineTable.blocks.size(); ++b)
    ASSERT_EQ(expected.lineTable.blocks[b]->count, actual.lineTable.blocks[b]->count) << what;
}

constexpr TextEncoding kEncodings[] = {
    kEncodingShiftJis, kEncodingJis,     kEncodingEuc,     kEncodingUtf16Bom, kEncodingUtf16BeBom,
    kEncodingUtf16,    kEncodingUtf16Be, kEncodingUtf8Bom, kEncodingUtf8,     kEncodingUtf7};

TEST(LoadJob, StepsOfRandomSizesGiveTheLoadInOneGoInEveryEncodingAndWrapMode) {
  const LayoutParameters kColumns{8, 20, 0, 1, 0};
  const LayoutParameters kEdge{4, 80, 1, 7, 200};
  const LayoutParameters kOther{3, 7, 0, 1, 0};
  ColumnRuleMeasure columns;
  VaryingMeasure pixels;
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

TEST(LoadJob, StoppingAtAnyStepLeavesNoThreadMappingOrMemory) {
  const std::string bytes = BytesIn(kEncodingShiftJis, 7);
  const std::string jis = BytesIn(kEncodingJis, 7);
  ColumnRuleMeasure measure;
  for (int stopAt = 0; stopAt < 8; ++stopAt) {
    for (const bool inOrder : {false, true}) {
      LoadJobOptions options;
      options.firstStepBytes = 500;
      options.chunkBytes = 300 + stopAt * 50;
      options.workers = 3;
      Document document;
      auto job = std::make_unique<LoadJob>(Mapped(inOrder ? jis : bytes),
                                           inOrder ? kEncodingJis : kEncodingShiftJis, options);
      job->LoadFirstStep(document);
      StepDriver driver{*job, document};
      driver.Start({8, 80, 0, 1, 0}, measure);
      for (int round = 0; round < stopAt && !job->Finished(); ++round) {
        for (LoadStep& step : driver.Wait()) JoinLoadStep(document, step, true);
      }
      // As opening another file does: stop, then the document and the job go.
      job->Cancel();
      job.reset();
      EXPECT_EQ(0, gMappingsAlive) << "stopped after " << stopAt << " rounds";
    }
  }
  // Paused before the end, then stopped: the waiting workers end too.
  LoadJobOptions options;
  options.firstStepBytes = 100;
  options.chunkBytes = 100;
  options.pauseAtByte = 2000;
  Document document;
  LoadJob job(Mapped(bytes), kEncodingShiftJis, options);
  job.LoadFirstStep(document);
  StepDriver driver{job, document};
  driver.Start({8, 80, 0, 1, 0}, measure);
  while (!job.WaitsAtPause()) {
    for (LoadStep& step : driver.Wait()) JoinLoadStep(document, step, true);
  }
  EXPECT_GE(document.textLength, 1000);
  EXPECT_FALSE(job.Finished());
}

// Memory running out ends a load in steps, not the process. A worker that cannot allocate
// stops the load (no thread or mapping left behind), and the document keeps the steps
// joined before, whole.
TEST(LoadJob, AWorkerOutOfMemoryStopsTheLoadAndKeepsWhatWasJoined) {
  const LayoutParameters parameters{8, 20, 0, 1, 0};
  ColumnRuleMeasure measure;
  struct Case {
    TextEncoding encoding;
    int64_t failAt;  // from the end when negative
    int32_t workers;
  };
  const Case cases[] = {{kEncodingShiftJis, 600, 1},
                        {kEncodingShiftJis, 2500, 3},
                        {kEncodingShiftJis, -1, 2},
                        {kEncodingJis, 1500, 1}};
  for (const Case& c : cases) {
    const std::string bytes = BytesIn(c.encoding, 8);
    LoadJobOptions options;
    options.firstStepBytes = 500;
    options.chunkBytes = 300;
    options.workers = c.workers;
    options.failAtByte = c.failAt < 0 ? static_cast<int64_t>(bytes.size()) + c.failAt : c.failAt;
    const std::string what = "encoding " + std::to_string(c.encoding) + ", failing at " +
                             std::to_string(options.failAtByte);
    Document document;
    {
      LoadJob job(Mapped(bytes), c.encoding, options);
      job.LoadFirstStep(document);
      StepDriver driver{job, document};
      driver.Start(parameters, measure);
      while (!job.OutOfMemory()) {
        ASSERT_FALSE(job.Finished()) << what;
        for (LoadStep& step : driver.Wait()) JoinLoadStep(document, step, true);
      }
      // As the window does: stop at once, keeping what was joined.
      job.Cancel();
      job.Finish(document);
    }
    EXPECT_EQ(0, gMappingsAlive) << what;
    const Document whole = LoadInOneGo(bytes, c.encoding, parameters, measure);
    EXPECT_TRUE(whole.Text().starts_with(document.Text())) << what;
    EXPECT_LT(document.textLength, whole.textLength) << what;
    EXPECT_EQ(document.text[document.textLength], u'\0') << what;
    // It stands for the bytes it holds, not for the file, which a follower would extend.
    ASSERT_LT(document.sourceBytes, static_cast<int64_t>(bytes.size())) << what;
    EXPECT_EQ(LoadInOneGo(bytes.substr(0, static_cast<size_t>(document.sourceBytes)), c.encoding,
                          parameters, measure)
                  .Text(),
              document.Text())
        << what;
    Document alone = testing::MakeDocument(document.Text());
    LayoutDocumentOnOneThread(alone, parameters, measure);
    ASSERT_EQ(alone.displayLineCount, document.displayLineCount) << what;
    for (int32_t n = 0; n <= alone.displayLineCount; ++n) {
      ASSERT_EQ(alone.lineTable.StartOf(n), document.lineTable.StartOf(n)) << what << ", " << n;
      ASSERT_EQ(alone.lineTable.LogicalOf(n), document.lineTable.LogicalOf(n)) << what;
    }
  }
}

// Another program cuts the file short while the load is paused: the pages it took read as
// zeros, and the load stops before the first step that may hold them. The document keeps
// the steps joined before, which are the file's. (Windows refuses to cut a mapped file.)
TEST(LoadJob, AFileCutShortWhileItLoadsStopsBeforeItsLostPages) {
  namespace fs = std::filesystem;
  const fs::path path = fs::temp_directory_path() /
                        ("vemora-cut-steps-" + std::to_string(std::random_device{}()) + ".txt");
  const LayoutParameters parameters{8, 80, 0, 1, 0};
  ColumnRuleMeasure measure;
  constexpr int64_t kPauseAt = 128 << 10;
  constexpr int64_t kCutAt = 256 << 10;
  struct Case {
    TextEncoding encoding;
    int32_t workers;
  };
  for (const Case& c :
       {Case{kEncodingShiftJis, 3}, Case{kEncodingJis, 1}, Case{kEncodingUtf16, 2}}) {
    const std::string what = "encoding " + std::to_string(c.encoding);
    std::string bytes;
    for (uint32_t seed = 1; bytes.size() < 2 * kCutAt; ++seed) bytes += BytesIn(c.encoding, seed);
    std::ofstream(path, std::ios::binary) << bytes;
    std::FILE* file = OpenFile(path.u16string(), "rb");
    ASSERT_NE(file, nullptr);
    std::unique_ptr<MappedFile> view = MapFile(file, static_cast<int64_t>(bytes.size()));
    std::fclose(file);
    ASSERT_NE(view, nullptr);
    LoadJobOptions options;
    options.firstStepBytes = options.chunkBytes = 16 << 10;
    options.workers = c.workers;
    options.pauseAtByte = kPauseAt;
    Document document;
    {
      LoadJob job(FileBytes::Map(std::move(view), static_cast<int64_t>(bytes.size())), c.encoding,
                  options);
      job.LoadFirstStep(document);
      StepDriver driver{job, document};
      driver.Start(parameters, measure);
      while (!job.WaitsAtPause()) {
        for (LoadStep& step : driver.Wait()) JoinLoadStep(document, step, true);
      }
      std::error_code error;
      fs::resize_file(path, kCutAt, error);
      if (error) GTEST_SKIP() << "the system refuses to cut short a mapped file";
      job.Resume();
      while (!job.CutShort()) {
        ASSERT_FALSE(job.Finished()) << what << ": the lost pages were read as text";
        for (LoadStep& step : driver.Wait()) JoinLoadStep(document, step, true);
      }
      // Steps handed over before the loss was seen are the file's too.
      for (LoadStep& step : job.TakeSteps()) JoinLoadStep(document, step, true);
      job.Finish(document);
    }
    EXPECT_GE(document.sourceBytes, kPauseAt) << what;
    EXPECT_LE(document.sourceBytes, kCutAt) << what;
    EXPECT_EQ(document.Text().find(u'\0'), std::u16string_view::npos) << what;
    EXPECT_EQ(LoadInOneGo(bytes.substr(0, static_cast<size_t>(document.sourceBytes)), c.encoding,
                          parameters, measure)
                  .Text(),
              document.Text())
        << what;
  }
  fs::remove(path);
}

// On the window's side, a layout that runs out of memory halfway (here in the measure, as
// a font's cache might) leaves the text cut where its last line written starts, with the
// table of exactly that text wherever that line falls in its block, and the runs, hits and
// selection within it.
TEST(LoadJob, ALayoutOutOfMemoryCutsTheTextWhereItsTableEnds) {
  class FailingMeasure final : public TextMeasure {
   public:
    int32_t UnitWidth(char16_t unit) override {
      if (unit == u'#') throw std::bad_alloc();
      return ColumnRuleMeasure::Columns(unit);
    }
  };
  const LayoutParameters parameters{8, 20, 0, 1, 0};
  ColumnRuleMeasure measure;
  FailingMeasure failing;
  for (const int32_t failingLine : {5, 998, 999, 1000, 1001, 2000}) {
    std::u16string text;
    for (int32_t n = 0; n < failingLine; ++n) text += u"line あ\n";
    const auto cut = static_cast<int64_t>(text.size());
    text += u"ab#c\nlast";
    Document document = testing::MakeDocument(text.substr(0, 20));
    document.overstrikeRuns.Append(OverstrikeRun{cut - 2, 6, kBoldAttribute});
    LayoutDocumentOnOneThread(document, parameters, measure);
    document = [&] {
      Document grown = testing::MakeDocument(text);
      grown.lineTable = std::move(document.lineTable);
      grown.displayLineCount = document.displayLineCount;
      grown.overstrikeRuns = std::move(document.overstrikeRuns);
      grown.hits.Append(SearchHit{cut + 1, 2});
      grown.hitPatternLength = 2;
      grown.SelectionAnchor = 3;
      grown.SelectionEnd = cut + 3;
      return grown;
    }();
    EXPECT_THROW(ExtendLayout(document, 20, parameters, failing), std::bad_alloc) << failingLine;
    ASSERT_EQ(document.textLength, cut) << failingLine;
    ASSERT_EQ(document.overstrikeRuns.Size(), 1);
    EXPECT_EQ(document.overstrikeRuns[0].length, 2) << failingLine;
    EXPECT_TRUE(document.hits.Empty() && document.hitPatternLength == 0) << failingLine;
    EXPECT_EQ(document.SelectionAnchor, 3);
    EXPECT_EQ(document.SelectionEnd, cut) << failingLine;
    Document alone = testing::MakeDocument(text.substr(0, static_cast<size_t>(cut)));
    LayoutDocumentOnOneThread(alone, parameters, measure);
    ASSERT_EQ(alone.displayLineCount, document.displayLineCount) << failingLine;
    ASSERT_EQ(alone.lineTable.blocks.size(), document.lineTable.blocks.size()) << failingLine;
    for (int32_t n = 0; n <= alone.displayLineCount; ++n) {
      ASSERT_EQ(alone.lineTable.StartOf(n), document.lineTable.StartOf(n)) << failingLine;
      ASSERT_EQ(alone.lineTable.LogicalOf(n), document.lineTable.LogicalOf(n)) << failingLine;
    }
    for (size_t b = 0; b < alone.lineTable.blocks.size(); ++b)
      ASSERT_EQ(alone.lineTable.blocks[b]->count, document.lineTable.blocks[b]->count);
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
