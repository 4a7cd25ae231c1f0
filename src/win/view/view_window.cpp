// The view's window procedure only dispatches: each case decodes the message and calls a
// named handler. Keys never arrive here as key messages; the main window's accelerators
// turn them into commands that it forwards.
#include "win/view/view_window.h"

#include <shellapi.h>

#include <string>

#include "core/keys/commands.h"
#include "core/layout/layout.h"
#include "core/search/search.h"
#include "win/keys/menu_states.h"
#include "win/platform/text_conversion.h"
#include "win/shell/app_state.h"
#include "win/shell/document_actions.h"
#include "win/shell/status_bar.h"
#include "win/view/view_paint.h"
#include "win/view/view_scroll.h"

namespace vemora {
namespace {

void Beep() {
  if (gOptions.Bell == 1) MessageBeep(static_cast<UINT>(-1));
}

void OnPaint(HWND window) {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(window, &paint);
  PaintView(dc);
  EndPaint(window, &paint);
}

void OnToggleSearchResults() {
  gShell.ShowSearchResults = gShell.ShowSearchResults ? 0 : 1;
  InvalidateRect(gShell.viewWindow, nullptr, TRUE);
  UpdateMenuStates();
}

void OnStepToHit(bool forward) {
  const Document& document = *CurrentDocument();
  const int32_t line = forward ? FindNextHit(document, document.TopLine)
                               : FindPreviousHit(document, document.TopLine);
  if (line < 0) return Beep();
  const bool wasShown = gShell.ShowSearchResults == 1;
  gShell.ShowSearchResults = 1;
  ScrollToLine(line, !wasShown);
  UpdateMenuStates();
}

void OnCommand(WPARAM wParam, LPARAM lParam) {
  if (!CurrentDocument()) return;
  const UINT command = LOWORD(wParam);
  if (ExecuteScrollCommand(static_cast<uint16_t>(command), lParam)) return;
  switch (command) {
    case CmdShowMatches:
      OnToggleSearchResults();
      break;
    case CmdFindNext:
      OnStepToHit(true);
      break;
    case CmdFindPrev:
      OnStepToHit(false);
      break;
    // The find dialog, copying, the jump dialog and select-all come with the selection
    // and search dialogs; until then these commands change nothing.
    default:
      break;
  }
}

void OnJump(LPARAM lParam) {
  const Document& document = *CurrentDocument();
  const int32_t n = static_cast<int32_t>(lParam);
  int32_t target = -1;
  if (CurrentFileType().LineType == 1)
    target = DisplayLineOfLogical(document, n);
  else if (n >= 0 && n < document.displayLineCount)
    target = n;
  if (target < 0) return Beep();
  ScrollToLine(target, false);
}

void OnDropFiles(HDROP drop) {
  wchar_t path[MAX_PATH + 1] = {};
  const UINT length = DragQueryFileW(drop, 0, path, MAX_PATH + 1);
  DragFinish(drop);
  if (length == 0) return;
  OpenDocument(std::u16string(AsUtf16(path), length), 0, -1);
}

LRESULT CALLBACK ViewWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT:
      OnPaint(window);
      return 0;
    case WM_COMMAND:
      OnCommand(wParam, lParam);
      return 0;
    case WM_VSCROLL:
      HandleVerticalScrollBar(wParam);
      return 0;
    case WM_HSCROLL:
      HandleHorizontalScrollBar(wParam);
      return 0;
    case WM_DROPFILES:
      OnDropFiles(reinterpret_cast<HDROP>(wParam));
      return 0;
    case WM_MOUSEMOVE:
      ShowMouseLine();
      return 0;
    case WM_VIEW_JUMP:
      if (CurrentDocument()) OnJump(lParam);
      return 0;
    // Mouse selection, its timers and the context menu arrive with the selection work;
    // the messages are taken here so that nothing else acts on them meanwhile.
    case WM_RBUTTONDOWN:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_VIEW_SELECTLINE:
    case WM_TIMER:
      return 0;
    default:
      return DefWindowProcW(window, message, wParam, lParam);
  }
}

}  // namespace

bool RegisterViewClass(HINSTANCE instance) {
  WNDCLASSW windowClass{};
  windowClass.style = CS_DBLCLKS;
  windowClass.lpfnWndProc = ViewWindowProc;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.lpszClassName = kViewWindowClass;
  return RegisterClassW(&windowClass) != 0;
}

}  // namespace vemora
