// Sizes drawn for 96 dpi, scaled to the main window's screen: margins, status-bar parts,
// toolbar images, marks, and the view font, whose stored size stays the 96-dpi one.
#pragma once

#include <windows.h>

#include "core/settings/settings_model.h"

namespace vemora {

inline constexpr int kDesignDpi = 96;

// The dpi of the window's screen as the system reports it to this process.
int WindowDpi(HWND window);

// The dpi every scaled size follows: the main window's, taken at start and on a move to a
// screen of another dpi.
int CurrentDpi();
void SetCurrentDpi(int dpi);

// A size written for 96 dpi, in pixels at the current dpi (at least 1 for a positive size).
int Scaled(int pixels);
int ScaledForDpi(int pixels, int dpi);

// The stored font at the dpi, and a chosen font back to the stored 96-dpi record.
LOGFONTW LogFontForDpi(const FontRecord& font, int dpi);
FontRecord FontRecordAtDesignDpi(const LOGFONTW& logFont, int dpi);

// WM_DPICHANGED of the main window: the suggested rectangle, new fonts and sizes.
void OnMainWindowDpiChanged(WPARAM wParam, LPARAM lParam);

}  // namespace vemora
