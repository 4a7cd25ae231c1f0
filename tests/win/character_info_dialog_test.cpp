// The character information dialog over a selection set as the mouse would set it: its
// title, the lines in the document's encoding, the copy button and the menu item's state.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "core/keys/commands.h"
#include "win/keys/menu_states.h"
#include "win/resources/resource_ids.h"
#include "win/shell/app_state.h"
#include "win/shell/document_actions.h"
#include "viewer_host.h"

namespace vemora::testing {
namespace {

struct DialogReading {
  bool found = false;
  std::wstring text;
};
DialogReading gReading;

// Runs inside the dialog's own message loop: reads it, copies, and closes it.
void CALLBACK ReadAndCloseDialog(HWND, UINT, UINT_PTR timer, DWORD) {
  HWND dialog = FindWindowW(L"#32770", L"文字情報");
  if (!dialog) return;
  KillTimer(nullptr, timer);
  gReading.found = true;
  wchar_t text[4096] = {};
  GetDlgItemTextW(dialog, IDC_CHARACTER_INFO_TEXT, text, 4096);
  gReading.text = text;
  SendMessageW(dialog, WM_COMMAND, IDC_CHARACTER_INFO_COPY, 0);
  PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
}

DialogReading RunDialog(ViewerHost& host) {
  gReading = {};
  const UINT_PTR timer = SetTimer(nullptr, 0, 50, ReadAndCloseDialog);
  host.Command(CmdCharacterInfo);
  KillTimer(nullptr, timer);
  return gReading;
}

void Select(int32_t anchor, int32_t end) {
  CurrentDocument()->SelectionAnchor = anchor;
  CurrentDocument()->SelectionEnd = end;
  UpdateMenuStates();
}

struct EncodingCase {
  const wchar_t* option;
  std::string bytes;  // "xあｱ漢" and a line end
  std::wstring lines;
};

TEST(CharacterInfoDialog, ListsTheSelectionInTheDocumentsEncodingAndCopiesIt) {
  const EncodingCase cases[] = {
      {L"--sjis", "x\x82\xA0\xB1\x8A\xBF\r\n",
       L"x\tU+0078\t78\t-\r\nあ\tU+3042\t82 A0\t04-02\r\nｱ\tU+FF71\tB1\t-\r\n"
       L"漢\tU+6F22\t8A BF\t20-33\r\n"},
      {L"--jis", "x\x1B$B$\"\x1B(I1\x1B$B4A\x1B(B\r\n",
       L"x\tU+0078\t78\t-\r\nあ\tU+3042\t24 22\t04-02\r\nｱ\tU+FF71\t31\t-\r\n"
       L"漢\tU+6F22\t34 41\t20-33\r\n"},
      {L"--utf16be", std::string("\xFE\xFF\0x\x30\x42\xFF\x71\x6F\x22\0\r\0\n", 14),
       L"x\tU+0078\t00 78\t-\r\nあ\tU+3042\t30 42\t04-02\r\nｱ\tU+FF71\tFF 71\t-\r\n"
       L"漢\tU+6F22\t6F 22\t20-33\r\n"},
  };
  for (const EncodingCase& c : cases) {
    ViewerHost host;
    const std::wstring path = host.Folder().Write(L"chars.txt", c.bytes);
    ASSERT_TRUE(host.Start(std::wstring(c.option) + L" \"" + path + L"\""));
    EXPECT_TRUE(Grayed(CmdCharacterInfo)) << c.option << ": no selection yet";
    EXPECT_FALSE(RunDialog(host).found) << c.option << ": nothing to describe";

    Select(4, 0);  // anchor after the end: the same four characters
    EXPECT_FALSE(Grayed(CmdCharacterInfo)) << c.option;
    const DialogReading reading = RunDialog(host);
    ASSERT_TRUE(reading.found) << c.option;
    EXPECT_EQ(reading.text, c.lines) << c.option;
    EXPECT_EQ(ClipboardText(), c.lines) << c.option;
  }
}

}  // namespace
}  // namespace vemora::testing
