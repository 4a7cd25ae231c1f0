// The help file built beside the programs opens in the help viewer at every context
// number the viewer uses, and the update-check record is written only where asked.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>

#include "win/platform/text_conversion.h"
#include "win/shell/app_state.h"
#include "win/shell/help.h"
#include "win/shell/update_check.h"

namespace vemora {
namespace {

std::filesystem::path BesideTheProgram(const wchar_t* name) {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  return std::filesystem::path(path).parent_path() / name;
}

TEST(Help, EveryContextOpensTheHelpWindow) {
  const std::filesystem::path chm = BesideTheProgram(L"vemora.chm");
  ASSERT_TRUE(std::filesystem::exists(chm));
  gShell.helpFilePath = ToUtf16(chm.wstring());
  for (DWORD context : {kHelpContents, kHelpQandA, kHelpFind, kHelpCommandLine, kHelpKeys,
                        kHelpOptions, kHelpFileTypeName, kHelpFileTypeLook, kHelpFileTypeTool}) {
    HWND window = ShowHelpTopic(context);
    ASSERT_NE(window, nullptr) << context;
    EXPECT_EQ(gShell.helpWindow, window);
    wchar_t title[128] = {};
    GetWindowTextW(window, title, 128);
    EXPECT_EQ(std::wstring(title), L"Vemora ヘルプ") << context;
  }
  // One help window shows every topic in turn; closing it ends the viewer's session.
  SendMessageW(gShell.helpWindow, WM_CLOSE, 0, 0);
  gShell.helpFilePath = ToUtf16(BesideTheProgram(L"missing.chm").wstring());
  EXPECT_EQ(ShowHelpTopic(kHelpContents), nullptr) << "a missing file shows nothing";
  gShell.helpWindow = nullptr;
}

TEST(UpdateCheck, WrittenOnlyWhenTheToolIsInstalled) {
  const wchar_t* tool = L"Software\\VemoraTests\\Nuvtrak";
  RegDeleteTreeW(HKEY_CURRENT_USER, tool);
  RegisterForUpdateCheck(AsUtf16(tool));
  HKEY key = nullptr;
  EXPECT_NE(RegOpenKeyExW(HKEY_CURRENT_USER, tool, 0, KEY_READ, &key), ERROR_SUCCESS);

  RegCreateKeyExW(HKEY_CURRENT_USER, tool, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
  RegCloseKey(key);
  RegisterForUpdateCheck(AsUtf16(tool));
  const std::wstring product = std::wstring(tool) + L"\\vemora@example.org\\Vemora";
  DWORD build = 0, size = sizeof build;
  EXPECT_EQ(RegGetValueW(HKEY_CURRENT_USER, product.c_str(), L"Build", RRF_RT_REG_DWORD, nullptr,
                         &build, &size),
            ERROR_SUCCESS);
  EXPECT_EQ(build, 995u);
  wchar_t name[32] = {};
  size = sizeof name;
  EXPECT_EQ(RegGetValueW(HKEY_CURRENT_USER, product.c_str(), L"DistinctName", RRF_RT_REG_SZ,
                         nullptr, name, &size),
            ERROR_SUCCESS);
  EXPECT_EQ(size, 14u);
  EXPECT_STREQ(name, L"Vemora");
  RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\VemoraTests\\Nuvtrak");
}

}  // namespace
}  // namespace vemora
