// The view's window procedure only dispatches: each case decodes the message and calls a
// named handler. Keys never arrive here as key messages; the main window's accelerators
// turn them into commands that it forwards. Every handler that paints or scrolls takes
// the mouse cell off the screen first, so no pixels are ever moved or painted with it.
#include "win/view/view_window.h"

#include <shellapi.h>

#include <string>

#include "core/keys/commands.h"
#include "core/layout/layout.h"
#include "core/search/filtered_view.h"
#include "core/search/search.h"
#include "win/keys/menu_states.h"
#include "win/platform/text_conversion.h"
#include "win/search/find_command.h"
#include "win/shell/app_state.h"
#include "win/shell/document_actions.h"
#include "win/shell/load_steps.h"
#include "win/shell/status_bar.h"
#include "win/view/jump_dialog.h"
#include "win/view/view_clipboard.h"
#include "win/view/view_context_menu.h"
#include "win/view/view_paint.h"
#include "win/view/view_scroll.h"
#include "win/view/view_selection.h"

namespace vemora {
namespace {

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
  if (line < 0) return ViewBeep();
  const bool wasShown = gShell.ShowSearchResults == 1;
  gShell.ShowSearchResults = 1;
  ScrollToLine(line, !wasShown);
  UpdateMenuStates();
}

// While a load runs, the commands that reach past what it has joined wait for its end.
bool ReachesPastLoadedPart(UINT command, const Document& document) {
  if (!LoadRunning()) return false;
  switch (command) {
    case CmdBottom:
    case CmdSelectAll:
      return true;
    case CmdFindNext:
      return FindNextHit(document, document.TopLine) < 0;
    case CmdFindPrev:
      return FindPreviousHit(document, document.TopLine) < 0;
    default:
      return false;
  }
}

void OnCommand(WPARAM wParam, LPARAM lParam) {
  if (!CurrentDocument()) return;
  const UINT command = LOWORD(wParam);
  if (ReachesPastLoadedPart(command, *CurrentDocument()) &&
      WaitForWholeDocument(gShell.viewWindow, WM_COMMAND, wParam, lParam))
    return;
  if (ExecuteScrollCommand(static_cast<uint16_t>(command), lParam)) return;
  switch (command) {
    case CmdFind:
    case CmdFindBackward:
      FindWithDialog(command == CmdFindBackward);
      break;
    case CmdShowMatches:
      OnToggleSearchResults();
      break;
    case CmdFindNext:
      OnStepToHit(true);
      break;
    case CmdFindPrev:
      OnStepToHit(false);
      break;
    case CmdCopy:
    case CmdAppendCopy:
    case CmdQuotedCopy:
      OnCopyCommand(command);
      break;
    case CmdJump:
      ShowJumpDialog();
      break;
    case CmdSelectAll:
      SelectAll();
      break;
    default:
      break;
  }
}

void OnJump(LPARAM lParam) {
  const Document& document = *CurrentDocument();
  const int32_t n = static_cast<int32_t>(lParam);
  int32_t target = -1;
  if (document.filter)
    target = n < 0 ? -1 : DisplayLineAtOrAfterFileLine(document, n);
  else if (CurrentFileType().LineType == 1)
    target = DisplayLineOfLogical(document, n);
  else if (n >= 0 && n < document.displayLineCount)
    target = n;
  if (target < 0 && WaitForWholeDocument(gShell.viewWindow, WM_VIEW_JUMP, 0, lParam)) return;
  if (target < 0) return ViewBeep();
  ScrollToLine(target, false);
}

// Only the first file of a drop is opened, whatever the length of its path.
void OnDropFiles(HDROP drop) {
  const UINT length = DragQueryFileW(drop, 0, nullptr, 0);
  std::wstring path(length, L'\0');
  const UINT copied = length ? DragQueryFileW(drop, 0, path.data(), length + 1) : 0;
  DragFinish(drop);
  if (copied == 0) return;
  path.resize(copied);
  OpenDocument(ToUtf16(path), 0, -1);
}

// Messages that act only on a shown document.
LRESULT OnDocumentMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_LBUTTONDOWN:
      OnSelectionPress(wParam, lParam);
      break;
    case WM_MOUSEMOVE:
      OnSelectionMove(lParam);
      break;
    case WM_LBUTTONUP:
      OnSelectionRelease();
      break;
    case WM_CAPTURECHANGED:
      OnSelectionCaptureChanged(reinterpret_cast<HWND>(lParam));
      break;
    case WM_LBUTTONDBLCLK:
      OnWordDoubleClick(lParam);
      break;
    case WM_VIEW_SELECTLINE:
      OnSelectLine(lParam);
      break;
    case WM_TIMER:
      OnSelectionTimer(wParam);
      break;
    case WM_VSCROLL:
      RemoveMouseCell();
      HandleVerticalScrollBar(wParam);
      break;
    case WM_HSCROLL:
      RemoveMouseCell();
      HandleHorizontalScrollBar(wParam);
      break;
    case WM_VIEW_JUMP:
      RemoveMouseCell();
      OnJump(lParam);
      break;
  }
  return 0;
}

LRESULT CALLBACK ViewWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      ResetSelectionState();
      return 0;
    case WM_PAINT:
      RemoveMouseCell();
      OnPaint(window);
      return 0;
    case WM_COMMAND:
      RemoveMouseCell();
      OnCommand(wParam, lParam);
      return 0;
    case WM_RBUTTONDOWN:
      RemoveMouseCell();
      ShowViewContextMenu();
      return 0;
    case WM_DROPFILES:
      RemoveMouseCell();
      OnDropFiles(reinterpret_cast<HDROP>(wParam));
      return 0;
    case WM_LBUTTONDOWN:
    case WM_MOUSEMOVE:
    case WM_LBUTTONUP:
    case WM_CAPTURECHANGED:
    case WM_LBUTTONDBLCLK:
    case WM_VIEW_SELECTLINE:
    case WM_TIMER:
    case WM_VSCROLL:
    case WM_HSCROLL:
    case WM_VIEW_JUMP:
      if (CurrentDocument()) return OnDocumentMessage(message, wParam, lParam);
      // A document closed in the middle of a drag must not keep the mouse captured.
      if (message == WM_LBUTTONUP && GetCapture() == window) ReleaseCapture();
      return 0;
    default:
      return DefWindowProcW(window, message, wParam, lParam);
  }
}

}  // namespace

void ViewBeep() {
  if (gOptions.Bell == 1) MessageBeep(static_cast<UINT>(-1));
}

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
