// The text view's font and metrics, and the painting of its rows: text runs, mark cells,
// search hits, overstrike attributes and the selection, all placed by the row layout.
#pragma once

#include <windows.h>

#include <cstdint>

#include "core/layout/row_layout.h"
#include "core/text/document.h"
#include "win/view/view_lines.h"

namespace vemora {

// The text of every row starts this many pixels right of the view's left edge.
inline constexpr int32_t kViewMargin = 8;

// Bits 24-31 of the attribute word that travels with the background colour of a cell.
inline constexpr uint32_t kSelectedAttribute = 0x80000000;
inline constexpr uint32_t kColourMask = 0x00FFFFFF;

// Makes the view font from the file type in effect and measures AverageCharWidth (the
// extent of "aAjJ,_" / 6) and CharHeight; LinePitch follows from LineSp.
void CreateViewFont();
// VisibleRows and VisibleColumns from the view's client size.
void UpdateVisibleSize();
void ReplaceBackgroundBrush(COLORREF colour);

// Paints every visible row; with no device context it takes one of the view.
void PaintView(HDC dc);

// Extents in the device context's current font.
class DcRowMeasure final : public RowMeasure {
 public:
  explicit DcRowMeasure(HDC dc) : dc_(dc) {}
  void MeasurePrefixes(std::u16string_view text, int32_t* ends) override;
  int32_t CharacterWidth(std::u16string_view character) override;

 private:
  HDC dc_;
};

RowLayoutOptions CurrentRowLayoutOptions();
// Lays out display line `span` of the document with the view font selected into `dc`.
void LayOutLine(HDC dc, const Document& document, const LineSpan& span, RowLayout& layout);
// x of the row's text start in view client coordinates.
int32_t RowTextOrigin();

}  // namespace vemora
