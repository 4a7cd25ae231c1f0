// The compiled resources read back as the program sees them: every menu text in
// Japanese exactly as the command table has it, every menu's items in order, the
// toolbar strip.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/keys/commands.h"
#include "win/platform/text_conversion.h"
#include "win/resources/resource_ids.h"

namespace vemora {
namespace {

std::wstring ItemText(HMENU menu, UINT item, UINT flags) {
  wchar_t text[256] = {};
  GetMenuStringW(menu, item, text, 256, flags);
  return text;
}

// One line per item: two spaces of indent per submenu level, then the text and the
// command id, "----" for a separator, or the text alone for a submenu.
void Outline(HMENU menu, const std::wstring& indent, std::vector<std::wstring>& lines) {
  const int count = GetMenuItemCount(menu);
  for (int position = 0; position < count; ++position) {
    wchar_t text[256] = {};
    MENUITEMINFOW item{};
    item.cbSize = sizeof item;
    item.fMask = MIIM_FTYPE | MIIM_ID | MIIM_SUBMENU | MIIM_STRING;
    item.dwTypeData = text;
    item.cch = 256;
    ASSERT_TRUE(GetMenuItemInfoW(menu, static_cast<UINT>(position), TRUE, &item));
    if (item.fType & MFT_SEPARATOR) {
      lines.push_back(indent + L"----");
    } else if (item.hSubMenu) {
      lines.push_back(indent + text);
      Outline(item.hSubMenu, indent + L"  ", lines);
    } else {
      lines.push_back(indent + text + L" " + std::to_wstring(item.wID));
    }
  }
}

class MainMenu : public ::testing::Test {
 protected:
  void SetUp() override {
    menu_ = LoadMenuW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAINMENU));
  }
  void TearDown() override { DestroyMenu(menu_); }
  HMENU menu_ = nullptr;
};

TEST_F(MainMenu, EveryCommandCarriesItsText) {
  ASSERT_NE(menu_, nullptr);
  int withText = 0;
  for (const CommandTexts& texts : AllCommandTexts()) {
    if (!texts.menuText) continue;
    ++withText;
    EXPECT_EQ(ItemText(menu_, texts.command, MF_BYCOMMAND), AsWide(texts.menuText))
        << texts.command;
  }
  EXPECT_EQ(withText, 37);
  EXPECT_EQ(ItemText(menu_, CmdEncodingSjis, MF_BYCOMMAND), L"日本語 (シフトJIS)\t(&S)");
}

// Item by item in order against an outline written out by hand: a moved, lost, renamed
// or renumbered item fails here.
TEST_F(MainMenu, EveryMenuHoldsItsItemsInOrder) {
  const std::vector<std::wstring> expected = {
      L"ファイル(&F)",
      L"  開く(&O)... 40009",
      L"  名前を付けて保存(&A)... 40039",
      L"  エンコードを指定して保存(&V)... 40094",
      L"  ----",
      L"  終了(&X) 40001",
      L"編集(&E)",
      L"  コピー(&C) 40019",
      L"  追加コピー(&A) 40063",
      L"  引用コピー(&Q) 40064",
      L"  ペースト(&P) 40030",
      L"  ----",
      L"  すべて選択(&S) 40066",
      L"  文字情報(&I)... 40091",
      L"  ----",
      L"  検索(&F)... 40010",
      L"  次を検索(&N) 40011",
      L"  前を検索(&R) 40012",
      L"  検索結果の表示(&D) 40028",
      L"  絞り込み(&L)... 40092",
      L"  絞り込み解除(&U) 40093",
      L"  ----",
      L"  ファイルの先頭(&T) 40016",
      L"  ファイルの末尾(&B) 40017",
      L"  ジャンプ(&G)... 40062",
      L"  ----",
      L"  エディタで開く(&E) 40034",
      L"表示(&V)",
      L"  行番号(&L) 40061",
      L"  ----",
      L"  文字エンコーディング(&C)",
      L"    日本語 (シフトJIS)\t(&S) 40067",
      L"    日本語 (JIS)\t(&J) 40068",
      L"    日本語 (EUC)\t(&E) 40069",
      L"    Unicode (UTF16)\t(&6) 40071",
      L"    Unicode (UTF16)(Big Endian)\t(&B) 40074",
      L"    Unicode (UTF8)\t(&8) 40072",
      L"    Unicode (UTF7)\t(&7) 40073",
      L"  ----",
      L"  末尾を追跡(&T) 40090",
      L"オプション(&O)",
      L"  ファイルタイプ別の設定(&F)... 40076",
      L"  環境設定(&S)... 40018",
      L"ヘルプ(&H)",
      L"  目次(&C)... 40032",
      L"  Q&&A(&Q)... 40070",
      L"  ----",
      L"  Vemoraについて(&A)... 40008",
      L"  ----",
      L"  設定(&S)",
      L"    設定をファイルに保存(&S)... 40086",
      L"    設定をファイルから復元(&L)... 40087",
      L"    ----",
      L"    全設定の消去... 40033",
  };
  ASSERT_NE(menu_, nullptr);
  std::vector<std::wstring> actual;
  Outline(menu_, L"", actual);
  ASSERT_EQ(actual.size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(actual[i], expected[i]) << "item " << i;
  // The file history goes below the fixed items.
  EXPECT_EQ(GetMenuItemCount(GetSubMenu(menu_, 0)), kFileMenuFixedItems);
}

TEST(Resources, ToolbarStripHoldsTwentyFourImages) {
  HBITMAP strip = LoadBitmapW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDB_TOOLBAR));
  ASSERT_NE(strip, nullptr);
  BITMAP info{};
  GetObjectW(strip, sizeof info, &info);
  EXPECT_EQ(info.bmWidth, 24 * 16);
  EXPECT_EQ(info.bmHeight, 16);
  DeleteObject(strip);
  EXPECT_NE(LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_VEMORA)), nullptr);
}

}  // namespace
}  // namespace vemora
