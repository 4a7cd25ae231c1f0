// The scans that find where a regular expression's prefilter lets a match begin: literals
// and runs of a set with vector compares, line starts behind a line feed, and the checks
// of a candidate that need no library call.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "core/search/regex_prefilter.h"

namespace vemora {

using UnitRanges = std::vector<std::pair<char16_t, char16_t>>;  // inclusive, sorted

// The units \s stands for in the library: those of the Unicode white space property, the
// line feed among them.
UnitRanges WhiteSpaceUnits();

// Units whose case folding can begin a match of `c` when it is an ASCII letter, or `c`.
UnitRanges CaseFoldingStarts(char16_t c);

bool InRanges(char16_t unit, const UnitRanges& ranges);

// The first unit at or after `from` within the ranges, or -1.
int64_t FindUnitInRanges(const char16_t* text, int64_t from, int64_t length,
                         const UnitRanges& ranges);

// The length of the first of the whole matches that stands at text[at], or 0.
int32_t WholeMatchAt(const RegexPrefilter& filter, const char16_t* text, int64_t at,
                     int64_t length);

// Whether a match may hold `unit` before its candidate.
bool MayPrecedeCandidate(const RegexPrefilter& filter, char16_t unit);

// Whether the text holds half a surrogate pair. The library's results on such text depend
// on where its search begins, so the prefilter is not used there.
bool HasUnpairedSurrogate(const char16_t* text, int64_t length);

// The first position at or after `from` where what the prefilter asks for starts (wholly
// inside text[0, length)), or -1.
int64_t FindPrefilterCandidate(const RegexPrefilter& filter, const char16_t* text, int64_t from,
                               int64_t length);

// For a filter whose matches begin at line starts: the first position at or after `from`
// that is a line start (the subject's start `subject`, the text's start, or behind a line
// feed) holding a unit a match may begin with, or -1.
int64_t FindLineStartCandidate(const RegexPrefilter& filter, const char16_t* text, int64_t from,
                               int64_t length, int64_t subject);

}  // namespace vemora
