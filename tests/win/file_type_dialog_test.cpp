// The file-type dialog driven through its controls as a user would: the live list changes
// only on OK, numbers are clamped, patterns sorted and limited, a full list grows, the
// common entry takes no patterns, and the confirmed settings reach the shown document.
#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

#include "core/keys/commands.h"
#include "win/resources/settings_dialog_ids.h"
#include "win/shell/app_state.h"
#include "win/shell/toolbar.h"
#include "dialog_script.h"
#include "viewer_host.h"

namespace vemora::testing {
namespace {

constexpr wchar_t kFrame[] = L"ファイルタイプ別の設定";
constexpr wchar_t kNewName[] = L"新しい設定の名前";
constexpr wchar_t kRename[] = L"名前の変更";
constexpr wchar_t kPattern[] = L"ファイル名";

// Answers the input box with the caption.
DialogScript::Step Answer(const wchar_t* caption, std::wstring text) {
  return On(caption, [text](HWND box) {
    SetItemText(box, IDC_INPUT_TEXT, text);
    Click(box, IDOK);
  });
}

DialogScript::Step ClickIn(const wchar_t* caption, int id) {
  return On(caption, [id](HWND dialog) { Click(dialog, id); });
}

// Page "体裁", where 1030 and 1031 are check boxes rather than the frame's buttons.
HWND LookPage(HWND frame) {
  return GetParent(Item(frame, IDC_TAB_EDIT));
}

FileTypeSetting Entry(std::u16string name, StringList patterns) {
  FileTypeSetting entry;
  entry.Name = std::move(name);
  entry.Ext = std::move(patterns);
  return entry;
}

class FileTypeDialog : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(host_.Start(L"\"" + host_.Folder().Write(L"notes.txt", "one\r\ntwo\r\n") + L"\""));
    gFileTypes.entries.push_back(Entry(u"Logs", {u"*.log"}));
    gFileTypes.entries.push_back(Entry(u"Readme", {u"readme*"}));
  }

  // Runs the command with the script answering its dialogs; fails unless every step ran.
  ::testing::AssertionResult Run(std::vector<DialogScript::Step> steps) {
    return RunScripted([&] { host_.Command(CmdFileTypeSettings); }, std::move(steps));
  }

  ViewerHost host_;
};

TEST_F(FileTypeDialog, CancelLeavesTheListAsItWas) {
  const FileTypeSettingList before = gFileTypes;
  int itemsAfterCreate = 0;
  std::wstring nameAfterRename;
  std::wstring confirmText;
  ASSERT_TRUE(Run({
      ClickIn(kFrame, IDC_TYPE_CREATE),
      Answer(kNewName, L"Scratch"),
      On(kFrame,
         [&](HWND frame) {
           itemsAfterCreate =
               static_cast<int>(SendMessageW(Item(frame, IDC_TYPE_SELECTOR), CB_GETCOUNT, 0, 0));
           SetItemText(frame, IDC_TAB_EDIT, L"4");
           SelectComboItem(frame, IDC_TYPE_SELECTOR, 1);
         }),
      ClickIn(kFrame, IDC_TYPE_RENAME),
      Answer(kRename, L"Journal"),
      On(kFrame,
         [&](HWND frame) {
           nameAfterRename = ItemText(frame, IDC_TYPE_SELECTOR);
           Click(frame, IDC_TYPE_DELETE);
         }),
      On(L"Vemora",
         [&](HWND confirm) {
           confirmText = ItemText(confirm, -1);
           Click(confirm, IDOK);
         }),
      On(kFrame,
         [&](HWND frame) {
           EXPECT_EQ(ListSelection(frame, IDC_TYPE_SELECTOR), 0)
               << "deleting selects the common entry";
           EXPECT_EQ(SendMessageW(Item(frame, IDC_TYPE_SELECTOR), CB_GETCOUNT, 0, 0), 3);
           Click(frame, IDCANCEL);
         }),
  }));
  EXPECT_EQ(confirmText, L"この設定を削除します。よろしいですか。");
  EXPECT_EQ(itemsAfterCreate, 4);
  EXPECT_EQ(nameAfterRename, L"Journal");
  EXPECT_EQ(gFileTypes, before);
}

TEST_F(FileTypeDialog, OkStoresClampedNumbersSortedPatternsAndTheTool) {
  const FileTypeSettingList before = gFileTypes;
  ASSERT_TRUE(Run({
      ClickIn(kFrame, IDC_TYPE_CREATE),
      Answer(kNewName, L"Notes"),
      ClickIn(kFrame, IDC_PATTERN_ADD),
      Answer(kPattern, L"readme.???"),
      ClickIn(kFrame, IDC_PATTERN_ADD),
      Answer(kPattern, L"*.txt"),
      On(kFrame,
         [](HWND frame) {
           SelectTreeItem(frame, IDC_PAGE_TREE, 1);
           SetItemText(frame, IDC_TAB_EDIT, L"1");
           SetItemText(frame, IDC_FOLD_EDIT, L"300");
           SetItemText(frame, IDC_LINE_SPACE_EDIT, L"");
           SetCheck(LookPage(frame), IDC_FOLD_RIGHT, false);
           Click(LookPage(frame), IDC_FOLD_RIGHT);
         }),
      On(kFrame,
         [](HWND frame) {
           EXPECT_TRUE(IsWindowEnabled(Item(frame, IDC_FOLD_EDIT))) << "wrapping at a column";
           SelectTreeItem(frame, IDC_PAGE_TREE, 2);
           EXPECT_FALSE(IsWindowEnabled(Item(frame, IDC_EDITOR)));
           SetCheck(frame, IDC_TOOL_ASSOCIATED, false);
           SetCheck(frame, IDC_TOOL_COMMAND, true);
           Click(frame, IDC_TOOL_COMMAND);
         }),
      On(kFrame,
         [](HWND frame) {
           EXPECT_TRUE(IsWindowEnabled(Item(frame, IDC_EDITOR)));
           EXPECT_TRUE(IsWindowEnabled(Item(frame, IDC_OPTION_UTF16BE)));
           SetItemText(frame, IDC_EDITOR, L"editor.exe -n$L $K $F");
           SetItemText(frame, IDC_OPTION_SJIS, L"-sjis");
           SetCheck(frame, IDC_EDIT_CLOSE, true);
           Click(frame, IDC_EDIT_CLOSE);
         }),
      On(kFrame,
         [](HWND frame) {
           EXPECT_FALSE(IsWindowEnabled(Item(frame, IDC_EDIT_RELOAD)));
           Click(frame, IDOK);
         }),
  }));
  ASSERT_EQ(gFileTypes.Count(), before.Count() + 1);
  const FileTypeSetting& added = gFileTypes.entries.back();
  EXPECT_EQ(added.Name, u"Notes");
  EXPECT_EQ(added.Ext, (StringList{u"*.txt", u"readme.???"}));
  EXPECT_EQ(added.Tab, 2);
  EXPECT_EQ(added.Fold, 260);
  EXPECT_EQ(added.LineSp, 0);
  EXPECT_EQ(added.FoldRight, 0);
  EXPECT_EQ(added.ToolType, 1);
  EXPECT_EQ(added.Editor, u"editor.exe -n$L $K $F");
  EXPECT_EQ(added.EdOptSJIS, u"-sjis");
  EXPECT_EQ(added.EditClose, 1);
  EXPECT_EQ(added.BackCol, DefaultFileTypeSetting().BackCol);
  for (int i = 0; i < before.Count(); ++i) EXPECT_EQ(gFileTypes.entries[i], before.entries[i]);

  // The shown notes.txt now falls under the new entry, and the window follows it.
  EXPECT_EQ(gFileTypeIndex, before.Count());
  wchar_t selector[64] = {};
  GetWindowTextW(gShell.fileTypeSelector, selector, 64);
  EXPECT_STREQ(selector, L"Notes");
  EXPECT_EQ(CurrentDocument()->displayLineCount, 2);
}

TEST_F(FileTypeDialog, EachEntryKeepsItsOwnEditsAcrossSelections) {
  ASSERT_TRUE(Run({
      On(kFrame,
         [](HWND frame) {
           SetItemText(frame, IDC_TAB_EDIT, L"3");
           SelectComboItem(frame, IDC_TYPE_SELECTOR, 1);
         }),
      On(kFrame,
         [](HWND frame) {
           EXPECT_EQ(ItemText(frame, IDC_TAB_EDIT), L"8") << "entry 1 shows its own value";
           SetItemText(frame, IDC_TAB_EDIT, L"12");
           SetItemText(frame, IDC_EDITOR, L"kept $F");
           Click(frame, IDC_TYPE_CREATE);
         }),
      Answer(kNewName, L"Third"),
      On(kFrame,
         [](HWND frame) {
           EXPECT_EQ(ItemText(frame, IDC_TAB_EDIT), L"8") << "a new entry has the built-in values";
           SelectComboItem(frame, IDC_TYPE_SELECTOR, 0);
         }),
      On(kFrame,
         [](HWND frame) {
           EXPECT_EQ(ItemText(frame, IDC_TAB_EDIT), L"3");
           Click(frame, IDOK);
         }),
  }));
  ASSERT_EQ(gFileTypes.Count(), 4);
  EXPECT_EQ(gFileTypes.entries[0].Tab, 3);
  EXPECT_EQ(gFileTypes.entries[1].Tab, 12);
  EXPECT_EQ(gFileTypes.entries[1].Editor, u"kept $F");
  EXPECT_EQ(gFileTypes.entries[3].Name, u"Third");
}

TEST_F(FileTypeDialog, TheEleventhEntryGrowsTheList) {
  while (gFileTypes.Count() < 10) gFileTypes.entries.push_back(Entry(u"more", {u"*.x"}));
  ASSERT_EQ(gFileTypes.capacity, 10);
  ASSERT_TRUE(Run({
      ClickIn(kFrame, IDC_TYPE_CREATE),
      Answer(kNewName, L""),
      ClickIn(kFrame, IDOK),
  }));
  EXPECT_EQ(gFileTypes.Count(), 11);
  EXPECT_EQ(gFileTypes.capacity, 20);
  EXPECT_EQ(gFileTypes.entries[10].Name, u"") << "an empty name is allowed";
}

TEST_F(FileTypeDialog, CommonEntryTakesNoPatternsAndPatternsStayWithinTheirRoom) {
  std::vector<std::wstring> shown;
  ASSERT_TRUE(Run({
      On(kFrame,
         [](HWND frame) {
           EXPECT_EQ(ItemText(frame, IDC_PATTERN_HEADER),
                     L"この項目は共通設定では指定できません。");
           EXPECT_FALSE(IsWindowVisible(Item(frame, IDC_PATTERN_LIST)));
           EXPECT_FALSE(IsWindowVisible(Item(frame, IDC_PATTERN_ADD)));
           EXPECT_FALSE(IsWindowVisible(Item(frame, IDC_PATTERN_HINT)));
           EXPECT_FALSE(IsWindowEnabled(GetDlgItem(frame, IDC_TYPE_RENAME)));
           EXPECT_FALSE(IsWindowEnabled(GetDlgItem(frame, IDC_TYPE_DELETE)));
           EXPECT_FALSE(IsWindowEnabled(Item(frame, IDC_FOLD_EDIT))) << "wrapping at the edge";
           SelectComboItem(frame, IDC_TYPE_SELECTOR, 1);
         }),
      On(kFrame,
         [](HWND frame) {
           EXPECT_EQ(ItemText(frame, IDC_PATTERN_HEADER), L"この設定で表示するファイル");
           EXPECT_TRUE(IsWindowVisible(Item(frame, IDC_PATTERN_LIST)));
           EXPECT_TRUE(IsWindowEnabled(GetDlgItem(frame, IDC_TYPE_DELETE)));
           Click(frame, IDC_PATTERN_ADD);
         }),
      Answer(kPattern, std::wstring(260, L'a')),
      ClickIn(kFrame, IDC_PATTERN_ADD),
      Answer(kPattern, std::wstring(234, L'b')),  // 6 + 261 + 235 = 502: refused
      ClickIn(kFrame, IDC_PATTERN_ADD),
      Answer(kPattern, std::wstring(232, L'b')),  // 6 + 261 + 233 = 500: taken
      On(kFrame,
         [](HWND frame) {
           SendMessageW(Item(frame, IDC_PATTERN_LIST), LB_SETCURSEL, 0, 0);  // "*.log"
           Click(frame, IDC_PATTERN_REMOVE);
         }),
      On(kFrame,
         [&](HWND frame) {
           HWND list = Item(frame, IDC_PATTERN_LIST);
           for (int i = 0; i < SendMessageW(list, LB_GETCOUNT, 0, 0); ++i) {
             wchar_t text[300] = {};
             SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
             shown.push_back(text);
           }
           Click(frame, IDOK);
         }),
  }));
  const StringList expected = {std::u16string(260, u'a'), std::u16string(232, u'b')};
  EXPECT_EQ(gFileTypes.entries[1].Ext, expected);
  EXPECT_EQ(shown, (std::vector<std::wstring>{std::wstring(260, L'a'), std::wstring(232, L'b')}));
  EXPECT_TRUE(gFileTypes.entries[0].Ext.empty());
}

// The button's face as it paints itself, pixel by pixel.
struct ButtonPixels {
  int width = 0, height = 0;
  std::vector<COLORREF> pixels;
  COLORREF At(int x, int y) const { return pixels[static_cast<size_t>(y * width + x)]; }
};

ButtonPixels PaintButton(HWND button) {
  RECT r{};
  GetClientRect(button, &r);
  ButtonPixels shot{r.right, r.bottom, {}};
  HDC screen = GetDC(button);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, shot.width, shot.height);
  HGDIOBJ old = SelectObject(memory, bitmap);
  SendMessageW(button, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(memory), PRF_CLIENT);
  for (int y = 0; y < shot.height; ++y)
    for (int x = 0; x < shot.width; ++x) shot.pixels.push_back(GetPixel(memory, x, y));
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(button, screen);
  return shot;
}

TEST_F(FileTypeDialog, ColourButtonsShowTheirColourInABevel) {
  gFileTypes.entries[0].BackCol = RGB(10, 200, 30);
  ButtonPixels face;
  ASSERT_TRUE(Run({
      On(kFrame,
         [&](HWND frame) {
           SelectTreeItem(frame, IDC_PAGE_TREE, 1);
           face = PaintButton(Item(frame, IDC_BACK_COLOUR));
           Click(frame, IDCANCEL);
         }),
  }));
  ASSERT_GT(face.width, 6);
  ASSERT_GT(face.height, 6);
  const int right = face.width - 1, bottom = face.height - 1;
  EXPECT_EQ(face.At(face.width / 2, face.height / 2), RGB(10, 200, 30));
  EXPECT_EQ(face.At(0, face.height / 2), RGB(255, 255, 255)) << "outer left edge";
  EXPECT_EQ(face.At(1, face.height / 2), RGB(255, 255, 255)) << "inner left edge";
  EXPECT_EQ(face.At(face.width / 2, 1), RGB(255, 255, 255)) << "inner top edge";
  EXPECT_EQ(face.At(right, face.height / 2), RGB(0, 0, 0)) << "outline";
  EXPECT_EQ(face.At(right - 1, face.height / 2), RGB(0, 0, 0)) << "inner right edge";
  EXPECT_EQ(face.At(face.width / 2, bottom - 1), RGB(0, 0, 0)) << "inner bottom edge";
  EXPECT_EQ(face.At(2, 2), RGB(10, 200, 30));
}

TEST_F(FileTypeDialog, BrowsingReplacesTheWholeToolCommandLine) {
  const std::wstring tool = host_.Folder().Write(L"viewer tool.exe", "MZ");
  gFileTypes.entries[1].ToolType = 1;
  gFileTypes.entries[1].Editor = u"old.exe -l$L $K $F";
  ASSERT_TRUE(Run({
      On(kFrame,
         [](HWND frame) {
           SelectComboItem(frame, IDC_TYPE_SELECTOR, 1);
           Click(frame, IDC_EDITOR_BROWSE);
         }),
      On(L"エディタの選択",
         [&](HWND open) {
           SetItemText(open, 1148, tool);
           Click(open, IDOK);
         }),
      On(kFrame,
         [](HWND frame) {
           EXPECT_TRUE(IsWindowEnabled(Item(frame, IDC_EDITOR)));
           Click(frame, IDOK);
         }),
  }));
  EXPECT_EQ(gFileTypes.entries[1].Editor, std::u16string(tool.begin(), tool.end()));
}

// A user who tabs to a button of a page and presses Enter gets what a click gives.
TEST_F(FileTypeDialog, EnterOnAFocusedPageButtonPressesIt) {
  constexpr int kFaceList = 1136;  // the system font chooser's
  gFileTypes.entries[1].ToolType = 1;
  auto enterOn = [](HWND frame, int id) {
    // As tabbing there would: the focus moves and the button becomes the default.
    SendMessageW(frame, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Item(frame, id)), TRUE);
    PostMessageW(GetFocus(), WM_KEYDOWN, VK_RETURN, 0);
  };
  bool fontChooserShown = false;
  ASSERT_TRUE(Run({
      On(kFrame, [](HWND frame) { SelectComboItem(frame, IDC_TYPE_SELECTOR, 1); }),
      On(kFrame, [&](HWND frame) { enterOn(frame, IDC_PATTERN_ADD); }),
      Answer(kPattern, L"*.txt"),
      On(kFrame,
         [&](HWND frame) {
           SendMessageW(Item(frame, IDC_PATTERN_LIST), LB_SETCURSEL, 0, 0);  // "*.log"
           enterOn(frame, IDC_PATTERN_REMOVE);
         }),
      On(kFrame,
         [&](HWND frame) {
           SelectTreeItem(frame, IDC_PAGE_TREE, 2);
           enterOn(frame, IDC_EDITOR_BROWSE);
         }),
      ClickIn(L"エディタの選択", IDCANCEL),
      On(kFrame,
         [&](HWND frame) {
           SelectTreeItem(frame, IDC_PAGE_TREE, 1);
           enterOn(frame, IDC_FONT_CHANGE);
         }),
      [&](HWND chooser) {
        if (WindowText(chooser) == kFrame || !Item(chooser, kFaceList)) return false;
        fontChooserShown = true;
        Click(chooser, IDCANCEL);
        return true;
      },
      ClickIn(kFrame, IDOK),
  }));
  EXPECT_TRUE(fontChooserShown);
  EXPECT_EQ(gFileTypes.entries[1].Ext, (StringList{u"*.txt"}));
}

TEST_F(FileTypeDialog, TheColourChooserSetsTheButtonsColour) {
  constexpr int kRedEdit = 706, kGreenEdit = 707, kBlueEdit = 708;  // the system chooser's
  ASSERT_TRUE(Run({
      On(kFrame,
         [](HWND frame) {
           SelectTreeItem(frame, IDC_PAGE_TREE, 1);
           Click(frame, IDC_BACK_COLOUR);
         }),
      [](HWND chooser) {
        if (WindowText(chooser) == kFrame || !Item(chooser, kRedEdit)) return false;
        SetItemText(chooser, kRedEdit, L"12");
        SetItemText(chooser, kGreenEdit, L"34");
        SetItemText(chooser, kBlueEdit, L"56");
        Click(chooser, IDOK);
        return true;
      },
      ClickIn(kFrame, IDOK),
  }));
  EXPECT_EQ(gFileTypes.entries[0].BackCol, RGB(12, 34, 56));
  EXPECT_EQ(gFileTypes.entries[0].TextCol, DefaultFileTypeSetting().TextCol);
}

TEST_F(FileTypeDialog, TheFontChooserSetsTheFontAndItsName) {
  constexpr int kFaceList = 1136;  // the system chooser's list of faces
  std::wstring chosen, shown;
  ASSERT_TRUE(Run({
      On(kFrame,
         [](HWND frame) {
           SelectTreeItem(frame, IDC_PAGE_TREE, 1);
           Click(frame, IDC_FONT_CHANGE);
         }),
      [&](HWND chooser) {
        HWND faces = Item(chooser, kFaceList);
        if (WindowText(chooser) == kFrame || !faces) return false;
        const int count = static_cast<int>(SendMessageW(faces, CB_GETCOUNT, 0, 0));
        for (int i = 0; i < count && chosen.empty(); ++i) {
          wchar_t face[LF_FACESIZE] = {};
          SendMessageW(faces, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(face));
          if (face[0] != L'@' && std::wstring_view(face) != L"FixedSys") {
            chosen = face;
            SelectComboItem(chooser, kFaceList, i);
          }
        }
        Click(chooser, IDOK);
        return true;
      },
      On(kFrame,
         [&](HWND frame) {
           shown = ItemText(frame, IDC_FONT_NAME);
           Click(frame, IDOK);
         }),
  }));
  ASSERT_FALSE(chosen.empty()) << "the system offers no font";
  EXPECT_EQ(shown, chosen);
  EXPECT_EQ(gFileTypes.entries[0].Font.FaceName(), std::u16string(chosen.begin(), chosen.end()));
}

TEST(FileTypeDialogWithoutDocument, DeletingTheChosenTypeFallsBackToTheCommonOne) {
  ViewerHost host;
  ASSERT_TRUE(host.Start(L""));
  ASSERT_EQ(CurrentDocument(), nullptr);
  gFileTypes.entries.push_back(Entry(u"Logs", {u"*.log"}));
  gFileTypes.entries.push_back(Entry(u"Readme", {u"readme*"}));
  FillFileTypeSelector();
  SendMessageW(gShell.fileTypeSelector, CB_SETCURSEL, 2, 0);
  host.Command(MAKEWPARAM(CmdFileTypeSelector, CBN_SELCHANGE));
  ASSERT_EQ(SelectedFileType(), 2);
  gFileTypeIndex = 2;  // as a selection with a document shown would have made it
  DialogScript script({
      ClickIn(kFrame, IDC_TYPE_DELETE),
      ClickIn(L"Vemora", IDOK),
      ClickIn(kFrame, IDOK),
  });
  host.Command(CmdFileTypeSettings);
  ASSERT_TRUE(script.Finished());
  EXPECT_EQ(gFileTypes.Count(), 2);
  EXPECT_EQ(gFileTypeIndex, 0);
  wchar_t selector[64] = {};
  GetWindowTextW(gShell.fileTypeSelector, selector, 64);
  EXPECT_STREQ(selector, L"共通設定");
}

}  // namespace
}  // namespace vemora::testing
