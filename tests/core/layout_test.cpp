// Line breaking in both wrap modes and the line-table lookups.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/layout/layout.h"
#include "test_documents.h"

namespace vemora {
namespace {

using testing::MakeDocument;

// Every unit is `narrow` pixels wide, except the ones listed as wide.
class FixedMeasure final : public TextMeasure {
 public:
  explicit FixedMeasure(int32_t narrow, int32_t wide) : narrow_(narrow), wide_(wide) {}
  int32_t UnitWidth(char16_t unit) override {
    ++calls;
    return unit >= 0x3000 ? wide_ : narrow_;
  }
  // A surrogate pair is as wide as one wide unit.
  int32_t CharacterWidth(std::u16string_view) override {
    ++characterCalls;
    return wide_;
  }
  int32_t calls = 0;
  int32_t characterCalls = 0;

 private:
  int32_t narrow_;
  int32_t wide_;
};

LayoutParameters Columns(int32_t fold, int32_t tab = 8) {
  return LayoutParameters{tab, fold, 0, 8, 0};
}

// The text of each display line.
std::vector<std::u16string> Lines(const Document& document) {
  std::vector<std::u16string> lines;
  for (int32_t n = 0; n < document.displayLineCount; ++n)
    lines.emplace_back(document.Text().substr(LineStart(document, n), LineLength(document, n)));
  return lines;
}

std::vector<int32_t> Logicals(const Document& document) {
  std::vector<int32_t> logicals;
  for (int32_t n = 0; n <= document.displayLineCount; ++n)
    logicals.push_back(document.lineTable.LogicalOf(n));
  return logicals;
}

using Strings = std::vector<std::u16string>;
using Numbers = std::vector<int32_t>;

TEST(Layout, EmptyTextHasOnlyTheEndMark) {
  Document document = MakeDocument(u"");
  FixedMeasure measure(8, 16);
  LayoutDocument(document, Columns(80), measure);
  EXPECT_EQ(document.displayLineCount, 0);
  ASSERT_EQ(document.lineTable.blocks.size(), 1u);
  EXPECT_EQ(document.lineTable.blocks[0]->count, 0);
  EXPECT_EQ(LineStart(document, 0), 0);
  EXPECT_EQ(document.lineTable.LogicalOf(0), 0);
  EXPECT_EQ(document.scrollScale, 1);
  EXPECT_EQ(DisplayLineOf(document, 0), 0);
  EXPECT_EQ(LogicalLineOf(document, 0), -1);
}

TEST(Layout, LineEndStaysOnlyWhenItStartsBeforeTheFoldColumn) {
  FixedMeasure measure(8, 16);
  Document exact = MakeDocument(u"abc\r\n");
  LayoutDocument(exact, Columns(3), measure);
  EXPECT_EQ(Lines(exact), (Strings{u"abc", u"\r\n"}));
  EXPECT_EQ(Logicals(exact), (Numbers{0, 0, 1}));

  Document roomy = MakeDocument(u"abc\r\n");
  LayoutDocument(roomy, Columns(4), measure);
  EXPECT_EQ(Lines(roomy), (Strings{u"abc\r\n"}));
  EXPECT_EQ(Logicals(roomy), (Numbers{0, 1}));
}

TEST(Layout, MixedLineEndsEachCountOnce) {
  FixedMeasure measure(8, 16);
  Document document = MakeDocument(u"a\rb\nc\r\n\n\r\rd");
  LayoutDocument(document, Columns(80), measure);
  EXPECT_EQ(Lines(document), (Strings{u"a\r", u"b\n", u"c\r\n", u"\n", u"\r", u"\r", u"d"}));
  // Without a final line end the end mark shares the last line's logical number.
  EXPECT_EQ(Logicals(document), (Numbers{0, 1, 2, 3, 4, 5, 6, 6}));
  EXPECT_EQ(LineStart(document, 7), document.textLength);
}

TEST(Layout, WideCharacterAtTheWrapColumnMovesToTheNextLine) {
  FixedMeasure measure(8, 16);
  Document document = MakeDocument(u"abcあい");
  LayoutDocument(document, Columns(4), measure);
  EXPECT_EQ(Lines(document), (Strings{u"abc", u"あい"}));

  // Wider than the whole line: taken alone so that every line holds a unit.
  Document alone = MakeDocument(u"ああ");
  LayoutDocument(alone, Columns(1), measure);
  EXPECT_EQ(Lines(alone), (Strings{u"あ", u"あ"}));
}

TEST(Layout, PartialWidthCountsAsAWholeColumn) {
  FixedMeasure measure(9, 9);  // 9 pixels with W = 8: two columns each
  Document document = MakeDocument(u"abcde");
  LayoutDocument(document, Columns(4), measure);
  EXPECT_EQ(Lines(document), (Strings{u"ab", u"cd", u"e"}));
}

TEST(Layout, TabsAdvanceToTheNextMultipleOfTab) {
  FixedMeasure measure(8, 16);
  // Column 5 -> 8 -> 12 with Tab 4; "x" then sits at column 13, beyond Fold 12.
  Document document = MakeDocument(u"abcde\t\tx");
  LayoutDocument(document, Columns(12, 4), measure);
  EXPECT_EQ(Lines(document), (Strings{u"abcde\t\t", u"x"}));

  // A tab that passes the fold column wraps; a tab of width 0 is taken as 1.
  Document zero = MakeDocument(u"ab\tc");
  LayoutDocument(zero, Columns(4, 0), measure);
  EXPECT_EQ(Lines(zero), (Strings{u"ab\tc"}));
  LayoutDocument(zero, Columns(2, 0), measure);
  EXPECT_EQ(Lines(zero), (Strings{u"ab", u"\tc"}));
}

TEST(Layout, ControlCharactersTakeOneColumn) {
  FixedMeasure measure(8, 16);
  Document document = MakeDocument(
      u"a\x01\x02"
      u"b");
  LayoutDocument(document, Columns(3), measure);
  EXPECT_EQ(Lines(document), (Strings{u"a\x01\x02", u"b"}));
  EXPECT_EQ(measure.calls, 2);  // control units are never measured; "a" and "b" once each
}

TEST(Layout, EachDistinctUnitIsMeasuredOncePerLayout) {
  FixedMeasure measure(8, 16);
  Document document = MakeDocument(u"abababあああ");
  LayoutDocument(document, Columns(80), measure);
  EXPECT_EQ(measure.calls, 3);
}

TEST(Layout, EdgeModeWrapsAtTheClientWidth) {
  FixedMeasure measure(8, 16);
  // Usable width 100 - 16 = 84 pixels: ten narrow units (80) fit, the eleventh does not.
  Document document = MakeDocument(u"0123456789abc\r\n");
  LayoutDocument(document, LayoutParameters{8, 80, 1, 8, 100}, measure);
  EXPECT_EQ(Lines(document), (Strings{u"0123456789", u"abc\r\n"}));

  // The tab advances by whole tab columns counted over tabs and controls only.
  FixedMeasure wide(30, 30);
  Document tabbed = MakeDocument(u"ab\tc");
  LayoutDocument(tabbed, LayoutParameters{8, 80, 1, 8, 16 + 60 + 64}, wide);
  EXPECT_EQ(Lines(tabbed), (Strings{u"ab\t", u"c"}));
  LayoutDocument(tabbed, LayoutParameters{8, 80, 1, 8, 16 + 60 + 64 + 30}, wide);
  EXPECT_EQ(Lines(tabbed), (Strings{u"ab\tc"}));
}

TEST(Layout, LineEndThatNeverFitsStillEndsItsLogicalLine) {
  FixedMeasure measure(8, 16);
  // A window too narrow for even one average width: every unit is taken alone.
  Document document = MakeDocument(u"a\r\nb\nc");
  LayoutDocument(document, LayoutParameters{8, 80, 1, 8, 20}, measure);
  EXPECT_EQ(Lines(document), (Strings{u"a", u"\r\n", u"b", u"\n", u"c"}));
  EXPECT_EQ(Logicals(document), (Numbers{0, 0, 1, 1, 2, 2}));
}

TEST(Layout, ExactlyAThousandLinesPutsTheEndMarkInABlockOfItsOwn) {
  FixedMeasure measure(8, 16);
  std::u16string text;
  for (int i = 0; i < 1000; ++i) text += u"x\n";
  Document document = MakeDocument(text);
  LayoutDocument(document, Columns(80), measure);
  EXPECT_EQ(document.displayLineCount, 1000);
  ASSERT_EQ(document.lineTable.blocks.size(), 2u);
  EXPECT_EQ(document.lineTable.blocks[0]->count, 1000);
  EXPECT_EQ(document.lineTable.blocks[1]->count, 0);
  EXPECT_EQ(document.lineTable.blocks[1]->starts[0], 2000);
  EXPECT_EQ(document.lineTable.blocks[1]->logical[0], 1000);
  EXPECT_EQ(LineLength(document, 999), 2);
  EXPECT_EQ(LineLength(document, 1000), 0);
  EXPECT_EQ(DisplayLineOf(document, 1998), 999);
  EXPECT_EQ(DisplayLineOf(document, 2000), 1000);  // the end mark alone in its block
  EXPECT_EQ(DisplayLineOfLogical(document, 999), 999);

  // 1001 lines: the second block holds one line and the end mark behind it.
  Document more = MakeDocument(text + u"y");
  LayoutDocument(more, Columns(80), measure);
  EXPECT_EQ(more.displayLineCount, 1001);
  ASSERT_EQ(more.lineTable.blocks.size(), 2u);
  EXPECT_EQ(more.lineTable.blocks[1]->count, 1);
  EXPECT_EQ(LineLength(more, 999), 2);
  EXPECT_EQ(LineLength(more, 1000), 1);
  EXPECT_EQ(DisplayLineOf(more, 2001), 1000);
  EXPECT_EQ(LogicalLineOf(more, 1000), 1000);
}

TEST(Layout, LastLogicalLineIsFoundWhenTheEndMarkHasABlockOfItsOwn) {
  FixedMeasure measure(8, 16);
  std::u16string text;
  for (int i = 0; i < 999; ++i) text += u"x\n";
  text += u"z";  // line 999 ends the text without a line end, filling the block
  Document document = MakeDocument(text);
  LayoutDocument(document, Columns(80), measure);
  ASSERT_EQ(document.lineTable.blocks.size(), 2u);
  EXPECT_EQ(document.lineTable.blocks[1]->logical[0], 999);
  EXPECT_EQ(DisplayLineOfLogical(document, 999), 999);
  EXPECT_EQ(DisplayLineOfLogical(document, 1000), -1);
}

TEST(Layout, LookupsAcrossWrappedLogicalLines) {
  FixedMeasure measure(8, 16);
  Document document = MakeDocument(u"aaaaaaa\nbb\nccccc");
  LayoutDocument(document, Columns(3), measure);
  EXPECT_EQ(Lines(document), (Strings{u"aaa", u"aaa", u"a\n", u"bb\n", u"ccc", u"cc"}));
  EXPECT_EQ(DisplayLineOfLogical(document, 0), 0);
  EXPECT_EQ(DisplayLineOfLogical(document, 1), 3);
  EXPECT_EQ(DisplayLineOfLogical(document, 2), 4);
  EXPECT_EQ(DisplayLineOfLogical(document, 3), -1);
  EXPECT_EQ(DisplayLineOf(document, -5), 0);
  EXPECT_EQ(DisplayLineOf(document, 6), 2);
  EXPECT_EQ(DisplayLineOf(document, 7), 2);
  EXPECT_EQ(DisplayLineOf(document, 8), 3);
  EXPECT_EQ(DisplayLineOf(document, document.textLength), 5);
  EXPECT_EQ(LogicalLineOf(document, 5), 2);
  EXPECT_EQ(LogicalLineOf(document, 6), -1);
  EXPECT_EQ(LineLength(document, -1), 0);
}

// Display lines are counted in 32 bits: at the most a table counts, the last line holds
// the rest of the text and its line ends still count, on one thread and in pieces alike.
TEST(Layout, TheLastLineCountedHoldsTheRestOfTheText) {
  const std::u16string text = u"a\nbb\nccccc\r\nd\n\ne";
  const struct {
    int32_t mostLines;
    Strings lines;
    Numbers logicals;
  } cases[] = {
      {3, {u"a\n", u"bb\n", u"ccccc\r\nd\n\ne"}, {0, 1, 2, 5}},
      {4, {u"a\n", u"bb\n", u"ccc", u"cc\r\nd\n\ne"}, {0, 1, 2, 2, 5}},
      {1, {text}, {0, 5}},
      {8, {u"a\n", u"bb\n", u"ccc", u"cc\r\n", u"d\n", u"\n", u"e"}, {0, 1, 2, 2, 3, 4, 5, 5}},
  };
  for (const auto& c : cases) {
    LayoutParameters parameters = Columns(3);
    parameters.mostLines = c.mostLines;
    for (const int32_t pieces : {0, 3}) {
      Document document = MakeDocument(text);
      FixedMeasure measure(8, 16);
      if (pieces == 0)
        LayoutDocumentOnOneThread(document, parameters, measure);
      else
        LayoutDocumentInPieces(document, parameters, measure, pieces);
      SCOPED_TRACE(::testing::Message() << c.mostLines << " lines, " << pieces << " pieces");
      EXPECT_EQ(Lines(document), c.lines);
      EXPECT_EQ(Logicals(document), c.logicals);
    }
  }
}

TEST(Layout, ScrollScaleKeepsPositionsWithinSixteenBits) {
  EXPECT_EQ(ScrollScale(0), 1);
  EXPECT_EQ(ScrollScale(65534), 1);
  EXPECT_EQ(ScrollScale(65535), 2);
  FixedMeasure measure(8, 16);
  std::u16string text;
  for (int i = 0; i < 70000; ++i) text += u"\n";
  Document document = MakeDocument(text);
  LayoutDocument(document, Columns(80), measure);
  EXPECT_EQ(document.displayLineCount, 70000);
  EXPECT_EQ(document.scrollScale, 2);
  EXPECT_EQ(DisplayLineOf(document, 65432), 65432);
  EXPECT_EQ(DisplayLineOfLogical(document, 69999), 69999);
}

TEST(Layout, RelayoutReplacesTheTable) {
  FixedMeasure measure(8, 16);
  Document document = MakeDocument(u"abcdef");
  LayoutDocument(document, Columns(2), measure);
  EXPECT_EQ(document.displayLineCount, 3);
  LayoutDocument(document, Columns(80), measure);
  EXPECT_EQ(document.displayLineCount, 1);
  EXPECT_EQ(document.lineTable.blocks.size(), 1u);
}

TEST(Layout, ColumnRuleCountsHalfWidthFormsAsOneColumn) {
  ColumnRuleMeasure measure;
  Document document = MakeDocument(
      u"ｱｲｳｴあ\x7F"
      u"a");
  LayoutDocument(document, LayoutParameters{8, 5, 0, 1, 0}, measure);
  EXPECT_EQ(Lines(document), (Strings{u"ｱｲｳｴ",
                                      u"あ\x7F"
                                      u"a"}));
}

// The first display line of every logical line, found by walking the whole table.
std::vector<int32_t> FirstRowsByWalking(const Document& document) {
  std::vector<int32_t> first;
  for (int32_t n = 0; n < document.displayLineCount; ++n)
    if (LogicalLineOf(document, n) == static_cast<int32_t>(first.size())) first.push_back(n);
  return first;
}

TEST(Layout, GoingToALogicalLineLandsOnItsFirstRowAcrossBlocks) {
  FixedMeasure measure(8, 16);
  // Logical line 998 wraps over rows 998, 999 and 1000: it starts in the first block and
  // goes on into the second, whose first entry therefore also belongs to it.
  std::u16string text;
  for (int i = 0; i < 998; ++i) text += u"x\n";
  Document straddling = MakeDocument(text + u"aaaaaaa\nb");
  LayoutDocument(straddling, Columns(3), measure);
  ASSERT_EQ(straddling.lineTable.blocks[1]->logical[0], 998);
  EXPECT_EQ(DisplayLineOfLogical(straddling, 998), 998);
  EXPECT_EQ(DisplayLineOfLogical(straddling, 999), 1001);
  EXPECT_EQ(DisplayLineOfLogical(straddling, 1000), -1);
  EXPECT_EQ(DisplayLineOfLogical(straddling, -1), -1);

  // Lines of every length from 1 to 2500 columns with Fold 7, so that many lines cross
  // block boundaries and some span whole blocks: every logical line is found at its
  // first row, and nothing is found past the last one.
  std::u16string mixed;
  for (int length : {1, 2500, 3, 7, 8, 1400, 0, 14, 999, 6999, 2, 1})
    mixed += std::u16string(static_cast<size_t>(length), u'y') + u"\r\n";
  for (int i = 0; i < 900; ++i) mixed += std::u16string(static_cast<size_t>(i % 23), u'z') + u"\n";
  Document document = MakeDocument(mixed);
  LayoutDocument(document, Columns(7), measure);
  ASSERT_GT(document.lineTable.blocks.size(), 3u);
  const std::vector<int32_t> expected = FirstRowsByWalking(document);
  for (int32_t logical = 0; logical < static_cast<int32_t>(expected.size()); ++logical)
    ASSERT_EQ(DisplayLineOfLogical(document, logical), expected[logical]) << logical;
  EXPECT_EQ(DisplayLineOfLogical(document, static_cast<int32_t>(expected.size())), -1);
}

// At the window edge a line end takes one average width: it stays on its row only when
// that width still fits, a CR LF pair like a single LF.
TEST(Layout, EdgeModeKeepsALineEndOnItsRowOnlyWhenItFits) {
  FixedMeasure measure(8, 16);
  struct Case {
    const char16_t* text;
    int32_t usableWidth;  // client width - 16
    Strings lines;
  };
  const Case cases[] = {
      {u"0123456789\n", 80, {u"0123456789", u"\n"}},  // 80 + 8 > 80
      {u"0123456789\n", 88, {u"0123456789\n"}},       // 80 + 8 = 88 fits exactly
      {u"0123456789\r\n", 87, {u"0123456789", u"\r\n"}},
      {u"0123456789\r\nab", 88, {u"0123456789\r\n", u"ab"}},
      {u"012345678\r", 80, {u"012345678\r"}},  // 72 + 8 = 80
      {u"0123456789\r", 80, {u"0123456789", u"\r"}},
  };
  for (const Case& c : cases) {
    Document document = MakeDocument(c.text);
    LayoutDocument(document, LayoutParameters{8, 80, 1, 8, c.usableWidth + 16}, measure);
    EXPECT_EQ(Lines(document), c.lines) << c.usableWidth;
    EXPECT_EQ(document.lineTable.LogicalOf(document.displayLineCount), 1)
        << "the line end counts once wherever it sits";
  }
}

// At the window edge a control character advances the tab column as well as x, so a
// later tab reaches the next tab stop counted from it; printable units never do.
TEST(Layout, EdgeModeControlCharactersAdvanceTheTabColumn) {
  FixedMeasure measure(30, 30);
  struct Case {
    const char16_t* text;
    int32_t usableWidth;
    Strings lines;
  };
  // "a" 30, U+0001 one W (8), the tab from tab column 1 to 4: 3 × 8, "b" 30: 92 in all.
  // Had the control character not counted, the tab would take 4 × 8 and "b" end at 100.
  const Case cases[] = {
      {u"a\x01\tb", 92, {u"a\x01\tb"}},
      {u"a\x01\tb", 91, {u"a\x01\t", u"b"}},
      {u"\x01\x02\x03\x04\t", 64, {u"\x01\x02\x03\x04\t"}},  // at a stop: a whole tab more
      {u"\x01\x02\x03\x04\t", 63, {u"\x01\x02\x03\x04", u"\t"}},
      {u"abc\tb", 90 + 32 + 30, {u"abc\tb"}},  // printable units leave the tab column at 0
  };
  for (const Case& c : cases) {
    Document document = MakeDocument(c.text);
    LayoutDocument(document, LayoutParameters{4, 80, 1, 8, c.usableWidth + 16}, measure);
    EXPECT_EQ(Lines(document), c.lines) << c.usableWidth;
  }
}

// A surrogate pair is one full-width character: measured as one and never parted by a
// wrap, in both wrap modes, laid out at once, in pieces or grown from a cut inside it.
TEST(Layout, SurrogatePairIsOneFullWidthCharacter) {
  const std::u16string k = u"\U00020BB7";  // 𠮷: two units, two columns (16 pixels)
  const auto edge = [](int32_t usableWidth) {
    return LayoutParameters{4, 80, 1, 8, usableWidth + 16};
  };
  struct Case {
    std::u16string text;
    LayoutParameters parameters;
    Strings lines;
  };
  const Case cases[] = {
      {u"a" + k + k + k + k + k + k, Columns(4), {u"a" + k, k + k, k + k, k}},
      {k + k, Columns(1), {k, k}},  // wider than the line: taken whole, alone
      {u"abc" + k + u"d", Columns(4), {u"abc", k + u"d"}},
      {u"ab" + k + u"\r\n", Columns(4), {u"ab" + k, u"\r\n"}},
      {k + u"\tx", Columns(5, 4), {k + u"\tx"}},  // the tab goes from column 2 to 4
      {k + k + u"\tx", Columns(8, 4), {k + k + u"\t", u"x"}},
      // Lone surrogates stay one unit each, as wide as the font has them.
      {u"\xD842"
       u"a\xDFB7"
       u"b",
       Columns(4),
       {u"\xD842"
        u"a",
        u"\xDFB7"
        u"b"}},
      {u"ab\xD842", Columns(3), {u"ab", u"\xD842"}},
      {u"a" + k + k + k + k + k + k, edge(40), {u"a" + k + k, k + k, k + k}},
      {k + k, edge(10), {k, k}},
      {u"\x01" + k + u"\tx", edge(8 + 16 + 24 + 8), {u"\x01" + k + u"\tx"}},  // tab: 1 -> 4
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << "case " << (&c - cases));
    FixedMeasure measure(8, 16);
    Document document = MakeDocument(c.text);
    LayoutDocumentOnOneThread(document, c.parameters, measure);
    EXPECT_EQ(Lines(document), c.lines);
    // The same text grown from a cut inside its last pair (its first half shown alone).
    const size_t last = c.text.find_last_of(k[0]);
    if (last == std::u16string::npos || last + 1 >= c.text.size()) continue;
    Document grown = MakeDocument(c.text);
    grown.textLength = static_cast<int32_t>(last + 1);
    LayoutDocumentOnOneThread(grown, c.parameters, measure);
    grown.textLength = document.textLength;
    ExtendLayout(grown, static_cast<int64_t>(last + 1), c.parameters, measure);
    EXPECT_EQ(Lines(grown), c.lines) << "grown";
  }

  FixedMeasure measure(8, 16);
  Document many = MakeDocument(u"a" + k + k + k + k + k + k + u"\U0001F600");
  LayoutDocument(many, Columns(4), measure);
  EXPECT_EQ(measure.characterCalls, 2) << "each distinct pair measured once per layout";
}

// Chunks are cut after line ends, where a display line starts whatever came before: pairs
// next to them, lone halves at a line's end, lay out as in one piece.
TEST(Layout, PairsNextToChunkEdgesLayOutAsInOnePiece) {
  std::u16string text;
  for (int i = 0; i < 400; ++i) {
    text += std::u16string(static_cast<size_t>(i % 7), u'a') + u"\U00020BB7\U00020BB7\n";
    text += i % 3 ? u"\U0001F600\r\n" : u"b\xD842\r\n\xDC00";
  }
  FixedMeasure measure(8, 16);
  Document whole = MakeDocument(text);
  LayoutDocumentOnOneThread(whole, Columns(5), measure);
  Document pieces = MakeDocument(text);
  LayoutDocumentInPieces(pieces, Columns(5), measure, 7);
  EXPECT_EQ(Lines(pieces), Lines(whole));
  EXPECT_EQ(Logicals(pieces), Logicals(whole));
}

}  // namespace
}  // namespace vemora
