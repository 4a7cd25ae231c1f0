// Cuts a file short with the host's truncate under Wine, and waits until the file shows it.
#include "cut_from_outside.h"

#include <windows.h>

namespace vemora {

bool CutFromOutside(const std::wstring& path, int64_t size) {
  using UnixName = char*(CDECL*)(const wchar_t*);
  const auto unixName = reinterpret_cast<UnixName>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
  if (!unixName) return false;
  char* name = unixName(path.c_str());
  if (!name) return false;
  std::wstring commandLine = L"truncate -s " + std::to_wstring(size) + L" \"";
  for (const char* c = name; *c; ++c) commandLine += static_cast<wchar_t>(*c);
  commandLine += L"\"";
  HeapFree(GetProcessHeap(), 0, name);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(L"Z:\\usr\\bin\\truncate", commandLine.data(), nullptr, nullptr, FALSE, 0,
                      nullptr, nullptr, &startup, &process))
    return false;
  CloseHandle(process.hProcess);
  CloseHandle(process.hThread);
  // Wine does not wait for a host program or learn its exit code: watch the file instead.
  for (int attempt = 0; attempt < 200; ++attempt) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data) &&
        ((static_cast<int64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow) == size)
      return true;
    Sleep(50);
  }
  return false;
}

}  // namespace vemora
