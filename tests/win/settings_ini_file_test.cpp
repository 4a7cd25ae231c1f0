// The INI file as Windows shares files: a save that cannot put the new file in place is
// reported and leaves the old file and its folder as they were.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "core/keys/key_table.h"
#include "core/settings/ini_store.h"
#include "core/settings/settings_io.h"
#include "viewer_host.h"
#include "win/platform/text_conversion.h"

namespace vemora::testing {
namespace {

std::vector<std::wstring> FolderNames(const std::filesystem::path& folder) {
  std::vector<std::wstring> names;
  for (const auto& item : std::filesystem::directory_iterator(folder))
    names.push_back(item.path().filename().wstring());
  return names;
}

TEST(SettingsIniFile, FileHeldOpenByAnotherProgramStaysAsItWas) {
  ScratchFolder folder;
  const std::string before = "# settings saved earlier\r\n\r\n[Vemora]\r\nRegVer=91\r\n";
  const std::wstring path = folder.Write(L"Vemora.ini", before);
  AppOptions options;
  FileTypeSettingList list;
  ResetSettings(options, list);
  UseBuiltInFileTypes(list);
  LoadKeyPreset(options, 0);
  options.Reg = 1;
  const SettingsLocation location{ToUtf16(path), nullptr};

  // Another program has the file open and shares it with nobody.
  HANDLE held = CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  EXPECT_EQ(SaveSettings(location, options, list), SaveResult::kIniNotWritable);
  CloseHandle(held);
  EXPECT_EQ(ReadAll(path), before);
  EXPECT_EQ(FolderNames(folder.Path()), std::vector<std::wstring>{L"Vemora.ini"});

  // Once it is free again the save goes through, and nothing else is left in the folder.
  EXPECT_EQ(SaveSettings(location, options, list), SaveResult::kSaved);
  EXPECT_TRUE(ReadAll(path).starts_with(std::string(kIniCommentLine) + "\r\n\r\n[Vemora]\r\n"));
  EXPECT_EQ(FolderNames(folder.Path()), std::vector<std::wstring>{L"Vemora.ini"});
}

TEST(SettingsIniFile, ReadOnlyFileIsNotReplaced) {
  ScratchFolder folder;
  const std::string before = "# settings the user protected\r\n\r\n[Vemora]\r\nRegVer=91\r\n";
  const std::wstring path = folder.Write(L"Vemora.ini", before);
  ASSERT_TRUE(SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY));
  AppOptions options;
  FileTypeSettingList list;
  ResetSettings(options, list);
  UseBuiltInFileTypes(list);
  LoadKeyPreset(options, 0);
  options.Reg = 1;
  const SettingsLocation location{ToUtf16(path), nullptr};

  // Reported, so that the user hears of it; the file keeps its bytes and its flag.
  EXPECT_EQ(SaveSettings(location, options, list), SaveResult::kIniNotWritable);
  EXPECT_EQ(ReadAll(path), before);
  EXPECT_TRUE(GetFileAttributesW(path.c_str()) & FILE_ATTRIBUTE_READONLY);
  EXPECT_EQ(FolderNames(folder.Path()), std::vector<std::wstring>{L"Vemora.ini"});
  SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);  // so that the folder can go
}

}  // namespace
}  // namespace vemora::testing
