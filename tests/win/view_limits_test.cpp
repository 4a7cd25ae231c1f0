// What the status bar, the scroll bars and the gutter show at their limits: with no
// document or an empty one, after the view grew wider, and for very long files.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>

#include "core/keys/commands.h"
#include "win/platform/text_conversion.h"
#include "win/shell/app_state.h"
#include "win/shell/document_actions.h"
#include "win/view/view_paint.h"
#include "viewer_host.h"

namespace vemora::testing {
namespace {

std::string Lines(int count, const std::string& line) {
  std::string text;
  for (int i = 0; i < count; ++i) text += line + "\r\n";
  return text;
}

// Settings with one file type, wrapping at a column.
std::string ColumnSettings(int fold, int lineNumbers) {
  return "#\r\n\r\n[Vemora]\r\nRegVer=91\r\n\r\n[Vemora\\Options]\r\nExtSet=1\r\n\r\n"
         "[Vemora\\Options\\Ext0]\r\nFoldRight=0\r\nFold=" +
         std::to_string(fold) + "\r\nTab=4\r\nLineNum=" + std::to_string(lineNumbers) + "\r\n";
}

// The last position the thumb can reach; equal to nMin when it cannot move.
int LastThumbPosition(const SCROLLINFO& info) {
  return std::max(info.nMin, info.nMax - std::max(static_cast<int>(info.nPage) - 1, 0));
}

int ViewClientWidth() {
  RECT client{};
  GetClientRect(gShell.viewWindow, &client);
  return client.right;
}

void ResizeMainWindow(ViewerHost& host, int width) {
  MoveWindow(gShell.mainWindow, 0, 0, width, 400, TRUE);
  host.Pump();
}

// Moves right one column at a time until the commands stop: the largest left column.
int ScrollFullyRight(ViewerHost& host) {
  for (int previous = -1; previous != CurrentDocument()->LeftColumn;) {
    previous = CurrentDocument()->LeftColumn;
    host.Command(CmdCharRight);
  }
  return CurrentDocument()->LeftColumn;
}

int TextExtent(const std::wstring& text) {
  HDC dc = GetDC(gShell.viewWindow);
  HGDIOBJ previous = SelectObject(dc, gView.ViewFont);
  SIZE size{};
  GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
  SelectObject(dc, previous);
  ReleaseDC(gShell.viewWindow, dc);
  return size.cx;
}

// The status bar and the scroll bars never keep the facts of a file no longer shown:
// an empty file shows its own date and size with no encoding or line ends, and without
// a document every part is empty and neither bar has a thumb to move.
TEST(ViewLimits, StatusAndScrollBarsShowOnlyTheShownFile) {
  ViewerHost host;
  host.Folder().Write(L"Vemora.ini", ColumnSettings(250, 0));
  ASSERT_TRUE(
      host.Start(Quoted(host.Folder().Write(L"long.txt", Lines(400, std::string(240, 'x'))))));
  host.Command(CmdPageDown);
  host.Command(CmdCharRight);
  ASSERT_EQ(host.StatusText(0), L"SHIFT-JIS");
  ASSERT_GT(LastThumbPosition(Bar(SB_VERT)), 0);
  ASSERT_GT(LastThumbPosition(Bar(SB_HORZ)), 0);
  // What the pointer over the old document left in the mouse-line part.
  SendMessageW(gShell.statusBar, SB_SETTEXTW, 3, reinterpret_cast<LPARAM>(L"マウス:7行目"));

  const std::wstring emptyPath = host.Folder().Write(L"empty.txt", "");
  WIN32_FILE_ATTRIBUTE_DATA attributes{};
  GetFileAttributesExW(emptyPath.c_str(), GetFileExInfoStandard, &attributes);
  FILETIME local{};
  SYSTEMTIME time{};
  FileTimeToLocalFileTime(&attributes.ftLastWriteTime, &local);
  FileTimeToSystemTime(&local, &time);
  wchar_t stamp[64];
  swprintf(stamp, 64, L"%04d/%02d/%02d %2d:%02d   0 Bytes", time.wYear, time.wMonth, time.wDay,
           time.wHour, time.wMinute);
  OpenDocument(ToUtf16(emptyPath), 0, -1);
  EXPECT_EQ(host.StatusText(4), stamp);
  EXPECT_EQ(host.StatusText(0), L"");
  EXPECT_EQ(host.StatusText(1), L"");
  EXPECT_FALSE(Checked(CmdEncodingSjis));
  EXPECT_NE(host.Title(), L"Vemora");
  EXPECT_EQ(LastThumbPosition(Bar(SB_VERT)), 0);
  EXPECT_EQ(CurrentDocument()->LeftColumn, 0);

  // Another file loaded while the pointer is away from the view: no line of the old
  // file stays in the mouse-line part.
  MoveWindow(gShell.mainWindow, 0, 0, 500, 400, TRUE);
  SetCursorPos(1200, 1000);
  SendMessageW(gShell.statusBar, SB_SETTEXTW, 3, reinterpret_cast<LPARAM>(L"マウス:7行目"));
  OpenDocument(ToUtf16(host.Folder().Write(L"again.txt", Lines(400, std::string(240, 'y')))), 0,
               -1);
  EXPECT_EQ(host.StatusText(3), L"");
  EXPECT_EQ(host.StatusText(0), L"SHIFT-JIS");
  host.Command(CmdPageDown);
  host.Command(CmdCharRight);
  SendMessageW(gShell.statusBar, SB_SETTEXTW, 3, reinterpret_cast<LPARAM>(L"マウス:7行目"));
  OpenDocument(ToUtf16(host.Folder().File(L"missing.txt")), 0, -1);
  ASSERT_EQ(CurrentDocument(), nullptr);
  EXPECT_EQ(host.Title(), L"Vemora");
  for (int part = 0; part < 5; ++part) EXPECT_EQ(host.StatusText(part), L"") << part;
  for (UINT command : {CmdEncodingSjis, CmdEncodingJis, CmdEncodingEuc, CmdEncodingUtf16,
                       CmdEncodingUtf16Be, CmdEncodingUtf8, CmdEncodingUtf7})
    EXPECT_FALSE(Checked(command)) << command;
  for (int bar : {SB_VERT, SB_HORZ}) {
    const SCROLLINFO info = Bar(bar);
    EXPECT_EQ(LastThumbPosition(info), info.nMin) << bar;
    EXPECT_EQ(info.nPos, 0) << bar;
  }
  // A resize without a document changes none of that.
  ResizeMainWindow(host, 500);
  EXPECT_EQ(LastThumbPosition(Bar(SB_HORZ)), Bar(SB_HORZ).nMin);
}

TEST(ViewLimits, NoThumbToMoveWhenStartingWithoutADocument) {
  ViewerHost host;
  host.Folder().Write(L"Vemora.ini", ColumnSettings(250, 0));
  ASSERT_TRUE(host.Start(Quoted(host.Folder().File(L"missing.txt"))));
  ASSERT_EQ(CurrentDocument(), nullptr);
  for (int bar : {SB_VERT, SB_HORZ}) EXPECT_EQ(LastThumbPosition(Bar(bar)), Bar(bar).nMin) << bar;
}

// At the largest left column the last of Fold columns ends inside the view, beside the
// margin that holds no text; a wider view brings the left column back within its new
// largest value, down to 0 when everything fits, where the bar has nothing to move.
TEST(ViewLimits, LeftColumnStaysWithinTheWidestLine) {
  constexpr int kFold = 100;
  ViewerHost host;
  host.Folder().Write(L"Vemora.ini", ColumnSettings(kFold, 1));
  const std::string line = std::string(kFold - 1, 'x') + "W";
  ASSERT_TRUE(host.Start(Quoted(host.Folder().Write(L"wide.txt", Lines(20, line)))));
  const int w = gView.AverageCharWidth;
  const int extent = TextExtent(std::wstring(line.begin(), line.end()));
  ASSERT_LE(extent, kFold * w) << "the line fits in Fold columns";

  for (int width : {400, 403, 405, 407, 650}) {
    SCOPED_TRACE(width);
    ResizeMainWindow(host, width);
    const int left = ScrollFullyRight(host);
    const int client = ViewClientWidth();
    EXPECT_EQ(left, kFold - (client - kViewMargin) / w);
    EXPECT_LE(RowTextOrigin() + extent, client) << "the last column is wholly visible";
    EXPECT_GT(RowTextOrigin() + kFold * w + w, client) << "no column more than needed";
    const SCROLLINFO bar = Bar(SB_HORZ);
    EXPECT_EQ(bar.nPos, left);
    EXPECT_EQ(LastThumbPosition(bar), left) << "the thumb ends at the largest left column";

    // Wider by a few columns: the left column follows the new largest value.
    ResizeMainWindow(host, width + 5 * w);
    const int wider = ViewClientWidth();
    EXPECT_EQ(CurrentDocument()->LeftColumn, kFold - (wider - kViewMargin) / w);
    EXPECT_LE(RowTextOrigin() + extent, wider);
    EXPECT_EQ(Bar(SB_HORZ).nPos, CurrentDocument()->LeftColumn);
  }

  // Hiding the line numbers widens the view as well.
  ResizeMainWindow(host, 500);
  ScrollFullyRight(host);
  host.Command(CmdLineNumbers);
  EXPECT_EQ(CurrentDocument()->LeftColumn, kFold - (ViewClientWidth() - kViewMargin) / w);

  // Wide enough for every column: back to 0, and the bar has no thumb to move.
  ResizeMainWindow(host, kViewMargin + kFold * w + 80);
  ASSERT_GE(ViewClientWidth() - kViewMargin, kFold * w);
  EXPECT_EQ(CurrentDocument()->LeftColumn, 0);
  EXPECT_EQ(LastThumbPosition(Bar(SB_HORZ)), Bar(SB_HORZ).nMin);
  host.Command(CmdCharRight);
  EXPECT_EQ(CurrentDocument()->LeftColumn, 0);
}

// The gutter has room for every digit of the largest line number the file can show, in
// both wrap modes: seven for a million lines.
TEST(ViewLimits, GutterHoldsEveryDigitOfTheLastLineNumber) {
  for (const int foldRight : {1, 0}) {
    SCOPED_TRACE(foldRight);
    ViewerHost host;
    host.Folder().Write(
        L"Vemora.ini",
        "#\r\n\r\n[Vemora]\r\nRegVer=91\r\n\r\n[Vemora\\Options]\r\nExtSet=1\r\n\r\n"
        "[Vemora\\Options\\Ext0]\r\nLineNum=1\r\nFold=80\r\nFoldRight=" +
            std::to_string(foldRight) + "\r\n");
    ASSERT_TRUE(
        host.Start(L"-e " + Quoted(host.Folder().Write(L"million.txt", Lines(1000000, "z")))));
    ASSERT_EQ(CurrentDocument()->displayLineCount, 1000000);
    RECT gutter{}, view{};
    GetClientRect(gShell.gutterWindow, &gutter);
    GetWindowRect(gShell.viewWindow, &view);
    MapWindowPoints(nullptr, gShell.mainWindow, reinterpret_cast<POINT*>(&view), 2);
    // The numbers end 8 pixels short of the gutter's right edge and must start inside it.
    EXPECT_LE(TextExtent(L"1000000"), gutter.right - 8);
    EXPECT_LE(TextExtent(L"8888888"), gutter.right - 8);
    EXPECT_EQ(view.left, gView.GutterWidth) << "the view sits beside the wider gutter";
    // The wrap at the edge was laid out for the view beside the wider gutter.
    EXPECT_EQ(CurrentDocument()->TopLine, 1000000 - gView.VisibleRows + 1);
  }
}

// With logical numbering, going to a line that wraps across a block boundary of the line
// table shows its first row, from the command line, the jump message and a reload alike.
TEST(ViewLimits, LogicalJumpsLandOnTheFirstRowOfAWrappedLine) {
  ViewerHost host;
  host.Folder().Write(L"Vemora.ini",
                      "#\r\n\r\n[Vemora]\r\nRegVer=91\r\n\r\n[Vemora\\Options]\r\nExtSet=1\r\n\r\n"
                      "[Vemora\\Options\\Ext0]\r\nFoldRight=0\r\nFold=10\r\nLineType=1\r\n");
  // Logical line 999 (shown as 999) fills rows 998 to 1000; row 1000 opens a new block.
  const std::wstring path = host.Folder().Write(
      L"wrapped.txt", Lines(998, "x") + std::string(29, 'a') + "\r\n" + Lines(100, "b"));
  ASSERT_TRUE(host.Start(L"-j 999 " + Quoted(path)));
  ASSERT_EQ(CurrentDocument()->displayLineCount, 1101);
  EXPECT_EQ(CurrentDocument()->TopLine, 998);
  EXPECT_EQ(host.StatusText(2), L"先頭:999行目");
  SendMessageW(gShell.viewWindow, WM_USER + 4, 0, 0);
  SendMessageW(gShell.viewWindow, WM_USER + 4, 0, 998);
  EXPECT_EQ(CurrentDocument()->TopLine, 998);
  host.Command(CmdLineDown);
  host.Command(CmdLineDown);
  ASSERT_EQ(CurrentDocument()->TopLine, 1000);
  host.Command(CmdEncodingEuc);  // a reload keeps the logical line, from its start
  EXPECT_EQ(CurrentDocument()->TopLine, 998);
}

}  // namespace
}  // namespace vemora::testing
