// What the environment sheet's pages share: the options they edit, the copy of the key
// table restored on cancel, and whether a page applied its values.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "core/keys/key_page.h"
#include "core/settings/settings_model.h"

namespace vemora {

struct EnvironmentSheetState {
  AppOptions* options = nullptr;
  KeyTableCopy keyTableCopy;
  bool settingsApplied = false;
};

// Page procedures; WM_INITDIALOG's lParam is the PROPSHEETPAGEW whose lParam is the state.
INT_PTR CALLBACK KeyPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK OtherPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);

// Takes the state from the page's WM_INITDIALOG and keeps it with the page.
EnvironmentSheetState& AttachSheetState(HWND page, LPARAM initParam);
EnvironmentSheetState& SheetStateOf(HWND page);

}  // namespace vemora
