// The regular-expression prefilter may only make the scan faster: every hit must be the
// one the unfiltered scan records. Random patterns over random and real text compare
// the two; a few fixed cases show that the common patterns are filtered at all.
#include "core/search/prefilter_scanners.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "core/platform/code_pages.h"
#include "core/search/regex_search.h"
#include "core/search/set_sequence.h"

namespace vemora {
namespace {

using Kind = RegexPrefilter::Kind;
using MatchList = std::vector<std::pair<int32_t, int32_t>>;

MatchList Hits(std::u16string_view text, std::u16string_view pattern, RegexScanMode mode) {
  HitList hits;
  if (!CollectRegexHits(text, pattern, hits, mode).compiled) return {{-1, -1}};
  MatchList list;
  for (int32_t i = 0; i < hits.Size(); ++i) list.emplace_back(hits[i].start, hits[i].length);
  return list;
}

// Units as \uXXXX escapes, so a failing case can be pasted back into a test.
std::string Escaped(std::u16string_view text) {
  std::string out;
  char buffer[8];
  for (char16_t unit : text) {
    if (unit >= 0x20 && unit < 0x7F) {
      out += static_cast<char>(unit);
    } else {
      std::snprintf(buffer, sizeof buffer, "\\u%04X", static_cast<unsigned>(unit));
      out += buffer;
    }
  }
  return out;
}

// The filtered scan and the one that lets the library skip empty matches, each against
// the scan that asks the library once per empty match.
void ExpectSameHits(std::u16string_view text, std::u16string_view pattern) {
  const MatchList reference = Hits(text, pattern, RegexScanMode::kEveryPosition);
  EXPECT_EQ(Hits(text, pattern, RegexScanMode::kFiltered), reference)
      << "filtered, pattern " << Escaped(pattern) << ", text " << Escaped(text);
  EXPECT_EQ(Hits(text, pattern, RegexScanMode::kUnfiltered), reference)
      << "unfiltered, pattern " << Escaped(pattern) << ", text " << Escaped(text);
}

TEST(RegexPrefilter, FiltersTheCommonShapesAndNothingUnsure) {
  struct Case {
    std::u16string_view pattern;
    Kind kind;
    std::u16string_view literal;
    int32_t runLength;
  };
  const Case cases[] = {
      {u"東京", Kind::kLiteral, u"東京", 1},
      {u"東京|大阪", Kind::kUnitRun, u"", 1},
      {u"[一-龠]{2,}駅", Kind::kLiteral, u"駅", 1},
      {u"^「", Kind::kLiteral, u"「", 1},
      {u"[0-9]{4}年", Kind::kLiteral, u"年", 1},
      {u"ござい(ます|ません)", Kind::kLiteral, u"ござい", 1},
      {u"[ァ-ヶー]{5,}", Kind::kUnitRun, u"", 5},
      {u"(?i)debian", Kind::kUnitRun, u"", 1},
      {u"a\\.b+c{3}", Kind::kLiteral, u"ccc", 1},
      {u"x{2}", Kind::kLiteral, u"xx", 1},
      // Negated classes and \s may take a line feed: only candidates at a bounded distance
      // behind the match's start are used.
      {u"「[^」]{20,}」", Kind::kLiteral, u"「", 1},
      {u"[^a]b", Kind::kLiteral, u"b", 1},
      {u"\\sb", Kind::kLiteral, u"b", 1},
      {u"\\s+年", Kind::kNone, u"", 1},
      {u"[^a]+b", Kind::kNone, u"", 1},
      // May match nothing, a line feed, or depends on what the library alone knows.
      {u"a*", Kind::kNone, u"", 1},
      {u"a|", Kind::kNone, u"", 1},
      {u"a\\nb", Kind::kNone, u"", 1},
      {u"a(?=b)", Kind::kNone, u"", 1},
      {u"(?<=a)b", Kind::kNone, u"", 1},
      {u"(a)\\1", Kind::kNone, u"", 1},
      {u"\\Gab", Kind::kNone, u"", 1},
      {u"(?m)a.b", Kind::kNone, u"", 1},
      {u"(?i)a.b", Kind::kNone, u"", 1},
      {u"a{2}+b", Kind::kNone, u"", 1},
      {u"[\n-z]", Kind::kNone, u"", 1},
      // Groups whose matches the plain reading would get wrong: an atomic group never
      // gives back what it took, so "cabc" holds no match of the first.
      {u"c(?>a|ab)c", Kind::kNone, u"", 1},
      {u"(?>ab|a)b", Kind::kNone, u"", 1},
      {u"(?~ab)c", Kind::kNone, u"", 1},
      {u"(?i:ab)c", Kind::kNone, u"", 1},
      {u"(?<n>a)\\k<n>", Kind::kNone, u"", 1},
      {u"a\\Kb", Kind::kNone, u"", 1},
      {u"\\X", Kind::kNone, u"", 1},
      {u"a\\Rb", Kind::kNone, u"", 1},
      {u"(a)\\g<1>", Kind::kNone, u"", 1},
  };
  for (const Case& c : cases) {
    const RegexPrefilter filter = AnalyzeRegexPattern(c.pattern);
    SCOPED_TRACE(std::string(c.pattern.begin(), c.pattern.end()));
    EXPECT_EQ(filter.kind, c.kind);
    if (c.kind == Kind::kLiteral) {
      EXPECT_EQ(filter.literal, c.literal);
    }
    if (c.kind == Kind::kUnitRun) {
      EXPECT_EQ(filter.runLength, c.runLength);
    }
  }
  // How far before its candidate a match may begin.
  const std::pair<std::u16string_view, int32_t> offsets[] = {
      {u"^「", 0},        {u"東京|大阪", 0},      {u"[ァ-ヶー]{5,}", 0}, {u"\\bab+", 0},
      {u"[0-9]{4}年", 4}, {u"[一-龠]{2,}駅", -1}, {u"a?bc", 1},          {u"(東|大)?京都", 1},
      {u"x|.ab", 2},      {u"(ab|c)+d", -1}};
  for (const auto& [pattern, offset] : offsets)
    EXPECT_EQ(AnalyzeRegexPattern(pattern).candidateOffset, offset);
  // Which units a match may hold before its candidate.
  const RegexPrefilter kanji = AnalyzeRegexPattern(u"[一-龠]{2,}駅");
  EXPECT_TRUE(MayPrecedeCandidate(kanji, u'東'));
  EXPECT_FALSE(MayPrecedeCandidate(kanji, u'の'));
  EXPECT_FALSE(AnalyzeRegexPattern(u".+駅").beforeKnown);
  EXPECT_FALSE(MayPrecedeCandidate(AnalyzeRegexPattern(u"(あ|い)+う"), u'え'));
  // The texts a match can be, in the order the library prefers them; anchors leave the
  // choice to the library.
  EXPECT_EQ(AnalyzeRegexPattern(u"ござい(ます|ません)").wholeMatches,
            (std::vector<std::u16string>{u"ございます", u"ございません"}));
  EXPECT_EQ(AnalyzeRegexPattern(u"(東|東京)(駅|都)").wholeMatches,
            (std::vector<std::u16string>{u"東駅", u"東都", u"東京駅", u"東京都"}));
  EXPECT_TRUE(AnalyzeRegexPattern(u"^東京$").wholeMatches.empty());
  EXPECT_TRUE(AnalyzeRegexPattern(u"(^東京)").wholeMatches.empty());
  EXPECT_TRUE(AnalyzeRegexPattern(u"東京\\b").wholeMatches.empty());
  EXPECT_TRUE(AnalyzeRegexPattern(u"東京+").wholeMatches.empty());
  // Patterns whose matches begin at line starts, and the units they begin with.
  struct LineCase {
    std::u16string_view pattern;
    bool lineStart;
    std::u16string_view first;  // every unit a match may begin with; empty when unknown
  };
  const LineCase lineCases[] = {{u"^「", true, u"「"},        {u"^\\s+", true, u"\t\n \u3000"},
                                {u"(^a|^b)c", true, u"ab"},   {u"\\b^[ab]", true, u"ab"},
                                {u"^.+", true, u""},          {u"^a|b", false, u"ab"},
                                {u"a^b", false, u"a"},        {u"(^a)?b", false, u"ab"},
                                {u"(?:x?|^)y", false, u"xy"}, {u"[0-9]{4}年", false, u"09"}};
  for (const LineCase& c : lineCases) {
    SCOPED_TRACE(std::string(c.pattern.begin(), c.pattern.end()));
    const RegexPrefilter filter = AnalyzeRegexPattern(c.pattern);
    EXPECT_EQ(filter.lineStart, c.lineStart);
    EXPECT_EQ(filter.firstKnown, !c.first.empty());
    for (char16_t unit : c.first) EXPECT_TRUE(InRanges(unit, filter.first)) << int(unit);
    EXPECT_FALSE(filter.firstKnown && InRanges(u'z', filter.first));
  }
  // Behind a lone leading ^ the texts hold at the line starts, the only candidates then.
  EXPECT_EQ(AnalyzeRegexPattern(u"^「").wholeMatches, std::vector<std::u16string>{u"「"});
  EXPECT_EQ(AnalyzeRegexPattern(u"^東京").wholeMatches, std::vector<std::u16string>{u"東京"});
  EXPECT_TRUE(AnalyzeRegexPattern(u"^「$").wholeMatches.empty());
  // Patterns whose every match is empty are never handed to the library.
  for (std::u16string_view pattern : {u"^", u"^$", u"\\b|\\A", u"(?:^)"})
    EXPECT_TRUE(AnalyzeRegexPattern(pattern).onlyEmpty);
  for (std::u16string_view pattern : {u"^a?", u"x*", u"^|a", u"(?=a)", u"\\b."})
    EXPECT_FALSE(AnalyzeRegexPattern(pattern).onlyEmpty);
}

// Sequences of greedily repeated sets are matched without the library; anything else,
// lazy and possessive counts among it, is left to the library.
TEST(RegexPrefilter, SetSequencesAreReadOnlyWhenPlain) {
  const std::pair<std::u16string_view, int> cases[] = {{u"[0-9]{4}年", 2},
                                                       {u"「[^」]{20,}」", 3},
                                                       {u"^\\s+", 1},
                                                       {u"[一-龠]{2,}駅", 2},
                                                       {u"a\\.b?[\\t-]*", 4},
                                                       {u"x{,3}", 1},
                                                       {u"a*?", 0},
                                                       {u"a++", 0},
                                                       {u"a{2}?", 0},
                                                       {u"(a)", 0},
                                                       {u"a|b", 0},
                                                       {u"a.", 0},
                                                       {u"a{3,2}", 0},
                                                       {u"a{99999}", 0},
                                                       {u"\\d", 0},
                                                       {u"[\n]", 0},
                                                       {u"a^", 0},
                                                       {u"\U0001F600", 0},
                                                       {u"[a&&b]", 0},
                                                       {u"a{", 0}};
  for (const auto& [pattern, items] : cases) {
    const std::optional<SetSequence> sequence = ReadSetSequence(pattern);
    EXPECT_EQ(sequence ? static_cast<int>(sequence->items.size()) : 0, items) << Escaped(pattern);
  }
  EXPECT_TRUE(ReadSetSequence(u"^\\s+")->lineStart);
  // Counts with a missing lower bound, and the giving back of a surrogate pair.
  ExpectSameHits(u"axxxxb a{,3} ax", u"ax{,3}");
  ExpectSameHits(u"「\U0001F600\U0001F600」「\U0001F600」", u"「[^」]{2}」");
  ExpectSameHits(u"「\U0001F600\U0001F600」「\U0001F600」", u"「[^」]+\U0001F600");
}

// Every unit that a case-insensitive ASCII letter can start a match at is a candidate.
TEST(RegexPrefilter, CaseInsensitiveCandidatesCoverEveryFoldingOfTheFirstLetter) {
  for (char16_t letter = u'a'; letter <= u'z'; ++letter) {
    const std::u16string pattern = std::u16string(u"(?i)") + letter;
    const RegexPrefilter filter = AnalyzeRegexPattern(pattern);
    ASSERT_EQ(filter.kind, Kind::kUnitRun);
    std::u16string text;
    for (char32_t unit = 1; unit < 0xD800; ++unit) text += static_cast<char16_t>(unit);
    for (char32_t unit = 0xE000; unit < 0x10000; ++unit) text += static_cast<char16_t>(unit);
    for (const auto& [start, length] : Hits(text, pattern, RegexScanMode::kEveryPosition)) {
      const char16_t matched = text[static_cast<size_t>(start)];
      EXPECT_EQ(FindPrefilterCandidate(filter, text.data(), start, start + 1), start)
          << "U+" << std::hex << static_cast<int>(matched) << " for " << char(letter);
    }
  }
  // Letters that fold into several ASCII letters start a match of all of them, and the
  // ASCII occurrences that are taken without the library keep their place among them.
  ExpectSameHits(u"Straße STRASSE ﬆop ﬀ", u"(?i)ss");
  ExpectSameHits(u"Straße STRASSE ﬆop ﬀ", u"(?i)st");
  ExpectSameHits(u"ﬃ office ｏｆｆｉｃｅ", u"(?i)ffi");
  ExpectSameHits(u"ﬃce OFFICE oﬃce ofFIce", u"(?i)office");
  ExpectSameHits(u"\u212Aelvin kelvin KELVIN", u"(?i)kelvin");
}

// \s is taken for exactly the units the library takes it for.
TEST(RegexPrefilter, WhiteSpaceIsTheLibrarysSet) {
  std::u16string text;
  for (char32_t unit = 1; unit < 0xD800; ++unit) text += static_cast<char16_t>(unit);
  for (char32_t unit = 0xE000; unit < 0x10000; ++unit) text += static_cast<char16_t>(unit);
  const RegexPrefilter filter = AnalyzeRegexPattern(u"\\s");
  ASSERT_TRUE(filter.firstKnown);
  std::u16string matched;
  for (const auto& [start, length] : Hits(text, u"\\s", RegexScanMode::kEveryPosition))
    matched += text[static_cast<size_t>(start)];
  std::u16string taken;
  for (char16_t unit : text) {
    if (InRanges(unit, filter.first)) taken += unit;
  }
  EXPECT_EQ(Escaped(taken), Escaped(matched));
}

// Half pairs anywhere, at the edges of the blocks the scan passes over among them.
TEST(RegexPrefilter, HalfSurrogatePairsAreFoundAnywhere) {
  for (size_t at : {0u, 1u, 30u, 31u, 32u, 33u, 63u, 64u, 70u}) {
    std::u16string text(71, u'a');
    text[at] = 0xD83D;
    EXPECT_TRUE(HasUnpairedSurrogate(text.data(), static_cast<int64_t>(text.size()))) << at;
    text[at] = 0xDE00;
    EXPECT_TRUE(HasUnpairedSurrogate(text.data(), static_cast<int64_t>(text.size()))) << at;
    if (at + 1 < text.size()) {
      text[at] = 0xD83D;
      text[at + 1] = 0xDE00;
      EXPECT_FALSE(HasUnpairedSurrogate(text.data(), static_cast<int64_t>(text.size()))) << at;
    }
  }
}

TEST(RegexPrefilter, AnchorsLookBehindAndLineEdgesBehaveAsUnfiltered) {
  // A lone high surrogate makes the library read the line feed after it as its partner.
  std::u16string text =
      u"「東京」\n「大阪」「京都」\r\n東京駅と大阪駅\n\nX\n東京\U0010FC00東京\n駅";
  text[text.find(u'X')] = 0xD800;
  for (std::u16string_view pattern :
       {u"^「", u"「.", u"東京|大阪", u"[一-龠]{2,}駅", u"\\A東", u"京$", u"\\b東京\\b", u"駅\\z",
        u"駅\\Z", u"^東京.*駅$", u"(?:東京|京都)+", u"」「", u"[東京]{2}", u"京\U0010FC00",
        u"X?\n?東"})
    ExpectSameHits(text, pattern);
  // Line starts after every kind of line end, white space and quotations across lines.
  const std::u16string lines =
      u"\u3000「一二」\r\n  「三\n\n\t\n「四五六」」\r「\r\n\n 」\u3000\n「七」\n\n";
  for (std::u16string_view pattern :
       {u"^\\s+", u"^「", u"^\\s*「", u"「[^」]{2,}」", u"「[^」]{3}", u"[^」]{2}」", u"^[^\\n]",
        u"\\s「", u"^(「|\\s)", u"^.+", u"^[「」]+", u"\\s{2}", u"^「.", u"^\\s"}) {
    ExpectSameHits(lines, pattern);
    ExpectSameHits(lines.substr(1), pattern);
    ExpectSameHits(lines.substr(0, lines.size() - 1), pattern);
  }
  // An atomic group read as a plain one would find "cabc" too.
  ExpectSameHits(u"cabc cac", u"c(?>a|ab)c");
}

// Patterns from a small grammar over a small alphabet, so that hits are frequent and every
// line-edge case comes up.
std::u16string RandomPattern(std::mt19937& random) {
  static const std::u16string_view pieces[] = {
      u"a",           u"b",      u"あ",  u"漢",    u".",          u"^",      u"$",
      u"\\b",         u"\\A",    u"\\z", u"[ab]",  u"[あ-ん]",    u"[a\\-]", u"(a|b)",
      u"(?:あ|漢字)", u"\\.",    u"\r",  u"(?i)a", u"\\d",        u"\\s",    u"[^a]",
      u"(?=a)",       u"(?<=b)", u"x",   u"ab",    u"\U0001F600", u"[^あ]",  u"[^\\n]"};
  // Constructs the filter must refuse, now and then, so that most patterns stay filtered.
  static const std::u16string_view refused[] = {u"(?>a|ab)", u"(?>b+)", u"\\K", u"(?i:a)",
                                                u"(?<n>b)"};
  static const std::u16string_view quantifiers[] = {
      u"", u"", u"", u"*", u"+", u"?", u"{2}", u"{1,3}", u"{2,}", u"*?", u"++", u"{2}?", u"?+"};
  std::u16string pattern = random() % 4 == 0 ? u"^" : u"";
  const int count = 1 + static_cast<int>(random() % 4);
  for (int i = 0; i < count; ++i) {
    if (i > 0 && random() % 8 == 0) pattern += u'|';
    pattern += random() % 16 == 0 ? refused[random() % std::size(refused)]
                                  : pieces[random() % std::size(pieces)];
    pattern += quantifiers[random() % std::size(quantifiers)];
  }
  return pattern;
}

// Surrogates come in pairs, but for a lone one now and then (which turns the filter off).
std::u16string RandomText(std::mt19937& random, int32_t length) {
  static const std::u16string_view pieces[] = {
      u"a",  u"b",  u"x", u"あ", u"い", u"漢", u"字",         u".",      u"-",  u"\n",
      u"\n", u"\r", u" ", u"1",  u"A",  u"ß",  u"\U0001F600", u"\u3000", u"\t", u"\r\n"};
  std::u16string text;
  for (int32_t i = 0; i < length; ++i) text += pieces[random() % std::size(pieces)];
  if (random() % 16 == 0) text[random() % text.size()] = 0xD800;
  return text;
}

std::u16string RealText() {
  std::ifstream file(VEMORA_TEST_DATA "/sjis-hashire-merosu.txt", std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  return DecodeCodePage(932, bytes);
}

TEST(RegexPrefilter, RandomPatternsFindTheSameHitsAsTheUnfilteredScan) {
  std::mt19937 random(20261207);
  int filtered = 0;
  int sequences = 0;
  const int rounds = 3000;
  for (int round = 0; round < rounds; ++round) {
    const std::u16string pattern = RandomPattern(random);
    const RegexPrefilter filter = AnalyzeRegexPattern(pattern);
    filtered += filter.kind != Kind::kNone || filter.lineStart;
    sequences += ReadSetSequence(pattern).has_value();
    const std::u16string text = RandomText(random, 1 + static_cast<int32_t>(random() % 200));
    ExpectSameHits(text, pattern);
    if (HasFailure()) return;
  }
  EXPECT_GT(filtered, rounds / 4);  // the comparison is about the filtered scan
  EXPECT_GT(sequences, rounds / 10);
  const std::u16string real = RealText();
  ASSERT_GT(real.size(), 10000u);
  for (std::u16string_view pattern :
       {u"^「", u"」$", u"[一-龠]{2,}に", u"[ァ-ヶー]{2,}", u"(?i)the", u"です|ます",
        u"、[^、]{3}。", u"[0-9０-９]+", u"「[^」]*」", u"の", u"た。$", u"^\\s+", u"^「",
        u"「[^」]{20,}」", u"[一-龠]{2,}は", u"^\\s*[一-龠]"})
    ExpectSameHits(real, pattern);
}

}  // namespace
}  // namespace vemora
