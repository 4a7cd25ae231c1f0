// Page "その他" of the environment sheet: the bars, window placement, mouse marking,
// smooth scrolling, the bell, the history length, the quotation prefix and where the
// settings are kept. Its fields are written only when it was opened and the sheet is
// confirmed.
#include "win/resources/settings_dialog_ids.h"
#include "win/settings/environment_pages.h"
#include "win/settings/window_controls.h"
#include "win/shell/help.h"

namespace vemora {
namespace {

using Options = AppOptions;
constexpr int32_t kQuoteLimit = kQuoteCapacity - 1;

const FieldLink<Options> kOtherFields[] = {
    CheckField(IDC_TOOLBAR, &Options::Tbar),
    CheckField(IDC_STATUS_BAR, &Options::Sbar),
    CheckField(IDC_SAVE_POSITION, &Options::PosSave),
    CheckField(IDC_SAVE_SIZE, &Options::SizeSave),
    CheckField(IDC_MOUSE_CARET, &Options::Caret),
    CheckField(IDC_SMOOTH_LINE, &Options::SmLine),
    PositionField(IDC_SMOOTHNESS, &Options::SmRare, 1, 30),
    CheckField(IDC_SMOOTH_PAGE, &Options::SmPage),
    CheckField(IDC_BELL, &Options::Bell),
    NumberField(IDC_HISTORY_COUNT, IDC_HISTORY_SPIN, &Options::HistNum, 2, 0, 20),
    TextField(IDC_QUOTE, &Options::Quote, kQuoteLimit, kQuoteLimit),
    CheckField(IDC_USE_INI, &Options::Reg),
};

void OnInitOtherPage(HWND page, LPARAM initParam) {
  EnvironmentSheetState& state = AttachSheetState(page, initParam);
  WindowControls controls{page};
  PrepareFields<Options>(kOtherFields, controls);
  ShowFields<Options>(kOtherFields, *state.options, controls);
}

void OnOtherPageNotify(HWND page, const NMHDR& header) {
  EnvironmentSheetState& state = SheetStateOf(page);
  switch (header.code) {
    case PSN_APPLY:
      TakeFields<Options>(kOtherFields, WindowControls{page}, *state.options);
      state.settingsApplied = true;
      SetWindowLongPtrW(page, DWLP_MSGRESULT, PSNRET_NOERROR);
      break;
    case PSN_HELP:
      ShowHelpTopic(kHelpOptions);
      break;
  }
}

}  // namespace

INT_PTR CALLBACK OtherPageProc(HWND page, UINT message, WPARAM, LPARAM lParam) {
  if (message != WM_INITDIALOG && !GetWindowLongPtrW(page, DWLP_USER)) return FALSE;
  switch (message) {
    case WM_INITDIALOG:
      OnInitOtherPage(page, lParam);
      return TRUE;
    case WM_NOTIFY:
      OnOtherPageNotify(page, *reinterpret_cast<const NMHDR*>(lParam));
      return TRUE;
    default:
      return FALSE;
  }
}

}  // namespace vemora
