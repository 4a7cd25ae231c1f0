// Every load ends in RefreshAfterLoad, which brings the status bar, the encoding marks,
// the file type, font, layout, child windows, scroll bars, position and title in line
// with the new document.
#include "win/shell/document_actions.h"

#include <windows.h>

#include <memory>

#include "core/keys/commands.h"
#include "core/layout/layout.h"
#include "core/platform/out_of_memory.h"
#include "core/search/filtered_view.h"
#include "core/shell/status_text.h"
#include "core/text/decode.h"
#include "core/text/document_loader.h"
#include "core/text/encoding.h"
#include "core/text/file_type.h"
#include "core/text/load_job.h"
#include "core/text/overstrike.h"
#include "core/text/selection.h"
#include "win/keys/history_menu.h"
#include "win/keys/menu_states.h"
#include "win/platform/text_conversion.h"
#include "win/search/filter_command.h"
#include "win/search/find_search.h"
#include "win/shell/app_state.h"
#include "win/shell/follow_mode.h"
#include "win/shell/load_steps.h"
#include "win/shell/main_layout.h"
#include "win/shell/status_bar.h"
#include "win/shell/toolbar.h"
#include "win/tools/tool_watch.h"
#include "win/view/gutter.h"
#include "win/view/view_lines.h"
#include "win/view/view_paint.h"
#include "win/view/view_scroll.h"
#include "win/view/view_selection.h"
#include "win/view/view_window.h"

namespace vemora {
namespace {

class WindowLoadHost final : public LoadHost {
 public:
  void RefreshAfterLoad(int32_t startLine, int32_t keepFileType) override {
    vemora::RefreshAfterLoad(startLine, keepFileType);
  }
  void UpdateFileHistory(std::u16string_view path) override { UpdateFileHistoryMenu(path); }
  void* OwnerWindow() override { return gShell.mainWindow; }
  const LoadJobOptions* StepOptions() override { return StepOptionsForLoad(); }
  void LoadGoesOn(std::shared_ptr<LoadJob> job) override { BeginLoadSteps(std::move(job)); }
};

std::u16string FileStampOf(std::u16string_view name) {
  WIN32_FIND_DATAW found{};
  const std::wstring path = ToWide(name);
  HANDLE search = FindFirstFileW(path.c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return u"";
  FindClose(search);
  FILETIME local{};
  SYSTEMTIME time{};
  FileTimeToLocalFileTime(&found.ftLastWriteTime, &local);
  FileTimeToSystemTime(&local, &time);
  const uint64_t size = (static_cast<uint64_t>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
  return FileStampText({time.wYear, time.wMonth, time.wDay, time.wHour, time.wMinute, size});
}

// Parts 0, 1 and 4, the encoding marks and the overstrike runs of a document with text.
void ShowTextFacts(Document& document) {
  SetStatusPart(kStatusFilePart, FileStampOf(document.name));
  SetStatusPart(kStatusEncodingPart, EncodingStatusName(document.encoding));
  SetEncodingCheckMarks(document.encoding);
  SetStatusPart(kStatusLineEndPart, LineEndName(document.lineEndKind));
  // A tool started for the text shown before must not reload the new one when it ends.
  CancelToolWatches();
  // A load in steps strikes each step over as it reads it.
  if (!LoadRunning()) ApplyOverstrike(document);
}

// An empty text has no encoding or line ends to speak of, but it is still a file of its
// own: the parts of the text shown before must not stay beside its date.
void ShowEmptyTextFacts(const Document& document) {
  SetStatusPart(kStatusFilePart, FileStampOf(document.name));
  SetStatusPart(kStatusEncodingPart, u"");
  SetStatusPart(kStatusLineEndPart, u"");
  SetEncodingCheckMarks(-1);
}

// With no document shown, nothing on the status bar, the encoding menu or the scroll
// bars may still speak of the file shown before.
void ClearDocumentFacts() {
  for (int part = kStatusEncodingPart; part <= kStatusFilePart; ++part) SetStatusPart(part, u"");
  SetEncodingCheckMarks(-1);
  UpdateScrollBars();
}

void RepaintViewAndGutter() {
  InvalidateRect(gShell.gutterWindow, nullptr, TRUE);
  InvalidateRect(gShell.viewWindow, nullptr, TRUE);
}

// Display lines are counted in 32 bits: a text laid out into more is not shown.
bool RefuseTooManyLines() {
  const Document* document = CurrentDocument();
  if (!document || !DisplayLinesCut(*document)) return false;
  gDocument.reset();
  MessageBoxW(gShell.mainWindow, AsWide(kTooManyLinesMessage), AsWide(kProgramTitle),
              MB_OK | MB_ICONERROR);
  return true;
}

void ShowStartLine(const Document& document, int32_t startLine) {
  if (startLine == -1)
    SendMessageW(gShell.viewWindow, WM_COMMAND, CmdBottom, 0);
  else if (document.displayLineCount > 0)
    SendMessageW(gShell.viewWindow, WM_VIEW_JUMP, 0, startLine);
}

// The digits of the largest line number when the gutter was last sized.
int32_t gGutterDigits = 1;

int32_t DigitsOf(int32_t number) {
  int32_t digits = 1;
  for (; number >= 10; number /= 10) ++digits;
  return digits;
}

}  // namespace

void RefreshAfterLoad(int32_t startLine, int32_t keepFileType) {
  NoteDocumentReplaced();
  EndSelectionDrag();
  Document* document = CurrentDocument();
  if (!document) {
    OnDocumentReplacedForSearch();
    ClearDocumentFacts();
    SetMainWindowTitle(false);
    return RepaintViewAndGutter();
  }
  if (document->textLength > 0)
    ShowTextFacts(*document);
  else
    ShowEmptyTextFacts(*document);
  // After the overstrike, which rewrites the text in place: a search shares the text it
  // reads, and must read it as it is shown.
  OnDocumentReplacedForSearch();
  if (keepFileType == 0) {
    gFileTypeIndex = SelectFileType(document->name, gFileTypes);
    SelectFileTypeInSelector(gFileTypeIndex);
  }
  const FileTypeSetting& type = CurrentFileType();
  gShell.LineNumbersShown = type.LineNum;
  CreateViewFont();
  if (type.FoldRight == 0) LayOutCurrentDocument();
  ComputeGutterWidth();
  gGutterDigits = DigitsOf(LargestShownLineNumber(*document));
  SizeGutter();
  PlaceView();
  if (RefuseTooManyLines()) return RefreshAfterLoad(startLine, keepFileType);
  UpdateVisibleSize();
  UpdateScrollBars();
  ReplaceBackgroundBrush(type.BackCol);
  ShowStartLine(*document, startLine);
  SetStatusLineText(kStatusTopLinePart, document->TopLine);
  // The line under the pointer in the file shown before means nothing now; it stays
  // empty until the pointer is over the new text.
  SetStatusPart(kStatusMouseLinePart, u"");
  ShowMouseLine();
  SetMainWindowTitle(GetActiveWindow() == gShell.mainWindow);
  RepaintViewAndGutter();
  StartLoadSteps();
}

void ShowOutOfMemory() {
  MessageBoxW(gShell.mainWindow, AsWide(kOutOfMemoryMessage), AsWide(kProgramTitle),
              MB_OK | MB_ICONERROR);
}

void RefreshAfterGrowth(const Document& document, int32_t linesBefore) {
  // Measuring the digits costs more than the rest of a step: only when a digit is added.
  // The gutter's width moves the view only while it shows line numbers (wrapping at the
  // view's edge, that lays the text out again).
  const int32_t digits = DigitsOf(LargestShownLineNumber(document));
  if (digits > gGutterDigits) {
    gGutterDigits = digits;
    const int32_t gutterWidth = gView.GutterWidth;
    ComputeGutterWidth();
    if (gView.GutterWidth != gutterWidth && gShell.LineNumbersShown) {
      SizeGutter();
      PlaceView();
    }
  }
  UpdateScrollBars();
  if (linesBefore <= document.TopLine + gView.VisibleRows) RepaintViewAndGutter();
}

void RefreshAfterStep(const Document& document, int32_t linesBefore, int32_t percent) {
  RefreshAfterGrowth(document, linesBefore);
  SetStatusPart(kStatusLineEndPart, LineEndName(document.lineEndKind));
  ShowLoadProgress(percent);
}

void ShowFileStatus(const Document& document) {
  SetStatusPart(kStatusFilePart, FileStampOf(document.name));
}

namespace {

// The document shown before stays; the user learns why the file did not replace it.
// A followed file read again on the timer says nothing: the next poll tries once more.
void ReportCutShort(LoadOutcome outcome) {
  if (outcome == LoadOutcome::kOutOfMemory) return ShowOutOfMemory();
  if (outcome != LoadOutcome::kCutShort || IsFollowing()) return;
  MessageBoxW(gShell.mainWindow, AsWide(kFileCutShortMessage), AsWide(kProgramTitle),
              MB_OK | MB_ICONERROR);
}

}  // namespace

void OpenDocument(std::u16string path, int32_t startLine, int32_t request) {
  StopLoad();
  WindowLoadHost host;
  const LoadOutcome outcome = LoadDocument(gDocument, path, startLine, request, 0, gOptions, host);
  ReportCutShort(outcome);
  UpdateMenuStates();
}

void ReloadCurrentDocument(int32_t request) {
  StopLoad();
  WindowLoadHost host;
  const FilterResume filter = FilterBeforeReload();
  // A filtered view's lines are not the file's: the whole document opens at the reader's
  // file line, where it stays should the filter run again be stopped.
  const int32_t LineType = CurrentFileType().LineType;
  int32_t startLine = -1;
  if (filter.active && filter.fileTop >= 0)
    startLine = LineType == 1 ? filter.fileTop
                              : DisplayLineOfLogical(FileDocumentOf(*gDocument), filter.fileTop);
  ReportCutShort(
      ReloadDocument(gDocument, request, LineType, gOptions, host, SystemDocumentIo(), startLine));
  FilterAfterReload(filter);
}

void ReadDocumentFromStandardInput(int32_t startLine) {
  StopLoad();
  WindowLoadHost host;
  if (!ReadStandardInput(gDocument, startLine, host)) ShowOutOfMemory();
}

void ShowClipboardText() {
  StopLoad();
  gDocument.reset();
  bool fitted = true;
  if (OpenClipboard(gShell.mainWindow)) {
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
      if (const auto* text = static_cast<const char16_t*>(GlobalLock(data))) {
        // Never read past the clipboard's memory, even when the text lacks its terminator.
        const size_t capacity = GlobalSize(data) / sizeof(char16_t);
        fitted = SetClipboardDocument(gDocument, std::u16string_view(text, capacity));
        GlobalUnlock(data);
      }
    }
    CloseClipboard();
  }
  RefreshAfterLoad(0, 0);
  UpdateMenuStates();
  if (!fitted) ShowOutOfMemory();
}

void ApplyFileTypeSetting(const FileTypeSetting& previous) {
  Document* document = CurrentDocument();
  if (!document) return;
  const FileTypeSetting& type = CurrentFileType();
  gShell.LineNumbersShown = type.LineNum;
  ReplaceBackgroundBrush(type.BackCol);
  CreateViewFont();
  // The layout depends on the font and the wrap mode as well as on Tab and Fold.
  const bool layoutChanged = type.Tab != previous.Tab || type.Fold != previous.Fold ||
                             type.FoldRight != previous.FoldRight || !(type.Font == previous.Font);
  if (type.FoldRight == 0 && layoutChanged) {
    LayOutCurrentDocument();
    if (document->TopLine > document->displayLineCount - 1)
      document->TopLine = std::max(document->displayLineCount - 1, 0);
  }
  KeepSelectionIfValid(*document);
  ComputeGutterWidth();
  SizeGutter();
  PlaceView();
  UpdateVisibleSize();
  UpdateScrollBars();
  ClampLeftColumn();
  SetStatusLineText(kStatusTopLinePart, document->TopLine);
  ShowMouseLine();
}

}  // namespace vemora
