// The clipboard text of the copy commands: CR LF for every line end, and the prefix of the
// quoted copy once per logical line.
#include "core/text/clipboard_text.h"

#include <gtest/gtest.h>

namespace vemora {
namespace {

TEST(ClipboardText, LineEndsBecomeCrLfAndThePrefixStartsEachLogicalLine) {
  struct Case {
    std::u16string_view range, prefix, expected;
    const char* why;
  };
  const Case cases[] = {
      {u"a\nb\n", u"", u"a\r\nb\r\n", "a lone LF"},
      {u"a\rb", u"", u"a\r\nb", "a lone CR"},
      {u"a\r\nb", u"", u"a\r\nb", "a pair stays one line end"},
      {u"a\r", u"", u"a\r\n", "a range ending between CR and LF"},
      {u"a\n\nb", u">", u">a\r\n>\r\n>b", "an empty line gets its prefix"},
      {u"one\r\ntwo\r\n", u">", u">one\r\n>two\r\n", "no prefix after the last line end"},
      {u"ddle\r\nnext", u"> ", u"> ddle\r\n> next", "a range from mid-line is prefixed too"},
      {u"\t\x01\u3000", u"", u"\t\x01\u3000", "tabs, controls, full-width spaces unchanged"},
      {u"", u">", u"", "nothing selected"},
      {u"\n", u">", u">\r\n", ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ClipboardText(c.range, c.prefix), c.expected) << c.why;
    EXPECT_EQ(ClipboardTextLength(c.range, c.prefix), c.expected.size()) << c.why;
  }
}

TEST(ClipboardText, WritesExactlyTheCountedUnits) {
  // A guard unit behind the counted length must stay untouched.
  const std::u16string_view range = u"x\ny\r\nz";
  char16_t buffer[32];
  std::fill(std::begin(buffer), std::end(buffer), u'#');
  const size_t length = ClipboardTextLength(range, u">>");
  WriteClipboardText(buffer, range, u">>");
  EXPECT_EQ(std::u16string_view(buffer, length), u">>x\r\n>>y\r\n>>z");
  EXPECT_EQ(buffer[length], u'#');
}

}  // namespace
}  // namespace vemora
