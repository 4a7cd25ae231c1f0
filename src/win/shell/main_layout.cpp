// Child-window geometry of the main window.
#include "win/shell/main_layout.h"

#include <windows.h>

#include <algorithm>

#include "core/layout/layout.h"
#include "win/platform/text_measure.h"
#include "win/shell/app_state.h"
#include "win/shell/dpi_scale.h"
#include "win/shell/load_steps.h"
#include "win/shell/status_bar.h"
#include "win/shell/toolbar.h"
#include "win/view/gutter.h"
#include "win/view/view_paint.h"
#include "win/view/view_scroll.h"

namespace vemora {
namespace {

RECT MainClient() {
  RECT client{};
  GetClientRect(gShell.mainWindow, &client);
  return client;
}

void MoveViewBesideGutter() {
  const RECT client = MainClient();
  const int32_t x = gView.GutterWidth * gShell.LineNumbersShown;
  const int32_t y = ToolbarHeight();
  RECT before{};
  GetWindowRect(gShell.viewWindow, &before);
  MapWindowPoints(nullptr, gShell.mainWindow, reinterpret_cast<POINT*>(&before), 2);
  MoveWindow(gShell.viewWindow, x, y, std::max<int32_t>(client.right - x, 0),
             std::max<int32_t>(client.bottom - y - StatusBarHeight(), 0), TRUE);
  // Moved sideways, the view would keep pixels the gutter's border left on it, and the
  // gutter those of the view; both are painted anew.
  if (before.left != x) {
    InvalidateRect(gShell.viewWindow, nullptr, TRUE);
    InvalidateRect(gShell.gutterWindow, nullptr, TRUE);
  }
}

// Wrapping at the view's edge, the line count is known only after a layout, which itself
// depends on the room the gutter leaves. A gutter too narrow for the count is widened and
// the text laid out again for the narrower view; each round only adds digits, so a few
// rounds settle it. The gutter never narrows here, so resizing cannot make it flicker
// between two widths.
void WidenGutterForLineCount() {
  for (int round = 0; round < 4; ++round) {
    const int32_t required = RequiredGutterWidth();
    if (required <= gView.GutterWidth) return;
    gView.GutterWidth = required;
    if (!gShell.LineNumbersShown) return;
    SizeGutter();
    MoveViewBesideGutter();
    LayOutCurrentDocument();
  }
}

}  // namespace

int32_t ToolbarHeight() {
  if (!gShell.toolbar) return 0;
  if (CurrentDpi() == kDesignDpi) return kToolbarHeight;
  // Elsewhere the toolbar sizes itself to its enlarged images.
  RECT rect{};
  GetWindowRect(gShell.toolbar, &rect);
  return rect.bottom - rect.top;
}

void SizeGutter() {
  const RECT client = MainClient();
  const int32_t width = gView.GutterWidth * gShell.LineNumbersShown + 1;
  const int32_t height =
      client.bottom - ToolbarHeight() - StatusBarHeight() - GetSystemMetrics(SM_CYHSCROLL);
  SetWindowPos(gShell.gutterWindow, nullptr, 0, 0, width, std::max(height, 0),
               SWP_NOMOVE | SWP_NOZORDER);
}

LayoutParameters CurrentLayoutParameters() {
  RECT view{};
  GetClientRect(gShell.viewWindow, &view);
  // The text keeps its margins (16 pixels at 96 dpi) out of the width it wraps at.
  LayoutParameters parameters =
      LayoutParametersFor(CurrentFileType(), gView.AverageCharWidth, view.right);
  parameters.edgeMargins = Scaled(16);
  return parameters;
}

void LayOutCurrentDocument() {
  Document* document = CurrentDocument();
  if (!document) return;
  GdiTextMeasure measure(gShell.viewWindow, gView.ViewFont);
  LayoutDocument(*document, CurrentLayoutParameters(), measure);
  NoteLayoutChanged();
}

void PlaceView(const LayoutParameters* laidOutWith) {
  MoveViewBesideGutter();
  Document* document = CurrentDocument();
  if (!document || CurrentFileType().FoldRight != 1) return;
  if (!laidOutWith || !(*laidOutWith == CurrentLayoutParameters())) LayOutCurrentDocument();
  WidenGutterForLineCount();
  InvalidateRect(gShell.viewWindow, nullptr, TRUE);
  InvalidateRect(gShell.gutterWindow, nullptr, TRUE);
  SetStatusLineText(kStatusTopLinePart, document->TopLine);
  ShowMouseLine();
}

void RelayoutMainWindow() {
  const RECT client = MainClient();
  if (gShell.statusBar) {
    SendMessageW(gShell.statusBar, WM_SIZE, 0, 0);
    // The bar paints only the room it gained, which would leave the size grip drawn at
    // the old right edge as well.
    InvalidateRect(gShell.statusBar, nullptr, TRUE);
  }
  if (gShell.toolbar)
    SetWindowPos(gShell.toolbar, nullptr, 0, 0, client.right, ToolbarHeight(),
                 SWP_NOMOVE | SWP_NOZORDER);
  SizeGutter();
  PlaceView();
  Document* document = CurrentDocument();
  if (!document) return;
  UpdateVisibleSize();
  UpdateScrollBars();
  ClampLeftColumn();
  ScrollToLine(std::max(0, std::min(document->TopLine, document->displayLineCount - 1)), false);
}

}  // namespace vemora
