// A filtered view is a document of its own that holds the whole one: while it is shown,
// copying, finding and character information work on it unchanged, and only line numbers
// are told through its map to the file's lines. Swapping it in or out lays out what is
// shown and brings the window in line, without the load's refresh, which would end
// following, cancel the tool watches and read the file's facts again. The search and the
// walk over the lines run on a worker (find_search), which also makes the view's text; it
// is finished here with what only the whole document holds.
#include "win/search/filter_command.h"

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <utility>

#include "core/layout/layout.h"
#include "core/layout/layout_from_whole.h"
#include "core/platform/out_of_memory.h"
#include "core/search/filter_progress.h"
#include "core/search/filtered_view.h"
#include "core/search/find_history.h"
#include "core/search/search.h"
#include "core/text/selection.h"
#include "win/keys/menu_states.h"
#include "win/platform/text_conversion.h"
#include "win/platform/text_measure.h"
#include "win/search/find_dialog.h"
#include "win/search/find_command.h"
#include "win/search/find_search.h"
#include "win/shell/app_state.h"
#include "win/shell/document_actions.h"
#include "win/shell/main_layout.h"
#include "win/shell/status_bar.h"
#include "win/shell/window_messages.h"
#include "win/view/gutter.h"
#include "win/view/view_paint.h"
#include "win/view/view_scroll.h"
#include "win/view/view_selection.h"

namespace vemora {

FilterRequest gFilterRequest;

namespace {

// What the whole document was last laid out with. While its view is shown, the file type
// or the window may change; the whole document is laid out again on the way back only
// when they did.
struct LayoutStamp {
  LayoutParameters parameters;
  FontRecord font;
  int32_t charHeight = 0;
};
LayoutStamp gWholeLayout;
// What the latest filter's worker lays its view out with: its view is laid out again when
// the file type or the window changed meanwhile.
LayoutStamp gWorkerLayout;
// What the filtered view shown before a growing one was laid out with, for its way back.
LayoutStamp gShownBeforeLayout;

LayoutStamp CurrentLayoutStamp() {
  return {CurrentLayoutParameters(), CurrentFileType().Font, gView.CharHeight};
}

bool SameLayout(const LayoutStamp& a, const LayoutStamp& b) {
  const LayoutParameters& p = a.parameters;
  const LayoutParameters& q = b.parameters;
  const bool edge = p.FoldRight == 1;
  return p.Tab == q.Tab && p.Fold == q.Fold && p.FoldRight == q.FoldRight &&
         p.averageCharWidth == q.averageCharWidth && p.edgeMargins == q.edgeMargins &&
         (!edge || p.clientWidth == q.clientWidth) && a.font == b.font &&
         a.charHeight == b.charHeight;
}

void ShowRegexError(const std::u16string& message) {
  MessageBoxW(gShell.mainWindow, ToWide(message).c_str(), AsWide(kProgramTitle), MB_OK);
}

// The selection, if any, becomes the text the dialog starts with, as for a find.
void PrepareFilterText(Document& document) {
  gFilterRequest.text.clear();
  TextRange range;
  if (!SelectionRange(document, range)) return;
  gFilterRequest.text = SearchTextFromRange(document.Text(), range, FindRequest::kTextCapacity);
  ClearSelection(document);
  InvalidateRect(gShell.viewWindow, nullptr, TRUE);
}

// The top line that shows file line `fileTop`, or the first kept line after it. Past the
// last kept line: the end in view, or the top of a view too short to scroll (an empty one
// among them, which a followed file may fill later).
int32_t TopLineAt(const Document& document, int32_t fileTop) {
  const int32_t top = DisplayLineAtOrAfterFileLine(document, fileTop);
  if (top < 0) return std::max(MaxTopLine(CurrentScrollPosition()), 0);
  return std::min(top, std::max(document.displayLineCount - 1, 0));
}

// Everything the window shows of the document that was just swapped in, from the first
// display line of file line `fileTop` or a later one (the end when there is none; the
// document's own top line for -1). It is laid out unless it was `laidOutWith` the layout
// it gets now; wrapping at the window's edge, that holds when the gutter kept its width.
void ShowSwappedDocument(const LayoutParameters* laidOutWith, int32_t fileTop) {
  // What belonged to the text shown before: a drag in it ends, and a running find starts
  // again on the text shown now, since its hits would not fit this one. A filter reads the
  // whole document, which stays.
  EndSelectionDrag();
  OnShownTextSwappedForFind();
  if (!laidOutWith && CurrentFileType().FoldRight == 0) LayOutCurrentDocument();
  ComputeGutterWidth();
  SizeGutter();
  PlaceView(laidOutWith);
  UpdateVisibleSize();
  Document& document = *CurrentDocument();
  document.TopLine = fileTop >= 0 ? TopLineAt(document, fileTop)
                                  : std::min(document.TopLine, document.displayLineCount - 1);
  document.TopLine = std::max(document.TopLine, 0);
  UpdateScrollBars();
  ClampLeftColumn();
  SetStatusLineText(kStatusTopLinePart, document.TopLine);
  ShowMouseLine();
  SetMainWindowTitle(GetActiveWindow() == gShell.mainWindow);
  InvalidateRect(gShell.gutterWindow, nullptr, TRUE);
  InvalidateRect(gShell.viewWindow, nullptr, TRUE);
  UpdateMenuStates();
}

int32_t FileTopOf(const Document& document) {
  return std::max(FileLineOf(document, document.TopLine), 0);
}

// The reader's place in what is shown: the file line at its top, or, in a view that grows
// towards the place it is to open at and that the reader has not moved, that place.
int32_t ReaderFileLine(const Document& document) {
  const FilterSource* source = document.filter.get();
  if (source && source->awaitedFileLine >= 0 && document.TopLine == source->awaitedTop)
    return source->awaitedFileLine;
  return FileTopOf(document);
}

}  // namespace

namespace {

// Whether the whole document behind the document shown is laid out as a view would be now:
// it is when it is shown, or when nothing changed since it was.
bool WholeLayoutServes(const Document& shown) {
  if (!shown.filter) return !shown.lineTable.Empty();
  return shown.filter->whole && !shown.filter->whole->lineTable.Empty() &&
         SameLayout(gWholeLayout, CurrentLayoutStamp());
}

}  // namespace

std::shared_ptr<TextMeasure> FilterLayoutForWorker(LayoutParameters& parameters) {
  gWorkerLayout = CurrentLayoutStamp();
  const Document* shown = CurrentDocument();
  // The view takes its layout from the whole document's when it can, which costs far less.
  if (CurrentFileType().FoldRight != 0 || !shown || WholeLayoutServes(*shown)) return nullptr;
  parameters = gWorkerLayout.parameters;
  return MakeWorkerTextMeasure(gView.ViewFont);
}

namespace {

// The parameters the whole document behind the view was laid out with, when a view's
// layout taken from it is the one the window would make now.
const LayoutParameters* WholeLayoutIfCurrent() {
  return SameLayout(gWholeLayout, CurrentLayoutStamp()) ? &gWholeLayout.parameters : nullptr;
}

// Lays out the view's logical lines from `firstLine` on, which its text holds from
// `oldEnd` on: from the whole document's layout when it serves, else as a follower would.
void LayOutNewLines(Document& view, const Document& whole, int64_t firstLine, int64_t oldEnd) {
  if (WholeLayoutServes(view) && ExtendLayoutFromWhole(view, whole, firstLine)) return;
  GdiTextMeasure measure(gShell.viewWindow, gView.ViewFont);
  ExtendLayout(view, oldEnd, CurrentLayoutParameters(), measure);
}

// News the worker had just after the window took some is told only with the next: the
// window asks for it once the interval has passed, so that the lines before a slow part of
// the text show while the worker is there.

void CALLBACK OnFilterNewsTimer(HWND window, UINT, UINT_PTR, DWORD) {
  KillTimer(window, kFilterNewsTimer);
  const Document* view = CurrentDocument();
  if (view && view->filter && view->filter->growing) view->filter->growing->TellIfDue();
}

void AskForNewsLater() {
  constexpr auto kDelay = FilterProgress::kTellInterval + std::chrono::milliseconds(20);
  SetTimer(gShell.mainWindow, kFilterNewsTimer, static_cast<UINT>(kDelay.count()),
           OnFilterNewsTimer);
}

// After the view shown grew from display line `linesBefore` on.
void RefreshGrownView(int32_t linesBefore) {
  const Document& view = *CurrentDocument();
  RefreshAfterGrowth(view, linesBefore);
  SetStatusLineText(kStatusTopLinePart, view.TopLine);
}

// A growing view opens at the reader's place: until a kept line at or after it has come,
// it shows the lines before it, and it moves there as soon as one comes (once it is whole,
// to where a view swapped in would open), unless the reader has moved it meanwhile.
void AwaitPlace(Document& view, int32_t fileTop) {
  if (DisplayLineAtOrAfterFileLine(view, fileTop) >= 0) return;
  view.filter->awaitedFileLine = fileTop;
  view.filter->awaitedTop = view.TopLine;
}

void MoveToAwaitedPlace(Document& view, bool whole) {
  FilterSource& source = *view.filter;
  if (source.awaitedFileLine < 0) return;
  const bool moved = view.TopLine != source.awaitedTop;
  if (!moved && !whole && DisplayLineAtOrAfterFileLine(view, source.awaitedFileLine) < 0) return;
  const int32_t fileTop = source.awaitedFileLine;
  source.awaitedFileLine = -1;
  if (!moved) ScrollToLine(TopLineAt(view, fileTop), true);
}

// The document shown goes behind the view that takes its place: the whole document as the
// view's, and a filtered view, while the new one grows, as the one to give back.
void PutBehind(Document& view) {
  if (!gDocument->filter) {
    view.filter->whole = std::move(gDocument);
    return;
  }
  view.filter->whole = std::move(gDocument->filter->whole);
  gShownBeforeLayout = CurrentLayoutStamp();
  view.filter->shownBefore = std::move(gDocument);
}

}  // namespace

void ShowFilterProgress(const std::shared_ptr<FilterProgress>& progress,
                        const FilterRequest& request, int32_t fileTop) {
  Document* shown = CurrentDocument();
  if (!shown || !progress) return;
  Document& whole = FileDocumentOf(*shown);
  if (shown->filter && shown->filter->growing == progress) {
    const int32_t linesBefore = shown->displayLineCount;
    const int64_t oldEnd = shown->textLength;
    const int64_t first = progress->TakeInto(*shown, whole);
    if (first < 0) return;
    LayOutNewLines(*shown, whole, first, oldEnd);
    RefreshGrownView(linesBefore);
    AskForNewsLater();
    return MoveToAwaitedPlace(*shown, false);
  }
  // The first lines: a view of its own in place of what is shown, which grows as more come.
  std::unique_ptr<Document> view = NewFilteredView(whole, request);
  view->filter->growing = progress;
  if (progress->TakeInto(*view, whole) < 0) return;
  const int32_t top = fileTop >= 0 ? fileTop : ReaderFileLine(*shown);
  if (!shown->filter) gWholeLayout = CurrentLayoutStamp();
  const bool fromWhole = WholeLayoutServes(*shown) && ExtendLayoutFromWhole(*view, whole, 0);
  PutBehind(*view);
  gDocument = std::move(view);
  ShowSwappedDocument(fromWhole ? &gWholeLayout.parameters : nullptr, top);
  AwaitPlace(*gDocument, top);
  AskForNewsLater();
}

void DropGrowingView(const FilterProgress* progress) {
  Document* view = CurrentDocument();
  if (!progress || !view || !view->filter || view->filter->growing.get() != progress ||
      !view->filter->whole)
    return;
  // What was shown before comes back at its own top line: the whole document, or the
  // filtered view, which takes the whole document back and what it gained meanwhile.
  std::unique_ptr<Document> before = std::move(view->filter->shownBefore);
  const bool filtered = before != nullptr;
  if (filtered)
    before->filter->whole = std::move(view->filter->whole);
  else
    before = std::move(view->filter->whole);
  const LayoutStamp& stamp = filtered ? gShownBeforeLayout : gWholeLayout;
  const bool laidOut = SameLayout(stamp, CurrentLayoutStamp());
  // Laid out again, it keeps the file line at its top.
  const int32_t fileTop = laidOut ? -1 : FileTopOf(*before);
  gDocument = std::move(before);
  if (filtered && laidOut) {
    GdiTextMeasure measure(gShell.viewWindow, gView.ViewFont);
    ExtendFilteredView(*gDocument, CurrentLayoutParameters(), measure);
  } else if (filtered) {
    CatchUpFilteredView(*gDocument);
  }
  ShowSwappedDocument(laidOut ? &stamp.parameters : nullptr, fileTop);
}

void ShowFilterResult(FilterResult&& result) {
  Document* shown = CurrentDocument();
  if (!shown) return;
  if (!result.errorText.empty()) {
    DropGrowingView(result.progress.get());
    return ShowRegexError(result.errorText);
  }
  Document& whole = FileDocumentOf(*shown);
  // A search starts again whenever the whole document is replaced, so this is the text it
  // read, at most grown by following.
  if (whole.textLength < result.searchedLength) return DropGrowingView(result.progress.get());
  const bool grew =
      whole.textLength != result.searchedLength || whole.sourceBytes != result.searchedBytes;
  const bool laidOut = result.kept.laidOut;
  std::unique_ptr<Document> view = BuildFilteredView(whole, result.request, std::move(result.kept));
  if (shown->filter && shown->filter->growing && shown->filter->growing == result.progress) {
    // The view shown grew from this search: it takes the rest in place.
    const int32_t linesBefore = shown->displayLineCount;
    const int64_t oldEnd = shown->textLength;
    const int64_t first = FinishGrowingView(*shown, std::move(*view));
    LayOutNewLines(*shown, whole, first, oldEnd);
    if (grew) ExtendFilteredViewAfterGrowth();
    RefreshGrownView(linesBefore);
    MoveToAwaitedPlace(*shown, true);
  } else {
    const int32_t fileTop = result.fileTop >= 0 ? result.fileTop : FileTopOf(*shown);
    // The view comes laid out by the worker, or takes the whole document's layout, unless
    // the window's layout changed meanwhile or the file grew.
    if (!shown->filter) gWholeLayout = CurrentLayoutStamp();
    const LayoutParameters* laidOutWith = nullptr;
    if (!grew && laidOut && SameLayout(gWorkerLayout, CurrentLayoutStamp()))
      laidOutWith = &gWorkerLayout.parameters;
    else if (!grew && WholeLayoutServes(*shown) && LayOutFromWhole(*view, whole))
      laidOutWith = &gWholeLayout.parameters;
    view->filter->whole = shown->filter ? std::move(shown->filter->whole) : std::move(gDocument);
    gDocument = std::move(view);
    if (grew) CatchUpFilteredView(*gDocument);
    ShowSwappedDocument(laidOutWith, fileTop);
  }
  if (result.failedLines > 0) ShowFailedLines(result.failedLines);
}

void FilterWithDialog() {
  Document* document = CurrentDocument();
  if (!document) return;
  PrepareFilterText(*document);
  gFilterRequest.Caps = gOptions.Caps;
  gFilterRequest.Regx = gOptions.Regx;
  const bool accepted = ShowFilterDialog(gShell.mainWindow, gFilterRequest, gOptions.FindHist);
  // The dialog pumped messages: the document may be another one now, or none.
  document = CurrentDocument();
  if (accepted) {
    gOptions.Caps = gFilterRequest.Caps;
    gOptions.Regx = gFilterRequest.Regx;
    AddToFindHistory(gOptions.FindHist, gFilterRequest.text);
    // A view still growing gives way to what was shown before it: the reader's place in
    // it is taken now.
    const bool growing = document && document->filter && document->filter->growing;
    if (document) StartFilterSearch(gFilterRequest, growing ? ReaderFileLine(*document) : -1);
  }
  UpdateMenuStates();
}

void RemoveFilter() {
  Document* view = CurrentDocument();
  // A view still growing goes as any other: what was shown before it is not given back.
  if (view && view->filter) view->filter->growing.reset();
  CancelFilterSearch();
  view = CurrentDocument();
  if (!view || !view->filter || !view->filter->whole) return;
  const int32_t fileTop = ReaderFileLine(*view);
  std::unique_ptr<Document> whole = std::move(view->filter->whole);
  gDocument = std::move(whole);
  ShowSwappedDocument(WholeLayoutIfCurrent(), fileTop);
}

FilterResume FilterBeforeReload() {
  const Document* document = CurrentDocument();
  if (!document || !document->filter) return {};
  return {true, document->filter->request, ReaderFileLine(*document),
          document->filter->growing != nullptr};
}

void FilterAfterReload(const FilterResume& resume) {
  // A filter still searching was started again over the new text, and is the newer one,
  // but for the one whose view was shown, which starts again at the reader's place.
  if (!resume.active || !CurrentDocument() || CurrentDocument()->filter ||
      (FilterSearchRunning() && !resume.growing))
    return;
  StartFilterSearch(resume.request, resume.fileTop);
}

Document* FollowedDocument() {
  Document* document = CurrentDocument();
  return document ? &FileDocumentOf(*document) : nullptr;
}

void ExtendFilteredViewAfterGrowth() {
  Document* view = CurrentDocument();
  // A view still growing from its worker takes the file's growth once the worker is done.
  if (!view || !view->filter || view->filter->growing) return;
  GdiTextMeasure measure(gShell.viewWindow, gView.ViewFont);
  if (ExtendFilteredView(*view, CurrentLayoutParameters(), measure))
    SetStatusLineText(kStatusTopLinePart, view->TopLine);
}

}  // namespace vemora
