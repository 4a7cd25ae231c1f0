// Patterns that are a plain sequence of sets, each taken greedily a number of times, such as
// [0-9]{4}年 or 「[^」]{20,}」: the match the library prefers at a position is worked out
// here, without a library call, the same way a backtracking matcher finds it.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "core/search/prefilter_scanners.h"

namespace vemora {

struct SetItem {
  UnitRanges ranges;     // basic-plane units outside the surrogates
  bool negated = false;  // any character but these, a line feed or a surrogate pair too
  int32_t least = 1;
  int32_t most = 1;  // -1: no bound
};

struct SetSequence {
  bool lineStart = false;  // behind a leading ^, which only the candidates can stand for
  std::vector<SetItem> items;
};

// The sequence the pattern is, or nothing when the pattern holds anything else.
std::optional<SetSequence> ReadSetSequence(std::u16string_view pattern);

// The length of the match the library prefers at text[at], 0 when there is none, or -1
// when finding out would take too many steps (the library is then asked). The text holds
// no half surrogate pair.
int64_t MatchSetSequence(const SetSequence& sequence, const char16_t* text, int64_t at,
                         int64_t length);

}  // namespace vemora
