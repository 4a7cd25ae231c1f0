// The compiled resources read back as the program sees them: every menu text in
// Japanese exactly as the command table has it, the menu layout, the toolbar strip.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

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
  EXPECT_EQ(withText, 35);
  EXPECT_EQ(ItemText(menu_, CmdEncodingSjis, MF_BYCOMMAND), L"日本語 (シフトJIS)\t(&S)");
}

TEST_F(MainMenu, DropDownsAreInOrderWithFiveFixedFileItems) {
  const char16_t* titles[] = {kMenuFile, kMenuEdit, kMenuView, kMenuOptions, kMenuHelp};
  ASSERT_EQ(GetMenuItemCount(menu_), 5);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(ItemText(menu_, i, MF_BYPOSITION), AsWide(titles[i]));
  HMENU file = GetSubMenu(menu_, 0);
  EXPECT_EQ(GetMenuItemCount(file), kFileMenuFixedItems);
  EXPECT_EQ(GetMenuItemID(file, 2), static_cast<UINT>(CmdSaveEncoded));
  EXPECT_EQ(GetMenuItemID(file, 4), static_cast<UINT>(CmdExit));
  HMENU view = GetSubMenu(menu_, 2);
  EXPECT_EQ(ItemText(view, 2, MF_BYPOSITION), AsWide(kMenuEncoding));
  EXPECT_EQ(GetMenuItemCount(GetSubMenu(view, 2)), 7);
  HMENU help = GetSubMenu(menu_, 4);
  EXPECT_EQ(ItemText(help, 5, MF_BYPOSITION), AsWide(kMenuSettings));
  EXPECT_EQ(GetMenuItemID(GetSubMenu(help, 5), 3), static_cast<UINT>(CmdClearSettings));
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
