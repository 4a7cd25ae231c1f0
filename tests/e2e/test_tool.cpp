// vemora_test_tool: the editor the tool tests configure. It records how it was started
// and changes the file it was given, as an editor saving an edit would.
//   vemora_test_tool LOG GO FILE [ANYTHING...]
// Appends its whole command line as a UTF-8 line to LOG; then, unless GO is "-", waits
// (at most a minute) until a file named GO exists; then appends one line to FILE and ends.
#include <windows.h>

#include <string>

namespace {

void Append(const wchar_t* path, const std::string& bytes) {
  HANDLE file = CreateFileW(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
}

std::string Utf8(const wchar_t* text) {
  const int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
  std::string bytes(static_cast<size_t>(size > 0 ? size - 1 : 0), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text, -1, bytes.data(), size, nullptr, nullptr);
  return bytes;
}

void WaitFor(const wchar_t* path) {
  for (int i = 0; i < 3000 && GetFileAttributesW(path) == INVALID_FILE_ATTRIBUTES; ++i) Sleep(20);
}

}  // namespace

int wmain(int count, wchar_t** arguments) {
  if (count < 4) return 2;
  Append(arguments[1], Utf8(GetCommandLineW()) + "\n");
  if (std::wstring(arguments[2]) != L"-") WaitFor(arguments[2]);
  Append(arguments[3], "added by the tool\r\n");
  return 0;
}
