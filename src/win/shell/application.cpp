// Start-up, the message loop and shutdown of the viewer.
#include "win/shell/application.h"

#include <commctrl.h>

#include "core/platform/out_of_memory.h"
#include "win/resources/resource_ids.h"

namespace vemora {
namespace {

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CLOSE:
      DestroyWindow(window);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    case WM_COMMAND:
      if (LOWORD(wParam) == 40001) PostMessageW(window, WM_CLOSE, 0, 0);
      return 0;
    default:
      return DefWindowProcW(window, message, wParam, lParam);
  }
}

bool RegisterMainClass(HINSTANCE instance) {
  WNDCLASSW windowClass{};
  windowClass.style = 0;
  windowClass.lpfnWndProc = MainWindowProc;
  windowClass.hInstance = instance;
  windowClass.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(IDI_VEMORA));
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
  windowClass.lpszMenuName = MAKEINTRESOURCEW(IDR_MAINMENU);
  windowClass.lpszClassName = kMainWindowClass;
  return RegisterClassW(&windowClass) != 0;
}

}  // namespace

int RunApplication(HINSTANCE instance, int showCommand) {
  InitCommonControls();
  InstallOutOfMemoryHandler();
  if (!RegisterMainClass(instance)) return 0;
  HWND window = CreateWindowExW(0, kMainWindowClass, L"Vemora",
                                WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, CW_USEDEFAULT, 0,
                                CW_USEDEFAULT, 0, nullptr, nullptr, instance, nullptr);
  if (!window) {
    UnregisterClassW(kMainWindowClass, instance);
    return 0;
  }
  ShowWindow(window, showCommand);
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  UnregisterClassW(kMainWindowClass, instance);
  return static_cast<int>(message.wParam);
}

}  // namespace vemora
