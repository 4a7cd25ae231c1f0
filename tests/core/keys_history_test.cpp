// Tests of the file-history list rules and labels.
#include <gtest/gtest.h>

#include "core/keys/file_history.h"

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

TEST(KeysHistory, OnlyAsciiLettersFoldCase) {
  EXPECT_TRUE(EqualsIgnoringCase(u"C:\\Docs\\Read.TXT", u"c:\\docs\\read.txt"));
  EXPECT_FALSE(EqualsIgnoringCase(u"Ａ.txt", u"ａ.txt"));  // full-width letters
  EXPECT_FALSE(EqualsIgnoringCase(u"É", u"é"));
  EXPECT_FALSE(EqualsIgnoringCase(u"[", u"{"));  // the byte distance of case, but no letters
  EXPECT_FALSE(EqualsIgnoringCase(u"ab", u"abc"));
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
}

}  // namespace
}  // namespace vemora
