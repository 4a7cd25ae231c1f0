// Regular-expression scans through Oniguruma over UTF-16LE text, Ruby syntax.
#include <oniguruma.h>

#include <algorithm>
#include <mutex>
#include <cstring>
#include <string>

#include "core/platform/code_pages.h"
#include "core/search/prefilter_scanners.h"
#include "core/search/regex_search.h"
#include "core/search/set_sequence.h"
#include "core/text/byte_search.h"
#include "core/text/selection.h"

namespace vemora {
namespace {

static_assert(sizeof(char16_t) == 2, "the text is handed to the library as UTF-16LE bytes");

constexpr int32_t kErrorTextCapacity = 90;

const OnigUChar* Bytes(const char16_t* units) {
  return reinterpret_cast<const OnigUChar*>(units);
}

// The library's global state is shared by every scan, and scans may run on several threads
// at once (a cancelled search may still be finishing while the next one starts): the first
// scan sets it up and the last one ends it.
// Never destroyed: a worker still finishing while the process exits may need it.
std::mutex& LibraryMutex() {
  static std::mutex* mutex = new std::mutex;
  return *mutex;
}
int gLibraryUsers = 0;

// The Ruby syntax with callouts of contents allowed, used only for the pattern with the
// scan's own callout in front; a user's pattern is always checked in the plain syntax.
OnigSyntaxType CalloutSyntax() {
  OnigSyntaxType syntax = *ONIG_SYNTAX_RUBY;
  syntax.op2 |= ONIG_SYN_OP2_QMARK_BRACE_CALLOUT_CONTENTS;
  return syntax;
}

// Holds the compiled pattern, the region and the match parameters for one scan, and
// releases them however the scan ends.
//
// The pattern actually run is (?{})(?:pattern): the empty callout in front is passed once
// at every position the library tries a match at, so the scan learns where an attempt that
// ends in an error began, and a cancel stops even a single call over a long line. It
// matches exactly what the pattern matches.
class OnigurumaScan {
 public:
  explicit OnigurumaScan(const std::atomic<bool>* cancel) : cancel_(cancel) {
    std::lock_guard lock(LibraryMutex());
    if (gLibraryUsers++ == 0) {
      OnigEncoding encodings[] = {ONIG_ENCODING_UTF16_LE};
      onig_initialize(encodings, 1);
    }
  }
  ~OnigurumaScan() {
    if (param_) onig_free_match_param(param_);
    if (region_) onig_region_free(region_, 1);
    if (regex_) onig_free(regex_);
    std::lock_guard lock(LibraryMutex());
    if (--gLibraryUsers == 0) onig_end();
  }
  OnigurumaScan(const OnigurumaScan&) = delete;
  OnigurumaScan& operator=(const OnigurumaScan&) = delete;

  bool Compile(std::u16string_view pattern, std::u16string& errorText) {
    OnigErrorInfo errorInfo{};
    const int result = New(pattern, ONIG_SYNTAX_RUBY, errorInfo);
    if (result != ONIG_NORMAL) {
      regex_ = nullptr;
      OnigUChar message[ONIG_MAX_ERROR_MESSAGE_LEN] = {};
      onig_error_code_to_str(message, result, &errorInfo);
      const char* text = reinterpret_cast<const char*>(message);
      errorText = DecodeCodePage(kCodePageOem, std::string_view(text, std::strlen(text)));
      if (errorText.size() > kErrorTextCapacity) errorText.resize(kErrorTextCapacity);
      return false;
    }
    // Should the pattern with the callout not compile (a comment running to the pattern's
    // end would swallow the closing parenthesis), the pattern runs as it is.
    OnigSyntaxType syntax = CalloutSyntax();
    const std::u16string watched = u"(?{})(?:" + std::u16string(pattern) + u")";
    OnigRegex plain = regex_;
    if (New(watched, &syntax, errorInfo) == ONIG_NORMAL) {
      onig_free(plain);
      watched_ = true;
    } else {
      regex_ = plain;
    }
    region_ = onig_region_new();
    param_ = onig_new_match_param();
    onig_initialize_match_param(param_);
    onig_set_progress_callout_of_match_param(param_, &OnigurumaScan::OnAttempt);
    onig_set_callout_user_data_of_match_param(param_, this);
    return true;
  }

  // The library's answer for the first match in [subject, end) with the subject as the
  // text's beginning, starting at or after `from`: a byte offset from the subject, or
  // ONIG_MISMATCH, or an error code (ONIG_ABORT when cancelled). A `range` before `end`
  // confines the matches, not only their starts, to the text before it.
  int Search(const char16_t* subject, const char16_t* end, const char16_t* from,
             const char16_t* range, OnigOptionType option) {
    lastAttempt_ = watched_ ? nullptr : from;
    return onig_search_with_param(regex_, Bytes(subject), Bytes(end), Bytes(from), Bytes(range),
                                  region_, option, param_);
  }
  // The match the library prefers at `at`: its length in bytes, ONIG_MISMATCH or an error.
  int Match(const char16_t* subject, const char16_t* end, const char16_t* at) {
    lastAttempt_ = at;
    return onig_match_with_param(regex_, Bytes(subject), Bytes(end), Bytes(at), region_,
                                 ONIG_OPTION_NONE, param_);
  }
  int32_t MatchStart() const { return region_->beg[0] / 2; }
  int32_t MatchLength() const { return (region_->end[0] - region_->beg[0]) / 2; }
  // Where the last attempt began, when known: the place of an error.
  const char16_t* LastAttempt() const { return lastAttempt_; }

 private:
  int New(std::u16string_view pattern, const OnigSyntaxType* syntax, OnigErrorInfo& errorInfo) {
    const char16_t* start = pattern.data();
    return onig_new(&regex_, Bytes(start), Bytes(start + pattern.size()), ONIG_OPTION_NONE,
                    ONIG_ENCODING_UTF16_LE, const_cast<OnigSyntaxType*>(syntax), &errorInfo);
  }

  static int OnAttempt(OnigCalloutArgs* args, void* userData) {
    auto* scan = static_cast<OnigurumaScan*>(userData);
    scan->lastAttempt_ = reinterpret_cast<const char16_t*>(onig_get_start_by_callout_args(args));
    if (scan->cancel_ && scan->cancel_->load(std::memory_order_relaxed)) return ONIG_ABORT;
    return ONIG_CALLOUT_SUCCESS;
  }

  const std::atomic<bool>* cancel_;
  OnigRegex regex_ = nullptr;
  OnigRegion* region_ = nullptr;
  OnigMatchParam* param_ = nullptr;
  bool watched_ = false;
  const char16_t* lastAttempt_ = nullptr;
};

// The library takes a lead surrogate as the first half of a four-byte character and reads
// the unit after it, also when there is none. A text or pattern from a damaged file can
// end in one; the library is given everything before it, since such a half character
// cannot be part of a match anyway.
std::u16string_view WithoutTrailingLeadSurrogate(std::u16string_view units) {
  if (!units.empty() && units.back() >= 0xD800 && units.back() <= 0xDBFF) units.remove_suffix(1);
  return units;
}

}  // namespace

namespace {

bool IsLineBreak(const char16_t* text, int64_t at) {
  return text[at] == u'\n';
}

// Calls into the library over a text, stopping at a cancel and going on behind each line
// the library gives up on.
class Scanner {
 public:
  enum class Step {
    kMatch,
    kNone,
    kStopped,
    kExhausted,  // the library gave up while passing over empty matches, at `at`
  };

  Scanner(OnigurumaScan& scan, const char16_t* text, int64_t length, HitList& hits,
          const std::atomic<bool>* cancel, RegexScanOutcome& outcome, int64_t subjectUnits,
          const SetSequence* sequence)
      : scan_(scan),
        sequence_(sequence),
        text_(text),
        length_(length),
        hits_(hits),
        cancel_(cancel),
        outcome_(outcome),
        subjectUnits_(std::max<int64_t>(subjectUnits, 8)) {}

  // Every match from each new subject. With `skipEmpty` the library passes over empty
  // matches itself and only the places where a non-empty match exists are asked for the
  // match the library prefers there; that is the same hit as trying every position
  // whenever the pattern does not depend on where its subject begins. Passing over an
  // empty match makes the library try the other ways to match there, which may exhaust it
  // where the preferred empty match would not: such a line is scanned position by position.
  void CollectAll(bool skipEmpty) {
    const std::u16string_view text(text_, static_cast<size_t>(length_));
    int64_t q = 0;            // the subject's start
    int64_t from = 0;         // no match starts in [q, from)
    int64_t plainUntil = -1;  // positions up to here are tried one by one
    while (from <= length_) {
      const bool notEmpty = skipEmpty && from > plainUntil;
      int64_t at = 0;
      int64_t length = 0;
      const Step step = Find(q, from, length_, notEmpty, at, length);
      if (step == Step::kExhausted) {
        // No non-empty match starts before `at`, wherever the subject begins.
        plainUntil = LineEndFrom(at);
        q = from = at;
        continue;
      }
      if (step != Step::kMatch) return;
      if (notEmpty) {
        const Shown shown = ShownFor(q, at);
        const int preferred = scan_.Match(text_ + shown.start, text_ + shown.end, text_ + at);
        if (preferred == ONIG_ABORT) {
          outcome_.cancelled = true;
          return;
        }
        if (preferred < 0 && preferred != ONIG_MISMATCH) {
          ++outcome_.failedLines;
          from = LineEndFrom(at) + 1;
          continue;
        }
        length = preferred > 0 ? preferred / 2 : 0;
      }
      // Empty matches record nothing, and neither does a match that begins or ends inside
      // a surrogate pair; the scan goes on at the next whole character.
      if (length == 0 || SplitsSurrogatePair(text, at) || SplitsSurrogatePair(text, at + length)) {
        q = at + 1;
        if (SplitsSurrogatePair(text, q)) ++q;
        from = q;
        continue;
      }
      hits_.Append(SearchHit{at, length});
      q = from = at + length;
    }
  }

  // The same hits, but the library looks only at the lines holding a candidate. A match
  // never spans a line break and always holds a candidate, so no match starts in the
  // lines skipped; the subject still begins behind the last hit, so anchors and
  // look-behind see exactly what the full scan shows them. Where a match can begin at most
  // a few units before its candidate, or only behind units of a known set, the library
  // starts there rather than at the line's start.
  void CollectFiltered(const RegexPrefilter& filter) {
    const char16_t* start = text_;
    const int64_t length = length_;
    int64_t q = 0;        // the subject's start
    int64_t scanned = 0;  // no match starts in [q, scanned)
    int64_t lineEnd = -1;
    uint32_t steps = 0;
    while (scanned < length) {
      if ((++steps & 0xFFF) == 0 && Cancelled()) return;
      const int64_t candidate = FindPrefilterCandidate(filter, start, scanned, length);
      if (candidate < 0) break;
      if (!filter.wholeMatches.empty()) {
        // The candidate begins every match, and the texts a match can be are known.
        if (const int32_t size = WholeMatchAt(filter, start, candidate, length)) {
          hits_.Append(SearchHit{candidate, size});
          q = scanned = candidate + size;
          continue;
        }
        if (!filter.foldAsciiCase) {
          scanned = candidate + 1;
          continue;
        }
      }
      const int64_t earliest = filter.candidateOffset < 0
                                   ? scanned
                                   : std::max(scanned, candidate - filter.candidateOffset);
      int64_t lineStart = candidate;
      while (lineStart > earliest && (filter.crossesLines || !IsLineBreak(start, lineStart - 1)) &&
             MayPrecedeCandidate(filter, start[lineStart - 1]))
        --lineStart;
      if (filter.crossesLines ||
          (filter.candidateOffset >= 0 && filter.candidateOffset <= kMatchEachWithin) ||
          (sequence_ && candidate - lineStart <= kMatchEachWithin * 16)) {
        // A match begins in [lineStart, candidate] or holds a later candidate.
        if (!MatchEach(q, lineStart, candidate, scanned)) return;
        continue;
      }
      // The library steps from where it starts by whole characters: never from the second
      // half of a pair.
      if (lineStart > q && SplitsSurrogatePair(std::u16string_view(start, length), lineStart))
        --lineStart;
      if (lineEnd < candidate) lineEnd = LineEndFrom(candidate);
      int64_t at = 0;
      int64_t matchLength = 0;
      const Step step = Find(q, lineStart, lineEnd, false, at, matchLength);
      if (step == Step::kStopped) return;
      if (step == Step::kMatch && matchLength > 0) {
        hits_.Append(SearchHit{at, matchLength});
        q = scanned = at + matchLength;
      } else {
        scanned = lineEnd + 1;
      }
    }
  }

  // The same hits for a pattern whose matches begin at line starts: the library is asked
  // only at the line starts holding a unit a match may begin with, and not at all where the
  // texts a match can be are known.
  void CollectAtLineStarts(const RegexPrefilter& filter) {
    int64_t q = 0;        // the subject's start
    int64_t scanned = 0;  // no match starts in [q, scanned)
    uint32_t steps = 0;
    while (scanned < length_) {
      if ((++steps & 0xFFF) == 0 && Cancelled()) return;
      const int64_t candidate = FindLineStartCandidate(filter, text_, scanned, length_, q);
      if (candidate < 0) return;
      if (filter.wholeMatches.empty()) {
        if (!MatchEach(q, candidate, candidate, scanned)) return;
      } else if (const int32_t size = WholeMatchAt(filter, text_, candidate, length_)) {
        hits_.Append(SearchHit{candidate, size});
        q = scanned = candidate + size;
      } else {
        scanned = candidate + 1;
      }
    }
  }

 private:
  // Candidates at most this far behind their match's start are checked one start at a
  // time; further ones leave the rest of the line to one library search.
  static constexpr int32_t kMatchEachWithin = 16;

  // Asks the library for its preferred match at each start in [from, to] in turn, with the
  // subject at `subject`, recording the first and moving `subject` and `scanned` behind it;
  // without one, `scanned` moves behind `to`. A start the library gives up on skips its
  // line, as the full scan does. False when the scan stops.
  bool MatchEach(int64_t& subject, int64_t from, int64_t to, int64_t& scanned) {
    const std::u16string_view text(text_, static_cast<size_t>(length_));
    for (int64_t at = from; at <= to; ++at) {
      if (SplitsSurrogatePair(text, at)) continue;  // never from the second half of a pair
      if (const int64_t own = sequence_ ? MatchSetSequence(*sequence_, text_, at, length_) : -1;
          own >= 0) {
        if (own > 0) {
          hits_.Append(SearchHit{at, own});
          subject = scanned = at + own;
          return true;
        }
        continue;
      }
      const Shown shown = ShownFor(subject, at);
      const int result = scan_.Match(text_ + shown.start, text_ + shown.end, text_ + at);
      if (result == ONIG_ABORT || Cancelled()) {
        outcome_.cancelled = true;
        return false;
      }
      if (result > 0) {
        hits_.Append(SearchHit{at, result / 2});
        subject = scanned = at + result / 2;
        return true;
      }
      if (result < 0 && result != ONIG_MISMATCH) {
        ++outcome_.failedLines;
        scanned = LineEndFrom(at) + 1;
        return true;
      }
    }
    scanned = to + 1;
    return true;
  }

  bool Cancelled() {
    if (cancel_ && cancel_->load(std::memory_order_relaxed)) outcome_.cancelled = true;
    return outcome_.cancelled;
  }

  // The first line break at or after `at`, or the text's end.
  int64_t LineEndFrom(int64_t at) const {
    return FindUnit(text_ + std::min(at, length_), text_ + length_, u'\n') - text_;
  }

  // The part of the text one library call is shown: from the subject's start, or an eighth
  // of the most it takes behind `from` when the start lies further back, to the text's end
  // or as far as the library counts.
  struct Shown {
    int64_t start;
    int64_t end;
    bool cut;  // ends before the text does
  };
  Shown ShownFor(int64_t subject, int64_t from) const {
    const int64_t start = std::max(subject, from - subjectUnits_ / 8);
    const int64_t end = std::min(length_, start + subjectUnits_);
    return {start, end, end < length_};
  }

  // The first match with the subject at `subject` starting in [from, to], confined to the
  // text before `to` unless that is the text's end. The library tries the start positions
  // in order, so no match starts before the place where it gave up: that line is counted
  // and the search goes on behind it. Where the text shown is cut, a match near the cut is
  // looked for again from its start, and without one the search goes on a margin before it.
  Step Find(int64_t subject, int64_t from, int64_t to, bool notEmpty, int64_t& at,
            int64_t& length) {
    const OnigOptionType option = notEmpty ? ONIG_OPTION_FIND_NOT_EMPTY : ONIG_OPTION_NONE;
    const int64_t margin = subjectUnits_ / 4;
    while (true) {
      if (Cancelled()) return Step::kStopped;
      if (from > to || (from == to && to < length_)) return Step::kNone;
      const Shown shown = ShownFor(subject, from);
      const int64_t range = std::min(to, shown.end);
      const int result =
          scan_.Search(text_ + shown.start, text_ + shown.end, text_ + from, text_ + range, option);
      if (result >= 0) {
        at = shown.start + scan_.MatchStart();
        length = scan_.MatchLength();
        if (shown.cut && at + length > shown.end - margin && at > from) {
          from = at;
          continue;
        }
        return Step::kMatch;
      }
      if (result == ONIG_MISMATCH) {
        if (!shown.cut || to < shown.end - margin) return Step::kNone;
        from = shown.end - margin;
        continue;
      }
      if (result == ONIG_ABORT) {
        outcome_.cancelled = true;
        return Step::kStopped;
      }
      const char16_t* failed = scan_.LastAttempt();
      const int64_t failedAt = failed ? static_cast<int64_t>(failed - text_) : from;
      if (notEmpty) {
        at = std::max(failedAt, from);
        return Step::kExhausted;
      }
      ++outcome_.failedLines;
      from = LineEndFrom(std::max(failedAt, from)) + 1;
    }
  }

  OnigurumaScan& scan_;
  const SetSequence* sequence_;  // the pattern, when matched without the library
  const char16_t* text_;
  int64_t length_;
  HitList& hits_;
  const std::atomic<bool>* cancel_;
  RegexScanOutcome& outcome_;
  int64_t subjectUnits_;
};

}  // namespace

bool DependsOnSubjectStart(std::u16string_view pattern) {
  for (size_t i = 0; i < pattern.size(); ++i) {
    const char16_t c = pattern[i];
    if (c == u'\\') {
      if (++i >= pattern.size()) return true;
      // Anchors, word and grapheme edges, \K; other escapes only stand for characters.
      if (std::u16string_view(u"AGbByYKX<>`'").find(pattern[i]) != std::u16string_view::npos)
        return true;
    } else if (c == u'^') {
      // Only a caret right after an unquoted '[' is surely a negated class.
      const bool negation = i > 0 && pattern[i - 1] == u'[' && !(i > 1 && pattern[i - 2] == u'\\');
      if (!negation) return true;
    } else if (c == u'(' && pattern.substr(i).starts_with(u"(?<") && i + 3 < pattern.size() &&
               (pattern[i + 3] == u'=' || pattern[i + 3] == u'!')) {
      return true;  // look-behind
    }
  }
  return false;
}

RegexScanOutcome CollectRegexHits(std::u16string_view text, std::u16string_view pattern,
                                  HitList& hits, RegexScanMode mode,
                                  const std::atomic<bool>* cancel, int64_t subjectUnits) {
  RegexScanOutcome outcome;
  OnigurumaScan scan(cancel);
  pattern = WithoutTrailingLeadSurrogate(pattern);
  if (!scan.Compile(pattern, outcome.errorText)) {
    outcome.compiled = false;
    return outcome;
  }
  static const char16_t kEmpty[1] = {0};
  const char16_t* start = text.empty() ? kEmpty : text.data();
  const auto length = static_cast<int64_t>(WithoutTrailingLeadSurrogate(text).size());
  // The pattern is read first: the pass over the text for half pairs is paid only when it
  // can change the way of scanning. Where half pairs are, the library's steps depend on
  // where its search begins, so only the plain way is exact there.
  const RegexPrefilter filter =
      mode == RegexScanMode::kFiltered ? AnalyzeRegexPattern(pattern) : RegexPrefilter{};
  if (filter.onlyEmpty) return outcome;
  const bool skipEmpty = mode != RegexScanMode::kEveryPosition && !DependsOnSubjectStart(pattern);
  const bool lineStarts =
      filter.lineStart && (filter.firstKnown || filter.kind == RegexPrefilter::Kind::kNone);
  const bool filtered = filter.kind != RegexPrefilter::Kind::kNone || lineStarts;
  // A pattern behind a leading ^ is matched without the library only at line starts.
  std::optional<SetSequence> sequence;
  if (filtered) sequence = ReadSetSequence(pattern);
  if (sequence && sequence->lineStart && !lineStarts) sequence.reset();
  Scanner scanner(scan, start, length, hits, cancel, outcome, subjectUnits,
                  sequence ? &*sequence : nullptr);
  if ((!filtered && !skipEmpty) || HasUnpairedSurrogate(start, length)) {
    scanner.CollectAll(false);
  } else if (!filtered) {
    scanner.CollectAll(true);
  } else if (lineStarts) {
    scanner.CollectAtLineStarts(filter);
  } else {
    scanner.CollectFiltered(filter);
  }
  return outcome;
}

}  // namespace vemora
