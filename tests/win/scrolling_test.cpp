// Scrolling through the view window's own messages: scroll bars, smooth and stepwise
// moves, and the file-type selector; saving the text as UTF-16.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "core/keys/commands.h"
#include "win/platform/text_conversion.h"
#include "win/shell/app_state.h"
#include "win/shell/document_actions.h"
#include "dialog_script.h"
#include "viewer_host.h"

namespace vemora::testing {
namespace {

TEST(Scrolling, ScrollBarsFollowTheTopLineAndMoveIt) {
  ViewerHost host;
  ASSERT_TRUE(host.Start(L"\"" + host.Folder().Write(L"lines.txt", Lines(300)) + L"\""));
  EXPECT_EQ(Bar(SB_VERT).nMax, 300);
  EXPECT_EQ(static_cast<int>(Bar(SB_VERT).nPage), gView.VisibleRows);
  EXPECT_EQ(Bar(SB_HORZ).nMax, 0) << "wrapping at the edge leaves nothing to scroll sideways";

  SendMessageW(gShell.viewWindow, WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, 120), 0);
  EXPECT_EQ(CurrentDocument()->TopLine, 120);
  EXPECT_EQ(Bar(SB_VERT).nPos, 120);
  EXPECT_EQ(host.StatusText(2), L"先頭:121行目");
  SendMessageW(gShell.viewWindow, WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, 1000), 0);
  EXPECT_EQ(CurrentDocument()->TopLine, 299) << "the thumb stops at the last line";
  // Line and page requests are posted as commands and run after the message.
  SendMessageW(gShell.viewWindow, WM_VSCROLL, SB_PAGEUP, 0);
  EXPECT_EQ(CurrentDocument()->TopLine, 299);
  host.Pump();
  EXPECT_EQ(CurrentDocument()->TopLine, 299 - gView.VisibleRows + 2);
}

TEST(Scrolling, SmoothAndStepwiseMovesEndOnTheTarget) {
  ViewerHost host;
  ASSERT_TRUE(host.Start(L"\"" + host.Folder().Write(L"lines.txt", Lines(300)) + L"\""));
  gOptions.SmLine = 1;
  gOptions.SmPage = 1;
  gOptions.SmRare = 30;
  host.Command(CmdLineDown);
  EXPECT_EQ(CurrentDocument()->TopLine, 1);
  host.Command(CmdPageDown);
  EXPECT_EQ(CurrentDocument()->TopLine, 1 + gView.VisibleRows - 2);
  EXPECT_EQ(host.StatusText(2), L"先頭:" + std::to_wstring(gView.VisibleRows) + L"行目");
  gOptions.SmRare = 0;  // a hand-edited value must not divide by zero
  host.Command(CmdLineUp);
  EXPECT_EQ(CurrentDocument()->TopLine, gView.VisibleRows - 2);
}

TEST(Scrolling, ColumnsScrollWhenWrappingAtAColumn) {
  ViewerHost host;
  host.Folder().Write(L"Vemora.ini",
                      "#\r\n\r\n[Vemora]\r\nRegVer=91\r\n\r\n[Vemora\\Options]\r\nExtSet=1\r\n\r\n"
                      "[Vemora\\Options\\Ext0]\r\nFoldRight=0\r\nFold=200\r\nTab=4\r\n");
  ASSERT_TRUE(
      host.Start(L"\"" + host.Folder().Write(L"wide.txt", std::string(190, 'x') + "\r\n") + L"\""));
  EXPECT_EQ(Bar(SB_HORZ).nMax, 200);
  host.Command(CmdFiveCharsRight);
  EXPECT_EQ(CurrentDocument()->LeftColumn, 4) << "moves by the tab width";
  host.Command(CmdCharLeft);
  EXPECT_EQ(CurrentDocument()->LeftColumn, 3);
  SendMessageW(gShell.viewWindow, WM_HSCROLL, MAKEWPARAM(SB_THUMBTRACK, 500), 0);
  EXPECT_EQ(CurrentDocument()->LeftColumn, 199);
}

TEST(Scrolling, FileTypeSelectorAppliesTheChosenEntry) {
  ViewerHost host;
  host.Folder().Write(L"Vemora.ini",
                      "#\r\n\r\n[Vemora]\r\nRegVer=91\r\n\r\n[Vemora\\Options]\r\nExtSet=2\r\n\r\n"
                      "[Vemora\\Options\\Ext0]\r\nName=common\r\nLineNum=0\r\n\r\n"
                      "[Vemora\\Options\\Ext1]\r\nName=numbered\r\nLineNum=1\r\nExt=*.log\\00\r\n");
  ASSERT_TRUE(host.Start(L"\"" + host.Folder().Write(L"a.txt", Lines(20)) + L"\""));
  EXPECT_EQ(gFileTypeIndex, 0);
  EXPECT_EQ(SendMessageW(gShell.fileTypeSelector, CB_GETCOUNT, 0, 0), 2);
  SendMessageW(gShell.fileTypeSelector, CB_SETCURSEL, 1, 0);
  host.Command(MAKEWPARAM(CmdFileTypeSelector, CBN_SELCHANGE));
  EXPECT_EQ(gFileTypeIndex, 1);
  EXPECT_EQ(gShell.LineNumbersShown, 1);
  RECT gutter{};
  GetWindowRect(gShell.gutterWindow, &gutter);
  EXPECT_EQ(gutter.right - gutter.left, gView.GutterWidth + 1);
  // A file matching the second entry's pattern selects it by itself.
  OpenDocument(ToUtf16(host.Folder().Write(L"b.log", Lines(5))), 0, -1);
  EXPECT_EQ(gFileTypeIndex, 1);
  EXPECT_EQ(SendMessageW(gShell.fileTypeSelector, CB_GETCURSEL, 0, 0), 1);
}

TEST(Scrolling, SaveAsUtf16WritesTheMarkAndTheText) {
  ViewerHost host;
  ASSERT_TRUE(host.Start(L"\"" + host.Folder().Write(L"sjis.txt", ShiftJis(L"日本\r\n")) + L"\""));
  const std::wstring target = host.Folder().File(L"copy.txt");
  EXPECT_TRUE(RunScripted([&] { host.Command(CmdSaveAsUtf16); },
                          {On(L"名前を付けて保存(UTF16エンコーディング)", [&target](HWND dialog) {
                            SetItemText(dialog, 0x47C, target);  // the explorer dialog's name box
                            Click(dialog, IDOK);
                          })}));
  std::ifstream file(std::filesystem::path(target), std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  EXPECT_EQ(bytes, std::string("\xFF\xFE\xE5\x65\x2C\x67\r\0\n\0", 10));
}

}  // namespace
}  // namespace vemora::testing
