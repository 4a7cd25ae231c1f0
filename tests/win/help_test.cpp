// The help file built beside the programs holds every topic the viewer opens and nothing
// of the build machine; each caller asks for its own topic, and the help window opens for
// every one. Also: the update-check record is written only where asked.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>

#include "core/keys/commands.h"
#include "win/platform/text_conversion.h"
#include "win/resources/resource_ids.h"
#include "win/resources/settings_dialog_ids.h"
#include "win/shell/app_state.h"
#include "win/shell/help.h"
#include "win/shell/update_check.h"
#include "dialog_script.h"
#include "viewer_host.h"

namespace vemora::testing {
namespace {

constexpr DWORD kContexts[] = {kHelpContents,     kHelpQandA,        kHelpFind,
                               kHelpCommandLine,  kHelpKeys,         kHelpOptions,
                               kHelpFileTypeName, kHelpFileTypeLook, kHelpFileTypeTool};

// The file as unpacked by extract_chmLib when it was built.
TEST(Help, EveryTopicIsAPageOfTheBuiltFileThatHoldsNoBuildFolder) {
  const std::filesystem::path unpacked = BesideTheTests(L"vemora.chm.unpacked");
  ASSERT_TRUE(std::filesystem::exists(unpacked / L".done"));
  for (DWORD context : kContexts) {
    const std::wstring_view page = HelpPage(context);
    ASSERT_FALSE(page.empty()) << context;
    EXPECT_TRUE(std::filesystem::is_regular_file(unpacked / page)) << context;
  }
  // The help compiler writes the targets of a context map as absolute paths.
  const std::string checkout =
      std::filesystem::path(VEMORA_TEST_DATA).parent_path().parent_path().string();
  const std::string build = VEMORA_BUILD_DIR;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(unpacked)) {
    if (!entry.is_regular_file()) continue;
    const std::string bytes = ReadAll(entry.path());
    EXPECT_EQ(bytes.find(checkout), std::string::npos) << entry.path().filename();
    EXPECT_EQ(bytes.find(build), std::string::npos) << entry.path().filename();
  }
}

DWORD LastHelpContext() {
  return static_cast<DWORD>(
      reinterpret_cast<UINT_PTR>(GetPropW(gShell.mainWindow, kHelpContextProperty)));
}

TEST(Help, EachCallerAsksForItsOwnTopic) {
  ViewerHost host;  // its help file is missing, so no help window gets in the way
  ASSERT_TRUE(host.Start(L"-h " + Quoted(host.Folder().Write(L"notes.txt", "one\r\n"))));
  EXPECT_EQ(LastHelpContext(), kHelpCommandLine) << "-h";

  // Opens the dialog, turns to a page, presses its help button and cancels.
  auto helpOnPage = [&host](UINT command, std::function<void(HWND)> turn) {
    return [&host, command, turn] {
      const wchar_t* caption = command == CmdEnvSettings ? L"環境設定" : L"ファイルタイプ別の設定";
      ASSERT_TRUE(RunScripted(
          [&] { host.Command(command); },
          {On(caption, turn), On(caption, [](HWND dialog) { Click(dialog, IDC_HELP_BUTTON); }),
           On(caption, [](HWND dialog) { Click(dialog, IDCANCEL); })}));
    };
  };
  auto treePage = [](int index) {
    return [index](HWND frame) { SelectTreeItem(frame, IDC_PAGE_TREE, index); };
  };
  const struct {
    const char* caller;
    std::function<void()> act;
    DWORD context;
  } callers[] = {
      {"F1", [&] { host.PressKey(VK_F1); }, kHelpContents},
      {"Q&A", [&] { host.Command(CmdQandA); }, kHelpQandA},
      {"find dialog",
       [&] {
         ASSERT_TRUE(RunScripted([&] { host.Command(CmdFind); },
                                 {On(L"検索", [](HWND dialog) { Click(dialog, IDC_FIND_HELP); }),
                                  On(L"検索", PressEscape)}));
       },
       kHelpFind},
      {"key page", helpOnPage(CmdEnvSettings, [](HWND) {}), kHelpKeys},
      {"other page",
       helpOnPage(CmdEnvSettings, [](HWND dialog) { SendMessageW(dialog, PSM_SETCURSEL, 1, 0); }),
       kHelpOptions},
      {"file name page", helpOnPage(CmdFileTypeSettings, treePage(0)), kHelpFileTypeName},
      {"look page", helpOnPage(CmdFileTypeSettings, treePage(1)), kHelpFileTypeLook},
      {"tool page", helpOnPage(CmdFileTypeSettings, treePage(2)), kHelpFileTypeTool},
  };
  for (const auto& c : callers) {
    RemovePropW(gShell.mainWindow, kHelpContextProperty);
    c.act();
    EXPECT_EQ(LastHelpContext(), c.context) << c.caller;
  }
}

TEST(Help, EveryContextOpensTheHelpWindow) {
  const std::filesystem::path chm = BesideTheTests(L"vemora.chm");
  ASSERT_TRUE(std::filesystem::exists(chm));
  gShell.helpFilePath = ToUtf16(chm.wstring());
  for (DWORD context : kContexts) {
    HWND window = ShowHelpTopic(context);
    ASSERT_NE(window, nullptr) << context;
    EXPECT_EQ(gShell.helpWindow, window);
    EXPECT_EQ(WindowText(window), L"Vemora ヘルプ") << context;
  }
  // One help window shows every topic in turn; closing it ends the viewer's session.
  SendMessageW(gShell.helpWindow, WM_CLOSE, 0, 0);
  gShell.helpFilePath = ToUtf16(BesideTheTests(L"missing.chm").wstring());
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
}  // namespace vemora::testing
