// The accelerator table made from the key table: keys reach their commands, a key bound
// to a grayed menu item does nothing, and the help viewer's keys stay its own.
#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

#include "core/keys/commands.h"
#include "core/keys/key_table.h"
#include "win/keys/accelerators.h"
#include "win/shell/app_state.h"
#include "win/shell/toolbar.h"
#include "viewer_host.h"

namespace vemora::testing {
namespace {

TEST(Keys, KeysOfGrayedCommandsDoNothing) {
  ViewerHost host;
  ASSERT_TRUE(host.Start(L"\"" + host.Folder().Write(L"lines.txt", Lines(200)) + L"\""));
  ASSERT_NE(gShell.accelerators, nullptr);
  host.PressKey(VK_END);
  const int32_t bottom = CurrentDocument()->TopLine;
  EXPECT_GT(bottom, 100);
  host.PressKey(VK_HOME);
  EXPECT_EQ(CurrentDocument()->TopLine, 0);

  EnableMenuItem(GetMenu(gShell.mainWindow), CmdBottom, MF_BYCOMMAND | MF_GRAYED);
  host.PressKey(VK_END);
  EXPECT_EQ(CurrentDocument()->TopLine, 0) << "the grayed item's key was delivered";
  host.PressKey(VK_NEXT);
  EXPECT_GT(CurrentDocument()->TopLine, 0) << "keys without a menu item always act";
}

TEST(Keys, TableIsRebuiltFromTheKeyTable) {
  ViewerHost host;
  ASSERT_TRUE(host.Start(L"\"" + host.Folder().Write(L"lines.txt", Lines(200)) + L"\""));
  LoadKeyPreset(gOptions, 2);  // the third preset: Right moves five lines down
  BuildAccelerators();
  host.PressKey(VK_RIGHT);
  EXPECT_EQ(CurrentDocument()->TopLine, 5);
  EXPECT_EQ(CopyAcceleratorTableW(gShell.accelerators, nullptr, 0), 52);
}

// A key table damaged in the registry must not leave the user without keys: the viewer
// starts with the first preset, and paging works.
TEST(Keys, DamagedStoredKeyTableStillPages) {
  struct Damage {
    const char* what;
    DWORD keys;
    std::vector<BYTE> table;
  };
  const Damage damages[] = {
      {"torn", 3, {0x0B, 0, 'C', 0, 0x53, 0x9C, 0x03}},
      {"empty", 0, {}},
      {"count above the data", 40, {0x0B, 0, 'C', 0, 0x53, 0x9C}},
  };
  for (const Damage& damage : damages) {
    ViewerHost host;  // starts from an empty scratch key
    const std::wstring options = std::wstring(kScratchRegistryRoot) + L"\\Options";
    const DWORD version = 91;
    ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, kScratchRegistryRoot, L"RegVer", REG_DWORD,
                              &version, sizeof version),
              ERROR_SUCCESS);
    RegSetKeyValueW(HKEY_CURRENT_USER, options.c_str(), L"Keys", REG_DWORD, &damage.keys,
                    sizeof damage.keys);
    RegSetKeyValueW(HKEY_CURRENT_USER, options.c_str(), L"KeyTable", REG_BINARY,
                    damage.table.data(), static_cast<DWORD>(damage.table.size()));
    ASSERT_TRUE(host.Start(L"\"" + host.Folder().Write(L"lines.txt", Lines(200)) + L"\""));
    EXPECT_EQ(CopyAcceleratorTableW(gShell.accelerators, nullptr, 0), 33) << damage.what;
    host.PressKey(VK_NEXT);
    EXPECT_GT(CurrentDocument()->TopLine, 0) << damage.what;
    host.PressKey(VK_END);
    EXPECT_GT(CurrentDocument()->TopLine, 100) << damage.what;
    host.Close();
  }
}

TEST(Keys, ToolbarTipsComeFromTheCommandTable) {
  EXPECT_STREQ(ToolbarTip(CmdOpen), L"開く");
  EXPECT_STREQ(ToolbarTip(CmdShowMatches), L"検索結果の表示切替");
  EXPECT_STREQ(ToolbarTip(CmdSaveAsUtf16), L"名前を付けて保存");
  EXPECT_EQ(ToolbarTip(CmdExit), nullptr);
}

}  // namespace
}  // namespace vemora::testing
