// The horizontal layout of one display line: where each UTF-16 unit's cell starts and
// ends, and what kind of cell it is. Painting, hit testing, the selection inversion and
// the mouse cell all take their x positions from here, so they can never disagree.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace vemora {

// Text extents in the view font, supplied by the window system.
class RowMeasure {
 public:
  virtual ~RowMeasure() = default;
  // Fills ends[i] with the width in pixels of the first i + 1 units of `text`
  // (text.size() entries). `text` is never empty. It holds no character of several units.
  virtual void MeasurePrefixes(std::u16string_view text, int32_t* ends) = 0;
  // Width in pixels of one character of several units (a surrogate pair), drawn as one.
  virtual int32_t CharacterWidth(std::u16string_view character) = 0;
};

enum class CellKind : uint8_t {
  kText,           // ordinary unit, drawn as part of a run
  kTab,            // reaches to its tab stop
  kLineEnd,        // CR or LF, one average width; a CR also owns a following LF
  kLineEndTail,    // the LF of a CR LF pair: an empty cell behind its CR
  kSpaceMark,      // U+0020 shown with a mark
  kFullSpaceMark,  // U+3000 shown with a mark
  kControl,        // another unit below U+0020, shown as the letter 0x40 above it
  kCharacter,      // the first unit of a character of several units, measured and drawn alone
  kCharacterTail,  // a further unit of that character: an empty cell behind it
};

struct RowLayoutOptions {
  int32_t tabWidth = 8;          // columns, at least 1
  int32_t averageCharWidth = 8;  // pixels per column, at least 1
  bool spaceMarks = false;       // HanSpcMark
  bool fullSpaceMarks = false;   // ZenSpcMark
};

struct RowLayout {
  // x[i] is the left edge of unit i's cell, measured from the row's text start;
  // x[Size()] is the right end of the row. Cells are contiguous: unit i ends at x[i + 1].
  std::vector<int32_t> x;
  std::vector<CellKind> kinds;

  int32_t Size() const { return static_cast<int32_t>(kinds.size()); }
  int32_t Left(int32_t unit) const { return x[unit]; }
  int32_t Right(int32_t unit) const { return x[unit + 1]; }
  int32_t End() const { return x.empty() ? 0 : x.back(); }

  // The first unit whose cell's right edge is at or beyond `target`; Size() when none.
  // A target in the margin or left of the text gives unit 0.
  int32_t UnitAtOrAfter(int32_t target) const;
  // The first unit whose cell has left <= target <= right; -1 when none.
  int32_t UnitContaining(int32_t target) const;
};

bool IsMarkUnit(char16_t unit, const RowLayoutOptions& options);

// Lays out `line` (one display line, its line-end units included).
void BuildRowLayout(std::u16string_view line, const RowLayoutOptions& options, RowMeasure& measure,
                    RowLayout& layout);

}  // namespace vemora
