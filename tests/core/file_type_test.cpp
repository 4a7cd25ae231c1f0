// File-name patterns and the choice of the file-type entry.
#include <gtest/gtest.h>

#include "core/text/file_type.h"

namespace vemora {
namespace {

TEST(FileNamePattern, WildcardRules) {
  EXPECT_EQ(MatchFileName(u"a", u"a??"), 1);  // trailing "?" may match nothing
  EXPECT_EQ(MatchFileName(u"ab", u"a??"), 1);
  EXPECT_EQ(MatchFileName(u"abc", u"a??"), 1);
  EXPECT_EQ(MatchFileName(u"abcd", u"a??"), 0);
  EXPECT_EQ(MatchFileName(u"x.y.txt", u"*.txt"), 1);
  EXPECT_EQ(MatchFileName(u"x.txt.bak", u"*.txt"), 0);
  EXPECT_EQ(MatchFileName(u"README", u"read*"), 1);
  EXPECT_EQ(MatchFileName(u"read", u"read*"), 1);
  EXPECT_EQ(MatchFileName(u"a.c", u"*.txt"), 0);
  EXPECT_EQ(MatchFileName(u"abc", u"a?c"), 1);
  EXPECT_EQ(MatchFileName(u"ac", u"a?c"), 0);
  EXPECT_EQ(MatchFileName(u"", u"?"), 1);
  EXPECT_EQ(MatchFileName(u"", u"a"), 0);
}

TEST(FileNamePattern, StarRunsCollapse) {
  for (const char16_t* pattern : {u"*", u"**", u"*?", u"*?*", u"***"}) {
    EXPECT_EQ(MatchFileName(u"", pattern), 1);
    EXPECT_EQ(MatchFileName(u"(無題)", pattern), 1);
  }
  EXPECT_EQ(MatchFileName(u"ab.txt", u"a**.txt"), 1);
  EXPECT_EQ(MatchFileName(u"ab.txt", u"a*?txt"), 1);
  // Unnormalised, a star before "?" compares the "?" literally.
  EXPECT_EQ(MatchWildcard(u"ab.txt", u"a*?txt"), 0);
}

TEST(FileNamePattern, CaseFoldsAsciiLettersOnly) {
  EXPECT_EQ(MatchFileName(u"Readme.TXT", u"readme.txt"), 1);
  EXPECT_EQ(MatchFileName(u"ＡＢ.txt", u"ａｂ.txt"), 0);
  EXPECT_EQ(MatchFileName(u"日本.TXT", u"日本.*"), 1);
  EXPECT_EQ(MatchFileName(u"Ä.txt", u"ä.txt"), 0);
}

TEST(FileNamePattern, ManyStarsStayFast) {
  const std::u16string name(250, u'a');
  const std::u16string pattern = u"*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*b";
  EXPECT_EQ(MatchFileName(name, pattern), 0);
  EXPECT_EQ(MatchFileName(name + u"b", pattern), 1);
}

FileTypeSettingList ListWith(std::initializer_list<StringList> patterns) {
  FileTypeSettingList list;
  list.entries.emplace_back();
  for (const StringList& ext : patterns) {
    FileTypeSetting setting;
    setting.Ext = ext;
    list.entries.push_back(setting);
  }
  return list;
}

TEST(SelectFileType, HighestMatchingEntryWins) {
  const FileTypeSettingList list = ListWith({{u"*.txt"}, {u"*.TXT", u"readme*"}, {}});
  EXPECT_EQ(SelectFileType(u"C:\\docs\\Readme.txt", list), 2);
  EXPECT_EQ(SelectFileType(u"C:\\docs\\a.txt", list), 2);
  EXPECT_EQ(SelectFileType(u"C:\\docs\\a.c", list), 0);
  EXPECT_EQ(SelectFileType(u"C:\\dir/name.txt", list), 2);  // the part after the last slash
  EXPECT_EQ(SelectFileType(u"/home/u/README", list), 2);
  EXPECT_EQ(SelectFileType(u"C:readme", list), 2);  // after the drive's colon
  EXPECT_EQ(SelectFileType(u"(無題)", list), 0);
  // Entry 0 is never tried, even with patterns.
  FileTypeSettingList common = ListWith({});
  common.entries[0].Ext = {u"*"};
  EXPECT_EQ(SelectFileType(u"a.txt", common), 0);
  const FileTypeSettingList all = ListWith({{u"*.txt"}, {u"*"}});
  EXPECT_EQ(SelectFileType(u"(無題)", all), 2);
}

// Entry 0 is the answer when nothing else matches, and never a candidate itself: a
// common entry that carries patterns neither wins over a matching entry nor hides one,
// and entry 1 is tried like every other entry.
TEST(SelectFileType, EntryZeroIsNeverTried) {
  struct Case {
    StringList common;  // patterns left on entry 0
    std::initializer_list<StringList> others;
    const char16_t* name;
    int32_t expected;
  };
  const Case cases[] = {
      {{}, {{u"*.txt"}}, u"a.txt", 1},  // only entry 1 matches
      {{}, {{u"*.txt"}, {u"*.c"}}, u"a.txt", 1},
      {{u"*"}, {{u"*.txt"}}, u"a.txt", 1},
      {{u"*.txt"}, {{u"*.txt"}, {}}, u"a.txt", 1},
      {{u"*"}, {{}, {u"*.txt"}}, u"a.txt", 2},
      {{u"*"}, {{u"*.c"}}, u"a.txt", 0},
      {{u"a.txt"}, {}, u"a.txt", 0},
  };
  for (const Case& c : cases) {
    FileTypeSettingList list = ListWith(c.others);
    list.entries[0].Ext = c.common;
    EXPECT_EQ(SelectFileType(c.name, list), c.expected)
        << "common patterns " << c.common.size() << ", entries " << c.others.size();
  }
}

}  // namespace
}  // namespace vemora
