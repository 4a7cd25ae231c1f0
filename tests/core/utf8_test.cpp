// UTF-8 and UTF-16 conversions used for paths, vemorainfo's output and test data.
#include <gtest/gtest.h>

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

}  // namespace
}  // namespace vemora
