// The view and the gutter painted into a bitmap and checked pixel by pixel: marks, the
// margin, the "~" rows, colours of hits, overstrike and control characters, the
// selection, the line spacing and the gutter's numbers. Every expected position is
// computed from the font's measured metrics. Changes of the window's layout are checked
// on the screen: what they leave there must be what a fresh paint shows.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>

#include "core/keys/commands.h"
#include "core/search/search.h"
#include "win/shell/app_state.h"
#include "win/shell/document_actions.h"
#include "win/view/gutter.h"
#include "win/view/view_paint.h"
#include "canvas.h"
#include "viewer_host.h"

namespace vemora::testing {
namespace {

constexpr COLORREF kBack = RGB(255, 255, 255);
constexpr COLORREF kText = RGB(0, 0, 0);
constexpr COLORREF kHigh = RGB(255, 0, 0);
constexpr COLORREF kFind = RGB(0, 255, 0);
constexpr COLORREF kCtrl = RGB(0, 0, 255);
constexpr COLORREF kCr = RGB(255, 0, 255);
constexpr COLORREF kTab = RGB(0, 128, 128);
constexpr COLORREF kSpace = RGB(128, 0, 0);

class PaintedView : public ::testing::Test {
 protected:
  // Shows the text with distinct colours and every mark switched on.
  void Show(std::string_view bytes, const std::function<void(FileTypeSetting&)>& adjust = {}) {
    ASSERT_TRUE(host_.Start(L"\"" + host_.Folder().Write(L"paint.txt", bytes) + L"\""));
    const FileTypeSetting previous = gFileTypes.entries[0];
    FileTypeSetting& type = gFileTypes.entries[0];
    type.BackCol = kBack, type.TextCol = kText, type.HighCol = kHigh, type.FindCol = kFind;
    type.CtrlCol = kCtrl, type.CrCol = kCr, type.TabCol = kTab, type.HanSpcCol = kSpace;
    type.Cr = 1, type.TabMark = 1, type.Tab = 8, type.LineSp = 4;
    if (adjust) adjust(type);
    ApplyFileTypeSetting(previous);
    host_.Pump();
    w_ = gView.AverageCharWidth;
    h_ = gView.CharHeight;
  }
  int Extent(std::wstring_view text) {
    HDC dc = GetDC(gShell.viewWindow);
    HGDIOBJ previous = SelectObject(dc, gView.ViewFont);
    SIZE size{};
    GetTextExtentPoint32W(dc, text.data(), static_cast<int>(text.size()), &size);
    SelectObject(dc, previous);
    ReleaseDC(gShell.viewWindow, dc);
    return size.cx;
  }
  ViewerHost host_;
  int w_ = 0, h_ = 0;
};

TEST_F(PaintedView, TabAndLineEndMarksSitWhereTheMetricsPutThem) {
  Show("a\tb\r\n");
  Canvas canvas(gShell.viewWindow, PaintView);
  // The tab's ">" starts at the tab cell's left edge, centred vertically.
  const int tabX = kViewMargin + Extent(L"a"), markTop = (h_ - 8) / 2;
  EXPECT_EQ(canvas.At(tabX, markTop + 3), kTab);
  EXPECT_EQ(canvas.At(tabX + 1, markTop + 3), kTab);
  EXPECT_EQ(canvas.At(tabX + 2, markTop + 4), kTab);
  EXPECT_EQ(canvas.At(tabX + 2, markTop + 3), kBack);
  // "b" starts at the tab stop; the line-end arrow is centred in the cell after it.
  const int bX = kViewMargin + 8 * w_;
  EXPECT_GT(canvas.Count(kText, bX, 0, bX + Extent(L"b"), h_), 0);
  const int arrowX = bX + Extent(L"b") + (w_ - 5) / 2;
  for (int row = 0; row < 8; ++row) EXPECT_EQ(canvas.At(arrowX + 2, markTop + row), kCr) << row;
  EXPECT_EQ(canvas.At(arrowX, markTop + 5), kCr);
  EXPECT_EQ(canvas.At(arrowX + 1, markTop + 5), kBack);
  EXPECT_EQ(canvas.At(arrowX + 1, markTop + 6), kCr);
  EXPECT_EQ(canvas.Count(kCr, 0, 0, canvas.width, canvas.height), 8 + 2 + 2)
      << "one mark for the CR LF pair";
}

TEST_F(PaintedView, MarginAndTildeRowsStayInPlace) {
  Show("first line\r\nsecond line\r\n", [](FileTypeSetting& type) { type.FoldRight = 0; });
  const int pitch = gView.LinePitch;
  {
    Canvas canvas(gShell.viewWindow, PaintView);
    EXPECT_EQ(canvas.Count(kBack, 0, 0, kViewMargin, canvas.height), kViewMargin * canvas.height);
    // Rows after the last display line show "~" at the text origin, in the text colour.
    const int tilde = Extent(L"~");
    for (int row = 2; row < gView.VisibleRows && (row + 1) * pitch <= canvas.height; ++row) {
      EXPECT_GT(
          canvas.Count(kText, kViewMargin, row * pitch, kViewMargin + tilde, row * pitch + h_), 0)
          << row;
      EXPECT_EQ(
          canvas.Count(kText, kViewMargin + tilde, row * pitch, canvas.width, (row + 1) * pitch), 0)
          << row;
    }
    // Nothing but background in the line spacing under each row.
    EXPECT_EQ(canvas.Count(kBack, 0, h_, canvas.width, pitch), canvas.width * (pitch - h_));
  }
  CurrentDocument()->LeftColumn = 3;
  Canvas shifted(gShell.viewWindow, PaintView);
  EXPECT_EQ(shifted.Count(kBack, 0, 0, kViewMargin, shifted.height), kViewMargin * shifted.height)
      << "text scrolled left never enters the margin";
  EXPECT_GT(shifted.Count(kText, kViewMargin, 0, shifted.width, h_), 0);
}

TEST_F(PaintedView, HitsOverstrikeAndControlCharactersTakeTheirColours) {
  Show("ab xyz\x01_\bU\r\nB\bB\r\n");
  SearchDocument(*CurrentDocument(), 0, u"xyz", 0, 0, false);
  gShell.ShowSearchResults = 1;
  Canvas canvas(gShell.viewWindow, PaintView);
  const int hitX = kViewMargin + Extent(L"ab ");
  const int hitEnd = hitX + Extent(L"xyz");
  EXPECT_GT(canvas.Count(kFind, hitX, 0, hitEnd, h_), 0);
  EXPECT_EQ(canvas.Count(kFind, 0, 0, hitX, canvas.height), 0);
  EXPECT_EQ(canvas.Count(kFind, hitEnd, 0, canvas.width, canvas.height), 0);
  EXPECT_EQ(canvas.Count(kFind, hitX, h_, hitEnd, gView.LinePitch), 0)
      << "line spacing keeps the background";
  // U+0001 shows as "A" in the control colour.
  const int controlX = hitEnd;
  EXPECT_GT(canvas.Count(kCtrl, controlX, 0, controlX + Extent(L"A"), h_), 0);
  // "_" BS "U" underlines U along the bottom pixel row of the character cell.
  const int underlineX = controlX + Extent(L"A");
  const int uWidth = Extent(L"U");
  EXPECT_EQ(canvas.Count(kText, underlineX, h_ - 1, underlineX + uWidth, h_), uWidth);
  // "B" BS "B" is bold: drawn in the emphasis colour.
  const int pitch = gView.LinePitch;
  EXPECT_GT(canvas.Count(kHigh, kViewMargin, pitch, kViewMargin + Extent(L"B"), pitch + h_), 0);
  EXPECT_EQ(canvas.Count(kText, kViewMargin, pitch, kViewMargin + Extent(L"B"), pitch + h_), 0);
}

TEST_F(PaintedView, SelectionIsInvertedIncludingTheLineEnd) {
  Show("abc\r\nxyz\r\n");
  Document& document = *CurrentDocument();
  document.SelectionAnchor = 1;
  document.SelectionEnd = 5;  // "bc" and the CR LF of the first line
  Canvas canvas(gShell.viewWindow, PaintView);
  const int left = kViewMargin + Extent(L"a"), right = kViewMargin + Extent(L"abc") + w_;
  // Inverted white is black, except where a glyph or the mark was drawn.
  EXPECT_GT(canvas.Count(RGB(0, 0, 0), left, 0, right, h_), (right - left) * h_ / 2);
  EXPECT_EQ(canvas.Count(RGB(0, 0, 0), right, 0, canvas.width, h_), 0);
  EXPECT_EQ(canvas.Count(RGB(0, 0, 0), left, h_, right, gView.LinePitch), 0);
}

TEST_F(PaintedView, GutterNumbersEndEightPixelsShortOfItsEdge) {
  std::string lines;
  for (int i = 0; i < 3; ++i) lines += "line\r\n";
  Show(lines, [](FileTypeSetting& type) { type.LineNum = 1; });
  RECT client{};
  GetClientRect(gShell.gutterWindow, &client);
  ASSERT_EQ(client.right, gView.GutterWidth - 1) << "a one-pixel border on each side";
  const int rows = (client.bottom + gView.LinePitch - 1) / gView.LinePitch;
  Canvas canvas(gShell.gutterWindow, [rows](HDC dc) { PaintGutter(dc, rows); });
  const int pitch = gView.LinePitch, numberEnd = canvas.width - 8;
  for (int row = 0; row < 3; ++row) {
    const int digit = Extent(std::to_wstring(row + 1));
    EXPECT_GT(canvas.Count(kText, numberEnd - digit, row * pitch, numberEnd, row * pitch + h_), 0)
        << row;
    EXPECT_EQ(canvas.Count(kText, 0, row * pitch, numberEnd - digit, (row + 1) * pitch), 0) << row;
  }
  EXPECT_EQ(canvas.Count(kText, numberEnd, 0, canvas.width, canvas.height), 0);
  EXPECT_EQ(canvas.Count(kText, 0, 3 * pitch, canvas.width, canvas.height), 0)
      << "no numbers past the end";
}

// What the window shows on the screen now, inside its client area.
Canvas OnScreen(HWND window) {
  return Canvas(window, [window](HDC dc) {
    RECT client{};
    GetClientRect(window, &client);
    HDC screen = GetDC(window);
    BitBlt(dc, 0, 0, client.right, client.bottom, screen, 0, 0, SRCCOPY);
    ReleaseDC(window, screen);
  });
}

// Pixels that differ between two captures of the same window.
int Differences(const Canvas& left, const Canvas& right) {
  int count = 0;
  for (int y = 0; y < left.height; ++y)
    for (int x = 0; x < left.width; ++x) count += left.At(x, y) != right.At(x, y);
  return count;
}

// Shown on the display for the test, so that what stays on the screen can be compared with
// what a fresh paint of the whole window gives.
class ShownWindow : public PaintedView {
 protected:
  void ShowOnScreen() {
    ShowWindow(gShell.mainWindow, SW_SHOWNOACTIVATE);
    UpdateWindow(gShell.mainWindow);
    host_.Pump();
  }
  void TearDown() override {
    if (gShell.mainWindow) ShowWindow(gShell.mainWindow, SW_HIDE);
  }
  // Paints what the change left to be painted, as the message loop would.
  void PaintPending() {
    RedrawWindow(gShell.mainWindow, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    host_.Pump();
  }
  // Pixels of the main window's client area that a fresh paint of everything changes.
  int StalePixels() {
    PaintPending();
    const Canvas shown = OnScreen(gShell.mainWindow);
    RedrawWindow(gShell.mainWindow, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    host_.Pump();
    const Canvas fresh = OnScreen(gShell.mainWindow);
    if (shown.width != fresh.width || shown.height != fresh.height) return -1;
    return Differences(shown, fresh);
  }
};

TEST_F(ShownWindow, LineNumbersTurnedOffAndOnInColumnWrapLeaveNoTrace) {
  std::string lines;
  for (int i = 0; i < 30; ++i) lines += "a line long enough to wrap at the fold\r\n";
  Show(lines, [](FileTypeSetting& type) {
    type.FoldRight = 0;
    type.Fold = 20;
    type.LineNum = 1;
  });
  ShowOnScreen();
  host_.Command(CmdLineNumbers);
  PaintPending();
  host_.Command(CmdLineNumbers);
  EXPECT_EQ(StalePixels(), 0);
}

TEST_F(ShownWindow, TheSizeGripFollowsAWidenedWindow) {
  Show("text\r\n");
  ShowOnScreen();
  RECT frame{};
  GetWindowRect(gShell.mainWindow, &frame);
  SetWindowPos(gShell.mainWindow, nullptr, 0, 0, frame.right - frame.left + 120,
               frame.bottom - frame.top, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  EXPECT_EQ(StalePixels(), 0);
}

}  // namespace
}  // namespace vemora::testing
