// Widths of characters in the view font: GDI on Windows, a column rule in vemorainfo,
// benchmarks and tests.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string_view>
#include <utility>

#include "core/text/character_boundary.h"

namespace vemora {

class TextMeasure {
 public:
  virtual ~TextMeasure() = default;
  // Width in pixels of the unit drawn alone in the view font.
  virtual int32_t UnitWidth(char16_t unit) = 0;
  // Width in pixels of a character of several units (a surrogate pair) drawn alone, as one.
  // A measure that knows no such characters gives the width of a full-width one.
  virtual int32_t CharacterWidth(std::u16string_view /*character*/) {
    return UnitWidth(kFullWidthSample);
  }

  static constexpr char16_t kFullWidthSample = u'\u3000';
};

// The view's column rule with one pixel per column: one column for units below U+007F
// and for the half-width forms U+FF61 to U+FF9F, two for every other unit and for a
// surrogate pair (CharacterSpan's width class). With an average width of 1 this lays
// text out by columns exactly as the painter counts them.
class ColumnRuleMeasure final : public TextMeasure {
 public:
  static int32_t Columns(char16_t unit) { return UnitColumns(unit); }
  int32_t UnitWidth(char16_t unit) override { return Columns(unit); }
  int32_t CharacterWidth(std::u16string_view character) override {
    return CharacterColumns(character);
  }
};

// A measure that several threads share, one call at a time (a GDI measure is not for
// two threads at once). It refers to the measure, or keeps it alive when given a share.
class LockedMeasure final : public TextMeasure {
 public:
  explicit LockedMeasure(TextMeasure& measure) : measure_(measure) {}
  explicit LockedMeasure(std::shared_ptr<TextMeasure> measure)
      : owned_(std::move(measure)), measure_(*owned_) {}
  int32_t UnitWidth(char16_t unit) override {
    const std::lock_guard<std::mutex> lock(mutex_);
    return measure_.UnitWidth(unit);
  }
  int32_t CharacterWidth(std::u16string_view character) override {
    const std::lock_guard<std::mutex> lock(mutex_);
    return measure_.CharacterWidth(character);
  }

 private:
  std::shared_ptr<TextMeasure> owned_;
  TextMeasure& measure_;
  std::mutex mutex_;
};

}  // namespace vemora
