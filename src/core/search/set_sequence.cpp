// Reading and matching patterns that are sequences of greedily repeated sets. Anything the
// reading is unsure of (lazy or possessive marks, groups, other escapes, units outside the
// basic plane) gives no sequence, and the library is asked as before.
#include "core/search/set_sequence.h"

#include "core/search/pattern_syntax.h"
#include "core/text/character_boundary.h"

namespace vemora {
namespace {

constexpr size_t kMaxItems = 32;
constexpr int32_t kMaxCount = 1000;
constexpr int64_t kMaxSteps = 1 << 16;

class SequenceReader {
 public:
  explicit SequenceReader(std::u16string_view pattern) : p_(pattern) {}

  std::optional<SetSequence> Read() {
    SetSequence sequence;
    if (!AtEnd() && Peek() == u'^') {
      sequence.lineStart = true;
      ++at_;
    }
    while (!AtEnd()) {
      std::optional<SetItem> item = ReadItem();
      if (!item || !ReadCount(*item) || sequence.items.size() >= kMaxItems) return std::nullopt;
      sequence.items.push_back(std::move(*item));
    }
    if (sequence.items.empty()) return std::nullopt;
    return sequence;
  }

 private:
  bool AtEnd() const { return at_ >= p_.size(); }
  char16_t Peek() const { return p_[at_]; }

  std::optional<SetItem> ReadItem() {
    SetItem item;
    const char16_t c = Peek();
    if (c == u'[') return ReadClass();
    if (c == u'\\') {
      if (at_ + 1 >= p_.size()) return std::nullopt;
      const char16_t escaped = p_[at_ + 1];
      at_ += 2;
      if (escaped == u's') {
        item.ranges = WhiteSpaceUnits();
        return item;
      }
      if (escaped == u't') return item.ranges = {{u'\t', u'\t'}}, item;
      if (!IsQuotablePunctuation(escaped)) return std::nullopt;
      return item.ranges = {{escaped, escaped}}, item;
    }
    if (c == u'\n' || IsSurrogate(c) ||
        std::u16string_view(u".^$|()[]{}*+?").find(c) != std::u16string_view::npos)
      return std::nullopt;
    ++at_;
    return item.ranges = {{c, c}}, item;
  }

  std::optional<SetItem> ReadClass() {
    std::optional<UnitClass> unitClass = ReadUnitClass(p_, at_);
    if (!unitClass) return std::nullopt;
    SetItem item;
    item.ranges = std::move(unitClass->ranges);
    item.negated = unitClass->negated;
    return item;
  }

  // *, +, ?, {n}, {n,}, {,m} or {n,m}, greedy: a further mark ends the reading.
  bool ReadCount(SetItem& item) {
    if (AtEnd()) return true;
    const char16_t c = Peek();
    if (c == u'*' || c == u'+' || c == u'?') {
      ++at_;
      item.least = c == u'+' ? 1 : 0;
      item.most = c == u'?' ? 1 : -1;
    } else if (c == u'{') {
      ++at_;
      const std::optional<int32_t> low = ReadNumber();
      std::optional<int32_t> high = low;
      if (!AtEnd() && Peek() == u',') {
        ++at_;
        high = ReadNumber();
        if (!high) high = -1;
      }
      if (AtEnd() || Peek() != u'}' || (!low && high == -1) || low == -2 || high == -2)
        return false;
      ++at_;
      item.least = low.value_or(0);
      item.most = *high;
      if (item.most >= 0 && item.most < item.least) return false;
    } else {
      return true;
    }
    return AtEnd() || std::u16string_view(u"*+?{").find(Peek()) == std::u16string_view::npos;
  }

  std::optional<int32_t> ReadNumber() {
    int32_t value = 0;
    const size_t start = at_;
    while (!AtEnd() && Peek() >= u'0' && Peek() <= u'9') {
      value = value * 10 + (Peek() - u'0');
      if (++at_ - start > 4 || value > kMaxCount) return -2;
    }
    if (at_ == start) return std::nullopt;
    return value;
  }

  std::u16string_view p_;
  size_t at_ = 0;
};

// Backtracking as the library does: each item takes as many characters as it may, and
// gives them back one at a time while the rest cannot match.
class SequenceMatcher {
 public:
  SequenceMatcher(const SetSequence& sequence, const char16_t* text, int64_t length)
      : items_(sequence.items), text_(text), length_(length) {}

  // The end of the preferred match of the items from `i` on at `at`; -1 for none, -2 when
  // the steps ran out.
  int64_t From(size_t i, int64_t at) {
    if (i == items_.size()) return at;
    const SetItem& item = items_[i];
    int64_t end = at;
    int32_t count = 0;
    for (int64_t next; (item.most < 0 || count < item.most) && (next = Step(item, end)) >= 0;) {
      end = next;
      ++count;
      if (--steps_ < 0) return -2;
    }
    if (count < item.least) return -1;
    if (i + 1 == items_.size()) return end;
    for (;;) {
      const int64_t rest = From(i + 1, end);
      if (rest != -1 || count == item.least) return rest;
      // A low surrogate ends a pair: the text holds no half of one.
      end -= item.negated && text_[end - 1] >= 0xDC00 && text_[end - 1] <= 0xDFFF ? 2 : 1;
      --count;
      if (--steps_ < 0) return -2;
    }
  }

 private:
  // Where the character at `at` ends when the item takes it, or -1.
  int64_t Step(const SetItem& item, int64_t at) const {
    if (at >= length_) return -1;
    const char16_t unit = text_[at];
    if (!item.negated) return InRanges(unit, item.ranges) ? at + 1 : -1;
    if (unit >= 0xD800 && unit <= 0xDBFF) return at + 2 <= length_ ? at + 2 : -1;
    return InRanges(unit, item.ranges) ? -1 : at + 1;
  }

  const std::vector<SetItem>& items_;
  const char16_t* text_;
  int64_t length_;
  int64_t steps_ = kMaxSteps;
};

}  // namespace

std::optional<SetSequence> ReadSetSequence(std::u16string_view pattern) {
  return SequenceReader(pattern).Read();
}

int64_t MatchSetSequence(const SetSequence& sequence, const char16_t* text, int64_t at,
                         int64_t length) {
  const int64_t end = SequenceMatcher(sequence, text, length).From(0, at);
  if (end == -2) return -1;
  return end < 0 ? 0 : end - at;
}

}  // namespace vemora
