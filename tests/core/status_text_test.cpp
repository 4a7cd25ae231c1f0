// Status-bar and title texts, as the user reads them.
#include "core/shell/status_text.h"

#include <gtest/gtest.h>

namespace vemora {
namespace {

TEST(StatusText, LineTextsShowDashesWithoutALine) {
  EXPECT_EQ(TopLineStatusText(1), u"先頭:1行目");
  EXPECT_EQ(TopLineStatusText(12345), u"先頭:12345行目");
  EXPECT_EQ(TopLineStatusText(0), u"-----");
  EXPECT_EQ(TopLineStatusText(-3), u"-----");
  EXPECT_EQ(MouseLineStatusText(7), u"マウス:7行目");
  EXPECT_EQ(MouseLineStatusText(0), u"-----");
}

TEST(StatusText, FileStampPadsTheHourWithASpace) {
  EXPECT_EQ(FileStampText({2018, 3, 5, 9, 7, 1234}), u"2018/03/05  9:07   1234 Bytes");
  EXPECT_EQ(FileStampText({2024, 12, 31, 23, 59, 0}), u"2024/12/31 23:59   0 Bytes");
  // Sizes past 2 GB are not shown as negative numbers.
  EXPECT_EQ(FileStampText({2020, 1, 1, 0, 0, 3000000000u}), u"2020/01/01  0:00   3000000000 Bytes");
}

TEST(StatusText, TitleShortensToTheFileNameWhileInactive) {
  EXPECT_EQ(DocumentTitle(u"C:\\doc\\a.txt", true), u"C:\\doc\\a.txt - Vemora");
  EXPECT_EQ(DocumentTitle(u"C:\\doc\\a.txt", false), u"a.txt - Vemora");
  EXPECT_EQ(DocumentTitle(u"(無題)", false), u"(無題) - Vemora");
  EXPECT_EQ(ShortDocumentName(u"\\\\server\\share\\x"), u"x");
}

}  // namespace
}  // namespace vemora
