// What the pattern readers (the prefilter's and the set sequences') take alike of a regular
// expression's syntax: punctuation a backslash quotes, and classes of basic-plane units.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

#include "core/search/prefilter_scanners.h"

namespace vemora {

// Punctuation that a backslash only quotes (not the ones some syntaxes make anchors of).
bool IsQuotablePunctuation(char16_t c);

struct UnitClass {
  UnitRanges ranges;
  bool negated = false;  // any character but these, a line feed or a surrogate pair too
};

// The class that opens at pattern[at] ('['), with `at` moved past its ']': single units and
// ranges of them, written plainly, as \t or as quoted punctuation. Nested classes,
// intersections, escapes with a meaning, and ranges holding the line feed or a surrogate
// give nothing (and leave `at` anywhere).
std::optional<UnitClass> ReadUnitClass(std::u16string_view pattern, size_t& at);

}  // namespace vemora
