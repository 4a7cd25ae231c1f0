// Sizes drawn for 96 dpi at the screen's dpi: status-bar part edges, the view's margin in
// painted pixels, and the view font, whose stored 96-dpi size stays as it was. Run as part
// of the suite at the test display's 96 dpi, and again at 144 dpi by tests/e2e/high_dpi.sh,
// which names the dpi it set in VEMORA_EXPECTED_DPI and compares the two reports.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <vector>

#include "core/settings/settings_model.h"
#include "win/shell/app_state.h"
#include "win/shell/dpi_scale.h"
#include "win/view/view_paint.h"
#include "viewer_host.h"

namespace vemora::testing {
namespace {

int ExpectedDpi() {
  const char* value = std::getenv("VEMORA_EXPECTED_DPI");
  return value ? std::atoi(value) : 96;
}

// The leftmost painted column that differs from the background in the view's first row.
int FirstInkColumn() {
  RECT client{};
  GetClientRect(gShell.viewWindow, &client);
  HDC screen = GetDC(gShell.viewWindow);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, client.right, gView.LinePitch);
  HGDIOBJ previous = SelectObject(memory, bitmap);
  PaintView(memory);
  const COLORREF background = GetPixel(memory, client.right - 1, 0);
  int found = -1;
  for (int x = 0; x < client.right && found < 0; ++x)
    for (int y = 0; y < gView.LinePitch; ++y)
      if (GetPixel(memory, x, y) != background) {
        found = x;
        break;
      }
  SelectObject(memory, previous);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(gShell.viewWindow, screen);
  return found;
}

TEST(HighDpi, SizesWrittenForNinetySixDpiFollowTheScreen) {
  const int dpi = ExpectedDpi();
  ViewerHost host;
  ASSERT_TRUE(host.Start(L"\"" + host.Folder().Write(L"a.txt", "WWWW\r\n") + L"\""));
  ASSERT_EQ(CurrentDpi(), dpi);
  ASSERT_EQ(WindowDpi(gShell.mainWindow), dpi);

  int edges[5] = {};
  ASSERT_EQ(SendMessageW(gShell.statusBar, SB_GETPARTS, 5, reinterpret_cast<LPARAM>(edges)), 5);
  // Each part at least as wide as designed for 96 dpi (wider where its longest text needs).
  const int designWidths[4] = {110, 50, 110, 110};
  for (int i = 0; i < 4; ++i)
    EXPECT_GE(edges[i] - (i > 0 ? edges[i - 1] : 0), MulDiv(designWidths[i], dpi, 96)) << i;
  EXPECT_EQ(edges[0], MulDiv(110, dpi, 96));

  const int margin = MulDiv(kViewMargin, dpi, 96);
  EXPECT_EQ(RowTextOrigin(), margin);
  const int ink = FirstInkColumn();
  EXPECT_GE(ink, margin);
  EXPECT_LT(ink, margin + gView.AverageCharWidth);

  LOGFONTW font{};
  ASSERT_TRUE(GetObjectW(gView.ViewFont, sizeof font, &font));
  const int stored = CurrentFileType().Font.height;
  EXPECT_EQ(font.lfHeight, MulDiv(stored, dpi, 96));
  // The chosen font goes back into the settings at its 96-dpi size.
  EXPECT_EQ(FontRecordAtDesignDpi(font, dpi).height, stored);

  if (const char* report = std::getenv("VEMORA_DPI_REPORT"))
    std::ofstream(report) << edges[0] << ' ' << edges[3] << ' ' << ink << ' ' << gView.CharHeight
                          << ' ' << font.lfHeight << '\n';
}

std::vector<int> StatusEdges() {
  int edges[5] = {};
  SendMessageW(gShell.statusBar, SB_GETPARTS, 5, reinterpret_cast<LPARAM>(edges));
  return {edges, edges + 4};
}

int ViewFontHeight() {
  LOGFONTW font{};
  GetObjectW(gView.ViewFont, sizeof font, &font);
  return font.lfHeight;
}

RECT WindowRect(HWND window) {
  RECT rect{};
  GetWindowRect(window, &rect);
  return rect;
}

// A move to a screen of twice the dpi and back: the suggested rectangle is taken, and every
// size is made again for the new dpi, then for the old one as it was.
TEST(HighDpi, MovingToAScreenOfAnotherDpiRemakesSizesAndFonts) {
  ViewerHost host;
  ASSERT_TRUE(host.Start(L"\"" + host.Folder().Write(L"a.txt", "text\r\n") + L"\""));
  const int dpi = CurrentDpi();
  const std::vector<int> edges = StatusEdges();
  const int fontHeight = ViewFontHeight();
  const RECT toolbar = WindowRect(gShell.toolbar);
  const int toolbarHeight = toolbar.bottom - toolbar.top;

  RECT suggested{10, 20, 910, 720};
  SendMessageW(gShell.mainWindow, WM_DPICHANGED, MAKEWPARAM(dpi * 2, dpi * 2),
               reinterpret_cast<LPARAM>(&suggested));
  host.Pump();
  EXPECT_EQ(CurrentDpi(), dpi * 2);
  const RECT moved = WindowRect(gShell.mainWindow);
  EXPECT_EQ(moved.right - moved.left, 900);
  EXPECT_EQ(moved.bottom - moved.top, 700);
  for (size_t i = 0; i < edges.size(); ++i) EXPECT_EQ(StatusEdges()[i], edges[i] * 2) << i;
  EXPECT_EQ(ViewFontHeight(), MulDiv(CurrentFileType().Font.height, dpi * 2, 96));
  // The toolbar grew with its images, and the view starts right below it.
  const RECT bigger = WindowRect(gShell.toolbar);
  EXPECT_GT(bigger.bottom - bigger.top, toolbarHeight * 3 / 2);
  EXPECT_EQ(WindowRect(gShell.viewWindow).top, bigger.bottom);
  EXPECT_NE(gShell.fileTypeSelector, nullptr);
  EXPECT_EQ(CurrentFileType().Font.height, -15) << "the stored size stays the 96-dpi one";

  SendMessageW(gShell.mainWindow, WM_DPICHANGED, MAKEWPARAM(dpi, dpi),
               reinterpret_cast<LPARAM>(&suggested));
  host.Pump();
  EXPECT_EQ(StatusEdges(), edges);
  EXPECT_EQ(ViewFontHeight(), fontHeight);
}

}  // namespace
}  // namespace vemora::testing
