// The search history after the find dialog's OK.
#include <gtest/gtest.h>

#include <string>

#include "core/search/find_history.h"

namespace vemora {
namespace {

TEST(FindHistory, RepeatedTextMovesToTheFrontAndCaseCounts) {
  StringList history = {u"foo", u"bar"};
  AddToFindHistory(history, u"bar");
  EXPECT_EQ(history, (StringList{u"bar", u"foo"}));
  AddToFindHistory(history, u"Bar");
  EXPECT_EQ(history, (StringList{u"Bar", u"bar", u"foo"}));
  AddToFindHistory(history, u"");
  EXPECT_EQ(history.size(), 3u);
}

TEST(FindHistory, KeepsTheTenNewest) {
  StringList history;
  for (int i = 0; i < 11; ++i) AddToFindHistory(history, std::u16string(1, u'a' + i));
  ASSERT_EQ(history.size(), 10u);
  EXPECT_EQ(history.front(), u"k");
  EXPECT_EQ(history.back(), u"b");
}

TEST(FindHistory, ARepeatInAFullListLeavesBeforeTheListIsTrimmed) {
  // Ten entries; the repeat of "d" leaves first, so the oldest one is kept.
  StringList history = {u"a", u"b", u"c", u"d", u"e", u"f", u"g", u"h", u"i", u"j"};
  AddToFindHistory(history, u"d");
  EXPECT_EQ(history, (StringList{u"d", u"a", u"b", u"c", u"e", u"f", u"g", u"h", u"i", u"j"}));
  // Repeating the oldest entry only moves it.
  AddToFindHistory(history, u"j");
  EXPECT_EQ(history, (StringList{u"j", u"d", u"a", u"b", u"c", u"e", u"f", u"g", u"h", u"i"}));
}

TEST(FindHistory, TextThatDoesNotFitIsLeftOut) {
  // Nine entries of 80 units take 9 * 81 = 729 units; 80 more need 82: 811 fits exactly.
  StringList history;
  for (int i = 0; i < 9; ++i) history.push_back(std::u16string(80, u'a' + i));
  AddToFindHistory(history, std::u16string(80, u'z'));
  EXPECT_EQ(history.size(), 10u);
  EXPECT_EQ(history.front(), std::u16string(80, u'z'));
  // The tenth entry goes first; then 729 + 81 + 2 = 812 does not fit.
  StringList full = history;
  full.back() = std::u16string(80, u'y');
  AddToFindHistory(full, std::u16string(81, u'x'));
  EXPECT_EQ(full.size(), 9u);
  EXPECT_EQ(full.front(), std::u16string(80, u'z'));
}

}  // namespace
}  // namespace vemora
