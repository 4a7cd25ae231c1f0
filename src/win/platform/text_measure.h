// Unit and character widths in the view font, measured with GDI in the view's device context.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "core/platform/text_measure.h"

namespace vemora {

// Measures single UTF-16 units with GetTextExtentPoint32W in a device context of `view`
// (or the screen when it is null) with `font` selected (or the context's own font when
// null). Widths are kept per font for the life of the process, so each distinct unit of a
// font is measured once however many layouts ask; the answers equal measuring every time.
// The device context is taken when the measure is made.
class GdiTextMeasure final : public TextMeasure {
 public:
  GdiTextMeasure(HWND view, HFONT font);
  ~GdiTextMeasure() override;
  GdiTextMeasure(const GdiTextMeasure&) = delete;
  GdiTextMeasure& operator=(const GdiTextMeasure&) = delete;

  int32_t UnitWidth(char16_t unit) override;
  // Through the glyph when the font holds the character (character_glyphs.h).
  int32_t CharacterWidth(std::u16string_view character) override;

  // The extent of "aAjJ,_" divided by 6: the column width of layout and view.
  int32_t AverageCharWidth();

 private:
  HDC Context();

  HWND view_;
  HFONT font_;
  HDC dc_ = nullptr;
  HGDIOBJ previousFont_ = nullptr;
  std::vector<int32_t>* widths_;  // this font's entry in the process-wide cache
};

// A measure of `font` for worker threads: it measures in a memory device context of its
// own, with a copy of the font, made on the first call on whichever thread that is; the
// widths equal GdiTextMeasure's. One call at a time.
std::shared_ptr<TextMeasure> MakeWorkerTextMeasure(HFONT font);

}  // namespace vemora
