// The viewer run in-process: status-bar texts, the title, menu states, paging commands,
// the gutter, the file history, paste, the settings written at exit, and a find that runs
// beside the window.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <shellapi.h>
#include <shlobj.h>

#include <fstream>
#include <iterator>
#include <vector>

#include "core/keys/commands.h"
#include "win/keys/history_menu.h"
#include "win/resources/resource_ids.h"
#include "win/search/find_search.h"
#include "win/shell/app_state.h"
#include "win/shell/document_actions.h"
#include "win/shell/status_bar.h"
#include "win/platform/text_conversion.h"
#include "dialog_script.h"
#include "viewer_host.h"

namespace vemora::testing {
namespace {

void SetLastWrite(const std::wstring& path, WORD year, WORD month, WORD day, WORD hour,
                  WORD minute) {
  SYSTEMTIME local{year, month, 0, day, hour, minute, 0, 0};
  FILETIME localTime{}, utc{};
  SystemTimeToFileTime(&local, &localTime);
  LocalFileTimeToFileTime(&localTime, &utc);
  HANDLE file =
      CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  SetFileTime(file, nullptr, nullptr, &utc);
  CloseHandle(file);
}

std::wstring TopLineText(int line) {
  return L"先頭:" + std::to_wstring(line) + L"行目";
}

// The find dialog answered with a pattern; `more` answers what the search shows after it.
::testing::AssertionResult Find(ViewerHost& host, const wchar_t* pattern, int32_t Regx,
                                std::vector<DialogScript::Step> more = {}) {
  gOptions.Regx = Regx;
  more.insert(more.begin(), On(L"検索", [pattern](HWND dialog) {
                SetItemText(dialog, IDC_FIND_TEXT, pattern);
                Click(dialog, IDOK);
              }));
  const bool waitForTheEnd = more.size() > 1;
  return RunScripted(
      [&] {
        host.Command(CmdFind);
        if (waitForTheEnd)
          PumpUntil(
              host, [] { return !FindSearchRunning(); }, 60000);
      },
      more);
}

TEST(Viewer, StatusBarShowsTheFileFacts) {
  ViewerHost host;
  const std::string bytes = ShiftJis(L"日本語のテキスト\r\n二行目\r\n");
  const std::wstring path = host.Folder().Write(L"sjis.txt", bytes);
  SetLastWrite(path, 2018, 3, 5, 9, 7);
  ASSERT_TRUE(host.Start(Quoted(path)));
  EXPECT_EQ(host.StatusText(0), L"SHIFT-JIS");
  EXPECT_EQ(host.StatusText(1), L"CR-LF");
  EXPECT_EQ(host.StatusText(2), L"先頭:1行目");
  EXPECT_EQ(host.StatusText(4), L"2018/03/05  9:07   " + std::to_wstring(bytes.size()) + L" Bytes");
  EXPECT_TRUE(Checked(CmdEncodingSjis));
  EXPECT_FALSE(Checked(CmdEncodingUtf8));
}

// Each part holds the longest text it can show, the largest line numbers among them, and
// the file's part does so also while a load shows its progress beside it.
TEST(Viewer, StatusBarPartsHoldTheirLongestTexts) {
  ViewerHost host;
  ASSERT_TRUE(host.Start(L"\"" + host.Folder().Write(L"a.txt", "text\r\n") + L"\""));
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  ASSERT_TRUE(SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0));
  HFONT font = CreateFontIndirectW(&metrics.lfStatusFont);
  HDC dc = GetDC(gShell.statusBar);
  HGDIOBJ previous = SelectObject(dc, font);
  const struct {
    int part;
    const wchar_t* text;
    bool whileLoading;
  } cases[] = {
      {0, L"UTF16(BOM)(BE)", false},       {1, L"CR-LF", false},
      {2, L"先頭:2147483647行目", false},  {3, L"マウス:2147483647行目", false},
      {3, L"マウス:2147483647行目", true}, {4, L"2000/12/28 20:58   999999999999999 Bytes", true},
  };
  for (const auto& c : cases) {
    ShowLoadProgress(c.whileLoading ? 100 : -1);
    RECT rect{};
    SendMessageW(gShell.statusBar, SB_GETRECT, c.part, reinterpret_cast<LPARAM>(&rect));
    SIZE size{};
    GetTextExtentPoint32W(dc, c.text, static_cast<int>(wcslen(c.text)), &size);
    // The bar draws a part's text a few pixels in from each side.
    EXPECT_GE(rect.right - rect.left, size.cx + 6) << c.part << " " << c.whileLoading;
  }
  ShowLoadProgress(-1);
  SelectObject(dc, previous);
  ReleaseDC(gShell.statusBar, dc);
  DeleteObject(font);
}

TEST(Viewer, TitleFollowsActivation) {
  ViewerHost host;
  const std::wstring path = host.Folder().Write(L"name.txt", "abc\n");
  ASSERT_TRUE(host.Start(Quoted(path)));
  const std::wstring full = ToWide(CurrentDocument()->name);
  SendMessageW(gShell.mainWindow, WM_ACTIVATE, WA_INACTIVE, 0);
  EXPECT_EQ(host.Title(), L"name.txt - Vemora");
  SendMessageW(gShell.mainWindow, WM_ACTIVATE, WA_ACTIVE, 0);
  EXPECT_EQ(host.Title(), full + L" - Vemora");
  EXPECT_EQ(host.StatusText(1), L"LF");
}

TEST(Viewer, EncodingCommandsReloadAndMoveTheCheckMark) {
  ViewerHost host;
  const std::wstring path =
      host.Folder().Write(L"utf8.txt", "\xEF\xBB\xBF\xE6\x97\xA5\xE6\x9C\xAC\r\n");
  ASSERT_TRUE(host.Start(Quoted(path)));
  EXPECT_EQ(host.StatusText(0), L"UTF8(BOM)");
  EXPECT_TRUE(Checked(CmdEncodingUtf8));
  host.Command(CmdEncodingSjis);
  EXPECT_EQ(host.StatusText(0), L"SHIFT-JIS");
  EXPECT_TRUE(Checked(CmdEncodingSjis));
  EXPECT_FALSE(Checked(CmdEncodingUtf8));
  host.Command(CmdEncodingUtf8);
  EXPECT_EQ(host.StatusText(0), L"UTF8(BOM)") << "the mark decides between the two UTF-8 forms";
}

TEST(Viewer, MenuStatesFollowTheDocument) {
  ViewerHost host;
  ASSERT_TRUE(host.Start(Quoted(host.Folder().File(L"missing.txt"))));
  EXPECT_EQ(host.Title(), L"Vemora");
  for (UINT command :
       {CmdTop, CmdBottom, CmdFind, CmdFindNext, CmdCopy, CmdEncodingSjis, CmdEncodingUtf7,
        CmdOpenWithTool, CmdSaveAsUtf16, CmdLineNumbers, CmdSaveEncoded})
    EXPECT_TRUE(Grayed(command)) << command;
  EXPECT_FALSE(Grayed(CmdOpen));
  EXPECT_FALSE(Grayed(CmdPaste));
  EXPECT_TRUE(Checked(CmdShowMatches));
  EXPECT_FALSE(SendMessageW(gShell.toolbar, TB_ISBUTTONENABLED, CmdFind, 0));
  EXPECT_TRUE(SendMessageW(gShell.toolbar, TB_ISBUTTONCHECKED, CmdShowMatches, 0));

  OpenDocument(ToUtf16(host.Folder().Write(L"a.txt", "text\r\n")), 0, -1);
  host.Pump();
  for (UINT command : {CmdTop, CmdFind, CmdEncodingSjis, CmdOpenWithTool, CmdLineNumbers})
    EXPECT_FALSE(Grayed(command)) << command;
  EXPECT_TRUE(Grayed(CmdFindNext)) << "no search has found anything";
  EXPECT_TRUE(Grayed(CmdCopy)) << "nothing is selected";
  EXPECT_TRUE(SendMessageW(gShell.toolbar, TB_ISBUTTONENABLED, CmdFind, 0));
  EXPECT_FALSE(SendMessageW(gShell.toolbar, TB_ISBUTTONENABLED, CmdCopy, 0));
}

TEST(Viewer, PagingCommandsMoveTheTopLineWithinTheDocument) {
  ViewerHost host;
  const std::wstring path = host.Folder().Write(L"lines.txt", Lines(500));
  ASSERT_TRUE(host.Start(Quoted(path)));
  const int rows = gView.VisibleRows;
  ASSERT_GT(rows, 4);
  const int count = CurrentDocument()->displayLineCount;
  host.Command(CmdPageDown);
  EXPECT_EQ(host.StatusText(2), TopLineText(1 + rows - 2));
  host.Command(CmdFiveLinesDown);
  EXPECT_EQ(CurrentDocument()->TopLine, rows - 2 + 5);
  host.Command(CmdBottom);
  const int maxTop = count - rows + 1;
  EXPECT_EQ(CurrentDocument()->TopLine, maxTop);
  host.Command(CmdLineDown);
  EXPECT_EQ(CurrentDocument()->TopLine, maxTop) << "no move past the end";
  host.Command(CmdTop);
  EXPECT_EQ(host.StatusText(2), L"先頭:1行目");
  host.Command(CmdLineUp);
  EXPECT_EQ(CurrentDocument()->TopLine, 0);
  // One wheel notch moves the system's wheel lines; the size of the delta is not used.
  UINT wheelLines = 3;
  SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &wheelLines, 0);
  SendMessageW(gShell.mainWindow, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-30)), 0);
  host.Pump();
  EXPECT_EQ(CurrentDocument()->TopLine, static_cast<int>(wheelLines));
}

TEST(Viewer, JumpsAndStartLinesCountDisplayLines) {
  ViewerHost host;
  const std::wstring path = host.Folder().Write(L"lines.txt", Lines(300));
  ASSERT_TRUE(host.Start(L"-j 120 " + Quoted(path)));
  EXPECT_EQ(host.StatusText(2), L"先頭:120行目");
  SendMessageW(gShell.viewWindow, WM_USER + 4, 0, 299);
  EXPECT_EQ(CurrentDocument()->TopLine, 299) << "the last line can be the top line";
  SendMessageW(gShell.viewWindow, WM_USER + 4, 0, 300);
  EXPECT_EQ(CurrentDocument()->TopLine, 299) << "a line that does not exist changes nothing";
}

TEST(Viewer, EndOfFileOptionShowsTheLastPage) {
  ViewerHost host;
  const std::wstring path = host.Folder().Write(L"lines.txt", Lines(300));
  ASSERT_TRUE(host.Start(L"-e " + Quoted(path)));
  EXPECT_EQ(CurrentDocument()->TopLine,
            CurrentDocument()->displayLineCount - gView.VisibleRows + 1);
}

TEST(Viewer, LineNumbersWidenTheGutterAndMoveTheView) {
  ViewerHost host;
  const std::wstring path = host.Folder().Write(L"lines.txt", Lines(50));
  ASSERT_TRUE(host.Start(Quoted(path)));
  RECT gutter{}, view{};
  GetWindowRect(gShell.gutterWindow, &gutter);
  EXPECT_EQ(gutter.right - gutter.left, 1);
  host.Command(CmdLineNumbers);
  GetWindowRect(gShell.gutterWindow, &gutter);
  GetWindowRect(gShell.viewWindow, &view);
  EXPECT_EQ(gutter.right - gutter.left, gView.GutterWidth + 1);
  EXPECT_EQ(view.left - gutter.left, gView.GutterWidth);
  EXPECT_EQ(CurrentFileType().LineNum, 0) << "the stored switch stays as it was";
  host.Command(CmdLineNumbers);
  GetWindowRect(gShell.gutterWindow, &gutter);
  EXPECT_EQ(gutter.right - gutter.left, 1);
}

// Child-window rectangles in the main window's client coordinates.
RECT ChildRect(HWND child) {
  RECT rect{};
  GetWindowRect(child, &rect);
  MapWindowPoints(nullptr, gShell.mainWindow, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

// The gutter and the view fill the space between the toolbar (28 pixels) and the status
// bar, the gutter ending one scroll-bar height above the view's bottom, after start and
// after every resize; without the bars they reach the top and the bottom.
TEST(Viewer, GutterAndViewFillTheSpaceBetweenTheBars) {
  for (const bool bars : {true, false}) {
    SCOPED_TRACE(bars ? "with toolbar and status bar" : "without them");
    ViewerHost host;
    host.Folder().Write(L"Vemora.ini",
                        std::string("#\r\n\r\n[Vemora]\r\nRegVer=91\r\n\r\n[Vemora\\Options]\r\n"
                                    "ExtSet=1\r\n") +
                            (bars ? "Tbar=1\r\nSbar=1\r\n" : "Tbar=0\r\nSbar=0\r\n") +
                            "\r\n[Vemora\\Options\\Ext0]\r\nLineNum=1\r\n");
    ASSERT_TRUE(host.Start(Quoted(host.Folder().Write(L"lines.txt", Lines(50)))));
    EXPECT_EQ(gShell.toolbar != nullptr, bars);
    EXPECT_EQ(gShell.statusBar != nullptr, bars);
    for (const int width : {0, 500}) {
      if (width) {
        MoveWindow(gShell.mainWindow, 0, 0, width, 400, TRUE);
        host.Pump();
      }
      RECT client{};
      GetClientRect(gShell.mainWindow, &client);
      const int top = bars ? 28 : 0;
      const int bottom = bars ? ChildRect(gShell.statusBar).top : client.bottom;
      const RECT gutter = ChildRect(gShell.gutterWindow), view = ChildRect(gShell.viewWindow);
      EXPECT_EQ(gutter.left, 0);
      EXPECT_EQ(gutter.top, top);
      EXPECT_EQ(gutter.right, gView.GutterWidth + 1);
      EXPECT_EQ(gutter.bottom, bottom - GetSystemMetrics(SM_CYHSCROLL));
      EXPECT_EQ(view.left, gView.GutterWidth);
      EXPECT_EQ(view.top, top);
      EXPECT_EQ(view.right, client.right);
      EXPECT_EQ(view.bottom, bottom);
      if (bars) {
        EXPECT_EQ(ChildRect(gShell.toolbar).right, client.right);
        EXPECT_EQ(ChildRect(gShell.statusBar).bottom, client.bottom);
      }
    }
  }
}

TEST(Viewer, FileHistoryPutsTheLatestFirstWithoutDuplicates) {
  ViewerHost host;
  const std::wstring a = host.Folder().Write(L"a.txt", "a\r\n");
  const std::wstring b = host.Folder().Write(L"b.txt", "b\r\n");
  ASSERT_TRUE(host.Start(Quoted(a)));
  const std::u16string nameA = CurrentDocument()->name;
  OpenDocument(ToUtf16(b), 0, -1);
  const std::u16string nameB = CurrentDocument()->name;
  StringList history = ReadHistoryMenu();
  ASSERT_EQ(history.size(), 2u);
  EXPECT_EQ(history[0], nameB);
  EXPECT_EQ(history[1], nameA);
  wchar_t text[300] = {};
  GetMenuStringW(FileMenu(), CmdHistory1, text, 300, MF_BYCOMMAND);
  EXPECT_EQ(std::wstring(text), L"&1 " + ToWide(nameB));
  host.Command(CmdHistory2);
  EXPECT_EQ(CurrentDocument()->name, nameA);
  history = ReadHistoryMenu();
  ASSERT_EQ(history.size(), 2u);
  EXPECT_EQ(history[0], nameA);
}

// A drop of files as the shell delivers it: DROPFILES followed by the paths.
HGLOBAL DropOf(const std::vector<std::wstring>& paths) {
  std::wstring list;
  for (const std::wstring& path : paths) list += path + L'\0';
  list += L'\0';
  HGLOBAL memory =
      GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DROPFILES) + list.size() * sizeof(wchar_t));
  auto* drop = static_cast<DROPFILES*>(GlobalLock(memory));
  drop->pFiles = sizeof(DROPFILES);
  drop->fWide = TRUE;
  memcpy(drop + 1, list.data(), list.size() * sizeof(wchar_t));
  GlobalUnlock(memory);
  return memory;
}

TEST(Viewer, DroppingFilesOpensTheFirstOnly) {
  ViewerHost host;
  const std::wstring a = host.Folder().Write(L"first.txt", "1\r\n");
  const std::wstring b = host.Folder().Write(L"second.txt", "2\r\n");
  ASSERT_TRUE(host.Start(Quoted(host.Folder().Write(L"start.txt", "0\r\n"))));
  SendMessageW(gShell.viewWindow, WM_DROPFILES, reinterpret_cast<WPARAM>(DropOf({a, b})), 0);
  host.Pump();
  EXPECT_EQ(CurrentDocument()->Text(), u"1\r\n");
  EXPECT_EQ(ReadHistoryMenu().size(), 2u)
      << "the dropped file joins the history, the second does not";
}

// Pastes, answering the confirmation box with the button.
void PasteAnswering(ViewerHost& host, int button) {
  EXPECT_TRUE(RunScripted([&] { host.Command(CmdPaste); },
                          {On(L"複写", [button](HWND box) { Click(box, button); })}));
}

TEST(Viewer, PasteShowsTheClipboardTextAfterConfirmation) {
  ViewerHost host;
  const std::wstring path = host.Folder().Write(L"a.txt", "file text\r\n");
  ASSERT_TRUE(host.Start(Quoted(path)));
  const std::wstring clip = L"貼り付けた文章\r\n二行目";
  PutOnClipboard(&clip);

  PasteAnswering(host, IDCANCEL);
  EXPECT_EQ(CurrentDocument()->sourceKind, kSourceFile) << "cancelled: the file stays";

  PasteAnswering(host, IDOK);
  ASSERT_NE(CurrentDocument(), nullptr);
  EXPECT_EQ(CurrentDocument()->Text(), u"貼り付けた文章\r\n二行目");
  EXPECT_EQ(host.Title(), L"(無題) - Vemora");
  EXPECT_EQ(host.StatusText(0), L"");
  EXPECT_TRUE(Grayed(CmdEncodingSjis));
  EXPECT_TRUE(Grayed(CmdOpenWithTool));
  EXPECT_FALSE(Grayed(CmdTop));
  EXPECT_FALSE(Checked(CmdEncodingSjis));
  EXPECT_FALSE(Checked(CmdEncodingUtf8));
}

TEST(Viewer, SettingsAreWrittenToTheRegistryAtExit) {
  ViewerHost host;
  const std::wstring path = host.Folder().Write(L"kept.txt", "x\r\n");
  ASSERT_TRUE(host.Start(Quoted(path)));
  const std::wstring name = ToWide(CurrentDocument()->name);
  host.Close();
  const std::wstring options = std::wstring(kScratchRegistryRoot) + L"\\Options";
  wchar_t history[1024] = {};
  DWORD size = sizeof history;
  ASSERT_EQ(RegGetValueW(HKEY_CURRENT_USER, options.c_str(), L"Hist", RRF_RT_REG_MULTI_SZ, nullptr,
                         history, &size),
            ERROR_SUCCESS);
  EXPECT_EQ(std::wstring(history), name);
  DWORD keys = 0;
  size = sizeof keys;
  ASSERT_EQ(RegGetValueW(HKEY_CURRENT_USER, options.c_str(), L"Keys", RRF_RT_REG_DWORD, nullptr,
                         &keys, &size),
            ERROR_SUCCESS);
  EXPECT_EQ(keys, 33u) << "the first key preset when nothing was stored";
  EXPECT_FALSE(std::filesystem::exists(host.IniPath()));
}

TEST(Viewer, SettingsGoToTheIniFileWhenItIsChosen) {
  ViewerHost host;
  host.Folder().Write(
      L"Vemora.ini",
      "#\r\n\r\n[Vemora]\r\nRegVer=91\r\n\r\n[Vemora\\Options]\r\nReg=1\r\nHistNum=3\r\n"
      "ExtSet=1\r\n");
  const std::wstring path = host.Folder().Write(L"kept.txt", "x\r\n");
  ASSERT_TRUE(host.Start(Quoted(path)));
  EXPECT_EQ(gOptions.HistNum, 3);
  host.Close();
  std::ifstream file(std::filesystem::path(host.IniPath()), std::ios::binary);
  const std::string ini((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  EXPECT_NE(ini.find("HistNum=3\r\n"), std::string::npos);
  EXPECT_NE(ini.find("kept.txt"), std::string::npos) << "the history is saved";
  EXPECT_NE(ini.find("WinWidth="), std::string::npos);
  HKEY key = nullptr;
  EXPECT_NE(RegOpenKeyExW(HKEY_CURRENT_USER, kScratchRegistryRoot, 0, KEY_READ, &key),
            ERROR_SUCCESS)
      << "the registry is left alone";
}

TEST(Viewer, UnknownOptionEndsStartUpWithoutSaving) {
  ViewerHost host;
  EXPECT_TRUE(RunScripted([&] { EXPECT_FALSE(host.Start(L"-x")); },
                          {On(L"Vemora", [](HWND box) { Click(box, IDOK); })}));
  EXPECT_EQ(gShell.mainWindow, nullptr);
  HKEY key = nullptr;
  EXPECT_NE(RegOpenKeyExW(HKEY_CURRENT_USER, kScratchRegistryRoot, 0, KEY_READ, &key),
            ERROR_SUCCESS);
  host.Close();
}

// A search that would take minutes (its cost grows with the square of the long line) runs
// beside the window: the find command returns, another thread's message is answered at
// once, the hits of the search before still step with F3, and Esc stops the search and
// keeps them.
TEST(Viewer, LongSearchLeavesTheWindowAnsweringAndEscStopsIt) {
  ViewerHost host;
  // Nothing follows the a's: every start in them scans to the end of the text.
  const std::string text = "needle\r\nx\r\nneedle\r\n" + std::string(300000, 'a');
  const std::wstring path = host.Folder().Write(L"long.txt", text);
  ASSERT_TRUE(host.Start(Quoted(path)));
  ASSERT_TRUE(Find(host, L"needle", 0));
  ASSERT_FALSE(FindSearchRunning()) << "a short search is applied before the command ends";
  ASSERT_EQ(CurrentDocument()->hits.Size(), 2);
  const int32_t secondNeedle = CurrentDocument()->TopLine;
  ASSERT_GT(secondNeedle, 0);

  ASSERT_TRUE(Find(host, L"a*[^a][^a]", 1));
  ASSERT_TRUE(FindSearchRunning());
  EXPECT_EQ(AnswersFromAnotherThread(host, 5), 5);
  host.Command(CmdFindPrev);
  EXPECT_EQ(CurrentDocument()->TopLine, 0) << "the hits before still step";
  EXPECT_TRUE(FindSearchRunning());
  EXPECT_TRUE(ShowsWaitCursor());

  EXPECT_TRUE(PressEscapeToSearch());
  EXPECT_FALSE(FindSearchRunning());
  host.Pump();
  EXPECT_EQ(CurrentDocument()->hits.Size(), 2) << "the hits before stay";
  EXPECT_EQ(CurrentDocument()->hitPatternLength, 6);
  EXPECT_FALSE(Grayed(CmdFindNext));
  host.Command(CmdFindNext);
  EXPECT_EQ(CurrentDocument()->TopLine, secondNeedle);
  EXPECT_TRUE(host.Running()) << "Esc stopped the search, not the viewer";
  EXPECT_FALSE(ShowsWaitCursor());

  // A reload of the file starts the search again over the new text; another file shown
  // ends it.
  ASSERT_TRUE(Find(host, L"a*[^a][^a]", 1));
  ASSERT_TRUE(FindSearchRunning());
  ReloadCurrentDocument(-1);
  host.Pump();
  EXPECT_TRUE(FindSearchRunning());
  OpenDocument(ToUtf16(host.Folder().Write(L"other.txt", "aa\r\n")), 0, -1);
  EXPECT_FALSE(FindSearchRunning());
  host.Pump();
  EXPECT_EQ(CurrentDocument()->hitPatternLength, 0);

  // Closing while a search runs stops it.
  OpenDocument(ToUtf16(path), 0, -1);
  ASSERT_TRUE(Find(host, L"a*[^a][^a]", 1));
  ASSERT_TRUE(FindSearchRunning());
  host.Close();
  EXPECT_FALSE(FindSearchRunning());
}

// The library gives up on the line of a's at its backtracking limit: the hits on the other
// lines are still found, and a message says on how many lines the search was not done.
TEST(Viewer, LinesTheLibraryGivesUpOnAreReported) {
  ViewerHost host;
  const std::string text = std::string(40, 'a') + "!\r\nfound it\r\n";
  ASSERT_TRUE(host.Start(Quoted(host.Folder().Write(L"hostile.txt", text))));
  std::wstring message;
  ASSERT_TRUE(Find(host, L"found|(\\w+\\s?)+$", 1, {On(L"Vemora", [&](HWND box) {
                     message = ItemText(box, 0xFFFF);
                     Click(box, IDOK);
                   })}));
  EXPECT_EQ(message, L"1 行で検索を最後まで行えませんでした。");
  EXPECT_EQ(CurrentDocument()->hits.Size(), 2);
  EXPECT_EQ(CurrentDocument()->TopLine, 1);
}

}  // namespace
}  // namespace vemora::testing
