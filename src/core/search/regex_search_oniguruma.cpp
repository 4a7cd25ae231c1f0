// Regular-expression scans through Oniguruma over UTF-16LE text, Ruby syntax.
#include <oniguruma.h>

#include <cstring>
#include <string>

#include "core/platform/code_pages.h"
#include "core/search/regex_search.h"

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

  // The first match in [subject, end) with the subject as the text's beginning.
  bool Search(const char16_t* subject, const char16_t* end, int32_t& matchStart,
              int32_t& matchLength) {
    const OnigUChar* from = Bytes(subject);
    const OnigUChar* to = Bytes(end);
    const int result = onig_search(regex_, from, to, from, to, region_, ONIG_OPTION_NONE);
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

bool CollectRegexHits(std::u16string_view text, std::u16string_view pattern,
                      BlockList<SearchHit, 49>& hits, std::u16string& errorText) {
  OnigurumaScan scan;
  if (!scan.Compile(WithoutTrailingLeadSurrogate(pattern), errorText)) return false;
  static const char16_t kEmpty[1] = {0};
  const char16_t* start = text.empty() ? kEmpty : text.data();
  const auto length = static_cast<int32_t>(WithoutTrailingLeadSurrogate(text).size());
  int32_t q = 0;
  while (q <= length) {
    int32_t matchStart = 0;
    int32_t matchLength = 0;
    if (!scan.Search(start + q, start + length, matchStart, matchLength)) break;
    const int32_t at = q + matchStart;
    if (matchLength == 0) {
      q = at + 1;
      continue;
    }
    hits.Append(SearchHit{at, matchLength});
    q = at + matchLength;
  }
  return true;
}

}  // namespace vemora
