// The filtered view against a plain reference: which lines it keeps and in what order, the
// file line of each display line, the first line at or after a file line, the hits and
// underlines that move along, the same view made by a worker (also in pieces), and the
// view that grows as its file does (also when its lines were gathered by a worker over the
// text before it grew).
#include "core/layout/layout_from_whole.h"
#include "core/search/filter_progress.h"
#include "core/search/filter_worker.h"
#include "core/search/filtered_view.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "core/layout/layout.h"
#include "core/search/background_search.h"
#include "core/search/search.h"
#include "core/text/overstrike.h"
#include "test_documents.h"

namespace vemora {
namespace {

using testing::MakeDocument;

// A line of the whole text by the plain rule: CR, LF or CR LF ends it.
struct ReferenceLine {
  int32_t start = 0;
  int32_t end = 0;  // before its line end
  int32_t number = 0;
};

std::vector<ReferenceLine> SplitLines(std::u16string_view text) {
  std::vector<ReferenceLine> lines;
  size_t start = 0;
  int32_t number = 0;
  while (start < text.size()) {
    size_t end = start;
    while (end < text.size() && text[end] != u'\r' && text[end] != u'\n') ++end;
    lines.push_back({static_cast<int32_t>(start), static_cast<int32_t>(end), number++});
    size_t next = end;
    if (next < text.size()) next += text.substr(next, 2) == u"\r\n" ? 2 : 1;
    start = next;
  }
  return lines;
}

std::u16string FoldAscii(std::u16string_view text) {
  std::u16string folded(text);
  for (char16_t& unit : folded)
    if (unit >= u'A' && unit <= u'Z') unit = static_cast<char16_t>(unit + 0x20);
  return folded;
}

// The lines that hold `wanted` (none of them contains a line end), or with `invert` the
// others; `foldCase` compares ASCII letters without case.
std::vector<ReferenceLine> ReferenceKept(std::u16string_view text, std::u16string_view wanted,
                                         bool foldCase, bool invert) {
  std::vector<ReferenceLine> kept;
  for (const ReferenceLine& line : SplitLines(text)) {
    std::u16string content(text.substr(line.start, line.end - line.start));
    std::u16string pattern(wanted);
    if (foldCase) content = FoldAscii(content), pattern = FoldAscii(pattern);
    const bool holds = content.find(pattern) != std::u16string::npos;
    if (holds != invert) kept.push_back(line);
  }
  return kept;
}

uint32_t AttributesAt(const Document& document, int64_t position) {
  uint32_t attributes = 0;
  const auto& runs = document.overstrikeRuns;
  for (int64_t i = 0; i < runs.Size(); ++i)
    if (position >= runs[i].start && position < runs[i].start + runs[i].length)
      attributes |= runs[i].attributes;
  return attributes;
}

void LayOut(Document& document, int32_t fold) {
  ColumnRuleMeasure measure;
  LayoutDocument(document, LayoutParameters{4, fold, 0, 1, 0}, measure);
}

// The view, laid out, shows exactly the expected lines in order: the same units, the same
// underlines, each display line numbered with its file line, and every jump target right.
void ExpectShows(Document& view, const Document& whole, const std::vector<ReferenceLine>& kept,
                 const std::string& label) {
  LayOut(view, 6);
  std::vector<int32_t> firstDisplayLine;
  for (int32_t d = 0; d < view.displayLineCount; ++d) {
    const int32_t logical = LogicalLineOf(view, d);
    if (logical == static_cast<int32_t>(firstDisplayLine.size())) firstDisplayLine.push_back(d);
    ASSERT_LT(logical, static_cast<int32_t>(kept.size())) << label;
    EXPECT_EQ(FileLineOf(view, d), kept[logical].number) << label << " display line " << d;
  }
  ASSERT_EQ(firstDisplayLine.size(), kept.size()) << label << ": one view line per kept line";
  for (size_t k = 0; k < kept.size(); ++k) {
    const int64_t start = LineStart(view, firstDisplayLine[k]);
    const ReferenceLine& line = kept[k];
    const std::u16string_view shown = view.Text().substr(start, line.end - line.start);
    EXPECT_EQ(shown, whole.Text().substr(line.start, line.end - line.start))
        << label << " line " << k;
    for (int32_t i = 0; i < line.end - line.start; ++i)
      EXPECT_EQ(AttributesAt(view, start + i), AttributesAt(whole, line.start + i)) << label;
  }
  const int32_t lastNumber = kept.empty() ? 0 : kept.back().number;
  for (int32_t fileLine = 0; fileLine <= lastNumber + 1; ++fileLine) {
    size_t k = 0;
    while (k < kept.size() && kept[k].number < fileLine) ++k;
    EXPECT_EQ(DisplayLineAtOrAfterFileLine(view, fileLine),
              k < kept.size() ? firstDisplayLine[k] : -1)
        << label << " file line " << fileLine;
  }
  EXPECT_EQ(LastShownFileLineNumber(view), kept.empty() ? 0 : lastNumber + 1) << label;
}

// Lines of letters, kanji, a character outside the BMP, tabs and underlined or bold
// characters, ended by CR LF, LF or CR, some empty, the last one with or without an end.
std::u16string GeneratedText(uint32_t seed, bool finalLineEnd) {
  static const std::u16string_view kPieces[] = {
      u"a", u"b", u"A", u"東", u"京", u"東京", u"\U0002000B", u"\t", u" ", u"_\b東", u"a\ba"};
  static const std::u16string_view kEnds[] = {u"\r\n", u"\n", u"\r", u"\n"};
  std::u16string text;
  auto next = [&seed] {
    seed = seed * 1103515245u + 12345u;
    return (seed >> 16) & 0x7FFF;
  };
  for (int line = 0; line < 120; ++line) {
    const uint32_t pieces = next() % 4 == 0 ? 0 : next() % 12;
    for (uint32_t i = 0; i < pieces; ++i) text += kPieces[next() % std::size(kPieces)];
    if (line < 119 || finalLineEnd) text += kEnds[next() % std::size(kEnds)];
  }
  return text;
}

// The same view: text, file lines, hits and where a growing file resumes.
void ExpectSameFilter(const Document& made, const Document& expected, const std::string& label) {
  EXPECT_EQ(made.Text(), expected.Text()) << label;
  ASSERT_EQ(made.filter->fileLines.Size(), expected.filter->fileLines.Size()) << label;
  for (int64_t k = 0; k < made.filter->fileLines.Size(); ++k)
    EXPECT_EQ(made.filter->fileLines[k], expected.filter->fileLines[k]) << label << " line " << k;
  ASSERT_EQ(made.hits.Size(), expected.hits.Size()) << label;
  for (int64_t i = 0; i < made.hits.Size(); ++i) {
    EXPECT_EQ(made.hits[i].start, expected.hits[i].start) << label;
    EXPECT_EQ(made.hits[i].length, expected.hits[i].length) << label;
  }
  EXPECT_EQ(made.filter->scannedEnd, expected.filter->scannedEnd) << label;
  EXPECT_EQ(made.filter->scannedLines, expected.filter->scannedLines) << label;
  EXPECT_EQ(made.filter->lastLineStart, expected.filter->lastLineStart) << label;
}

// Layouts a worker may be given: wrapping at a column, and at an edge of ten pixels.
constexpr LayoutParameters kWorkerLayouts[] = {{4, 6, 0, 1, 0}, {4, 80, 1, 1, 26}};

// The line table the worker made for its view is the one a layout of the view's text
// alone makes.
void ExpectLaidOutAsAlone(const Document& view, const LayoutParameters& parameters,
                          const std::string& label) {
  ColumnRuleMeasure measure;
  Document alone;
  alone.text = view.text;
  alone.textLength = view.textLength;
  LayoutDocument(alone, parameters, measure);
  ASSERT_EQ(view.displayLineCount, alone.displayLineCount) << label;
  for (int32_t d = 0; d <= alone.displayLineCount; ++d) {
    EXPECT_EQ(view.lineTable.StartOf(d), alone.lineTable.StartOf(d)) << label << " line " << d;
    EXPECT_EQ(view.lineTable.LogicalOf(d), alone.lineTable.LogicalOf(d)) << label << " line " << d;
  }
  EXPECT_EQ(view.scrollScale, alone.scrollScale) << label;
}

// The view laid out from the whole document's layout, made with each layout a window
// may have, in one piece and in two, is the layout of the view's text alone.
void ExpectLaidOutFromWhole(Document& view, Document& whole, const std::string& label) {
  for (const LayoutParameters& parameters : kWorkerLayouts) {
    ColumnRuleMeasure measure;
    LayoutDocument(whole, parameters, measure);
    for (int32_t pieces : {1, 2}) {
      const std::string laid = label + ", from the whole at " + std::to_string(parameters.Fold) +
                               " in " + std::to_string(pieces);
      ASSERT_TRUE(LayOutFromWhole(view, whole, pieces)) << laid;
      ExpectLaidOutAsAlone(view, parameters, laid);
    }
  }
}

// The view the worker makes while laying out each kept line on the way, as the viewer's
// worker does, is `expected` with the line table a layout of its text alone gives.
void ExpectLaidOutOnTheWay(Document& whole, const FilterRequest& request, int32_t pieces,
                           const LayoutParameters& parameters, const Document& expected,
                           const std::string& label) {
  ColumnRuleMeasure measure;
  const FilterLayout layout{parameters, &measure};
  SearchedText text(whole.Text());
  HitCollection outcome;
  KeptLines lines =
      SearchKeptText(text.units, text.length, request, outcome, nullptr, pieces, &layout);
  EXPECT_TRUE(lines.laidOut) << label;
  std::unique_ptr<Document> laidOut = BuildFilteredView(whole, request, std::move(lines));
  ExpectSameFilter(*laidOut, expected, label);
  ExpectLaidOutAsAlone(*laidOut, parameters, label);
}

// A filter request written as a literal.
struct Switches {
  const char16_t* text;
  int32_t Caps, Regx, Invert;
  FilterRequest Request() const { return {text, Caps, Regx, Invert}; }
};

struct FilterCase {
  const char* name;
  Switches request;
  std::u16string wanted;  // what a line must contain, for the reference
  bool foldCase;
};

TEST(Filter, KeepsTheLinesThatHoldAHitOrNoneAgainstAPlainReference) {
  const FilterCase cases[] = {
      {"plain, case-sensitive", {u"東京", 1, 0, 0}, u"東京", false},
      {"plain, ASCII folded", {u"a", 0, 0, 0}, u"a", true},
      {"plain, exact case", {u"A", 1, 0, 0}, u"A", false},
      {"a character outside the BMP", {u"\U0002000B", 1, 0, 0}, u"\U0002000B", false},
      {"regular expression", {u"京$|\\t", 0, 1, 0}, u"", false},
      {"inverted", {u"東", 1, 0, 1}, u"東", false},
      {"inverted, keeping empty lines after CR lines", {u"b", 1, 0, 1}, u"b", false},
      {"nothing kept", {u"zzz", 1, 0, 0}, u"zzz", false},
      {"empty search text, inverted: every line", {u"", 1, 0, 1}, u"\uFFFF", false},
  };
  for (const FilterCase& c : cases) {
    for (uint32_t seed : {1u, 2u, 3u}) {
      const bool finalLineEnd = seed != 2;
      Document whole = MakeDocument(GeneratedText(seed, finalLineEnd));
      ApplyOverstrike(whole);
      const std::string label = std::string(c.name) + ", seed " + std::to_string(seed);
      std::u16string errorText;
      std::unique_ptr<Document> view = BuildFilteredView(whole, c.request.Request(), errorText);
      ASSERT_TRUE(view) << label;
      std::vector<ReferenceLine> kept;
      if (c.request.Regx == 1) {
        // 京 before an LF or the text's end (where $ holds), or a tab.
        for (const ReferenceLine& line : SplitLines(whole.Text())) {
          const std::u16string_view content =
              whole.Text().substr(line.start, line.end - line.start);
          const bool beforeEnd = line.end == whole.textLength || whole.text[line.end] == u'\n';
          if ((content.ends_with(u"京") && beforeEnd) ||
              content.find(u'\t') != std::u16string_view::npos)
            kept.push_back(line);
        }
      } else {
        kept = ReferenceKept(whole.Text(), c.wanted, c.foldCase, c.request.Invert == 1);
      }
      ExpectShows(*view, whole, kept, label);
      ExpectLaidOutFromWhole(*view, whole, label);
      // The same view made the worker's way: its text in the worker's copy of the text
      // (where the kept lines fill much of it), walked in one piece or several.
      const FilterRequest request = c.request.Request();
      for (int32_t pieces : {1, 2, 3}) {
        const std::string made = label + ", made by a worker in " + std::to_string(pieces);
        SearchedText copy(whole.Text());
        HitCollection found = CollectHits(copy.View(), request.text, request.Caps, request.Regx);
        KeptLines lines =
            GatherKeptText(copy.units, copy.length, request, std::move(found.hits), pieces);
        std::unique_ptr<Document> other = BuildFilteredView(whole, request, std::move(lines));
        ExpectShows(*other, whole, kept, made);
        ASSERT_EQ(other->hits.Size(), view->hits.Size()) << made;
        for (int32_t i = 0; i < other->hits.Size(); ++i) {
          EXPECT_EQ(other->hits[i].start, view->hits[i].start) << made;
          EXPECT_EQ(other->hits[i].length, view->hits[i].length) << made;
        }
        EXPECT_EQ(other->filter->scannedEnd, view->filter->scannedEnd) << made;
        EXPECT_EQ(other->filter->scannedLines, view->filter->scannedLines) << made;
        EXPECT_EQ(other->filter->lastLineStart, view->filter->lastLineStart) << made;
      }
      // And searched by the worker in pieces too, each piece walking its own lines, and
      // laying them out when it is given a layout.
      for (int32_t pieces : {1, 2, 3}) {
        const std::string made = label + ", searched in " + std::to_string(pieces);
        SearchedText copy(whole.Text());
        HitCollection outcome;
        std::unique_ptr<Document> other = BuildFilteredView(
            whole, request,
            SearchKeptText(copy.units, copy.length, request, outcome, nullptr, pieces));
        ExpectShows(*other, whole, kept, made);
        ExpectSameFilter(*other, *view, made);
        for (const LayoutParameters& parameters : kWorkerLayouts)
          ExpectLaidOutOnTheWay(whole, request, pieces, parameters, *view,
                                made + ", laid out at " + std::to_string(parameters.Fold));
      }
      if (c.request.Invert == 0 && c.request.Regx == 0) {
        // Every hit highlights the search text where it stands in the view.
        for (int32_t i = 0; i < view->hits.Size(); ++i)
          EXPECT_EQ(FoldAscii(view->Text().substr(view->hits[i].start, view->hits[i].length)),
                    FoldAscii(c.request.text))
              << label;
        EXPECT_EQ(view->hitPatternLength > 0, !view->hits.Empty()) << label;
      } else if (c.request.Invert == 1) {
        EXPECT_TRUE(view->hits.Empty()) << label << ": the lines kept hold no hit";
      }
    }
  }
}

// The worker searches a text in pieces cut after LFs only where each piece alone finds
// the hits the whole search finds there: anchors at a line's start or end, word edges and
// case folding qualify; the subject's own start and end, and texts that reach over an LF,
// are searched whole. Each way gives the view the search over the whole text gives.
TEST(Filter, SearchingInPiecesGivesTheWholeSearchsView) {
  const Switches requests[] = {
      {u"^東", 0, 1, 0},    {u"京$", 0, 1, 0},        {u"^$|a", 0, 1, 0},
      {u"\\A東", 0, 1, 0},  {u"\\A[^b]", 0, 1, 0},    {u"京\\z", 0, 1, 0},
      {u"京\\Z", 0, 1, 0},  {u"\\ba\\b", 0, 1, 0},    {u"(?i)A", 0, 1, 0},
      {u"東京|b", 0, 1, 1}, {u"[東京]{2}", 0, 1, 0},  {u"a.b", 0, 1, 0},
      {u"a", 0, 0, 0},      {u"A", 1, 0, 1},          {u"\r", 1, 0, 0},
      {u"b\na", 1, 0, 0},   {u"\U0002000B", 1, 0, 0}, {u"a", 2, 0, 0},
  };
  for (const Switches& switches : requests) {
    const FilterRequest request = switches.Request();
    for (uint32_t seed : {4u, 5u, 6u}) {
      Document whole = MakeDocument(GeneratedText(seed, seed != 5));
      const std::string label =
          "pattern #" + std::to_string(&switches - requests) + ", seed " + std::to_string(seed);
      std::u16string errorText;
      std::unique_ptr<Document> expected = BuildFilteredView(whole, request, errorText);
      ASSERT_TRUE(expected) << label;
      for (int32_t pieces : {2, 3, 5}) {
        SearchedText copy(whole.Text());
        HitCollection outcome;
        KeptLines kept = SearchKeptText(copy.units, copy.length, request, outcome, nullptr, pieces);
        EXPECT_FALSE(outcome.cancelled) << label;
        EXPECT_TRUE(outcome.errorText.empty()) << label;
        EXPECT_EQ(outcome.failedLines, 0) << label;
        std::unique_ptr<Document> made = BuildFilteredView(whole, request, std::move(kept));
        ExpectSameFilter(*made, *expected, label + " in " + std::to_string(pieces));
        ExpectLaidOutFromWhole(*made, whole, label + " in " + std::to_string(pieces));
        ExpectLaidOutOnTheWay(whole, request, pieces, kWorkerLayouts[pieces % 2], *expected,
                              label + " laid out in " + std::to_string(pieces));
      }
    }
  }
}

// Over a text of many blocks of display lines, kept lines far apart, close together or
// none; and a whole document that does not fit the view (not laid out, or another text)
// leaves the view to be laid out the usual way.
TEST(Filter, TheViewTakesItsLayoutFromTheWholeDocuments) {
  std::u16string text;
  for (uint32_t seed = 10; seed < 40; ++seed) text += GeneratedText(seed, true);
  text += u"東京の空";  // a last line without a line end
  const Switches requests[] = {
      {u"\U0002000B", 1, 0, 0}, {u"東京", 1, 0, 0}, {u"b", 1, 0, 1},
      {u"zzz", 1, 0, 0},        {u"空$", 0, 1, 0},
  };
  for (const Switches& switches : requests) {
    const std::string label = "pattern #" + std::to_string(&switches - requests);
    Document whole = MakeDocument(text);
    std::u16string errorText;
    std::unique_ptr<Document> view = BuildFilteredView(whole, switches.Request(), errorText);
    ASSERT_TRUE(view) << label;
    EXPECT_FALSE(LayOutFromWhole(*view, whole)) << label << ": the whole is not laid out";
    ExpectLaidOutFromWhole(*view, whole, label);
    EXPECT_GT(whole.displayLineCount, 3 * LineBlock::kCapacity) << label;
    if (view->filter->fileLines.Empty()) continue;
    // Another text than the view's: its first kept line a unit longer.
    const auto at = static_cast<size_t>(SplitLines(text)[view->filter->fileLines[0]].start);
    Document other = MakeDocument(text.substr(0, at) + u'x' + text.substr(at));
    ColumnRuleMeasure measure;
    LayoutDocument(other, kWorkerLayouts[0], measure);
    const int32_t lines = view->displayLineCount;
    EXPECT_FALSE(LayOutFromWhole(*view, other)) << label;
    EXPECT_EQ(view->displayLineCount, lines) << label << ": the view stays as it was";
  }
}

// Runs the filter on a worker and grows `shown` (a new view of `whole`) as the window does:
// each chunk the worker puts in place is taken (the worker waits until it is) and laid out
// from the whole document's layout, then `afterTake` runs; at the end the worker's result
// finishes the view. Answers how many takes brought lines.
int32_t GrowView(const Document& whole, const FilterRequest& request, int32_t pieces,
                 Document& shown, const std::function<void()>& afterTake) {
  std::mutex mutex;
  std::condition_variable changed;
  bool told = false, done = false;
  // The waits look again now and then, so that no lost wake-up can hang the suite.
  auto waitUntil = [&changed](std::unique_lock<std::mutex>& lock, const auto& ready) {
    while (!changed.wait_for(lock, std::chrono::milliseconds(10), ready)) {
    }
  };
  auto progress = std::make_shared<FilterProgress>(
      [&] {
        std::unique_lock lock(mutex);
        told = true;
        changed.notify_all();
        waitUntil(lock, [&] { return !told; });
      },
      std::chrono::milliseconds(0));
  KeptLines kept;
  std::thread worker([&] {
    HitCollection outcome;
    kept = SearchKeptText(whole.text, whole.textLength, request, outcome, nullptr, pieces, nullptr,
                          progress.get());
    std::lock_guard lock(mutex);
    done = true;
    changed.notify_all();
  });
  shown.filter->growing = progress;
  int32_t takes = 0;
  for (;;) {
    std::unique_lock lock(mutex);
    waitUntil(lock, [&] { return told || done; });
    if (!told) break;
    const int64_t first = progress->TakeInto(shown, whole);
    if (first >= 0) {
      ++takes;
      EXPECT_TRUE(ExtendLayoutFromWhole(shown, whole, first));
      afterTake();
    }
    told = false;
    changed.notify_all();
  }
  worker.join();
  EXPECT_LT(progress->TakeInto(shown, whole), 0) << "nothing after the result";
  std::unique_ptr<Document> finished = BuildFilteredView(whole, request, std::move(kept));
  const int64_t first = FinishGrowingView(shown, std::move(*finished));
  EXPECT_FALSE(shown.filter->growing);
  EXPECT_TRUE(ExtendLayoutFromWhole(shown, whole, first));
  return takes;
}

// A view grown while the worker goes on is, at every step, laid out as its text alone and
// the start of the view made at once, and at the end that view. One text puts a lone CR
// line before an empty LF line at the chunks' cuts, which must stay two lines.
TEST(Filter, AViewGrownWhileTheWorkerGoesOnEndsAsTheWholeSearchsView) {
  std::u16string crThenLf;
  for (int i = 0; i < 40; ++i) crThenLf += u"A\rhit\n\n";
  std::u16string generated;
  for (uint32_t seed = 10; seed < 14; ++seed) generated += GeneratedText(seed, true);
  const struct {
    std::u16string text;
    Switches request;
  } cases[] = {
      {generated, {u"東京", 1, 0, 0}},   {generated, {u"b", 1, 0, 1}},
      {generated, {u"^東|a$", 0, 1, 0}}, {generated, {u"\U0002000B", 1, 0, 0}},
      {crThenLf, {u"hit", 1, 0, 1}},
  };
  const LayoutParameters parameters = kWorkerLayouts[0];
  for (const auto& test : cases) {
    const FilterRequest request = test.request.Request();
    Document whole = MakeDocument(test.text);
    ColumnRuleMeasure measure;
    LayoutDocument(whole, parameters, measure);
    std::u16string errorText;
    std::unique_ptr<Document> expected = BuildFilteredView(whole, request, errorText);
    ASSERT_TRUE(expected);
    for (int32_t pieces : {3, 7}) {
      const std::string label =
          "case #" + std::to_string(&test - cases) + " in " + std::to_string(pieces);
      std::unique_ptr<Document> shown = NewFilteredView(whole, request);
      const int32_t takes = GrowView(whole, request, pieces, *shown, [&] {
        EXPECT_EQ(shown->Text(), expected->Text().substr(0, shown->textLength)) << label;
        ExpectLaidOutAsAlone(*shown, parameters, label + " while it grows");
      });
      EXPECT_GT(takes, 0) << label;
      ExpectSameFilter(*shown, *expected, label);
      ExpectLaidOutAsAlone(*shown, parameters, label + " at the end");
    }
  }
}

// A find made in the view while it grows keeps its hits: the lines the view gains later
// bring none of the filter's.
TEST(Filter, AFindInAGrowingViewKeepsItsHits) {
  std::u16string text;
  for (uint32_t seed = 10; seed < 14; ++seed) text += GeneratedText(seed, true);
  Document whole = MakeDocument(text);
  ColumnRuleMeasure measure;
  LayoutDocument(whole, kWorkerLayouts[0], measure);
  const FilterRequest request{u"東京", 1, 0, 0};
  std::unique_ptr<Document> shown = NewFilteredView(whole, request);
  bool found = false;
  GrowView(whole, request, 5, *shown, [&] {
    if (found) return;
    found = true;
    shown->hits.Clear();
    shown->hits.Append(SearchHit{0, 1});
  });
  ASSERT_TRUE(found);
  ASSERT_EQ(shown->hits.Size(), 1);
  EXPECT_EQ(shown->hits[0].start, 0);
  std::u16string errorText;
  std::unique_ptr<Document> expected = BuildFilteredView(whole, request, errorText);
  EXPECT_EQ(shown->Text(), expected->Text());
}

TEST(Filter, ARejectedExpressionOrACancelGathersNothing) {
  Document whole = MakeDocument(GeneratedText(7, true));
  for (int32_t pieces : {1, 3}) {
    SearchedText copy(whole.Text());
    HitCollection outcome;
    KeptLines kept =
        SearchKeptText(copy.units, copy.length, {u"a(", 0, 1, 0}, outcome, nullptr, pieces);
    EXPECT_FALSE(outcome.errorText.empty()) << pieces;
    EXPECT_FALSE(kept.view) << pieces;
    const std::atomic<bool> cancel{true};
    kept = SearchKeptText(copy.units, copy.length, {u"a", 0, 1, 0}, outcome, &cancel, pieces);
    EXPECT_TRUE(outcome.cancelled) << pieces;
    EXPECT_FALSE(kept.view) << pieces;
  }
}

TEST(Filter, AHitOverSeveralLinesKeepsEachOfThem) {
  struct Case {
    const char* name;
    std::u16string text;
    Switches request;
    std::vector<int32_t> numbers;
    std::u16string shown;
  };
  const Case cases[] = {
      {"plain text with a line end",
       u"a\r\nxb\r\nc\r\nd\r\nb\r\n",
       {u"b\r\nc", 1, 0, 0},
       {1, 2},
       u"xb\r\nc\r\n"},
      {"an expression over a line end", u"x\ny\nz\nx", {u"x\\ny", 0, 1, 0}, {0, 1}, u"x\ny\n"},
      {"a hit across the pieces' cut",
       u"ab\ncd\nef\ng\n",
       {u"b\ncd\ne", 1, 0, 0},
       {0, 1, 2},
       u"ab\ncd\nef\n"},
      {"a lone CR before an empty LF line keeps them apart",
       u"a\rb\n\n",
       {u"b", 1, 0, 1},
       {0, 2},
       u"a\r\n\n"},
  };
  for (const Case& c : cases) {
    Document whole = MakeDocument(c.text);
    std::u16string errorText;
    std::unique_ptr<Document> view = BuildFilteredView(whole, c.request.Request(), errorText);
    ASSERT_TRUE(view) << c.name;
    // And made by the worker in two pieces, which a hit may reach across.
    const FilterRequest request = c.request.Request();
    SearchedText copy(whole.Text());
    HitCollection found = CollectHits(copy.View(), request.text, request.Caps, request.Regx);
    std::unique_ptr<Document> inPieces = BuildFilteredView(
        whole, request, GatherKeptText(copy.units, copy.length, request, std::move(found.hits), 2));
    // Laid out by the worker too, also where the pieces' lines meet at a lone CR.
    for (const LayoutParameters& parameters : kWorkerLayouts) {
      ColumnRuleMeasure measure;
      const FilterLayout layout{parameters, &measure};
      SearchedText again(whole.Text());
      HitCollection hits = CollectHits(again.View(), request.text, request.Caps, request.Regx);
      KeptLines lines =
          GatherKeptText(again.units, again.length, request, std::move(hits.hits), 2, &layout);
      EXPECT_TRUE(lines.laidOut) << c.name;
      std::unique_ptr<Document> laidOut = BuildFilteredView(whole, request, std::move(lines));
      EXPECT_EQ(laidOut->Text(), c.shown) << c.name;
      ExpectLaidOutAsAlone(*laidOut, parameters, c.name);
    }
    {
      // More display lines than the layout may count: the window's thread lays it out.
      LayoutParameters fewest = kWorkerLayouts[0];
      fewest.mostLines = 2;
      ColumnRuleMeasure measure;
      const FilterLayout layout{fewest, &measure};
      SearchedText again(whole.Text());
      HitCollection outcome;
      KeptLines lines =
          SearchKeptText(again.units, again.length, request, outcome, nullptr, 2, &layout);
      EXPECT_FALSE(lines.laidOut) << c.name;
      ASSERT_TRUE(lines.view) << c.name;
      EXPECT_TRUE(lines.view->lineTable.Empty()) << c.name;
    }
    ExpectLaidOutFromWhole(*inPieces, whole, c.name);
    for (Document* shown : {view.get(), inPieces.get()}) {
      EXPECT_EQ(shown->Text(), c.shown) << c.name;
      LayOut(*shown, 80);
      std::vector<int32_t> numbers;
      for (int32_t d = 0; d < shown->displayLineCount; ++d)
        numbers.push_back(FileLineOf(*shown, d));
      EXPECT_EQ(numbers, c.numbers) << c.name;
    }
  }
}

// The whole document's text replaced, as a follower replaces it: what lay before the start
// of its last line stays, the rest is read again with what was appended.
void GrowTo(Document& whole, std::u16string_view text) {
  whole.textBuffer = std::make_unique<char16_t[]>(text.size() + 1);
  std::copy(text.begin(), text.end(), whole.textBuffer.get());
  whole.text = whole.textBuffer.get();
  whole.textLength = static_cast<int32_t>(text.size());
}

void ExpectSameView(const Document& grown, const Document& fresh, const std::string& label) {
  EXPECT_EQ(grown.Text(), fresh.Text()) << label;
  ASSERT_EQ(grown.displayLineCount, fresh.displayLineCount) << label;
  for (int32_t d = 0; d <= grown.displayLineCount; ++d) {
    EXPECT_EQ(grown.lineTable.StartOf(d), fresh.lineTable.StartOf(d)) << label << " line " << d;
    EXPECT_EQ(grown.lineTable.LogicalOf(d), fresh.lineTable.LogicalOf(d)) << label;
    if (d < grown.displayLineCount) {
      EXPECT_EQ(FileLineOf(grown, d), FileLineOf(fresh, d)) << label;
    }
  }
  ASSERT_EQ(grown.hits.Size(), fresh.hits.Size()) << label;
  for (int32_t i = 0; i < grown.hits.Size(); ++i) {
    EXPECT_EQ(grown.hits[i].start, fresh.hits[i].start) << label;
    EXPECT_EQ(grown.hits[i].length, fresh.hits[i].length) << label;
  }
  EXPECT_EQ(grown.hitPatternLength, fresh.hitPatternLength) << label;
}

TEST(Filter, AFollowedFileGrowsItsViewAsAFreshFilterWouldShowIt) {
  struct Case {
    const char* name;
    Switches request;
    std::vector<std::u16string> texts;  // each keeps the one before up to its last line
  };
  const Case cases[] = {
      {"kept lines appended, the unfinished one completed",
       {u"err", 0, 0, 0},
       {u"ok 1\nerr 2\nok", u"ok 1\nerr 2\nok 3\nERR 4\ne", u"ok 1\nerr 2\nok 3\nERR 4\nerr 5\r",
        u"ok 1\nerr 2\nok 3\nERR 4\nerr 5\r\n",
        u"ok 1\nerr 2\nok 3\nERR 4\nerr 5\r\nok 6\r\nerr\U0002000B 7\r\n"}},
      {"the unfinished line stops matching",
       {u"x$", 0, 1, 0},
       {u"ax\nbx", u"ax\nbxy\n", u"ax\nbxy\ncx"}},
      {"a CR joined by its LF only later",
       {u"b", 1, 0, 1},
       {u"a\r", u"a\r\nb\r", u"a\r\nb\r\n\n", u"a\r\nb\r\n\nb\rc\r"}},
      {"a lone CR line, then an empty LF line",
       {u"b", 1, 0, 1},
       {u"a\rb\n", u"a\rb\n\n", u"a\rb\n\nb\n"}},
      {"an empty file that grows", {u"a", 1, 0, 0}, {u"", u"", u"b\n", u"b\na", u"b\nab\n"}},
      {"no line kept until lines come that match",
       {u"e", 1, 0, 0},
       {u"ok 1\n", u"ok 1\nok 2\n", u"ok 1\nok 2\ne 3\n", u"ok 1\nok 2\ne 3\nok 4\ne 5\n"}},
      {"a long run of lines wraps into more blocks",
       {u"1", 1, 0, 0},
       {u"", std::u16string(2500, u'1') + u"\n",
        std::u16string(2500, u'1') + u"\n" + std::u16string(900, u'2') + u"1"}},
  };
  for (const Case& c : cases) {
    ColumnRuleMeasure measure;
    const LayoutParameters parameters{4, 3, 0, 1, 0};
    Document start = MakeDocument(c.texts[0]);
    std::u16string errorText;
    std::unique_ptr<Document> view = BuildFilteredView(start, c.request.Request(), errorText);
    ASSERT_TRUE(view) << c.name;
    view->filter->whole = std::make_unique<Document>(MakeDocument(c.texts[0]));
    LayoutDocument(*view, parameters, measure);
    for (size_t step = 1; step < c.texts.size(); ++step) {
      const std::string label = std::string(c.name) + ", step " + std::to_string(step);
      GrowTo(*view->filter->whole, c.texts[step]);
      const bool changed = ExtendFilteredView(*view, parameters, measure);
      Document grownWhole = MakeDocument(c.texts[step]);
      std::unique_ptr<Document> fresh =
          BuildFilteredView(grownWhole, c.request.Request(), errorText);
      LayoutDocument(*fresh, parameters, measure);
      ExpectSameView(*view, *fresh, label);

      // The lines gathered by a worker over the text before, the view built after it grew.
      const FilterRequest request = c.request.Request();
      auto search = BackgroundSearch::Start(
          {c.texts[step - 1], request.text, request.Caps, request.Regx, true, request.Invert},
          nullptr);
      ASSERT_TRUE(search->WaitUntilFinished(std::chrono::seconds(10)));
      ASSERT_FALSE(search->TakeResult().cancelled);
      std::unique_ptr<Document> late =
          BuildFilteredView(grownWhole, request, search->TakeKeptLines());
      late->filter->whole = std::make_unique<Document>(MakeDocument(c.texts[step]));
      CatchUpFilteredView(*late);
      LayoutDocument(*late, parameters, measure);
      ExpectSameView(*late, *fresh, label + ", gathered before it grew");
      if (c.texts[step] == c.texts[step - 1]) {
        EXPECT_FALSE(changed) << label;
      }
    }
  }
}

TEST(Filter, AFindInTheViewKeepsItsHitsWhileTheViewGrows) {
  ColumnRuleMeasure measure;
  const LayoutParameters parameters{4, 80, 0, 1, 0};
  Document whole = MakeDocument(u"ab 1\nb 2\n");
  std::u16string errorText;
  std::unique_ptr<Document> view = BuildFilteredView(whole, {u"b", 1, 0, 0}, errorText);
  view->filter->whole = std::make_unique<Document>(MakeDocument(whole.Text()));
  LayoutDocument(*view, parameters, measure);
  SearchDocument(*view, 0, u"a", 1, 0, false);
  GrowTo(*view->filter->whole, u"ab 1\nb 2\nab 3\n");
  ASSERT_TRUE(ExtendFilteredView(*view, parameters, measure));
  EXPECT_EQ(view->Text(), u"ab 1\nb 2\nab 3\n");
  ASSERT_EQ(view->hits.Size(), 1) << "the find's hit, none of the filter's";
  EXPECT_EQ(view->hits[0].start, 0);
  EXPECT_EQ(view->hitPatternLength, 1);
}

// A find reading the view shares its text: the view's growth, which cuts its last line and
// puts other lines there, leaves every unit the find reads as it was.
TEST(Filter, AFindReadingTheViewSeesNoUnitOfItChange) {
  ColumnRuleMeasure measure;
  const LayoutParameters parameters{4, 80, 0, 1, 0};
  Document whole = MakeDocument(u"ab 1\n");
  const FilterRequest request{u"x", 1, 0, 1};  // the lines without an x
  std::u16string errorText;
  std::unique_ptr<Document> view = BuildFilteredView(whole, request, errorText);
  view->filter->whole = std::make_unique<Document>(MakeDocument(whole.Text()));
  LayoutDocument(*view, parameters, measure);
  GrowTo(*view->filter->whole, u"ab 1\nb 2");  // the view gets room to grow into
  ASSERT_TRUE(ExtendFilteredView(*view, parameters, measure));
  const SearchedText find = ShareText(*view);
  ASSERT_EQ(find.units, view->text);
  GrowTo(*view->filter->whole, u"ab 1\nb 2x\nc 3\n");
  ASSERT_TRUE(ExtendFilteredView(*view, parameters, measure));
  EXPECT_EQ(view->Text(), u"ab 1\nc 3\n");
  EXPECT_EQ(find.View(), u"ab 1\nb 2");
  EXPECT_NE(view->text, find.units);
}

}  // namespace
}  // namespace vemora
