// Fuzzing the search: a pattern of up to 80 units (what the find dialog passes on), plain
// or as a Ruby-syntax regular expression, with any Caps and Regx values, over any text,
// then the steps between hits. The input is the pattern, a NUL byte, then the text; the
// switches and the start line come from its last bytes.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <string>

#include "core/layout/layout.h"
#include "core/search/regex_search.h"
#include "core/search/search.h"
#include "fuzz_support.h"

namespace vemora {
namespace {

char16_t Fold(char16_t unit) {
  return unit >= u'A' && unit <= u'Z' ? static_cast<char16_t>(unit + 0x20) : unit;
}

bool SameText(std::u16string_view a, std::u16string_view b, int32_t Caps) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (Caps == 1 ? a[i] != b[i] : Fold(a[i]) != Fold(b[i])) return false;
  }
  return true;
}

// Leftmost hits, each search going on behind the previous hit.
std::vector<SearchHit> NaivePlainHits(std::u16string_view text, std::u16string_view pattern,
                                      int32_t Caps) {
  std::vector<SearchHit> hits;
  if ((Caps != 0 && Caps != 1) || pattern.empty()) return hits;
  for (size_t q = 0; q + pattern.size() <= text.size();) {
    // A place that begins or ends between the halves of a surrogate pair is not a hit.
    auto splits = [&](size_t at) {
      return at > 0 && at < text.size() && text[at - 1] >= 0xD800 && text[at - 1] <= 0xDBFF &&
             text[at] >= 0xDC00 && text[at] <= 0xDFFF;
    };
    if (SameText(text.substr(q, pattern.size()), pattern, Caps) && !splits(q) &&
        !splits(q + pattern.size())) {
      hits.push_back({static_cast<int32_t>(q), static_cast<int32_t>(pattern.size())});
      q += pattern.size();
    } else {
      ++q;
    }
  }
  return hits;
}

int32_t NaiveNext(const Document& document, int32_t line) {
  if (line < 0 || line >= document.displayLineCount) return -1;
  const int64_t from = LineStart(document, line + 1);
  for (int64_t i = 0; i < document.hits.Size(); ++i) {
    if (document.hits[i].start >= from) return DisplayLineOf(document, document.hits[i].start);
  }
  return -1;
}

int32_t NaivePrevious(const Document& document, int32_t line) {
  if (line < 0 || line >= document.displayLineCount) return -1;
  const int64_t before = LineStart(document, line);
  for (int64_t i = document.hits.Size() - 1; i >= 0; --i) {
    if (document.hits[i].start < before) return DisplayLineOf(document, document.hits[i].start);
  }
  return -1;
}

}  // namespace
}  // namespace vemora

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace vemora;
  FuzzedDataProvider provider(data, size);
  const auto Caps = provider.ConsumeIntegralInRange<int32_t>(-1, 2);
  const auto Regx = provider.ConsumeIntegralInRange<int32_t>(-1, 2);
  const bool backward = provider.ConsumeBool();
  const auto fold = provider.ConsumeIntegralInRange<int32_t>(1, 100);
  const auto lineChoice = provider.ConsumeIntegral<uint16_t>();
  const std::string rest = provider.ConsumeRemainingBytesAsString();
  const size_t separator = std::min(rest.find('\0'), rest.size());
  std::u16string pattern = fuzz::UnitsFromBytes(std::string_view(rest).substr(0, separator));
  if (pattern.size() > static_cast<size_t>(FindRequest::kTextCapacity))
    pattern.resize(FindRequest::kTextCapacity);
  const std::u16string units =
      fuzz::UnitsFromBytes(separator < rest.size() ? rest.substr(separator + 1) : std::string());

  // The text in a buffer of exactly its length: the library must not read past it.
  Document document;
  document.textBuffer = std::make_unique<char16_t[]>(std::max<size_t>(units.size(), 1));
  std::copy(units.begin(), units.end(), document.textBuffer.get());
  document.text = document.textBuffer.get();
  document.textLength = static_cast<int32_t>(units.size());
  ColumnRuleMeasure measure;
  LayoutDocument(document, LayoutParameters{8, fold, 0, 1, 0}, measure);
  const int32_t startLine = lineChoice % (document.displayLineCount + 3) - 1;

  // The pattern too: nothing may be read behind its last unit.
  const auto patternBuffer = std::make_unique<char16_t[]>(std::max<size_t>(pattern.size(), 1));
  std::copy(pattern.begin(), pattern.end(), patternBuffer.get());
  const SearchOutcome outcome =
      SearchDocument(document, startLine, std::u16string_view(patternBuffer.get(), pattern.size()),
                     Caps, Regx, backward);
  const std::u16string_view text = document.Text();
  const std::u16string_view searched =
      std::u16string_view(pattern).substr(0, std::min(pattern.find(u'\0'), pattern.size()));

  // Hits lie in the text, in order, without overlap, and are never empty.
  int64_t end = 0;
  for (int64_t i = 0; i < document.hits.Size(); ++i) {
    const SearchHit& hit = document.hits[i];
    FUZZ_CHECK(hit.start >= end && hit.length > 0 && hit.start + hit.length <= document.textLength);
    end = hit.start + hit.length;
  }
  FUZZ_CHECK(document.hitPatternLength ==
             (document.hits.Empty() ? 0 : static_cast<int32_t>(searched.size())));
  FUZZ_CHECK(outcome.errorText.size() <= 90);
  FUZZ_CHECK(outcome.errorText.empty() || (Regx == 1 && document.hits.Empty()));
  if (Regx != 1) {
    // Plain hits are exactly the leftmost non-overlapping occurrences.
    const std::vector<SearchHit> expected = NaivePlainHits(text, searched, Caps);
    FUZZ_CHECK(searched.empty() || static_cast<int32_t>(expected.size()) == document.hits.Size());
    for (size_t i = 0; i < expected.size() && !searched.empty(); ++i) {
      const SearchHit& hit = document.hits[static_cast<int32_t>(i)];
      FUZZ_CHECK(hit.start == expected[i].start && hit.length == expected[i].length);
    }
  }
  if (searched.empty()) FUZZ_CHECK(document.hits.Empty());
  if (Regx == 1 && !searched.empty() && outcome.errorText.empty() && outcome.failedLines == 0) {
    // The prefilter, the line-start scan and the matching without the library record the
    // hits the library finds when asked at every position.
    HitList reference;
    if (CollectRegexHits(text, searched, reference, RegexScanMode::kEveryPosition).failedLines ==
        0) {
      FUZZ_CHECK(reference.Size() == document.hits.Size());
      for (int64_t i = 0; i < reference.Size() && i < document.hits.Size(); ++i) {
        FUZZ_CHECK(reference[i].start == document.hits[i].start &&
                   reference[i].length == document.hits[i].length);
      }
    }
  }

  // The line shown, and the steps from any line, agree with a walk over the hits.
  FUZZ_CHECK(outcome.line ==
             (backward ? NaivePrevious(document, startLine) : NaiveNext(document, startLine)));
  for (const int32_t line :
       {-1, 0, startLine, document.displayLineCount - 1, document.displayLineCount}) {
    FUZZ_CHECK(FindNextHit(document, line) == NaiveNext(document, line));
    FUZZ_CHECK(FindPreviousHit(document, line) == NaivePrevious(document, line));
  }
  return 0;
}
