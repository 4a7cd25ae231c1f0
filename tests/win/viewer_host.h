// Runs the viewer inside the test process, on scratch settings (an INI path in a scratch
// folder and a scratch registry key), so tests read what a user would see: the status
// bar, the title, the menu, the painted pixels and the settings written at exit.
#pragma once

#include <windows.h>

#include <filesystem>
#include <string>
#include <string_view>

namespace vemora::testing {

inline constexpr wchar_t kScratchRegistryRoot[] = L"Software\\VemoraTests\\Viewer";

class ScratchFolder {
 public:
  ScratchFolder();
  ~ScratchFolder();
  const std::filesystem::path& Path() const { return path_; }
  std::wstring File(std::wstring_view name) const { return (path_ / name).wstring(); }
  // Writes the bytes to a file in the folder and returns its full path.
  std::wstring Write(std::wstring_view name, std::string_view bytes) const;

 private:
  std::filesystem::path path_;
};

class ViewerHost {
 public:
  ViewerHost();
  ~ViewerHost();

  // Starts the viewer with the command-line arguments after the program's path.
  bool Start(std::wstring_view arguments);
  // Handles every pending message.
  void Pump();
  // Closes the main window as a user does, and lets the message loop end.
  void Close();

  void Command(UINT command, LPARAM lParam = 0);
  std::wstring StatusText(int part) const;
  std::wstring Title() const;
  std::wstring IniPath() const { return folder_.File(L"Vemora.ini"); }
  const ScratchFolder& Folder() const { return folder_; }
  bool Running() const { return running_; }

 private:
  ScratchFolder folder_;
  bool running_ = false;
};

// The text of a wide string of the bytes of a UTF-8 literal, for readable expectations.
std::wstring Wide(std::string_view utf8);
std::string ShiftJis(std::wstring_view text);

}  // namespace vemora::testing
