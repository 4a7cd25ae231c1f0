// One display line at a time: the loop that breaks text at a column or at the view's edge,
// and the table of advances it reads. The loop is the hot path of every layout (a large
// file has hundreds of millions of units), so it lives in a header the layouts inline.
#pragma once

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>

#include "core/platform/text_measure.h"
#include "core/text/character_boundary.h"

namespace vemora::line_breaking {

constexpr char16_t kCr = 0x0D;
constexpr char16_t kLf = 0x0A;
constexpr char16_t kTab = 0x09;

// Per-unit advance (columns or pixels) for one layout, measured on first sight so that
// each distinct unit costs one measurement and the inner loop costs one table load.
// Units below U+0020 carry kControl and units that may start a character of several units
// carry kLongerCharacter, so that one comparison sends them to the slow path.
class AdvanceTable {
 public:
  static constexpr uint16_t kUnknown = 0xFFFF;
  static constexpr uint16_t kControl = 0xFFFE;
  static constexpr uint16_t kLongerCharacter = 0xFFFD;
  static constexpr uint16_t kFirstSpecial = kLongerCharacter;  // this and above: slow path
  static constexpr uint16_t kLargest = 0xFFFC;

  AdvanceTable(TextMeasure& measure, int32_t averageWidth, bool inColumns)
      : advances_(new uint16_t[65536]),
        measure_(measure),
        averageWidth_(averageWidth),
        inColumns_(inColumns) {
    std::fill_n(advances_.get(), 0x20, kControl);
    std::fill_n(advances_.get() + 0x20, 65536 - 0x20, kUnknown);
    for (uint32_t unit = 0x20; unit < 65536; ++unit)
      if (MayStartLongerCharacter(static_cast<char16_t>(unit))) advances_[unit] = kLongerCharacter;
  }

  const uint16_t* Data() const { return advances_.get(); }

  uint16_t Measure(char16_t unit) {
    const uint16_t advance = Advance(measure_.UnitWidth(unit));
    advances_[unit] = advance;
    return advance;
  }

  // The advance of the character `character`, whose first unit carries kLongerCharacter:
  // a lone unit is measured as any unit, a longer character as one.
  uint16_t CharacterAdvance(std::u16string_view character) {
    auto [entry, fresh] = characters_.try_emplace(std::u16string(character), 0);
    if (fresh)
      entry->second = Advance(character.size() == 1 ? measure_.UnitWidth(character[0])
                                                    : measure_.CharacterWidth(character));
    return entry->second;
  }

 private:
  uint16_t Advance(int32_t measured) const {
    int64_t width = std::max<int32_t>(measured, 0);
    // In column mode a fraction of an average width counts as a whole column.
    if (inColumns_) width = (width + averageWidth_ - 1) / averageWidth_;
    return static_cast<uint16_t>(std::min<int64_t>(width, kLargest));
  }

  std::unique_ptr<uint16_t[]> advances_;
  // Characters whose first unit carries kLongerCharacter, by their units.
  std::unordered_map<std::u16string, uint16_t> characters_;
  TextMeasure& measure_;
  int32_t averageWidth_;
  bool inColumns_;
};

// Breaks text[0, end) one display line at a time; a character is never cut by a wrap.
struct LineBreaker {
  const char16_t* text;
  int64_t end;
  int64_t tab;
  int64_t averageWidth;
  int64_t limit;  // Fold in columns, or the usable width in pixels
  AdvanceTable& table;
  int32_t logical = 0;

  // A line end that did not fit still gets a line of its own, and still counts as a line
  // end: otherwise every logical number after it would be one short.
  int64_t TakeLineEnd(int64_t q) {
    ++logical;
    if (text[q] == kCr && q + 1 < end && text[q + 1] == kLf) return q + 2;
    return q + 1;
  }

  int64_t TakeAlone(int64_t q) {
    if (text[q] == kCr || text[q] == kLf) return TakeLineEnd(q);
    return NextCharacter(text, end, q).end;
  }

  // The advance of the character at q whose first unit carries kLongerCharacter, and the
  // position after it in `next`.
  uint32_t LongerCharacter(int64_t q, int64_t& next) {
    next = NextCharacter(text, end, q).end;
    return table.CharacterAdvance(std::u16string_view(text + q, static_cast<size_t>(next - q)));
  }

  // Takes four units at a time while none of them is a control character, unmeasured or
  // the start of a longer character, and all four fit: the common case, with one test
  // for four units. What it leaves is taken one unit at a time.
  void AdvanceFour(int64_t& q, int64_t& position) const {
    const uint16_t* advances = table.Data();
    while (end - q >= 4) {
      const uint32_t a0 = advances[text[q]];
      const uint32_t a1 = advances[text[q + 1]];
      const uint32_t a2 = advances[text[q + 2]];
      const uint32_t a3 = advances[text[q + 3]];
      // The bits of all four together reach kFirstSpecial only when one of them may.
      if ((a0 | a1 | a2 | a3) >= AdvanceTable::kFirstSpecial) return;
      const int64_t next = position + a0 + a1 + a2 + a3;
      if (next > limit) return;
      position = next;
      q += 4;
    }
  }

  int64_t ColumnLine(int64_t p) {
    const uint16_t* advances = table.Data();
    int64_t k = 0;
    int64_t q = p;
    while (q < end) {
      AdvanceFour(q, k);
      if (q >= end) break;
      const char16_t unit = text[q];
      uint32_t advance = advances[unit];
      if (advance < AdvanceTable::kFirstSpecial) {
        k += advance;
        if (k > limit) break;
        ++q;
        continue;
      }
      if (advance == AdvanceTable::kUnknown) {
        table.Measure(unit);
        continue;
      }
      if (advance == AdvanceTable::kLongerCharacter) {
        int64_t next = q;
        k += LongerCharacter(q, next);
        if (k > limit) break;
        q = next;
        continue;
      }
      if (unit == kCr || unit == kLf) {
        if (k >= limit) break;
        return TakeLineEnd(q);
      }
      if (unit == kTab) {
        k = k + tab - ((k + tab) % tab);
      } else {
        k += 1;
      }
      if (k > limit) break;
      ++q;
    }
    return q == p && q < end ? TakeAlone(q) : q;
  }

  int64_t EdgeLine(int64_t p) {
    const uint16_t* advances = table.Data();
    int64_t x = 0;
    int64_t tabColumn = 0;  // counts only tabs and control characters
    int64_t q = p;
    while (q < end) {
      AdvanceFour(q, x);
      if (q >= end) break;
      const char16_t unit = text[q];
      uint32_t advance = advances[unit];
      if (advance < AdvanceTable::kFirstSpecial) {
        x += advance;
        if (x > limit) break;
        ++q;
        continue;
      }
      if (advance == AdvanceTable::kUnknown) {
        table.Measure(unit);
        continue;
      }
      if (advance == AdvanceTable::kLongerCharacter) {
        int64_t next = q;
        x += LongerCharacter(q, next);
        if (x > limit) break;
        q = next;
        continue;
      }
      if (unit == kCr || unit == kLf) {
        if (x + averageWidth > limit) break;
        return TakeLineEnd(q);
      }
      if (unit == kTab) {
        const int64_t next = tabColumn + tab - ((tabColumn + tab) % tab);
        x += (next - tabColumn) * averageWidth;
        tabColumn = next;
      } else {
        x += averageWidth;
        tabColumn += 1;
      }
      if (x > limit) break;
      ++q;
    }
    return q == p && q < end ? TakeAlone(q) : q;
  }

  // The rest of the text as one line, its line ends still counted.
  int64_t TakeRest(int64_t q) {
    while (q < end) q = TakeAlone(q);
    return q;
  }
};

}  // namespace vemora::line_breaking
