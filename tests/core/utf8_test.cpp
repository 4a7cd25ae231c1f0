// UTF-8 and UTF-16 conversions used for paths, vemorainfo's output and test data.
#include <gtest/gtest.h>

#include <iterator>
#include <random>

#include "core/text/utf8.h"

namespace vemora {
namespace {

TEST(Utf8, WellFormedTextRoundTrips) {
  for (std::u16string text : {u"", u"plain ASCII text, long enough for the fast path",
                              u"日本語とｶﾀｶﾅ", u"\U0001F600 and \U00020BB7", u"a\u0000b\u007F\u0080\u07FF\u0800\uFFFF"}) {
    EXPECT_EQ(Utf8ToUtf16(Utf16ToUtf8(text)), text);
  }
  EXPECT_EQ(Utf16ToUtf8(u"あ\U0001F600"), "\xE3\x81\x82\xF0\x9F\x98\x80");
}

TEST(Utf8, IllFormedInputBecomesReplacementCharacters) {
  // Lone surrogates have no UTF-8 form.
  EXPECT_EQ(Utf16ToUtf8(std::u16string{u'a', 0xD800, u'b', 0xDC00}), "a\xEF\xBF\xBD" "b\xEF\xBF\xBD");
  EXPECT_EQ(Utf16ToUtf8(std::u16string{0xDBFF}), "\xEF\xBF\xBD");
  // Overlong forms, encoded surrogates, cut sequences and stray continuation bytes.
  EXPECT_EQ(Utf8ToUtf16("\xC0\xAF"), u"\uFFFD\uFFFD");
  EXPECT_EQ(Utf8ToUtf16("\xED\xA0\x80"), u"\uFFFD\uFFFD\uFFFD");
  EXPECT_EQ(Utf8ToUtf16("a\xE3\x81"), u"a\uFFFD\uFFFD");
  EXPECT_EQ(Utf8ToUtf16("\x80z"), u"\uFFFDz");
  EXPECT_EQ(Utf8ToUtf16("\xF4\x90\x80\x80"), u"\uFFFD\uFFFD\uFFFD\uFFFD");
}

// Long random texts, so that runs of every kind meet the eight-unit steps at every
// offset: each unit round-trips, and a lone surrogate comes back as U+FFFD.
TEST(Utf8, LongMixedTextsRoundTripAtEveryOffset) {
  const std::u16string tokens[] = {u"a",      u"\r\n",     u"日本語の文章",     u"\u00E9",
                                   u"\u07FF",  u"\u0800",   u"\uD7FF\uE000\uFFFF", u"\U0001F600",
                                   {0xD800}, {0xDC00}, u"ASCII run of some length"};
  std::mt19937 random(7);
  for (int round = 0; round < 200; ++round) {
    std::u16string text;
    std::u16string expected;
    while (text.size() < 300) {
      const std::u16string& token = tokens[random() % std::size(tokens)];
      // A lead surrogate followed by a trail one would make a pair: keep lone ones lone.
      const bool lone = token.size() == 1 && token[0] >= 0xD800 && token[0] <= 0xDFFF;
      if (lone && !text.empty() && text.back() >= 0xD800 && text.back() <= 0xDFFF) continue;
      text += token;
      expected += lone ? u"\uFFFD" : token;
    }
    ASSERT_EQ(expected, Utf8ToUtf16(Utf16ToUtf8(text))) << "round " << round;
  }
}

}  // namespace
}  // namespace vemora
