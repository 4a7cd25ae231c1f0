// Painting the text view. Every row is filled with the background, then its cells are
// drawn at the x positions of the row layout: runs of equally attributed ordinary units
// with one text output each, a character of several units alone with its units together,
// marks as monochrome bitmaps or control letters.
#include "win/view/view_paint.h"

#include <algorithm>
#include <vector>

#include "win/platform/character_glyphs.h"
#include "win/platform/font_conversion.h"
#include "win/platform/text_conversion.h"
#include "win/shell/app_state.h"
#include "win/shell/dpi_scale.h"

namespace vemora {
namespace {

// Mark pictures, one byte per row from the top, a 0 bit painted in the mark's colour.
constexpr uint8_t kLineEndMark[8] = {0xDF, 0xDF, 0xDF, 0xDF, 0xDF, 0x57, 0x8F, 0xDF};
constexpr uint8_t kTabMark[8] = {0xFF, 0xFF, 0xFF, 0x3F, 0xCF, 0x3F, 0xFF, 0xFF};
constexpr uint8_t kSpaceMark[8] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x77, 0xFF, 0x57};
constexpr uint8_t kFullSpaceMark[8] = {0xFF, 0x55, 0xFF, 0x7D, 0xFF, 0x7D, 0xFF, 0x55};
constexpr uint8_t kNoMark[8] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};

struct MarkBitmap {
  HBITMAP bitmap = nullptr;
  HDC dc = nullptr;
  HGDIOBJ previous = nullptr;
};

// The four mark bitmaps of one paint, each selected into its own memory DC.
class MarkBitmaps {
 public:
  MarkBitmaps(HDC target, const FileTypeSetting& type) {
    Make(lineEnd, target, type.Cr ? kLineEndMark : kNoMark, 8);
    Make(tab, target, type.TabMark ? kTabMark : kNoMark, 8);
    Make(space, target, kSpaceMark, 8);
    Make(fullSpace, target, kFullSpaceMark, 16);
  }
  ~MarkBitmaps() {
    for (MarkBitmap* mark : {&lineEnd, &tab, &space, &fullSpace}) {
      SelectObject(mark->dc, mark->previous);
      DeleteDC(mark->dc);
      DeleteObject(mark->bitmap);
    }
  }
  MarkBitmaps(const MarkBitmaps&) = delete;
  MarkBitmaps& operator=(const MarkBitmaps&) = delete;

  MarkBitmap lineEnd, tab, space, fullSpace;

 private:
  static void Make(MarkBitmap& mark, HDC target, const uint8_t* rows, int width) {
    // Monochrome rows are padded to 16 bits; the right half of a 16-wide mark stays blank.
    uint8_t bits[16];
    for (int row = 0; row < 8; ++row) {
      bits[row * 2] = rows[row];
      bits[row * 2 + 1] = 0xFF;
    }
    mark.bitmap = CreateBitmap(width, 8, 1, 1, bits);
    mark.dc = CreateCompatibleDC(target);
    mark.previous = SelectObject(mark.dc, mark.bitmap);
  }
};

// What a unit looks like apart from its layout: background and flags, and text colour.
struct CellStyle {
  uint32_t attributes = 0;
  COLORREF textColour = 0;
  friend bool operator==(const CellStyle&, const CellStyle&) = default;
};

class RowPainter {
 public:
  RowPainter(HDC dc, const RECT& client, const Document& document, const FileTypeSetting& type,
             MarkBitmaps& marks, int64_t selectionLow, int64_t selectionHigh)
      : dc_(dc),
        document_(document),
        type_(type),
        marks_(marks),
        low_(selectionLow),
        high_(selectionHigh) {
    clip_ = client;
    clip_.left = std::max<LONG>(client.left, Scaled(kViewMargin));
  }

  void PaintRow(int32_t x, int32_t y, const LineSpan& span) {
    const std::u16string_view line = document_.Text().substr(span.start, span.end - span.start);
    LayOutLine(dc_, document_, span, layout_);
    StyleUnits(span);
    int32_t i = 0;
    const int32_t count = layout_.Size();
    while (i < count) {
      if (layout_.kinds[i] == CellKind::kCharacter) {
        i = DrawCharacterCell(x, y, i, line);
        continue;
      }
      if (layout_.kinds[i] != CellKind::kText) {
        DrawMarkCell(x, y, i, line[i]);
        i += layout_.kinds[i] == CellKind::kLineEnd && i + 1 < count &&
                     layout_.kinds[i + 1] == CellKind::kLineEndTail
                 ? 2
                 : 1;
        continue;
      }
      int32_t end = i + 1;
      while (end < count && layout_.kinds[end] == CellKind::kText && styles_[end] == styles_[i])
        ++end;
      DrawTextRun(x + layout_.Left(i), x + layout_.Left(end), y, line.substr(i, end - i),
                  styles_[i]);
      i = end;
    }
  }

  // The "~" of a row past the end of the document.
  void PaintMissingRow(int32_t x, int32_t y) {
    const char16_t tilde = u'~';
    SIZE size{};
    GetTextExtentPoint32W(dc_, AsWide(&tilde), 1, &size);
    DrawTextRun(x, x + size.cx, y, std::u16string_view(&tilde, 1),
                {type_.BackCol & kColourMask, type_.TextCol});
  }

 private:
  // The attribute word and text colour of every unit: hits, selection, overstrike runs.
  void StyleUnits(const LineSpan& span) {
    const auto count = static_cast<size_t>(span.end - span.start);
    styles_.assign(count, CellStyle{type_.BackCol & kColourMask, type_.TextCol});
    auto covered = [&](int64_t from, int64_t to, auto&& apply) {
      for (int64_t p = std::max(from, span.start); p < std::min(to, span.end); ++p)
        apply(styles_[p - span.start]);
    };
    if (gShell.ShowSearchResults == 1 && document_.hitPatternLength > 0) {
      const auto& hits = document_.hits;
      for (int64_t h = FirstEndingAfter(hits, span.start);
           h < hits.Size() && hits[h].start < span.end; ++h) {
        covered(hits[h].start, hits[h].start + hits[h].length, [&](CellStyle& style) {
          style.attributes = (style.attributes & ~kColourMask) | (type_.FindCol & kColourMask);
        });
      }
    }
    if (low_ != high_ && low_ >= 0 && span.start < high_)
      covered(low_, high_, [](CellStyle& style) { style.attributes |= kSelectedAttribute; });
    const auto& runs = document_.overstrikeRuns;
    for (int64_t r = FirstEndingAfter(runs, span.start);
         r < runs.Size() && runs[r].start < span.end; ++r) {
      const uint32_t bits = runs[r].attributes & (kUnderlineAttribute | kBoldAttribute);
      covered(runs[r].start, runs[r].start + runs[r].length, [&](CellStyle& style) {
        style.attributes |= bits;
        if (style.attributes & kBoldAttribute) style.textColour = type_.HighCol;
      });
    }
  }

  // Hits and runs are in text order and do not overlap: their ends rise too.
  template <typename List>
  static int64_t FirstEndingAfter(const List& list, int64_t position) {
    int64_t low = 0, high = list.Size();
    while (low < high) {
      int64_t middle = (low + high) / 2;
      if (list[middle].start + list[middle].length <= position)
        low = middle + 1;
      else
        high = middle;
    }
    return low;
  }

  void DrawTextRun(int32_t x, int32_t endX, int32_t y, std::u16string_view text,
                   const CellStyle& style) {
    if (text.empty()) return;
    SetTextColor(dc_, style.textColour);
    SetBkColor(dc_, style.attributes & kColourMask);
    ExtTextOutW(dc_, x, y, ETO_CLIPPED, &clip_, AsWide(text.data()), static_cast<UINT>(text.size()),
                nullptr);
    Decorate(x, endX, y, style.attributes, style.textColour);
  }

  // A character of several units, with all its units in one call; returns the unit after
  // it.
  int32_t DrawCharacterCell(int32_t rowX, int32_t y, int32_t unit, std::u16string_view line) {
    int32_t end = unit + 1;
    while (end < layout_.Size() && layout_.kinds[end] == CellKind::kCharacterTail) ++end;
    const CellStyle& style = styles_[unit];
    SetTextColor(dc_, style.textColour);
    SetBkColor(dc_, style.attributes & kColourMask);
    const int32_t x = rowX + layout_.Left(unit);
    DrawCharacter(dc_, x, y, ETO_CLIPPED, &clip_, line.substr(unit, end - unit));
    Decorate(x, rowX + layout_.Right(unit), y, style.attributes, style.textColour);
    return end;
  }

  void DrawMarkCell(int32_t rowX, int32_t y, int32_t unit, char16_t character) {
    const CellStyle& style = styles_[unit];
    const int32_t x = rowX + layout_.Left(unit);
    int32_t endX = rowX + layout_.Right(unit);
    if (layout_.kinds[unit] == CellKind::kLineEnd && unit + 1 < layout_.Size() &&
        layout_.kinds[unit + 1] == CellKind::kLineEndTail)
      endX = rowX + layout_.Right(unit + 1);
    const int32_t w = gView.AverageCharWidth, h = gView.CharHeight;
    COLORREF colour = type_.CtrlCol;
    switch (layout_.kinds[unit]) {
      case CellKind::kLineEnd:
        colour = type_.CrCol;
        CopyMark(marks_.lineEnd, colour, style, x, endX, y, x + (w - Scaled(5)) / 2,
                 y + (h - Scaled(8)) / 2, 5);
        break;
      case CellKind::kTab:
        colour = type_.TabCol;
        CopyMark(marks_.tab, colour, style, x, endX, y, x, y + (h - Scaled(8)) / 2, 5);
        break;
      case CellKind::kSpaceMark:
        colour = type_.HanSpcCol;
        CopyMark(marks_.space, colour, style, x, endX, y, x, y + h - Scaled(9), 8);
        break;
      case CellKind::kFullSpaceMark:
        colour = type_.ZenSpcCol;
        CopyMark(marks_.fullSpace, colour, style, x, endX, y, x + w - Scaled(4),
                 y + (h - Scaled(8)) / 2, 8);
        break;
      default: {
        const wchar_t letter = static_cast<wchar_t>(character + 0x40);
        SetTextColor(dc_, colour);
        SetBkColor(dc_, style.attributes & kColourMask);
        ExtTextOutW(dc_, x, y, ETO_CLIPPED, &clip_, &letter, 1, nullptr);
        break;
      }
    }
    Decorate(x, endX, y, style.attributes, colour);
  }

  // Fills the cell with the background and copies the picture: 0 bits take the text
  // colour, 1 bits the background colour. Marks are not clipped at the margin.
  void CopyMark(const MarkBitmap& mark, COLORREF colour, const CellStyle& style, int32_t x,
                int32_t endX, int32_t y, int32_t bitmapX, int32_t bitmapY, int32_t width) {
    SetTextColor(dc_, colour);
    SetBkColor(dc_, style.attributes & kColourMask);
    RECT cell{x, y, endX, y + gView.CharHeight};
    ExtTextOutW(dc_, 0, 0, ETO_OPAQUE, &cell, L"", 0, nullptr);
    StretchBlt(dc_, bitmapX, bitmapY, Scaled(width), Scaled(8), mark.dc, 0, 0, width, 8, SRCCOPY);
  }

  // Underline and selection inversion, both kept out of the margin.
  void Decorate(int32_t x, int32_t endX, int32_t y, uint32_t attributes, COLORREF colour) {
    const int32_t margin = Scaled(kViewMargin);
    const int32_t left = std::max(x, margin), right = std::max(endX, margin);
    if (attributes & kUnderlineAttribute) {
      const int32_t width = Scaled(1), lineY = y + gView.CharHeight - 1 - width / 2;
      HPEN pen = CreatePen(PS_SOLID, width > 1 ? width : 0, colour);
      HGDIOBJ previous = SelectObject(dc_, pen);
      MoveToEx(dc_, left, lineY, nullptr);
      LineTo(dc_, right, lineY);
      SelectObject(dc_, previous);
      DeleteObject(pen);
    }
    if (attributes & kSelectedAttribute) {
      RECT inverted{left, y, right, y + gView.CharHeight};
      InvertRect(dc_, &inverted);
    }
  }

  HDC dc_;
  RECT clip_{};
  const Document& document_;
  const FileTypeSetting& type_;
  MarkBitmaps& marks_;
  int64_t low_, high_;
  RowLayout layout_;
  std::vector<CellStyle> styles_;
};

void PaintRows(HDC dc, const RECT& client, const Document& document) {
  const FileTypeSetting& type = CurrentFileType();
  MarkBitmaps marks(dc, type);
  HGDIOBJ previousFont = gView.ViewFont ? SelectObject(dc, gView.ViewFont) : nullptr;
  int64_t low = std::min(document.SelectionAnchor, document.SelectionEnd);
  int64_t high = std::max(document.SelectionAnchor, document.SelectionEnd);
  if (document.SelectionAnchor == kNoPosition || document.SelectionEnd == kNoPosition)
    low = high = kNoPosition;
  SetBkMode(dc, OPAQUE);
  SetTextColor(dc, type.TextCol);
  RowPainter painter(dc, client, document, type, marks, low, high);
  const int32_t x = RowTextOrigin();
  for (int32_t row = 0; row < gView.VisibleRows; ++row) {
    const int32_t y = row * gView.LinePitch;
    RECT band{client.left, y, client.right, y + gView.LinePitch};
    FillRect(dc, &band, gView.BackgroundBrush);
    LineSpan span;
    if (DisplayLineSpan(document, document.TopLine + row, span))
      painter.PaintRow(x, y, span);
    else
      painter.PaintMissingRow(x, y);
  }
  if (previousFont) SelectObject(dc, previousFont);
}

}  // namespace

void DcRowMeasure::MeasurePrefixes(std::u16string_view text, int32_t* ends) {
  SIZE size{};
  std::vector<INT> extents(text.size());
  if (GetTextExtentExPointW(dc_, AsWide(text.data()), static_cast<int>(text.size()), 0, nullptr,
                            extents.data(), &size)) {
    std::copy(extents.begin(), extents.end(), ends);
    return;
  }
  std::fill(ends, ends + text.size(), 0);
}

int32_t DcRowMeasure::CharacterWidth(std::u16string_view character) {
  return CharacterExtent(dc_, character);
}

RowLayoutOptions CurrentRowLayoutOptions() {
  const FileTypeSetting& type = CurrentFileType();
  return {std::max(type.Tab, 1), std::max(gView.AverageCharWidth, 1), type.HanSpcMark == 1,
          type.ZenSpcMark == 1};
}

void LayOutLine(HDC dc, const Document& document, const LineSpan& span, RowLayout& layout) {
  DcRowMeasure measure(dc);
  BuildRowLayout(document.Text().substr(span.start, span.end - span.start),
                 CurrentRowLayoutOptions(), measure, layout);
}

int32_t RowTextOrigin() {
  const Document* document = CurrentDocument();
  return Scaled(kViewMargin) - (document ? document->LeftColumn : 0) * gView.AverageCharWidth;
}

void CreateViewFont() {
  if (gView.ViewFont) DeleteObject(gView.ViewFont);
  LOGFONTW logFont = LogFontForDpi(CurrentFileType().Font, CurrentDpi());
  gView.ViewFont = CreateFontIndirectW(&logFont);
  HDC dc = GetDC(gShell.viewWindow);
  HGDIOBJ previous = gView.ViewFont ? SelectObject(dc, gView.ViewFont) : nullptr;
  SIZE size{};
  GetTextExtentPoint32W(dc, L"aAjJ,_", 6, &size);
  if (previous) SelectObject(dc, previous);
  ReleaseDC(gShell.viewWindow, dc);
  // A zero width or height would later divide by zero in the layout and the metrics.
  gView.AverageCharWidth = std::max<int32_t>(size.cx / 6, 1);
  gView.CharHeight = std::max<int32_t>(size.cy, 1);
  gView.LinePitch = std::max<int32_t>(CurrentFileType().LineSp, 0) + gView.CharHeight;
}

void UpdateVisibleSize() {
  RECT client{};
  GetClientRect(gShell.viewWindow, &client);
  gView.VisibleRows = std::max<int32_t>((client.bottom + gView.LinePitch - 1) / gView.LinePitch, 0);
  gView.VisibleColumns =
      std::max<int32_t>((client.right + gView.AverageCharWidth - 1) / gView.AverageCharWidth, 0);
}

void ReplaceBackgroundBrush(COLORREF colour) {
  if (gView.BackgroundBrush) DeleteObject(gView.BackgroundBrush);
  gView.BackgroundBrush = CreateSolidBrush(colour);
}

void PaintView(HDC dc) {
  const bool own = dc == nullptr;
  if (own) dc = GetDC(gShell.viewWindow);
  RECT client{};
  GetClientRect(gShell.viewWindow, &client);
  if (const Document* document = CurrentDocument())
    PaintRows(dc, client, *document);
  else
    FillRect(dc, &client, gView.BackgroundBrush);
  if (own) ReleaseDC(gShell.viewWindow, dc);
}

}  // namespace vemora
