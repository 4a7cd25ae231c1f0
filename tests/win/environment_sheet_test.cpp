// The environment sheet driven through its controls: keys are bound at once and come back
// on cancel from either page, presets load behind a question, the options page writes its
// fields only when it was opened, and a confirmed sheet reaches the accelerators and the
// history menu. Also the message dialog that reports an INI file that cannot be written.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include "core/keys/commands.h"
#include "core/keys/key_table.h"
#include "win/keys/history_menu.h"
#include "win/resources/settings_dialog_ids.h"
#include "win/shell/app_state.h"
#include "dialog_script.h"
#include "viewer_host.h"

namespace vemora::testing {
namespace {

constexpr wchar_t kSheet[] = L"環境設定";
constexpr int kKeyF5 = 4, kKeyPageUp = 25, kKeySlash = 73;
constexpr int kNameNone = 0, kNameFind = 22, kNamePageUp = 14, kNameRedraw = 32;
constexpr uint16_t kVkF5 = 0x74, kVkPrior = 0x21;

int AcceleratorCount() {
  return CopyAcceleratorTableW(gShell.accelerators, nullptr, 0);
}

class EnvironmentSheet : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(host_.Start(L"\"" + host_.Folder().Write(L"notes.txt", "one\r\ntwo\r\n") + L"\""));
  }

  ::testing::AssertionResult Run(std::vector<DialogScript::Step> steps) {
    return RunScripted([&] { host_.Command(CmdEnvSettings); }, std::move(steps));
  }

  // Selects a key with Shift as given; the command list then shows what it is bound to.
  static DialogScript::Step ShowKey(int key, bool shift) {
    return On(kSheet, [=](HWND sheet) {
      SetCheck(sheet, IDC_KEY_SHIFT, shift);
      SelectListItem(sheet, IDC_KEY_LIST, key);
    });
  }
  static DialogScript::Step ExpectName(int expectedName) {
    return On(kSheet,
              [=](HWND sheet) { EXPECT_EQ(ListSelection(sheet, IDC_COMMAND_LIST), expectedName); });
  }
  static DialogScript::Step Choose(int name) {
    return On(kSheet, [=](HWND sheet) { SelectListItem(sheet, IDC_COMMAND_LIST, name); });
  }
  static DialogScript::Step LoadPreset(int preset) {
    return On(kSheet, [=](HWND sheet) {
      SelectComboItem(sheet, IDC_PRESET_LIST, preset);
      Click(sheet, IDC_PRESET_LOAD);
    });
  }
  static DialogScript::Step AnswerQuestion(int button) {
    return On(L"Vemora", [=](HWND box) { Click(box, button); });
  }
  static DialogScript::Step TurnToOtherPage(std::function<void(HWND)> then) {
    return On(kSheet, [then](HWND sheet) {
      SendMessageW(sheet, PSM_SETCURSEL, 1, 0);
      then(sheet);
    });
  }

  ViewerHost host_;
};

TEST_F(EnvironmentSheet, CancelRestoresTheKeyTableFromEitherPage) {
  const AppOptions before = gOptions;
  ASSERT_EQ(before.keyTableCapacity, 33);
  ASSERT_TRUE(Run({
      ShowKey(kKeyPageUp, false),
      ExpectName(kNamePageUp),
      Choose(kNameNone),
      ShowKey(kKeyF5, false),
      ExpectName(kNameNone),
      Choose(kNameRedraw),
      On(kSheet,
         [](HWND) {
           EXPECT_GE(FindKeyBinding(gOptions, kVkF5, false, false, false, true), 0)
               << "bound at once";
           EXPECT_LT(FindKeyBinding(gOptions, kVkPrior, false, false, false, true), 0);
         }),
      LoadPreset(2),
      AnswerQuestion(IDNO),
      On(kSheet, [](HWND) { EXPECT_EQ(gOptions.Keys, 33) << "No loads nothing"; }),
      LoadPreset(2),
      AnswerQuestion(IDYES),
      TurnToOtherPage([](HWND sheet) {
        EXPECT_EQ(gOptions.Keys, 52);
        SetItemText(sheet, IDC_HISTORY_COUNT, L"3");
        SetItemText(sheet, IDC_QUOTE, L"#");
      }),
      On(kSheet, [](HWND sheet) { Click(sheet, IDCANCEL); }),
  }));
  EXPECT_EQ(gOptions, before);
  EXPECT_EQ(AcceleratorCount(), 33);
}

TEST_F(EnvironmentSheet, OkAppliesKeysAndTheOptionsPage) {
  ASSERT_EQ(ReadHistoryMenu().size(), 1u);
  ASSERT_TRUE(Run({
      ShowKey(kKeyF5, false),
      Choose(kNameRedraw),
      ShowKey(kKeyF5, true),
      ExpectName(kNameNone),
      ShowKey(kKeyF5, false),
      ExpectName(kNameRedraw),
      TurnToOtherPage([](HWND sheet) {
        EXPECT_EQ(ItemText(sheet, IDC_HISTORY_COUNT), L"5");
        EXPECT_EQ(ItemText(sheet, IDC_QUOTE), L">");
        EXPECT_EQ(SendMessageW(Item(sheet, IDC_SMOOTHNESS), TBM_GETPOS, 0, 0), 15);
        SetItemText(sheet, IDC_HISTORY_COUNT, L"0");
        SetItemText(sheet, IDC_QUOTE, L"| ");
        SetCheck(sheet, IDC_BELL, false);
        SetCheck(sheet, IDC_USE_INI, true);
        SendMessageW(Item(sheet, IDC_SMOOTHNESS), TBM_SETPOS, TRUE, 30);
      }),
      On(kSheet, [](HWND sheet) { Click(sheet, IDOK); }),
  }));
  EXPECT_EQ(gOptions.HistNum, 0);
  EXPECT_EQ(gOptions.Quote, u"| ");
  EXPECT_EQ(gOptions.Bell, 0);
  EXPECT_EQ(gOptions.Reg, 1);
  EXPECT_EQ(gOptions.SmRare, 30);
  EXPECT_EQ(gOptions.Tbar, 1);
  const int found = FindKeyBinding(gOptions, kVkF5, false, false, false, true);
  ASSERT_GE(found, 0);
  EXPECT_EQ(gOptions.KeyTable[found].command, CmdRedraw);
  EXPECT_EQ(AcceleratorCount(), 34) << "the accelerators follow the key table";
  EXPECT_TRUE(ReadHistoryMenu().empty()) << "a history of 0 entries drops the menu's";
}

TEST_F(EnvironmentSheet, OkWithoutOpeningTheOptionsPageLeavesItsFields) {
  gOptions.HistNum = 7;
  gOptions.Quote = u"> ";
  ASSERT_TRUE(Run({
      LoadPreset(1),
      AnswerQuestion(IDYES),
      ShowKey(kKeySlash, false),
      ExpectName(kNameFind),
      ShowKey(kKeySlash, true),
      ExpectName(kNameNone),  // "?" is bound to the backward search, which has no name here
      On(kSheet, [](HWND sheet) { Click(sheet, IDOK); }),
  }));
  EXPECT_EQ(gOptions.HistNum, 7);
  EXPECT_EQ(gOptions.Quote, u"> ");
  EXPECT_EQ(gOptions.Keys, 58);
  EXPECT_EQ(AcceleratorCount(), 58);
}

TEST_F(EnvironmentSheet, HistoryCountsOutOfRangeAreClamped) {
  for (const auto& [typed, stored] : {std::pair{L"25", 20}, std::pair{L"", 0}}) {
    ASSERT_TRUE(Run({
        TurnToOtherPage([typed](HWND sheet) { SetItemText(sheet, IDC_HISTORY_COUNT, typed); }),
        On(kSheet, [](HWND sheet) { Click(sheet, IDOK); }),
    }));
    EXPECT_EQ(gOptions.HistNum, stored) << typed;
  }
}

TEST(MessageDialog, ReportsAnIniFileThatCannotBeWritten) {
  ViewerHost host;
  ASSERT_TRUE(host.Start(L""));
  gOptions.Reg = 1;
  gShell.iniFilePath = u"Z:\\no\\such\\folder\\Vemora.ini";
  std::wstring text;
  DialogScript script({
      On(L"Vemora",
         [&](HWND dialog) {
           text = ItemText(dialog, IDC_MESSAGE_TEXT);
           PressEscape(dialog);
         }),
  });
  host.Close();
  EXPECT_TRUE(script.Finished());
  EXPECT_EQ(text, L"INIファイルに設定が保存できません");
}

}  // namespace
}  // namespace vemora::testing
