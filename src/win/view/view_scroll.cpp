// Scrolling moves the pixels already on screen and paints only what is uncovered; the
// gutter follows every vertical move, and the status bar shows the new top line.
#include "win/view/view_scroll.h"

#include <cstdlib>

#include "core/keys/commands.h"
#include "win/shell/app_state.h"
#include "win/shell/dpi_scale.h"
#include "win/shell/status_bar.h"
#include "win/view/gutter.h"
#include "win/view/view_paint.h"

namespace vemora {
namespace {

// The view's client area without the margin, which never moves.
RECT ScrolledArea() {
  RECT area{};
  GetClientRect(gShell.viewWindow, &area);
  area.left = Scaled(kViewMargin);
  return area;
}

void PaintNow(const RECT& band) {
  RedrawWindow(gShell.viewWindow, &band, nullptr,
               RDW_INVALIDATE | RDW_UPDATENOW | RDW_NOINTERNALPAINT);
}

void MovePixels(int32_t dx, int32_t dy, RECT* uncovered) {
  RECT area = ScrolledArea();
  ScrollWindowEx(gShell.viewWindow, dx, dy, &area, &area, nullptr, uncovered, 0);
}

void ScrollViewLinesSmoothly(int32_t lines) {
  HDC dc = GetDC(gShell.viewWindow);
  for (int32_t move : SmoothScrollSteps(lines, gView.LinePitch, gOptions.SmRare)) {
    RECT strip{};
    MovePixels(0, move, &strip);
    FillRect(dc, &strip, gView.BackgroundBrush);
  }
  ReleaseDC(gShell.viewWindow, dc);
  RECT band = ScrolledArea();
  const int32_t total = std::abs(lines) * gView.LinePitch;
  if (lines < 0)
    band.top = band.bottom - total;
  else
    band.bottom = band.top + total;
  PaintNow(band);
}

void RepaintAll() {
  InvalidateRect(gShell.viewWindow, nullptr, TRUE);
  InvalidateRect(gShell.gutterWindow, nullptr, TRUE);
}

void SetBar(int bar, const ScrollBarValues& values) {
  SCROLLINFO info{};
  info.cbSize = sizeof info;
  info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_DISABLENOSCROLL;
  info.nMin = 0;
  info.nMax = values.maximum;
  info.nPage = static_cast<UINT>(values.page);
  info.nPos = values.position;
  SetScrollInfo(gShell.viewWindow, bar, &info, TRUE);
}

struct ScrollCommandEntry {
  CommandId command;
  ScrollRequest request;
};
constexpr ScrollCommandEntry kScrollCommands[] = {
    {CmdLineDown, ScrollRequest::kLineDown},
    {CmdLineUp, ScrollRequest::kLineUp},
    {CmdPageDown, ScrollRequest::kPageDown},
    {CmdPageUp, ScrollRequest::kPageUp},
    {CmdFiveLinesDown, ScrollRequest::kFiveLinesDown},
    {CmdFiveLinesUp, ScrollRequest::kFiveLinesUp},
    {CmdLinesForward, ScrollRequest::kLinesForward},
    {CmdLinesBack, ScrollRequest::kLinesBack},
    {CmdTop, ScrollRequest::kTop},
    {CmdBottom, ScrollRequest::kBottom},
    {CmdCharRight, ScrollRequest::kCharRight},
    {CmdCharLeft, ScrollRequest::kCharLeft},
    {CmdFiveCharsRight, ScrollRequest::kTabRight},
    {CmdFiveCharsLeft, ScrollRequest::kTabLeft},
};

}  // namespace

ScrollPosition CurrentScrollPosition() {
  ScrollPosition position;
  if (const Document* document = CurrentDocument()) {
    position.topLine = document->TopLine;
    position.leftColumn = document->LeftColumn;
    position.displayLineCount = document->displayLineCount;
  }
  position.visibleRows = gView.VisibleRows;
  position.visibleColumns = gView.VisibleColumns;
  RECT client{};
  GetClientRect(gShell.viewWindow, &client);
  position.textColumns = TextColumns(client.right, Scaled(kViewMargin), gView.AverageCharWidth);
  position.fold = CurrentFileType().Fold;
  position.tab = CurrentFileType().Tab;
  return position;
}

void ScrollToLine(int32_t newTop, bool force) {
  Document* document = CurrentDocument();
  if (!document) return;
  const int32_t d = newTop - document->TopLine;
  const LineMovePlan plan =
      PlanLineMove(newTop, force, CurrentScrollPosition(), gOptions.SmPage, gOptions.SmLine);
  switch (plan.kind) {
    case LineMoveKind::kRepaint:
      document->TopLine = newTop;
      RepaintAll();
      UpdateScrollBars();
      break;
    case LineMoveKind::kStepwise: {
      const int32_t step = d > 0 ? 1 : -1;
      for (int32_t i = 0; i < std::abs(d); ++i) {
        document->TopLine += step;
        ScrollViewLines(-step, false);
      }
      ScrollGutter(-d);
      UpdateScrollBars();
      break;
    }
    case LineMoveKind::kPixels:
      document->TopLine = newTop;
      ScrollViewLines(-d, plan.smooth);
      ScrollGutter(-d);
      UpdateScrollBars();
      break;
    case LineMoveKind::kNone:
      break;
  }
  SetStatusLineText(kStatusTopLinePart, document->TopLine);
  ShowMouseLine();
}

void ScrollToColumn(int32_t newLeft) {
  Document* document = CurrentDocument();
  if (!document) return;
  const int32_t d = newLeft - document->LeftColumn;
  switch (PlanColumnMove(newLeft, CurrentScrollPosition())) {
    case ColumnMoveKind::kRepaint:
      document->LeftColumn = newLeft;
      InvalidateRect(gShell.viewWindow, nullptr, TRUE);
      UpdateScrollBars();
      break;
    case ColumnMoveKind::kPixels:
      document->LeftColumn = newLeft;
      ScrollViewColumns(-d);
      UpdateScrollBars();
      break;
    case ColumnMoveKind::kNone:
      break;
  }
}

void ClampLeftColumn() {
  if (CurrentDocument()) ScrollToColumn(ClampedLeftColumn(CurrentScrollPosition()));
}

void ScrollViewLines(int32_t lines, bool smooth) {
  if (smooth) return ScrollViewLinesSmoothly(lines);
  RECT uncovered{};
  MovePixels(0, lines * gView.LinePitch, &uncovered);
  PaintNow(uncovered);
}

void ScrollViewColumns(int32_t columns) {
  RECT uncovered{};
  MovePixels(columns * gView.AverageCharWidth, 0, &uncovered);
  PaintNow(uncovered);
}

void UpdateScrollBars() {
  const Document* document = CurrentDocument();
  // Without a document neither bar may offer a thumb: there is nothing to move to.
  if (!document) {
    SetBar(SB_VERT, {});
    return SetBar(SB_HORZ, {});
  }
  const ScrollPosition position = CurrentScrollPosition();
  SetBar(SB_VERT, VerticalScrollBar(position, document->scrollScale));
  SetBar(SB_HORZ, HorizontalScrollBar(position, CurrentFileType().FoldRight != 0));
}

void HandleVerticalScrollBar(WPARAM wParam) {
  const Document* document = CurrentDocument();
  if (!document) return;
  UINT command = 0;
  switch (LOWORD(wParam)) {
    case SB_LINEUP:
      command = CmdLineUp;
      break;
    case SB_LINEDOWN:
      command = CmdLineDown;
      break;
    case SB_PAGEUP:
      command = CmdPageUp;
      break;
    case SB_PAGEDOWN:
      command = CmdPageDown;
      break;
    case SB_THUMBTRACK:
      ScrollToLine(
          VerticalThumbTarget(HIWORD(wParam), document->scrollScale, document->displayLineCount),
          false);
      return;
    default:
      return;
  }
  PostMessageW(gShell.viewWindow, WM_COMMAND, command, 0);
}

void HandleHorizontalScrollBar(WPARAM wParam) {
  if (!CurrentDocument()) return;
  UINT command = 0;
  switch (LOWORD(wParam)) {
    case SB_LINELEFT:
      command = CmdCharLeft;
      break;
    case SB_LINERIGHT:
      command = CmdCharRight;
      break;
    case SB_PAGELEFT:
      command = CmdFiveCharsLeft;
      break;
    case SB_PAGERIGHT:
      command = CmdFiveCharsRight;
      break;
    case SB_THUMBTRACK:
      ScrollToColumn(HorizontalThumbTarget(HIWORD(wParam), CurrentFileType().Fold));
      return;
    default:
      return;
  }
  PostMessageW(gShell.viewWindow, WM_COMMAND, command, 0);
}

bool ExecuteScrollCommand(uint16_t command, LPARAM count) {
  for (const ScrollCommandEntry& entry : kScrollCommands) {
    if (entry.command != command) continue;
    if (!CurrentDocument()) return true;
    const ScrollMove move =
        ScrollCommandMove(entry.request, CurrentScrollPosition(), static_cast<int32_t>(count));
    if (move.axis == ScrollAxis::kVertical) ScrollToLine(move.target, false);
    if (move.axis == ScrollAxis::kHorizontal) ScrollToColumn(move.target);
    return true;
  }
  return false;
}

}  // namespace vemora
