// Status-bar parts and the title. Every write is skipped when the status bar was not
// created at start.
#include "win/shell/status_bar.h"

#include <commctrl.h>

#include <algorithm>
#include <string>

#include "core/shell/status_text.h"
#include "win/platform/text_conversion.h"
#include "win/search/filter_command.h"
#include "win/shell/app_state.h"
#include "win/shell/dpi_scale.h"
#include "win/view/view_lines.h"

namespace vemora {

HWND CreateStatusBar(HWND mainWindow, HINSTANCE instance) {
  // WS_VISIBLE: a status bar the user never sees would be of no use.
  HWND bar = CreateWindowExW(0, STATUSCLASSNAMEW, nullptr,
                             WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | SBARS_SIZEGRIP, 0, 0, 0, 0,
                             mainWindow, reinterpret_cast<HMENU>(kStatusBarId), instance, nullptr);
  if (!bar) return nullptr;
  gShell.statusBar = bar;
  SetStatusBarParts();
  return bar;
}

namespace {
bool gLoadPartShown = false;
}  // namespace

void SetStatusBarParts() {
  if (!gShell.statusBar) return;
  int edges[6] = {Scaled(110), Scaled(160), Scaled(270), Scaled(380), -1, -1};
  if (gLoadPartShown) {
    RECT client{};
    GetClientRect(gShell.statusBar, &client);
    edges[4] = std::max<int>(Scaled(530), client.right - Scaled(120));
  }
  const int parts = gLoadPartShown ? 6 : 5;
  SendMessageW(gShell.statusBar, SB_SETPARTS, parts, reinterpret_cast<LPARAM>(edges));
}

void ShowLoadProgress(int32_t percent) {
  if (!gShell.statusBar) return;
  if (gLoadPartShown != (percent >= 0)) {
    gLoadPartShown = percent >= 0;
    SetStatusBarParts();
  }
  if (percent >= 0)
    SetStatusPart(kStatusLoadPart, u"読込中 " + ToUtf16(std::to_wstring(percent)) + u"%");
}

int32_t StatusBarHeight() {
  if (!gShell.statusBar) return 0;
  RECT rect{};
  GetWindowRect(gShell.statusBar, &rect);
  return rect.bottom - rect.top;
}

void SetStatusPart(int part, std::u16string_view text) {
  if (!gShell.statusBar) return;
  std::wstring wide = ToWide(text);
  SendMessageW(gShell.statusBar, SB_SETTEXTW, part, reinterpret_cast<LPARAM>(wide.c_str()));
}

void SetStatusLineText(int part, int32_t displayLine) {
  const Document* document = CurrentDocument();
  if (!document) return SetStatusPart(part, u"");
  if (part == kStatusTopLinePart && document->filter && document->displayLineCount == 0)
    return SetStatusPart(part, kNoKeptLinesText);
  const int32_t number = ShownLineNumber(*document, displayLine, CurrentFileType().LineType);
  SetStatusPart(
      part, part == kStatusTopLinePart ? TopLineStatusText(number) : MouseLineStatusText(number));
}

void ShowMouseLine() {
  const Document* document = CurrentDocument();
  if (!document) return;
  POINT pointer{};
  GetCursorPos(&pointer);
  ScreenToClient(gShell.viewWindow, &pointer);
  RECT client{};
  GetClientRect(gShell.viewWindow, &client);
  if (pointer.x < 0 || pointer.y < 0 || pointer.x >= client.right || pointer.y >= client.bottom)
    return;
  SetStatusLineText(kStatusMouseLinePart, document->TopLine + pointer.y / gView.LinePitch);
}

void SetMainWindowTitle(bool active) {
  const Document* document = CurrentDocument();
  std::u16string name = document ? document->name : u"";
  if (document && document->filter) name += kFilteredTitleMark;
  const std::wstring title =
      document ? ToWide(DocumentTitle(name, active)) : std::wstring(L"Vemora");
  SendMessageW(gShell.mainWindow, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(title.c_str()));
}

}  // namespace vemora
