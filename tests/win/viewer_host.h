// Runs the viewer inside the test process, on scratch settings (an INI path in a scratch
// folder and a scratch registry key), so tests read what a user would see: the status
// bar, the title, the menu, the painted pixels and the settings written at exit.
#pragma once

#include <windows.h>

#include <filesystem>
#include <functional>
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
  // Offers a key press to the accelerator table the way the message loop does.
  void PressKey(WORD key);
  std::wstring StatusText(int part) const;
  std::wstring Title() const;
  std::wstring IniPath() const { return folder_.File(L"Vemora.ini"); }
  const ScratchFolder& Folder() const { return folder_; }
  bool Running() const { return running_; }

 private:
  ScratchFolder folder_;
  bool running_ = false;
};

// A file beside the test program: the built programs, the help file, the stand-in tool.
std::filesystem::path BesideTheTests(std::wstring_view name);
std::wstring Quoted(std::wstring_view text);
// "line 1" to "line <count>", each ended by CR LF.
std::string Lines(int count);
std::string ReadAll(const std::filesystem::path& path);
// The main menu's state of a command.
bool Grayed(UINT command);
bool Checked(UINT command);
// The view's scroll bar, SB_HORZ or SB_VERT.
SCROLLINFO Bar(int bar);
// The clipboard's Unicode text; "(none)" when it holds no text.
std::wstring ClipboardText();
// Puts the text on the clipboard as Unicode text; null leaves the clipboard empty.
void PutOnClipboard(const std::wstring* text);

// The shown document's text; "(none)" without one.
std::wstring ShownText();
// Handles the viewer's messages until the condition holds or the time is up.
bool PumpUntil(ViewerHost& host, const std::function<bool()>& done, DWORD milliseconds);
// How many of `count` messages sent from another thread the main window answered within
// 100 ms each, while this thread keeps handling its messages.
int AnswersFromAnotherThread(ViewerHost& host, int count);
// Esc offered to a running search the way the message loop offers it; true if it stopped
// one.
bool PressEscapeToSearch();
// The cursor the view shows over its client area is the wait cursor.
bool ShowsWaitCursor();

// The text of a wide string of the bytes of a UTF-8 literal, for readable expectations.
std::wstring Wide(std::string_view utf8);
std::string ShiftJis(std::wstring_view text);

}  // namespace vemora::testing
