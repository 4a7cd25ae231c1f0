// Tests of the file-history list rules and labels.
#include <gtest/gtest.h>

#include "core/keys/file_history.h"
#include "core/platform/file_names.h"
#include "core/text/utf8.h"

namespace vemora {
namespace {

TEST(KeysHistory, NewPathFirstWithoutRepeats) {
  const StringList history = {u"C:\\a.txt", u"C:\\b.txt", u"C:\\c.txt"};
  EXPECT_EQ(UpdateFileHistory(history, u"C:\\B.TXT", 3),
            (StringList{u"C:\\B.TXT", u"C:\\a.txt", u"C:\\c.txt"}));
  EXPECT_EQ(UpdateFileHistory(history, u"C:\\d.txt", 3),
            (StringList{u"C:\\d.txt", u"C:\\a.txt", u"C:\\b.txt"}));
  EXPECT_EQ(UpdateFileHistory({}, u"x", 5), (StringList{u"x"}));
  EXPECT_EQ(UpdateFileHistory(history, u"x", 0), history);

  StringList many;
  for (int i = 0; i < 30; ++i) many.push_back(std::u16string(1, static_cast<char16_t>(u'A' + i)));
  EXPECT_EQ(UpdateFileHistory(many, u"new", 99).size(), 20u);
}

// The same file spelt in another case is one history entry, for every letter that file
// names fold, not only ASCII; characters that merely look alike stay apart.
TEST(KeysHistory, LettersFoldAsFileNamesDo) {
  struct Case {
    const char16_t* a;
    const char16_t* b;
    bool same;
  };
  const Case cases[] = {
      {u"C:\\Docs\\Read.TXT", u"c:\\docs\\read.txt", true},
      {u"C:\\Ä\\ö.txt", u"C:\\ä\\Ö.txt", true},
      {u"Ａ.txt", u"ａ.txt", true},  // full-width letters
      {u"ＺＩＰ", u"ｚｉｐ", true},
      {u"É", u"é", true},
      {u"Ÿ", u"ÿ", true},
      {u"Ł", u"ł", true},
      {u"ΣΟΦΙΑ", u"σοφια", true},
      {u"МОСКВА", u"москва", true},
      {u"Ё", u"ё", true},
      {u"[", u"{", false},   // the distance of case, but no letters
      {u"×", u"÷", false},   // the distance of case among the accented letters
      {u"Ａ", u"A", false},  // full-width and plain letters are different characters
      {u"ア", u"ｱ", false},
      {u"ab", u"abc", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FileNamesEqual(c.a, c.b), c.same) << Utf16ToUtf8(c.a);
    EXPECT_EQ(FileNamesEqual(c.b, c.a), c.same) << Utf16ToUtf8(c.a);
    const StringList updated = UpdateFileHistory({u"x", c.a, u"y"}, c.b, 5);
    EXPECT_EQ(updated.size(), c.same ? 3u : 4u) << Utf16ToUtf8(c.a);
    EXPECT_EQ(updated.front(), c.b);
  }
}

TEST(KeysHistory, Labels) {
  EXPECT_EQ(HistoryLabel(0), u"&1 ");
  EXPECT_EQ(HistoryLabel(8), u"&9 ");
  EXPECT_EQ(HistoryLabel(9), u"&0 ");
  EXPECT_EQ(HistoryLabel(10), u"&* ");
  EXPECT_EQ(HistoryLabel(19), u"&* ");
  const std::u16string text = HistoryMenuText(9, u"D:\\日本語\\a b.txt");
  EXPECT_EQ(text, u"&0 D:\\日本語\\a b.txt");
  EXPECT_EQ(HistoryPathFromMenuText(text), u"D:\\日本語\\a b.txt");
  EXPECT_EQ(HistoryPathFromMenuText(u"&1"), u"");
  // A menu shows "&&" as "&"; a lone one would vanish and underline the next character.
  struct Case {
    std::u16string_view path, menu;
  };
  const Case cases[] = {{u"Z:\\a&b!c%d^e(f)\\x&y.txt", u"&2 Z:\\a&&b!c%d^e(f)\\x&&y.txt"},
                        {u"D:\\&&\\&", u"&2 D:\\&&&&\\&&"}};
  for (const Case& c : cases) {
    EXPECT_EQ(HistoryMenuText(1, c.path), c.menu);
    EXPECT_EQ(HistoryPathFromMenuText(c.menu), c.path);
  }
}

}  // namespace
}  // namespace vemora
