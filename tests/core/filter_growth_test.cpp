// The filtered view that grows: while the filter's worker puts its chunks in place, and as
// a followed file grows, at every step the view a fresh filter would show.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

#include "core/layout/layout_from_whole.h"
#include "core/search/filter_progress.h"
#include "core/search/filter_worker.h"
#include "core/search/filtered_view.h"
#include "filter_references.h"

namespace vemora {
namespace {

using namespace testing;  // NOLINT: the filter's references

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
