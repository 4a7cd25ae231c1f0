// The filtered view against a plain reference: which lines it keeps and in what order, the
// file line of each display line, the first line at or after a file line, the hits and
// underlines that move along, and the same view made by a worker (also in pieces, also
// laid out on the way or from the whole document's layout).
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <vector>

#include "core/layout/layout_from_whole.h"
#include "core/search/filter_worker.h"
#include "core/search/filtered_view.h"
#include "filter_references.h"

namespace vemora {
namespace {

using namespace testing;  // NOLINT: the filter's references

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

}  // namespace
}  // namespace vemora
