// Opening the shown file with a tool: the stand-in editor built with the tests records its
// command line and appends to the file; the viewer reloads when it ends, keeping its place,
// forgets watches when another text is loaded, closes itself when asked, and reports a
// tool that cannot start.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "core/keys/commands.h"
#include "win/platform/text_conversion.h"
#include "win/shell/app_state.h"
#include "win/shell/document_actions.h"
#include "win/shell/main_window.h"
#include "win/shell/modal_deferral.h"
#include "win/tools/open_with_tool.h"
#include "win/tools/tool_watch.h"
#include "win/view/view_window.h"
#include "dialog_script.h"
#include "viewer_host.h"

namespace vemora::testing {
namespace {

std::wstring TestTool() {
  return BesideTheTests(L"vemora_test_tool.exe").wstring();
}

void PumpFor(ViewerHost& host, DWORD milliseconds) {
  PumpUntil(
      host, [] { return false; }, milliseconds);
}

bool Contains(const std::u16string_view text, std::u16string_view part) {
  return text.find(part) != std::u16string_view::npos;
}

// The static control that shows a message box's icon.
HWND IconControl(HWND box) {
  HWND found = nullptr;
  EnumChildWindows(
      box,
      [](HWND child, LPARAM data) -> BOOL {
        if ((GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) != SS_ICON) return TRUE;
        *reinterpret_cast<HWND*>(data) = child;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&found));
  return found;
}

class ToolTest : public ::testing::Test {
 protected:
  // A file of 300 lines, shown from line 41, whose file type runs the stand-in editor.
  void StartOn(const wchar_t* name) {
    path_ = host_.Folder().Write(name, Lines(300));
    ASSERT_TRUE(host_.Start(Quoted(path_)));
    SendMessageW(gShell.viewWindow, WM_VIEW_JUMP, 0, 40);
    host_.Pump();
    ASSERT_EQ(CurrentDocument()->TopLine, 40);
    FileTypeSetting& type = gFileTypes.entries[gFileTypeIndex];
    type.ToolType = 1;
    type.EditReload = 1;
    type.EdOptSJIS = u"--sjis";
  }
  // Makes the tool wait for the release file `go` ("-" for none) before it edits.
  void UseTool(const std::wstring& go, const std::wstring& arguments = L"$F") {
    gFileTypes.entries[gFileTypeIndex].Editor =
        ToUtf16(Quoted(TestTool()) + L" " + Quoted(Log()) + L" " + Quoted(go) + L" " + arguments);
  }
  std::wstring Log() const { return host_.Folder().File(L"tool.log"); }
  std::wstring Go(int n) const { return host_.Folder().File(L"go" + std::to_wstring(n)); }
  void Release(int n) const { host_.Folder().Write(L"go" + std::to_wstring(n), ""); }
  bool Reloaded() const { return Contains(CurrentDocument()->Text(), u"added by the tool"); }
  size_t LogLines() const {
    const std::string log = ReadAll(Log());
    return static_cast<size_t>(std::count(log.begin(), log.end(), '\n'));
  }

  ViewerHost host_;
  std::wstring path_;
};

TEST_F(ToolTest, CommandLineThenReloadAtTheSamePlaceWhenTheToolEnds) {
  StartOn(L"a file.txt");
  UseTool(Go(1), L"$F -n$l $K $$ $q$");
  host_.Command(CmdOpenWithTool);
  EXPECT_EQ(ToolWatchCount(), 1u);

  ASSERT_TRUE(PumpUntil(
      host_, [&] { return LogLines() == 1; }, 20000));
  const std::wstring expected = Quoted(TestTool()) + L" " + Quoted(Log()) + L" " + Quoted(Go(1)) +
                                L" " + Quoted(ToWide(CurrentDocument()->name)) +
                                L" -n41 --sjis $ \n";
  EXPECT_EQ(Wide(ReadAll(Log())), expected);

  PumpFor(host_, 1200);
  EXPECT_FALSE(Reloaded()) << "the tool still runs";
  Release(1);
  ASSERT_TRUE(PumpUntil(
      host_, [&] { return Reloaded(); }, 20000));
  EXPECT_EQ(CurrentDocument()->TopLine, 40);
  EXPECT_EQ(host_.StatusText(2), L"先頭:41行目");
  EXPECT_EQ(ToolWatchCount(), 0u);
}

TEST_F(ToolTest, TheFirstToolToEndReloadsAndEveryLoadForgetsTheOthers) {
  StartOn(L"two.txt");
  UseTool(Go(1));
  host_.Command(CmdOpenWithTool);
  UseTool(Go(2));
  host_.Command(CmdOpenWithTool);
  EXPECT_EQ(ToolWatchCount(), 2u);
  ASSERT_TRUE(PumpUntil(
      host_, [&] { return LogLines() == 2; }, 20000));

  Release(2);
  ASSERT_TRUE(PumpUntil(
      host_, [&] { return Reloaded(); }, 20000))
      << "the second tool ended";
  EXPECT_EQ(ToolWatchCount(), 0u) << "the reload cancels the watch on the first tool";
  const int64_t lengthAfterReload = CurrentDocument()->textLength;
  Release(1);
  ASSERT_TRUE(PumpUntil(
      host_, [&] { return ReadAll(path_).ends_with("tool\r\nadded by the tool\r\n"); }, 20000));
  PumpFor(host_, 1200);
  EXPECT_EQ(CurrentDocument()->textLength, lengthAfterReload) << "the first tool reloads nothing";

  // A tool started before another file was opened does not reload that file.
  UseTool(Go(3));
  host_.Command(CmdOpenWithTool);
  OpenDocument(ToUtf16(host_.Folder().Write(L"other.txt", "other\r\n")), 0, -1);
  EXPECT_EQ(ToolWatchCount(), 0u);
  Release(3);
  PumpFor(host_, 1500);
  EXPECT_EQ(CurrentDocument()->Text(), u"other\r\n");
}

TEST_F(ToolTest, CloseWinsOverReload) {
  StartOn(L"close.txt");
  gFileTypes.entries[gFileTypeIndex].EditClose = 1;
  UseTool(L"-");
  host_.Command(CmdOpenWithTool);
  EXPECT_EQ(ToolWatchCount(), 0u);
  EXPECT_TRUE(PumpUntil(
      host_, [&] { return !host_.Running(); }, 5000))
      << "the viewer closes";
  EXPECT_TRUE(PumpUntil(
      host_, [&] { return LogLines() == 1; }, 20000))
      << "the tool ran";
  host_.Close();
}

TEST_F(ToolTest, ToolThatCannotStartIsReportedAndNothingFollows) {
  StartOn(L"fail.txt");
  FileTypeSetting& type = gFileTypes.entries[gFileTypeIndex];
  type.EditClose = 1;
  type.Editor = u"Z:\\no\\such\\editor.exe -n$L $F";
  std::wstring title, text;
  bool errorIcon = false;
  ASSERT_TRUE(RunScripted(
      [&] { host_.Command(CmdOpenWithTool); }, {On(kToolFailedTitle, [&](HWND box) {
        title = WindowText(box);
        for (const std::wstring& line : StaticTexts(box)) text += line;
        HWND icon = IconControl(box);
        errorIcon = icon && reinterpret_cast<HICON>(SendMessageW(icon, STM_GETICON, 0, 0)) ==
                                LoadIconW(nullptr, IDI_ERROR);
        Click(box, IDOK);
      })}));
  EXPECT_EQ(title, L"編集できません");
  EXPECT_EQ(text, L"Z:\\no\\such\\editor.exe -n41 " + ToWide(CurrentDocument()->name));
  EXPECT_TRUE(errorIcon);
  EXPECT_EQ(ToolWatchCount(), 0u);
  PumpFor(host_, 300);
  EXPECT_TRUE(host_.Running()) << "a failed start does not close the viewer";
}

// A tool that ends while a modal dialog or message box is open reloads the file only when it
// has closed: the command that opened it never finds its document replaced meanwhile.
TEST_F(ToolTest, ReloadWaitsUntilEveryModalDialogHasClosed) {
  path_ = host_.Folder().Write(L"modal.txt", "before\r\n");
  ASSERT_TRUE(host_.Start(Quoted(path_)));
  const std::pair<UINT, const wchar_t*> dialogs[] = {
      {CmdFind, L"検索"},
      {CmdJump, L"ジャンプ"},
      {CmdCharacterInfo, L"文字情報"},
      {CmdEnvSettings, L"環境設定"},
      {CmdFileTypeSettings, L"ファイルタイプ別の設定"},
      {CmdOpen, L"開く"},
      {CmdSaveAsUtf16, L"名前を付けて保存(UTF16エンコーディング)"},
      {CmdPaste, L"複写"},
      {CmdAbout, L"Vemoraについて"},
  };
  for (const auto& [command, caption] : dialogs) {
    SCOPED_TRACE(command);
    host_.Folder().Write(L"modal.txt", "before\r\n");
    ReloadCurrentDocument(-1);
    ASSERT_EQ(CurrentDocument()->Text(), u"before\r\n");
    CurrentDocument()->SelectionAnchor = 0;  // for the character information
    CurrentDocument()->SelectionEnd = 1;
    size_t deferred = 0;
    std::u16string shownDuring;
    EXPECT_TRUE(RunScripted([&] { host_.Command(command); },
                            {On(caption,
                                [&](HWND) {
                                  host_.Folder().Write(L"modal.txt", "after\r\n");
                                  PostMessageW(gShell.mainWindow, WM_RELOAD_DOCUMENT, 0, 0);
                                }),
                             On(caption, [&](HWND dialog) {
                               deferred = DeferredMessageCount();
                               shownDuring = CurrentDocument()->Text();
                               PressEscape(dialog);
                             })}));
    EXPECT_EQ(deferred, 1u);
    EXPECT_EQ(shownDuring, u"before\r\n");
    host_.Pump();
    EXPECT_EQ(CurrentDocument()->Text(), u"after\r\n") << "reloaded once the dialog closed";
  }
}

// The program the system associates with the file's name (registered in the test's own
// Wine prefix, whose classes live in one place).
TEST_F(ToolTest, AssociatedProgramIsWatchedToo) {
  const wchar_t* classes = L"VemoraTests.tool\\shell\\open\\command";
  const std::wstring command =
      Quoted(TestTool()) + L" " + Quoted(host_.Folder().File(L"tool.log")) + L" - \"%1\"";
  RegSetKeyValueW(HKEY_CLASSES_ROOT, classes, nullptr, REG_SZ, command.c_str(),
                  static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t)));
  RegSetKeyValueW(HKEY_CLASSES_ROOT, L".vemoratool", nullptr, REG_SZ, L"VemoraTests.tool",
                  sizeof L"VemoraTests.tool");
  StartOn(L"assoc.vemoratool");
  gFileTypes.entries[gFileTypeIndex].ToolType = 0;
  host_.Command(CmdOpenWithTool);
  EXPECT_TRUE(PumpUntil(
      host_, [&] { return Reloaded(); }, 20000));
  EXPECT_EQ(CurrentDocument()->TopLine, 40);
  RegDeleteTreeW(HKEY_CLASSES_ROOT, L"VemoraTests.tool");
  RegDeleteTreeW(HKEY_CLASSES_ROOT, L".vemoratool");
}

}  // namespace
}  // namespace vemora::testing
