// The environment sheet itself: two pages, help and no apply button; the first page is
// built at once, the second when the user first turns to it.
#include "win/settings/environment_sheet.h"

#include <commctrl.h>

#include "win/resources/resource_ids.h"
#include "win/settings/environment_pages.h"

namespace vemora {
namespace {

PROPSHEETPAGEW Page(int templateId, const wchar_t* title, DLGPROC procedure,
                    EnvironmentSheetState& state) {
  PROPSHEETPAGEW page{};
  page.dwSize = sizeof page;
  page.dwFlags = PSP_USETITLE | PSP_HASHELP;
  page.hInstance = GetModuleHandleW(nullptr);
  page.pszTemplate = MAKEINTRESOURCEW(templateId);
  page.pszTitle = title;
  page.pfnDlgProc = procedure;
  page.lParam = reinterpret_cast<LPARAM>(&state);
  return page;
}

}  // namespace

EnvironmentSheetState& AttachSheetState(HWND page, LPARAM initParam) {
  const auto* sheetPage = reinterpret_cast<const PROPSHEETPAGEW*>(initParam);
  SetWindowLongPtrW(page, DWLP_USER, sheetPage->lParam);
  return SheetStateOf(page);
}

EnvironmentSheetState& SheetStateOf(HWND page) {
  return *reinterpret_cast<EnvironmentSheetState*>(GetWindowLongPtrW(page, DWLP_USER));
}

bool ShowEnvironmentSheet(HWND owner, AppOptions& options) {
  EnvironmentSheetState state;
  state.options = &options;
  PROPSHEETPAGEW pages[] = {Page(IDD_KEY_PAGE, L"操作", KeyPageProc, state),
                            Page(IDD_OTHER_PAGE, L"その他", OtherPageProc, state)};
  PROPSHEETHEADERW header{};
  header.dwSize = sizeof header;
  header.dwFlags = PSH_PROPSHEETPAGE | PSH_NOAPPLYNOW | PSH_HASHELP;
  header.hwndParent = owner;
  header.hInstance = GetModuleHandleW(nullptr);
  header.pszCaption = L"環境設定";
  header.nPages = 2;
  header.nStartPage = 0;
  header.ppsp = pages;
  PropertySheetW(&header);
  return state.settingsApplied;
}

}  // namespace vemora
