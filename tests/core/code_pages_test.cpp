// Code-page decoding as MultiByteToWideChar does it with flags 0. The expected values for
// invalid input were taken from Windows' conversion (as Wine implements it); the native
// build must give the same.
#include "core/platform/code_pages.h"

#include <gtest/gtest.h>

#include <string>

namespace vemora {
namespace {

struct CodePageCase {
  uint32_t codePage;
  std::string bytes;
  std::u16string expected;
};

void ExpectDecodes(const CodePageCase& c) {
  EXPECT_EQ(c.expected, DecodeCodePage(c.codePage, c.bytes))
      << "code page " << c.codePage << ", " << c.bytes.size() << " bytes";
}

TEST(CodePages, ShiftJisIncludingWindowsExtensions) {
  const CodePageCase cases[] = {
      {932, "\x82\xA0\x88\x9F", u"あ亜"},
      {932, "\\~\xB1\xDF", u"\\~ｱﾟ"},                  // no yen sign, no overline
      {932, "\x87\x40\x87\x90\xED\x40\xFA\x40", u"①≒纊ⅰ"},  // NEC and IBM rows
      {932, "\xF0\x40\xF9\xFC", u"\uE000\uE757"},       // user-defined area
      {kCodePageOem, "\x82\xA0", u"あ"},
      {932, std::string("a\0\x1B\x7F", 4), std::u16string(u"a\0\x1B\x7F", 4)},
  };
  for (const CodePageCase& c : cases) ExpectDecodes(c);
}

TEST(CodePages, ShiftJisInvalidInputIsReplacedAsOnWindows) {
  const CodePageCase cases[] = {
      {932, "A\x82", u"A\u30FB"},                           // lead byte at the very end
      {932, "\x82\x41\x42", u"\u30FB" u"B"},               // invalid trail: both bytes go
      {932, "\x82\n", u"\u30FB"},                           // even a line end as trail
      {932, std::string("\x81\0A", 3), std::u16string(u"\u30FB\0A", 3)},  // NUL stays
      {932, "\x85\x40\xEB\x81" "A", u"\u30FB\u30FB" "A"},  // undefined pairs
      {932, "\x80\xA0\xFD\xFE\xFF", u"\u0080\uF8F0\uF8F1\uF8F2\uF8F3"},  // single bytes
      {932, "\x82\xA0\x82", u"あ\u30FB"},
  };
  for (const CodePageCase& c : cases) ExpectDecodes(c);
}

TEST(CodePages, Utf8InvalidInputIsReplacedAsOnWindows) {
  const CodePageCase cases[] = {
      {65001, "\xE3\x81\x82\xF0\x9F\x98\x80", u"あ\U0001F600"},
      {65001, "\xEF\xBB\xBF" "A", u"\uFEFF" "A"},
      {65001, "A\xE3\x81", u"A\uFFFD"},                    // cut short at the end
      {65001, "\xE3\x41", u"\uFFFD"},                       // cut short: takes the rest
      {65001, "\xF0\x9F\x98" "A", u"\uFFFD" "A"},           // broken inside: keeps the rest
      {65001, "\x80" "A\xFF\xFE", u"\uFFFD" "A\uFFFD\uFFFD"},
      {65001, "\xC0\xAF\xE0\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"},  // overlong forms
      {65001, "\xED\xA0\x80", u"\uFFFD\uFFFD"},             // surrogate
      {65001, "\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD"},   // above U+10FFFF
      {65001, "\xF8\x88\x80\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD"},
  };
  for (const CodePageCase& c : cases) ExpectDecodes(c);
}

TEST(CodePages, Utf7IncludingBrokenInputAsOnWindows) {
  const CodePageCase cases[] = {
      {65000, "+ZeVnLIqe-", u"日本語"},
      {65000, "a+-b~\\", u"a+b~\\"},
      {65000, "+2D3cAA-", u"\U0001F400"},
      {65000, "+", u""},                        // a lone "+" at the end
      {65000, "+AGE", u"a"},                    // unterminated
      {65000, "+AGEAQ-x", u"ax"},               // leftover bits dropped
      {65000, "+AGE.", u"a."},                  // ended by a byte outside base64
      {65000, "+A!", u"!"},
      {65000, "+AA-", u""},
      {65000, "+2D3-", u"\xD83D"},              // a lone surrogate stays
      {65000, "a\x80\xE3", u"a\u0080\u00E3"},   // bytes above 0x7F stand for themselves
      {65000, "+AGE\x80", u"a\u0080"},
      {65000, "+AGE\x80+/////-", u"a\u0080\u3FFF\uFFFF"},  // the high byte keeps the bits
  };
  for (const CodePageCase& c : cases) ExpectDecodes(c);
}

TEST(CodePages, ShortRoomIsReportedAndCounted) {
  // A room too small for the whole text must never pass for an empty or cut text.
  const CodePageCase cases[] = {
      {932, "\x82\xA0\x82\xA2\x82\xA4", u"あいう"},
      {65001, "\xE3\x81\x82" "ab", u"あab"},
      {65000, "+MEIwRA-x", u"あいx"},
  };
  for (const CodePageCase& c : cases) {
    const auto* bytes = reinterpret_cast<const uint8_t*>(c.bytes.data());
    const auto length = static_cast<int32_t>(c.bytes.size());
    const auto units = static_cast<int32_t>(c.expected.size());
    std::u16string out(c.expected.size(), u'\0');
    EXPECT_EQ(kDecodeRoomShort, DecodeCodePage(c.codePage, bytes, length, out.data(), units - 1))
        << c.codePage;
    EXPECT_EQ(units, CountDecodedUnits(c.codePage, bytes, length)) << c.codePage;
    EXPECT_EQ(units, DecodeCodePage(c.codePage, bytes, length, out.data(), units)) << c.codePage;
    EXPECT_EQ(c.expected, out) << c.codePage;
  }
}

TEST(CodePages, LongInputCrossesEveryFastPath) {
  // ASCII words, then characters straddling them, in a text long enough to matter.
  std::string bytes;
  std::u16string expected;
  for (int i = 0; i < 2000; ++i) {
    bytes += "abcdefgh\x82\xA0xyz\xB1\x82";
    expected += u"abcdefghあxyzｱ";
    if (i % 2) {
      bytes += "\xA0";
      expected += u"あ";
    } else {
      bytes += " ";  // not a trail byte: goes with the lead byte
      expected += u"\u30FB";
    }
  }
  EXPECT_EQ(expected, DecodeCodePage(932, bytes));
}

TEST(CodePages, ConversionsStartAfreshAfterBrokenInput) {
  // Natively the converters are kept between calls: an unfinished sequence or a
  // character without a form must not leak into the next conversion.
  for (int i = 0; i < 3; ++i) {
    DecodeCodePage(kCodePageUtf8, std::string("\xE3\x81"));
    EXPECT_EQ(u"あ", DecodeCodePage(kCodePageUtf8, std::string("\xE3\x81\x82")));
    EncodeCodePage(kCodePageOem, u"\U0001F600\xD800");
    EXPECT_EQ("\x82\xA0", EncodeCodePage(kCodePageOem, u"あ"));
    EncodeCodePage(kCodePageUtf8, u"\xDC00");
    EXPECT_EQ("\xE3\x81\x82", EncodeCodePage(kCodePageUtf8, u"あ"));
  }
}

}  // namespace
}  // namespace vemora
