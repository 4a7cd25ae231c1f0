// Tokenising and parsing the viewer's command line.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/shell/command_line.h"

namespace vemora {
namespace {

std::vector<std::u16string> Tokens(std::u16string_view text, TokenMode mode) {
  std::vector<std::u16string> tokens;
  size_t position = 0;
  for (;;) {
    Token token = NextToken(text, position, mode);
    if (!token.found) return tokens;
    tokens.push_back(token.text);
    position = token.next;
  }
}
using Strings = std::vector<std::u16string>;

TEST(NextToken, PathModeKeepsInnerSpacesAndStopsBeforeAnOption) {
  EXPECT_EQ(Tokens(u"C:\\My Files\\a.txt -j 10", TokenMode::kPath),
            (Strings{u"C:\\My Files\\a.txt", u"-j", u"10"}));
  // A dash inside a name, or after a tab, does not start an option.
  EXPECT_EQ(Tokens(u"my-file.txt\t-x  ", TokenMode::kPath), (Strings{u"my-file.txt\t-x"}));
  // Quotes are dropped; quoted blanks at the end stay, unquoted ones go.
  EXPECT_EQ(Tokens(u"\"a -b \" \t", TokenMode::kPath), (Strings{u"a -b "}));
}

TEST(NextToken, WordModeEndsAtUnquotedBlanks) {
  EXPECT_EQ(Tokens(u"  \"C:\\Program Files\\v.exe\"\tx\"y z\"", TokenMode::kWord),
            (Strings{u"C:\\Program Files\\v.exe", u"xy z"}));
  EXPECT_EQ(Tokens(u"   ", TokenMode::kWord), Strings{});
  EXPECT_EQ(Tokens(u"\"\"", TokenMode::kWord), (Strings{u""}));
}

CommandLineRequest Parsed(std::u16string_view text) {
  const CommandLineResult result = ParseCommandLine(text);
  EXPECT_TRUE(result.ok) << std::string(result.errorText.begin(), result.errorText.end());
  return result.request;
}

std::u16string Error(std::u16string_view text) {
  const CommandLineResult result = ParseCommandLine(text);
  EXPECT_FALSE(result.ok);
  return result.errorText;
}

TEST(ParseCommandLine, DefaultsReadStandardInput) {
  const CommandLineRequest request = Parsed(u"\"C:\\Program Files\\Vemora\\vemora.exe\"");
  EXPECT_EQ(request.path, u"");
  EXPECT_EQ(request.startLine, 0);
  EXPECT_EQ(request.RequestedEncoding(), -1);
  EXPECT_FALSE(request.helpRequested);
}

TEST(ParseCommandLine, PathWithOptions) {
  const CommandLineRequest request = Parsed(u"v.exe C:\\My Files\\a.txt -J 25 --EUC");
  EXPECT_EQ(request.path, u"C:\\My Files\\a.txt");
  EXPECT_EQ(request.startLine, 24);
  EXPECT_EQ(request.RequestedEncoding(), 2);
  const CommandLineRequest quoted = Parsed(u"v.exe \"C:\\a -b.txt\" --euc");
  EXPECT_EQ(quoted.path, u"C:\\a -b.txt");
  EXPECT_EQ(quoted.RequestedEncoding(), 2);
}

TEST(ParseCommandLine, StartLines) {
  EXPECT_EQ(Parsed(u"v -j 0").startLine, -1);
  EXPECT_EQ(Parsed(u"v --jump 12abc").startLine, 11);
  EXPECT_EQ(Parsed(u"v -e").startLine, -1);
  EXPECT_EQ(Parsed(u"v -j 5 --jumpend").startLine, -1);
  EXPECT_EQ(Parsed(u"v --jumpend -j 5").startLine, 4);
  EXPECT_EQ(Parsed(u"v -j 99999999999").startLine, 2147483646);
  EXPECT_EQ(Error(u"v -j abc"), u"行番号が指定されていません.");
  EXPECT_EQ(Error(u"v -j"), u"行番号が指定されていません.");
  EXPECT_EQ(Error(u"v -j10"), u"オプションが間違っています. (-j10)");
}

TEST(ParseCommandLine, LowestEncodingBitWins) {
  EXPECT_EQ(Parsed(u"v --utf7 --sjis").RequestedEncoding(), 0);
  EXPECT_EQ(Parsed(u"v --utf8 --jis").RequestedEncoding(), 1);
  EXPECT_EQ(Parsed(u"v --utf16").RequestedEncoding(), -3);
  EXPECT_EQ(Parsed(u"v --utf16be").RequestedEncoding(), -4);
  EXPECT_EQ(Parsed(u"v --utf8").RequestedEncoding(), -5);
  EXPECT_EQ(Parsed(u"v --utf7").RequestedEncoding(), 9);
}

TEST(ParseCommandLine, HelpIsReportedAndParsingGoesOn) {
  const CommandLineRequest request = Parsed(u"v -h a.txt");
  EXPECT_TRUE(request.helpRequested);
  EXPECT_EQ(request.path, u"a.txt");
  EXPECT_TRUE(Parsed(u"v --HELP").helpRequested);
  // The help opens as soon as its option is read, so an error after it does not cancel it;
  // one before it ends the parse first.
  EXPECT_TRUE(ParseCommandLine(u"v -h -x").request.helpRequested);
  EXPECT_TRUE(ParseCommandLine(u"v --help a.txt b.txt -j").request.helpRequested);
  EXPECT_FALSE(ParseCommandLine(u"v -x -h").request.helpRequested);
}

TEST(ParseCommandLine, Errors) {
  EXPECT_EQ(Error(u"v -X"), u"オプションが間違っています. (-x)");
  EXPECT_EQ(Error(u"v -jump 3"), u"オプションが間違っています. (-jump)");
  EXPECT_EQ(Error(u"v --j 3"), u"オプションが間違っています. (--j)");
  EXPECT_EQ(Error(u"v a.txt -j 2 \"b.txt\""), u"パスの指定が多すぎます. (b.txt)");
  // Two unquoted names separated by a space form one path: only a dash splits paths.
  EXPECT_EQ(Parsed(u"v a.txt b.txt").path, u"a.txt b.txt");
}

// The token a message quotes is cut to 100 characters, the last of them "…", so that the
// box stays narrower than the screen; characters are counted, surrogate pairs kept whole.
TEST(ParseCommandLine, LongTokensAreShortenedInTheMessage) {
  const std::u16string x99(99, u'x');
  std::u16string pairs;  // 150 characters of two units each
  for (int i = 0; i < 150; ++i) pairs += u"\U0002000B";
  std::u16string pairs99;
  for (int i = 0; i < 99; ++i) pairs99 += u"\U0002000B";
  struct Case {
    std::u16string commandLine;
    std::u16string quoted;
  } cases[] = {
      {u"v -" + x99, u"-" + x99},                                     // exactly 100: whole
      {u"v -" + x99 + u"y", u"-" + std::u16string(98, u'x') + u"…"},  // 101
      {u"v -" + std::u16string(5000, u'A'), u"-" + std::u16string(98, u'a') + u"…"},
      {u"v --" + pairs, u"--" + pairs99.substr(0, 97 * 2) + u"…"},
      {u"v -" + std::u16string(97, u'x') + u"\U0002000Byy",
       u"-" + std::u16string(97, u'x') + u"\U0002000B…"},  // the 99th character is a pair
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Error(c.commandLine), u"オプションが間違っています. (" + c.quoted + u")")
        << c.commandLine.size();
  }
  const std::u16string longPath(300, u'p');
  EXPECT_EQ(Error(u"v a.txt -j 1 \"" + longPath + u"\""),
            u"パスの指定が多すぎます. (" + std::u16string(99, u'p') + u"…)");
}

}  // namespace
}  // namespace vemora
