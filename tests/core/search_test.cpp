// Plain and regular-expression search, and stepping between hits by display line.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "core/layout/layout.h"
#include "core/search/background_search.h"
#include "core/search/regex_search.h"
#include "core/search/search.h"
#include "test_documents.h"

namespace vemora {
namespace {

using testing::MakeDocument;

std::vector<std::pair<int64_t, int64_t>> Hits(const Document& document) {
  std::vector<std::pair<int64_t, int64_t>> hits;
  for (int64_t i = 0; i < document.hits.Size(); ++i)
    hits.emplace_back(document.hits[i].start, document.hits[i].length);
  return hits;
}
using HitSpans = std::vector<std::pair<int64_t, int64_t>>;

// One display line per logical line.
Document LaidOut(std::u16string_view text) {
  Document document = MakeDocument(text);
  ColumnRuleMeasure measure;
  LayoutDocument(document, LayoutParameters{8, 1000, 0, 1, 0}, measure);
  return document;
}

TEST(PlainSearch, HitsDoNotOverlap) {
  Document document = LaidOut(u"aaaa\naaa");
  SearchDocument(document, 0, u"aa", 1, 0, false);
  EXPECT_EQ(Hits(document), (HitSpans{{0, 2}, {2, 2}, {5, 2}}));
  EXPECT_EQ(document.hitPatternLength, 2);
}

TEST(PlainSearch, CaseFoldingCoversAsciiLettersOnly) {
  Document document = LaidOut(u"abc Abc ABC ａｂｃ Ａｂｃ");
  SearchDocument(document, 0, u"ABC", 0, 0, false);
  EXPECT_EQ(Hits(document), (HitSpans{{0, 3}, {4, 3}, {8, 3}}));
  SearchDocument(document, 0, u"ABC", 1, 0, false);
  EXPECT_EQ(Hits(document), (HitSpans{{8, 3}}));
  SearchDocument(document, 0, u"ａｂｃ", 0, 0, false);
  EXPECT_EQ(Hits(document), (HitSpans{{12, 3}}));  // full-width letters keep their case
  SearchDocument(document, 0, u"abc", 2, 0, false);
  EXPECT_TRUE(document.hits.Empty());  // a Caps value of neither kind matches nothing
}

TEST(PlainSearch, FindsHitsAtEveryAlignmentOfTheVectorScan) {
  // Hits at each offset within and across 8-unit groups, and at the very end.
  std::u16string text(41, u'・');
  for (int32_t at : {0, 7, 8, 15, 23, 31, 39}) text[static_cast<size_t>(at)] = u'語';
  text += u"語";
  Document document = LaidOut(text);
  SearchDocument(document, 0, u"語", 1, 0, false);
  EXPECT_EQ(Hits(document),
            (HitSpans{{0, 1}, {7, 1}, {8, 1}, {15, 1}, {23, 1}, {31, 1}, {39, 1}, {41, 1}}));
  SearchDocument(document, 0, u"語・", 0, 0, false);
  EXPECT_EQ(document.hits.Size(), 6);
}

TEST(PlainSearch, CandidatesAreCheckedAtBothEndsInEitherCase) {
  // Many units start a candidate; only some end it, at offsets across 16-unit steps.
  std::u16string text(60, u'a');
  for (auto [at, unit] :
       {std::pair{5, u'Z'}, {16, u'z'}, {31, u'Z'}, {32, u'z'}, {47, u'z'}, {59, u'Z'}})
    text[static_cast<size_t>(at)] = unit;
  Document document = LaidOut(text);
  SearchDocument(document, 0, u"aaz", 1, 0, false);
  EXPECT_EQ(Hits(document), (HitSpans{{14, 3}, {45, 3}}));
  SearchDocument(document, 0, u"AAZ", 0, 0, false);
  EXPECT_EQ(Hits(document), (HitSpans{{3, 3}, {14, 3}, {29, 3}, {45, 3}, {57, 3}}));
}

TEST(PlainSearch, EmptyOrTooLongTextClearsEarlierHits) {
  Document document = LaidOut(u"abc\nabc");
  SearchDocument(document, 0, u"b", 1, 0, false);
  EXPECT_EQ(document.hits.Size(), 2);
  EXPECT_EQ(SearchDocument(document, 0, u"", 1, 0, false).line, -1);
  EXPECT_TRUE(document.hits.Empty());
  EXPECT_EQ(document.hitPatternLength, 0);
  SearchDocument(document, 0, u"b", 1, 0, false);
  EXPECT_EQ(SearchDocument(document, 0, u"abc\nabcd", 1, 0, false).line, -1);
  EXPECT_EQ(document.hitPatternLength, 0);
  // The text ends at a NUL, as a text taken from the dialog does.
  SearchDocument(document, 0, std::u16string_view(u"bc\0zz", 5), 1, 0, false);
  EXPECT_EQ(Hits(document), (HitSpans{{1, 2}, {5, 2}}));
}

TEST(PlainSearch, ManyHitsSpanSeveralBlocks) {
  std::u16string text;
  for (int i = 0; i < 120; ++i) text += u"x\n";
  Document document = LaidOut(text);
  EXPECT_EQ(SearchDocument(document, 0, u"x", 1, 0, false).line, 1);
  EXPECT_EQ(document.hits.Size(), 120);
  EXPECT_EQ(FindNextHit(document, 100), 101);
  EXPECT_EQ(FindPreviousHit(document, 100), 99);
  EXPECT_EQ(FindNextHit(document, 119), -1);
}

TEST(RegexSearch, EmptyMatchesRecordNothing) {
  Document document = LaidOut(u"axxb");
  SearchDocument(document, 0, u"(x*)", 0, 1, false);
  EXPECT_EQ(Hits(document), (HitSpans{{1, 2}}));
  EXPECT_EQ(document.hitPatternLength, 4);  // the length of the search text, not the match
  SearchDocument(document, 0, u"$", 0, 1, false);
  EXPECT_TRUE(document.hits.Empty());
}

TEST(RegexSearch, AnchorsHoldBehindTheLastHit) {
  Document document = LaidOut(u"ab");
  SearchDocument(document, 0, u"a|^b", 0, 1, false);
  EXPECT_EQ(Hits(document), (HitSpans{{0, 1}, {1, 1}}));
  Document look = LaidOut(u"aab");
  SearchDocument(look, 0, u"(?<!a)a", 0, 1, false);
  EXPECT_EQ(Hits(look), (HitSpans{{0, 1}, {1, 1}}));  // nothing lies behind a new subject
}

TEST(RegexSearch, CaseComesFromThePatternOnly) {
  Document document = LaidOut(u"Abc abc 日本語");
  SearchDocument(document, 0, u"abc", 0, 1, false);
  EXPECT_EQ(Hits(document), (HitSpans{{4, 3}}));
  SearchDocument(document, 0, u"(?i)ABC", 1, 1, false);
  EXPECT_EQ(Hits(document), (HitSpans{{0, 3}, {4, 3}}));
  SearchDocument(document, 0, u"本.", 1, 1, false);
  EXPECT_EQ(Hits(document), (HitSpans{{9, 2}}));
}

TEST(RegexSearch, RejectedPatternGivesTheLibraryMessage) {
  Document document = LaidOut(u"abc");
  SearchDocument(document, 0, u"a", 1, 0, false);
  const SearchOutcome outcome = SearchDocument(document, 0, u"a(b", 0, 1, false);
  EXPECT_EQ(outcome.line, -1);
  EXPECT_EQ(outcome.errorText, u"end pattern with unmatched parenthesis");
  EXPECT_TRUE(document.hits.Empty());
  // Other Regx values search plainly: the parenthesis is an ordinary character.
  EXPECT_EQ(SearchDocument(document, 0, u"a(b", 0, 7, false).errorText, u"");
}

TEST(RegexSearch, EmptyTextStillOffersOneCandidate) {
  Document document = LaidOut(u"");
  EXPECT_EQ(SearchDocument(document, 0, u"^", 0, 1, false).line, -1);
  EXPECT_TRUE(document.hits.Empty());
}

TEST(RegexSearch, LeadSurrogateAtTheEndStaysOutOfEveryHit) {
  // Text from a damaged UTF-16 file may end in half a character: the library would take
  // it as the start of a pair and read past the text.
  struct Case {
    std::u16string_view text, pattern;
    HitSpans hits;
  };
  const Case cases[] = {
      {u"ab\xD800", u".", {{0, 1}, {1, 1}}},
      {u"ab\xD800", u"b\\y.?", {{1, 1}}},
      {u"\xD800", u"\\X", {}},
      {u"a\xD800"
       u"b\xD800",
       u"[^a]+",
       {{1, 2}}},
      {u"x\xD83D\xDE00", u".$", {{1, 2}}},     // a whole pair at the end is a character
      {u"aXa", u"a\xD800", {{0, 1}, {2, 1}}},  // so is half a one at the pattern's end
  };
  for (const Case& c : cases) {
    Document document = LaidOut(c.text);
    SearchDocument(document, 0, c.pattern, 1, 1, false);
    EXPECT_EQ(Hits(document), c.hits)
        << c.text.size() << " units, pattern size " << c.pattern.size();
  }
}

TEST(HitSteps, HitsOnTheTopLineAreNeverFound) {
  Document document = LaidOut(u"x\n-\nx\n-\nx");
  EXPECT_EQ(SearchDocument(document, 2, u"x", 1, 0, false).line, 4);
  EXPECT_EQ(SearchDocument(document, 2, u"x", 1, 0, true).line, 0);
  EXPECT_EQ(SearchDocument(document, 4, u"x", 1, 0, false).line, -1);
  EXPECT_EQ(SearchDocument(document, 0, u"x", 1, 0, true).line, -1);
  EXPECT_EQ(document.hits.Size(), 3);  // the hits stay for highlighting and stepping
  EXPECT_EQ(FindNextHit(document, 0), 2);
  EXPECT_EQ(FindNextHit(document, 1), 2);
  EXPECT_EQ(FindPreviousHit(document, 3), 2);
  EXPECT_EQ(FindNextHit(document, 5), -1);  // not a display line
  EXPECT_EQ(FindPreviousHit(document, -1), -1);
}

TEST(HitSteps, WrappedLinesStepByDisplayLine) {
  Document document = MakeDocument(u"abcXabcX");
  ColumnRuleMeasure measure;
  LayoutDocument(document, LayoutParameters{8, 2, 0, 1, 0}, measure);  // ab cX ab cX
  SearchDocument(document, 0, u"X", 1, 0, false);
  EXPECT_EQ(FindNextHit(document, 0), 1);
  EXPECT_EQ(FindNextHit(document, 1), 3);
  EXPECT_EQ(FindPreviousHit(document, 3), 1);
  ClearHits(document);
  EXPECT_EQ(FindNextHit(document, 0), -1);
  EXPECT_EQ(document.hitPatternLength, 0);
}

}  // namespace
}  // namespace vemora

namespace vemora {
namespace {

// U+1F600 as a pair, between letters; a half of it searched alone must never be a hit.
constexpr char16_t kPairText[] = u"a\U0001F600b\U0001F600";

TEST(SurrogatePairs, NoHitSplitsAPairInEitherSearch) {
  Document document = LaidOut(kPairText);
  const std::u16string high(1, kPairText[1]), low(1, kPairText[2]);
  for (int32_t Regx : {0, 1}) {
    SCOPED_TRACE(Regx);
    SearchDocument(document, 0, high, 1, Regx, false);
    EXPECT_TRUE(document.hits.Empty());
    SearchDocument(document, 0, low + u"b", 1, Regx, false);
    EXPECT_TRUE(document.hits.Empty());
    SearchDocument(document, 0, u"\U0001F600", 1, Regx, false);
    EXPECT_EQ(Hits(document), (HitSpans{{1, 2}, {4, 2}}));
  }
  // After an empty match in front of a pair the scan goes on behind the whole pair: a
  // subject starting at its second half would let the class match that half alone.
  SearchDocument(document, 0, u"(?=\U0001F600)|[^\U0001F600]", 0, 1, false);
  EXPECT_EQ(Hits(document), (HitSpans{{0, 1}, {3, 1}}));
}

// The library gives up on some lines (here at its backtracking limit): the hits on every
// other line are still found, and the lines given up on are counted.
TEST(HostilePatterns, ALineTheLibraryGivesUpOnCostsOnlyThatLine) {
  const std::u16string hostile = std::u16string(40, u'a') + u"!";
  struct Case {
    std::u16string text;
    std::u16string_view pattern;
    HitSpans hits;
    int32_t failedLines;
  };
  const Case cases[] = {
      {hostile + u"\nfound it\n", u"found|(\\w+\\s?)+$", {{42, 5}, {48, 3}}, 1},
      {u"found\n" + hostile + u"\n" + hostile + u"\nfound",
       u"found|(\\w+\\s?)+$",
       {{0, 5}, {90, 5}},
       2},
      // Where an empty match is preferred the library never tries further; passing over it
      // inside the library would, and must not cost the line nor its hits.
      {u"xx\n" + hostile + u"\nx", u"x*|(\\w+\\s?)+$", {{0, 2}, {45, 1}}, 0},
      {hostile + u"\nx", u"!|x*|(\\w+\\s?)+$", {{40, 1}, {42, 1}}, 0},
      // An anchored pattern takes one call per empty match; the failing line is the same.
      {hostile + u"\nab z", u"\\bz|(\\w+\\s?)+$", {{42, 4}}, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.pattern.begin(), c.pattern.end()));
    Document document = LaidOut(c.text);
    const SearchOutcome outcome = SearchDocument(document, 0, c.pattern, 0, 1, false);
    EXPECT_EQ(Hits(document), c.hits);
    EXPECT_EQ(outcome.failedLines, c.failedLines);
    // The same from the scan that asks the library once per empty match.
    HitList reference;
    EXPECT_EQ(
        CollectRegexHits(c.text, c.pattern, reference, RegexScanMode::kEveryPosition).failedLines,
        c.failedLines);
    EXPECT_EQ(reference.Size(), static_cast<int32_t>(c.hits.size()));
  }
}

// The library counts bytes in an int, so a large text is shown to it a stretch at a time:
// with stretches of 64 units the hits are those of the whole text shown at once, for
// matches and look-arounds within a quarter of a stretch, at every boundary.
TEST(RegexSearch, StretchesOfTheTextGiveTheHitsOfTheWholeText) {
  std::u16string text = u"start ";
  for (int i = 0; i < 60; ++i)
    text += std::u16string(u"ab cd\n漢字 z9\n").substr(static_cast<size_t>(i % 7)) +
            (i % 3 == 0 ? u"e\r\n" : u"fgh ");
  text += u"end";
  const std::u16string_view patterns[] = {
      u"cd",       u"^ab",      u"z9$",        u"\\Astart", u"end\\z", u"h\\s+e", u"[a-z]+",
      u"(?<=b )c", u"\\bz\\w*", u"d(?=\\n漢)", u"漢字",     u"x*",     u"^$",     u"e\\r?\\n"};
  const RegexScanMode modes[] = {RegexScanMode::kFiltered, RegexScanMode::kUnfiltered,
                                 RegexScanMode::kEveryPosition};
  for (const std::u16string_view pattern : patterns) {
    for (const RegexScanMode mode : modes) {
      HitList whole;
      CollectRegexHits(text, pattern, whole, mode);
      for (const int64_t stretch : {64, 71, 100}) {
        HitList stretched;
        CollectRegexHits(text, pattern, stretched, mode, nullptr, stretch);
        HitSpans a, b;
        for (int64_t i = 0; i < whole.Size(); ++i) a.emplace_back(whole[i].start, whole[i].length);
        for (int64_t i = 0; i < stretched.Size(); ++i)
          b.emplace_back(stretched[i].start, stretched[i].length);
        EXPECT_EQ(b, a) << std::string(pattern.begin(), pattern.end()) << ", mode "
                        << static_cast<int>(mode) << ", stretch " << stretch;
      }
    }
  }
}

// A cancel stops even a single library call that would run for minutes over one long line,
// and a search in the background holds what it reads, the document's own text and not a
// copy of it: the document may go meanwhile.
TEST(HostilePatterns, CancelStopsALongScanAndTheBackgroundOwnsItsText) {
  const std::u16string line(300000, u'a');
  std::atomic<bool> cancel{false};
  std::thread canceller([&cancel] {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    cancel.store(true);
  });
  const HitCollection stopped = CollectHits(line, u"a*[^a][^a]", 0, 1, &cancel);
  canceller.join();
  EXPECT_TRUE(stopped.cancelled);

  for (int32_t Regx : {0, 1}) {
    for (const bool filter : {false, true}) {
      auto document = std::make_unique<Document>(LaidOut(u"東京 tokyo\nx\n東京駅"));
      std::atomic<int> calls{0};
      SearchedText shared = ShareText(*document);
      EXPECT_EQ(shared.View().data(), document->text);
      auto search = BackgroundSearch::Start({std::move(shared), u"東京", 0, Regx, filter},
                                            [&calls] { ++calls; });
      document.reset();
      ASSERT_TRUE(search->WaitUntilFinished(std::chrono::seconds(10)))
          << "Regx " << Regx << (filter ? ", filter" : "");
      const HitCollection found = search->TakeResult();
      EXPECT_FALSE(found.cancelled);
      if (filter) {
        const KeptLines kept = search->TakeKeptLines();
        ASSERT_TRUE(kept.view);
        EXPECT_EQ(kept.view->Text(), u"東京 tokyo\n東京駅");
      } else {
        ASSERT_EQ(found.hits.Size(), 2);
        EXPECT_EQ(found.hits[1].start, 11);
      }
      EXPECT_EQ(search->PatternLength(), 2);
      while (calls.load() == 0) std::this_thread::yield();
    }
  }
  auto endless = BackgroundSearch::Start({line, u"a*[^a][^a]", 0, 1}, nullptr);
  endless->Cancel();
  ASSERT_TRUE(endless->WaitUntilFinished(std::chrono::seconds(10)));
  EXPECT_TRUE(endless->TakeResult().cancelled);
}

// Memory running out on the worker ends the search, not the process: it ends with nothing
// found or kept, says so, and lets go of the text.
TEST(HostilePatterns, ASearchOutOfMemoryEndsAlone) {
  for (const bool filter : {false, true}) {
    auto document = std::make_unique<Document>(LaidOut(u"東京"));
    auto search =
        BackgroundSearch::Start({ShareText(*document), u"東京", 0, 0, filter, 0, true}, nullptr);
    document.reset();
    ASSERT_TRUE(search->WaitUntilFinished(std::chrono::seconds(10)));
    EXPECT_TRUE(search->OutOfMemory());
    const HitCollection found = search->TakeResult();
    EXPECT_FALSE(found.cancelled);
    EXPECT_TRUE(found.hits.Empty());
    EXPECT_FALSE(search->TakeKeptLines().view);
  }
}

}  // namespace
}  // namespace vemora
