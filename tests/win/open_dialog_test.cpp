// The document open dialog as a user meets it: the encoding panel's entries, a file read
// in the encoding chosen there, the next opening detecting again, and a cancelled dialog.
#include <windows.h>

#include <gtest/gtest.h>

#include <future>
#include <string>
#include <vector>

#include "core/keys/commands.h"
#include "win/platform/text_conversion.h"
#include "win/shell/app_state.h"
#include "dialog_driver.h"
#include "viewer_host.h"

namespace vemora::testing {
namespace {

constexpr int kFileNameEdit = 1148;
constexpr int kEncodingList = 1098;

struct Answer {
  std::vector<int> choices;  // list positions chosen one after the other
  std::wstring path;         // typed into the file name; empty cancels
};

struct Seen {
  std::vector<std::wstring> entries;
  LRESULT initialSelection = -2;
};

// Answers the open dialog from the test's second thread.
Seen AnswerOpenDialog(const Answer& answer) {
  Seen seen;
  HWND dialog = WaitForOwnWindow(L"#32770", L"開く", 20000);
  if (!dialog) return seen;
  HWND list = FindDescendant(dialog, kEncodingList);
  const LRESULT count = list ? SendMessageW(list, CB_GETCOUNT, 0, 0) : 0;
  for (LRESULT i = 0; i < count; ++i) {
    wchar_t text[64] = {};
    SendMessageW(list, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
    seen.entries.push_back(text);
  }
  if (list) seen.initialSelection = SendMessageW(list, CB_GETCURSEL, 0, 0);
  for (int choice : answer.choices) {
    SendMessageW(list, CB_SETCURSEL, choice, 0);
    SendMessageW(GetParent(list), WM_COMMAND, MAKEWPARAM(kEncodingList, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(list));
  }
  if (answer.path.empty()) {
    PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    return seen;
  }
  SendMessageW(FindDescendant(dialog, kFileNameEdit), WM_SETTEXT, 0,
               reinterpret_cast<LPARAM>(answer.path.c_str()));
  PostMessageW(dialog, WM_COMMAND, IDOK, 0);
  return seen;
}

Seen OpenThroughTheDialog(ViewerHost& host, const Answer& answer) {
  auto seen = std::async(std::launch::async, AnswerOpenDialog, answer);
  host.Command(CmdOpen);
  return seen.get();
}

TEST(DocumentOpenDialog, EncodingPanelChoiceHoldsForOneOpening) {
  ViewerHost host;
  ASSERT_TRUE(host.Start(L"\"" + host.Folder().File(L"missing.txt") + L"\""));
  // Detection takes these bytes for Shift_JIS; they are valid EUC-JP as well.
  const std::wstring path = host.Folder().Write(L"both.txt", "\xE8\xB6\x8E\xCF\r\n");

  const Seen first = OpenThroughTheDialog(host, {{7, 6}, path});
  const std::vector<std::wstring> expected = {L"自動認識",
                                              L"Unicode (UTF16)",
                                              L"Unicode (UTF16,Big Endian)",
                                              L"Unicode (UTF8)",
                                              L"Unicode (UTF7)",
                                              L"シフトJIS",
                                              L"EUC",
                                              L"JIS"};
  EXPECT_EQ(first.entries, expected);
  EXPECT_EQ(first.initialSelection, 0);
  ASSERT_NE(CurrentDocument(), nullptr);
  EXPECT_EQ(host.StatusText(0), L"EUC") << "JIS, then EUC chosen: the last choice counts";
  EXPECT_EQ(CurrentDocument()->Text(), u"\u8387\uFF8F\r\n");

  const Seen second = OpenThroughTheDialog(host, {{}, path});
  EXPECT_EQ(second.initialSelection, 0);
  EXPECT_EQ(host.StatusText(0), L"SHIFT-JIS") << "an untouched panel detects again";

  OpenThroughTheDialog(host, {{7, 0}, path});
  EXPECT_EQ(host.StatusText(0), L"SHIFT-JIS") << "back to 自動認識 detects";
  OpenThroughTheDialog(host, {{3}, path});
  EXPECT_EQ(host.StatusText(0), L"UTF8") << "the UTF-8 request without a mark";

  const std::u16string shown = CurrentDocument()->name;
  OpenThroughTheDialog(host, {{6}, L""});
  EXPECT_EQ(CurrentDocument()->name, shown) << "a cancelled dialog opens nothing";
  EXPECT_EQ(host.StatusText(0), L"UTF8");
}

}  // namespace
}  // namespace vemora::testing
