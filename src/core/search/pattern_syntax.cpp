// Reading the parts of a pattern's syntax that both pattern readers take alike.
#include "core/search/pattern_syntax.h"

namespace vemora {
namespace {

std::optional<char16_t> ReadClassUnit(std::u16string_view p, size_t& at) {
  const char16_t c = p[at];
  if (c == u'[' || c == u'&') return std::nullopt;
  if (c != u'\\') return ++at, c;
  if (at + 1 >= p.size()) return std::nullopt;
  const char16_t escaped = p[at + 1];
  at += 2;
  if (escaped == u't') return u'\t';
  if (IsQuotablePunctuation(escaped)) return escaped;
  return std::nullopt;
}

}  // namespace

bool IsQuotablePunctuation(char16_t c) {
  return std::u16string_view(u".^$|()[]{}*+?\\/-#&~!\"%,:;=@_ ").find(c) !=
         std::u16string_view::npos;
}

std::optional<UnitClass> ReadUnitClass(std::u16string_view p, size_t& at) {
  UnitClass unitClass;
  ++at;
  unitClass.negated = at < p.size() && p[at] == u'^';
  if (unitClass.negated) ++at;
  if (at >= p.size() || p[at] == u']') return std::nullopt;
  while (at < p.size() && p[at] != u']') {
    const std::optional<char16_t> low = ReadClassUnit(p, at);
    if (!low) return std::nullopt;
    char16_t high = *low;
    if (at + 1 < p.size() && p[at] == u'-' && p[at + 1] != u']') {
      ++at;
      const std::optional<char16_t> end = ReadClassUnit(p, at);
      if (!end || *end < *low) return std::nullopt;
      high = *end;
    }
    if ((*low <= u'\n' && high >= u'\n') || (*low <= 0xDFFF && high >= 0xD800)) return std::nullopt;
    unitClass.ranges.emplace_back(*low, high);
  }
  if (at >= p.size()) return std::nullopt;
  ++at;
  return unitClass;
}

}  // namespace vemora
