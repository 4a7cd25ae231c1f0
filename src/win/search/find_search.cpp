// The find's worker search: one search at a time, told apart from earlier ones by a serial
// number, so that the end of a cancelled or replaced search is ignored when it arrives.
#include "win/search/find_search.h"

#include <chrono>
#include <memory>
#include <optional>
#include <utility>

#include "core/search/background_search.h"
#include "win/search/find_command.h"
#include "win/shell/app_state.h"
#include "win/shell/modal_deferral.h"

namespace vemora {
namespace {

// Long enough for an everyday search to end before the command returns, short enough that
// the window does not seem to hang when it does not.
constexpr std::chrono::milliseconds kWaitForShortSearch{40};
// How long closing the window waits for the worker to see its cancel.
constexpr std::chrono::milliseconds kWaitAtExit{500};

struct RunningSearch {
  std::shared_ptr<BackgroundSearch> search;
  std::u16string documentName;
  std::u16string pattern;
  int32_t Caps = 0;
  int32_t Regx = 0;
  bool backward = false;
  WPARAM serial = 0;
};

std::optional<RunningSearch> gRunning;
WPARAM gLastSerial = 0;

// The cursor over the window changes only when the mouse moves; ask the window under it
// for its cursor now.
void RefreshCursor() {
  POINT point{};
  if (!GetCursorPos(&point)) return;
  HWND window = WindowFromPoint(point);
  if (!window || GetWindowThreadProcessId(window, nullptr) != GetCurrentThreadId()) return;
  const LRESULT hit = SendMessageW(window, WM_NCHITTEST, 0, MAKELPARAM(point.x, point.y));
  SendMessageW(window, WM_SETCURSOR, reinterpret_cast<WPARAM>(window),
               MAKELPARAM(static_cast<WORD>(hit), WM_MOUSEMOVE));
}

void Finish(RunningSearch running) {
  HitCollection hits = running.search->TakeResult();
  if (hits.cancelled) return;
  Document* document = CurrentDocument();
  if (!document) return;
  const SearchOutcome outcome =
      ApplyHits(*document, std::move(hits), running.search->PatternLength(), document->TopLine,
                running.backward);
  ShowFindOutcome(outcome);
}

}  // namespace

void StartFindSearch(std::u16string pattern, int32_t Caps, int32_t Regx, bool backward,
                     bool waitForShortSearch) {
  CancelFindSearch();
  const Document* document = CurrentDocument();
  if (!document) return;
  RunningSearch running;
  running.documentName = document->name;
  running.pattern = std::move(pattern);
  running.Caps = Caps;
  running.Regx = Regx;
  running.backward = backward;
  running.serial = ++gLastSerial;
  HWND window = gShell.mainWindow;
  const WPARAM serial = running.serial;
  running.search = BackgroundSearch::Start(
      {std::u16string(document->Text()), running.pattern, Caps, Regx},
      [window, serial] { PostMessageW(window, WM_SEARCH_FINISHED, serial, 0); });
  if (waitForShortSearch && running.search->WaitUntilFinished(kWaitForShortSearch))
    return Finish(std::move(running));
  gRunning = std::move(running);
  RefreshCursor();
}

bool FindSearchRunning() {
  return gRunning.has_value();
}

void CancelFindSearch() {
  if (!gRunning) return;
  gRunning->search->Cancel();
  gRunning.reset();
  RefreshCursor();
}

void OnDocumentReplacedForSearch() {
  if (!gRunning) return;
  const Document* document = CurrentDocument();
  if (!document || document->name != gRunning->documentName) return CancelFindSearch();
  RunningSearch running = std::move(*gRunning);
  gRunning.reset();
  running.search->Cancel();
  // Never applied from inside the load: its end arrives as a message like any long one's.
  StartFindSearch(std::move(running.pattern), running.Caps, running.Regx, running.backward, false);
}

void OnFindSearchFinished(HWND mainWindow, WPARAM serial) {
  if (!gRunning || gRunning->serial != serial) return;  // cancelled, replaced or applied
  if (DeferWhileModal(mainWindow, WM_SEARCH_FINISHED, serial, 0)) return;
  RunningSearch running = std::move(*gRunning);
  gRunning.reset();
  RefreshCursor();
  Finish(std::move(running));
}

bool CancelFindSearchOnEscape(const MSG& message) {
  if (!gRunning || message.message != WM_KEYDOWN || message.wParam != VK_ESCAPE) return false;
  if (!message.hwnd || GetAncestor(message.hwnd, GA_ROOT) != gShell.mainWindow) return false;
  CancelFindSearch();
  return true;
}

bool SetFindSearchCursor(LPARAM lParam) {
  if (!gRunning || LOWORD(lParam) != HTCLIENT) return false;
  SetCursor(LoadCursorW(nullptr, IDC_WAIT));
  return true;
}

void StopFindSearchForExit() {
  if (!gRunning) return;
  std::shared_ptr<BackgroundSearch> search = gRunning->search;
  CancelFindSearch();
  search->WaitUntilFinished(kWaitAtExit);
}

}  // namespace vemora
