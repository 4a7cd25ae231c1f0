// The filter as a user meets it: the dialog and its switches, the menu states, the title,
// the status bar and line numbers of the filtered view, the jump, the way back, a reload
// in another encoding, a rejected expression, a long search beside the window and beside
// a find, and the reader's place through a large view that grows and through Esc. (A
// followed log: e2e/filter_log.sh.)
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/keys/commands.h"
#include "core/layout/layout.h"
#include "core/search/filtered_view.h"
#include "core/search/search.h"
#include "core/tools/tool_command.h"
#include "win/platform/text_conversion.h"
#include "win/platform/text_measure.h"
#include "win/resources/resource_ids.h"
#include "win/search/find_search.h"
#include "win/shell/app_state.h"
#include "win/shell/document_actions.h"
#include "win/shell/load_steps.h"
#include "win/shell/main_layout.h"
#include "win/view/view_lines.h"
#include "win/view/view_window.h"
#include "dialog_script.h"
#include "viewer_host.h"

namespace vemora::testing {
namespace {

// Line n (from 1) of the log: every third holds "エラー", every fifth "警告".
std::string LogLine(int n) {
  std::string line = "line " + std::to_string(n);
  if (n % 3 == 0) line += " \xE3\x82\xA8\xE3\x83\xA9\xE3\x83\xBC";  // エラー
  if (n % 5 == 0) line += " \xE8\xAD\xA6\xE5\x91\x8A";              // 警告
  return line + "\r\n";
}
std::string Log(int from, int to) {
  std::string text;
  for (int n = from; n <= to; ++n) text += LogLine(n);
  return text;
}
// The lines of the log from `from` to `to` that `keep` keeps, as the view holds them.
template <typename Keep>
std::wstring Kept(int from, int to, Keep keep) {
  std::string text;
  for (int n = from; n <= to; ++n)
    if (keep(n)) text += LogLine(n);
  return Wide(text);
}

// Filters through the dialog as a user does: types the text, sets the switches, OK; `more`
// answers what the search shows when it ends.
::testing::AssertionResult Filter(ViewerHost& host, const std::wstring& text, bool regex,
                                  bool invert, std::vector<DialogScript::Step> more = {}) {
  more.insert(more.begin(), On(L"絞り込み", [&](HWND dialog) {
                SetItemText(dialog, IDC_FIND_TEXT, text);
                SetCheck(dialog, IDC_FIND_REGEX, regex);
                SetCheck(dialog, IDC_FILTER_INVERT, invert);
                Click(dialog, IDOK);
              }));
  const bool waitForTheEnd = more.size() > 1;
  return RunScripted(
      [&] {
        host.Command(CmdFilter);
        if (waitForTheEnd)
          PumpUntil(
              host, [] { return !FilterSearchRunning(); }, 60000);
      },
      more);
}

::testing::AssertionResult Find(ViewerHost& host, const std::wstring& text, bool regex) {
  return RunScripted([&] { host.Command(CmdFind); }, {On(L"検索", [&](HWND dialog) {
                       SetItemText(dialog, IDC_FIND_TEXT, text);
                       SetCheck(dialog, IDC_FIND_REGEX, regex);
                       Click(dialog, IDOK);
                     })});
}

// Nothing follows the a's: every start in them scans to the end of the text, so this
// expression runs for minutes over them (its cost grows with the square of the line).
constexpr wchar_t kEndless[] = L"a*[^a][^a]";
std::string WithLongLine(const std::string& text) {
  return text + std::string(300000, 'a');
}

// The view shown has the display lines the window gives a text it lays out itself.
void ExpectLaidOutAsAlone(const std::string& label) {
  const Document& view = *CurrentDocument();
  ASSERT_TRUE(view.filter) << label;
  Document alone;
  alone.text = view.text;
  alone.textLength = view.textLength;
  GdiTextMeasure measure(gShell.viewWindow, gView.ViewFont);
  LayoutDocument(alone, CurrentLayoutParameters(), measure);
  ASSERT_EQ(view.displayLineCount, alone.displayLineCount) << label;
  for (int32_t d = 0; d <= alone.displayLineCount; ++d) {
    ASSERT_EQ(view.lineTable.StartOf(d), alone.lineTable.StartOf(d)) << label << " line " << d;
    ASSERT_EQ(view.lineTable.LogicalOf(d), alone.lineTable.LogicalOf(d)) << label;
  }
}

class FilterTest : public ::testing::Test {
 protected:
  void Open(const std::string& bytes, const std::wstring& options = L"--utf8") {
    path_ = host_.Folder().Write(L"app.log", bytes);
    ASSERT_TRUE(host_.Start(options + L" \"" + path_ + L"\""));
  }
  ViewerHost host_;
  std::wstring path_;
};

TEST_F(FilterTest, TheDialogSharesTheFindHistoryAndSwitches) {
  Open(Log(1, 30));
  gOptions.FindHist = {u"foo", u"bar"};
  gOptions.Regx = 1;
  EXPECT_FALSE(Grayed(CmdFilter));
  EXPECT_TRUE(Grayed(CmdUnfilter)) << "nothing to undo yet";
  ASSERT_TRUE(
      RunScripted([&] { host_.Command(CmdFilter); }, {On(L"絞り込み", [](HWND dialog) {
                    EXPECT_EQ(ItemText(dialog, IDC_FIND_TEXT), L"foo");
                    EXPECT_EQ(SendDlgItemMessageW(dialog, IDC_FIND_TEXT, CB_GETCOUNT, 0, 0), 2);
                    EXPECT_TRUE(IsChecked(dialog, IDC_FIND_REGEX));
                    EXPECT_FALSE(IsWindowEnabled(Item(dialog, IDC_FIND_CASE)))
                        << "case applies to plain text only";
                    EXPECT_EQ(ItemText(dialog, IDC_FILTER_INVERT), L"一致しない行を表示する(&V)");
                    SetCheck(dialog, IDC_FIND_REGEX, false);
                    SendMessageW(dialog, WM_COMMAND, IDC_FIND_REGEX, 0);
                    EXPECT_TRUE(IsWindowEnabled(Item(dialog, IDC_FIND_CASE)));
                    SetItemText(dialog, IDC_FIND_TEXT, L"警告");
                    Click(dialog, IDOK);
                  })}));
  EXPECT_EQ(gOptions.Regx, 0) << "the switches are the find's";
  EXPECT_EQ(gOptions.FindHist, (StringList{u"警告", u"foo", u"bar"}));
  EXPECT_EQ(ShownText(), Kept(1, 30, [](int n) { return n % 5 == 0; }));
  EXPECT_FALSE(Grayed(CmdUnfilter));
}

TEST_F(FilterTest, TheViewNumbersItsLinesAsTheFileDoesAndGoesBackToTheSameLine) {
  Open(Log(1, 200));
  SendMessageW(gShell.viewWindow, WM_VIEW_JUMP, 0, 40);  // line 41 at the top
  host_.Pump();
  ASSERT_EQ(CurrentDocument()->TopLine, 40) << gView.VisibleRows;
  ASSERT_TRUE(Filter(host_, L"エラー", false, false));
  const Document& view = *CurrentDocument();
  EXPECT_EQ(ShownText(), Kept(1, 200, [](int n) { return n % 3 == 0; }));
  SendMessageW(gShell.mainWindow, WM_ACTIVATE, WA_ACTIVE, 0);
  EXPECT_EQ(host_.Title(), ToWide(view.name) + L" [絞り込み] - Vemora");
  SendMessageW(gShell.mainWindow, WM_ACTIVATE, WA_INACTIVE, 0);
  EXPECT_EQ(host_.Title(), L"app.log [絞り込み] - Vemora");
  EXPECT_EQ(view.TopLine, 13) << "the first kept line at or after line 41 is line 42";
  EXPECT_EQ(host_.StatusText(2), L"先頭:42行目");
  for (int32_t lineType : {0, 1})
    EXPECT_EQ(ShownLineNumber(view, 1, lineType), 6) << "the gutter's number, either rule";
  EXPECT_TRUE(view.hitPatternLength > 0 && !Grayed(CmdFindNext)) << "the hits are highlighted";
  FileTypeSetting tool = CurrentFileType();
  tool.Editor = u"edit +$L $F";
  EXPECT_TRUE(ExpandToolCommand(view, tool).starts_with(u"edit +42 "));

  // Jump takes a line of the file and goes to the first kept line from there on.
  SendMessageW(gShell.viewWindow, WM_VIEW_JUMP, 0, 99);  // line 100
  host_.Pump();
  EXPECT_EQ(host_.StatusText(2), L"先頭:102行目");
  SendMessageW(gShell.viewWindow, WM_VIEW_JUMP, 0, 199);
  host_.Pump();
  EXPECT_EQ(host_.StatusText(2), L"先頭:102行目") << "no kept line from 200 on: a beep";

  host_.Command(CmdUnfilter);
  EXPECT_EQ(ShownText(), Wide(Log(1, 200)));
  EXPECT_TRUE(host_.Title().ends_with(L"app.log - Vemora")) << host_.Title();
  EXPECT_EQ(host_.StatusText(2), L"先頭:102行目");
  EXPECT_TRUE(Grayed(CmdUnfilter));
}

// The view shown has the display lines the window gives a document it lays out itself,
// whether it took them from the whole document's layout or the filter's worker made them
// (once the file type changed while a view was shown, the whole one's layout is stale).
TEST_F(FilterTest, TheViewIsLaidOutAsTheWindowLaysItOut) {
  std::string text;
  for (int n = 1; n <= 400; ++n) {
    text += "line " + std::to_string(n) + std::string(static_cast<size_t>(n % 23), 'x');
    if (n % 3 == 0) text += "\t\xE3\x82\xA8\xE3\x83\xA9\xE3\x83\xBC";  // エラー
    text += n % 11 == 0 ? "\n" : "\r\n";
  }
  Open(text);
  auto wrapAt = [&](int32_t fold) {
    const FileTypeSetting previous = gFileTypes.entries[0];
    gFileTypes.entries[0].FoldRight = 0;
    gFileTypes.entries[0].Fold = fold;
    ApplyFileTypeSetting(previous);
    host_.Pump();
  };
  auto expectLaidOutAsAlone = ExpectLaidOutAsAlone;
  wrapAt(12);
  ASSERT_TRUE(Filter(host_, L"エラー", false, false));
  expectLaidOutAsAlone("from the whole document's layout");
  EXPECT_GT(CurrentDocument()->displayLineCount, 2 * 133) << "lines wrap";
  wrapAt(17);
  expectLaidOutAsAlone("laid out again for the new file type");
  ASSERT_TRUE(Filter(host_, L"x{20}", true, true));
  expectLaidOutAsAlone("by the worker, the whole document's layout being stale");
  host_.Command(CmdUnfilter);
  EXPECT_EQ(ShownText(), Wide(text));
}

// A large file's view shows its first lines while the worker goes on (its last line holds
// an expression's slow case), numbered, titled and laid out as a whole view, wrapping at
// the window's edge, and grows into the whole view; Esc while it grows gives the whole
// document back.
TEST_F(FilterTest, ALargeViewShowsItsFirstLinesWhileItsWorkerGoesOn) {
  std::string text;
  for (int n = 1; n <= 200000; ++n)
    text += "line " + std::to_string(n) + (n % 3 == 0 ? " xbc" : "") + (n % 7 ? "\r\n" : "\n");
  const std::string log = text;
  text += std::string(20000, 'a') + "bc";  // no match, after a long while
  Open(text);
  ASSERT_EQ(CurrentFileType().FoldRight, 1);
  const std::wstring pattern = L"a*[b-z][b-z]c";
  auto firstLinesShown = [&] {
    return PumpUntil(
        host_, [] { return CurrentDocument()->filter && CurrentDocument()->displayLineCount; },
        10000);
  };
  std::wstring kept;
  for (size_t at = 0, next; at < log.size(); at = next) {
    next = log.find('\n', at) + 1;
    const std::string line = log.substr(at, next - at);
    if (line.find(" xbc") != std::string::npos) kept += Wide(line);
  }

  ASSERT_TRUE(Filter(host_, pattern, true, false));
  ASSERT_TRUE(firstLinesShown());
  ASSERT_TRUE(FilterSearchRunning()) << "the slow line is still being searched";
  const Document* view = CurrentDocument();
  EXPECT_LT(view->textLength, static_cast<int64_t>(kept.size()));
  EXPECT_EQ(ShownText(), kept.substr(0, static_cast<size_t>(view->textLength)));
  EXPECT_EQ(ShownLineNumber(*view, 1, 0), 6);
  EXPECT_TRUE(host_.Title().ends_with(L"app.log [絞り込み] - Vemora")) << host_.Title();
  ExpectLaidOutAsAlone("the first lines");
  EXPECT_EQ(AnswersFromAnotherThread(host_, 5), 5);
  ASSERT_TRUE(PumpUntil(
      host_, [] { return !FilterSearchRunning(); }, 60000));
  EXPECT_EQ(CurrentDocument(), view) << "the view grew in place";
  EXPECT_EQ(ShownText(), kept);
  ExpectLaidOutAsAlone("the whole view");
  EXPECT_EQ(FileLineOf(*view, view->displayLineCount - 1) + 1, 199998);

  host_.Command(CmdUnfilter);
  ASSERT_TRUE(Filter(host_, pattern, true, false));
  ASSERT_TRUE(firstLinesShown());
  ASSERT_TRUE(FilterSearchRunning());
  EXPECT_TRUE(PressEscapeToSearch());
  host_.Pump();
  EXPECT_FALSE(CurrentDocument()->filter) << "a view cut short is not left as the filter's";
  EXPECT_EQ(ShownText(), Wide(text));
  EXPECT_TRUE(host_.Title().ends_with(L"app.log - Vemora")) << host_.Title();
}

// A large file's view grows from first lines that end before the reader's place: it moves
// to the first kept line at or after the file line that was at the top as soon as that
// line has come (while the worker goes on, or at its end), unless the reader moved it
// first, and the way back returns there. Esc while a view grows gives back what was shown
// before, the whole document or a filtered view, at its own top line.
TEST_F(FilterTest, ALargeViewOpensAtTheReadersPlaceAndEscGivesBackTheViewBefore) {
  // Three chunks at least: the first ends before the place, the last holds a slow line.
  std::string text;
  for (int n = 1; n <= 240000; ++n)
    text += "line " + std::to_string(n) + (n % 3 == 0 ? " xbc" : "") + "\r\n";
  text += std::string(30000, 'a') + "bc";
  Open(text);
  const std::wstring slow = L"a*[b-z][b-z]c";
  auto fileTop = [] { return FileLineOf(*CurrentDocument(), CurrentDocument()->TopLine); };
  auto jump = [&](int32_t fileLine) {
    SendMessageW(gShell.viewWindow, WM_VIEW_JUMP, 0, fileLine);
    host_.Pump();
  };
  auto filterGrows = [&](const std::wstring& pattern, bool regex) {
    return Filter(host_, pattern, regex, false) &&
           PumpUntil(
               host_,
               [] { return CurrentDocument()->filter && CurrentDocument()->filter->growing; },
               10000);
  };
  auto escape = [&] {
    EXPECT_TRUE(PressEscapeToSearch());
    host_.Pump();
  };

  jump(108000);  // "line 108001"; the first kept line from there is "line 108003"
  ASSERT_EQ(fileTop(), 108000);
  ASSERT_TRUE(filterGrows(slow, true));
  EXPECT_TRUE(PumpUntil(
      host_, [&] { return fileTop() == 108002; }, 20000))
      << fileTop();
  EXPECT_TRUE(FilterSearchRunning()) << "the place came before the worker's end";
  ASSERT_TRUE(PumpUntil(
      host_, [] { return !FilterSearchRunning(); }, 60000));
  EXPECT_EQ(fileTop(), 108002);
  EXPECT_EQ(host_.StatusText(2), L"先頭:108003行目");
  host_.Command(CmdUnfilter);
  EXPECT_EQ(fileTop(), 108002) << "the way back keeps the place";

  // A place that comes only with the worker's end: the view goes there then, unless the
  // reader has moved it meanwhile.
  for (const bool readerMoves : {false, true}) {
    jump(230000);  // "line 230001", which is kept, in the last chunk
    ASSERT_TRUE(filterGrows(slow, true));
    int32_t movedTo = -1;
    if (readerMoves) {
      host_.Command(CmdLineUp);
      movedTo = fileTop();
    }
    ASSERT_TRUE(PumpUntil(
        host_, [] { return !FilterSearchRunning(); }, 60000));
    EXPECT_EQ(fileTop(), readerMoves ? movedTo : 230000) << readerMoves;
    host_.Command(CmdUnfilter);
  }

  jump(108000);
  ASSERT_TRUE(filterGrows(slow, true));
  escape();
  EXPECT_FALSE(CurrentDocument()->filter);
  EXPECT_EQ(fileTop(), 108000) << "the whole document at its own top line";

  ASSERT_TRUE(Filter(host_, L"7 xbc", false, false));
  ASSERT_TRUE(PumpUntil(
      host_, [] { return !FilterSearchRunning(); }, 60000));
  jump(150000);
  const std::wstring before = ShownText();
  const int32_t top = CurrentDocument()->TopLine;
  ASSERT_TRUE(filterGrows(slow, true));
  escape();
  ASSERT_TRUE(CurrentDocument()->filter);
  EXPECT_EQ(CurrentDocument()->filter->request.text, u"7 xbc");
  EXPECT_EQ(ShownText(), before);
  EXPECT_EQ(CurrentDocument()->TopLine, top) << "the filtered view at its own top line";
  host_.Command(CmdUnfilter);
  EXPECT_EQ(fileTop(), 150026) << "line 150027, the first kept from line 150001";

  // A reload of a filtered view opens the whole document behind it at the reader's file
  // line, which is what Esc on the filter run again would give back.
  ASSERT_TRUE(Filter(host_, L"7 xbc", false, false));
  ASSERT_TRUE(PumpUntil(
      host_, [] { return !FilterSearchRunning(); }, 60000));
  ASSERT_EQ(fileTop(), 150026);
  ReloadCurrentDocument(-1);
  ASSERT_TRUE(PumpUntil(
      host_, [] { return !LoadRunning() && !FilterSearchRunning(); }, 60000));
  const Document& whole = FileDocumentOf(*CurrentDocument());
  EXPECT_EQ(FileLineOf(whole, whole.TopLine), 150026) << "the whole document after a reload";
  EXPECT_EQ(fileTop(), 150026);
}

// Esc, a new filter and a reload each stop the running filter's worker, which then tells
// the window of its end at once instead of searching on for minutes.
TEST_F(FilterTest, EscANewFilterAndAReloadStopTheRunningWorker) {
  Open(WithLongLine(Log(1, 20)));
  const FilterRequest endless{u"a*[^a][^a]", 0, 1, 0};
  // A worker's end comes to the window as a message, a stopped one's as well.
  auto aWorkerEnds = [&] {
    const ULONGLONG end = GetTickCount64() + 10000;
    MSG message;
    while (!PeekMessageW(&message, gShell.mainWindow, WM_SEARCH_FINISHED, WM_SEARCH_FINISHED,
                         PM_NOREMOVE)) {
      if (GetTickCount64() > end) return false;
      Sleep(5);
    }
    host_.Pump();
    return true;
  };
  StartFilterSearch(endless, -1);
  ASSERT_TRUE(FilterSearchRunning());
  EXPECT_TRUE(PressEscapeToSearch());
  EXPECT_TRUE(aWorkerEnds()) << "Esc";
  StartFilterSearch(endless, -1);
  StartFilterSearch(endless, -1);
  EXPECT_TRUE(aWorkerEnds()) << "a new filter";
  ReloadCurrentDocument(-1);
  EXPECT_TRUE(aWorkerEnds()) << "a reload";
  EXPECT_TRUE(FilterSearchRunning()) << "started again over the new text";
}

TEST_F(FilterTest, InvertedEmptyAndRejectedFilters) {
  Open(Log(1, 20));
  ASSERT_TRUE(Filter(host_, L"エラー|警告", true, true));
  EXPECT_EQ(ShownText(), Kept(1, 20, [](int n) { return n % 3 != 0 && n % 5 != 0; }));
  EXPECT_TRUE(CurrentDocument()->hits.Empty());

  // A second filter filters the whole file again, not the view.
  ASSERT_TRUE(Filter(host_, L"警告", false, false));
  EXPECT_EQ(ShownText(), Kept(1, 20, [](int n) { return n % 5 == 0; }));

  ASSERT_TRUE(Filter(host_, L"見つからない", false, false));
  EXPECT_EQ(ShownText(), L"");
  EXPECT_EQ(host_.StatusText(2), L"0行");
  EXPECT_FALSE(Grayed(CmdUnfilter));
  // An empty view starts at its top, so the lines a followed file brings show from there.
  EXPECT_EQ(CurrentDocument()->TopLine, 0);

  // A rejected expression: the find's message, and the view stays as it was.
  ASSERT_TRUE(RunScripted([&] { host_.Command(CmdFilter); },
                          {On(L"絞り込み",
                              [](HWND dialog) {
                                SetItemText(dialog, IDC_FIND_TEXT, L"a(");
                                SetCheck(dialog, IDC_FIND_REGEX, true);
                                Click(dialog, IDOK);
                              }),
                           On(L"Vemora", [](HWND box) { Click(box, IDOK); })}));
  EXPECT_EQ(ShownText(), L"");
  EXPECT_EQ(host_.StatusText(2), L"0行");
  host_.Command(CmdUnfilter);
  EXPECT_EQ(ShownText(), Wide(Log(1, 20)));
}

TEST_F(FilterTest, AReloadInAnotherEncodingKeepsTheFilter) {
  Open("abc\r\n" + ShiftJis(L"東京\r\n") + "x abc\r\n", L"--utf8");
  ASSERT_TRUE(Filter(host_, L"abc", false, false));
  EXPECT_EQ(ShownText(), L"abc\r\nx abc\r\n");
  host_.Command(CmdEncodingSjis);
  EXPECT_EQ(CurrentDocument()->encoding, 0);
  EXPECT_EQ(host_.StatusText(0), L"SHIFT-JIS");
  EXPECT_EQ(ShownText(), L"abc\r\nx abc\r\n");
  EXPECT_TRUE(host_.Title().ends_with(L"app.log [絞り込み] - Vemora")) << host_.Title();
  host_.Command(CmdUnfilter);
  EXPECT_EQ(ShownText(), L"abc\r\n東京\r\nx abc\r\n");
}

// A filter that would run for minutes leaves the window answering another thread at once;
// Esc stops it and leaves the view as it was, unfiltered or with the filter before; a
// reload starts it again over the new text and another file ends it.
TEST_F(FilterTest, ALongFilterLeavesTheWindowAnsweringAndEscKeepsTheView) {
  const std::string text = WithLongLine(Log(1, 20));
  Open(text);
  ASSERT_TRUE(Filter(host_, kEndless, true, false));
  ASSERT_TRUE(FilterSearchRunning());
  EXPECT_EQ(AnswersFromAnotherThread(host_, 5), 5);
  EXPECT_TRUE(ShowsWaitCursor());
  EXPECT_TRUE(PressEscapeToSearch());
  EXPECT_FALSE(FilterSearchRunning());
  EXPECT_FALSE(ShowsWaitCursor());
  host_.Pump();
  EXPECT_EQ(ShownText(), Wide(text));
  EXPECT_TRUE(Grayed(CmdUnfilter));

  ASSERT_TRUE(Filter(host_, L"警告", false, false));
  const std::wstring kept = Kept(1, 20, [](int n) { return n % 5 == 0; });
  ASSERT_EQ(ShownText(), kept) << "a short filter is shown before the command ends";
  ASSERT_TRUE(Filter(host_, kEndless, true, false));
  ASSERT_TRUE(FilterSearchRunning());
  EXPECT_EQ(ShownText(), kept);
  EXPECT_TRUE(PressEscapeToSearch());
  host_.Pump();
  EXPECT_EQ(ShownText(), kept) << "the filter before stays";
  EXPECT_TRUE(host_.Title().ends_with(L"app.log [絞り込み] - Vemora")) << host_.Title();

  ASSERT_TRUE(Filter(host_, kEndless, true, false));
  ReloadCurrentDocument(-1);
  host_.Pump();
  EXPECT_TRUE(FilterSearchRunning());
  OpenDocument(ToUtf16(host_.Folder().Write(L"other.txt", "aa\r\n")), 0, -1);
  EXPECT_FALSE(FilterSearchRunning());
  host_.Pump();
  EXPECT_EQ(ShownText(), L"aa\r\n");
  OpenDocument(ToUtf16(path_), 0, -1);
  ASSERT_TRUE(Filter(host_, kEndless, true, false));
  host_.Close();
  EXPECT_FALSE(FilterSearchRunning()) << "closing stops it";
}

// A find and a filter may run together; each result goes only to the text it was searched
// on: a find whose text the filter replaced starts again over the view, and a find shown
// while a filter runs stays on the whole text when the filter is stopped.
TEST_F(FilterTest, AFindAndAFilterKeepToTheirOwnText) {
  const std::string text = WithLongLine(Log(1, 20));
  Open(text);
  ASSERT_TRUE(Find(host_, kEndless, true));
  ASSERT_TRUE(FindSearchRunning());
  ASSERT_TRUE(Filter(host_, L"エラー", false, false));
  EXPECT_EQ(ShownText(), Kept(1, 20, [](int n) { return n % 3 == 0; }));
  // Without the long line the search over the view ends soon.
  ASSERT_TRUE(PumpUntil(
      host_, [] { return !FindSearchRunning(); }, 20000));
  const Document& view = *CurrentDocument();
  const HitCollection expected = CollectHits(view.Text(), u"a*[^a][^a]", 0, 1);
  ASSERT_EQ(view.hits.Size(), expected.hits.Size());
  for (int32_t i = 0; i < expected.hits.Size(); ++i)
    EXPECT_EQ(view.hits[i].start, expected.hits[i].start) << i;

  host_.Command(CmdUnfilter);
  ASSERT_TRUE(Filter(host_, kEndless, true, false));
  ASSERT_TRUE(FilterSearchRunning());
  ASSERT_TRUE(Find(host_, L"警告", false));
  EXPECT_EQ(CurrentDocument()->hits.Size(), 4) << "the find is shown on the whole text";
  EXPECT_TRUE(FilterSearchRunning());
  EXPECT_TRUE(PressEscapeToSearch());
  EXPECT_FALSE(FilterSearchRunning() || FindSearchRunning());
  host_.Pump();
  EXPECT_EQ(ShownText(), Wide(text));
  EXPECT_EQ(CurrentDocument()->hits.Size(), 4);
}

// The library gives up on the line of a's at its backtracking limit: the other lines are
// still filtered, and the find's message says on how many lines the search was not done.
TEST_F(FilterTest, LinesTheLibraryGivesUpOnAreReported) {
  Open(std::string(40, 'a') + "!\r\nfound it\r\n");
  std::wstring message;
  ASSERT_TRUE(Filter(host_, L"found|(\\w+\\s?)+$", true, false, {On(L"Vemora", [&](HWND box) {
                       message = ItemText(box, 0xFFFF);
                       Click(box, IDOK);
                     })}));
  EXPECT_EQ(message, L"1 行で検索を最後まで行えませんでした。");
  EXPECT_EQ(ShownText(), L"found it\r\n");
}

}  // namespace
}  // namespace vemora::testing
