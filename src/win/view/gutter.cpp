// The gutter draws each visible row's line number right-aligned in the view's font and
// colours, ending 8 pixels short of its right edge.
#include "win/view/gutter.h"

#include <algorithm>
#include <string>

#include "core/shell/scroll_rules.h"
#include "win/shell/app_state.h"
#include "win/shell/dpi_scale.h"
#include "win/view/view_lines.h"

namespace vemora {
namespace {

void OnGutterPaint(HWND window) {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(window, &paint);
  RECT client{};
  GetClientRect(window, &client);
  if (CurrentDocument())
    PaintGutter(dc, (client.bottom + gView.LinePitch - 1) / gView.LinePitch);
  else
    FillRect(dc, &client, gView.BackgroundBrush);
  EndPaint(window, &paint);
}

LRESULT CALLBACK GutterWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT:
      OnGutterPaint(window);
      return 0;
    default:
      return DefWindowProcW(window, message, wParam, lParam);
  }
}

}  // namespace

bool RegisterGutterClass(HINSTANCE instance) {
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = GutterWindowProc;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.lpszClassName = kGutterWindowClass;
  return RegisterClassW(&windowClass) != 0;
}

void PaintGutter(HDC dc, int32_t rows) {
  const bool own = dc == nullptr;
  if (own) dc = GetDC(gShell.gutterWindow);
  const Document* document = CurrentDocument();
  const FileTypeSetting& type = CurrentFileType();
  RECT client{};
  GetClientRect(gShell.gutterWindow, &client);
  HGDIOBJ previousFont = gView.ViewFont ? SelectObject(dc, gView.ViewFont) : nullptr;
  SetBkMode(dc, OPAQUE);
  SetTextColor(dc, type.TextCol);
  SetBkColor(dc, type.BackCol);
  UINT previousAlign = SetTextAlign(dc, TA_RIGHT);
  for (int32_t row = 0; row < rows; ++row) {
    const int32_t y = row * gView.LinePitch;
    RECT band{0, y, client.right, y + gView.LinePitch};
    FillRect(dc, &band, gView.BackgroundBrush);
    const int32_t number =
        document ? ShownLineNumber(*document, document->TopLine + row, type.LineType) : 0;
    if (number <= 0) continue;
    const std::wstring text = std::to_wstring(number);
    RECT clip{0, y, client.right - Scaled(8), y + gView.LinePitch};
    ExtTextOutW(dc, client.right - Scaled(8), y, ETO_CLIPPED, &clip, text.c_str(),
                static_cast<UINT>(text.size()), nullptr);
  }
  SetTextAlign(dc, previousAlign);
  if (previousFont) SelectObject(dc, previousFont);
  if (own) ReleaseDC(gShell.gutterWindow, dc);
}

void ScrollGutter(int32_t lines) {
  RECT uncovered{};
  ScrollWindowEx(gShell.gutterWindow, 0, lines * gView.LinePitch, nullptr, nullptr, nullptr,
                 &uncovered, 0);
  RedrawWindow(gShell.gutterWindow, &uncovered, nullptr,
               RDW_INVALIDATE | RDW_UPDATENOW | RDW_NOINTERNALPAINT);
}

int32_t RequiredGutterWidth() {
  HDC dc = GetDC(gShell.gutterWindow);
  HGDIOBJ previous = gView.ViewFont ? SelectObject(dc, gView.ViewFont) : nullptr;
  int32_t widest = 0;
  for (wchar_t digit = L'0'; digit <= L'9'; ++digit) {
    SIZE size{};
    GetTextExtentPoint32W(dc, &digit, 1, &size);
    widest = std::max<int32_t>(widest, size.cx);
  }
  if (previous) SelectObject(dc, previous);
  ReleaseDC(gShell.gutterWindow, dc);
  const Document* document = CurrentDocument();
  return ComputeGutterWidth(widest, document ? LargestShownLineNumber(*document) : 0,
                            CurrentFileType().FoldRight != 0, document != nullptr, Scaled(16));
}

void ComputeGutterWidth() {
  gView.GutterWidth = RequiredGutterWidth();
}

}  // namespace vemora
