// Word classes, word and logical-line bounds for the double and triple click, the
// selection's validity, and the search text taken from a selection.
#include "core/text/selection.h"

#include <gtest/gtest.h>

#include <string>

#include "test_documents.h"

namespace vemora {
namespace {

TEST(CharClass, EachUnitFallsInTheClassOfItsRange) {
  struct Case {
    char16_t unit;
    CharacterClass expected;
  };
  const Case cases[] = {
      {u'\t', CharacterClass::kBlank},
      {u' ', CharacterClass::kBlank},
      {u'\u3000', CharacterClass::kBlank},
      {u'\0', CharacterClass::kControl},
      {u'\r', CharacterClass::kControl},
      {0x1F, CharacterClass::kControl},
      {u'0', CharacterClass::kAlphanumeric},
      {u'Z', CharacterClass::kAlphanumeric},
      {u'z', CharacterClass::kAlphanumeric},
      {u'_', CharacterClass::kOther},
      {u'-', CharacterClass::kOther},
      {u'@', CharacterClass::kOther},
      {0xFF65, CharacterClass::kOther},
      {0xFF66, CharacterClass::kHalfWidthKatakana},
      {0xFF9F, CharacterClass::kHalfWidthKatakana},
      {0x3040, CharacterClass::kOther},
      {0x3041, CharacterClass::kHiragana},
      {0x3093, CharacterClass::kHiragana},
      {0x3094, CharacterClass::kOther},
      {0x30A1, CharacterClass::kKatakana},
      {0x30F6, CharacterClass::kKatakana},
      {0x30FB, CharacterClass::kOther},
      {0x30FC, CharacterClass::kProlongedSoundMark},
      {0xFF10, CharacterClass::kFullWidthAlphanumeric},
      {0xFF3A, CharacterClass::kFullWidthAlphanumeric},
      {0xFF3B, CharacterClass::kOther},
      {0xFF5A, CharacterClass::kFullWidthAlphanumeric},
      {u'漢', CharacterClass::kOther},
  };
  for (const Case& c : cases) EXPECT_EQ(CharClass(c.unit), c.expected) << std::hex << +c.unit;
}

TEST(WordBounds, DoubleClickSelectsTheRunOfTheClickedClass) {
  struct Case {
    std::u16string_view text;
    int32_t click;
    TextRange expected;
    const char* why;
  };
  const Case cases[] = {
      {u"foo_bar baz", 1, {0, 3}, "an underscore is of class other"},
      {u"foo_bar baz", 5, {4, 7}, "the part after the underscore"},
      {u"foo_bar baz", 3, {3, 4}, "the underscore alone"},
      {u"a  \t b", 2, {1, 5}, "a run of spaces and tabs"},
      {u"漢字データー表示", 4, {2, 6}, "katakana with its prolonged sound marks, no kanji"},
      {u"漢字データー表示", 5, {5, 6}, "a mark clicked itself joins only other marks"},
      {u"ひらがなーです", 0, {0, 7}, "the mark joins hiragana too"},
      {u"ーーabc", 0, {0, 2}, "marks alone form their own word"},
      {u"abc\r\ndef", 4, {5, 5}, "the LF of a pair: the empty next-line boundary"},
      {u"abc\r\ndef", 3, {4, 4}, "the CR: nothing"},
      {u"abc\ndef", 3, {4, 4}, "a lone LF: nothing"},
      {u"abc\ndef", 5, {4, 7}, "a word at the start of a line stops at the line start"},
      {u"abc", 3, {3, 3}, "past the end of the text"},
      {u"ｶﾀｶﾅabc", 1, {0, 4}, "half-width katakana"},
  };
  for (const Case& c : cases) EXPECT_EQ(WordBounds(c.text, c.click), c.expected) << c.why;
}

TEST(LogicalLineBounds, LineEndsAreBoundariesInFrontOfTheNextLine) {
  struct Case {
    std::u16string_view text;
    int32_t position;
    TextRange expected;
  };
  const Case cases[] = {
      {u"ab\r\ncd\r\n", 1, {0, 2}}, {u"ab\r\ncd\r\n", 5, {4, 6}},
      {u"ab\r\ncd\r\n", 2, {3, 3}},  // the CR: the empty gap before the LF
      {u"ab\ncd", 2, {3, 5}},        // a lone LF: the next line
      {u"ab\rcd", 2, {3, 5}},        // a lone CR: the next line
      {u"ab\ncd", 5, {3, 5}},        // the end of the text belongs to the last line
      {u"ab\n", 3, {3, 3}},         {u"", 0, {0, 0}},
  };
  for (const Case& c : cases)
    EXPECT_EQ(LogicalLineBounds(c.text, c.position), c.expected) << "position " << c.position;
}

TEST(SelectionState, RangeIsOrderedAndInvalidEndsClearIt) {
  Document document = testing::MakeDocument(u"abcdef");
  TextRange range;
  EXPECT_FALSE(SelectionRange(document, range));
  document.SelectionAnchor = 5, document.SelectionEnd = 2;
  ASSERT_TRUE(SelectionRange(document, range));
  EXPECT_EQ(range, (TextRange{2, 5}));
  document.SelectionEnd = 6;
  EXPECT_TRUE(KeepSelectionIfValid(document)) << "the end of the text is a valid end";
  document.SelectionEnd = 7, document.MouseSelecting = 1;
  EXPECT_FALSE(KeepSelectionIfValid(document));
  EXPECT_EQ(document.SelectionAnchor, kNoPosition);
  EXPECT_EQ(document.SelectionEnd, kNoPosition);
  EXPECT_EQ(document.MouseSelecting, 0);
}

TEST(SearchTextFromRange, TakesAtMostTheCapacityAndNeverHalfAPair) {
  const std::u16string hundred(100, u'x');
  EXPECT_EQ(SearchTextFromRange(hundred, {10, 100}, 80), std::u16string(80, u'x'));
  EXPECT_EQ(SearchTextFromRange(u"a\r\nb", {0, 4}, 80), u"a\r\nb") << "line ends as they are";
  // 79 letters then a pair: the 80th unit would be the pair's first half.
  const std::u16string pair = std::u16string(79, u'a') + u"\U0001F600";
  EXPECT_EQ(SearchTextFromRange(pair, {0, 81}, 80), std::u16string(79, u'a'));
  EXPECT_EQ(SearchTextFromRange(pair, {1, 81}, 80), pair.substr(1));
}

}  // namespace
}  // namespace vemora
