// A load in steps that stops: at any step, when a worker or the layout runs out of memory,
// or when the file is cut short under it; nothing is left behind, and the document keeps
// what was joined before, whole.
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
#include "load_job_support.h"

namespace vemora {
namespace {

using namespace testing;  // NOLINT: the load's samples and driver

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

}  // namespace
}  // namespace vemora
