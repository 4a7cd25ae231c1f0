// The Windows entry point of vemora.exe.
#include <windows.h>

#include "win/shell/application.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
  return vemora::RunApplication(instance, showCommand);
}
