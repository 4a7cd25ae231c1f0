// The program's entry: start-up, the message loop and the orderly end.
#pragma once

#include <windows.h>

#include <string>

#include "win/shell/main_window.h"

namespace vemora {

// Where a run of the viewer takes its input and keeps its settings. The program uses the
// files beside its executable and the real registry key; tests use scratch places.
struct StartUpOptions {
  std::u16string commandLine;  // as the process received it, the program's path first
  int showCommand = SW_SHOWDEFAULT;
  std::u16string iniFilePath;     // "Vemora.ini" beside the executable
  std::u16string helpFilePath;    // "vemora.chm" beside the executable
  std::u16string registryRoot;    // under HKEY_CURRENT_USER
  std::u16string updateCheckKey;  // under HKEY_CURRENT_USER
};

// The options of a normal run of the executable.
StartUpOptions DefaultStartUpOptions(int showCommand);

// Runs the viewer and returns the process exit code.
int RunApplication(HINSTANCE instance, int showCommand);

// Steps of a run, for RunApplication and for tests that host the viewer in-process.
bool StartUp(HINSTANCE instance, const StartUpOptions& options);
int RunMessageLoop();
// Takes the placement, saves the settings and destroys the main window.
void Shutdown();
// Reads the main window's normal placement into the options.
void SavePlacement();
// Writes every setting to the medium `Reg` names, as at exit.
void SaveAllSettings();
// What remains after the message loop: the main window class.
void FinishApplication(HINSTANCE instance);

}  // namespace vemora
