// Per-monitor dpi: the system's own dpi query where it exists (it does not before
// Windows 10), the screen's LOGPIXELSY otherwise.
#include "win/shell/dpi_scale.h"

#include <commctrl.h>

#include <algorithm>

#include "win/platform/font_conversion.h"
#include "win/keys/menu_states.h"
#include "win/shell/app_state.h"
#include "win/shell/main_layout.h"
#include "win/shell/status_bar.h"
#include "win/shell/toolbar.h"
#include "win/view/gutter.h"
#include "win/view/view_paint.h"

namespace vemora {
namespace {

int gCurrentDpi = kDesignDpi;

// The toolbar's images and selector font are made for one dpi: it is made again.
void RecreateToolbar() {
  if (!gShell.toolbar) return;
  DestroyWindow(gShell.toolbar);
  if (gShell.selectorFont) DeleteObject(gShell.selectorFont);
  gShell.toolbar = gShell.fileTypeSelector = nullptr;
  gShell.selectorFont = nullptr;
  CreateToolbar(gShell.mainWindow, gShell.instance);
  UpdateMenuStates();
}

int ScreenDpi() {
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  return dpi > 0 ? dpi : kDesignDpi;
}

}  // namespace

int WindowDpi(HWND window) {
  using DpiForWindow = UINT(WINAPI*)(HWND);
  static const auto function = reinterpret_cast<DpiForWindow>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
  if (function && window) {
    if (const UINT dpi = function(window)) return static_cast<int>(dpi);
  }
  return ScreenDpi();
}

int CurrentDpi() {
  return gCurrentDpi;
}

void SetCurrentDpi(int dpi) {
  gCurrentDpi = dpi > 0 ? dpi : kDesignDpi;
}

int ScaledForDpi(int pixels, int dpi) {
  const int scaled = MulDiv(pixels, dpi, kDesignDpi);
  return pixels > 0 ? std::max(scaled, 1) : scaled;
}

int Scaled(int pixels) {
  return ScaledForDpi(pixels, gCurrentDpi);
}

LOGFONTW LogFontForDpi(const FontRecord& font, int dpi) {
  LOGFONTW logFont = ToLogFont(font);
  logFont.lfHeight = MulDiv(logFont.lfHeight, dpi, kDesignDpi);
  logFont.lfWidth = MulDiv(logFont.lfWidth, dpi, kDesignDpi);
  return logFont;
}

FontRecord FontRecordAtDesignDpi(const LOGFONTW& logFont, int dpi) {
  FontRecord font = FromLogFont(logFont);
  font.height = MulDiv(font.height, kDesignDpi, dpi > 0 ? dpi : kDesignDpi);
  font.width = MulDiv(font.width, kDesignDpi, dpi > 0 ? dpi : kDesignDpi);
  return font;
}

void OnMainWindowDpiChanged(WPARAM wParam, LPARAM lParam) {
  SetCurrentDpi(HIWORD(wParam));
  const auto* suggested = reinterpret_cast<const RECT*>(lParam);
  SetWindowPos(gShell.mainWindow, nullptr, suggested->left, suggested->top,
               suggested->right - suggested->left, suggested->bottom - suggested->top,
               SWP_NOZORDER | SWP_NOACTIVATE);
  SetStatusBarParts();
  RecreateToolbar();
  CreateViewFont();
  UpdateVisibleSize();
  LayOutCurrentDocument();
  ComputeGutterWidth();
  RelayoutMainWindow();
  InvalidateRect(gShell.mainWindow, nullptr, TRUE);
  InvalidateRect(gShell.viewWindow, nullptr, TRUE);
  InvalidateRect(gShell.gutterWindow, nullptr, TRUE);
}

}  // namespace vemora
