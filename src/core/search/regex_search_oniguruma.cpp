// Regular-expression scans through Oniguruma over UTF-16LE text, Ruby syntax.
#include <oniguruma.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "core/platform/code_pages.h"
#include "core/search/regex_prefilter.h"
#include "core/search/regex_search.h"
#include "core/text/selection.h"

namespace vemora {
namespace {

static_assert(sizeof(char16_t) == 2, "the text is handed to the library as UTF-16LE bytes");

constexpr int32_t kErrorTextCapacity = 90;

const OnigUChar* Bytes(const char16_t* units) {
  return reinterpret_cast<const OnigUChar*>(units);
}

// Holds the library's global state, the compiled pattern and the region for one scan, and
// releases all three however the scan ends.
class OnigurumaScan {
 public:
  OnigurumaScan() {
    OnigEncoding encodings[] = {ONIG_ENCODING_UTF16_LE};
    onig_initialize(encodings, 1);
  }
  ~OnigurumaScan() {
    if (region_) onig_region_free(region_, 1);
    if (regex_) onig_free(regex_);
    onig_end();
  }
  OnigurumaScan(const OnigurumaScan&) = delete;
  OnigurumaScan& operator=(const OnigurumaScan&) = delete;

  bool Compile(std::u16string_view pattern, std::u16string& errorText) {
    OnigErrorInfo errorInfo{};
    const char16_t* start = pattern.data();
    const int result =
        onig_new(&regex_, Bytes(start), Bytes(start + pattern.size()), ONIG_OPTION_NONE,
                 ONIG_ENCODING_UTF16_LE, ONIG_SYNTAX_RUBY, &errorInfo);
    if (result != ONIG_NORMAL) {
      regex_ = nullptr;
      OnigUChar message[ONIG_MAX_ERROR_MESSAGE_LEN] = {};
      onig_error_code_to_str(message, result, &errorInfo);
      const char* text = reinterpret_cast<const char*>(message);
      errorText = DecodeCodePage(kCodePageOem, std::string_view(text, std::strlen(text)));
      if (errorText.size() > kErrorTextCapacity) errorText.resize(kErrorTextCapacity);
      return false;
    }
    region_ = onig_region_new();
    return true;
  }

  // The first match in [subject, end) with the subject as the text's beginning, starting
  // at or after `from` and before `range`; its start is counted from the subject.
  bool Search(const char16_t* subject, const char16_t* end, const char16_t* from,
              const char16_t* range, int32_t& matchStart, int32_t& matchLength) {
    const int result = onig_search(regex_, Bytes(subject), Bytes(end), Bytes(from), Bytes(range),
                                   region_, ONIG_OPTION_NONE);
    if (result < 0) return false;
    matchStart = region_->beg[0] / 2;
    matchLength = (region_->end[0] - region_->beg[0]) / 2;
    return true;
  }

 private:
  OnigRegex regex_ = nullptr;
  OnigRegion* region_ = nullptr;
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

bool IsLineBreak(const char16_t* text, int32_t at) { return text[at] == u'\n'; }

// Every match from each new subject, trying every position.
void CollectAll(OnigurumaScan& scan, const char16_t* start, int32_t length,
                BlockList<SearchHit, 49>& hits) {
  const std::u16string_view text(start, static_cast<size_t>(length));
  int32_t q = 0;
  while (q <= length) {
    int32_t matchStart = 0;
    int32_t matchLength = 0;
    if (!scan.Search(start + q, start + length, start + q, start + length, matchStart,
                     matchLength))
      break;
    const int32_t at = q + matchStart;
    // Empty matches record nothing, and neither does a match that begins or ends inside
    // a surrogate pair; the scan goes on at the next whole character.
    if (matchLength == 0 || SplitsSurrogatePair(text, at) ||
        SplitsSurrogatePair(text, at + matchLength)) {
      q = at + 1;
      if (SplitsSurrogatePair(text, q)) ++q;
      continue;
    }
    hits.Append(SearchHit{at, matchLength});
    q = at + matchLength;
  }
}

// The same hits, but the library looks only at the lines holding a candidate. A match
// never spans a line break and always holds a candidate, so no match starts in the lines
// skipped; the subject still begins behind the last hit, so anchors and look-behind see
// exactly what the full scan shows them. Where a match can begin at most a few units before
// its candidate, or only behind units of a known set, the library starts there rather than
// at the line's start.
void CollectFiltered(OnigurumaScan& scan, const RegexPrefilter& filter, const char16_t* start,
                     int32_t length, BlockList<SearchHit, 49>& hits) {
  int32_t q = 0;        // the subject's start
  int32_t scanned = 0;  // no match starts in [q, scanned)
  int32_t lineEnd = -1;
  while (scanned < length) {
    const int32_t candidate = FindPrefilterCandidate(filter, start, scanned, length);
    if (candidate < 0) break;
    if (!filter.wholeMatches.empty()) {
      // The candidate begins every match, and the texts a match can be are known.
      if (const int32_t size = WholeMatchAt(filter, start, candidate, length)) {
        hits.Append(SearchHit{candidate, size});
        q = scanned = candidate + size;
        continue;
      }
      if (!filter.foldAsciiCase) {
        scanned = candidate + 1;
        continue;
      }
    }
    const int32_t earliest = filter.candidateOffset < 0
                                 ? scanned
                                 : std::max(scanned, candidate - filter.candidateOffset);
    int32_t lineStart = candidate;
    while (lineStart > earliest && !IsLineBreak(start, lineStart - 1) &&
           MayPrecedeCandidate(filter, start[lineStart - 1]))
      --lineStart;
    // The library steps from where it starts by whole characters: never from the second
    // half of a pair.
    if (lineStart > q && SplitsSurrogatePair(std::u16string_view(start, length), lineStart))
      --lineStart;
    if (lineEnd < candidate) {
      lineEnd = candidate;
      while (lineEnd < length && !IsLineBreak(start, lineEnd)) ++lineEnd;
    }
    int32_t matchStart = 0;
    int32_t matchLength = 0;
    if (scan.Search(start + q, start + length, start + lineStart, start + lineEnd, matchStart,
                    matchLength) &&
        matchLength > 0) {
      const int32_t at = q + matchStart;
      hits.Append(SearchHit{at, matchLength});
      q = scanned = at + matchLength;
    } else {
      scanned = lineEnd + 1;
    }
  }
}

}  // namespace

bool CollectRegexHits(std::u16string_view text, std::u16string_view pattern,
                      BlockList<SearchHit, 49>& hits, std::u16string& errorText,
                      bool usePrefilter) {
  OnigurumaScan scan;
  pattern = WithoutTrailingLeadSurrogate(pattern);
  if (!scan.Compile(pattern, errorText)) return false;
  static const char16_t kEmpty[1] = {0};
  const char16_t* start = text.empty() ? kEmpty : text.data();
  const auto length = static_cast<int32_t>(WithoutTrailingLeadSurrogate(text).size());
  // The pattern is read first: the pass over the text for half pairs is paid only when a
  // prefilter would be used.
  const RegexPrefilter filter = usePrefilter ? AnalyzeRegexPattern(pattern) : RegexPrefilter{};
  if (filter.kind == RegexPrefilter::Kind::kNone || HasUnpairedSurrogate(start, length)) {
    CollectAll(scan, start, length, hits);
  } else {
    CollectFiltered(scan, filter, start, length, hits);
  }
  return true;
}

}  // namespace vemora
