// Pattern analysis for the regular-expression prefilter. A small recursive-descent reader
// of the pattern language summarises each part: whether it can match nothing, the exact
// text it matches when there is only one, and something each of its matches must contain.
// Anything outside the understood subset (look-around, back-references, options other than
// a leading (?i) over a plain ASCII text, escapes with a meaning, line feeds) stops the
// analysis, and the scan then runs unfiltered.
#include "core/search/regex_prefilter.h"

#include <algorithm>
#include <optional>

#include "core/search/pattern_syntax.h"
#include "core/search/prefilter_scanners.h"
#include "core/text/character_boundary.h"

namespace vemora {
namespace {

using Ranges = std::vector<std::pair<char16_t, char16_t>>;

constexpr int32_t kMaxExactLength = 256;
constexpr int32_t kMaxRunLength = 64;
constexpr int64_t kMaxBound = 1 << 20;
constexpr size_t kMaxStrings = 64;
constexpr int64_t kMaxClassStrings = 16;

Ranges Normalized(Ranges ranges) {
  std::sort(ranges.begin(), ranges.end());
  Ranges merged;
  for (const auto& range : ranges) {
    if (!merged.empty() && range.first <= merged.back().second + 1) {
      merged.back().second = std::max(merged.back().second, range.second);
    } else {
      merged.push_back(range);
    }
  }
  return merged;
}

int64_t RangeSize(const Ranges& ranges) {
  int64_t size = 0;
  for (const auto& [low, high] : ranges) size += high - low + 1;
  return size;
}

// Something every match contains, and how far into a match it may begin.
struct Requirement {
  RegexPrefilter::Kind kind = RegexPrefilter::Kind::kNone;
  std::u16string literal;
  Ranges ranges;
  int32_t runLength = 1;
  int32_t offset = -1;           // most units a match may begin before it; -1 unbounded
  std::optional<Ranges> before;  // every unit a match may hold before it, when known

  static Requirement Literal(std::u16string text, int32_t offset) {
    Requirement r;
    if (text.empty()) return r;
    r.kind = RegexPrefilter::Kind::kLiteral;
    r.literal = std::move(text);
    r.offset = offset;
    r.before = Ranges();
    return r;
  }
  static Requirement Run(Ranges ranges, int32_t length, int32_t offset) {
    Requirement r;
    r.kind = RegexPrefilter::Kind::kUnitRun;
    r.ranges = Normalized(std::move(ranges));
    r.runLength = std::clamp(length, 1, kMaxRunLength);
    r.offset = offset;
    r.before = Ranges();
    return r;
  }
  bool Empty() const { return kind == RegexPrefilter::Kind::kNone; }

  // The units at least one of which every match contains.
  Ranges UnitSet() const {
    if (kind == RegexPrefilter::Kind::kLiteral) return {{literal[0], literal[0]}};
    return ranges;
  }
};

// Longer literals first, then any literal, then longer runs of fewer units; between
// equals, the one nearer the start of a match.
bool Better(const Requirement& a, const Requirement& b) {
  using Kind = RegexPrefilter::Kind;
  if (b.Empty()) return !a.Empty();
  if (a.Empty()) return false;
  if (a.kind != b.kind) return a.kind == Kind::kLiteral;
  if (a.kind == Kind::kLiteral && a.literal.size() != b.literal.size())
    return a.literal.size() > b.literal.size();
  if (a.kind == Kind::kUnitRun) {
    if (a.runLength != b.runLength) return a.runLength > b.runLength;
    if (RangeSize(a.ranges) != RangeSize(b.ranges))
      return RangeSize(a.ranges) < RangeSize(b.ranges);
  }
  return a.offset >= 0 && (b.offset < 0 || a.offset < b.offset);
}

// Bounds that saturate: -1 stands for no bound.
int32_t AddBounds(int32_t a, int32_t b) {
  if (a < 0 || b < 0 || int64_t{a} + b > kMaxBound) return -1;
  return a + b;
}
int32_t MultiplyBound(int32_t a, int32_t times) {
  if (a < 0 || times < 0 || int64_t{a} * times > kMaxBound) return -1;
  return a * times;
}

using Strings = std::vector<std::u16string>;

// Every pairing of a text of `left` followed by one of `right`, in the library's order of
// preference, or nothing when the list would grow too long.
std::optional<Strings> Product(const std::optional<Strings>& left,
                               const std::optional<Strings>& right) {
  if (!left || !right || left->size() * right->size() > kMaxStrings) return std::nullopt;
  Strings product;
  for (const std::u16string& a : *left) {
    for (const std::u16string& b : *right) {
      if (a.size() + b.size() > kMaxExactLength) return std::nullopt;
      product.push_back(a + b);
    }
  }
  return product;
}

struct Summary {
  bool nullable = true;
  int32_t maxLength = 0;                // most units a match spans; -1 unbounded
  std::optional<std::u16string> exact;  // the one text every match consists of
  std::optional<Strings> strings;       // every possible match, most preferred first
  Requirement required;
  std::optional<Ranges> singleUnit;  // every match is exactly one unit from these
  std::optional<Ranges> units;       // every unit of every match is one of these
  std::optional<Ranges> first;       // every match begins with one of these
  bool lineStart = false;            // every match begins where ^ holds
  bool crossesLines = false;         // a match may hold a line feed
};

std::optional<Ranges> Union(const std::optional<Ranges>& a, const std::optional<Ranges>& b) {
  if (!a || !b) return std::nullopt;
  Ranges both = *a;
  both.insert(both.end(), b->begin(), b->end());
  return Normalized(std::move(both));
}

class PatternReader {
 public:
  explicit PatternReader(std::u16string_view pattern) : p_(pattern) {}

  std::optional<Summary> ReadWhole() {
    std::optional<Summary> summary = ReadAlternation();
    if (!summary || at_ != p_.size()) return std::nullopt;
    return summary;
  }

 private:
  bool AtEnd() const { return at_ >= p_.size(); }
  char16_t Peek() const { return p_[at_]; }

  std::optional<Summary> ReadAlternation() {
    std::vector<Summary> alternatives;
    for (;;) {
      std::optional<Summary> sequence = ReadSequence();
      if (!sequence) return std::nullopt;
      alternatives.push_back(std::move(*sequence));
      if (AtEnd() || Peek() != u'|') break;
      ++at_;
    }
    if (alternatives.size() == 1) return std::move(alternatives[0]);
    Summary summary;
    summary.nullable = false;
    summary.strings = Strings();
    summary.units = Ranges();
    summary.first = Ranges();
    summary.lineStart = true;
    std::optional<Ranges> before = Ranges();
    Ranges units;
    bool allRequire = true;
    int32_t offset = 0;
    for (const Summary& alternative : alternatives) {
      summary.units = Union(summary.units, alternative.units);
      summary.first = Union(summary.first, alternative.first);
      summary.lineStart = summary.lineStart && alternative.lineStart;
      summary.crossesLines = summary.crossesLines || alternative.crossesLines;
      before = Union(before, alternative.required.before);
      summary.nullable = summary.nullable || alternative.nullable;
      summary.maxLength = alternative.maxLength < 0 || summary.maxLength < 0
                              ? -1
                              : std::max(summary.maxLength, alternative.maxLength);
      if (alternative.strings && summary.strings &&
          summary.strings->size() + alternative.strings->size() <= kMaxStrings) {
        summary.strings->insert(summary.strings->end(), alternative.strings->begin(),
                                alternative.strings->end());
      } else {
        summary.strings.reset();
      }
      offset = alternative.required.offset < 0 || offset < 0
                   ? -1
                   : std::max(offset, alternative.required.offset);
      if (alternative.required.Empty()) {
        allRequire = false;
      } else {
        for (const auto& range : alternative.required.UnitSet()) units.push_back(range);
      }
    }
    if (allRequire && !summary.nullable) {
      summary.required = Requirement::Run(units, 1, offset);
      summary.required.before = before;
    }
    return summary;
  }

  std::optional<Summary> ReadSequence() {
    Summary summary;
    summary.exact = std::u16string();
    summary.strings = Strings{std::u16string()};
    summary.units = Ranges();
    summary.first = Ranges();
    std::u16string run;  // the exact text of the items read since the last inexact one
    int32_t runOffset = 0;
    std::optional<Ranges> runBefore;
    auto closeRun = [&] {
      Requirement literal = Requirement::Literal(run, runOffset);
      literal.before = runBefore;
      if (Better(literal, summary.required)) summary.required = std::move(literal);
      run.clear();
    };
    while (!AtEnd() && Peek() != u'|' && Peek() != u')') {
      std::optional<Summary> item = ReadQuantified();
      if (!item) return std::nullopt;
      if (summary.nullable) summary.first = Union(summary.first, item->first);
      if (summary.maxLength == 0 && item->lineStart) summary.lineStart = true;
      summary.crossesLines = summary.crossesLines || item->crossesLines;
      summary.nullable = summary.nullable && item->nullable;
      if (item->exact && run.size() + item->exact->size() <= kMaxExactLength) {
        if (run.empty()) {
          runOffset = summary.maxLength;
          runBefore = summary.units;
        }
        run += *item->exact;
      } else {
        closeRun();
      }
      if (!item->exact || !summary.exact ||
          summary.exact->size() + item->exact->size() > kMaxExactLength) {
        summary.exact.reset();
      } else {
        *summary.exact += *item->exact;
      }
      summary.strings = Product(summary.strings, item->strings);
      item->required.offset = AddBounds(summary.maxLength, item->required.offset);
      item->required.before = Union(summary.units, item->required.before);
      if (Better(item->required, summary.required)) summary.required = item->required;
      summary.maxLength = AddBounds(summary.maxLength, item->maxLength);
      summary.units = Union(summary.units, item->units);
    }
    closeRun();
    return summary;
  }

  // An atom and its quantifier, if any: *, +, ?, {n}, {n,}, {,m} or {n,m}, then at most one
  // lazy or possessive mark. A second quantifier is left to the library alone.
  std::optional<Summary> ReadQuantified() {
    std::optional<Summary> atom = ReadAtom();
    if (!atom || AtEnd()) return atom;
    int32_t least = 1, most = 1;
    const bool interval = Peek() == u'{';
    if (!ReadQuantifier(least, most)) return atom;
    // After an interval a further ? or + is another quantifier; after the others it marks
    // a lazy or possessive one.
    if (!interval && !AtEnd() && (Peek() == u'?' || Peek() == u'+')) ++at_;
    if (!AtEnd() && (Peek() == u'*' || Peek() == u'+' || Peek() == u'?' || Peek() == u'{'))
      return std::nullopt;
    Summary summary;
    summary.maxLength = MultiplyBound(atom->maxLength, most);
    summary.units = atom->units;
    summary.first = atom->first;
    summary.crossesLines = atom->crossesLines;
    if (least == 0) return summary;
    summary.lineStart = atom->lineStart;  // may match nothing: promises nothing
    summary.nullable = atom->nullable;
    summary.required = atom->required;  // in the first repetition
    if (atom->singleUnit) {
      // Each repetition is one unit of the set, so `least` of them stand side by side.
      summary.required =
          atom->exact ? Requirement::Literal(
                            std::u16string(static_cast<size_t>(std::min(least, kMaxExactLength)),
                                           (*atom->exact)[0]),
                            0)
                      : Requirement::Run(*atom->singleUnit, least, 0);
    }
    if (least == most) {
      summary.strings = Strings{std::u16string()};
      for (int32_t i = 0; i < least && summary.strings; ++i)
        summary.strings = Product(summary.strings, atom->strings);
      if (atom->exact && static_cast<int64_t>(atom->exact->size()) * least <= kMaxExactLength) {
        std::u16string repeated;
        for (int32_t i = 0; i < least; ++i) repeated += *atom->exact;
        summary.exact = repeated;
        Requirement literal = Requirement::Literal(repeated, 0);
        if (Better(literal, summary.required)) summary.required = literal;
      }
    }
    return summary;
  }

  // True when a quantifier was read; a malformed interval ends the analysis by leaving
  // an unread '{', which no atom accepts.
  bool ReadQuantifier(int32_t& least, int32_t& most) {
    const char16_t c = Peek();
    if (c == u'*') return ++at_, least = 0, most = -1, true;
    if (c == u'+') return ++at_, least = 1, most = -1, true;
    if (c == u'?') return ++at_, least = 0, most = 1, true;
    if (c != u'{') return false;
    const size_t start = at_;
    ++at_;
    const std::optional<int32_t> low = ReadNumber();
    std::optional<int32_t> high = low;
    if (!AtEnd() && Peek() == u',') {
      ++at_;
      high = ReadNumber();
      if (!high) high = -1;
    }
    if (AtEnd() || Peek() != u'}' || (!low && high == -1)) {
      at_ = start;
      return false;
    }
    ++at_;
    least = low.value_or(0);
    most = *high;
    return true;
  }

  std::optional<int32_t> ReadNumber() {
    int64_t value = 0;
    const size_t start = at_;
    while (!AtEnd() && Peek() >= u'0' && Peek() <= u'9' && at_ - start < 6) {
      value = value * 10 + (Peek() - u'0');
      ++at_;
    }
    if (at_ == start) return std::nullopt;
    return static_cast<int32_t>(value);
  }

  static Summary Unit(std::u16string text) {
    Summary summary;
    summary.nullable = false;
    summary.maxLength = static_cast<int32_t>(text.size());
    summary.exact = text;
    summary.strings = Strings{text};
    if (text.size() == 1) {
      summary.singleUnit = Ranges{{text[0], text[0]}};
      summary.units = summary.singleUnit;
    }
    summary.first = Ranges{{text[0], text[0]}};
    summary.required = Requirement::Literal(std::move(text), 0);
    return summary;
  }

  Summary ZeroWidth(bool lineStart) {
    ++zeroWidths_;
    Summary summary;
    summary.exact = std::u16string();
    summary.units = Ranges();
    summary.strings = Strings{std::u16string()};
    summary.first = Ranges();
    summary.lineStart = lineStart;
    return summary;
  }

  // One unit of a set (a class, \s); a set holding a line feed lets a match cross lines.
  static Summary UnitOf(const Ranges& ranges) {
    Summary summary;
    summary.nullable = false;
    summary.maxLength = 1;
    summary.singleUnit = Normalized(ranges);
    summary.units = summary.first = summary.singleUnit;
    summary.required = Requirement::Run(ranges, 1, 0);
    summary.crossesLines = InRanges(u'\n', *summary.singleUnit);
    return summary;
  }

  std::optional<Summary> ReadAtom() {
    const char16_t c = Peek();
    switch (c) {
      case u'(':
        return ReadGroup();
      case u'[':
        return ReadClass();
      case u'\\':
        return ReadEscape();
      case u'.': {
        ++at_;
        Summary summary;
        summary.nullable = false;
        summary.maxLength = 2;  // a surrogate pair is one character
        return summary;
      }
      case u'^':
      case u'$':
        ++at_;
        return ZeroWidth(c == u'^');
      case u'\n':
      case u'*':
      case u'+':
      case u'?':
      case u'{':
      case u'}':
      case u']':
      case u')':
      case u'|':
        return std::nullopt;
      default:
        break;
    }
    if (c >= 0xD800 && c <= 0xDBFF && at_ + 1 < p_.size() && p_[at_ + 1] >= 0xDC00 &&
        p_[at_ + 1] <= 0xDFFF) {
      at_ += 2;
      return Unit(std::u16string(p_.substr(at_ - 2, 2)));
    }
    if (IsSurrogate(c)) return std::nullopt;
    ++at_;
    return Unit(std::u16string(1, c));
  }

  std::optional<Summary> ReadGroup() {
    ++at_;
    if (!AtEnd() && Peek() == u'?') {
      if (at_ + 1 < p_.size() && p_[at_ + 1] == u':') {
        at_ += 2;
      } else {
        return std::nullopt;  // options, look-around, named groups, atomic groups...
      }
    }
    std::optional<Summary> inner = ReadAlternation();
    if (!inner || AtEnd() || Peek() != u')') return std::nullopt;
    ++at_;
    return inner;
  }

  // Only escapes that stand for themselves or for zero-width positions that never look
  // at where the search began.
  std::optional<Summary> ReadEscape() {
    if (at_ + 1 >= p_.size()) return std::nullopt;
    const char16_t c = p_[at_ + 1];
    at_ += 2;
    if (c == u'A' || c == u'z' || c == u'Z' || c == u'b' || c == u'B') return ZeroWidth(false);
    if (c == u't') return Unit(u"\t");
    if (c == u's') return UnitOf(WhiteSpaceUnits());
    if (IsQuotablePunctuation(c)) return Unit(std::u16string(1, c));
    return std::nullopt;
  }

  // A class of single units and ranges of them; nested classes, intersections, escapes with
  // a meaning and anything outside the basic plane end the analysis. A negated class
  // matches any other character, a line feed or a surrogate pair among them: it promises
  // nothing but that one character is taken.
  std::optional<Summary> ReadClass() {
    std::optional<UnitClass> unitClass = ReadUnitClass(p_, at_);
    if (!unitClass) return std::nullopt;
    if (unitClass->negated) {
      Summary summary;
      summary.nullable = false;
      summary.maxLength = 2;
      summary.crossesLines = true;
      return summary;
    }
    Summary summary = UnitOf(unitClass->ranges);
    if (RangeSize(*summary.singleUnit) <= kMaxClassStrings) {
      summary.strings = Strings();
      for (const auto& [low, high] : *summary.singleUnit) {
        for (char32_t unit = low; unit <= high; ++unit)
          summary.strings->push_back(std::u16string(1, static_cast<char16_t>(unit)));
      }
    }
    if (summary.strings && summary.strings->size() == 1) {
      summary.exact = summary.strings->front();
      summary.required = Requirement::Literal(*summary.exact, 0);
    }
    return summary;
  }

  std::u16string_view p_;
  size_t at_ = 0;

 public:
  int zeroWidths_ = 0;  // anchors and word boundaries in the pattern
};

// "(?i)" followed by printable ASCII with no special meaning: only the first unit's
// candidates are looked for, since folding may turn several letters into one character.
RegexPrefilter CaseInsensitiveLiteral(std::u16string_view text) {
  RegexPrefilter filter;
  if (text.empty()) return filter;
  for (char16_t c : text) {
    const bool plain =
        c >= 0x20 && c < 0x7F &&
        std::u16string_view(u".^$|()[]{}*+?\\#").find(c) == std::u16string_view::npos;
    if (!plain) return filter;
  }
  filter.kind = RegexPrefilter::Kind::kUnitRun;
  filter.ranges = Normalized(CaseFoldingStarts(text[0]));
  filter.runLength = 1;
  filter.candidateOffset = 0;
  filter.wholeMatches = {std::u16string(text)};
  filter.foldAsciiCase = true;
  return filter;
}

}  // namespace

RegexPrefilter AnalyzeRegexPattern(std::u16string_view pattern) {
  constexpr std::u16string_view kCaseInsensitive = u"(?i)";
  if (pattern.substr(0, kCaseInsensitive.size()) == kCaseInsensitive)
    return CaseInsensitiveLiteral(pattern.substr(kCaseInsensitive.size()));
  RegexPrefilter filter;
  PatternReader reader(pattern);
  std::optional<Summary> summary = reader.ReadWhole();
  if (summary && summary->maxLength == 0) filter.onlyEmpty = true;
  if (!summary || summary->nullable) return filter;
  filter.crossesLines = summary->crossesLines;
  filter.lineStart = summary->lineStart;
  filter.firstKnown = summary->first.has_value();
  if (summary->first) filter.first = std::move(*summary->first);
  // Behind a leading ^, the texts a match can be hold at every line start.
  const bool onlyLeadingAnchor =
      filter.lineStart && reader.zeroWidths_ == 1 && pattern.front() == u'^' && filter.firstKnown;
  if (onlyLeadingAnchor && summary->strings) filter.wholeMatches = std::move(*summary->strings);
  // Where a match may cross lines, the library is asked only at a bounded distance before a
  // candidate.
  if (summary->required.Empty() || (filter.crossesLines && summary->required.offset < 0))
    return filter;
  filter.kind = summary->required.kind;
  filter.literal = std::move(summary->required.literal);
  filter.ranges = std::move(summary->required.ranges);
  filter.runLength = summary->required.runLength;
  filter.candidateOffset = summary->required.offset;
  if (summary->required.before) {
    filter.beforeKnown = true;
    filter.before = std::move(*summary->required.before);
  }
  if (filter.candidateOffset == 0 && summary->strings && reader.zeroWidths_ == 0)
    filter.wholeMatches = std::move(*summary->strings);
  return filter;
}

}  // namespace vemora
