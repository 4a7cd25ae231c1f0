// The about box as the user opens it from the help menu: it shows the version that the
// executable's version resource carries.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "core/keys/commands.h"
#include "win/shell/app_state.h"
#include "dialog_script.h"
#include "viewer_host.h"

namespace vemora::testing {
namespace {

// The ProductVersion text and the fixed file version of an executable's version resource.
struct VersionResource {
  std::wstring productVersion;
  DWORD versionMs = 0, versionLs = 0;
};

VersionResource ReadVersionResource(const std::filesystem::path& file) {
  VersionResource result;
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeW(file.c_str(), &ignored);
  if (size == 0) return result;
  std::vector<BYTE> data(size);
  if (!GetFileVersionInfoW(file.c_str(), 0, size, data.data())) return result;
  void* value = nullptr;
  UINT length = 0;
  if (VerQueryValueW(data.data(), L"\\StringFileInfo\\041104B0\\ProductVersion", &value, &length))
    result.productVersion = static_cast<const wchar_t*>(value);
  if (VerQueryValueW(data.data(), L"\\", &value, &length)) {
    const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(value);
    result.versionMs = fixed->dwFileVersionMS;
    result.versionLs = fixed->dwFileVersionLS;
  }
  return result;
}

TEST(AboutBox, ShowsNameAndTheVersionOfTheResource) {
  ViewerHost host;
  ASSERT_TRUE(host.Start(L"\"" + host.Folder().File(L"missing.txt") + L"\""));
  std::vector<std::wstring> texts;
  bool hasOk = false;
  ASSERT_TRUE(RunScripted([&] { host.Command(CmdAbout); }, {On(L"Vemoraについて", [&](HWND box) {
                            texts = StaticTexts(box);
                            hasOk = ItemText(box, IDOK) == L"OK";
                            Click(box, IDOK);
                          })}));
  ASSERT_GE(texts.size(), 2u);
  EXPECT_EQ(texts[0], L"Vemora");
  EXPECT_TRUE(hasOk);

  const VersionResource resource = ReadVersionResource(BesideTheTests(L"vemora.exe"));
  ASSERT_FALSE(resource.productVersion.empty());
  EXPECT_EQ(texts[1], L"バージョン " + resource.productVersion);
  const std::wstring numbers = std::to_wstring(HIWORD(resource.versionMs)) + L"." +
                               std::to_wstring(LOWORD(resource.versionMs)) + L"." +
                               std::to_wstring(HIWORD(resource.versionLs));
  EXPECT_EQ(numbers, resource.productVersion) << "the fixed and the text version agree";
}

}  // namespace
}  // namespace vemora::testing
