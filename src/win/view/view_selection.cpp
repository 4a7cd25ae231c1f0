// The selection lives in the document as two text positions and on screen as inverted
// cells. Inverting twice restores the pixels, so every change erases the old range and
// inverts the new one, and a drag inverts only the cells between the old and the new end.
#include "win/view/view_selection.h"

#include <windowsx.h>

#include <algorithm>

#include "core/keys/commands.h"
#include "core/layout/hit_test.h"
#include "core/layout/layout.h"
#include "core/text/selection.h"
#include "win/keys/menu_states.h"
#include "win/shell/app_state.h"
#include "win/shell/status_bar.h"
#include "win/shell/dpi_scale.h"
#include "win/view/view_paint.h"
#include "win/view/view_window.h"

namespace vemora {
namespace {

// The character cell shown inverted under the mouse (Caret option).
struct MouseCellState {
  int64_t position = kNoPosition;
  RECT rect{};
};

struct SelectionState {
  int32_t TripleClickArmed = 0;
  MouseCellState MouseCell;
};
SelectionState gSelection;

// A device context of the view with the view font selected, for measuring and inverting.
class ViewDc {
 public:
  ViewDc() : dc_(GetDC(gShell.viewWindow)) {
    previous_ = gView.ViewFont ? SelectObject(dc_, gView.ViewFont) : nullptr;
  }
  ~ViewDc() {
    if (previous_) SelectObject(dc_, previous_);
    ReleaseDC(gShell.viewWindow, dc_);
  }
  ViewDc(const ViewDc&) = delete;
  ViewDc& operator=(const ViewDc&) = delete;
  HDC Get() const { return dc_; }

 private:
  HDC dc_;
  HGDIOBJ previous_ = nullptr;
};

ViewGeometry CurrentGeometry(const Document& document) {
  return {document.TopLine, document.LeftColumn, gView.AverageCharWidth, gView.LinePitch,
          Scaled(kViewMargin)};
}

// The cells from `left` to `right` (row distances) in `row`, as a client rectangle.
RECT CellRect(const ViewGeometry& view, int32_t row, int32_t left, int32_t right) {
  const int32_t top = row * gView.LinePitch;
  return RECT{view.ClientX(left), top, view.ClientX(right), top + gView.CharHeight};
}

// A drag no longer under way must not keep the mouse: the view would swallow the next
// click anywhere on the screen.
void LetGoOfTheMouse() {
  KillTimer(gShell.viewWindow, kAutoScrollTimer);
  if (GetCapture() == gShell.viewWindow) ReleaseCapture();
}

// The end of a drag, by the button's release or by the loss of the capture.
void FinishDrag(Document& document) {
  KillTimer(gShell.viewWindow, kAutoScrollTimer);
  document.MouseSelecting = 0;
  // A click without a drag leaves no selection; an empty one shows nothing to erase.
  if (document.SelectionEnd == document.SelectionAnchor) ClearSelection(document);
  UpdateMenuStates();
}

void SetSelection(Document& document, TextRange range) {
  document.SelectionAnchor = range.start;
  document.SelectionEnd = range.end;
  document.MouseSelecting = 0;
  LetGoOfTheMouse();
  UpdateMenuStates();
  InvertRange(range.start, range.end);
}

POINT PointOf(LPARAM point) {
  return {GET_X_LPARAM(point), GET_Y_LPARAM(point)};
}

}  // namespace

int64_t HitTest(int32_t x, int32_t y) {
  const Document* document = CurrentDocument();
  if (!document) return kNoPosition;
  ViewDc dc;
  DcRowMeasure measure(dc.Get());
  return vemora::HitTest(*document, CurrentGeometry(*document), CurrentRowLayoutOptions(), measure,
                         x, y);
}

void InvertRange(int64_t p, int64_t q) {
  const Document* document = CurrentDocument();
  if (!document || p == kNoPosition || q == kNoPosition || p == q) return;
  const int64_t low = std::min(p, q), high = std::max(p, q);
  const ViewGeometry view = CurrentGeometry(*document);
  ViewDc dc;
  DcRowMeasure measure(dc.Get());
  const RowLayoutOptions options = CurrentRowLayoutOptions();
  RowLayout layout;
  for (int32_t row = 0; row < gView.VisibleRows; ++row) {
    int64_t start = 0;
    const int32_t line = document->TopLine + row;
    if (line >= document->displayLineCount || LineStart(*document, line) >= high) break;
    // Rows wholly before the range need no measuring.
    if (LineStart(*document, line) + LineLength(*document, line) <= low) continue;
    if (!LayOutDisplayLine(*document, line, options, measure, start, layout)) break;
    int32_t left = 0, right = 0;
    if (!RowInversion(layout, start, low, high, left, right)) continue;
    const RECT cells = CellRect(view, row, left, right);
    InvertRect(dc.Get(), &cells);
  }
}

void ExtendSelection(int32_t x, int32_t y) {
  Document* document = CurrentDocument();
  // A copy or a search may have taken the selection away in the middle of a drag.
  if (!document || document->SelectionAnchor == kNoPosition) return;
  RECT client{};
  GetClientRect(gShell.viewWindow, &client);
  bool scrolled = false;
  if (y < 0) {
    SendMessageW(gShell.viewWindow, WM_COMMAND, CmdLineUp, 0);
    y = 0;
    scrolled = true;
  } else if (y > client.bottom) {
    SendMessageW(gShell.viewWindow, WM_COMMAND, CmdLineDown, 0);
    y = client.bottom - 1;
    scrolled = true;
  }
  const int64_t p = HitTest(x, y);
  if (p != document->SelectionEnd) {
    const int64_t old = document->SelectionEnd;
    document->SelectionEnd = p;
    InvertRange(old, p);
  }
  if (scrolled) SetTimer(gShell.viewWindow, kAutoScrollTimer, 1, nullptr);
}

void UpdateMouseCell(int32_t x, int32_t y) {
  ShowMouseLine();
  const Document* document = CurrentDocument();
  if (gOptions.Caret != 1 || !document) return;
  const ViewGeometry view = CurrentGeometry(*document);
  MouseCellHit hit;
  {
    ViewDc dc;
    DcRowMeasure measure(dc.Get());
    hit = CellAtPoint(*document, view, CurrentRowLayoutOptions(), measure, x, y);
  }
  if (hit.position == gSelection.MouseCell.position) return;
  RemoveMouseCell();
  if (hit.position == kNoPosition) return;
  const RECT cell = CellRect(view, y / gView.LinePitch, hit.left, hit.right);
  HDC dc = GetDC(gShell.viewWindow);
  InvertRect(dc, &cell);
  ReleaseDC(gShell.viewWindow, dc);
  gSelection.MouseCell = {hit.position, cell};
}

void RemoveMouseCell() {
  if (gSelection.MouseCell.position == kNoPosition) return;
  HDC dc = GetDC(gShell.viewWindow);
  InvertRect(dc, &gSelection.MouseCell.rect);
  ReleaseDC(gShell.viewWindow, dc);
  gSelection.MouseCell.position = kNoPosition;
}

void ResetSelectionState() {
  gSelection = SelectionState{};
}

void EraseSelection() {
  if (const Document* document = CurrentDocument())
    InvertRange(document->SelectionAnchor, document->SelectionEnd);
}

void OnSelectionPress(WPARAM keys, LPARAM point) {
  RemoveMouseCell();
  SetFocus(gShell.viewWindow);
  KillTimer(gShell.viewWindow, kTripleClickTimer);
  if (gSelection.TripleClickArmed) {
    gSelection.TripleClickArmed = 0;
    PostMessageW(gShell.viewWindow, WM_VIEW_SELECTLINE, keys, point);
    return;
  }
  Document& document = *CurrentDocument();
  EraseSelection();
  const POINT at = PointOf(point);
  document.SelectionAnchor = document.SelectionEnd = HitTest(at.x, at.y);
  document.MouseSelecting = 1;
  SetCapture(gShell.viewWindow);
}

void OnSelectionMove(LPARAM point) {
  const POINT at = PointOf(point);
  if (CurrentDocument()->MouseSelecting != 1) return UpdateMouseCell(at.x, at.y);
  RemoveMouseCell();
  KillTimer(gShell.viewWindow, kAutoScrollTimer);
  ExtendSelection(at.x, at.y);
}

void OnSelectionRelease() {
  RemoveMouseCell();
  Document& document = *CurrentDocument();
  // Cleared first, so that the capture's going is not taken for a second end.
  if (document.MouseSelecting == 1) FinishDrag(document);
  LetGoOfTheMouse();
}

void OnSelectionCaptureChanged(HWND gaining) {
  RemoveMouseCell();
  // A press that finds the view still holding the mouse takes it again, and the system
  // may report that as a change too.
  if (gaining == gShell.viewWindow) return;
  // A right click, a popup or another window taking the mouse ends the drag where it
  // stands; otherwise the selection would follow a pointer whose button is up.
  Document* document = CurrentDocument();
  if (document && document->MouseSelecting == 1) FinishDrag(*document);
}

void EndSelectionDrag() {
  if (Document* document = CurrentDocument()) document->MouseSelecting = 0;
  LetGoOfTheMouse();
}

void OnWordDoubleClick(LPARAM point) {
  RemoveMouseCell();
  EraseSelection();
  Document& document = *CurrentDocument();
  const POINT at = PointOf(point);
  SetSelection(document, WordBounds(document.Text(), HitTest(at.x, at.y)));
  gSelection.TripleClickArmed = 1;
  SetTimer(gShell.viewWindow, kTripleClickTimer, GetDoubleClickTime(), nullptr);
}

void OnSelectLine(LPARAM point) {
  RemoveMouseCell();
  EraseSelection();
  Document& document = *CurrentDocument();
  const POINT at = PointOf(point);
  SetSelection(document, LogicalLineBounds(document.Text(), HitTest(at.x, at.y)));
}

void OnSelectionTimer(UINT_PTR timer) {
  KillTimer(gShell.viewWindow, timer);
  if (timer == kTripleClickTimer) {
    gSelection.TripleClickArmed = 0;
    return;
  }
  if (timer != kAutoScrollTimer) return;
  RemoveMouseCell();
  if (CurrentDocument()->MouseSelecting != 1) return;
  POINT pointer{};
  GetCursorPos(&pointer);
  ScreenToClient(gShell.viewWindow, &pointer);
  ExtendSelection(pointer.x, pointer.y);
}

void SelectAll() {
  Document* document = CurrentDocument();
  if (!document) return;
  EraseSelection();
  SetSelection(*document, {0, document->textLength});
}

}  // namespace vemora
