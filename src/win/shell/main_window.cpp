// The main window procedure: one case per message, each calling a short named handler.
#include "win/shell/main_window.h"

#include <commctrl.h>

#include <algorithm>

#include "core/keys/commands.h"

#include "win/platform/text_conversion.h"
#include "win/resources/resource_ids.h"
#include "win/search/find_search.h"
#include "win/shell/app_state.h"
#include "win/shell/application.h"
#include "win/shell/dpi_scale.h"
#include "win/shell/document_actions.h"
#include "win/shell/help.h"
#include "win/shell/load_steps.h"
#include "win/shell/main_layout.h"
#include "win/shell/modal_deferral.h"
#include "win/shell/status_bar.h"
#include "win/shell/toolbar.h"

namespace vemora {
namespace {

LRESULT OnSize(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (wParam != SIZE_RESTORED && wParam != SIZE_MAXIMIZED)
    return DefWindowProcW(window, message, wParam, lParam);
  RelayoutMainWindow();
  return 0;
}

void OnActivate(WPARAM wParam) {
  const bool active = LOWORD(wParam) != WA_INACTIVE;
  const Document* document = CurrentDocument();
  if (document && document->sourceKind == kSourceFile) SetMainWindowTitle(active);
  // Keys go to the view, so that none of them ends up as a menu key of the frame.
  if (active && gShell.viewWindow) SetFocus(gShell.viewWindow);
}

LRESULT OnWindowPosChanged(HWND window, WPARAM wParam, LPARAM lParam) {
  const auto* position = reinterpret_cast<const WINDOWPOS*>(lParam);
  if (!IsZoomed(window) && !IsIconic(window)) {
    gOptions.WinPosX = position->x;
    gOptions.WinPosY = position->y;
  }
  return DefWindowProcW(window, WM_WINDOWPOSCHANGED, wParam, lParam);
}

LRESULT OnNotify(HWND window, WPARAM wParam, LPARAM lParam) {
  auto* header = reinterpret_cast<NMHDR*>(lParam);
  if (header->code != TTN_GETDISPINFOW) return DefWindowProcW(window, WM_NOTIFY, wParam, lParam);
  auto* info = reinterpret_cast<NMTTDISPINFOW*>(lParam);
  if (const wchar_t* tip = ToolbarTip(static_cast<UINT>(info->hdr.idFrom)))
    info->lpszText = const_cast<wchar_t*>(tip);
  return 0;
}

void OnMouseWheel(WPARAM wParam) {
  UINT lines = 3;
  if (!SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &lines, 0)) lines = 3;
  // "One screen per notch" is taken as a page.
  if (lines == WHEEL_PAGESCROLL) lines = static_cast<UINT>(std::max(gView.VisibleRows - 2, 1));
  const short delta = GET_WHEEL_DELTA_WPARAM(wParam);
  if (delta < 0) SendMessageW(gShell.viewWindow, WM_COMMAND, CmdLinesForward, lines);
  if (delta > 0) SendMessageW(gShell.viewWindow, WM_COMMAND, CmdLinesBack, lines);
}

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_DESTROY:
      ForgetHelpContext(window);
      PostQuitMessage(0);
      return 0;
    case WM_SIZE:
      return OnSize(window, message, wParam, lParam);
    case WM_ACTIVATE:
      OnActivate(wParam);
      return 0;
    case WM_CLOSE:
      Shutdown();
      return 0;
    case WM_QUERYENDSESSION:
      Shutdown();
      return TRUE;
    case WM_WINDOWPOSCHANGED:
      return OnWindowPosChanged(window, wParam, lParam);
    case WM_NOTIFY:
      return OnNotify(window, wParam, lParam);
    case WM_COMMAND:
      DispatchMainCommand(wParam, lParam);
      return 0;
    case WM_MOUSEWHEEL:
      OnMouseWheel(wParam);
      return 0;
    case WM_RELOAD_DOCUMENT:
      if (!DeferWhileModal(window, message, wParam, lParam)) ReloadCurrentDocument(-1);
      return 0;
    case WM_SEARCH_FINISHED:
      OnSearchFinished(window, wParam);
      return 0;
    case WM_SEARCH_PROGRESS:
      OnSearchProgress(window, wParam);
      return 0;
    case WM_LOAD_STEP:
      OnLoadSteps();
      return 0;
    case WM_ENABLE:
      OnMainWindowEnabled(window, wParam != 0);
      if (wParam) SendCommandThatWaitedForModal();
      return 0;
    case WM_SETCURSOR:
      if (SetSearchCursor(lParam)) return TRUE;
      return DefWindowProcW(window, message, wParam, lParam);
    case WM_DPICHANGED:
      OnMainWindowDpiChanged(wParam, lParam);
      return 0;
    default:
      return DefWindowProcW(window, message, wParam, lParam);
  }
}

}  // namespace

bool RegisterMainClass(HINSTANCE instance) {
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = MainWindowProc;
  windowClass.hInstance = instance;
  windowClass.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(IDI_VEMORA));
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
  windowClass.lpszMenuName = MAKEINTRESOURCEW(IDR_MAINMENU);
  windowClass.lpszClassName = kMainWindowClass;
  return RegisterClassW(&windowClass) != 0;
}

void EnableInputMethod(bool enable) {
  using EnableFunction = BOOL(WINAPI*)(HWND, BOOL);
  static const auto function = reinterpret_cast<EnableFunction>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "WINNLSEnableIME")));
  if (function) function(nullptr, enable ? TRUE : FALSE);
}

}  // namespace vemora
