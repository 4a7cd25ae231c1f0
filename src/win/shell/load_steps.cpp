// The load's job belongs to the window's thread: its workers only post WM_LOAD_STEP, and
// the steps are joined to the document here. The job owns the text buffer until the load
// ends or stops, so a document dropped in the middle never frees memory a worker writes.
#include "win/shell/load_steps.h"

#include <algorithm>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/layout/layout.h"
#include "core/platform/out_of_memory.h"
#include "core/search/filtered_view.h"
#include "core/text/document_loader.h"
#include "core/text/encoding.h"
#include "win/keys/menu_states.h"
#include "win/platform/text_conversion.h"
#include "win/platform/text_measure.h"
#include "win/search/find_search.h"
#include "win/shell/app_state.h"
#include "win/shell/document_actions.h"
#include "win/shell/follow_mode.h"
#include "win/shell/main_layout.h"
#include "win/shell/status_bar.h"
#include "win/shell/window_messages.h"

namespace vemora {
namespace {

struct RunningLoad {
  std::shared_ptr<LoadJob> job;
  // The loading document's text, which tells it apart from any document made since.
  const char16_t* text = nullptr;
  bool started = false;
  // The window shows the lines joined up to the last refresh, made at most this often.
  int32_t linesShown = 0;
  ULONGLONG shownAt = 0;
  int64_t bytesJoined = 0;
};
// A refresh costs the window's thread about 8 ms under Wine (the scroll bar's round trips
// to the display): twenty a second took a sixth of a core from the load.
constexpr ULONGLONG kRefreshInterval = 120;
RunningLoad gLoad;

struct WaitingCommand {
  HWND window = nullptr;
  UINT message = 0;
  WPARAM wParam = 0;
  LPARAM lParam = 0;
  bool loadEnded = false;  // waits only for a modal loop to end
};
std::optional<WaitingCommand> gWaiting;

Document* LoadingDocument() {
  Document* shown = CurrentDocument();
  if (!shown || !gLoad.job) return nullptr;
  Document& whole = FileDocumentOf(*shown);
  return whole.text == gLoad.text ? &whole : nullptr;
}

int32_t PercentRead(const LoadJob& job, int64_t bytes) {
  const int64_t size = std::max<int64_t>(job.FileSize(), 1);
  return static_cast<int32_t>(std::clamp<int64_t>(bytes * 100 / size, 0, 100));
}

void ShowLoadEnded() {
  RemovePropW(gShell.mainWindow, kLoadingProperty);
  ShowLoadProgress(-1);
  RefreshCursor();
}

// Sent again once the load has ended and no modal loop holds the window.
void SendWaitingCommand() {
  if (!gWaiting) return;
  gWaiting->loadEnded = true;
  if (!IsWindowEnabled(gShell.mainWindow)) return;
  const WaitingCommand command = *gWaiting;
  gWaiting.reset();
  RefreshCursor();
  PostMessageW(command.window, command.message, command.wParam, command.lParam);
}

void EndLoad(Document& document) {
  const std::shared_ptr<LoadJob> job = std::move(gLoad.job);
  gLoad = {};
  job->Finish(document);
  ShowLoadEnded();
  StartSearchesAfterLoad();
  SendWaitingCommand();
  UpdateMenuStates();
}

// Display lines are counted in 32 bits: a text that reaches more is not shown, as in a
// load in one go.
void RefuseTooManyLines() {
  StopLoad();
  gDocument.reset();
  MessageBoxW(gShell.mainWindow, AsWide(kTooManyLinesMessage), AsWide(kProgramTitle),
              MB_OK | MB_ICONERROR);
  RefreshAfterLoad(0, 0);
}

// Memory ran out in the load, on a worker or here, or the file was cut short while it was
// read: the load stops and the document keeps what was joined, shown as a finished load's
// is, and the user learns why, once. Searches and a command that waited for the whole
// document are dropped: it will not come. The document stands for the bytes it holds, so
// that following it reads the file again.
void StopLoadEarly(Document& document, void (*tellWhy)()) {
  // A layout cut short may have taken lines that were shown.
  const int32_t linesShown = std::min(gLoad.linesShown, document.displayLineCount);
  const int32_t top = std::min(document.TopLine, std::max(document.displayLineCount - 1, 0));
  StopLoad();
  CancelFindSearch();
  CancelFilterSearch();
  if (top != document.TopLine) {
    document.TopLine = top;
    SetStatusLineText(kStatusTopLinePart, top);
  }
  RefreshAfterStep(document, linesShown, -1);
  UpdateMenuStates();
  tellWhy();
}

void StopLoadOutOfMemory(Document& document) {
  StopLoadEarly(document, ShowOutOfMemory);
}

void TellFileCutShort() {
  MessageBoxW(gShell.mainWindow, AsWide(kFileCutShortMessage), AsWide(kProgramTitle),
              MB_OK | MB_ICONERROR);
}

void JoinSteps(Document& document, std::vector<LoadStep>& steps) {
  if (steps.empty()) return;
  const int32_t generation = gLoad.job->Generation();
  // Once a step came under an older layout, it and every later one are laid out anew.
  int64_t layOutFrom = -1;
  int64_t bytesLaidOut = document.sourceBytes;
  for (LoadStep& step : steps) {
    if (layOutFrom < 0 && step.generation != generation) {
      layOutFrom = document.textLength;
      bytesLaidOut = document.sourceBytes;
    }
    JoinLoadStep(document, step, layOutFrom < 0);
    gLoad.bytesJoined = step.bytesEnd;
    gLoad.job->Recycle(std::move(step));
  }
  if (layOutFrom >= 0) {
    // Until its layout is whole the document stands for the bytes laid out before: a
    // layout stopped by the memory must not leave it claiming the whole file, which
    // following would take for a file that has only grown.
    const int64_t bytesJoined = document.sourceBytes;
    document.sourceBytes = bytesLaidOut;
    GdiTextMeasure measure(gShell.viewWindow, gView.ViewFont);
    ExtendLayout(document, layOutFrom, CurrentLayoutParameters(), measure);
    document.sourceBytes = bytesJoined;
  }
}

// The one path a load takes when a code page gives more units than bytes after all.
bool gInOneGo = false;

// The rest of the file made detection answer otherwise: read again in that encoding, at
// the same line, and whatever command waited goes on waiting.
void LoadAgainAs(TextEncoding encoding) {
  std::optional<WaitingCommand> waiting = std::move(gWaiting);
  StopLoad();
  ReloadCurrentDocument(kRequestDetectedLater - encoding);
  if (LoadRunning())
    gWaiting = std::move(waiting);
  else if (waiting)
    PostMessageW(waiting->window, waiting->message, waiting->wParam, waiting->lParam);
}

void LoadAgainInOneGo(Document& document) {
  const int32_t request = document.encodingRequest;
  StopLoad();
  gInOneGo = true;
  ReloadCurrentDocument(request);
  gInOneGo = false;
}

}  // namespace

LoadJobOptions& LoadStepOptions() {
  static LoadJobOptions options;
  return options;
}

const LoadJobOptions* StepOptionsForLoad() {
  return gInOneGo || FollowerReloads() ? nullptr : &LoadStepOptions();
}

bool LoadRunning() {
  return gLoad.job != nullptr;
}

int32_t EstimatedLineCount() {
  const Document* document = LoadingDocument();
  if (!document) return 0;
  const int64_t read = std::max<int64_t>(gLoad.job->BytesRead(), 1);
  const int64_t estimate = int64_t{document->displayLineCount} * gLoad.job->FileSize() / read;
  return static_cast<int32_t>(std::min<int64_t>(estimate + estimate / 10, INT32_MAX));
}

LoadJob* RunningLoadJob() {
  return gLoad.job.get();
}

bool LoadWaitsAtPauseAndShowsAll() {
  const Document* document = LoadingDocument();
  return document && gLoad.job->WaitsAtPause() && gLoad.linesShown == document->displayLineCount &&
         gLoad.bytesJoined == gLoad.job->BytesRead();
}

void BeginLoadSteps(std::shared_ptr<LoadJob> job) {
  Document* document = CurrentDocument();
  if (!document || !job) return;
  const int64_t read = job->BytesRead();
  gLoad = {
      std::move(job), document->text, false, document->displayLineCount, GetTickCount64(), read};
  // Before the refresh names the file in the title.
  SetPropW(gShell.mainWindow, kLoadingProperty, reinterpret_cast<HANDLE>(1));
  ShowLoadProgress(PercentRead(*gLoad.job, gLoad.job->BytesRead()));
}

void StartLoadSteps() {
  if (!gLoad.job || gLoad.started) return;
  gLoad.started = true;
  // The first page is painted before the workers take both cores.
  UpdateWindow(gShell.gutterWindow);
  UpdateWindow(gShell.viewWindow);
  HWND window = gShell.mainWindow;
  // One worker at first: the other core is left to the screen until the first step is
  // joined, when the rest start.
  gLoad.job->Start(
      CurrentLayoutParameters(), MakeWorkerTextMeasure(gView.ViewFont),
      [window] { PostMessageW(window, WM_LOAD_STEP, 0, 0); }, 1);
}

namespace {

// Timers 1 and 2 of the main window belong to the tool watches and the follower.
constexpr UINT kLoadStepDelay = 20;

void CALLBACK OnLoadStepTimer(HWND window, UINT, UINT_PTR, DWORD) {
  KillTimer(window, kLoadStepTimer);
  JoinLoadSteps();
}

}  // namespace

void OnLoadSteps() {
  // Posted messages come before input and painting: joining the steps from a timer, which
  // comes after them, keeps a stream of steps from holding up the keys and the screen. The
  // workers post again only once the steps have been taken. The last steps are joined at
  // once: nothing follows them, and the load's end waits for them.
  if (!gLoad.job) return;
  if (gLoad.job->AllRead())
    JoinLoadSteps();
  else
    SetTimer(gShell.mainWindow, kLoadStepTimer, kLoadStepDelay, OnLoadStepTimer);
}

void JoinLoadSteps() {
  if (!gLoad.job) return;
  Document* document = LoadingDocument();
  if (!document) return StopLoad();
  LoadJob& job = *gLoad.job;
  if (job.OutOfMemory()) return StopLoadOutOfMemory(*document);
  if (job.CutShort()) return StopLoadEarly(*document, TellFileCutShort);
  if (job.RoomShort()) return LoadAgainInOneGo(*document);
  if (const TextEncoding encoding = job.Redetected(); encoding != kEncodingNone)
    return LoadAgainAs(encoding);
  job.AddWorkers();
  std::vector<LoadStep> steps = job.TakeSteps();
  int64_t lines = document->displayLineCount;
  for (const LoadStep& step : steps) lines += static_cast<int64_t>(step.lineStarts.size());
  if (lines >= kMaxDisplayLines) return RefuseTooManyLines();
  // Nothing in here pumps messages, so a throw never crosses a window procedure; a step
  // that does not fit leaves the document whole, with the steps before it.
  try {
    const RecoverableAllocations recoverable;
    JoinSteps(*document, steps);
  } catch (const std::bad_alloc&) {
    return StopLoadOutOfMemory(*document);
  }
  // Scroll bar and status bar cost more under a flood of steps than the steps do: they
  // catch up at most every kRefreshInterval, and a timer sees that they do.
  if (document->displayLineCount != gLoad.linesShown || job.Finished()) {
    const ULONGLONG now = GetTickCount64();
    if (now - gLoad.shownAt >= kRefreshInterval || job.Finished() || job.WaitsAtPause()) {
      RefreshAfterStep(*document, gLoad.linesShown, PercentRead(job, gLoad.bytesJoined));
      gLoad.linesShown = document->displayLineCount;
      gLoad.shownAt = now;
    } else {
      SetTimer(gShell.mainWindow, kLoadStepTimer,
               static_cast<UINT>(kRefreshInterval - (now - gLoad.shownAt)), OnLoadStepTimer);
    }
  }
  if (job.Finished()) {
    // The last step may have come after the look above, and only the whole file answers
    // some questions (UTF-16 without a mark, or lines that all read as UTF-8).
    if (const TextEncoding encoding = job.Redetected(); encoding != kEncodingNone)
      return LoadAgainAs(encoding);
    EndLoad(*document);
  }
}

void StopLoad() {
  if (!gLoad.job) return;
  KillTimer(gShell.mainWindow, kLoadStepTimer);
  Document* document = LoadingDocument();
  const std::shared_ptr<LoadJob> job = std::move(gLoad.job);
  gLoad = {};
  job->Cancel();
  job->Join();
  if (document) job->Finish(*document);
  gWaiting.reset();
  ShowLoadEnded();
}

void NoteLayoutChanged() {
  if (!gLoad.started || LoadingDocument() != CurrentDocument()) return;
  gLoad.job->ChangeLayout(CurrentLayoutParameters(), MakeWorkerTextMeasure(gView.ViewFont));
}

bool WaitForWholeDocument(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (!LoadRunning()) return false;
  gWaiting = WaitingCommand{window, message, wParam, lParam};
  RefreshCursor();
  return true;
}

bool CommandWaitsForLoad() {
  return gWaiting.has_value();
}

void SendCommandThatWaitedForModal() {
  if (gWaiting && gWaiting->loadEnded) SendWaitingCommand();
}

bool DropWaitingCommandOnEscape(const MSG& message) {
  if (!gWaiting || message.message != WM_KEYDOWN || message.wParam != VK_ESCAPE) return false;
  if (!message.hwnd || GetAncestor(message.hwnd, GA_ROOT) != gShell.mainWindow) return false;
  gWaiting.reset();
  RefreshCursor();
  return true;
}

}  // namespace vemora
