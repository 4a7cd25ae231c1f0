// The worker searches: one find and one filter at a time, each told apart from earlier ones
// by a serial number, so that the end of a cancelled or replaced search is ignored when it
// arrives. The two never share a result: a find's hits go to the document shown, a
// filter's lines to the whole document behind it, and whenever either is replaced the
// search over it starts again or ends.
#include "win/search/find_search.h"

#include <chrono>
#include <memory>
#include <optional>
#include <utility>

#include "core/search/background_search.h"
#include "core/search/filter_progress.h"
#include "core/search/filtered_view.h"
#include "win/search/filter_command.h"
#include "win/search/find_command.h"
#include "win/shell/app_state.h"
#include "win/shell/document_actions.h"
#include "win/shell/load_steps.h"
#include "win/shell/modal_deferral.h"

namespace vemora {
namespace {

// Long enough for an everyday search to end before the command returns, short enough that
// the window does not seem to hang when it does not.
constexpr std::chrono::milliseconds kWaitForShortSearch{40};
// A large filter whose worker has put lines in place by then shows them at once.
constexpr std::chrono::milliseconds kWaitForFirstLines{10};
// How long closing the window waits for a worker to see its cancel.
constexpr std::chrono::milliseconds kWaitAtExit{500};

struct RunningSearch {
  std::shared_ptr<BackgroundSearch> search;
  BackgroundSearch::Request request;  // without the text: to start again over a new one
  bool backward = false;              // a find's direction
  int32_t fileTop = -1;               // a filter's top line, as StartFilterSearch takes it
  std::u16string documentName;
  int64_t searchedLength = 0;  // the searched document as it was when the search started
  int64_t searchedBytes = 0;
  WPARAM serial = 0;
  std::shared_ptr<FilterProgress> progress;  // a filter's view as its worker grows it
};

std::optional<RunningSearch> gFind;
std::optional<RunningSearch> gFilter;
WPARAM gLastSerial = 0;

bool IsFilter(const RunningSearch& running) {
  return running.request.gatherLines;
}

std::optional<RunningSearch>& SlotOf(const RunningSearch& running) {
  return IsFilter(running) ? gFilter : gFind;
}

// A find reads the text shown; a filter always the whole document's.
Document* SearchedDocument(const RunningSearch& running) {
  Document* shown = CurrentDocument();
  return shown && IsFilter(running) ? &FileDocumentOf(*shown) : shown;
}

}  // namespace

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

namespace {

void FinishFind(RunningSearch running) {
  HitCollection hits = running.search->TakeResult();
  if (hits.cancelled) return;
  if (running.search->OutOfMemory()) return ShowOutOfMemory();
  Document* document = CurrentDocument();
  // The hits are of the text searched: another text, or one that lost some of it, gets none
  // of them. A text that only grew (followed, or a filtered view gaining lines) has what it
  // gained searched too before the hits are shown.
  if (!document || document->name != running.documentName ||
      document->textLength < running.searchedLength)
    return;
  document->storedFind = {running.request.pattern, running.request.Caps, running.request.Regx};
  const SearchOutcome outcome =
      ApplyHitsToGrownText(*document, std::move(hits), running.search->PatternLength(),
                           running.searchedLength, document->TopLine, running.backward);
  ShowFindOutcome(outcome);
}

void FinishFilter(RunningSearch running) {
  HitCollection outcome = running.search->TakeResult();
  // A view that grew from a filter that found no end is not left as the filter's.
  if (outcome.cancelled) return DropGrowingView(running.progress.get());
  if (running.search->OutOfMemory()) {
    DropGrowingView(running.progress.get());
    return ShowOutOfMemory();
  }
  const BackgroundSearch::Request& request = running.request;
  FilterResult result;
  result.request = {request.pattern, request.Caps, request.Regx, request.Invert};
  result.kept = running.search->TakeKeptLines();
  result.errorText = std::move(outcome.errorText);
  result.failedLines = outcome.failedLines;
  result.fileTop = running.fileTop;
  result.searchedLength = running.searchedLength;
  result.searchedBytes = running.searchedBytes;
  result.progress = std::move(running.progress);
  ShowFilterResult(std::move(result));
}

void ShowProgress(const RunningSearch& running) {
  const BackgroundSearch::Request& request = running.request;
  ShowFilterProgress(running.progress,
                     {request.pattern, request.Caps, request.Regx, request.Invert},
                     running.fileTop);
}

void Finish(RunningSearch running) {
  if (IsFilter(running)) return FinishFilter(std::move(running));
  FinishFind(std::move(running));
}

// A view growing from a filter stopped gives way to what was shown before it, but when
// the window closes.
void Cancel(std::optional<RunningSearch>& slot, bool closing = false) {
  if (!slot) return;
  if (slot->search) slot->search->Cancel();
  const std::shared_ptr<FilterProgress> progress = std::move(slot->progress);
  slot.reset();
  if (!closing) DropGrowingView(progress.get());
  RefreshCursor();
}

void Start(RunningSearch running, bool waitForShortSearch) {
  std::optional<RunningSearch>& slot = SlotOf(running);
  Cancel(slot);
  Document* document = SearchedDocument(running);
  if (!document) return;
  if (LoadRunning()) {
    // Hits and kept lines are of the whole text: the search waits, without a worker.
    running.search.reset();
    running.serial = 0;
    running.documentName = document->name;
    slot = std::move(running);
    RefreshCursor();
    return;
  }
  running.documentName = document->name;
  running.searchedLength = document->textLength;
  running.searchedBytes = document->sourceBytes;
  running.serial = ++gLastSerial;
  BackgroundSearch::Request request = running.request;
  request.text = ShareText(*document);
  HWND window = gShell.mainWindow;
  const WPARAM serial = running.serial;
  running.progress.reset();
  if (IsFilter(running)) {
    request.measure = FilterLayoutForWorker(request.layout);
    // Unless its worker lays the view out, a large filter shows its lines as they come.
    if (!request.measure) {
      running.progress = std::make_shared<FilterProgress>(
          [window, serial] { PostMessageW(window, WM_SEARCH_PROGRESS, serial, 0); });
      request.progress = running.progress;
    }
  }
  running.search = BackgroundSearch::Start(std::move(request), [window, serial] {
    PostMessageW(window, WM_SEARCH_FINISHED, serial, 0);
  });
  const FilterProgress* progress = running.progress.get();
  if (waitForShortSearch) {
    bool finished =
        running.search->WaitUntilFinished(progress ? kWaitForFirstLines : kWaitForShortSearch);
    if (!finished && progress && !progress->HasNews())
      finished = running.search->WaitUntilFinished(kWaitForShortSearch - kWaitForFirstLines);
    if (finished) return Finish(std::move(running));
  }
  slot = std::move(running);
  RefreshCursor();
  if (waitForShortSearch && progress && progress->HasNews()) ShowProgress(*slot);
}

void StartAgainOrEnd(std::optional<RunningSearch>& slot) {
  if (!slot) return;
  const Document* document = SearchedDocument(*slot);
  if (!document || document->name != slot->documentName) return Cancel(slot);
  RunningSearch running = std::move(*slot);
  slot.reset();
  if (running.search) running.search->Cancel();
  // Never applied from inside the load: its end arrives as a message like any long one's.
  Start(std::move(running), false);
}

void StopForExit(std::optional<RunningSearch>& slot) {
  if (!slot || !slot->search) return Cancel(slot, true);
  std::shared_ptr<BackgroundSearch> search = slot->search;
  Cancel(slot, true);
  search->WaitUntilFinished(kWaitAtExit);
}

}  // namespace

void StartFindSearch(std::u16string pattern, int32_t Caps, int32_t Regx, bool backward,
                     bool waitForShortSearch) {
  RunningSearch running;
  running.request.pattern = std::move(pattern);
  running.request.Caps = Caps;
  running.request.Regx = Regx;
  running.backward = backward;
  Start(std::move(running), waitForShortSearch);
}

bool FindSearchRunning() {
  return gFind.has_value();
}

void CancelFindSearch() {
  Cancel(gFind);
}

void StartFilterSearch(const FilterRequest& request, int32_t fileTop, bool waitForShortSearch) {
  RunningSearch running;
  running.request.pattern = request.text;
  running.request.Caps = request.Caps;
  running.request.Regx = request.Regx;
  running.request.gatherLines = true;
  running.request.Invert = request.Invert;
  running.fileTop = fileTop;
  Start(std::move(running), waitForShortSearch);
}

bool FilterSearchRunning() {
  return gFilter.has_value();
}

void CancelFilterSearch() {
  Cancel(gFilter);
}

void OnDocumentReplacedForSearch() {
  StartAgainOrEnd(gFind);
  StartAgainOrEnd(gFilter);
}

void OnShownTextSwappedForFind() {
  StartAgainOrEnd(gFind);
}

void OnSearchProgress(HWND mainWindow, WPARAM serial) {
  if (!gFilter || gFilter->serial != serial || !gFilter->progress) return;
  if (DeferWhileModal(mainWindow, WM_SEARCH_PROGRESS, serial, 0)) return;
  ShowProgress(*gFilter);
}

void OnSearchFinished(HWND mainWindow, WPARAM serial) {
  std::optional<RunningSearch>* slot = nullptr;
  for (std::optional<RunningSearch>* candidate : {&gFind, &gFilter}) {
    if (*candidate && (*candidate)->serial == serial) slot = candidate;
  }
  if (!slot) return;  // cancelled, replaced or applied
  if (DeferWhileModal(mainWindow, WM_SEARCH_FINISHED, serial, 0)) return;
  RunningSearch running = std::move(**slot);
  slot->reset();
  RefreshCursor();
  Finish(std::move(running));
}

bool CancelSearchOnEscape(const MSG& message) {
  if (!gFind && !gFilter) return false;
  if (message.message != WM_KEYDOWN || message.wParam != VK_ESCAPE) return false;
  if (!message.hwnd || GetAncestor(message.hwnd, GA_ROOT) != gShell.mainWindow) return false;
  Cancel(gFind);
  Cancel(gFilter);
  return true;
}

bool SetSearchCursor(LPARAM lParam) {
  if ((!gFind && !gFilter && !CommandWaitsForLoad()) || LOWORD(lParam) != HTCLIENT) return false;
  SetCursor(LoadCursorW(nullptr, IDC_WAIT));
  return true;
}

void StopSearchesForExit() {
  StopForExit(gFind);
  StopForExit(gFilter);
}

void StartSearchesAfterLoad() {
  for (std::optional<RunningSearch>* slot : {&gFind, &gFilter}) {
    if (!*slot || (*slot)->search) continue;
    RunningSearch running = std::move(**slot);
    slot->reset();
    Start(std::move(running), false);
  }
}

}  // namespace vemora
