// A file loaded in steps, with the steps made small and the load paused part way so that
// nothing depends on timing: the first page, title and progress while "VemoraLoading" is
// set, a window that answers, commands that need the whole document waiting for its end
// (and Esc dropping them), another file or closing stopping the load, memory running out
// or the file cut short stopping it too, and an encoding that only the end of the file
// answers.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "core/keys/commands.h"
#include "core/platform/out_of_memory.h"
#include "core/text/document_loader.h"
#include "win/shell/app_state.h"
#include "win/shell/document_actions.h"
#include "win/shell/load_steps.h"
#include "win/platform/text_conversion.h"
#include "win/shell/status_bar.h"
#include "cut_from_outside.h"
#include "dialog_script.h"
#include "viewer_host.h"

namespace vemora::testing {
namespace {

constexpr int kLineCount = 20000;         // "line 1" to "line 20000": about 250 KB
constexpr int kMappedLineCount = 100000;  // over a megabyte: read through its mapped pages
constexpr int64_t kPauseAt = 60000;
constexpr int kMessageText = 0xFFFF;  // the text of a message box

// Small steps, the workers waiting at kPauseAt until the test lets them go on.
class PausedSteps {
 public:
  PausedSteps() : saved_(LoadStepOptions()) {
    LoadStepOptions().firstStepBytes = 4096;
    LoadStepOptions().chunkBytes = 4096;
    LoadStepOptions().pauseAtByte = kPauseAt;
  }
  ~PausedSteps() { LoadStepOptions() = saved_; }

 private:
  LoadJobOptions saved_;
};

bool Loading() {
  return GetPropW(gShell.mainWindow, kLoadingProperty) != nullptr;
}

int StatusParts() {
  return static_cast<int>(SendMessageW(gShell.statusBar, SB_GETPARTS, 0, 0));
}

// Starts the viewer on the file and waits until the load has joined every step before
// the pause.
void StartPaused(ViewerHost& host, const std::wstring& arguments) {
  ASSERT_TRUE(host.Start(arguments));
  ASSERT_TRUE(LoadRunning());
  ASSERT_TRUE(PumpUntil(
      host, [] { return LoadWaitsAtPauseAndShowsAll(); }, 10000));
}

void ResumeToTheEnd(ViewerHost& host) {
  RunningLoadJob()->Resume();
  ASSERT_TRUE(PumpUntil(
      host, [] { return !LoadRunning(); }, 10000));
  host.Pump();
}

TEST(LoadSteps, FirstPageAtOnceThenTheRestWhileCommandsThatNeedTheEndWait) {
  PausedSteps steps;
  ViewerHost host;
  const std::string text = Lines(kLineCount);
  const std::wstring path = host.Folder().Write(L"large.txt", text);
  StartPaused(host, Quoted(path));
  // The first page, the title and the progress are there while the rest is still to come.
  EXPECT_TRUE(Loading());
  EXPECT_NE(std::wstring::npos, host.Title().find(L"large.txt"));
  EXPECT_EQ(6, StatusParts());
  EXPECT_EQ(0u, host.StatusText(kStatusLoadPart).find(L"読込中 2"));
  const Document& partial = *CurrentDocument();
  EXPECT_GE(partial.textLength, kPauseAt);
  EXPECT_LT(partial.textLength, 70000);
  EXPECT_EQ(std::wstring(ShownText()), Wide(text.substr(0, partial.textLength)));
  SCROLLINFO bar = Bar(SB_VERT);
  EXPECT_GE(bar.nMax, 4000) << "the scroll bar covers the lines joined so far";
  EXPECT_EQ(5, AnswersFromAnotherThread(host, 5));
  // Paging goes through what is loaded; the end of the file waits, with the wait cursor.
  host.Command(CmdPageDown);
  const int32_t paged = CurrentDocument()->TopLine;
  EXPECT_GT(paged, 0);
  host.Command(CmdBottom);
  EXPECT_EQ(paged, CurrentDocument()->TopLine);
  EXPECT_TRUE(ShowsWaitCursor());
  ResumeToTheEnd(host);
  // Then the whole text, the last line in view, and no trace of the load.
  EXPECT_FALSE(Loading());
  EXPECT_EQ(5, StatusParts());
  EXPECT_FALSE(ShowsWaitCursor());
  const Document& whole = *CurrentDocument();
  EXPECT_EQ(std::wstring(ShownText()), Wide(text));
  EXPECT_EQ(kLineCount, whole.displayLineCount);
  EXPECT_GE(whole.TopLine + gView.VisibleRows, kLineCount);
}

TEST(LoadSteps, JumpPastTheLoadedPartWaitsAndEscDropsAWaitingCommand) {
  PausedSteps steps;
  const std::string text = Lines(kLineCount);
  {
    ViewerHost host;
    StartPaused(host, L"-j 15000 " + Quoted(host.Folder().Write(L"jump.txt", text)));
    EXPECT_EQ(0, CurrentDocument()->TopLine) << "line 15000 is not loaded yet";
    ResumeToTheEnd(host);
    EXPECT_EQ(14999, CurrentDocument()->TopLine);
  }
  {
    ViewerHost host;
    StartPaused(host, Quoted(host.Folder().Write(L"escape.txt", text)));
    host.Command(CmdBottom);
    EXPECT_TRUE(ShowsWaitCursor());
    const MSG escape{gShell.viewWindow, WM_KEYDOWN, VK_ESCAPE, 0, 0, {}};
    EXPECT_TRUE(DropWaitingCommandOnEscape(escape));
    EXPECT_FALSE(ShowsWaitCursor());
    EXPECT_TRUE(LoadRunning()) << "the load goes on";
    ResumeToTheEnd(host);
    EXPECT_EQ(0, CurrentDocument()->TopLine);
    EXPECT_EQ(kLineCount, CurrentDocument()->displayLineCount);
  }
}

TEST(LoadSteps, AnotherFileOrClosingStopsTheLoad) {
  PausedSteps steps;
  const std::string text = Lines(kLineCount);
  ViewerHost host;
  StartPaused(host, Quoted(host.Folder().Write(L"first.txt", text)));
  host.Command(CmdBottom);
  OpenDocument(ToUtf16(host.Folder().Write(L"second.txt", "second\r\n")), 0, -1);
  host.Pump();
  EXPECT_FALSE(LoadRunning());
  EXPECT_FALSE(Loading());
  EXPECT_EQ(5, StatusParts());
  EXPECT_FALSE(ShowsWaitCursor()) << "the waiting command went with the load";
  EXPECT_EQ(L"second\r\n", ShownText());
  // A second large file, then the window closes in the middle of its load.
  OpenDocument(ToUtf16(host.Folder().Write(L"third.txt", text)), 0, -1);
  ASSERT_TRUE(LoadRunning());
  host.Close();
  EXPECT_FALSE(LoadRunning());
}

// ASCII lines, and only the last one above ASCII: narrow UTF-8, which no line decides, so
// that only the end of the file answers. The load then reads the file again as UTF-8.
TEST(LoadSteps, AnAnswerThatOnlyTheEndGivesReadsTheFileAgain) {
  PausedSteps steps;
  const std::string text = Lines(kLineCount) +
                           "20\xC2\xB0"
                           "C\r\n";
  ViewerHost host;
  StartPaused(host, Quoted(host.Folder().Write(L"signs.txt", text)));
  EXPECT_EQ(L"SHIFT-JIS", host.StatusText(kStatusEncodingPart));
  LoadStepOptions().pauseAtByte = -1;  // the load made again goes through
  ResumeToTheEnd(host);
  EXPECT_EQ(L"UTF8", host.StatusText(kStatusEncodingPart));
  const std::wstring shown = ShownText();
  EXPECT_TRUE(shown == Wide(text)) << "the last line: " << ShiftJis(shown.substr(shown.size() - 6));
}

// A load stopped part way, by a worker that cannot allocate or by another program cutting
// the file short (its lost pages read as zeros), stops nothing else: the window keeps the
// part joined, shown as a finished load's is, says why once, drops the command that waited
// for the end, and goes on working. Following the file then reads it again rather than
// appending what it gains to a text that lacks the rest.
TEST(LoadSteps, ALoadStoppedPartWayKeepsThePartJoinedAndFollowingReadsTheFileAgain) {
  constexpr int64_t kStopAt = kPauseAt + 20000;
  const struct {
    const wchar_t* name;
    bool cut;  // the file is cut to kStopAt bytes; else memory runs out there
    const char16_t* message;
  } cases[] = {{L"memory", false, kOutOfMemoryMessage}, {L"cut short", true, kFileCutShortMessage}};
  const std::string text = Lines(kMappedLineCount);
  for (const auto& c : cases) {
    PausedSteps steps;
    if (!c.cut) LoadStepOptions().failAtByte = kStopAt;
    ViewerHost host;
    const std::wstring path = host.Folder().Write(L"large.txt", text);
    StartPaused(host, Quoted(path));
    if (c.cut && !CutFromOutside(path, kStopAt)) GTEST_SKIP() << "no way to cut the file short";
    host.Command(CmdBottom);
    std::wstring message;
    EXPECT_TRUE(RunScripted(
        [&] {
          RunningLoadJob()->Resume();
          PumpUntil(
              host, [] { return !LoadRunning(); }, 10000);
          host.Pump();
        },
        {On(L"Vemora",
            [&](HWND box) {
              message = ItemText(box, kMessageText);
              Click(box, IDOK);
            })}))
        << c.name;
    EXPECT_EQ(message, AsWide(c.message)) << c.name;
    EXPECT_TRUE(host.Running()) << c.name;
    EXPECT_FALSE(Loading()) << c.name;
    EXPECT_EQ(5, StatusParts()) << c.name;
    EXPECT_FALSE(ShowsWaitCursor()) << c.name << ": the end the command waited for will not come";
    const Document& partial = *CurrentDocument();
    EXPECT_GE(partial.textLength, kPauseAt) << c.name;
    EXPECT_LE(partial.textLength, kStopAt) << c.name;
    const std::wstring shown = ShownText();
    EXPECT_EQ(shown.find(L'\0'), std::wstring::npos) << c.name << ": lost bytes shown as NULs";
    EXPECT_TRUE(shown == Wide(text.substr(0, partial.textLength))) << c.name << ": not the file's";
    EXPECT_EQ(5, AnswersFromAnotherThread(host, 5)) << c.name;
    host.Command(CmdBottom);
    EXPECT_GE(CurrentDocument()->TopLine + gView.VisibleRows, CurrentDocument()->displayLineCount);
    EXPECT_GT(CurrentDocument()->TopLine, 0) << c.name;

    host.Command(CmdFollow);
    EXPECT_TRUE(Checked(CmdFollow)) << c.name;
    const std::string appended = "appended\r\n";
    std::ofstream(std::filesystem::path(path), std::ios::binary | std::ios::app) << appended;
    const std::wstring expected = Wide((c.cut ? text.substr(0, kStopAt) : text) + appended);
    EXPECT_TRUE(PumpUntil(
        host, [&] { return ShownText() == expected; }, 5000))
        << c.name << ": " << ShownText().size() << " characters shown of " << expected.size();
  }
}

}  // namespace
}  // namespace vemora::testing
