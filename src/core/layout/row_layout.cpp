// Cell layout of one display line: runs of ordinary units advance by their measured
// extent, marks by whole columns, and tabs to stops kept by a column counter.
#include "core/layout/row_layout.h"

#include <algorithm>

#include "core/text/character_boundary.h"

namespace vemora {
namespace {

class RowBuilder {
 public:
  RowBuilder(std::u16string_view line, const RowLayoutOptions& options, RowMeasure& measure,
             RowLayout& layout)
      : line_(line), options_(options), measure_(measure), layout_(layout) {
    layout_.x.assign(line.size() + 1, 0);
    layout_.kinds.assign(line.size(), CellKind::kText);
    width_ = std::max(options.averageCharWidth, 1);
    tab_ = std::max(options.tabWidth, 1);
  }

  void Run() {
    size_t runStart = 0;
    for (size_t i = 0; i < line_.size();) {
      const char16_t unit = line_[i];
      if (IsMarkUnit(unit, options_)) {
        FlushRun(runStart, i);
        i = PlaceMark(i) + 1;
        runStart = i;
        continue;
      }
      const CharacterSpan character = NextCharacter(line_, static_cast<int64_t>(i));
      const auto next = static_cast<size_t>(character.end);
      column_ += character.columns;
      if (next == i + 1) {
        ++i;
        continue;
      }
      // A character of several units is a cell of its own: a run's measurement would take
      // its units one by one.
      FlushRun(runStart, i);
      PlaceCharacter(i, next);
      i = runStart = next;
    }
    FlushRun(runStart, line_.size());
    layout_.x[line_.size()] = x_;
  }

 private:
  void FlushRun(size_t begin, size_t end) {
    if (begin >= end) return;
    ends_.resize(end - begin);
    measure_.MeasurePrefixes(line_.substr(begin, end - begin), ends_.data());
    for (size_t i = begin; i < end; ++i)
      layout_.x[i] = x_ + (i == begin ? 0 : ends_[i - begin - 1]);
    x_ += ends_.back();
  }

  void PlaceCharacter(size_t begin, size_t end) {
    layout_.x[begin] = x_;
    layout_.kinds[begin] = CellKind::kCharacter;
    x_ += std::max(measure_.CharacterWidth(line_.substr(begin, end - begin)), 0);
    for (size_t i = begin + 1; i < end; ++i) {
      layout_.x[i] = x_;
      layout_.kinds[i] = CellKind::kCharacterTail;
    }
  }

  // Places the mark at `i` and returns the index of its last unit.
  size_t PlaceMark(size_t i) {
    char16_t unit = line_[i];
    layout_.x[i] = x_;
    switch (unit) {
      case u'\t': {
        layout_.kinds[i] = CellKind::kTab;
        column_ = (column_ / tab_ + 1) * tab_;
        int32_t stop = column_ * width_;
        while (stop < x_) {
          stop += tab_ * width_;
          column_ += tab_;
        }
        x_ = stop;
        return i;
      }
      case u'\r':
      case u'\n':
        layout_.kinds[i] = CellKind::kLineEnd;
        x_ += width_;
        column_ += 1;
        if (unit == u'\r' && i + 1 < line_.size() && line_[i + 1] == u'\n') {
          layout_.kinds[i + 1] = CellKind::kLineEndTail;
          layout_.x[i + 1] = x_;
          return i + 1;
        }
        return i;
      case u' ':
        layout_.kinds[i] = CellKind::kSpaceMark;
        x_ += width_;
        column_ += 1;
        return i;
      case u'\u3000':
        layout_.kinds[i] = CellKind::kFullSpaceMark;
        x_ += 2 * width_;
        column_ += 2;
        return i;
      default: {
        layout_.kinds[i] = CellKind::kControl;
        char16_t letter = static_cast<char16_t>(unit + 0x40);
        int32_t extent = 0;
        measure_.MeasurePrefixes(std::u16string_view(&letter, 1), &extent);
        x_ += extent;
        column_ += 1;
        return i;
      }
    }
  }

  std::u16string_view line_;
  const RowLayoutOptions& options_;
  RowMeasure& measure_;
  RowLayout& layout_;
  std::vector<int32_t> ends_;
  int32_t width_ = 1;
  int32_t tab_ = 1;
  int32_t x_ = 0;
  int32_t column_ = 0;
};

}  // namespace

bool IsMarkUnit(char16_t unit, const RowLayoutOptions& options) {
  return unit < 0x20 || (unit == u' ' && options.spaceMarks) ||
         (unit == u'\u3000' && options.fullSpaceMarks);
}

void BuildRowLayout(std::u16string_view line, const RowLayoutOptions& options, RowMeasure& measure,
                    RowLayout& layout) {
  RowBuilder(line, options, measure, layout).Run();
}

int32_t RowLayout::UnitAtOrAfter(int32_t target) const {
  // Right edges never decrease, so the first one at or beyond the target is a bound.
  auto first = std::lower_bound(x.begin() + 1, x.end(), target);
  return static_cast<int32_t>(first - (x.begin() + 1));
}

int32_t RowLayout::UnitContaining(int32_t target) const {
  int32_t unit = UnitAtOrAfter(target);
  if (unit >= Size() || Left(unit) > target) return -1;
  return unit;
}

}  // namespace vemora
