// The update-check record: the maker's entry with contact and web addresses, and the
// program's entry with its build number and name.
#include "win/shell/update_check.h"

#include <windows.h>

#include <string>

#include "win/platform/text_conversion.h"

namespace vemora {
namespace {

constexpr wchar_t kMakerContact[] = L"vemora@example.org";
constexpr wchar_t kMakerName[] = L"Vemora Project";
constexpr wchar_t kUpdateInfoUrl[] = L"https://www.example.org/vemora/update.txt";
constexpr wchar_t kHomePageUrl[] = L"https://www.example.com/vemora/";
constexpr DWORD kBuildNumber = 995;

void WriteString(HKEY key, const wchar_t* name, const wchar_t* value) {
  const DWORD size = static_cast<DWORD>((wcslen(value) + 1) * sizeof(wchar_t));
  RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value), size);
}

HKEY CreateChild(HKEY parent, const wchar_t* name) {
  HKEY key = nullptr;
  if (RegCreateKeyExW(parent, name, 0, const_cast<wchar_t*>(L""), 0,
                      KEY_CREATE_SUB_KEY | KEY_SET_VALUE, nullptr, &key, nullptr) != ERROR_SUCCESS)
    return nullptr;
  return key;
}

}  // namespace

void RegisterForUpdateCheck(std::u16string_view toolKey) {
  HKEY tool = nullptr;
  const std::wstring path = ToWide(toolKey);
  if (RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_CREATE_SUB_KEY, &tool) != ERROR_SUCCESS)
    return;
  if (HKEY maker = CreateChild(tool, kMakerContact)) {
    WriteString(maker, L"Author", kMakerName);
    WriteString(maker, L"InfoURL", kUpdateInfoUrl);
    WriteString(maker, L"DisplayHost", kHomePageUrl);
    if (HKEY product = CreateChild(maker, L"Vemora")) {
      RegSetValueExW(product, L"Build", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&kBuildNumber),
                     sizeof kBuildNumber);
      WriteString(product, L"DistinctName", L"Vemora");
      RegCloseKey(product);
    }
    RegCloseKey(maker);
  }
  RegCloseKey(tool);
}

}  // namespace vemora
