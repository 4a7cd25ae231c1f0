// Plain search with a first-unit filter and ASCII-only case folding, hit bookkeeping, and
// stepping between hits by display line.
#include "core/search/search.h"

#include <algorithm>
#include <cstring>
#include <utility>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "core/layout/layout.h"
#include "core/search/regex_search.h"
#include "core/text/follow.h"
#include "core/text/selection.h"

namespace vemora {
namespace {

// The system's wide-character case mapping in its default locale folds ASCII letters only.
constexpr char16_t FoldAscii(char16_t unit) {
  return unit >= u'A' && unit <= u'Z' ? static_cast<char16_t>(unit + 0x20) : unit;
}

// Units a candidate must have: its first unit is one of `firstA`/`firstB` and the unit
// `span` further on is one of `endA`/`endB` (both cases of an ASCII letter, or the same
// unit twice). Checking both ends lets few false candidates through to the comparison.
struct CandidateFilter {
  char16_t firstA, firstB, endA, endB;
  int32_t span;  // pattern length - 1
};

// The first q in [from, last] that passes the filter, or -1. Every candidate position
// passes through here, so it looks at sixteen positions per step.
int64_t FindCandidate(const char16_t* text, int64_t from, int64_t last, const CandidateFilter& f) {
  int64_t q = from;
#if defined(__SSE2__)
  const __m128i firstA = _mm_set1_epi16(static_cast<short>(f.firstA));
  const __m128i firstB = _mm_set1_epi16(static_cast<short>(f.firstB));
  const __m128i endA = _mm_set1_epi16(static_cast<short>(f.endA));
  const __m128i endB = _mm_set1_epi16(static_cast<short>(f.endB));
  auto passing = [&](int64_t at) {
    const __m128i head = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + at));
    const __m128i tail = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + at + f.span));
    return _mm_and_si128(_mm_or_si128(_mm_cmpeq_epi16(head, firstA), _mm_cmpeq_epi16(head, firstB)),
                         _mm_or_si128(_mm_cmpeq_epi16(tail, endA), _mm_cmpeq_epi16(tail, endB)));
  };
  for (; q + 15 <= last; q += 16) {
    const __m128i low = passing(q);
    const __m128i high = passing(q + 8);
    const int mask = _mm_movemask_epi8(_mm_packs_epi16(low, high));
    if (mask != 0) return q + __builtin_ctz(static_cast<unsigned>(mask));
  }
#endif
  for (; q <= last; ++q) {
    const char16_t head = text[q];
    const char16_t tail = text[q + f.span];
    if ((head == f.firstA || head == f.firstB) && (tail == f.endA || tail == f.endB)) return q;
  }
  return -1;
}

// A hit that begins or ends between the two halves of a surrogate pair would show and
// step to half a character; such a place is not a hit.
bool SplitsCharacter(std::u16string_view text, int64_t start, int32_t length) {
  return SplitsSurrogatePair(text, start) || SplitsSurrogatePair(text, start + length);
}

bool EqualFoldingAscii(const char16_t* left, const char16_t* right, int32_t length) {
  for (int32_t i = 0; i < length; ++i) {
    if (FoldAscii(left[i]) != FoldAscii(right[i])) return false;
  }
  return true;
}

// The plain scan looks at this many positions between looks at the cancel flag.
constexpr int32_t kPlainStretch = 1 << 20;

// Returns false when stopped at `cancel`.
bool CollectPlainHits(std::u16string_view textView, std::u16string_view pattern, int32_t Caps,
                      HitList& hits, const std::atomic<bool>* cancel) {
  if (Caps != 0 && Caps != 1) return true;  // neither comparison applies: nothing matches
  const int32_t length = static_cast<int32_t>(pattern.size());
  const int64_t last = static_cast<int64_t>(textView.size()) - length;
  if (last < 0) return true;
  const char16_t* text = textView.data();
  const char16_t* wanted = pattern.data();
  // Case-sensitively only the exact units can start and end a hit; otherwise both ASCII
  // cases of each.
  auto both = [Caps](char16_t unit) {
    const char16_t lower = FoldAscii(unit);
    const char16_t upper =
        lower >= u'a' && lower <= u'z' ? static_cast<char16_t>(lower - 0x20) : lower;
    return Caps == 1 ? std::pair{unit, unit} : std::pair{lower, upper};
  };
  const auto [firstA, firstB] = both(pattern[0]);
  const auto [endA, endB] = both(pattern[length - 1]);
  const CandidateFilter filter{firstA, firstB, endA, endB, length - 1};
  int64_t q = 0;
  while (q <= last) {
    if (cancel && cancel->load(std::memory_order_relaxed)) return false;
    const int64_t stretchEnd = last - q > kPlainStretch ? q + kPlainStretch : last;
    const int64_t candidate = FindCandidate(text, q, stretchEnd, filter);
    if (candidate < 0) {
      q = stretchEnd + 1;
      continue;
    }
    q = candidate;
    const bool match = (Caps == 1 ? std::memcmp(text + q, wanted, sizeof(char16_t) * length) == 0
                                  : EqualFoldingAscii(text + q, wanted, length)) &&
                       !SplitsCharacter(textView, q, length);
    if (match) {
      hits.Append(SearchHit{q, length});
      q += length;
    } else {
      ++q;
    }
  }
  return true;
}

// Where the last line of the text's first `length` units starts: after its last CR or LF,
// a CR that ends them not counting (an LF may have joined it since).
int64_t LastLineStart(std::u16string_view text, int64_t length) {
  for (int64_t i = length; i > 0; --i) {
    const char16_t unit = text[static_cast<size_t>(i - 1)];
    if (unit == u'\n' || (unit == u'\r' && i != length)) return i;
  }
  return 0;
}

// Display line n exists: there is a line table and n is below the display line count.
bool IsDisplayLine(const Document& document, int32_t n) {
  return n >= 0 && n < document.displayLineCount && !document.lineTable.Empty();
}

}  // namespace

void ClearHits(Document& document) {
  document.hits.Clear();
  document.hitPatternLength = 0;
}

std::u16string_view SearchText(std::u16string_view text) {
  return text.substr(0, std::min(text.find(u'\0'), text.size()));
}

HitCollection CollectHits(std::u16string_view text, std::u16string_view pattern, int32_t Caps,
                          int32_t Regx, const std::atomic<bool>* cancel) {
  HitCollection collection;
  pattern = SearchText(pattern);
  if (pattern.empty()) return collection;
  if (Regx == 1) {
    RegexScanOutcome scan =
        CollectRegexHits(text, pattern, collection.hits, RegexScanMode::kFiltered, cancel);
    collection.errorText = std::move(scan.errorText);
    collection.failedLines = scan.failedLines;
    collection.cancelled = scan.cancelled;
  } else {
    collection.cancelled = !CollectPlainHits(text, pattern, Caps, collection.hits, cancel);
  }
  return collection;
}

SearchOutcome ApplyHits(Document& document, HitCollection&& collection, int32_t patternLength,
                        int32_t startLine, bool backward) {
  ClearHits(document);
  SearchOutcome outcome;
  outcome.errorText = std::move(collection.errorText);
  outcome.failedLines = collection.failedLines;
  if (collection.hits.Empty()) return outcome;
  document.hits = std::move(collection.hits);
  document.hitPatternLength = patternLength;
  outcome.line = backward ? FindPreviousHit(document, startLine) : FindNextHit(document, startLine);
  return outcome;
}

SearchOutcome ApplyHitsToGrownText(Document& document, HitCollection&& collection,
                                   int32_t patternLength, int64_t searchedLength, int32_t startLine,
                                   bool backward) {
  SearchOutcome outcome = ApplyHits(document, std::move(collection), patternLength, -1, backward);
  if (document.textLength > searchedLength)
    SearchGrownTextWithStoredFind(document, LastLineStart(document.Text(), searchedLength));
  outcome.line = backward ? FindPreviousHit(document, startLine) : FindNextHit(document, startLine);
  return outcome;
}

void SearchGrownTextWithStoredFind(Document& document, int64_t from) {
  const Document::StoredFind& find = document.storedFind;
  if (find.pattern.empty()) return;
  SearchGrownText(document, from, [&find](Document& part) {
    SearchDocument(part, 0, find.pattern, find.Caps, find.Regx, false);
  });
}

SearchOutcome SearchDocument(Document& document, int32_t startLine, std::u16string_view text,
                             int32_t Caps, int32_t Regx, bool backward) {
  HitCollection collection = CollectHits(document.Text(), text, Caps, Regx);
  return ApplyHits(document, std::move(collection), static_cast<int32_t>(SearchText(text).size()),
                   startLine, backward);
}

int32_t FindNextHit(const Document& document, int32_t line) {
  if (!IsDisplayLine(document, line) || document.hits.Empty()) return -1;
  const int64_t from = document.lineTable.StartOf(line + 1);
  const auto& hits = document.hits;
  // The first hit starting at or after `from`.
  const int64_t low =
      hits.PartitionPoint([from](const SearchHit& hit) { return hit.start < from; });
  return low < hits.Size() ? DisplayLineOf(document, hits[low].start) : -1;
}

int32_t FindPreviousHit(const Document& document, int32_t line) {
  if (!IsDisplayLine(document, line) || document.hits.Empty()) return -1;
  const int64_t before = document.lineTable.StartOf(line);
  const auto& hits = document.hits;
  // The number of hits starting before `before`.
  const int64_t low =
      hits.PartitionPoint([before](const SearchHit& hit) { return hit.start < before; });
  return low > 0 ? DisplayLineOf(document, hits[low - 1].start) : -1;
}

}  // namespace vemora
