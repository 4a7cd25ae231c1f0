// What every match of a regular expression must contain, worked out from the pattern's
// text alone, so that the scan can skip the lines where no match can lie. The analysis is
// conservative: any construct it does not fully understand gives no prefilter at all.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vemora {

struct RegexPrefilter {
  enum class Kind {
    kNone,     // no promise: the whole text is scanned as before
    kLiteral,  // every match contains `literal` (exact units)
    kUnitRun,  // every match contains `runLength` consecutive units from `ranges`
  };
  Kind kind = Kind::kNone;
  std::u16string literal;
  std::vector<std::pair<char16_t, char16_t>> ranges;  // inclusive, sorted, disjoint
  int32_t runLength = 1;
  // The most units a match may begin before its candidate; -1 when there is no bound.
  int32_t candidateOffset = -1;
  // Every unit a match may hold before its candidate, when known.
  bool beforeKnown = false;
  std::vector<std::pair<char16_t, char16_t>> before;
  // When every match begins at its candidate: every text a match can be, most preferred
  // first, so that the first one standing at a candidate is the library's match there.
  // With `foldAsciiCase` there is one text, compared up to ASCII case, and a candidate it
  // does not fit is left to the library (other foldings may still match).
  std::vector<std::u16string> wholeMatches;
  bool foldAsciiCase = false;
  // Every match begins at a line start: the text's start, behind a line feed, or where the
  // search began (behind the previous hit). Also given, with `first`, when nothing else is.
  bool lineStart = false;
  // Every unit a match may begin with, when known.
  bool firstKnown = false;
  std::vector<std::pair<char16_t, char16_t>> first;
  // A match may hold a line feed (a negated class, \s): the library is then asked only at
  // the places a match may begin, never for the rest of a line.
  bool crossesLines = false;
  // Every match is empty (the pattern holds only anchors and edges), so nothing is ever
  // recorded; the library would be asked once per position for nothing.
  bool onlyEmpty = false;
};

// A prefilter is given only for patterns that can never match an empty string, and that do
// not depend on where a search begins (\G).
RegexPrefilter AnalyzeRegexPattern(std::u16string_view pattern);

}  // namespace vemora
