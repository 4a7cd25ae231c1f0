// Regular-expression scans over UTF-16 text; the only place that knows the library.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/block_list.h"
#include "core/text/document.h"

namespace vemora {

// How the scan asks the library; every way records the same hits, the first being the
// fastest and the last the plain reference the others are checked against.
enum class RegexScanMode {
  kFiltered,       // the prefilter skips lines without a candidate
  kUnfiltered,     // empty matches are skipped inside the library where that changes nothing
  kEveryPosition,  // one library call per empty match
};

struct RegexScanOutcome {
  bool compiled = true;
  std::u16string errorText;  // the library's message when the pattern was rejected
  // Lines on which the library gave up (for example at its backtracking limit); the scan
  // goes on behind each of them, so these lines may hold hits that are missing.
  int32_t failedLines = 0;
  bool cancelled = false;  // stopped at `cancel`; the hits found so far are incomplete
};

// Appends every non-empty match of `pattern` (Ruby syntax) in `text` to `hits`. After each
// match the rest of the text is searched as a new subject, so anchors such as ^ and \A hold
// at the position behind the previous match. An empty match records nothing and the scan
// goes on one unit further. A rejected pattern gives `compiled` false and the library's
// message (at most 90 units). `cancel`, when given, is looked at between library calls,
// each of which is kept short, so a scan stops soon after it is set.
//
// The library counts bytes in an int: each call is shown at most `subjectUnits` units of
// the text, reaching an eighth of that behind where the call starts to look. A match that
// comes within a quarter of that of where the shown text is cut is looked for again in
// text shown from its start, so only a match (or look-around) longer than that could be
// missed or cut where a larger text is searched in stretches.
inline constexpr int64_t kRegexSubjectUnits = int64_t{1} << 29;
RegexScanOutcome CollectRegexHits(std::u16string_view text, std::u16string_view pattern,
                                  HitList& hits, RegexScanMode mode = RegexScanMode::kFiltered,
                                  const std::atomic<bool>* cancel = nullptr,
                                  int64_t subjectUnits = kRegexSubjectUnits);

// Whether what the pattern matches at a position can depend on where the subject begins
// (anchors, word and grapheme edges, look-behind, \G, \K). Only for patterns that cannot
// may empty matches be skipped inside the library. Conservative: unsure means yes.
bool DependsOnSubjectStart(std::u16string_view pattern);

}  // namespace vemora
