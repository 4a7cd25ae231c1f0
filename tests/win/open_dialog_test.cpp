// The document open dialog as a user meets it: the encoding panel's entries, a file read
// in the encoding chosen there, the next opening detecting again, a cancelled dialog, and
// the keyboard focus starting in the file name.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/keys/commands.h"
#include "win/platform/text_conversion.h"
#include "win/shell/app_state.h"
#include "dialog_script.h"
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
  bool focusInFileName = false;  // what the user types goes to the name, not the panel
};

// Reads the encoding panel, makes the choices and answers the dialog.
Seen OpenThroughTheDialog(ViewerHost& host, const Answer& answer) {
  Seen seen;
  const DialogScript::Step step = On(L"開く", [&](HWND dialog) {
    HWND list = Item(dialog, kEncodingList);
    const LRESULT count = list ? SendMessageW(list, CB_GETCOUNT, 0, 0) : 0;
    for (LRESULT i = 0; i < count; ++i) {
      wchar_t text[64] = {};
      SendMessageW(list, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
      seen.entries.push_back(text);
    }
    if (list) seen.initialSelection = ListSelection(dialog, kEncodingList);
    HWND name = Item(dialog, kFileNameEdit);
    HWND focus = GetFocus();
    seen.focusInFileName = name && focus && (focus == name || IsChild(name, focus));
    for (int choice : answer.choices) {  // each choice seen by the panel before the next
      SendMessageW(list, CB_SETCURSEL, choice, 0);
      SendMessageW(GetParent(list), WM_COMMAND, MAKEWPARAM(kEncodingList, CBN_SELCHANGE),
                   reinterpret_cast<LPARAM>(list));
    }
    if (answer.path.empty()) {
      PressEscape(dialog);
      return;
    }
    SetItemText(dialog, kFileNameEdit, answer.path);
    Click(dialog, IDOK);
  });
  EXPECT_TRUE(RunScripted([&] { host.Command(CmdOpen); }, {step}));
  return seen;
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
  EXPECT_TRUE(first.focusInFileName);
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
