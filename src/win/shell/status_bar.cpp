// Status-bar parts and the title. Every write is skipped when the status bar was not
// created at start. Each part is wide enough for the longest text it can show.
#include "win/shell/status_bar.h"

#include <commctrl.h>

#include <algorithm>
#include <iterator>
#include <string>
#include <vector>

#include "core/platform/out_of_memory.h"
#include "core/shell/status_text.h"
#include "core/text/decode.h"
#include "core/text/encoding.h"
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

// Each part's width at 96 dpi as the window was designed, the load's part last.
constexpr int kDesignWidths[] = {110, 50, 110, 110, 150, 120};
// Around its text a part keeps its borders and a margin on either side.
constexpr int kTextRoom = 12;

std::u16string LoadProgressText(int32_t percent) {
  return u"読込中 " + ToUtf16(std::to_wstring(percent)) + u"%";
}

// The texts each part needs the most room for: every name it shows, its largest number.
std::vector<std::u16string> WidestTexts(int part) {
  switch (part) {
    case kStatusEncodingPart: {
      std::vector<std::u16string> names;
      for (TextEncoding encoding = 0; !EncodingStatusName(encoding).empty(); ++encoding)
        names.emplace_back(EncodingStatusName(encoding));
      return names;
    }
    case kStatusLineEndPart:
      return {std::u16string(LineEndName(kLineEndCrLf)), std::u16string(LineEndName(kLineEndLf))};
    case kStatusTopLinePart:
      return {TopLineStatusText(kLargestShownLine), kNoKeptLinesText, kNoLineText};
    case kStatusMouseLinePart:
      return {MouseLineStatusText(kLargestShownLine)};
    case kStatusFilePart:
      return {FileStampText(kWidestFileStamp)};
    default:
      return {LoadProgressText(100)};
  }
}

// The bar's font as it is at 96 dpi: the one it was given, else the system's status font,
// which the system made for its own dpi.
HFONT CreateDesignFont() {
  LOGFONTW font{};
  const auto given = reinterpret_cast<HFONT>(SendMessageW(gShell.statusBar, WM_GETFONT, 0, 0));
  if (!given || !GetObjectW(given, sizeof font, &font)) {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
    font = metrics.lfStatusFont;
  }
  HDC screen = GetDC(nullptr);
  const int systemDpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  font.lfHeight = MulDiv(font.lfHeight, kDesignDpi, systemDpi > 0 ? systemDpi : kDesignDpi);
  return CreateFontIndirectW(&font);
}

// The parts' widths at 96 dpi: as designed, or wider where a text needs it, rounded up to
// tens so that every dpi scales them alike.
std::vector<int> DesignWidths() {
  std::vector<int> widths(std::begin(kDesignWidths), std::end(kDesignWidths));
  HFONT font = CreateDesignFont();
  HDC dc = GetDC(gShell.statusBar);
  HGDIOBJ previous = SelectObject(dc, font);
  for (int part = 0; part < static_cast<int>(widths.size()); ++part) {
    for (const std::u16string& text : WidestTexts(part)) {
      const std::wstring wide = ToWide(text);
      SIZE size{};
      GetTextExtentPoint32W(dc, wide.c_str(), static_cast<int>(wide.size()), &size);
      widths[part] = std::max(widths[part], static_cast<int>(size.cx + kTextRoom + 9) / 10 * 10);
    }
  }
  SelectObject(dc, previous);
  ReleaseDC(gShell.statusBar, dc);
  DeleteObject(font);
  return widths;
}

}  // namespace

void SetStatusBarParts() {
  if (!gShell.statusBar) return;
  const std::vector<int> widths = DesignWidths();
  int edges[6] = {0, 0, 0, 0, -1, -1};
  int edge = 0;
  for (int part = kStatusEncodingPart; part <= kStatusMouseLinePart; ++part) {
    edge += widths[part];
    edges[part] = Scaled(edge);
  }
  if (gLoadPartShown) {
    RECT client{};
    GetClientRect(gShell.statusBar, &client);
    edges[4] = std::max<int>(edges[3] + Scaled(widths[kStatusFilePart]),
                             client.right - Scaled(widths[kStatusLoadPart]));
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
  if (percent >= 0) SetStatusPart(kStatusLoadPart, LoadProgressText(percent));
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
      document ? ToWide(DocumentTitle(name, active)) : std::wstring(AsWide(kProgramTitle));
  SendMessageW(gShell.mainWindow, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(title.c_str()));
}

}  // namespace vemora
