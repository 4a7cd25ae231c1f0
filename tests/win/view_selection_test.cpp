// The view in the user's hands, run in-process: hit testing against the row layout of the
// real font, dragging, word and line selection, the three copies read back from the
// clipboard, the find dialog with its history, stepping through hits, the jump dialog
// and the context menu. Dialogs are answered from inside their own message loops by a
// scripted timer, as a user acts on whatever window is in front.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include "core/keys/commands.h"
#include "core/layout/layout.h"
#include "win/platform/text_conversion.h"
#include "win/resources/resource_ids.h"
#include "win/shell/app_state.h"
#include "win/shell/document_actions.h"
#include "win/view/view_context_menu.h"
#include "win/view/view_paint.h"
#include "win/view/view_window.h"
#include "dialog_script.h"
#include "viewer_host.h"

namespace vemora::testing {
namespace {

// A selection as its anchor and end.
using Range = std::pair<int64_t, int64_t>;

LPARAM Point(int x, int y) {
  return MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y));
}

class ViewInHand : public ::testing::Test {
 protected:
  void Show(std::string_view bytes) {
    ASSERT_TRUE(host_.Start(L"\"" + host_.Folder().Write(L"text.txt", bytes) + L"\""));
  }
  // Wrap at `fold` columns instead of the window edge.
  void WrapAt(int32_t fold) {
    const FileTypeSetting previous = gFileTypes.entries[0];
    gFileTypes.entries[0].FoldRight = 0;
    gFileTypes.entries[0].Fold = fold;
    ApplyFileTypeSetting(previous);
    host_.Pump();
  }
  RowLayout LayoutOf(int32_t line) {
    HDC dc = GetDC(gShell.viewWindow);
    HGDIOBJ previous = SelectObject(dc, gView.ViewFont);
    RowLayout layout;
    LineSpan span;
    if (DisplayLineSpan(*CurrentDocument(), line, span))
      LayOutLine(dc, *CurrentDocument(), span, layout);
    SelectObject(dc, previous);
    ReleaseDC(gShell.viewWindow, dc);
    return layout;
  }
  // The client point in the middle of the cell of `unit` in the row of display line `line`.
  LPARAM CellPoint(int32_t line, int32_t unit) {
    const RowLayout layout = LayoutOf(line);
    const int32_t x = RowTextOrigin() + (layout.Left(unit) + layout.Right(unit)) / 2;
    const int32_t y = (line - CurrentDocument()->TopLine) * gView.LinePitch + 2;
    return Point(x, y);
  }
  void Send(UINT message, LPARAM point, WPARAM keys = 0) {
    SendMessageW(gShell.viewWindow, message, keys, point);
    host_.Pump();
  }
  void Drag(LPARAM from, LPARAM to) {
    Send(WM_LBUTTONDOWN, from, MK_LBUTTON);
    Send(WM_MOUSEMOVE, to, MK_LBUTTON);
    Send(WM_LBUTTONUP, to);
  }
  std::pair<int64_t, int64_t> Selection() const {
    return {CurrentDocument()->SelectionAnchor, CurrentDocument()->SelectionEnd};
  }
  ViewerHost host_;
};

// Runs the command, answering the dialogs it opens with the steps.
void AnswerDialogs(ViewerHost& host, int command, std::vector<DialogScript::Step> steps) {
  EXPECT_TRUE(RunScripted([&] { host.Command(command); }, std::move(steps)));
}

TEST_F(ViewInHand, HitTestFollowsTheRowLayoutOfTheFont) {
  Show(ShiftJis(L"a\t日本 x\r\nnext\r\n"));
  const RowLayout layout = LayoutOf(0);
  ASSERT_EQ(layout.Size(), 8);
  // The middle of every cell hits its unit; the LF of the pair shares the CR's cell.
  for (int32_t unit : {0, 1, 2, 3, 4, 5, 6}) {
    const LPARAM point = CellPoint(0, unit);
    Send(WM_LBUTTONDOWN, point);
    EXPECT_EQ(CurrentDocument()->SelectionAnchor, unit);
    Send(WM_LBUTTONUP, point);
  }
  Send(WM_LBUTTONDOWN, Point(2, 2));
  EXPECT_EQ(CurrentDocument()->SelectionAnchor, 0) << "the margin";
  Send(WM_LBUTTONDOWN, Point(RowTextOrigin() + layout.End() + 50, 2));
  EXPECT_EQ(CurrentDocument()->SelectionAnchor, 8) << "right of the line: the next line";
  Send(WM_LBUTTONDOWN, Point(10, 5 * gView.LinePitch));
  EXPECT_EQ(CurrentDocument()->SelectionAnchor, 14) << "below the last line: the text's end";
}

TEST_F(ViewInHand, DragSelectsAndAClickClears) {
  Show("alpha beta gamma\r\nsecond line\r\n");
  Drag(CellPoint(0, 6), CellPoint(1, 3));
  EXPECT_EQ(Selection(), (Range{6, 21}));
  EXPECT_EQ(CurrentDocument()->MouseSelecting, 0);
  EXPECT_FALSE(Grayed(CmdCopy));
  EXPECT_FALSE(Grayed(CmdQuotedCopy));
  EXPECT_TRUE(SendMessageW(gShell.toolbar, TB_ISBUTTONENABLED, CmdCopy, 0));
  // Dragging back past the anchor turns the selection round.
  Drag(CellPoint(0, 6), CellPoint(0, 2));
  EXPECT_EQ(Selection(), (Range{6, 2}));
  Send(WM_LBUTTONDOWN, CellPoint(0, 3));
  EXPECT_EQ(CurrentDocument()->MouseSelecting, 1);
  EXPECT_EQ(GetCapture(), gShell.viewWindow);
  Send(WM_LBUTTONUP, CellPoint(0, 3));
  EXPECT_EQ(Selection(), (Range{kNoPosition, kNoPosition})) << "a click leaves nothing";
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_TRUE(Grayed(CmdCopy));
  EXPECT_TRUE(Grayed(CmdAppendCopy));
}

TEST_F(ViewInHand, ADragEndsWhenTheMouseIsTakenOrTheSelectionIsSetOtherwise) {
  Show("alpha beta gamma\r\nsecond line\r\n");
  // A popup or another window taking the mouse ends the drag where it stands.
  Send(WM_LBUTTONDOWN, CellPoint(0, 6), MK_LBUTTON);
  Send(WM_MOUSEMOVE, CellPoint(0, 10), MK_LBUTTON);
  SetCapture(gShell.mainWindow);
  host_.Pump();
  EXPECT_EQ(CurrentDocument()->MouseSelecting, 0);
  EXPECT_FALSE(Grayed(CmdCopy));
  ReleaseCapture();
  Send(WM_MOUSEMOVE, CellPoint(1, 3));
  EXPECT_EQ(Selection(), (Range{6, 10})) << "the selection no longer follows the pointer";
  Send(WM_LBUTTONDOWN, CellPoint(0, 2), MK_LBUTTON);
  ReleaseCapture();
  host_.Pump();
  EXPECT_EQ(Selection(), (Range{kNoPosition, kNoPosition})) << "taken before any move";
  EXPECT_TRUE(Grayed(CmdCopy));

  // Select all or a reload in the middle of a drag gives the mouse back, so that the next
  // click reaches the window it is meant for.
  Send(WM_LBUTTONDOWN, CellPoint(0, 6), MK_LBUTTON);
  Send(WM_MOUSEMOVE, CellPoint(0, 10), MK_LBUTTON);
  host_.Command(CmdSelectAll);
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_EQ(Selection(), (Range{0, 31}));
  Send(WM_MOUSEMOVE, CellPoint(0, 3), MK_LBUTTON);
  EXPECT_EQ(Selection(), (Range{0, 31}));
  Send(WM_LBUTTONDOWN, CellPoint(0, 6), MK_LBUTTON);
  ReloadCurrentDocument(-1);
  host_.Pump();
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_EQ(CurrentDocument()->MouseSelecting, 0);
}

TEST_F(ViewInHand, DragAboveTheViewScrollsALineAndFollows) {
  std::string text;
  for (int i = 0; i < 100; ++i) text += "line " + std::to_string(i) + "\r\n";
  Show(text);
  SendMessageW(gShell.viewWindow, WM_VIEW_JUMP, 0, 20);
  Send(WM_LBUTTONDOWN, CellPoint(22, 2), MK_LBUTTON);
  Send(WM_MOUSEMOVE, Point(-20, -5), MK_LBUTTON);
  EXPECT_EQ(CurrentDocument()->TopLine, 19);
  EXPECT_EQ(CurrentDocument()->SelectionEnd, LineStart(*CurrentDocument(), 19))
      << "left of the view: the first unit of the line under the pointer";
  Send(WM_LBUTTONUP, Point(-20, -5));
  EXPECT_EQ(CurrentDocument()->MouseSelecting, 0);
}

TEST_F(ViewInHand, DoubleClickTakesAWordAndAThirdPressTheLogicalLine) {
  Show(ShiftJis(L"漢字データー表示 foo_bar\r\n") + std::string(40, 'w') + " end\r\nlast\r\n");
  Send(WM_LBUTTONDBLCLK, CellPoint(0, 4));
  EXPECT_EQ(Selection(), (Range{2, 6})) << "katakana with its marks, without the kanji";
  Send(WM_TIMER, 0, 2);  // the double-click time is over: the next press drags
  Send(WM_LBUTTONDOWN, CellPoint(0, 10));
  EXPECT_EQ(Selection(), (Range{10, 10}));
  Send(WM_LBUTTONUP, CellPoint(0, 10));
  Send(WM_LBUTTONDBLCLK, CellPoint(0, 14));
  EXPECT_EQ(Selection(), (Range{13, 16})) << "the underscore ends the word";

  WrapAt(10);
  ASSERT_GE(CurrentDocument()->displayLineCount, 8);
  int32_t second = 0;
  while (LogicalLineOf(*CurrentDocument(), second) != 1) ++second;
  const int64_t start = LineStart(*CurrentDocument(), second);
  ASSERT_EQ(start, 18);
  ASSERT_EQ(LogicalLineOf(*CurrentDocument(), second + 2), 1) << "the line spans rows";
  Send(WM_LBUTTONDBLCLK, CellPoint(second + 1, 3));
  Send(WM_LBUTTONDOWN, CellPoint(second + 1, 3));  // posts the line selection
  Send(WM_LBUTTONUP, CellPoint(second + 1, 3));
  EXPECT_EQ(Selection(), (Range{start, start + 44})) << "the whole logical line";
  EXPECT_FALSE(Grayed(CmdCopy));
}

TEST_F(ViewInHand, CopiesWriteCrLfTextAndClearTheSelection) {
  Show("one\ntwo\nthree");
  host_.Command(CmdSelectAll);
  EXPECT_EQ(Selection(), (Range{0, 13}));
  host_.Command(CmdCopy);
  EXPECT_EQ(ClipboardText(), L"one\r\ntwo\r\nthree");
  EXPECT_EQ(Selection(), (Range{kNoPosition, kNoPosition}));
  EXPECT_TRUE(Grayed(CmdCopy));

  gOptions.Quote = u"> ";
  host_.Command(CmdSelectAll);
  host_.Command(CmdQuotedCopy);
  EXPECT_EQ(ClipboardText(), L"> one\r\n> two\r\n> three");

  const std::wstring old = L"abc";
  PutOnClipboard(&old);
  Send(WM_LBUTTONDBLCLK, CellPoint(0, 1));
  host_.Command(CmdAppendCopy);
  EXPECT_EQ(ClipboardText(), L"abcone") << "nothing is put between";
  PutOnClipboard(nullptr);
  Send(WM_LBUTTONDBLCLK, CellPoint(0, 1));
  host_.Command(CmdAppendCopy);
  EXPECT_EQ(ClipboardText(), L"(none)") << "a clipboard without text stays so";
  EXPECT_EQ(Selection(), (Range{kNoPosition, kNoPosition}));
}

TEST_F(ViewInHand, FindDialogOffersTheHistoryAndEntersTheText) {
  std::string text;
  for (int i = 0; i < 60; ++i) text += i == 40 ? "the bar line\r\n" : "filler\r\n";
  Show(text);
  gOptions.FindHist = {u"foo", u"bar"};
  gOptions.Regx = 0;
  std::wstring shown;
  LRESULT listed = 0;
  AnswerDialogs(host_, CmdFind, {On(L"検索", [&](HWND dialog) {
                  shown = ItemText(dialog, IDC_FIND_TEXT);
                  listed = SendMessageW(Item(dialog, IDC_FIND_TEXT), CB_GETCOUNT, 0, 0);
                  SetItemText(dialog, IDC_FIND_TEXT, L"bar");
                  Click(dialog, IDOK);
                })});
  EXPECT_EQ(shown, L"foo") << "the newest entry";
  EXPECT_EQ(listed, 2);
  EXPECT_EQ(gOptions.FindHist, (StringList{u"bar", u"foo"}));
  EXPECT_EQ(CurrentDocument()->TopLine, 40);
  EXPECT_FALSE(Grayed(CmdFindNext));
  // The next hit after the top line: none, so the view stays.
  host_.Command(CmdFindNext);
  EXPECT_EQ(CurrentDocument()->TopLine, 40);
  host_.Command(CmdTop);
  host_.Command(CmdFindNext);
  EXPECT_EQ(CurrentDocument()->TopLine, 40);
  host_.Command(CmdFindPrev);
  EXPECT_EQ(CurrentDocument()->TopLine, 40) << "nothing before the first hit";
}

TEST_F(ViewInHand, FindTakesTheSelectionAndTheRegexSwitchLocksTheCaseBox) {
  Show(std::string(100, 'x') + "\r\n");
  gOptions.Regx = 1;
  gOptions.Caps = 1;
  host_.Command(CmdSelectAll);
  std::wstring shown;
  bool caseEnabled = true, caseEnabledAfter = false;
  AnswerDialogs(host_, CmdFind, {On(L"検索", [&](HWND dialog) {
                  shown = ItemText(dialog, IDC_FIND_TEXT);
                  caseEnabled = IsWindowEnabled(Item(dialog, IDC_FIND_CASE));
                  SendMessageW(Item(dialog, IDC_FIND_REGEX), BM_CLICK, 0, 0);
                  caseEnabledAfter = IsWindowEnabled(Item(dialog, IDC_FIND_CASE));
                  PressEscape(dialog);
                })});
  EXPECT_EQ(shown, std::wstring(80, L'x')) << "the first 80 units of the selection";
  EXPECT_FALSE(caseEnabled);
  EXPECT_TRUE(caseEnabledAfter);
  EXPECT_EQ(Selection(), (Range{kNoPosition, kNoPosition})) << "gone even when cancelled";
  EXPECT_EQ(gOptions.Regx, 1) << "cancel keeps the switches";
  EXPECT_TRUE(gOptions.FindHist.empty());

  // A pattern the library rejects: its message in a box titled Vemora, no hits.
  std::wstring message;
  AnswerDialogs(host_, CmdFind,
                {On(L"検索",
                    [&](HWND dialog) {
                      SetItemText(dialog, IDC_FIND_TEXT, L"(x");
                      Click(dialog, IDOK);
                    }),
                 On(L"Vemora", [&](HWND box) {
                   message = ItemText(box, 0xFFFF);
                   Click(box, IDOK);
                 })});
  EXPECT_FALSE(message.empty());
  EXPECT_EQ(CurrentDocument()->hitPatternLength, 0);
  EXPECT_EQ(gOptions.FindHist, (StringList{u"(x"}));
}

TEST_F(ViewInHand, JumpDialogSendsTheViewToTheLine) {
  std::string text;
  for (int i = 0; i < 10; ++i) text += std::string(i == 3 ? 25 : 5, 'a' + i) + "\r\n";
  Show(text + std::string(200, '\n'));
  auto jump = [&](const wchar_t* typed) {
    AnswerDialogs(host_, CmdJump, {On(L"ジャンプ", [typed](HWND dialog) {
                    SetItemText(dialog, IDC_JUMP_LINE, typed);
                    Click(dialog, IDOK);
                  })});
    return CurrentDocument()->TopLine;
  };
  EXPECT_EQ(jump(L"25"), 24);
  EXPECT_EQ(jump(L""), 24) << "an empty field names no line";
  SendMessageW(gShell.viewWindow, WM_VIEW_JUMP, 0, 999999998);
  EXPECT_EQ(CurrentDocument()->TopLine, 24) << "nine digits past the end";
  EXPECT_EQ(jump(L"210"), 209) << "the last line becomes the top line";

  WrapAt(10);
  gFileTypes.entries[0].LineType = 1;
  EXPECT_EQ(jump(L"4"), 3) << "the first of the three rows of the fourth line";
  EXPECT_EQ(LogicalLineOf(*CurrentDocument(), 5), 3);
  EXPECT_EQ(jump(L"5"), 6);
}

TEST_F(ViewInHand, ContextMenuFollowsTheSelectionAndTheSource) {
  Show("text\r\n");
  auto states = [] {
    HMENU menu = BuildViewContextMenu();
    std::vector<UINT> result;
    for (UINT command : {CmdCopy, CmdAppendCopy, CmdQuotedCopy, CmdCharacterInfo, CmdOpenWithTool})
      result.push_back(GetMenuState(menu, command, MF_BYCOMMAND) & MF_GRAYED);
    wchar_t text[64] = {};
    GetMenuStringW(menu, 5, text, 64, MF_BYPOSITION);
    EXPECT_STREQ(text, L"ツールで開く(&E)");
    DestroyMenu(menu);
    return result;
  };
  EXPECT_EQ(states(), (std::vector<UINT>{MF_GRAYED, MF_GRAYED, MF_GRAYED, MF_GRAYED, 0}));
  host_.Command(CmdSelectAll);
  EXPECT_EQ(states(), (std::vector<UINT>{0, 0, 0, 0, 0}));
  // Text from the clipboard cannot be opened with a tool.
  const std::wstring clip = L"pasted";
  PutOnClipboard(&clip);
  ShowClipboardText();
  host_.Command(CmdSelectAll);
  EXPECT_EQ(states(), (std::vector<UINT>{0, 0, 0, 0, MF_GRAYED}));
}

TEST_F(ViewInHand, SelectionSurvivesARelayoutWhileItStaysInTheText) {
  Show("some text that wraps somewhere\r\n");
  host_.Command(CmdSelectAll);
  WrapAt(8);
  EXPECT_EQ(Selection(), (Range{0, 32}));
  CurrentDocument()->SelectionEnd = 40;  // as if the text had become shorter
  WrapAt(12);
  EXPECT_EQ(Selection(), (Range{kNoPosition, kNoPosition}));
}

}  // namespace
}  // namespace vemora::testing
